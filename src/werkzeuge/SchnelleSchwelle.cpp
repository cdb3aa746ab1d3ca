#include "werkzeuge/SchnelleSchwelle.h"

#include <atomic>
#include <cstring>
#include <vector>

#if defined(__GLIBC__) && defined(__x86_64__)
#include <dlfcn.h>
#include <leptonica/allheaders.h>
#define TAVERO_SCHNELLE_SCHWELLE 1
#endif

namespace {
std::atomic<std::int64_t> g_aufrufe = 0;
}

std::int64_t SchnelleSchwelle::Aufrufe() { return g_aufrufe.load(); }

#ifdef TAVERO_SCHNELLE_SCHWELLE
// Outside any unnamed namespace: the engine's calls must find them by their names.
namespace tavero_schwelle {

// The engine's thresholder as laid out in its version 5: after the table of
// virtual functions its image, its sizes and the rectangle it reads.
struct Schwellenteiler {
    void* tabelle;
    Pix* bild;
    int breite, hoehe, kanaele, woerterJeZeile, massstab, aufloesung, geschaetzt;
    int links, oben, rechteckBreite, rechteckHoehe;
};

// The grey levels of a rectangle of one channel, counted.
void Haeufigkeit(Pix* bild, int kanal, int links, int oben, int breite, int hoehe, int* haeufig)
    __asm__("_ZN9tesseract13HistogramRectENS_5ImageEiiiiiPi");
void Haeufigkeit(Pix* bild, int kanal, int links, int oben, int breite, int hoehe, int* haeufig) {
    using Original = void (*)(Pix*, int, int, int, int, int, int*);
    static const auto original = reinterpret_cast<Original>(dlsym(RTLD_NEXT, "_ZN9tesseract13HistogramRectENS_5ImageEiiiiiPi"));
    if (!bild || pixGetDepth(bild) != 8 || links != 0 || oben < 0 || breite <= 0 || hoehe < 0 ||
        breite > pixGetWidth(bild) || oben + hoehe > pixGetHeight(bild)) {
        if (original)
            original(bild, kanal, links, oben, breite, hoehe, haeufig);
        return;
    }
    ++g_aufrufe;
    // four tallies side by side: neighbouring equal pixels (the white) do not wait on each other
    std::vector<std::uint32_t> teil(4 * 256, 0);
    const int wpl = pixGetWpl(bild), ganze = breite / 4;
    const l_uint32* daten = pixGetData(bild);
    for (int y = oben; y < oben + hoehe; ++y) {
        const l_uint32* zeile = daten + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int w = 0; w < ganze; ++w) {
            const l_uint32 v = zeile[w];
            ++teil[v >> 24];
            ++teil[256 + ((v >> 16) & 255)];
            ++teil[512 + ((v >> 8) & 255)];
            ++teil[768 + (v & 255)];
        }
        for (int x = 4 * ganze; x < breite; ++x)
            ++teil[GET_DATA_BYTE(zeile, x)];
    }
    for (int i = 0; i < 256; ++i)
        haeufig[i] = static_cast<int>(teil[i] + teil[256 + i] + teil[512 + i] + teil[768 + i]);
}

// Each pixel of the grey image black or white at the split, into a new image of one bit a pixel.
void Teilen(const Schwellenteiler* teiler, Pix* bild, int kanaele, const std::vector<int>& schwellen,
            const std::vector<int>& hell, Pix** ziel)
    __asm__("_ZNK9tesseract16ImageThresholder18ThresholdRectToPixENS_5ImageEiRKSt6vectorIiSaIiEES6_PS1_");
