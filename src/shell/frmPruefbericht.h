#pragma once
// The window "Prüfbericht": the check report of the whole table, grouped by
// kind with counts; a double click on a line picks that alarm in the grid.
#include <QWidget>
#include <optional>

#include "werkzeuge/Pruefbericht.h"

class AlarmAuswahl;
class Hauptfenster;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frmPruefbericht : public QWidget {
    Q_OBJECT
public:
    frmPruefbericht(Hauptfenster& haupt, QWidget* parent = nullptr);

    // Checks the database of the component anew; false (and a message) when it cannot be read.
    bool Pruefen(AlarmAuswahl* auswahl);
    void CsvSpeichern();

    QTreeWidget* lvwBericht = nullptr;
    QLabel* lblUeberschrift = nullptr;
    QPushButton* cmdNeu = nullptr;
    QPushButton* cmdCsv = nullptr;

private:
    void ZeileGewaehlt(QTreeWidgetItem* item);

    Hauptfenster& m_haupt;
    std::optional<Pruefbericht> m_bericht;
};
