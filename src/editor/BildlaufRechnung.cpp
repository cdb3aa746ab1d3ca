#include "editor/BildlaufRechnung.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

std::optional<std::int16_t> BildlaufRechnung::Ganzzahl16(double wert) {
    if (!std::isfinite(wert))
        return std::nullopt;
    const double r = std::nearbyint(wert);  // the default rounding mode rounds halves to even
    if (r < std::numeric_limits<std::int16_t>::min() || r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

BildlaufRechnung::Bereich BildlaufRechnung::BereichBerechnen(double bildAusdehnung, double innenAusdehnung,
                                                             double andereLeiste, double leistenLaenge) {
    Bereich b;
    const double e = bildAusdehnung - innenAusdehnung + andereLeiste;
    if (!(e > 0))
        return b;
    b.aktiv = true;
    b.maximum = Ganzzahl16(e).value_or(std::numeric_limits<std::int16_t>::max());
    b.grosserSchritt = std::max<int>(1, Ganzzahl16(leistenLaenge).value_or(std::numeric_limits<std::int16_t>::max()));
    return b;
}

int BildlaufRechnung::Zentrieren(double bezug, double innenAusdehnung, int maximum, double zoom) {
    double x = bezug * zoom - innenAusdehnung / 2;
    if (x < 0)
        x = 0;
    if (x > maximum)
        x = maximum;
    return Ganzzahl16(x).value_or(0);
}

BildlaufRechnung::Wert BildlaufRechnung::AutoBildlauf(double px, double py, int h, int v, int hMax, int vMax,
                                                      double hw, double vh, double zoom) {
    // The pointer's place on the screen; the edges and steps are screen pixels.
    px *= zoom;
    py *= zoom;
    Wert w{h, v};
    if (px - 10 < h + Rand)
        w.h = std::max(0, h - Schritt);
    if (px + 20 > h + hw - Rand)
        w.h = std::min(hMax, h + Schritt);
    if (py - 10 < v + Rand)
        w.v = std::max(0, v - Schritt);
    if (py + 20 > v + vh - Rand)
        w.v = std::min(vMax, v + Schritt);
    return w;
}

double BildlaufRechnung::ZoomStufe(double zoom, int richtung) {
    static constexpr double stufen[] = {0.25, 1.0 / 3, 0.5, 2.0 / 3, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0};
    if (richtung > 0) {
        for (double s : stufen)
            if (s > zoom + 1e-9)
                return s;
        return std::max(zoom, MaxZoom);
    }
    for (auto it = std::rbegin(stufen); it != std::rend(stufen); ++it)
        if (*it < zoom - 1e-9)
            return *it;
    // below the steps (a picture fitted into a small view) there is no further step out
    return std::min(zoom, MinZoom);
}

int BildlaufRechnung::ZoomAnker(double anker, int wert, double alt, double neu, int maximum) {
    const double punkt = (anker + wert) / alt;
    const double x = std::clamp(punkt * neu - anker, 0.0, static_cast<double>(maximum));
    return static_cast<int>(std::lround(x));
}

double BildlaufRechnung::Einpassen(double bildBreite, double bildHoehe, double sichtBreite, double sichtHoehe) {
    if (!(bildBreite > 0) || !(bildHoehe > 0) || !(sichtBreite > 0) || !(sichtHoehe > 0))
        return 1.0;
    double z = std::min(sichtBreite / bildBreite, sichtHoehe / bildHoehe);
    // The box takes the picture's size times the zoom, rounded: it must not
    // come out one pixel larger than the view.
    while (z > MinZoom && (std::lround(bildBreite * z) > sichtBreite || std::lround(bildHoehe * z) > sichtHoehe))
        z = std::nextafter(z, 0.0) - 1e-9;
    // A large picture in a small view fits below the smallest step.
    return std::clamp(z, EinpassenMin, MaxZoom);
}
