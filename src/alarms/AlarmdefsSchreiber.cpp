#include "alarms/AlarmdefsSchreiber.h"

#include <QSqlDriver>
#include <sqlite3.h>
#include <algorithm>
#include <charconv>
#include <numeric>
#include <vector>
#include <QSqlError>

#include "alarms/AlarmRecordLeser.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Auftragslauf.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/PgAnweisung.h"

namespace {

// What the row holds on the written columns, for the user.
QString Beschreiben(const AlarmRecord& r, const QList<int>& spalten) {
    QStringList teile;
    for (int s : spalten) {
        const QString wert = r.value(s);
        teile << AlarmRecordBau::SpaltenNamen().value(s) + QLatin1Char(' ') +
                     (wert.isEmpty() ? QStringLiteral("leer") : wert);
    }
    return teile.join(QStringLiteral(", "));
}

// The columns the row must still hold as read before it is written: the written
// ones; with a position also the picture and symbol it belongs to, so a position
// never lands on a picture someone has meanwhile given the alarm; by the row's
// own key also the alarm number, since a key can pass to another row (SQLite
// renumbers rowids when a table is compacted).
QList<int> PruefSpalten(const Schreibauftrag& a, bool nachSchluessel) {
    QList<int> spalten = a.spalten;
    auto dazu = [&spalten](int s) {
        if (!spalten.contains(s))
            spalten << s;
    };
    if (a.spalten.contains(AlarmFeld::X) || a.spalten.contains(AlarmFeld::Y)) {
        dazu(AlarmFeld::Form);
        dazu(AlarmFeld::Symbol);
    }
    if (nachSchluessel && a.gelesen && !a.gelesen->value(AlarmFeld::Ident).isEmpty())
        dazu(AlarmFeld::Ident);
    return spalten;
}

const QList<int>& AlleSpalten() {
    static const QList<int> alle = [] {
        QList<int> l;
        for (int i = 0; i < AlarmFeld::Spalten; ++i)
            l << i;
        return l;
    }();
    return alle;
}
// A value the set-wise write binds as the driver would bind it; false for a
// kind it leaves to the driver (row by row).
bool Bindbar(const QVariant& w) {
    if (w.isNull())
        return true;
    switch (w.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return true;
    default:
        return false;
    }
}

void Binden(sqlite3_stmt* st, int n, const QVariant& w) {
    if (w.isNull()) {
        sqlite3_bind_null(st, n);
        return;
    }
    switch (w.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        sqlite3_bind_int64(st, n, w.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(st, n, w.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = w.toByteArray();
        sqlite3_bind_blob(st, n, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QString t = w.toString();
        sqlite3_bind_text16(st, n, t.utf16(), static_cast<int>(t.size() * 2), SQLITE_TRANSIENT);
        break;
    }
    }
}

// One column of a row the SQLite library stepped to, compared with the text
// a record showed of it (NULL as empty text, the symbol by its file name),
// without making a string of it where it is a number or plain ASCII.
bool SpalteGleich(sqlite3_stmt* st, int sp, const QString& gelesen) {
    switch (sqlite3_column_type(st, sp)) {
    case SQLITE_NULL:
        return gelesen.isEmpty();
    case SQLITE_INTEGER: {
        char puffer[24];
        const auto e = std::to_chars(puffer, puffer + sizeof puffer, sqlite3_column_int64(st, sp));
        return gelesen == QLatin1String(puffer, static_cast<qsizetype>(e.ptr - puffer));
    }
    case SQLITE_TEXT: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, sp));
        qsizetype n = sqlite3_column_bytes(st, sp);
        if (sp == AlarmFeld::Symbol)
            for (qsizetype k = n; k-- > 0;)
                if (text[k] == '\\') {
                    text += k + 1;
                    n -= k + 1;
                    break;
                }
        const bool ascii = std::all_of(text, text + n, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return ascii ? gelesen == QLatin1String(text, n) : gelesen == QString::fromUtf8(text, n);
    }
    default:
        return false;
    }
}

// Whether the row holds what was read of it where Zeile() looks by key: the
// written columns, with a position its picture and symbol, and the alarm number.
bool HaeltGelesenes(sqlite3_stmt* st, const Schreibauftrag& a) {
    const AlarmRecord& g = *a.gelesen;
    const auto gleich = [&](int sp) { return SpalteGleich(st, sp, g.value(sp)); };
    bool lage = false;
    for (int sp : a.spalten) {
        lage = lage || sp == AlarmFeld::X || sp == AlarmFeld::Y;
        if (!gleich(sp))
            return false;
    }
    if (lage)
        for (int sp : {AlarmFeld::Form, AlarmFeld::Symbol})
            if (!a.spalten.contains(sp) && !gleich(sp))
                return false;
    return g.value(AlarmFeld::Ident).isEmpty() || a.spalten.contains(AlarmFeld::Ident) || gleich(AlarmFeld::Ident);
}

// The alarm number a row's column carries, as Alarmnummer() reads its text.
std::optional<qlonglong> NummerDerZeile(sqlite3_stmt* st, int sp) {
    switch (sqlite3_column_type(st, sp)) {
    case SQLITE_INTEGER:
        return static_cast<qlonglong>(sqlite3_column_int64(st, sp));
    case SQLITE_TEXT:
        return AlarmdefsZugriff::Alarmnummer(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, sp)), sqlite3_column_bytes(st, sp)));
    default:
        return std::nullopt;
    }
}

// A column's value as Qt's driver gives it (the row read by the writer).
QVariant WieDerTreiber(sqlite3_stmt* st, int sp) {
    switch (sqlite3_column_type(st, sp)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, sp)));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, sp)), sqlite3_column_bytes(st, sp)));
    default:
        return QVariant(QMetaType::fromType<QString>());
    }
}

