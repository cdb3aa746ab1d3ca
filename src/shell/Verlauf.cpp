#include "shell/Verlauf.h"

#include "alarms/AlarmAuswahl.h"
#include "alarms/Dialoge.h"
#include "shell/SchreibBefehl.h"

#include <QThreadPool>
#include <algorithm>
#include <memory>
#include <utility>

Verlauf::Verlauf(QObject* parent) : QObject(parent), m_stapel(this) {}

void Verlauf::Verbinden(AlarmAuswahl* auswahl) {
    if (m_auswahl)
        disconnect(m_auswahl, nullptr, this, nullptr);
    m_stapel.clear();
    // Answers for the database left behind make no steps in the new one's history.
    Aufgeben();
    m_offenerSchritt = {};
    m_aufgeschoben.clear();
    m_auswahl = auswahl;
    if (auswahl)
        connect(auswahl, &AlarmAuswahl::Geschrieben, this, &Verlauf::Geschrieben);
}

void Verlauf::Geschrieben(const QList<Schreibergebnis>& zeilen, const QString& beschreibung) {
    if (m_imVerlauf)
        return;
    // A write that left a row as it was (a click on an arrow) is no step to take back.
    // Where every row changed (a take-over of a hundred thousand), the step
    // shares the list it was given instead of copying it.
    // A step of many rows is kept whole: which of its rows changed is asked
    // when its writes are built, on the worker.
    if (zeilen.size() > GrosserSchrittZeilen) {
        if (std::any_of(zeilen.cbegin(), zeilen.cend(), &Verlauf::Veraendert))
            m_stapel.push(new SchreibBefehl(*this, zeilen, beschreibung));
        return;
    }
    qsizetype erste = 0;
    while (erste < zeilen.size() && Veraendert(zeilen.at(erste)))
        ++erste;
    if (erste == zeilen.size()) {
        if (!zeilen.isEmpty())
            m_stapel.push(new SchreibBefehl(*this, zeilen, beschreibung));
        return;
    }
    QList<Schreibergebnis> geaendert = zeilen.first(erste);
    for (qsizetype i = erste + 1; i < zeilen.size(); ++i)
        if (Veraendert(zeilen.at(i)))
            geaendert << zeilen.at(i);
    if (!geaendert.isEmpty())
        m_stapel.push(new SchreibBefehl(*this, geaendert, beschreibung));
}

bool Verlauf::Veraendert(const Schreibergebnis& e) {
    for (int i = 0; i < e.spalten.size(); ++i) {
        const QVariant vorher = e.vorher.value(i);
        const QVariant nachher = e.nachher.value(i);
        if (vorher.isNull() != nachher.isNull())
            return true;
        // two numbers (or two texts) are compared as they are; only mixed kinds as text
        if (vorher.typeId() == nachher.typeId() &&
            (vorher.typeId() == QMetaType::LongLong || vorher.typeId() == QMetaType::QString)) {
            if (vorher != nachher)
                return true;
            continue;
        }
        if (vorher.toString() != nachher.toString())
            return true;
    }
    return false;
}

void Verlauf::Einzelschritt(const Schreibauftrag& auftrag, const QString& beschreibung,
                            std::function<void(const Schreibergebnis&)> antwort) {
    if (Datendienst* d = m_auswahl ? m_auswahl->Dienst() : nullptr) {
        // The window goes on while the worker writes (and waits for a locked row).
        connect(d, &Datendienst::Beantwortet, this, &Verlauf::Beantwortet, Qt::UniqueConnection);
        connect(d, &QObject::destroyed, this, &Verlauf::Aufgeben, Qt::UniqueConnection);
        m_wartend.insert(d->Schreiben(auftrag), {d, auftrag, beschreibung, std::move(antwort)});
        return;
    }
    auto befehl = std::make_unique<SchreibBefehl>(*this, auftrag, beschreibung, std::move(antwort));
    // The step writes ahead of the stack, as an undo or redo does: a write that
    // changed nothing or was refused leaves the history as it was, redo steps included.
    if (befehl->Versuchen(false))
        m_stapel.push(befehl.release());
}

void Verlauf::Beantwortet(const Datendienst::Antwort& a) {
    if (m_offenerSchritt.ticket && a.ticket == m_offenerSchritt.ticket && m_offenerSchritt.dienst.data() == sender()) {
        SchrittBeantwortet(a);
        return;
    }
    const auto it = m_wartend.find(a.ticket);
    if (it == m_wartend.end() || it->dienst.data() != sender())
        return;  // the grid's own request, or one of a database closed since
    const Wartend w = *it;
    m_wartend.erase(it);
    Schreibergebnis e = a.ergebnis;
    if (a.abgebrochen)
        e = Schreibergebnis::Abgelehnt(QStringLiteral("Nichts in die DB geschrieben: die Datenbank wurde geschlossen."));
    if (m_auswahl) {
        // The component and every view learn the row's new values; the step is made here.
        m_imVerlauf = true;
        m_auswahl->ErgebnisMelden(w.auftrag, e, w.beschreibung);
        m_imVerlauf = false;
    }
    if (e.geschrieben() && Veraendert(e))
        m_stapel.push(new SchreibBefehl(*this, QList<Schreibergebnis>{e}, w.beschreibung));
    if (w.antwort)
        w.antwort(e);
    AufgeschobeneWeiter();
}

