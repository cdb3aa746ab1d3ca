#pragma once
// Compares the alarm table of this database with another one, optionally with
// the earlier state both were copied from. Alarms are matched by their number.
// SQLite files are compared by queries over one connection with the others
// ATTACHed read-only, which hand over only the rows that differ; servers and
// ODBC files are read in one pass each through Qt's drivers, the sides at the
// same time. The comparison reads only and writes nothing.
#include <QString>
#include <atomic>
#include <functional>
#include <stdexcept>

#include "werkzeuge/Vergleichsergebnis.h"

class Vergleich {
public:
    struct Angaben {
        QString hier;   // this database (file path, link file or server address)
        QString dort;   // the other one
        QString basis;  // the earlier state, empty for a two-way comparison
        // Every row of each side read and matched here, also where all are
        // SQLite files (which are otherwise compared by queries over one connection).
        bool zeilenweise = false;
    };
    // Thrown when the comparison was stopped; nothing was written.
    struct Abgebrochen : std::runtime_error {
        Abgebrochen() : std::runtime_error("abgebrochen") {}
    };
    // Progress in percent with a German note of the step.
    using Fortschritt = std::function<void(int prozent, const QString& schritt)>;

    // Throws AlarmdefsFehler (a database that cannot be read, missing columns,
    // the same database twice) with a German text, Abgebrochen when abbrechen is set.
    static Vergleichsergebnis Vergleichen(const Angaben& angaben, const std::atomic<bool>* abbrechen = nullptr,
                                          const Fortschritt& fortschritt = {});
    // The other columns that differ on these lines, named from the full rows
    // of both sides (only lines whose other columns differ are looked at).
    static void AndereSpaltenBenennen(Vergleichsergebnis& ergebnis);
};
