#include "editor/frmPicture.h"

#include <QCoreApplication>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QFile>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QShowEvent>
#include <cmath>
#include <limits>

#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Fensterlage.h"
#include "alarms/Hauptfenster.h"
#include "alarms/Twips.h"
#include "editor/Bildflaeche.h"
#include "editor/BildlaufRechnung.h"
#include "editor/PfeilEintrag.h"
#include "editor/PfeilText.h"
#include "platform/WinUmgebung.h"

namespace {

// Design sizes, twips.
constexpr int LeisteTwips = 255;
constexpr int InnenBreiteTwips = 10785;
constexpr int InnenHoeheTwips = 8325;
constexpr int VorlageLinksTwips = 360;
constexpr int VorlageBreiteTwips = 1320;
constexpr int VorlageHoeheTwips = 1290;
constexpr QSize EntwurfsGroesse(1280, 914);
// The element index is a 16-bit number.
constexpr int MaxElemente = std::numeric_limits<std::int16_t>::max();

AlarmAuswahl* Komponente() {
    Hauptfenster* h = Hauptfenster::instanz();
    return h ? h->mgobjAuswahl() : nullptr;
}

QString Feld(const AlarmRecord& r, int i) { return r.value(i); }

QPixmap Laden(const QString& sWinPfad) {
    QPixmap pm;
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sWinPfad.toStdString()));
    if (!pfad.isEmpty() && QFile::exists(pfad))
        pm.load(pfad);
    return pm;
}

QPixmap SymbolPlatzhalter() {
    QPixmap pm(32, 32);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawRect(1, 1, 30, 30);
    p.drawLine(6, 6, 26, 26);
    p.drawLine(26, 6, 6, 26);
    return pm;
}

QPixmap BildPlatzhalter(const QString& text) {
    QPixmap pm(EntwurfsGroesse);
    pm.fill(QColor(192, 192, 192));
    QPainter p(&pm);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    for (int x = -EntwurfsGroesse.height(); x < EntwurfsGroesse.width(); x += 24)
        p.drawLine(x, 0, x + EntwurfsGroesse.height(), EntwurfsGroesse.height());
    p.fillRect(QRect(240, 380, 800, 120), Qt::white);
    p.setPen(QPen(QColor(128, 0, 0), 2));
    p.drawRect(QRect(240, 380, 800, 120));
    QFont f = p.font();
    f.setPixelSize(20);
    p.setFont(f);
    p.drawText(QRect(250, 390, 780, 100), Qt::AlignCenter | Qt::TextWordWrap, text);
    return pm;
}

}  // namespace

QPixmap frmPicture::Entwurfsbild() {
    // A plain schematic in the sixteen standard colours.
    QPixmap pm(EntwurfsGroesse);
    pm.fill(QColor(0, 128, 128));
    QPainter p(&pm);
    p.setPen(QPen(QColor(0, 255, 255), 1));
    for (int x = 0; x < pm.width(); x += 40)
        p.drawLine(x, 0, x, pm.height());
    for (int y = 0; y < pm.height(); y += 40)
        p.drawLine(0, y, pm.width(), y);
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRect(160, 200, 260, 420));
    p.drawRect(QRect(860, 200, 260, 420));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRect(170, 400, 240, 210));
    p.drawRect(QRect(870, 300, 240, 310));
    p.setPen(QPen(QColor(255, 255, 0), 8));
    p.drawLine(420, 560, 860, 560);
    p.drawLine(290, 120, 290, 200);
    p.drawLine(990, 620, 990, 760);
    p.setPen(QPen(Qt::white, 1));
    QFont f = p.font();
    f.setPixelSize(40);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 780, pm.width(), 80), Qt::AlignCenter, QStringLiteral("Pfeileditor"));
    return pm;
}

