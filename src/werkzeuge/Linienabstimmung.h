#pragma once
// The readings of one line of letters that a removed line ran across, weighed
// against each other. Taking the line out of the copy takes with it what of the
// letters lay under it (an 8's waist, a 5's or 4's bar): the copy without the
// line and the ones with its pieces kept between the strokes are then read
// differently, and none of them can be trusted as sure.
#include <QList>
#include <QSet>
#include <QString>

#include "werkzeuge/Bildwort.h"

class Linienabstimmung {
public:
    // A reading of such a line where its preparations disagree is rated this at most: below
    // the level at which a reading rules out a copy or a slip of another tag.
    static constexpr float Hoechstens = 84;

    // The possible tags (letters and digits, three signs or more, in the form in which words and
    // tags are compared) that the words of one reading hold.
    static QSet<QString> Kennzeichen(const QList<Bildwort>& woerter);

    // Whether the readings of one place disagree on what could be a tag there: two different
    // possible tags among them. Readings without one say nothing.
    static bool Uneins(const QList<QList<Bildwort>>& lesungen);

    // The words with each rated Hoechstens at most.
    static QList<Bildwort> Gedeckelt(QList<Bildwort> woerter);
};
