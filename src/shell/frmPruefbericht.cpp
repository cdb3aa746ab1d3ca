#include "shell/frmPruefbericht.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Dialoge.h"
#include "shell/Hauptfenster.h"
#include "platform/WinUmgebung.h"
#include "alarms/Freigabe.h"
#include "shell/Hintergrundauftrag.h"

namespace {
constexpr int IdentRolle = Qt::UserRole;
constexpr int GruppenRolle = Qt::UserRole + 1;   // a group's place among the kinds
constexpr int GefuelltRolle = Qt::UserRole + 2;  // its lines (or parts) are added
constexpr int VonRolle = Qt::UserRole + 3;       // a part's first line in its group
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
    connect(lvwBericht, &QTreeWidget::itemExpanded, this, &frmPruefbericht::GruppeFuellen);
    // The database open now, not the one of the first check.
    connect(cmdNeu, &QPushButton::clicked, this, [this] { Pruefen(m_haupt.mgobjAuswahl()); });
    connect(cmdCsv, &QPushButton::clicked, this, &frmPruefbericht::CsvSpeichern);
    connect(schliessen, &QPushButton::clicked, this, &QWidget::close);
}

frmPruefbericht::~frmPruefbericht() {
    // Closed with its database or the main window: the report goes back on a worker too.
    if (m_bericht && FreigebenImHintergrund)
        Freigabe::ImHintergrund(std::exchange(m_bericht, std::nullopt));
}

bool frmPruefbericht::Pruefen(AlarmAuswahl* auswahl) {
    // The answer of the check before is no longer wanted; its job frees what it made.
    if (m_auftrag)
        m_auftrag->Abbrechen();
    lvwBericht->clear();
    if (m_bericht && FreigebenImHintergrund) {
        // A report of a million rows takes a fifth of a second to free:
        // its memory goes back on a worker, the window meanwhile answers.
        Freigabe::ImHintergrund(std::exchange(m_bericht, std::nullopt));
    }
    m_bericht.reset();
    cmdCsv->setEnabled(false);
    if (!auswahl)
        return false;
    const Projektrahmen rahmen{auswahl->BilderPath(), auswahl->SymbolPath(),
                               auswahl->AlarmBilderListe().value_or(QStringList()),
                               auswahl->SymbolListe().value_or(QStringList())};
    const QString datenbank = auswahl->AlarmDatenbank();
    auto ergebnis = std::make_shared<std::optional<Pruefbericht>>();
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Prüfbericht"), this, [=](Auftragslauf&) {
        *ergebnis = Pruefbericht::Erstellen(datenbank, rahmen);
    });
    m_auftrag = auftrag;
    lblUeberschrift->setText(QStringLiteral("Die Alarmdatenbank %1 wird geprüft … (Esc bricht ab)").arg(datenbank));
    connect(auftrag, &Hintergrundauftrag::Beendet, this, [this, auftrag, ergebnis](Hintergrundauftrag::Ausgang a) {
        if (auftrag != m_auftrag) {
            // A newer check replaced this one, which had finished its report
            // before it heard so: shown never, freed on a worker.
            if (*ergebnis && FreigebenImHintergrund)
                Freigabe::ImHintergrund(std::exchange(*ergebnis, std::nullopt));
            return;
        }
        switch (a) {
        case Hintergrundauftrag::Ausgang::Fertig:
            m_bericht = std::move(*ergebnis);
            Zeigen();
            break;
        case Hintergrundauftrag::Ausgang::Abgebrochen:
            lblUeberschrift->setText(QStringLiteral("Prüfung abgebrochen."));
            break;
        case Hintergrundauftrag::Ausgang::Fehler:
            lblUeberschrift->setText(auftrag->Fehlertext());
            Dialoge::aktuell().FehlerMeldung(this, auftrag->Fehlertext(), auftrag->Fehlerdetail());
            break;
        }
    });
    auftrag->Starten();
    return true;
}

void frmPruefbericht::Zeigen() {
    lblUeberschrift->setText(m_bericht->Sauber()
                                 ? QStringLiteral("%1 geprüft: nichts gefunden.").arg(Anzahltext::Alarme(m_bericht->Alarme()))
                                 : QStringLiteral("%1 geprüft, %2.")
                                       .arg(Anzahltext::Alarme(m_bericht->Alarme()),
                                            Anzahltext::Text(m_bericht->Befunde(), QStringLiteral("Befund"),
                                                             QStringLiteral("Befunde"))));
    cmdCsv->setEnabled(true);
    for (int i = 0; i < m_bericht->Gruppen().size(); ++i) {
        const Pruefbericht::Gruppe& g = m_bericht->Gruppen().at(i);
        auto* gruppe = new QTreeWidgetItem(lvwBericht, {QStringLiteral("%1 (%2)").arg(Pruefbericht::Titel(g.art)).arg(g.zeilen.size())});
        QFont fett = gruppe->font(0);
        fett.setBold(true);
        gruppe->setFont(0, fett);
        gruppe->setData(0, GruppenRolle, i);
        if (g.zeilen.size() <= SofortOffen) {
            GruppeFuellen(gruppe);
            gruppe->setExpanded(!g.zeilen.isEmpty());
        } else {
            gruppe->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
    }
}

void frmPruefbericht::GruppeFuellen(QTreeWidgetItem* knoten) {
    if (!m_bericht || knoten->data(0, GefuelltRolle).toBool() || !knoten->data(0, GruppenRolle).isValid())
        return;
    knoten->setData(0, GefuelltRolle, true);
    const QList<Pruefbericht::Zeile>& zeilen = m_bericht->Gruppen().at(knoten->data(0, GruppenRolle).toInt()).zeilen;
    const qsizetype von = knoten->parent() ? knoten->data(0, VonRolle).toLongLong() : 0;
    const qsizetype bis = knoten->parent() ? std::min<qsizetype>(zeilen.size(), von + Teilgroesse) : zeilen.size();
    QList<QTreeWidgetItem*> neu;
    if (bis - von > Teilgroesse) {
        // A large group opens into parts, each opening into its lines: the
        // view lays out what is open, never hundreds of thousands of lines.
        for (qsizetype t = von; t < bis; t += Teilgroesse) {
            auto* teil = new QTreeWidgetItem({QStringLiteral("Zeilen %1 bis %2").arg(t + 1).arg(std::min(bis, t + Teilgroesse))});
            teil->setData(0, GruppenRolle, knoten->data(0, GruppenRolle));
            teil->setData(0, VonRolle, t);
            teil->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            neu << teil;
        }
    } else {
        neu.reserve(bis - von);
        for (qsizetype i = von; i < bis; ++i) {
            auto* item = new QTreeWidgetItem({zeilen.at(i).Text()});
            item->setData(0, IdentRolle, zeilen.at(i).ident);
            neu << item;
        }
    }
    knoten->addChildren(neu);
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
