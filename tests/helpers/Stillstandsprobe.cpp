#include "helpers/Stillstandsprobe.h"

#include <QFile>
#include <ctime>

Stillstandsprobe::Stillstandsprobe() {
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(0);
    QObject::connect(&m_tick, &QTimer::timeout, [this] { Tick(); });
    m_uhr.start();
    Neu();
    m_tick.start();
}

void Stillstandsprobe::Neu() {
    m_start = m_letzte = Jetzt();
    m_laengste = m_laengsteBlockiert = Pause{};
}

qint64 Stillstandsprobe::Angestanden() {
    // The second figure of the thread's schedstat: time spent runnable but not running.
    QFile f(QStringLiteral("/proc/thread-self/schedstat"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
}

qint64 Stillstandsprobe::Rechenzeit() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

Stillstandsprobe::Stand Stillstandsprobe::Jetzt() const { return {m_uhr.nsecsElapsed(), Angestanden(), Rechenzeit()}; }

Stillstandsprobe::Pause Stillstandsprobe::Zwischen(const Stand& von, const Stand& bis) const {
    Pause p;
    p.wand = static_cast<double>(bis.uhr - von.uhr) / 1e6;
    p.angestanden = static_cast<double>(bis.schlange - von.schlange) / 1e6;
    p.gerechnet = static_cast<double>(bis.cpu - von.cpu) / 1e6;
    p.bei = static_cast<double>(von.uhr - m_start.uhr) / 1e6;
    return p;
}

void Stillstandsprobe::Tick() {
    const Stand jetzt = Jetzt();
    const Pause p = Zwischen(m_letzte, jetzt);
    if (p.Eigen() > m_laengste.Eigen())
        m_laengste = p;
    if (p.Blockiert() > m_laengsteBlockiert.Blockiert())
        m_laengsteBlockiert = p;
    m_letzte = jetzt;
}

Stillstandsprobe::Pause Stillstandsprobe::Laengste() {
    Tick();
    return m_laengste;
}

Stillstandsprobe::Pause Stillstandsprobe::LaengsteBlockiert() {
    Tick();
    return m_laengsteBlockiert;
}

Stillstandsprobe::Pause Stillstandsprobe::Gesamt() { return Zwischen(m_start, Jetzt()); }
