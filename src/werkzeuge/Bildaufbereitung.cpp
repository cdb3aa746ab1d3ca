#include "werkzeuge/Bildaufbereitung.h"

#include "werkzeuge/Fleck.h"
#include "werkzeuge/Plattenpruefung.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

using Teil = Fleck;

QRect Rechteck(const Teil& t) { return QRect(t.links, t.oben, t.Breite(), t.Hoehe()); }

// Parts that belong to one line, joined pairwise: the parts are sorted along the
// line, weiter(a, b) says whether b can still be near a (the search for a's
// neighbours ends at the first that cannot), gehoert(a, b) whether they join.
// Each group comes with its number of parts and the box around them.
template <class Weiter, class Gehoert>
std::vector<std::pair<int, QRect>> Gruppen(const std::vector<Teil>& teile, Weiter weiter, Gehoert gehoert) {
    std::vector<int> wurzel(teile.size());
    for (std::size_t i = 0; i < wurzel.size(); ++i)
        wurzel[i] = static_cast<int>(i);
    auto finden = [&](int i) {
        while (wurzel[static_cast<std::size_t>(i)] != i)
            i = wurzel[static_cast<std::size_t>(i)] = wurzel[static_cast<std::size_t>(wurzel[static_cast<std::size_t>(i)])];
        return i;
    };
    for (std::size_t i = 0; i < teile.size(); ++i)
        for (std::size_t j = i + 1; j < teile.size() && weiter(teile[i], teile[j]); ++j)
            if (gehoert(teile[i], teile[j]))
                wurzel[static_cast<std::size_t>(finden(static_cast<int>(j)))] = finden(static_cast<int>(i));
    std::vector<std::pair<int, QRect>> gruppen(teile.size(), {0, QRect()});
    for (std::size_t i = 0; i < teile.size(); ++i) {
        auto& g = gruppen[static_cast<std::size_t>(finden(static_cast<int>(i)))];
        ++g.first;
        g.second = g.second.united(Rechteck(teile[i]));
    }
    return gruppen;
}

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

    // Dark plates: the dark parts of the picture with the light text in them
    // closed up (5 x 5) and everything thinner than 13 pixels opened away, so
    // pipes and lines, also those joining a plate, and dark letters are gone.
    // What is left is a plate when its rim is dark all round and it holds
    // some light (its text).
    const int b = m_b, h = m_h;
    std::vector<std::uint8_t> d(m_p.size());
    for (std::size_t i = 0; i < m_p.size(); ++i)
        d[i] = m_p[i] < 96;
    // k x k square: dehnen sets a pixel when any pixel around is set, else only when all are (as far
    // as the picture goes). Across, each run of set pixels sets its stretch at once (the mask is mostly
    // empty); down, whole rows are joined, so the picture is only ever walked along its rows.
    auto filter = [b, h](std::vector<std::uint8_t>& m, int k, bool dehnen) {
        const int r = k / 2;
        std::vector<std::uint8_t> t(m.size(), 0);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* zeile = &m[static_cast<std::size_t>(y) * b];
            std::uint8_t* ziel = &t[static_cast<std::size_t>(y) * b];
            for (int x = 0; x < b;) {
                std::uint64_t acht = 0;
                if (x + 8 <= b && (std::memcpy(&acht, zeile + x, 8), acht == 0)) {
                    x += 8;
                    continue;
                }
                if (!zeile[x]) {
                    ++x;
                    continue;
                }
                int e = x;
                while (e < b && zeile[e])
                    ++e;
                // the run x .. e - 1; a square reaching past the picture's edge counts only what is inside
                const int von = dehnen ? std::max(0, x - r) : (x == 0 ? 0 : x + r);
                const int bis = dehnen ? std::min(b - 1, e - 1 + r) : (e == b ? b - 1 : e - 1 - r);
                if (von <= bis)
                    std::memset(ziel + von, 1, static_cast<std::size_t>(bis - von + 1));
                x = e;
            }
        }
        // eight pixels a machine word
        const int worte = b / 8;
        for (int y = 0; y < h; ++y) {
            const int oben = std::max(0, y - r), unten = std::min(h - 1, y + r);
            std::uint8_t* ziel = &m[static_cast<std::size_t>(y) * b];
            std::memcpy(ziel, &t[static_cast<std::size_t>(oben) * b], static_cast<std::size_t>(b));
            for (int z = oben + 1; z <= unten; ++z) {
                const std::uint8_t* quelle = &t[static_cast<std::size_t>(z) * b];
                for (int w = 0; w < worte; ++w) {
                    std::uint64_t a = 0, q = 0;
                    std::memcpy(&a, ziel + 8 * w, 8);
                    std::memcpy(&q, quelle + 8 * w, 8);
                    a = dehnen ? a | q : a & q;
                    std::memcpy(ziel + 8 * w, &a, 8);
                }
                for (int x = 8 * worte; x < b; ++x)
                    ziel[x] = dehnen ? ziel[x] | quelle[x] : ziel[x] & quelle[x];
            }
        }
    };
    std::vector<std::uint8_t> flaechen = d;
    filter(flaechen, 5, true);
    filter(flaechen, 5, false);
    filter(flaechen, 13, false);
    filter(flaechen, 13, true);
    const Plattenpruefung pruefung(d, b, h);
    std::vector<QRect> stuecke;
    for (const Teil& t : Fleck::Alle(flaechen, b, h))
        stuecke.push_back(Rechteck(t));
    std::vector<std::uint8_t> gedreht(m_p.size(), 0);
    int platten = 0;
    for (const QRect& stueck : Plattenpruefung::Kandidaten(stuecke)) {
        const QRect k = pruefung.Angepasst(stueck);
        if (!pruefung.IstPlatte(k))
            continue;
        // a plate's pieces and the box around them are one plate
        int neu = 0;
        for (int y = k.top(); y <= k.bottom(); ++y)
            for (int x = k.left(); x <= k.right(); ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * b + x;
                if (!gedreht[i]) {
                    gedreht[i] = 1;
                    m_p[i] = static_cast<std::uint8_t>(255 - m_p[i]);
                    ++neu;
                }
            }
        platten += 2 * neu > k.width() * k.height();
        // the plate's edge, softened by blur, would stay a grey frame around the light plate
        // close to its letters: two pixels either side of it are made light, turned over or not
        const QRect rand = k.adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, b, h)), innen = k.adjusted(2, 2, -2, -2);
        for (int y = rand.top(); y <= rand.bottom(); ++y)
            for (int x = rand.left(); x <= rand.right(); ++x)
                if (!innen.contains(x, y)) {
                    const std::size_t i = static_cast<std::size_t>(y) * b + x;
                    m_p[i] = std::max(m_p[i], static_cast<std::uint8_t>(255 - m_p[i]));
                    gedreht[i] = 1;
                }
    }
    return platten;
}

