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
    setObjectName(QStringLiteral("Geisterpfeile"));
    // Drawn over the arrows, clicks go through to them.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(m_flaeche->rect());
    m_flaeche->installEventFilter(this);
    show();
    raise();
}

void Geisterpfeile::Setzen(const std::vector<Geist>& geister) {
    QHash<QString, std::vector<Geist>> jeForm;
    for (const Geist& g : geister)
        jeForm[g.form].push_back(g);
    m_jeForm.clear();
    for (auto it = jeForm.begin(); it != jeForm.end(); ++it)
        m_jeForm.insert(it.key(), std::make_shared<const std::vector<Geist>>(std::move(*it)));
    EbeneVerwerfen();
    if (Gezeigt().empty())
        m_ebeneZeigen = false;
    update();
}

void Geisterpfeile::FormSetzen(const QString& form) {
    m_form = form;
    EbeneVerwerfen();
    // another picture's ghosts are not shown on this one while its own are drawn
    m_ebeneZeigen = false;
    update();
}

const std::vector<Geisterpfeile::Geist>& Geisterpfeile::Gezeigt() const {
    auto it = m_jeForm.constFind(m_form);
    return it == m_jeForm.constEnd() ? kKeine : **it;
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
// One pixel of a premultiplied colour over the layer (its bits and row length).
struct Ebene {
    QRgb* bits;
    qsizetype zeile;
    int breite, hoehe;
    explicit Ebene(QImage& bild)
        : bits(reinterpret_cast<QRgb*>(bild.bits())), zeile(bild.bytesPerLine() / 4), breite(bild.width()), hoehe(bild.height()) {}
};
inline void Mischen(QRgb& d, QRgb farbe) {
    const uint a = 256 - qAlpha(farbe);
    d = farbe + (((d & 0xff00ff) * a >> 8) & 0xff00ff) + ((((d >> 8) & 0xff00ff) * a) & 0xff00ff00);
}
inline void Punkt(Ebene& ebene, int x, int y, QRgb farbe) {
    if (x < 0 || y < 0 || x >= ebene.breite || y >= ebene.hoehe)
        return;
    Mischen(ebene.bits[y * ebene.zeile + x], farbe);
}

// A line by Bresenham; jeder > 0 leaves gaps for a dashed outline.
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
}  // namespace

namespace {
// Above this many pixels (a large picture at a high zoom) the layer is not
// kept: each repaint draws its exposed part only.
constexpr qint64 EbeneHoechstens = 12'000'000;

// The ghosts that touch bereich (screen pixels) drawn into one layer; ab is
// where its top left lies. Null when none touches it. Plain data in and out,
// so a worker can draw it.
QImage EbeneZeichnen(const std::vector<Geisterpfeile::Geist>& geister, const QHash<QString, QImage>& bilder, double zoom,
                     const QRect& bereich, QPoint* ab) {
    const auto ZuSchirm = [zoom](const QRect& bild) {
        if (zoom == 1.0)
            return bild;
        return QRectF(QPointF(bild.topLeft()) * zoom, QSizeF(bild.size()) * zoom).toAlignedRect();
    };
    const auto Bild = [&bilder](const QString& symbol) {
        const auto it = bilder.constFind(symbol);
        return it == bilder.constEnd() ? QImage() : *it;
    };
    // Everything is drawn into one layer and put on the screen in one go: the
    // raster engine hands each line to its helper threads, which costs far
    // more than the line itself when there are thousands.
    QRect flaeche;
    std::vector<std::pair<const Geisterpfeile::Geist*, QRect>> zeigen;
    zeigen.reserve(geister.size());
    for (const Geisterpfeile::Geist& g : geister) {
        const QImage bild = Bild(g.symbol);
        const QSize groesse = bild.isNull() ? kOhneSymbol : bild.size();
        const QRect r = ZuSchirm(QRect(g.pos, groesse));
        QRect huelle = r;
        if (g.hier)
            huelle = huelle.united(ZuSchirm(QRect(*g.hier, groesse)));
        if (!huelle.adjusted(-2, -2, 2, 2).intersects(bereich))
            continue;
        zeigen.emplace_back(&g, r);
        flaeche = flaeche.united(huelle.adjusted(-2, -2, 2, 2));
    }
    flaeche &= bereich;
    if (flaeche.isEmpty())
        return {};
    *ab = flaeche.topLeft();
    QImage ebene(flaeche.size(), QImage::Format_ARGB32_Premultiplied);
    ebene.fill(Qt::transparent);
    const QPoint versatz = -flaeche.topLeft();
    Ebene e1(ebene);
    const QRgb linie = qPremultiply(qRgba(40, 90, 200, 160));
    for (const auto& [g, r] : zeigen)
        if (g->hier && *g->hier != g->pos) {
            const QRect eigenes = ZuSchirm(QRect(*g->hier, r.size() / zoom));
            Linie(e1, eigenes.center() + versatz, r.center() + versatz, linie);
        }
    if (zoom == 1.0) {
        // at 100 % each pale symbol is laid over the layer pixel by pixel: a
        // painter call per symbol costs more than its 256 pixels
        for (const auto& [g, r] : zeigen) {
            const QImage bild = Bild(g->symbol);
            const QPoint o = r.topLeft() + versatz;
            // clipped to the layer once per symbol, not per pixel
            const int x0 = std::max(0, -o.x()), x1 = std::min(bild.width(), e1.breite - o.x());
            const int y0 = std::max(0, -o.y()), y1 = std::min(bild.height(), e1.hoehe - o.y());
            for (int y = y0; y < y1; ++y) {
                const auto* quelle = reinterpret_cast<const QRgb*>(bild.constScanLine(y));
                QRgb* ziel = e1.bits + (o.y() + y) * e1.zeile + o.x();
                for (int x = x0; x < x1; ++x)
                    if (const QRgb farbe = quelle[x]; qAlpha(farbe))
                        Mischen(ziel[x], farbe);
            }
        }
    } else {
        QPainter p(&ebene);
        for (const auto& [g, r] : zeigen)
            if (const QImage bild = Bild(g->symbol); !bild.isNull())
                p.drawImage(r.translated(versatz), bild);
    }
    const QRgb blau = qRgb(40, 90, 200), rot = qRgb(220, 0, 0);
    Ebene e2(ebene);  // the painter is done: the bits are where they were
    for (const auto& [g, r] : zeigen) {
        const QRect a = r.translated(versatz).adjusted(0, 0, -1, -1);
        Rahmen(e2, a, g->konflikt ? rot : blau);
        if (g->konflikt)
            Rahmen(e2, a.adjusted(1, 1, -1, -1), rot);
    }
    return ebene;
}

}  // namespace

