// Placeholder until the picture window's own work lands.
#include "editor/frmPicture.h"

frmPicture::frmPicture(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Pfeileditor")); }
frmPicture::~frmPicture() = default;
void frmPicture::PfeilActivate() {}
void frmPicture::FocusRect(std::int16_t) {}
