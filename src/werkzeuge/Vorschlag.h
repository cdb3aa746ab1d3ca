#pragma once
// Where an alarm's arrow could go: at the label of its tag on its picture.
#include <QList>
#include <QPoint>
#include <QString>

#include "alarms/AlarmRecord.h"

struct Vorschlag {
    enum class Art {
        Gefunden,      // the tag stands once on the picture: x, y is the proposal
        Mehrdeutig,    // it stands there more than once: stellen has each place
        NichtGefunden  // grund says why
    };
    Art art = Art::NichtGefunden;
    QString ident;
    QString form;
    QString kennzeichen;
    int x = 0, y = 0;        // bottom-right corner of the label, so the symbol leaves the text readable;
                             // alarms sharing a tag stand beside each other from there
    QPoint ecke;             // Gefunden: the label's corner itself
    QList<QPoint> stellen;   // Mehrdeutig: the corner of each label
    QString grund;           // German, for NichtGefunden
    AlarmRecord gelesen;     // the row as read when proposing; a write needs it unchanged
};
