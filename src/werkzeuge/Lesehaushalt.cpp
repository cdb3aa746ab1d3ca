#include "werkzeuge/Lesehaushalt.h"

#include <mutex>

#if defined(__GLIBC__)
#include <dlfcn.h>
#include <malloc.h>
#include <leptonica/allheaders.h>
#define TAVERO_LESEHAUSHALT 1
#endif

namespace {
thread_local int t_lesend = 0;
}

#ifdef TAVERO_LESEHAUSHALT
// The engine keeps each line image it reads in memory, packed as PNG, and
// unpacks it at once to scale it for its network: libpng and zlib took about a
// twentieth of a reading. This program's own function comes before the image
// library's for every caller in the process; on a reading thread it keeps an
// 8-bit image without colour table as BMP, which the library reads back to the
// same pixels, and hands everything else to the library's own function.
extern "C" l_ok pixWriteMem(l_uint8** daten, size_t* groesse, PIX* pix, l_int32 format) {
    using Schreiben = l_ok (*)(l_uint8**, size_t*, PIX*, l_int32);
    static const auto bibliothek = reinterpret_cast<Schreiben>(dlsym(RTLD_NEXT, "pixWriteMem"));
    if (t_lesend > 0 && format == IFF_PNG && pix && pixGetDepth(pix) == 8 && !pixGetColormap(pix))
        return pixWriteMemBmp(daten, groesse, pix);
    return bibliothek ? bibliothek(daten, groesse, pix, format) : 1;
}
#endif

void Lesehaushalt::Einrichten() {
#ifdef TAVERO_LESEHAUSHALT
    static std::once_flag einmal;
    std::call_once(einmal, [] {
        // Blocks up to the largest the library allows (32 MB) come from the heap
        // and are reused, not mapped and faulted in anew; the heap is not shrunk
        // after each sheet, and grows in steps large enough for a sheet.
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_TOP_PAD, 64 << 20);
    });
#endif
}

void Lesehaushalt::Freigeben() {
#ifdef TAVERO_LESEHAUSHALT
    malloc_trim(0);
#endif
}

Lesehaushalt::Lesend::Lesend() { ++t_lesend; }
Lesehaushalt::Lesend::~Lesend() { --t_lesend; }
