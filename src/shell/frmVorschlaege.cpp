#include "shell/frmVorschlaege.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QSet>
#include <QVBoxLayout>
#include <memory>

#include "alarms/AlarmAuswahl.h"
#include "alarms/Datendienst.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Dialoge.h"
#include "shell/Hauptfenster.h"
#include "editor/PfeilText.h"
#include "editor/frmPicture.h"
#include "platform/WinUmgebung.h"
#include "shell/Differenzansicht.h"
#include "shell/Hintergrundauftrag.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/BildLeseLauf.h"
#include "werkzeuge/Kennzeichenregel.h"
#include "werkzeuge/Vorschlaege.h"

int frmVorschlaege::HintergrundAb = 200;

namespace {
constexpr int IdentRolle = Qt::UserRole;

// A found proposal is named by its alarm and its picture: a number on two pictures has one on each.
QString Schluessel(const Vorschlag& v) { return v.ident + QLatin1Char('\n') + v.form; }

QString Stand(const Vorschlag& v) {
    switch (v.art) {
    case Vorschlag::Art::Gefunden: return QStringLiteral("X %1, Y %2").arg(v.x).arg(v.y);
    case Vorschlag::Art::Mehrdeutig: return QStringLiteral("mehrdeutig: %1 Stellen").arg(v.stellen.size());
    case Vorschlag::Art::NichtGefunden: return QStringLiteral("nicht gefunden: %1").arg(v.grund);
    }
    return {};
}
}  // namespace

