#pragma once
// What reading one picture file gave: its words, or why there are none.
#include <QList>
#include <QString>

#include "werkzeuge/Bildwort.h"

struct Bildtext {
    QString datei;            // the picture file as given
    QList<Bildwort> woerter;  // empty for a picture without text
    QString fehler;           // German; empty when the picture was read
    bool ausSpeicher = false; // taken from the results of an earlier reading
};
