#include "shell/frmIniDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "alarms/AlarmAuswahl.h"
#include "alarms/frmAlarmAuswahl.h"
#include "alarms/Dialoge.h"
#include "platform/WinUmgebung.h"
#include "alarms/Konfiguration.h"

frmIniDialog::frmIniDialog(AlarmAuswahl* auswahl, QWidget* owner) : QDialog(owner), m_Auswahl(auswahl) {
    setWindowTitle(QStringLiteral("Keine gültige Ini-Datei gefunden!"));
    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setPlainText(QStringLiteral("Die Ini-Datei konnte nicht Gefunden werden !  \r\n"
                                         "Bitte geben Sie einen Pfad und einen Dateinamen an.\r\n"));
    txtInfo->setFixedHeight(txtInfo->fontMetrics().lineSpacing() * 4);
    txtPfad = new QLineEdit(this);
    txtPfad->setObjectName(QStringLiteral("txtPfad"));
    txtPfad->setToolTip(QStringLiteral("Bitte vollständigen Pfad mit Dateinamen eingeben."));
    txtPfad->setMinimumWidth(420);
    txtStatus = new QLineEdit(this);
    txtStatus->setObjectName(QStringLiteral("txtStatus"));
    txtStatus->setReadOnly(true);
    BrowseButton = new QPushButton(QStringLiteral("&Browse"), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setToolTip(QStringLiteral("Öffnet Dialog zum suchen der Datei."));
    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setToolTip(QStringLiteral("Bestätigung der Datei, weiter zum Programm."));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Ende"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setToolTip(QStringLiteral("Beendet das Programm."));

    auto* raster = new QGridLayout(this);
    raster->addWidget(txtInfo, 0, 0, 1, 2);
    raster->addWidget(txtPfad, 1, 0);
    raster->addWidget(BrowseButton, 1, 1);
    raster->addWidget(txtStatus, 2, 0, 1, 2);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(OKButton);
    knoepfe->addWidget(CancelButton);
    raster->addLayout(knoepfe, 3, 0, 1, 2);

    connect(BrowseButton, &QPushButton::clicked, this, &frmIniDialog::BrowseButton_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmIniDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmIniDialog::CancelButton_Click);
    Laden();
}

void frmIniDialog::Laden() {
    txtPfad->setText(Konfiguration::StandardIniPfad());
    txtStatus->setText(QStringLiteral("Das ist die Standard Einstellung für die INI-Datei."));
}

void frmIniDialog::BrowseButton_Click() {
    const QString vorgabe = QStringLiteral("Tavero.ini");
    QString pfad = Dialoge::aktuell().DateiOeffnen(this, QStringLiteral("Bitte Ini-Datei Auswählen"),
                                                   QStringLiteral("*.ini (*.ini)"), QStringLiteral("ini"), vorgabe,
                                                   QString::fromStdString(WinUmgebung::ProgrammOrdner()));
    // Cancelled, the file dialog still holds its preset file name.
    if (pfad.isEmpty())
        pfad = vorgabe;
    setWindowTitle(QStringLiteral("Ini-Datei neu"));
    txtInfo->setPlainText(QStringLiteral("Sir haben eine neue INI-Datei gewählt."));
    txtPfad->setText(pfad);
    txtStatus->setText(QStringLiteral("Das ist die neue Einstellung für die INI-Datei."));
}

void frmIniDialog::OKButton_Click() {
    const QString pfad = txtPfad->text();
    if (m_Auswahl)
        m_Auswahl->setIniPath(pfad);
    if (!Konfiguration::Vorhanden(pfad)) {
        // No message: the dialog simply comes back in its initial state.
        NeuZeigen = true;
        reject();
        return;
    }
    accept();
}

void frmIniDialog::CancelButton_Click() { Dialoge::aktuell().ProzessBeenden(); }

void frmIniDialog::Zeigen(AlarmAuswahl* auswahl, QWidget* owner) {
    for (;;) {
        frmIniDialog dlg(auswahl, owner);
        Dialoge::aktuell().Modal(&dlg);
        if (!dlg.NeuZeigen)
            return;
    }
}
