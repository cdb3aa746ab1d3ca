#include "werkzeuge/Suche.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include <sqlite3.h>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/DeutscheReihung.h"
#include "platform/WinUmgebung.h"

namespace {
// The needle of argument i, converted once per statement, not once per row
// (a copy of a kept QString shares its text).
QString Nadel(sqlite3_context* ctx, sqlite3_value** argv, int i) {
    if (auto* n = static_cast<QString*>(sqlite3_get_auxdata(ctx, i)))
        return *n;
    const QString n = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[i])), sqlite3_value_bytes(argv[i]));
    // SQLite may drop it at once; then it is made again for the next row.
    sqlite3_set_auxdata(ctx, i, new QString(n), [](void* p) { delete static_cast<QString*>(p); });
    return n;
}

// The folded form of each character up to U+00FF as UTF-8, made once from
// the German order's own folding.
struct Latin1Faltung {
    std::array<std::string, 256> zu;
    Latin1Faltung() {
        for (int c = 0; c < 256; ++c)
            zu[static_cast<std::size_t>(c)] = DeutscheReihung::Grundform(QString(QChar(static_cast<char16_t>(c)))).toStdString();
    }
};

// The search for a text of characters up to U+00FF alone (nearly every row):
// folded and compared as UTF-8 bytes, without a QString (a needle's bytes
// match where its characters do). nullopt when the text holds others.
std::optional<bool> Latin1Enthaelt(const char* text, int n, sqlite3_value** argv) {
    static const Latin1Faltung faltung;
    thread_local std::string klein;
    klein.clear();
    for (int i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            klein.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
            continue;
        }
        const auto d = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((c != 0xC2 && c != 0xC3) || (d & 0xC0) != 0x80)
            return std::nullopt;
        klein += faltung.zu[((c & 0x1F) << 6) | (d & 0x3F)];
        ++i;
    }
    auto drin = [](const std::string& t, std::size_t laenge, sqlite3_value* nadel) {
        const auto nb = static_cast<std::size_t>(sqlite3_value_bytes(nadel));
        return nb == 0 || memmem(t.data(), laenge, sqlite3_value_text(nadel), nb) != nullptr;
    };
    if (drin(klein, klein.size(), argv[1]))
        return true;
    // The second spelling: "ae", "oe", "ue" as one letter, in place (no byte
    // of a longer character is an ASCII letter).
    std::size_t m = 0;
    for (std::size_t i = 0; i < klein.size(); ++i) {
        const char c = klein[i];
        klein[m++] = c;
        if ((c == 'a' || c == 'o' || c == 'u') && i + 1 < klein.size() && klein[i + 1] == 'e')
            ++i;
    }
    // Neither the text nor the needle changed: the same search failed above.
    if (m == klein.size() && sqlite3_value_bytes(argv[1]) == sqlite3_value_bytes(argv[2]))
        return false;
    return drin(klein, m, argv[2]);
}

// contains(text, needle, needle without "ue" spellings): the SQLite function
// behind the text search. It folds the row's UTF-8 into buffers kept between
// rows, so a search through a large table allocates nothing per row.
void EnthaeltSql(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    if (const auto latin1 = Latin1Enthaelt(text, sqlite3_value_bytes(argv[0]), argv)) {
        sqlite3_result_int(ctx, *latin1);
        return;
    }
    const QString nadel = Nadel(ctx, argv, 1);
    thread_local QString gefaltet;
    gefaltet.clear();
    DeutscheReihung::GrundformAnhaengen(QByteArrayView(text, sqlite3_value_bytes(argv[0])), gefaltet);
    if (gefaltet.contains(nadel)) {
        sqlite3_result_int(ctx, 1);
        return;
    }
    // The second spelling, into a buffer of its own kept between rows.
    thread_local QString ohne;
    ohne.resize(gefaltet.size());
    qsizetype n = 0;
    const QChar* z = gefaltet.constData();
    for (qsizetype i = 0; i < gefaltet.size(); ++i) {
        ohne[n++] = z[i];
        if ((z[i] == u'a' || z[i] == u'o' || z[i] == u'u') && i + 1 < gefaltet.size() && z[i + 1] == u'e')
            ++i;
    }
    sqlite3_result_int(ctx, QStringView(ohne.constData(), n).contains(Nadel(ctx, argv, 2)));
}

// ORDER BY for the matches: the grid's column and direction, then its key.
QString Reihung(const Suche::Reihenfolge& reihe, const QString& spalte, const QString& textReihung, const QString& schluessel) {
    if (reihe.spalte.isEmpty())
        return schluessel;
    const QString richtung = reihe.ordnung == Qt::DescendingOrder ? QStringLiteral(" desc") : QString();
    return spalte + (reihe.text ? textReihung : QString()) + richtung + QStringLiteral(", ") + schluessel + richtung;
}

// A server's column folded as Suche::Falten folds (for the letters of German
// and its neighbours), and with "ae", "oe", "ue" spelled as one letter.
QString ServerGefaltet(const QString& spalte, bool ohneUmschreibung) {
    QString f = QStringLiteral("replace(translate(lower(%1), 'àáâãäåçèéêëìíîïñòóôõöøùúûüýÿ', "
                               "'aaaaaaceeeeiiiinoooooouuuuyy'), 'ß', 'ss')")
                    .arg(spalte);
    if (ohneUmschreibung)
        f = QStringLiteral("replace(replace(replace(%1, 'ae', 'a'), 'oe', 'o'), 'ue', 'u')").arg(f);
    return f;
}

