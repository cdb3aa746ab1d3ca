#include "werkzeuge/Lesebank.h"

#include <algorithm>
#include <chrono>

template <typename Bedingung>
void Lesebank::Warten(std::unique_lock<std::mutex>& sperre, Bedingung bedingung) {
    if (bedingung())
        return;
    const auto von = std::chrono::steady_clock::now();
    m_wecker.wait(sperre, bedingung);
    m_gewartet += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - von).count();
}

double Lesebank::Gewartet() const {
    const std::lock_guard<std::mutex> sperre(m_sperre);
    return static_cast<double>(m_gewartet) / 1e9;
}

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
            // every piece left of this picture is read by another thread: wait for a change
            const std::size_t vorher = m_warten.size();
            const int offen = gruppe.offen;
            Warten(sperre, [&] { return gruppe.offen != offen || m_warten.size() != vorher; });
            continue;
        }
        Auftrag a = std::move(*eigenes);
        m_warten.erase(eigenes);
        Ausfuehren(a, eigene, sperre);
    }
}

bool Lesebank::Mithelfen(const std::function<Texterkennung&()>& erkennung) {
    std::unique_lock<std::mutex> sperre(m_sperre);
    Warten(sperre, [this] { return !m_warten.empty() || m_lesende == 0; });
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
