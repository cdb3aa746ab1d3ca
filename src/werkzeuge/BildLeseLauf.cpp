#include "werkzeuge/BildLeseLauf.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <utility>

#include "werkzeuge/Bildlesung.h"
#include "werkzeuge/BildtextSpeicher.h"

BildLeseLauf::BildLeseLauf(QObject* parent) : QObject(parent) {}

BildLeseLauf::~BildLeseLauf() {
    if (m_thread) {
        m_abbruch = true;
        m_thread->wait();
        delete m_thread;
    }
}

QString BildLeseLauf::FortschrittText(int fertig, int gesamt) {
    return QStringLiteral("Bilder werden gelesen: %1 von %2").arg(fertig).arg(gesamt);
}

bool BildLeseLauf::Laeuft() const { return m_thread != nullptr; }

bool BildLeseLauf::Starten(const QStringList& dateien) {
    if (m_thread)
        return false;
    m_abbruch = false;
    m_ergebnisse.clear();
    const BildtextSpeicher speicher(m_speicherOrdner.isEmpty() ? BildtextSpeicher::StandardOrdner()
                                                               : m_speicherOrdner);
    m_thread = QThread::create([this, dateien, speicher] {
        bool abgebrochen = false;
        auto melden = [this](int fertig, int gesamt) {
            QMetaObject::invokeMethod(
                this, [this, fertig, gesamt] { emit Fortschritt(fertig, gesamt); }, Qt::QueuedConnection);
        };
        m_ergebnisse = Bildlesung::Lesen(dateien, speicher, &m_abbruch, melden, &abgebrochen);
        m_warAbgebrochen = abgebrochen;
    });
    // finished comes in this object's thread once the work is done
    connect(m_thread, &QThread::finished, this, &BildLeseLauf::Beendet, Qt::QueuedConnection);
    m_thread->start();
    return true;
}

void BildLeseLauf::Abbrechen() { m_abbruch = true; }

void BildLeseLauf::Beendet() {
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const QList<Bildtext> ergebnisse = std::exchange(m_ergebnisse, {});
    if (m_warAbgebrochen || m_abbruch)
        emit Abgebrochen();
    else
        emit Fertig(ergebnisse);
}

bool BildLeseLauf::Warten(int ms) {
    if (!m_thread)
        return true;
    QEventLoop schleife;
    const auto c1 = connect(this, &BildLeseLauf::Fertig, &schleife, &QEventLoop::quit);
    const auto c2 = connect(this, &BildLeseLauf::Abgebrochen, &schleife, &QEventLoop::quit);
    if (ms >= 0)
        QTimer::singleShot(ms, &schleife, &QEventLoop::quit);
    if (m_thread)
        schleife.exec();
    disconnect(c1);
    disconnect(c2);
    return m_thread == nullptr;
}
