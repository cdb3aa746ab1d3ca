#pragma once
// The project selection dialog "Projektauswahl" with the pages "Neu  ",
// "Bekannt" and "Aktuell". The opening of an alarm database calls Laden(),
// shows the dialog through the dialog seam, then reads prj.
#include <QDialog>
#include <cstdint>
#include <memory>

class CRegProjects;
class CRegProject;
class CKorvant;

class frmProjektAuswahl : public QDialog {
    Q_OBJECT
public:
    explicit frmProjektAuswahl(QWidget* owner = nullptr);
    ~frmProjektAuswahl() override;

    // The loading step. Returns false when loading failed; then the message has
    // been shown and the dialog is closed as after "Abbrechen" (Typ 2, no prj).
    bool Laden();

    // Public variables; they keep their values after the dialog is closed.
    std::unique_ptr<CRegProjects> gRegProjects;
    std::unique_ptr<CKorvant> gKorvant;
    std::int32_t Typ = 0;
    std::int32_t PrjType = 0;
    CRegProject* prj = nullptr;  // the chosen project (owned by gRegProjects or ClassicProject)
    std::unique_ptr<CRegProject> ClassicProject;
};
