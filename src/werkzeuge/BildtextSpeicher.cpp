#include "werkzeuge/BildtextSpeicher.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <cstring>
#include <utility>

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

namespace {
// Two multiply-and-shift hashes (after MurmurHash64A) run side by side over
// the bytes, eight at a time; the two chains keep the processor busy while
// each waits for its multiplication.
std::pair<quint64, quint64> Streuwerte(const uchar* p, size_t n) {
    constexpr quint64 m = 0xc6a4a7935bd1e995ULL;
    constexpr int r = 47;
    auto mischen = [](quint64 k) {
        k *= m;
        k ^= k >> r;
        return k * m;
    };
    quint64 a = 0x5441564552ULL ^ (n * m), b = 0x42494C44ULL ^ (n * m);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        quint64 k1, k2;
        std::memcpy(&k1, p + i, 8);
        std::memcpy(&k2, p + i + 8, 8);
        a = (a ^ mischen(k1)) * m;
        b = (b ^ mischen(k2 ^ k1)) * m;
        a ^= k2;
    }
    if (n - i >= 8) {
        quint64 k;
        std::memcpy(&k, p + i, 8);
        a = (a ^ mischen(k)) * m;
        b = (b ^ mischen(k + 1)) * m;
        i += 8;
    }
    quint64 rest = 0;  // the last one to seven bytes
    for (size_t j = n; j > i; --j)
        rest = (rest << 8) | p[j - 1];
    if (n > i) {
        a = (a ^ mischen(rest)) * m;
        b = (b ^ mischen(rest + 1)) * m;
    }
    a ^= a >> r;
    a *= m;
    a ^= a >> r;
    b ^= b >> r;
    b *= m;
    b ^= b >> r;
    return {a, b};
}
}  // namespace

std::optional<BildtextSpeicher::Stempel> BildtextSpeicher::StempelVon(const QString& datei) {
    const QFileInfo info(datei);
    if (!info.isFile())
        return std::nullopt;
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A fingerprint, not a seal: two 64-bit hashes over the mapped file, so two
    // different pictures never meet by chance. Qt's own hash is no use here: it
    // mixes in a seed drawn anew in every process, and the entries are to be
    // found again after a restart. Another machine (byte order) may hash
    // otherwise; the picture is then only read again.
    const qint64 groesse = f.size();
    QByteArray kopie;
    const uchar* daten = groesse > 0 ? f.map(0, groesse) : nullptr;
    if (!daten && groesse > 0) {
        kopie = f.readAll();
        if (kopie.size() != groesse)
            return std::nullopt;
        daten = reinterpret_cast<const uchar*>(kopie.constData());
    }
    const auto [a, b] = Streuwerte(daten, static_cast<size_t>(groesse));
    const QByteArray inhalt = QByteArray::number(static_cast<qulonglong>(a), 16) +
                              QByteArray::number(static_cast<qulonglong>(b), 16);
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
