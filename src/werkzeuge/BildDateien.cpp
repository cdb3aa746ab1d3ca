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
    const QByteArray kopf = f.read(26);
    if (kopf.size() < 26 || !kopf.startsWith("BM"))
        return std::nullopt;
    const auto* b = reinterpret_cast<const uchar*>(kopf.constData());
    const quint32 infoGroesse = qFromLittleEndian<quint32>(b + 14);
    qint64 breite = 0, hoehe = 0;
    if (infoGroesse == 12) {  // the old core header: 16-bit sizes
        breite = qFromLittleEndian<quint16>(b + 18);
        hoehe = qFromLittleEndian<quint16>(b + 20);
    } else if (infoGroesse >= 40) {
        breite = qFromLittleEndian<qint32>(b + 18);
        hoehe = std::llabs(static_cast<long long>(qFromLittleEndian<qint32>(b + 22)));
    } else {
        return std::nullopt;
    }
    if (breite <= 0 || hoehe <= 0 || breite > 1'000'000 || hoehe > 1'000'000)
        return std::nullopt;
    return QSize(static_cast<int>(breite), static_cast<int>(hoehe));
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

bool BildDateien::SymbolVorhanden(const QString& dateiName) {
    auto it = m_symbole.constFind(dateiName);
    if (it != m_symbole.constEnd())
        return *it;
    ++m_nachgesehen;
    const bool da = !dateiName.isEmpty() && QFileInfo(Abbilden(SymbolPfad(dateiName))).isFile();
    m_symbole.insert(dateiName, da);
    return da;
}
