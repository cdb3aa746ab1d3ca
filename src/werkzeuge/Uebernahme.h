#pragma once
// Taking over the other side's placements found by a comparison: one write
// per alarm through the one write path, each only while the row still holds
// what the comparison read; all of an action in one transaction, or nothing.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "werkzeuge/Vergleichsergebnis.h"

class Uebernahme {
public:
    struct Ergebnis {
        bool geschrieben = false;
        qsizetype anzahl = 0;    // rows written
        QStringList abgelehnt;   // German, one per refused row
        QString text;            // German: what was done or why nothing was
        QString detail;          // the engine's words
    };
    using Schreiben = std::function<Sammelergebnis(const QList<Schreibauftrag>&)>;

    // The write of one line: the offered columns with the other side's values,
    // gelesen this side's row as the comparison read it.
    static Schreibauftrag Auftrag(const Vergleichszeile& zeile);
    // The writes of the lines that can be taken over (conflicts and the rest are left out).
    static QList<Schreibauftrag> Auftraege(const QList<Vergleichszeile>& zeilen);
    // The rows that no longer hold what the comparison read, one German line
    // each. Throws AlarmdefsFehler when the rows cannot be read.
    static QStringList Veraendert(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege);
    // Writes all of them in one transaction through schreiben (by default the
    // access class), or none; when rows were changed meanwhile, all of them are named.
    static Ergebnis Ausfuehren(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege,
                               const Schreiben& schreiben = {});
    // The step's name in the history.
    static QString Beschreibung(qsizetype anzahl);
};