frmPicture::frmPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmPicture"));
    setWindowTitle(QStringLiteral("Pfeileditor"));
    setFocusPolicy(Qt::ClickFocus);
    const int leiste = Twips::ZuPixel(LeisteTwips);

    picBlende = new QWidget(this);
    picBlende->setObjectName(QStringLiteral("picBlende"));
    picBlende->setAutoFillBackground(true);
    picBlende->setGeometry(Twips::ZuPixel(10185), Twips::ZuPixel(7725), leiste, leiste);
    Bildlaufvertikal = new QScrollBar(Qt::Vertical, this);
    Bildlaufvertikal->setObjectName(QStringLiteral("Bildlaufvertikal"));
    Bildlaufvertikal->setGeometry(Twips::ZuPixel(10515), Twips::ZuPixel(15), leiste, Twips::ZuPixel(7995));
    BildlaufHorizontal = new QScrollBar(Qt::Horizontal, this);
    BildlaufHorizontal->setObjectName(QStringLiteral("BildlaufHorizontal"));
    BildlaufHorizontal->setGeometry(0, Twips::ZuPixel(8070), Twips::ZuPixel(10545), leiste);
    for (QScrollBar* s : {Bildlaufvertikal, BildlaufHorizontal}) {
        s->setRange(0, 0);
        s->setSingleStep(16);
    }
    Formbox = new Bildflaeche(this);
    Formbox->BildSetzen(Entwurfsbild());
    Formbox->lower();  // the bars and the corner box lie above the picture

    PfeilBild vorlage;
    vorlage.Left = Twips::ZuPixel(VorlageLinksTwips);
    vorlage.Top = Twips::ZuPixel(VorlageLinksTwips);
    vorlage.Width = Twips::ZuPixel(VorlageBreiteTwips);
    vorlage.Height = Twips::ZuPixel(VorlageHoeheTwips);
    Formbox->imgPfeil.push_back(vorlage);

    connect(BildlaufHorizontal, &QScrollBar::valueChanged, this, &frmPicture::BildlaufHorizontal_Change);
    connect(Bildlaufvertikal, &QScrollBar::valueChanged, this, &frmPicture::Bildlaufvertikal_Change);
    connect(Formbox, &Bildflaeche::PfeilMausDruck, this,
            [this](int i, int b, int s, double x, double y, QPoint g) {
                imgPfeil_MouseDown(static_cast<std::int16_t>(i), b, s, x, y, g);
            });
    connect(Formbox, &Bildflaeche::PfeilMausBewegung, this, [this](int i, int b, int s, double x, double y) {
        imgPfeil_MouseMove(static_cast<std::int16_t>(i), b, s, x, y);
    });
    connect(Formbox, &Bildflaeche::PfeilMausLoslassen, this, [this](int i, int b, int s, double x, double y) {
        imgPfeil_MouseUp(static_cast<std::int16_t>(i), b, s, x, y);
    });
    connect(Formbox, &Bildflaeche::FlaecheMausDruck, this, &frmPicture::Formbox_MouseDown);
    // In the accumulating and all-arrows modes a double click picks the arrow's alarm.
    connect(Formbox, &Bildflaeche::PfeilDoppelklick, this, [this](int i) {
        Hauptfenster* h = Hauptfenster::instanz();
        if (!h || m_Wechsel || (gContMode != WAHR && gAllMode != WAHR) || i < 1 || i >= PfeilAnzahl())
            return;
        m_Ziehen = 0;
        // a copy: the pick rebuilds the arrow list
        const QString ident = imgPfeil(i).Ident;
        h->AlarmAnzeigen(ident);
    });
    connect(Formbox, &Bildflaeche::VorschlagVerschoben, this, &frmPicture::VorschlagVerschoben);
    connect(Formbox, &Bildflaeche::Geschoben, this, [this](QPoint schritt) {
        BildlaufHorizontal->setValue(BildlaufHorizontal->value() - schritt.x());
        Bildlaufvertikal->setValue(Bildlaufvertikal->value() - schritt.y());
    });
    Formbox->NummernSetzen(NummernGemerkt());
    connect(Formbox, &Bildflaeche::VorschlagDoppelklick, this, &frmPicture::VorschlagAnnehmen);
    m_SchubsUhr = new QTimer(this);
    m_SchubsUhr->setSingleShot(true);
    m_SchubsUhr->setInterval(SchubsenRuheMs);
    connect(m_SchubsUhr, &QTimer::timeout, this, &frmPicture::AusstehendesSchreiben);
    m_AutoBildlaufUhr = new QTimer(this);
    m_AutoBildlaufUhr->setInterval(AutoBildlaufMs);
    connect(m_AutoBildlaufUhr, &QTimer::timeout, this, &frmPicture::AutoBildlaufWeiter);

    resize(Twips::ZuPixel(InnenBreiteTwips), Twips::ZuPixel(InnenHoeheTwips));
    Form_Load();
}

frmPicture::~frmPicture() = default;

// --- window events -------------------------------------------------------------

void frmPicture::Form_Load() {
    m_ImLaden = true;
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->imgNeu = FALSCH;
    // Pending messages are not processed here: while it is being built the
    // window is not yet known to the main window, which would build a second one.
    resize(Twips::ZuPixel(22000), height());
    Form_Resize();
    PfeilActivate();
    m_ImLaden = false;
}

QRect frmPicture::AktivierungsPlatz() const {
    Hauptfenster* h = Hauptfenster::instanz();
    if (!h)
        return m_Rahmen ? m_Rahmen->geometry() : QRect();
    const QSize aussen = h->AussenGroesseTwips();
    const double H = aussen.height();
    const double W = aussen.width();
    return QRect(0, Twips::ZuPixel(H / 3 - 150), Twips::ZuPixel(W - 350), std::max(0, Twips::ZuPixel(2 * H / 3 - 1500)));
}

void frmPicture::Form_Activate() {
    if (!Hauptfenster::instanz() || !m_Rahmen)
        return;
    Lage()->Aktiviert();
}

Fensterlage* frmPicture::Lage() {
    return Fensterlage::Fuer(this, QStringLiteral("Pfeileditor"), [this] { return AktivierungsPlatz(); });
}

bool frmPicture::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) {
        auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
        if (sub && sub != m_Rahmen) {
            m_Rahmen = sub;
            m_Platziert = false;
            connect(sub, &QMdiSubWindow::windowStateChanged, this,
                    [this](Qt::WindowStates alt, Qt::WindowStates neu) {
                        if (!(alt & Qt::WindowActive) && (neu & Qt::WindowActive))
                            Form_Activate();
                    });
        }
    }
    return QWidget::event(e);
}

void frmPicture::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (m_Rahmen && !m_Platziert) {
        // The placement of the load step, now that the window has its frame.
        m_Platziert = true;
        Lage()->Erstmals(QRect(0, Twips::ZuPixel(3800), Twips::ZuPixel(22000), m_Rahmen->height()));
        if (m_Rahmen->windowState() & Qt::WindowActive)
            Form_Activate();
    }
}

void frmPicture::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmPicture::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->ToolButtonDruecken(QStringLiteral("Editor"));
}

void frmPicture::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
    // The template is drawn with the box; it stays hidden unless made visible.
    const PfeilBild& vorlage = Formbox->imgPfeil.front();
    if (vorlage.Visible)
        Formbox->update(vorlage.Rechteck());
}

void frmPicture::Form_Resize() {
    BereicheSetzen();
    BildlaufHorizontal_Change();
    Bildlaufvertikal_Change();
    AnsichtZentrieren();
}