frmVorschlaege::frmVorschlaege(Hauptfenster& haupt, frmPicture* bild, QWidget* parent)
    : QWidget(parent, Qt::Window), m_haupt(haupt), m_bild(bild) {
    setObjectName(QStringLiteral("frmVorschlaege"));
    setWindowTitle(QStringLiteral("Vorschläge"));
    m_lauf = new BildLeseLauf(this);

    lstBilder = new QListWidget(this);
    lstBilder->setObjectName(QStringLiteral("lstBilder"));
    lstBilder->setMaximumHeight(110);
    chkAlle = new QCheckBox(QStringLiteral("Auch Alarme &mit Position vorschlagen"), this);
    txtMuster = new QLineEdit(this);
    txtMuster->setObjectName(QStringLiteral("txtMuster"));
    txtMuster->setPlaceholderText(QStringLiteral("Muster des Kennzeichens (regulärer Ausdruck; leer: VarName bis zum ersten _ oder .)"));
    cmdLesen = new QPushButton(QStringLiteral("Bilder &lesen"), this);
    cmdAbbrechen = new QPushButton(QStringLiteral("Lesen a&bbrechen"), this);
    cmdAbbrechen->setEnabled(false);
    prgLesen = new QProgressBar(this);
    prgLesen->setTextVisible(false);
    lblStand = new QLabel(this);
    lvwVorschlaege = new QTreeWidget(this);
    lvwVorschlaege->setObjectName(QStringLiteral("lvwVorschlaege"));
    lvwVorschlaege->setHeaderLabels({QStringLiteral("Alarm"), QStringLiteral("Bild"), QStringLiteral("Kennzeichen"),
                                     QStringLiteral("Vorschlag")});
    lvwVorschlaege->setRootIsDecorated(false);
    lvwVorschlaege->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwVorschlaege->setToolTip(QStringLiteral("Doppelklick: den Vorschlag annehmen"));
    cmdAnnehmen = new QPushButton(QStringLiteral("&Annehmen"), this);
    cmdBildAnnehmen = new QPushButton(QStringLiteral("Alle dieses &Bildes annehmen"), this);
    cmdAlleAnnehmen = new QPushButton(QStringLiteral("A&lle annehmen"), this);
    auto* schliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    lvwAenderungen = new Differenzansicht(this);
    lvwAenderungen->setObjectName(QStringLiteral("lvwAenderungen"));
    lvwAenderungen->setToolTip(QStringLiteral("Was „Alle annehmen“ schreibt; nur angekreuzte Zeilen werden geschrieben"));
    auto* lblAenderungen = new QLabel(QStringLiteral("Ä&nderungen beim Annehmen:"), this);
    lblAenderungen->setBuddy(lvwAenderungen->Liste());

    auto* lesen = new QHBoxLayout;
    lesen->addWidget(cmdLesen);
    lesen->addWidget(cmdAbbrechen);
    lesen->addWidget(prgLesen, 1);
    auto* annehmen = new QHBoxLayout;
    annehmen->addWidget(cmdAnnehmen);
    annehmen->addWidget(cmdBildAnnehmen);
    annehmen->addWidget(cmdAlleAnnehmen);
    annehmen->addStretch();
    annehmen->addWidget(schliessen);
    auto* ly = new QVBoxLayout(this);
    ly->addWidget(new QLabel(QStringLiteral("Bilder:"), this));
    ly->addWidget(lstBilder);
    ly->addWidget(chkAlle);
    ly->addWidget(txtMuster);
    ly->addLayout(lesen);
    ly->addWidget(lblStand);
    ly->addWidget(lvwVorschlaege, 1);
    ly->addWidget(lblAenderungen);
    ly->addWidget(lvwAenderungen, 1);
    ly->addLayout(annehmen);
    resize(720, 720);

    connect(cmdLesen, &QPushButton::clicked, this, &frmVorschlaege::Lesen);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &frmVorschlaege::LesenAbbrechen);
    connect(cmdAnnehmen, &QPushButton::clicked, this, [this] {
        QStringList idents;
        for (QTreeWidgetItem* item : lvwVorschlaege->selectedItems())
            idents << item->data(0, IdentRolle).toString();
        Annehmen(idents);
    });
    connect(cmdBildAnnehmen, &QPushButton::clicked, this, &frmVorschlaege::BildAnnehmen);
    connect(cmdAlleAnnehmen, &QPushButton::clicked, this, &frmVorschlaege::AlleAnnehmenFragen);
    connect(schliessen, &QPushButton::clicked, this, &QWidget::close);
    connect(lvwVorschlaege, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Annehmen({item->data(0, IdentRolle).toString()}); });
    connect(m_lauf, &BildLeseLauf::Fortschritt, this, [this](int fertig, int gesamt) {
        prgLesen->setRange(0, gesamt);
        prgLesen->setValue(fertig);
        lblStand->setText(BildLeseLauf::FortschrittText(fertig, gesamt));
    });
    connect(m_lauf, &BildLeseLauf::Fertig, this, &frmVorschlaege::Fertig);
    connect(lvwAenderungen, &Differenzansicht::AlarmGewaehlt, this, [this](const QString& ident) { m_haupt.AlarmAnzeigen(ident); });
    connect(m_lauf, &BildLeseLauf::Abgebrochen, this, [this] {
        cmdLesen->setEnabled(true);
        cmdAbbrechen->setEnabled(false);
        lblStand->setText(QStringLiteral("Lesen abgebrochen; nichts wurde geschrieben."));
    });
    if (m_bild) {
        connect(m_bild, &frmPicture::BildGezeigt, this, &frmVorschlaege::MarkenZeigen);
        connect(m_bild, &frmPicture::VorschlagVerschoben, this, &frmVorschlaege::Verschoben);
        connect(m_bild, &frmPicture::VorschlagAnnehmen, this, [this](const QString& ident) { Annehmen({ident}); });
    }
}

frmVorschlaege::~frmVorschlaege() {
    if (m_bild)
        m_bild->VorschlaegeZeigen({});
}

void frmVorschlaege::Vorbereiten() {
    AlarmAuswahl* k = m_haupt.mgobjAuswahl();
    const QString gezeigt = m_bild ? m_bild->BildForm() : QString();
    lstBilder->clear();
    for (const QString& datei : k ? k->AlarmBilderListe().value_or(QStringList()) : QStringList()) {
        const QString name = PfeilText::OhneEndung(datei);
        auto* item = new QListWidgetItem(name, lstBilder);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(gezeigt.isEmpty() || name == gezeigt ? Qt::Checked : Qt::Unchecked);
    }
}

