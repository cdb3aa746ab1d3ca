#include "shell/frmProjektAuswahl.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "alarms/Dialoge.h"
#include "platform/MIni.h"
#include "platform/MPfad.h"
#include "projects/CKorvant.h"
#include "projects/CRegProject.h"
#include "projects/CRegProjects.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Four small icons of our own: a project sheet, a server, a client/server
// pair and the classic project found by its information file.
QIcon KleinesIcon(int nNummer) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    switch (nNummer) {
    case 1:   // client: a screen
        p.setBrush(QColor(0x30, 0x70, 0xC0));
        p.drawRect(1, 2, 13, 9);
        p.drawLine(7, 12, 7, 13);
        p.drawLine(4, 14, 11, 14);
        break;
    case 2:   // server: a tower
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(4, 1, 8, 14);
        p.setPen(QColor(0x20, 0xC0, 0x20));
        p.drawLine(6, 4, 10, 4);
        p.drawLine(6, 7, 10, 7);
        break;
    case 3:   // client and server
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(9, 1, 6, 14);
        p.setBrush(QColor(0x30, 0x70, 0xC0));
        p.drawRect(0, 4, 8, 7);
        p.drawLine(4, 12, 4, 14);
        break;
    default:  // classic project: a sheet with lines
        p.setBrush(QColor(0xFF, 0xF0, 0xA0));
        p.drawRect(2, 1, 11, 14);
        p.drawLine(4, 5, 11, 5);
        p.drawLine(4, 8, 11, 8);
        p.drawLine(4, 11, 9, 11);
        break;
    }
    return QIcon(pm);
}
}  // namespace

frmProjektAuswahl::frmProjektAuswahl(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Projektauswahl"));
    for (int i = 1; i <= 4; ++i)
        imlbmpklein << KleinesIcon(i);
    Aufbauen();
}

frmProjektAuswahl::~frmProjektAuswahl() = default;

void frmProjektAuswahl::Aufbauen() {
    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));

    auto neueListe = [](const char* sName, const QStringList& spalten, QWidget* eltern) {
        auto* lvw = new QTreeWidget(eltern);
        lvw->setObjectName(QString::fromLatin1(sName));
        lvw->setRootIsDecorated(false);
        lvw->setSelectionMode(QAbstractItemView::SingleSelection);
        lvw->setIconSize(QSize(16, 16));
        if (spalten.isEmpty()) {
            lvw->setHeaderHidden(true);
            lvw->setColumnCount(1);
        } else {
            lvw->setHeaderLabels(spalten);
        }
        return lvw;
    };

    auto* seiteNeu = new QWidget;
    lvwNew = neueListe("lvwNew", {}, seiteNeu);
    (new QVBoxLayout(seiteNeu))->addWidget(lvwNew);

    auto* seiteBekannt = new QWidget;
    lvwBekannt = neueListe("lvwBekannt", {QStringLiteral("Name"), QStringLiteral("Pfad")}, seiteBekannt);
    cmdSuchen = new QPushButton(QStringLiteral("&Suchen"), seiteBekannt);
    cmdSuchen->setObjectName(QStringLiteral("cmdSuchen"));
    auto* lyBekannt = new QVBoxLayout(seiteBekannt);
    lyBekannt->addWidget(lvwBekannt);
    auto* lySuchen = new QHBoxLayout;
    lySuchen->addStretch();
    lySuchen->addWidget(cmdSuchen);
    lyBekannt->addLayout(lySuchen);

    auto* seiteAktuell = new QWidget;
    lvwAktuell = neueListe("lvwAktuell", {QStringLiteral("Name"), QStringLiteral("Pfad"), QStringLiteral("Kommentar")},
                           seiteAktuell);
    (new QVBoxLayout(seiteAktuell))->addWidget(lvwAktuell);

    SSTab->addTab(seiteNeu, QStringLiteral("Neu  "));
    SSTab->addTab(seiteBekannt, QStringLiteral("Bekannt"));
    SSTab->addTab(seiteAktuell, QStringLiteral("Aktuell"));

    cmdOeffnen = new QPushButton(QStringLiteral("Ö&ffnen"), this);
    cmdOeffnen->setObjectName(QStringLiteral("cmdÖffnen"));
    cmdOeffnen->setDefault(true);
    cmdAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    cmdAbbrechen->setObjectName(QStringLiteral("cmdAbbrechen"));
    cmdHilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
    cmdHilfe->setObjectName(QStringLiteral("cmdHilfe"));

    auto* lyKnoepfe = new QHBoxLayout;
    lyKnoepfe->addStretch();
    lyKnoepfe->addWidget(cmdOeffnen);
    lyKnoepfe->addWidget(cmdAbbrechen);
    lyKnoepfe->addWidget(cmdHilfe);
    auto* ly = new QVBoxLayout(this);
    ly->addWidget(SSTab);
    ly->addLayout(lyKnoepfe);
    resize(560, 380);

    connect(cmdOeffnen, &QPushButton::clicked, this, &frmProjektAuswahl::cmdOeffnen_Click);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &frmProjektAuswahl::reject);
    connect(cmdHilfe, &QPushButton::clicked, this, &frmProjektAuswahl::cmdHilfe_Click);
    connect(SSTab, &QTabWidget::currentChanged, this, &frmProjektAuswahl::SSTab_Click);

    // A click chooses; moving with the keys chooses as well, like the list view did.
    const auto verbinden = [this](QTreeWidget* lvw, void (frmProjektAuswahl::*waehlen)(QTreeWidgetItem*)) {
        connect(lvw, &QTreeWidget::itemClicked, this, [this, waehlen](QTreeWidgetItem* it) { (this->*waehlen)(it); });
        connect(lvw, &QTreeWidget::currentItemChanged, this, [this, waehlen](QTreeWidgetItem* it) {
            if (!mfLaedt && it)
                (this->*waehlen)(it);
        });
        // Enter reaches the default button "Ö&ffnen" by itself
        connect(lvw, &QTreeWidget::itemDoubleClicked, this, [this, lvw] { Liste_DblClick(lvw); });
    };
    verbinden(lvwAktuell, &frmProjektAuswahl::lvwAktuell_ItemClick);
    verbinden(lvwBekannt, &frmProjektAuswahl::lvwBekannt_ItemClick);
    verbinden(lvwNew, &frmProjektAuswahl::lvwNew_ItemClick);
}

