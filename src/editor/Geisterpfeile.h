#pragma once
// The other database's arrows on the picture, while a comparison is open:
// pale, with a dashed outline, each joined by a thin line to this side's arrow
// of the same alarm; conflicts in red. They lie over the picture box as a
// layer of their own that lets every click through to the arrows beneath, in
// every display mode; only a double click on a ghost is taken: it picks the alarm.
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class Bildflaeche;
class frmPicture;

class Geisterpfeile : public QWidget {
    Q_OBJECT
public:
    struct Geist {
        QString ident;
        QString form;                 // the picture the other side puts the arrow on
        QPoint pos;                   // the other side's X/Y, picture pixels
        QString symbol;               // the other side's symbol file name
        std::optional<QPoint> hier;   // this side's arrow on the same picture, if any
        bool konflikt = false;
        QString text;                 // tool tip
    };
    using SymbolLader = std::function<QPixmap(const QString& symbol)>;

    // Lays itself over the picture box of the window and follows its picture.
    explicit Geisterpfeile(frmPicture* bild, SymbolLader lader = {});
    // Over a picture box alone (the picture named by FormSetzen).
    explicit Geisterpfeile(Bildflaeche* flaeche, SymbolLader lader = {});

    void Setzen(const std::vector<Geist>& geister);
    void FormSetzen(const QString& form);
    QString Form() const { return m_form; }
    // The ghosts of the picture shown.
    const std::vector<Geist>& Gezeigt() const;
    // The ghost at a point of the picture box (screen pixels at the zoom), empty when none.
    QString GeistAn(const QPoint& punkt) const;
    // Where a ghost lies on the picture box at the current zoom.
    QRect Rechteck(const Geist& g) const;

    static constexpr double Blass = 0.4;

signals:
    void GeistDoppelklick(const QString& ident);

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void Anhaengen();
    // The ghosts that touch bereich (screen pixels) drawn into one layer; ab is
    // where its top left lies. Null when none touches it.
    QImage EbeneZeichnen(const QRect& bereich, QPoint* ab);
    void EbeneVerwerfen();
    const QPixmap& BlassesBild(const QString& symbol);

    QPointer<Bildflaeche> m_flaeche;
    SymbolLader m_lader;
    QString m_form;
    QHash<QString, std::vector<Geist>> m_jeForm;
    QHash<QString, QPixmap> m_bilder;
    // The layer of the whole picture, kept until the ghosts, the picture or
    // the zoom change: a repaint then only copies it.
    QImage m_ebene;
    QPoint m_ebeneAb;
    bool m_ebeneGueltig = false;
    double m_ebeneZoom = 0;
    QSize m_ebeneGroesse;
};
