#pragma once
// What a tool checks the alarms against, as Tavero.ini names it: the folders of
// the pictures and symbols (Windows form, as the file holds them) and the two
// lists (file names, as the configuration reading keeps them). The caller reads
// them; the tools only compare.
#include <QString>
#include <QStringList>

struct Projektrahmen {
    QString bilderPath;
    QString symbolPath;
    QStringList bilderListe;  // "Pumpe.bmp"
    QStringList symbolListe;  // "PfeilRot.gif"

    // The picture names the list offers: each entry without its extension of
    // three letters, as the picture menu writes them into Form.
    QStringList BildNamen() const;
};
