#include "alarms/frmAlarmAuswahl.h"


#include <QAbstractItemDelegate>
#include <QAction>
#include <QAtomicInteger>
#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSqlError>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <limits>
#include <utility>

#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/AuswahlLayout.h"
#include "alarms/Fensterlage.h"
#include "alarms/Freigabe.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/Einfuegeblock.h"
#include "alarms/Dialoge.h"
#include "alarms/Hauptwerte.h"
#include "alarms/Takt.h"
#include "alarms/Twips.h"
#include "alarms/WertelistenDelegate.h"

namespace {
QAtomicInteger<int> g_fensterZaehler;
const int SchluesselRolle = Qt::UserRole;

// Text behind the last separator; the whole path when there is none.
QString DateiNameVon(const QString& pfad) {
    const qsizetype i = std::max(pfad.lastIndexOf(QLatin1Char('\\')), pfad.lastIndexOf(QLatin1Char('/')));
    return i < 0 ? pfad : pfad.mid(i + 1);
}
}  // namespace

frmAlarmAuswahl::frmAlarmAuswahl(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Alarmauswahl"));
    setObjectName(QStringLiteral("frmAlarmAuswahl"));
    resize(900, 260);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(8, 8, 208, 240);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(true);
    TreeView1->setFrameStyle(QFrame::Box | QFrame::Plain);
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->installEventFilter(this);
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] {
        m_knotenOhneKlick = false;
        TreeView1_Click();
    });
    // Moving through the tree with the keyboard filters like a click does.
    // (The view's own choice of a first current node on focus has no previous node.)
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem* vorher) {
        if (item && vorher && !m_mausImBaum)
            TreeView1_Click();
        else if (m_mausImBaum)
            m_knotenOhneKlick = true;
    });

    txtSuche = new QLineEdit(this);
    txtSuche->setObjectName(QStringLiteral("txtSuche"));
    txtSuche->setPlaceholderText(QStringLiteral("Suchen: Alarmnummer oder Text (Strg+F)"));
    txtSuche->setToolTip(QStringLiteral("Eingabe: nächster Treffer, Umschalt+Eingabe: voriger Treffer"));
    txtSuche->setClearButtonEnabled(true);
    txtSuche->setGeometry(221, 5, 660, 24);
    txtSuche->installEventFilter(this);
    connect(txtSuche, &QLineEdit::textEdited, this, [this] { txtSuche->setStyleSheet(QString()); });

    // The grid lies below the search field.
    TDBAlarme = new QTableView(this);
    TDBAlarme->setObjectName(QStringLiteral("TDBAlarme"));
    TDBAlarme->setGeometry(221, 5 + 26, 660, 245 - 26);
    // A block of cells can be selected (Shift+arrows, Shift+click) to paste into.
    // A header press still only sorts (or, on a record selector, does nothing):
    // selecting a whole column or row would move the current row and pick an alarm.
    TDBAlarme->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (QHeaderView* kopf : {TDBAlarme->horizontalHeader(), TDBAlarme->verticalHeader()}) {
        disconnect(kopf, &QHeaderView::sectionPressed, TDBAlarme, nullptr);
        disconnect(kopf, &QHeaderView::sectionEntered, TDBAlarme, nullptr);
    }
    TDBAlarme->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    TDBAlarme->horizontalHeader()->setSectionsMovable(false);
    TDBAlarme->horizontalHeader()->setSectionsClickable(true);
    TDBAlarme->horizontalHeader()->setResizeContentsPrecision(200);
    TDBAlarme->verticalHeader()->setVisible(true);
    TDBAlarme->verticalHeader()->setDefaultSectionSize(TDBAlarme->fontMetrics().height() + 6);
    TDBAlarme->installEventFilter(this);
    // A text cut off by its column shows whole in a tool tip.
    TDBAlarme->viewport()->installEventFilter(this);
    // The mouse's way to paste: a right click offers "Einfügen".
    TDBAlarme->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TDBAlarme, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        QAction* einfuegen = menu.addAction(QStringLiteral("&Einfügen\tStrg+V"));
        einfuegen->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
        connect(einfuegen, &QAction::triggered, this, [this] { BlockEinfuegen(QGuiApplication::clipboard()->text()); });
        Dialoge::aktuell().MenuZeigen(&menu, TDBAlarme->viewport()->mapToGlobal(pos));
    });
    // (A double click on a header edge fits that column to its contents: the view's own behaviour.)
    Wertelisten = new WertelistenDelegate(this);
    Wertelisten->setWerteliste(AlarmFeld::Form, {QStringLiteral("Noch keine Daten gelesen")});
    Wertelisten->setWerteliste(AlarmFeld::Symbol, {QStringLiteral("Keine Daten eingetragen")});
    TDBAlarme->setItemDelegate(Wertelisten);
    connect(TDBAlarme->horizontalHeader(), &QHeaderView::sectionClicked, this, &frmAlarmAuswahl::TDBAlarme_HeadClick);
    // The two further pick notifications: a double click on a row's record
    // selector (its row number is ignored) and the choice of an entry from a
    // value list. A double click into a cell picks as well.
    connect(TDBAlarme->verticalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int) { AlarmWaehlen(); });
    connect(TDBAlarme, &QTableView::doubleClicked, this, [this](const QModelIndex&) { AlarmWaehlen(); });
    // A choice committed by moving to another row is picked by that row change already.
    // A choice whose write is still on its way is picked when the write has landed,
    // so the pick reads the row with its new picture.
    connect(Wertelisten, &WertelistenDelegate::WertGewaehlt, this, [this](int, int zeile) {
        if (dbAlarme && dbAlarme->SchreibenOffen(zeile)) {
            m_wahlNachSchreiben = zeile;
            return;
        }
        if (TDBAlarme->currentIndex().row() == zeile)
            AlarmWaehlen();
    }, Qt::QueuedConnection);

    AktuelleZeile.fill(QString(), AlarmFeld::Anzahl);

    m_wahl = new Wahlablauf(this);
    connect(m_wahl, &Wahlablauf::Gewaehlt, this, &frmAlarmAuswahl::Gewaehlt);
    connect(m_wahl, &Wahlablauf::Beendet, this, &frmAlarmAuswahl::WahlMelden);
    connect(m_wahl, &Wahlablauf::ZeileHalten, this, &frmAlarmAuswahl::ZeileHalten);
}

