#pragma once
// One plant picture of the demo project: the equipment of its plant section
// with their tags, the drawing in the style of a plant schematic with a label
// beside each piece of equipment, and the true boxes of the drawn labels, so
// that reading the pictures can be measured against the truth.
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class DemoBild {
public:
    struct Teil {
        int art = 0;          // kind of equipment, 0 .. Arten() - 1
        QString kennzeichen;  // its tag, e.g. "P201"
    };
    struct Schild {
        QString kennzeichen;
        QRect box;  // the ink of the label's text, in picture pixels
    };

    // Picture nr (from 0) of a project; the equipment does not depend on
    // whether the picture is drawn, so a project's alarms are the same either way.
    DemoBild(int nr, const QString& name, unsigned seed, bool zeichnen);

    QString name;                // without ".bmp"
    QSize groesse;               // size of the written bitmap
    QList<Teil> teile;           // drawn with a label each; the first one has two
    QList<Teil> ohneSchild;      // of the same section, but without a label on the picture

    // The drawn picture and where its labels went; a picture not drawn is a
    // small empty sheet without labels.
    QImage Zeichnen(QList<Schild>* schilder) const;

    // Kinds of equipment: "Pumpe" and "P", ...
    static int Arten();
    static QString Bezeichnung(int art);
    static QString Kuerzel(int art);

    // The side file of a picture's labels: N.bmp gives N.schilder.csv beside it.
    static QString SchilderDatei(const QString& bildDatei);
    static bool SchilderSchreiben(const QString& datei, const QList<Schild>& schilder);
    static QList<Schild> SchilderLesen(const QString& datei);

private:
    int m_nr;
    unsigned m_seed;
    bool m_zeichnen;
};
