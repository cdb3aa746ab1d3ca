#pragma once
// Text recognition of one picture at a time through Tesseract, tuned for the
// labels on plant pictures: sparse text, letters, digits and the few signs
// tags are made of; light labels turned dark first; the picture enlarged so
// that small labels are read; the words that could be tags read a second
// time, larger still; text running up or down read turned upright; each
// word's box measured on the ink of its letters; two words stacked in a
// bubble or box read as one.
// One object per thread: the engine is not shared between threads.
#include <QList>
#include <QRectF>
#include <QString>
#include <array>
#include <atomic>
#include <memory>

#include "werkzeuge/Bildtext.h"

class Lesebank;
struct Pix;

namespace tesseract {
class TessBaseAPI;
}

class Texterkennung {
public:
    Texterkennung();
    ~Texterkennung();
    Texterkennung(const Texterkennung&) = delete;
    Texterkennung& operator=(const Texterkennung&) = delete;

    // False when the engine or its English data could not be loaded; Fehler() says why.
    bool Bereit() const { return m_fehler.isEmpty(); }
    QString Fehler() const { return m_fehler; }

    // The words of the picture file (a path of this system) with the boxes of
    // their ink in picture pixels. A set abbruch stops the reading within a
    // word or two; the result then carries no words and abgebrochen is set.
    // With a bank, the pieces of the reading are shared with the other threads of the run.
    Bildtext Lesen(const QString& datei, const std::atomic_bool* abbruch = nullptr, bool* abgebrochen = nullptr,
                   Lesebank* bank = nullptr);

    // Names the engine and the settings; results read otherwise are read anew.
    static QString Leseart();

    // Whether a word of the first reading tells that the text at its place runs
    // across, so that no turned label is looked for there.
    static bool QuerGelesen(const Bildwort& w);

    // Processor seconds all readings of this process have spent so far, by
    // stage and whichever thread did the work: the difference of two calls
    // tells where a reading's time goes, also on a machine busy with other work.
    struct Stufenzeiten {
        double aufbereitung = 0;   // loading, turning light labels dark, taking the drawing out
        double ersterBlick = 0;    // the engine over the whole picture, enlarged
        double zuschnitt = 0;      // the lines cut out, enlarged and laid on sheets
        double naehereBlicke = 0;  // the engine over the sheets of cut-outs
        double auswertung = 0;     // the readings weighed, boxes measured on the ink, stacked words joined
        // The closer looks by the kind of cut-out on their sheets (part of naehereBlicke):
        // processor seconds, cut-outs read, and million pixels of the sheets they lie on.
        struct Art {
            double sekunden = 0;
            double ausschnitte = 0;
            double megapixel = 0;
        };
        // across; a thin line's pieces kept; steepened; turned; the second look at unread ink
        enum { Zeilen, MitBalken, Steil, Gedreht, Nachlese, Arten };
        std::array<Art, Arten> arten{};
        double Summe() const { return aufbereitung + ersterBlick + zuschnitt + naehereBlicke + auswertung; }
    };
    static Stufenzeiten Verbraucht();

    // A word as the engine gives it, in the coordinates of the image it read.
    struct Roh {
        QString text;
        QRectF box;
        float konfidenz = 0;
        double kappe = 0;  // the median height of its letters
    };

private:
    QList<Roh> Woerter() const;
    // One sheet of cut-outs read as a block of lines; nothing when it cannot be read.
    void BlattLesen(Pix* blatt, const std::atomic_bool* abbruch, QList<Roh>& woerter);

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_fehler;
};
