#pragma once
// The main window's public values and what the windows below it need to know
// of it. The shell owns one and hands it down; the windows below read and set
// these values, and tell the shell everything else through their signals.
#include <QPointer>
#include <QSize>
#include <cstdint>
#include <functional>

class AlarmAuswahl;

struct Hauptwerte {
    // True = -1, False = 0.
    std::int16_t imgNeu = 0;
    std::int16_t imgNeuDB = 0;
    std::int16_t imgNeuIndex = 0;
    std::int16_t bmpNeuIndex = 0;

    // The component of the opened database (none before the first opening).
    QPointer<AlarmAuswahl> Auswahl;
    // The main window's outer size in twips, for the layout rules of its children.
    std::function<QSize()> AussenGroesseTwips;
};
