#include "shell/frmVergleich.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>
#include <QThreadPool>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Dialoge.h"
#include "shell/Hauptfenster.h"
#include "editor/Geisterpfeile.h"
#include "editor/frmPicture.h"
#include "platform/WinUmgebung.h"
#include "shell/Differenzansicht.h"
#include "shell/Hintergrundauftrag.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/Uebernahme.h"

namespace {
QString Datenbankfilter() {
    return QStringLiteral("Alarmdatenbanken (*.kvs *.mdb *.db *.sqlite);;Alle Dateien (*)");
}
}  // namespace

frmVergleich::frmVergleich(Hauptfenster& haupt, frmPicture* bild, QWidget* parent)
    : QWidget(parent, Qt::Window), m_haupt(haupt), m_bild(bild) {
    setObjectName(QStringLiteral("frmVergleich"));
    setWindowTitle(QStringLiteral("Vergleichen"));
    lblHier = new QLabel(this);
    txtDort = new QLineEdit(this);
    txtDort->setObjectName(QStringLiteral("txtDort"));
    txtDort->setPlaceholderText(QStringLiteral("Datei, Verknüpfungsdatei oder postgresql://…"));
    txtBasis = new QLineEdit(this);
    txtBasis->setObjectName(QStringLiteral("txtBasis"));
    txtBasis->setPlaceholderText(QStringLiteral("leer: zweifacher Vergleich"));
    auto* dortWaehlen = new QPushButton(QStringLiteral("…"), this);
    auto* basisWaehlen = new QPushButton(QStringLiteral("…"), this);
    cmdVergleichen = new QPushButton(QStringLiteral("&Vergleichen"), this);
    cmdVergleichen->setDefault(true);
    cmdAbbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    cmdAbbrechen->setEnabled(false);
    prgFortschritt = new QProgressBar(this);
    prgFortschritt->setVisible(false);
    lblErgebnis = new QLabel(this);
    cboBild = new QComboBox(this);
    cboArt = new QComboBox(this);
    chkGeister = new QCheckBox(QStringLiteral("Andere Pfeile im &Bild zeigen"), this);
    chkGeister->setChecked(true);
    lvwDifferenzen = new Differenzansicht(this);
    lvwDifferenzen->Modell()->TitelSetzen(QStringLiteral("Hier"), QStringLiteral("Dort"));
    cmdUebernehmen = new QPushButton(QStringLiteral("Gewählte ü&bernehmen"), this);
    cmdBildUebernehmen = new QPushButton(QStringLiteral("Bild übernehmen"), this);
    cmdAlleUebernehmen = new QPushButton(QStringLiteral("Alle ohne &Konflikt übernehmen"), this);
    cmdCsv = new QPushButton(QStringLiteral("Als &CSV speichern…"), this);
    auto* schliessen = new QPushButton(QStringLiteral("&Schließen"), this);

    auto* oben = new QGridLayout;
    oben->addWidget(new QLabel(QStringLiteral("Diese Datenbank:"), this), 0, 0);
    oben->addWidget(lblHier, 0, 1, 1, 2);
    auto* l1 = new QLabel(QStringLiteral("&Andere Datenbank:"), this);
    l1->setBuddy(txtDort);
    oben->addWidget(l1, 1, 0);
    oben->addWidget(txtDort, 1, 1);
    oben->addWidget(dortWaehlen, 1, 2);
    auto* l2 = new QLabel(QStringLiteral("Stand &vorher:"), this);
    l2->setBuddy(txtBasis);
    oben->addWidget(l2, 2, 0);
    oben->addWidget(txtBasis, 2, 1);
    oben->addWidget(basisWaehlen, 2, 2);
    auto* lauf = new QHBoxLayout;
    lauf->addWidget(cmdVergleichen);
    lauf->addWidget(prgFortschritt, 1);
    lauf->addWidget(cmdAbbrechen);
    auto* filter = new QHBoxLayout;
    auto* l3 = new QLabel(QStringLiteral("B&ild:"), this);
    l3->setBuddy(cboBild);
    auto* l4 = new QLabel(QStringLiteral("A&rt:"), this);
    l4->setBuddy(cboArt);
    filter->addWidget(l3);
    filter->addWidget(cboBild, 1);
    filter->addWidget(l4);
    filter->addWidget(cboArt, 1);
    filter->addWidget(chkGeister);
    auto* unten = new QHBoxLayout;
    unten->addWidget(cmdUebernehmen);
    unten->addWidget(cmdBildUebernehmen);
    unten->addWidget(cmdAlleUebernehmen);
    unten->addStretch();
    unten->addWidget(cmdCsv);
    unten->addWidget(schliessen);
    auto* ly = new QVBoxLayout(this);
    ly->addLayout(oben);
    ly->addLayout(lauf);
    ly->addWidget(lblErgebnis);
    ly->addLayout(filter);
    ly->addWidget(lvwDifferenzen, 1);
    ly->addLayout(unten);
    resize(900, 600);

    const auto waehlen = [this](QLineEdit* ziel, const QString& titel) {
        const QString d = Dialoge::aktuell().DateiOeffnen(this, titel, Datenbankfilter(), QStringLiteral("kvs"), {}, {});
        if (!d.isEmpty())
            ziel->setText(d);
    };
    connect(dortWaehlen, &QPushButton::clicked, this, [this, waehlen] { waehlen(txtDort, QStringLiteral("Andere Datenbank")); });
    connect(basisWaehlen, &QPushButton::clicked, this, [this, waehlen] { waehlen(txtBasis, QStringLiteral("Stand vorher")); });
    connect(cmdVergleichen, &QPushButton::clicked, this, &frmVergleich::Vergleichen);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &frmVergleich::Abbrechen);
    connect(txtDort, &QLineEdit::returnPressed, this, &frmVergleich::Vergleichen);
    connect(cboBild, &QComboBox::currentIndexChanged, this, &frmVergleich::FilterAnwenden);
    connect(cboArt, &QComboBox::currentIndexChanged, this, &frmVergleich::FilterAnwenden);
    connect(chkGeister, &QCheckBox::toggled, this, &frmVergleich::GeisterZeigen);
    connect(lvwDifferenzen, &Differenzansicht::AlarmGewaehlt, this, [this](const QString& ident) { m_haupt.AlarmAnzeigen(ident); });
    connect(cmdUebernehmen, &QPushButton::clicked, this, [this] { Uebernehmen(Umfang::Gewaehlte); });
    connect(cmdBildUebernehmen, &QPushButton::clicked, this, [this] { Uebernehmen(Umfang::Bild); });
    connect(cmdAlleUebernehmen, &QPushButton::clicked, this, [this] { Uebernehmen(Umfang::Alle); });
    connect(cmdCsv, &QPushButton::clicked, this, &frmVergleich::CsvSpeichern);
    connect(schliessen, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_lauf, &VergleichLauf::Fortschritt, this, [this](int p, const QString& schritt) {
        prgFortschritt->setRange(0, p < 0 ? 0 : 100);
        if (p >= 0)
            prgFortschritt->setValue(p);
        prgFortschritt->setFormat(schritt);
        lblErgebnis->setText(schritt);
    });
    connect(&m_lauf, &VergleichLauf::Fertig, this, &frmVergleich::Fertig);
    connect(&m_lauf, &VergleichLauf::Abgebrochen, this, [this] {
        Laeuft(false);
        lblErgebnis->setText(QStringLiteral("Vergleich abgebrochen."));
    });
    connect(&m_lauf, &VergleichLauf::Fehlgeschlagen, this, [this](const QString& text, const QString& detail) {
        Laeuft(false);
        lblErgebnis->setText(text);
        Dialoge::aktuell().FehlerMeldung(this, text, detail);
    });
    if (AlarmAuswahl* a = m_haupt.mgobjAuswahl())
        lblHier->setText(a->AlarmDatenbank());
    Zeigen();
}

