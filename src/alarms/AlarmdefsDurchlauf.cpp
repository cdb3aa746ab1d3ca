#include "alarms/AlarmdefsDurchlauf.h"

#include <QAtomicInteger>
#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <charconv>
#include <cmath>
#include <vector>

#include <sqlite3.h>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Auftragslauf.h"
#include "alarms/DatenbankFehler.h"
#include "platform/WinUmgebung.h"

namespace {
QAtomicInteger<int> g_zaehler;

// The condition of a part, with the column names as the backend quotes them.
QString Bedingung(const AlarmdefsDurchlauf::Auswahl& a, const std::function<QString(const char*)>& spalte,
                  bool texteVergleichen) {
    switch (a.teil) {
    case AlarmdefsDurchlauf::Teil::Alle:
        return {};
    case AlarmdefsDurchlauf::Teil::Bild:
        return QStringLiteral(" where %1 = ?").arg(spalte("Form"));
    case AlarmdefsDurchlauf::Teil::OhneBild:
        return QStringLiteral(" where %1 is null").arg(spalte("Form"));
    case AlarmdefsDurchlauf::Teil::OhnePosition:
        return QStringLiteral(" where ") +
               AlarmdefsZugriff::OhnePositionBedingung(spalte("Form"), spalte("X"), spalte("Y"), texteVergleichen);
    }
    return {};
}

void SpaltenPruefen(const QStringList& spalten) {
    for (const QString& s : spalten)
        if (!AlarmRecordBau::SpaltenNamen().contains(s))
            throw AlarmdefsFehler(QStringLiteral("Die Spalte %1 gehört nicht zur Tabelle Alarmdefs.").arg(s));
}

[[noreturn]] void SqliteWerfen(sqlite3* db, int code, const QString& sDatenbank) {
    const QSqlError e(QString(), QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"),
                      QSqlError::StatementError, QString::number(code));
    const auto m = DatenbankFehler::Deuten(e, sDatenbank);
    throw AlarmdefsFehler(m.text, m.detail);
}

void LesenSqlite(const QString& pfad, const QString& sDatenbank, const QStringList& spalten,
                 const AlarmdefsDurchlauf::Auswahl& auswahl, const std::function<void(const AlarmdefsDurchlauf::Wert*)>& jeZeile) {
    struct Halter {
        sqlite3* db = nullptr;
        sqlite3_stmt* st = nullptr;
        ~Halter() {
            sqlite3_finalize(st);
            sqlite3_close(db);
        }
    } h;
    // the connection is this pass's alone: no lock around every column read
    const int offen = sqlite3_open_v2(QFile::encodeName(pfad).constData(), &h.db,
                                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (offen != SQLITE_OK)
        SqliteWerfen(h.db, offen, sDatenbank);
    sqlite3_busy_timeout(h.db, AlarmdefsZugriff::WarteAufSperreMs);
    QStringList namen;
    for (const QString& s : spalten)
        namen << QLatin1Char('[') + s + QLatin1Char(']');
    const QByteArray sql = (QStringLiteral("select %1 from [Alarmdefs]").arg(namen.join(QStringLiteral(", "))) +
                            Bedingung(auswahl, [](const char* s) { return QStringLiteral("[%1]").arg(QLatin1String(s)); }, true))
                               .toUtf8();
    int rc = sqlite3_prepare_v2(h.db, sql.constData(), static_cast<int>(sql.size()), &h.st, nullptr);
    if (rc != SQLITE_OK)
        SqliteWerfen(h.db, rc, sDatenbank);
    const QByteArray form = auswahl.form.toUtf8();
    if (auswahl.teil == AlarmdefsDurchlauf::Teil::Bild)
        sqlite3_bind_text(h.st, 1, form.constData(), static_cast<int>(form.size()), SQLITE_STATIC);
    const int n = static_cast<int>(spalten.size());
    std::vector<AlarmdefsDurchlauf::Wert> werte(static_cast<std::size_t>(n));
    using Art = AlarmdefsDurchlauf::Wert::Art;
    while ((rc = sqlite3_step(h.st)) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            AlarmdefsDurchlauf::Wert& w = werte[static_cast<std::size_t>(i)];
            switch (sqlite3_column_type(h.st, i)) {
            case SQLITE_NULL:
                w.art = Art::Null;
                break;
            case SQLITE_INTEGER:
                w.art = Art::Zahl;
                w.zahl = sqlite3_column_int64(h.st, i);
                break;
            case SQLITE_FLOAT:
                w.art = Art::Kommazahl;
                w.kommazahl = sqlite3_column_double(h.st, i);
                break;
            default:
                w.art = Art::Text;
                w.text = reinterpret_cast<const char*>(sqlite3_column_text(h.st, i));
                w.laenge = sqlite3_column_bytes(h.st, i);
                break;
            }
        }
        Auftragslauf::Schritt();  // a background job may stop here
        jeZeile(werte.data());
    }
    if (rc != SQLITE_DONE)
        SqliteWerfen(h.db, rc, sDatenbank);
}

void LesenQt(const QString& sDatenbank, const QStringList& spalten, const AlarmdefsDurchlauf::Auswahl& auswahl,
             const std::function<void(const AlarmdefsDurchlauf::Wert*)>& jeZeile) {
    const QString name = QStringLiteral("tavero-durchlauf-%1").arg(g_zaehler.fetchAndAddRelaxed(1));
    struct Schliesser {
        QString name;
        ~Schliesser() { AlarmdefsZugriff::Schliessen(name); }
    } schliesser{name};
    QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
    {
        QStringList namen;
        for (const QString& s : spalten)
            namen << AlarmdefsZugriff::SpaltenName(db, s);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        const bool vorbereitet = q.prepare(
            QStringLiteral("select %1 from %2").arg(namen.join(QStringLiteral(", ")), AlarmdefsZugriff::Tabelle(db)) +
            Bedingung(auswahl, [&db](const char* s) { return AlarmdefsZugriff::SpaltenName(db, QLatin1String(s)); },
                      AlarmdefsZugriff::TexteVergleichbar(db)));
        if (auswahl.teil == AlarmdefsDurchlauf::Teil::Bild)
            q.addBindValue(auswahl.form);
        if (!vorbereitet || !q.exec()) {
            const auto m = DatenbankFehler::Deuten(q.lastError(), sDatenbank);
            throw AlarmdefsFehler(m.text, m.detail);
        }
        const int n = static_cast<int>(spalten.size());
        std::vector<AlarmdefsDurchlauf::Wert> werte(static_cast<std::size_t>(n));
        std::vector<QByteArray> texte(static_cast<std::size_t>(n));
        using Art = AlarmdefsDurchlauf::Wert::Art;
        while (q.next()) {
            for (int i = 0; i < n; ++i) {
                const auto s = static_cast<std::size_t>(i);
                AlarmdefsDurchlauf::Wert& w = werte[s];
                const QVariant v = q.value(i);
                if (v.isNull()) {
                    w.art = Art::Null;
                    continue;
                }
                switch (v.typeId()) {
                case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Short:
                case QMetaType::UShort:
                    w.art = Art::Zahl;
                    w.zahl = v.toLongLong();
                    break;
                case QMetaType::Double: case QMetaType::Float:
                    w.art = Art::Kommazahl;
                    w.kommazahl = v.toDouble();
                    break;
                default:
                    w.art = Art::Text;
                    texte[s] = v.toString().toUtf8();
                    w.text = texte[s].constData();
                    w.laenge = static_cast<int>(texte[s].size());
                    break;
                }
            }
            Auftragslauf::Schritt();
            jeZeile(werte.data());
        }
        if (q.lastError().isValid()) {
            const auto m = DatenbankFehler::Deuten(q.lastError(), sDatenbank);
            throw AlarmdefsFehler(m.text, m.detail);
        }
    }
}
}  // namespace

