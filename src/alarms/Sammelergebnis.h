#pragma once
// What became of several rows written in one transaction: all of them, or
// none when one could not be written (that one says why).
#include <QList>
#include <QString>

#include "alarms/Schreibergebnis.h"

struct Sammelergebnis {
    bool geschrieben = false;
    int abgelehnt = -1;             // the write that stopped the others; -1 when all went through
    QList<Schreibergebnis> zeilen;  // one per write, up to the one that stopped them
    QString text;                   // German, empty when written
    QString detail;

    // Stopped because a row no longer held what was read, or was gone: someone
    // else changed the table meanwhile, which is a refusal, not a fault.
    static bool WegenAenderung(const Sammelergebnis& e) {
        if (e.geschrieben || e.abgelehnt < 0 || e.abgelehnt >= e.zeilen.size())
            return false;
        const Schreibergebnis::Art art = e.zeilen.at(e.abgelehnt).art;
        return art == Schreibergebnis::Art::Geaendert || art == Schreibergebnis::Art::KeinAlarm;
    }
};
