#pragma once
// A proposed place for an alarm's arrow, shown on the picture until the user
// accepts it: outlined and pale, so it cannot be taken for a placed arrow. It
// can be dragged; nothing is written until it is accepted.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

struct Vorschlagsmarke {
    QString ident;
    QString text;   // tool tip: the alarm and its tag
    QPoint pos;     // where the arrow's top-left corner would go, picture pixels
    QPixmap bild;   // the alarm's symbol
    QRect Rechteck() const { return {pos, bild.size().isEmpty() ? QSize(16, 16) : bild.size()}; }
};
