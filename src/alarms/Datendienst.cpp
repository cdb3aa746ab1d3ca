#include "alarms/Datendienst.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QEvent>
#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <algorithm>
#include <iterator>
#include <sqlite3.h>

#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/DeutscheReihung.h"
#include "alarms/Freigabe.h"
#include "alarms/PgVerbindung.h"
#include "alarms/SqliteZeilen.h"

namespace {
QAtomicInteger<int> g_dienste;

// Tells the asker's thread that an answer has come. Made there when the
// request is asked: one made on the worker would be freed on the asker's
// thread under the lock of the worker's heap, once for every answer.
class Zustellung : public QEvent {
public:
    explicit Zustellung(Datendienst::Ticket t) : QEvent(Art()), ticket(t) {}
    static QEvent::Type Art() {
        static const auto art = static_cast<QEvent::Type>(QEvent::registerEventType());
        return art;
    }
    const Datendienst::Ticket ticket;
};

// A server connection whose link is known to be broken: a restarted server
// has ended it. What the server sent last is read without waiting; no round
// trip is made.
bool Abgerissen(const QSqlDatabase& db) {
    const std::optional<PGconn*> libpq = PgVerbindung::Von(db);
    if (!libpq)
        return false;
    PGconn* verbindung = *libpq;
    if (!verbindung)
        return true;
    // A read takes what has come: the server's last words first, its end of
    // the connection only at the next one.
    for (int lesen = 0; lesen < 3 && PQstatus(verbindung) == CONNECTION_OK; ++lesen)
        if (!PQconsumeInput(verbindung))
            break;
    return PQstatus(verbindung) != CONNECTION_OK;
}

// The current row of q, its first spalten values.
QVector<QVariant> Zeile(const QSqlQuery& q, int spalten) {
    QVector<QVariant> z;
    z.reserve(spalten);
    for (int i = 0; i < spalten; ++i)
        z.append(q.value(i));
    return z;
}

// The SQLite connection under db, or nullptr on another driver.
sqlite3* SqliteVon(const QSqlDatabase& db) {
    if (db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant h = db.driver()->handle();
    return h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(h.constData())
                                                                  : nullptr;
}

// One read of keys (nurSchluessel) or of whole rows on db, into a.
void Lesen(const QSqlDatabase& db, bool nurSchluessel, const QString& sql, const QVariantList& werte,
           Datendienst::Antwort& a) {
    // Rows of a file (the grid's pages) are read straight through SQLite: the
    // same values at a fraction of the driver's cost.
    if (!nurSchluessel && werte.isEmpty()) {
        if (sqlite3* handle = SqliteVon(db)) {
            a.ok = SqliteZeilen::Lesen(handle, sql, &a.zeilen, &a.fehler);
            return;
        }
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // A read without values is sent as it is: on a server one round trip, not
    // three (prepare, execute, deallocate).
    bool gut = false;
    if (werte.isEmpty()) {
        gut = q.exec(sql);
    } else {
        gut = q.prepare(sql);
        for (const QVariant& w : werte)
            q.addBindValue(w);
        gut = gut && q.exec();
    }
    if (gut && nurSchluessel) {
        while (q.next())
            a.schluessel.append(Identschluessel::Nummer(q.value(0)));
    } else if (gut) {
        const int spalten = q.record().count();
        while (q.next())
            a.zeilen.append(Zeile(q, spalten));
    }
    // A read stopped part-way (interrupted, or the file locked midway) is no answer.
    if (gut && q.lastError().isValid())
        gut = false;
    a.ok = gut;
    if (!gut) {
        a.fehler = q.lastError();
        a.schluessel.clear();
        a.zeilen.clear();
    }
}
}  // namespace

// A writer and the connection it writes on, which it holds by reference.
struct Datendienst::Schreibplatz {
    Schreibplatz(const QSqlDatabase& verbindung, const QString& datenbank) : db(verbindung), schreiber(db, datenbank) {}
    QSqlDatabase db;
    AlarmdefsSchreiber schreiber;
};

Datendienst::Datendienst(const QString& sDatenbank, QObject* parent) : Datendienst(sDatenbank, QString(), parent) {}

Datendienst::Datendienst(const QString& sDatenbank, const QString& odbcVerbindung, QObject* parent)
    : QObject(parent),
      m_datenbank(sDatenbank),
      m_adresse(sDatenbank),
      m_name(QStringLiteral("tavero-dienst-%1").arg(g_dienste.fetchAndAddRelaxed(1))),
      m_odbc(odbcVerbindung) {
    qRegisterMetaType<Datendienst::Antwort>();
    m_faden = new QThread;
    m_faden->setObjectName(QStringLiteral("Datendienst"));
    m_arbeiter = new QObject;
    m_arbeiter->moveToThread(m_faden);
    m_faden->start();
    // Connected at once, so the first request finds the connection open.
    QMetaObject::invokeMethod(m_arbeiter, [this] {
        QSqlError fehler;
        Verbinden(&fehler);  // a failure is told by the first request, which tries again
    });
}

Datendienst::~Datendienst() {
    if (!m_ende.exchange(true))
        Schlussauftrag();
    m_faden->wait();
    delete m_faden;
    // Answers and parts no one took any more (the owner went while pages were
    // on their way) were made on the worker: let go there too.
    Freigabe::ImHintergrund(std::make_pair(std::exchange(m_postfach, {}), std::exchange(m_teile, {})));
}

void Datendienst::Schlussauftrag() {
    {
        QMutexLocker l(&m_sperre);
        if (m_sqliteHandle && m_laufend)
            sqlite3_interrupt(static_cast<sqlite3*>(m_sqliteHandle));
    }
    // The connection is closed on the thread that used it, after the request on hand.
    QMetaObject::invokeMethod(m_arbeiter, [this] {
        if (m_offen) {
            {
                QMutexLocker l(&m_sperre);
                m_sqliteHandle = nullptr;
            }
            m_schreiber.reset();
            AlarmdefsZugriff::Schliessen(m_name);
            m_offen = false;
        }
        delete m_arbeiter;
        QThread::currentThread()->quit();
    });
}

void Datendienst::Beenden() {
    if (m_ende.exchange(true))
        return;
    setParent(nullptr);
    // Deleted on this thread once the worker is through; its wait then costs nothing.
    connect(m_faden, &QThread::finished, this, &QObject::deleteLater);
    Schlussauftrag();
}

Datendienst::Ticket Datendienst::SchluesselLesen(const QString& sql, const QVariantList& werte) {
    return Stellen(Art::Schluessel, sql, werte, {});
}

Datendienst::Ticket Datendienst::SchluesselLesen(const QString& sql, int ersteZeilen,
                                                std::function<QString(const QString&)> zeilenSql, Mitlesen ende) {
    return Stellen(Art::Schluessel, sql, {}, {},
                   [ersteZeilen, zeilenSql = std::move(zeilenSql), ende = std::move(ende)](QSqlDatabase& db, Antwort& a) {
        const auto lesen = [&](const QVector<qint64>& schluessel, qsizetype n, QVector<QVector<QVariant>>& ziel) {
            QString liste;
            liste.reserve(n * 8);
            for (qsizetype i = 0; i < n; ++i) {
                if (i)
                    liste += QLatin1Char(',');
                liste += QString::number(schluessel.at(i));
            }
            Antwort zeilen;
            Lesen(db, false, zeilenSql(liste), {}, zeilen);
            if (zeilen.ok)
                ziel = std::move(zeilen.zeilen);
            return zeilen.ok;
        };
        if (!a.schluessel.isEmpty() && ersteZeilen > 0)
            lesen(a.schluessel, std::min<qsizetype>(ersteZeilen, a.schluessel.size()), a.zeilen);
        if (ende) {
            QVector<qint64> weitere = ende(a.schluessel);
            if (!weitere.isEmpty() && lesen(weitere, weitere.size(), a.endeZeilen))
                a.endeSchluessel = std::move(weitere);
        }
    });
}

Datendienst::Ticket Datendienst::ZeilenLesen(const QString& sql, const QVariantList& werte) {
    return Stellen(Art::Zeilen, sql, werte, {});
}

Datendienst::Ticket Datendienst::Schreiben(const Schreibauftrag& auftrag) { return Stellen(Art::Schreiben, {}, {}, auftrag); }

Datendienst::Ticket Datendienst::AlarmListeLesen(const QString& form) { return Stellen(Art::AlarmListe, form, {}, {}); }

Datendienst::Ticket Datendienst::SchreibenAlle(const QList<Schreibauftrag>& auftraege) {
    return Stellen(Art::Eigen, {}, {}, {}, [this, auftraege](QSqlDatabase& db, Antwort& a) {
        a.sammel = AlarmdefsZugriff::SchreibenAlle(db, m_datenbank, auftraege);
        a.ok = a.sammel.geschrieben;
    });
}

Datendienst::Ticket Datendienst::SchreibenAlle(std::function<QList<Schreibauftrag>()> bauen,
                                               std::function<QVariant(const Sammelergebnis&)> danach) {
    return Stellen(Art::Eigen, {}, {}, {},
                   [this, bauen = std::move(bauen), danach = std::move(danach)](QSqlDatabase& db, Antwort& a) {
        a.sammel = AlarmdefsZugriff::SchreibenAlle(db, m_datenbank, bauen());
        a.ok = a.sammel.geschrieben;
        if (danach)
            a.wert = danach(a.sammel);
    });
}

Datendienst::Ticket Datendienst::Rechnen(std::function<QVariant()> arbeit) {
    return Stellen(Art::Eigen, {}, {}, {}, [arbeit = std::move(arbeit)](QSqlDatabase&, Antwort& a) {
        a.wert = arbeit();
        a.ok = true;
    });
}

Datendienst::Ticket Datendienst::Durchlesen(const QString& sql, int ersterTeil, int weitererTeil) {
    return Stellen(Art::Eigen, {}, {}, {}, [this, sql, ersterTeil, weitererTeil](QSqlDatabase& db, Antwort& a) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.prepare(sql) || !q.exec()) {
            a.fehler = q.lastError();
            return;
        }
        const int spalten = q.record().count();
        int bisTeil = ersterTeil;
        while (q.next()) {
            a.zeilen.append(Zeile(q, spalten));
            if (a.zeilen.size() < bisTeil)
                continue;
            bisTeil = weitererTeil;
            // Handed over, unless nobody waits for them any more.
            {
                QMutexLocker l(&m_sperre);
                if (m_ende || m_abgebrochen.contains(a.ticket)) {
                    a.zeilen.clear();
                    return;
                }
                m_teile[a.ticket] += std::move(a.zeilen);
            }
            a.zeilen.clear();
            QMetaObject::invokeMethod(this, [this, t = a.ticket] {
                if (!m_ende)
                    emit TeilGelesen(t);
            }, Qt::QueuedConnection);
        }
        // A read stopped part-way (the file locked midway) is no answer.
        if (q.lastError().isValid()) {
            a.fehler = q.lastError();
            a.zeilen.clear();
            return;
        }
        a.ok = true;
    });
}

