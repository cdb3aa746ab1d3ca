#pragma once
// One step of the history: the rows one write changed, with their values
// before and after. Undo and redo are writes like any other: they go through
// only while the rows still hold what this step left in them; a step that can
// no longer be taken back leaves the history, and the user is told why.
#include <QList>
#include <QUndoCommand>
#include <functional>
#include <optional>

#include "alarms/Schreibauftrag.h"

#include "alarms/Schreibergebnis.h"

class Verlauf;

class SchreibBefehl : public QUndoCommand {
public:
    SchreibBefehl(Verlauf& verlauf, const QList<Schreibergebnis>& zeilen, const QString& text);
    // A step whose first redo makes the write itself; antwort hears what became of it.
    using Antwort = std::function<void(const Schreibergebnis&)>;
    SchreibBefehl(Verlauf& verlauf, const Schreibauftrag& auftrag, const QString& text, Antwort antwort);
    // After the first write: whether it changed the row, so the step is worth keeping.
    bool Veraendert() const { return !m_zeilen.isEmpty(); }
    void undo() override;
    void redo() override;
    // Writes the step back (zurueck) or again, ahead of the stack's own call,
    // which then only moves the index; false when its rows did not allow it.
    bool Versuchen(bool zurueck);
    // The stack's next call over this step writes nothing and drops it.
    void Verwerfen();
    // The writes that take this step back (zurueck) or do it again, not yet sent.
    QList<Schreibauftrag> Auftraege(bool zurueck) const;
    // The same from a step's rows, on any thread (a step of many rows is built on the worker).
    static QList<Schreibauftrag> Auftraege(const QList<Schreibergebnis>& zeilen, bool zurueck);
    // The rows of the step, shared: they do not change once it is made.
    QList<Schreibergebnis> Zeilen() const { return m_zeilen; }
    // Written elsewhere (on the database's worker): the stack's next call only moves its index.
    void GeschriebenMarkieren() { m_schonGeschrieben = true; }

private:
    void Schritt(bool zurueck);
    bool Schreiben(bool zurueck);

    Verlauf& m_verlauf;
    QList<Schreibergebnis> m_zeilen;
    std::optional<Schreibauftrag> m_erst;  // the write not yet made
    Antwort m_antwort;
    bool m_schonGeschrieben = true;  // pushed after the write itself took place, or written by Versuchen
    bool m_verworfen = false;
};
