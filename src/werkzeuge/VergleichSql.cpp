#include "werkzeuge/VergleichSql.h"

#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QUrl>
#include <future>
#include <vector>

#include <sqlite3.h>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/DatenbankFehler.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/Vergleichsseite.h"

namespace {

const char* const kSchema[] = {"main", "dort", "basis"};

// A file as a read-only URI: the other files are never written, not even a journal.
QByteArray NurLesen(const QString& sDatenbank) {
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    return "file:" + QUrl::toPercentEncoding(pfad, "/") + "?mode=ro";
}

// SQLite's rules for a column's affinity from its declared type.
enum class Affinitaet { Ganzzahl, Text, Keine, Kommazahl, Numerisch };
Affinitaet AffinitaetVon(const QByteArray& typ) {
    const QByteArray t = typ.toUpper();
    if (t.contains("INT"))
        return Affinitaet::Ganzzahl;
    if (t.contains("CHAR") || t.contains("CLOB") || t.contains("TEXT"))
        return Affinitaet::Text;
    if (t.contains("BLOB") || t.isEmpty())
        return Affinitaet::Keine;
    if (t.contains("REAL") || t.contains("FLOA") || t.contains("DOUB"))
        return Affinitaet::Kommazahl;
    return Affinitaet::Numerisch;
}

struct Verbindung {
    sqlite3* db = nullptr;
    QString name;  // this side as the user named it, for messages
    ~Verbindung() { sqlite3_close_v2(db); }

    [[noreturn]] void Werfen(int code) const {
        const QSqlError e(QString(), QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError, QString::number(code));
        const auto m = DatenbankFehler::Deuten(e, name);
        throw AlarmdefsFehler(m.text, m.detail);
    }
};

struct Anweisung {
    sqlite3_stmt* st = nullptr;
    ~Anweisung() { sqlite3_finalize(st); }
    bool Vorbereiten(sqlite3* db, const QByteArray& sql) {
        return sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &st, nullptr) == SQLITE_OK;
    }
};

// One column of the current row as the pass over every row gives it.
void WertLesen(sqlite3_stmt* st, int i, AlarmdefsDurchlauf::Wert& w) {
    using Art = AlarmdefsDurchlauf::Wert::Art;
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        w.art = Art::Null;
        break;
    case SQLITE_INTEGER:
        w.art = Art::Zahl;
        w.zahl = sqlite3_column_int64(st, i);
        break;
    case SQLITE_FLOAT:
        w.art = Art::Kommazahl;
        w.kommazahl = sqlite3_column_double(st, i);
        break;
    default:
        w.art = Art::Text;
        w.text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        w.laenge = sqlite3_column_bytes(st, i);
        break;
    }
}

// The 18 columns of one table as "t"."Ident", ... in record order.
QByteArray Spalten(const char* tabelle) {
    QByteArray s;
    for (const QString& n : AlarmRecordBau::SpaltenNamen())
        s += (s.isEmpty() ? "" : ", ") + QByteArray(tabelle) + ".\"" + n.toUtf8() + '"';
    return s;
}

struct Tabelle {
    QHash<QString, Affinitaet> affinitaet;  // by column name in lower case
    bool identSchluessel = false;           // Ident is the rowid: whole numbers, each once
    bool identText = false;                 // the numbers as their plain text, in a text column
};

// The join of table t's rows to table s's by number. Both as whole numbers
// or both as text, the columns are compared as they are (an index serves);
// else s's value is turned into t's kind first, since a join of a text column
// with a number column finds nothing through an automatic index.
QByteArray Verbunden(const char* t, const Tabelle& tt, const char* s, const Tabelle& ts) {
    const QByteArray links = QByteArray(t) + ".\"Ident\" = ";
    const QByteArray rechts = QByteArray(s) + ".\"Ident\"";
    if (tt.identText == ts.identText)
        return links + rechts;
    return links + "cast(" + rechts + (tt.identText ? " as text)" : " as integer)");
}

