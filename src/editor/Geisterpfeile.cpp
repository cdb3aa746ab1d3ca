#include "editor/Geisterpfeile.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QThreadPool>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "editor/Bildflaeche.h"
#include "editor/frmPicture.h"

namespace {
const std::vector<Geisterpfeile::Geist> kKeine;
constexpr QSize kOhneSymbol(16, 16);
}  // namespace

Geisterpfeile::Geisterpfeile(frmPicture* bild, SymbolLader lader) : QWidget(bild->Formbox), m_flaeche(bild->Formbox), m_lader(std::move(lader)) {
    Anhaengen();
    m_form = bild->BildForm();
    connect(bild, &frmPicture::BildGezeigt, this, &Geisterpfeile::FormSetzen);
}

Geisterpfeile::Geisterpfeile(Bildflaeche* flaeche, SymbolLader lader) : QWidget(flaeche), m_flaeche(flaeche), m_lader(std::move(lader)) {
    Anhaengen();
}

void Geisterpfeile::Anhaengen() {
    connect(m_flaeche, &Bildflaeche::PfeilGeaendert, this, &Geisterpfeile::PfeilGeaendert);
    setObjectName(QStringLiteral("Geisterpfeile"));
    // Drawn over the arrows, clicks go through to them.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(m_flaeche->rect());
    m_flaeche->installEventFilter(this);
    show();
    raise();
}

namespace {
// Lets go of ghosts on a worker: freeing a hundred thousand holds the window.
template <typename T>
void Weglegen(T& daten) {
    QThreadPool::globalInstance()->start([weg = std::exchange(daten, T())]() mutable { weg = T(); });
}
}  // namespace

Geisterpfeile::Gruppen Geisterpfeile::Gruppieren(std::vector<Geist> geister) {
    QHash<QString, std::shared_ptr<Gruppe>> jeForm;
    for (Geist& g : geister) {
        std::shared_ptr<Gruppe>& gruppe = jeForm[g.form];
        if (!gruppe)
            gruppe = std::make_shared<Gruppe>();
        if (g.hier)
            gruppe->verbunden.insert(g.ident);
        gruppe->geister.push_back(std::move(g));
    }
    Gruppen gruppen;
    gruppen.reserve(jeForm.size());
    for (auto it = jeForm.begin(); it != jeForm.end(); ++it)
        gruppen.insert(it.key(), std::move(*it));
    return gruppen;
}

void Geisterpfeile::Setzen(std::vector<Geist> geister) {
    const quint64 satz = ++m_satz;
    if (geister.size() <= SofortHoechstens) {
        // a picture's worth (ten thousand) is sorted in a millisecond or two
        m_satzUnterwegs = false;
        Uebernehmen(Gruppieren(std::move(geister)));
        return;
    }
    // the ghosts shown so far stay until the new ones are sorted and drawn
    m_satzUnterwegs = true;
    const QPointer<Geisterpfeile> ziel(this);
    QThreadPool::globalInstance()->start([geister = std::move(geister), satz, ziel]() mutable {
        auto gruppen = std::make_shared<Gruppen>(Gruppieren(std::move(geister)));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [ziel, satz, gruppen]() mutable {
                if (ziel && satz == ziel->m_satz) {
                    ziel->m_satzUnterwegs = false;
                    ziel->Uebernehmen(std::move(*gruppen));
                    emit ziel->SatzUebernommen();
                }
                // a set replaced meanwhile is dropped, and let go of where it was made
                Weglegen(*gruppen);
            },
            Qt::QueuedConnection);
    });
}

void Geisterpfeile::Uebernehmen(Gruppen gruppen) {
    std::swap(m_jeForm, gruppen);
    if (!gruppen.isEmpty())
        Weglegen(gruppen);
    IdenteMerken();
    // the ghosts shown so far stay until the new ones are drawn
    EbeneVerwerfen();
    if (Gezeigt().empty()) {
        m_ebeneZeigen = false;
        if (m_flaeche)
            m_flaeche->UntergrundSetzen({}, 0, 1.0, this);
    }
    update();
    if (m_flaeche)
        m_flaeche->update();
}

