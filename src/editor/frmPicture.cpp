#include "editor/frmPicture.h"

#include <QCoreApplication>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPromise>
#include <QThreadPool>
#include <QDateTime>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QShowEvent>
#include <cmath>
#include <limits>
#include <utility>

#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Fensterlage.h"
#include "alarms/Hauptwerte.h"
#include "alarms/Twips.h"
#include "editor/Bildansicht.h"
#include "editor/Bildflaeche.h"
#include "editor/BildlaufRechnung.h"
#include "editor/PfeilSteuerung.h"
#include "editor/PfeilText.h"
#include "editor/Pfeilliste.h"
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
constexpr int MaxElemente = Pfeilliste::MaxElemente;
static_assert(MaxElemente == std::numeric_limits<std::int16_t>::max());

PfeilBild Vorlage() {
    PfeilBild vorlage;
    vorlage.Left = Twips::ZuPixel(VorlageLinksTwips);
    vorlage.Top = Twips::ZuPixel(VorlageLinksTwips);
    vorlage.Width = Twips::ZuPixel(VorlageBreiteTwips);
    vorlage.Height = Twips::ZuPixel(VorlageHoeheTwips);
    return vorlage;
}

QString Feld(const AlarmRecord& r, int i) { return r.value(i); }

QPixmap DateiLaden(const QString& sWinPfad) {
    QPixmap pm;
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sWinPfad.toStdString()));
    if (!pfad.isEmpty() && QFile::exists(pfad))
        pm.load(pfad);
    return pm;
}

// What a decoded picture takes of the picture store.
qint64 KiB(const QPixmap& pm) { return std::max<qint64>(1, qint64(pm.width()) * pm.height() * std::max(1, pm.depth()) / 8 / 1024); }

// A file's size and times: a file written again differs in one of them.
QString Stempel(const QString& sWinPfad) {
    const QFileInfo info(QString::fromStdString(WinUmgebung::PfadAbbilden(sWinPfad.toStdString())));
    if (!info.isFile())
        return {};
    return QString::number(info.size()) + QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch()) +
           QLatin1Char('|') + QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
}

QPixmap SymbolPlatzhalter() {
    // drawn once: ten thousand arrows without their file share it
    static const QPixmap fertig = [] {
    QPixmap pm(32, 32);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawRect(1, 1, 30, 30);
    p.drawLine(6, 6, 26, 26);
    p.drawLine(26, 6, 6, 26);
    p.end();
    return pm;
    }();
    return fertig;
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

frmPicture::frmPicture(Hauptwerte& werte, QWidget* parent)
    : QWidget(parent), m_Werte(werte), m_Pfeile(std::make_unique<Pfeilliste>(Vorlage())) {
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
    Formbox = new Bildflaeche(m_Pfeile->Elemente, this);
    Formbox->BildSetzen(Entwurfsbild());
    Formbox->lower();  // the bars and the corner box lie above the picture
    m_Ansicht = new Bildansicht(*this, *Formbox, *BildlaufHorizontal, *Bildlaufvertikal, *picBlende, AutoBildlaufMs);
    connect(m_Ansicht, &Bildansicht::AutoBildlaufSchritt, this, &frmPicture::AutoBildlaufWeiter);
    connect(m_Ansicht, &Bildansicht::ZoomGeaendert, this,
            [this](double zoom) { emit StatusText(2, QStringLiteral("Zoom %1 %").arg(qRound(zoom * 100))); });
    m_Steuerung = new PfeilSteuerung(*this, m_Werte);
    m_Lader = new QThreadPool(this);
    m_Lader->setMaxThreadCount(1);
    connect(m_Steuerung, &PfeilSteuerung::StatusText, this, &frmPicture::StatusText);
    connect(m_Steuerung, &PfeilSteuerung::StatusMeldung, this, &frmPicture::StatusMeldung);
    connect(m_Steuerung, &PfeilSteuerung::BildfensterZeigen, this, &frmPicture::Zeigen);

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
        if (m_Wechsel || (gContMode != WAHR && gAllMode != WAHR) || i < 1 || i >= PfeilAnzahl())
            return;
        m_Pfeile->Ziehen = 0;
        // a copy: the pick rebuilds the arrow list
        const QString ident = imgPfeil(i).Ident;
        emit AlarmAnzeigen(ident);
    });
    connect(Formbox, &Bildflaeche::VorschlagVerschoben, this, &frmPicture::VorschlagVerschoben);
    connect(Formbox, &Bildflaeche::Geschoben, m_Ansicht, &Bildansicht::Schieben);
    Formbox->NummernSetzen(NummernGemerkt());
    connect(Formbox, &Bildflaeche::VorschlagDoppelklick, this, &frmPicture::VorschlagAnnehmen);
    m_SchubsUhr = new QTimer(this);
    m_SchubsUhr->setSingleShot(true);
    m_SchubsUhr->setInterval(SchubsenRuheMs);
    connect(m_SchubsUhr, &QTimer::timeout, this, &frmPicture::AusstehendesSchreiben);

    resize(Twips::ZuPixel(InnenBreiteTwips), Twips::ZuPixel(InnenHoeheTwips));
}

