#pragma once
// Finding alarms in the whole table: a whole number finds the alarm with that
// Ident; any other text the alarms whose VarName or Alarmtext contains it,
// without regard to case, umlauts included. Nothing is ever written.
#include <QList>
#include <QString>

class Suche {
public:
    // The alarm numbers found, in table order. Throws AlarmdefsFehler when the
    // database cannot be read.
    static QList<qlonglong> Finden(const QString& sDatenbank, const QString& text);
    // The text compared without regard to case: lower case of ASCII and of the
    // Latin-1 letters (Ä, Ö, Ü and the others); "ß" stays as it is.
    static QByteArray Falten(const QByteArray& utf8);
};