void Bildaufbereitung::ZeichnungEntfernen() {
    // No stroke of a letter is this long; a line through or under a label is.
    constexpr int Linie = 34;
    // Nothing larger than this is a letter of a label, and thin outlines this large are no letter either.
    constexpr int Gross = 44, Ring = 28;
    // No letter of a label is larger than this either way (caps of 20 pixels, a wide letter turned).
    constexpr int Buchstabe = 24;
    std::vector<std::uint8_t> tinte(m_p.size());
    for (std::size_t i = 0; i < m_p.size(); ++i)
        tinte[i] = m_p[i] < 128;
    std::vector<std::uint8_t> weg(m_p.size(), 0);
    // Frames first, whole: a rectangle's outline, its sides shorter than any line,
    // would be read as "I" beside the text it frames.
    {
        std::vector<int> marke;
        const std::vector<Teil> teile = Fleck::Alle(tinte, m_b, m_h, &marke);
        std::vector<std::uint8_t> rahmen(teile.size(), 0);
        for (std::size_t k = 0; k < teile.size(); ++k) {
            const Teil& t = teile[k];
            if (t.Breite() < 16 || t.Hoehe() < 12 || t.Breite() > 600 || t.Hoehe() > 400)
                continue;
            const int nr = static_cast<int>(k) + 1;
            auto hat = [&](int x, int y) { return marke[static_cast<std::size_t>(y) * m_b + x] == nr; };
            // the pixels of each side the outline covers: top, bottom, left, right
            int seite[4] = {0, 0, 0, 0};
            for (int x = t.links; x <= t.rechts; ++x) {
                seite[0] += hat(x, t.oben) || hat(x, t.oben + 1);
                seite[1] += hat(x, t.unten) || hat(x, t.unten - 1);
            }
            for (int y = t.oben; y <= t.unten; ++y) {
                seite[2] += hat(t.links, y) || hat(t.links + 1, y);
                seite[3] += hat(t.rechts, y) || hat(t.rechts - 1, y);
            }
            const int rand = 2 * (t.Breite() + t.Hoehe());
            rahmen[k] = seite[0] + seite[1] + seite[2] + seite[3] >= 0.85 * rand;
            // A letter as large as a frame's least size may cover its box nearly all round: a "B" or
            // "D" turned on its side, whose stem lies along one side and bars along two. A rounded
            // side leaves a quarter of its length or more uncovered, a drawn frame's sides are straight.
            if (rahmen[k] && std::max(t.Breite(), t.Hoehe()) <= Buchstabe) {
                const double breit = seite[0] < seite[1] ? seite[0] : seite[1], hoch = seite[2] < seite[3] ? seite[2] : seite[3];
                rahmen[k] = std::min(breit / t.Breite(), hoch / t.Hoehe()) >= 0.8;
            }
        }
        // only the frame's own band goes: a letter touching the frame inside keeps its strokes
        for (std::size_t i = 0; i < marke.size(); ++i)
            if (marke[i] && rahmen[static_cast<std::size_t>(marke[i] - 1)]) {
                const Teil& t = teile[static_cast<std::size_t>(marke[i] - 1)];
                const int x = static_cast<int>(i % static_cast<std::size_t>(m_b)), y = static_cast<int>(i / static_cast<std::size_t>(m_b));
                if (x - t.links <= 2 || t.rechts - x <= 2 || y - t.oben <= 2 || t.unten - y <= 2)
                    weg[i] = 1;
            }
    }
    // long runs across and down: lines
    std::vector<std::uint8_t> waag(m_p.size(), 0), lot(m_p.size(), 0);
    auto idx = [this](int x, int y) { return static_cast<std::size_t>(y) * m_b + x; };
    for (int y = 0; y < m_h; ++y)
        for (int x = 0; x < m_b;) {
            int e = x;
            while (e < m_b && tinte[idx(e, y)])
                ++e;
            if (e - x >= Linie)
                for (int k = x; k < e; ++k)
                    waag[idx(k, y)] = 1;
            x = e + 1;
        }
    // Down the columns all at once, row by row (a walk down each column would miss the cache at every
    // pixel): each column's ink counted down to the row above.
    {
        std::vector<int> lauf(static_cast<std::size_t>(m_b), 0);
        for (int y = 0; y <= m_h; ++y)
            for (int x = 0; x < m_b; ++x) {
                int& n = lauf[static_cast<std::size_t>(x)];
                if (y < m_h && tinte[idx(x, y)]) {
                    ++n;
                    continue;
                }
                if (n >= Linie)
                    for (int k = y - n; k < y; ++k)
                        lot[idx(x, k)] = 1;
                n = 0;
            }
    }
    // A stroke of a letter that a line crosses goes on through it: where ink
    // stands on both sides of a thin line, those pixels stay, with the stroke's ink.
    // Each column on its own, the rows in order; walked along the rows, where a line is rare.
    std::vector<std::pair<std::size_t, std::uint8_t>> strich;
    for (int y = 1; y < m_h - 1; ++y)
        for (int x = 0; x < m_b; ++x) {
            if (!waag[idx(x, y)] || waag[idx(x, y - 1)])
                continue;
            int e = y;
            while (e < m_h - 1 && waag[idx(x, e)])
                ++e;
            if (e - y <= 8 && tinte[idx(x, y - 1)] && tinte[idx(x, e)])
                for (int k = y; k < e; ++k) {
                    waag[idx(x, k)] = 0;
                    strich.emplace_back(idx(x, k), std::max(m_p[idx(x, y - 1)], m_p[idx(x, e)]));
                }
        }
    for (int y = 0; y < m_h; ++y)
        for (int x = 1; x < m_b - 1; ++x) {
            if (!lot[idx(x, y)] || lot[idx(x - 1, y)])
                continue;
            int e = x;
            while (e < m_b - 1 && lot[idx(e, y)])
                ++e;
            if (e - x <= 8 && tinte[idx(x - 1, y)] && tinte[idx(e, y)])
                for (int k = x; k < e; ++k) {
                    lot[idx(k, y)] = 0;
                    strich.emplace_back(idx(k, y), std::max(m_p[idx(x - 1, y)], m_p[idx(e, y)]));
                }
        }
    // A line laid exactly over a letter's bar ("8", "4", "E") takes the bar with it: where the
    // letter's ink stands close above and below a thin line, the line may be the bar. Those
    // pixels are kept apart, for another reading of the letters with them (Balken); so are,
    // more strictly, those into which a stroke runs on one side at least (no letter's hollow).
    std::vector<std::pair<std::size_t, std::uint8_t>> balken;
    {
        constexpr int Nah = 10;
        auto letter = [&](int x, int y) { return tinte[idx(x, y)] && !waag[idx(x, y)] && !lot[idx(x, y)]; };
        for (int y = 1; y < m_h - 1; ++y)
            for (int x = 0; x < m_b; ++x) {
                if (!waag[idx(x, y)] || waag[idx(x, y - 1)])
                    continue;
                int e = y;
                while (e < m_h - 1 && waag[idx(x, e)])
                    ++e;
                if (e - y > 8)
                    continue;
                bool oben = false, unten = false;
                for (int k = 1; k <= Nah && !oben && y - k >= 0; ++k)
                    oben = letter(x, y - k);
                for (int k = 0; k < Nah && !unten && e + k < m_h; ++k)
                    unten = letter(x, e + k);
                const std::uint8_t art = letter(x, y - 1) || letter(x, e) ? 3 : 1;
                if (oben && unten)
                    for (int k = y; k < e; ++k)
                        balken.emplace_back(idx(x, k), art);
            }
    }
    for (std::size_t i = 0; i < tinte.size(); ++i) {
        weg[i] = weg[i] || waag[i] || lot[i];
        tinte[i] = tinte[i] && !weg[i];
    }
    std::vector<int> marke;
    const std::vector<Teil> teile = Fleck::Alle(tinte, m_b, m_h, &marke);
    std::vector<std::uint8_t> gross(teile.size(), 0);
    auto waagAn = [&](int l, int r, int y) {
        if (y < 0 || y >= m_h)
            return false;
        for (int x = std::max(0, l - 1); x <= std::min(m_b - 1, r + 1); ++x)
            if (waag[idx(x, y)])
                return true;
        return false;
    };
    for (std::size_t k = 0; k < teile.size(); ++k) {
        const Teil& t = teile[k];
        const double anteil = static_cast<double>(t.anzahl) / (static_cast<double>(t.Breite()) * t.Hoehe());
        // the side of a frame whose top and bottom went as lines would be read as "I"
        const bool rahmenseite = t.Breite() <= 4 && t.Hoehe() >= 8 && waagAn(t.links, t.rechts, t.oben - 1) &&
                                 waagAn(t.links, t.rechts, t.unten + 1);
        gross[k] = rahmenseite || std::max(t.Breite(), t.Hoehe()) > Gross ||
                   (std::min(t.Breite(), t.Hoehe()) >= Ring && anteil < 0.2);
    }
    for (std::size_t i = 0; i < marke.size(); ++i)
        if (marke[i] && gross[static_cast<std::size_t>(marke[i] - 1)])
            weg[i] = 1;
    // what goes becomes the ground, the most common light grey, with the soft edge around it
    std::array<int, 256> haeufig{};
    for (std::size_t i = 0; i < m_p.size(); i += 3)
        ++haeufig[m_p[i]];
    const std::uint8_t grund = static_cast<std::uint8_t>(std::max_element(haeufig.begin() + 128, haeufig.end()) - haeufig.begin());
    std::vector<std::uint8_t> bild = m_p;
    for (int y = 0; y < m_h; ++y)
        for (int x = 0; x < m_b; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_b + x;
            if (!weg[i])
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= m_b || ny >= m_h)
                        continue;
                    const std::size_t n = static_cast<std::size_t>(ny) * m_b + nx;
                    if (weg[n] || (!tinte[n] && bild[n] < grund))
                        bild[n] = grund;
                }
        }
    // a stroke kept through a line has the ink of its ends, not the line's grey
    for (const auto& [i, grau] : strich)
        bild[i] = std::min(bild[i], grau);
    m_balken.assign(m_p.size(), 0);
    for (const auto& [i, art] : balken)
        m_balken[i] = art;
    m_ohne = std::move(bild);
}

