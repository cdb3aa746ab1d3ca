#pragma once
// One element of the arrow control array imgPfeil: an image on the picture
// with its tag and tool tip. Element 0 is the hidden template.
#include <QPixmap>
#include <QRect>
#include <QString>

#include "alarms/AlarmRecord.h"

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
    // The alarm's row as last read or written: a write of this arrow goes
    // through only while the row still holds it, and a refused write puts the
    // arrow back to it.
    AlarmRecord Satz;

    QRect Rechteck() const { return {Left, Top, Width, Height}; }
};