// The number as the result names it: the caller's own text where it already
// writes it so, which then needs no copy.
QString NummernText(const QString& ident, qlonglong n) {
    char puffer[24];
    const auto e = std::to_chars(puffer, puffer + sizeof puffer, n);
    const QLatin1String text(puffer, static_cast<qsizetype>(e.ptr - puffer));
    return ident == text ? ident : QString(text);
}
}  // namespace

AlarmdefsSchreiber::AlarmdefsSchreiber(QSqlDatabase& db, const QString& sDatenbank) : m_db(db), m_datenbank(sDatenbank) {
    // The row's own key where the engine has one that names exactly one row.
    if (db.driverName() == QLatin1String("QSQLITE"))
        m_schluessel = QStringLiteral("rowid");
    else if (db.driverName() == QLatin1String("QPSQL"))
        m_schluessel = QStringLiteral("ctid");
    m_identSpalte = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
}

const QString& AlarmdefsSchreiber::LeseSql(bool nachSchluessel) {
    QString& sql = m_leseSql[nachSchluessel ? 1 : 0];
    if (!sql.isEmpty())
        return sql;
    sql = QStringLiteral("select %1%2 from %3 where %4 = ?")
              .arg(m_schluessel.isEmpty() ? QString() : m_schluessel + QStringLiteral(", "),
                   AlarmdefsZugriff::SpaltenListe(m_db), AlarmdefsZugriff::Tabelle(m_db),
                   nachSchluessel ? m_schluessel : m_identSpalte);
    if (!m_schluessel.isEmpty())
        sql += QStringLiteral(" order by %1").arg(m_schluessel);
    return sql;
}

const QString& AlarmdefsSchreiber::SchreibSql(const QList<int>& spalten) {
    auto it = m_schreibSql.find(spalten);
    if (it != m_schreibSql.end())
        return *it;
    QStringList setzen;
    for (int s : spalten)
        setzen << AlarmdefsZugriff::SpaltenName(m_db, AlarmRecordBau::SpaltenNamen().at(s)) + QStringLiteral(" = ?");
    return *m_schreibSql.insert(spalten, QStringLiteral("update %1 set %2 where %3 = ?")
                                             .arg(AlarmdefsZugriff::Tabelle(m_db), setzen.join(QStringLiteral(", ")),
                                                  m_schluessel.isEmpty() ? m_identSpalte : m_schluessel));
}

AlarmdefsSchreiber::~AlarmdefsSchreiber() { Verwerfen(); }

QSqlQuery* AlarmdefsSchreiber::Vorbereitet(const QString& sql) {
    auto it = m_anweisungen.find(sql);
    if (it != m_anweisungen.end())
        return it->get();
    auto q = std::make_shared<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    if (!q->prepare(sql)) {
        m_letzterFehler = q->lastError();
        return nullptr;
    }
    m_anweisungen.insert(sql, q);
    return q.get();
}

bool AlarmdefsSchreiber::Anweisung(const QString& sql, PgAnweisung*& pg, QSqlQuery*& q) {
    QSqlError fehler;
    pg = PgAnweisung::Fuer(m_db, sql, &fehler);
    q = nullptr;
    if (fehler.isValid()) {
        m_letzterFehler = fehler;
        return false;
    }
    if (!pg)
        q = Vorbereitet(sql);
    return pg || q;
}

Schreibergebnis AlarmdefsSchreiber::Abbrechen(const QSqlError& fehler) {
    const auto m = DatenbankFehler::Deuten(fehler, m_datenbank);
    Verwerfen();
    QString text = m.text;
    if (fehler.databaseText().contains(QLatin1String("no such column"), Qt::CaseInsensitive) ||
        fehler.nativeErrorCode() == QLatin1String("42703")) {
        const QStringList fehlen = AlarmdefsZugriff::FehlendeSpalten(m_db);
        if (!fehlen.isEmpty())
            text = QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2.")
                       .arg(m_datenbank, fehlen.join(QStringLiteral(", ")));
    }
    return Schreibergebnis::Abgelehnt(text + QStringLiteral(" Nichts wurde geschrieben."), m.detail);
}

Schreibergebnis AlarmdefsSchreiber::Einzeln(const Schreibauftrag& auftrag) {
    if (!BrauchtTransaktion())
        return Zeile(auftrag);
    if (auto fehler = Beginnen())
        return *fehler;
    Schreibergebnis e = Zeile(auftrag);
    if (!e.geschrieben()) {
        Verwerfen();
        return e;
    }
    if (auto fehler = Abschliessen())
        return *fehler;
    return e;
}

