#include "werkzeuge/Tintenstufe.h"

#include <array>
#include <cmath>

#include "werkzeuge/Schaerfe.h"

int Tintenstufe::Stufe(const std::vector<std::uint8_t>& grau, double anteil) {
    const std::array<int, 256> haeufig = Schaerfe::Haeufigkeit(grau);
    const int tinte = Schaerfe::Anteil(haeufig, grau.size(), 0.03), grund = Schaerfe::Anteil(haeufig, grau.size(), 0.85);
    return tinte + static_cast<int>(std::lround(anteil * (grund - tinte)));
}

void Tintenstufe::Teilen(std::vector<std::uint8_t>& grau, double anteil) {
    const int stufe = Stufe(grau, anteil);
    for (std::uint8_t& v : grau)
        v = v <= stufe ? 0 : 255;
}
