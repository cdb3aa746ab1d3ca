#include "alarms/AuswahlLayout.h"

#include <cmath>

#include "alarms/Twips.h"

namespace {
// Rounding to the nearest whole number, a half to the even neighbour.
long Gerade(double v) { return std::lrint(v); }

std::optional<int> WennGross(long n) {
    if (n > 10)
        return static_cast<int>(n);
    return std::nullopt;
}
}  // namespace

namespace AuswahlLayout {
Platz Aktivieren(double hauptHoeheTwips, double hauptBreiteTwips) {
    return {0, 0, hauptBreiteTwips - 350, hauptHoeheTwips / 3 - 200};
}

QRect AktivierenPixel(QSize hauptTwips) {
    const Platz p = Aktivieren(hauptTwips.height(), hauptTwips.width());
    return QRect(Twips::ZuPixel(p.left), Twips::ZuPixel(p.top), Twips::ZuPixel(p.width), Twips::ZuPixel(p.height));
}

double TestmodusHoehe(double fensterHoeheTwips, int obenPixel) { return (fensterHoeheTwips - obenPixel - 500) / 16; }

std::optional<int> ResizeHoehe(double fensterHoeheTwips, int obenPixel) {
    return WennGross(Gerade((fensterHoeheTwips - obenPixel - 500) / 15));
}

std::optional<int> ResizeBreite(double fensterBreiteTwips, int linksPixel) {
    return WennGross(Gerade((fensterBreiteTwips - 100) / 15 - linksPixel));
}
}  // namespace AuswahlLayout
