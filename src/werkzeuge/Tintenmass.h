#pragma once
// The box of a word ends where its letters' ink ends. After a word's box has
// been measured on the ink (Bildaufbereitung::Tinte), what is left at its ends
// may still be no letter: the side of a frame joined to a pipe, the halo a
// blurred line leaves beside the letters, the stub of a line running on past
// a frame, a valve drawn right after the text. Ende measures the letters'
// band across the line and takes such pieces off the ends: a letter has the
// letters' height and keeps to their band; a column of ink running through the
// band from above to below it is a line, not a stroke.
#include <QRect>
#include <cstdint>
#include <vector>

class Tintenmass {
public:
    // The prepared copy of a picture, dark text on a light ground (w x h, one byte per pixel);
    // the pixels are not copied, they must outlive the object.
    Tintenmass(const std::vector<std::uint8_t>& grau, int breite, int hoehe);

    // The box of the word's letters, within box; box itself where nothing at
    // its ends is to be taken off or the letters cannot be told. senkrecht:
    // the text runs up or down.
    QRect Ende(const QRect& box, bool senkrecht) const;

private:
    const std::vector<std::uint8_t>& m_p;
    int m_b, m_h;
};
