#include "shell/Fenstermenue.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "alarms/Fensterlage.h"
#include "editor/frmPicture.h"
#include "shell/frmMain.h"

Fenstermenue::Fenstermenue(frmMain& haupt) : QObject(&haupt), m_Haupt(haupt) {
    mnuFensterlageBeibehalten = new QAction(QStringLiteral("Fensterlage &beibehalten"), this);
    mnuFensterlageBeibehalten->setObjectName(QStringLiteral("mnuFensterlageBeibehalten"));
    mnuFensterlageBeibehalten->setCheckable(true);
    mnuFensterlageBeibehalten->setChecked(Fensterlage::Beibehalten());
    mnuFensterlageBeibehalten->setStatusTip(
        QStringLiteral("Verschobene, vergrößerte oder maximierte Fenster bleiben so, auch nach einem Neustart."));
    connect(mnuFensterlageBeibehalten, &QAction::toggled, this, [](bool an) { Fensterlage::BeibehaltenSetzen(an); });

    mnuFensterAnordnen = new QAction(QStringLiteral("Fenster &anordnen"), this);
    mnuFensterAnordnen->setObjectName(QStringLiteral("mnuFensterAnordnen"));
    mnuFensterAnordnen->setStatusTip(QStringLiteral("Alarmauswahl oben, Pfeileditor darunter"));
    connect(mnuFensterAnordnen, &QAction::triggered, this, [] { Fensterlage::AlleAnordnen(); });

    mnuGanzesBild = new QAction(QStringLiteral("Ganzes &Bild zeigen"), this);
    mnuGanzesBild->setObjectName(QStringLiteral("mnuGanzesBild"));
    mnuGanzesBild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_9));
    mnuGanzesBild->setToolTip(QStringLiteral("Ganzes Bild zeigen (Strg+9)"));
    mnuGanzesBild->setIcon(m_Haupt.style()->standardIcon(QStyle::SP_TitleBarMaxButton));
    connect(mnuGanzesBild, &QAction::triggered, this, [this] {
        if (frmPicture* b = m_Haupt.BildfensterFallsDa())
            b->Einpassen();
    });

    mnuAlarmnummern = new QAction(QStringLiteral("Alarm&nummern anzeigen"), this);
    mnuAlarmnummern->setObjectName(QStringLiteral("mnuAlarmnummern"));
    mnuAlarmnummern->setCheckable(true);
    mnuAlarmnummern->setChecked(frmPicture::NummernGemerkt());
    connect(mnuAlarmnummern, &QAction::toggled, this, [this](bool an) {
        if (frmPicture* b = m_Haupt.BildfensterFallsDa())
            b->NummernZeigen(an);
        else
            frmPicture::NummernMerken(an);
    });

    mnuFenster = m_Haupt.menuBar()->addMenu(QStringLiteral("&Fenster"));
    mnuFenster->setObjectName(QStringLiteral("mnuFenster"));
    mnuFenster->addAction(mnuFensterlageBeibehalten);
    mnuFenster->addAction(mnuFensterAnordnen);
    mnuFenster->addSeparator();
    mnuFenster->addAction(mnuGanzesBild);
    mnuFenster->addAction(mnuAlarmnummern);
    m_Haupt.tbToolBar->addAction(mnuGanzesBild);
}
