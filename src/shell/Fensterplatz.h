#pragma once
// The main window's placement as stored on closing: outer frame in twips, as text.
#include <QRect>
#include <QString>

class QSettings;

namespace Fensterplatz {
struct Twipswerte {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};
Twipswerte AusRahmen(const QRect& rahmenPixel);
// Writes MainLeft, MainTop, MainWidth, MainHeight (in that order) into section "Settings".
void Speichern(QSettings& s, const Twipswerte& w);
// The per-application store of the program: "VB and VBA Program Settings" / "Tavero".
void Speichern(const QRect& rahmenPixel);
}  // namespace Fensterplatz
