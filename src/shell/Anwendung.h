#pragma once
// What the program sets on its application object before any window exists.
// Tests of the title bars set it up the same way.
namespace Anwendung {
inline constexpr const char* Version = "0.1";
// Name and version. No display name: the window system would add it to every
// title bar ("Tavero für Windows — Tavero"); message boxes take the name instead.
void Einrichten();
}  // namespace Anwendung
