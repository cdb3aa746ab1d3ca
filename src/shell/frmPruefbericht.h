#pragma once
// The window "Prüfbericht": the check report of the whole table, grouped by
// kind with counts; a double click on a line picks that alarm in the grid.
// The table is checked as a background job; a group gets its lines when it
// is opened, a large one in parts of Teilgroesse lines, so a million rows
// never stop the window.
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
class QTreeWidgetItem;

class frmPruefbericht : public QWidget {
    Q_OBJECT
public:
    frmPruefbericht(Hauptfenster& haupt, QWidget* parent = nullptr);
    ~frmPruefbericht() override;

    // Checks the database of the component anew, in the background; false
    // when there is none. A check still running is cancelled first.
    bool Pruefen(AlarmAuswahl* auswahl);
    bool Prueft() const { return !m_auftrag.isNull(); }
    void CsvSpeichern();
    // Lines of one part of a large group.
    static constexpr int Teilgroesse = 1000;
    // A group with at most this many lines is filled and opened at once.
    static constexpr int SofortOffen = 200;
    // A report no longer shown (checked anew, replaced by a newer check, the
    // window closed) is freed on a worker (false: on the window's thread, as before).
    static inline bool FreigebenImHintergrund = true;

    QTreeWidget* lvwBericht = nullptr;
    QLabel* lblUeberschrift = nullptr;
    QPushButton* cmdNeu = nullptr;
    QPushButton* cmdCsv = nullptr;

private:
    void ZeileGewaehlt(QTreeWidgetItem* item);
    void Zeigen();
    void GruppeFuellen(QTreeWidgetItem* knoten);  // a group or a part of one, when opened

    Hauptfenster& m_haupt;
    std::optional<Pruefbericht> m_bericht;
    QPointer<Hintergrundauftrag> m_auftrag;
};
