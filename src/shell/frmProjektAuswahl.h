#pragma once
// The project selection dialog "Projektauswahl" with the pages "Neu  ",
// "Bekannt" and "Aktuell". The opening of an alarm database calls Laden(),
// shows the dialog through the dialog seam, then reads prj.
#include <QDialog>
#include <QIcon>
#include <QList>
#include <cstdint>
#include <memory>

class CRegProjects;
class CRegProject;
class CKorvant;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

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
    std::shared_ptr<CRegProject> prj;  // the chosen project; stays valid whatever the collection does
    std::shared_ptr<CRegProject> ClassicProject;

    // Small icon numbers of the lists (1-based, as icon number PrjType + 1).
    static constexpr int ICON_KLASSISCH = 4;
    static constexpr int ROLLE_ICON = Qt::UserRole + 1;
    // Marks an entry of "Bekannt" found by its information file. Its icon is
    // that of a registered project of type 3, so the icon cannot tell them apart.
    static constexpr int ROLLE_GEFUNDEN = Qt::UserRole + 2;

public slots:
    void reject() override;   // Escape and the close box act as "Abbrechen"

private slots:
    void cmdOeffnen_Click();
    void cmdHilfe_Click();
    void SSTab_Click();
    void lvwAktuell_ItemClick(QTreeWidgetItem* item);
    void lvwBekannt_ItemClick(QTreeWidgetItem* item);
    void lvwNew_ItemClick(QTreeWidgetItem* item);
    void Liste_DblClick(QTreeWidget* lvw);

private:
    void Aufbauen();
    void HervorgehobeneWaehlen();
    void EintragHinzufuegen(QTreeWidget* lvw, const QStringList& texte, int nIcon);

    QTabWidget* SSTab = nullptr;
    QTreeWidget* lvwNew = nullptr;
    QTreeWidget* lvwBekannt = nullptr;
    QTreeWidget* lvwAktuell = nullptr;
    QPushButton* cmdSuchen = nullptr;
    QPushButton* cmdOeffnen = nullptr;
    QPushButton* cmdAbbrechen = nullptr;
    QPushButton* cmdHilfe = nullptr;
    QList<QIcon> imlbmpklein;   // icons 1..4 at 0..3; 2 is "Server", 3 "ClientServer"
    bool mfLaedt = false;
};