// nullopt when the file is no SQLite database (another engine reads it then).
std::optional<QList<qlonglong>> SqliteFinden(const QString& pfad, const QString& sDatenbank, const QString& text,
                                             std::optional<qlonglong> nummer, const Suche::Reihenfolge& reihe) {
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
        sqlite3_create_function(db, "tavero_enthaelt", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &EnthaeltSql,
                                nullptr, nullptr);
    DeutscheReihung::Anmelden(db);
    const QByteArray sql =
        (nummer ? QStringLiteral("select [Ident] from [Alarmdefs] where [Ident] = ?1 order by %1")
                : QStringLiteral("select [Ident] from [Alarmdefs] where tavero_enthaelt([VarName], ?1, ?2) or "
                                 "tavero_enthaelt([Alarmtext], ?1, ?2) order by %1"))
            .arg(Reihung(reihe, QStringLiteral("[%1]").arg(QString(reihe.spalte).replace(QLatin1Char(']'), QStringLiteral("]]"))),
                         QStringLiteral(" collate ") + QLatin1String(DeutscheReihung::Name), QStringLiteral("rowid")))
            .toUtf8();
    sqlite3_stmt* st = nullptr;
    if ((rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr)) == SQLITE_NOTADB) {
        sqlite3_close(db);
        return std::nullopt;
    }
    if (rc != SQLITE_OK)
        fehler(rc);
    const QString nadel = Suche::Falten(text.trimmed());
    const QString nadel2 = Suche::OhneUmschreibung(nadel);
    if (nummer) {
        sqlite3_bind_int64(st, 1, *nummer);
    } else {
        const QByteArray n1 = nadel.toUtf8(), n2 = nadel2.toUtf8();
        sqlite3_bind_text(st, 1, n1.constData(), static_cast<int>(n1.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, n2.constData(), static_cast<int>(n2.size()), SQLITE_TRANSIENT);
    }
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

QString Suche::Falten(QStringView text) { return DeutscheReihung::Grundform(text); }

QString Suche::OhneUmschreibung(QStringView gefaltet) {
    QString aus;
    aus.reserve(gefaltet.size());
    for (qsizetype i = 0; i < gefaltet.size(); ++i) {
        const QChar c = gefaltet.at(i);
        aus.append(c);
        if ((c == u'a' || c == u'o' || c == u'u') && i + 1 < gefaltet.size() && gefaltet.at(i + 1) == u'e')
            ++i;
    }
    return aus;
}

bool Suche::Enthaelt(QStringView text, QStringView nadel, QStringView nadelOhneUmschreibung) {
    if (nadel.isEmpty())
        return true;
    const QString t = Falten(text);
    if (t.contains(nadel))
        return true;
    // Only a needle or a text with such a spelling can match the second way.
    return OhneUmschreibung(t).contains(nadelOhneUmschreibung);
}

QList<qlonglong> Suche::Finden(const QString& sDatenbank, const QString& text, const Reihenfolge& reihe) {
    if (text.trimmed().isEmpty())
        return {};
    const auto nummer = AlarmdefsZugriff::Alarmnummer(text);
    // An SQLite file is searched straight through the library; the library says
    // when a file is none (an Access file, a link to a server).
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    if (QFileInfo(pfad).isFile())
        if (auto treffer = SqliteFinden(pfad, sDatenbank, text, nummer, reihe))
            return *treffer;

    // Other engines compare in SQL: a server folds the way Falten does, others
    // with their own lower case.
    const QString name = QStringLiteral("tavero-suche");
    QList<qlonglong> treffer;
    {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
        const bool server = db.driverName() == QLatin1String("QPSQL");
        const QString ident = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
        const QString reihung =
            Reihung(reihe, reihe.spalte.isEmpty() ? QString() : AlarmdefsZugriff::SpaltenName(db, reihe.spalte),
                    DeutscheReihung::Zusatz(db), ident);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (nummer) {
            q.prepare(QStringLiteral("select %1 from %2 where %1 = ? order by %3").arg(ident, AlarmdefsZugriff::Tabelle(db), reihung));
            q.addBindValue(*nummer);
        } else {
            const auto muster = [](QString m) {
                m.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                    .replace(QLatin1Char('%'), QStringLiteral("\\%"))
                    .replace(QLatin1Char('_'), QStringLiteral("\\_"));
                return QLatin1Char('%') + m + QLatin1Char('%');
            };
            const QString varName = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("VarName"));
            const QString alarmtext = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Alarmtext"));
            if (server) {
                const QString nadel = Falten(text.trimmed());
                q.prepare(QStringLiteral("select %1 from %2 where %3 like ? escape '\\' or %4 like ? escape '\\' "
                                         "or %5 like ? escape '\\' or %6 like ? escape '\\' order by %7")
                              .arg(ident, AlarmdefsZugriff::Tabelle(db), ServerGefaltet(varName, false),
                                   ServerGefaltet(alarmtext, false), ServerGefaltet(varName, true),
                                   ServerGefaltet(alarmtext, true), reihung));
                q.addBindValue(muster(nadel));
                q.addBindValue(muster(nadel));
                q.addBindValue(muster(OhneUmschreibung(nadel)));
                q.addBindValue(muster(OhneUmschreibung(nadel)));
            } else {
                q.prepare(QStringLiteral("select %1 from %2 where lower(%3) like ? escape '\\' or lower(%4) like ? escape '\\' "
                                         "order by %5")
                              .arg(ident, AlarmdefsZugriff::Tabelle(db), varName, alarmtext, reihung));
                q.addBindValue(muster(text.trimmed().toLower()));
                q.addBindValue(muster(text.trimmed().toLower()));
            }
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
