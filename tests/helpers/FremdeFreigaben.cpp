#include "helpers/FremdeFreigaben.h"

#include <cstddef>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define TAVERO_FREIGABEN_ZAEHLEN 1
#endif

namespace {
thread_local std::int64_t* t_zaehler = nullptr;
}

#ifdef TAVERO_FREIGABEN_ZAEHLEN
extern "C" void __libc_free(void* p);

// Every free of the process passes here first. glibc keeps a block's size in
// the word before it; of its low bits, 4 marks a block of an arena other than
// the main thread's, 2 one mapped from the system on its own (no arena lock).
extern "C" void free(void* p) {
    if (p && t_zaehler) {
        const std::size_t kopf = static_cast<const std::size_t*>(p)[-1];
        if ((kopf & 4) && !(kopf & 2))
            ++*t_zaehler;
    }
    __libc_free(p);
}
#endif

FremdeFreigaben::FremdeFreigaben() { t_zaehler = &m_anzahl; }

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