void frmPicture::Laden() { Form_Load(); }

frmPicture::~frmPicture() {
    // The box draws from the arrow list, which goes before the children do.
    delete Formbox;
    Formbox = nullptr;
}

// --- window events -------------------------------------------------------------

void frmPicture::Form_Load() {
    m_ImLaden = true;
    m_Werte.imgNeu = FALSCH;
    // Pending messages are not processed here: while it is being built the
    // window is not yet known to the main window, which would build a second one.
    resize(Twips::ZuPixel(22000), height());
    Form_Resize();
    PfeilActivate();
    m_ImLaden = false;
}

AlarmAuswahl* frmPicture::Komponente() const { return m_Werte.Auswahl; }

QRect frmPicture::AktivierungsPlatz() const {
    if (!m_Werte.AussenGroesseTwips)
        return m_Rahmen ? m_Rahmen->geometry() : QRect();
    const QSize aussen = m_Werte.AussenGroesseTwips();
    const double H = aussen.height();
    const double W = aussen.width();
    return QRect(0, Twips::ZuPixel(H / 3 - 150), Twips::ZuPixel(W - 350), std::max(0, Twips::ZuPixel(2 * H / 3 - 1500)));
}

void frmPicture::Form_Activate() {
    if (!m_Werte.AussenGroesseTwips || !m_Rahmen)
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
    emit Aktiv();
}

void frmPicture::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
    // The template is drawn with the box; it stays hidden unless made visible.
    const PfeilBild& vorlage = Formbox->imgPfeil.front();
    if (vorlage.Visible)
        Formbox->update(vorlage.Rechteck());
}

void frmPicture::Form_Resize() {
    m_Ansicht->BereicheSetzen();
    BildlaufHorizontal_Change();
    Bildlaufvertikal_Change();
    AnsichtZentrieren();
}

void frmPicture::BildlaufHorizontal_Change() { m_Ansicht->HorizontalGefolgt(); }
void frmPicture::Bildlaufvertikal_Change() { m_Ansicht->VertikalGefolgt(); }

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
    m_Ansicht->Zentrieren(links, oben);
}

// --- elements --------------------------------------------------------------------

int frmPicture::PfeilAnzahl() const { return m_Pfeile->Anzahl(); }
const PfeilBild& frmPicture::imgPfeil(int index) const { return m_Pfeile->at(index); }
PfeilBild& frmPicture::Element(int index) { return m_Pfeile->Element(index); }
QRect frmPicture::shpFocus() const { return Formbox->shpFocus; }
bool frmPicture::shpFocusVisible() const { return Formbox->shpFocusVisible; }

