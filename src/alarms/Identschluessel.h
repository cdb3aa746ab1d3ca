#pragma once
// How the rows of a server's Alarmdefs are told apart and ordered: by their
// alarm number, the Ident, whatever type the table gives that column. A table
// another client made may hold the number as integer, bigint, numeric(p,0) or
// as text of digits; the grid orders its rows by the number in each case and
// reads them by the column as the table holds it, so an index on it serves.
// A column whose values are no whole numbers cannot key the grid: that is said
// in German instead of showing an empty grid.
#include <QString>
#include <utility>

class QSqlDatabase;

class Identschluessel {
public:
    // The expression that orders the rows and that the grid's keys are read
    // from (whole numbers); by default the column itself.
    QString ausdruck;
    // Empty while the column can key the grid; else why not (German).
    QString abgelehnt;
    // Nobody asked the server yet (a connection not open).
    bool bekannt = false;

    bool Brauchbar() const { return bekannt && abgelehnt.isEmpty(); }

    // Asks the server what type the column has and, where it may hold other
    // than whole numbers, whether it does. One round trip for a table of whole
    // number columns; a text or decimal column is read through once more.
    // sDatenbank names the database in the German reason.
    static Identschluessel Beschreiben(const QSqlDatabase& db, const QString& sDatenbank);
    // A file's rows are told apart by their rowid: a table made without one
    // (WITHOUT ROWID) is refused in German rather than shown as an empty grid.
    static Identschluessel DateiBeschreiben(const QSqlDatabase& db, const QString& sDatenbank);
    // The comparison that picks rows by a list of alarm numbers ("1,2,3"),
    // which the server reads as values of the column's own type.
    static QString InListe(const QString& spalte, const QString& liste);
    // The same in two parts, the list to go between them.
    static std::pair<QString, QString> InListeRahmen(const QString& spalte);
    // The alarm number a value of the key expression or of the column gives
    // (a number, a decimal number with nothing after the point, digits as text).
    static qint64 Nummer(const QVariant& wert);
};
