#pragma once
// One word the text recognition found on a picture.
#include <QRect>
#include <QString>

struct Bildwort {
    QString text;
    QRect box;             // in picture pixels
    float konfidenz = 0;   // 0..100, as the recognition rates it
};