QPixmap frmPicture::SymbolHolen(const QString& sWinPfad, bool* geladen) {
    auto it = m_Symbole.find(sWinPfad);
    // Each pick looks at a symbol file again, and reads it again only when it changed.
    if (it != m_Symbole.end() && it->aktivierung != m_Aktivierung) {
        if (it->stempel != Stempel(sWinPfad)) {
            m_Symbole.erase(it);
            it = m_Symbole.end();
        } else {
            it->aktivierung = m_Aktivierung;
        }
    }
    if (it == m_Symbole.end())
        it = m_Symbole.insert(sWinPfad, {DateiLaden(sWinPfad), Stempel(sWinPfad), m_Aktivierung});
    *geladen = !it->bild.isNull();
    return *geladen ? it->bild : SymbolPlatzhalter();
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
    // A decode still under way belongs to the picture before: its result is dropped.
    const int lauf = ++m_BildLauf;
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sWinPfad.toStdString()));
    const QFileInfo info(pfad);
    // The same file unchanged since it was decoded is not decoded again: a
    // pick of another alarm on the picture shown costs no reading.
    const QString schluessel = pfad + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|') +
                               QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('|') +
                               QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
    if (!pfad.isEmpty() && info.isFile()) {
        if (const QPixmap* schon = m_Bilder.object(schluessel)) {
            m_BildPlatzhalter = false;
            Formbox->BildSetzen(*schon);
            return true;
        }
        // A large picture is decoded on a worker: the window takes its size from
        // the file's header at once (ranges, centring and arrows are right) and
        // its pixels when they are ready.
        QImageReader kopf(pfad);
        const QSize groesse = kopf.size();
        if (groesse.isValid() && qint64(groesse.width()) * groesse.height() >= BildImHintergrundAb) {
            m_BildPlatzhalter = false;
            Formbox->BildAusstehend(groesse);
            auto versprechen = std::make_shared<QPromise<QImage>>();
            QFuture<QImage> zukunft = versprechen->future();
            versprechen->start();
            auto* beobachter = new QFutureWatcher<QImage>(this);
            connect(beobachter, &QFutureWatcherBase::finished, this, [this, beobachter, lauf, schluessel, sWinPfad] {
                beobachter->deleteLater();
                if (lauf != m_BildLauf || beobachter->future().resultCount() < 1)
                    return;
                BildAnkommen(beobachter->future().result(), schluessel, sWinPfad);
            });
            beobachter->setFuture(zukunft);
            m_Lader->start([versprechen, pfad] {
                QImageReader leser(pfad);
                QImage bild = leser.read();
                // In the form a pixmap of this screen keeps, so taking it over on
                // the window's thread copies nothing.
                if (!bild.isNull()) {
                    const auto form = bild.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
                    bild = std::move(bild).convertToFormat(form);
                }
                versprechen->addResult(std::move(bild));
                versprechen->finish();
            });
            return true;
        }
    }
    QPixmap pm = DateiLaden(sWinPfad);
    m_BildPlatzhalter = pm.isNull();
    Formbox->BildSetzen(m_BildPlatzhalter ? BildPlatzhalter(QStringLiteral("Bild nicht vorhanden:\n") + sWinPfad) : pm);
    if (!m_BildPlatzhalter)
        m_Bilder.insert(schluessel, new QPixmap(pm), KiB(pm));
    return !m_BildPlatzhalter;
}

void frmPicture::BildAnkommen(QImage bild, const QString& schluessel, const QString& sWinPfad) {
    const QSize vorher = Formbox->BildGroesse();
    if (bild.isNull()) {
        m_BildPlatzhalter = true;
        Formbox->BildSetzen(BildPlatzhalter(QStringLiteral("Bild nicht vorhanden:\n") + sWinPfad));
    } else {
        const QPixmap pm = QPixmap::fromImage(std::move(bild));
        m_Bilder.insert(schluessel, new QPixmap(pm), KiB(pm));
        Formbox->BildSetzen(pm);
    }
    // Only a file whose pixels do not match its header changes the ranges.
    if (Formbox->BildGroesse() != vorher)
        BildNeuZeichnen();
}

bool frmPicture::BildImLaden() const { return Formbox->BildFehlt(); }

