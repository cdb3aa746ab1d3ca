#pragma once
// "tavero --vergleich DB ANDERE [--basis STAND] [--csv DATEI] [--uebernehmen]":
// the comparison without a window. Prints the differences in German; with
// --uebernehmen writes every change of the other side that is no conflict,
// all in one transaction or none.
#include <QString>
#include <QStringList>

class QTextStream;

class VergleichBefehl {
public:
    enum Ergebnis { Gleich = 0, Unterschiede = 1, Fehler = 2 };

    // argumente: what follows "--vergleich".
    static int Ausfuehren(const QStringList& argumente, QTextStream& aus, QTextStream& fehler);
    static QString Aufruf();
};