void Bildaufbereitung::GeteilteVereinen(std::vector<QRect>& stuecke, const QRect& r, bool senkrecht, double kappe, int schwelle) const {
    if (m_ohne.empty())
        return;
    // along and across the text, in cells of r
    auto laengs = [senkrecht](const QRect& q) { return senkrecht ? std::make_pair(q.top(), q.bottom()) : std::make_pair(q.left(), q.right()); };
    auto quer = [senkrecht](const QRect& q) { return senkrecht ? std::make_pair(q.left(), q.right()) : std::make_pair(q.top(), q.bottom()); };
    auto entfernt = [&](int u, int v) {
        const int x = r.x() + (senkrecht ? v : u), y = r.y() + (senkrecht ? u : v);
        const std::size_t i = static_cast<std::size_t>(y) * m_b + x;
        return m_p[i] < schwelle && m_ohne[i] >= schwelle;
    };
    const double luecke = std::max(2.0, 0.35 * kappe);
    for (bool weiter = true; weiter;) {
        weiter = false;
        for (std::size_t i = 0; i < stuecke.size() && !weiter; ++i)
            for (std::size_t j = 0; j < stuecke.size() && !weiter; ++j) {
                if (i == j)
                    continue;
                const auto [l0, l1] = laengs(stuecke[i]);
                const auto [m0, m1] = laengs(stuecke[j]);
                const int von = std::max(l0, m0), bis = std::min(l1, m1);
                // i above j, overlapping along the text by half the narrower one
                if (2 * (bis - von + 1) < std::min(l1 - l0, m1 - m0) + 1)
                    continue;
                const int g0 = quer(stuecke[i]).second + 1, g1 = quer(stuecke[j]).first - 1;
                if (g1 < g0 || g1 - g0 + 1 > luecke)
                    continue;
                bool ganz = true;
                for (int v = g0; v <= g1 && ganz; ++v) {
                    bool zeile = false;
                    for (int u = von; u <= bis && !zeile; ++u)
                        zeile = entfernt(u, v);
                    ganz = zeile;
                }
                if (!ganz)
                    continue;
                stuecke[i] = stuecke[i].united(stuecke[j]);
                stuecke.erase(stuecke.begin() + static_cast<std::ptrdiff_t>(j));
                weiter = true;
            }
    }
}

