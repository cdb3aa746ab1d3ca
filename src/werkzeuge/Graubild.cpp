#include "werkzeuge/Graubild.h"

namespace {

std::uint32_t Wort(const QByteArray& d, qsizetype an, int bytes) {
    std::uint32_t w = 0;
    for (int i = bytes - 1; i >= 0; --i)
        w = w << 8 | static_cast<std::uint8_t>(d[an + i]);
    return w;
}

}  // namespace

bool Graubild::AusBmp(const QByteArray& datei, std::vector<std::uint8_t>& grau, int& breite, int& hoehe) {
    // file header (14 bytes), then an info header of at least 40 bytes
    if (datei.size() < 54 || datei[0] != 'B' || datei[1] != 'M')
        return false;
    const std::uint32_t pixelAb = Wort(datei, 10, 4), kopf = Wort(datei, 14, 4);
    const auto b = static_cast<std::int32_t>(Wort(datei, 18, 4)), h = static_cast<std::int32_t>(Wort(datei, 22, 4));
    const std::uint32_t ebenen = Wort(datei, 26, 2), bits = Wort(datei, 28, 2), packung = Wort(datei, 30, 4);
    // rows stored from the bottom up, as nearly every bitmap has them; the rare other way is the library's
    if (kopf < 40 || ebenen != 1 || bits != 24 || packung != 0 || b <= 0 || h <= 0)
        return false;
    const qint64 zeilen = h;
    const qint64 zeile = (3 * static_cast<qint64>(b) + 3) / 4 * 4;
    if (static_cast<qint64>(b) * zeilen > 1LL << 31 || pixelAb < 14 + kopf || pixelAb + zeile * zeilen > datei.size())
        return false;
    // the library's weights and its rounding: float products and sum, then half added as a double
    constexpr float Rot = 0.3f, Gruen = 0.5f, Blau = 0.2f;
    std::vector<std::uint8_t> g(static_cast<std::size_t>(b) * static_cast<std::size_t>(zeilen));
    const auto* daten = reinterpret_cast<const std::uint8_t*>(datei.constData()) + pixelAb;
    for (qint64 y = 0; y < zeilen; ++y) {
        const std::uint8_t* q = daten + (zeilen - 1 - y) * zeile;
        std::uint8_t* z = g.data() + y * b;
        for (std::int32_t x = 0; x < b; ++x, q += 3) {
            const float summe = Rot * static_cast<float>(q[2]) + Gruen * static_cast<float>(q[1]) + Blau * static_cast<float>(q[0]);
            z[x] = static_cast<std::uint8_t>(static_cast<int>(static_cast<double>(summe) + 0.5));
        }
    }
    grau = std::move(g);
    breite = b;
    hoehe = static_cast<int>(zeilen);
    return true;
}
