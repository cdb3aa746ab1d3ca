#pragma once
// Writes an indexed image as GIF89a (LZW-compressed), which Qt can read but not
// write. Used for the arrow symbols of the demo project.
#include <QByteArray>
#include <QImage>
#include <QString>

class GifSchreiber {
public:
    // bild: any format; it is reduced to at most 255 colours plus, where the
    // image has transparent pixels (alpha < 128), one transparent palette entry.
    static QByteArray Kodieren(const QImage& bild);
    static bool Schreiben(const QImage& bild, const QString& sDatei);
};
