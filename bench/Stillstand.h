#pragma once
// How long the window does not answer: a zero-length timer ticks every 5 ms on
// the user-interface thread, and the longest pause between two ticks is the figure.
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <ctime>

// The longest pause of the user-interface thread while it runs.
class Stillstand {
public:
    Stillstand() {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(5);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { Tick(); });
        m_uhr.start();
        m_letzte = 0;
        m_tick.start();
    }
    double Ende() {
        Tick();
        m_tick.stop();
        m_dauer = m_uhr.nsecsElapsed();
        return static_cast<double>(m_laengste) / 1e6;
    }
    // Of the longest pause: how much of it the thread itself computed, how
    // much it stood in line for a processor (the machine's load; the rest it
    // was blocked: on a lock, the disk), and when it began, in milliseconds
    // after the start, and the whole time measured.
    double PauseRechnend() const { return static_cast<double>(m_laengsteCpu) / 1e6; }
    double PauseAngestanden() const { return static_cast<double>(m_laengsteSchlange) / 1e6; }
    double PauseBei() const { return static_cast<double>(m_laengsteBei) / 1e6; }
    double Dauer() const { return static_cast<double>(m_dauer) / 1e6; }

private:
    static qint64 Rechenzeit() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    // The thread's time runnable but not running so far (0 where the system does not tell).
    static qint64 Schlange() {
        QFile f(QStringLiteral("/proc/thread-self/schedstat"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
    }
    void Tick() {
        const qint64 jetzt = m_uhr.nsecsElapsed();
        const qint64 cpu = Rechenzeit();
        const qint64 schlange = Schlange();
        if (jetzt - m_letzte > m_laengste) {
            m_laengste = jetzt - m_letzte;
            m_laengsteCpu = cpu - m_letzteCpu;
            m_laengsteSchlange = schlange - m_letzteSchlange;
            m_laengsteBei = m_letzte;
        }
        m_letzte = jetzt;
        m_letzteCpu = cpu;
        m_letzteSchlange = schlange;
    }
    QTimer m_tick;
    QElapsedTimer m_uhr;
    qint64 m_letzte = 0;
    qint64 m_laengste = 0;
    qint64 m_letzteCpu = Rechenzeit();
    qint64 m_laengsteCpu = 0;
    qint64 m_letzteSchlange = Schlange();
    qint64 m_laengsteSchlange = 0;
    qint64 m_laengsteBei = 0;
    qint64 m_dauer = 0;
};

