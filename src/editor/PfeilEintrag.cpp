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

QString PfeilEintrag::PositionsText(const QString& gelesen, int jetzt, bool bewegt) {
    // An arrow not moved keeps the row's position as it stands, also one
    // with a decimal part ("120,5") that the arrow shows rounded.
    if (!bewegt)
        return gelesen.trimmed().isEmpty() ? QString() : gelesen;
    return PfeilText::Zahl(jetzt);
}

std::optional<Schreibergebnis> PfeilEintrag::Schreiben(AlarmAuswahl& a, const AlarmRecord& gelesen, const QString& tag,
                                                       int left, int top, const QString& bild, bool bewegt,
                                                       const QString& beschreibung) {
    std::optional<AlarmRecord> satz;
    if (!gelesen.isEmpty())
        satz = gelesen;
    return a.PfeilEintragen(tag, PositionsText(gelesen.value(AlarmFeld::X), left, bewegt),
                            PositionsText(gelesen.value(AlarmFeld::Y), top, bewegt), bild, satz, beschreibung);
}

std::optional<Schreibauftrag> PfeilEintrag::Auftrag(const AlarmAuswahl& a, const AlarmRecord& gelesen,
                                                   const QString& tag, int left, int top, const QString& bild,
                                                   bool bewegt, Schreibergebnis* ablehnung) {
    const qsizetype raute = tag.indexOf(QLatin1Char('#'));
    if (raute < 0 || !a.AktuellerAlarm())
        return std::nullopt;
    const QString symbol = tag.mid(raute + 1);
    const QString strX = PositionsText(gelesen.value(AlarmFeld::X), left, bewegt);
    const QString strY = PositionsText(gelesen.value(AlarmFeld::Y), top, bewegt);
    // A position given as the row holds it is not written, so a click without
    // a move changes nothing (nor rounds "120,5").
    const bool lageBleibt =
        !gelesen.isEmpty() && strX == gelesen.value(AlarmFeld::X) && strY == gelesen.value(AlarmFeld::Y);
    const auto x = lageBleibt ? std::optional<QVariant>(QVariant()) : AlarmdefsZugriff::Position(strX);
    const auto y = lageBleibt ? std::optional<QVariant>(QVariant()) : AlarmdefsZugriff::Position(strY);
    if (!x || !y) {
        if (ablehnung)
            *ablehnung = Schreibergebnis::Abgelehnt(
                QStringLiteral("Ungültige Position X = %1 Y = %2; nichts wurde geschrieben.").arg(strX, strY));
        return std::nullopt;
    }
    Schreibauftrag auftrag;
    auftrag.ident = tag.left(raute);
    auftrag.spalten << AlarmFeld::Form;
    auftrag.werte << bild;
    // A symbol without a file name is no symbol: the row keeps none rather than a bare folder.
    auftrag.spalten << AlarmFeld::Symbol;
    auftrag.werte << (symbol.isEmpty() ? QVariant() : QVariant(a.PfadErweiterung() + symbol));
    if (!lageBleibt) {
        auftrag.spalten << AlarmFeld::X << AlarmFeld::Y;
        auftrag.werte << *x << *y;
    }
    if (!gelesen.isEmpty())
        auftrag.gelesen = gelesen;
    return auftrag;
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
