#include "shell/Statusfeld.h"

#include <QPainter>

Statusfeld::Statusfeld(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void Statusfeld::Setzen(const QString& text, const QString& detail) {
    setText(text);
    setToolTip(detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail);
}

QSize Statusfeld::minimumSizeHint() const { return {minimumWidth(), QLabel::minimumSizeHint().height()}; }
QSize Statusfeld::sizeHint() const { return {minimumWidth(), QLabel::sizeHint().height()}; }

void Statusfeld::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    const QRect r = contentsRect().adjusted(3, 0, -3, 0);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
}
