#pragma once
// The picture box Formbox: holds the alarm picture at its own size and is the
// container of the arrow images (imgPfeil) and the focus rectangle (shpFocus).
// Everything is drawn by the box itself, so thousands of arrows cost no
// widgets. Mouse events are hit-tested and reported per arrow, with the
// pointer in twips relative to the arrow, as the arrow images report them.
#include <QHash>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "editor/PfeilBild.h"
#include "editor/Vorschlagsmarke.h"

class QPainter;

class Bildflaeche : public QWidget {
    Q_OBJECT
public:
    // Draws the arrows of that list (the window's Pfeilliste), which outlives the box.
    explicit Bildflaeche(std::vector<PfeilBild>& pfeile, QWidget* parent = nullptr);
    // A box with a list of its own (a picture without a picture window).
    explicit Bildflaeche(QWidget* parent = nullptr);

    // The box takes the size of its picture (times the zoom).
    void BildSetzen(const QPixmap& bild);
    const QPixmap& Bild() const { return m_Bild; }
    // A picture still being decoded elsewhere: the box takes its size now and
    // shows a plain ground until BildSetzen brings the pixels.
    void BildAusstehend(QSize groesse);
    bool BildFehlt() const { return m_Bild.isNull() && !m_Groesse.isEmpty(); }
    // The picture's size in picture pixels, also while it is being decoded.
    QSize BildGroesse() const { return m_Groesse; }

    // The zoom is a view of the picture only: arrows, the focus rectangle and
    // the positions reported keep picture pixels.
    void ZoomSetzen(double zoom);
    double Zoom() const { return m_Zoom; }
    QPointF ZuBild(const QPointF& schirm) const { return schirm / m_Zoom; }
    QRect ZuSchirm(const QRect& bild) const;
    // The pointer's last place on the screen while a button is held (for the
    // scrolling that goes on while the pointer rests).
    QPoint LetzteMausGlobal;
    // The arrows were rebuilt: a press on one of the old ones reports nothing more.
    void Freigeben() { m_Gefangen = 0; }
    // Takes one arrow away; an arrow held by the pointer keeps being the one held.
    void PfeilEntfernen(int index);

    std::vector<PfeilBild>& imgPfeil;  // element 0 is the template
    // Proposed places, drawn above the arrows; they take the pointer first.
    std::vector<Vorschlagsmarke> Vorschlaege;
    void VorschlaegeSetzen(const std::vector<Vorschlagsmarke>& marken);
    int VorschlagAn(const QPointF& schirm) const;  // -1 when none

    // Focus rectangle shpFocus, in pixels of the box.
    QRect shpFocus;
    bool shpFocusVisible = false;
    void FokusSetzen(const QRect& r);

    // The picked arrow lies above all others, drawn last and hit first (0: none).
    int Oben = 0;
    void ObenSetzen(int index);
    // Each arrow's alarm number beside it.
    bool Nummern = false;
    void NummernSetzen(bool an);
    // While Space is held the left button pans the view as the middle button does.
    void LeertasteSetzen(bool gehalten);
    bool Schiebt() const { return m_Schieben; }

    // Redraws the area of one element after its place or image changed.
    void PfeilNeuZeichnen(int index, const QRect& vorher);

    // A ready image of this picture with more blended in (the ghost arrows of
    // a comparison), made elsewhere at massstab (the zoom it was drawn for);
    // drawn in place of the picture while the picture is the one it was made
    // of, so a repaint copies one opaque image as it does the picture alone.
    // A null image takes it away; so does the end of von, its maker.
    void UntergrundSetzen(const QImage& bild, qint64 bildSchluessel, double massstab, const QObject* von);
    bool UntergrundGesetzt() const { return !m_Untergrund.isNull() && m_UntergrundVon; }
    // Tells which picture pixels an image was made of.
    qint64 BildSchluessel() const { return m_Bild.cacheKey(); }
    // Topmost visible arrow at a point of the box, 0 when none.
    int PfeilAn(const QPointF& p) const;

signals:
    // VB-style mouse events: Button 1 left, 2 right, 4 middle, summed for a
    // move; X, Y in twips relative to the element's top-left corner.
    void PfeilMausDruck(int index, int button, int shift, double x, double y, QPoint global);
    void PfeilMausBewegung(int index, int button, int shift, double x, double y);
    void PfeilMausLoslassen(int index, int button, int shift, double x, double y);
    void FlaecheMausDruck(int button, int shift, double x, double y, QPoint global);
    // A double click on an arrow (after its press has been reported).
    void PfeilDoppelklick(int index);
    // An arrow's place or image changed (a drag step, a write, an undo).
    void PfeilGeaendert(int index);
    // A proposal was dragged to another place, or double-clicked to be accepted.
    void VorschlagVerschoben(const QString& ident, QPoint pos);
    void VorschlagDoppelklick(const QString& ident);
    // The background was dragged with the middle button (or Space and the left
    // one) by so many screen pixels.
    void Geschoben(QPoint schritt);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    // The screen area an arrow takes, with its number when numbers are shown.
    QRect Flaeche(const QRect& bild) const;
    QRect NummerRechteck(const PfeilBild& a) const;
    void Relativ(int index, const QPointF& p, double& x, double& y) const;

    // A symbol at the current zoom, scaled once for all arrows that show it.
    const QPixmap& Skaliert(const QPixmap& symbol) const;
    // Rows of a zoomed symbol drawn in one go.
    static constexpr int BandZeilen = 64;

    // The ready image belongs to the picture shown.
    bool UntergrundPasst();
    void UntergrundZeichnen(QPainter& p, const QRect& r) const;

    std::vector<PfeilBild> m_EigenePfeile;  // the list of a box without a window's
    QImage m_Untergrund;
    QPointer<const QObject> m_UntergrundVon;
    qint64 m_UntergrundSchluessel = 0;
    double m_UntergrundMassstab = 1.0;
    QPixmap m_Bild;
    QSize m_Groesse;
    double m_Zoom = 1.0;
    mutable QHash<qint64, QPixmap> m_Skaliert;
    int m_Gefangen = 0;  // the arrow that took the press keeps the pointer until release
    int m_Vorschlag = -1;  // the proposal being dragged
    QPointF m_VorschlagGriff;
    void ZifferZeichnen(QPainter& p, QPoint wo, const QString& text) const;
    mutable QList<QPixmap> m_Ziffern;  // the digits 0 to 9, drawn once
    mutable int m_ZiffernBreite = 0;  // of the numbers beside the arrows, measured once
    mutable int m_ZeilenHoehe = 0;
    mutable int m_Oberlaenge = 0;
    bool m_Leertaste = false;
    bool m_Schieben = false;
    QPoint m_SchiebenLetzte;
};
