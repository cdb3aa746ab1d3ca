#include "shell/Suchleiste.h"

#include <QLineEdit>
#include <QSqlRecord>
#include <utility>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Takt.h"
#include "shell/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "werkzeuge/Suche.h"

Suchleiste::Suchleiste(Hauptfenster& haupt, QObject* parent) : QObject(parent), m_haupt(haupt) {}

void Suchleiste::Verbinden(AlarmAuswahl* auswahl) {
    m_auswahl = auswahl;
    m_text.clear();
    m_treffer.clear();
    m_pos = -1;
    m_offen = {};
    if (auswahl) {
        connect(auswahl, &AlarmAuswahl::SucheAngefordert, this, &Suchleiste::Weiter);
        // A pick the user starts while a search is on its way wins: the grid does not jump away from it later.
        connect(auswahl, &AlarmAuswahl::WahlBegonnen, this, [this] {
            if (!m_offen.ticket)
                return;
            if (m_offen.dienst)
                m_offen.dienst->Abbrechen(m_offen.ticket);
            const QString text = std::exchange(m_offen, {}).text;
            m_haupt.StatusText(1, QStringLiteral("Suche nach „%1“ abgebrochen: ein anderer Alarm wurde gewählt.").arg(text));
        });
    }
}

void Suchleiste::Weiter(const QString& eingabe, int richtung) {
    const QString text = eingabe.trimmed();
    if (!m_auswahl || text.isEmpty())
        return;
    m_frist = Takt::Frist();
    // The matches come in the grid's order, so Enter steps down the grid.
    Suche::Reihenfolge reihe;
    frmAlarmAuswahl* grid = m_auswahl->HatFenster() ? m_auswahl->Fenster() : nullptr;
    if (const auto sortierung = grid && grid->dbAlarme ? grid->Sortierung() : std::nullopt) {
        // The sorted grid column's name as the table spells it (the table's own order may differ).
        reihe.spalte = grid->dbAlarme->headerData(sortierung->first, Qt::Horizontal).toString();
        reihe.text = !AlarmdefsModell::IstZahlenSpalte(sortierung->first);
        reihe.ordnung = sortierung->second;
    }
    const QString reiheText = reihe.spalte + QString::number(reihe.ordnung);
    if (text == m_text && reiheText == m_reihe) {
        // A search still on its way for other words is given up: these are the words shown.
        m_offen = {};
        Springen(text, richtung);
        return;
    }
    const QString datenbank = m_auswahl->AlarmDatenbank();
    Datendienst* d = m_auswahl->Dienst();
    if (!d) {
        QList<qlonglong> treffer;
        try {
            treffer = Suche::Finden(datenbank, text, reihe);
        } catch (const AlarmdefsFehler& e) {
            m_haupt.StatusMeldung(e.Text(), e.Detail());
            return;
        }
        Gefunden(treffer, text, reiheText, richtung);
        return;
    }
    // Searched on the database's worker: the window goes on meanwhile, a newer search replaces this one.
    if (m_offen.ticket && m_offen.dienst)
        m_offen.dienst->Abbrechen(m_offen.ticket);
    connect(d, &Datendienst::Beantwortet, this, &Suchleiste::Beantwortet, Qt::UniqueConnection);
    const Datendienst::Ticket t = d->Rechnen([datenbank, text, reihe]() -> QVariant {
        try {
            return QVariant::fromValue(Suche::Finden(datenbank, text, reihe));
        } catch (const AlarmdefsFehler& e) {
            return QVariant(QStringList{e.Text(), e.Detail()});
        }
    });
    m_offen = {t, d, text, reiheText, richtung};
    m_haupt.StatusText(1, QStringLiteral("Suche nach „%1“ …").arg(text));
    if (const auto a = d->Abwarten(t, Takt::Rest(m_frist)))
        Erhalten(*a);
}

void Suchleiste::Beantwortet(const Datendienst::Antwort& a) {
    // Another request of the worker, one of a worker left behind, or a search replaced since.
    if (m_offen.dienst.data() != sender())
        return;
    m_frist = Takt::Frist();
    Erhalten(a);
}

void Suchleiste::Erhalten(const Datendienst::Antwort& a) {
    if (!m_offen.ticket || a.ticket != m_offen.ticket)
        return;
    const Offen o = std::exchange(m_offen, {});
    if (!m_auswahl || a.abgebrochen)
        return;
    if (!a.ok) {
        m_haupt.StatusMeldung(a.fehler.databaseText(), a.fehler.driverText());
        return;
    }
    if (a.wert.userType() == QMetaType::QStringList) {
        const QStringList fehler = a.wert.toStringList();
        m_haupt.StatusMeldung(fehler.value(0), fehler.value(1));
        return;
    }
    Gefunden(a.wert.value<QList<qlonglong>>(), o.text, o.reihe, o.richtung);
}

void Suchleiste::Gefunden(const QList<qlonglong>& treffer, const QString& text, const QString& reihe, int richtung) {
    const qlonglong bisher = m_pos >= 0 && m_pos < m_treffer.size() ? m_treffer.at(m_pos) : -1;
    const bool gleicherText = text == m_text;
    m_treffer = treffer;
    m_text = text;
    m_reihe = reihe;
    // After a new sort the steps go on from the match shown last.
    const qsizetype da = gleicherText ? m_treffer.indexOf(bisher) : -1;
    m_pos = da >= 0 ? static_cast<int>(da) : (richtung > 0 ? -1 : 0);
    Springen(text, richtung);
}

void Suchleiste::Springen(const QString& text, int richtung) {
    if (!m_auswahl)
        return;
    frmAlarmAuswahl* fenster = m_auswahl->Fenster();
    fenster->SucheMarkieren(!m_treffer.isEmpty());
    if (m_treffer.isEmpty()) {
        m_haupt.StatusText(1, QStringLiteral("Kein Alarm gefunden für „%1“.").arg(text));
        return;
    }
    const int n = static_cast<int>(m_treffer.size());
    m_pos = ((m_pos + richtung) % n + n) % n;
    const QString ident = QString::number(m_treffer.at(m_pos));
    // The find field waits what is left of its frame; the grid moves to the match when it has been found.
    if (fenster->AlarmZeigen(ident, Takt::Rest(m_frist)))
        m_haupt.StatusText(1, QStringLiteral("Treffer %1 von %2: Alarm %3").arg(m_pos + 1).arg(n).arg(ident));
    // the field keeps the keys for the next Enter
    fenster->txtSuche->setFocus();
}
