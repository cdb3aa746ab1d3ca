#include "alarms/Serverdienst.h"

#include "alarms/ServerMeldungen.h"

#include <QAtomicInteger>
#include <QSemaphore>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <memory>
#include <utility>

#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/PgVerbindung.h"
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
        // While the server is away the notes wait: the rows are read once it answers again.
        if (!m_verbunden)
            return;
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
    connect(m_waechter, &Serverwaechter::Bereitgestellt, this, &Serverdienst::Bereitgestellt);
    connect(m_waechter, &Serverwaechter::Gelesen, this, &Serverdienst::Gelesen);
    connect(m_waechter, &Serverwaechter::Gemeldet, this, &Serverdienst::Gemeldet);
    connect(m_waechter, &Serverwaechter::WiederGelauscht, this, &Serverdienst::WiederGelauscht);
    m_faden->start();
}

Serverdienst::~Serverdienst() {
    // A watcher held by a silent server, or busy opening a connection, is not
    // waited for: its thread ends and goes by itself once the server answers
    // or the network gives up; what it opens meanwhile it closes itself.
    QThread* faden = m_faden;
    // What was handed back is closed by the watcher before it goes.
    m_schreiber.reset();
    Loslassen();
    m_waechter->Beenden();
    disconnect(m_waechter, nullptr, this, nullptr);
    faden->quit();
    if (faden->wait(m_frageOffen || m_erneuern ? 0 : 500))
        delete faden;
    else
        connect(faden, &QThread::finished, faden, &QObject::deleteLater);
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
    // A lost connection is opened again by the watcher, which may wait for the server.
    if (m_jeVerbunden) {
        Erneuern();
        if (grund)
            *grund = QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                    "aufgebaut.")
                         .arg(m_datenbank);
        return false;
    }
    try {
        AlarmdefsZugriff::Oeffnen(m_datenbank, m_name);
    } catch (const AlarmdefsFehler& f) {
        if (grund)
            *grund = f.Text();
        if (detail)
            *detail = f.Detail();
        return false;
    }
    const Serverwaechter::Einrichtung e = Serverwaechter::Einrichten(m_name);
    Uebernehmen(m_name, e.eingerichtet, e.prozess, false);
    // The watcher listens before this returns, as the connection itself did
    // once; a watcher held by a slow server is waited for no longer than a
    // connection may take to open.
    auto lauscht = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        m_waechter,
        [w = m_waechter, lauscht] {
            w->Lauschen();
            lauscht->release();
        },
        Qt::QueuedConnection);
    lauscht->tryAcquire(1, AlarmdefsZugriff::ServerWartezeitS * 1000);
    return true;
}

void Serverdienst::Anstossen() {
    if (m_verbunden || m_jeVerbunden || m_erneuern)
        return;
    if (m_still) {
        m_ersterFehlt = true;
        return;
    }
    Wachen();
    m_erneuern = true;
    m_erstes = true;
    QThread* hier = thread();
    QMetaObject::invokeMethod(m_waechter, [w = m_waechter, hier] { w->Bereitstellen(hier); }, Qt::QueuedConnection);
}

void Serverdienst::Wachen() {
    if (!m_uhr->isActive())
        m_uhr->start();
}

void Serverdienst::Uebernehmen(const QString& name, bool eingerichtet, qint64 prozess, bool vomWaechter) {
    // Statements prepared on a connection that is gone cannot be used again.
    m_schreiber.reset();
    if (name != m_name)
        Loslassen();
    m_name = name;
    m_vomWaechter = vomWaechter;
    m_db = QSqlDatabase::database(m_name, false);
    m_prozess = prozess;
    m_verbunden = true;
    m_jeVerbunden = true;
    m_uhr->start();
    // Without the trigger only Tavero's own writes are told to the other clients.
    if (!eingerichtet)
        emit Zustand(QStringLiteral("Änderungen anderer Programme an Alarmdefs erscheinen erst bei der nächsten Auswahl "
                                    "(tavero --server-einrichten richtet die Benachrichtigung ein)."));
}

