#pragma once
// What became of one write into Alarmdefs. Every caller shows it: the screen
// never keeps a value the file does not hold.
#include <QList>
#include <QString>
#include <QVariant>

#include "alarms/AlarmRecord.h"

struct Schreibergebnis {
    enum class Art {
        Geschrieben,  // the row holds the new values
        KeinAlarm,    // no row carries that alarm number
        Geaendert,    // the row no longer holds what was read; zeile has what it holds now
        Abgelehnt     // the database refused; text says why
    };
    Art art = Art::Abgelehnt;
    QString ident;    // the alarm number the write was for
    QString text;     // German, for the user; empty when written
    QString detail;   // the database engine's own words
    AlarmRecord zeile;          // the row as it is now (Geschrieben, Geaendert)
    QList<int> spalten;         // the written columns
    QVariantList vorher;        // their values before the write, as stored
    QVariantList nachher;       // their values after it
    QVariant schluessel;        // the written row's own key
    int gleicheNummern = 0;     // rows carrying that alarm number (more than one: not unique)

    bool geschrieben() const { return art == Art::Geschrieben; }
    // A write the database (or a check before it) refused.
    static Schreibergebnis Abgelehnt(const QString& text, const QString& detail = {}) {
        Schreibergebnis e;
        e.text = text;
        e.detail = detail;
        return e;
    }
};