bool frmVorschlaege::Lesen() {
    AlarmAuswahl* k = m_haupt.mgobjAuswahl();
    if (!k || k->AlarmDatenbank().isEmpty() || m_lauf->Laeuft())
        return false;
    const Kennzeichenregel regel(txtMuster->text().trimmed());
    if (!regel.Gueltig()) {
        lblStand->setText(regel.Fehler());
        Dialoge::aktuell().Meldung(this, regel.Fehler());
        return false;
    }
    QStringList gewaehlt;
    for (int i = 0; i < lstBilder->count(); ++i)
        if (lstBilder->item(i)->checkState() == Qt::Checked)
            gewaehlt << lstBilder->item(i)->text();
    try {
        m_alarme = Vorschlaege::AlarmeLesen(k->AlarmDatenbank(), gewaehlt, chkAlle->isChecked());
    } catch (const AlarmdefsFehler& f) {
        Dialoge::aktuell().FehlerMeldung(this, f.Text(), f.Detail());
        return false;
    }
    m_muster = regel.Muster();
    m_vorschlaege.clear();
    ListeFuellen();
    MarkenZeigen();
    if (m_alarme.isEmpty()) {
        lblStand->setText(chkAlle->isChecked() ? QStringLiteral("Die gewählten Bilder haben keine Alarme.")
                                               : QStringLiteral("Auf den gewählten Bildern hat jeder Alarm eine Position."));
        return true;
    }
    m_bilder = Vorschlaege::Bilder(m_alarme);
    cmdLesen->setEnabled(false);
    cmdAbbrechen->setEnabled(true);
    prgLesen->setRange(0, static_cast<int>(m_bilder.size()));
    prgLesen->setValue(0);
    lblStand->setText(BildLeseLauf::FortschrittText(0, static_cast<int>(m_bilder.size())));
    return m_lauf->Starten(Vorschlaege::BildDateien(k->BilderPath(), m_bilder));
}

void frmVorschlaege::LesenAbbrechen() { m_lauf->Abbrechen(); }

void frmVorschlaege::Fertig(const QList<Bildtext>& texte) {
    cmdLesen->setEnabled(true);
    cmdAbbrechen->setEnabled(false);
    AlarmAuswahl* k = m_haupt.mgobjAuswahl();
    if (!k)
        return;
    // The readings of this run, with the rule the reading was started with.
    m_vorschlaege = Vorschlaege::Berechnen(m_alarme, Vorschlaege::NachBild(k->BilderPath(), m_bilder, texte),
                                           Kennzeichenregel(m_muster));
    lblStand->setText(Vorschlaege::Zusammenfassung(m_vorschlaege).trimmed().section(QLatin1Char('\n'), -1));
    ListeFuellen();
    MarkenZeigen();
}

void frmVorschlaege::ListeFuellen() {
    lvwVorschlaege->clear();
    for (const Vorschlag& v : m_vorschlaege) {
        auto* item = new QTreeWidgetItem(lvwVorschlaege, {v.ident, v.form, v.kennzeichen, Stand(v)});
        item->setData(0, IdentRolle, v.ident);
        if (v.art != Vorschlag::Art::Gefunden)
            item->setForeground(3, palette().color(QPalette::Disabled, QPalette::Text));
    }
    for (int i = 0; i < 3; ++i)
        lvwVorschlaege->resizeColumnToContents(i);
    AenderungenFuellen();
}

QString frmVorschlaege::NeuesSymbol(AlarmAuswahl* k) const {
    if (!k)
        return {};
    const QStringList symbole = k->SymbolListe().value_or(QStringList());
    const int wahl = m_haupt.Werte().imgNeuIndex;
    return wahl >= 0 && wahl < symbole.size() ? k->PfadErweiterung() + symbole.at(wahl) : QString();
}

