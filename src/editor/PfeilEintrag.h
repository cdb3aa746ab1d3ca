#pragma once
// Writing one arrow into the alarm's row through the component, for the
// release of a dragged arrow and for the two menus: the picture name the row
// receives, and the text that tells the user what happened.
#include <QString>
#include <cstdint>
#include <optional>

class AlarmAuswahl;

class PfeilEintrag {
public:
    // The picture name written into Form: the current alarm's own when the
    // picture shown is the stored one (imgNeuDB True), else the entry
    // bmpNeuIndex of the picture list without its extension; nullopt when
    // there is no such entry or no current alarm.
    static std::optional<QString> AlarmBildName(const AlarmAuswahl& a, std::int16_t imgNeuDB,
                                                std::int16_t bmpNeuIndex);

    struct Ergebnis {
        bool geschrieben = false;
        QString fehler;  // German text of a failed write, empty otherwise
    };
    // Calls ActuelleWerteEintragen; a failing database is caught and its text returned.
    static Ergebnis Schreiben(AlarmAuswahl& a, const QString& tag, int left, int top, const QString& bild);

    // The text for status panel 1: the confirmation only when a row was written.
    static QString StatusText(const Ergebnis& e, const QString& tag, const QString& bestaetigung);
};
