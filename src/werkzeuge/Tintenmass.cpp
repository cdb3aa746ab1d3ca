#include "werkzeuge/Tintenmass.h"

#include "werkzeuge/Fleck.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A blob of ink; along the text is left to right, across is top to bottom.
using Stueck = Fleck;

int Median(std::vector<int> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

}  // namespace

Tintenmass::Tintenmass(const std::vector<std::uint8_t>& grau, int breite, int hoehe)
    : m_p(grau), m_b(breite), m_h(hoehe) {}

QRect Tintenmass::Ende(const QRect& box, bool senkrecht) const {
    // a few pixels beyond the box across the text, so that a line running through it shows as one
    constexpr int Rand = 3;
    const QRect r = (senkrecht ? box.adjusted(-Rand, 0, Rand, 0) : box.adjusted(0, -Rand, 0, Rand)).intersected(QRect(0, 0, m_b, m_h));
    if (r.width() < 4 || r.height() < 4)
        return box;
    // along and across the text, in cells of the region
    const int l = senkrecht ? r.height() : r.width(), q = senkrecht ? r.width() : r.height();
    auto pixel = [&](int u, int v) {
        const int x = r.x() + (senkrecht ? v : u), y = r.y() + (senkrecht ? u : v);
        return m_p[static_cast<std::size_t>(y) * m_b + x];
    };
    std::array<int, 256> haeufig{};
    for (int v = 0; v < q; ++v)
        for (int u = 0; u < l; ++u)
            ++haeufig[pixel(u, v)];
    auto anteil = [&](double a) {
        const int ziel = static_cast<int>(a * l * q);
        int summe = 0;
        for (int g = 0; g < 256; ++g)
            if ((summe += haeufig[static_cast<std::size_t>(g)]) > ziel)
                return g;
        return 255;
    };
    const int dunkel = anteil(0.05), hell = anteil(0.9);
    if (hell - dunkel < 40)
        return box;
    const int schwelle = (dunkel + hell) / 2;
    std::vector<std::uint8_t> maske(static_cast<std::size_t>(l) * q);
    auto at = [&](int u, int v) -> std::uint8_t& { return maske[static_cast<std::size_t>(v) * l + u]; };
    for (int v = 0; v < q; ++v)
        for (int u = 0; u < l; ++u)
            at(u, v) = pixel(u, v) < schwelle;

    // The letters' band: the blobs at least half as high as the box is across, most of them single letters.
    const int quer = q - 2 * Rand;
    auto band = [&](const std::vector<Stueck>& stuecke, int& hoehe, int& oben, int& unten) {
        std::vector<int> hoehen;
        for (const Stueck& s : stuecke)
            if (s.anzahl >= 3 && 2 * s.Hoehe() >= quer)
                hoehen.push_back(s.Hoehe());
        if (hoehen.size() < 2)
            return false;
        hoehe = Median(hoehen);
        std::vector<int> oben_, unten_;
        for (const Stueck& s : stuecke)
            if (s.anzahl >= 3 && std::abs(s.Hoehe() - hoehe) <= 0.25 * hoehe) {
                oben_.push_back(s.oben);
                unten_.push_back(s.unten);
            }
        if (oben_.size() < 2)
            return false;
        oben = Median(oben_);
        unten = Median(unten_);
        return true;
    };
    int hoehe = 0, oben = 0, unten = 0;
    if (!band(Fleck::Alle(maske, l, q), hoehe, oben, unten))
        return box;
    const int d = std::max(2, static_cast<int>(std::lround(0.2 * hoehe)));

    // A column whose ink runs unbroken from above the band to below it is a line crossing there
    // (a letter's stroke ends at the band's edge, give or take a pixel of blur).
    const int ueber = std::max(2, static_cast<int>(std::lround(0.12 * hoehe)));
    if (oben - ueber >= 0 && unten + ueber < q)
        for (int u = 0; u < l; ++u) {
            bool durch = true;
            for (int v = oben - ueber; v <= unten + ueber && durch; ++v)
                durch = at(u, v) != 0;
            if (!durch)
                continue;
            int v0 = oben - ueber, v1 = unten + ueber;
            while (v0 > 0 && at(u, v0 - 1))
                --v0;
            while (v1 + 1 < q && at(u, v1 + 1))
                ++v1;
            for (int v = v0; v <= v1; ++v)
                at(u, v) = 0;
        }

    // Letters: of the letters' height, keeping to their band; a letter's tail or a stroke
    // joined to it may reach out on one side a little, a line reaches out on both or far.
    // A letter that a line crossed lost the line's pixels with it: its parts above and below,
    // both within the band and one over the other, are one letter again.
    std::vector<Stueck> stuecke = Fleck::Alle(maske, l, q);
    auto drin = [&](const Stueck& s) { return s.oben >= oben - d && s.unten <= unten + d; };
    for (bool weiter = true; weiter;) {
        weiter = false;
        for (std::size_t i = 0; i < stuecke.size() && !weiter; ++i)
            for (std::size_t j = i + 1; j < stuecke.size() && !weiter; ++j) {
                Stueck& a = stuecke[i];
                const Stueck& c = stuecke[j];
                const int ueber = std::min(a.rechts, c.rechts) - std::max(a.links, c.links) + 1;
                const int luecke = std::max(a.oben, c.oben) - std::min(a.unten, c.unten) - 1;
                if (!drin(a) || !drin(c) || 2 * ueber < std::min(a.rechts - a.links, c.rechts - c.links) + 1 || luecke < 0 ||
                    luecke > std::max(2.0, 0.35 * hoehe))
                    continue;
                a = Stueck{std::min(a.links, c.links), std::min(a.oben, c.oben), std::max(a.rechts, c.rechts), std::max(a.unten, c.unten),
                           a.anzahl + c.anzahl};
                stuecke.erase(stuecke.begin() + static_cast<std::ptrdiff_t>(j));
                weiter = true;
            }
    }
    int erster = l, letzter = -1, ganzOben = q, ganzUnten = -1;
    for (const Stueck& s : stuecke) {
        if (s.anzahl < 3 || s.Hoehe() < 0.6 * hoehe)
            continue;
        const int drueber = oben - s.oben, drunter = s.unten - unten;
        const bool imBand = drueber <= d && drunter <= d;
        const bool einseitig = (drueber <= d || drunter <= d) && std::max(drueber, drunter) <= 0.4 * hoehe &&
                               s.rechts - s.links + 1 >= 0.3 * hoehe;
        if (!imBand && !einseitig)
            continue;
        erster = std::min(erster, s.links);
        letzter = std::max(letzter, s.rechts);
        ganzOben = std::min(ganzOben, s.oben);
        ganzUnten = std::max(ganzUnten, s.unten);
    }
    if (letzter < 0)
        return box;
    // only what lies beyond the letters is taken off; the box is never made larger
    const int kante = 2;
    const int a0 = senkrecht ? box.top() : box.left(), a1 = senkrecht ? box.bottom() : box.right();
    const int q0 = senkrecht ? box.left() : box.top(), q1 = senkrecht ? box.right() : box.bottom();
    const int l0 = senkrecht ? r.top() : r.left(), r0 = senkrecht ? r.left() : r.top();
    int von = a0, bis = a1, obenNeu = q0, untenNeu = q1;
    if (l0 + erster >= a0 + kante)
        von = l0 + erster;
    if (l0 + letzter <= a1 - kante)
        bis = l0 + letzter;
    if (r0 + ganzOben >= q0 + kante)
        obenNeu = r0 + ganzOben;
    if (r0 + ganzUnten <= q1 - kante)
        untenNeu = r0 + ganzUnten;
    if (bis - von + 1 < hoehe || untenNeu - obenNeu + 1 < 0.6 * hoehe)
        return box;
    return senkrecht ? QRect(QPoint(obenNeu, von), QPoint(untenNeu, bis)) : QRect(QPoint(von, obenNeu), QPoint(bis, untenNeu));
}