frmAlarmAuswahl::~frmAlarmAuswahl() { DatenbankSchliessen(); }

// --- showing -----------------------------------------------------------------

void frmAlarmAuswahl::Anzeigen() {
    emit KindFensterGewuenscht(this);
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sub && !sub->property("taveroVerbunden").toBool()) {
        sub->setProperty("taveroVerbunden", true);
        sub->installEventFilter(this);
        connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates alt, Qt::WindowStates neu) {
            if (!(alt & Qt::WindowActive) && (neu & Qt::WindowActive))
                Form_Activate();
        });
    }
    if (!m_geladen)
        Form_Load();
    show();
    if (sub) {
        sub->show();
        if (sub->mdiArea()->activeSubWindow() != sub)
            sub->mdiArea()->setActiveSubWindow(sub);
        else
            Form_Activate();
    } else {
        Form_Activate();
    }
}

void frmAlarmAuswahl::Verbergen() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
}

// --- load, activate, resize, focus, unload -----------------------------------

void frmAlarmAuswahl::Form_Load() {
    m_geladen = true;
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (k) {
        flstBilderPath = k->BilderPath();
        flstBilderPattern = QStringLiteral("*.Bmp");
    }
    BaumAufbauen();
    TreeView1_Click();
    WertelistenFuellen();
}

void frmAlarmAuswahl::BaumAufbauen() {
    const QSignalBlocker sperre(TreeView1);
    TreeView1->clear();
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    QStringList schluessel;
    auto knoten = [&](QTreeWidgetItem* eltern, const QString& key, const QString& text) -> QTreeWidgetItem* {
        // A key already in the tree stops the build, as a duplicate key would.
        if (!key.isEmpty() && schluessel.contains(key, Qt::CaseInsensitive))
            return nullptr;
        schluessel.append(key);
        auto* item = eltern ? new QTreeWidgetItem(eltern, {text}) : new QTreeWidgetItem(TreeView1, {text});
        item->setData(0, SchluesselRolle, key);
        return item;
    };
    QTreeWidgetItem* wurzel =
        knoten(nullptr, QStringLiteral("Datenbank"), DateiNameVon(k ? k->AlarmDatenbank() : QString()));
    QFont fett = wurzel->font(0);
    fett.setBold(true);
    wurzel->setFont(0, fett);
    knoten(wurzel, QStringLiteral("Alle"), QStringLiteral(" Alle"));
    knoten(wurzel, QStringLiteral("Ohne"), QStringLiteral(" Frei"));
    QTreeWidgetItem* letzter = knoten(wurzel, QStringLiteral("OhnePos"), QStringLiteral(" Ohne Position"));
    TreeView1->expandItem(wurzel);

    const std::optional<QStringList> bilder = k ? k->AlarmBilderListe() : std::nullopt;
    if (!bilder)
        return;  // no picture list: the build stops before the selection step
    bool abgebrochen = false;
    for (const QString& eintrag : *bilder) {
        if (eintrag.size() < 4) {
            abgebrochen = true;
            break;
        }
        const QString name = eintrag.left(eintrag.size() - 4);
        QTreeWidgetItem* item = knoten(wurzel, name, name);
        if (!item) {
            abgebrochen = true;
            break;
        }
        letzter = item;
    }
    TreeView1->scrollToItem(letzter);
    if (abgebrochen)
        return;
    QTreeWidgetItem* alle = wurzel->child(0);
    TreeView1->setCurrentItem(alle);
    alle->setSelected(true);
    alle->setExpanded(true);
}

void frmAlarmAuswahl::WertelistenFuellen() {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (!k)
        return;
    if (const auto bilder = k->AlarmBilderListe()) {
        QStringList werte;
        for (const QString& b : *bilder) {
            const QString datei = DateiNameVon(b);
            werte.append(datei.left(std::max<qsizetype>(0, datei.size() - 4)));
        }
        Wertelisten->setWerteliste(AlarmFeld::Form, werte);
    }
    if (const auto symbole = k->SymbolListe()) {
        QStringList werte;
        for (const QString& s : *symbole)
            werte.append(k->PfadErweiterung() + DateiNameVon(s));
        Wertelisten->setWerteliste(AlarmFeld::Symbol, werte);
    } else if (const auto alarme = k->AlarmListe()) {
        // An alarm record offers its texts joined, the way an array reads as text.
        QStringList werte;
        for (const AlarmRecord& a : *alarme)
            werte.append(a.join(QLatin1Char(' ')).trimmed());
        Wertelisten->setWerteliste(AlarmFeld::Symbol, werte);
    }
}

void frmAlarmAuswahl::Form_Activate() {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (k && m_datenbankName != k->AlarmDatenbank()) {
        try {
            DatenbankOeffnen(k->AlarmDatenbank());
            // A table is known to be usable only once its service has described it
            // (a server's, or a file another program holds locked, later).
            if (!dbAlarme->BeschreibungUnterwegs())
                m_abgelehnt.clear();
            if (m_quelle)
                QuelleAnwenden(*m_quelle);
        } catch (const AlarmdefsFehler& e) {
            // the grid stays empty; the next activation tries again, without saying it twice
            StatusMelden(e.Text());
            if (m_abgelehnt != k->AlarmDatenbank())
                Dialoge::aktuell().FehlerMeldung(this, e.Text(), e.Detail());
            m_abgelehnt = k->AlarmDatenbank();
        }
    }
    if (k && k->Testmodus()) {
        double breite = 0, hoehe = 0;
        FensterGroesseTwips(&breite, &hoehe);
        TreeView1->resize(TreeView1->width(), qRound(AuswahlLayout::TestmodusHoehe(hoehe, TreeView1->y())));
        TDBAlarme->resize(TDBAlarme->width(), qRound(AuswahlLayout::TestmodusHoehe(hoehe, TDBAlarme->y())));
    }
    emit Aktiv();
    if (qobject_cast<QMdiSubWindow*>(parentWidget()))
        Fensterlage::Fuer(this, QStringLiteral("Alarmauswahl"), [this] {
            const Hauptwerte* w = mgobjAlarmAuswahl ? mgobjAlarmAuswahl->Werte() : nullptr;
            return w && w->AussenGroesseTwips ? AuswahlLayout::AktivierenPixel(w->AussenGroesseTwips()) : QRect();
        })->Aktiviert();
}

