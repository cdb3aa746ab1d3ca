#pragma once
// "tavero --vorschlaege DB ...": the placement proposals without a window.
// Prints one line per alarm and what they add up to; writes only with
// --annehmen, and then all found positions or none.
#include <QString>
#include <QStringList>

class QTextStream;

class VorschlaegeBefehl {
public:
    enum Ergebnis { MitVorschlaegen = 0, OhneVorschlaege = 1, Fehler = 2 };

    // argumente: what follows the program name ("--vorschlaege" itself may lead).
    // The arguments that are no option, joined by single blanks, are the database.
    // Tavero.ini is read straight through the profile functions: BilderPath
    // from [Grafik] AlarmPicturePath, the pictures from [Picture] 1Pic, 2Pic, ...
    static int Ausfuehren(const QStringList& argumente, QTextStream& aus, QTextStream& fehler);

    static QString HilfeText();
};
