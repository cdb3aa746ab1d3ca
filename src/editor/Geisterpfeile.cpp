#include "editor/Geisterpfeile.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>

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
    m_jeForm.clear();
    for (const Geist& g : geister)
        m_jeForm[g.form].push_back(g);
    update();
}

void Geisterpfeile::FormSetzen(const QString& form) {
    m_form = form;
    update();
}

const std::vector<Geisterpfeile::Geist>& Geisterpfeile::Gezeigt() const {
    auto it = m_jeForm.constFind(m_form);
    return it == m_jeForm.constEnd() ? kKeine : *it;
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

void Geisterpfeile::paintEvent(QPaintEvent* e) {
    const std::vector<Geist>& geister = Gezeigt();
    if (geister.empty() || !m_flaeche)
        return;
    QPainter p(this);
    const QRect sichtbar = e->rect();
    const double zoom = m_flaeche->Zoom();
    QPen linie(QColor(40, 90, 200, 160), 0);
    QPen rahmen(QColor(40, 90, 200), 0, Qt::DashLine);
    QPen konflikt(QColor(220, 0, 0), 2, Qt::DashLine);
    for (const Geist& g : geister) {
        const QPixmap& bild = BlassesBild(g.symbol);
        const QRect r = m_flaeche->ZuSchirm(QRect(g.pos, bild.size()));
        QRect huelle = r;
        std::optional<QRect> eigenes;
        if (g.hier) {
            eigenes = m_flaeche->ZuSchirm(QRect(*g.hier, bild.size()));
            huelle = huelle.united(*eigenes);
        }
        if (!huelle.adjusted(-2, -2, 2, 2).intersects(sichtbar))
            continue;
        if (eigenes && *g.hier != g.pos) {
            p.setPen(linie);
            p.drawLine(eigenes->center(), r.center());
        }
        if (zoom == 1.0)
            p.drawPixmap(r.topLeft(), bild);
        else
            p.drawPixmap(r, bild);
        p.setPen(g.konflikt ? konflikt : rahmen);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
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