void frmAlarmAuswahl::FensterGroesseTwips(double* breite, double* hoehe) const {
    // The window's own size is its outer frame, as the main window sets it.
    const QWidget* rahmen = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    const QSize s = rahmen == this && isWindow() ? frameGeometry().size() : rahmen->size();
    *breite = Twips::ZuTwips(s.width());
    *hoehe = Twips::ZuTwips(s.height());
}

void frmAlarmAuswahl::Form_Resize() {
    double breite = 0, hoehe = 0;
    FensterGroesseTwips(&breite, &hoehe);
    if (const auto n = AuswahlLayout::ResizeHoehe(hoehe, TreeView1->y()))
        TreeView1->resize(TreeView1->width(), *n);
    if (const auto n = AuswahlLayout::ResizeHoehe(hoehe, TDBAlarme->y()))
        TDBAlarme->resize(TDBAlarme->width(), *n);
    if (const auto n = AuswahlLayout::ResizeBreite(breite, TDBAlarme->x()))
        TDBAlarme->resize(*n, TDBAlarme->height());
}

void frmAlarmAuswahl::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmAlarmAuswahl::Form_GotFocus() {
    emit Aktiv();
}

void frmAlarmAuswahl::Form_Unload() {
    mgobjAlarmAuswahl = nullptr;
    m_geladen = false;
    DatenbankSchliessen();
}

void frmAlarmAuswahl::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (!qobject_cast<QMdiSubWindow*>(parentWidget()))
        Form_Unload();
}

bool frmAlarmAuswahl::eventFilter(QObject* obj, QEvent* e) {
    if (obj == txtSuche && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (AlarmAuswahl* komponente = mgobjAlarmAuswahl)
                komponente->SucheAnfordern(txtSuche->text(), k->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
    }
    if (obj == TDBAlarme && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->matches(QKeySequence::Paste)) {
        BlockEinfuegen(QGuiApplication::clipboard()->text());
        return true;
    }
    if (obj == TDBAlarme->viewport() && e->type() == QEvent::ToolTip) {
        auto* hilfe = static_cast<QHelpEvent*>(e);
        const QModelIndex zelle = TDBAlarme->indexAt(hilfe->pos());
        if (ZelleAbgeschnitten(zelle))
            QToolTip::showText(hilfe->globalPos(), zelle.data().toString(), TDBAlarme->viewport(),
                               TDBAlarme->visualRect(zelle));
        else
            QToolTip::hideText();
        return true;
    }
    if (obj == TreeView1->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            m_mausImBaum = true;
            m_knotenOhneKlick = false;
        } else if (e->type() == QEvent::MouseButtonRelease) {
            m_mausImBaum = false;
            // Released on another node than pressed: no click, but the grid follows the tree.
            QTimer::singleShot(0, this, [this] {
                if (m_knotenOhneKlick) {
                    m_knotenOhneKlick = false;
                    TreeView1_Click();
                }
            });
        }
    } else if ((obj == TreeView1 || obj == TDBAlarme) && e->type() == QEvent::FocusIn) {
        Form_GotFocus();
    } else if (obj == parentWidget() && e->type() == QEvent::Close) {
        Form_Unload();
    }
    return QWidget::eventFilter(obj, e);
}

// --- the bound record set ----------------------------------------------------

