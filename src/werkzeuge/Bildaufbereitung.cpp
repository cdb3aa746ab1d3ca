#include "werkzeuge/Bildaufbereitung.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Teil {
    int links, oben, rechts, unten;  // inclusive
    int anzahl = 0;
    int Breite() const { return rechts - links + 1; }
    int Hoehe() const { return unten - oben + 1; }
};

// The 8-connected blobs of set pixels; marke gets each pixel's blob number + 1 (0: unset).
std::vector<Teil> Komponenten(const std::vector<std::uint8_t>& maske, int b, int h, std::vector<int>* marke = nullptr) {
    std::vector<int> eigene;
    std::vector<int>& m = marke ? *marke : eigene;
    m.assign(maske.size(), 0);
    std::vector<Teil> teile;
    std::vector<int> stapel;
    for (int start = 0; start < static_cast<int>(maske.size()); ++start) {
        if (!maske[static_cast<std::size_t>(start)] || m[static_cast<std::size_t>(start)])
            continue;
        Teil t{start % b, start / b, start % b, start / b, 0};
        const int nr = static_cast<int>(teile.size()) + 1;
        m[static_cast<std::size_t>(start)] = nr;
        stapel.push_back(start);
        while (!stapel.empty()) {
            const int i = stapel.back();
            stapel.pop_back();
            const int x = i % b, y = i / b;
            ++t.anzahl;
            t.links = std::min(t.links, x);
            t.rechts = std::max(t.rechts, x);
            t.oben = std::min(t.oben, y);
            t.unten = std::max(t.unten, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= b || ny >= h)
                        continue;
                    const std::size_t n = static_cast<std::size_t>(ny) * b + nx;
                    if (maske[n] && !m[n]) {
                        m[n] = nr;
                        stapel.push_back(static_cast<int>(n));
                    }
                }
        }
        teile.push_back(t);
    }
    return teile;
}

QRect Rechteck(const Teil& t) { return QRect(t.links, t.oben, t.Breite(), t.Hoehe()); }

}  // namespace

Bildaufbereitung::Bildaufbereitung(std::vector<std::uint8_t> grau, int breite, int hoehe)
    : m_p(std::move(grau)), m_b(breite), m_h(hoehe) {}

int Bildaufbereitung::Gleichrichten() {
    if (m_p.empty())
        return 0;
    // A picture mostly dark is read turned over: its labels are light.
    long long summe = 0;
    long long n = 0;
    for (std::size_t i = 0; i < m_p.size(); i += 7, ++n)
        summe += m_p[i];
    if (summe < 110 * n)
        for (auto& v : m_p)
            v = static_cast<std::uint8_t>(255 - v);

    // Dark plates: solid dark blobs with light text in them. A pipe or line
    // joining one is cut off by trimming rows and columns that are mostly light.
    std::vector<std::uint8_t> dunkel(m_p.size());
    for (std::size_t i = 0; i < m_p.size(); ++i)
        dunkel[i] = m_p[i] < 96;
    std::vector<int> marke;
    const std::vector<Teil> teile = Komponenten(dunkel, m_b, m_h, &marke);
    std::vector<std::uint8_t> gedreht(m_p.size(), 0);
    int platten = 0;
    for (std::size_t k = 0; k < teile.size(); ++k) {
        const Teil& t = teile[k];
        if (t.Breite() < 20 || t.Hoehe() < 12 || t.anzahl < 300)
            continue;
        const int nr = static_cast<int>(k) + 1;
        int l = t.links, r = t.rechts, o = t.oben, u = t.unten;
        auto zeile = [&](int y) {
            int c = 0;
            for (int x = l; x <= r; ++x)
                c += marke[static_cast<std::size_t>(y) * m_b + x] == nr;
            return c;
        };
        auto spalte = [&](int x) {
            int c = 0;
            for (int y = o; y <= u; ++y)
                c += marke[static_cast<std::size_t>(y) * m_b + x] == nr;
            return c;
        };
        for (int runde = 0; runde < 2 && l < r && o < u; ++runde) {
            while (o < u && zeile(o) < 0.4 * (r - l + 1))
                ++o;
            while (u > o && zeile(u) < 0.4 * (r - l + 1))
                --u;
            while (l < r && spalte(l) < 0.4 * (u - o + 1))
                ++l;
            while (r > l && spalte(r) < 0.4 * (u - o + 1))
                --r;
        }
        const int b = r - l + 1, h = u - o + 1;
        if (b < 20 || h < 12)
            continue;
        int voll = 0;
        for (int y = o; y <= u; ++y)
            voll += zeile(y);
        const double anteil = static_cast<double>(voll) / (static_cast<double>(b) * h);
        // a plate holds text (it is not solid) but is mostly ground (not a bold letter or a pipe knot)
        if (anteil < 0.6 || anteil > 0.98)
            continue;
        ++platten;
        for (int y = o; y <= u; ++y)
            for (int x = l; x <= r; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * m_b + x;
                if (!gedreht[i]) {
                    gedreht[i] = 1;
                    m_p[i] = static_cast<std::uint8_t>(255 - m_p[i]);
                }
            }
    }
    return platten;
}