Sammelergebnis AlarmdefsSchreiber::Alle(const QList<Schreibauftrag>& auftraege, bool menge) {
    Sammelergebnis s;
    auto abgelehnt = [&s](const Schreibergebnis& e) {
        s.geschrieben = false;
        s.text = e.text;
        s.detail = e.detail;
        return s;
    };
    if (auto fehler = Beginnen())
        return abgelehnt(*fehler);
    // A batch without undo writes needs no key lookup first: the set-wise
    // write takes each key only where its row still carries the alarm number.
    const bool rueckgaengig = std::any_of(auftraege.cbegin(), auftraege.cend(),
                                          [](const Schreibauftrag& a) { return a.wiederherstellen; });
    // Set-wise where it can be: the whole batch written (or refused by the
    // database), else nothing yet and the batch goes on row by row.
    auto mengeVersuchen = [&](const QList<Schreibauftrag>& liste) -> std::optional<Sammelergebnis> {
        Schreibergebnis fehler;
        switch (MengeSchreiben(liste, s, fehler)) {
        case Menge::Fertig:
            Auftragslauf::Pruefen();
            if (auto f = Abschliessen())
                return abgelehnt(*f);
            s.geschrieben = true;
            return s;
        case Menge::Fehler:
            return abgelehnt(fehler);
        case Menge::Zeilenweise:
            break;
        }
        s.zeilen.clear();
        return std::nullopt;
    };
    bool versucht = false;
    if (menge && m_schluessel == QLatin1String("rowid") && !rueckgaengig) {
        versucht = true;
        if (auto fertig = mengeVersuchen(auftraege))
            return *fertig;
    }
    // Keys checked once for the whole batch, inside the transaction: a key
    // that no longer names its alarm is replaced by the alarm's row found by number.
    QList<Schreibauftrag> nachgeschlagen;
    if (m_schluessel == QLatin1String("rowid")) {
        nachgeschlagen = auftraege;
        if (auto fehler = SchluesselNachschlagen(nachgeschlagen))
            return abgelehnt(*fehler);
    }
    if (menge && !versucht && m_schluessel == QLatin1String("rowid")) {
        if (auto fertig = mengeVersuchen(nachgeschlagen))
            return *fertig;
    }
    // A background job that is stopped leaves by Auftragsabbruch: the
    // transaction is rolled back as this writer goes, nothing is written.
    for (const Schreibauftrag& a : m_schluessel == QLatin1String("rowid") ? nachgeschlagen : auftraege) {
        Auftragslauf::Schritt();
        s.zeilen << Zeile(a);
        if (!s.zeilen.last().geschrieben()) {
            // one row that cannot be written stops them all: nothing is written
            Verwerfen();
            s.abgelehnt = static_cast<int>(s.zeilen.size()) - 1;
            return abgelehnt(s.zeilen.last());
        }
    }
    Auftragslauf::Pruefen();
    if (auto fehler = Abschliessen())
        return abgelehnt(*fehler);
    s.geschrieben = true;
    return s;
}

