#pragma once
// The comparison of SQLite files as queries over one connection: this side
// opened read-only, the others ATTACHed read-only, and only the rows that
// differ (or belong to one side alone, or share their number with another
// row) handed over. Rows equal on both sides never reach the comparison, which
// lists nothing for them either, so the list is the same as from reading every row.
#include <QStringList>
#include <functional>

#include "werkzeuge/Vergleich.h"

struct Vergleichsseite;

class VergleichSql {
public:
    // Fills one side per name (this side, the other, the earlier state) with
    // the rows the comparison needs and each side's row count. Returns false,
    // having read nothing, where the files do not suit (an alarm number stored
    // otherwise than as a whole number or its plain text, a table without
    // rowid): the caller then reads every row. Throws AlarmdefsFehler,
    // Vergleich::Abgebrochen when halten says so.
    static bool Lesen(const QStringList& namen, const std::function<bool()>& halten,
                      const Vergleich::Fortschritt& melden, Vergleichsseite* seiten);
};