frmVergleich::~frmVergleich() { delete m_geister.data(); }

Geisterpfeile* frmVergleich::Geister() const { return m_geister.data(); }

void frmVergleich::Laeuft(bool laeuft) {
    m_laeuft = laeuft;
    cmdAbbrechen->setEnabled(laeuft);
    prgFortschritt->setVisible(laeuft);
    // while a take-over writes, the list stays as it was read: no second one, no new comparison
    cmdVergleichen->setEnabled(!laeuft && !m_uebernahme && !m_nachtrag);
    for (QPushButton* k : {cmdUebernehmen, cmdBildUebernehmen, cmdAlleUebernehmen})
        k->setEnabled(!laeuft && !m_uebernahme && !m_nachtrag && m_ergebnis.has_value());
    cmdCsv->setEnabled(!laeuft && m_ergebnis.has_value());
}

bool frmVergleich::Vergleichen() {
    if (m_uebernahme || m_nachtrag)
        return false;
    AlarmAuswahl* a = m_haupt.mgobjAuswahl();
    const QString hier = a ? a->AlarmDatenbank() : QString();
    if (hier.isEmpty()) {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Es ist keine Alarmdatenbank geöffnet."));
        return false;
    }
    if (txtDort->text().trimmed().isEmpty()) {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Bitte die andere Datenbank angeben."));
        txtDort->setFocus();
        return false;
    }
    lblHier->setText(hier);
    m_ergebnis.reset();
    Zeigen();
    if (!m_lauf.Starten({hier, txtDort->text().trimmed(), txtBasis->text().trimmed()}))
        return false;
    Laeuft(true);
    lblErgebnis->setText(QStringLiteral("Vergleiche…"));
    return true;
}

