#include "editor/PfeilEintrag.h"

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzeigemodus.h"
#include "editor/PfeilText.h"

std::optional<QString> PfeilEintrag::AlarmBildName(const AlarmAuswahl& a, std::int16_t imgNeuDB,
                                                   std::int16_t bmpNeuIndex) {
    const std::optional<AlarmRecord> r = a.AktuellerAlarm();
    if (!r)
        return std::nullopt;
    if (imgNeuDB == WAHR)
        return r->value(AlarmFeld::Form);
    const QStringList bilder = a.AlarmBilderListe().value_or(QStringList());
    if (bmpNeuIndex < 0 || bmpNeuIndex >= bilder.size())
        return std::nullopt;
    return PfeilText::OhneEndung(bilder.at(bmpNeuIndex));
}

PfeilEintrag::Ergebnis PfeilEintrag::Schreiben(AlarmAuswahl& a, const QString& tag, int left, int top,
                                               const QString& bild) {
    Ergebnis e;
    try {
        e.geschrieben = a.ActuelleWerteEintragen(tag, PfeilText::Zahl(left), PfeilText::Zahl(top), bild);
    } catch (const AlarmdefsFehler& f) {
        // the user must see that nothing was stored
        e.fehler = f.Text();
    }
    return e;
}

QString PfeilEintrag::StatusText(const Ergebnis& e, const QString& tag, const QString& bestaetigung) {
    if (!e.fehler.isEmpty())
        return e.fehler;
    if (!e.geschrieben)
        return PfeilText::NichtGefunden(PfeilText::TagTeile(tag).value_or(std::make_pair(tag, QString())).first);
    return bestaetigung;
}