void Verlauf::AufgeschobeneWeiter() {
    // One after the other, each once the one before has been answered.
    while (!Schreibt() && !m_aufgeschoben.isEmpty())
        Schritt(m_aufgeschoben.takeFirst());
}

namespace {
// The rows' new states of a step written on the worker, made there too.
using Staende = std::shared_ptr<const QList<Zeilenstand>>;

// A large answer is let go on a worker once the event that brought it is
// over: freeing a hundred thousand rows held the window too.
void SpaeterFreigeben(QObject* ziel, Sammelergebnis s, QVariant wert) {
    if (s.zeilen.size() <= Verlauf::GrosserSchrittZeilen)
        return;
    QMetaObject::invokeMethod(ziel, [s = std::move(s), wert = std::move(wert)]() mutable {
        QThreadPool::globalInstance()->start([s = std::move(s), wert = std::move(wert)]() mutable {
            s = {};
            wert = {};
        });
    }, Qt::QueuedConnection);
}
}  // namespace

void Verlauf::SchrittBeantwortet(const Datendienst::Antwort& a) {
    const OffenerSchritt o = std::exchange(m_offenerSchritt, {});
    Sammelergebnis s = a.sammel;
    if (a.abgebrochen)
        s = Sammelergebnis{false, -1, {}, QStringLiteral("Die Datenbank wurde geschlossen; nichts wurde geschrieben."), {}};
    // The step is still where it was: nothing else moves the stack while a step is open.
    const int index = o.zurueck ? m_stapel.index() - 1 : m_stapel.index();
    auto* befehl = index >= 0 && index < m_stapel.count() && m_stapel.command(index) == o.befehl
                       ? static_cast<SchreibBefehl*>(const_cast<QUndoCommand*>(o.befehl))
                       : nullptr;
    const QString beschreibung = befehl ? befehl->text() : QString();
    SpaeterFreigeben(this, s, a.wert);
    if (m_auswahl) {
        // The component and every view learn the rows' values, as after any write.
        m_imVerlauf = true;
        if (!a.abgebrochen && a.wert.metaType() == QMetaType::fromType<Staende>())
            m_auswahl->SammelergebnisMelden(s, beschreibung, *a.wert.value<Staende>());
        else
            m_auswahl->SammelergebnisMelden(s, beschreibung);
        m_imVerlauf = false;
    }
    if (!befehl) {
        m_aufgeschoben.clear();
        return;
    }
    if (Ausgewertet(s, beschreibung, o.zurueck)) {
        befehl->GeschriebenMarkieren();
        o.zurueck ? m_stapel.undo() : m_stapel.redo();
        AufgeschobeneWeiter();
        return;
    }
    // The user answers this one first; the steps asked after it are not made blindly.
    m_aufgeschoben.clear();
    SchrittAbgelehnt(befehl, o.zurueck);
}

void Verlauf::Aufgeben() {
    // The worker still makes what it was given before it ends, but its answers
    // no longer come: the arrows show again what was read, and the user is told.
    if (std::exchange(m_offenerSchritt, {}).ticket) {
        m_aufgeschoben.clear();
        emit Abgelehnt(QStringLiteral("Die Datenbank wurde geschlossen, bevor die Antwort kam; ob der Schritt "
                                      "geschrieben wurde, zeigt sie beim nächsten Öffnen."),
                       QString());
    }
    const auto offen = std::exchange(m_wartend, {});
    for (const Wartend& w : offen)
        if (w.antwort)
            w.antwort(Schreibergebnis::Abgelehnt(
                QStringLiteral("Die Datenbank wurde geschlossen, bevor die Antwort kam; ob der Pfeil von Alarm %1 "
                               "geschrieben wurde, zeigt sie beim nächsten Öffnen.")
                    .arg(w.auftrag.ident)));
}

Schreibergebnis Verlauf::Erstschreiben(const Schreibauftrag& auftrag, const QString& beschreibung) {
    if (!m_auswahl)
        return Schreibergebnis::Abgelehnt(QStringLiteral("Nichts in die DB geschrieben: kein Alarm gewählt."));
    m_imVerlauf = true;
    const Schreibergebnis e = m_auswahl->ZeileSchreiben(auftrag, beschreibung);
    m_imVerlauf = false;
    return e;
}

