#include "editor/PfeilSteuerung.h"

#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Hauptwerte.h"
#include "editor/PfeilEintrag.h"
#include "editor/PfeilText.h"
#include "editor/Pfeilliste.h"
#include "editor/frmPicture.h"

PfeilSteuerung::PfeilSteuerung(frmPicture& bild, Hauptwerte& werte)
    : QObject(&bild), m_bild(bild), m_werte(werte) {}

Schreibergebnis PfeilSteuerung::KeinAlarm() {
    return Schreibergebnis::Abgelehnt(QStringLiteral("Nichts in die DB geschrieben: kein Alarm gewählt."));
}

void PfeilSteuerung::Absenden(const Schreibauftrag& auftrag, const QString& beschreibung) {
    if (m_weg) {
        m_weg(auftrag, beschreibung);
        return;
    }
    AlarmAuswahl* k = m_werte.Auswahl;
    Ergebnis(k ? k->ZeileSchreiben(auftrag, beschreibung) : KeinAlarm());
}

void PfeilSteuerung::NichtGesendet(const Schreibergebnis& grund) { Beantworten(LetzterSchritt(), grund); }

void PfeilSteuerung::Oeffnen(Schritt s, int index) {
    s.nummer = ++m_nummer;
    m_offen.append(s);
    // Each open write keeps its arrow's index, which follows the arrow when one before it goes.
    Pfeilliste& l = m_bild.Pfeile();
    l.Eigene.append(index);
    l.Eigener = index;
}

bool PfeilSteuerung::Abweisen() {
    if (m_offen.isEmpty())
        return false;
    // The command changes the arrow of a write still open: the user tries again in a moment.
    emit StatusMeldung(QStringLiteral("Ein Pfeil wird noch in die DB geschrieben; bitte gleich noch einmal versuchen."),
                       QString());
    return true;
}

void PfeilSteuerung::PfeilSchreiben(int index, bool bewegt, const QString& beschreibung) {
    AlarmAuswahl* k = m_werte.Auswahl;
    if (!k || !m_bild.Pfeile().IstPfeil(index))
        return;
    // Its own write is still open: the next one is conditional on what that one leaves in the row.
    const qsizetype offen = m_bild.Pfeile().Eigene.lastIndexOf(index);
    if (offen >= 0) {
        m_offen[offen].nachzug = beschreibung;
        return;
    }
    // Copies: the write's report may take other arrows off the list.
    const PfeilBild a = m_bild.imgPfeil(index);
    const auto teile = PfeilText::TagTeile(a.Tag).value_or(std::make_pair(a.Tag, QString()));
    Oeffnen({Art::Pfeil, teile.first, teile.second, {}, {}}, index);
    // Without a current alarm or a picture name there is nothing to write; the user is told.
    const std::optional<QString> bild = PfeilEintrag::AlarmBildName(*k, m_werte.imgNeuDB, m_werte.bmpNeuIndex);
    Schreibergebnis grund = KeinAlarm();
    const auto auftrag =
        bild ? PfeilEintrag::Auftrag(*k, a.Satz, a.Tag, a.Left, a.Top, *bild, bewegt, &grund) : std::nullopt;
    auftrag ? Absenden(*auftrag, beschreibung) : NichtGesendet(grund);
}

void PfeilSteuerung::SymbolWaehlen(int i) {
    if (gSingleMode != WAHR || m_bild.Bildwechsel() || Abweisen())
        return;
    AlarmAuswahl* a = m_werte.Auswahl;
    if (!a)
        return;
    // The command gives the current alarm's arrow a symbol: without an alarm,
    // a symbol entry, a picture name or an arrow it changes nothing.
    const std::optional<AlarmRecord> alarm = a->AktuellerAlarm();
    const QStringList symbole = a->SymbolListe().value_or(QStringList());
    if (!alarm || i < 0 || i >= symbole.size())
        return;
    const std::optional<QString> bildName = PfeilEintrag::AlarmBildName(*a, m_werte.imgNeuDB, m_werte.bmpNeuIndex);
    const int k = m_bild.PfeilAnzahl() - 1;
    if (!bildName || k < 1)
        return;
    m_werte.imgNeuIndex = static_cast<std::int16_t>(i);
    const QString symbol = symbole.at(i);
    const QString ident = alarm->value(AlarmFeld::Ident);
    const QString text = alarm->value(AlarmFeld::Alarmtext);
    m_bild.PfeilBildLaden(k, a->SymbolPath() + QStringLiteral("\\") + symbol);
    const QString tag = PfeilText::Tag(ident, symbol);
    const int left = m_bild.imgPfeil(k).Left;
    const int top = m_bild.imgPfeil(k).Top;
    m_bild.PfeilBeschriften(k, tag, PfeilText::ToolTip(ident, text, symbol, left, top), ident, text);
    Oeffnen({Art::Symbol, ident, symbol, {}, {}}, k);
    Schreibergebnis grund = KeinAlarm();
    const auto auftrag = PfeilEintrag::Auftrag(*a, *alarm, tag, left, top, *bildName,
                                               PfeilEintrag::Bewegt(*alarm, left, top), &grund);
    auftrag ? Absenden(*auftrag, QStringLiteral("Symbol von Alarm %1 ändern").arg(ident)) : NichtGesendet(grund);
}

