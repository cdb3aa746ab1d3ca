#pragma once
// A panel of the status bar: a text too long for the panel is cut with "…",
// and the tool tip shows it whole, with the database engine's own words
// where there are some.
#include <QLabel>

class Statusfeld : public QLabel {
    Q_OBJECT
public:
    explicit Statusfeld(QWidget* parent = nullptr);
    void Setzen(const QString& text, const QString& detail = {});
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
};
