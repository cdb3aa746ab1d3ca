#pragma once
// What a row of Alarmdefs holds now, after this program wrote it or another
// client changed it. Every copy of the row on screen takes it over. Where
// several rows carry one alarm number, only the copies of the row as it was
// before (alt) stand for it.
#include <QHash>
#include <QList>
#include <QString>

#include "alarms/AlarmRecord.h"

struct Zeilenstand {
    QString ident;     // the alarm number
    AlarmRecord zeile; // the row now
    AlarmRecord alt;   // the row before; empty: every copy carrying that number

    // The record after every state of the list that concerns it, applied in
    // order; whether one did. eigene: the copy stands for the written row, whatever it held.
    static bool Anwenden(const QList<Zeilenstand>& staende, const QHash<QString, QList<int>>& nachNummer,
                         AlarmRecord& satz, bool eigene = false);
    // The states' indexes by the number key of their alarm numbers.
    static QHash<QString, QList<int>> NachNummer(const QList<Zeilenstand>& staende);
};
