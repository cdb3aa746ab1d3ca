#pragma once
// Placement proposals: each alarm's arrow at the label of its tag on its
// picture. Reading the pictures is left to the caller (BildLeseLauf beside a
// window, Bildlesung on the command line); nothing here writes unless told to
// accept.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "alarms/AlarmRecord.h"
#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "werkzeuge/Bildtext.h"
#include "werkzeuge/Kennzeichenregel.h"
#include "werkzeuge/Vorschlag.h"

class Vorschlaege {
public:
    // The alarms of the pictures (Form values) that get a proposal: those
    // without a position, or all of them. Throws AlarmdefsFehler.
    static AlarmListeTyp AlarmeLesen(const QString& sDatenbank, const QStringList& bilder, bool alle);
    // The bitmap of picture form below the picture folder (BilderPath\N\N.bmp),
    // as a path of this system.
    static QString BildDatei(const QString& sBilderPath, const QString& form);
    // The pictures of the alarms, each once, in the alarms' order, and their files to read.
    static QStringList Bilder(const AlarmListeTyp& alarme);
    static QStringList BildDateien(const QString& sBilderPath, const QStringList& bilder);
    // The readings (as BildLeseLauf or Bildlesung give them) by picture.
    static QHash<QString, Bildtext> NachBild(const QString& sBilderPath, const QStringList& bilder,
                                             const QList<Bildtext>& texte);

    // Alarms sharing one tag are fanned out along the label's bottom edge this
    // far apart: the usual 32-pixel arrow symbols and a gap, so no two stack.
    static constexpr int Faecherabstand = 34;

    // One proposal per alarm, in the alarms' order, from the words read off
    // their pictures (keyed by Form).
    static QList<Vorschlag> Berechnen(const AlarmListeTyp& alarme, const QHash<QString, Bildtext>& texte,
                                      const Kennzeichenregel& regel);

    // Accepting: the writes of X and Y for the found proposals, each only while
    // the row holds what was read. An alarm without symbol gets symbol (the
    // full value, "Standard\\PfeilRot.gif"), as a release gives it the
    // symbol chosen; empty: it keeps none. The window passes them to its
    // undoable write; Annehmen writes them in one transaction, all or none.
    static QList<Schreibauftrag> Auftraege(const QList<Vorschlag>& vorschlaege, const QString& symbol = {});
    static Sammelergebnis Annehmen(const QString& sDatenbank, const QList<Vorschlag>& vorschlaege,
                                   const QString& symbol = {});

    static int Anzahl(const QList<Vorschlag>& vorschlaege, Vorschlag::Art art);
    // Whether a found proposal is one of these alarms' on that picture (an empty
    // form: on any): a number carried by rows on two pictures has a proposal on each.
    static bool Gewaehlt(const Vorschlag& v, const QStringList& idents, const QString& form);
    // German text: one line per proposal, and what they add up to.
    static QString Zeile(const Vorschlag& v);
    static QString Zusammenfassung(const QList<Vorschlag>& vorschlaege);
    // Semicolon-separated, a header line first.
    static QString Csv(const QList<Vorschlag>& vorschlaege);
};