AlarmdefsSchreiber::Menge AlarmdefsSchreiber::MengeSchreiben(const QList<Schreibauftrag>& auftraege, Sammelergebnis& s,
                                                              Schreibergebnis& fehler) {
    if (auftraege.isEmpty())
        return Menge::Zeilenweise;
    // Every write checked as Zeile() checks it before anything is read.
    struct Plan {
        qlonglong ident = 0;
        QVariantList neu;
        qlonglong zeile = 0;
        bool mitSchluessel = false;
    };
    std::vector<Plan> plaene(static_cast<std::size_t>(auftraege.size()));
    for (qsizetype i = 0; i < auftraege.size(); ++i) {
        const Schreibauftrag& a = auftraege.at(i);
        Plan& p = plaene[static_cast<std::size_t>(i)];
        bool zahl = false;
        p.mitSchluessel = a.zeile.isValid();
        if (p.mitSchluessel)
            p.zeile = a.zeile.toLongLong(&zahl);
        const auto ident = AlarmdefsZugriff::Alarmnummer(a.ident);
        if ((p.mitSchluessel && !zahl) || !ident || a.spalten.isEmpty() || a.spalten.size() != a.werte.size())
            return Menge::Zeilenweise;
        p.ident = *ident;
        p.neu.reserve(a.spalten.size());
        for (int j = 0; j < a.spalten.size(); ++j) {
            QVariant wert = a.werte.at(j);
            if (!a.wiederherstellen || a.spalten.at(j) < 0 || a.spalten.at(j) >= AlarmFeld::Spalten)
                if (AlarmdefsZugriff::WertPruefen(a.spalten.at(j), a.werte.at(j), &wert))
                    return Menge::Zeilenweise;
            if (!Bindbar(wert))
                return Menge::Zeilenweise;
            p.neu << wert;
        }
    }
    // Through the connection's own SQLite handle, inside this transaction:
    // the values straight from the library, without the driver's variant per value.
    const QVariant griff = m_db.driver()->handle();
    sqlite3* h = griff.isValid() && qstrcmp(griff.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(griff.constData())
                                                                                : nullptr;
    if (!h)
        return Menge::Zeilenweise;
    // A page cache that holds the batch's pages for this transaction (up to
    // the file's size, at most 256 MB): written pages are not spilled before the commit.
    struct Seitenpuffer {
        sqlite3* h;
        qint64 vorher = 0;
        explicit Seitenpuffer(sqlite3* griff) : h(griff) {
            sqlite3_stmt* st = nullptr;
            qint64 seiten = 0, groesse = 0;
            if (sqlite3_prepare_v2(h, "select cache_size, page_count, page_size from pragma_cache_size, pragma_page_count, "
                                      "pragma_page_size", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
                vorher = sqlite3_column_int64(st, 0);
                seiten = sqlite3_column_int64(st, 1);
                groesse = sqlite3_column_int64(st, 2);
            }
            sqlite3_finalize(st);
            const qint64 kib = std::min<qint64>(seiten * groesse / 1024 + 1024, 256 * 1024);
            const qint64 jetzt = vorher < 0 ? -vorher : vorher * std::max<qint64>(groesse, 1) / 1024;
            if (vorher != 0 && kib > jetzt)
                sqlite3_exec(h, QByteArray("pragma cache_size = -" + QByteArray::number(kib)).constData(), nullptr, nullptr, nullptr);
            else
                vorher = 0;
        }
        ~Seitenpuffer() {
            if (vorher != 0)
                sqlite3_exec(h, QByteArray("pragma cache_size = " + QByteArray::number(vorher)).constData(), nullptr, nullptr, nullptr);
        }
    } puffer(h);
    const QString tabelle = AlarmdefsZugriff::Tabelle(m_db);
    const auto vorbereiten = [h](const QString& sql) -> std::shared_ptr<sqlite3_stmt> {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, text.constData(), static_cast<int>(text.size()), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return {};
        }
        return {st, sqlite3_finalize};
    };
    // A write that names no row is given the key of the one row of its number
    // (as number and as text: a column declared as text holds the number as
    // text); none or several are Zeile()'s to tell.
    if (std::any_of(plaene.cbegin(), plaene.cend(), [](const Plan& p) { return !p.mitSchluessel; })) {
        const auto nachNummer =
            vorbereiten(QStringLiteral("select rowid from %1 where %2 in (?1, ?2) limit 2").arg(tabelle, m_identSpalte));
        if (!nachNummer)
            return Menge::Zeilenweise;
        sqlite3_stmt* st = nachNummer.get();
        for (Plan& p : plaene) {
            if (p.mitSchluessel)
                continue;
            Auftragslauf::Schritt();
            const QByteArray text = QByteArray::number(p.ident);
            sqlite3_bind_int64(st, 1, p.ident);
            sqlite3_bind_text(st, 2, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
            const bool eine = sqlite3_step(st) == SQLITE_ROW;
            p.zeile = eine ? sqlite3_column_int64(st, 0) : 0;
            const int weiter = eine ? sqlite3_step(st) : SQLITE_ROW;
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
            if (weiter != SQLITE_DONE)
                return Menge::Zeilenweise;
        }
    }

    // Then row after row in the order of the keys, so the table's pages are
    // met one after the other: the row read by its key and checked as
    // Zeile() checks it, then written by a prepared conditional statement
    // (one per set of written columns) that names it by its key and carries
    // its alarm number, its placement and the written columns bound exactly
    // as just read; a row count other than one, or a row that needs Zeile()
    // (gone, another number, changed, a value the driver reads otherwise, a
    // key twice), undoes them all and the batch goes row by row.
    QSqlQuery punkt(m_db);
    if (!punkt.exec(QStringLiteral("SAVEPOINT tavero_menge")))
        return Menge::Zeilenweise;
    auto zurueck = [this, &fehler](const QSqlError& e) {
        QSqlQuery r(m_db);
        if (r.exec(QStringLiteral("ROLLBACK TO tavero_menge")) && r.exec(QStringLiteral("RELEASE tavero_menge")))
            return Menge::Zeilenweise;
        fehler = Abbrechen(e.isValid() ? e : r.lastError());
        return Menge::Fehler;
    };
    // the key is the last column, so the 18 stand at their places in the record
    const std::shared_ptr<sqlite3_stmt> lesen =
        vorbereiten(QStringLiteral("select %1, rowid from %2 where rowid = ?1").arg(AlarmdefsZugriff::SpaltenListe(m_db), tabelle));
    if (!lesen)
        return zurueck({});
    sqlite3_stmt* const rd = lesen.get();
    const auto spalte = [this](int sp) {
        return AlarmdefsZugriff::SpaltenName(m_db, AlarmRecordBau::SpaltenNamen().at(sp));
    };
    struct Anweisung {
        std::shared_ptr<sqlite3_stmt> st;
        QList<int> pruefen;
    };
    QHash<QList<int>, Anweisung> anweisungen;
    const QList<int>* letzteSpalten = nullptr;
    Anweisung* letzte = nullptr;
    AlarmRecordLeser leser(AlarmFeld::Spalten);
    std::vector<qsizetype> folge(plaene.size());
    std::iota(folge.begin(), folge.end(), 0);
    std::sort(folge.begin(), folge.end(), [&plaene](qsizetype a, qsizetype b) {
        return plaene[static_cast<std::size_t>(a)].zeile < plaene[static_cast<std::size_t>(b)].zeile;
    });
    s.zeilen.resize(auftraege.size());
    bool erste = true;
    qlonglong vorige = 0;
    for (qsizetype i : folge) {
        Auftragslauf::Schritt();
        const Schreibauftrag& a = auftraege.at(i);
        Plan& p = plaene[static_cast<std::size_t>(i)];
        // a key twice in the batch: the second write is Zeile()'s to tell
        if (!erste && p.zeile == vorige)
            return zurueck({});
        erste = false;
        vorige = p.zeile;
        sqlite3_bind_int64(rd, 1, p.zeile);
        const int gelesen = sqlite3_step(rd);
        auto fertig = [rd] {
            sqlite3_reset(rd);
            sqlite3_clear_bindings(rd);
        };
        if (gelesen != SQLITE_ROW) {
            fertig();
            if (gelesen == SQLITE_DONE)
                return zurueck({});
            return zurueck(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::StatementError,
                                     QString::number(gelesen)));
        }
        // a real or bytes: as the driver reads them, row by row
        bool gewoehnlich = true;
        for (int sp = 0; sp < AlarmFeld::Spalten && gewoehnlich; ++sp) {
            const int art = sqlite3_column_type(rd, sp);
            gewoehnlich = art == SQLITE_INTEGER || art == SQLITE_TEXT || art == SQLITE_NULL;
        }
        // the key must still name a row of this alarm number, holding what was read of it
        bool haelt = gewoehnlich && NummerDerZeile(rd, AlarmFeld::Ident) == std::optional<qlonglong>(p.ident);
        if (haelt && a.gelesen)
            haelt = HaeltGelesenes(rd, a);
        if (!haelt) {
            fertig();
            return zurueck({});
        }
        if (!letzteSpalten || *letzteSpalten != a.spalten) {
            letzte = &anweisungen[a.spalten];
            letzteSpalten = &a.spalten;
        }
        Anweisung& an = *letzte;
        if (!an.st) {
            an.pruefen = {AlarmFeld::Ident, AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
            for (int sp : a.spalten)
                if (!an.pruefen.contains(sp))
                    an.pruefen << sp;
            QStringList setzen, bedingungen{QStringLiteral("rowid = ?")};
            for (int sp : a.spalten)
                setzen << spalte(sp) + QStringLiteral(" = ?");
            for (int sp : std::as_const(an.pruefen))
                bedingungen << spalte(sp) + QStringLiteral(" is ?");
            an.st = vorbereiten(QStringLiteral("update %1 set %2 where %3")
                                    .arg(tabelle, setzen.join(QStringLiteral(", ")), bedingungen.join(QStringLiteral(" and "))));
            if (!an.st) {
                const QSqlError e(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::StatementError);
                fertig();
                return zurueck(e);
            }
        }
        sqlite3_stmt* st = an.st.get();
        int n = 1;
        for (const QVariant& w : std::as_const(p.neu))
            Binden(st, n++, w);
        sqlite3_bind_int64(st, n++, p.zeile);
        for (int sp : std::as_const(an.pruefen))
            sqlite3_bind_value(st, n++, sqlite3_column_value(rd, sp));
        // what the result keeps of the row: the written columns as the driver
        // gives them, and the whole row as a record shows it, with the new values
        Schreibergebnis& e = s.zeilen[i];
        e.art = Schreibergebnis::Art::Geschrieben;
        e.ident = NummernText(a.ident, p.ident);
        e.spalten = a.spalten;
        e.gleicheNummern = 1;
        e.schluessel = QVariant(p.zeile);
        e.zeile = leser.Lesen(rd);
        e.vorher.reserve(a.spalten.size());
        for (int j = 0; j < a.spalten.size(); ++j) {
            e.vorher << WieDerTreiber(rd, a.spalten.at(j));
            e.zeile[a.spalten.at(j)] = leser.FeldText(a.spalten.at(j), p.neu.at(j));
        }
        e.nachher = std::move(p.neu);
        fertig();
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        if (rc != SQLITE_DONE)
            return zurueck(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::StatementError,
                                     QString::number(rc)));
        if (sqlite3_changes(h) != 1)
            return zurueck({});
    }
    anweisungen.clear();
    if (!punkt.exec(QStringLiteral("RELEASE tavero_menge")))
        return zurueck(punkt.lastError());
    return Menge::Fertig;
}

std::optional<Schreibergebnis> AlarmdefsSchreiber::SchluesselNachschlagen(QList<Schreibauftrag>& auftraege) {
    // The writes that name their row by key and carry an alarm number; those
    // that name none are given the key of the one row of their number.
    QList<qsizetype> mitSchluessel, ohneSchluessel;
    QByteArray schluessel = "[";
    for (qsizetype i = 0; i < auftraege.size(); ++i) {
        const Schreibauftrag& a = auftraege.at(i);
        if (!AlarmdefsZugriff::Alarmnummer(a.ident))
            continue;
        if (!a.zeile.isValid()) {
            ohneSchluessel << i;
            continue;
        }
        bool zahl = false;
        const qlonglong k = a.zeile.toLongLong(&zahl);
        if (!zahl)
            continue;
        mitSchluessel << i;
        schluessel += QByteArray::number(k) + ',';
    }
    if (mitSchluessel.isEmpty() && ohneSchluessel.isEmpty())
        return std::nullopt;
    // One pass over the keys, and one by number for those whose key names
    // another row or none (a table compacted since): never a scan per row.
    auto lesen = [this](const QString& spalte, const QByteArray& liste,
                        QHash<qlonglong, QList<qlonglong>>& nach) -> std::optional<Schreibergebnis> {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.prepare(QStringLiteral("select rowid, %1 from %2 where %3 in (select value from json_each(?))")
                           .arg(m_identSpalte, AlarmdefsZugriff::Tabelle(m_db), spalte)))
            return Abbrechen(q.lastError());
        q.addBindValue(QString::fromLatin1(liste));
        if (!q.exec())
            return Abbrechen(q.lastError());
        const bool nachZeile = spalte == QLatin1String("rowid");
        while (q.next()) {
            const auto nummer = AlarmdefsZugriff::Alarmnummer(q.value(1).toString());
            const qlonglong zeile = q.value(0).toLongLong();
            if (nachZeile)
                nach[zeile] << nummer.value_or(-1);
            else if (nummer)
                nach[*nummer] << zeile;
        }
        return std::nullopt;
    };
    QHash<qlonglong, QList<qlonglong>> nummerBeiSchluessel;
    if (!mitSchluessel.isEmpty()) {
        schluessel.back() = ']';
        if (auto fehler = lesen(QStringLiteral("rowid"), schluessel, nummerBeiSchluessel))
            return fehler;
    }
    QList<qsizetype> verwaist;
    QByteArray nummern = "[";
    for (qsizetype i : std::as_const(ohneSchluessel)) {
        const qlonglong nummer = *AlarmdefsZugriff::Alarmnummer(auftraege.at(i).ident);
        verwaist << i;
        nummern += QByteArray::number(nummer) + ",\"" + QByteArray::number(nummer) + "\",";
    }
    for (qsizetype i : std::as_const(mitSchluessel)) {
        const Schreibauftrag& a = auftraege.at(i);
        const qlonglong nummer = *AlarmdefsZugriff::Alarmnummer(a.ident);
        // An undo or redo checks its row by the values it left there, which
        // need not tell two rows of one number apart: its key stands only
        // where one row carries the number, as for a key that went stale.
        if (!a.wiederherstellen && nummerBeiSchluessel.value(a.zeile.toLongLong()) == QList<qlonglong>{nummer})
            continue;
        verwaist << i;
        // as number and as text: a column declared as text holds the number as text
        nummern += QByteArray::number(nummer) + ",\"" + QByteArray::number(nummer) + "\",";
    }
    if (verwaist.isEmpty())
        return std::nullopt;
    nummern.back() = ']';
    QHash<qlonglong, QList<qlonglong>> zeilenDerNummer;
    if (auto fehler = lesen(m_identSpalte, nummern, zeilenDerNummer))
        return fehler;
    for (qsizetype i : std::as_const(verwaist)) {
        Schreibauftrag& a = auftraege[i];
        const QList<qlonglong> zeilen = zeilenDerNummer.value(*AlarmdefsZugriff::Alarmnummer(a.ident));
        // The one row of that number; among several (or none) the write finds
        // its row by number and by every column as read, as any write without a key.
        a.zeile = zeilen.size() == 1 ? QVariant(zeilen.first()) : QVariant();
    }
    return std::nullopt;
}