QVector<QVector<QVariant>> Datendienst::TeileNehmen(Ticket ticket) {
    QMutexLocker l(&m_sperre);
    return m_teile.take(ticket);
}

Datendienst::Ticket Datendienst::Beschreiben() {
    return Stellen(Art::Eigen, {}, {}, {}, [this](QSqlDatabase& db, Antwort& a) {
        const bool server = db.driverName() == QLatin1String("QPSQL");
        // The description of a file another program holds locked cannot be
        // read: that is said as such, not as a table without columns.
        if (db.driverName() == QLatin1String("QSQLITE")) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("select count(*) from sqlite_master"))) {
                a.fehler = q.lastError();
                return;
            }
        }
        // The columns are asked once (on a server each asking is a round trip).
        const QSqlRecord rec = db.record(server ? AlarmdefsZugriff::Tabelle(db) : QStringLiteral("Alarmdefs"));
        for (int i = 0; i < rec.count(); ++i)
            a.feldNamen << rec.fieldName(i);
        a.fehlendeSpalten = AlarmdefsZugriff::FehlendeSpalten(rec);
        // No columns at all may also be a link that broke meanwhile: that is no missing table.
        if (rec.isEmpty()) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("select 1"))) {
                a.fehler = q.lastError();
                return;
            }
        }
        if (server && a.fehlendeSpalten.isEmpty())
            a.ident = Identschluessel::Beschreiben(db, m_datenbank);
        else if (db.driverName() == QLatin1String("QSQLITE") && a.fehlendeSpalten.isEmpty())
            a.ident = Identschluessel::DateiBeschreiben(db, m_datenbank);
        a.textReihung = DeutscheReihung::Zusatz(db);
        a.ok = true;
    });
}

