#include "werkzeuge/BildDateien.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstdlib>

#include "platform/WinUmgebung.h"

namespace {
QString Abbilden(const QString& winPfad) {
    return QString::fromStdString(WinUmgebung::PfadAbbilden(winPfad.toStdString()));
}
}  // namespace

BildDateien::BildDateien(const QString& bilderPath, const QString& symbolPath)
    : m_bilderPath(bilderPath), m_symbolPath(symbolPath) {}

std::optional<QSize> BildDateien::BmpGroesse(const QString& pfad) {
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray kopf = f.read(34);
    if (kopf.size() < 26 || !kopf.startsWith("BM"))
        return std::nullopt;
    const auto* b = reinterpret_cast<const uchar*>(kopf.constData());
    const quint32 daten = qFromLittleEndian<quint32>(b + 10);
    const quint32 infoGroesse = qFromLittleEndian<quint32>(b + 14);
    qint64 breite = 0, hoehe = 0, bits = 0, kompression = 0;
    if (infoGroesse == 12) {  // the old core header: 16-bit sizes
        breite = qFromLittleEndian<quint16>(b + 18);
        hoehe = qFromLittleEndian<quint16>(b + 20);
        bits = qFromLittleEndian<quint16>(b + 24);
    } else if (infoGroesse >= 40 && kopf.size() >= 34) {
        breite = qFromLittleEndian<qint32>(b + 18);
        hoehe = std::llabs(static_cast<long long>(qFromLittleEndian<qint32>(b + 22)));
        bits = qFromLittleEndian<quint16>(b + 28);
        kompression = qFromLittleEndian<quint32>(b + 30);
    } else {
        return std::nullopt;
    }
    if (breite <= 0 || hoehe <= 0 || breite > 1'000'000 || hoehe > 1'000'000)
        return std::nullopt;
    // uncompressed rows (RGB, bit fields) have a known length: a file cut short lacks pixels
    if (kompression == 0 || kompression == 3) {
        const qint64 zeile = (breite * bits + 31) / 32 * 4;
        if (bits == 0 || f.size() < static_cast<qint64>(daten) + zeile * hoehe)
            return std::nullopt;
    } else if (f.size() <= static_cast<qint64>(daten)) {
        return std::nullopt;
    }
    return QSize(static_cast<int>(breite), static_cast<int>(hoehe));
}

bool BildDateien::Lesbar(const QString& pfad) {
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray kopf = f.read(16);
    const qint64 groesse = f.size();
    auto ende = [&f, groesse](int n) {
        if (groesse < n || !f.seek(groesse - n))
            return QByteArray();
        return f.read(n);
    };
    if (kopf.startsWith("BM"))
        return BmpGroesse(pfad).has_value();
    if (kopf.startsWith("GIF87a") || kopf.startsWith("GIF89a")) {
        // the screen's width and height, and the trailer byte at the end
        const auto* b = reinterpret_cast<const uchar*>(kopf.constData());
        return kopf.size() >= 10 && qFromLittleEndian<quint16>(b + 6) > 0 && qFromLittleEndian<quint16>(b + 8) > 0 &&
               groesse > 13 && ende(1) == QByteArray(1, '\x3B');
    }
    if (kopf.startsWith("\x89PNG\r\n\x1A\n"))
        return ende(8) == QByteArray("IEND\xAE\x42\x60\x82", 8);
    if (kopf.startsWith("\xFF\xD8\xFF"))
        return ende(2) == QByteArray("\xFF\xD9", 2);
    return false;
}

const BildDateien::Bitmap& BildDateien::Bild(const QString& form) {
    auto it = m_bilder.find(form);
    if (it != m_bilder.end())
        return *it;
    Bitmap b;
    const QString datei = form + QStringLiteral(".bmp");
    b.pfad = m_bilderPath + QLatin1Char('\\') + form + QLatin1Char('\\') + datei;
    ++m_nachgesehen;
    // Found only under exactly N.bmp, also where the file system ignores case,
    // as the alarm pick of the selection window demands.
    const QFileInfo info(Abbilden(b.pfad));
    if (!form.isEmpty() && !form.contains(QLatin1Char('\\')) && !form.contains(QLatin1Char('/')) && info.isFile() &&
        QDir(info.absolutePath()).entryList({datei}, QDir::Files).contains(datei)) {
        b.vorhanden = true;
        b.groesse = BmpGroesse(info.filePath());
    }
    return *m_bilder.insert(form, b);
}

QString BildDateien::SymbolPfad(const QString& dateiName) const {
    return m_symbolPath + QLatin1Char('\\') + dateiName;
}

bool BildDateien::SymbolLesbar(const QString& dateiName) {
    auto it = m_symboleLesbar.constFind(dateiName);
    if (it != m_symboleLesbar.constEnd())
        return *it;
    const bool lesbar = SymbolVorhanden(dateiName) && Lesbar(Abbilden(SymbolPfad(dateiName)));
    m_symboleLesbar.insert(dateiName, lesbar);
    return lesbar;
}

bool BildDateien::SymbolVorhanden(const QString& dateiName) {
    auto it = m_symbole.constFind(dateiName);
    if (it != m_symbole.constEnd())
        return *it;
    ++m_nachgesehen;
    const bool da = !dateiName.isEmpty() && QFileInfo(Abbilden(SymbolPfad(dateiName))).isFile();
    m_symbole.insert(dateiName, da);
    return da;
}