void frmAlarmAuswahl::DatenbankOeffnen(const QString& pfad) {
    DatenbankSchliessen();
    const QString name = QStringLiteral("tavero-auswahl-%1").arg(g_fensterZaehler.fetchAndAddRelaxed(1));
    const Datenbankadresse adresse(pfad);
    QSqlDatabase db;
    if (adresse.IstServer() && QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        // A server is never connected to on the window's thread: the grid's data
        // service connects on its worker and tells what the table holds; this
        // connection is not opened, its driver only spells names.
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        m_verbindung = name;
    } else if (AlarmdefsZugriff::IstAccessDatei(pfad)) {
        // Nor to an Access file: the data service opens it through ODBC on
        // its worker and reads the rows there.
        db = AlarmdefsZugriff::OdbcVorlage(AlarmdefsZugriff::AccessVerbindung(adresse.Pfad()), pfad, name);
        m_verbindung = name;
    } else {
        db = AlarmdefsZugriff::Oeffnen(pfad, name);
        m_verbindung = name;
        if (db.driverName() == QLatin1String("QSQLITE")) {
            // Found, and an SQLite file: its table is read by the grid's data
            // service alone, so a lock another program holds on it never holds
            // the window. This connection's driver only spells names.
            db.close();
        } else {
            // A table without the columns the program needs is not opened: every pick
            // and every write would fail on it later.
            const QStringList fehlen = AlarmdefsZugriff::FehlendeSpalten(db);
            if (!fehlen.isEmpty()) {
                db = QSqlDatabase();
                DatenbankSchliessen();
                throw AlarmdefsFehler(FehlendText(pfad, fehlen));
            }
        }
    }
    dbAlarme = new AlarmdefsModell(this, db, pfad);
    connect(dbAlarme, &AlarmdefsModell::Beschrieben, this, [this] { m_abgelehnt.clear(); });
    // What the service finds unusable is told as an opening that failed.
    connect(dbAlarme, &AlarmdefsModell::Unbrauchbar, this,
            [this, pfad, modell = QPointer<AlarmdefsModell>(dbAlarme)](const QStringList& fehlen, const QString& text,
                                                                       const QString& detail) {
                // Told while the opening still waits for it: refused as the opening itself.
                if (m_beschreibungAbwarten) {
                    m_sofortAbgelehnt.emplace(fehlen.isEmpty() ? text : FehlendText(pfad, fehlen),
                                              fehlen.isEmpty() ? detail : QString());
                    return;
                }
                // Closed after this signal has been handled, not inside the model's own call;
                // a grid opened anew meanwhile is not this one.
                QTimer::singleShot(0, this, [this, pfad, modell, fehlen, text, detail] {
                    if (!modell || dbAlarme != modell)
                        return;
                    DatenbankSchliessen();
                    const QString meldung = fehlen.isEmpty() ? text : FehlendText(pfad, fehlen);
                    StatusMelden(meldung);
                    if (m_abgelehnt != pfad)
                        Dialoge::aktuell().FehlerMeldung(this, meldung, fehlen.isEmpty() ? detail : QString());
                    m_abgelehnt = pfad;
                });
            });
    m_breitenAngepasst = false;
    m_wahlNachSchreiben = -1;
    m_wahl->setModell(dbAlarme);
    connect(dbAlarme->Dienst(), &Datendienst::Beantwortet, this, &frmAlarmAuswahl::EinfuegenBeantwortet);
    // A paste waiting for rows out of view goes on when they come.
    connect(dbAlarme, &QAbstractItemModel::dataChanged, this, &frmAlarmAuswahl::EinfuegenWeiter);
    connect(dbAlarme, &QAbstractItemModel::modelReset, this, &frmAlarmAuswahl::EinfuegenWeiter);
    connect(dbAlarme, &AlarmdefsModell::ZeileGefunden, this, &frmAlarmAuswahl::AlarmGefunden);
    connect(dbAlarme, &AlarmdefsModell::ZeilenUnlesbar, this, [this](int von, int bis, const QString& grund) {
        if (m_einfuegen && m_einfuegen->oben <= bis && m_einfuegen->oben + m_einfuegen->schluessel.size() - 1 >= von) {
            m_einfuegen.reset();
            const QString text = QStringLiteral("Nichts wurde eingefügt. Die Zeilen %1 bis %2 lassen sich nicht lesen: %3")
                                     .arg(von + 1).arg(bis + 1).arg(grund);
            Dialoge::aktuell().FehlerMeldung(this, text, QString());
            StatusMelden(text);
        }
    });
    connect(dbAlarme, &AlarmdefsModell::ZelleGeschrieben, this,
            [this](const Schreibauftrag& a, const Schreibergebnis& e) {
                if (AlarmAuswahl* k = mgobjAlarmAuswahl)
                    k->ErgebnisMelden(a, e,
                                      QStringLiteral("%1 von Alarm %2 ändern")
                                          .arg(AlarmRecordBau::SpaltenNamen().value(a.spalten.value(0)), a.ident));
            });
    connect(dbAlarme, &AlarmdefsModell::SchreibenBeantwortet, this, [this](int zeile, bool geschrieben) {
        if (zeile != m_wahlNachSchreiben)
            return;
        m_wahlNachSchreiben = -1;
        if (geschrieben && TDBAlarme->currentIndex().row() == zeile)
            AlarmWaehlen();
    });
    connect(dbAlarme, &AlarmdefsModell::ListeUnvollstaendig, this, &frmAlarmAuswahl::StatusMelden);
    connect(dbAlarme, &AlarmdefsModell::ListeVollstaendig, this, [this](int zeilen) {
        StatusMelden(QStringLiteral("Die Alarmliste ist vollständig: %1.").arg(Anzahltext::Zeilen(zeilen)));
    });
    // A source ordered in the background (a sort of many rows) is shown when it comes.
    connect(dbAlarme, &AlarmdefsModell::QuelleGewechselt, this, [this] {
        SpaltenBreitenAnpassen();
        AuswahlHalten();
    });
    connect(dbAlarme, &AlarmdefsModell::QuelleAbgelehnt, this, [this] {
        const auto m = DatenbankFehler::Deuten(dbAlarme->lastError(), m_datenbankName);
        StatusMelden(QStringLiteral("Die Alarme lassen sich nicht anzeigen: ") + m.text);
    });
    QItemSelectionModel* alt = TDBAlarme->selectionModel();
    TDBAlarme->setModel(dbAlarme);
    delete alt;
    connect(TDBAlarme->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmAlarmAuswahl::ZeileGewechselt);
    m_datenbankName = pfad;
    if (!adresse.IstServer())
        BeschreibungAbwarten();
}

void frmAlarmAuswahl::BeschreibungAbwarten() {
    // An idle file's description comes within a moment: a table the service
    // cannot show is refused as the opening itself. The worker is given a
    // frame for it, and it is not waited for while another program holds the
    // file locked; what comes later is told when it comes (a file slow to
    // describe, a lock).
    if (!dbAlarme->BeschreibungUnterwegs())
        return;
    m_beschreibungAbwarten = true;
    dbAlarme->BeschreibungAbwarten(Datendienst::EinBildMs);
    m_beschreibungAbwarten = false;
    if (const auto abgelehnt = std::exchange(m_sofortAbgelehnt, std::nullopt)) {
        DatenbankSchliessen();
        throw AlarmdefsFehler(abgelehnt->first, abgelehnt->second);
    }
}

QString frmAlarmAuswahl::FehlendText(const QString& pfad, const QStringList& fehlen) {
    if (fehlen.size() == AlarmFeld::Spalten)
        return QStringLiteral("Die Alarmdatenbank %1 enthält keine Tabelle Alarmdefs.").arg(pfad);
    return QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2. Die Datenbank wird nicht geöffnet.")
        .arg(pfad, fehlen.join(QStringLiteral(", ")));
}