void frmPicture::BildNeuZeichnen() {
    Form_Resize();
    Formbox->update();
}

void frmPicture::FocusRect(std::int16_t AktImgPfeilIndex) {
    if (AktImgPfeilIndex < 0 || AktImgPfeilIndex >= PfeilAnzahl())
        return;
    m_Pfeile->Gerahmt = AktImgPfeilIndex;
    Formbox->ObenSetzen(AktImgPfeilIndex);
    const PfeilBild& a = imgPfeil(AktImgPfeilIndex);
    Formbox->FokusSetzen(QRect(a.Left, a.Top, a.Width + 5, a.Height + 5));
}

void frmPicture::BildZeigen(const QString& form, const QString& datei) {
    const AlarmAuswahl* k = Komponente();
    BildLaden((k ? k->BilderPath() : QString()) + QStringLiteral("\\") + form + QStringLiteral("\\") + datei);
    setBildForm(form);
}

QPixmap frmPicture::SymbolFuer(const QString& symbol, bool* geladen) {
    const AlarmAuswahl* k = Komponente();
    const QString ordner = k ? k->SymbolPath() : QString();
    return SymbolHolen(ordner + QStringLiteral("\\") + (symbol.isEmpty() ? QStringLiteral("PfeilLeer.gif") : symbol),
                       geladen);
}

void frmPicture::PfeilLaden(const AlarmRecord& record) {
    if (const int i = m_Pfeile->Laden(record, [this](const QString& symbol, bool* geladen) {
            return SymbolFuer(symbol, geladen);
        }))
        mAktPfeilIndex = static_cast<std::int16_t>(i);
}

int frmPicture::PfeilFuerAlarmOhneBild(const AlarmRecord& alarm) {
    PfeileLeeren();
    mAktAlarm = alarm;
    PfeilLaden(alarm);
    const int i = PfeilAnzahl() - 1;
    if (i < 1)
        return 0;
    m_Pfeile->Beschriften(i, alarm);
    FocusRect(static_cast<std::int16_t>(i));
    return i;
}

void frmPicture::PfeileLeeren() {
    ++m_Aufbau;
    m_AufbauNaechster = 0;
    auto alt = std::make_shared<std::vector<PfeilBild>>(m_Pfeile->Leeren());
    // Ten thousand arrows with their rows take the window's thread a frame to
    // free: their texts and rows are freed on a worker; the images stay here.
    if (alt->size() > FreigebenAb) {
        const QPixmap leer;
        for (PfeilBild& a : *alt)
            a.Picture = leer;
        QThreadPool::globalInstance()->start([alt = std::move(alt)]() mutable { alt.reset(); });
    }
    Formbox->Freigeben();
    Formbox->Oben = 0;
    m_Ansicht->AutoBildlaufStoppen();
    Formbox->update();
}

void frmPicture::AufbauWeiter(int aufbau, int teil, bool nachZeit) {
    if (aufbau != m_Aufbau || m_AufbauNaechster < 1)
        return;
    const auto symbole = [this](const QString& symbol, bool* geladen) { return SymbolFuer(symbol, geladen); };
    int gebaut = 0;
    QElapsedTimer uhr;
    uhr.start();
    // A part run by the event loop also ends when its time is up; the one built
    // with the pick ends by its count alone.
    while (m_AufbauNaechster < PfeilAnzahl() && gebaut < teil) {
        if (m_Pfeile->Aufbauen(m_AufbauNaechster++, symbole))
            ++gebaut;
        if (nachZeit && gebaut > 0 && gebaut % 32 == 0 && uhr.elapsed() >= AufbauTeilMs)
            break;
    }
    if (gebaut > 0)
        Formbox->update();
    if (m_AufbauNaechster < PfeilAnzahl())
        QTimer::singleShot(0, this, [this, aufbau] { AufbauWeiter(aufbau, AufbauTeil, true); });
    else
        m_AufbauNaechster = 0;
}

