#pragma once
// Counts the blocks the thread that made it frees which another thread's heap
// handed out (a glibc arena of a worker): each such free takes that heap's
// lock, which a busy worker, held off the processor, may keep for long. Only
// where the C library is glibc and no sanitizer replaces its allocator;
// elsewhere Verfuegbar() is false and nothing is counted.
#include <cstdint>

class FremdeFreigaben {
public:
    FremdeFreigaben();  // counts on this thread from now on
    ~FremdeFreigaben();
    FremdeFreigaben(const FremdeFreigaben&) = delete;
    FremdeFreigaben& operator=(const FremdeFreigaben&) = delete;

    std::int64_t Anzahl() const { return m_anzahl; }
    static bool Verfuegbar();

private:
    std::int64_t m_anzahl = 0;
};