std::optional<Schreibergebnis> AlarmdefsSchreiber::Beginnen() {
    // SQLite takes the write lock at once, so nobody changes a row between
    // reading it here and writing it.
    if (m_db.driverName() == QLatin1String("QSQLITE")) {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return Abbrechen(q.lastError());
    } else if (!m_db.transaction()) {
        return Abbrechen(m_db.lastError());
    }
    m_offen = true;
    return std::nullopt;
}

std::optional<Schreibergebnis> AlarmdefsSchreiber::Abschliessen() {
    // The prepared statements are done before the commit, else SQLite keeps a read open.
    for (const auto& q : std::as_const(m_anweisungen))
        q->finish();
    if (!m_db.commit())
        return Abbrechen(m_db.lastError());
    m_offen = false;
    return std::nullopt;
}

void AlarmdefsSchreiber::Verwerfen() {
    for (const auto& q : std::as_const(m_anweisungen))
        q->finish();
    if (m_offen)
        m_db.rollback();
    m_offen = false;
}

Schreibergebnis AlarmdefsSchreiber::Zeile(const Schreibauftrag& auftrag) {
    // A grid row is named by its own key; otherwise the row is named by a whole
    // number only, checked before any statement is sent.
    const bool nachSchluessel = auftrag.zeile.isValid() && !m_schluessel.isEmpty();
    const auto ident = AlarmdefsZugriff::Alarmnummer(auftrag.ident);
    if (!ident && !nachSchluessel)
        return Schreibergebnis::Abgelehnt(QStringLiteral("Ungültige Alarmnummer \"%1\"; nichts wurde geschrieben.").arg(auftrag.ident));
    const QString nummer = ident ? QString::number(*ident) : auftrag.ident;
    if (auftrag.spalten.isEmpty() || auftrag.spalten.size() != auftrag.werte.size())
        return Schreibergebnis::Abgelehnt(QStringLiteral("Nichts zu schreiben für Alarm %1.").arg(nummer));
    QVariantList neu;
    for (int i = 0; i < auftrag.spalten.size(); ++i) {
        QVariant wert = auftrag.werte.at(i);
        // Values read from the row itself go back as they were stored.
        if (!auftrag.wiederherstellen || auftrag.spalten.at(i) < 0 || auftrag.spalten.at(i) >= AlarmFeld::Spalten)
            if (const auto grund = AlarmdefsZugriff::WertPruefen(auftrag.spalten.at(i), auftrag.werte.at(i), &wert))
                return Schreibergebnis::Abgelehnt(*grund + QStringLiteral(" Nichts wurde geschrieben."));
        neu << wert;
    }

    if (m_db.driverName() == QLatin1String("QPSQL")) {
        if (!ident)
            return Schreibergebnis::Abgelehnt(QStringLiteral("Ungültige Alarmnummer \"%1\"; nichts wurde geschrieben.").arg(auftrag.ident));
        return ZeilePostgres(auftrag, *ident, neu);
    }

    QSqlQuery* q = Vorbereitet(LeseSql(nachSchluessel));
    if (!q)
        return Abbrechen(m_letzterFehler);
    q->addBindValue(nachSchluessel ? auftrag.zeile : QVariant(*ident));
    if (!q->exec())
        return Abbrechen(q->lastError());
    QList<Gelesen> zeilen;
    const int versatz = m_schluessel.isEmpty() ? 0 : 1;
    while (q->next()) {
        Gelesen g;
        if (versatz)
            g.schluessel = q->value(0);
        g.werte.reserve(AlarmFeld::Spalten);
        for (int i = 0; i < AlarmFeld::Spalten; ++i)
            g.werte << q->value(i + versatz);
        zeilen << g;
    }
    q->finish();
    // Without a row key an update by number would change every row of that number.
    if (m_schluessel.isEmpty() && zeilen.size() > 1)
        return Schreibergebnis::Abgelehnt(
            QStringLiteral("Die Alarmnummer %1 steht in %2 Zeilen; diese Datenbank kann keine davon einzeln "
                           "schreiben. Nichts wurde geschrieben.")
                .arg(nummer)
                .arg(zeilen.size()));
    // The row that was read. Where several rows carry the number, only one that
    // holds every column as read is that row; never another one of them.
    const QList<int> pruefen = PruefSpalten(auftrag, nachSchluessel);
    auto haelt = [&auftrag](const Gelesen& g, const QList<int>& spalten) {
        for (int s : spalten)
            if (AlarmRecordBau::FeldText(s, g.werte.value(s)) != auftrag.gelesen->value(s))
                return false;
        return true;
    };
    const Gelesen* ziel = nullptr;
    for (const Gelesen& g : zeilen) {
        if (!auftrag.gelesen ||
            (haelt(g, pruefen) && (zeilen.size() == 1 || nachSchluessel || haelt(g, AlleSpalten())))) {
            ziel = &g;
            break;
        }
    }
    if (!ziel)
        return Ergebnis(nummer, auftrag, neu, zeilen, nullptr);

    QSqlQuery* u = Vorbereitet(SchreibSql(auftrag.spalten));
    if (!u)
        return Abbrechen(m_letzterFehler);
    for (const QVariant& w : neu)
        u->addBindValue(w);
    u->addBindValue(m_schluessel.isEmpty() ? QVariant(*ident) : ziel->schluessel);
    if (!u->exec())
        return Abbrechen(u->lastError());
    u->finish();
    return Ergebnis(nummer, auftrag, neu, zeilen, ziel);
}