void Serverdienst::Loslassen() {
    if (!m_db.isValid()) {
        if (!m_vomWaechter)
            AlarmdefsZugriff::Schliessen(m_name);
        return;
    }
    QSqlDriver* treiber = m_db.driver();
    disconnect(treiber, nullptr, this, nullptr);
    m_db = QSqlDatabase();
    if (!m_vomWaechter) {
        AlarmdefsZugriff::Schliessen(m_name);
        return;
    }
    // Qt's driver deletes its notifier as it closes; a notifier may only be
    // switched off on its own thread, or that thread later serves a freed one.
    treiber->moveToThread(m_faden);
    m_waechter->Zuruecknehmen(m_name);
}

AlarmdefsSchreiber& Serverdienst::Schreiber() {
    // A row read before this write may be answered after it: that answer is stale.
    for (auto it = m_neuester.begin(); it != m_neuester.end(); ++it)
        it.value() = 0;
    if (!m_schreiber)
        m_schreiber = std::make_unique<AlarmdefsSchreiber>(m_db, m_datenbank);
    return *m_schreiber;
}

void Serverdienst::Nachlesen(const QList<qlonglong>& nummern) {
    if (nummern.isEmpty())
        return;
    const quint64 auftrag = ++m_auftrag;
    for (qlonglong n : nummern)
        m_neuester.insert(n, auftrag);
    QMetaObject::invokeMethod(
        m_waechter, [w = m_waechter, auftrag, nummern] { w->Lesen(auftrag, nummern); }, Qt::QueuedConnection);
}

void Serverdienst::Gelesen(quint64 auftrag, const QList<qlonglong>& nummern,
                           const QHash<qlonglong, AlarmListeTyp>& zeilen) {
    QList<qlonglong> gilt, nochmal;
    for (qlonglong n : nummern) {
        const auto it = m_neuester.constFind(n);
        if (it == m_neuester.cend())
            continue;
        if (it.value() == auftrag) {
            gilt << n;
            m_neuester.erase(it);
        } else if (it.value() == 0) {
            nochmal << n;  // read before this client's write: once more
        }
        // else a newer read of it is on its way
    }
    Nachlesen(nochmal);
    if (gilt.isEmpty())
        return;
    QHash<qlonglong, AlarmListeTyp> dazu;
    for (qlonglong n : std::as_const(gilt))
        if (const auto z = zeilen.constFind(n); z != zeilen.cend())
            dazu.insert(n, z.value());
    emit ZeilenNachgelesen(gilt, dazu);
}

void Serverdienst::Gemeldet(const QList<qint64>& prozesse, const QStringList& inhalte) {
    // This client's own writes come back too; it shows them already.
    bool neu = false;
    for (qsizetype i = 0; i < inhalte.size(); ++i) {
        if (prozesse.value(i) == m_prozess && m_prozess > 0)
            continue;
        m_gemeldet << inhalte.at(i);
        neu = true;
    }
    if (neu && !m_sammeln->isActive())
        m_sammeln->start();
}

void Serverdienst::WiederGelauscht() {
    // Before a first connection nothing is shown that a note could concern.
    if (!m_jeVerbunden)
        return;
    if (m_verbunden && !m_unterbrochen)
        emit MeldungenVerpasst();
    else
        m_verpasst = true;  // told once the kept connection stands again
}

bool Serverdienst::Abgerissen(bool nachlesen) const {
    // libpq marks a connection whose server went away once it has read the end
    // of it (a failed statement); asking costs no round trip. After a failed statement what the server sent last is read first,
    // without waiting: a server that ended the connection has closed it by then.
    if (!m_db.isValid())
        return true;
    const std::optional<PGconn*> libpq = PgVerbindung::Von(m_db);
    if (!libpq)
        return false;
    PGconn* verbindung = *libpq;
    if (!verbindung)
        return true;
    if (nachlesen && PQstatus(verbindung) == CONNECTION_OK && PQconsumeInput(verbindung) &&
        PQstatus(verbindung) == CONNECTION_OK)
        return false;
    return PQstatus(verbindung) == CONNECTION_BAD;
}

