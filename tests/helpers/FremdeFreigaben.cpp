#include "helpers/FremdeFreigaben.h"

#include <cstddef>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define TAVERO_FREIGABEN_ZAEHLEN 1
#endif

namespace {
thread_local std::int64_t* t_zaehler = nullptr;

#ifdef TAVERO_FREIGABEN_ZAEHLEN
// glibc keeps a block's size in the word before it; of its low bits, 4 marks
// a block of an arena other than the main thread's, 2 one mapped from the
// system on its own (freed without any arena's lock).
bool FremderBlock(const void* p) {
    const std::size_t kopf = static_cast<const std::size_t*>(p)[-1];
    return (kopf & 4) && !(kopf & 2);
}

// Blocks of another arena the counting thread got itself: a block another
// thread freed here goes to this thread's cache of free blocks and is handed
// out to it again; freeing it once more is no free of the worker's memory.
// A table of its own, so that keeping it allocates nothing.
class EigeneBloecke {
public:
    void Merken(const void* p) {
        for (std::size_t i = Platz(p), n = 0; n < Groesse; i = (i + 1) % Groesse, ++n)
            if (m_bloecke[i] == nullptr || m_bloecke[i] == Frei()) {
                m_bloecke[i] = p;
                return;
            }
    }
    bool Vergessen(const void* p) {
        for (std::size_t i = Platz(p), n = 0; n < Groesse && m_bloecke[i] != nullptr; i = (i + 1) % Groesse, ++n)
            if (m_bloecke[i] == p) {
                m_bloecke[i] = Frei();
                return true;
            }
        return false;
    }
    void Leeren() {
        for (const void*& b : m_bloecke)
            b = nullptr;
    }

private:
    static constexpr std::size_t Groesse = 1 << 14;
    static const void* Frei() { return reinterpret_cast<const void*>(1); }
    static std::size_t Platz(const void* p) { return (reinterpret_cast<std::size_t>(p) >> 4) % Groesse; }
    const void* m_bloecke[Groesse] = {};
};
EigeneBloecke g_eigene;  // used by the one counting thread only

void* Bekommen(void* p) {
    if (p && t_zaehler && FremderBlock(p))
        g_eigene.Merken(p);
    return p;
}

// Whether freeing or resizing p on the counting thread takes another thread's arena lock.
bool Fremd(void* p) { return p && t_zaehler && FremderBlock(p) && !g_eigene.Vergessen(p); }
#endif
}  // namespace

#ifdef TAVERO_FREIGABEN_ZAEHLEN
extern "C" {
void __libc_free(void* p);
void* __libc_malloc(std::size_t n);
void* __libc_calloc(std::size_t n, std::size_t g);
void* __libc_realloc(void* p, std::size_t n);

// Every free, allocation and resize of the process passes here first.
void free(void* p) {
    if (Fremd(p))
        ++*t_zaehler;
    __libc_free(p);
}

void* malloc(std::size_t n) { return Bekommen(__libc_malloc(n)); }

void* calloc(std::size_t n, std::size_t g) { return Bekommen(__libc_calloc(n, g)); }

// A block of another arena grown or shrunk here takes that arena's lock as a free does.
void* realloc(void* p, std::size_t n) {
    if (Fremd(p))
        ++*t_zaehler;
    return Bekommen(__libc_realloc(p, n));
}
}
#endif

FremdeFreigaben::FremdeFreigaben() {
#ifdef TAVERO_FREIGABEN_ZAEHLEN
    g_eigene.Leeren();
#endif
    t_zaehler = &m_anzahl;
}

FremdeFreigaben::~FremdeFreigaben() {
    if (t_zaehler == &m_anzahl)
        t_zaehler = nullptr;
}

bool FremdeFreigaben::Verfuegbar() {
#ifdef TAVERO_FREIGABEN_ZAEHLEN
    return true;
#else
    return false;
#endif
}
