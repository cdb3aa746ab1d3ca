#pragma once
// A long job off the user-interface thread: the check report, an export, an
// import's plan and its write. How to use it:
//
//   auto* job = new Hintergrundauftrag(QStringLiteral("Export"), fenster,
//       [=](Auftragslauf& lauf) { ... the work, on a worker thread ... });
//   connect(job, &Hintergrundauftrag::Beendet, fenster, [=](Hintergrundauftrag::Ausgang a) { ... });
//   job->Starten();
//
// The work runs on a thread of its own and opens its own database connections
// (never one of the user-interface thread's). It reports progress through its
// Auftragslauf (the pass over the table and a write of many rows do so by
// themselves) and stops at its next step when the job is cancelled, by the
// button in the status bar, Esc in the window, Abbrechen() or destroying the
// job: it then unwinds with Auftragsabbruch, which rolls back what it began and
// removes what it wrote beside its target. The results travel in the work's
// own captures; Beendet arrives as a queued signal on the user-interface thread
// after the thread has ended, and the job deletes itself afterwards.
#include <QObject>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

#include "alarms/Auftragslauf.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;
class QWidget;

class Hintergrundauftrag : public QObject {
    Q_OBJECT
public:
    enum class Ausgang {
        Fertig,       // the work ran to its end
        Abgebrochen,  // stopped when asked: nothing written
        Fehler        // it threw: Fehlertext() says what
    };
    using Arbeit = std::function<void(Auftragslauf& lauf)>;

    // fenster: its main window's status bar shows the progress, Esc in fenster's
    // window cancels; the job ends with fenster. nullptr: no display at all.
    Hintergrundauftrag(const QString& titel, QWidget* fenster, Arbeit arbeit);
    ~Hintergrundauftrag() override;  // stops the work and waits for its thread

    void Starten();
    void Abbrechen();
    bool Laeuft() const { return m_laeuft; }
    const Auftragslauf& Lauf() const { return m_lauf; }

    // For Ausgang::Fehler: the German text and the engine's words of what the work threw.
    QString Fehlertext() const;
    QString Fehlerdetail() const;

    // The jobs running now (tests and the close of a database wait for them).
    static int Laufende();

signals:
    void Beendet(Hintergrundauftrag::Ausgang ausgang);

protected:
    // Esc that no widget of the window took for itself (a drag, a cell being edited) cancels.
    bool eventFilter(QObject* objekt, QEvent* e) override;

private:
    void Anzeigen();
    void Ende();

    QString m_titel;
    QPointer<QWidget> m_fenster;
    Arbeit m_arbeit;
    Auftragslauf m_lauf;
    QThread* m_thread = nullptr;
    bool m_laeuft = false;
    // set by the worker before its thread ends, read after
    Ausgang m_ausgang = Ausgang::Fertig;
    std::exception_ptr m_fehler;
    // the status-bar display; the main window may go before the job's owner
    QPointer<QWidget> m_anzeige;
    QLabel* m_text = nullptr;
    QProgressBar* m_balken = nullptr;
    QPushButton* m_abbrechen = nullptr;
    QList<QPointer<QWidget>> m_escFenster;  // where Esc cancels
    QTimer* m_uhr = nullptr;
};