void frmAlarmAuswahl::DatenbankSchliessen() {
    m_wahl->setModell(nullptr);
    m_einfuegen.reset();
    m_einfuegenSchreiben.clear();
    m_zeigen.reset();
    if (!m_gefundenZeigen)
        emit WahlBegonnen();
    if (dbAlarme) {
        QItemSelectionModel* alt = TDBAlarme->selectionModel();
        TDBAlarme->setModel(nullptr);
        delete alt;
        delete dbAlarme;
        dbAlarme = nullptr;
    }
    if (!m_verbindung.isEmpty()) {
        AlarmdefsZugriff::Schliessen(m_verbindung);
        m_verbindung.clear();
    }
    m_datenbankName.clear();
}

bool frmAlarmAuswahl::QuelleAnwenden(const Datensatzquelle& q) {
    if (!dbAlarme)
        return true;
    bool ok = false;
    switch (q.art) {
    case Quelle::Alle: ok = dbAlarme->AlleZeigen(); break;
    case Quelle::Frei: ok = dbAlarme->OhneBildZeigen(); break;
    case Quelle::OhnePos: ok = dbAlarme->OhnePositionZeigen(); break;
    case Quelle::Bild: ok = dbAlarme->BildZeigen(q.bild); break;
    case Quelle::Sortiert: ok = dbAlarme->SortierenNach(q.spalte, q.ordnung); break;
    }
    if (ok) {
        // A sorted grid shows which column and which way; the others show none.
        QHeaderView* kopf = TDBAlarme->horizontalHeader();
        kopf->setSortIndicatorShown(q.art == Quelle::Sortiert);
        if (q.art == Quelle::Sortiert)
            kopf->setSortIndicator(q.spalte, q.ordnung);
        // A source still being ordered does this when it comes, not by waiting for it here.
        if (!dbAlarme->QuelleUnterwegs()) {
            SpaltenBreitenAnpassen();
            AuswahlHalten();
        }
    }
    if (!ok) {
        const auto m = DatenbankFehler::Deuten(dbAlarme->lastError(), m_datenbankName);
        emit StatusMeldung(QStringLiteral("Die Alarme lassen sich nicht anzeigen: ") + m.text, m.detail);
    }
    return ok;
}

void frmAlarmAuswahl::QuelleSetzen(const Datensatzquelle& q) {
    // A rejected statement keeps the record source (and the rows) of before.
    if (QuelleAnwenden(q))
        m_quelle = q;
}

void frmAlarmAuswahl::TreeView1_Click() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item)
        return;
    const QString text = item->text(0);
    // The root, named after the database, stands for all its alarms.
    if (text == QLatin1String(" Alle") || (!item->parent() && item->data(0, SchluesselRolle) == QLatin1String("Datenbank")))
        QuelleSetzen({Quelle::Alle, {}, -1});
    else if (text == QLatin1String(" Frei"))
        QuelleSetzen({Quelle::Frei, {}, -1});
    else if (text == QLatin1String(" Ohne Position") && item->data(0, SchluesselRolle) == QLatin1String("OhnePos"))
        QuelleSetzen({Quelle::OhnePos, {}, -1});
    else if (text != QLatin1String("Bilder"))
        QuelleSetzen({Quelle::Bild, text, -1});
    else if (m_quelle)
        QuelleSetzen(*m_quelle);  // record source unchanged, refreshed
}

void frmAlarmAuswahl::TDBAlarme_HeadClick(int spalte) {
    // A second click on the same column turns the order round.
    const bool umkehren = m_quelle && m_quelle->art == Quelle::Sortiert && m_quelle->spalte == spalte &&
                          m_quelle->ordnung == Qt::AscendingOrder;
    QuelleSetzen({Quelle::Sortiert, {}, spalte, umkehren ? Qt::DescendingOrder : Qt::AscendingOrder});
    // All rows are sorted, the tree's filter is dropped: the tree says so.
    if (m_quelle && m_quelle->art == Quelle::Sortiert)
        BaumKnotenZeigen(QStringLiteral("Alle"));
}

void frmAlarmAuswahl::BaumKnotenZeigen(const QString& schluessel) {
    for (QTreeWidgetItem* item : TreeView1->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive))
        if (item->parent() && item->data(0, SchluesselRolle).toString() == schluessel) {
            const QSignalBlocker sperre(TreeView1);
            TreeView1->setCurrentItem(item);
            item->setSelected(true);
            return;
        }
}

void frmAlarmAuswahl::AuswahlHalten() {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    // A row asked for by AlarmZeigen moves the grid itself: it is not looked for twice.
    m_wahl->Halten(k ? k->AktuellerAlarm() : std::nullopt, !m_zeigen);
}

void frmAlarmAuswahl::ZeileHalten(int zeile) {
    if (zeile < 0 || !dbAlarme)
        return;
    const QModelIndex ziel = dbAlarme->index(zeile, std::max(0, TDBAlarme->currentIndex().column()));
    m_stilleWahl = true;
    TDBAlarme->setCurrentIndex(ziel);
    m_stilleWahl = false;
    TDBAlarme->scrollTo(ziel, QAbstractItemView::PositionAtCenter);
}

void frmAlarmAuswahl::SpaltenBreitenAnpassen() {
    if (m_breitenAngepasst || !dbAlarme || dbAlarme->rowCount() == 0)
        return;
    m_breitenAngepasst = true;
    // Wide enough for the texts of the rows read first, but no column takes
    // the whole grid: a longer text shows whole in its tool tip.
    TDBAlarme->resizeColumnsToContents();
    QHeaderView* kopf = TDBAlarme->horizontalHeader();
    for (int i = 0; i < kopf->count(); ++i)
        kopf->resizeSection(i, std::clamp(kopf->sectionSize(i), 40, 320));
    // The rows read first may have short numbers; the Ident column holds six digits wherever the user scrolls.
    kopf->resizeSection(AlarmFeld::Ident, std::max(kopf->sectionSize(AlarmFeld::Ident), ZellenBreite(QStringLiteral("000000"))));
}

int frmAlarmAuswahl::ZellenBreite(const QString& text) const {
    // The text, the margins a cell draws around it, and the grid line.
    const int rand = 2 * (TDBAlarme->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, TDBAlarme) + 1) + 1;
    return TDBAlarme->fontMetrics().horizontalAdvance(text) + rand;
}

