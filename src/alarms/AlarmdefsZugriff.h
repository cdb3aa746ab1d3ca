#pragma once
// All direct access to the table Alarmdefs, and the one way every write goes.
// Each call on a path opens its own uniquely named connection and closes it
// again. Reading errors (missing or locked file, no table, rejected statement,
// missing Access driver) are thrown as AlarmdefsFehler with a German text
// naming the file; a write reports what became of it in its result.
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

#include "alarms/AlarmRecord.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibergebnis.h"

class QSqlDatabase;
class QSqlRecord;
class Datenbankadresse;

class AlarmdefsFehler : public std::runtime_error {
public:
    explicit AlarmdefsFehler(const QString& text, const QString& detail = {});
    QString Text() const;
    QString Detail() const { return m_detail; }

private:
    QString m_detail;
};

class AlarmdefsZugriff {
public:
    // The alarm list of a picture in snapshot order; nullopt when no row has that
    // Form (the caller then keeps its previous list).
    static std::optional<AlarmListeTyp> AlarmListeLesen(const QString& sDatenbank, const QString& sForm);
    // The same on a connection that is open already (the data service's own through ODBC).
    static std::optional<AlarmListeTyp> AlarmListeLesen(QSqlDatabase& db, const QString& sDatenbank, const QString& sForm);

    // Writes the columns of one row inside a transaction, and only while the row
    // still holds what the caller read of it. Of several rows with that alarm
    // number the first that holds those values is written, never more than one.
    static Schreibergebnis Schreiben(const QString& sDatenbank, const Schreibauftrag& auftrag);
    // The same on a connection that is open already (the grid's own).
    static Schreibergebnis Schreiben(QSqlDatabase& db, const QString& sDatenbank, const Schreibauftrag& auftrag);
    // Several rows in one transaction: all of them, or none.
    static Sammelergebnis SchreibenAlle(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege);
    static Sammelergebnis SchreibenAlle(QSqlDatabase& db, const QString& sDatenbank,
                                        const QList<Schreibauftrag>& auftraege);
    // The rows carrying these alarm numbers, as records by number; a number
    // without rows is missing, as are all when unreadable.
    static QHash<qlonglong, AlarmListeTyp> ZeilenLesen(QSqlDatabase& db, const QList<qlonglong>& idents);

    // A cell value as the column stores it: numbers as whole numbers, an empty
    // text as NULL, texts at most 255 characters. A German reason when refused.
    static std::optional<QString> WertPruefen(int spalte, const QVariant& wert, QVariant* gespeichert);
    static bool IstZahlenSpalte(int spalte);
    static int SpaltenBreite(int spalte);  // 11 or 255 characters
    // An arrow position as stored: whole pixels, a decimal comma accepted, empty
    // text as NULL; nullopt when it is no number that fits.
    static std::optional<QVariant> Position(const QString& s);

    // A column or table name as the statements quote it.
    static QString SpaltenName(const QSqlDatabase& db, const QString& name);
    // Alarms with a picture but no position: X or Y NULL or, where the engine
    // can compare texts (SQLite, PostgreSQL), blank, as imported tables hold them.
    static QString OhnePositionBedingung(const QString& form, const QString& x, const QString& y, bool texteVergleichen);
    static QString OhnePositionBedingung(const QSqlDatabase& db);
    static bool TexteVergleichbar(const QSqlDatabase& db);
    static QString Tabelle(const QSqlDatabase& db);
    // The 18 columns by name, so a table with its columns in another order
    // still gives each value its place in the record.
    static QString SpaltenListe(const QSqlDatabase& db);
    // An alarm number: a whole number, blanks around it allowed.
    static std::optional<qlonglong> Alarmnummer(const QString& s);
    // The columns of the 18 this program needs that the table lacks (names
    // compared without regard to case); all 18 when there is no table.
    static QStringList FehlendeSpalten(const QSqlDatabase& db);
    // The same of the columns already read.
    static QStringList FehlendeSpalten(const QSqlRecord& rec);

    // Opens a connection of the right backend (SQLite by the file's first bytes,
    // Jet/ACE through ODBC, PostgreSQL for a server's address or a link file)
    // under the given connection name; throws AlarmdefsFehler.
    // Used by the bound view of the selection window, which keeps it open.
    static QSqlDatabase Oeffnen(const QString& sDatenbank, const QString& sVerbindungsName);
    // The same for an address resolved before (the data service resolves its own once).
    static QSqlDatabase Oeffnen(const Datenbankadresse& adresse, const QString& sDatenbank,
                                const QString& sVerbindungsName);
    // The ODBC connection of an Access file, and an ODBC connection opened by
    // its connection string (an Access file, or any ODBC source standing in for one).
    static QString AccessVerbindung(const QString& pfad);
    // The ODBC connection added under that name but not opened (throws when there is no ODBC driver).
    static QSqlDatabase OdbcVorlage(const QString& verbindung, const QString& sDatenbank, const QString& sVerbindungsName);
    static QSqlDatabase OdbcOeffnen(const QString& verbindung, const QString& sDatenbank, const QString& sVerbindungsName);
    static bool IstAccessDatei(const QString& sDatenbank);
    // Whether the file (Windows or POSIX form) is an SQLite database, which
    // the readers of many rows reach through the SQLite library itself.
    static bool IstSqliteDatei(const QString& sDatenbank);
    // How long an SQLite connection waits for another program's lock before it fails.
    static constexpr int WarteAufSperreMs = 2000;
    // How long a connection waits for a server that does not answer.
    static constexpr int ServerWartezeitS = 5;
    // The notification a server sends with each written row's alarm number.
    static constexpr const char* Benachrichtigung = "tavero_alarmdefs";
    static void Schliessen(const QString& sVerbindungsName);
};