bool Verlauf::Ausfuehren(const QList<Schreibauftrag>& auftraege, const QString& beschreibung, bool zurueck) {
    if (!m_auswahl)
        return false;
    m_imVerlauf = true;
    const Sammelergebnis s = m_auswahl->ZeilenSchreiben(auftraege, beschreibung);
    m_imVerlauf = false;
    return Ausgewertet(s, beschreibung, zurueck);
}

bool Verlauf::Ausgewertet(const Sammelergebnis& s, const QString& beschreibung, bool zurueck) {
    if (s.geschrieben) {
        emit Zurueckgeschrieben(s.zeilen);
        emit Bestaetigt((zurueck ? QStringLiteral("Rückgängig: ") : QStringLiteral("Wiederholt: ")) + beschreibung);
        return true;
    }
    const Schreibergebnis* grund = s.abgelehnt >= 0 ? &s.zeilen.at(s.abgelehnt) : nullptr;
    QString text;
    if (grund && (grund->art == Schreibergebnis::Art::Geaendert || grund->art == Schreibergebnis::Art::KeinAlarm))
        text = QStringLiteral("Alarm %1 wurde inzwischen geändert; nichts %2.")
                   .arg(grund->ident, zurueck ? QStringLiteral("zurückgenommen") : QStringLiteral("wiederholt"));
    else
        text = (zurueck ? QStringLiteral("Nichts zurückgenommen: ") : QStringLiteral("Nichts wiederholt: ")) + s.text;
    m_letzteAblehnung = text;
    emit Abgelehnt(text, s.detail);
    return false;
}

void Verlauf::Zuruecknehmen() { Schritt(true); }
void Verlauf::Wiederholen() { Schritt(false); }

void Verlauf::Schritt(bool zurueck) {
    emit VorDemSchritt();
    if (Schreibt()) {
        m_aufgeschoben.append(zurueck);
        return;
    }
    const int index = zurueck ? m_stapel.index() - 1 : m_stapel.index();
    if (index < 0 || index >= m_stapel.count())
        return;
    auto* befehl = static_cast<SchreibBefehl*>(const_cast<QUndoCommand*>(m_stapel.command(index)));
    if (Datendienst* d = m_auswahl ? m_auswahl->Dienst() : nullptr) {
        // Written on the database's worker: the window goes on, the step is taken with the answer.
        connect(d, &Datendienst::Beantwortet, this, &Verlauf::Beantwortet, Qt::UniqueConnection);
        connect(d, &QObject::destroyed, this, &Verlauf::Aufgeben, Qt::UniqueConnection);
        // An answer within a frame or two takes the step at once (a little longer
        // while the worker has nothing else to do, as the grid's pages are waited for).
        // A step of many rows is never written that soon: the window does not wait
        // for it at all, whether or not the worker is busy.
        if (befehl->Zeilen().size() > GrosserSchrittZeilen) {
            // Its writes are built there too, from the step's shared rows: a
            // hundred thousand of them held the window a good tenth of a second.
            // So are the rows' new states that the component and the picture take.
            m_offenerSchritt = {d->SchreibenAlle([zeilen = befehl->Zeilen(), zurueck] { return SchreibBefehl::Auftraege(zeilen, zurueck); },
                                                 [](const Sammelergebnis& s) {
                                                     return QVariant::fromValue(Staende(
                                                         std::make_shared<const QList<Zeilenstand>>(AlarmAuswahl::StaendeNach(s))));
                                                 }),
                                d, befehl, zurueck};
            return;
        }
        const QList<Schreibauftrag> auftraege = befehl->Auftraege(zurueck);
        const int warten = d->SchreibenWartenMs();
        m_offenerSchritt = {d->SchreibenAlle(auftraege), d, befehl, zurueck};
        if (const auto a = d->Abwarten(m_offenerSchritt.ticket, warten))
            SchrittBeantwortet(*a);
        return;
    }
    if (befehl->Versuchen(zurueck)) {
        // written: the stack only moves its index
        zurueck ? m_stapel.undo() : m_stapel.redo();
        return;
    }
    SchrittAbgelehnt(befehl, zurueck);
}

void Verlauf::SchrittAbgelehnt(QUndoCommand* schritt, bool zurueck) {
    auto* befehl = static_cast<SchreibBefehl*>(schritt);
    const QString wie = zurueck ? QStringLiteral("zurückgenommen") : QStringLiteral("wiederholt");
    const int wahl = Dialoge::aktuell().Wahl(
        nullptr, zurueck ? QStringLiteral("Rückgängig") : QStringLiteral("Wiederholen"),
        QStringLiteral("\"%1\" lässt sich nicht %2:\n%3\n\nDer Schritt bleibt im Verlauf, bis Sie ihn verwerfen.")
            .arg(befehl->text(), wie, m_letzteAblehnung),
        {QStringLiteral("Schritt behalten"), QStringLiteral("Schritt verwerfen")});
    if (wahl != 1)
        return;
    // Discarded: the stack steps over it without writing and drops it.
    befehl->Verwerfen();
    zurueck ? m_stapel.undo() : m_stapel.redo();
}