std::vector<std::uint8_t> Bildaufbereitung::MitBalken(bool streng) const {
    std::vector<std::uint8_t> p = OhneZeichnung();
    if (!m_balken.empty())
        for (std::size_t i = 0; i < p.size(); ++i)
            if (m_balken[i] & (streng ? 2 : 1))
                p[i] = m_p[i];
    return p;
}

int Bildaufbereitung::Balken(const QRect& box, bool streng) const {
    if (m_balken.empty())
        return 0;
    const QRect r = box.intersected(QRect(0, 0, m_b, m_h));
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (m_balken[static_cast<std::size_t>(y) * m_b + x] & (streng ? 2 : 1)) != 0;
    return n;
}

QList<QRect> Bildaufbereitung::SenkrechteZeilen(const QList<QRect>& gelesen) const { return SpaltenUnter(128, gelesen); }

QList<QRect> Bildaufbereitung::BlasseSpalten(const QList<QRect>& gelesen, const QList<QRect>& dunkel) const {
    const int stufe = BlasseStufe();
    if (stufe == 0)
        return {};
    QList<QRect> blass;
    for (const QRect& s : SpaltenUnter(stufe, gelesen))
        if (std::none_of(dunkel.begin(), dunkel.end(), [&s](const QRect& d) { return d.intersects(s); }))
            blass << s;
    return blass;
}