// This side read-only, the others ATTACHed read-only as dort and basis; a
// stop asked for interrupts the statement running.
bool Oeffnen(Verbindung& v, const QStringList& namen, const std::function<bool()>& halten) {
    v.name = namen.first();
    if (sqlite3_open_v2(NurLesen(namen.first()).constData(), &v.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(v.db, AlarmdefsZugriff::WarteAufSperreMs);
    for (int i = 1; i < namen.size(); ++i) {
        Anweisung a;
        const QByteArray uri = NurLesen(namen.at(i));
        if (!a.Vorbereiten(v.db, QByteArray("attach database ? as ") + kSchema[i]))
            return false;
        sqlite3_bind_text(a.st, 1, uri.constData(), static_cast<int>(uri.size()), SQLITE_STATIC);
        if (sqlite3_step(a.st) != SQLITE_DONE)
            return false;
    }
    // One pass over each table: a small cache serves it as well as the
    // default one, and two connections at once fill less memory
    for (int i = 0; i < namen.size(); ++i)
        sqlite3_exec(v.db, (QByteArray("pragma ") + kSchema[i] + ".cache_size = 256").constData(), nullptr, nullptr, nullptr);
    sqlite3_progress_handler(v.db, 20000, [](void* h) -> int { return (*static_cast<const std::function<bool()>*>(h))() ? 1 : 0; },
                             const_cast<std::function<bool()>*>(&halten));
    return true;
}

bool Schritt(Verbindung& v, Anweisung& a, const std::function<bool()>& halten) {
    const int rc = sqlite3_step(a.st);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return rc == SQLITE_ROW;
    if (halten())
        throw Vergleich::Abgebrochen();
    v.Werfen(rc);
}

void Aufnehmen(Anweisung& a, int erste, Vergleichsseite& s, std::vector<AlarmdefsDurchlauf::Wert>& werte) {
    for (int k = 0; k < AlarmFeld::Spalten; ++k)
        WertLesen(a.st, erste + 1 + k, werte[static_cast<std::size_t>(k)]);
    s.Aufnehmen(werte.data(), sqlite3_column_int64(a.st, erste));
}

// The row key, the number and the placement of one table, as the query over
// both files hands them over.
QByteArray Lage(const char* t) {
    QByteArray s = QByteArray(t) + ".rowid, " + t + ".\"Ident\"";
    for (int k : Vergleichsseite::kLage)
        s += ", " + QByteArray(t) + ".\"" + AlarmRecordBau::SpaltenNamen().at(k).toUtf8() + '"';
    return s;
}
constexpr int kLageBreite = 6;

void LageAufnehmen(Anweisung& a, int erste, Vergleichsseite& s, std::vector<AlarmdefsDurchlauf::Wert>& werte) {
    WertLesen(a.st, erste + 1, werte[AlarmFeld::Ident]);
    for (int i = 0; i < 4; ++i)
        WertLesen(a.st, erste + 2 + i, werte[static_cast<std::size_t>(Vergleichsseite::kLage[i])]);
    s.Aufnehmen(werte.data(), sqlite3_column_int64(a.st, erste), false);
}

// The other columns of the rows whose other columns differ as stored, read by
// their keys and hashed as a pass over every row hashes them.
bool RestLesen(Verbindung& v, const char* schema, const QHash<qint64, std::size_t>& zeilen, Vergleichsseite& s,
               const std::function<bool()>& halten) {
    if (zeilen.isEmpty())
        return true;
    QByteArray liste = "[";
    for (auto it = zeilen.cbegin(); it != zeilen.cend(); ++it)
        liste += QByteArray::number(it.key()) + ',';
    liste.back() = ']';
    Anweisung a;
    if (!a.Vorbereiten(v.db, "select t.rowid, " + Spalten("t") + " from " + schema +
                                 ".Alarmdefs t where t.rowid in (select value from json_each(?))"))
        return false;
    sqlite3_bind_text(a.st, 1, liste.constData(), static_cast<int>(liste.size()), SQLITE_STATIC);
    std::vector<AlarmdefsDurchlauf::Wert> werte(AlarmFeld::Spalten);
    while (Schritt(v, a, halten)) {
        for (int k = 0; k < AlarmFeld::Spalten; ++k)
            WertLesen(a.st, 1 + k, werte[static_cast<std::size_t>(k)]);
        s.zeilen[zeilen.value(sqlite3_column_int64(a.st, 0))].rest = s.Rest(werte.data());
    }
    return true;
}

// The rows here with rowids from von to bis that the other side lacks or
// holds otherwise, with their partners; the number of rows here alone, -1
// when a statement cannot be made.
qint64 HierLesen(Verbindung& v, const QByteArray& sql, qint64 von, qint64 bis, const QSet<qint64>& doppelt, bool dreiWege,
                 Vergleichsseite* seiten, const std::function<bool()>& halten) {
    Anweisung a;
    if (!a.Vorbereiten(v.db, sql))
        return -1;
    sqlite3_bind_int64(a.st, 1, von);
    sqlite3_bind_int64(a.st, 2, bis);
    std::vector<AlarmdefsDurchlauf::Wert> werte(AlarmFeld::Spalten);
    constexpr int kB = kLageBreite, kC = 2 * kB;
    // the last column: whether any other column differs as stored
    const int restAnders = dreiWege ? 3 * kB : 2 * kB;
    // Other columns the same as stored are the same as shown too: both rows
    // then carry the same (empty) hash. Only rows where they differ are read whole.
    QHash<qint64, std::size_t> restHier, restDort;
    qint64 nurHier = 0, letzte = 0;
    bool erste = true;
    while (Schritt(v, a, halten)) {
        const qint64 zeile = sqlite3_column_int64(a.st, 0);
        const qint64 nummer = sqlite3_column_int64(a.st, 1);
        if (doppelt.contains(nummer))
            continue;
        // the rows of an earlier state with several rows of a number repeat this side's row
        if (erste || zeile != letzte) {
            LageAufnehmen(a, 0, seiten[0], werte);
            if (sqlite3_column_type(a.st, kB) == SQLITE_NULL) {
                ++nurHier;
            } else {
                LageAufnehmen(a, kB, seiten[1], werte);
                if (sqlite3_column_int(a.st, restAnders) != 0) {
                    restHier.insert(zeile, seiten[0].zeilen.size() - 1);
                    restDort.insert(sqlite3_column_int64(a.st, kB), seiten[1].zeilen.size() - 1);
                }
            }
        }
        erste = false;
        letzte = zeile;
        if (dreiWege && sqlite3_column_type(a.st, kC) != SQLITE_NULL)
            LageAufnehmen(a, kC, seiten[2], werte);
    }
    if (!RestLesen(v, kSchema[0], restHier, seiten[0], halten) || !RestLesen(v, kSchema[1], restDort, seiten[1], halten))
        return -1;
    return nurHier;
}

}  // namespace

bool VergleichSql::Lesen(const QStringList& namen, const std::function<bool()>& halten,
                         const Vergleich::Fortschritt& melden, Vergleichsseite* seiten) {
    const auto sagen = [&](int p, const QString& t) {
        if (melden)
            melden(p, t);
    };
    const int n = static_cast<int>(namen.size());
    Verbindung v;
    if (!Oeffnen(v, namen, halten))
        return false;  // the pass over every row names what is wrong with the file
    const auto schritt = [&](Anweisung& a) { return Schritt(v, a, halten); };

    // The columns' affinities decide where equal values may differ in kind,
    // and whether the numbers are whole numbers that a join matches as the
    // comparison does.
    Tabelle tabellen[3];
    for (int i = 0; i < n; ++i) {
        Anweisung a;
        if (!a.Vorbereiten(v.db, QByteArray("select name, type, pk from pragma_table_info('Alarmdefs', '") + kSchema[i] + "')"))
            return false;
        int schluessel = 0;
        bool identPk = false;
        while (schritt(a)) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(a.st, 0))).toLower();
            const QByteArray typ(reinterpret_cast<const char*>(sqlite3_column_text(a.st, 1)));
            tabellen[i].affinitaet.insert(name, AffinitaetVon(typ));
            if (sqlite3_column_int(a.st, 2) > 0) {
                ++schluessel;
                identPk = name == QLatin1String("ident") && typ.toUpper() == "INTEGER";
            }
        }
        tabellen[i].identSchluessel = schluessel == 1 && identPk;
        if (tabellen[i].identSchluessel)
            continue;
        // Whole numbers stored as such, or as their plain text in a text column;
        // anything else is matched by the pass over every row.
        const Affinitaet ident = tabellen[i].affinitaet.value(QStringLiteral("ident"), Affinitaet::Keine);
        tabellen[i].identText = ident == Affinitaet::Text;
        Anweisung pruefen;
        const QByteArray von = QByteArray(" from ") + kSchema[i] + ".Alarmdefs";
        const QByteArray sql =
            ident == Affinitaet::Text
                ? "select exists (select 1" + von + " where typeof(\"Ident\") <> 'text' or \"Ident\" <> cast(cast(\"Ident\" as integer) as text))"
                : "select exists (select 1" + von + " where typeof(\"Ident\") <> 'integer')";
        if (!pruefen.Vorbereiten(v.db, sql))
            return false;
        if (!schritt(pruefen) || sqlite3_column_int(pruefen.st, 0) != 0)
            return false;
    }
    sagen(10, QStringLiteral("Zeilen zählen"));
    qint64 anzahl[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) {
        Anweisung a;
        if (!a.Vorbereiten(v.db, QByteArray("select count(*) from ") + kSchema[i] + ".Alarmdefs"))
            return false;
        if (schritt(a))
            anzahl[i] = sqlite3_column_int64(a.st, 0);
        seiten[i].name = namen.at(i);
        seiten[i].anzahl = anzahl[i];
    }

    // Numbers several rows carry on this side or the other: all their rows
    // are handed over, as the comparison lists them whole.
    sagen(20, QStringLiteral("Doppelte Nummern suchen"));
    QSet<qint64> doppelt;
    QByteArray doppeltListe = "[";
    for (int i = 0; i < 2; ++i) {
        if (tabellen[i].identSchluessel)
            continue;
        Anweisung a;
        if (!a.Vorbereiten(v.db, QByteArray("select \"Ident\" from ") + kSchema[i] +
                                     ".Alarmdefs group by \"Ident\" having count(*) > 1"))
            return false;
        while (schritt(a)) {
            const qint64 nummer = sqlite3_column_int64(a.st, 0);
            if (!doppelt.contains(nummer)) {
                doppelt.insert(nummer);
                // as number and as text: a column declared as text holds the number as text
                doppeltListe += (doppeltListe.size() > 1 ? "," : "") + QByteArray::number(nummer) + ",\"" +
                                QByteArray::number(nummer) + '"';
            }
        }
    }
    doppeltListe += ']';
    std::vector<AlarmdefsDurchlauf::Wert> werte(AlarmFeld::Spalten);
    const auto aufnehmen = [&](Anweisung& a, int erste, Vergleichsseite& s) { Aufnehmen(a, erste, s, werte); };
    qint64 doppeltZeilen[2] = {0, 0};
    if (!doppelt.isEmpty())
        for (int i = 0; i < 2; ++i) {
            Anweisung a;
            if (!a.Vorbereiten(v.db, "select t.rowid, " + Spalten("t") + " from " + kSchema[i] +
                                         ".Alarmdefs t where t.\"Ident\" in (select value from json_each(?))"))
                return false;
            sqlite3_bind_text(a.st, 1, doppeltListe.constData(), static_cast<int>(doppeltListe.size()), SQLITE_STATIC);
            while (schritt(a)) {
                aufnehmen(a, 0, seiten[i]);
                ++doppeltZeilen[i];
            }
        }

    // Rows here that the other side lacks or holds otherwise, with the
    // earlier state's rows of their numbers. A column compares as differing
    // when the values differ as stored; where the two columns' affinities
    // differ, also when they differ in kind (10 and '10'), which the
    // comparison then weighs as it always does.
    sagen(30, QStringLiteral("Vergleichen"));
    const bool dreiWege = n > 2;
    QByteArray anders, restAnders = "0";
    const QStringList& spaltenNamen = AlarmRecordBau::SpaltenNamen();
    for (int k = 1; k < AlarmFeld::Spalten; ++k) {
        const QByteArray sp = '"' + spaltenNamen.at(k).toUtf8() + '"';
        const Affinitaet ah = tabellen[0].affinitaet.value(spaltenNamen.at(k).toLower(), Affinitaet::Keine);
        const Affinitaet ad = tabellen[1].affinitaet.value(spaltenNamen.at(k).toLower(), Affinitaet::Keine);
        QByteArray spalte = " or a." + sp + " is not b." + sp + " collate binary";
        if (ah != ad || ah == Affinitaet::Keine)
            spalte += " or typeof(a." + sp + ") <> typeof(b." + sp + ')';
        anders += spalte;
        if (k < AlarmFeld::Form || k > AlarmFeld::Y)
            restAnders += spalte;
    }
    QByteArray sql = "select " + Lage("a") + ", " + Lage("b");
    if (dreiWege)
        sql += ", " + Lage("c");
    // worked out only for the rows handed over
    sql += ", " + restAnders;
    sql += " from main.Alarmdefs a left join dort.Alarmdefs b on " + Verbunden("b", tabellen[1], "a", tabellen[0]);
    if (dreiWege)
        sql += " left join basis.Alarmdefs c on b.rowid is not null and " + Verbunden("c", tabellen[2], "a", tabellen[0]);
    sql += " where a.rowid between ?1 and ?2 and (b.rowid is null" + anders + ')';
    // The rows here in two halves by rowid, each on a connection of its own, at the same time.
    qint64 kleinste = 0, groesste = 0;
    {
        Anweisung a;
        // each as a query of its own: SQLite looks up a lone min() or max() at
        // the ends of the table, but scans every row for both in one query
        if (!a.Vorbereiten(v.db, "select (select min(rowid) from main.Alarmdefs), (select max(rowid) from main.Alarmdefs)"))
            return false;
        if (schritt(a)) {
            kleinste = sqlite3_column_int64(a.st, 0);
            groesste = sqlite3_column_int64(a.st, 1);
        }
    }
    const qint64 mitte = kleinste + (groesste - kleinste) / 2;
    Vergleichsseite zweite[3];
    auto spaeter = std::async(std::launch::async, [&]() -> qint64 {
        Verbindung w;
        if (!Oeffnen(w, namen, halten))
            return -1;
        return HierLesen(w, sql, mitte + 1, groesste, doppelt, dreiWege, zweite, halten);
    });
    qint64 nurHier = -1, nurHierSpaeter = -1;
    std::exception_ptr fehler;
    try {
        nurHier = HierLesen(v, sql, kleinste, mitte, doppelt, dreiWege, seiten, halten);
    } catch (...) {
        fehler = std::current_exception();
    }
    try {
        nurHierSpaeter = spaeter.get();
    } catch (...) {
        if (!fehler)
            fehler = std::current_exception();
    }
    if (fehler)
        std::rethrow_exception(fehler);
    if (nurHier < 0 || nurHierSpaeter < 0)
        return false;
    nurHier += nurHierSpaeter;
    for (int i = 0; i < n; ++i)
        seiten[i].Anfuegen(zweite[i]);
    // Rows only the other side holds: counted first, looked for only when there are any.
    const qint64 paare = anzahl[0] - doppeltZeilen[0] - nurHier;
    if (anzahl[1] - doppeltZeilen[1] - paare > 0) {
        sagen(60, QStringLiteral("Alarme nur dort suchen"));
        Anweisung a;
        if (!a.Vorbereiten(v.db, "select b.rowid, " + Spalten("b") +
                                     " from dort.Alarmdefs b left join main.Alarmdefs a on " +
                                     Verbunden("a", tabellen[0], "b", tabellen[1]) + " where a.rowid is null"))
            return false;
        while (schritt(a))
            if (!doppelt.contains(sqlite3_column_int64(a.st, 1)))
                aufnehmen(a, 0, seiten[1]);
    }
    for (int i = 0; i < n; ++i)
        seiten[i].Ordnen();
    return true;
}