void frmPicture::BereicheSetzen() {
    // Each step stands on its own; a range that does not fit is held at its limit.
    const int SW = width();
    const int SH = height();
    const int vb = Bildlaufvertikal->width();
    const int hb = BildlaufHorizontal->height();
    BildlaufHorizontal->setGeometry(0, SH - hb, std::max(0, SW - vb), hb);
    const auto h = BildlaufRechnung::BereichBerechnen(Formbox->width(), SW, vb, BildlaufHorizontal->width());
    // A disabled bar goes back to 0, so a smaller picture is not left shifted out of view.
    BildlaufHorizontal->setEnabled(h.aktiv);
    BildlaufHorizontal->setRange(0, h.maximum);
    if (h.aktiv)
        BildlaufHorizontal->setPageStep(h.grosserSchritt);
    Bildlaufvertikal->setGeometry(SW - vb, 0, vb, std::max(0, SH - hb));
    const auto v = BildlaufRechnung::BereichBerechnen(Formbox->height(), SH, hb, Bildlaufvertikal->height());
    Bildlaufvertikal->setEnabled(v.aktiv);
    Bildlaufvertikal->setRange(0, v.maximum);
    if (v.aktiv)
        Bildlaufvertikal->setPageStep(v.grosserSchritt);
    picBlende->move(Bildlaufvertikal->x(), BildlaufHorizontal->y());
    picBlende->raise();
    Bildlaufvertikal->raise();
    BildlaufHorizontal->raise();
    update();
    BildlaufHorizontal->update();
    Bildlaufvertikal->update();
}

void frmPicture::BildlaufHorizontal_Change() { Formbox->move(-BildlaufHorizontal->value(), Formbox->y()); }
void frmPicture::Bildlaufvertikal_Change() { Formbox->move(Formbox->x(), -Bildlaufvertikal->value()); }

void frmPicture::AnsichtZentrieren() {
    int links = 0;
    int oben = 0;
    if (gAllMode == WAHR) {
        links = Formbox->shpFocus.x();
        oben = Formbox->shpFocus.y();
    } else {
        // During the layout inside PfeilActivate the index names the element about to be loaded.
        if (mAktPfeilIndex < 0 || mAktPfeilIndex >= PfeilAnzahl())
            return;
        const PfeilBild& a = imgPfeil(mAktPfeilIndex);
        links = a.Left;
        oben = a.Top;
    }
    BildlaufHorizontal->setValue(BildlaufRechnung::Zentrieren(links, width(), BildlaufHorizontal->maximum(), Zoom()));
    Bildlaufvertikal->setValue(BildlaufRechnung::Zentrieren(oben, height(), Bildlaufvertikal->maximum(), Zoom()));
}

// --- elements --------------------------------------------------------------------

int frmPicture::PfeilAnzahl() const { return static_cast<int>(Formbox->imgPfeil.size()); }
const PfeilBild& frmPicture::imgPfeil(int index) const { return Formbox->imgPfeil.at(static_cast<std::size_t>(index)); }
PfeilBild& frmPicture::Element(int index) { return Formbox->imgPfeil.at(static_cast<std::size_t>(index)); }
QRect frmPicture::shpFocus() const { return Formbox->shpFocus; }
bool frmPicture::shpFocusVisible() const { return Formbox->shpFocusVisible; }

QPixmap frmPicture::SymbolHolen(const QString& sWinPfad, bool* geladen) {
    auto it = m_Symbole.constFind(sWinPfad);
    if (it == m_Symbole.cend()) {
        QPixmap pm = Laden(sWinPfad);
        it = m_Symbole.insert(sWinPfad, pm);
    }
    *geladen = !it->isNull();
    return *geladen ? *it : SymbolPlatzhalter();
}

bool frmPicture::PfeilBildLaden(int index, const QString& sWinPfad) {
    if (index < 0 || index >= PfeilAnzahl())
        return false;
    PfeilBild& a = Element(index);
    const QRect vorher = a.Rechteck();
    m_Symbole.remove(sWinPfad);  // a menu choice reads the file afresh
    bool geladen = false;
    a.Picture = SymbolHolen(sWinPfad, &geladen);
    a.Platzhalter = !geladen;
    a.Width = a.Picture.width();
    a.Height = a.Picture.height();
    Formbox->PfeilNeuZeichnen(index, vorher);
    return geladen;
}

void frmPicture::PfeilBeschriften(int index, const QString& tag, const QString& toolTip, const QString& ident,
                                  const QString& alarmtext) {
    if (index < 0 || index >= PfeilAnzahl())
        return;
    PfeilBild& a = Element(index);
    a.Tag = tag;
    a.ToolTipText = toolTip;
    a.Ident = ident;
    a.Alarmtext = alarmtext;
}

bool frmPicture::BildLaden(const QString& sWinPfad) {
    QPixmap pm = Laden(sWinPfad);
    m_BildPlatzhalter = pm.isNull();
    Formbox->BildSetzen(m_BildPlatzhalter ? BildPlatzhalter(QStringLiteral("Bild nicht vorhanden:\n") + sWinPfad) : pm);
    return !m_BildPlatzhalter;
}

void frmPicture::BildNeuZeichnen() {
    Form_Resize();
    Formbox->update();
}

void frmPicture::FocusRect(std::int16_t AktImgPfeilIndex) {
    if (AktImgPfeilIndex < 0 || AktImgPfeilIndex >= PfeilAnzahl())
        return;
    m_Gerahmt = AktImgPfeilIndex;
    Formbox->ObenSetzen(AktImgPfeilIndex);
    const PfeilBild& a = imgPfeil(AktImgPfeilIndex);
    Formbox->FokusSetzen(QRect(a.Left, a.Top, a.Width + 5, a.Height + 5));
}

