#include "werkzeuge/VergleichLauf.h"

#include "alarms/AlarmdefsZugriff.h"

VergleichLauf::VergleichLauf(QObject* parent) : QObject(parent) {
    qRegisterMetaType<Vergleichsergebnis>("Vergleichsergebnis");
}

VergleichLauf::~VergleichLauf() {
    // the thread reads only: stopping it and waiting for it loses nothing
    if (m_faden) {
        m_abbrechen->store(true);
        m_faden->wait();
    }
}

bool VergleichLauf::Starten(const Vergleich::Angaben& angaben) {
    if (m_faden && m_faden->isFinished()) {
        // its end has not been handed over yet: it is over all the same
        m_faden->wait();
        delete m_faden;
        m_faden = nullptr;
    }
    if (m_faden)
        return false;
    m_abbrechen = std::make_shared<std::atomic<bool>>(false);
    const auto abbrechen = m_abbrechen;
    // Every signal leaves the thread queued: this object lives on the user's thread.
    m_faden = QThread::create([this, angaben, abbrechen]() {
        const auto melden = [this](int p, const QString& t) {
            QMetaObject::invokeMethod(this, [this, p, t] { emit Fortschritt(p, t); }, Qt::QueuedConnection);
        };
        try {
            Vergleichsergebnis e = Vergleich::Vergleichen(angaben, abbrechen.get(), melden);
            QMetaObject::invokeMethod(this, [this, e] { emit Fertig(e); }, Qt::QueuedConnection);
        } catch (const Vergleich::Abgebrochen&) {
            QMetaObject::invokeMethod(this, [this] { emit Abgebrochen(); }, Qt::QueuedConnection);
        } catch (const AlarmdefsFehler& f) {
            const QString text = f.Text(), detail = f.Detail();
            QMetaObject::invokeMethod(this, [this, text, detail] { emit Fehlgeschlagen(text, detail); }, Qt::QueuedConnection);
        } catch (const std::exception& f) {
            const QString text = QStringLiteral("Der Vergleich ist gescheitert: %1").arg(QString::fromLocal8Bit(f.what()));
            QMetaObject::invokeMethod(this, [this, text] { emit Fehlgeschlagen(text, {}); }, Qt::QueuedConnection);
        }
    });
    QThread* faden = m_faden;
    connect(m_faden, &QThread::finished, this, [this, faden] {
        if (m_faden == faden) {
            m_faden->deleteLater();
            m_faden = nullptr;
        }
    });
    m_faden->start();
    return true;
}

void VergleichLauf::Abbrechen() {
    if (m_abbrechen)
        m_abbrechen->store(true);
}