void Serverdienst::NachFehler() {
    // A write was refused: where libpq has not seen the connection end, one
    // short statement tells (a server that ended the connection may not have
    // closed its end yet). It follows the refused write's answer, so the server
    // answers; only a server that stops in between could hold it.
    if (!m_verbunden || (!Abgerissen(true) && QSqlQuery(m_db).exec(QStringLiteral("select 1"))))
        return;
    m_verbunden = false;
    m_unterbrochen = true;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                "aufgebaut.")
                     .arg(m_datenbank));
    Erneuern();
}

void Serverdienst::Erneuern() {
    if (m_erneuern)
        return;
    m_erneuern = true;
    m_unterbrochen = true;
    QThread* hier = thread();
    QMetaObject::invokeMethod(m_waechter, [w = m_waechter, hier] { w->Bereitstellen(hier); }, Qt::QueuedConnection);
}

void Serverdienst::Bereitgestellt(const QString& name, bool eingerichtet, qint64 prozess, const QString&,
                                  const QString&) {
    m_erneuern = false;
    const bool erstes = std::exchange(m_erstes, false);
    if (name.isEmpty()) {
        // still away: the next check (or write) tries again, the note stands
        if (erstes && !m_jeVerbunden) {
            m_ersterFehlt = true;
            Wachen();
        }
        return;
    }
    if (erstes && m_jeVerbunden) {
        // A write opened one meanwhile: this one goes back unused.
        QSqlDriver* treiber = QSqlDatabase::database(name, false).driver();
        treiber->moveToThread(m_faden);
        m_waechter->Zuruecknehmen(name);
        return;
    }
    Uebernehmen(name, eingerichtet, prozess, true);
    if (erstes) {
        m_verpasst = false;
        // A server found away by the check before it: said to stand now.
        if (std::exchange(m_unterbrochen, false))
            emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 steht wieder.").arg(m_datenbank));
        // Notes heard by a check's connection before this one stood are handed on too.
        if (!m_gemeldet.isEmpty() && !m_sammeln->isActive())
            m_sammeln->start();
        emit ErsteVerbindung();
        return;
    }
    Wiederda(true);
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
    const qint64 prozess = m_db.isValid() ? m_prozess : 0;
    QMetaObject::invokeMethod(m_waechter, [w = m_waechter, prozess] { w->Pruefen(prozess); }, Qt::QueuedConnection);
}

void Serverdienst::Unterbrochen(const QString& text) {
    m_verbunden = false;
    if (m_unterbrochen && !m_still)
        return;  // said once
    m_unterbrochen = true;
    emit Zustand(text);
}

void Serverdienst::Antwort(bool steht, bool keptSteht) {
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
    if (m_erneuern)
        return;
    if (!m_jeVerbunden) {
        // The first connection could not be opened: now that the server answers, once more.
        if (std::exchange(m_ersterFehlt, false))
            Anstossen();
        return;
    }
    // The server answers the watcher, and the watcher sees the kept connection's
    // server process (a server may end only that one).
    const bool kept = keptSteht && !Abgerissen();
    if (m_verbunden && kept)
        return;
    if (kept) {
        // Only silent for a while: the connection and its listening stood throughout.
        Wiederda(false);
        return;
    }
    if (m_verbunden) {
        m_verbunden = false;
        m_unterbrochen = true;
        emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                    "aufgebaut.")
                         .arg(m_datenbank));
    }
    Erneuern();
}

void Serverdienst::Wiederda(bool neu) {
    m_verbunden = true;
    const bool verpasst = std::exchange(m_verpasst, false);
    if (!m_gemeldet.isEmpty() && !m_sammeln->isActive())
        m_sammeln->start();
    if (!m_unterbrochen) {
        if (verpasst)
            emit MeldungenVerpasst();
        return;
    }
    m_unterbrochen = false;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 steht wieder.").arg(m_datenbank));
    // A new connection may have missed notes meanwhile: what is shown is read afresh.
    if (neu)
        emit WiederVerbunden();
    else if (verpasst)
        emit MeldungenVerpasst();
}
