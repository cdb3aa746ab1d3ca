#include "alarms/Serverdienst.h"

#include <QAtomicInteger>
#include <QSqlQuery>
#include <QTimer>
#include <algorithm>

#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"

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
}

Serverdienst::~Serverdienst() {
    m_schreiber.reset();
    m_db = QSqlDatabase();
    AlarmdefsZugriff::Schliessen(m_name);
}

bool Serverdienst::Verbinden(QString* grund, QString* detail) {
    if (m_verbunden)
        return true;
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
    m_versuche = m_warten = 0;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                "aufgebaut.")
                     .arg(m_datenbank));
}

void Serverdienst::Pruefen() {
    if (m_verbunden && QSqlQuery(m_db).exec(QStringLiteral("select 1")))
        return;
    m_verbunden = false;
    if (!m_unterbrochen) {
        m_unterbrochen = true;
        m_versuche = 0;
        m_warten = 0;
        emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen; sie wird wieder "
                                    "aufgebaut. Bis dahin wird nichts geschrieben.")
                         .arg(m_datenbank));
    }
    // A server that stays away is asked less and less often: each try may wait
    // for its answer.
    if (m_warten-- > 0)
        return;
    m_warten = (1 << std::min(m_versuche++, 4)) - 1;
    if (!Verbinden())
        return;
    m_unterbrochen = false;
    emit Zustand(QStringLiteral("Die Verbindung zum Datenbankserver von %1 steht wieder.").arg(m_datenbank));
    emit WiederVerbunden();
}