QPixmap frmPicture::SymbolFuer(const QString& symbol, bool* geladen) {
    const AlarmAuswahl* k = Komponente();
    const QString ordner = k ? k->SymbolPath() : QString();
    return SymbolHolen(ordner + QStringLiteral("\\") + (symbol.isEmpty() ? QStringLiteral("PfeilLeer.gif") : symbol),
                       geladen);
}

void frmPicture::PfeilLaden(const AlarmRecord& record) {
    const int n = PfeilAnzahl();
    if (n > MaxElemente)
        return;
    mAktPfeilIndex = static_cast<std::int16_t>(n);
    PfeilBild a = Formbox->imgPfeil.front();
    bool geladen = false;
    a.Picture = SymbolFuer(Feld(record, AlarmFeld::Symbol), &geladen);
    a.Platzhalter = !geladen;
    a.Width = a.Picture.width();
    a.Height = a.Picture.height();
    a.Left = PfeilText::Position(Feld(record, AlarmFeld::X));
    a.Top = PfeilText::Position(Feld(record, AlarmFeld::Y));
    a.Ident = Feld(record, AlarmFeld::Ident);
    a.Alarmtext = Feld(record, AlarmFeld::Alarmtext);
    a.Satz = record;
    a.Visible = true;
    Formbox->imgPfeil.push_back(std::move(a));
}

int frmPicture::PfeilFuerAlarmOhneBild(const AlarmRecord& alarm) {
    PfeileLeeren();
    mAktAlarm = alarm;
    PfeilLaden(alarm);
    const int i = PfeilAnzahl() - 1;
    if (i < 1)
        return 0;
    const PfeilBild& a = imgPfeil(i);
    const QString symbol = Feld(alarm, AlarmFeld::Symbol);
    PfeilBeschriften(i, PfeilText::Tag(a.Ident, symbol), PfeilText::ToolTip(a.Ident, a.Alarmtext, symbol, a.Left, a.Top),
                     a.Ident, a.Alarmtext);
    FocusRect(static_cast<std::int16_t>(i));
    return i;
}

void frmPicture::PfeileLeeren() {
    Formbox->imgPfeil.resize(1);
    Formbox->Freigeben();
    Formbox->Oben = 0;
    m_Ziehen = m_Gerahmt = m_Geschubst = 0;
    m_AutoBildlaufUhr->stop();
    Formbox->update();
}

void frmPicture::PfeilActivate() {
    AusstehendesSchreiben();
    AlarmAuswahl* k = Komponente();
    if (!k)
        return;
    mAktAlarm = k->AktuellerAlarm();
    if (!mAktAlarm)
        return;
    const int aufruf = ++m_Aktivierung;
    const std::optional<AlarmRecord> vorher = mAktAlarm;
    const QString form = Feld(*mAktAlarm, AlarmFeld::Form);
    // From the new picture until its arrows stand, the arrows shown are the
    // old alarm's: a drag under way is put back, and input that reaches them
    // through a nested loop (a message box) is let go unheard, so the new
    // picture never lands in the old alarm's row. Nothing else is let through
    // meanwhile: a pick waiting in the queue follows this one and wins.
    if (!m_ImLaden && m_Ziehen > 0)
        ZiehenAbbrechen();
    const QScopedValueRollback<bool> wechsel(m_Wechsel, true);
    BildLaden(k->BilderPath() + QStringLiteral("\\") + form + QStringLiteral("\\") + form + QStringLiteral(".bmp"));
    setBildForm(form);
    setWindowTitle(PfeilText::Titel(form));
    mAktPfeilIndex = static_cast<std::int16_t>(std::min(PfeilAnzahl(), MaxElemente));
    // A pick handled in a nested loop has shown its own alarm; the arrows
    // must belong to the alarm current now, so this call ends here, or starts
    // over when the current alarm changed without a call of its own.
    if (aufruf != m_Aktivierung)
        return;
    if (Komponente() != k || k->AktuellerAlarm() != vorher) {
        PfeilActivate();
        return;
    }
    const AlarmRecord r = *mAktAlarm;
    Form_Resize();
    m_Symbole.clear();

    auto beschriften = [this](int i, const AlarmRecord& rec) {
        if (i < 1 || i >= PfeilAnzahl())
            return;
        const PfeilBild& a = imgPfeil(i);
        const QString symbol = Feld(rec, AlarmFeld::Symbol);
        PfeilBeschriften(i, PfeilText::Tag(a.Ident, symbol),
                         PfeilText::ToolTip(a.Ident, a.Alarmtext, symbol, a.Left, a.Top), a.Ident, a.Alarmtext);
    };
    Hauptfenster* h = Hauptfenster::instanz();
    if (gSingleMode == WAHR) {
        PfeileLeeren();
        PfeilLaden(r);
        FocusRect(1);
        beschriften(1, r);
    } else if (gContMode == WAHR) {
        // An alarm whose arrow the picture shows already (picked again, or by a
        // double click on its arrow) gets no second arrow on top of the first:
        // its own is framed.
        int schonDa = 0;
        for (int i = 1; i < PfeilAnzahl() && !schonDa; ++i)
            if (imgPfeil(i).Satz == r)
                schonDa = i;
        if (schonDa) {
            mAktPfeilIndex = static_cast<std::int16_t>(schonDa);
            FocusRect(mAktPfeilIndex);
        } else {
            const int vorher = PfeilAnzahl();
            PfeilLaden(r);
            FocusRect(mAktPfeilIndex);
            if (PfeilAnzahl() > vorher)
                beschriften(mAktPfeilIndex, r);
        }
    } else if (gAllMode == WAHR) {
        PfeileLeeren();
        const AlarmListeTyp liste = k->AlarmListe().value_or(AlarmListeTyp());
        Formbox->imgPfeil.reserve(static_cast<std::size_t>(liste.size()) + 1);
        const QString ident = Feld(r, AlarmFeld::Ident);
        int n = 0;
        for (const AlarmRecord& R : liste) {
            if (PfeilAnzahl() > MaxElemente)
                break;
            PfeilLaden(R);
            ++n;
            // Each arrow carries its own row's symbol: a drag writes back what the row holds.
            beschriften(n, R);
            if (Feld(R, AlarmFeld::Ident) == ident)
                FocusRect(static_cast<std::int16_t>(n));
        }
        if (n > 0 && h)
            h->StatusText(1, PfeilText::Anzahl(n));
    } else {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Kein Anzeige-Modus gesetzt"));
    }
    if (h)
        h->ToolButtonDruecken(QStringLiteral("Editor"));
    BildlaufHorizontal_Change();
    Bildlaufvertikal_Change();
    AnsichtZentrieren();
    Formbox->update();
}

