#pragma once
// What the text engine spends besides reading, made cheaper for the threads
// that read pictures: it asks the system for images of many megabytes a sheet
// and gives them back at once, so every page is faulted in anew; and it packs
// every line image it reads as PNG only to unpack it a moment later.
// Where the C library or the linking does not allow it, nothing changes.
class Lesehaushalt {
public:
    // Once for the process: freed memory is kept for the next sheet instead of
    // going back to the system (Freigeben() hands it back after a reading).
    static void Einrichten();
    // Hands back to the system what the readings kept.
    static void Freigeben();

    // While one lives on a thread, the engine keeps the 8-bit line images of
    // that thread as BMP in memory instead of PNG: the same pixels come back.
    class Lesend {
    public:
        Lesend();
        ~Lesend();
        Lesend(const Lesend&) = delete;
        Lesend& operator=(const Lesend&) = delete;
    };
};
