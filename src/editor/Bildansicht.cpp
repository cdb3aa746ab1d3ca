#include "editor/Bildansicht.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "editor/Bildflaeche.h"
#include "editor/BildlaufRechnung.h"

Bildansicht::Bildansicht(QWidget& fenster, Bildflaeche& box, QScrollBar& horizontal, QScrollBar& vertikal,
                         QWidget& blende, int autoBildlaufMs)
    : QObject(&fenster), m_fenster(fenster), m_box(box), m_h(horizontal), m_v(vertikal), m_blende(blende) {
    m_autoBildlauf = new QTimer(this);
    m_autoBildlauf->setInterval(autoBildlaufMs);
    connect(m_autoBildlauf, &QTimer::timeout, this, &Bildansicht::AutoBildlaufSchritt);
}

void Bildansicht::BereicheSetzen() {
    // Each step stands on its own; a range that does not fit is held at its limit.
    const int SW = m_fenster.width();
    const int SH = m_fenster.height();
    const int vb = m_v.width();
    const int hb = m_h.height();
    m_h.setGeometry(0, SH - hb, std::max(0, SW - vb), hb);
    const auto h = BildlaufRechnung::BereichBerechnen(m_box.width(), SW, vb, m_h.width());
    // A disabled bar goes back to 0, so a smaller picture is not left shifted out of view.
    m_h.setEnabled(h.aktiv);
    m_h.setRange(0, h.maximum);
    if (h.aktiv)
        m_h.setPageStep(h.grosserSchritt);
    m_v.setGeometry(SW - vb, 0, vb, std::max(0, SH - hb));
    const auto v = BildlaufRechnung::BereichBerechnen(m_box.height(), SH, hb, m_v.height());
    m_v.setEnabled(v.aktiv);
    m_v.setRange(0, v.maximum);
    if (v.aktiv)
        m_v.setPageStep(v.grosserSchritt);
    m_blende.move(m_v.x(), m_h.y());
    m_blende.raise();
    m_v.raise();
    m_h.raise();
    m_fenster.update();
    m_h.update();
    m_v.update();
}

void Bildansicht::HorizontalGefolgt() { m_box.move(-m_h.value(), m_box.y()); }
void Bildansicht::VertikalGefolgt() { m_box.move(m_box.x(), -m_v.value()); }

void Bildansicht::Zentrieren(int links, int oben) {
    m_h.setValue(BildlaufRechnung::Zentrieren(links, m_fenster.width(), m_h.maximum(), Zoom()));
    m_v.setValue(BildlaufRechnung::Zentrieren(oben, m_fenster.height(), m_v.maximum(), Zoom()));
}

void Bildansicht::InSichtHalten(const QRect& bild) {
    const QRect r = m_box.ZuSchirm(bild);
    const int sichtB = m_h.width();
    const int sichtH = m_v.height();
    int h = m_h.value();
    int v = m_v.value();
    if (r.left() < h)
        h = r.left();
    else if (r.right() > h + sichtB)
        h = r.right() - sichtB;
    if (r.top() < v)
        v = r.top();
    else if (r.bottom() > v + sichtH)
        v = r.bottom() - sichtH;
    m_h.setValue(std::clamp(h, 0, m_h.maximum()));
    m_v.setValue(std::clamp(v, 0, m_v.maximum()));
}

void Bildansicht::Schieben(QPoint schritt) {
    m_h.setValue(m_h.value() - schritt.x());
    m_v.setValue(m_v.value() - schritt.y());
}

double Bildansicht::Zoom() const { return m_box.Zoom(); }

void Bildansicht::Einpassen() {
    const QSize b = m_box.BildGroesse();
    const double z = BildlaufRechnung::Einpassen(b.width(), b.height(), m_fenster.width() - m_v.width(),
                                                 m_fenster.height() - m_h.height());
    m_EinpassZoom = z;
    ZoomSetzen(z, m_fenster.rect().center());
}

void Bildansicht::ZoomSchritt(int richtung, std::optional<QPoint> anker) {
    if (!anker) {
        const QRect r = m_box.ZuSchirm(m_box.shpFocus);
        anker = m_box.shpFocusVisible ? m_box.mapTo(&m_fenster, r.center()) : m_fenster.rect().center();
    }
    ZoomSetzen(BildlaufRechnung::ZoomStufe(Zoom(), richtung), *anker);
}

