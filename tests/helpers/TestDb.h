#pragma once
// Statements on an SQLite file beside the program, on a connection of the
// test's own that is closed again at the end, and the table Alarmdefs as stored.
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class TestDb {
public:
    explicit TestDb(const QString& pfad);
    ~TestDb();
    bool ok() const { return m_ok; }
    QSqlDatabase db() const;
    // Runs one statement with bound values; false (and a warning) when refused.
    bool Ausfuehren(const QString& sql, const QVariantList& werte = {});
    // All rows of Alarmdefs in file order, every column as stored (type and NULL kept).
    QList<QVariantList> Tabelle();
    // The rows a query gives, every column as stored.
    QList<QVariantList> Abfrage(const QString& sql, const QVariantList& werte = {});
    // The first value a query gives, as text; "<Fehler>" where it gives none.
    QString Text(const QString& sql);

    // The 18 columns of Alarmdefs with the types the HMI project's tables have.
    static const char* const Spalten;

private:
    QString m_name;
    bool m_ok = false;
};
