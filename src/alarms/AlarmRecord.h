#pragma once
// One Alarmdefs row in memory: 19 texts. Indices 0..17 are the columns in table
// order (NULL as empty text), index 12 holds only the symbol's file name,
// index 18 stays empty.
#include <QList>
#include <QString>
#include <QStringList>

class QVariant;

using AlarmRecord = QStringList;
using AlarmListeTyp = QList<AlarmRecord>;

namespace AlarmFeld {
inline constexpr int Ident = 0;
inline constexpr int Alarmtext = 10;
inline constexpr int Form = 11;
inline constexpr int Symbol = 12;
inline constexpr int X = 13;
inline constexpr int Y = 14;
inline constexpr int Anzahl = 19;
inline constexpr int Spalten = 18;
}  // namespace AlarmFeld

namespace AlarmRecordBau {
// The 18 column names of Alarmdefs in table order.
const QStringList& SpaltenNamen();
// Record from the 18 values of a row in table order; NULL gives the empty text.
AlarmRecord AusWerten(const QList<QVariant>& werte);
// Text behind the last backslash (the whole value when there is none).
QString SymbolDateiName(const QString& symbol);
// One column's value as a record holds it: NULL as empty text, the symbol as
// its file name. Two values that give the same text show the same on screen.
QString FeldText(int spalte, const QVariant& wert);
// Key under which alarm numbers count as the same: "007" and " 7" are alarm 7;
// a text that is no number stands for itself.
QString NummernSchluessel(const QString& ident);
}  // namespace AlarmRecordBau
