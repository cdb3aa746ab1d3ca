#include "alarms/Serverdienst.h"

#include "alarms/ServerMeldungen.h"

#include <QAtomicInteger>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Serverwaechter.h"

namespace {
QAtomicInteger<int> g_dienste;
}

Serverdienst::Serverdienst(const QString& sDatenbank, QObject* parent)
    : QObject(parent),
      m_datenbank(sDatenbank),
      m_name(QStringLiteral("tavero-server-%1").arg(g_dienste.fetchAndAddRelaxed(1))) {
    m_uhr = new QTimer(this);
    m_uhr->setInterval(PruefenMs);
    connect(m_uhr, &QTimer::timeout, this, &Serverdienst::Pruefen);
    // A write of many rows sends a note per row: they are handled in one go
    // once the notes that came in together are all read.
    m_sammeln = new QTimer(this);
    m_sammeln->setSingleShot(true);
    m_sammeln->setInterval(0);
    connect(m_sammeln, &QTimer::timeout, this, [this] {
        QStringList idents;
        idents.swap(m_gemeldet);
        idents.removeDuplicates();
        if (!idents.isEmpty())
            emit ZeilenGemeldet(idents);
    });
    m_faden = new QThread;
    m_faden->setObjectName(QStringLiteral("Serverwaechter"));
    m_waechter = new Serverwaechter(m_datenbank);
    m_waechter->moveToThread(m_faden);
    connect(m_faden, &QThread::finished, m_waechter, &QObject::deleteLater);
    connect(m_waechter, &Serverwaechter::Antwort, this, &Serverdienst::Antwort);  // queued: another thread
    m_faden->start();
}

Serverdienst::~Serverdienst() {
    // A watcher held by a silent server is not waited for: its thread ends
    // and goes by itself once the server answers or the network gives up.
    QThread* faden = m_faden;
    disconnect(m_waechter, nullptr, this, nullptr);
    faden->quit();
    if (faden->wait(500))
        delete faden;
    else
        connect(faden, &QThread::finished, faden, &QObject::deleteLater);
    m_schreiber.reset();
    m_db = QSqlDatabase();
    AlarmdefsZugriff::Schliessen(m_name);
}

bool Serverdienst::Verbinden(QString* grund, QString* detail) {
    if (m_verbunden)
        return true;
    // A server that does not answer is not asked again here: that would hold the window.
    if (m_still) {
        if (grund)
            *grund = QStringLiteral("Der Datenbankserver von %1 antwortet nicht.").arg(m_datenbank);
        return false;
    }
    // Statements prepared on a connection that is gone cannot be used again.
    m_schreiber.reset();
    if (m_db.isValid()) {
        m_db = QSqlDatabase();
        AlarmdefsZugriff::Schliessen(m_name);
    }
    try {
        m_db = AlarmdefsZugriff::Oeffnen(m_datenbank, m_name);
    } catch (const AlarmdefsFehler& f) {
        if (grund)
            *grund = f.Text();
        if (detail)
            *detail = f.Detail();
        return false;
    }
    // Writes, the rows other clients wrote and the regular check run on this
    // connection, each one short statement: one that takes longer is waiting
    // for something and is given up like a lock.
    QSqlQuery(m_db).exec(QStringLiteral("set statement_timeout = %1").arg(AlarmdefsZugriff::WarteAufSperreMs));
    QSqlDriver* treiber = m_db.driver();
    connect(treiber, &QSqlDriver::notification, this, &Serverdienst::Meldung, Qt::UniqueConnection);
    treiber->subscribeToNotification(QString::fromLatin1(AlarmdefsZugriff::Benachrichtigung));
    m_verbunden = true;
    m_uhr->start();
    // Without the trigger only Tavero's own writes are told to the other clients.
    if (!ServerMeldungen::Eingerichtet(m_db))
        emit Zustand(QStringLiteral("Änderungen anderer Programme an Alarmdefs erscheinen erst bei der nächsten Auswahl "
                                    "(tavero --server-einrichten richtet die Benachrichtigung ein)."));
    return true;
}

AlarmdefsSchreiber& Serverdienst::Schreiber() {
    if (!m_schreiber)
        m_schreiber = std::make_unique<AlarmdefsSchreiber>(m_db, m_datenbank);
    return *m_schreiber;
}

void Serverdienst::Meldung(const QString& name, QSqlDriver::NotificationSource quelle, const QVariant& inhalt) {
    // This client's own writes come back too; it shows them already.
    if (name != QLatin1String(AlarmdefsZugriff::Benachrichtigung) || quelle == QSqlDriver::SelfSource)
        return;
    m_gemeldet << inhalt.toString();
    if (!m_sammeln->isActive())
        m_sammeln->start();
}

void Serverdienst::NachFehler() {
    if (!m_verbunden || QSqlQuery(m_db).exec(QStringLiteral("select 1")))
        return;
    m_verbunden = false;
    m_unterbrochen = true;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                "aufgebaut.")
                     .arg(m_datenbank));
}

void Serverdienst::Pruefen() {
    if (m_frageOffen) {
        if (!m_still && m_gefragt.elapsed() >= StillNachMs) {
            m_still = true;
            Unterbrochen(QStringLiteral("Der Datenbankserver von %1 antwortet nicht; bis er wieder antwortet, wird "
                                        "nichts geschrieben.")
                             .arg(m_datenbank));
        }
        return;
    }
    m_frageOffen = true;
    m_gefragt.start();
    QMetaObject::invokeMethod(m_waechter, &Serverwaechter::Pruefen, Qt::QueuedConnection);
}

void Serverdienst::Unterbrochen(const QString& text) {
    m_verbunden = false;
    if (m_unterbrochen && !m_still)
        return;  // said once
    m_unterbrochen = true;
    emit Zustand(text);
}

void Serverdienst::Antwort(bool steht) {
    m_frageOffen = false;
    const bool warStill = m_still;
    m_still = false;
    if (!steht) {
        if (m_verbunden || !m_unterbrochen || warStill)
            Unterbrochen(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                        "aufgebaut. Bis dahin wird nichts geschrieben.")
                             .arg(m_datenbank));
        return;
    }
    // The server answers the watcher, so the kept connection is asked too (a
    // server that ended only that one); one that is gone is opened again now, quickly.
    if (m_verbunden && QSqlQuery(m_db).exec(QStringLiteral("select 1")))
        return;
    if (m_verbunden) {
        m_verbunden = false;
        m_unterbrochen = true;
        emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                    "aufgebaut.")
                         .arg(m_datenbank));
    }
    if (!Verbinden())
        return;
    if (!m_unterbrochen)
        return;
    m_unterbrochen = false;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 steht wieder.").arg(m_datenbank));
    emit WiederVerbunden();
}
