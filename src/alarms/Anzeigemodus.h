#pragma once
// Program-wide flags, 16-bit Booleans with True = -1 and False = 0.
// Readers compare with WAHR. They are set only by the main window's tool bar
// commands and by the openings; the windows below the shell only read them.
#include <cstdint>

inline constexpr std::int16_t WAHR = -1;
inline constexpr std::int16_t FALSCH = 0;

inline std::int16_t gSingleMode = FALSCH;
inline std::int16_t gContMode = FALSCH;
inline std::int16_t gAllMode = FALSCH;
// True from a start without command line until the first opening has returned.
inline std::int16_t gStartOhneDB = FALSCH;