void frmProjektAuswahl::EintragHinzufuegen(QTreeWidget* lvw, const QStringList& texte, int nIcon) {
    auto* it = new QTreeWidgetItem(lvw, texte);
    it->setData(0, ROLLE_ICON, nIcon);
    if (nIcon >= 1 && nIcon <= imlbmpklein.size())
        it->setIcon(0, imlbmpklein.at(nIcon - 1));
}

bool frmProjektAuswahl::Laden() {
    mfLaedt = true;
    lvwAktuell->clear();
    lvwBekannt->clear();
    prj = nullptr;

    if (!gRegProjects)
        gRegProjects = std::make_unique<CRegProjects>();
    for (const auto& p : *gRegProjects) {
        try {
            const std::string sKommentar = p->KVI() ? p->KVI()->Comment() : std::string();
            EintragHinzufuegen(lvwAktuell, {Q(p->Name()), Q(p->Path()), Q(sKommentar)}, p->PrjType() + 1);
        } catch (const std::exception&) {
            // a failing step is skipped: the project is left out of the list, the others are shown
        }
    }
    if (lvwAktuell->topLevelItemCount() > 0) {
        lvwAktuell->setCurrentItem(lvwAktuell->topLevelItem(0));
        lvwAktuell->topLevelItem(0)->setSelected(true);
    }

    if (!gKorvant) {
        try {
            gKorvant = std::make_unique<CKorvant>();
        } catch (const KorvantNichtInstalliert&) {
            // without the environment's installation there is nothing to choose from
            mfLaedt = false;
            Dialoge::aktuell().Meldung(this, QStringLiteral("KVStart findet keinen Registrierungspfad für die Version 4.0"));
            reject();
            return false;
        }
    }
    std::vector<CKorvant::ProjektEintrag> gefunden;
    try {
        gefunden = gKorvant->ProjekteAuflisten();
    } catch (const std::exception&) {
        // a failing step is skipped: the found projects are missing, the registered ones still come
    }
    for (const auto& e : gefunden) {
        EintragHinzufuegen(lvwBekannt, {Q(e.sName), Q(e.sPfad)}, ICON_KLASSISCH);
        lvwBekannt->topLevelItem(lvwBekannt->topLevelItemCount() - 1)->setData(0, ROLLE_GEFUNDEN, true);
    }
    for (const auto& p : *gRegProjects)
        EintragHinzufuegen(lvwBekannt, {Q(p->Name()), Q(p->Path())}, p->PrjType() + 1);
    if (lvwBekannt->topLevelItemCount() > 0) {
        lvwBekannt->resizeColumnToContents(0);
        lvwBekannt->resizeColumnToContents(1);
    }
    lvwBekannt->setCurrentItem(nullptr);
    lvwBekannt->clearSelection();

    Typ = 1;
    mfLaedt = false;
    if (SSTab->currentIndex() != 2)
        SSTab->setCurrentIndex(2);
    else
        SSTab_Click();   // the state after loading is the same either way
    return true;
}

