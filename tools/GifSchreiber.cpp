#include "GifSchreiber.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <climits>
#include <unordered_map>
#include <vector>

namespace {

// Collects variable-width codes, least significant bit first, into 255-byte sub-blocks.
class CodeStrom {
public:
    void Code(unsigned code, int breite) {
        m_puffer |= static_cast<quint64>(code) << m_bits;
        m_bits += breite;
        while (m_bits >= 8) {
            Byte(static_cast<char>(m_puffer & 0xFF));
            m_puffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray Abschliessen() {
        if (m_bits > 0)
            Byte(static_cast<char>(m_puffer & 0xFF));
        m_bits = 0;
        m_puffer = 0;
        BlockAusgeben();
        m_aus.append('\0');  // block terminator
        return m_aus;
    }

private:
    void Byte(char b) {
        m_block.append(b);
        if (m_block.size() == 255)
            BlockAusgeben();
    }
    void BlockAusgeben() {
        if (m_block.isEmpty())
            return;
        m_aus.append(static_cast<char>(m_block.size()));
        m_aus.append(m_block);
        m_block.clear();
    }
    quint64 m_puffer = 0;
    int m_bits = 0;
    QByteArray m_block;
    QByteArray m_aus;
};

QByteArray Lzw(const std::vector<unsigned char>& pixel, int minCodeBreite) {
    const unsigned clear = 1u << minCodeBreite;
    const unsigned ende = clear + 1;
    CodeStrom strom;
    std::unordered_map<unsigned, unsigned> tabelle;  // (prefix << 8 | byte) -> code
    int breite = minCodeBreite + 1;
    unsigned naechster = clear + 2;
    strom.Code(clear, breite);
    if (pixel.empty()) {
        strom.Code(ende, breite);
        return strom.Abschliessen();
    }
    unsigned praefix = pixel[0];
    for (std::size_t i = 1; i < pixel.size(); ++i) {
        const unsigned k = pixel[i];
        const unsigned schluessel = (praefix << 8) | k;
        const auto it = tabelle.find(schluessel);
        if (it != tabelle.end()) {
            praefix = it->second;
            continue;
        }
        strom.Code(praefix, breite);
        // The decoder widens its codes when the code just assigned needs the next bit.
        const unsigned code = naechster++;
        tabelle.emplace(schluessel, code);
        if (code >= (1u << breite) && breite < 12)
            ++breite;
        if (code == 4095) {
            // table full: start afresh, as every decoder expects
            strom.Code(clear, breite);
            tabelle.clear();
            breite = minCodeBreite + 1;
            naechster = clear + 2;
        }
        praefix = k;
    }
    strom.Code(praefix, breite);
    strom.Code(ende, breite);
    return strom.Abschliessen();
}

void Wort(QByteArray& a, int w) {
    a.append(static_cast<char>(w & 0xFF));
    a.append(static_cast<char>((w >> 8) & 0xFF));
}

}  // namespace

QByteArray GifSchreiber::Kodieren(const QImage& bild) {
    const QImage argb = bild.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    QList<QRgb> palette;
    QHash<QRgb, int> index;
    bool transparent = false;
    std::vector<unsigned char> pixel(static_cast<std::size_t>(w) * h);
    // entry 0 is kept for the transparent colour; a symbol has only a few colours
    palette.append(qRgb(255, 255, 255));
    for (int y = 0; y < h; ++y) {
        const QRgb* zeile = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            int n = 0;
            if (qAlpha(zeile[x]) < 128) {
                transparent = true;
            } else {
                const QRgb farbe = zeile[x] | 0xFF000000u;
                auto it = index.find(farbe);
                if (it == index.end()) {
                    if (palette.size() < 256) {
                        it = index.insert(farbe, palette.size());
                        palette.append(farbe);
                    } else {
                        // more colours than a GIF holds: the nearest one already in the palette
                        int beste = 1, abstand = INT_MAX;
                        for (int p = 1; p < palette.size(); ++p) {
                            const int dr = qRed(palette[p]) - qRed(farbe), dg = qGreen(palette[p]) - qGreen(farbe),
                                      db = qBlue(palette[p]) - qBlue(farbe);
                            const int d = dr * dr + dg * dg + db * db;
                            if (d < abstand) {
                                abstand = d;
                                beste = p;
                            }
                        }
                        it = index.insert(farbe, beste);
                    }
                }
                n = it.value();
            }
            pixel[static_cast<std::size_t>(y) * w + x] = static_cast<unsigned char>(n);
        }
    }
    int bits = 1;
    while ((1 << bits) < palette.size())
        ++bits;
    while (palette.size() < (1 << bits))
        palette.append(qRgb(0, 0, 0));

    QByteArray gif("GIF89a");
    Wort(gif, w);
    Wort(gif, h);
    gif.append(static_cast<char>(0x80 | ((bits - 1) << 4) | (bits - 1)));  // global table, its size
    gif.append('\0');  // background index
    gif.append('\0');  // aspect
    for (QRgb c : palette) {
        gif.append(static_cast<char>(qRed(c)));
        gif.append(static_cast<char>(qGreen(c)));
        gif.append(static_cast<char>(qBlue(c)));
    }
    if (transparent) {
        // graphic control extension: entry 0 is transparent
        gif.append("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);
    }
    gif.append(',');
    Wort(gif, 0);
    Wort(gif, 0);
    Wort(gif, w);
    Wort(gif, h);
    gif.append('\0');
    const int minCode = qMax(2, bits);
    gif.append(static_cast<char>(minCode));
    gif.append(Lzw(pixel, minCode));
    gif.append(';');
    return gif;
}

bool GifSchreiber::Schreiben(const QImage& bild, const QString& sDatei) {
    QFile f(sDatei);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray daten = Kodieren(bild);
    return f.write(daten) == daten.size() && f.flush();
}
