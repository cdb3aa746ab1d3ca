#include "werkzeuge/ZipArchiv.h"

#include <zlib.h>

namespace {
quint16 U16(const QByteArray& d, qsizetype i) {
    return static_cast<quint16>(static_cast<quint8>(d[i]) | static_cast<quint8>(d[i + 1]) << 8);
}
quint32 U32(const QByteArray& d, qsizetype i) { return U16(d, i) | static_cast<quint32>(U16(d, i + 2)) << 16; }

// No member of a workbook comes near this; a larger one is refused rather than unpacked.
constexpr quint32 kHoechstens = 512u * 1024 * 1024;
}  // namespace

bool ZipArchiv::Oeffnen(const QByteArray& daten, QString* fehler) {
    m_daten = daten;
    m_eintraege.clear();
    // the end record: its signature within the last 64 KiB plus its own 22 bytes
    qsizetype ende = -1;
    for (qsizetype i = daten.size() - 22; i >= 0 && i >= daten.size() - 22 - 65535; --i)
        if (U32(daten, i) == 0x06054b50) {
            ende = i;
            break;
        }
    if (ende < 0) {
        *fehler = QStringLiteral("keine gültige Zip-Datei.");
        return false;
    }
    const quint16 anzahl = U16(daten, ende + 10);
    const quint32 verzeichnis = U32(daten, ende + 16);
    if (anzahl == 0xffff || verzeichnis == 0xffffffffu) {
        *fehler = QStringLiteral("Zip64-Dateien werden nicht gelesen.");
        return false;
    }
    qsizetype p = verzeichnis;
    for (int i = 0; i < anzahl; ++i) {
        if (p + 46 > daten.size() || U32(daten, p) != 0x02014b50) {
            *fehler = QStringLiteral("das Inhaltsverzeichnis der Zip-Datei ist beschädigt.");
            return false;
        }
        Eintrag e;
        e.methode = U16(daten, p + 10);
        e.gepackt = U32(daten, p + 20);
        e.groesse = U32(daten, p + 24);
        const quint16 nameLaenge = U16(daten, p + 28), extra = U16(daten, p + 30), kommentar = U16(daten, p + 32);
        e.kopf = U32(daten, p + 42);
        if (p + 46 + nameLaenge > daten.size()) {
            *fehler = QStringLiteral("das Inhaltsverzeichnis der Zip-Datei ist beschädigt.");
            return false;
        }
        m_eintraege.insert(QString::fromUtf8(daten.mid(p + 46, nameLaenge)), e);
        p += 46 + nameLaenge + extra + kommentar;
    }
    return true;
}

std::optional<QByteArray> ZipArchiv::Lesen(const QString& name, QString* fehler) const {
    const auto it = m_eintraege.constFind(name);
    if (it == m_eintraege.constEnd())
        return std::nullopt;
    const Eintrag& e = *it;
    const auto kaputt = [&](const QString& warum) -> std::optional<QByteArray> {
        if (fehler)
            *fehler = QStringLiteral("%1: %2").arg(name, warum);
        return std::nullopt;
    };
    const qsizetype k = e.kopf;
    if (k + 30 > m_daten.size() || U32(m_daten, k) != 0x04034b50)
        return kaputt(QStringLiteral("Eintrag beschädigt."));
    const qsizetype anfang = k + 30 + U16(m_daten, k + 26) + U16(m_daten, k + 28);
    if (anfang + e.gepackt > m_daten.size() || e.groesse > kHoechstens)
        return kaputt(QStringLiteral("Eintrag beschädigt."));
    if (e.methode == 0)
        return m_daten.mid(anfang, e.gepackt);
    if (e.methode != 8)
        return kaputt(QStringLiteral("unbekanntes Packverfahren %1.").arg(e.methode));
    QByteArray aus(static_cast<qsizetype>(e.groesse), Qt::Uninitialized);
    z_stream z{};
    // raw deflate: negative window bits, no zlib header
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return kaputt(QStringLiteral("zlib lässt sich nicht starten."));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m_daten.constData() + anfang));
    z.avail_in = e.gepackt;
    z.next_out = reinterpret_cast<Bytef*>(aus.data());
    z.avail_out = e.groesse;
    const int rc = inflate(&z, Z_FINISH);
    const uLong geschrieben = z.total_out;
    inflateEnd(&z);
    if (rc != Z_STREAM_END || geschrieben != e.groesse)
        return kaputt(QStringLiteral("Eintrag lässt sich nicht entpacken."));
    return aus;
}