// --- arrow editing -------------------------------------------------------------

void frmPicture::imgPfeil_MouseDown(std::int16_t Index, int Button, int, double X, double Y,
                                    const QPoint& globalPos) {
    if (m_Wechsel || Index < 1 || Index >= PfeilAnzahl())
        return;
    if (Button == 1) {
        mGriffX = static_cast<float>(X / Twips::ProPixel);
        mGriffY = static_cast<float>(Y / Twips::ProPixel);
        AusstehendesSchreiben();
        m_DruckStelle = imgPfeil(Index).Rechteck().topLeft();
        m_Ziehen = Index;
        m_ZiehenAbgebrochen = false;
        FocusRect(Index);
    } else if (Button == 2 && gSingleMode == WAHR) {
        if (Hauptfenster* h = Hauptfenster::instanz())
            h->PfeilMenuZeigen(globalPos);
    }
}

void frmPicture::Formbox_MouseDown(int Button, int, double, double, const QPoint& globalPos) {
    if (Button == 2 && gSingleMode == WAHR && !m_Wechsel) {
        if (Hauptfenster* h = Hauptfenster::instanz())
            h->AlarmMenuZeigen(globalPos);
    }
}

void frmPicture::imgPfeil_MouseMove(std::int16_t Index, int Button, int, double X, double Y) {
    if (m_Wechsel || Index < 1 || Index >= PfeilAnzahl())
        return;
    if (Button == 1 && !(m_ZiehenAbgebrochen && Index == m_Ziehen))
        Ziehschritt(Index, X, Y);
    ToolTipNeu(Index);
}

void frmPicture::Ziehschritt(int index, double X, double Y) {
    PfeilBild& a = Element(index);
    const QRect vorher = a.Rechteck();
    // Positions stay whole pixels; the arrow is not held inside the picture.
    a.Left = static_cast<int>(std::lround(a.Left + X / Twips::ProPixel - mGriffX));
    a.Top = static_cast<int>(std::lround(a.Top + Y / Twips::ProPixel - mGriffY));
    Formbox->PfeilNeuZeichnen(index, vorher);
    Formbox->FokusSetzen(QRect(a.Left, a.Top, a.Width + 5, a.Height + 5));
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->StatusText(2, QStringLiteral("X = ") + PfeilText::Zahl(a.Left) + QStringLiteral(" Y = ") +
                             PfeilText::Zahl(a.Top));
    const int H = BildlaufHorizontal->value();
    const int V = Bildlaufvertikal->value();
    const auto w = BildlaufRechnung::AutoBildlauf(Formbox->shpFocus.x() + mGriffX, Formbox->shpFocus.y() + mGriffY, H,
                                                  V, BildlaufHorizontal->maximum(), Bildlaufvertikal->maximum(),
                                                  BildlaufHorizontal->width(), Bildlaufvertikal->height(), Zoom());
    if (w.h != H || w.v != V) {
        BildlaufHorizontal->setValue(w.h);
        Bildlaufvertikal->setValue(w.v);
        update();
        // While the pointer rests there the view goes on scrolling.
        if (m_Ziehen == index && !m_AutoBildlaufUhr->isActive())
            m_AutoBildlaufUhr->start();
    } else {
        m_AutoBildlaufUhr->stop();
    }
}

void frmPicture::AutoBildlaufWeiter() {
    if (m_Ziehen < 1 || m_Ziehen >= PfeilAnzahl() || m_ZiehenAbgebrochen ||
        !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        m_AutoBildlaufUhr->stop();
        return;
    }
    // A drag step with the pointer where it rests: the arrow goes along with the view.
    const QPointF p = Formbox->ZuBild(Formbox->mapFromGlobal(Formbox->LetzteMausGlobal));
    const PfeilBild& a = imgPfeil(m_Ziehen);
    Ziehschritt(m_Ziehen, Twips::ZuTwips(p.x() - a.Left), Twips::ZuTwips(p.y() - a.Top));
}

void frmPicture::ToolTipNeu(int index) {
    // The tool tip names the row the arrow writes to: its tag's alarm and symbol.
    PfeilBild& a = Element(index);
    const auto teile = PfeilText::TagTeile(a.Tag);
    const QString ident = teile ? teile->first : a.Ident;
    const QString symbol = teile ? teile->second : QString();
    a.ToolTipText = PfeilText::ToolTip(ident, a.Alarmtext, symbol, a.Left, a.Top);
}

