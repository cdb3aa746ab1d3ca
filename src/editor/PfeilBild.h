#pragma once
// One element of the arrow control array imgPfeil: an image on the picture
// with its tag and tool tip. Element 0 is the hidden template.
#include <QPixmap>
#include <QRect>
#include <QString>

struct PfeilBild {
    QPixmap Picture;
    bool Platzhalter = false;  // the symbol file could not be loaded
    QString Tag;
    QString ToolTipText;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = false;
    // The alarm the arrow stands for (tool tip of a moved arrow).
    QString Ident;
    QString Alarmtext;

    QRect Rechteck() const { return {Left, Top, Width, Height}; }
};
