#include "werkzeuge/Plattenpruefung.h"

#include <algorithm>
#include <cstdlib>

Plattenpruefung::Plattenpruefung(const std::vector<std::uint8_t>& dunkel, int breite, int hoehe)
    : m_d(dunkel), m_b(breite), m_h(hoehe), m_summe(static_cast<std::size_t>(breite + 1) * (hoehe + 1), 0) {
    auto S = [this](int x, int y) -> int& { return m_summe[static_cast<std::size_t>(y) * (m_b + 1) + x]; };
    for (int y = 0; y < m_h; ++y) {
        int zeile = 0;
        for (int x = 0; x < m_b; ++x) {
            zeile += m_d[static_cast<std::size_t>(y) * m_b + x] != 0;
            S(x + 1, y + 1) = S(x + 1, y) + zeile;
        }
    }
}

int Plattenpruefung::Dunkel(int l, int o, int r, int u) const {
    auto S = [this](int x, int y) { return m_summe[static_cast<std::size_t>(y) * (m_b + 1) + x]; };
    return S(r + 1, u + 1) - S(l, u + 1) - S(r + 1, o) + S(l, o);
}

bool Plattenpruefung::IstPlatte(const QRect& box) const {
    const int l = box.left(), o = box.top(), r = box.right(), u = box.bottom();
    if (l < 0 || o < 0 || r >= m_b || u >= m_h || box.width() < 4 || box.height() < 4)
        return false;
    // a plate holds a word with a margin around it, longer than high (or, turned, far higher than
    // long); a single bold letter a line runs through is about as high as wide or a little higher
    if (box.width() < 1.4 * box.height() && box.height() < 2.5 * box.width())
        return false;
    const double breite = box.width(), hoehe = box.height();
    const double anteil = Dunkel(l, o, r, u) / (breite * hoehe);
    const double oben = std::max(Dunkel(l, o, r, o), Dunkel(l, o + 1, r, o + 1));
    const double unten = std::max(Dunkel(l, u, r, u), Dunkel(l, u - 1, r, u - 1));
    const double links = std::max(Dunkel(l, o, l, u), Dunkel(l + 1, o, l + 1, u));
    const double rechts = std::max(Dunkel(r, o, r, u), Dunkel(r - 1, o, r - 1, u));
    const double rand = (oben + unten) / (2 * breite), seiten = (links + rechts) / (2 * hoehe);
    if (anteil < 0.55 || anteil > 0.97 || rand < 0.7 || seiten < 0.7)
        return false;
    // the plate's margin around its text is dark a few pixels deep; a frame around dark text is
    // a thin line with ground inside it
    if (box.width() > 8 && box.height() > 8) {
        const double tief = Dunkel(l + 2, o + 2, r - 2, o + 2) + Dunkel(l + 2, u - 2, r - 2, u - 2) +
                            Dunkel(l + 2, o + 2, l + 2, u - 2) + Dunkel(r - 2, o + 2, r - 2, u - 2);
        if (tief < 0.6 * 2 * ((box.width() - 4) + (box.height() - 4)))
            return false;
    }
    return Offen(box) <= 0.3;
}

QRect Plattenpruefung::Angepasst(QRect box) const {
    box = box.intersected(QRect(0, 0, m_b, m_h));
    auto zeile = [&](int y) { return Dunkel(box.left(), y, box.right(), y) / static_cast<double>(box.width()); };
    auto spalte = [&](int x) { return Dunkel(x, box.top(), x, box.bottom()) / static_cast<double>(box.height()); };
    while (box.height() > 8 && zeile(box.top()) < 0.5)
        box.setTop(box.top() + 1);
    while (box.height() > 8 && zeile(box.bottom()) < 0.5)
        box.setBottom(box.bottom() - 1);
    while (box.width() > 8 && spalte(box.left()) < 0.5)
        box.setLeft(box.left() + 1);
    while (box.width() > 8 && spalte(box.right()) < 0.5)
        box.setRight(box.right() - 1);
    if (box.width() <= 8 || box.height() <= 8)
        return box;
    // A pipe along the plate with ground between stays in the box when its rows are dark: the
    // plate is the run of rows (then columns) through the middle with dark between its letters,
    // ended by a row of ground.
    {
        int o = box.center().y(), u = o;
        while (o > box.top() && zeile(o - 1) >= 0.3)
            --o;
        while (u < box.bottom() && zeile(u + 1) >= 0.3)
            ++u;
        if (u - o + 1 > 8) {
            box.setTop(o);
            box.setBottom(u);
        }
        int l = box.center().x(), r = l;
        while (l > box.left() && spalte(l - 1) >= 0.15)
            --l;
        while (r < box.right() && spalte(r + 1) >= 0.15)
            ++r;
        if (r - l + 1 > 8) {
            box.setLeft(l);
            box.setRight(r);
        }
    }
    auto dunkel = [&](int x, int y) { return m_d[static_cast<std::size_t>(y) * m_b + x] != 0; };
    // the rim beside the text: the second row or column in from each edge, which blur leaves dark
    const int o = box.top() + 1, u = box.bottom() - 1, l = box.left() + 1, r = box.right() - 1;
    const int weite = 2 * box.height();
    for (int n = 0; n < weite && box.left() > 0 && dunkel(box.left() - 1, o) && dunkel(box.left() - 1, u); ++n)
        box.setLeft(box.left() - 1);
    for (int n = 0; n < weite && box.right() + 1 < m_b && dunkel(box.right() + 1, o) && dunkel(box.right() + 1, u); ++n)
        box.setRight(box.right() + 1);
    for (int n = 0; n < weite && box.top() > 0 && dunkel(l, box.top() - 1) && dunkel(r, box.top() - 1); ++n)
        box.setTop(box.top() - 1);
    for (int n = 0; n < weite && box.bottom() + 1 < m_h && dunkel(l, box.bottom() + 1) && dunkel(r, box.bottom() + 1); ++n)
        box.setBottom(box.bottom() + 1);
    return box;
}