bool frmAlarmAuswahl::ZelleAbgeschnitten(const QModelIndex& zelle) const {
    if (!zelle.isValid())
        return false;
    const QString text = zelle.data().toString();
    return !text.isEmpty() && ZellenBreite(text) > TDBAlarme->columnWidth(zelle.column());
}

void frmAlarmAuswahl::BlockEinfuegen(const QString& text) {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    const Einfuegeblock::Block block = Einfuegeblock::Lesen(text);
    if (!k || !dbAlarme || block.isEmpty() || !TDBAlarme->currentIndex().isValid())
        return;
    // The selected block, or the current cell alone.
    int oben = TDBAlarme->currentIndex().row(), links = TDBAlarme->currentIndex().column();
    int unten = oben, rechts = links;
    const QModelIndexList gewaehlt = TDBAlarme->selectionModel()->selectedIndexes();
    if (!gewaehlt.isEmpty()) {
        oben = links = std::numeric_limits<int>::max();
        unten = rechts = -1;
        for (const QModelIndex& i : gewaehlt) {
            oben = std::min(oben, i.row());
            unten = std::max(unten, i.row());
            links = std::min(links, i.column());
            rechts = std::max(rechts, i.column());
        }
    }
    const auto flaeche = Einfuegeblock::Flaeche(static_cast<int>(block.size()), static_cast<int>(block.first().size()),
                                                unten - oben + 1, rechts - links + 1);
    // Rows out of view are read first, off the window: the paste is made when
    // they have come (at once when they come within a frame).
    OffenesEinfuegen e{block, oben, links, flaeche.zeilen, flaeche.spalten, {}};
    const int bis = std::min(oben + flaeche.zeilen, dbAlarme->rowCount()) - 1;
    const QDeadlineTimer frist(Datendienst::HoechstensWartenMs);
    for (int r = oben; r <= bis; ++r) {
        e.schluessel << dbAlarme->Schluessel(r);
        if (!dbAlarme->ZeileGeladen(r))
            dbAlarme->ZeileLesen(r, static_cast<int>(frist.remainingTime()));
    }
    m_einfuegen = e;
    EinfuegenWeiter();
    if (m_einfuegen)
        StatusMelden(QStringLiteral("Einfügen: die Zeilen werden gelesen …"));
}

void frmAlarmAuswahl::EinfuegenWeiter() {
    if (!m_einfuegen || !dbAlarme)
        return;
    const OffenesEinfuegen& e = *m_einfuegen;
    // A new order or another source meanwhile: the cells chosen are no longer where they were.
    for (int i = 0; i < e.schluessel.size(); ++i)
        if (dbAlarme->Schluessel(e.oben + i) != e.schluessel.at(i)) {
            m_einfuegen.reset();
            StatusMelden(QStringLiteral("Nichts wurde eingefügt: die Liste hat sich geändert, bevor ihre Zeilen gelesen waren."));
            return;
        }
    for (int i = 0; i < e.schluessel.size(); ++i)
        if (!dbAlarme->ZeileGeladen(e.oben + i))
            return;
    const OffenesEinfuegen bereit = std::move(*m_einfuegen);
    m_einfuegen.reset();
    EinfuegenAusfuehren(bereit.block, bereit.oben, bereit.links, bereit.zeilen, bereit.spalten);
}

void frmAlarmAuswahl::EinfuegenAusfuehren(const QList<QStringList>& block, int oben, int links, int zeilen, int spalten) {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (!k || !dbAlarme)
        return;
    const AlarmdefsModell::Einfuegung plan = dbAlarme->EinfuegenPlanen(block, oben, links, zeilen, spalten);
    int zellen = 0;
    for (const Schreibauftrag& a : plan.auftraege)
        zellen += static_cast<int>(a.spalten.size());
    EinfuegenSchreiben w;
    w.oben = oben;
    w.zeilen = zeilen;
    w.zellenText = Anzahltext::Text(zellen, QStringLiteral("Zelle"), QStringLiteral("Zellen"));
    w.alarme = static_cast<int>(plan.auftraege.size());
    w.abgelehnt = plan.abgelehnt;
    if (plan.auftraege.isEmpty()) {
        EinfuegenMelden(w, std::nullopt);
        return;
    }
    // All rows in one transaction and one undo step; a row someone changed meanwhile stops them all.
    const QString beschreibung = QStringLiteral("Einfügen: %1 in %2").arg(w.zellenText, Anzahltext::Alarme(w.alarme));
    // Written by the database's worker, in order with every other write; the
    // grid and the undo step follow its answer (at once when it comes within a
    // frame). On a server its write tells the other clients too, and a row
    // another client holds locked keeps the worker waiting, not the window.
    w.beschreibung = beschreibung;
    Datendienst* dienst = dbAlarme->Dienst();
    const int warten = dienst->SchreibenWartenMs();
    w.ticket = dienst->SchreibenAlle(plan.auftraege);
    m_einfuegenSchreiben.append(w);
    if (const auto a = dienst->Abwarten(w.ticket, warten))
        EinfuegenBeantwortet(*a);
    else
        StatusMelden(QStringLiteral("Einfügen: Schreiben von %1 läuft …").arg(w.zellenText));
}

void frmAlarmAuswahl::EinfuegenBeantwortet(const Datendienst::Antwort& a) {
    const auto offen = std::find_if(m_einfuegenSchreiben.cbegin(), m_einfuegenSchreiben.cend(),
                                    [&a](const EinfuegenSchreiben& w) { return w.ticket == a.ticket; });
    if (offen == m_einfuegenSchreiben.cend())
        return;
    const EinfuegenSchreiben w = *offen;
    m_einfuegenSchreiben.erase(offen);
    Sammelergebnis s = a.sammel;
    if (a.abgebrochen) {
        s.geschrieben = false;
        s.text = QStringLiteral("Das Schreiben wurde abgebrochen.");
    } else if (!s.geschrieben && s.text.isEmpty()) {
        // the worker could not reach the database at all
        s.text = a.fehler.databaseText();
        s.detail = a.fehler.driverText();
    }
    if (AlarmAuswahl* k = mgobjAlarmAuswahl)
        k->SammelergebnisMelden(s, w.beschreibung);
    EinfuegenMelden(w, s);
}