void frmVergleich::Abbrechen() { m_lauf.Abbrechen(); }

void frmVergleich::Fertig(const Vergleichsergebnis& e) {
    m_ergebnis = e;
    Laeuft(false);
    Zeigen();
}

namespace {
// The ghost arrows of a comparison's lines: plain data, made on any thread.
std::vector<Geisterpfeile::Geist> GeisterAus(const Vergleichsergebnis& e) {
    std::vector<Geisterpfeile::Geist> geister;
    for (const Vergleichszeile& z : e.zeilen) {
        bool ok = false, okY = false;
        const int x = z.dort.value(AlarmFeld::X).toInt(&ok), y = z.dort.value(AlarmFeld::Y).toInt(&okY);
        if (!ok || !okY || z.dort.value(AlarmFeld::Form).isEmpty() || z.art == Vergleichszeile::Art::NichtEindeutig)
            continue;
        Geisterpfeile::Geist g;
        g.ident = z.ident;
        g.form = z.dort.value(AlarmFeld::Form);
        g.pos = {x, y};
        g.symbol = z.dort.value(AlarmFeld::Symbol);
        g.konflikt = z.art == Vergleichszeile::Art::Konflikt;
        g.text = QStringLiteral("Andere Datenbank: ") + z.Text();
        const int hx = z.hier.value(AlarmFeld::X).toInt(&ok), hy = z.hier.value(AlarmFeld::Y).toInt(&okY);
        if (ok && okY && z.hier.value(AlarmFeld::Form) == g.form)
            g.hier = QPoint(hx, hy);
        geister.push_back(g);
    }
    return geister;
}
}  // namespace

void frmVergleich::Zeigen() {
    Anwenden(m_ergebnis ? Differenz::AusVergleich(*m_ergebnis) : QList<Differenz>(), std::nullopt);
}

