#pragma once
// Finding alarms in the whole table: a whole number finds the alarm with that
// Ident; any other text the alarms whose VarName or Alarmtext contains it,
// without regard to case and tolerant of umlauts: "rueckmeldung",
// "ruckmeldung" and "Rückmeldung" all find "Rückmeldung", "strasse" finds
// "Straße". Nothing is ever written.
#include <QList>
#include <QString>
#include <QStringView>

class Suche {
public:
    // The order the matches come in: the grid's, so that Enter steps through
    // them top to bottom. No column: table order (the grid unsorted).
    struct Reihenfolge {
        QString spalte;  // the column's name as the table has it
        bool text = false;  // a text column sorts in German order
        Qt::SortOrder ordnung = Qt::AscendingOrder;
    };

    // The alarm numbers found, in that order. Throws AlarmdefsFehler when the
    // database cannot be read.
    static QList<qlonglong> Finden(const QString& sDatenbank, const QString& text, const Reihenfolge& reihe);
    static QList<qlonglong> Finden(const QString& sDatenbank, const QString& text) {
        return Finden(sDatenbank, text, Reihenfolge());
    }
    // The text as the search compares it: lower case, base letters (ü → u), ß as ss.
    static QString Falten(QStringView text);
    // A folded text with "ae", "oe", "ue" written as the umlaut's base letter,
    // the way a keyboard without umlauts spells them.
    static QString OhneUmschreibung(QStringView gefaltet);
    // Whether text contains the folded needle in either of the two spellings.
    static bool Enthaelt(QStringView text, QStringView nadel, QStringView nadelOhneUmschreibung);
};