void frmPicture::imgPfeil_MouseUp(std::int16_t Index, int Button, int, double, double) {
    if (m_Wechsel || Button != 1 || Index < 1 || Index >= PfeilAnzahl())
        return;
    m_AutoBildlaufUhr->stop();
    const bool abgebrochen = m_ZiehenAbgebrochen && Index == m_Ziehen;
    m_Ziehen = 0;
    m_ZiehenAbgebrochen = false;
    ToolTipNeu(Index);
    // A drag cancelled with Esc writes nothing.
    if (abgebrochen)
        return;
    const auto teile = PfeilText::TagTeile(imgPfeil(Index).Tag).value_or(std::make_pair(QString(), QString()));
    PfeilSchreiben(Index, imgPfeil(Index).Rechteck().topLeft() != m_DruckStelle,
                   QStringLiteral("Pfeil von Alarm %1 verschieben").arg(teile.first.trimmed()));
}

void frmPicture::PfeilSchreiben(int index, bool bewegt, const QString& beschreibung) {
    Hauptfenster* h = Hauptfenster::instanz();
    AlarmAuswahl* k = Komponente();
    if (!h || !k)
        return;
    // Without a current alarm or a picture name there is nothing to write; the user is told.
    const std::optional<QString> bild = PfeilEintrag::AlarmBildName(*k, h->imgNeuDB, h->bmpNeuIndex);
    // Copies: the write's report may take other arrows off the list.
    const PfeilBild a = imgPfeil(index);
    const QString tag = a.Tag;
    const auto teile = PfeilText::TagTeile(tag).value_or(std::make_pair(tag, QString()));
    std::optional<Schreibergebnis> ergebnis;
    if (bild) {
        EigenerPfeil = index;
        ergebnis = PfeilEintrag::Schreiben(*k, a.Satz, tag, a.Left, a.Top, *bild, bewegt, beschreibung);
        // where the arrow stands now, should an arrow before it have gone
        index = EigenerPfeil;
        EigenerPfeil = 0;
    }
    if (!ergebnis || !ergebnis->geschrieben()) {
        // The screen shows what the row holds, not the spot that was not stored.
        PfeilZuruecksetzen(index);
        if (ergebnis)
            h->StatusMeldung(ergebnis->text, ergebnis->detail);
        else
            h->StatusText(1, QStringLiteral("Nichts in die DB geschrieben: kein Alarm gewählt."));
        return;
    }
    const AlarmRecord& z = ergebnis->zeile;
    h->StatusText(1, PfeilEintrag::StatusText(*ergebnis, PfeilText::Geschrieben({teile.first, teile.second,
                                                                                  z.value(AlarmFeld::X),
                                                                                  z.value(AlarmFeld::Y)})));
}

void frmPicture::ZiehenAbbrechen() {
    if (m_Ziehen < 1 || m_Ziehen >= PfeilAnzahl() || m_ZiehenAbgebrochen)
        return;
    m_AutoBildlaufUhr->stop();
    m_ZiehenAbgebrochen = true;
    PfeilBild& a = Element(m_Ziehen);
    const QRect vorher = a.Rechteck();
    a.Left = m_DruckStelle.x();
    a.Top = m_DruckStelle.y();
    Formbox->PfeilNeuZeichnen(m_Ziehen, vorher);
    FocusRect(static_cast<std::int16_t>(m_Ziehen));
    ToolTipNeu(m_Ziehen);
    if (Hauptfenster* h = Hauptfenster::instanz()) {
        h->StatusText(1, QStringLiteral("Ziehen abgebrochen; nichts in die DB geschrieben."));
        h->StatusText(2, QString());
    }
}

// --- keys, wheel, zoom ---------------------------------------------------------------

void frmPicture::keyPressEvent(QKeyEvent* e) {
    if (m_Wechsel)
        return;
    if (e->key() == Qt::Key_Escape && m_Ziehen > 0) {
        ZiehenAbbrechen();
        return;
    }
    if (e->matches(QKeySequence::ZoomIn) ||
        (e->modifiers() & Qt::ControlModifier && (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal))) {
        ZoomSchritt(1);
        return;
    }
    if (e->matches(QKeySequence::ZoomOut) || (e->modifiers() & Qt::ControlModifier && e->key() == Qt::Key_Minus)) {
        ZoomSchritt(-1);
        return;
    }
    if (e->modifiers() & Qt::ControlModifier && e->key() == Qt::Key_9) {
        Einpassen();
        return;
    }
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat())
            Formbox->LeertasteSetzen(true);
        return;
    }
    if (e->modifiers() & Qt::ControlModifier && e->key() == Qt::Key_0) {
        const QRect r = Formbox->ZuSchirm(Formbox->shpFocus);
        ZoomSetzen(1.0, Formbox->shpFocusVisible ? Formbox->mapTo(this, r.center()) : rect().center());
        return;
    }
    const int schritt = e->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (e->key()) {
    case Qt::Key_Left: Schubsen(-schritt, 0); return;
    case Qt::Key_Right: Schubsen(schritt, 0); return;
    case Qt::Key_Up: Schubsen(0, -schritt); return;
    case Qt::Key_Down: Schubsen(0, schritt); return;
    default: QWidget::keyPressEvent(e);
    }
}

void frmPicture::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat())
        Formbox->LeertasteSetzen(false);
    // Written once the keys have rested for a moment.
    if (!e->isAutoRepeat() && m_Geschubst > 0)
        m_SchubsUhr->start();
    QWidget::keyReleaseEvent(e);
}

void frmPicture::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    Formbox->LeertasteSetzen(false);
    AusstehendesSchreiben();
}

