#include "werkzeuge/Linienabstimmung.h"

#include <algorithm>

#include "werkzeuge/Wortabgleich.h"

QSet<QString> Linienabstimmung::Kennzeichen(const QList<Bildwort>& woerter) {
    QSet<QString> k;
    for (const Bildwort& w : woerter) {
        const QString g = Wortabgleich::Grundform(w.text);
        // the compared form reads letters as digits: the letters as written tell a tag from a word
        if (g.size() >= 3 && std::any_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isDigit(); }) &&
            std::any_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isLetter(); }))
            k.insert(g);
    }
    return k;
}

bool Linienabstimmung::Uneins(const QList<QList<Bildwort>>& lesungen) {
    QSet<QString> alle;
    for (const QList<Bildwort>& l : lesungen)
        alle.unite(Kennzeichen(l));
    return alle.size() >= 2;
}

QList<Bildwort> Linienabstimmung::Gedeckelt(QList<Bildwort> woerter) {
    for (Bildwort& w : woerter)
        w.konfidenz = std::min(w.konfidenz, Hoechstens);
    return woerter;
}
