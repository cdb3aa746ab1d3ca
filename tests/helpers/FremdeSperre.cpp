#include "helpers/FremdeSperre.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

FremdeSperre::FremdeSperre(const QString& pfad) : m_pfad(pfad) {
    m_p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), pfad});
    m_p.waitForStarted();
    // waits for readers of this program that are on the file at that moment
    m_p.write(".timeout 5000\nbegin exclusive;\n");
    QTRY_VERIFY_WITH_TIMEOUT(!Lesbar(), 10000);
}

FremdeSperre::~FremdeSperre() { Freigeben(); }

void FremdeSperre::Freigeben() {
    if (m_p.state() == QProcess::NotRunning)
        return;
    m_p.write("rollback;\n");
    m_p.closeWriteChannel();
    m_p.waitForFinished(10000);
}

bool FremdeSperre::Lesbar() const {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sperrprobe"));
        db.setDatabaseName(m_pfad);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QSqlQuery q(db);
        ok = db.open() && q.exec(QStringLiteral("select count(*) from Alarmdefs")) && q.next();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sperrprobe"));
    return ok;
}
