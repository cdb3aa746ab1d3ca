#pragma once
// One alarm of a bulk write as the user sees it before it is written: for
// each column the value now and the value it would get (and, three-way, the
// earlier one). The comparison, the import and the proposals show the same
// lines, in the window and on the command line.
#include <QList>
#include <QString>

#include "alarms/Schreibauftrag.h"
#include "werkzeuge/Vergleichsergebnis.h"

struct Differenz {
    struct Wechsel {
        QString spalte;
        QString alt;     // the value now (this side)
        QString neu;     // the value it would get (the other side)
        QString vorher;  // the earlier state, three-way only
    };
    QString ident;
    QString gruppe;      // the heading the line is listed under
    QString form;        // the picture, for the filter
    QList<Wechsel> wechsel;
    QString hinweis;
    bool waehlbar = true;  // false: shown, never written (conflicts, information)
    bool konflikt = false;
    int quelle = -1;       // the line's place in what it was made from

    // "Alarm 12: X 10 → 20, Y 5 → 6" (three-way conflicts with all three values).
    QString Text() const;

    // The write of an import or an accepted proposal: old from the row as read, new from the values.
    static Differenz AusAuftrag(const Schreibauftrag& auftrag, const QString& gruppe = {});
    static QList<Differenz> AusAuftraegen(const QList<Schreibauftrag>& auftraege, const QString& gruppe = {});
    // The lines of a comparison.
    static QList<Differenz> AusVergleich(const Vergleichsergebnis& ergebnis);
};
