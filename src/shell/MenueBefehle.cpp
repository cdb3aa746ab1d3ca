#include "shell/MenueBefehle.h"

#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Hauptfenster.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/PfeilEintrag.h"
#include "editor/PfeilText.h"
#include "editor/frmPicture.h"

// Both menus act in the single-arrow mode only. An item beyond the current
// list (left over from an earlier, longer one) does nothing.

void MenueBefehle::PfeilMenuKlick(std::int16_t i, frmPicture* bild) {
    if (gSingleMode != WAHR)
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
    const auto ergebnis = PfeilEintrag::Schreiben(*a, tag, left, top, *bildName);
    h->StatusText(1, PfeilEintrag::StatusText(ergebnis, tag,
                                              PfeilText::Geschrieben({ident, symbol, PfeilText::Zahl(left),
                                                                      PfeilText::Zahl(top)})));
    bild->FocusRect(static_cast<std::int16_t>(k));
    h->imgNeu = WAHR;
}

void MenueBefehle::AlarmMenuKlick(std::int16_t j, frmPicture* bild) {
    if (gSingleMode != WAHR)
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
    if (bild)
        bild->BildLaden(a->BilderPath() + QStringLiteral("\\") + N + QStringLiteral("\\") + F);
    const std::optional<AlarmRecord> alarm = a->AktuellerAlarm();
    const int k = bild ? bild->PfeilAnzahl() - 1 : 0;
    // Element 0 is the template, not an arrow of the alarm: it is never written.
    const bool pfeil = alarm && k >= 1;
    std::optional<PfeilEintrag::Ergebnis> ergebnis;
    QString tag;
    if (pfeil) {
        const QString ident = alarm->value(AlarmFeld::Ident);
        const QString text = alarm->value(AlarmFeld::Alarmtext);
        const QStringList symbole = a->SymbolListe().value_or(QStringList());
        tag = bild->imgPfeil(k).Tag;
        if (h->imgNeuIndex >= 0 && h->imgNeuIndex < symbole.size())
            tag = PfeilText::Tag(ident, symbole.at(h->imgNeuIndex));
        const int left = bild->imgPfeil(k).Left;
        const int top = bild->imgPfeil(k).Top;
        bild->PfeilBeschriften(k, tag, PfeilText::ToolTip(ident, text, F, left, top), ident, text);
        ergebnis = PfeilEintrag::Schreiben(*a, tag, left, top, N);
    }
    h->imgNeuDB = FALSCH;
    // Only a write that took place is confirmed.
    if (ergebnis)
        h->StatusText(1, PfeilEintrag::StatusText(
                             *ergebnis, tag, PfeilText::Geschrieben({alarm->value(AlarmFeld::Ident), F})));
    if (bild) {
        bild->setWindowTitle(PfeilText::Titel(F));
        bild->BildNeuZeichnen();
    }
    h->imgNeu = WAHR;
    h->BildfensterZeigen();
}