void frmPicture::Schubsen(int dx, int dy) {
    const int i = m_Gerahmt;
    if (i < 1 || i >= PfeilAnzahl() || !Formbox->shpFocusVisible || m_Ziehen > 0)
        return;
    m_SchubsUhr->stop();
    if (m_Geschubst != i) {
        AusstehendesSchreiben();
        m_Geschubst = i;
        m_SchubsStart = imgPfeil(i).Rechteck().topLeft();
    }
    PfeilBild& a = Element(i);
    const QRect vorher = a.Rechteck();
    a.Left += dx;
    a.Top += dy;
    Formbox->PfeilNeuZeichnen(i, vorher);
    FocusRect(static_cast<std::int16_t>(i));
    ToolTipNeu(i);
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->StatusText(2, QStringLiteral("X = ") + PfeilText::Zahl(a.Left) + QStringLiteral(" Y = ") + PfeilText::Zahl(a.Top));
    InSichtHalten(i);
}

void frmPicture::AusstehendesSchreiben() {
    m_SchubsUhr->stop();
    const int i = m_Geschubst;
    m_Geschubst = 0;
    if (i < 1 || i >= PfeilAnzahl())
        return;
    const auto teile = PfeilText::TagTeile(imgPfeil(i).Tag).value_or(std::make_pair(QString(), QString()));
    PfeilSchreiben(i, imgPfeil(i).Rechteck().topLeft() != m_SchubsStart,
                   QStringLiteral("Pfeil von Alarm %1 verschieben").arg(teile.first.trimmed()));
}

void frmPicture::InSichtHalten(int index) {
    // The arrow moved by keys stays inside the visible part of the picture.
    const QRect r = Formbox->ZuSchirm(imgPfeil(index).Rechteck());
    const int sichtB = BildlaufHorizontal->width();
    const int sichtH = Bildlaufvertikal->height();
    int h = BildlaufHorizontal->value();
    int v = Bildlaufvertikal->value();
    if (r.left() < h)
        h = r.left();
    else if (r.right() > h + sichtB)
        h = r.right() - sichtB;
    if (r.top() < v)
        v = r.top();
    else if (r.bottom() > v + sichtH)
        v = r.bottom() - sichtH;
    BildlaufHorizontal->setValue(std::clamp(h, 0, BildlaufHorizontal->maximum()));
    Bildlaufvertikal->setValue(std::clamp(v, 0, Bildlaufvertikal->maximum()));
}

void frmPicture::wheelEvent(QWheelEvent* e) {
    const QPoint winkel = e->angleDelta();
    const int stufen = (winkel.y() != 0 ? winkel.y() : winkel.x()) / 120;
    if (e->modifiers() & Qt::ControlModifier) {
        // A fine wheel or touchpad sends parts of a notch: a step once they add up to one.
        m_ZoomRad += winkel.y() != 0 ? winkel.y() : winkel.x();
        const QPoint anker = mapFromGlobal(e->globalPosition().toPoint());
        while (std::abs(m_ZoomRad) >= 120) {
            ZoomSchritt(m_ZoomRad > 0 ? 1 : -1, anker);
            m_ZoomRad -= m_ZoomRad > 0 ? 120 : -120;
        }
        e->accept();
        return;
    }
    // The wheel alone scrolls up and down, with Shift left and right.
    QScrollBar* leiste = e->modifiers() & Qt::ShiftModifier || winkel.y() == 0 ? BildlaufHorizontal : Bildlaufvertikal;
    leiste->setValue(leiste->value() - stufen * leiste->singleStep() * QApplication::wheelScrollLines());
    e->accept();
}

double frmPicture::Zoom() const { return Formbox->Zoom(); }

void frmPicture::Einpassen() {
    const QSize b = Formbox->Bild().size();
    const double z = BildlaufRechnung::Einpassen(b.width(), b.height(), width() - Bildlaufvertikal->width(),
                                                 height() - BildlaufHorizontal->height());
    m_EinpassZoom = z;
    ZoomSetzen(z, rect().center());
}