void frmVorschlaege::AenderungenFuellen() {
    // A line the user took out stays out while the list changes around it.
    QSet<QString> aus;
    const DifferenzModell* m = lvwAenderungen->Modell();
    for (int i = 0; i < m->Zeilen().size(); ++i)
        if (!m->Gewaehlt(i) && m->Zeilen().at(i).quelle >= 0 && m->Zeilen().at(i).quelle < m_aenderungen.size())
            aus.insert(Schluessel(m_aenderungen.at(m->Zeilen().at(i).quelle)));
    m_aenderungen.clear();
    for (const Vorschlag& v : std::as_const(m_vorschlaege))
        if (v.art == Vorschlag::Art::Gefunden)
            m_aenderungen << v;
    const QList<Differenz> zeilen =
        Differenz::AusAuftraegen(Vorschlaege::Auftraege(m_aenderungen, NeuesSymbol(m_haupt.mgobjAuswahl())), QStringLiteral("Vorschläge"));
    lvwAenderungen->Setzen(zeilen);
    if (!aus.isEmpty())
        for (int i = 0; i < zeilen.size(); ++i)
            if (aus.contains(Schluessel(m_aenderungen.at(zeilen.at(i).quelle))))
                lvwAenderungen->Modell()->setGewaehlt(i, false);
}

QPixmap frmVorschlaege::Symbol(const QString& datei) {
    auto it = m_symbole.constFind(datei);
    if (it != m_symbole.cend())
        return *it;
    AlarmAuswahl* k = m_haupt.mgobjAuswahl();
    QPixmap pm;
    const QString pfad = (k ? k->SymbolPath() : QString()) + QLatin1Char('\\') +
                         (datei.isEmpty() ? QStringLiteral("PfeilLeer.gif") : datei);
    pm.load(QString::fromStdString(WinUmgebung::PfadAbbilden(pfad.toStdString())));
    m_symbole.insert(datei, pm);
    return pm;
}

void frmVorschlaege::MarkenZeigen() {
    if (!m_bild)
        return;
    std::vector<Vorschlagsmarke> marken;
    for (const Vorschlag& v : m_vorschlaege)
        if (v.art == Vorschlag::Art::Gefunden && v.form == m_bild->BildForm())
            marken.push_back({v.ident,
                              QStringLiteral("Vorschlag für Alarm %1 (%2): %3\nDoppelklick nimmt ihn an")
                                  .arg(v.ident, v.kennzeichen, v.gelesen.value(AlarmFeld::Alarmtext)),
                              QPoint(v.x, v.y), Symbol(v.gelesen.value(AlarmFeld::Symbol))});
    m_bild->VorschlaegeZeigen(marken);
}

void frmVorschlaege::Verschoben(const QString& ident, QPoint pos) {
    // A proposal dragged on the picture keeps its new place until it is accepted.
    for (Vorschlag& v : m_vorschlaege)
        if (v.ident == ident && v.art == Vorschlag::Art::Gefunden) {
            v.x = pos.x();
            v.y = pos.y();
        }
    for (int i = 0; i < lvwVorschlaege->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvwVorschlaege->topLevelItem(i);
        if (item->data(0, IdentRolle).toString() == ident)
            item->setText(3, QStringLiteral("X %1, Y %2").arg(pos.x()).arg(pos.y()));
    }
    AenderungenFuellen();
}

bool frmVorschlaege::Annehmen(const QStringList& idents, const QString& form) {
    QList<Vorschlag> auswahl;
    for (const Vorschlag& v : std::as_const(m_vorschlaege))
        if (Vorschlaege::Gewaehlt(v, idents, form))
            auswahl << v;
    return Schreiben(auswahl);
}

