#include "alarms/Fensterlage.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "alarms/Twips.h"

namespace {
QList<QPointer<Fensterlage>>& Register() {
    static QList<QPointer<Fensterlage>> r;
    return r;
}

QSettings Einstellungen() { return QSettings(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero")); }

constexpr const char* Schluessel = "Settings/FensterlageBeibehalten";
}  // namespace

Fensterlage::Fensterlage(QWidget* fenster, const QString& name, std::function<QRect()> regel)
    : QObject(fenster), m_Fenster(fenster), m_Name(name), m_Regel(std::move(regel)) {
    setObjectName(QStringLiteral("Fensterlage ") + name);
    fenster->installEventFilter(this);
    Register().append(this);
    Beobachten();
}

Fensterlage::~Fensterlage() { Register().removeAll(this); }

Fensterlage* Fensterlage::Fuer(QWidget* fenster, const QString& name, std::function<QRect()> regel) {
    if (auto* l = fenster->findChild<Fensterlage*>(QStringLiteral("Fensterlage ") + name, Qt::FindDirectChildrenOnly))
        return l;
    return new Fensterlage(fenster, name, std::move(regel));
}

bool Fensterlage::Beibehalten() { return Einstellungen().value(QLatin1String(Schluessel)).toString() == QLatin1String("1"); }

void Fensterlage::BeibehaltenSetzen(bool an) {
    QSettings s = Einstellungen();
    s.setValue(QLatin1String(Schluessel), an ? QStringLiteral("1") : QStringLiteral("0"));
    s.sync();
    // What the user arranged until now is what is kept from here on.
    if (an)
        for (const QPointer<Fensterlage>& l : Register())
            if (l && l->m_VomBenutzer)
                l->Merken();
}

void Fensterlage::AlleAnordnen() {
    for (const QPointer<Fensterlage>& l : Register())
        if (l)
            l->Anordnen();
}

QMdiSubWindow* Fensterlage::Rahmen() {
    Beobachten();
    return m_Rahmen;
}

void Fensterlage::Beobachten() {
    if (!m_Fenster)
        return;
    auto* sub = qobject_cast<QMdiSubWindow*>(m_Fenster->parentWidget());
    if (sub != m_Rahmen) {
        if (m_Rahmen)
            m_Rahmen->removeEventFilter(this);
        m_Rahmen = sub;
        m_RahmenObjekt = sub;
        if (sub)
            sub->installEventFilter(this);
    }
    // Presses are seen where they arrive, before the window under the pointer
    // takes the focus (and with it the activation).
    QWindow* oben = m_Fenster->window()->windowHandle();
    if (oben && oben != m_Oberfenster) {
        if (m_Oberfenster)
            m_Oberfenster->removeEventFilter(this);
        m_Oberfenster = oben;
        oben->installEventFilter(this);
    }
}

void Fensterlage::Platzieren(const QRect& r) {
    QMdiSubWindow* sub = Rahmen();
    if (!sub)
        return;
    m_Eigen = true;
    if (sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        sub->showNormal();
    sub->setGeometry(r);
    m_Eigen = false;
}

void Fensterlage::NachRegel() {
    // (no rule without a main window to measure)
    if (const QRect r = m_Regel ? m_Regel() : QRect(); r.isValid())
        Platzieren(r);
}

void Fensterlage::Aktiviert() {
    Beobachten();
    if (m_Erstmals) {
        m_Erstmals = false;
        QRect r;
        bool maximiert = false;
        if (Beibehalten() && Gemerkt(&r, &maximiert)) {
            Platzieren(r);
            // Maximized once control is back in the event loop: inside the
            // activation the MDI area takes the state back.
            if (maximiert)
                QTimer::singleShot(0, this, [this] {
                    if (!m_Rahmen)
                        return;
                    m_Eigen = true;
                    m_Rahmen->showMaximized();
                    m_Eigen = false;
                });
            m_VomBenutzer = true;
            return;
        }
    }
    if (m_VomBenutzer && Beibehalten())
        return;
    if (m_InhaltDruck && QGuiApplication::mouseButtons() != Qt::NoButton) {
        m_Wartet = true;
        return;
    }
    m_Wartet = false;
    NachRegel();
}

void Fensterlage::Erstmals(const QRect& platz) {
    Beobachten();
    QRect r;
    bool maximiert = false;
    // A kept placement is put back by the first activation (which may come first).
    if (Beibehalten() && (m_VomBenutzer || (m_Erstmals && Gemerkt(&r, &maximiert))))
        return;
    Platzieren(platz);
}

void Fensterlage::Anordnen() {
    m_VomBenutzer = false;
    m_Wartet = false;
    m_Erstmals = false;
    NachRegel();
    if (Beibehalten())
        Merken();
}

void Fensterlage::Merken() {
    QMdiSubWindow* sub = Rahmen();
    if (!sub)
        return;
    const bool maximiert = sub->windowState() & Qt::WindowMaximized;
    // (a child window has no normal geometry of Qt's own: the last one seen is kept)
    const QRect r = maximiert && m_NormalPlatz.isValid() ? m_NormalPlatz : sub->geometry();
    QSettings s = Einstellungen();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(m_Name + QStringLiteral("Left"), QString::number(Twips::ZuTwips(r.x())));
    s.setValue(m_Name + QStringLiteral("Top"), QString::number(Twips::ZuTwips(r.y())));
    s.setValue(m_Name + QStringLiteral("Width"), QString::number(Twips::ZuTwips(r.width())));
    s.setValue(m_Name + QStringLiteral("Height"), QString::number(Twips::ZuTwips(r.height())));
    s.setValue(m_Name + QStringLiteral("Maximized"), maximiert ? QStringLiteral("1") : QStringLiteral("0"));
    s.endGroup();
    s.sync();
}

bool Fensterlage::Gemerkt(QRect* r, bool* maximiert) const {
    QSettings s = Einstellungen();
    s.beginGroup(QStringLiteral("Settings"));
    bool ok[4] = {};
    const double w[4] = {s.value(m_Name + QStringLiteral("Left")).toString().toDouble(&ok[0]),
                         s.value(m_Name + QStringLiteral("Top")).toString().toDouble(&ok[1]),
                         s.value(m_Name + QStringLiteral("Width")).toString().toDouble(&ok[2]),
                         s.value(m_Name + QStringLiteral("Height")).toString().toDouble(&ok[3])};
    *maximiert = s.value(m_Name + QStringLiteral("Maximized")).toString() == QLatin1String("1");
    s.endGroup();
    // A placement that cannot be read, or has no size, is none.
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || w[2] <= 0 || w[3] <= 0)
        return false;
    *r = QRect(Twips::ZuPixel(w[0]), Twips::ZuPixel(w[1]), Twips::ZuPixel(w[2]), Twips::ZuPixel(w[3]));
    return true;
}

bool Fensterlage::eventFilter(QObject* o, QEvent* e) {
    const QEvent::Type t = e->type();
    if (o == m_Fenster) {
        if (t == QEvent::ParentChange || t == QEvent::Show)
            Beobachten();
    } else if (o == m_Oberfenster && m_Fenster) {
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick) {
            auto* m = static_cast<QMouseEvent*>(e);
            QWidget* oben = m_Fenster->window();
            QWidget* ziel = oben->childAt(m->position().toPoint());
            m_InhaltDruck = ziel && (ziel == m_Fenster || m_Fenster->isAncestorOf(ziel));
        } else if ((t == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->buttons() == Qt::NoButton) ||
                   (t == QEvent::MouseMove && static_cast<QMouseEvent*>(e)->buttons() == Qt::NoButton)) {
            // (a move without buttons: the release went to a pop-up menu)
            m_InhaltDruck = false;
            if (m_Wartet)
                // after the release has been handled where it belongs
                QTimer::singleShot(0, this, [this] {
                    if (m_Wartet && QGuiApplication::mouseButtons() == Qt::NoButton && !m_InhaltDruck)
                        Aktiviert();
                });
        }
    } else if (o == m_RahmenObjekt && !m_Rahmen.isNull()) {
        if (t == QEvent::MouseButtonPress) {
            m_RahmenDruck = true;
        } else if (t == QEvent::MouseButtonRelease) {
            m_RahmenDruck = false;
            if (m_VomBenutzer && Beibehalten())
                Merken();
        } else if (t == QEvent::Move || t == QEvent::Resize) {
            if (!(m_Rahmen->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
                m_NormalPlatz = m_Rahmen->geometry();
            if (m_RahmenDruck && !m_Eigen)
                m_VomBenutzer = true;
        } else if (t == QEvent::WindowStateChange && !m_Eigen && m_Rahmen->isVisible() &&
                   m_Rahmen->window()->isVisible()) {
            // (a main window being closed or destroyed takes its children out of
            // their states; that is no choice of the user's)
            const auto alt = static_cast<QWindowStateChangeEvent*>(e)->oldState();
            const auto neu = m_Rahmen->windowState();
            if ((alt ^ neu) & (Qt::WindowMaximized | Qt::WindowMinimized)) {
                m_VomBenutzer = true;
                if (Beibehalten())
                    Merken();
            }
        }
    }
    return QObject::eventFilter(o, e);
}