Schreibergebnis AlarmdefsSchreiber::Ergebnis(const QString& nummer, const Schreibauftrag& auftrag, const QVariantList& neu,
                                             const QList<Gelesen>& zeilen, const Gelesen* ziel) const {
    Schreibergebnis e;
    e.ident = nummer;
    e.spalten = auftrag.spalten;
    e.gleicheNummern = static_cast<int>(zeilen.size());
    if (zeilen.isEmpty()) {
        e.art = Schreibergebnis::Art::KeinAlarm;
        e.text = QStringLiteral("Nichts in die DB geschrieben: kein Alarm %1 gefunden").arg(nummer);
        return e;
    }
    if (!ziel) {
        e.art = Schreibergebnis::Art::Geaendert;
        e.zeile = AlarmRecordBau::AusWerten(zeilen.first().werte);
        e.schluessel = zeilen.first().schluessel;
        e.text = QStringLiteral("Alarm %1 wurde inzwischen geändert; nichts geschrieben. Die Zeile hält jetzt: %2.")
                     .arg(nummer, Beschreiben(e.zeile, auftrag.spalten));
        return e;
    }
    e.art = Schreibergebnis::Art::Geschrieben;
    e.schluessel = ziel->schluessel;
    QVariantList werte = ziel->werte;
    for (int i = 0; i < auftrag.spalten.size(); ++i) {
        e.vorher << ziel->werte.value(auftrag.spalten.at(i));
        e.nachher << neu.at(i);
        werte[auftrag.spalten.at(i)] = neu.at(i);
    }
    e.zeile = AlarmRecordBau::AusWerten(werte);
    return e;
}