bool frmVorschlaege::Schreiben(const QList<Vorschlag>& auswahl) {
    AlarmAuswahl* k = m_haupt.mgobjAuswahl();
    if (!k || auswahl.isEmpty() || m_annahme || m_dienstAnnahme)
        return false;
    const QString beschreibung = auswahl.size() == 1 ? QStringLiteral("Vorschlag für Alarm %1 annehmen").arg(auswahl.first().ident)
                                                     : QStringLiteral("%1 Vorschläge annehmen").arg(auswahl.size());
    // An alarm without symbol gets the one a release would give it: the arrow menu's choice.
    const QList<Schreibauftrag> auftraege = Vorschlaege::Auftraege(auswahl, NeuesSymbol(k));
    if (m_beobachtet != k) {
        if (m_beobachtet)
            disconnect(m_beobachtet, &AlarmAuswahl::Geschrieben, this, nullptr);
        m_beobachtet = k;
        m_angenommen.clear();
        connect(k, &AlarmAuswahl::Geschrieben, this, &frmVorschlaege::ZeilenGeschrieben);
    }
    for (const Vorschlag& v : auswahl)
        m_angenommen.insert(v.ident, v);
    const auto abgelehnt = [this, auswahl](const QString& text, const QString& detail) {
        for (const Vorschlag& v : auswahl)
            m_angenommen.remove(v.ident);
        Dialoge::aktuell().FehlerMeldung(this, text, detail);
    };
    if (auftraege.size() < HintergrundAb && k->Dienst()) {
        // The database's worker writes them, in order with every other write:
        // a row another client holds locked on a server, or a file another
        // program holds locked, keeps the worker waiting, not the window. The
        // answer finishes the acceptance (at once when it comes within a frame).
        Datendienst* dienst = k->Dienst();
        connect(dienst, &Datendienst::Beantwortet, this, &frmVorschlaege::DienstBeantwortet, Qt::UniqueConnection);
        connect(dienst, &QObject::destroyed, this, &frmVorschlaege::DienstGeschlossen, Qt::UniqueConnection);
        const int warten = dienst->SchreibenWartenMs();
        m_dienstAnnahme = {dienst->SchreibenAlle(auftraege), dienst, k, auswahl, beschreibung};
        AnnahmeKnoepfe(false);
        if (const auto a = dienst->Abwarten(m_dienstAnnahme->ticket, warten))
            DienstAntwort(*a);
        else
            m_haupt.StatusText(1, beschreibung + QStringLiteral(": wird geschrieben …"));
        return true;
    }
    if (auftraege.size() < HintergrundAb) {
        const Sammelergebnis s = k->ZeilenSchreiben(auftraege, beschreibung);
        if (!s.geschrieben) {
            abgelehnt(s.text, s.detail);
            return false;
        }
        Angenommen(auswahl, beschreibung);
        return true;
    }
    // Many rows: one transaction on the job's own connection, which a cancel
    // rolls back whole; the history and the picture learn of it afterwards.
    const QString datenbank = k->AlarmDatenbank();
    auto sammel = std::make_shared<Sammelergebnis>();
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Vorschläge annehmen"), this, [=](Auftragslauf& lauf) {
        lauf.Fortschritt(0, auftraege.size());
        *sammel = AlarmdefsZugriff::SchreibenAlle(datenbank, auftraege);
    });
    m_annahme = auftrag;
    QPointer<AlarmAuswahl> komponente = k;
    connect(auftrag, &Hintergrundauftrag::Beendet, this,
            [this, auftrag, sammel, komponente, datenbank, beschreibung, auswahl, abgelehnt](Hintergrundauftrag::Ausgang ausgang) {
        m_annahme = nullptr;
        bool geschrieben = false;
        switch (ausgang) {
        case Hintergrundauftrag::Ausgang::Fertig:
            // unless another database is open by now: its history is not this one's
            if (komponente && komponente->AlarmDatenbank() == datenbank)
                komponente->SammelergebnisMelden(*sammel, beschreibung);
            geschrieben = sammel->geschrieben;
            if (geschrieben)
                Angenommen(auswahl, beschreibung);
            else
                abgelehnt(sammel->text, sammel->detail);
            break;
        case Hintergrundauftrag::Ausgang::Abgebrochen:
            for (const Vorschlag& v : auswahl)
                m_angenommen.remove(v.ident);
            m_haupt.StatusText(1, QStringLiteral("Annehmen abgebrochen; nichts wurde geschrieben."));
            break;
        case Hintergrundauftrag::Ausgang::Fehler:
            abgelehnt(auftrag->Fehlertext(), auftrag->Fehlerdetail());
            break;
        }
        AnnahmeKnoepfe(true);
        emit AnnahmeBeendet(geschrieben);
    });
    AnnahmeKnoepfe(false);
    auftrag->Starten();
    return true;
}

