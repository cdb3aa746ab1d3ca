#include "werkzeuge/Suche.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/DeutscheReihung.h"
#include "platform/WinUmgebung.h"

namespace {
// The folded needle in both spellings, made once per search and handed to the
// SQLite function as its user data: nothing about it is worked out per row.
struct Nadeln {
    std::string eins, zwei;  // folded UTF-8; zwei with "ae", "oe", "ue" as one letter
    QString einsText, zweiText;  // the same for rows with characters beyond U+00FF
    // Whether the row's own "ae", "oe", "ue" can matter: only where the needle
    // holds an a, o or u can a text written with them match the second way.
    bool zweite = false;
};

// The folded form of each character up to U+00FF as UTF-8, made once from
// the German order's own folding; four bytes are always copied, n count.
struct Latin1Faltung {
    struct Zeichen {
        char b[4] = {};
        unsigned char n = 0;
    };
    std::array<Zeichen, 256> zu;
    Latin1Faltung() {
        for (int c = 0; c < 256; ++c) {
            const std::string f = DeutscheReihung::Grundform(QString(QChar(static_cast<char16_t>(c)))).toStdString();
            Zeichen& z = zu[static_cast<std::size_t>(c)];
            z.n = static_cast<unsigned char>(std::min<std::size_t>(f.size(), 4));
            std::memcpy(z.b, f.data(), z.n);
        }
    }
};

// Whether the folded text holds the needle: a search for its first byte, then
// the rest compared (the texts are short: no table to build per call).
bool Drin(const char* t, std::size_t n, const std::string& nadel) {
    const std::size_t m = nadel.size();
    if (m == 0)
        return true;
    if (n < m)
        return false;
    const char* ende = t + (n - m + 1);
    for (const char* p = t; (p = static_cast<const char*>(std::memchr(p, nadel[0], static_cast<std::size_t>(ende - p))));
         ++p)
        if (std::memcmp(p + 1, nadel.data() + 1, m - 1) == 0)
            return true;
    return false;
}

// The search for a text of characters up to U+00FF alone (nearly every row):
// folded by table into a buffer kept between rows and compared as UTF-8
// bytes, without a QString (a needle's bytes match where its characters do).
// nullopt when the text holds others.
std::optional<bool> Latin1Enthaelt(const unsigned char* text, int n, const Nadeln& nadeln) {
    static const Latin1Faltung faltung;
    thread_local std::vector<char> puffer;
    // A character of two bytes folds to at most four, and four are always copied.
    const std::size_t platz = 2 * static_cast<std::size_t>(n) + 4;
    if (puffer.size() < platz)
        puffer.resize(std::max<std::size_t>(platz, 1024));
    char* aus = puffer.data();
    std::size_t j = 0;
    for (int i = 0; i < n; ++i) {
        // Eight ASCII bytes at once: each capital gets its lower-case bit.
        if (i + 8 <= n) {
            std::uint64_t acht;
            std::memcpy(&acht, text + i, 8);
            constexpr std::uint64_t hoch = 0x8080808080808080ULL;
            if (!(acht & hoch)) {
                const std::uint64_t gross = (acht + 0x3F3F3F3F3F3F3F3FULL) & ~(acht + 0x2525252525252525ULL) & hoch;
                acht |= gross >> 2;
                std::memcpy(aus + j, &acht, 8);
                j += 8;
                i += 7;
                continue;
            }
        }
        const unsigned char c = text[i];
        if (c < 0x80) {
            aus[j++] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            continue;
        }
        const unsigned char d = i + 1 < n ? text[i + 1] : 0;
        if ((c != 0xC2 && c != 0xC3) || (d & 0xC0) != 0x80)
            return std::nullopt;
        const auto& z = faltung.zu[((c & 0x1F) << 6) | (d & 0x3F)];
        std::memcpy(aus + j, z.b, 4);
        j += z.n;
        ++i;
    }
    if (Drin(aus, j, nadeln.eins))
        return true;
    if (!nadeln.zweite)
        return false;
    // The second spelling: "ae", "oe", "ue" as one letter, in place (no byte
    // of a longer character is an ASCII letter), from the first such pair on.
    std::size_t erstes = j;
    for (const char* e = aus; (e = static_cast<const char*>(std::memchr(e, 'e', j - static_cast<std::size_t>(e - aus))));
         ++e) {
        const char vor = e > aus ? e[-1] : 0;
        if (vor == 'a' || vor == 'o' || vor == 'u') {
            erstes = static_cast<std::size_t>(e - aus) - 1;
            break;
        }
    }
    // Neither the text nor the needle changed: the same search failed above.
    if (erstes == j && nadeln.eins.size() == nadeln.zwei.size())
        return false;
    std::size_t m = erstes;
    for (std::size_t i = erstes; i < j; ++i) {
        const char c = aus[i];
        aus[m++] = c;
        if ((c == 'a' || c == 'o' || c == 'u') && i + 1 < j && aus[i + 1] == 'e')
            ++i;
    }
    return Drin(aus, m, nadeln.zwei);
}

// contains(text): the SQLite function behind the text search, the needles
// its user data. Rows with characters beyond U+00FF are folded into a
// QString kept between rows.
void EnthaeltSql(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto* text = sqlite3_value_text(argv[0]);
    if (!text) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto& nadeln = *static_cast<const Nadeln*>(sqlite3_user_data(ctx));
    const int n = sqlite3_value_bytes(argv[0]);
    if (const auto latin1 = Latin1Enthaelt(text, n, nadeln)) {
        sqlite3_result_int(ctx, *latin1);
        return;
    }
    thread_local QString gefaltet;
    gefaltet.clear();
    DeutscheReihung::GrundformAnhaengen(QByteArrayView(reinterpret_cast<const char*>(text), n), gefaltet);
    if (gefaltet.contains(nadeln.einsText)) {
        sqlite3_result_int(ctx, 1);
        return;
    }
    // The second spelling, into a buffer of its own kept between rows.
    thread_local QString ohne;
    ohne.resize(gefaltet.size());
    qsizetype m = 0;
    const QChar* z = gefaltet.constData();
    for (qsizetype i = 0; i < gefaltet.size(); ++i) {
        ohne[m++] = z[i];
        if ((z[i] == u'a' || z[i] == u'o' || z[i] == u'u') && i + 1 < gefaltet.size() && z[i + 1] == u'e')
            ++i;
    }
    sqlite3_result_int(ctx, QStringView(ohne.constData(), m).contains(nadeln.zweiText));
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
    Nadeln nadeln;
    nadeln.einsText = Suche::Falten(text.trimmed());
    nadeln.zweiText = Suche::OhneUmschreibung(nadeln.einsText);
    nadeln.eins = nadeln.einsText.toStdString();
    nadeln.zwei = nadeln.zweiText.toStdString();
    nadeln.zweite = nadeln.zwei.find_first_of("aou") != std::string::npos;
    if (!nummer)
        sqlite3_create_function(db, "tavero_enthaelt", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &nadeln, &EnthaeltSql,
                                nullptr, nullptr);
    DeutscheReihung::Anmelden(db);
    const QByteArray sql =
        (nummer ? QStringLiteral("select [Ident] from [Alarmdefs] where [Ident] = ?1 order by %1")
                : QStringLiteral("select [Ident] from [Alarmdefs] where tavero_enthaelt([VarName]) or "
                                 "tavero_enthaelt([Alarmtext]) order by %1"))
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
    if (nummer)
        sqlite3_bind_int64(st, 1, *nummer);
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
