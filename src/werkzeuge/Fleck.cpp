#include "werkzeuge/Fleck.h"

#include <algorithm>
#include <cstring>

std::vector<Fleck> Fleck::Alle(const std::vector<std::uint8_t>& maske, int b, int h, std::vector<int>* marke) {
    std::vector<int> eigene;
    std::vector<int>& m = marke ? *marke : eigene;
    m.assign(maske.size(), 0);
    std::vector<Fleck> teile;
    std::vector<int> stapel;
    const std::uint8_t* const anfang = maske.data();
    const std::uint8_t* const ende = anfang + maske.size();
    for (int start = 0; start < static_cast<int>(maske.size()); ++start) {
        // most of a picture is no blob: the empty stretch is passed eight pixels at a time
        const std::uint8_t* p = anfang + start;
        for (std::uint64_t acht = 0; p + 8 <= ende && (std::memcpy(&acht, p, 8), acht == 0);)
            p += 8;
        start = static_cast<int>(p - anfang);
        if (start >= static_cast<int>(maske.size()))
            break;
        if (!maske[static_cast<std::size_t>(start)] || m[static_cast<std::size_t>(start)])
            continue;
        Fleck t{start % b, start / b, start % b, start / b, 0};
        const int nr = static_cast<int>(teile.size()) + 1;
        m[static_cast<std::size_t>(start)] = nr;
        stapel.push_back(start);
        while (!stapel.empty()) {
            const int i = stapel.back();
            stapel.pop_back();
            const int x = i % b, y = i / b;
            ++t.anzahl;
            t.links = std::min(t.links, x);
            t.rechts = std::max(t.rechts, x);
            t.oben = std::min(t.oben, y);
            t.unten = std::max(t.unten, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= b || ny >= h)
                        continue;
                    const std::size_t n = static_cast<std::size_t>(ny) * b + nx;
                    if (maske[n] && !m[n]) {
                        m[n] = nr;
                        stapel.push_back(static_cast<int>(n));
                    }
                }
        }
        teile.push_back(t);
    }
    return teile;
}

