#include "werkzeuge/Nachlese.h"

#include <algorithm>
#include <vector>

#include "werkzeuge/Bildaufbereitung.h"

namespace {

// A word read surely is this sure; below it the engine is often wrong.
constexpr float Sicher = 85;

int Zeichen(const QString& s) {
    return static_cast<int>(std::count_if(s.begin(), s.end(), [](QChar c) { return c.isLetterOrNumber(); }));
}

bool HatZiffer(const QString& s) { return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }); }

// The height of the picture's letters: the median of the words read surely across.
double Buchstabenhoehe(const QList<Bildwort>& woerter) {
    std::vector<int> hoehen;
    for (const Bildwort& w : woerter)
        if (w.konfidenz >= Sicher && Zeichen(w.text) >= 2 && w.box.width() >= w.box.height())
            hoehen.push_back(w.box.height());
    if (hoehen.empty())
        return 0;
    std::nth_element(hoehen.begin(), hoehen.begin() + static_cast<std::ptrdiff_t>(hoehen.size() / 2), hoehen.end());
    return hoehen[hoehen.size() / 2];
}

}  // namespace

QList<QRect> Nachlese::Bereiche(const QList<Bildwort>& woerter, const Bildaufbereitung& bild) {
    const QRect flaeche(0, 0, bild.Breite(), bild.Hoehe());
    const double buchstabe = Buchstabenhoehe(woerter);
    QList<QRect> bereiche;
    // a number of three signs or more read surely there: nothing left unread
    auto gelesenIn = [&woerter](const QRect& r) {
        return std::any_of(woerter.begin(), woerter.end(), [&](const Bildwort& w) {
            return r.contains(w.box.center()) && HatZiffer(w.text) && w.konfidenz >= Sicher && Zeichen(w.text) >= 3;
        });
    };
    auto dazu = [&](const QRect& r) {
        const QRect b = r.intersected(flaeche);
        if (b.width() >= 6 && b.height() >= 6 && bereiche.size() < Hoechstzahl &&
            std::none_of(bereiche.begin(), bereiche.end(), [&b](const QRect& a) { return a.contains(b); }))
            bereiche << b;
    };
    for (const Bildwort& w : woerter) {
        const int b = w.box.width(), h = w.box.height();
        // A ring read as one large unsure sign: what it holds is read on its own, the ring made ground.
        if (buchstabe > 0 && Zeichen(w.text) <= 2 && w.konfidenz < 60 && h >= 2.5 * buchstabe && h <= 10 * buchstabe &&
            b >= 0.6 * h && b <= 2.0 * h) {
            const QRect innen = w.box.adjusted(b / 8, h / 8, -b / 8, -h / 8);
            if (!gelesenIn(innen))
                dazu(innen);
            continue;
        }
        // The letters of a bubble with no sure number read below them: the loop number was lost
        // or read in part. Only where ink closes around the letters, so that the plain words of
        // a picture are left alone.
        const int zeichen = Zeichen(w.text);
        const int gross = static_cast<int>(std::count_if(w.text.begin(), w.text.end(), [](QChar c) { return c.isUpper(); }));
        if (zeichen < 2 || zeichen > 4 || gross < 2 || HatZiffer(w.text) || b < h || h < 5)
            continue;
        const int halb = static_cast<int>(std::max(1.4 * b, 2.2 * h));
        const QRect unten(w.box.center().x() - halb, w.box.bottom() + 1, 2 * halb, static_cast<int>(2.2 * h));
        if (!gelesenIn(unten) && bild.Umschlossen(w.box))
            dazu(unten);
    }
    return bereiche;
}

QList<Bildwort> Nachlese::Uebernehmen(const QRect& bereich, const QList<Bildwort>& gelesen, const QList<Bildwort>& woerter) {
    QList<Bildwort> neu;
    for (Bildwort w : gelesen) {
        if (!bereich.contains(w.box.center()) || Zeichen(w.text) < 2)
            continue;
        w.konfidenz = std::min(w.konfidenz, Hoechstens);
        if (std::none_of(woerter.begin(), woerter.end(), [&w](const Bildwort& v) { return v.text == w.text && v.box.intersects(w.box); }))
            neu << w;
    }
    return neu;
}

void Nachlese::RandTilgen(std::vector<std::uint8_t>& grau, int breite, int hoehe) {
    if (breite < 3 || hoehe < 3 || grau.size() != static_cast<std::size_t>(breite) * hoehe)
        return;
    const int schwelle = Bildaufbereitung::Schwelle(grau);
    // the ground: the middle of what is lighter than the ink
    std::vector<std::uint8_t> hell;
    for (const std::uint8_t v : grau)
        if (v > schwelle)
            hell.push_back(v);
    if (hell.empty())
        return;
    std::nth_element(hell.begin(), hell.begin() + static_cast<std::ptrdiff_t>(hell.size() / 2), hell.end());
    const std::uint8_t grund = hell[hell.size() / 2];
    // every dark pixel joined to the edge, eight ways round
    std::vector<std::uint8_t> gesehen(grau.size(), 0);
    std::vector<int> offen;
    auto rein = [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y) * breite + x;
        if (!gesehen[i] && grau[i] <= schwelle) {
            gesehen[i] = 1;
            offen.push_back(static_cast<int>(i));
        }
    };
    for (int x = 0; x < breite; ++x) {
        rein(x, 0);
        rein(x, hoehe - 1);
    }
    for (int y = 0; y < hoehe; ++y) {
        rein(0, y);
        rein(breite - 1, y);
    }
    while (!offen.empty()) {
        const int i = offen.back();
        offen.pop_back();
        grau[static_cast<std::size_t>(i)] = grund;
        const int x = i % breite, y = i / breite;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && x + dx >= 0 && x + dx < breite && y + dy >= 0 && y + dy < hoehe)
                    rein(x + dx, y + dy);
    }
}
