#pragma once
// A second look at ink the reading left unread: the places where a label may
// stand that no word of the reading holds. The ring of an instrument bubble
// is at times read as one large sign, and a bubble's letters without the loop
// number below them; the text inside is then read again on its own. What that
// look reads is never sure: it can show that a tag stands twice on a picture,
// or give a place where none was found, but never outweigh a sure reading.
#include <QList>
#include <QRect>
#include <cstdint>
#include <vector>

#include "werkzeuge/Bildwort.h"

class Bildaufbereitung;

class Nachlese {
public:
    // The regions worth the second look, in picture pixels, at most Hoechstzahl
    // of them: the inside of a ring read as a large unsure sign, and the space
    // below the letters of a bubble where no sure number was read.
    static QList<QRect> Bereiche(const QList<Bildwort>& woerter, const Bildaufbereitung& bild);

    // A cut-out of a region (w x h, one byte per pixel, dark text on a light
    // ground) with the ink that runs out of it made ground: the ring, the
    // line across a bubble, a frame. The letters inside keep clear of its edge.
    static void RandTilgen(std::vector<std::uint8_t>& grau, int breite, int hoehe);

    // Of the words read in a region, those that may be part of a label, rated
    // at most Hoechstens; none that stands outside it, nor one read so already.
    static QList<Bildwort> Uebernehmen(const QRect& bereich, const QList<Bildwort>& gelesen, const QList<Bildwort>& woerter);

    // A word of the second look is at most this sure: below the level at which
    // a reading rules a copy out.
    static constexpr float Hoechstens = 80;
    // The second look costs an engine pass over its cut-outs: bounded a picture.
    static constexpr int Hoechstzahl = 16;
};
