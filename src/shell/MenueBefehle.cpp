// Placeholder until the menu commands land with the picture window.
#include "shell/MenueBefehle.h"

void MenueBefehle::PfeilMenuKlick(std::int16_t, frmPicture*) {}
void MenueBefehle::AlarmMenuKlick(std::int16_t, frmPicture*) {}
