#pragma once
// A statement prepared once on the libpq connection behind a connection of
// Qt's PostgreSQL driver and run with its values as parameters of the
// protocol: an arrow write sends some twenty values, which the driver would
// spell out as literals in an EXECUTE the server parses again every time.
// Only for statements whose result columns the driver would give as numbers,
// truth values or text; the values come back as the driver gives them.
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include <libpq-fe.h>

class QSqlDatabase;

class PgAnweisung {
public:
    ~PgAnweisung();
    PgAnweisung(const PgAnweisung&) = delete;
    PgAnweisung& operator=(const PgAnweisung&) = delete;

    // sql (positional ? placeholders) prepared on db's libpq connection, once
    // for as long as that connection stands (the statements stay with its
    // driver: a writer made for one write prepares nothing again). None without
    // an error where the driver's own way is to be taken (no libpq connection
    // at hand, or a result column of another kind); none with an error where
    // the server refused it.
    static PgAnweisung* Fuer(const QSqlDatabase& db, const QString& sql, QSqlError* fehler);

    // Runs the statement with these values; false with the server's error.
    bool Ausfuehren(const QVariantList& werte, QSqlError* fehler);
    int Zeilen() const;
    QVariant Wert(int zeile, int spalte) const;

private:
    PgAnweisung(const QSqlDatabase& db, PGconn* verbindung, QByteArray name);
    static std::unique_ptr<PgAnweisung> Vorbereiten(const QSqlDatabase& db, PGconn* c, const QString& sql,
                                                    QSqlError* fehler);
    void Freigeben();

    QObject* m_treiber = nullptr;  // the driver, told to hand on the notes this read brings
    PGconn* m_verbindung = nullptr;
    QByteArray m_name;
    QByteArray m_sql;  // as prepared, for preparing it again
    PGresult* m_ergebnis = nullptr;
    QList<int> m_typen;  // Qt's type of each result column
};
