#pragma once
// The longest time the window's thread does not come round its event loop,
// seen by a zero timer, told apart by what the thread did meanwhile: stood in
// line for a processor (the machine's load, not the program's doing),
// computed (its own work), or was blocked (a wait on a worker, a lock, the
// disk: what the program must keep under a frame). A test on a loaded machine
// bounds what the program does, not what the machine's other users do.
#include <QElapsedTimer>
#include <QTimer>

class Stillstandsprobe {
public:
    // In milliseconds.
    struct Pause {
        double wand = 0;        // by the clock on the wall
        double angestanden = 0;  // of that, in line for a processor
        double gerechnet = 0;    // of that, the thread's own processor time
        double bei = 0;          // when it began, after the start
        double Eigen() const { return wand - angestanden; }         // the pause without the machine's load
        double Blockiert() const { return Eigen() - gerechnet; }   // of that, waited without computing
    };

    // Ticks from now on, on the thread it is made on.
    Stillstandsprobe();
    // Measures anew from now.
    void Neu();
    // The pause with the longest Eigen() so far (the one running now included), and with the longest Blockiert().
    Pause Laengste();
    Pause LaengsteBlockiert();
    // What the thread spent in all since the start or Neu.
    Pause Gesamt();

    // This thread's time in line for a processor so far, in ns (0 where the
    // system does not tell), and its processor time.
    static qint64 Angestanden();
    static qint64 Rechenzeit();

private:
    struct Stand {
        qint64 uhr = 0, schlange = 0, cpu = 0;
    };
    Stand Jetzt() const;
    Pause Zwischen(const Stand& von, const Stand& bis) const;
    void Tick();

    QTimer m_tick;
    QElapsedTimer m_uhr;
    Stand m_start, m_letzte;
    Pause m_laengste, m_laengsteBlockiert;
};