Datendienst::Ticket Datendienst::Stellen(Art art, const QString& sql, const QVariantList& werte,
                                         const Schreibauftrag& auftrag, Tun tun) {
    Ticket t;
    {
        QMutexLocker l(&m_sperre);
        t = ++m_naechstes;
    }
    ++m_offen_anfragen;
    QEvent* zustellung = new Zustellung(t);
    QMetaObject::invokeMethod(m_arbeiter, [this, t, art, sql, werte, auftrag, tun = std::move(tun), zustellung] {
        Ausfuehren(t, art, sql, werte, auftrag, tun, zustellung);
    });
    return t;
}

Datendienst::Abgeholt Datendienst::Abwarten(Ticket ticket, int ms) { return Warten(ticket, ms, Bis::Antwort); }

Datendienst::Abgeholt Datendienst::AbwartenKlein(Ticket ticket, int ms) { return Warten(ticket, ms, Bis::Gross); }

Datendienst::Abgeholt Datendienst::AbwartenUngesperrt(Ticket ticket, int ms) {
    return Warten(ticket, ms, Bis::Sperre);
}

Datendienst::Abgeholt Datendienst::AbwartenArbeit(Ticket ticket, int arbeitMs, int ms) {
    return Warten(ticket, ms, Bis::Sperre, arbeitMs);
}

