#pragma once
// Blurred labels (a soft picture, one scaled down or saved as JPEG) are read
// better once the edges of their ink are made steep again; sharp ones are read
// worse so. Kanten measures how steep a cut-out's edges are, Schaerfen
// steepens them (unsharp masking).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class Schaerfe {
public:
    // Below this the letters of a cut-out count as blurred.
    static constexpr double Weich = 0.75;

    // How steep the edges of the ink are: the mean of the steepest twentieth of
    // the steps between neighbouring pixels, as a share of the contrast of ink
    // and ground. Sharp or aliased letters come to 0.8 and more, blurred ones
    // to 0.4 to 0.8; -1 where ink and ground hardly differ.
    static double Kanten(const std::vector<std::uint8_t>& grau, int breite, int hoehe);

    // How many pixels of each grey level, and the level at or below which the
    // share q of them lies (0.03 the ink, 0.85 the ground of dark letters).
    static std::array<int, 256> Haeufigkeit(const std::vector<std::uint8_t>& grau);
    static int Anteil(const std::array<int, 256>& haeufig, std::size_t anzahl, double q);

    // grau + staerke * (grau - grau blurred with a Gaussian of sigma pixels).
    static void Schaerfen(std::vector<std::uint8_t>& grau, int breite, int hoehe, double sigma, double staerke);
};