void frmAlarmAuswahl::EinfuegenMelden(const EinfuegenSchreiben& w, const std::optional<Sammelergebnis>& s) {
    QString status;
    if (s) {
        if (dbAlarme)
            dbAlarme->ZeilenNeuLesen(w.oben, w.oben + w.zeilen - 1);
        if (!s->geschrieben) {
            Dialoge::aktuell().FehlerMeldung(this, QStringLiteral("Nichts wurde eingefügt. ") + s->text, s->detail);
            StatusMelden(QStringLiteral("Nichts wurde eingefügt. ") + s->text);
            return;
        }
        status = QStringLiteral("Eingefügt: %1 in %2.").arg(w.zellenText, Anzahltext::Alarme(w.alarme));
    } else {
        status = QStringLiteral("Nichts zu ändern.");
    }
    if (!w.abgelehnt.isEmpty()) {
        const QString abgelehnt = Anzahltext::Text(w.abgelehnt.size(), QStringLiteral("Zelle"), QStringLiteral("Zellen"));
        status += QStringLiteral(" %1 nicht eingefügt.").arg(abgelehnt);
        constexpr int Gezeigt = 10;
        QString text = QStringLiteral("%1 nicht eingefügt:\n").arg(abgelehnt) + w.abgelehnt.mid(0, Gezeigt).join(QLatin1Char('\n'));
        if (w.abgelehnt.size() > Gezeigt)
            text += QStringLiteral("\n… (%1 weitere unter „Details“)").arg(w.abgelehnt.size() - Gezeigt);
        Dialoge::aktuell().HinweisMitDetails(this, text,
                                             w.abgelehnt.size() > Gezeigt ? w.abgelehnt.join(QLatin1Char('\n')) : QString());
    }
    StatusMelden(status);
}

void frmAlarmAuswahl::SucheMarkieren(bool gefunden) {
    txtSuche->setStyleSheet(gefunden ? QString() : QStringLiteral("QLineEdit { background: #ffc8c8; }"));
}

void frmAlarmAuswahl::AktuellenDatensatzZeigen() {
    if (!dbAlarme)
        return;
    const int oben = TDBAlarme->rowAt(0);
    if (oben < 0)
        return;
    int unten = TDBAlarme->rowAt(TDBAlarme->viewport()->height() - 1);
    if (unten < 0)
        unten = dbAlarme->rowCount() - 1;
    dbAlarme->ZeilenNeuLesen(oben, unten);
}

void frmAlarmAuswahl::NummerGewechselt(qlonglong alt, qlonglong neu) {
    if (dbAlarme)
        dbAlarme->NummerGewechselt(alt, neu);
}

void frmAlarmAuswahl::QuelleNeuLesen() {
    if (dbAlarme)
        dbAlarme->Auffrischen();
}

