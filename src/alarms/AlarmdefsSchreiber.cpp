#include "alarms/AlarmdefsSchreiber.h"

#include <QSqlDriver>
#include <sqlite3.h>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <vector>
#include <QSqlError>

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
        QString nummer;
        qlonglong ident = 0;
        QVariantList neu;
        qlonglong zeile = 0;
        bool mitSchluessel = false;
    };
    QList<Plan> plaene;
    plaene.reserve(auftraege.size());
    for (const Schreibauftrag& a : auftraege) {
        Plan p;
        bool zahl = false;
        p.mitSchluessel = a.zeile.isValid();
        if (p.mitSchluessel)
            p.zeile = a.zeile.toLongLong(&zahl);
        const auto ident = AlarmdefsZugriff::Alarmnummer(a.ident);
        if ((p.mitSchluessel && !zahl) || !ident || a.spalten.isEmpty() || a.spalten.size() != a.werte.size())
            return Menge::Zeilenweise;
        p.ident = *ident;
        p.nummer = QString::number(*ident);
        for (int i = 0; i < a.spalten.size(); ++i) {
            QVariant wert = a.werte.at(i);
            if (!a.wiederherstellen || a.spalten.at(i) < 0 || a.spalten.at(i) >= AlarmFeld::Spalten)
                if (AlarmdefsZugriff::WertPruefen(a.spalten.at(i), a.werte.at(i), &wert))
                    return Menge::Zeilenweise;
            p.neu << wert;
        }
        plaene << std::move(p);
    }
    // Each row by its key, or where a write names none by its alarm number
    // (as number and as text: a column declared as text holds the number as
    // text) when exactly one row carries it; the write lock is held since
    // Beginnen(), so they stay as read until the commit.
    QHash<qlonglong, Gelesen> zeilen;
    zeilen.reserve(plaene.size());
    // Through the connection's own SQLite handle, inside this transaction:
    // the values as the driver gives them, without its cost per value.
    const QVariant griff = m_db.driver()->handle();
    sqlite3* h = griff.isValid() && qstrcmp(griff.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(griff.constData())
                                                                                : nullptr;
    if (!h)
        return Menge::Zeilenweise;
    // A page cache that holds the batch's pages for this transaction (up to
    // the file's size, at most 256 MB): pages read for the check are not read
    // again for the write, and written ones are not spilled before the commit.
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
    {
        const auto vorbereiten = [&](const QString& wo) -> std::shared_ptr<sqlite3_stmt> {
            const QByteArray sql = QStringLiteral("select rowid, %1 from %2 where %3")
                                       .arg(AlarmdefsZugriff::SpaltenListe(m_db), AlarmdefsZugriff::Tabelle(m_db), wo)
                                       .toUtf8();
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
                sqlite3_finalize(st);
                return {};
            }
            return {st, sqlite3_finalize};
        };
        const std::shared_ptr<sqlite3_stmt> nachSchluessel = vorbereiten(QStringLiteral("rowid = ?1")),
                                            nachNummer = vorbereiten(QStringLiteral("%1 in (?1, ?2)").arg(m_identSpalte));
        if (!nachSchluessel || !nachNummer)
            return Menge::Zeilenweise;
        // In the order of the keys (or numbers), so the table's pages are met
        // one after the other rather than at random.
        std::vector<qsizetype> folge(static_cast<std::size_t>(plaene.size()));
        std::iota(folge.begin(), folge.end(), 0);
        std::sort(folge.begin(), folge.end(), [&plaene](qsizetype a, qsizetype b) {
            const Plan& pa = plaene.at(a);
            const Plan& pb = plaene.at(b);
            return (pa.mitSchluessel ? pa.zeile : pa.ident) < (pb.mitSchluessel ? pb.zeile : pb.ident);
        });
        for (qsizetype i : folge) {
            Plan& p = plaene[i];
            Auftragslauf::Schritt();
            sqlite3_stmt* st = p.mitSchluessel ? nachSchluessel.get() : nachNummer.get();
            QByteArray text;
            if (p.mitSchluessel) {
                sqlite3_bind_int64(st, 1, p.zeile);
            } else {
                text = p.nummer.toLatin1();
                sqlite3_bind_int64(st, 1, p.ident);
                sqlite3_bind_text(st, 2, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
            }
            int rc = SQLITE_ROW, gefunden = 0;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                if (++gefunden > 1)
                    break;
                Gelesen g;
                g.schluessel = QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, 0)));
                g.werte.reserve(AlarmFeld::Spalten);
                for (int i = 1; i <= AlarmFeld::Spalten; ++i) {
                    switch (sqlite3_column_type(st, i)) {
                    case SQLITE_INTEGER:
                        g.werte << QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
                        break;
                    case SQLITE_TEXT:
                        g.werte << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                                              sqlite3_column_bytes(st, i)));
                        break;
                    case SQLITE_NULL:
                        g.werte << QVariant(QMetaType::fromType<QString>());
                        break;
                    default:
                        // a real or bytes: as the driver reads them, row by row
                        rc = SQLITE_MISUSE;
                        break;
                    }
                }
                if (rc == SQLITE_MISUSE)
                    break;
                p.zeile = g.schluessel.toLongLong();
                zeilen.insert(p.zeile, std::move(g));
            }
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
            // no row, several of one number, an odd value or an error: Zeile() tells each
            if ((rc != SQLITE_DONE && rc != SQLITE_ROW) || gefunden != 1)
                return Menge::Zeilenweise;
        }
    }
    // Each row must hold what was read of it, as Zeile() compares; all are
    // checked before anything is written, so a batch that must go row by row
    // has nothing to undo.
    QSet<qlonglong> vergeben;
    vergeben.reserve(plaene.size());
    for (qsizetype i = 0; i < plaene.size(); ++i) {
        Auftragslauf::Schritt();
        const Schreibauftrag& a = auftraege.at(i);
        const Plan& p = plaene.at(i);
        const auto it = zeilen.constFind(p.zeile);
        // the key must still name a row of this alarm number; anything else is Zeile()'s to tell
        if (it == zeilen.cend() || vergeben.contains(p.zeile) ||
            AlarmdefsZugriff::Alarmnummer(AlarmRecordBau::FeldText(AlarmFeld::Ident, it->werte.value(AlarmFeld::Ident))) !=
                AlarmdefsZugriff::Alarmnummer(p.nummer))
            return Menge::Zeilenweise;
        // a key twice in the batch: the second write is Zeile()'s to tell
        vergeben.insert(p.zeile);
        if (a.gelesen)
            for (int sp : PruefSpalten(a, true))
                if (AlarmRecordBau::FeldText(sp, it->werte.value(sp)) != a.gelesen->value(sp))
                    return Menge::Zeilenweise;
        for (const QVariant& w : p.neu)
            if (!Bindbar(w))
                return Menge::Zeilenweise;
    }

    // Then per row one prepared statement (one per set of written columns):
    // the row by its key, its alarm number and its placement and written
    // columns as this transaction read them, bound exactly as read; a row
    // count other than one undoes them all.
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
    const auto spalte = [this](int sp) {
        return AlarmdefsZugriff::SpaltenName(m_db, AlarmRecordBau::SpaltenNamen().at(sp));
    };
    struct Anweisung {
        std::shared_ptr<sqlite3_stmt> st;
        QList<int> pruefen;
    };
    QHash<QList<int>, Anweisung> anweisungen;
    const QString tabelle = AlarmdefsZugriff::Tabelle(m_db);
    std::vector<qsizetype> folge(static_cast<std::size_t>(plaene.size()));
    std::iota(folge.begin(), folge.end(), 0);
    std::sort(folge.begin(), folge.end(), [&plaene](qsizetype a, qsizetype b) { return plaene.at(a).zeile < plaene.at(b).zeile; });
    for (qsizetype i : folge) {
        Auftragslauf::Schritt();
        const Schreibauftrag& a = auftraege.at(i);
        const Plan& p = plaene.at(i);
        Anweisung& an = anweisungen[a.spalten];
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
            const QByteArray sql = QStringLiteral("update %1 set %2 where %3")
                                       .arg(tabelle, setzen.join(QStringLiteral(", ")), bedingungen.join(QStringLiteral(" and ")))
                                       .toUtf8();
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
                sqlite3_finalize(st);
                return zurueck(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::StatementError));
            }
            an.st.reset(st, sqlite3_finalize);
        }
        sqlite3_stmt* st = an.st.get();
        const Gelesen& g = zeilen.value(p.zeile);
        int n = 1;
        for (const QVariant& w : p.neu)
            Binden(st, n++, w);
        sqlite3_bind_int64(st, n++, p.zeile);
        for (int sp : std::as_const(an.pruefen))
            Binden(st, n++, g.werte.value(sp));
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

    s.zeilen.reserve(plaene.size());
    for (qsizetype i = 0; i < plaene.size(); ++i) {
        const Plan& p = plaene.at(i);
        // taken out: each row is written once, and its values need not be copied
        const QList<Gelesen> gelesen{zeilen.take(p.zeile)};
        s.zeilen << Ergebnis(p.nummer, auftraege.at(i), p.neu, gelesen, &gelesen.first());
    }
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

