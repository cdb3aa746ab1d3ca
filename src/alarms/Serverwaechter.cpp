#include "alarms/Serverwaechter.h"

#include <QAtomicInteger>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>
#include <utility>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/PgVerbindung.h"
#include "alarms/ServerMeldungen.h"

namespace {
QAtomicInteger<int> g_waechter;
QAtomicInteger<int> g_bereitgestellt;
}  // namespace

Serverwaechter::Serverwaechter(const QString& sDatenbank)
    : m_datenbank(sDatenbank), m_name(QStringLiteral("tavero-waechter-%1").arg(g_waechter.fetchAndAddRelaxed(1))) {}

Serverwaechter::~Serverwaechter() {
    // Runs on this thread as it ends: what was handed back after its last turn is closed too.
    Aufraeumen();
    Zumachen();
}

bool Serverwaechter::Offen() {
    if (m_offen)
        return true;
    try {
        AlarmdefsZugriff::Oeffnen(m_datenbank, m_name);
    } catch (const AlarmdefsFehler&) {
        return false;
    }
    m_offen = true;
    // Listened through libpq's own queue of notes (Qt's driver is not asked
    // to), which tells the sender of each.
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    const std::optional<PGconn*> libpq = PgVerbindung::Von(db);
    if (!libpq || !*libpq ||
        !QSqlQuery(db).exec(QStringLiteral("listen %1").arg(QLatin1String(AlarmdefsZugriff::Benachrichtigung)))) {
        db = QSqlDatabase();
        Zumachen();
        return false;
    }
    m_lauscher = new QSocketNotifier(PQsocket(*libpq), QSocketNotifier::Read, this);
    connect(m_lauscher, &QSocketNotifier::activated, this, &Serverwaechter::Hoeren);
    if (std::exchange(m_jeGelauscht, true))
        emit WiederGelauscht();
    return true;
}

void Serverwaechter::Zumachen() {
    delete m_lauscher;
    m_lauscher = nullptr;
    if (m_offen)
        AlarmdefsZugriff::Schliessen(m_name);
    m_offen = false;
}

void Serverwaechter::Hoeren() {
    if (!m_offen)
        return;
    const std::optional<PGconn*> libpq = PgVerbindung::Von(QSqlDatabase::database(m_name, false));
    PGconn* verbindung = libpq ? *libpq : nullptr;
    const bool steht = verbindung && PQconsumeInput(verbindung) && PQstatus(verbindung) == CONNECTION_OK;
    Abholen();
    if (steht)
        return;
    // The server ended this connection: a new one listens at once (or at the next check).
    Zumachen();
    if (!m_ende)
        Offen();
}

void Serverwaechter::Abholen() {
    if (!m_offen)
        return;
    const std::optional<PGconn*> libpq = PgVerbindung::Von(QSqlDatabase::database(m_name, false));
    if (!libpq || !*libpq)
        return;
    QList<qint64> prozesse;
    QStringList inhalte;
    while (PGnotify* note = PQnotifies(*libpq)) {
        if (qstrcmp(note->relname, AlarmdefsZugriff::Benachrichtigung) == 0) {
            prozesse << note->be_pid;
            inhalte << QString::fromUtf8(note->extra);
        }
        PQfreemem(note);
    }
    if (!inhalte.isEmpty() && !m_ende)
        emit Gemeldet(prozesse, inhalte);
}

void Serverwaechter::Pruefen(qint64 kept) {
    // A connection of this watcher that fails is opened again once and asked anew.
    for (int versuch = 0; versuch < 2; ++versuch) {
        if (!Offen())
            break;  // the server is away: said by the answer; the next check tries again
        {
            QSqlQuery q(QSqlDatabase::database(m_name, false));
            bool steht = false, keptSteht = true;
            if (kept <= 0) {
                steht = q.exec(QStringLiteral("select 1"));
            } else {
                steht = q.prepare(QStringLiteral("select count(*) from pg_stat_activity where pid = ?"));
                q.addBindValue(kept);
                steht = steht && q.exec() && q.next();
                keptSteht = steht && q.value(0).toInt() > 0;
            }
            if (steht) {
                emit Antwort(true, keptSteht);
                Abholen();
                return;
            }
        }
        Zumachen();
    }
    emit Antwort(false, false);
}

void Serverwaechter::Lesen(quint64 auftrag, const QList<qlonglong>& nummern) {
    // A connection that broke since its last use is opened again once and read anew.
    for (int versuch = 0; versuch < 2; ++versuch) {
        if (m_ende || !Offen())
            break;
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        QHash<qlonglong, AlarmListeTyp> zeilen = AlarmdefsZugriff::ZeilenLesen(db, nummern);
        const std::optional<PGconn*> libpq = PgVerbindung::Von(db);
        if (!zeilen.isEmpty() || (libpq && *libpq && PQstatus(*libpq) == CONNECTION_OK)) {
            emit Gelesen(auftrag, nummern, zeilen);
            Abholen();
            return;
        }
        db = QSqlDatabase();
        Zumachen();
    }
    emit Gelesen(auftrag, nummern, {});
}

void Serverwaechter::Zuruecknehmen(const QString& name) {
    {
        QMutexLocker sperre(&m_rueckMutex);
        m_zurueck << name;
    }
    QMetaObject::invokeMethod(this, &Serverwaechter::Aufraeumen, Qt::QueuedConnection);
}

void Serverwaechter::Aufraeumen() {
    QStringList zurueck;
    {
        QMutexLocker sperre(&m_rueckMutex);
        zurueck.swap(m_zurueck);
    }
    for (const QString& name : std::as_const(zurueck))
        AlarmdefsZugriff::Schliessen(name);
}

Serverwaechter::Einrichtung Serverwaechter::Einrichten(const QString& sName) {
    Einrichtung e;
    QSqlDatabase db = QSqlDatabase::database(sName, false);
    // Writes run on this connection, each one short statement: one that takes
    // longer is waiting for something and is given up like a lock. It does
    // not listen: the watcher's connection does.
    QSqlQuery q(db);
    q.exec(QStringLiteral("set statement_timeout = %1").arg(AlarmdefsZugriff::WarteAufSperreMs));
    if (q.exec(QStringLiteral("select pg_backend_pid()")) && q.next())
        e.prozess = q.value(0).toLongLong();
    e.eingerichtet = ServerMeldungen::Eingerichtet(db);
    return e;
}

void Serverwaechter::Bereitstellen(QThread* ziel) {
    const QString name = QStringLiteral("tavero-server-neu-%1").arg(g_bereitgestellt.fetchAndAddRelaxed(1));
    Einrichtung e;
    try {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(m_datenbank, name);
        e = Einrichten(name);
        // Listening before the handover: nothing written once the connection
        // stands goes unheard. An owner gone meanwhile needs neither.
        if (!m_ende)
            Offen();
        // The driver (with the notifier that listens) goes to the thread that
        // uses the connection; as a connection is only ever used where its
        // driver lives, nothing here touches it afterwards.
        QSqlDriver* treiber = db.driver();
        if (!m_ende && !treiber->parent())
            treiber->moveToThread(ziel);
        if (m_ende || treiber->thread() != ziel) {
            db = QSqlDatabase();
            AlarmdefsZugriff::Schliessen(name);
            emit Bereitgestellt(QString(), false, 0, QStringLiteral("Die Verbindung wurde nicht übergeben."), QString());
            return;
        }
    } catch (const AlarmdefsFehler& f) {
        emit Bereitgestellt(QString(), false, 0, f.Text(), f.Detail());
        return;
    }
    emit Bereitgestellt(name, e.eingerichtet, e.prozess, QString(), QString());
}
