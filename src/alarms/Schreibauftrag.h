#pragma once
// One write into Alarmdefs: which row, which columns, the new values, and the
// row as this program last read it. The row is written only while it still
// holds what was read, so nobody's change is overwritten unseen.
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "alarms/AlarmRecord.h"

struct Schreibauftrag {
    QString ident;          // the alarm number, as a record or a tag carries it
    QVariant zeile;         // the grid's own key of the row (SQLite rowid); invalid: the row of that number
    QList<int> spalten;     // column positions 0..17
    QVariantList werte;     // one per column; a null value empties the cell
    // The row as last read; compared on the written columns as a record shows
    // them. Without it the row is written as it is.
    std::optional<AlarmRecord> gelesen;
    // Values this program read from the row itself (an undo): they are written
    // back as they were stored, also where a typed value would be refused
    // (a position "120,5" kept from an older tool).
    bool wiederherstellen = false;
};