const QString& AlarmdefsSchreiber::PostgresSql(const QList<int>& spalten, const QList<int>& pruefen, bool alle) {
    // by the columns written, a separator, the columns compared (none: not
    // compared) and whether every column is compared where the number has several rows
    QList<int> schluessel = spalten;
    schluessel << -1 << pruefen << (alle ? -2 : -3);
    auto it = m_postgresSql.find(schluessel);
    if (it != m_postgresSql.end())
        return *it;
    auto spalte = [this](int s) { return AlarmdefsZugriff::SpaltenName(m_db, AlarmRecordBau::SpaltenNamen().at(s)); };
    auto vergleich = [&spalte](int s) {
        // The value as the driver reads it (concat: NULL as empty text, and a
        // char(n) with its blanks, which a cast to text would drop).
        const QString wert = QStringLiteral("concat(alt.%1)").arg(spalte(s));
        return (s == AlarmFeld::Symbol ? QStringLiteral("regexp_replace(%1, '^.*\\\\', '')").arg(wert) : wert) +
               QStringLiteral(" = ?");
    };
    QStringList alteSpalten, bedingungen, setzen;
    for (int i = 0; i < AlarmFeld::Spalten; ++i)
        alteSpalten << QStringLiteral("alt.") + spalte(i);
    if (!pruefen.isEmpty()) {
        QStringList pruef, jede;
        for (int s : pruefen)
            pruef << vergleich(s);
        for (int s : AlleSpalten())
            jede << vergleich(s);
        // Of several rows of one number only the one holding every column as
        // read; without those values only the one row of its number.
        bedingungen << pruef.join(QStringLiteral(" and ")) +
                           (alle ? QStringLiteral(" and ((select count(*) from alt) = 1 or (%1))").arg(jede.join(QStringLiteral(" and ")))
                                 : QStringLiteral(" and (select count(*) from alt) = 1"));
    }
    for (int s : spalten)
        setzen << spalte(s) + QStringLiteral(" = ?");
    const QString tabelle = AlarmdefsZugriff::Tabelle(m_db);
    return *m_postgresSql.insert(
        schluessel,
        QStringLiteral("with alt as (select ctid as zeile, %1 from %2 where %3 = ? order by ctid for update), "
                       "ziel as (select alt.zeile from alt%4 order by alt.zeile limit 1), "
                       "neu as (update %2 t set %5 from ziel where t.ctid = ziel.zeile "
                       "returning pg_notify('%6', t.%3::text)) "
                       "select (alt.zeile = ziel.zeile) is true, (select count(*) from neu), alt.zeile::text, %7 "
                       "from alt left join ziel on true order by alt.zeile")
            .arg(AlarmdefsZugriff::SpaltenListe(m_db), tabelle, spalte(AlarmFeld::Ident),
                 bedingungen.isEmpty() ? QString() : QStringLiteral(" where ") + bedingungen.join(QStringLiteral(" and ")),
                 setzen.join(QStringLiteral(", ")), QLatin1String(AlarmdefsZugriff::Benachrichtigung),
                 alteSpalten.join(QStringLiteral(", "))));
}

const QString& AlarmdefsSchreiber::EinzeilenSql(const QList<int>& spalten, const QList<int>& pruefen) {
    QList<int> schluessel = spalten;
    schluessel << -1 << pruefen << -4;
    auto it = m_postgresSql.find(schluessel);
    if (it != m_postgresSql.end())
        return *it;
    auto spalte = [this](int s) { return AlarmdefsZugriff::SpaltenName(m_db, AlarmRecordBau::SpaltenNamen().at(s)); };
    QStringList alteSpalten, pruef, setzen;
    for (int i = 0; i < AlarmFeld::Spalten; ++i)
        alteSpalten << QStringLiteral("alt.") + spalte(i);
    for (int s : spalten)
        setzen << spalte(s) + QStringLiteral(" = ?");
    for (int s : pruefen) {
        // compared as in PostgresSql(): as the driver reads the value, the symbol by its file name
        const QString wert = QStringLiteral("concat(alt.%1)").arg(spalte(s));
        pruef << QStringLiteral(" and ") +
                     (s == AlarmFeld::Symbol ? QStringLiteral("regexp_replace(%1, '^.*\\\\', '')").arg(wert) : wert) +
                     QStringLiteral(" = ?");
    }
    // An update joined to the row as the statement's snapshot saw it: a row
    // another client changes meanwhile has a new version (with another ctid),
    // which the join no longer meets, so nothing is written over it. The
    // returned values are those before the write (for the undo).
    const QString tabelle = AlarmdefsZugriff::Tabelle(m_db);
    return *m_postgresSql.insert(
        schluessel,
        QStringLiteral("with alt as (select ctid as zeile, count(*) over () as zahl, %1 from %2 where %3 = ?) "
                       "update %2 t set %4 from alt where t.ctid = alt.zeile and alt.zahl = 1%5 "
                       "returning true, 1, alt.zeile::text, %6, pg_notify('%7', t.%3::text) is null")
            .arg(AlarmdefsZugriff::SpaltenListe(m_db), tabelle, spalte(AlarmFeld::Ident), setzen.join(QStringLiteral(", ")),
                 pruef.join(QString()), alteSpalten.join(QStringLiteral(", ")),
                 QLatin1String(AlarmdefsZugriff::Benachrichtigung)));
}

