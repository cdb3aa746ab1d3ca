#include "shell/SchreibBefehl.h"

#include "alarms/AlarmdefsZugriff.h"
#include "shell/Verlauf.h"

SchreibBefehl::SchreibBefehl(Verlauf& verlauf, const QList<Schreibergebnis>& zeilen, const QString& text)
    : m_verlauf(verlauf), m_zeilen(zeilen) {
    setText(text);
}

SchreibBefehl::SchreibBefehl(Verlauf& verlauf, const Schreibauftrag& auftrag, const QString& text, Antwort antwort)
    : m_verlauf(verlauf), m_erst(auftrag), m_antwort(std::move(antwort)), m_schonGeschrieben(false) {
    setText(text);
}

void SchreibBefehl::redo() { Schritt(false); }

// Reached also from the history list, which moves over several steps at once.
void SchreibBefehl::undo() { Schritt(true); }

void SchreibBefehl::Schritt(bool zurueck) {
    if (m_verworfen) {
        setObsolete(true);
        return;
    }
    // written already: when pushed, or by Versuchen just before
    if (m_schonGeschrieben) {
        m_schonGeschrieben = false;
        return;
    }
    if (!Schreiben(zurueck))
        setObsolete(true);
}

bool SchreibBefehl::Versuchen(bool zurueck) {
    m_schonGeschrieben = Schreiben(zurueck);
    return m_schonGeschrieben;
}

void SchreibBefehl::Verwerfen() { m_verworfen = true; }

bool SchreibBefehl::Schreiben(bool zurueck) {
    if (m_erst && !zurueck) {
        // The first write: what it left in the row is what undo and redo work with.
        const Schreibauftrag auftrag = *m_erst;
        m_erst.reset();
        const Schreibergebnis e = m_verlauf.Erstschreiben(auftrag, text());
        if (e.geschrieben() && Verlauf::Veraendert(e))
            m_zeilen = {e};
        if (m_antwort)
            m_antwort(e);
        return Veraendert();
    }
    return m_verlauf.Ausfuehren(Auftraege(zurueck), text(), zurueck);
}

QList<Schreibauftrag> SchreibBefehl::Auftraege(bool zurueck) const { return Auftraege(m_zeilen, zurueck); }

QList<Schreibauftrag> SchreibBefehl::Auftraege(const QList<Schreibergebnis>& zeilen, bool zurueck) {
    QList<Schreibauftrag> auftraege;
    auftraege.reserve(zeilen.size());
    for (const Schreibergebnis& e : zeilen) {
        // a row the write left as it was (kept in a step of many rows) is not written back
        if (!Verlauf::Veraendert(e))
            continue;
        const QVariantList& ist = zurueck ? e.nachher : e.vorher;
        const QVariantList& soll = zurueck ? e.vorher : e.nachher;
        Schreibauftrag a;
        // The row is found by the key it was written through, checked against the
        // number it carries now (a changed Ident included); where the key names
        // another row, by that number, among rows of it by the values this step left in it.
        a.ident = e.ident;
        const qsizetype identPos = e.spalten.indexOf(AlarmFeld::Ident);
        if (identPos >= 0)
            a.ident = ist.value(identPos).toString();
        a.zeile = e.schluessel;
        a.spalten = e.spalten;
        a.werte = soll;
        // The whole row as this step left it: a position goes back only onto the
        // picture and symbol it was written with, and of several rows of one
        // number only onto this one.
        AlarmRecord gelesen = e.zeile;
        gelesen.resize(AlarmFeld::Anzahl);
        for (int i = 0; i < e.spalten.size(); ++i)
            gelesen[e.spalten.at(i)] = AlarmRecordBau::FeldText(e.spalten.at(i), ist.value(i));
        a.gelesen = gelesen;
        // Both directions write values the row has held, as they were stored.
        a.wiederherstellen = true;
        auftraege << a;
    }
    return auftraege;
}