void Geisterpfeile::IdenteMerken() {
    const auto it = m_jeForm.constFind(m_form);
    m_identeGezeigt = it == m_jeForm.constEnd() ? QSet<QString>() : (*it)->verbunden;
}

void Geisterpfeile::FormSetzen(const QString& form) {
    m_form = form;
    IdenteMerken();
    EbeneVerwerfen();
    // another picture's ghosts are not shown on this one while its own are drawn
    m_ebeneZeigen = false;
    if (m_flaeche) {
        m_flaeche->UntergrundSetzen({}, 0, 1.0, this);
        m_flaeche->update();
    }
    update();
}

const std::vector<Geisterpfeile::Geist>& Geisterpfeile::Gezeigt() const {
    auto it = m_jeForm.constFind(m_form);
    return it == m_jeForm.constEnd() ? kKeine : (*it)->geister;
}

QHash<QString, QImage> Geisterpfeile::BlasseBilder(const std::vector<Geist>& geister) {
    for (const Geist& g : geister)
        if (!m_blassBilder.contains(g.symbol))
            m_blassBilder.insert(g.symbol, BlassesBild(g.symbol).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return m_blassBilder;
}

const QPixmap& Geisterpfeile::BlassesBild(const QString& symbol) {
    auto it = m_bilder.constFind(symbol);
    if (it != m_bilder.constEnd())
        return *it;
    const QPixmap voll = m_lader ? m_lader(symbol) : QPixmap();
    QPixmap blass(voll.isNull() ? kOhneSymbol : voll.size());
    blass.fill(Qt::transparent);
    if (!voll.isNull()) {
        // made pale once, so a frame of thousands draws plain copies
        QPainter p(&blass);
        p.setOpacity(Blass);
        p.drawPixmap(0, 0, voll);
    }
    return *m_bilder.insert(symbol, blass);
}

QRect Geisterpfeile::Rechteck(const Geist& g) const {
    auto it = m_bilder.constFind(g.symbol);
    const QSize groesse = it == m_bilder.constEnd() ? kOhneSymbol : it->size();
    return m_flaeche ? m_flaeche->ZuSchirm(QRect(g.pos, groesse)) : QRect(g.pos, groesse);
}

QString Geisterpfeile::GeistAn(const QPoint& punkt) const {
    const std::vector<Geist>& g = Gezeigt();
    // the topmost, drawn last
    for (auto it = g.rbegin(); it != g.rend(); ++it)
        if (Rechteck(*it).contains(punkt))
            return it->ident;
    return {};
}

namespace {
// The layer's bits and row length; deckend is set on an opaque copy of the
// picture, so that a blended pixel stays opaque.
struct Ebene {
    QRgb* bits;
    qsizetype zeile;
    int breite, hoehe;
    QRgb deckend;
    explicit Ebene(QImage& bild)
        : bits(reinterpret_cast<QRgb*>(bild.bits())), zeile(bild.bytesPerLine() / 4), breite(bild.width()), hoehe(bild.height()),
          deckend(bild.hasAlphaChannel() ? 0 : 0xff000000u) {}
};
// One pixel of a premultiplied colour over the layer.
inline void Mischen(QRgb& d, QRgb farbe, QRgb deckend) {
    const uint a = 256 - qAlpha(farbe);
    d = (farbe + (((d & 0xff00ff) * a >> 8) & 0xff00ff) + ((((d >> 8) & 0xff00ff) * a) & 0xff00ff00)) | deckend;
}
inline void Punkt(Ebene& ebene, int x, int y, QRgb farbe) {
    if (x < 0 || y < 0 || x >= ebene.breite || y >= ebene.hoehe)
        return;
    Mischen(ebene.bits[y * ebene.zeile + x], farbe, ebene.deckend);
}

// A line by Bresenham; strich > 0 leaves gaps for a dashed outline.
void Linie(Ebene& ebene, QPoint a, QPoint b, QRgb farbe, int strich = 0) {
    const int dx = std::abs(b.x() - a.x()), dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1, sy = a.y() < b.y() ? 1 : -1;
    int fehler = dx + dy, i = 0;
    for (int x = a.x(), y = a.y();; ++i) {
        if (!strich || (i / strich) % 2 == 0)
            Punkt(ebene, x, y, farbe);
        if (x == b.x() && y == b.y())
            break;
        const int f2 = 2 * fehler;
        if (f2 >= dy) {
            fehler += dy;
            x += sx;
        }
        if (f2 <= dx) {
            fehler += dx;
            y += sy;
        }
    }
}

void Rahmen(Ebene& ebene, const QRect& r, QRgb farbe) {
    Linie(ebene, r.topLeft(), r.topRight(), farbe, 3);
    Linie(ebene, r.topRight(), r.bottomRight(), farbe, 3);
    Linie(ebene, r.bottomRight(), r.bottomLeft(), farbe, 3);
    Linie(ebene, r.bottomLeft(), r.topLeft(), farbe, 3);
}

// Above this many pixels (a large picture at a high zoom) the layer over the
// box covers the part in view only.
constexpr qint64 EbeneHoechstens = 12'000'000;

using Geist = Geisterpfeile::Geist;

// A ghost to draw: where it lies and where this side's arrow is now.
struct Gewaehlt {
    const Geist* g;
    QRect r;
    std::optional<QPoint> hier;
};

// Plain data in and out, so a worker can draw them.
struct Zeichner {
    const std::vector<Geist>& geister;
    const QHash<QString, QImage>& bilder;
    double zoom;
    QHash<QString, QPoint> jetzt;  // this side's arrows moved since the comparison

    QRect ZuSchirm(const QRect& bild) const {
        if (zoom == 1.0)
            return bild;
        return QRectF(QPointF(bild.topLeft()) * zoom, QSizeF(bild.size()) * zoom).toAlignedRect();
    }
    QImage Bild(const QString& symbol) const {
        const auto it = bilder.constFind(symbol);
        return it == bilder.constEnd() ? QImage() : *it;
    }

    // The ghosts that touch bereich (screen pixels), and the area they draw on.
    std::vector<Gewaehlt> Waehlen(const QRect& bereich, QRect* flaeche) const {
        std::vector<Gewaehlt> zeigen;
        zeigen.reserve(geister.size());
        for (const Geist& g : geister) {
            const QImage bild = Bild(g.symbol);
            const QSize groesse = bild.isNull() ? kOhneSymbol : bild.size();
            const QRect r = ZuSchirm(QRect(g.pos, groesse));
            std::optional<QPoint> hier = g.hier;
            if (hier && !jetzt.isEmpty())
                hier = jetzt.value(g.ident, *hier);
            QRect huelle = r;
            if (hier)
                huelle = huelle.united(ZuSchirm(QRect(*hier, groesse)));
            if (!huelle.adjusted(-2, -2, 2, 2).intersects(bereich))
                continue;
            zeigen.push_back({&g, r, hier});
            *flaeche = flaeche->united(huelle.adjusted(-2, -2, 2, 2));
        }
        return zeigen;
    }

    // The chosen ghosts into ziel, whose top left lies at -versatz.
    void Einzeichnen(QImage& ziel, const std::vector<Gewaehlt>& zeigen, QPoint versatz) const {
        // Lines and outlines are set pixel by pixel: the raster engine hands
        // each line to its helper threads, which costs far more than the line
        // itself when there are thousands.
        Ebene e1(ziel);
        const QRgb linie = qPremultiply(qRgba(40, 90, 200, 160));
        for (const Gewaehlt& w : zeigen)
            if (w.hier && *w.hier != w.g->pos) {
                const QRect eigenes = ZuSchirm(QRect(*w.hier, w.r.size() / zoom));
                Linie(e1, eigenes.center() + versatz, w.r.center() + versatz, linie);
            }
        if (zoom == 1.0) {
            // at 100 % each pale symbol is laid over the layer pixel by pixel: a
            // painter call per symbol costs more than its 256 pixels
            for (const Gewaehlt& w : zeigen) {
                const QImage bild = Bild(w.g->symbol);
                const QPoint o = w.r.topLeft() + versatz;
                // clipped to the layer once per symbol, not per pixel
                const int x0 = std::max(0, -o.x()), x1 = std::min(bild.width(), e1.breite - o.x());
                const int y0 = std::max(0, -o.y()), y1 = std::min(bild.height(), e1.hoehe - o.y());
                for (int y = y0; y < y1; ++y) {
                    const auto* quelle = reinterpret_cast<const QRgb*>(bild.constScanLine(y));
                    QRgb* zeile = e1.bits + (o.y() + y) * e1.zeile + o.x();
                    for (int x = x0; x < x1; ++x)
                        if (const QRgb farbe = quelle[x]; qAlpha(farbe))
                            Mischen(zeile[x], farbe, e1.deckend);
                }
            }
        } else {
            QPainter p(&ziel);
            for (const Gewaehlt& w : zeigen)
                if (const QImage bild = Bild(w.g->symbol); !bild.isNull())
                    p.drawImage(w.r.translated(versatz), bild);
        }
        const QRgb blau = qRgb(40, 90, 200), rot = qRgb(220, 0, 0);
        Ebene e2(ziel);  // the painter is done: the bits are where they were
        for (const Gewaehlt& w : zeigen) {
            const QRect a = w.r.translated(versatz).adjusted(0, 0, -1, -1);
            Rahmen(e2, a, w.g->konflikt ? rot : blau);
            if (w.g->konflikt)
                Rahmen(e2, a.adjusted(1, 1, -1, -1), rot);
        }
    }

    // A transparent layer of the ghosts that touch bereich; ab is where its
    // top left lies. Null when none touches it.
    QImage Schicht(const QRect& bereich, QPoint* ab) const {
        QRect flaeche;
        const std::vector<Gewaehlt> zeigen = Waehlen(bereich, &flaeche);
        flaeche &= bereich;
        if (flaeche.isEmpty())
            return {};
        *ab = flaeche.topLeft();
        QImage ebene(flaeche.size(), QImage::Format_ARGB32_Premultiplied);
        ebene.fill(Qt::transparent);
        Einzeichnen(ebene, zeigen, -flaeche.topLeft());
        return ebene;
    }

    // The picture at this zoom on its ground, with the ghosts blended in: opaque,
    // so the box copies it as it copies the picture alone.
    QImage Kopie(const QImage& bild, const QColor& grund, QSize groesse) const {
        QImage kopie(groesse, QImage::Format_RGB32);
        kopie.fill(grund);
        {
            QPainter p(&kopie);
            // scaled without smoothing, as the box scales the picture
            p.drawImage(QRectF(QPointF(0, 0), QSizeF(bild.size()) * zoom), bild, QRectF(bild.rect()));
        }
        QRect flaeche;
        Einzeichnen(kopie, Waehlen(kopie.rect(), &flaeche), {});
        return kopie;
    }
};

QHash<QString, QPoint> Karte(const Geisterpfeile::HierListe& hier) {
    QHash<QString, QPoint> karte;
    karte.reserve(static_cast<qsizetype>(hier.size()));
    for (const auto& [ident, pos] : hier)
        karte.insert(ident, pos);
    return karte;
}
}  // namespace

bool Geisterpfeile::Eingeblendet() const {
    if (!m_flaeche || m_flaeche->Bild().isNull())
        return false;
    const QSize s = m_flaeche->Bild().size();
    return static_cast<qint64>(s.width()) * s.height() <= KopieHoechstens;
}

void Geisterpfeile::EbeneVerwerfen() {
    m_ebeneGueltig = false;
    ++m_generation;
}

void Geisterpfeile::Pruefen(bool bestellen) {
    if (!m_flaeche)
        return;
    if (Gezeigt().empty()) {
        m_flaeche->UntergrundSetzen({}, 0, 1.0, this);
        return;
    }
    const double zoom = m_flaeche->Zoom();
    const qint64 bild = m_flaeche->BildSchluessel();
    if (m_ebeneZoom != zoom || m_ebeneGroesse != m_flaeche->size() || m_ebeneBild != bild) {
        EbeneVerwerfen();
        if (m_ebeneBild != bild) {
            // another picture shows nothing of the ghosts drawn on this one
            m_flaeche->UntergrundSetzen({}, 0, 1.0, this);
            m_ebeneZeigen = false;
        } else if (!Eingeblendet()) {
            // a layer of another zoom would put every ghost in the wrong place;
            // a copy of the picture is scaled with it until the new one comes
            m_ebeneZeigen = false;
        }
        m_ebeneZoom = zoom;
        m_ebeneGroesse = m_flaeche->size();
        m_ebeneBild = bild;
    }
    if (!Eingeblendet())
        m_flaeche->UntergrundSetzen({}, 0, 1.0, this);
    if (bestellen && !m_ebeneGueltig)
        EbeneBestellen();
}

QRect Geisterpfeile::Bereich() const {
    if (static_cast<qint64>(width()) * height() <= EbeneHoechstens)
        return rect();
    const QRect sicht = visibleRegion().boundingRect().united(m_freigelegt);
    // as much again around it as the bound allows, so a scroll of half a view
    // still finds its ghosts drawn
    int rx = sicht.width() / 2, ry = sicht.height() / 2;
    while ((rx > 0 || ry > 0) &&
           static_cast<qint64>(sicht.width() + 2 * rx) * (sicht.height() + 2 * ry) > EbeneHoechstens) {
        rx /= 2;
        ry /= 2;
    }
    return sicht.adjusted(-rx, -ry, rx, ry) & rect();
}

void Geisterpfeile::paintEvent(QPaintEvent* e) {
    if (!m_flaeche || Gezeigt().empty() || Eingeblendet())
        return;
    if (static_cast<qint64>(width()) * height() > EbeneHoechstens) {
        // a part beyond the kept layer is exposed: the layer of the part now in
        // view is ordered, the kept one shows what it holds meanwhile
        m_freigelegt = e->rect();
        if (m_ebeneGueltig && !m_ebeneBereich.contains(e->rect()))
            EbeneVerwerfen();
    }
    Pruefen(true);
    if (!m_ebeneZeigen || m_ebene.isNull())
        return;
    const QRect ziel = QRect(m_ebeneAb, m_ebene.size()) & e->rect();
    if (!ziel.isEmpty())
        QPainter(this).drawImage(ziel.topLeft(), m_ebene, ziel.translated(-m_ebeneAb));
}

Geisterpfeile::HierListe Geisterpfeile::EigenePfeile() const {
    HierListe hier;
    if (!m_flaeche)
        return hier;
    for (std::size_t i = 1; i < m_flaeche->imgPfeil.size(); ++i) {
        const PfeilBild& a = m_flaeche->imgPfeil[i];
        if (a.Visible && m_identeGezeigt.contains(a.Ident))
            hier.emplace_back(a.Ident, QPoint(a.Left, a.Top));
    }
    return hier;
}

void Geisterpfeile::PfeilGeaendert(int index) {
    if (!m_flaeche || index < 1 || index >= static_cast<int>(m_flaeche->imgPfeil.size()))
        return;
    if (!m_identeGezeigt.contains(m_flaeche->imgPfeil[static_cast<std::size_t>(index)].Ident))
        return;
    // the line to it moves: the old ghosts stay until the new ones are drawn
    EbeneVerwerfen();
    if (Eingeblendet())
        Pruefen(true);
    else
        update();
}

void Geisterpfeile::EbeneBestellen() {
    const auto it = m_jeForm.constFind(m_form);
    if (m_bestellt || !m_flaeche || it == m_jeForm.constEnd())
        return;
    const bool kopie = Eingeblendet();
    const QRect bereich = kopie ? rect() : Bereich();
    // nothing of the box in view yet: its first repaint orders the layer
    if (bereich.isEmpty())
        return;
    m_bestellt = true;
    // shares the group, the worker reads its ghosts only
    const std::shared_ptr<const std::vector<Geist>> geister(*it, &(*it)->geister);
    const QHash<QString, QImage> bilder = BlasseBilder(*geister);
    const double zoom = m_flaeche->Zoom();
    const quint64 generation = m_generation;
    const QPointer<Geisterpfeile> ziel(this);
    const HierListe hier = EigenePfeile();
    // The picture is shared with the worker, never copied here.
    const QImage bild = kopie ? m_flaeche->Bild().toImage() : QImage();
    const qint64 schluessel = m_flaeche->BildSchluessel();
    const QColor grund = m_flaeche->palette().color(QPalette::Window);
    double massstab = zoom;
    QSize groesse = kopie ? (QSizeF(bild.size()) * zoom).toSize() : QSize();
    if (static_cast<qint64>(groesse.width()) * groesse.height() > KopieHoechstens) {
        // too large at this zoom: made at 100 % and scaled as the picture is
        massstab = 1.0;
        groesse = bild.size();
    }
    QThreadPool::globalInstance()->start([geister, bilder, zoom, massstab, bereich, generation, ziel, hier, bild, schluessel, grund, groesse, kopie] {
        QPoint ab;
        const Zeichner z{*geister, bilder, kopie ? massstab : zoom, Karte(hier)};
        const QImage ebene = kopie ? z.Kopie(bild, grund, groesse) : z.Schicht(bereich, &ab);
        // back on the window's thread; a widget gone by then gets nothing
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [ziel, generation, ebene, ab, bereich, massstab, schluessel] {
                if (ziel)
                    ziel->EbeneAngekommen(generation, ebene, ab, bereich, massstab, schluessel);
            },
            Qt::QueuedConnection);
    });
}

