#pragma once
// What a refusal of the alarm database means for the user, in German: the
// cases a user meets (a lock held by another program, a read-only file, a full
// disk, no table Alarmdefs, a missing column, a file that is no database). The
// engine's own words stay available as the detail.
#include <QString>

class QSqlError;

class DatenbankFehler {
public:
    struct Meldung {
        QString text;    // one German sentence naming the file
        QString detail;  // the engine's text
    };
    static Meldung Deuten(const QSqlError& fehler, const QString& sDatenbank);
};