bool frmPicture::NummernGemerkt() {
    return QSettings(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero"))
               .value(QStringLiteral("Settings/AlarmnummernZeigen"))
               .toString() == QLatin1String("1");
}

void frmPicture::NummernZeigen(bool an) {
    Formbox->NummernSetzen(an);
    NummernMerken(an);
}

void frmPicture::NummernMerken(bool an) {
    QSettings s(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero"));
    s.setValue(QStringLiteral("Settings/AlarmnummernZeigen"), an ? QStringLiteral("1") : QStringLiteral("0"));
}

bool frmPicture::NummernSichtbar() const { return Formbox->Nummern; }

QRect frmPicture::FokusGlobal() const {
    if (!Formbox->shpFocusVisible || !isVisible())
        return {};
    const QRect r = Formbox->ZuSchirm(Formbox->shpFocus).translated(Formbox->pos()) & rect();
    return r.isEmpty() ? QRect() : QRect(mapToGlobal(r.topLeft()), r.size());
}

void frmPicture::ModusAnwenden() {
    // The accumulating mode goes on from the arrows shown; the other two show
    // at once what they stand for.
    if (!mAktAlarm || m_Wechsel || gContMode == WAHR)
        return;
    PfeilActivate();
}

void frmPicture::setBildForm(const QString& form) {
    const bool neu = form != m_BildForm;
    m_BildForm = form;
    if (neu)
        emit BildGezeigt(form);
}

void frmPicture::VorschlaegeZeigen(const std::vector<Vorschlagsmarke>& marken) { Formbox->VorschlaegeSetzen(marken); }

void frmPicture::ZoomSchritt(int richtung, std::optional<QPoint> anker) {
    if (!anker) {
        const QRect r = Formbox->ZuSchirm(Formbox->shpFocus);
        anker = Formbox->shpFocusVisible ? Formbox->mapTo(this, r.center()) : rect().center();
    }
    ZoomSetzen(BildlaufRechnung::ZoomStufe(Zoom(), richtung), *anker);
}

void frmPicture::ZoomSetzen(double zoom, const QPoint& anker) {
    // A zoomed picture stays within the range a scroll bar can hold; only a
    // fitted picture goes below the smallest step.
    const QSize b = Formbox->Bild().size();
    const double grenze = 32767.0 / std::max({1, b.width(), b.height()});
    const double unten = std::min(BildlaufRechnung::MinZoom, std::max(BildlaufRechnung::EinpassenMin, m_EinpassZoom));
    zoom = std::clamp(zoom, unten, std::min(BildlaufRechnung::MaxZoom, grenze));
    const double alt = Zoom();
    if (zoom == alt)
        return;
    const int h = BildlaufHorizontal->value();
    const int v = Bildlaufvertikal->value();
    Formbox->ZoomSetzen(zoom);
    BereicheSetzen();
    BildlaufHorizontal->setValue(BildlaufRechnung::ZoomAnker(anker.x(), h, alt, zoom, BildlaufHorizontal->maximum()));
    Bildlaufvertikal->setValue(BildlaufRechnung::ZoomAnker(anker.y(), v, alt, zoom, Bildlaufvertikal->maximum()));
    BildlaufHorizontal_Change();
    Bildlaufvertikal_Change();
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->StatusText(2, QStringLiteral("Zoom %1 %").arg(qRound(zoom * 100)));
}

void frmPicture::PfeilZuruecksetzen(int index) {
    if (index < 1 || index >= PfeilAnzahl())
        return;
    PfeilBild& a = Element(index);
    if (a.Satz.isEmpty())
        return;
    const QRect vorher = a.Rechteck();
    const QString symbol = Feld(a.Satz, AlarmFeld::Symbol);
    bool geladen = false;
    a.Picture = SymbolFuer(symbol, &geladen);
    a.Platzhalter = !geladen;
    a.Width = a.Picture.width();
    a.Height = a.Picture.height();
    a.Left = PfeilText::Position(Feld(a.Satz, AlarmFeld::X));
    a.Top = PfeilText::Position(Feld(a.Satz, AlarmFeld::Y));
    a.Ident = Feld(a.Satz, AlarmFeld::Ident);
    a.Alarmtext = Feld(a.Satz, AlarmFeld::Alarmtext);
    a.Tag = PfeilText::Tag(a.Ident, symbol);
    a.ToolTipText = PfeilText::ToolTip(a.Ident, a.Alarmtext, symbol, a.Left, a.Top);
    Formbox->PfeilNeuZeichnen(index, vorher);
    if (Formbox->shpFocusVisible && Formbox->shpFocus.topLeft() == vorher.topLeft())
        FocusRect(static_cast<std::int16_t>(index));
    // panel 2 shows where the arrow stands, not where the refused write would have put it
    if (Hauptfenster* h = Hauptfenster::instanz())
        h->StatusText(2, QStringLiteral("X = ") + PfeilText::Zahl(a.Left) + QStringLiteral(" Y = ") + PfeilText::Zahl(a.Top));
}

void frmPicture::ZeilenAktualisieren(const QList<Zeilenstand>& staende) {
    const auto nachNummer = Zeilenstand::NachNummer(staende);
    if (mAktAlarm)
        Zeilenstand::Anwenden(staende, nachNummer, *mAktAlarm);
    // One pass over the arrows, however many rows were written.
    bool entfernt = false;
    for (int i = PfeilAnzahl() - 1; i >= 1; --i) {
        PfeilBild& a = Element(i);
        if (a.Satz.isEmpty())
            continue;
        if (i == EigenerPfeil) {
            Zeilenstand::Anwenden(staende, nachNummer, a.Satz, true);
            continue;
        }
        // An arrow in the user's hand keeps the row as read: its write then finds
        // the change and shows it, instead of writing over it.
        if (i == m_Ziehen || i == m_Geschubst)
            continue;
        const QString form = Feld(a.Satz, AlarmFeld::Form);
        if (!Zeilenstand::Anwenden(staende, nachNummer, a.Satz))
            continue;
        if (Feld(a.Satz, AlarmFeld::Form) != form) {
            // Its alarm lies on another picture now: this arrow no longer stands for it.
            Formbox->PfeilEntfernen(i);
            for (int* index : {&m_Ziehen, &m_Geschubst, &m_Gerahmt, &EigenerPfeil})
                if (*index > i)
                    --*index;
                else if (*index == i)
                    *index = 0;
            entfernt = true;
            continue;
        }
        PfeilZuruecksetzen(i);
    }
    if (entfernt) {
        mAktPfeilIndex = static_cast<std::int16_t>(std::min(PfeilAnzahl() - 1, MaxElemente));
        Formbox->shpFocusVisible = false;
        Formbox->update();
    }
}

void frmPicture::Leeren(const QString& grund) {
    AusstehendesSchreiben();
    PfeileLeeren();
    Formbox->shpFocusVisible = false;
    mAktAlarm.reset();
    mAktPfeilIndex = 0;
    setBildForm(QString());
    m_BildPlatzhalter = !grund.isEmpty();
    Formbox->BildSetzen(grund.isEmpty() ? Entwurfsbild() : BildPlatzhalter(grund));
    setWindowTitle(QStringLiteral("Pfeileditor"));
    Form_Resize();
    Formbox->update();
}
