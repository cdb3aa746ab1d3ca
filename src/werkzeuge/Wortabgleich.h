#pragma once
// Finds a tag among the words read from one picture. A word matches when it
// equals the tag without regard to case, also through the slips recognition
// makes: O read for 0, I or l for 1 (and the like), a wide capital read twice
// ("Vv"), signs around the word, a tag read as two words side by side.
#include <QList>
#include <QMultiHash>
#include <QRect>
#include <QString>

#include "werkzeuge/Bildwort.h"

class Wortabgleich {
public:
    explicit Wortabgleich(const QList<Bildwort>& woerter);

    // The boxes of every place the tag stands on the picture, top to bottom:
    // none, one, or several (then it is not known which one is meant).
    QList<QRect> Stellen(const QString& kennzeichen) const;

    // The form in which words and tags are compared; empty for a text
    // without letters or digits.
    static QString Grundform(const QString& text);

private:
    void Eintragen(const QString& text, const QRect& box);
    QMultiHash<QString, QRect> m_stellen;
};
