#include "werkzeuge/BildtextSpeicher.h"

#include <QHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>

#include "werkzeuge/Texterkennung.h"

namespace {
const QString Kennung = QStringLiteral("Tavero Bildtext 2");

QMutex g_sperre;
QString g_ordner;

QString Absolut(const QString& datei) {
    const QFileInfo f(datei);
    const QString kanonisch = f.canonicalFilePath();
    return kanonisch.isEmpty() ? f.absoluteFilePath() : kanonisch;
}
}  // namespace

BildtextSpeicher::BildtextSpeicher(const QString& ordner) : m_ordner(ordner) {}

void BildtextSpeicher::StandardOrdnerSetzen(const QString& ordner) {
    QMutexLocker l(&g_sperre);
    g_ordner = ordner;
}

QString BildtextSpeicher::StandardOrdner() {
    {
        QMutexLocker l(&g_sperre);
        if (!g_ordner.isEmpty())
            return g_ordner;
    }
    const QString umgebung = qEnvironmentVariable("TAVERO_BILDTEXTE");
    if (!umgebung.isEmpty())
        return umgebung;
#ifdef Q_OS_WIN
    // the settings live in the registry there; the words go to the user's local application data
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VB and VBA Program Settings/Tavero/Bildtexte");
#else
    const QSettings s(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero"));
    return QFileInfo(s.fileName()).absolutePath() + QStringLiteral("/Tavero Bildtexte");
#endif
}

std::optional<BildtextSpeicher::Stempel> BildtextSpeicher::StempelVon(const QString& datei) {
    const QFileInfo info(datei);
    if (!info.isFile())
        return std::nullopt;
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A fingerprint, not a seal: two 64-bit hashes of Qt's own (AES-assisted
    // where the processor has it, ten times as fast as MD5 here) over the
    // mapped file, so two different pictures never meet by chance. Another
    // machine or Qt may hash otherwise; the picture is then only read again.
    const qint64 groesse = f.size();
    QByteArray kopie;
    const uchar* daten = groesse > 0 ? f.map(0, groesse) : nullptr;
    if (!daten && groesse > 0) {
        kopie = f.readAll();
        if (kopie.size() != groesse)
            return std::nullopt;
        daten = reinterpret_cast<const uchar*>(kopie.constData());
    }
    const auto n = static_cast<size_t>(groesse);
    const QByteArray inhalt = QByteArray::number(static_cast<qulonglong>(qHashBits(daten, n, 0x5441564552u)), 16) +
                              QByteArray::number(static_cast<qulonglong>(qHashBits(daten, n, 0x42494C44u)), 16);
    return Stempel{groesse, info.lastModified().toMSecsSinceEpoch(), inhalt};
}

QString BildtextSpeicher::EintragFuer(const Stempel& stempel) const {
    return m_ordner + QLatin1Char('/') + QString::fromLatin1(stempel.inhalt) + QLatin1Char('-') +
           QString::number(stempel.groesse) + QStringLiteral(".txt");
}

// An entry: the header lines naming file, state and way of reading, then one
// word a line as "x;y;width;height;confidence;text".
std::optional<QList<Bildwort>> BildtextSpeicher::Holen(const QString& datei) const {
    const auto stempel = StempelVon(datei);
    if (!stempel)
        return std::nullopt;
    QFile f(EintragFuer(*stempel));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream ein(&f);
    // the file the words were read from is named for the reader only: the same
    // bytes under another name give the same words
    if (ein.readLine() != Kennung)
        return std::nullopt;
    ein.readLine();
    const QStringList kopf = {QString::number(stempel->groesse), QString::fromLatin1(stempel->inhalt),
                              Texterkennung::Leseart()};
    for (const QString& erwartet : kopf)
        if (ein.readLine() != erwartet)
            return std::nullopt;
    bool ok = false;
    const int anzahl = ein.readLine().toInt(&ok);
    if (!ok || anzahl < 0)
        return std::nullopt;
    QList<Bildwort> woerter;
    for (int i = 0; i < anzahl; ++i) {
        const QString zeile = ein.readLine();
        const QStringList t = zeile.split(QLatin1Char(';'));
        if (t.size() < 6)
            return std::nullopt;
        Bildwort w;
        w.box = QRect(t[0].toInt(), t[1].toInt(), t[2].toInt(), t[3].toInt());
        w.konfidenz = t[4].toFloat();
        w.text = zeile.section(QLatin1Char(';'), 5);
        woerter << w;
    }
    // an entry cut short is no entry
    if (ein.readLine() != QLatin1String("."))
        return std::nullopt;
    return woerter;
}

bool BildtextSpeicher::Ablegen(const QString& datei, const Stempel& stempel, const QList<Bildwort>& woerter) const {
    if (StempelVon(datei) != stempel)
        return false;
    if (!QDir().mkpath(m_ordner))
        return false;
    QSaveFile f(EintragFuer(stempel));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream aus(&f);
    aus << Kennung << '\n'
        << Absolut(datei) << '\n'
        << stempel.groesse << '\n'
        << QString::fromLatin1(stempel.inhalt) << '\n'
        << Texterkennung::Leseart() << '\n'
        << woerter.size() << '\n';
    for (const Bildwort& w : woerter)
        aus << w.box.x() << ';' << w.box.y() << ';' << w.box.width() << ';' << w.box.height() << ';'
            << QString::number(w.konfidenz, 'f', 1) << ';' << QString(w.text).replace(QLatin1Char('\n'), QLatin1Char(' '))
            << '\n';
    aus << ".\n";
    aus.flush();
    return aus.status() == QTextStream::Ok && f.commit();
}
