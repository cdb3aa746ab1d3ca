#pragma once
// The window "Prüfbericht": the check report of the whole table, grouped by
// kind with counts; a double click on a line picks that alarm in the grid.
// The table is checked as a background job; a large group gets its lines
// when it is opened, a part at a time, so a million rows never stop the window.
#include <QPointer>
#include <QWidget>
#include <optional>

#include "werkzeuge/Pruefbericht.h"

class AlarmAuswahl;
class Hauptfenster;
class Hintergrundauftrag;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTimer;
class QTreeWidgetItem;

class frmPruefbericht : public QWidget {
    Q_OBJECT
public:
    frmPruefbericht(Hauptfenster& haupt, QWidget* parent = nullptr);

    // Checks the database of the component anew, in the background; false
    // when there is none. A check still running is cancelled first.
    bool Pruefen(AlarmAuswahl* auswahl);
    bool Prueft() const { return !m_auftrag.isNull(); }
    void CsvSpeichern();
    // Lines a large group gets per turn of the event loop once it is opened.
    static constexpr int Teilgroesse = 2000;
    // A group with at most this many lines is filled and opened at once.
    static constexpr int SofortOffen = 200;

    QTreeWidget* lvwBericht = nullptr;
    QLabel* lblUeberschrift = nullptr;
    QPushButton* cmdNeu = nullptr;
    QPushButton* cmdCsv = nullptr;

private:
    void ZeileGewaehlt(QTreeWidgetItem* item);
    void Zeigen();
    void GruppeFuellen(QTreeWidgetItem* gruppe);
    void TeilFuellen();

    Hauptfenster& m_haupt;
    std::optional<Pruefbericht> m_bericht;
    QPointer<Hintergrundauftrag> m_auftrag;
    QList<std::pair<QTreeWidgetItem*, qsizetype>> m_offen;  // groups being filled: the next line
    QTimer* m_fuellen = nullptr;
};