QString AlarmdefsDurchlauf::Wert::Text() const {
    switch (art) {
    case Art::Null:
        return {};
    case Art::Zahl:
        return QString::number(zahl);
    case Art::Kommazahl:
        // the text Qt's driver gives a floating value
        return QString::number(kommazahl, 'g', QLocale::FloatingPointShortest);
    case Art::Text:
        return QString::fromUtf8(text, laenge);
    }
    return {};
}

void AlarmdefsDurchlauf::Wert::Anhaengen(QByteArray& ziel) const {
    switch (art) {
    case Art::Null:
        return;
    case Art::Zahl: {
        char puffer[24];
        const auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, zahl);
        ziel.append(puffer, ende - puffer);
        return;
    }
    case Art::Kommazahl:
        ziel.append(Text().toUtf8());
        return;
    case Art::Text:
        ziel.append(text, laenge);
        return;
    }
}

std::optional<qlonglong> AlarmdefsDurchlauf::Wert::GanzeZahl() const {
    switch (art) {
    case Art::Null:
        return std::nullopt;
    case Art::Zahl:
        return zahl;
    case Art::Kommazahl:
        if (std::isfinite(kommazahl) && std::floor(kommazahl) == kommazahl && std::fabs(kommazahl) < 9.0e15)
            return static_cast<qlonglong>(kommazahl);
        return std::nullopt;
    case Art::Text:
        return AlarmdefsZugriff::Alarmnummer(Text());
    }
    return std::nullopt;
}

void AlarmdefsDurchlauf::Lesen(const QString& sDatenbank, const QStringList& spalten, const Auswahl& auswahl,
                               const std::function<void(const Wert*)>& jeZeile) {
    SpaltenPruefen(spalten);
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    if (AlarmdefsZugriff::IstSqliteDatei(sDatenbank))
        LesenSqlite(pfad, sDatenbank, spalten, auswahl, jeZeile);
    else
        LesenQt(sDatenbank, spalten, auswahl, jeZeile);
}
