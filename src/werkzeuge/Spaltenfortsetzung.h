#pragma once
// A column of turned text is found as three or more letters stacked closely.
// Its label may go on beyond a wider gap: a blank ("LT 552" in a mono font,
// whose blank is wider than its letters are high) or a word read across that
// kept its letters out of the search. Fortgesetzt follows the column's band
// past such a gap to the letters beyond it, so that the label is read whole.
#include <QRect>
#include <cstdint>
#include <vector>

class Spaltenfortsetzung {
public:
    // The prepared copy of a picture, dark text on a light ground (w x h, one byte per pixel);
    // the pixels are not copied, they must outlive the object.
    Spaltenfortsetzung(const std::vector<std::uint8_t>& grau, int breite, int hoehe);

    // The column with the letter-sized blobs in its band beyond either end taken
    // in, one after the other, each no further off than a wide blank; the column
    // itself when there are none.
    QRect Fortgesetzt(const QRect& spalte) const;
    // The column without a blob at either end that is wider across than its letters are high
    // (a valve or an instrument drawn right after the label): the label's corner is its letters'.
    QRect Beschnitten(const QRect& spalte) const;

private:
    // The blobs of ink within feld that are not specks, in picture pixels.
    std::vector<QRect> Flecken(const QRect& feld) const;

    const std::vector<std::uint8_t>& m_p;
    int m_b, m_h;
};
