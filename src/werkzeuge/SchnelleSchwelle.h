#pragma once
// The engine splits each grey sheet into ink and ground pixel by pixel: its
// grey levels counted and each pixel compared with the split, one at a time,
// about a fifteenth of a reading. On Linux with glibc this program's own
// versions of those two steps come before the engine's (as Lesehaushalt's
// line images do): the same counts and the same black and white image, a
// machine word at a time. Any case they are not made for goes to the engine's own.
#include <cstdint>

struct Pix;

class SchnelleSchwelle {
public:
    // How often the engine has used this program's steps so far (0 where they are not in use).
    static std::int64_t Aufrufe();

    // Counts and splits the 8-bit grey image both ways, this program's and the engine's own, at
    // several levels: *abweichungen is how many results differ. False where the steps are not in use.
    static bool Vergleichen(Pix* bild, std::int64_t* abweichungen);
};
