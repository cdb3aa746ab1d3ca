#include "shell/frmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QStyle>
#include <QToolBar>
#include <QUndoView>
#include <exception>

#include "alarms/AlarmAuswahl.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/frmAlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Takt.h"
#include "alarms/Twips.h"
#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"
#include "projects/CRegProject.h"
#include "shell/Fenstermenue.h"
#include "shell/Fensterplatz.h"
#include "alarms/Konfiguration.h"
#include "shell/Austausch.h"
#include "shell/MenueBefehle.h"
#include "shell/frmPruefbericht.h"
#include "shell/frmVergleich.h"
#include "shell/frmVorschlaege.h"
#include "shell/Statusfeld.h"
#include "shell/Suchleiste.h"
#include "shell/Verlauf.h"
#include "shell/Werkzeugfenster.h"
#include "shell/frmIniDialog.h"
#include "shell/frmProjektAuswahl.h"

namespace {

// Start-up after the command line and every step of an opening run in
// skip-and-continue mode.
template <class F>
void Schritt(F&& f) {
    try {
        f();
    } catch (const std::exception&) {
        // a failing step is skipped: the command carries on with the next one
    }
}

QPixmap Leinwand() {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    return pm;
}

void Pfeil(QPainter& p, QPointF spitze, double groesse, const QColor& farbe) {
    QPainterPath pfad;
    pfad.moveTo(spitze);
    pfad.lineTo(spitze + QPointF(groesse, groesse * 0.45));
    pfad.lineTo(spitze + QPointF(groesse * 0.45, groesse));
    pfad.closeSubpath();
    p.fillPath(pfad, farbe);
    p.setPen(QPen(farbe, std::max(1.5, groesse / 5)));
    p.drawLine(spitze + QPointF(groesse * 0.5, groesse * 0.5), spitze + QPointF(groesse * 1.1, groesse * 1.1));
}

QIcon Symbol(const QString& key) {
    QPixmap pm = Leinwand();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor rot(200, 30, 30), blau(30, 70, 160), grau(90, 90, 90);
    if (key == QLatin1String("SingleMode")) {
        Pfeil(p, {5, 5}, 14, rot);
    } else if (key == QLatin1String("ContMode")) {
        Pfeil(p, {2, 2}, 8, rot);
        Pfeil(p, {8, 8}, 8, rot);
        Pfeil(p, {14, 14}, 8, rot);
    } else if (key == QLatin1String("AllMode")) {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                Pfeil(p, {2.0 + x * 7.5, 2.0 + y * 7.5}, 5, rot);
    } else if (key == QLatin1String("Grid")) {
        p.setPen(QPen(blau, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 3.5, 19, 17));
        p.fillRect(QRectF(3, 4, 18, 4), blau.lighter(160));
        for (double y = 8.5; y < 20; y += 4)
            p.drawLine(QPointF(2.5, y), QPointF(21.5, y));
        p.drawLine(QPointF(9.5, 3.5), QPointF(9.5, 20.5));
        p.drawLine(QPointF(15.5, 3.5), QPointF(15.5, 20.5));
    } else if (key == QLatin1String("Editor")) {
        p.setPen(QPen(grau, 1.2));
        p.setBrush(QColor(220, 235, 250));
        p.drawRect(QRectF(2.5, 3.5, 19, 17));
        p.setPen(QPen(QColor(60, 130, 60), 1.5));
        p.drawLine(QPointF(4, 17), QPointF(9, 10));
        p.drawLine(QPointF(9, 10), QPointF(13, 15));
        p.drawLine(QPointF(13, 15), QPointF(20, 7));
        Pfeil(p, {12, 9}, 8, rot);
    } else if (key == QLatin1String("TestMode")) {
        p.setPen(QPen(QColor(180, 120, 0), 2));
        p.setBrush(QColor(255, 230, 150));
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.setPen(QColor(120, 70, 0));
        p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("T"));
    }
    p.end();
    return QIcon(pm);
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Tavero für Windows"));
    mdiArea = new QMdiArea(this);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A window the user maximized does not pass that on to the one activated next.
    mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(mdiArea);
    mVerlauf = new Verlauf(this);
    mSuche = new Suchleiste(*this, this);
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    mFenster = new Fenstermenue(*this);
    mWerkzeuge = new Werkzeugfenster(this, {mnuRueckgaengig, mnuWiederholen});
    resize(1024, 768);
    Werte().AussenGroesseTwips = [this] { return AussenGroesseTwips(); };
}

frmMain::~frmMain() {
    // The history is a child and is cleared only after this destructor: its
    // signals must not reach the slots of a window that is half gone.
    if (mVerlauf) {
        disconnect(mVerlauf, nullptr, this, nullptr);
        disconnect(mVerlauf->Stapel(), nullptr, this, nullptr);
    }
    // The component ends its selection window while the MDI area still exists.
    m_Auswahl.reset();
}

