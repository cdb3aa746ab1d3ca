#pragma once
// A blob of ink: the 8-connected set pixels of a mask, with its extent
// (inclusive) and its number of pixels. Used wherever letters are told from
// lines and frames by their blobs.
#include <cstdint>
#include <vector>

struct Fleck {
    int links, oben, rechts, unten;  // inclusive
    int anzahl = 0;
    int Breite() const { return rechts - links + 1; }
    int Hoehe() const { return unten - oben + 1; }

    // The blobs of a mask of b x h cells in the order their first pixel comes
    // row by row; marke, if given, gets each pixel's blob number + 1 (0: unset).
    static std::vector<Fleck> Alle(const std::vector<std::uint8_t>& maske, int b, int h, std::vector<int>* marke = nullptr);
};
