#pragma once
// The click handlers of the hidden menus "Pfeile" (mnuArrow) and "Alarm"
// (mnuAlarm): the picture window's arrow control does the writing.
#include <cstdint>

class frmPicture;

class MenueBefehle {
public:
    static void PfeilMenuKlick(std::int16_t i, frmPicture* bild);
    static void AlarmMenuKlick(std::int16_t j, frmPicture* bild);
};
