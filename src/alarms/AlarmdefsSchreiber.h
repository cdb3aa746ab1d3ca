#pragma once
// Writes rows of Alarmdefs inside one transaction on an open connection: each
// row only while it still holds what was read of it, never more than one row
// per write. The statements are prepared once for many rows (an import).
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <memory>
#include <optional>

#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"

class PgAnweisung;

class AlarmdefsSchreiber {
public:
    AlarmdefsSchreiber(QSqlDatabase& db, const QString& sDatenbank);
    ~AlarmdefsSchreiber();  // an open transaction is rolled back

    // One row in a transaction of its own (on a server: one statement, and a
    // second only where the first wrote nothing).
    Schreibergebnis Einzeln(const Schreibauftrag& auftrag);
    // Several rows in one transaction: all of them, or none.
    // Where the engine has a row key (SQLite), each row (named by its key, or
    // by the one row of its number) is read, checked and written by a prepared
    // conditional statement in turn, in the order of the keys.
    Sammelergebnis Alle(const QList<Schreibauftrag>& auftraege) { return Alle(auftraege, true); }
    // The same, each row read and written by statements of its own (what a
    // batch the one statement cannot take falls back to; the bench's measure).
    Sammelergebnis AlleZeilenweise(const QList<Schreibauftrag>& auftraege) { return Alle(auftraege, false); }

    // Takes the write lock (SQLite: at once, waiting for another program's lock
    // as long as the connection's busy time-out says); a refusal when it cannot.
    std::optional<Schreibergebnis> Beginnen();
    // One row inside the transaction; nothing is committed yet.
    Schreibergebnis Zeile(const Schreibauftrag& auftrag);
    // Commits; a refusal when the database does not take it (then nothing is written).
    std::optional<Schreibergebnis> Abschliessen();
    void Verwerfen();

    // PostgreSQL writes each row in one statement that needs no transaction of its own.
    bool BrauchtTransaktion() const { return m_db.driverName() != QLatin1String("QPSQL"); }

private:
    Sammelergebnis Alle(const QList<Schreibauftrag>& auftraege, bool menge);
    // A row that carried the alarm number, as it stood before the write.
    struct Gelesen {
        QVariant schluessel;
        QVariantList werte;
        bool getroffen = false;  // the one written
    };
    // What became of the write: no such row, none written (the first row shows
    // what it holds now), or ziel written with the new values.
    Schreibergebnis Ergebnis(const QString& nummer, const Schreibauftrag& auftrag, const QVariantList& neu,
                             const QList<Gelesen>& zeilen, const Gelesen* ziel) const;
    Schreibergebnis Abbrechen(const QSqlError& fehler);
    // Each key of the batch that no longer names its alarm's row replaced by
    // that row's key (or none); a refusal when the table cannot be read.
    std::optional<Schreibergebnis> SchluesselNachschlagen(QList<Schreibauftrag>& auftraege);
    // SQLite: each row read by its key (or as the one row of its number)
    // through the library itself, checked here as Zeile() checks each and
    // written by a prepared conditional statement bound with the values as
    // read. Zeilenweise when some write needs Zeile() (a row not found,
    // several of one number, changed, a value it does not bind as the driver
    // does, a key twice): then what was written is undone to where the batch
    // began, and the batch goes row by row.
    enum class Menge { Fertig, Zeilenweise, Fehler };
    Menge MengeSchreiben(const QList<Schreibauftrag>& auftraege, Sammelergebnis& s, Schreibergebnis& fehler);
    Schreibergebnis ZeilePostgres(const Schreibauftrag& auftrag, qlonglong ident, const QVariantList& neu);
    QSqlQuery* Vorbereitet(const QString& sql);
    // A server statement through libpq where it can (the values as parameters,
    // not as literals), else prepared through Qt; false, with the reason in
    // m_letzterFehler, where neither can be had.
    bool Anweisung(const QString& sql, PgAnweisung*& pg, QSqlQuery*& q);
    const QString& LeseSql(bool nachSchluessel);
    const QString& SchreibSql(const QList<int>& spalten);

    QSqlDatabase& m_db;
    QString m_datenbank;
    QString m_schluessel;  // the engine's own row key, empty where it has none
    bool m_offen = false;
    QHash<QString, std::shared_ptr<QSqlQuery>> m_anweisungen;
    // The statements' texts, made once: an import writes a hundred thousand rows.
    QString m_identSpalte;
    QString m_leseSql[2];
    QHash<QList<int>, QString> m_schreibSql;
    QHash<QList<int>, QString> m_postgresSql;  // by the columns written and those compared
    const QString& PostgresSql(const QList<int>& spalten, const QList<int>& pruefen, bool alle);
    // The one row of its number written where it holds the compared columns as
    // read; no row returned where that is not so.
    const QString& EinzeilenSql(const QList<int>& spalten, const QList<int>& pruefen);
    QSqlError m_letzterFehler;
};
