#include "editor/PfeilEintrag.h"

#include "alarms/AlarmAuswahl.h"
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

QString PfeilEintrag::PositionsText(const QString& gelesen, int jetzt, bool bewegt) {
    // An arrow not moved keeps the row's position as it stands, also one
    // with a decimal part ("120,5") that the arrow shows rounded.
    if (!bewegt)
        return gelesen.trimmed().isEmpty() ? QString() : gelesen;
    return PfeilText::Zahl(jetzt);
}

std::optional<Schreibauftrag> PfeilEintrag::Auftrag(const AlarmAuswahl& a, const AlarmRecord& gelesen,
                                                   const QString& tag, int left, int top, const QString& bild,
                                                   bool bewegt, Schreibergebnis* ablehnung) {
    std::optional<AlarmRecord> satz;
    if (!gelesen.isEmpty())
        satz = gelesen;
    return a.PfeilAuftrag(tag, PositionsText(gelesen.value(AlarmFeld::X), left, bewegt),
                          PositionsText(gelesen.value(AlarmFeld::Y), top, bewegt), bild, satz, ablehnung);
}

bool PfeilEintrag::Bewegt(const AlarmRecord& gelesen, int left, int top) {
    return PfeilText::Position(gelesen.value(AlarmFeld::X)) != left ||
           PfeilText::Position(gelesen.value(AlarmFeld::Y)) != top;
}

QString PfeilEintrag::StatusText(const Schreibergebnis& e, const QString& bestaetigung) {
    if (!e.geschrieben())
        return e.text;
    if (e.gleicheNummern > 1)
        return bestaetigung + QStringLiteral("  (Die Alarmnummer %1 ist nicht eindeutig: %2 Zeilen; nur eine wurde "
                                             "geschrieben.)")
                                  .arg(e.zeile.value(AlarmFeld::Ident))
                                  .arg(e.gleicheNummern);
    return bestaetigung;
}
