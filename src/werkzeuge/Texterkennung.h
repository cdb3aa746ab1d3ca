#pragma once
// Text recognition of one picture at a time through Tesseract, tuned for the
// labels on plant pictures: sparse text, letters, digits and the few signs
// tags are made of, the picture enlarged so that small labels are read.
// One object per thread: the engine is not shared between threads.
#include <QString>
#include <atomic>
#include <memory>

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
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_fehler;
};
