#include "shell/MenueBefehle.h"

#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/PfeilEintrag.h"
#include "editor/PfeilText.h"
#include "editor/frmPicture.h"
#include "alarms/Schreibergebnis.h"

// Both menus act in the single-arrow mode only. An item beyond the current
// list (left over from an earlier, longer one) does nothing.

namespace {
QString KeinAlarm() { return QStringLiteral("Nichts in die DB geschrieben: kein Alarm gewählt."); }
}  // namespace

void MenueBefehle::PfeilMenuKlick(std::int16_t i, frmPicture* bild) {
    if (gSingleMode != WAHR || (bild && bild->Bildwechsel()))
        return;
    Hauptfenster* h = Hauptfenster::instanz();
    AlarmAuswahl* a = h ? h->mgobjAuswahl() : nullptr;
    if (!a || !bild)
        return;
    // The command gives the current alarm's arrow a symbol: without an alarm,
    // a symbol entry, a picture name or an arrow it changes nothing.
    const std::optional<AlarmRecord> alarm = a->AktuellerAlarm();
    const QStringList symbole = a->SymbolListe().value_or(QStringList());
    if (!alarm || i < 0 || i >= symbole.size())
        return;
    const std::optional<QString> bildName = PfeilEintrag::AlarmBildName(*a, h->imgNeuDB, h->bmpNeuIndex);
    const int k = bild->PfeilAnzahl() - 1;
    if (!bildName || k < 1)
        return;
    h->imgNeuIndex = i;
    const QString symbol = symbole.at(i);
    const QString ident = alarm->value(AlarmFeld::Ident);
    const QString text = alarm->value(AlarmFeld::Alarmtext);
    bild->PfeilBildLaden(k, a->SymbolPath() + QStringLiteral("\\") + symbol);
    const QString tag = PfeilText::Tag(ident, symbol);
    const int left = bild->imgPfeil(k).Left;
    const int top = bild->imgPfeil(k).Top;
    bild->PfeilBeschriften(k, tag, PfeilText::ToolTip(ident, text, symbol, left, top), ident, text);
    bild->EigenerPfeil = k;
    const auto ergebnis =
        PfeilEintrag::Schreiben(*a, *alarm, tag, left, top, *bildName, PfeilEintrag::Bewegt(*alarm, left, top),
                                QStringLiteral("Symbol von Alarm %1 ändern").arg(ident));
    bild->EigenerPfeil = 0;
    if (ergebnis && ergebnis->geschrieben()) {
        const AlarmRecord& z = ergebnis->zeile;
        h->StatusText(1, PfeilEintrag::StatusText(*ergebnis, PfeilText::Geschrieben({ident, symbol, z.value(AlarmFeld::X),
                                                                                      z.value(AlarmFeld::Y)})));
    } else {
        // The arrow shows again what the row holds.
        bild->PfeilZuruecksetzen(k);
        h->StatusMeldung(ergebnis ? ergebnis->text : KeinAlarm(), ergebnis ? ergebnis->detail : QString());
    }
    bild->FocusRect(static_cast<std::int16_t>(k));
    h->imgNeu = WAHR;
}

void MenueBefehle::AlarmMenuKlick(std::int16_t j, frmPicture* bild) {
    if (gSingleMode != WAHR || (bild && bild->Bildwechsel()))
        return;
    Hauptfenster* h = Hauptfenster::instanz();
    AlarmAuswahl* a = h ? h->mgobjAuswahl() : nullptr;
    if (!a)
        return;
    const QStringList bilder = a->AlarmBilderListe().value_or(QStringList());
    if (j < 0 || j >= bilder.size())
        return;
    // From here a step that cannot run is skipped and the next one runs.
    h->bmpNeuIndex = j;
    const QString F = bilder.at(j);
    const QString N = PfeilText::OhneEndung(F);
    auto bildZeigen = [&](const QString& form, const QString& datei) {
        if (!bild)
            return;
        bild->BildLaden(a->BilderPath() + QStringLiteral("\\") + form + QStringLiteral("\\") + datei);
        bild->setBildForm(form);
    };
    bildZeigen(N, F);
    const std::optional<AlarmRecord> alarm = a->AktuellerAlarm();
    // An alarm without a picture has no arrow yet: choosing a picture gives it one.
    if (bild && alarm && alarm->value(AlarmFeld::Form).isEmpty() && bild->PfeilAnzahl() <= 1)
        bild->PfeilFuerAlarmOhneBild(*alarm);
    const int k = bild ? bild->PfeilAnzahl() - 1 : 0;
    // Element 0 is the template, not an arrow of the alarm: it is never written.
    const bool pfeil = alarm && k >= 1;
    std::optional<Schreibergebnis> ergebnis;
    QString titel = F;
    if (pfeil) {
        const QString ident = alarm->value(AlarmFeld::Ident);
        const QString text = alarm->value(AlarmFeld::Alarmtext);
        // The row keeps the symbol its arrow shows.
        const PfeilBild& p = bild->imgPfeil(k);
        const QString symbol = PfeilText::TagTeile(p.Tag).value_or(std::make_pair(QString(), p.Satz.value(AlarmFeld::Symbol))).second;
        const QString tag = PfeilText::Tag(ident, symbol);
        const int left = p.Left;
        const int top = p.Top;
        bild->PfeilBeschriften(k, tag, PfeilText::ToolTip(ident, text, F, left, top), ident, text);
        bild->EigenerPfeil = k;
        ergebnis = PfeilEintrag::Schreiben(*a, *alarm, tag, left, top, N, PfeilEintrag::Bewegt(*alarm, left, top),
                                           QStringLiteral("Bild von Alarm %1 ändern").arg(ident));
        bild->EigenerPfeil = 0;
        if (ergebnis && !ergebnis->geschrieben()) {
            // Nothing stored: the window shows the alarm's picture and arrow as the row holds them.
            const QString form = ergebnis->art == Schreibergebnis::Art::Geaendert
                                     ? ergebnis->zeile.value(AlarmFeld::Form)
                                     : alarm->value(AlarmFeld::Form);
            bildZeigen(form, form + QStringLiteral(".bmp"));
            bild->PfeilZuruecksetzen(k);
            titel = form;
        }
    }
    const bool geschrieben = ergebnis && ergebnis->geschrieben();
    h->imgNeuDB = pfeil && !geschrieben ? WAHR : FALSCH;
    if (ergebnis && geschrieben)
        h->StatusText(1, PfeilEintrag::StatusText(
                             *ergebnis, PfeilText::Geschrieben({alarm->value(AlarmFeld::Ident), F})));
    else if (ergebnis)
        h->StatusMeldung(ergebnis->text, ergebnis->detail);
    if (bild) {
        bild->setWindowTitle(PfeilText::Titel(titel));
        bild->BildNeuZeichnen();
    }
    h->imgNeu = WAHR;
    h->BildfensterZeigen();
}
