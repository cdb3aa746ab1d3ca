#pragma once
// What a comparison of two alarm tables found: one line per alarm that differs,
// grouped by kind, with this side's, the other side's and (three-way) the
// earlier state's values. Only placements (Form, Symbol, X, Y) are offered for
// taking over; rows are never added or removed, other columns are information.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "alarms/AlarmRecord.h"

struct Vergleichszeile {
    // In the order the groups are listed.
    enum class Art {
        Konflikt,           // both sides changed the same placement differently
        AnderesBild,        // Form
        AnderesSymbol,
        Verschoben,         // X/Y
        PositionGesetzt,    // the other side has a position, this side none
        PositionGeloescht,  // this side has a position, the other side none
        NurHierGeaendert,   // changed here since the earlier state: kept
        AndereSpalten,      // other columns differ: shown, not merged
        NurHier,
        NurDort,
        NichtEindeutig      // a number several rows carry on one side: never merged
    };
    static constexpr int ArtAnzahl = 11;

    Art art = Art::AndereSpalten;
    qlonglong nummer = 0;
    QString ident;
    AlarmRecord hier;    // record form: Ident, Form, Symbol (file name), X, Y; empty when absent
    AlarmRecord dort;
    AlarmRecord basis;   // empty without an earlier state or when the alarm was not in it
    QString dortSymbol;  // the other side's Symbol as stored, which a take-over writes
    QList<int> spalten;  // the placement columns a take-over writes (empty: nothing offered)
    QList<int> konfliktSpalten;
    QStringList andereSpalten;  // names of the other columns that differ
    QString hinweis;            // e.g. how many rows carry the number
    // This side's row key (SQLite rowid) where the files were compared by
    // query: a take-over finds its row by it instead of searching the number,
    // which on a table without an index on Ident would pass the table once a row.
    QVariant schluesselHier;

    bool Uebernehmbar() const { return !spalten.isEmpty() && art != Art::Konflikt; }
    QString Form() const { return hier.value(AlarmFeld::Form).isEmpty() ? dort.value(AlarmFeld::Form) : hier.value(AlarmFeld::Form); }
    // German, one line: "Alarm 12: X 10 → 20, Y 5 → 6".
    QString Text() const;
    static QString ArtName(Art art);
};

class Vergleichsergebnis {
public:
    Vergleichsergebnis() = default;
    Vergleichsergebnis(const Vergleichsergebnis&) = default;
    Vergleichsergebnis(Vergleichsergebnis&&) noexcept = default;
    Vergleichsergebnis& operator=(const Vergleichsergebnis&) = default;
    Vergleichsergebnis& operator=(Vergleichsergebnis&&) noexcept = default;
    // A long list is freed on a worker: a hundred thousand lines take tens of
    // milliseconds to free, which the window's thread need not wait for.
    ~Vergleichsergebnis();
    // Waits until the lists handed to the worker are freed.
    static void FreigabeAbwarten();

    QString hier, dort, basis;  // the databases as the user named them
    QList<Vergleichszeile> zeilen;
    qsizetype zeilenHier = 0, zeilenDort = 0, zeilenBasis = 0;

    bool DreiWege() const { return !basis.isEmpty(); }
    bool Gleich() const { return zeilen.isEmpty(); }
    qsizetype Anzahl(Vergleichszeile::Art art) const;
    qsizetype Uebernehmbar() const;
    // German: the groups with their counts, then every line of each group.
    QString Text() const;
    // The lines for a spreadsheet: Art; Ident; Form, Symbol, X, Y here, there
    // and before; other columns; note. UTF-8 with mark, ';', CRLF.
    QByteArray Csv() const;
};
