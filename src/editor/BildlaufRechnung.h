#pragma once
// The scroll arithmetic of the picture window, in pixels: scroll ranges,
// centring on an arrow and the automatic scrolling near the edges while an
// arrow is dragged. Plain functions so they are testable without a display.
#include <cstdint>
#include <optional>

class BildlaufRechnung {
public:
    // A number taken to the nearest 16-bit integer, halves to the even
    // neighbour; nullopt when it does not fit.
    static std::optional<std::int16_t> Ganzzahl16(double wert);

    struct Bereich {
        bool aktiv = false;      // E > 0
        int maximum = 0;         // 0 when disabled
        int grosserSchritt = 0;  // the bar's own length
    };
    // Range of one scroll bar: E = picture extent - inner extent + thickness of
    // the other bar; disabled when E <= 0. A range that does not fit 16 bits is
    // held at the largest 16-bit value.
    static Bereich BereichBerechnen(double bildAusdehnung, double innenAusdehnung, double andereLeiste,
                                    double leistenLaenge);

    // Scroll value that puts the reference point (picture pixels) in the middle
    // of the inner extent, clamped to 0 ... maximum. The zoom turns picture
    // pixels into screen pixels; scroll values are screen pixels.
    static int Zentrieren(double bezug, double innenAusdehnung, int maximum, double zoom = 1.0);

    struct Wert {
        int h = 0;
        int v = 0;
        bool operator==(const Wert&) const = default;
    };
    // Automatic scrolling during a drag step: px/py the pointer's place on the
    // picture, h/v the current values, hw/vh the lengths of the two bars.
    // Within 80 pixels of the left or top end, or within 90 pixels of the right
    // or bottom end of the visible range, the view moves by 8 pixels, never
    // below 0 nor above the maxima; a later test wins on the same axis.
    static Wert AutoBildlauf(double px, double py, int h, int v, int hMax, int vMax, double hw, double vh,
                             double zoom = 1.0);

    // The zoom steps from 25 % to 800 %; the next step up or down from a zoom.
    static double ZoomStufe(double zoom, int richtung);
    static constexpr double MinZoom = 0.25;
    static constexpr double MaxZoom = 8.0;
    // The smallest zoom "zoom to fit" goes to, below the steps.
    static constexpr double EinpassenMin = 0.02;
    // The scroll value that keeps the picture point under an anchor of the view
    // in place when the zoom changes from alt to neu, clamped to 0 ... maximum.
    static int ZoomAnker(double anker, int wert, double alt, double neu, int maximum);

    // The zoom at which a picture fits the visible extents, within the zoom's bounds.
    static double Einpassen(double bildBreite, double bildHoehe, double sichtBreite, double sichtHoehe);

    static constexpr int Rand = 70;
    static constexpr int Schritt = 8;
};