void frmProjektAuswahl::SSTab_Click() {
    prj = nullptr;
    cmdOeffnen->setEnabled(false);
    HervorgehobeneWaehlen();
}

// A highlighted row is a chosen row: the one the page now shown highlights is
// chosen again, so "Ö&ffnen" and Enter open what the user sees marked.
void frmProjektAuswahl::HervorgehobeneWaehlen() {
    QTreeWidget* lvw = SSTab->currentIndex() == 0 ? lvwNew : SSTab->currentIndex() == 1 ? lvwBekannt : lvwAktuell;
    QTreeWidgetItem* it = lvw->currentItem();
    if (!it || !it->isSelected())
        return;
    if (lvw == lvwAktuell)
        lvwAktuell_ItemClick(it);
    else if (lvw == lvwBekannt)
        lvwBekannt_ItemClick(it);
    else
        lvwNew_ItemClick(it);
}

void frmProjektAuswahl::lvwAktuell_ItemClick(QTreeWidgetItem* item) {
    if (!item)
        return;
    cmdOeffnen->setEnabled(true);
    Typ = 1;
    try {
        prj = gRegProjects ? gRegProjects->Item(S(item->text(0))) : nullptr;
    } catch (const ProjektNichtGefunden&) {
        prj = nullptr;   // "Ö&ffnen" then asks for a project
    }
}

void frmProjektAuswahl::lvwBekannt_ItemClick(QTreeWidgetItem* item) {
    if (!item)
        return;
    cmdOeffnen->setEnabled(true);
    Typ = 1;
    // A registered project of type 3 shares the icon, but opens its registration.
    if (item->data(0, ROLLE_GEFUNDEN).toBool()) {
        const std::string sText = S(item->text(0));
        const std::string sKvi = MPfad::ProjektOrdner("") + "\\" + sText;
        const std::string sDesigner = MIni::IniLeseWert("Config", "DesignerProject", sText + ".vbp", sKvi);
        if (!ClassicProject)
            ClassicProject = std::make_shared<CRegProject>();
        ClassicProject->Name(S(item->text(1)) + "\\" + sDesigner);
        // The designer file's name gives no database: the information file tells
        // which one the project has, so the project opens like a registered one.
        ClassicProject->Path(S(item->text(1)));
        ClassicProject->Datenbank(CKorvant::AlarmDatenbank(sKvi, S(item->text(1))));
        prj = ClassicProject;
    } else {
        try {
            prj = gRegProjects ? gRegProjects->Item(S(item->text(0))) : nullptr;
        } catch (const ProjektNichtGefunden&) {
            prj = nullptr;   // "Ö&ffnen" then asks for a project
        }
    }
}

void frmProjektAuswahl::lvwNew_ItemClick(QTreeWidgetItem* item) {
    if (!item)
        return;
    cmdOeffnen->setEnabled(true);
    Typ = 0;
    PrjType = lvwNew->indexOfTopLevelItem(item);
}

void frmProjektAuswahl::Liste_DblClick(QTreeWidget* lvw) {
    if (lvw->selectedItems().isEmpty())
        return;
    if (lvw == lvwNew) {
        Typ = 0;
        PrjType = lvwNew->indexOfTopLevelItem(lvw->selectedItems().first());
    }
    cmdOeffnen_Click();
}

void frmProjektAuswahl::cmdOeffnen_Click() {
    if (Typ != 1)
        return;
    if (!prj) {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Wählen sie ein Projekt"));
        return;
    }
    accept();
}

void frmProjektAuswahl::reject() {
    Typ = 2;
    prj = nullptr;
    QDialog::reject();
}

void frmProjektAuswahl::cmdHilfe_Click() {
    QWidget* ziel = QApplication::focusWidget();
    if (!ziel)
        ziel = QApplication::activeWindow();
    if (!ziel)
        ziel = this;
    QCoreApplication::postEvent(ziel, new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
    QCoreApplication::postEvent(ziel, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier));
}
