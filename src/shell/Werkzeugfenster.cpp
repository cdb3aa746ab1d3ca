#include "shell/Werkzeugfenster.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

Werkzeugfenster::Werkzeugfenster(QWidget* haupt, const QList<QAction*>& befehle)
    : QObject(haupt), m_Haupt(haupt), m_Befehle(befehle) {}

void Werkzeugfenster::Aufnehmen(QWidget* fenster) {
    if (!fenster || m_Fenster.contains(fenster))
        return;
    m_Fenster.append(fenster);
    // A tool window owned by the main window lies in front of it, whichever has the focus.
    if (fenster->parentWidget() != m_Haupt)
        fenster->setParent(m_Haupt);
    fenster->setWindowFlags((fenster->windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);
    // Undo and redo reach the main window's history from here too.
    fenster->addActions(m_Befehle);
    fenster->setProperty("taveroNochNieGezeigt", true);
}

void Werkzeugfenster::RahmenSetzen(QWidget* fenster, const QRect& rahmen) {
    // The frame's place, with the decoration the window system puts around it.
    const QRect alt = fenster->frameGeometry();
    const QMargins rand(fenster->geometry().left() - alt.left(), fenster->geometry().top() - alt.top(),
                        alt.right() - fenster->geometry().right(), alt.bottom() - fenster->geometry().bottom());
    if (rahmen.size() != alt.size())
        fenster->resize(rahmen.size().shrunkBy(rand).expandedTo(QSize(1, 1)));
    fenster->move(rahmen.topLeft());
}

void Werkzeugfenster::Zeigen(QWidget* fenster) {
    if (!fenster)
        return;
    Aufnehmen(fenster);
    const bool erstmals = fenster->property("taveroNochNieGezeigt").toBool();
    fenster->setProperty("taveroNochNieGezeigt", false);
    fenster->show();
    QScreen* s = m_Haupt->screen() ? m_Haupt->screen() : QGuiApplication::primaryScreen();
    const QRect schirm = s ? s->availableGeometry() : QRect();
    QRect r = fenster->frameGeometry();
    if (erstmals) {
        // At the main window's right edge, below its menus: the middle of the
        // picture, where a picked arrow is shown, stays free.
        const QRect haupt = m_Haupt->frameGeometry();
        r.moveTopRight(QPoint(haupt.right() - Abstand, haupt.top() + std::min(120, haupt.height() / 4)));
    }
    if (schirm.isValid())
        r = AufSchirm(r, schirm);
    if (r != fenster->frameGeometry())
        RahmenSetzen(fenster, r);
    fenster->raise();
    fenster->activateWindow();
}

void Werkzeugfenster::Freihalten(const QRect& global) {
    if (global.isEmpty())
        return;
    for (const QPointer<QWidget>& f : m_Fenster) {
        if (!f || !f->isVisible())
            continue;
        QScreen* s = f->screen() ? f->screen() : QGuiApplication::primaryScreen();
        const QRect schirm = s ? s->availableGeometry() : QRect();
        const QRect r = Ausweichen(f->frameGeometry(), global, schirm);
        if (r != f->frameGeometry())
            RahmenSetzen(f, r);
    }
}

QRect Werkzeugfenster::AufSchirm(const QRect& rahmen, const QRect& schirm) {
    if (!schirm.isValid())
        return rahmen;
    QRect r(rahmen.topLeft(), rahmen.size().boundedTo(schirm.size()));
    r.moveLeft(std::clamp(r.left(), schirm.left(), schirm.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), schirm.top(), schirm.bottom() - r.height() + 1));
    return r;
}

QRect Werkzeugfenster::Ausweichen(const QRect& rahmen, const QRect& frei, const QRect& schirm) {
    const QRect f = frei.adjusted(-Abstand, -Abstand, Abstand, Abstand);
    if (!rahmen.intersects(f))
        return rahmen;
    // Left of it, right of it, above, below; each kept on the screen along the other axis.
    QList<QRect> wege;
    QRect r = rahmen;
    r.moveRight(f.left() - 1);
    wege << r;
    r = rahmen;
    r.moveLeft(f.right() + 1);
    wege << r;
    r = rahmen;
    r.moveBottom(f.top() - 1);
    wege << r;
    r = rahmen;
    r.moveTop(f.bottom() + 1);
    wege << r;
    QRect best = rahmen;
    long bestWeg = std::numeric_limits<long>::max();
    for (QRect w : wege) {
        if (schirm.isValid()) {
            w = AufSchirm(w, schirm);
            if (w.size() != rahmen.size() || w.intersects(f))
                continue;
        }
        const QPoint d = w.topLeft() - rahmen.topLeft();
        const long weg = long(d.x()) * d.x() + long(d.y()) * d.y();
        if (weg < bestWeg) {
            bestWeg = weg;
            best = w;
        }
    }
    return best;
}
