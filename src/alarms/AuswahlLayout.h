#pragma once
// The window arithmetic of the alarm selection window, in twips as the window
// keeps it. Tops and lefts of the controls are pixels; the odd mixing of units
// is the window's own and is kept on purpose.
#include <QRect>
#include <QSize>
#include <optional>

namespace AuswahlLayout {
struct Platz {
    double left = 0, top = 0, width = 0, height = 0;  // twips
};

// Activation: top-left corner of the main window's client area, full width less
// 350 twips, a third of the main window's height less 200 twips.
Platz Aktivieren(double hauptHoeheTwips, double hauptBreiteTwips);
// The same place as the frame's geometry in pixels.
QRect AktivierenPixel(QSize hauptTwips);
// Test mode heights: no rounding and no minimum.
double TestmodusHoehe(double fensterHoeheTwips, int obenPixel);
// Resize: a new height or width in pixels when it exceeds 10, otherwise none
// (the control keeps its size). Halves round to the even neighbour.
std::optional<int> ResizeHoehe(double fensterHoeheTwips, int obenPixel);
std::optional<int> ResizeBreite(double fensterBreiteTwips, int linksPixel);
}  // namespace AuswahlLayout
