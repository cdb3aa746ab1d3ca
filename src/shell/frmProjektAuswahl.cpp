// Placeholder until the project selection dialog lands.
#include "shell/frmProjektAuswahl.h"

#include "projects/CKorvant.h"
#include "projects/CRegProject.h"
#include "projects/CRegProjects.h"

frmProjektAuswahl::frmProjektAuswahl(QWidget* owner) : QDialog(owner) { setWindowTitle(QStringLiteral("Projektauswahl")); }
frmProjektAuswahl::~frmProjektAuswahl() = default;
bool frmProjektAuswahl::Laden() {
    Typ = 2;
    return false;
}