void frmVorschlaege::AnnahmeKnoepfe(bool frei) {
    cmdAnnehmen->setEnabled(frei);
    cmdBildAnnehmen->setEnabled(frei);
    cmdAlleAnnehmen->setEnabled(frei);
}

void frmVorschlaege::DienstBeantwortet(const Datendienst::Antwort& a) {
    // the answers of a database left behind are not this one's
    if (m_dienstAnnahme && sender() == m_dienstAnnahme->dienst.data())
        DienstAntwort(a);
}

void frmVorschlaege::DienstAntwort(const Datendienst::Antwort& a) {
    // Not sender(): an answer that came within the wait is handed over in the
    // slot of the click that accepted, whose sender is the button.
    // The grid's own requests are not this one's.
    if (!m_dienstAnnahme || a.ticket != m_dienstAnnahme->ticket)
        return;
    const DienstAnnahme o = std::move(*m_dienstAnnahme);
    m_dienstAnnahme.reset();
    Sammelergebnis s = a.sammel;
    if (a.abgebrochen) {
        s.geschrieben = false;
        s.text = QStringLiteral("Die Datenbank wurde geschlossen; nichts wurde geschrieben.");
    } else if (!s.geschrieben && s.text.isEmpty()) {
        // the worker could not reach the database at all
        s.text = a.fehler.databaseText();
        s.detail = a.fehler.driverText();
    }
    // The component and the history learn of it as of any write.
    if (o.komponente)
        o.komponente->SammelergebnisMelden(s, o.beschreibung);
    if (s.geschrieben) {
        Angenommen(o.auswahl, o.beschreibung);
    } else {
        for (const Vorschlag& v : o.auswahl)
            m_angenommen.remove(v.ident);
        Dialoge::aktuell().FehlerMeldung(this, s.text, s.detail);
    }
    AnnahmeKnoepfe(true);
    emit AnnahmeBeendet(s.geschrieben);
}

void frmVorschlaege::DienstGeschlossen() {
    // Closed before its answer came: whether the rows were written shows on the next opening.
    if (!m_dienstAnnahme || (m_dienstAnnahme->dienst && m_dienstAnnahme->dienst.data() != sender()))
        return;
    for (const Vorschlag& v : std::as_const(m_dienstAnnahme->auswahl))
        m_angenommen.remove(v.ident);
    m_dienstAnnahme.reset();
    AnnahmeKnoepfe(true);
    m_haupt.StatusText(1, QStringLiteral("Die Datenbank wurde geschlossen, bevor die Antwort kam; ob die Vorschläge "
                                         "geschrieben wurden, zeigt sie beim nächsten Öffnen."));
    emit AnnahmeBeendet(false);
}

void frmVorschlaege::Angenommen(const QList<Vorschlag>& auswahl, const QString& beschreibung) {
    QSet<QString> weg;
    for (const Vorschlag& v : auswahl)
        weg.insert(Schluessel(v));
    m_vorschlaege.removeIf([&weg](const Vorschlag& v) { return v.art == Vorschlag::Art::Gefunden && weg.contains(Schluessel(v)); });
    ListeFuellen();
    MarkenZeigen();
    m_haupt.StatusText(1, beschreibung + QStringLiteral(": geschrieben."));
}