double Plattenpruefung::Offen(const QRect& box) const {
    const int b = box.width(), h = box.height();
    auto hell = [&](int x, int y) { return !m_d[static_cast<std::size_t>(box.top() + y) * m_b + box.left() + x]; };
    std::vector<std::uint8_t> erreicht(static_cast<std::size_t>(b) * h, 0);
    std::vector<int> stapel;
    auto nehmen = [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y) * b + x;
        if (!erreicht[i] && hell(x, y)) {
            erreicht[i] = 1;
            stapel.push_back(static_cast<int>(i));
        }
    };
    for (int x = 0; x < b; ++x) {
        nehmen(x, 0);
        nehmen(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        nehmen(0, y);
        nehmen(b - 1, y);
    }
    int offen = 0;
    while (!stapel.empty()) {
        const int i = stapel.back();
        stapel.pop_back();
        ++offen;
        const int x = i % b, y = i / b;
        if (x > 0)
            nehmen(x - 1, y);
        if (x + 1 < b)
            nehmen(x + 1, y);
        if (y > 0)
            nehmen(x, y - 1);
        if (y + 1 < h)
            nehmen(x, y + 1);
    }
    // the light letters closed in reach across most of the text's height; the hollows of dark
    // letters run together are low
    const bool quer = b >= h;
    int hoechste = 0;
    for (int start = 0; start < b * h; ++start) {
        if (erreicht[static_cast<std::size_t>(start)] || !hell(start % b, start / b))
            continue;
        erreicht[static_cast<std::size_t>(start)] = 2;
        stapel.push_back(start);
        int von = quer ? start / b : start % b, bis = von;
        while (!stapel.empty()) {
            const int i = stapel.back();
            stapel.pop_back();
            const int x = i % b, y = i / b;
            von = std::min(von, quer ? y : x);
            bis = std::max(bis, quer ? y : x);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    const std::size_t n = static_cast<std::size_t>(ny) * b + nx;
                    if (nx >= 0 && ny >= 0 && nx < b && ny < h && !erreicht[n] && hell(nx, ny)) {
                        erreicht[n] = 2;
                        stapel.push_back(static_cast<int>(n));
                    }
                }
        }
        hoechste = std::max(hoechste, bis - von + 1);
    }
    if (hoechste < 0.38 * (quer ? h : b))
        return 1.0;
    const int hellGesamt = b * h - Dunkel(box.left(), box.top(), box.right(), box.bottom());
    return hellGesamt == 0 ? 0.0 : static_cast<double>(offen) / hellGesamt;
}

std::vector<QRect> Plattenpruefung::Kandidaten(std::vector<QRect> stuecke) {
    std::vector<QRect> kandidaten = stuecke;
    std::sort(stuecke.begin(), stuecke.end(), [](const QRect& a, const QRect& c) { return a.left() < c.left(); });
    std::vector<std::uint8_t> genommen(stuecke.size(), 0);
    for (std::size_t i = 0; i < stuecke.size(); ++i) {
        if (genommen[i])
            continue;
        QRect gruppe = stuecke[i];
        int teile = 1;
        for (std::size_t j = i + 1; j < stuecke.size() && stuecke[j].left() <= gruppe.right() + gruppe.height(); ++j) {
            const QRect& s = stuecke[j];
            // on one band: the one's top and foot within the other's, two pixels spared
            const bool drin = (s.top() >= gruppe.top() - 2 && s.bottom() <= gruppe.bottom() + 2) ||
                              (gruppe.top() >= s.top() - 2 && gruppe.bottom() <= s.bottom() + 2);
            if (genommen[j] || !drin)
                continue;
            genommen[j] = 1;
            gruppe = gruppe.united(s);
            ++teile;
        }
        if (teile > 1)
            kandidaten.push_back(gruppe);
    }
    return kandidaten;
}
