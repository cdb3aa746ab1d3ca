#include "shell/frmPruefbericht.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Dialoge.h"
#include "alarms/Hauptfenster.h"
#include "platform/WinUmgebung.h"

namespace {
constexpr int IdentRolle = Qt::UserRole;
}

frmPruefbericht::frmPruefbericht(Hauptfenster& haupt, QWidget* parent) : QWidget(parent, Qt::Window), m_haupt(haupt) {
    setObjectName(QStringLiteral("frmPruefbericht"));
    setWindowTitle(QStringLiteral("Prüfbericht"));
    lblUeberschrift = new QLabel(this);
    lvwBericht = new QTreeWidget(this);
    lvwBericht->setObjectName(QStringLiteral("lvwBericht"));
    lvwBericht->setHeaderHidden(true);
    lvwBericht->setUniformRowHeights(true);
    lvwBericht->setToolTip(QStringLiteral("Doppelklick: den Alarm im Raster wählen"));
    cmdNeu = new QPushButton(QStringLiteral("&Neu prüfen"), this);
    cmdCsv = new QPushButton(QStringLiteral("Als &CSV speichern…"), this);
    auto* schliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addWidget(cmdNeu);
    knoepfe->addWidget(cmdCsv);
    knoepfe->addStretch();
    knoepfe->addWidget(schliessen);
    auto* ly = new QVBoxLayout(this);
    ly->addWidget(lblUeberschrift);
    ly->addWidget(lvwBericht);
    ly->addLayout(knoepfe);
    resize(640, 480);
    connect(lvwBericht, &QTreeWidget::itemDoubleClicked, this, &frmPruefbericht::ZeileGewaehlt);
    connect(lvwBericht, &QTreeWidget::itemActivated, this, &frmPruefbericht::ZeileGewaehlt);
    // The database open now, not the one of the first check.
    connect(cmdNeu, &QPushButton::clicked, this, [this] { Pruefen(m_haupt.mgobjAuswahl()); });
    connect(cmdCsv, &QPushButton::clicked, this, &frmPruefbericht::CsvSpeichern);
    connect(schliessen, &QPushButton::clicked, this, &QWidget::close);
}

bool frmPruefbericht::Pruefen(AlarmAuswahl* auswahl) {
    lvwBericht->clear();
    m_bericht.reset();
    if (!auswahl)
        return false;
    Projektrahmen rahmen{auswahl->BilderPath(), auswahl->SymbolPath(), auswahl->AlarmBilderListe().value_or(QStringList()),
                         auswahl->SymbolListe().value_or(QStringList())};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_bericht = Pruefbericht::Erstellen(auswahl->AlarmDatenbank(), rahmen);
    } catch (const AlarmdefsFehler& f) {
        QApplication::restoreOverrideCursor();
        lblUeberschrift->setText(f.Text());
        Dialoge::aktuell().FehlerMeldung(this, f.Text(), f.Detail());
        return false;
    }
    QApplication::restoreOverrideCursor();
    lblUeberschrift->setText(m_bericht->Sauber()
                                 ? QStringLiteral("%1 geprüft: nichts gefunden.").arg(Anzahltext::Alarme(m_bericht->Alarme()))
                                 : QStringLiteral("%1 geprüft, %2.")
                                       .arg(Anzahltext::Alarme(m_bericht->Alarme()),
                                            Anzahltext::Text(m_bericht->Befunde(), QStringLiteral("Befund"),
                                                             QStringLiteral("Befunde"))));
    for (const Pruefbericht::Gruppe& g : m_bericht->Gruppen()) {
        auto* gruppe = new QTreeWidgetItem(lvwBericht, {QStringLiteral("%1 (%2)").arg(Pruefbericht::Titel(g.art)).arg(g.zeilen.size())});
        QFont fett = gruppe->font(0);
        fett.setBold(true);
        gruppe->setFont(0, fett);
        for (const Pruefbericht::Zeile& z : g.zeilen) {
            auto* item = new QTreeWidgetItem(gruppe, {z.Text()});
            item->setData(0, IdentRolle, z.ident);
        }
        gruppe->setExpanded(!g.zeilen.isEmpty() && g.zeilen.size() <= 200);
    }
    return true;
}

void frmPruefbericht::ZeileGewaehlt(QTreeWidgetItem* item) {
    const QString ident = item ? item->data(0, IdentRolle).toString() : QString();
    if (!ident.isEmpty())
        m_haupt.AlarmAnzeigen(ident);
}

void frmPruefbericht::CsvSpeichern() {
    if (!m_bericht)
        return;
    const QString datei = Dialoge::aktuell().DateiSpeichern(this, QStringLiteral("Prüfbericht speichern"),
                                                            QStringLiteral("CSV (*.csv)"), QStringLiteral("Pruefbericht.csv"));
    if (datei.isEmpty())
        return;
    QFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(datei.toStdString())));
    if (!f.open(QIODevice::WriteOnly) || f.write(m_bericht->Csv()) < 0 || !f.flush()) {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Die Datei %1 lässt sich nicht schreiben: %2").arg(datei, f.errorString()));
        return;
    }
    m_haupt.StatusText(1, QStringLiteral("Prüfbericht in %1 gespeichert.").arg(datei));
}
