#pragma once
// The commands "Exportieren…" and "Importieren…" of the menu "E&xtras": the
// arrow assignments to a spreadsheet and back. An import shows what it would
// change before anything is written, and is one step of the history. Reading,
// comparing and writing run as background jobs (progress and Esc in the status bar).
class AlarmAuswahl;
class Hauptfenster;
class ImportPlan;
class QWidget;

class Austausch {
public:
    static void Exportieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner);
    static void Importieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner);

private:
    // The plan is read: the user sees it, and a yes writes it.
    static void PlanZeigen(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner, const ImportPlan& plan);
};