void frmPicture::AufbauAbschliessen() {
    AufbauWeiter(m_Aufbau, std::numeric_limits<int>::max());
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
    if (!m_ImLaden && m_Pfeile->Ziehen > 0)
        ZiehenAbbrechen();
    const QScopedValueRollback<bool> wechsel(m_Wechsel, true);
    // A name padded by a column of fixed width: no picture's folder ends in a blank.
    QString bild = form;
    while (bild.endsWith(QLatin1Char(' ')))
        bild.chop(1);
    BildLaden(k->BilderPath() + QStringLiteral("\\") + bild + QStringLiteral("\\") + bild + QStringLiteral(".bmp"));
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

    auto beschriften = [this](int i, const AlarmRecord& rec) { m_Pfeile->Beschriften(i, rec); };
    if (gSingleMode == WAHR) {
        PfeileLeeren();
        PfeilLaden(r);
        FocusRect(1);
        beschriften(1, r);
    } else if (gContMode == WAHR) {
        // An alarm whose arrow the picture shows already (picked again, or by a
        // double click on its arrow) gets no second arrow on top of the first:
        // its own is framed.
        AufbauAbschliessen();
        if (const int schonDa = m_Pfeile->Finden(r)) {
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
        m_Pfeile->Elemente.reserve(static_cast<std::size_t>(std::min<qsizetype>(liste.size(), MaxElemente)) + 1);
        const QString ident = Feld(r, AlarmFeld::Ident);
        // Every arrow takes its row now and stays hidden; the picked alarm's
        // own arrow stands first, the others follow a part per turn of the
        // event loop, so ten thousand arrows never hold the window.
        int eigener = 0;
        for (const AlarmRecord& R : liste) {
            const int i = m_Pfeile->Vormerken(R);
            if (!i)
                break;
            if (Feld(R, AlarmFeld::Ident) == ident)
                eigener = i;
        }
        const int n = PfeilAnzahl() - 1;
        if (n > 0)
            mAktPfeilIndex = static_cast<std::int16_t>(n);
        if (eigener) {
            m_Pfeile->Aufbauen(eigener, [this](const QString& symbol, bool* geladen) {
                return SymbolFuer(symbol, geladen);
            });
            FocusRect(static_cast<std::int16_t>(eigener));
        }
        m_AufbauNaechster = n > 0 ? 1 : 0;
        AufbauWeiter(m_Aufbau, std::min(AufbauTeil, ErsterAufbauTeil));
        if (n > 0)
            emit StatusText(1, PfeilText::Anzahl(n));
    } else {
        Dialoge::aktuell().Meldung(this, QStringLiteral("Kein Anzeige-Modus gesetzt"));
    }
    emit Aktiv();
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
        m_Pfeile->Ziehen = Index;
        m_ZiehenAbgebrochen = false;
        FocusRect(Index);
    } else if (Button == 2 && gSingleMode == WAHR) {
        emit PfeilMenuZeigen(globalPos);
    }
}

void frmPicture::Formbox_MouseDown(int Button, int, double, double, const QPoint& globalPos) {
    if (Button == 2 && gSingleMode == WAHR && !m_Wechsel)
        emit AlarmMenuZeigen(globalPos);
}

void frmPicture::imgPfeil_MouseMove(std::int16_t Index, int Button, int, double X, double Y) {
    if (m_Wechsel || Index < 1 || Index >= PfeilAnzahl())
        return;
    if (Button == 1 && !(m_ZiehenAbgebrochen && Index == m_Pfeile->Ziehen))
        Ziehschritt(Index, X, Y);
    ToolTipNeu(Index);
}

void frmPicture::LageMelden(const PfeilBild& a) {
    emit StatusText(2, QStringLiteral("X = ") + PfeilText::Zahl(a.Left) + QStringLiteral(" Y = ") +
                           PfeilText::Zahl(a.Top));
}

