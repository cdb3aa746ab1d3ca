#pragma once
// All direct access to the table Alarmdefs. Each call opens its own uniquely
// named connection and closes it again. Errors (missing or locked file, no
// table, rejected statement, missing Access driver) are thrown as
// AlarmdefsFehler with a German text naming the file; callers that run in a
// skip-and-continue mode catch it per step.
#include <QString>
#include <optional>
#include <stdexcept>

#include "alarms/AlarmRecord.h"

class QSqlDatabase;

class AlarmdefsFehler : public std::runtime_error {
public:
    explicit AlarmdefsFehler(const QString& text);
    QString Text() const;
};

class AlarmdefsZugriff {
public:
    // The alarm list of a picture in snapshot order; nullopt when no row has that
    // Form (the caller then keeps its previous list).
    static std::optional<AlarmListeTyp> AlarmListeLesen(const QString& sDatenbank, const QString& sForm);

    // Writes Form, Symbol, X, Y of the row with that Ident, nothing else; without
    // sForm the row keeps its picture.
    // sIdent must be a whole number (else AlarmdefsFehler, before any statement);
    // X and Y must be numbers or empty. Returns false when no row matches.
    static bool PfeilSchreiben(const QString& sDatenbank, const QString& sIdent,
                               const std::optional<QString>& sForm, const QString& sSymbol,
                               const QString& sX, const QString& sY);

    // Opens a connection of the right backend (SQLite by the file's first bytes,
    // Jet/ACE through ODBC) under the given connection name; throws AlarmdefsFehler.
    // Used by the bound view of the selection window, which keeps it open.
    static QSqlDatabase Oeffnen(const QString& sDatenbank, const QString& sVerbindungsName);
    // How long an SQLite connection waits for another program's lock before it fails.
    static constexpr int WarteAufSperreMs = 2000;
    static void Schliessen(const QString& sVerbindungsName);
};
