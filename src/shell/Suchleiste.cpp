#include "shell/Suchleiste.h"

#include <QLineEdit>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Hauptfenster.h"
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
    if (text != m_text) {
        try {
            m_treffer = Suche::Finden(m_auswahl->AlarmDatenbank(), text);
        } catch (const AlarmdefsFehler& e) {
            m_haupt.StatusMeldung(e.Text(), e.Detail());
            return;
        }
        m_text = text;
        m_pos = richtung > 0 ? -1 : 0;
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
