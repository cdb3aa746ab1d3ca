#pragma once
// The texts an arrow carries and the confirmations of a write: tag, tool tip,
// status texts and the number form of positions.
#include <QString>
#include <optional>

namespace PfeilText {
// Positions are whole pixels; their text reads back as the same number.
QString Zahl(int wert);
// Left or top from a record's X or Y: empty text is 0; a decimal comma is
// accepted; anything else that is no number counts as 0.
int Position(const QString& text);
// Ident + "#" + symbol file name.
QString Tag(const QString& ident, const QString& symbol);
// The parts before and after the first "#"; nullopt without one.
std::optional<std::pair<QString, QString>> TagTeile(const QString& tag);
// "ID 17 | AlarmText Motor heiss | Pfeil.gif | X_120 | Y_45"
QString ToolTip(const QString& ident, const QString& alarmtext, const QString& symbol, int left, int top);
// "Folgende Werte in die DB geschrieben  " followed by the parts, joined by " ; ".
QString Geschrieben(const QStringList& teile);
// "N Pfeile"
QString Anzahl(int n);
// A picture file name without its four-character extension (a shorter name stays whole).
QString OhneEndung(const QString& datei);
// "Pfeileditor  " + picture name
QString Titel(const QString& bild);
}  // namespace PfeilText