void Geisterpfeile::EbeneAngekommen(quint64 generation, const QImage& ebene, const QPoint& ab, const QRect& bereich,
                                    double massstab, qint64 bild) {
    m_bestellt = false;
    if (generation != m_generation) {
        // made for ghosts, a picture or a zoom no longer shown: the current one is ordered
        if (Eingeblendet())
            Pruefen(true);
        else
            update();
        return;
    }
    if (Eingeblendet()) {
        m_ebene = QImage();
        if (m_flaeche && bild == m_flaeche->BildSchluessel())
            m_flaeche->UntergrundSetzen(ebene, bild, massstab, this);
    } else {
        m_ebene = ebene;
        m_ebeneAb = ab;
        m_ebeneBereich = bereich;
    }
    m_ebeneGueltig = true;
    m_ebeneZeigen = true;
    update();
    emit EbeneGezeichnet();
}

bool Geisterpfeile::eventFilter(QObject* o, QEvent* e) {
    if (o == m_flaeche) {
        if (e->type() == QEvent::Paint) {
            // before the box draws a copy made for another picture or zoom
            Pruefen(true);
        } else if (e->type() == QEvent::Resize) {
            setGeometry(m_flaeche->rect());
            Pruefen(false);
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            const QString ident = GeistAn(static_cast<QMouseEvent*>(e)->position().toPoint());
            if (!ident.isEmpty()) {
                emit GeistDoppelklick(ident);
                return true;
            }
        } else if (e->type() == QEvent::ToolTip) {
            const auto* h = static_cast<QHelpEvent*>(e);
            const QString ident = GeistAn(h->pos());
            for (const Geist& g : Gezeigt())
                if (!ident.isEmpty() && g.ident == ident) {
                    QToolTip::showText(h->globalPos(), g.text, m_flaeche);
                    return true;
                }
        } else if (e->type() == QEvent::ChildAdded) {
            raise();
        }
    }
    return QWidget::eventFilter(o, e);
}
