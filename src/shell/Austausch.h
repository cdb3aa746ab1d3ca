#pragma once
// The commands "Exportieren…" and "Importieren…" of the menu "E&xtras": the
// arrow assignments to a spreadsheet and back. An import shows what it would
// change before anything is written, and is one step of the history.
class AlarmAuswahl;
class Hauptfenster;
class QWidget;

class Austausch {
public:
    static void Exportieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner);
    static void Importieren(Hauptfenster& haupt, AlarmAuswahl* auswahl, QWidget* owner);
};