void frmPicture::Ziehschritt(int index, double X, double Y) {
    PfeilBild& a = Element(index);
    const QRect vorher = a.Rechteck();
    // Positions stay whole pixels; the arrow is not held inside the picture.
    a.Left = static_cast<int>(std::lround(a.Left + X / Twips::ProPixel - mGriffX));
    a.Top = static_cast<int>(std::lround(a.Top + Y / Twips::ProPixel - mGriffY));
    Formbox->PfeilNeuZeichnen(index, vorher);
    Formbox->FokusSetzen(QRect(a.Left, a.Top, a.Width + 5, a.Height + 5));
    LageMelden(a);
    m_Ansicht->NachZiehschritt(Formbox->shpFocus.x() + mGriffX, Formbox->shpFocus.y() + mGriffY,
                               m_Pfeile->Ziehen == index);
}

void frmPicture::AutoBildlaufWeiter() {
    const int i = m_Pfeile->Ziehen;
    if (i < 1 || i >= PfeilAnzahl() || m_ZiehenAbgebrochen || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        m_Ansicht->AutoBildlaufStoppen();
        return;
    }
    // A drag step with the pointer where it rests: the arrow goes along with the view.
    const QPointF p = Formbox->ZuBild(Formbox->mapFromGlobal(Formbox->LetzteMausGlobal));
    const PfeilBild& a = imgPfeil(i);
    Ziehschritt(i, Twips::ZuTwips(p.x() - a.Left), Twips::ZuTwips(p.y() - a.Top));
}

void frmPicture::ToolTipNeu(int index) { m_Pfeile->ToolTipNeu(index); }

void frmPicture::imgPfeil_MouseUp(std::int16_t Index, int Button, int, double, double) {
    if (m_Wechsel || Button != 1 || Index < 1 || Index >= PfeilAnzahl())
        return;
    m_Ansicht->AutoBildlaufStoppen();
    const bool abgebrochen = m_ZiehenAbgebrochen && Index == m_Pfeile->Ziehen;
    m_Pfeile->Ziehen = 0;
    m_ZiehenAbgebrochen = false;
    ToolTipNeu(Index);
    // A drag cancelled with Esc writes nothing.
    if (abgebrochen)
        return;
    PfeilSchreiben(Index, imgPfeil(Index).Rechteck().topLeft() != m_DruckStelle);
}

void frmPicture::PfeilSchreiben(int index, bool bewegt) {
    const auto teile = PfeilText::TagTeile(imgPfeil(index).Tag).value_or(std::make_pair(QString(), QString()));
    m_Steuerung->PfeilSchreiben(index, bewegt,
                                QStringLiteral("Pfeil von Alarm %1 verschieben").arg(teile.first.trimmed()));
}

void frmPicture::ZiehenAbbrechen() {
    const int i = m_Pfeile->Ziehen;
    if (i < 1 || i >= PfeilAnzahl() || m_ZiehenAbgebrochen)
        return;
    m_Ansicht->AutoBildlaufStoppen();
    m_ZiehenAbgebrochen = true;
    PfeilBild& a = Element(i);
    const QRect vorher = a.Rechteck();
    a.Left = m_DruckStelle.x();
    a.Top = m_DruckStelle.y();
    Formbox->PfeilNeuZeichnen(i, vorher);
    FocusRect(static_cast<std::int16_t>(i));
    ToolTipNeu(i);
    emit StatusText(1, QStringLiteral("Ziehen abgebrochen; nichts in die DB geschrieben."));
    emit StatusText(2, QString());
}

// --- keys, wheel, zoom ---------------------------------------------------------------

void frmPicture::keyPressEvent(QKeyEvent* e) {
    if (m_Wechsel)
        return;
    if (e->key() == Qt::Key_Escape && m_Pfeile->Ziehen > 0) {
        ZiehenAbbrechen();
        return;
    }
    if (m_Ansicht->Taste(e))
        return;
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
    if (!e->isAutoRepeat() && m_Pfeile->Geschubst > 0)
        m_SchubsUhr->start();
    QWidget::keyReleaseEvent(e);
}

void frmPicture::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    Formbox->LeertasteSetzen(false);
    AusstehendesSchreiben();
}