Datendienst::Abgeholt Datendienst::Warten(Ticket ticket, int ms, Bis bis, int arbeitMs) {
    QDeadlineTimer frist(ms);
    QMutexLocker l(&m_sperre);
    while (!m_postfach.contains(ticket)) {
        if (bis == Bis::Gross && m_gross.contains(ticket))
            break;
        if (bis == Bis::Sperre && m_sperreWartet)
            break;
        QDeadlineTimer ende = frist;
        if (arbeitMs >= 0 && m_laufend == ticket) {
            const qint64 rest = arbeitMs - m_laufUhr.elapsed();
            if (rest <= 0)
                break;
            if (rest < frist.remainingTime())
                ende = QDeadlineTimer(rest);
        }
        if (!m_fertig.wait(&m_sperre, ende) && frist.hasExpired())
            break;
    }
    auto it = m_postfach.find(ticket);
    if (it == m_postfach.end())
        return {};
    Abgeholt a(std::move(*it));
    m_postfach.erase(it);
    return a;
}

void Datendienst::Abgeholt::Loslassen() {
    if (m_antwort)
        Freigabe::ImHintergrund(*std::exchange(m_antwort, std::nullopt));
}

void Datendienst::Abbrechen(Ticket ticket) {
    QMutexLocker l(&m_sperre);
    m_abgebrochen.insert(ticket);
    if (m_laufend == ticket && m_sqliteHandle)
        sqlite3_interrupt(static_cast<sqlite3*>(m_sqliteHandle));
}

bool Datendienst::ListeGross(const QString& form) {
    // Only where an index on the picture column counts the rows without
    // reading them (an SQLite file): elsewhere the count would cost as much as
    // the list, and the window waits its frame as it always did.
    QSqlError egal;  // a connection that fails is told by the list's own read
    if (!Verbinden(&egal))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.driverName() != QLatin1String("QSQLITE"))
        return false;
    if (!m_formIndex) {
        QSqlQuery q(db);
        m_formIndex = q.exec(QStringLiteral(
                          "select 1 from pragma_index_list('Alarmdefs') l, pragma_index_info(l.name) i "
                          "where i.seqno = 0 and i.name = 'Form' collate nocase")) &&
                      q.next();
    }
    if (!*m_formIndex)
        return false;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select count(*) from %1 where %2 = ?")
                  .arg(AlarmdefsZugriff::Tabelle(db), AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Form"))));
    q.addBindValue(form);
    return q.exec() && q.next() && q.value(0).toLongLong() > GrosseListeAb;
}

