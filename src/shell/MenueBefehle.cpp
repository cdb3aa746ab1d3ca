#include "shell/MenueBefehle.h"

#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"

// Both menus act in the single-arrow mode only. An item beyond the current
// list (left over from an earlier, longer one) does nothing.

void MenueBefehle::PfeilMenuKlick(std::int16_t i, frmPicture* bild) {
    if (bild)
        bild->Steuerung()->SymbolWaehlen(i);
}

void MenueBefehle::AlarmMenuKlick(std::int16_t j, frmPicture* bild) {
    if (bild)
        bild->Steuerung()->BildWaehlen(j);
}