Schreibergebnis AlarmdefsSchreiber::ZeilePostgres(const Schreibauftrag& auftrag, qlonglong ident, const QVariantList& neu) {
    // The full statement (after the lean one below, where that wrote nothing):
    // the rows of that number are locked, the first that still holds what was
    // read is written, and the other clients are told. The values are
    // compared as a record shows them (NULL as empty text, the symbol by its
    // file name).
    const QList<int> pruefen = auftrag.gelesen ? PruefSpalten(auftrag, false) : QList<int>();
    QList<Gelesen> zeilen;
    bool geschrieben = false, getroffen = false;
    // A row the statement returned: its key in the third column, then every column.
    auto RueckgabeZeile = [](auto&& wert, bool getroffen) {
        Gelesen g{wert(2), {}, getroffen};
        g.werte.reserve(AlarmFeld::Spalten);
        for (int i = 0; i < AlarmFeld::Spalten; ++i)
            g.werte << wert(i + 3);
        return g;
    };
    auto schreiben = [&](bool alle) -> std::optional<Schreibergebnis> {
        QVariantList parameter{ident};
        if (auftrag.gelesen)
            for (const QList<int>* liste : {&pruefen, &AlleSpalten()}) {
                if (liste != &pruefen && !alle)
                    break;
                for (int s : *liste) {
                    // An empty text is compared as such; a null one would be bound as NULL and compare to nothing.
                    const QString gelesen = auftrag.gelesen->value(s);
                    parameter << (gelesen.isNull() ? QStringLiteral("") : gelesen);
                }
            }
        parameter << neu;
        const QString& sql = PostgresSql(auftrag.spalten, pruefen, alle);
        PgAnweisung* pg = nullptr;
        QSqlQuery* q = nullptr;
        if (!Anweisung(sql, pg, q))
            return Abbrechen(m_letzterFehler);
        // A row another client updated while this statement waited for its lock is
        // found in its new version, which the statement's update cannot see: the
        // row still matches, nothing was written. Asked once more, it is written.
        for (int versuch = 0; versuch < 2 && (versuch == 0 || (getroffen && !geschrieben)); ++versuch) {
            zeilen.clear();
            geschrieben = getroffen = false;
            auto zeileLesen = [&](auto&& wert) {
                zeilen << RueckgabeZeile(wert, wert(0).toBool());
                geschrieben = wert(1).toInt() > 0;
                getroffen = getroffen || zeilen.last().getroffen;
            };
            if (pg) {
                QSqlError fehler;
                if (!pg->Ausfuehren(parameter, &fehler))
                    return Abbrechen(fehler);
                for (int z = 0; z < pg->Zeilen(); ++z)
                    zeileLesen([pg, z](int spalte) { return pg->Wert(z, spalte); });
                continue;
            }
            for (const QVariant& p : parameter)
                q->addBindValue(p);
            if (!q->exec())
                return Abbrechen(q->lastError());
            while (q->next())
                zeileLesen([q](int spalte) { return q->value(spalte); });
            q->finish();
        }
        return std::nullopt;
    };
    // The usual case first, in one lean statement: the one row of its number
    // still holds what was read, and is written. Whatever else (no row,
    // several, changed, or changed by another client while this one waited
    // for its lock) writes nothing here and is told by the statement below.
    if (auftrag.gelesen) {
        QVariantList parameter{ident};
        parameter << neu;
        for (int s : pruefen) {
            const QString gelesen = auftrag.gelesen->value(s);
            parameter << (gelesen.isNull() ? QStringLiteral("") : gelesen);
        }
        const QString& sql = EinzeilenSql(auftrag.spalten, pruefen);
        PgAnweisung* pg = nullptr;
        QSqlQuery* q = nullptr;
        if (!Anweisung(sql, pg, q))
            return Abbrechen(m_letzterFehler);
        auto zeileLesen = [&](auto&& wert) { zeilen << RueckgabeZeile(wert, true); };
        if (pg) {
            QSqlError fehler;
            if (!pg->Ausfuehren(parameter, &fehler))
                return Abbrechen(fehler);
            if (pg->Zeilen() == 1)
                zeileLesen([pg](int spalte) { return pg->Wert(0, spalte); });
        } else {
            for (const QVariant& p : parameter)
                q->addBindValue(p);
            if (!q->exec())
                return Abbrechen(q->lastError());
            if (q->next())
                zeileLesen([q](int spalte) { return q->value(spalte); });
            q->finish();
        }
        if (zeilen.size() == 1)
            return Ergebnis(QString::number(ident), auftrag, neu, zeilen, &zeilen.first());
        zeilen.clear();
    }
    // Most numbers have one row: compared by the columns that matter, the
    // values of every column are sent only where the number has several.
    if (auto fehler = schreiben(false))
        return *fehler;
    if (auftrag.gelesen && zeilen.size() > 1 && !geschrieben)
        if (auto fehler = schreiben(true))
            return *fehler;
    const Gelesen* ziel = nullptr;
    for (const Gelesen& g : zeilen)
        if (g.getroffen && geschrieben)
            ziel = &g;
    return Ergebnis(QString::number(ident), auftrag, neu, zeilen, ziel);
}