int Datendienst::SperreAbwarten(void* dienst, int versuch) {
    auto* d = static_cast<Datendienst*>(dienst);
    {
        QMutexLocker l(&d->m_sperre);
        if (d->m_ende || d->m_abgebrochen.contains(d->m_laufend))
            return 0;
        d->m_sperreWartet = true;
    }
    if (versuch == 0)
        d->m_fertig.wakeAll();
    // SQLite's own steps: short at first, then a tenth of a second each.
    static constexpr int schritte[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    static constexpr int bisher[] = {0, 1, 3, 8, 18, 33, 53, 78, 103, 128, 178, 228};
    constexpr int n = static_cast<int>(std::size(schritte));
    int schritt = schritte[n - 1];
    int gewartet = bisher[n - 1] + schritt * (versuch - (n - 1));
    if (versuch < n) {
        schritt = schritte[versuch];
        gewartet = bisher[versuch];
    }
    if (gewartet + schritt > AlarmdefsZugriff::WarteAufSperreMs) {
        schritt = AlarmdefsZugriff::WarteAufSperreMs - gewartet;
        if (schritt <= 0)
            return 0;
    }
    sqlite3_sleep(schritt);
    return 1;
}

bool Datendienst::Odbc() {
    if (!m_odbcArt)
        m_odbcArt = !m_odbc.isEmpty() || AlarmdefsZugriff::IstAccessDatei(m_datenbank);
    if (!*m_odbcArt)
        return false;
    QSqlError egal;  // a connection that fails is told by the reader that opens its own
    return Verbinden(&egal);
}

bool Datendienst::Verbinden(QSqlError* fehler) {
    if (m_offen)
        return true;
    try {
        QSqlDatabase db = m_odbc.isEmpty() ? AlarmdefsZugriff::Oeffnen(m_adresse, m_datenbank, m_name)
                                           : AlarmdefsZugriff::OdbcOeffnen(m_odbc, m_datenbank, m_name);
        // Text columns sort in German order on this connection too.
        DeutscheReihung::Anmelden(db);
        m_offen = true;
        if (db.driverName() == QLatin1String("QSQLITE")) {
            const QVariant h = db.driver()->handle();
            QMutexLocker l(&m_sperre);
            m_sqliteHandle = *static_cast<sqlite3* const*>(h.data());
            // A lock another program holds is waited for as long as before, but a
            // window waiting for an answer hears of it at once.
            sqlite3_busy_handler(static_cast<sqlite3*>(m_sqliteHandle), &Datendienst::SperreAbwarten, this);
        }
        return true;
    } catch (const AlarmdefsFehler& f) {
        *fehler = QSqlError(f.Detail(), f.Text(), QSqlError::ConnectionError);
        return false;
    }
}

void Datendienst::Ausfuehren(Ticket ticket, Art art, const QString& sql, const QVariantList& werte,
                             const Schreibauftrag& auftrag, const Tun& tun, QEvent* zustellung) {
    Antwort a;
    a.ticket = ticket;
    {
        QMutexLocker l(&m_sperre);
        if (m_ende || m_abgebrochen.remove(ticket)) {
            a.abgebrochen = true;
            l.unlock();
            Abliefern(std::move(a), zustellung);
            return;
        }
        m_laufend = ticket;
        m_laufUhr.start();
    }
    // A waiter that gives a request only so much of the worker's time starts counting now.
    m_fertig.wakeAll();
    // A request never goes out on a link the server has ended (a restarted
    // server): it is closed and a new one opened here, on the worker, so a
    // write is not refused for nothing and a read finds the server back.
    auto abgerissenSchliessen = [this] {
        if (!m_offen || !Abgerissen(QSqlDatabase::database(m_name, false)))
            return false;
        m_schreiber.reset();
        AlarmdefsZugriff::Schliessen(m_name);
        m_offen = false;
        return true;
    };
    abgerissenSchliessen();
    if (art == Art::AlarmListe) {
        // A window waiting for a large list hears it at once and goes on.
        if (ListeGross(sql)) {
            {
                QMutexLocker l(&m_sperre);
                m_gross.insert(ticket);
            }
            m_fertig.wakeAll();
        }
        // The fast reader of a picture's list opens the file itself; through
        // ODBC the worker's own connection reads it.
        try {
            if (Odbc()) {
                QSqlDatabase db = QSqlDatabase::database(m_name, false);
                a.liste = AlarmdefsZugriff::AlarmListeLesen(db, m_datenbank, sql);
            } else {
                a.liste = AlarmdefsZugriff::AlarmListeLesen(m_datenbank, sql);
            }
            a.ok = true;
        } catch (const AlarmdefsFehler& f) {
            a.fehler = QSqlError(f.Detail(), f.Text(), QSqlError::StatementError);
        }
    } else if (!Verbinden(&a.fehler)) {
        if (art == Art::Schreiben)
            a.ergebnis = Schreibergebnis::Abgelehnt(a.fehler.databaseText(), a.fehler.driverText());
        if (art == Art::Eigen) {
            a.sammel.text = a.fehler.databaseText() + QStringLiteral(" Nichts wurde geschrieben.");
            a.sammel.detail = a.fehler.driverText();
        }
    } else if (art == Art::Eigen) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        tun(db, a);
    } else if (art == Art::Schreiben) {
        if (m_adresse.IstServer()) {
            // A server's writer is kept with its connection: the statement's text
            // is made once, not for every dragged arrow.
            if (!m_schreiber)
                m_schreiber = std::make_unique<Schreibplatz>(QSqlDatabase::database(m_name, false), m_datenbank);
            a.ergebnis = m_schreiber->schreiber.Einzeln(auftrag);
        } else {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            a.ergebnis = AlarmdefsZugriff::Schreiben(db, m_datenbank, auftrag);
        }
        a.ok = a.ergebnis.geschrieben();
    } else {
        Lesen(QSqlDatabase::database(m_name, false), art == Art::Schluessel, sql, werte, a);
        // A read that met the end of the link is asked once more on a new
        // connection; a write is never repeated: its refusal stands.
        if (!a.ok && abgerissenSchliessen()) {
            a.fehler = QSqlError();
            if (Verbinden(&a.fehler))
                Lesen(QSqlDatabase::database(m_name, false), art == Art::Schluessel, sql, werte, a);
        }
        // A key read's first rows, read on the same turn.
        if (a.ok && tun) {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            tun(db, a);
        }
    }
    // A write that failed on an ended link leaves it closed for the next request.
    if (!a.ok)
        abgerissenSchliessen();
    {
        QMutexLocker l(&m_sperre);
        m_laufend = 0;
        m_sperreWartet = false;
        // An interrupted read is no failure to report; a read that ended anyway counts.
        if (m_abgebrochen.remove(ticket) && !a.ok)
            a.abgebrochen = true;
    }
    Abliefern(std::move(a), zustellung);
}