void frmVergleich::Anwenden(const QList<Differenz>& zeilen, std::optional<std::vector<Geisterpfeile::Geist>> geister) {
    const QString bild = cboBild->currentData().toString();
    const int art = cboArt->currentIndex();
    QSignalBlocker b1(cboBild), b2(cboArt);
    cboBild->clear();
    cboBild->addItem(QStringLiteral("Alle Bilder"));
    // a set: a list looked up for each of a hundred thousand lines held the window
    QSet<QString> menge;
    for (const Differenz& d : zeilen)
        if (!d.form.isEmpty())
            menge.insert(d.form);
    QStringList formen(menge.cbegin(), menge.cend());
    formen.sort();
    for (const QString& f : formen)
        cboBild->addItem(f, f);
    cboBild->setCurrentIndex(std::max(0, cboBild->findData(bild)));
    cboArt->clear();
    cboArt->addItem(QStringLiteral("Alle Arten"));
    for (int i = 0; i < Vergleichszeile::ArtAnzahl; ++i)
        cboArt->addItem(Vergleichszeile::ArtName(static_cast<Vergleichszeile::Art>(i)));
    cboArt->setCurrentIndex(std::max(0, art));
    lvwDifferenzen->Setzen(zeilen);
    if (m_ergebnis) {
        QStringList teile;
        for (int i = 0; i < Vergleichszeile::ArtAnzahl; ++i)
            if (const qsizetype n = m_ergebnis->Anzahl(static_cast<Vergleichszeile::Art>(i)))
                teile << QStringLiteral("%1 %2").arg(Vergleichszeile::ArtName(static_cast<Vergleichszeile::Art>(i))).arg(n);
        lblErgebnis->setText(m_ergebnis->Gleich() ? QStringLiteral("Keine Unterschiede.")
                                                  : QStringLiteral("%1 Unterschiede, %2 übernehmbar: %3")
                                                        .arg(m_ergebnis->zeilen.size())
                                                        .arg(m_ergebnis->Uebernehmbar())
                                                        .arg(teile.join(QStringLiteral(", "))));
    }
    FilterAnwenden();
    if (geister)
        GeisterSetzen(m_ergebnis && chkGeister->isChecked() ? std::move(*geister) : std::vector<Geisterpfeile::Geist>());
    else
        GeisterZeigen();
    Laeuft(m_laeuft);
}

void frmVergleich::FilterAnwenden() {
    const QString bild = cboBild->currentData().toString();
    const QString art = cboArt->currentIndex() > 0 ? cboArt->currentText() : QString();
    if (bild.isEmpty() && art.isEmpty())
        lvwDifferenzen->Modell()->FilterSetzen(nullptr);
    else
        lvwDifferenzen->Modell()->FilterSetzen([bild, art](const Differenz& d) {
            return (bild.isEmpty() || d.form == bild) && (art.isEmpty() || d.gruppe == art);
        });
}

void frmVergleich::GeisterZeigen() {
    GeisterSetzen(m_ergebnis && chkGeister->isChecked() ? GeisterAus(*m_ergebnis) : std::vector<Geisterpfeile::Geist>());
}

void frmVergleich::GeisterSetzen(std::vector<Geisterpfeile::Geist> geister) {
    if (!m_bild)
        return;
    if (!m_geister) {
        AlarmAuswahl* a = m_haupt.mgobjAuswahl();
        const QString symbolPfad = a ? a->SymbolPath() : QString();
        m_geister = new Geisterpfeile(m_bild, [symbolPfad](const QString& symbol) {
            return QPixmap(QString::fromStdString(
                WinUmgebung::PfadAbbilden((symbolPfad + QStringLiteral("\\") + symbol).toStdString())));
        });
        connect(m_geister, &Geisterpfeile::GeistDoppelklick, this, [this](const QString& ident) { m_haupt.AlarmAnzeigen(ident); });
    }
    m_geister->Setzen(std::move(geister));
}