QList<QRect> Bildaufbereitung::SenkrechteZeilen(const QList<QRect>& gelesen) const {
    std::vector<std::uint8_t> tinte(m_p.size());
    for (std::size_t i = 0; i < m_p.size(); ++i)
        tinte[i] = m_p[i] < 128;
    std::vector<Teil> kandidaten;
    for (const Teil& t : Komponenten(tinte, m_b, m_h)) {
        if (t.Breite() < 2 || t.Breite() > 48 || t.Hoehe() < 2 || t.Hoehe() > 40 || t.anzahl < 4)
            continue;
        const QPoint mitte = Rechteck(t).center();
        if (std::any_of(gelesen.begin(), gelesen.end(), [&](const QRect& g) { return g.adjusted(-2, -2, 2, 2).contains(mitte); }))
            continue;
        kandidaten.push_back(t);
    }
    std::sort(kandidaten.begin(), kandidaten.end(), [](const Teil& a, const Teil& b) { return a.oben < b.oben; });
    std::vector<int> wurzel(kandidaten.size());
    for (std::size_t i = 0; i < wurzel.size(); ++i)
        wurzel[i] = static_cast<int>(i);
    auto finden = [&](int i) {
        while (wurzel[static_cast<std::size_t>(i)] != i)
            i = wurzel[static_cast<std::size_t>(i)] = wurzel[static_cast<std::size_t>(wurzel[static_cast<std::size_t>(i)])];
        return i;
    };
    for (std::size_t i = 0; i < kandidaten.size(); ++i) {
        const Teil& a = kandidaten[i];
        for (std::size_t j = i + 1; j < kandidaten.size() && kandidaten[j].oben <= a.unten + 24; ++j) {
            const Teil& b = kandidaten[j];
            const int schmal = std::min(a.Breite(), b.Breite()), breit = std::max(a.Breite(), b.Breite());
            const int ueber = std::min(a.rechts, b.rechts) - std::max(a.links, b.links) + 1;
            const int luecke = b.oben - a.unten - 1;
            // letters of one turned word: side by side along the text, close, of one size across it
            if (ueber >= 0.5 * schmal && luecke >= -2 && luecke <= std::max(3.0, 0.45 * breit) && breit <= 4 * schmal)
                wurzel[static_cast<std::size_t>(finden(static_cast<int>(j)))] = finden(static_cast<int>(i));
        }
    }
    std::vector<std::pair<int, QRect>> gruppen(kandidaten.size(), {0, QRect()});
    for (std::size_t i = 0; i < kandidaten.size(); ++i) {
        auto& g = gruppen[static_cast<std::size_t>(finden(static_cast<int>(i)))];
        ++g.first;
        g.second = g.second.united(Rechteck(kandidaten[i]));
    }
    QList<QRect> zeilen;
    for (const auto& [anzahl, box] : gruppen)
        if (anzahl >= 3 && box.height() >= 1.8 * box.width() && box.width() >= 7 && box.width() <= 48)
            zeilen << box;
    return zeilen;
}

