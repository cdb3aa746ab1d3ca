#pragma once
// The plant pictures of tavero-testbilder, a generator apart from the demo's
// (Pillow and FreeType, other font families): makes them, reads the truth
// written beside each picture, and scores proposals against it by label style
// and picture kind.
#include <QHash>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>

#include "alarms/AlarmRecord.h"
#include "werkzeuge/Bildtext.h"

struct Vorschlag;

class Testbilder {
public:
    struct Schild {
        QString stil, varName, text, schrift;
        QRect box;  // the ink of the label's text
    };
    struct Bild {
        QString name, art, datei;
        QList<Schild> schilder;
        QStringList fehlend;  // VarNames whose tag is not on the picture
    };
    struct Zaehler {
        int einmal = 0, getroffen = 0;           // tags drawn once, and proposed within the tolerance
        int zweimal = 0, zweimalRichtig = 0;     // twins, and those reported ambiguous or not proposed
        int fehlend = 0, fehlendVorgeschlagen = 0;
        int vorgeschlagen = 0, richtig = 0;
        double Recall() const { return einmal ? 100.0 * getroffen / einmal : 100.0; }
        double Precision() const { return vorgeschlagen ? 100.0 * richtig / vorgeschlagen : 100.0; }
    };

    // Runs the generator (python3 with Pillow); argumente after --out, e.g. {"--seed", "3"}.
    static bool Erzeugen(const QString& ordner, const QStringList& argumente, QString* fehler);
    // Every picture below ordner with its truth, sorted by name.
    static QList<Bild> Lesen(const QString& ordner);
    // One alarm per VarName of each picture (Form = the picture's name), drawn or not.
    static AlarmListeTyp Alarme(const QList<Bild>& bilder);
    // Counts by label style, by "art:" picture kind and under "alle".
    static QMap<QString, Zaehler> Bewerten(const QList<Bild>& bilder, const QList<Vorschlag>& vorschlaege,
                                           double toleranz = 8.0);
    // Also gives where each missed or wrong proposal went, one line each, with
    // the words read around the label when texte (by picture name) are given.
    static QStringList Fehlgriffe(const QList<Bild>& bilder, const QList<Vorschlag>& vorschlaege,
                                  double toleranz = 8.0, const QHash<QString, Bildtext>* texte = nullptr);
};
