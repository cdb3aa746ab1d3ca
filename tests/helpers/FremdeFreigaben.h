#pragma once
// Counts the blocks the thread that made it frees or resizes which another
// thread's heap handed out to that thread (a glibc arena of a worker): each
// such free may take that heap's lock, which a busy worker, held off the
// processor, may keep for long. Blocks of such a heap this thread got itself
// (one freed here before, handed out here again) do not count. Only where the
// C library is glibc and no sanitizer replaces its allocator; elsewhere
// Verfuegbar() is false and nothing is counted.
#include <cstdint>

class FremdeFreigaben {
public:
    FremdeFreigaben();  // counts on this thread from now on (one counting at a time)
    ~FremdeFreigaben();
    FremdeFreigaben(const FremdeFreigaben&) = delete;
    FremdeFreigaben& operator=(const FremdeFreigaben&) = delete;

    std::int64_t Anzahl() const { return m_anzahl; }
    static bool Verfuegbar();

private:
    std::int64_t m_anzahl = 0;
};