void Datendienst::Abliefern(Antwort a, QEvent* zustellung) {
    const Ticket t = a.ticket;
    --m_offen_anfragen;
    {
        QMutexLocker l(&m_sperre);
        m_gross.remove(t);
        // Rows of a Durchlesen not taken yet come first in its answer.
        if (auto teil = m_teile.find(t); teil != m_teile.end()) {
            if (a.ok)
                a.zeilen = std::move(*teil) + a.zeilen;
            m_teile.erase(teil);
        }
        m_postfach.insert(t, std::move(a));
    }
    m_fertig.wakeAll();
    ++m_beantwortet;
    // Delivered on the asker's thread, unless a wait there took it first.
    QCoreApplication::postEvent(this, zustellung);
}

bool Datendienst::event(QEvent* e) {
    if (e->type() != Zustellung::Art())
        return QObject::event(e);
    Zustellen(static_cast<Zustellung*>(e)->ticket);
    return true;
}

void Datendienst::Zustellen(Ticket ticket) {
    if (m_ende)
        return;  // closed: the owner has gone
    std::optional<Antwort> a;
    {
        QMutexLocker l(&m_sperre);
        auto it = m_postfach.find(ticket);
        if (it == m_postfach.end())
            return;
        a = std::move(*it);
        m_postfach.erase(it);
    }
    emit Beantwortet(*a);
    // Made on the worker, rows and keys as well as an error's text: what the
    // asker did not keep of it is freed off its thread (see Freigabe).
    Freigabe::ImHintergrund(std::move(*a));
}
