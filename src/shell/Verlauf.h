#pragma once
// The history of the writes into one opened database: one undo stack per
// database, filled by every write the component reports; a new database
// starts an empty history.
#include <QObject>
#include <QPointer>
#include <QHash>
#include <QUndoStack>
#include <functional>

#include "alarms/Datendienst.h"

#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"

class AlarmAuswahl;

class Verlauf : public QObject {
    Q_OBJECT
public:
    explicit Verlauf(QObject* parent = nullptr);

    QUndoStack* Stapel() { return &m_stapel; }
    // The component of a newly opened database: the history starts afresh.
    void Verbinden(AlarmAuswahl* auswahl);
    // One write that becomes a step of its own once it changed its row (an
    // arrow's); antwort hears what became of it, also when nothing was written.
    // Where the database has its worker, the write goes there and antwort is
    // called when its answer comes; the step is made only then.
    void Einzelschritt(const Schreibauftrag& auftrag, const QString& beschreibung,
                       std::function<void(const Schreibergebnis&)> antwort);
    // The first write of such a step; its report makes no second step.
    Schreibergebnis Erstschreiben(const Schreibauftrag& auftrag, const QString& beschreibung);
    // Whether a write left the row other than it was (a click on an arrow does not).
    static bool Veraendert(const Schreibergebnis& e);
    // Undo or redo steps of more rows than this go to the worker without the
    // window waiting for their answer (a take-over of thousands of alarms).
    static inline qsizetype GrosserSchrittZeilen = 1000;
    // Writes asked of the worker and not yet answered (an undo or redo included).
    bool Schreibt() const { return !m_wartend.isEmpty() || m_offenerSchritt.ticket; }
    // The write of an undo (zurueck) or redo; true when every row was written.
    bool Ausfuehren(const QList<Schreibauftrag>& auftraege, const QString& beschreibung, bool zurueck);

public slots:
    // Ctrl+Z and Ctrl+Y: the step is taken back or done again only when its
    // rows allow it. A step that cannot be stays in the history; the user is
    // told which alarm blocks it and may keep it (to try again) or discard it.
    void Zuruecknehmen();
    void Wiederholen();

signals:
    // An undo or redo did not go through: what the user reads, the engine's words.
    void Abgelehnt(const QString& text, const QString& detail);
    // An undo or redo wrote these rows.
    void Zurueckgeschrieben(const QList<Schreibergebnis>& zeilen);
    // Before a step is taken back or done again: what is still waiting to be written goes first.
    void VorDemSchritt();
    // What was taken back or done again, for the status bar.
    void Bestaetigt(const QString& text);

private:
    void Beantwortet(const Datendienst::Antwort& a);
    // The open writes of a database closed or left: answered as unknown.
    void Aufgeben();
    struct Wartend {
        QPointer<Datendienst> dienst;
        Schreibauftrag auftrag;
        QString beschreibung;
        std::function<void(const Schreibergebnis&)> antwort;
    };
    QHash<Datendienst::Ticket, Wartend> m_wartend;
    // Undo and redo asked while writes were open: done once they are answered,
    // so a step is never taken back before the write that makes it.
    QList<bool> m_aufgeschoben;
    // The undo or redo on the worker: the step is taken when its answer comes.
    struct OffenerSchritt {
        Datendienst::Ticket ticket = 0;
        QPointer<Datendienst> dienst;
        const QUndoCommand* befehl = nullptr;
        bool zurueck = false;
    };
    OffenerSchritt m_offenerSchritt;
    void SchrittBeantwortet(const Datendienst::Antwort& a);
    // Ends a step that did not go through: the user keeps or discards it.
    void SchrittAbgelehnt(QUndoCommand* befehl, bool zurueck);
    bool Ausgewertet(const Sammelergebnis& s, const QString& beschreibung, bool zurueck);
    void AufgeschobeneWeiter();
    void Geschrieben(const QList<Schreibergebnis>& zeilen, const QString& beschreibung);

    QUndoStack m_stapel;
    QPointer<AlarmAuswahl> m_auswahl;
    void Schritt(bool zurueck);

    bool m_imVerlauf = false;  // the history's own writes are not steps of their own
    QString m_letzteAblehnung;  // why the last undo or redo did not go through
};