void frmPicture::Schubsen(int dx, int dy) {
    const int i = m_Pfeile->Gerahmt;
    if (i < 1 || i >= PfeilAnzahl() || !Formbox->shpFocusVisible || m_Pfeile->Ziehen > 0)
        return;
    m_SchubsUhr->stop();
    if (m_Pfeile->Geschubst != i) {
        AusstehendesSchreiben();
        m_Pfeile->Geschubst = i;
        m_SchubsStart = imgPfeil(i).Rechteck().topLeft();
    }
    PfeilBild& a = Element(i);
    const QRect vorher = a.Rechteck();
    a.Left += dx;
    a.Top += dy;
    Formbox->PfeilNeuZeichnen(i, vorher);
    FocusRect(static_cast<std::int16_t>(i));
    ToolTipNeu(i);
    LageMelden(a);
    // The arrow moved by keys stays inside the visible part of the picture.
    m_Ansicht->InSichtHalten(imgPfeil(i).Rechteck());
}

void frmPicture::AusstehendesSchreiben() {
    m_SchubsUhr->stop();
    const int i = m_Pfeile->Geschubst;
    m_Pfeile->Geschubst = 0;
    if (i < 1 || i >= PfeilAnzahl())
        return;
    PfeilSchreiben(i, imgPfeil(i).Rechteck().topLeft() != m_SchubsStart);
}

void frmPicture::wheelEvent(QWheelEvent* e) { m_Ansicht->Rad(e); }

double frmPicture::Zoom() const { return m_Ansicht->Zoom(); }
void frmPicture::Einpassen() { m_Ansicht->Einpassen(); }

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

void frmPicture::ZoomSchritt(int richtung, std::optional<QPoint> anker) { m_Ansicht->ZoomSchritt(richtung, anker); }
void frmPicture::ZoomSetzen(double zoom, const QPoint& anker) { m_Ansicht->ZoomSetzen(zoom, anker); }

void frmPicture::PfeilZuruecksetzen(int index) {
    if (!m_Pfeile->IstPfeil(index))
        return;
    const QRect vorher = imgPfeil(index).Rechteck();
    if (!m_Pfeile->Zuruecksetzen(index, [this](const QString& symbol, bool* geladen) {
            return SymbolFuer(symbol, geladen);
        }))
        return;
    const PfeilBild& a = imgPfeil(index);
    Formbox->PfeilNeuZeichnen(index, vorher);
    if (Formbox->shpFocusVisible && Formbox->shpFocus.topLeft() == vorher.topLeft())
        FocusRect(static_cast<std::int16_t>(index));
    // panel 2 shows where the arrow stands, not where the refused write would have put it
    LageMelden(a);
}

void frmPicture::ZeilenAktualisieren(const QList<Zeilenstand>& alle) {
    // only the rows of this picture's arrows and the picked alarm are indexed
    const QList<Zeilenstand> staende = m_Pfeile->Betroffene(alle, mAktAlarm ? &*mAktAlarm : nullptr);
    if (staende.isEmpty())
        return;
    const auto nachNummer = Zeilenstand::NachNummer(staende);
    if (mAktAlarm)
        Zeilenstand::Anwenden(staende, nachNummer, *mAktAlarm);
    bool entfernt = false;
    for (const Pfeilliste::Folge& f : m_Pfeile->Abgleichen(staende, nachNummer)) {
        if (!f.entfernen) {
            PfeilZuruecksetzen(f.index);
            continue;
        }
        // Its alarm lies on another picture now: this arrow no longer stands for it.
        Formbox->PfeilEntfernen(f.index);
        m_Pfeile->NachEntfernen(f.index);
        if (m_AufbauNaechster > f.index)
            --m_AufbauNaechster;
        entfernt = true;
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
    ++m_BildLauf;  // a picture still being decoded no longer comes
    Formbox->BildSetzen(grund.isEmpty() ? Entwurfsbild() : BildPlatzhalter(grund));
    setWindowTitle(QStringLiteral("Pfeileditor"));
    Form_Resize();
    Formbox->update();
}
