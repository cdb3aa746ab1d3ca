#pragma once
// Where blurred letters are parted into black and white. The split that parts
// a cut-out's grey levels best lies, for blurred letters, in their halo: the
// letters run into one another, thin gaps close, a halo beside a stroke reads
// as a stroke of its own. Split nearer the ink, the strokes keep their cores
// and the gaps between them open again.
#include <cstdint>
#include <vector>

class Tintenstufe {
public:
    // The share of the way from the ink's grey to the ground's at which blurred letters are split.
    static constexpr double Weich = 0.35;

    // The grey level at the share anteil of the way from the ink (the darkest 3 %) to the
    // ground (the level 85 % of the pixels reach), as the stretch before reading takes them.
    static int Stufe(const std::vector<std::uint8_t>& grau, double anteil = Weich);

    // grau in black and white, split at Stufe(grau, anteil).
    static void Teilen(std::vector<std::uint8_t>& grau, double anteil = Weich);
};