QRect Bildaufbereitung::Tinte(const QRect& box, double kappe, bool senkrecht) const {
    const QRect r = box.adjusted(-3, -3, 3, 3).intersected(QRect(0, 0, m_b, m_h));
    if (r.width() < 2 || r.height() < 2)
        return box;
    const int b = r.width(), h = r.height();
    std::array<int, 256> haeufig{};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < b; ++x)
            ++haeufig[At(r.x() + x, r.y() + y)];
    auto anteil = [&](double q) {
        const int ziel = static_cast<int>(q * b * h);
        int summe = 0;
        for (int v = 0; v < 256; ++v)
            if ((summe += haeufig[static_cast<std::size_t>(v)]) > ziel)
                return v;
        return 255;
    };
    const int dunkel = anteil(0.05), hell = anteil(0.9);
    if (hell - dunkel < 40)
        return box;
    const int schwelle = (dunkel + hell) / 2;
    std::vector<std::uint8_t> tinte(static_cast<std::size_t>(b) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < b; ++x)
            tinte[static_cast<std::size_t>(y) * b + x] = At(r.x() + x, r.y() + y) < schwelle;

    // Along the text no letter has a straight run longer than about its height,
    // across it none longer than its height: longer runs are lines and frames.
    if (kappe <= 0)
        kappe = senkrecht ? box.width() : box.height();
    kappe = std::max(kappe, 6.0);
    const int laengs = static_cast<int>(std::lround(1.2 * kappe + 2)), quer = static_cast<int>(std::lround(1.25 * kappe + 3));
    const int waagrecht = senkrecht ? quer : laengs, lotrecht = senkrecht ? laengs : quer;
    std::vector<std::uint8_t> linie(tinte.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < b;) {
            int e = x;
            while (e < b && tinte[static_cast<std::size_t>(y) * b + e])
                ++e;
            if (e - x >= waagrecht)
                for (int k = x; k < e; ++k)
                    linie[static_cast<std::size_t>(y) * b + k] = 1;
            x = e + 1;
        }
    for (int x = 0; x < b; ++x)
        for (int y = 0; y < h;) {
            int e = y;
            while (e < h && tinte[static_cast<std::size_t>(e) * b + x])
                ++e;
            if (e - y >= lotrecht)
                for (int k = y; k < e; ++k)
                    linie[static_cast<std::size_t>(k) * b + x] = 1;
            y = e + 1;
        }
    for (std::size_t i = 0; i < tinte.size(); ++i)
        tinte[i] = tinte[i] && !linie[i];

    const QRect kern = box.translated(-r.topLeft());
    QRect ergebnis;
    for (const Teil& t : Komponenten(tinte, b, h)) {
        const QRect tr = Rechteck(t);
        if (t.anzahl < 2 || !tr.intersects(kern))
            continue;
        // a piece at the edge that lies mostly outside the word belongs to the drawing around it
        const QRect drin = tr.intersected(kern);
        if ((t.links == 0 || t.oben == 0 || t.rechts == b - 1 || t.unten == h - 1) &&
            2 * drin.width() * drin.height() < tr.width() * tr.height())
            continue;
        ergebnis = ergebnis.united(tr);
    }
    return ergebnis.isEmpty() ? box : ergebnis.translated(r.topLeft());
}

bool Bildaufbereitung::Umschlossen(const QRect& box) const {
    const QRect innen = box.adjusted(-1, -1, 1, 1);
    const int weite = static_cast<int>(0.9 * std::max(box.width(), box.height())) + 6;
    const QPoint mitte = box.center();
    static constexpr int Richtungen[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto& d : Richtungen) {
        int x = mitte.x(), y = mitte.y();
        while (innen.contains(x, y)) {
            x += d[0];
            y += d[1];
        }
        bool getroffen = false;
        for (int s = 0; s < weite && !getroffen; ++s, x += d[0], y += d[1]) {
            if (x < 0 || y < 0 || x >= m_b || y >= m_h)
                return false;
            getroffen = At(x, y) < 128;
        }
        if (!getroffen)
            return false;
    }
    return true;
}
