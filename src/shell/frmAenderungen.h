#pragma once
// The dialog in which the user sees, alarm by alarm, what a bulk write would
// change and chooses the lines to write (import, and every other bulk write
// that lists its writes first).
#include <QDialog>
#include <QList>

#include "alarms/Schreibauftrag.h"
#include "werkzeuge/Differenz.h"

class Differenzansicht;
class QLabel;
class QPushButton;

class frmAenderungen : public QDialog {
    Q_OBJECT
public:
    frmAenderungen(const QString& titel, const QString& text, const QList<Differenz>& zeilen, QWidget* parent = nullptr);

    // The lines chosen, as their places in what the lines were made from.
    QList<int> Gewaehlt() const;
    // The writes of the chosen lines.
    static QList<Schreibauftrag> Auswahl(const QList<Schreibauftrag>& alle, const QList<int>& gewaehlt);

    Differenzansicht* lvwAenderungen = nullptr;
    QPushButton* cmdSchreiben = nullptr;
};
