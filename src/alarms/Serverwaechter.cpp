#include "alarms/Serverwaechter.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "alarms/AlarmdefsZugriff.h"

namespace {
QAtomicInteger<int> g_waechter;
}

Serverwaechter::Serverwaechter(const QString& sDatenbank)
    : m_datenbank(sDatenbank), m_name(QStringLiteral("tavero-waechter-%1").arg(g_waechter.fetchAndAddRelaxed(1))) {}

Serverwaechter::~Serverwaechter() {
    if (m_offen)
        AlarmdefsZugriff::Schliessen(m_name);
}

void Serverwaechter::Pruefen() {
    if (m_offen) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (QSqlQuery(db).exec(QStringLiteral("select 1"))) {
            emit Antwort(true);
            return;
        }
        AlarmdefsZugriff::Schliessen(m_name);
        m_offen = false;
    }
    try {
        AlarmdefsZugriff::Oeffnen(m_datenbank, m_name);
        m_offen = true;
    } catch (const AlarmdefsFehler&) {
        // the server is away: said by the answer; the next check tries again
    }
    emit Antwort(m_offen);
}
