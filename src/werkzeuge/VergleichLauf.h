#pragma once
// A comparison as a background job: it runs on a thread of its own, reports
// progress and its result through queued signals, and stops when asked. It
// only reads, so a cancelled comparison leaves nothing behind.
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <memory>

#include "werkzeuge/Vergleich.h"

class VergleichLauf : public QObject {
    Q_OBJECT
public:
    explicit VergleichLauf(QObject* parent = nullptr);
    ~VergleichLauf() override;

    bool Laeuft() const { return m_faden != nullptr; }
    // Starts the comparison; false when one is running already.
    bool Starten(const Vergleich::Angaben& angaben);
    void Abbrechen();

signals:
    // prozent -1 while the size is not yet known
    void Fortschritt(int prozent, const QString& schritt);
    void Fertig(const Vergleichsergebnis& ergebnis);
    void Fehlgeschlagen(const QString& text, const QString& detail);
    void Abgebrochen();

private:
    QThread* m_faden = nullptr;
    std::shared_ptr<std::atomic<bool>> m_abbrechen;
};