void Bildansicht::ZoomSetzen(double zoom, const QPoint& anker) {
    // A zoomed picture stays within the range a scroll bar can hold; only a
    // fitted picture goes below the smallest step.
    const QSize b = m_box.BildGroesse();
    const double grenze = 32767.0 / std::max({1, b.width(), b.height()});
    const double unten = std::min(BildlaufRechnung::MinZoom, std::max(BildlaufRechnung::EinpassenMin, m_EinpassZoom));
    zoom = std::clamp(zoom, unten, std::min(BildlaufRechnung::MaxZoom, grenze));
    const double alt = Zoom();
    if (zoom == alt)
        return;
    const int h = m_h.value();
    const int v = m_v.value();
    m_box.ZoomSetzen(zoom);
    BereicheSetzen();
    m_h.setValue(BildlaufRechnung::ZoomAnker(anker.x(), h, alt, zoom, m_h.maximum()));
    m_v.setValue(BildlaufRechnung::ZoomAnker(anker.y(), v, alt, zoom, m_v.maximum()));
    HorizontalGefolgt();
    VertikalGefolgt();
    emit ZoomGeaendert(zoom);
}

bool Bildansicht::Taste(QKeyEvent* e) {
    const bool strg = e->modifiers() & Qt::ControlModifier;
    if (e->matches(QKeySequence::ZoomIn) || (strg && (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal))) {
        ZoomSchritt(1);
        return true;
    }
    if (e->matches(QKeySequence::ZoomOut) || (strg && e->key() == Qt::Key_Minus)) {
        ZoomSchritt(-1);
        return true;
    }
    if (strg && e->key() == Qt::Key_9) {
        Einpassen();
        return true;
    }
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat())
            m_box.LeertasteSetzen(true);
        return true;
    }
    if (strg && e->key() == Qt::Key_0) {
        const QRect r = m_box.ZuSchirm(m_box.shpFocus);
        ZoomSetzen(1.0, m_box.shpFocusVisible ? m_box.mapTo(&m_fenster, r.center()) : m_fenster.rect().center());
        return true;
    }
    return false;
}

void Bildansicht::Rad(QWheelEvent* e) {
    const QPoint winkel = e->angleDelta();
    const int stufen = (winkel.y() != 0 ? winkel.y() : winkel.x()) / 120;
    if (e->modifiers() & Qt::ControlModifier) {
        // A fine wheel or touchpad sends parts of a notch: a step once they add up to one.
        m_ZoomRad += winkel.y() != 0 ? winkel.y() : winkel.x();
        const QPoint anker = m_fenster.mapFromGlobal(e->globalPosition().toPoint());
        while (std::abs(m_ZoomRad) >= 120) {
            ZoomSchritt(m_ZoomRad > 0 ? 1 : -1, anker);
            m_ZoomRad -= m_ZoomRad > 0 ? 120 : -120;
        }
        e->accept();
        return;
    }
    // The wheel alone scrolls up and down, with Shift left and right.
    QScrollBar& leiste = e->modifiers() & Qt::ShiftModifier || winkel.y() == 0 ? m_h : m_v;
    leiste.setValue(leiste.value() - stufen * leiste.singleStep() * QApplication::wheelScrollLines());
    e->accept();
}

void Bildansicht::NachZiehschritt(double x, double y, bool weiter) {
    const int H = m_h.value();
    const int V = m_v.value();
    const auto w = BildlaufRechnung::AutoBildlauf(x, y, H, V, m_h.maximum(), m_v.maximum(), m_h.width(), m_v.height(),
                                                  Zoom());
    if (w.h != H || w.v != V) {
        m_h.setValue(w.h);
        m_v.setValue(w.v);
        m_fenster.update();
        // While the pointer rests there the view goes on scrolling.
        if (weiter && !m_autoBildlauf->isActive())
            m_autoBildlauf->start();
    } else {
        m_autoBildlauf->stop();
    }
}

void Bildansicht::AutoBildlaufStoppen() { m_autoBildlauf->stop(); }
