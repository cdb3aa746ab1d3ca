#include "werkzeuge/Bildlesung.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "werkzeuge/Lesebank.h"
#include "werkzeuge/Lesehaushalt.h"
#include "werkzeuge/Texterkennung.h"

namespace {

// Engines kept from one reading to the next: loading one costs about a quarter
// of a second of processor time, as much as a small picture's closer look.
// Each is lent to one thread at a time, never shared.
struct Lager {
    std::mutex sperre;
    std::vector<std::unique_ptr<Texterkennung>> frei;
};
// never destroyed: at the program's end the engine's own globals may already be gone
Lager& Maschinen() {
    static Lager* lager = new Lager;
    return *lager;
}
std::unique_ptr<Texterkennung> Ausleihen() {
    Lager& l = Maschinen();
    {
        const std::lock_guard<std::mutex> sperre(l.sperre);
        if (!l.frei.empty()) {
            std::unique_ptr<Texterkennung> e = std::move(l.frei.back());
            l.frei.pop_back();
            return e;
        }
    }
    return std::make_unique<Texterkennung>();
}
// An engine that could not start is not kept: once its data is installed, the next reading finds it.
void Zurueckgeben(std::unique_ptr<Texterkennung> e) {
    if (!e || !e->Bereit())
        return;
    Lager& l = Maschinen();
    const std::lock_guard<std::mutex> sperre(l.sperre);
    if (static_cast<int>(l.frei.size()) < std::max(1, QThread::idealThreadCount()))
        l.frei.push_back(std::move(e));
}

// the threads' time of all runs and of it the time unused, in nanoseconds
std::atomic<std::int64_t> g_kernzeit = 0, g_ungenutzt = 0;

}  // namespace

Bildlesung::Kernzeit Bildlesung::Verbraucht() {
    return {static_cast<double>(g_kernzeit.load()) / 1e9, static_cast<double>(g_ungenutzt.load()) / 1e9};
}

QList<Bildtext> Bildlesung::Lesen(const QStringList& dateien, const BildtextSpeicher& speicher,
                                  const std::atomic_bool* abbruch, const Fortschritt& fortschritt, bool* abgebrochen,
                                  int threads) {
    const int gesamt = static_cast<int>(dateien.size());
    std::vector<std::optional<Bildtext>> ergebnis(static_cast<std::size_t>(gesamt));
    std::atomic_int fertig = 0;
    auto melden = [&] {
        const int n = ++fertig;
        if (fortschritt)
            fortschritt(n, gesamt);
    };
    auto abbrechen = [abbruch] { return abbruch && abbruch->load(); };

    // What was read before costs nothing; only the rest goes to the engine.
    std::vector<int> offen;
    for (int i = 0; i < gesamt && !abbrechen(); ++i) {
        if (auto woerter = speicher.Holen(dateien[i])) {
            ergebnis[static_cast<std::size_t>(i)] = Bildtext{dateien[i], *woerter, QString(), true};
            melden();
        } else {
            offen.push_back(i);
        }
    }

    // The largest pictures first (a bitmap's file size goes with its pixels): the last picture's
    // first look is one engine's work alone while the other threads wait for its pieces, so the
    // smallest pictures go last.
    std::vector<qint64> groesse(static_cast<std::size_t>(gesamt), 0);
    for (const int i : offen)
        groesse[static_cast<std::size_t>(i)] = QFileInfo(dateien[i]).size();
    std::stable_sort(offen.begin(), offen.end(), [&groesse](int a, int b) {
        return groesse[static_cast<std::size_t>(a)] > groesse[static_cast<std::size_t>(b)];
    });

    // Each thread takes its engine once and keeps it for every picture and piece it reads.
    Lesebank bank;
    std::atomic_int naechstes = 0;
    auto arbeiten = [&] {
        const Lesehaushalt::Lesend lesend;
        std::unique_ptr<Texterkennung> erkennung;
        auto eigene = [&erkennung]() -> Texterkennung& {
            if (!erkennung)
                erkennung = Ausleihen();
            return *erkennung;
        };
        for (int k; !abbrechen() && (k = naechstes++) < static_cast<int>(offen.size());) {
            const int i = offen[static_cast<std::size_t>(k)];
            const QString& datei = dateien[i];
            const auto stempel = BildtextSpeicher::StempelVon(datei);
            bool unterbrochen = false;
            Bildtext t = eigene().Lesen(datei, abbruch, &unterbrochen, &bank);
            if (unterbrochen)
                break;
            // A picture that cannot be read is not kept: once it is fixed it is read.
            if (t.fehler.isEmpty() && stempel)
                speicher.Ablegen(datei, *stempel, t.woerter);
            ergebnis[static_cast<std::size_t>(i)] = std::move(t);
            melden();
        }
        // no picture left for this thread: it reads the pieces of the pictures still being read
        bank.Abmelden();
        while (bank.Mithelfen(eigene)) {
        }
        Zurueckgeben(std::move(erkennung));
    };
    // more threads than pictures too: the spare ones help with the pieces of the pictures read
    const int anzahl = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    if (!offen.empty()) {
        QElapsedTimer uhr;
        uhr.start();
        Lesehaushalt::Einrichten();
        for (int n = 0; n < anzahl; ++n)
            bank.Anmelden();
        std::vector<std::thread> helfer;
        for (int n = 1; n < anzahl; ++n)
            helfer.emplace_back(arbeiten);
        arbeiten();
        for (std::thread& t : helfer)
            t.join();
        g_kernzeit += uhr.nsecsElapsed() * anzahl;
        g_ungenutzt += static_cast<std::int64_t>(bank.Gewartet() * 1e9);
        Lesehaushalt::Freigeben();
    }

    if (abgebrochen)
        *abgebrochen = abbrechen();
    QList<Bildtext> liste;
    for (auto& e : ergebnis)
        if (e)
            liste << std::move(*e);
    return liste;
}