void frmMain::createActions() {
    mnuFileOpen = new QAction(QStringLiteral("AlarmDB Ö&ffnen..."), this);
    mnuFileOpen->setObjectName(QStringLiteral("mnuFileOpen"));
    mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::DatenbankOeffnen);
    Ende = new QAction(QStringLiteral("&Ende"), this);
    Ende->setObjectName(QStringLiteral("Ende"));
    connect(Ende, &QAction::triggered, this, &frmMain::Ende_Click);

    // The stack makes the two entries and keeps them enabled and named after
    // their step; pressed, they go through the history first, which keeps a
    // step its rows refuse and asks the user about it.
    QUndoStack* stapel = mVerlauf->Stapel();
    mnuRueckgaengig = stapel->createUndoAction(this);
    mnuRueckgaengig->setObjectName(QStringLiteral("mnuRueckgaengig"));
    mnuRueckgaengig->setShortcut(QKeySequence::Undo);
    disconnect(mnuRueckgaengig, &QAction::triggered, stapel, &QUndoStack::undo);
    connect(mnuRueckgaengig, &QAction::triggered, mVerlauf, &Verlauf::Zuruecknehmen);
    mnuWiederholen = stapel->createRedoAction(this);
    mnuWiederholen->setObjectName(QStringLiteral("mnuWiederholen"));
    mnuWiederholen->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    disconnect(mnuWiederholen, &QAction::triggered, stapel, &QUndoStack::redo);
    connect(mnuWiederholen, &QAction::triggered, mVerlauf, &Verlauf::Wiederholen);
    mnuSuchen = new QAction(QStringLiteral("&Suchen…"), this);
    mnuSuchen->setObjectName(QStringLiteral("mnuSuchen"));
    mnuSuchen->setShortcut(QKeySequence::Find);
    connect(mnuSuchen, &QAction::triggered, this, &frmMain::SuchenZeigen);
    mnuVerlauf = new QAction(QStringLiteral("&Verlauf…"), this);
    mnuVerlauf->setObjectName(QStringLiteral("mnuVerlauf"));
    connect(mnuVerlauf, &QAction::triggered, this, &frmMain::VerlaufZeigen);
    auto neueAktion = [this](const char* name, const QString& text, const QKeySequence& taste) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!taste.isEmpty())
            a->setShortcut(taste);
        return a;
    };
    mnuPruefbericht = neueAktion("mnuPruefbericht", QStringLiteral("&Prüfbericht…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    mnuPruefbericht->setToolTip(QStringLiteral("Prüfbericht: was die Pfeile der Alarme hindert"));
    mnuPruefbericht->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(mnuPruefbericht, &QAction::triggered, this, &frmMain::PruefberichtZeigen);
    mnuExportieren = neueAktion("mnuExportieren", QStringLiteral("&Exportieren…"), QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(mnuExportieren, &QAction::triggered, this, [this] { Austausch::Exportieren(*this, m_Auswahl.get(), this); });
    mnuImportieren = neueAktion("mnuImportieren", QStringLiteral("&Importieren…"), QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(mnuImportieren, &QAction::triggered, this, [this] { Austausch::Importieren(*this, m_Auswahl.get(), this); });
    mnuVorschlaege = neueAktion("mnuVorschlaege", QStringLiteral("&Vorschläge…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    mnuVorschlaege->setToolTip(QStringLiteral("Vorschläge: Pfeilpositionen aus den Beschriftungen der Bilder"));
    connect(mnuVorschlaege, &QAction::triggered, this, &frmMain::VorschlaegeZeigen);
    mnuServerOeffnen = neueAktion("mnuServerOeffnen", QStringLiteral("Server-&Datenbank öffnen…"), QKeySequence());
    connect(mnuServerOeffnen, &QAction::triggered, this, &frmMain::ServerOeffnen);
    mnuVergleichen = neueAktion("mnuVergleichen", QStringLiteral("Ver&gleichen…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    mnuVergleichen->setToolTip(QStringLiteral("Vergleichen: Pfeile einer anderen Datenbank sehen und übernehmen"));
    connect(mnuVergleichen, &QAction::triggered, this, &frmMain::VergleichZeigen);
    mnuRueckgaengig->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    mnuWiederholen->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    mnuSuchen->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    // After the stack's own naming, which has no form for "no step".
    connect(stapel, &QUndoStack::undoTextChanged, this, &frmMain::VerlaufTexteAktualisieren);
    connect(stapel, &QUndoStack::redoTextChanged, this, &frmMain::VerlaufTexteAktualisieren);
    connect(stapel, &QUndoStack::cleanChanged, this, &frmMain::VerlaufTexteAktualisieren);
    connect(mVerlauf, &Verlauf::Abgelehnt, this, &frmMain::StatusMeldung);
    connect(mVerlauf, &Verlauf::Zurueckgeschrieben, this, &frmMain::AktuellenAlarmNeuZeigen);
    // A nudge still waiting to be written is the newest step: it goes first.
    connect(mVerlauf, &Verlauf::VorDemSchritt, this, [this] {
        if (m_Bild)
            m_Bild->AusstehendesSchreiben();
    });
    connect(mVerlauf, &Verlauf::Bestaetigt, this, [this](const QString& text) { StatusText(1, text); });
    VerlaufTexteAktualisieren();
}

void frmMain::VerlaufTexteAktualisieren() {
    // Each names the step it takes back or does again.
    QUndoStack* stapel = mVerlauf->Stapel();
    const QString zurueck = stapel->undoText();
    const QString wieder = stapel->redoText();
    mnuRueckgaengig->setText(zurueck.isEmpty() ? QStringLiteral("&Rückgängig") : QStringLiteral("&Rückgängig: ") + zurueck);
    mnuWiederholen->setText(wieder.isEmpty() ? QStringLiteral("&Wiederholen") : QStringLiteral("&Wiederholen: ") + wieder);
}

void frmMain::SuchenZeigen() {
    if (!m_Auswahl)
        return;
    m_Auswahl->AuswahlShow();
    if (!m_Auswahl->HatFenster())
        return;
    QLineEdit* feld = m_Auswahl->Fenster()->txtSuche;
    feld->setFocus(Qt::ShortcutFocusReason);
    feld->selectAll();
}

void frmMain::VerlaufZeigen() {
    if (!m_VerlaufFenster) {
        m_VerlaufFenster = new QUndoView(mVerlauf->Stapel(), this);
        m_VerlaufFenster->setObjectName(QStringLiteral("Verlauf"));
        m_VerlaufFenster->setWindowFlag(Qt::Tool);
        m_VerlaufFenster->setWindowTitle(QStringLiteral("Verlauf"));
        m_VerlaufFenster->setEmptyLabel(QStringLiteral("Datenbank geöffnet"));
        m_VerlaufFenster->resize(380, 300);
        mWerkzeuge->Aufnehmen(m_VerlaufFenster);
    }
    mWerkzeuge->Zeigen(m_VerlaufFenster);
}

void frmMain::AktuellenAlarmNeuZeigen(const QList<Schreibergebnis>& zeilen) {
    // Undo or redo took the current alarm to another picture: it is shown there,
    // with that picture's alarms, as after a pick of its row.
    const std::optional<AlarmRecord> aktuell = m_Auswahl ? m_Auswahl->AktuellerAlarm() : std::nullopt;
    if (!aktuell || !m_Bild)
        return;
    for (const Schreibergebnis& e : zeilen) {
        if (e.zeile.value(AlarmFeld::Ident) != aktuell->value(AlarmFeld::Ident) ||
            e.zeile.value(AlarmFeld::Form) == m_Bild->BildForm())
            continue;
        if (m_Auswahl->HatFenster() &&
            m_Auswahl->Fenster()->AlarmZeigen(aktuell->value(AlarmFeld::Ident), Takt::Ms))
            return;
        m_Bild->PfeilActivate();
        return;
    }
}

void frmMain::createMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&Datei"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile->addAction(mnuFileOpen);
    mnuFile->addAction(Ende);
    mnuBearbeiten = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    mnuBearbeiten->setObjectName(QStringLiteral("mnuBearbeiten"));
    mnuBearbeiten->addAction(mnuRueckgaengig);
    mnuBearbeiten->addAction(mnuWiederholen);
    mnuBearbeiten->addSeparator();
    mnuBearbeiten->addAction(mnuSuchen);
    mnuBearbeiten->addAction(mnuVerlauf);
    mnuExtras = menuBar()->addMenu(QStringLiteral("E&xtras"));
    mnuExtras->setObjectName(QStringLiteral("mnuExtras"));
    mnuExtras->addAction(mnuPruefbericht);
    mnuExtras->addAction(mnuVorschlaege);
    mnuExtras->addSeparator();
    mnuExtras->addAction(mnuExportieren);
    mnuExtras->addAction(mnuImportieren);
    mnuExtras->addSeparator();
    mnuExtras->addAction(mnuServerOeffnen);
    mnuExtras->addSeparator();
    mnuExtras->addAction(mnuVergleichen);

    // Hidden from the menu bar: the picture window pops their items up.
    mnuPfeile = new QMenu(QStringLiteral("Pfeile"), this);
    mnuPfeile->setObjectName(QStringLiteral("mnuPfeile"));
    mnuAlarmBild = new QMenu(QStringLiteral("Alarm"), this);
    mnuAlarmBild->setObjectName(QStringLiteral("mnuAlarmBild"));
    // Item 0 of each list exists from the start, empty and invisible until filled.
    auto* a = mnuPfeile->addAction(QString());
    a->setVisible(false);
    connect(a, &QAction::triggered, this, [this] { mnuArrow_Click(0); });
    mnuArrow << a;
    auto* b = mnuAlarmBild->addAction(QString());
    b->setVisible(false);
    connect(b, &QAction::triggered, this, [this] { mnuAlarm_Click(0); });
    mnuAlarm << b;
}

void frmMain::createToolBar() {
    tbToolBar = addToolBar(QStringLiteral("Werkzeuge"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setIconSize(QSize(24, 24));
    m_ModusGruppe = new QActionGroup(this);
    m_ModusGruppe->setExclusive(true);
    m_FensterGruppe = new QActionGroup(this);
    m_FensterGruppe->setExclusive(true);

    auto knopf = [this](const QString& key, const QString& tip, const QString& beschreibung, QActionGroup* gruppe) {
        auto* a = new QAction(Symbol(key), key, this);
        a->setObjectName(key);
        a->setData(key);
        a->setCheckable(true);
        a->setToolTip(tip);
        a->setStatusTip(beschreibung);
        if (gruppe)
            gruppe->addAction(a);
        tbToolBar->addAction(a);
        connect(a, &QAction::triggered, this, [this, key] { ToolbarKlick(key); });
        m_ToolButtons << a;
    };
    knopf(QStringLiteral("SingleMode"), QStringLiteral("SingleMode, ein Pfeil pro AlarmBild."), QString(),
          m_ModusGruppe);
    knopf(QStringLiteral("ContMode"), QStringLiteral("CntinousMode"), QStringLiteral("ContMode"), m_ModusGruppe);
    knopf(QStringLiteral("AllMode"), QStringLiteral("AllMode"),
          QStringLiteral("AllMode, alle Pfeile für ein AlarmBild werden angezeigt."), m_ModusGruppe);
    m_ToolButtons << tbToolBar->addSeparator();
    knopf(QStringLiteral("Grid"), QStringLiteral("Grid, zeigt die Datenbankeinträge."), QString(), m_FensterGruppe);
    knopf(QStringLiteral("Editor"), QStringLiteral("Editor, zeigt den Pfeileditor an."), QString(), m_FensterGruppe);
    auto* luecke = new QWidget(tbToolBar);
    luecke->setFixedWidth(16);
    m_ToolButtons << tbToolBar->addWidget(luecke);
    knopf(QStringLiteral("TestMode"), QStringLiteral("TestMode"), QString(), nullptr);
    // The added commands follow the eight buttons.
    tbToolBar->addSeparator();
    for (QAction* a : {mnuRueckgaengig, mnuWiederholen, mnuSuchen, mnuPruefbericht})
        tbToolBar->addAction(a);
}

void frmMain::createStatusBar() {
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(true);
    const int breite = 90;
    for (int i = 0; i < 4; ++i) {
        m_Panel[i] = new Statusfeld(sbStatusBar);
        m_Panel[i]->setFrameShape(QFrame::Panel);
        m_Panel[i]->setFrameShadow(QFrame::Sunken);
        m_Panel[i]->setMinimumWidth(breite);
        m_Panel[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        sbStatusBar->addPermanentWidget(m_Panel[i], i == 0 ? 5 : 1);
    }
    m_Panel[0]->setObjectName(QStringLiteral("Status"));
    m_Panel[0]->Setzen(QStringLiteral("Status"));
    UhrAktualisieren();
    auto* uhr = new QTimer(this);
    connect(uhr, &QTimer::timeout, this, &frmMain::UhrAktualisieren);
    uhr->start(1000);
}

void frmMain::UhrAktualisieren() {
    const QLocale l;
    m_Panel[2]->Setzen(l.toString(QDate::currentDate(), QLocale::ShortFormat));
    m_Panel[3]->Setzen(l.toString(QTime::currentTime(), QLocale::ShortFormat));
}

// --- start-up and openings ---------------------------------------------------

void frmMain::KomponenteNeu() {
    // The replaced component ends its own selection window with it, so no
    // stale grid of the earlier database stays in the MDI area. Its window is
    // hidden at once and both are deleted once control is back in the event
    // loop: an opening started from inside one of its handlers (a key press
    // while a window processes events) must not pull them away under it.
    // An arrow moved by keys and not yet written belongs to the database open now.
    if (m_Bild)
        m_Bild->AusstehendesSchreiben();
    if (AlarmAuswahl* alt = m_Auswahl.release()) {
        disconnect(alt, nullptr, this, nullptr);
        if (alt->HatFenster())
            alt->AuswahlHide();
        alt->deleteLater();
        // The arrows of the replaced database are no longer anyone's to drag,
        // nor its proposals anyone's to accept, nor its report's lines anyone's to pick.
        if (m_Bild)
            m_Bild->Leeren();
        delete m_Vorschlaege.data();
        delete m_Pruefbericht.data();
        delete m_Vergleich.data();
    }
    auto neu = std::make_unique<AlarmAuswahl>();
    neu->setWerte(&Werte());
    Werte().Auswahl = neu.get();
    // The component and its window speak to the main window through these.
    connect(neu.get(), &AlarmAuswahl::StatusText, this, &frmMain::StatusText);
    connect(neu.get(), &AlarmAuswahl::StatusMeldung, this, &frmMain::StatusMeldung);
    connect(neu.get(), &AlarmAuswahl::AuswahlGescheitert, this, &frmMain::AuswahlGescheitert);
    connect(neu.get(), &AlarmAuswahl::BildfensterZeigen, this, &frmMain::BildfensterZeigen);
    connect(neu.get(), &AlarmAuswahl::FensterAktiv, this, [this] { ToolButtonDruecken(QStringLiteral("Grid")); });
    connect(neu.get(), &AlarmAuswahl::KindFensterGewuenscht, this, &frmMain::KindFensterEinfuegen);
    // Each database has a history and a search of its own.
    mVerlauf->Verbinden(neu.get());
    mSuche->Verbinden(neu.get());
    connect(neu.get(), &AlarmAuswahl::AlarmSelected, this, &frmMain::AuswahlAlarmSelected, Qt::DirectConnection);
    connect(neu.get(), &AlarmAuswahl::ZeilenGeaendert, this, [this](const QList<Zeilenstand>& staende) {
        if (m_Bild)
            m_Bild->ZeilenAktualisieren(staende);
    });
    m_Auswahl = std::move(neu);
}

void frmMain::IniPruefen() {
    if (!Konfiguration::Vorhanden(m_Auswahl->IniPath()))
        frmIniDialog::Zeigen(m_Auswahl.get(), this);
}

void frmMain::ListenLesen() {
    Schritt([this] {
        const QStringList s = Konfiguration::SymbolListeLesen(m_Auswahl->IniPath());
        if (!s.isEmpty())
            m_Auswahl->setSymbolListe(s);
    });
    Schritt([this] {
        const QStringList b = Konfiguration::BilderListeLesen(m_Auswahl->IniPath());
        if (!b.isEmpty())
            m_Auswahl->setAlarmBilderListe(b);
    });
}

void frmMain::PfeilMenuFuellen() {
    const QStringList liste = m_Auswahl->SymbolListe().value_or(QStringList());
    for (int i = 0; i < liste.size(); ++i) {
        if (i >= mnuArrow.size()) {
            auto* a = mnuPfeile->addAction(QString());
            connect(a, &QAction::triggered, this, [this, i] { mnuArrow_Click(i); });
            mnuArrow << a;
        }
        mnuArrow[i]->setText(liste.at(i));
        mnuArrow[i]->setVisible(true);
    }
}

void frmMain::AlarmMenuFuellen(bool mitEndung) {
    const QStringList liste = m_Auswahl->AlarmBilderListe().value_or(QStringList());
    for (int j = 0; j < liste.size(); ++j) {
        if (j >= mnuAlarm.size()) {
            auto* a = mnuAlarmBild->addAction(QString());
            connect(a, &QAction::triggered, this, [this, j] { mnuAlarm_Click(j); });
            mnuAlarm << a;
        }
        const QString name = Konfiguration::NamensTeil(liste.at(j));
        mnuAlarm[j]->setText(mitEndung ? name : Konfiguration::OhneEndung(name));
        mnuAlarm[j]->setVisible(true);
    }
}

void frmMain::OrdnerSetzen() {
    Schritt([this] {
        m_Auswahl->setBilderPath(
            Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("AlarmPicturePath"), m_Auswahl->IniPath()));
    });
    Schritt([this] {
        m_Auswahl->setSymbolPath(
            Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("PfeilPath"), m_Auswahl->IniPath()));
    });
}

void frmMain::SingleModeWaehlen() {
    ToolButtonDruecken(QStringLiteral("SingleMode"));
    gSingleMode = WAHR;
    gAllMode = FALSCH;
    gContMode = FALSCH;
}

void frmMain::Laden(const QString& befehlszeile) {
    KomponenteNeu();
    if (!befehlszeile.isEmpty()) {
        m_Auswahl->setAlarmDatenbank(befehlszeile);
        m_Auswahl->setIniPath(Konfiguration::StandardIniPfad());
        Schritt([this] { IniPruefen(); });
    } else {
        gStartOhneDB = WAHR;
    }
    ListenLesen();
    Schritt([this] { PfeilMenuFuellen(); });
    Schritt([this] { AlarmMenuFuellen(false); });
    Schritt([this] { m_Auswahl->setPfadErweiterung(QStringLiteral("Standard\\")); });
    if (gStartOhneDB != WAHR) {
        Schritt([this] { m_Auswahl->AuswahlShow(); });
        gStartOhneDB = FALSCH;
    }
    OrdnerSetzen();
    Schritt([this] { SingleModeWaehlen(); });
    if (gStartOhneDB == WAHR) {
        DatenbankOeffnen();
        gStartOhneDB = FALSCH;
    }
}

void frmMain::DatenbankOeffnen() {
    // The project is asked for before anything is replaced: Cancel keeps the
    // database open now, its grid and its undo history. Only with none open
    // (none given, or one the grid could not open) does the opening run on
    // with an empty path, which AuswahlShow reports.
    const QString offen = m_Auswahl && m_Auswahl->HatFenster() && m_Auswahl->Fenster()->dbAlarme
                              ? m_Auswahl->AlarmDatenbank()
                              : QString();
    std::optional<QString> gewaehlt;
    Schritt([this, &gewaehlt] {
        frmProjektAuswahl dlg(this);
        if (dlg.Laden())
            Dialoge::aktuell().Modal(&dlg);
        if (dlg.prj)
            // a project found by its information file names its database itself
            gewaehlt = !dlg.prj->Datenbank().empty()
                           ? QString::fromStdString(dlg.prj->Datenbank())
                           : Konfiguration::DatenbankPfad(QString::fromStdString(dlg.prj->Path()),
                                                          QString::fromStdString(dlg.prj->Name()));
    });
    if (!gewaehlt && !offen.isEmpty()) {
        StatusText(1, QStringLiteral("Kein Projekt gewählt; %1 bleibt geöffnet.").arg(offen));
        return;
    }
    Schritt([this] { KomponenteNeu(); });
    if (!m_Auswahl)
        return;
    if (gewaehlt)
        m_Auswahl->setAlarmDatenbank(*gewaehlt);
    OeffnenAbschliessen(true);
}

void frmMain::PfadOeffnen(const QString& pfad) {
    Schritt([this] { KomponenteNeu(); });
    if (!m_Auswahl)
        return;
    m_Auswahl->setAlarmDatenbank(pfad);
    OeffnenAbschliessen(true);
}

void frmMain::ServerOeffnen() {
    const auto adresse = Dialoge::aktuell().Eingabe(
        this, QStringLiteral("Server-Datenbank öffnen"),
        QStringLiteral("Adresse der Datenbank (postgresql://benutzer@rechner:port/datenbank).\n"
                       "Das Passwort kommt aus PGPASSWORD oder ~/.pgpass."),
        QStringLiteral("postgresql://"));
    if (!adresse || adresse->trimmed().isEmpty())
        return;
    const Datenbankadresse a(*adresse);
    if (!a.IstServer()) {
        Dialoge::aktuell().Meldung(this, a.art() == Datenbankadresse::Art::Ungueltig
                                             ? a.Fehler()
                                             : QStringLiteral("%1 ist keine Adresse eines Datenbankservers.").arg(*adresse));
        return;
    }
    PfadOeffnen(adresse->trimmed());
}

void frmMain::PruefberichtZeigen() {
    if (!m_Pruefbericht) {
        m_Pruefbericht = new frmPruefbericht(*this, this);
        m_Pruefbericht->setAttribute(Qt::WA_DeleteOnClose, false);
        mWerkzeuge->Aufnehmen(m_Pruefbericht);
    }
    mWerkzeuge->Zeigen(m_Pruefbericht);
    m_Pruefbericht->Pruefen(m_Auswahl.get());
}

void frmMain::VorschlaegeZeigen() {
    // The proposals belong to the database open now and show on the picture window.
    if (!m_Vorschlaege) {
        m_Vorschlaege = new frmVorschlaege(*this, Bildfenster(), this);
        mWerkzeuge->Aufnehmen(m_Vorschlaege);
    }
    m_Vorschlaege->Vorbereiten();
    mWerkzeuge->Zeigen(m_Vorschlaege);
}

void frmMain::VergleichZeigen() {
    // The comparison belongs to the database open now; its ghosts show on the picture window.
    if (!m_Vergleich) {
        m_Vergleich = new frmVergleich(*this, Bildfenster(), this);
        mWerkzeuge->Aufnehmen(m_Vergleich);
    }
    mWerkzeuge->Zeigen(m_Vergleich);
}

void frmMain::OeffnenAbschliessen(bool mitEndung) {
    Schritt([this] {
        m_Auswahl->setIniPath(Konfiguration::StandardIniPfad());
        IniPruefen();
    });
    ListenLesen();
    Schritt([this, mitEndung] { AlarmMenuFuellen(mitEndung); });
    Schritt([this] { PfeilMenuFuellen(); });
    Schritt([this] { m_Auswahl->setPfadErweiterung(QStringLiteral("Standard\\")); });
    Schritt([this] { m_Auswahl->AuswahlShow(); });
    OrdnerSetzen();
    Schritt([this] { SingleModeWaehlen(); });
}

// --- commands ----------------------------------------------------------------

void frmMain::ToolbarKlick(const QString& key) {
    // An arrow moved by keys is written before the mode shows other arrows.
    if (m_Bild)
        m_Bild->AusstehendesSchreiben();
    if (key == QLatin1String("SingleMode")) {
        gSingleMode = WAHR;
        gAllMode = FALSCH;
        gContMode = FALSCH;
    } else if (key == QLatin1String("ContMode")) {
        gSingleMode = FALSCH;
        gAllMode = FALSCH;
        gContMode = WAHR;
    } else if (key == QLatin1String("AllMode")) {
        gSingleMode = FALSCH;
        gAllMode = WAHR;
        gContMode = FALSCH;
    }
    if (m_Bild && (key == QLatin1String("SingleMode") || key == QLatin1String("ContMode") || key == QLatin1String("AllMode"))) {
        // The picture shows the chosen mode at once.
        m_Bild->ModusAnwenden();
    } else if (key == QLatin1String("Grid")) {
        if (m_Auswahl)
            m_Auswahl->AuswahlShow();
        if (m_Bild)
            KindVerbergen(m_Bild);
    } else if (key == QLatin1String("Editor")) {
        Bildfenster()->update();
        BildfensterZeigen();
    } else if (key == QLatin1String("TestMode")) {
        if (m_Auswahl)
            m_Auswahl->setTestmodus(!m_Auswahl->Testmodus());
    }
}

void frmMain::mnuArrow_Click(int index) { MenueBefehle::PfeilMenuKlick(static_cast<std::int16_t>(index), Bildfenster()); }
void frmMain::mnuAlarm_Click(int index) { MenueBefehle::AlarmMenuKlick(static_cast<std::int16_t>(index), Bildfenster()); }

void frmMain::Ende_Click() {
    // Ends at once: no window is asked and no placement stored. A cell edit the
    // user confirmed is committed by a queued call; that one still runs, as does
    // the write of an arrow moved by keys.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    if (m_Bild)
        m_Bild->AusstehendesSchreiben();
    Dialoge::aktuell().ProzessBeenden();
}

void frmMain::AuswahlAlarmSelected() {
    // A picture window made just now has shown the alarm in its load step;
    // a second call would stack a second arrow of it in the continuous mode.
    const bool schonDa = !m_Bild.isNull();
    BildfensterZeigen();
    if (m_Bild && schonDa)
        m_Bild->PfeilActivate();
    // A tool window that picked the alarm does not cover its arrow.
    if (m_Bild)
        mWerkzeuge->Freihalten(m_Bild->FokusGlobal());
}

void frmMain::closeEvent(QCloseEvent* e) {
    // A cell still being edited is written (or its refusal shown) before the process ends.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    if (m_Bild)
        m_Bild->AusstehendesSchreiben();
    if (m_Auswahl && m_Auswahl->HatFenster())
        m_Auswahl->Fenster()->OffeneBearbeitungAbschliessen();
    if (!isMinimized())
        Fensterplatz::Speichern(frameGeometry());
    e->accept();
    Dialoge::aktuell().ProzessBeenden();
}

// --- Hauptfenster ------------------------------------------------------------

void frmMain::StatusText(int panel, const QString& text) {
    if (panel >= 1 && panel <= 4)
        m_Panel[panel - 1]->Setzen(text);
}

void frmMain::StatusMeldung(const QString& text, const QString& detail) { m_Panel[0]->Setzen(text, detail); }

bool frmMain::AlarmAnzeigen(const QString& ident) {
    if (!m_Auswahl)
        return false;
    m_Auswahl->AuswahlShow();
    // Waits less than a frame in all: a row found later is shown and picked when
    // it comes, one not found then is told in panel 1 by the selection window.
    frmAlarmAuswahl* fenster = m_Auswahl->HatFenster() ? m_Auswahl->Fenster() : nullptr;
    if (!fenster || !fenster->AlarmZeigen(ident, Takt::Ms)) {
        StatusText(1, QStringLiteral("Alarm %1 steht nicht in der Alarmliste.").arg(ident));
        return false;
    }
    if (fenster->ZeigenUnterwegs())
        StatusText(1, QStringLiteral("Alarm %1 wird gesucht …").arg(ident));
    return true;
}

void frmMain::AuswahlGescheitert(const QString& grund, const QString& detail) {
    Bildfenster()->Leeren(grund);
    StatusMeldung(grund, detail);
}

QString frmMain::StatusTextLesen(int panel) const {
    return panel >= 1 && panel <= 4 ? m_Panel[panel - 1]->text() : QString();
}

QAction* frmMain::ToolButton(const QString& key) const {
    for (QAction* a : m_ToolButtons)
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void frmMain::ToolButtonDruecken(const QString& key) {
    if (QAction* a = ToolButton(key))
        a->setChecked(true);
}

QSize frmMain::AussenGroesseTwips() const {
    const QRect r = frameGeometry();
    return {static_cast<int>(Twips::ZuTwips(r.width())), static_cast<int>(Twips::ZuTwips(r.height()))};
}

QWidget* frmMain::KindFensterEinfuegen(QWidget* fenster) {
    if (!fenster)
        return nullptr;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(fenster->parentWidget()); sub && sub->mdiArea() == mdiArea)
        return sub;
    QMdiSubWindow* sub = mdiArea->addSubWindow(fenster);
    // Closing a child only hides it: the windows are kept for the whole run.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(fenster, &QObject::destroyed, sub, &QObject::deleteLater);
    return sub;
}

void frmMain::KindZeigen(QWidget* fenster) {
    QWidget* sub = KindFensterEinfuegen(fenster);
    fenster->show();
    sub->show();
    if (auto* s = qobject_cast<QMdiSubWindow*>(sub))
        mdiArea->setActiveSubWindow(s);
}

void frmMain::KindVerbergen(QWidget* fenster) {
    if (QWidget* sub = KindFensterEinfuegen(fenster))
        sub->hide();
}

frmPicture* frmMain::BildfensterFallsDa() const { return m_Bild; }

void frmMain::BildfensterVerbinden() {
    frmPicture* bild = m_Bild;
    connect(bild, &frmPicture::StatusText, this, &frmMain::StatusText);
    connect(bild, &frmPicture::StatusMeldung, this, &frmMain::StatusMeldung);
    connect(bild, &frmPicture::Aktiv, this, [this] { ToolButtonDruecken(QStringLiteral("Editor")); });
    connect(bild, &frmPicture::AlarmAnzeigen, this, &frmMain::AlarmAnzeigen);
    connect(bild, &frmPicture::PfeilMenuZeigen, this, &frmMain::PfeilMenuZeigen);
    connect(bild, &frmPicture::AlarmMenuZeigen, this, &frmMain::AlarmMenuZeigen);
    connect(bild, &frmPicture::Zeigen, this, &frmMain::BildfensterZeigen);
    // Each arrow write is a step of the history, whose first redo writes.
    PfeilSteuerung* steuerung = bild->Steuerung();
    steuerung->setSchreibweg([this, steuerung = QPointer<PfeilSteuerung>(steuerung)](const Schreibauftrag& auftrag,
                                                                                   const QString& beschreibung) {
        // The answer may come later (from the database's worker): it finds its own order.
        const quint64 nummer = steuerung ? steuerung->LetzterSchritt() : 0;
        mVerlauf->Einzelschritt(auftrag, beschreibung, [steuerung, nummer](const Schreibergebnis& e) {
            if (steuerung)
                steuerung->Beantworten(nummer, e);
        });
    });
}

frmPicture* frmMain::Bildfenster() {
    if (!m_Bild) {
        m_Bild = new frmPicture(Werte());
        BildfensterVerbinden();
        m_Bild->Laden();
        KindFensterEinfuegen(m_Bild);
    }
    return m_Bild;
}

void frmMain::BildfensterZeigen() { KindZeigen(Bildfenster()); }

// The chosen item's own triggered signal runs its command: a pop-up menu
// triggers the action it returns, so it is not run a second time here.
void frmMain::PfeilMenuZeigen(const QPoint& globalPos) { Dialoge::aktuell().MenuZeigen(mnuPfeile, globalPos); }

void frmMain::AlarmMenuZeigen(const QPoint& globalPos) { Dialoge::aktuell().MenuZeigen(mnuAlarmBild, globalPos); }
