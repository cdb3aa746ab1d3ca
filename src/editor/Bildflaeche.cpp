#include "editor/Bildflaeche.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>
#include <utility>

#include "alarms/Twips.h"

namespace {
int Knopf(Qt::MouseButtons b) {
    int n = 0;
    if (b & Qt::LeftButton)
        n |= 1;
    if (b & Qt::RightButton)
        n |= 2;
    if (b & Qt::MiddleButton)
        n |= 4;
    return n;
}
int Umschalt(Qt::KeyboardModifiers m) {
    int n = 0;
    if (m & Qt::ShiftModifier)
        n |= 1;
    if (m & Qt::ControlModifier)
        n |= 2;
    if (m & Qt::AltModifier)
        n |= 4;
    return n;
}
// Whether an arrow's place meets the rectangle r (as QRect::intersects says
// for an arrow of some size), written out here: every paint asks it of every
// arrow, ten thousand on a large picture, for the few a drag step exposes.
inline bool Trifft(const PfeilBild& a, const QRect& r) {
    return a.Width > 0 && a.Height > 0 && a.Left <= r.right() && r.left() < a.Left + a.Width && a.Top <= r.bottom() &&
           r.top() < a.Top + a.Height;
}
}  // namespace

Bildflaeche::Bildflaeche(QWidget* parent) : Bildflaeche(m_EigenePfeile, parent) {}