void frmVorschlaege::ZeilenGeschrieben(const QList<Schreibergebnis>& zeilen) {
    bool geaendert = false;
    for (const Schreibergebnis& e : zeilen) {
        const auto angenommen = m_angenommen.constFind(e.ident);
        if (!e.geschrieben() || angenommen == m_angenommen.cend())
            continue;
        const bool ohnePosition = e.zeile.value(AlarmFeld::X).trimmed().isEmpty() || e.zeile.value(AlarmFeld::Y).trimmed().isEmpty();
        const auto steht = std::find_if(m_vorschlaege.begin(), m_vorschlaege.end(), [&e](const Vorschlag& v) {
            return v.ident == e.ident && v.art == Vorschlag::Art::Gefunden;
        });
        if (ohnePosition && steht == m_vorschlaege.end()) {
            // taken back: proposed again, against the row as it is now
            Vorschlag v = *angenommen;
            v.gelesen = e.zeile;
            m_vorschlaege << v;
            geaendert = true;
        } else if (!ohnePosition && steht != m_vorschlaege.end() &&
                   e.zeile.value(AlarmFeld::X).trimmed() == QString::number(angenommen->x) &&
                   e.zeile.value(AlarmFeld::Y).trimmed() == QString::number(angenommen->y)) {
            m_vorschlaege.erase(steht);
            geaendert = true;
        }
    }
    if (geaendert) {
        ListeFuellen();
        MarkenZeigen();
    }
}

bool frmVorschlaege::AlleAnnehmenFragen() {
    // the list shows what is written now: the arrow menu's symbol may have changed meanwhile
    AenderungenFuellen();
    const int gefunden = Vorschlaege::Anzahl(m_vorschlaege, Vorschlag::Art::Gefunden);
    const int anzahl = static_cast<int>(lvwAenderungen->Modell()->GewaehlteSichtbare().size());
    if (anzahl == 0 || m_annahme || m_dienstAnnahme)
        return false;
    const QString text = anzahl == 1 && gefunden == 1
                             ? QStringLiteral("Den Vorschlag annehmen und in die Datenbank schreiben?")
                         : anzahl == gefunden
                             ? QStringLiteral("Alle %1 Vorschläge annehmen und in die Datenbank schreiben?").arg(anzahl)
                             : QStringLiteral("Die %1 angekreuzten von %2 Vorschlägen annehmen und in die Datenbank schreiben?")
                                   .arg(anzahl)
                                   .arg(gefunden);
    if (Dialoge::aktuell().Wahl(this, QStringLiteral("Alle annehmen"), text,
                                {QStringLiteral("Annehmen"), QStringLiteral("Abbrechen")}) != 0)
        return false;
    AlleAnnehmen();
    return true;
}

void frmVorschlaege::BildAnnehmen() {
    // The picture of the proposal chosen in the list, else the one shown.
    QString form = m_bild ? m_bild->BildForm() : QString();
    if (QTreeWidgetItem* item = lvwVorschlaege->currentItem())
        form = item->text(1);
    QStringList idents;
    for (const Vorschlag& v : m_vorschlaege)
        if (v.form == form)
            idents << v.ident;
    // only this picture's: a number on two pictures keeps its other proposal
    Annehmen(idents, form);
}

void frmVorschlaege::AlleAnnehmen() {
    QList<Vorschlag> auswahl;
    const DifferenzModell* m = lvwAenderungen->Modell();
    for (int i : m->GewaehlteSichtbare())
        auswahl << m_aenderungen.value(m->Zeilen().at(i).quelle);
    Schreiben(auswahl);
}

void frmVorschlaege::closeEvent(QCloseEvent* e) {
    m_lauf->Abbrechen();
    if (m_bild)
        m_bild->VorschlaegeZeigen({});
    QWidget::closeEvent(e);
}
