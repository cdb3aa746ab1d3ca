#pragma once
// A picture file's pixels as grey levels, one byte a pixel, row after row from
// the top. The pictures of plant projects are mostly bitmaps of 24 bits a pixel:
// those are turned grey here in one pass, with the image library's weights and
// rounding, so the grey levels are exactly those the library would give; it is
// spared its own slower pass over a colour image of four bytes a pixel and the
// copy out of it. Every other file is for the library to read.
#include <QByteArray>
#include <cstdint>
#include <vector>

class Graubild {
public:
    // False when the file is no uncompressed bitmap of 24 bits a pixel stored from the bottom up (or is broken):
    // grau and the sizes are then left as they were.
    static bool AusBmp(const QByteArray& datei, std::vector<std::uint8_t>& grau, int& breite, int& hoehe);
};