Schreibergebnis AlarmdefsSchreiber::ZeilePostgres(const Schreibauftrag& auftrag, qlonglong ident, const QVariantList& neu) {
    // One statement: the rows of that number are locked, the first that still
    // holds what was read is written, and the other clients are told. The
    // values are compared as a record shows them (NULL as empty text, the
    // symbol by its file name).
    const QList<int> pruefen = auftrag.gelesen ? PruefSpalten(auftrag, false) : QList<int>();
    QList<Gelesen> zeilen;
    bool geschrieben = false, getroffen = false;
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
        // Through libpq where it can: the values as parameters, not as literals.
        QSqlError pgFehler;
        PgAnweisung* pg = PgAnweisung::Fuer(m_db, sql, &pgFehler);
        if (pgFehler.isValid())
            return Abbrechen(pgFehler);
        QSqlQuery* q = pg ? nullptr : Vorbereitet(sql);
        if (!pg && !q)
            return Abbrechen(m_letzterFehler);
        // A row another client updated while this statement waited for its lock is
        // found in its new version, which the statement's update cannot see: the
        // row still matches, nothing was written. Asked once more, it is written.
        for (int versuch = 0; versuch < 2 && (versuch == 0 || (getroffen && !geschrieben)); ++versuch) {
            zeilen.clear();
            geschrieben = getroffen = false;
            auto zeileLesen = [&](auto&& wert) {
                Gelesen g{wert(2), {}, wert(0).toBool()};
                geschrieben = wert(1).toInt() > 0;
                getroffen = getroffen || g.getroffen;
                g.werte.reserve(AlarmFeld::Spalten);
                for (int i = 0; i < AlarmFeld::Spalten; ++i)
                    g.werte << wert(i + 3);
                zeilen << g;
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
