#include "editor/BildlaufRechnung.h"

#include <algorithm>
#include <cmath>
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

int BildlaufRechnung::Zentrieren(double bezug, double innenAusdehnung, int maximum) {
    double x = bezug - innenAusdehnung / 2;
    if (x < 0)
        x = 0;
    if (x > maximum)
        x = maximum;
    return Ganzzahl16(x).value_or(0);
}

BildlaufRechnung::Wert BildlaufRechnung::AutoBildlauf(double px, double py, int h, int v, int hMax, int vMax,
                                                      double hw, double vh) {
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
