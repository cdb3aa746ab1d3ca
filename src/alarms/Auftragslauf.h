#pragma once
// What the work of a background job sees of its job: whether it is to stop, and
// how far it has come. The job runner (shell/Hintergrundauftrag) makes one per
// job and sets it for the worker thread; long passes below (the pass over the
// table, a write of many rows) call Schritt() per row. Outside a job there is
// none, nothing is counted and nothing stops: the command-line forms run the
// same code unchanged.
//
// Stopping is an exception, Auftragsabbruch, so every pass unwinds through its
// own clean-up: an open transaction is rolled back, a file written beside its
// target is removed, and nothing half-done remains.
#include <QAtomicInteger>
#include <QString>
#include <exception>

class Auftragsabbruch : public std::exception {
public:
    const char* what() const noexcept override { return "Auftrag abgebrochen"; }
};

class Auftragslauf {
public:
    // Any thread: the work stops at its next step.
    void Abbrechen() { m_abbrechen.storeRelaxed(1); }
    bool Abgebrochen() const { return m_abbrechen.loadRelaxed() != 0; }

    // From the work: steps done and, where known, how many there are (-1: unknown).
    void Fortschritt(qint64 getan, qint64 gesamt = -1) {
        m_getan.storeRelaxed(getan);
        if (gesamt >= 0)
            m_gesamt.storeRelaxed(gesamt);
    }
    qint64 Getan() const { return m_getan.loadRelaxed(); }
    qint64 Gesamt() const { return m_gesamt.loadRelaxed(); }

    // The job of the calling thread, or nullptr.
    static Auftragslauf* Aktuell();
    // Throws Auftragsabbruch when the calling thread's job is to stop.
    static void Pruefen();
    // One step (a row) of the calling thread's job: counted, and every few
    // thousand steps (and at the first) a stop is looked for.
    static void Schritt();

    // Sets the job of the calling thread for its lifetime.
    class Rahmen {
    public:
        explicit Rahmen(Auftragslauf* lauf);
        ~Rahmen();
        Rahmen(const Rahmen&) = delete;
        Rahmen& operator=(const Rahmen&) = delete;

    private:
        Auftragslauf* m_vorher;
    };

private:
    QAtomicInteger<int> m_abbrechen{0};
    QAtomicInteger<qint64> m_getan{0};
    QAtomicInteger<qint64> m_gesamt{-1};
    qint64 m_schritte = 0;  // the worker's own count; published now and then
};
