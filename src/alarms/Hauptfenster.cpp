#include "alarms/Hauptfenster.h"

namespace {
Hauptfenster* g_hauptfenster = nullptr;
}

Hauptfenster* Hauptfenster::instanz() { return g_hauptfenster; }
void Hauptfenster::setzen(Hauptfenster* h) { g_hauptfenster = h; }
