#pragma once
// The trigger by which a server tells every client of each change of Alarmdefs,
// also of changes made by other programs (psql, an HMI tool, a copy that
// replaces the table). Tavero's own writes send the same notification
// themselves; the trigger is what makes other programs' changes show.
#include <QString>

class QSqlDatabase;

class ServerMeldungen {
public:
    // Adds (or renews) the trigger on the table Alarmdefs of an open server
    // connection, inside the caller's transaction if one is open; false and a
    // German reason when the server refuses.
    static bool Einrichten(QSqlDatabase& db, QString* fehler);
    // Whether the table has that trigger.
    static bool Eingerichtet(QSqlDatabase& db);
    // What Einrichten changes, for the user who is asked first.
    static QString Beschreibung(const QSqlDatabase& db);
    // The notification a change by another program carries where no single
    // alarm number names it (the table was emptied).
    static constexpr const char* Alle = "*";
};