bool frmVergleich::Uebernehmen(Umfang umfang) {
    AlarmAuswahl* a = m_haupt.mgobjAuswahl();
    if (!m_ergebnis || !a || m_uebernahme || m_nachtrag || m_laeuft)
        return false;
    QSet<int> gewaehlt;
    if (umfang == Umfang::Gewaehlte) {
        for (int i : lvwDifferenzen->Modell()->GewaehlteSichtbare())
            gewaehlt.insert(lvwDifferenzen->Modell()->Zeilen().at(i).quelle);
    }
    QString bild = cboBild->currentData().toString();
    if (umfang == Umfang::Bild && bild.isEmpty()) {
        const int z = lvwDifferenzen->AktuelleZeile();
        bild = z >= 0 ? lvwDifferenzen->Modell()->Zeilen().at(z).form : (m_bild ? m_bild->BildForm() : QString());
    }
    QList<int> stellen;
    for (qsizetype i = 0; i < m_ergebnis->zeilen.size(); ++i) {
        const Vergleichszeile& z = m_ergebnis->zeilen.at(i);
        const bool dabei = umfang == Umfang::Alle || (umfang == Umfang::Gewaehlte && gewaehlt.contains(static_cast<int>(i))) ||
                           (umfang == Umfang::Bild && z.Form() == bild);
        if (dabei && z.Uebernehmbar())
            stellen << static_cast<int>(i);
    }
    if (stellen.isEmpty()) {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Nichts zu übernehmen."));
        return false;
    }
    // Checked and written on the job's own connection in one transaction: a
    // cancel rolls it back whole. The writes are made there too, from a shared
    // copy of the list that the job lets go before it ends, so the window's
    // list is not copied when it changes afterwards. The history, the grid and
    // the picture learn of it afterwards, once, as of any write.
    auto liste = std::make_shared<QList<Vergleichszeile>>(m_ergebnis->zeilen);
    const QString datenbank = a->AlarmDatenbank();
    const QString beschreibung = Uebernahme::Beschreibung(stellen.size());
    auto ergebnis = std::make_shared<Uebernahme::Ergebnis>();
    auto sammel = std::make_shared<Sammelergebnis>();
    auto staende = std::make_shared<QList<Zeilenstand>>();
    auto* auftrag = new Hintergrundauftrag(QStringLiteral("Übernehmen"), this, [=](Auftragslauf& lauf) {
        lauf.Fortschritt(0, stellen.size());
        QList<Schreibauftrag> auftraege;
        {
            const QList<Vergleichszeile> zeilen = std::exchange(*liste, {});
            auftraege.reserve(stellen.size());
            for (int i : stellen)
                auftraege << Uebernahme::Auftrag(zeilen.at(i));
        }
        *ergebnis = Uebernahme::Ausfuehren(datenbank, auftraege, [sammel, datenbank](const QList<Schreibauftrag>& alle) {
            *sammel = AlarmdefsZugriff::SchreibenAlle(datenbank, alle);
            return *sammel;
        });
        // the rows' new states for the component and the picture, made here rather than by the window
        *staende = AlarmAuswahl::StaendeNach(*sammel);
    });
    m_uebernahme = auftrag;
    QPointer<AlarmAuswahl> komponente = a;
    connect(auftrag, &Hintergrundauftrag::Beendet, this,
            [this, auftrag, ergebnis, sammel, staende, komponente, datenbank, beschreibung, stellen](Hintergrundauftrag::Ausgang ausgang) {
        bool geschrieben = false;
        switch (ausgang) {
        case Hintergrundauftrag::Ausgang::Fertig:
            // unless another database is open by now: its history is not this one's
            if (komponente && komponente->AlarmDatenbank() == datenbank && (sammel->geschrieben || sammel->abgelehnt >= 0))
                komponente->SammelergebnisMelden(*sammel, beschreibung, *staende);
            // they are let go on a worker: freeing a hundred thousand of them held the window too
            QThreadPool::globalInstance()->start([weg = std::exchange(*staende, {})]() mutable { weg.clear(); });
            if (ergebnis->geschrieben) {
                geschrieben = true;
                m_haupt.StatusText(1, ergebnis->text);
            } else {
                QString text = ergebnis->text;
                if (!ergebnis->abgelehnt.isEmpty())
                    text += QLatin1Char('\n') + ergebnis->abgelehnt.mid(0, 20).join(QLatin1Char('\n')) +
                            (ergebnis->abgelehnt.size() > 20 ? QStringLiteral("\n… und %1 weitere").arg(ergebnis->abgelehnt.size() - 20)
                                                             : QString());
                Dialoge::aktuell().FehlerMeldung(this, text, ergebnis->detail);
                m_haupt.StatusMeldung(ergebnis->text, ergebnis->detail);
            }
            break;
        case Hintergrundauftrag::Ausgang::Abgebrochen:
            m_haupt.StatusText(1, QStringLiteral("Übernahme abgebrochen; nichts wurde geschrieben."));
            break;
        case Hintergrundauftrag::Ausgang::Fehler:
            Dialoge::aktuell().FehlerMeldung(this, auftrag->Fehlertext(), auftrag->Fehlerdetail());
            m_haupt.StatusMeldung(auftrag->Fehlertext(), auftrag->Fehlerdetail());
            break;
        }
        m_uebernahme = nullptr;
        // The list and the ghosts follow in a turn of their own: the window
        // does not hold the history, the grid and the list in one go.
        m_nachtrag = true;
        QMetaObject::invokeMethod(this, [this, stellen, geschrieben] {
            if (!geschrieben) {
                m_nachtrag = false;
                Laeuft(m_laeuft);
                emit UebernahmeBeendet(false);
                return;
            }
            Uebernommen(stellen);
        }, Qt::QueuedConnection);
    });
    auftrag->Starten();
    Laeuft(m_laeuft);
    return true;
}

