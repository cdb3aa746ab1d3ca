#pragma once
// Whether a dark area of a light picture is a label plate: a solid dark box
// holding light text. Measured on the mask of the picture's dark pixels:
// the rim is dark all round (the outer two rows and columns, as blur softens
// the outermost), most of the box is dark, and its light pixels lie inside
// the rim and reach across most of its height, as letters do. The letters
// of a bold word run together with a pipe through them into one dark block
// look like a plate by size, but their gaps open onto the ground around
// them and their hollows are low; a plate's text is closed in by the plate.
// Also joins the pieces a plate falls into where bold or large light letters
// part it, so the whole plate is looked at.
#include <QRect>
#include <cstdint>
#include <vector>

class Plattenpruefung {
public:
    // dunkel: 1 for a dark pixel (w x h, one byte per pixel); it is not copied and must outlive the object.
    Plattenpruefung(const std::vector<std::uint8_t>& dunkel, int breite, int hoehe);

    bool IstPlatte(const QRect& box) const;

    // box fitted to the plate it may hold: rows and columns at its edge that
    // are mostly light are taken off (a valve or line joined to the plate
    // widened it), and it is grown on each side as far as the plate's rim
    // runs on both sides (the rim above and below the text on either end,
    // where letters parted the dark area and cut its end off).
    QRect Angepasst(QRect box) const;

    // The boxes worth looking at for plates among the pieces of dark area found:
    // every piece, and the box around pieces lying side by side on one band
    // (the one's top and foot within the other's, apart by less than their height).
    static std::vector<QRect> Kandidaten(std::vector<QRect> stuecke);

private:
    int Dunkel(int l, int o, int r, int u) const;
    // The share of the light pixels of box reached from its edge through light pixels; 1 where
    // the light closed in is too short across the box for letters.
    double Offen(const QRect& box) const;

    const std::vector<std::uint8_t>& m_d;
    int m_b, m_h;
    std::vector<int> m_summe;  // (w+1) x (h+1) running count of dark pixels
};