QList<QRect> Bildaufbereitung::SpaltenUnter(int stufe, const QList<QRect>& gelesen) const {
    // on the copy without the drawing: a pipe touching a letter would make it too large for one
    const std::vector<std::uint8_t>& p = OhneZeichnung();
    std::vector<std::uint8_t> tinte(p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        tinte[i] = p[i] < stufe;
    std::vector<Teil> kandidaten;
    for (const Teil& t : Fleck::Alle(tinte, m_b, m_h)) {
        if (t.Breite() < 2 || t.Breite() > 48 || t.Hoehe() < 2 || t.Hoehe() > 40 || t.anzahl < 4)
            continue;
        const QPoint mitte = Rechteck(t).center();
        if (std::any_of(gelesen.begin(), gelesen.end(), [&](const QRect& g) { return g.adjusted(-2, -2, 2, 2).contains(mitte); }))
            continue;
        kandidaten.push_back(t);
    }
    std::sort(kandidaten.begin(), kandidaten.end(), [](const Teil& a, const Teil& b) { return a.oben < b.oben; });
    const auto gruppen = Gruppen(
        kandidaten, [](const Teil& a, const Teil& b) { return b.oben <= a.unten + 24; },
        [](const Teil& a, const Teil& b) {
            const int schmal = std::min(a.Breite(), b.Breite()), breit = std::max(a.Breite(), b.Breite());
            const int ueber = std::min(a.rechts, b.rechts) - std::max(a.links, b.links) + 1;
            const int luecke = b.oben - a.unten - 1;
            // letters of one turned word: side by side along the text, close, of one size across it
            // (a hyphen between them is too small to count and leaves a gap of about a letter)
            return ueber >= 0.5 * schmal && luecke >= -2 && luecke <= std::max(3.0, 1.0 * breit) && breit <= 4 * schmal;
        });
    QList<QRect> zeilen;
    for (const auto& [anzahl, box] : gruppen)
        if (anzahl >= 3 && box.height() >= 1.8 * box.width() && box.width() >= 7 && box.width() <= 48)
            zeilen << box;
    return zeilen;
}

QList<QRect> Bildaufbereitung::WaagrechteZeilen() const { return ZeilenUnter(128, 6); }

int Bildaufbereitung::BlasseStufe() const {
    // the ground as the copy for reading has it: the most common light grey
    const std::vector<std::uint8_t>& p = OhneZeichnung();
    std::array<int, 256> haeufig{};
    for (std::size_t i = 0; i < p.size(); i += 3)
        ++haeufig[p[i]];
    const int grund = static_cast<int>(std::max_element(haeufig.begin() + 128, haeufig.end()) - haeufig.begin());
    return grund < 160 ? 0 : (grund + 128) / 2;
}

QList<QRect> Bildaufbereitung::BlasseZeilen(const QList<QRect>& dunkel) const {
    const int stufe = BlasseStufe();
    if (stufe == 0)
        return {};
    QList<QRect> blass;
    // the letters of a blurred label run together more: a whole word may be one blob
    for (const QRect& z : ZeilenUnter(stufe, 12))
        if (std::none_of(dunkel.begin(), dunkel.end(), [&z](const QRect& d) { return d.intersects(z); }))
            blass << z;
    return blass;
}

QList<QRect> Bildaufbereitung::ZeilenUnter(int stufe, int breit) const {
    const std::vector<std::uint8_t>& p = OhneZeichnung();
    std::vector<std::uint8_t> tinte(p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        tinte[i] = p[i] < stufe;
    std::vector<Teil> kandidaten;
    for (const Teil& t : Fleck::Alle(tinte, m_b, m_h)) {
        // letters, also a few run together by blur, not dots, dashes or the drawing's remnants
        if (t.Hoehe() < 5 || t.Hoehe() > 40 || t.Breite() > breit * t.Hoehe() + 4 || t.anzahl < 4)
            continue;
        kandidaten.push_back(t);
    }
    std::sort(kandidaten.begin(), kandidaten.end(), [](const Teil& a, const Teil& b) { return a.links < b.links; });
    const auto gruppen = Gruppen(
        kandidaten, [](const Teil& a, const Teil& b) { return b.links <= a.rechts + 41; },
        [](const Teil& a, const Teil& b) {
            const int niedrig = std::min(a.Hoehe(), b.Hoehe()), hoch = std::max(a.Hoehe(), b.Hoehe());
            const int ueber = std::min(a.unten, b.unten) - std::max(a.oben, b.oben) + 1;
            const int luecke = b.links - a.rechts - 1;
            // letters of one line: on one band, close, of one size; a blank of a wide font or a hyphen between them
            return ueber >= 0.5 * niedrig && luecke >= -2 && luecke <= std::max(3.0, 1.0 * hoch) && hoch <= 2.5 * niedrig;
        });
    QList<QRect> zeilen;
    for (const auto& [anzahl, box] : gruppen)
        if (anzahl > 0 && box.height() >= 6 && box.height() <= 45 && box.width() >= 1.2 * box.height() &&
            box.width() <= 40 * box.height() && (anzahl >= 2 || box.width() >= 1.3 * box.height()))
            zeilen << box;
    return zeilen;
}

int Bildaufbereitung::Schwelle(const std::vector<std::uint8_t>& grau) {
    // counted as integers: a count of doubles waits on its own last addition at every pixel
    std::array<std::size_t, 256> anzahl{};
    for (const std::uint8_t v : grau)
        ++anzahl[v];
    std::array<double, 256> haeufig{};
    for (std::size_t v = 0; v < 256; ++v)
        haeufig[v] = static_cast<double>(anzahl[v]);
    const double n = static_cast<double>(grau.size());
    double summe = 0;
    for (int v = 0; v < 256; ++v)
        summe += v * haeufig[static_cast<std::size_t>(v)];
    double unten = 0, untenSumme = 0, besteStreuung = -1;
    int beste = 128;
    for (int v = 0; v < 255; ++v) {
        unten += haeufig[static_cast<std::size_t>(v)];
        untenSumme += v * haeufig[static_cast<std::size_t>(v)];
        if (unten == 0 || unten == n)
            continue;
        const double m1 = untenSumme / unten, m2 = (summe - untenSumme) / (n - unten);
        const double streuung = unten * (n - unten) * (m1 - m2) * (m1 - m2);
        if (streuung > besteStreuung) {
            besteStreuung = streuung;
            beste = v;
        }
    }
    return beste;
}

QRect Bildaufbereitung::Tinte(const QRect& box, double kappe, bool senkrecht) const {
    double hoehe = 0;
    const QRect tinte = TinteIn(box, kappe, senkrecht, &hoehe);
    // the engine's letter height may take in a plate's or frame's edge: the letters' own ink says how high they are
    if (hoehe > 0 && hoehe < 0.75 * std::max(kappe > 0 ? kappe : (senkrecht ? box.width() : box.height()), 6.0))
        return TinteIn(box, hoehe, senkrecht);
    return tinte;
}

QRect Bildaufbereitung::TinteIn(const QRect& box, double kappe, bool senkrecht, double* hoehe) const {
    const std::vector<std::uint8_t>& p = OhneZeichnung();
    auto At = [&p, this](int x, int y) { return p[static_cast<std::size_t>(y) * m_b + x]; };
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
    const QRect kern = box.translated(-r.topLeft());
    // A run of ink along the text is a line when across it the ink is no thicker than a stroke on
    // most of its length; letters run together by blur are thick there. At the letters' top or
    // foot a thin run no longer than two letters may be the bars of "TT" set closely.
    auto ink = [&](int x, int y) { return tinte[static_cast<std::size_t>(y) * b + x] != 0; };
    auto duenn = [&](bool waagrechterLauf, int fest, int von, int bis) {
        const int vonRand = waagrechterLauf ? std::min(fest - kern.top(), kern.bottom() - fest)
                                            : std::min(fest - kern.left(), kern.right() - fest);
        if (vonRand < 0.25 * kappe && bis - von <= 2 * kappe)
            return false;
        const int grenze = std::max(3, static_cast<int>(0.3 * kappe));
        int duenne = 0;
        for (int i = von; i < bis; ++i) {
            int dicke = 1;
            for (int d = 1; d <= grenze && (waagrechterLauf ? fest - d >= 0 && ink(i, fest - d) : fest - d >= 0 && ink(fest - d, i)); ++d)
                ++dicke;
            for (int d = 1; d <= grenze && (waagrechterLauf ? fest + d < h && ink(i, fest + d) : fest + d < b && ink(fest + d, i)); ++d)
                ++dicke;
            duenne += dicke <= grenze;
        }
        return duenne >= 0.6 * (bis - von);
    };
    std::vector<std::uint8_t> linie(tinte.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < b;) {
            int e = x;
            while (e < b && tinte[static_cast<std::size_t>(y) * b + e])
                ++e;
            // along the text, the letters of a small blurred label run into one another: a line
            // along it runs on beside the word or its whole length, or is thin
            const bool laengsLinie = senkrecht || x == 0 || e == b || e - x >= 0.9 * box.width() ||
                                     (e - x >= waagrecht && duenn(true, y, x, e));
            // across the text, ink through the whole margin above and below the letters is a line passing
            const bool quertLinie = senkrecht && x == 0 && e == b && b >= kappe + 5;
            if ((e - x >= waagrecht && laengsLinie) || quertLinie)
                for (int k = x; k < e; ++k)
                    linie[static_cast<std::size_t>(y) * b + k] = 1;
            x = e + 1;
        }
    for (int x = 0; x < b; ++x)
        for (int y = 0; y < h;) {
            int e = y;
            while (e < h && tinte[static_cast<std::size_t>(e) * b + x])
                ++e;
            const bool laengsLinie = !senkrecht || y == 0 || e == h || e - y >= 0.9 * box.height() ||
                                     (e - y >= lotrecht && duenn(false, x, y, e));
            const bool quertLinie = !senkrecht && y == 0 && e == h && h >= kappe + 5;
            if ((e - y >= lotrecht && laengsLinie) || quertLinie)
                for (int k = y; k < e; ++k)
                    linie[static_cast<std::size_t>(k) * b + x] = 1;
            y = e + 1;
        }
    for (std::size_t i = 0; i < tinte.size(); ++i)
        tinte[i] = tinte[i] && !linie[i];

    std::vector<QRect> stuecke;
    for (const Teil& t : Fleck::Alle(tinte, b, h)) {
        const QRect tr = Rechteck(t);
        if (t.anzahl < 2 || !tr.intersects(kern))
            continue;
        // a piece at the edge that lies mostly outside the word belongs to the drawing around it
        const QRect drin = tr.intersected(kern);
        if ((t.links == 0 || t.oben == 0 || t.rechts == b - 1 || t.unten == h - 1) &&
            2 * drin.width() * drin.height() < tr.width() * tr.height())
            continue;
        stuecke.push_back(tr);
    }
    GeteilteVereinen(stuecke, r, senkrecht, kappe, schwelle);
    // The letters share one band across the line of text; a stub of a pipe
    // ending at the label reaches out of it and is left out.
    auto anfang = [senkrecht](const QRect& q) { return senkrecht ? q.left() : q.top(); };
    auto ende = [senkrecht](const QRect& q) { return senkrecht ? q.right() : q.bottom(); };
    std::vector<int> anfaenge, enden;
    for (const QRect& q : stuecke)
        if (ende(q) - anfang(q) + 1 >= 0.6 * kappe) {
            anfaenge.push_back(anfang(q));
            enden.push_back(ende(q));
        }
    // Along the line the letters follow each other closely; a piece at either
    // end further off than most of a letter is a remnant of the drawing.
    auto entlang = [senkrecht](const QRect& q) { return senkrecht ? std::make_pair(q.top(), q.bottom()) : std::make_pair(q.left(), q.right()); };
    std::sort(stuecke.begin(), stuecke.end(), [&](const QRect& a, const QRect& c) { return entlang(a).first < entlang(c).first; });
    for (bool weiter = true; weiter && stuecke.size() > 1;) {
        weiter = false;
        int bisher = entlang(stuecke.front()).second;
        for (std::size_t i = 1; i < stuecke.size(); ++i) {
            if (i == 1 && entlang(stuecke[1]).first - bisher > 0.6 * kappe) {
                stuecke.erase(stuecke.begin());
                weiter = true;
                break;
            }
            if (i + 1 == stuecke.size() && entlang(stuecke[i]).first - bisher > 0.6 * kappe) {
                stuecke.pop_back();
                weiter = true;
                break;
            }
            bisher = std::max(bisher, entlang(stuecke[i]).second);
        }
    }
    // A dash or dot at the end (a hyphen, a stub of a pipe) is no letter of the tag; its ink does not move the corner.
    auto dicke = [senkrecht](const QRect& q) { return senkrecht ? q.width() : q.height(); };
    while (stuecke.size() > 2 && dicke(stuecke.back()) < 0.45 * kappe)
        stuecke.pop_back();
    // A thin bar at either end reaching out of the letters' band is a frame's side, not an I or a 1.
    if (!anfaenge.empty()) {
        std::vector<int> a = anfaenge, e = enden;
        std::nth_element(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(a.size() / 2), a.end());
        std::nth_element(e.begin(), e.begin() + static_cast<std::ptrdiff_t>(e.size() / 2), e.end());
        const int oben = a[a.size() / 2], unten = e[e.size() / 2];
        auto seite = [&](const QRect& q) {
            const auto [von, bis] = entlang(q);
            return bis - von + 1 <= 0.25 * kappe && (anfang(q) < oben - 1 || ende(q) > unten + 1);
        };
        while (stuecke.size() > 2 && seite(stuecke.back()))
            stuecke.pop_back();
        while (stuecke.size() > 2 && seite(stuecke.front()))
            stuecke.erase(stuecke.begin());
    }
    if (hoehe) {
        std::vector<int> dicken;
        for (const QRect& q : stuecke)
            if (dicke(q) >= 0.4 * kappe)
                dicken.push_back(dicke(q));
        if (dicken.size() >= 2) {
            std::nth_element(dicken.begin(), dicken.begin() + static_cast<std::ptrdiff_t>(dicken.size() / 2), dicken.end());
            *hoehe = dicken[dicken.size() / 2];
        }
    }
    QRect ergebnis;
    if (!anfaenge.empty()) {
        std::nth_element(anfaenge.begin(), anfaenge.begin() + static_cast<std::ptrdiff_t>(anfaenge.size() / 2), anfaenge.end());
        std::nth_element(enden.begin(), enden.begin() + static_cast<std::ptrdiff_t>(enden.size() / 2), enden.end());
        const int von = anfaenge[anfaenge.size() / 2] - 2, bis = enden[enden.size() / 2] + 2;
        for (const QRect& q : stuecke) {
            const int ueber = std::min(bis, ende(q)) - std::max(von, anfang(q)) + 1;
            if (2 * ueber >= ende(q) - anfang(q) + 1)
                ergebnis = ergebnis.united(q);
        }
    } else {
        for (const QRect& q : stuecke)
            ergebnis = ergebnis.united(q);
    }
    return ergebnis.isEmpty() ? box : ergebnis.translated(r.topLeft());
}

bool Bildaufbereitung::Umschlossen(const QRect& box) const {
    const QRect innen = box.adjusted(-1, -1, 1, 1);
    const int weite = static_cast<int>(0.9 * std::max(box.width(), box.height())) + 6;
    const QPoint mitte = box.center();
    // a thin or blurred ring is not dark, only darker than the ground around it
    std::array<int, 256> haeufig{};
    const QRect umgebung = box.adjusted(-weite, -weite, weite, weite).intersected(QRect(0, 0, m_b, m_h));
    for (int y = umgebung.top(); y <= umgebung.bottom(); y += 2)
        for (int x = umgebung.left(); x <= umgebung.right(); x += 2)
            ++haeufig[At(x, y)];
    int summe = 0, gezaehlt = 0, grund = 255;
    for (const int n : haeufig)
        summe += n;
    for (int v = 0; v < 256; ++v)
        if ((gezaehlt += haeufig[static_cast<std::size_t>(v)]) >= 0.6 * summe) {
            grund = v;
            break;
        }
    const int dunkel = std::max(160, grund - 45);
    static constexpr int Richtungen[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto& d : Richtungen) {
        int x = mitte.x(), y = mitte.y();
        while (innen.contains(x, y)) {
            x += d[0];
            y += d[1];
        }
        bool getroffen = false;
        // a thin ring running across the step is met beside it, not always on it
        for (int s = 0; s < weite && !getroffen; ++s, x += d[0], y += d[1]) {
            if (x < 1 || y < 1 || x >= m_b - 1 || y >= m_h - 1)
                return false;
            getroffen = At(x, y) < dunkel || At(x + 1, y) < dunkel || At(x, y + 1) < dunkel;
        }
        if (!getroffen)
            return false;
    }
    return true;
}
