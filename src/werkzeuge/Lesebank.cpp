#include "werkzeuge/Lesebank.h"

#include <algorithm>

void Lesebank::Anmelden() {
    const std::lock_guard<std::mutex> sperre(m_sperre);
    ++m_lesende;
}

void Lesebank::Abmelden() {
    {
        const std::lock_guard<std::mutex> sperre(m_sperre);
        --m_lesende;
    }
    m_wecker.notify_all();
}

void Lesebank::Ausfuehren(Auftrag& a, Texterkennung& e, std::unique_lock<std::mutex>& sperre) {
    sperre.unlock();
    a.stueck(e);
    sperre.lock();
    --a.gruppe->offen;
    m_wecker.notify_all();
}

void Lesebank::Verteilen(std::vector<Stueck> stuecke, Texterkennung& eigene) {
    Gruppe gruppe;
    std::unique_lock<std::mutex> sperre(m_sperre);
    for (Stueck& s : stuecke) {
        m_warten.push_back(Auftrag{std::move(s), &gruppe});
        ++gruppe.offen;
    }
    m_wecker.notify_all();
    // Only its own pieces: a foreign one could hold this picture back longer than its own work.
    while (gruppe.offen > 0) {
        const auto eigenes =
            std::find_if(m_warten.begin(), m_warten.end(), [&gruppe](const Auftrag& a) { return a.gruppe == &gruppe; });
        if (eigenes == m_warten.end()) {
            m_wecker.wait(sperre);
            continue;
        }
        Auftrag a = std::move(*eigenes);
        m_warten.erase(eigenes);
        Ausfuehren(a, eigene, sperre);
    }
}

bool Lesebank::Mithelfen(const std::function<Texterkennung&()>& erkennung) {
    std::unique_lock<std::mutex> sperre(m_sperre);
    m_wecker.wait(sperre, [this] { return !m_warten.empty() || m_lesende == 0; });
    if (m_warten.empty())
        return false;
    Auftrag a = std::move(m_warten.front());
    m_warten.pop_front();
    // the engine is made outside the lock: loading its data takes a moment
    sperre.unlock();
    Texterkennung& e = erkennung();
    sperre.lock();
    Ausfuehren(a, e, sperre);
    return true;
}
