#include "shell/Suchleiste.h"

#include <QLineEdit>
#include <QSqlRecord>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "shell/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "werkzeuge/Suche.h"

Suchleiste::Suchleiste(Hauptfenster& haupt, QObject* parent) : QObject(parent), m_haupt(haupt) {}

void Suchleiste::Verbinden(AlarmAuswahl* auswahl) {
    m_auswahl = auswahl;
    m_text.clear();
    m_treffer.clear();
    m_pos = -1;
    if (auswahl)
        connect(auswahl, &AlarmAuswahl::SucheAngefordert, this, &Suchleiste::Weiter);
}

void Suchleiste::Weiter(const QString& eingabe, int richtung) {
    const QString text = eingabe.trimmed();
    if (!m_auswahl || text.isEmpty())
        return;
    // The matches come in the grid's order, so Enter steps down the grid.
    Suche::Reihenfolge reihe;
    frmAlarmAuswahl* grid = m_auswahl->HatFenster() ? m_auswahl->Fenster() : nullptr;
    if (const auto sortierung = grid && grid->dbAlarme ? grid->Sortierung() : std::nullopt) {
        reihe.spalte = grid->dbAlarme->record().fieldName(sortierung->first);
        reihe.text = !AlarmdefsModell::IstZahlenSpalte(sortierung->first);
        reihe.ordnung = sortierung->second;
    }
    const QString reiheText = reihe.spalte + QString::number(reihe.ordnung);
    if (text != m_text || reiheText != m_reihe) {
        const qlonglong bisher = m_pos >= 0 && m_pos < m_treffer.size() ? m_treffer.at(m_pos) : -1;
        const bool gleicherText = text == m_text;
        try {
            m_treffer = Suche::Finden(m_auswahl->AlarmDatenbank(), text, reihe);
        } catch (const AlarmdefsFehler& e) {
            m_haupt.StatusMeldung(e.Text(), e.Detail());
            return;
        }
        m_text = text;
        m_reihe = reiheText;
        // After a new sort the steps go on from the match shown last.
        const qsizetype da = gleicherText ? m_treffer.indexOf(bisher) : -1;
        m_pos = da >= 0 ? static_cast<int>(da) : (richtung > 0 ? -1 : 0);
    }
    frmAlarmAuswahl* fenster = m_auswahl->Fenster();
    fenster->SucheMarkieren(!m_treffer.isEmpty());
    if (m_treffer.isEmpty()) {
        m_haupt.StatusText(1, QStringLiteral("Kein Alarm gefunden für „%1“.").arg(text));
        return;
    }
    const int n = static_cast<int>(m_treffer.size());
    m_pos = ((m_pos + richtung) % n + n) % n;
    const QString ident = QString::number(m_treffer.at(m_pos));
    if (fenster->AlarmZeigen(ident))
        m_haupt.StatusText(1, QStringLiteral("Treffer %1 von %2: Alarm %3").arg(m_pos + 1).arg(n).arg(ident));
    // the field keeps the keys for the next Enter
    fenster->txtSuche->setFocus();
}
