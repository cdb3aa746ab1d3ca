#pragma once
// Writing one arrow into the alarm's row through the component, for the
// release of a dragged arrow and for the two menus: the picture name the row
// receives, the positions written, and the text that tells the user what
// happened.
#include <QString>
#include <cstdint>
#include <optional>

#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"
#include "editor/PfeilBild.h"

class AlarmAuswahl;

class PfeilEintrag {
public:
    // The picture name written into Form: the current alarm's own when the
    // picture shown is the stored one (imgNeuDB True), else the entry
    // bmpNeuIndex of the picture list without its extension; nullopt when
    // there is no such entry or no current alarm.
    static std::optional<QString> AlarmBildName(const AlarmAuswahl& a, std::int16_t imgNeuDB,
                                                std::int16_t bmpNeuIndex);

    // The position text written for one axis: an arrow not moved keeps what
    // the row holds (none stays none), so nothing is invented or rounded.
    static QString PositionsText(const QString& gelesen, int jetzt, bool bewegt);

    // The write of an arrow at left/top with that tag (Ident#symbol) as an
    // order, not yet sent; gelesen is the row as it was read (empty: unknown).
    // nullopt when nothing is to be tried (no current alarm, a tag without
    // "#"), or when a position is no number, which ablehnung then says.
    static std::optional<Schreibauftrag> Auftrag(const AlarmAuswahl& a, const AlarmRecord& gelesen, const QString& tag,
                                                 int left, int top, const QString& bild, bool bewegt,
                                                 Schreibergebnis* ablehnung);
    // Whether an arrow at left/top stands elsewhere than the row's position.
    static bool Bewegt(const AlarmRecord& gelesen, int left, int top);

    // The text for status panel 1: the confirmation only when the row was
    // written (with a note when its alarm number is not unique), otherwise
    // what stopped the write.
    static QString StatusText(const Schreibergebnis& e, const QString& bestaetigung);
};