void Teilen(const Schwellenteiler* teiler, Pix* bild, int kanaele, const std::vector<int>& schwellen,
            const std::vector<int>& hell, Pix** ziel) {
    using Original = void (*)(const Schwellenteiler*, Pix*, int, const std::vector<int>&, const std::vector<int>&, Pix**);
    static const auto original = reinterpret_cast<Original>(
        dlsym(RTLD_NEXT, "_ZNK9tesseract16ImageThresholder18ThresholdRectToPixENS_5ImageEiRKSt6vectorIiSaIiEES6_PS1_"));
    // only the whole of a grey image, and only where the thresholder's fields read as its own image
    const bool eigen = bild && kanaele == 1 && schwellen.size() == 1 && hell.size() == 1 && pixGetDepth(bild) == 8 &&
                       teiler->links == 0 && teiler->oben == 0 && teiler->rechteckBreite == pixGetWidth(bild) &&
                       teiler->rechteckHoehe == pixGetHeight(bild) && teiler->breite == pixGetWidth(bild) &&
                       teiler->hoehe == pixGetHeight(bild) && teiler->kanaele == 1;
    if (!eigen) {
        if (original)
            original(teiler, bild, kanaele, schwellen, hell, ziel);
        return;
    }
    ++g_aufrufe;
    const int b = pixGetWidth(bild), h = pixGetHeight(bild);
    *ziel = pixCreate(b, h, 1);
    if (!*ziel)
        return;
    pixSetXRes(*ziel, pixGetXRes(bild));
    pixSetYRes(*ziel, pixGetYRes(bild));
    // black where the level lies on the ink's side of the split, for every level and for four levels at once
    std::uint8_t schwarz[256];
    for (int v = 0; v < 256; ++v)
        schwarz[v] = hell[0] >= 0 && (v > schwellen[0]) == (hell[0] == 0);
    const l_uint32 weisseVier = schwarz[255] ? 0xFu : 0u;
    const int wplQ = pixGetWpl(bild), wplZ = pixGetWpl(*ziel), ganze = b / 32;
    const l_uint32* quelle = pixGetData(bild);
    l_uint32* daten = pixGetData(*ziel);
    for (int y = 0; y < h; ++y) {
        const l_uint32* q = quelle + static_cast<std::ptrdiff_t>(y) * wplQ;
        l_uint32* z = daten + static_cast<std::ptrdiff_t>(y) * wplZ;
        for (int w = 0; w < ganze; ++w) {
            l_uint32 bits = 0;
            for (int k = 0; k < 8; ++k) {
                const l_uint32 v = q[8 * w + k];
                const l_uint32 vier = v == 0xFFFFFFFFu ? weisseVier
                                                       : static_cast<l_uint32>(schwarz[v >> 24] << 3 | schwarz[(v >> 16) & 255] << 2 |
                                                                               schwarz[(v >> 8) & 255] << 1 | schwarz[v & 255]);
                bits = bits << 4 | vier;
            }
            z[w] = bits;
        }
        for (int x = 32 * ganze; x < b; ++x)
            if (schwarz[GET_DATA_BYTE(q, x)])
                SET_DATA_BIT(z, x);
    }
}

}  // namespace tavero_schwelle
#endif

bool SchnelleSchwelle::Vergleichen(Pix* bild, std::int64_t* abweichungen) {
    *abweichungen = -1;
#ifdef TAVERO_SCHNELLE_SCHWELLE
    using HOriginal = void (*)(Pix*, int, int, int, int, int, int*);
    using TOriginal = void (*)(const tavero_schwelle::Schwellenteiler*, Pix*, int, const std::vector<int>&,
                               const std::vector<int>&, Pix**);
    const auto h = reinterpret_cast<HOriginal>(dlsym(RTLD_NEXT, "_ZN9tesseract13HistogramRectENS_5ImageEiiiiiPi"));
    const auto t = reinterpret_cast<TOriginal>(
        dlsym(RTLD_NEXT, "_ZNK9tesseract16ImageThresholder18ThresholdRectToPixENS_5ImageEiRKSt6vectorIiSaIiEES6_PS1_"));
    if (!h || !t || !bild)
        return false;
    const int b = pixGetWidth(bild), hoehe = pixGetHeight(bild);
    std::int64_t anders = 0;
    int eigen[256], fremd[256];
    tavero_schwelle::Haeufigkeit(bild, 0, 0, 0, b, hoehe, eigen);
    h(bild, 0, 0, 0, b, hoehe, fremd);
    for (int i = 0; i < 256; ++i)
        anders += eigen[i] != fremd[i];
    const tavero_schwelle::Schwellenteiler teiler{nullptr, bild, b, hoehe, 1, pixGetWpl(bild), 1, 96, 96, 0, 0, b, hoehe};
    for (const int schwelle : {0, 100, 200, 254})
        for (const int hell : {-1, 0, 1}) {
            Pix* a = nullptr;
            Pix* c = nullptr;
            tavero_schwelle::Teilen(&teiler, bild, 1, {schwelle}, {hell}, &a);
            t(&teiler, bild, 1, {schwelle}, {hell}, &c);
            l_int32 gleich = 0;
            if (!a || !c || pixEqual(a, c, &gleich) != 0 || !gleich)
                ++anders;
            pixDestroy(&a);
            pixDestroy(&c);
        }
    *abweichungen = anders;
    return true;
#else
    (void)bild;
    return false;
#endif
}
