#include "helpers/TestDb.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
int g_zaehler = 0;
}

const char* const TestDb::Spalten =
    "\"Ident\" INTEGER, \"Type\" INTEGER, \"Acknowledge\" INTEGER, \"VarName\" VARCHAR(255), \"BitNo\" INTEGER, "
    "\"Min\" VARCHAR(255), \"Max\" VARCHAR(255), \"Priority\" INTEGER, \"Group\" INTEGER, \"Helpindex\" INTEGER, "
    "\"Alarmtext\" VARCHAR(255), \"Form\" VARCHAR(255), \"Symbol\" VARCHAR(255), \"X\" INTEGER, \"Y\" INTEGER, "
    "\"Sensor1\" INTEGER, \"Sensor2\" INTEGER, \"Fault\" INTEGER";

TestDb::TestDb(const QString& pfad) : m_name(QStringLiteral("testdb-%1").arg(++g_zaehler)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(pfad);
    m_ok = db.open();
}

TestDb::~TestDb() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase TestDb::db() const { return QSqlDatabase::database(m_name, false); }

bool TestDb::Ausfuehren(const QString& sql, const QVariantList& werte) {
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant& v : werte)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning() << sql << q.lastError().text();
        return false;
    }
    return m_ok;
}

QList<QVariantList> TestDb::Tabelle() { return Abfrage(QStringLiteral("select * from Alarmdefs order by rowid")); }

QList<QVariantList> TestDb::Abfrage(const QString& sql, const QVariantList& werte) {
    QList<QVariantList> zeilen;
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant& v : werte)
        q.addBindValue(v);
    if (!q.exec())
        qWarning() << sql << q.lastError().text();
    while (q.next()) {
        QVariantList z;
        for (int i = 0; i < q.record().count(); ++i)
            z << q.value(i);
        zeilen << z;
    }
    return zeilen;
}

QString TestDb::Text(const QString& sql) {
    QSqlQuery q(db());
    return q.exec(sql) && q.next() ? q.value(0).toString() : QStringLiteral("<Fehler>");
}
