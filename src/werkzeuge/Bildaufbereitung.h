#pragma once
// The pixel work around text recognition, on an 8-bit grey picture: turning
// light labels dark, finding text that runs up or down, measuring the ink of a
// word without the lines that touch it, and telling whether a ring closes
// around two stacked words (an instrument bubble or a box).
#include <QList>
#include <QRect>
#include <cstdint>
#include <vector>

class Bildaufbereitung {
public:
    // A copy of an 8-bit picture (w x h, one byte per pixel, row after row).
    Bildaufbereitung(std::vector<std::uint8_t> grau, int breite, int hoehe);

    int Breite() const { return m_b; }
    int Hoehe() const { return m_h; }
    const std::vector<std::uint8_t>& Pixel() const { return m_p; }

    // Every label dark on light: a picture with a dark ground is turned over
    // whole, and each dark plate (a solid dark box holding light text) on
    // a light picture on its own. Returns how many plates were turned.
    int Gleichrichten();

    // Makes a copy for reading: frames, long straight lines (pipes, borders)
    // and large thin outlines (the circles of bubbles, equipment) made ground,
    // so the engine sees the labels alone. Letters of up to about 25 pixels
    // keep every stroke. Tinte measures on this copy once it is made.
    void ZeichnungEntfernen();
    const std::vector<std::uint8_t>& OhneZeichnung() const { return m_ohne.empty() ? m_p : m_ohne; }
    // The same copy with the pieces of thin lines kept that may be a letter's bar: the
    // letter's ink stands close above and below them; streng: and a stroke runs into them
    // on one side at least. Balken counts those pixels in box.
    std::vector<std::uint8_t> MitBalken(bool streng) const;
    int Balken(const QRect& box, bool streng) const;

    // Boxes of text running up or down: three or more letter-sized blobs
    // stacked closely above each other, away from the words already read.
    QList<QRect> SenkrechteZeilen(const QList<QRect>& gelesen) const;
    // The same found at the lighter level of BlasseZeilen, where no column was found at the
    // dark one: the letters of a blurred turned label fall apart into specks at the dark level.
    // dunkel: what SenkrechteZeilen gave for the same words, so the picture is not searched twice.
    QList<QRect> BlasseSpalten(const QList<QRect>& gelesen, const QList<QRect>& dunkel) const;

    // Boxes of lines of text running across: letter-sized blobs of the copy
    // for reading side by side on one band, found on the pixels whatever the
    // engine made of them, so a label it overlooked is looked at again.
    QList<QRect> WaagrechteZeilen() const;
    // The same found at a lighter level, halfway between that and the ground, where no
    // line was found at the dark one: the thin strokes of small blurred letters stay grey.
    // dunkel: what WaagrechteZeilen gave, so the picture is not searched twice.
    QList<QRect> BlasseZeilen(const QList<QRect>& dunkel) const;

    // The grey level that best parts ink from ground among these pixels (Otsu).
    static int Schwelle(const std::vector<std::uint8_t>& grau);

    // The box around the ink of the text inside box (picture pixels), without
    // lines that run through or along it and without a frame around it.
    // kappe is the letters' height across the line of text; senkrecht: the
    // text runs up or down. The box itself when no ink stands out there.
    QRect Tinte(const QRect& box, double kappe, bool senkrecht) const;

    // True when ink closes around box on every side within about its size:
    // the circle of an instrument bubble or the frame of a box.
    bool Umschlossen(const QRect& box) const;

private:
    // Lines of letter-sized blobs of pixels darker than stufe, each blob up to breit times as wide as high.
    QList<QRect> ZeilenUnter(int stufe, int breit) const;
    // Columns of letter-sized blobs darker than stufe, away from the words gelesen.
    QList<QRect> SpaltenUnter(int stufe, const QList<QRect>& gelesen) const;
    // The level halfway between the dark level and the ground of the copy for reading; 0 on a dark ground.
    int BlasseStufe() const;
    // Tinte with the letter height given; hoehe: the median height of the letters across the line,
    // as measured on their ink.
    QRect TinteIn(const QRect& box, double kappe, bool senkrecht, double* hoehe = nullptr) const;
    std::uint8_t At(int x, int y) const { return m_p[static_cast<std::size_t>(y) * m_b + x]; }
    // Joins the pieces (of the cut-out r, in its cells) of a letter that a removed line cut apart: one
    // over the other across the text, with a gap no wider than a thick line in which the picture had
    // ink darker than schwelle before the line was taken out.
    void GeteilteVereinen(std::vector<QRect>& stuecke, const QRect& r, bool senkrecht, double kappe, int schwelle) const;

    std::vector<std::uint8_t> m_p;
    std::vector<std::uint8_t> m_ohne;
    std::vector<std::uint8_t> m_balken;  // 1: a possible bar, 3: one a stroke runs into
    int m_b, m_h;
};
