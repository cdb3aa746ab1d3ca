#include "alarms/Auftragslauf.h"

namespace {
thread_local Auftragslauf* t_lauf = nullptr;
// Often enough that a stop answers within a few milliseconds, seldom enough
// that a million rows do not pay for it.
constexpr qint64 PruefAbstand = 4096;
}  // namespace

Auftragslauf* Auftragslauf::Aktuell() { return t_lauf; }

void Auftragslauf::Pruefen() {
    if (t_lauf && t_lauf->Abgebrochen())
        throw Auftragsabbruch();
}

void Auftragslauf::Schritt() {
    Auftragslauf* lauf = t_lauf;
    if (!lauf)
        return;
    if (lauf->m_schritte++ % PruefAbstand == 0) {
        lauf->m_getan.storeRelaxed(lauf->m_schritte);
        if (lauf->Abgebrochen())
            throw Auftragsabbruch();
    }
}

Auftragslauf::Rahmen::Rahmen(Auftragslauf* lauf) : m_vorher(t_lauf) { t_lauf = lauf; }

Auftragslauf::Rahmen::~Rahmen() { t_lauf = m_vorher; }