void frmVergleich::Uebernommen(const QList<int>& stellen) {
    // Taken over: this side holds the other's placement now; what else differs
    // stays listed. One pass, however many lines went.
    QList<Vergleichszeile>& liste = m_ergebnis->zeilen;
    // the lines that go are freed on a worker: a hundred thousand of them take the window a good tenth of a second
    QList<Vergleichszeile> weg;
    weg.reserve(stellen.size());
    qsizetype behalten = 0, naechste = 0;
    for (qsizetype i = 0; i < liste.size(); ++i) {
        Vergleichszeile& z = liste[i];
        if (naechste < stellen.size() && stellen.at(naechste) == i) {
            ++naechste;
            if (z.andereSpalten.isEmpty()) {
                weg << std::move(z);
                continue;
            }
            for (int s : z.spalten)
                z.hier[s] = z.dort.value(s);
            z.spalten.clear();
            z.art = Vergleichszeile::Art::AndereSpalten;
        }
        if (behalten != i)
            liste[behalten] = std::move(z);
        ++behalten;
    }
    liste.resize(behalten);
    if (!weg.isEmpty())
        QThreadPool::globalInstance()->start([weg = std::move(weg)]() mutable { weg.clear(); });
    // The list's lines and the ghosts are made on a worker from a shared copy
    // (the window's result is not changed meanwhile: no take-over or comparison
    // starts before they are shown), then shown in one turn.
    auto kopie = std::make_shared<Vergleichsergebnis>(*m_ergebnis);
    const QPointer<frmVergleich> ziel(this);
    QThreadPool::globalInstance()->start([kopie, ziel] {
        auto zeilen = std::make_shared<QList<Differenz>>(Differenz::AusVergleich(*kopie));
        auto geister = std::make_shared<std::vector<Geisterpfeile::Geist>>(GeisterAus(*kopie));
        // the copy is let go here, so the window's result stays unshared
        *kopie = Vergleichsergebnis();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [ziel, zeilen, geister] {
                if (!ziel)
                    return;
                ziel->m_nachtrag = false;
                ziel->Anwenden(*zeilen, std::move(*geister));
                emit ziel->UebernahmeBeendet(true);
            },
            Qt::QueuedConnection);
    });
}

void frmVergleich::CsvSpeichern() {
    if (!m_ergebnis)
        return;
    const QString datei = Dialoge::aktuell().DateiSpeichern(this, QStringLiteral("Unterschiede als CSV speichern"),
                                                            QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral("Vergleich.csv"));
    if (datei.isEmpty())
        return;
    QSaveFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(datei.toStdString())));
    const QByteArray daten = m_ergebnis->Csv();
    if (!f.open(QIODevice::WriteOnly) || f.write(daten) != daten.size() || !f.commit())
        Dialoge::aktuell().Meldung(this, QStringLiteral("Die Datei %1 lässt sich nicht schreiben.").arg(datei));
}

void frmVergleich::closeEvent(QCloseEvent* e) {
    // a running comparison only reads: it is stopped, and the ghosts leave the picture
    m_lauf.Abbrechen();
    if (m_geister)
        m_geister->Setzen({});
    QWidget::closeEvent(e);
}

void frmVergleich::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    GeisterZeigen();
}