void frmAlarmAuswahl::OffeneBearbeitungAbschliessen() {
    // The delegate puts its open editor on the grid's viewport.
    QWidget* editor = nullptr;
    for (QWidget* w : TDBAlarme->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            editor = w;
    if (!editor)
        return;
    // The view's own way of taking an editor's value: the same check and write as Enter.
    QMetaObject::invokeMethod(TDBAlarme, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(TDBAlarme, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
}

bool frmAlarmAuswahl::AlarmZeigen(const QString& ident, int warteMs) {
    const auto nummer = AlarmdefsZugriff::Alarmnummer(ident);
    if (!dbAlarme || !nummer)
        return false;
    // Looked for on the worker; an answer within a frame is shown before this returns.
    m_zeigen = Zeigen{*nummer, false};
    m_wahl->HaltenAufgeben();
    m_zeigenSofort.reset();
    m_zeigenLaeuft = true;
    m_zeigenFrist = QDeadlineTimer(warteMs < 0 ? AlarmdefsZugriff::WarteAufSperreMs + 1000 : warteMs);
    dbAlarme->ZeileSuchen(*nummer, Takt::Rest(m_zeigenFrist));
    m_zeigenLaeuft = false;
    return m_zeigen ? true : m_zeigenSofort.value_or(false);
}

void frmAlarmAuswahl::AlarmGefunden(qlonglong nummer, int zeile, bool vorhanden, const QString& form) {
    if (!m_zeigen || m_zeigen->nummer != nummer)
        return;  // looked for by someone else, or replaced by a newer request
    if (zeile >= 0) {
        m_zeigen.reset();
        m_zeigenSofort = true;
        ZeileZeigen(zeile);
        return;
    }
    if (!vorhanden || m_zeigen->umgestellt) {
        m_zeigen.reset();
        m_zeigenSofort = false;
        if (!m_zeigenLaeuft)
            StatusMelden(QStringLiteral("Alarm %1 steht nicht in der Alarmliste.").arg(nummer));
        return;
    }
    // The source does not hold the row: the picture's node if the tree has one, else all alarms.
    m_zeigen->umgestellt = true;
    QuelleZumBild(form);
    dbAlarme->ZeileSuchen(nummer, m_zeigenLaeuft ? Takt::Rest(m_zeigenFrist) : 0);
}

// The picture's node if the tree has one, else all alarms: the source that holds a row of this picture.
void frmAlarmAuswahl::QuelleZumBild(const QString& form) {
    QTreeWidgetItem* ziel = nullptr;
    for (QTreeWidgetItem* item : TreeView1->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive))
        if (item->parent() && item->data(0, SchluesselRolle).toString() == form && !form.isEmpty())
            ziel = item;
    if (!ziel)
        for (QTreeWidgetItem* item : TreeView1->findItems(QStringLiteral(" Alle"), Qt::MatchExactly | Qt::MatchRecursive))
            ziel = item;
    if (ziel) {
        const QSignalBlocker sperre(TreeView1);
        TreeView1->setCurrentItem(ziel);
    }
    QuelleSetzen(ziel && ziel->text(0) != QLatin1String(" Alle") ? Datensatzquelle{Quelle::Bild, form, -1}
                                                                  : Datensatzquelle{Quelle::Alle, {}, -1});
}

void frmAlarmAuswahl::ZeileZeigen(int zeile) {
    const QModelIndex vorher = TDBAlarme->currentIndex();
    const QModelIndex ziel = dbAlarme->index(zeile, vorher.isValid() ? vorher.column() : AlarmFeld::Ident);
    // The found row stands in the middle, with the rows around it in view.
    TDBAlarme->scrollTo(ziel, QAbstractItemView::PositionAtCenter);
    m_gefundenZeigen = true;
    // Found while AlarmZeigen still runs: its pick gets what is left of its wait.
    const int warten = std::exchange(m_wahl->WartenMs, m_zeigenLaeuft ? Takt::Rest(m_zeigenFrist) : m_wahl->WartenMs);
    const bool gross = std::exchange(m_wahl->GrosseListeAbwarten, m_zeigenLaeuft);
    if (vorher.row() == zeile && vorher.isValid()) {
        AlarmWaehlen();  // the row shown already is picked again
    } else {
        TDBAlarme->setCurrentIndex(ziel);
    }
    m_wahl->WartenMs = warten;
    m_wahl->GrosseListeAbwarten = gross;
    m_gefundenZeigen = false;
}

std::optional<std::pair<int, Qt::SortOrder>> frmAlarmAuswahl::Sortierung() const {
    if (!m_quelle || m_quelle->art != Quelle::Sortiert)
        return std::nullopt;
    return std::make_pair(m_quelle->spalte, m_quelle->ordnung);
}

AlarmdefsDurchlauf::Auswahl frmAlarmAuswahl::AktuelleAuswahl() const {
    using Teil = AlarmdefsDurchlauf::Teil;
    if (!m_quelle)
        return {};
    switch (m_quelle->art) {
    case Quelle::Frei: return {Teil::OhneBild, {}};
    case Quelle::OhnePos: return {Teil::OhnePosition, {}};
    case Quelle::Bild: return {Teil::Bild, m_quelle->bild};
    default: return {};
    }
}

QString frmAlarmAuswahl::AktuelleAuswahlText() const {
    using Teil = AlarmdefsDurchlauf::Teil;
    const auto a = AktuelleAuswahl();
    switch (a.teil) {
    case Teil::OhneBild: return QStringLiteral("die Alarme ohne Bild");
    case Teil::OhnePosition: return QStringLiteral("die Alarme ohne Position");
    case Teil::Bild: return QStringLiteral("die Alarme des Bildes %1").arg(a.form);
    default: return QStringLiteral("alle Alarme");
    }
}

void frmAlarmAuswahl::ZeilenNeuLesen(const QList<qlonglong>& idents) {
    if (dbAlarme)
        dbAlarme->ZeilenMitNummernNeuLesen(QSet<qlonglong>(idents.cbegin(), idents.cend()));
}

void frmAlarmAuswahl::Neuverbinden() {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (!k || !dbAlarme)
        return;
    // The grid's data service opens its new connection on its own worker: the
    // source is only asked again, so the window never waits for the server.
    if (dbAlarme->Seitenweise()) {
        dbAlarme->NeueVerbindung();
        if (m_quelle)
            QuelleAnwenden(*m_quelle);
        return;
    }
    try {
        DatenbankOeffnen(k->AlarmDatenbank());
        if (m_quelle)
            QuelleAnwenden(*m_quelle);
    } catch (const AlarmdefsFehler& e) {
        StatusMelden(e.Text());
    }
}

void frmAlarmAuswahl::StatusMelden(const QString& text) {
    emit StatusText(1, text);
}

// --- picking -----------------------------------------------------------------

void frmAlarmAuswahl::ZeileGewechselt(const QModelIndex& aktuell, const QModelIndex& vorher) {
    // Another column of the same row picks nothing.
    if (m_stilleWahl || !aktuell.isValid() || (vorher.isValid() && vorher.row() == aktuell.row()))
        return;
    AlarmWaehlen();
    TDBAlarme->setFocus();
}

void frmAlarmAuswahl::AlarmWaehlen() {
    // An older pick still on its way is given up: only the newest click counts,
    // also over a found alarm still being looked for.
    m_wahl->Verwerfen();
    m_zeigen.reset();
    if (!m_gefundenZeigen)
        emit WahlBegonnen();
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    const QModelIndex aktuell = TDBAlarme->currentIndex();
    if (!k || !dbAlarme || !aktuell.isValid()) {
        WahlMelden(std::nullopt, {});
        return;
    }
    m_wahl->Beginnen(aktuell.row(), k->BilderPath());
}

void frmAlarmAuswahl::WahlMelden(const std::optional<QString>& grund, const QString& detail) {
    if (grund)
        emit AuswahlGescheitert(*grund, detail);
    if (Hauptwerte* w = mgobjAlarmAuswahl ? mgobjAlarmAuswahl->Werte() : nullptr)
        w->imgNeuDB = WAHR;
    emit BildfensterZeigen();
}

void frmAlarmAuswahl::Gewaehlt(const AlarmRecord& satz, const std::optional<AlarmListeTyp>& liste) {
    AlarmAuswahl* k = mgobjAlarmAuswahl;
    if (!k)
        return;
    AktuelleZeile = satz;
    if (liste) {
        // The list before was read on a worker: a large picture's is let go
        // there, not freed record by record on the window's thread.
        std::optional<AlarmListeTyp> alt = k->AlarmListe();
        k->setAlarmListe(*liste);
        if (alt && alt->size() > 1)
            Freigabe::ImHintergrund(std::move(alt));
    }
    k->setAktuellerAlarm(AktuelleZeile);
    if (Hauptwerte* h = k->Werte())
        h->imgNeu = WAHR;
    WahlMelden(std::nullopt, {});
}