void Geisterpfeile::EbeneVerwerfen() {
    m_ebeneGueltig = false;
    ++m_generation;
}

void Geisterpfeile::paintEvent(QPaintEvent* e) {
    if (!m_flaeche || Gezeigt().empty())
        return;
    const double zoom = m_flaeche->Zoom();
    if (static_cast<qint64>(width()) * height() > EbeneHoechstens) {
        // too large to keep: the exposed part only, at once
        EbeneVerwerfen();
        m_ebene = QImage();
        QPoint ab;
        const QImage teil = EbeneZeichnen(Gezeigt(), BlasseBilder(Gezeigt()), zoom, e->rect(), &ab);
        if (!teil.isNull())
            QPainter(this).drawImage(ab, teil);
        return;
    }
    if (m_ebeneZoom != zoom || m_ebeneGroesse != size()) {
        // a layer of another zoom would put every ghost in the wrong place
        EbeneVerwerfen();
        m_ebeneZeigen = false;
        m_ebeneZoom = zoom;
        m_ebeneGroesse = size();
    }
    if (!m_ebeneGueltig)
        EbeneBestellen();
    if (!m_ebeneZeigen || m_ebene.isNull())
        return;
    const QRect ziel = QRect(m_ebeneAb, m_ebene.size()) & e->rect();
    if (!ziel.isEmpty())
        QPainter(this).drawImage(ziel.topLeft(), m_ebene, ziel.translated(-m_ebeneAb));
}

void Geisterpfeile::EbeneBestellen() {
    const auto it = m_jeForm.constFind(m_form);
    if (m_bestellt || !m_flaeche || it == m_jeForm.constEnd())
        return;
    m_bestellt = true;
    const std::shared_ptr<const std::vector<Geist>> geister = *it;
    const QHash<QString, QImage> bilder = BlasseBilder(*geister);
    const double zoom = m_flaeche->Zoom();
    const QRect bereich = rect();
    const quint64 generation = m_generation;
    const QPointer<Geisterpfeile> ziel(this);
    QThreadPool::globalInstance()->start([geister, bilder, zoom, bereich, generation, ziel] {
        QPoint ab;
        const QImage ebene = EbeneZeichnen(*geister, bilder, zoom, bereich, &ab);
        // back on the window's thread; a widget gone by then gets nothing
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [ziel, generation, ebene, ab] {
                if (ziel)
                    ziel->EbeneAngekommen(generation, ebene, ab);
            },
            Qt::QueuedConnection);
    });
}

void Geisterpfeile::EbeneAngekommen(quint64 generation, const QImage& ebene, const QPoint& ab) {
    m_bestellt = false;
    if (generation != m_generation) {
        // made for ghosts, a picture or a zoom no longer shown: the next paint orders the current one
        update();
        return;
    }
    m_ebene = ebene;
    m_ebeneAb = ab;
    m_ebeneGueltig = true;
    m_ebeneZeigen = true;
    update();
    emit EbeneGezeichnet();
}

bool Geisterpfeile::eventFilter(QObject* o, QEvent* e) {
    if (o == m_flaeche) {
        if (e->type() == QEvent::Resize) {
            setGeometry(m_flaeche->rect());
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
