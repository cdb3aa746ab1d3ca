#pragma once
// Text recognition of one picture at a time through Tesseract, tuned for the
// labels on plant pictures: sparse text, letters, digits and the few signs
// tags are made of, the picture enlarged so that small labels are read, and
// the words that could be tags read a second time, larger still.
// One object per thread: the engine is not shared between threads.
#include <QList>
#include <QRectF>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "werkzeuge/Bildtext.h"

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

    // The words of the picture file (a path of this system) with their boxes in
    // picture pixels. A set abbruch stops the reading within a word or two;
    // the result then carries no words and abgebrochen is set.
    Bildtext Lesen(const QString& datei, const std::atomic_bool* abbruch = nullptr, bool* abgebrochen = nullptr);

    // Names the engine and the settings; results read otherwise are read anew.
    static QString Leseart();

private:
    // The words of the last recognition, their boxes taken back onto the picture
    // (nullopt: the word lies outside anything that maps back).
    QList<Bildwort> Woerter(const std::function<std::optional<QRectF>(const QRectF&)>& aufsBild) const;

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_fehler;
};
