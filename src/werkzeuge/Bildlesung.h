#pragma once
// Reads the words of several picture files: first from the results kept for
// them, the others by text recognition spread over the processor's cores.
// Blocks the calling thread; BildLeseLauf runs it beside the user interface.
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

#include "werkzeuge/Bildtext.h"
#include "werkzeuge/BildtextSpeicher.h"

class Bildlesung {
public:
    // Called with the number of pictures done and the total, from any thread.
    using Fortschritt = std::function<void(int fertig, int gesamt)>;

    // One result per file, in the order given. A set abbruch stops the work
    // within about a second; the result then holds only the pictures read in
    // full, *abgebrochen is set, and the kept results hold nothing half-read.
    static QList<Bildtext> Lesen(const QStringList& dateien, const BildtextSpeicher& speicher,
                                 const std::atomic_bool* abbruch = nullptr, const Fortschritt& fortschritt = {},
                                 bool* abgebrochen = nullptr, int threads = 0);

    // The reading threads' time of all readings of this process so far, summed over the
    // threads (wall seconds a run took times its threads), and of it the time they had
    // nothing to read while another still read: the difference of two calls gives the
    // share of the cores a reading left unused, also on a machine busy with other work.
    struct Kernzeit {
        double gesamt = 0;
        double ungenutzt = 0;
    };
    static Kernzeit Verbraucht();
};