void PfeilSteuerung::BildWaehlen(int j) {
    if (gSingleMode != WAHR || m_bild.Bildwechsel() || Abweisen())
        return;
    AlarmAuswahl* a = m_werte.Auswahl;
    if (!a)
        return;
    const QStringList bilder = a->AlarmBilderListe().value_or(QStringList());
    if (j < 0 || j >= bilder.size())
        return;
    // From here a step that cannot run is skipped and the next one runs.
    m_werte.bmpNeuIndex = static_cast<std::int16_t>(j);
    const QString F = bilder.at(j);
    const QString N = PfeilText::OhneEndung(F);
    m_bild.BildZeigen(N, F);
    const std::optional<AlarmRecord> alarm = a->AktuellerAlarm();
    // An alarm without a picture has no arrow yet: choosing a picture gives it one.
    if (alarm && alarm->value(AlarmFeld::Form).isEmpty() && m_bild.PfeilAnzahl() <= 1)
        m_bild.PfeilFuerAlarmOhneBild(*alarm);
    const int k = m_bild.PfeilAnzahl() - 1;
    // Element 0 is the template, not an arrow of the alarm: it is never written.
    if (!alarm || k < 1) {
        Oeffnen({Art::Bild, {}, {}, F, {}}, 0);
        // nothing was tried: the picture chosen stays, nothing to report
        Schreibergebnis nichts;
        nichts.art = Schreibergebnis::Art::KeinAlarm;
        Beantworten(LetzterSchritt(), nichts);
        return;
    }
    const QString ident = alarm->value(AlarmFeld::Ident);
    const QString text = alarm->value(AlarmFeld::Alarmtext);
    // The row keeps the symbol its arrow shows.
    const PfeilBild& p = m_bild.imgPfeil(k);
    const QString symbol =
        PfeilText::TagTeile(p.Tag).value_or(std::make_pair(QString(), p.Satz.value(AlarmFeld::Symbol))).second;
    const QString tag = PfeilText::Tag(ident, symbol);
    const int left = p.Left;
    const int top = p.Top;
    m_bild.PfeilBeschriften(k, tag, PfeilText::ToolTip(ident, text, F, left, top), ident, text);
    Oeffnen({Art::Bild, ident, symbol, F, *alarm}, k);
    Schreibergebnis grund = KeinAlarm();
    const auto auftrag =
        PfeilEintrag::Auftrag(*a, *alarm, tag, left, top, N, PfeilEintrag::Bewegt(*alarm, left, top), &grund);
    auftrag ? Absenden(*auftrag, QStringLiteral("Bild von Alarm %1 ändern").arg(ident)) : NichtGesendet(grund);
}

void PfeilSteuerung::Ergebnis(const Schreibergebnis& e) {
    if (!m_offen.isEmpty())
        Beantworten(m_offen.first().nummer, e);
}

void PfeilSteuerung::Beantworten(quint64 nummer, const Schreibergebnis& e) {
    qsizetype pos = 0;
    while (pos < m_offen.size() && m_offen.at(pos).nummer != nummer)
        ++pos;
    if (pos == m_offen.size())
        return;
    const Schritt s = m_offen.takeAt(pos);
    // where the arrow stands now, should an arrow before it have gone
    Pfeilliste& l = m_bild.Pfeile();
    const int index = pos < l.Eigene.size() ? l.Eigene.takeAt(pos) : l.Eigener;
    l.Eigener = l.Eigene.isEmpty() ? 0 : l.Eigene.last();
    const AlarmRecord& z = e.zeile;
    switch (s.art) {
    case Art::Pfeil:
    case Art::Symbol:
        if (e.geschrieben()) {
            emit StatusText(1, PfeilEintrag::StatusText(e, PfeilText::Geschrieben({s.ident, s.symbol,
                                                                                   z.value(AlarmFeld::X),
                                                                                   z.value(AlarmFeld::Y)})));
        } else {
            // The screen shows what the row holds, not the spot that was not stored.
            m_bild.PfeilZuruecksetzen(index);
            emit StatusMeldung(e.text, e.detail);
        }
        if (s.art == Art::Symbol) {
            m_bild.FocusRect(static_cast<std::int16_t>(index));
            m_werte.imgNeu = WAHR;
        }
        Nachziehen(s, e, index);
        return;
    case Art::Bild:
        break;
    }
    // A picture was chosen.
    const bool versucht = !s.ident.isEmpty();
    QString titel = s.datei;
    if (versucht && !e.geschrieben()) {
        // Nothing stored: the window shows the alarm's picture and arrow as the row holds them.
        QString form = e.art == Schreibergebnis::Art::Geaendert ? z.value(AlarmFeld::Form)
                                                                : s.alarm.value(AlarmFeld::Form);
        // as the picture's file is called: a column of fixed width pads the name
        while (form.endsWith(QLatin1Char(' ')))
            form.chop(1);
        m_bild.BildZeigen(form, form + QStringLiteral(".bmp"));
        m_bild.PfeilZuruecksetzen(index);
        titel = form;
    }
    m_werte.imgNeuDB = versucht && !e.geschrieben() ? WAHR : FALSCH;
    if (versucht && e.geschrieben())
        emit StatusText(1, PfeilEintrag::StatusText(e, PfeilText::Geschrieben({s.ident, s.datei})));
    else if (versucht)
        emit StatusMeldung(e.text, e.detail);
    m_bild.setWindowTitle(PfeilText::Titel(titel));
    m_bild.BildNeuZeichnen();
    m_werte.imgNeu = WAHR;
    emit BildfensterZeigen();
    Nachziehen(s, e, index);
}

void PfeilSteuerung::Nachziehen(const Schritt& s, const Schreibergebnis& e, int index) {
    // A refusal put the arrow back onto its row: the later drop goes with it, as the message says.
    if (!s.nachzug || !e.geschrieben() || !m_bild.Pfeile().IstPfeil(index))
        return;
    const PfeilBild& a = m_bild.imgPfeil(index);
    PfeilSchreiben(index, PfeilEintrag::Bewegt(a.Satz, a.Left, a.Top), *s.nachzug);
}
