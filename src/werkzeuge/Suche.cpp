#include "werkzeuge/Suche.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstring>

#include <sqlite3.h>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/DatenbankFehler.h"
#include "platform/WinUmgebung.h"

namespace {
// Folds UTF-8 bytes into out; returns the folded length.
std::size_t FaltenIn(const unsigned char* s, std::size_t n, unsigned char* out) {
    std::size_t j = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = s[i];
        if (c >= 'A' && c <= 'Z') {
            out[j++] = static_cast<unsigned char>(c + 32);
        } else if (c == 0xC3 && i + 1 < n) {
            // U+00C0..U+00DE (without the multiplication sign) fold to U+00E0..U+00FE
            const unsigned char d = s[++i];
            out[j++] = c;
            out[j++] = d >= 0x80 && d <= 0x9E && d != 0x97 ? static_cast<unsigned char>(d + 0x20) : d;
        } else {
            out[j++] = c;
        }
    }
    return j;
}

// contains(text, folded needle): the SQLite function behind the text search.
void Enthaelt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto* text = sqlite3_value_text(argv[0]);
    const auto* nadel = static_cast<const unsigned char*>(sqlite3_value_blob(argv[1]));
    const int nText = sqlite3_value_bytes(argv[0]);
    const int nNadel = sqlite3_value_bytes(argv[1]);
    if (!text || nText < nNadel) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    unsigned char puffer[1024];
    std::string gross;
    unsigned char* ziel = puffer;
    if (static_cast<std::size_t>(nText) > sizeof puffer) {
        gross.resize(static_cast<std::size_t>(nText));
        ziel = reinterpret_cast<unsigned char*>(gross.data());
    }
    const std::size_t n = FaltenIn(text, static_cast<std::size_t>(nText), ziel);
    sqlite3_result_int(ctx, memmem(ziel, n, nadel, static_cast<std::size_t>(nNadel)) != nullptr);
}

// nullopt when the file is no SQLite database (another engine reads it then).
std::optional<QList<qlonglong>> SqliteFinden(const QString& pfad, const QString& sDatenbank, const QString& text,
                                             std::optional<qlonglong> nummer) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(pfad).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    auto fehler = [&](int code) {
        const auto m = DatenbankFehler::Deuten(
            QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError, QString::number(code)),
            sDatenbank);
        sqlite3_close(db);
        throw AlarmdefsFehler(m.text, m.detail);
    };
    if (rc != SQLITE_OK)
        fehler(rc);
    sqlite3_busy_timeout(db, AlarmdefsZugriff::WarteAufSperreMs);
    if (!nummer)
        sqlite3_create_function(db, "tavero_enthaelt", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &Enthaelt,
                                nullptr, nullptr);
    const char* sql = nummer ? "select [Ident] from [Alarmdefs] where [Ident] = ?1 order by rowid"
                             : "select [Ident] from [Alarmdefs] where tavero_enthaelt([VarName], ?1) or "
                               "tavero_enthaelt([Alarmtext], ?1) order by rowid";
    sqlite3_stmt* st = nullptr;
    if ((rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr)) == SQLITE_NOTADB) {
        sqlite3_close(db);
        return std::nullopt;
    }
    if (rc != SQLITE_OK)
        fehler(rc);
    const QByteArray nadel = Suche::Falten(text.trimmed().toUtf8());
    if (nummer)
        sqlite3_bind_int64(st, 1, *nummer);
    else
        sqlite3_bind_blob(st, 1, nadel.constData(), static_cast<int>(nadel.size()), SQLITE_STATIC);
    QList<qlonglong> treffer;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        treffer << sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fehler(rc);
    sqlite3_close(db);
    return treffer;
}
}  // namespace

QByteArray Suche::Falten(const QByteArray& utf8) {
    QByteArray out(utf8.size(), Qt::Uninitialized);
    out.resize(static_cast<qsizetype>(FaltenIn(reinterpret_cast<const unsigned char*>(utf8.constData()),
                                               static_cast<std::size_t>(utf8.size()),
                                               reinterpret_cast<unsigned char*>(out.data()))));
    return out;
}

QList<qlonglong> Suche::Finden(const QString& sDatenbank, const QString& text) {
    if (text.trimmed().isEmpty())
        return {};
    const auto nummer = AlarmdefsZugriff::Alarmnummer(text);
    // An SQLite file is searched straight through the library; the library says
    // when a file is none (an Access file, a link to a server).
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    if (QFileInfo(pfad).isFile())
        if (auto treffer = SqliteFinden(pfad, sDatenbank, text, nummer))
            return *treffer;

    // Other engines compare with their own lower case.
    const QString name = QStringLiteral("tavero-suche");
    QList<qlonglong> treffer;
    {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
        const QString ident = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (nummer) {
            q.prepare(QStringLiteral("select %1 from %2 where %1 = ?").arg(ident, AlarmdefsZugriff::Tabelle(db)));
            q.addBindValue(*nummer);
        } else {
            QString muster = text.trimmed().toLower();
            muster.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                .replace(QLatin1Char('%'), QStringLiteral("\\%"))
                .replace(QLatin1Char('_'), QStringLiteral("\\_"));
            q.prepare(QStringLiteral("select %1 from %2 where lower(%3) like ? escape '\\' or lower(%4) like ? escape '\\' "
                                     "order by %1")
                          .arg(ident, AlarmdefsZugriff::Tabelle(db),
                               AlarmdefsZugriff::SpaltenName(db, QStringLiteral("VarName")),
                               AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Alarmtext"))));
            q.addBindValue(QLatin1Char('%') + muster + QLatin1Char('%'));
            q.addBindValue(QLatin1Char('%') + muster + QLatin1Char('%'));
        }
        if (!q.exec()) {
            const auto m = DatenbankFehler::Deuten(q.lastError(), sDatenbank);
            q = QSqlQuery();
            db = QSqlDatabase();
            AlarmdefsZugriff::Schliessen(name);
            throw AlarmdefsFehler(m.text, m.detail);
        }
        while (q.next())
            treffer << q.value(0).toLongLong();
    }
    AlarmdefsZugriff::Schliessen(name);
    return treffer;
}