Bildflaeche::Bildflaeche(std::vector<PfeilBild>& pfeile, QWidget* parent) : QWidget(parent), imgPfeil(pfeile) {
    setObjectName(QStringLiteral("Formbox"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Bildflaeche::BildSetzen(const QPixmap& bild) {
    m_Bild = bild;
    m_Groesse = bild.size();
    resize(m_Zoom == 1.0 ? m_Groesse : (QSizeF(m_Groesse) * m_Zoom).toSize());
    update();
}

void Bildflaeche::BildAusstehend(QSize groesse) {
    m_Bild = QPixmap();
    m_Groesse = groesse;
    resize(m_Zoom == 1.0 ? m_Groesse : (QSizeF(m_Groesse) * m_Zoom).toSize());
    update();
}

void Bildflaeche::ZoomSetzen(double zoom) {
    m_Zoom = zoom;
    m_Skaliert.clear();
    resize(m_Zoom == 1.0 ? m_Groesse : (QSizeF(m_Groesse) * m_Zoom).toSize());
    update();
}

const QPixmap& Bildflaeche::Skaliert(const QPixmap& symbol) const {
    auto it = m_Skaliert.find(symbol.cacheKey());
    if (it == m_Skaliert.end())
        it = m_Skaliert.insert(symbol.cacheKey(),
                               symbol.scaled((QSizeF(symbol.size()) * m_Zoom).toSize(), Qt::IgnoreAspectRatio,
                                             Qt::FastTransformation));
    return *it;
}

QRect Bildflaeche::ZuSchirm(const QRect& bild) const {
    if (m_Zoom == 1.0)
        return bild;
    const QRectF r(QPointF(bild.topLeft()) * m_Zoom, QSizeF(bild.size()) * m_Zoom);
    return r.toAlignedRect();
}

void Bildflaeche::FokusSetzen(const QRect& r) {
    const QRect alt = shpFocus;
    const bool warSichtbar = shpFocusVisible;
    shpFocus = r;
    shpFocusVisible = true;
    if (warSichtbar)
        update(ZuSchirm(alt).adjusted(-1, -1, 2, 2));
    update(ZuSchirm(r).adjusted(-1, -1, 2, 2));
}

void Bildflaeche::PfeilNeuZeichnen(int index, const QRect& vorher) {
    update(Flaeche(vorher));
    if (index >= 0 && index < static_cast<int>(imgPfeil.size()))
        update(Flaeche(imgPfeil[static_cast<std::size_t>(index)].Rechteck()));
    emit PfeilGeaendert(index);
}

void Bildflaeche::UntergrundSetzen(const QImage& bild, qint64 bildSchluessel, double massstab, const QObject* von) {
    if (bild.isNull() && m_Untergrund.isNull())
        return;
    m_Untergrund = bild;
    m_UntergrundVon = bild.isNull() ? nullptr : von;
    m_UntergrundSchluessel = bildSchluessel;
    m_UntergrundMassstab = massstab;
    update();
}

bool Bildflaeche::UntergrundPasst() {
    // its maker is gone (it may go with this box, so it cannot say so itself)
    if (!m_Untergrund.isNull() && !m_UntergrundVon)
        m_Untergrund = QImage();
    return !m_Untergrund.isNull() && !m_Bild.isNull() && m_UntergrundSchluessel == m_Bild.cacheKey();
}

void Bildflaeche::UntergrundZeichnen(QPainter& p, const QRect& r) const {
    if (m_UntergrundMassstab == m_Zoom && m_Untergrund.size() == size()) {
        p.drawImage(r.topLeft(), m_Untergrund, r);
        return;
    }
    // made for another zoom (or at 100 % where the zoomed one would be too
    // large): scaled as the picture is, each pixel a block
    const double f = m_Zoom / m_UntergrundMassstab;
    const QRect b = QRectF(QPointF(r.topLeft()) / f, QSizeF(r.size()) / f).toAlignedRect() & m_Untergrund.rect();
    p.drawImage(QRectF(QPointF(b.topLeft()) * f, QSizeF(b.size()) * f), m_Untergrund, QRectF(b));
}

QRect Bildflaeche::Flaeche(const QRect& bild) const {
    const QRect r = ZuSchirm(bild);
    // room for the longest alarm number beside it
    return Nummern ? r.adjusted(0, 0, 4 + fontMetrics().horizontalAdvance(QStringLiteral("00000000000")), 2) : r;
}

QRect Bildflaeche::NummerRechteck(const PfeilBild& a) const {
    const QRect r = ZuSchirm(a.Rechteck());
    // Alarm numbers are digits, all of one width: no text layout per arrow.
    if (m_ZiffernBreite == 0) {
        const QFontMetrics fm = fontMetrics();
        m_ZiffernBreite = fm.horizontalAdvance(QLatin1Char('0'));
        m_ZeilenHoehe = fm.height();
        m_Oberlaenge = fm.ascent();
    }
    return QRect(r.right() + 3, r.top(), m_ZiffernBreite * static_cast<int>(a.Ident.size()) + 4, m_ZeilenHoehe);
}

void Bildflaeche::ZifferZeichnen(QPainter& p, QPoint wo, const QString& text) const {
    // Digits drawn once and then copied: thousands of numbers cost no text layout.
    if (m_Ziffern.isEmpty()) {
        for (char c = '0'; c <= '9'; ++c) {
            QPixmap z(m_ZiffernBreite, m_ZeilenHoehe);
            z.fill(QColor(255, 255, 225));
            QPainter zp(&z);
            zp.setFont(font());
            zp.setPen(Qt::black);
            zp.drawText(0, m_Oberlaenge, QString(QLatin1Char(c)));
            m_Ziffern.append(z);
        }
    }
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            p.drawPixmap(wo, m_Ziffern.at(c.unicode() - '0'));
        else
            p.drawText(wo.x(), wo.y() + m_Oberlaenge, QString(c));
        wo.rx() += m_ZiffernBreite;
    }
}

void Bildflaeche::ObenSetzen(int index) {
    if (index == Oben)
        return;
    for (int i : {Oben, index})
        if (i > 0 && i < static_cast<int>(imgPfeil.size()))
            update(Flaeche(imgPfeil[static_cast<std::size_t>(i)].Rechteck()));
    Oben = index;
}

void Bildflaeche::NummernSetzen(bool an) {
    if (an == Nummern)
        return;
    Nummern = an;
    update();
}

void Bildflaeche::LeertasteSetzen(bool gehalten) {
    m_Leertaste = gehalten;
    if (!m_Schieben) {
        if (gehalten)
            setCursor(Qt::OpenHandCursor);
        else
            unsetCursor();
    }
}

void Bildflaeche::VorschlaegeSetzen(const std::vector<Vorschlagsmarke>& marken) {
    for (const Vorschlagsmarke& m : Vorschlaege)
        update(ZuSchirm(m.Rechteck()).adjusted(-2, -2, 2, 2));
    Vorschlaege = marken;
    m_Vorschlag = -1;
    for (const Vorschlagsmarke& m : Vorschlaege)
        update(ZuSchirm(m.Rechteck()).adjusted(-2, -2, 2, 2));
}

void Bildflaeche::PfeilEntfernen(int index) {
    if (index < 1 || index >= static_cast<int>(imgPfeil.size()))
        return;
    update(Flaeche(imgPfeil[static_cast<std::size_t>(index)].Rechteck()));
    imgPfeil.erase(imgPfeil.begin() + index);
    if (Oben == index)
        Oben = 0;
    else if (Oben > index)
        --Oben;
    if (m_Gefangen == index)
        m_Gefangen = 0;
    else if (m_Gefangen > index)
        --m_Gefangen;
}

int Bildflaeche::VorschlagAn(const QPointF& schirm) const {
    const QPointF p = ZuBild(schirm);
    for (int i = static_cast<int>(Vorschlaege.size()) - 1; i >= 0; --i)
        if (QRectF(Vorschlaege[static_cast<std::size_t>(i)].Rechteck()).contains(p))
            return i;
    return -1;
}

int Bildflaeche::PfeilAn(const QPointF& schirm) const {
    const QPointF p = ZuBild(schirm);
    auto trifft = [&p](const PfeilBild& a) {
        return a.Visible && p.x() >= a.Left && p.x() < a.Left + a.Width && p.y() >= a.Top && p.y() < a.Top + a.Height;
    };
    // The picked arrow lies above all; later elements above earlier ones.
    if (Oben > 0 && Oben < static_cast<int>(imgPfeil.size()) && trifft(imgPfeil[static_cast<std::size_t>(Oben)]))
        return Oben;
    for (int i = static_cast<int>(imgPfeil.size()) - 1; i >= 1; --i) {
        if (trifft(imgPfeil[static_cast<std::size_t>(i)]))
            return i;
    }
    return 0;
}

void Bildflaeche::Relativ(int index, const QPointF& schirm, double& x, double& y) const {
    const QPointF p = ZuBild(schirm);
    const PfeilBild& a = imgPfeil[static_cast<std::size_t>(index)];
    x = Twips::ZuTwips(p.x() - a.Left);
    y = Twips::ZuTwips(p.y() - a.Top);
}

void Bildflaeche::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRect r = e->rect();
    const bool untergrund = UntergrundPasst();
    // the ready image of this zoom covers the whole box and is opaque: no ground first
    if (!untergrund || m_UntergrundMassstab != m_Zoom || m_Untergrund.size() != size())
        p.fillRect(r, palette().color(QPalette::Window));
    if (untergrund)
        UntergrundZeichnen(p, r);
    QPen schwarz(Qt::black, 1);
    QPen weiss(Qt::white, 1, Qt::DotLine);
    const std::size_t oben = Oben > 0 && Oben < static_cast<int>(imgPfeil.size()) ? static_cast<std::size_t>(Oben) : 0;
    if (m_Zoom == 1.0) {
        if (!untergrund)
            p.drawPixmap(r, m_Bild, r);
        auto zeichnen = [&](const PfeilBild& a) {
            if (a.Visible && Trifft(a, r))
                p.drawPixmap(a.Left, a.Top, a.Picture);
        };
        for (std::size_t i = 1; i < imgPfeil.size(); ++i)
            if (i != oben)
                zeichnen(imgPfeil[i]);
        if (oben)
            zeichnen(imgPfeil[oben]);
    } else {
        // The exposed part of the picture, scaled without smoothing so each pixel
        // stays a block; the arrows as their symbols scaled once.
        const QRect b = QRectF(QPointF(r.topLeft()) / m_Zoom, QSizeF(r.size()) / m_Zoom).toAlignedRect();
        if (!untergrund)
            p.drawPixmap(QRectF(QPointF(b.topLeft()) * m_Zoom, QSizeF(b.size()) * m_Zoom), m_Bild, QRectF(b));
        auto zeichnen = [&](const PfeilBild& a) {
            if (!a.Visible || !Trifft(a, b))
                return;
            // In bands of a few rows: Qt hands a taller copy to helper threads,
            // whose hand-over costs more than copying one symbol; and bands
            // outside the exposed part are left out.
            const QPixmap& s = Skaliert(a.Picture);
            const QPoint o = QPointF(a.Left * m_Zoom, a.Top * m_Zoom).toPoint();
            for (int y = 0; y < s.height(); y += BandZeilen) {
                const QRect band(0, y, s.width(), std::min(BandZeilen, s.height() - y));
                if (r.intersects(band.translated(o)))
                    p.drawPixmap(o + band.topLeft(), s, band);
            }
        };
        for (std::size_t i = 1; i < imgPfeil.size(); ++i)
            if (i != oben)
                zeichnen(imgPfeil[i]);
        if (oben)
            zeichnen(imgPfeil[oben]);
    }
    if (Nummern) {
        // Numbers above the arrows, on a pale ground so they read on any picture.
        p.setPen(Qt::black);
        for (std::size_t i = 1; i < imgPfeil.size(); ++i) {
            const PfeilBild& a = imgPfeil[i];
            if (!a.Visible || a.Ident.isEmpty())
                continue;
            const QRect n = NummerRechteck(a);
            if (!r.intersects(n))
                continue;
            p.fillRect(n, QColor(255, 255, 225));
            ZifferZeichnen(p, n.topLeft() + QPoint(2, 0), a.Ident);
        }
    }
    // Proposals: the symbol pale, in a dashed frame of their own colour.
    if (!Vorschlaege.empty()) {
        QPen rahmen(QColor(0, 90, 200), 2, Qt::DashLine);
        rahmen.setCosmetic(true);
        for (const Vorschlagsmarke& m : Vorschlaege) {
            const QRect z = ZuSchirm(m.Rechteck());
            if (!r.intersects(z.adjusted(-2, -2, 2, 2)))
                continue;
            p.setOpacity(0.45);
            if (!m.bild.isNull())
                p.drawPixmap(z, m.bild);
            p.setOpacity(1.0);
            p.setBrush(Qt::NoBrush);
            p.setPen(rahmen);
            p.drawRect(z.adjusted(-1, -1, 0, 0));
        }
    }
    const QRect fokus = ZuSchirm(shpFocus);
    if (shpFocusVisible && r.intersects(fokus.adjusted(-1, -1, 2, 2))) {
        p.setBrush(Qt::NoBrush);
        p.setPen(schwarz);
        p.drawRect(fokus.adjusted(0, 0, -1, -1));
        p.setPen(weiss);
        p.drawRect(fokus.adjusted(0, 0, -1, -1));
    }
}

void Bildflaeche::mousePressEvent(QMouseEvent* e) {
    // Panning takes the press before anything on the picture does.
    if (m_Schieben || e->button() == Qt::MiddleButton || (e->button() == Qt::LeftButton && m_Leertaste)) {
        if (!m_Schieben) {
            m_Schieben = true;
            m_SchiebenLetzte = e->globalPosition().toPoint();
            setCursor(Qt::ClosedHandCursor);
        }
        return;
    }
    if (e->button() == Qt::LeftButton && e->buttons() == Qt::LeftButton) {
        m_Vorschlag = VorschlagAn(e->position());
        if (m_Vorschlag >= 0) {
            m_VorschlagGriff = ZuBild(e->position()) - QPointF(Vorschlaege[static_cast<std::size_t>(m_Vorschlag)].pos);
            return;
        }
    }
    // A first button takes the arrow under the pointer; a further button goes
    // to the arrow that already holds the pointer.
    if (e->buttons() == e->button() || m_Gefangen >= static_cast<int>(imgPfeil.size()))
        m_Gefangen = PfeilAn(e->position());
    const int index = m_Gefangen;
    const int knopf = Knopf(e->button());
    const QPoint global = e->globalPosition().toPoint();
    LetzteMausGlobal = global;
    if (index > 0) {
        double x, y;
        Relativ(index, e->position(), x, y);
        emit PfeilMausDruck(index, knopf, Umschalt(e->modifiers()), x, y, global);
    } else {
        const QPointF b = ZuBild(e->position());
        emit FlaecheMausDruck(knopf, Umschalt(e->modifiers()), Twips::ZuTwips(b.x()), Twips::ZuTwips(b.y()), global);
    }
}

void Bildflaeche::mouseDoubleClickEvent(QMouseEvent* e) {
    if (m_Schieben || e->button() == Qt::MiddleButton || (e->button() == Qt::LeftButton && m_Leertaste)) {
        mousePressEvent(e);
        return;
    }
    if (e->button() == Qt::LeftButton) {
        const int v = VorschlagAn(e->position());
        if (v >= 0) {
            m_Vorschlag = -1;
            emit VorschlagDoppelklick(Vorschlaege[static_cast<std::size_t>(v)].ident);
            return;
        }
    }
    mousePressEvent(e);
    if (e->button() == Qt::LeftButton && m_Gefangen > 0 && m_Gefangen < static_cast<int>(imgPfeil.size()))
        emit PfeilDoppelklick(m_Gefangen);
}

void Bildflaeche::mouseMoveEvent(QMouseEvent* e) {
    LetzteMausGlobal = e->globalPosition().toPoint();
    if (m_Schieben) {
        const QPoint g = e->globalPosition().toPoint();
        const QPoint schritt = g - m_SchiebenLetzte;
        m_SchiebenLetzte = g;
        if (!schritt.isNull())
            emit Geschoben(schritt);
        return;
    }
    if (m_Vorschlag >= 0 && m_Vorschlag < static_cast<int>(Vorschlaege.size())) {
        Vorschlagsmarke& m = Vorschlaege[static_cast<std::size_t>(m_Vorschlag)];
        update(ZuSchirm(m.Rechteck()).adjusted(-2, -2, 2, 2));
        m.pos = (ZuBild(e->position()) - m_VorschlagGriff).toPoint();
        update(ZuSchirm(m.Rechteck()).adjusted(-2, -2, 2, 2));
        return;
    }
    // With a button held the pointer belongs to what was pressed: an arrow
    // passed over after a press on the picture does not move.
    const int index = e->buttons() != Qt::NoButton ? m_Gefangen : PfeilAn(e->position());
    if (index <= 0 || index >= static_cast<int>(imgPfeil.size()))
        return;
    double x, y;
    Relativ(index, e->position(), x, y);
    emit PfeilMausBewegung(index, Knopf(e->buttons()), Umschalt(e->modifiers()), x, y);
}

void Bildflaeche::mouseReleaseEvent(QMouseEvent* e) {
    if (m_Schieben) {
        if (!(e->buttons() & (Qt::MiddleButton | Qt::LeftButton))) {
            m_Schieben = false;
            if (m_Leertaste)
                setCursor(Qt::OpenHandCursor);
            else
                unsetCursor();
        }
        return;
    }
    if (m_Vorschlag >= 0) {
        const int v = std::exchange(m_Vorschlag, -1);
        if (v < static_cast<int>(Vorschlaege.size()))
            emit VorschlagVerschoben(Vorschlaege[static_cast<std::size_t>(v)].ident, Vorschlaege[static_cast<std::size_t>(v)].pos);
        return;
    }
    const int index = m_Gefangen;
    if (e->buttons() == Qt::NoButton)
        m_Gefangen = 0;
    if (index <= 0 || index >= static_cast<int>(imgPfeil.size()))
        return;
    double x, y;
    Relativ(index, e->position(), x, y);
    emit PfeilMausLoslassen(index, Knopf(e->button()), Umschalt(e->modifiers()), x, y);
}

bool Bildflaeche::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        const int v = VorschlagAn(h->pos());
        if (v >= 0) {
            const Vorschlagsmarke& m = Vorschlaege[static_cast<std::size_t>(v)];
            QToolTip::showText(h->globalPos(), m.text, this, ZuSchirm(m.Rechteck()));
            return true;
        }
        const int index = PfeilAn(h->pos());
        if (index > 0) {
            const PfeilBild& a = imgPfeil[static_cast<std::size_t>(index)];
            QToolTip::showText(h->globalPos(), a.ToolTipText, this, ZuSchirm(a.Rechteck()));
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}
