#include "alarms/Serverwaechter.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>

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
    if (m_offen)
        AlarmdefsZugriff::Schliessen(m_name);
}

bool Serverwaechter::Offen() {
    if (!m_offen) {
        try {
            AlarmdefsZugriff::Oeffnen(m_datenbank, m_name);
            m_offen = true;
        } catch (const AlarmdefsFehler&) {
            return false;
        }
    }
    return true;
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
                return;
            }
        }
        AlarmdefsZugriff::Schliessen(m_name);
        m_offen = false;
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
            return;
        }
        db = QSqlDatabase();
        AlarmdefsZugriff::Schliessen(m_name);
        m_offen = false;
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
    // Writes, the rows other clients wrote and the regular check run on this
    // connection, each one short statement: one that takes longer is waiting
    // for something and is given up like a lock.
    QSqlQuery q(db);
    q.exec(QStringLiteral("set statement_timeout = %1").arg(AlarmdefsZugriff::WarteAufSperreMs));
    if (q.exec(QStringLiteral("select pg_backend_pid()")) && q.next())
        e.prozess = q.value(0).toLongLong();
    db.driver()->subscribeToNotification(QString::fromLatin1(AlarmdefsZugriff::Benachrichtigung));
    e.eingerichtet = ServerMeldungen::Eingerichtet(db);
    return e;
}

void Serverwaechter::Bereitstellen(QThread* ziel) {
    const QString name = QStringLiteral("tavero-server-neu-%1").arg(g_bereitgestellt.fetchAndAddRelaxed(1));
    Einrichtung e;
    try {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(m_datenbank, name);
        e = Einrichten(name);
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
