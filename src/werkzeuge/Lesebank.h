#pragma once
// The reading threads of one run share the pieces of their pictures: a
// picture's sheets of cut-out lines are put here, its own thread reads what
// no other takes, and a thread without a picture of its own left reads the
// others' pieces with its engine. So the last pictures of a run, and a single
// picture, use every core too. The engines stay each with its own thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class Texterkennung;

class Lesebank {
public:
    using Stueck = std::function<void(Texterkennung&)>;

    // Puts the pieces out and returns once every one is done; the calling
    // thread reads with its own engine those that no other thread took.
    void Verteilen(std::vector<Stueck> stuecke, Texterkennung& eigene);

    // Reads one piece another thread put out, waiting for one as long as a
    // thread may still put pieces out; false when none will come any more.
    // erkennung makes the engine when the thread first needs one.
    bool Mithelfen(const std::function<Texterkennung&()>& erkennung);

    // A thread that will put out no more pieces says so; once all have, the helpers stop.
    void Anmelden();
    void Abmelden();

    // Seconds the threads of the run spent waiting here with nothing to read, all together:
    // a core the run left unused for that long.
    double Gewartet() const;

private:
    struct Gruppe {
        int offen = 0;
    };
    struct Auftrag {
        Stueck stueck;
        Gruppe* gruppe = nullptr;
    };
    void Ausfuehren(Auftrag& a, Texterkennung& e, std::unique_lock<std::mutex>& sperre);
    // m_wecker.wait, its time counted as waiting
    template <typename Bedingung>
    void Warten(std::unique_lock<std::mutex>& sperre, Bedingung bedingung);

    mutable std::mutex m_sperre;
    std::condition_variable m_wecker;
    std::deque<Auftrag> m_warten;
    int m_lesende = 0;
    std::int64_t m_gewartet = 0;  // nanoseconds, under m_sperre
};
