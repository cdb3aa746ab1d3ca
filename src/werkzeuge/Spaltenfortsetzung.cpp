#include "werkzeuge/Spaltenfortsetzung.h"

#include "werkzeuge/Fleck.h"

#include <algorithm>
#include <cmath>

Spaltenfortsetzung::Spaltenfortsetzung(const std::vector<std::uint8_t>& grau, int breite, int hoehe)
    : m_p(grau), m_b(breite), m_h(hoehe) {}

QRect Spaltenfortsetzung::Fortgesetzt(const QRect& spalte) const {
    const int quer = spalte.width();
    // a blank of a wide mono font with the letters' side bearings is about 1.3 letter heights
    const int luecke = static_cast<int>(std::lround(1.8 * quer));
    const int reichweite = 6 * quer;
    const QRect feld = spalte.adjusted(-quer / 2, -reichweite, quer / 2, reichweite).intersected(QRect(0, 0, m_b, m_h));
    if (feld.isEmpty())
        return spalte;
    std::vector<QRect> flecken;
    for (const QRect& r : Flecken(feld))
        // letters of the column's size: not a line along it or a box beside it
        if (r.width() >= 3 && r.width() <= 1.3 * quer && r.height() <= 1.6 * quer && !spalte.contains(r))
            flecken.push_back(r);
    QRect box = spalte;
    for (bool weiter = true; weiter;) {
        weiter = false;
        for (const QRect& r : flecken) {
            if (box.contains(r))
                continue;
            const int ueber = std::min(r.right(), box.right()) - std::max(r.left(), box.left()) + 1;
            const int abstand = r.top() > box.bottom() ? r.top() - box.bottom() - 1 : box.top() - r.bottom() - 1;
            // in the column's band, centred on it, beyond one end
            if (ueber < 0.6 * r.width() || std::abs(r.center().x() - box.center().x()) > 0.3 * quer || abstand < 0 ||
                abstand > luecke)
                continue;
            box = box.united(r);
            weiter = true;
        }
    }
    return box;
}

QRect Spaltenfortsetzung::Beschnitten(const QRect& spalte) const {
    const QRect feld = spalte.intersected(QRect(0, 0, m_b, m_h));
    if (feld.isEmpty())
        return spalte;
    std::vector<QRect> flecken = Flecken(feld);
    if (flecken.size() < 3)
        return spalte;
    // across the column every capital and digit is as wide as the letters are high
    std::vector<int> quer;
    for (const QRect& r : flecken)
        quer.push_back(r.width());
    std::nth_element(quer.begin(), quer.begin() + static_cast<std::ptrdiff_t>(quer.size() / 2), quer.end());
    const double hoch = quer[quer.size() / 2];
    // the blobs of blurred letters fallen apart into specks tell nothing of the letters' size
    if (hoch < 0.6 * spalte.width())
        return spalte;
    std::sort(flecken.begin(), flecken.end(), [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    auto keinBuchstabe = [hoch](const QRect& r) { return r.width() > 1.25 * hoch && r.height() > 1.25 * hoch; };
    std::size_t von = 0, bis = flecken.size();
    if (keinBuchstabe(flecken[von]))
        ++von;
    if (bis - von >= 3 && keinBuchstabe(flecken[bis - 1]))
        --bis;
    if (von == 0 && bis == flecken.size())
        return spalte;
    QRect box;
    for (std::size_t i = von; i < bis; ++i)
        box = box.united(flecken[i]);
    return QRect(spalte.left(), box.top(), spalte.width(), box.height());
}

std::vector<QRect> Spaltenfortsetzung::Flecken(const QRect& feld) const {
    std::vector<std::uint8_t> maske(static_cast<std::size_t>(feld.width()) * feld.height());
    for (int y = 0; y < feld.height(); ++y)
        for (int x = 0; x < feld.width(); ++x)
            maske[static_cast<std::size_t>(y) * feld.width() + x] =
                m_p[static_cast<std::size_t>(feld.top() + y) * m_b + feld.left() + x] < 128;
    std::vector<QRect> flecken;
    for (const Fleck& f : Fleck::Alle(maske, feld.width(), feld.height()))
        if (f.anzahl >= 4)
            flecken.emplace_back(feld.left() + f.links, feld.top() + f.oben, f.Breite(), f.Hoehe());
    return flecken;
}
