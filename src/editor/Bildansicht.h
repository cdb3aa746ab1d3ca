#pragma once
// The view of the picture window: where the picture box stands under the two
// scroll bars, the zoom, the wheel, the zoom keys and the scrolling that goes
// on while a dragged arrow rests near an edge. The figures come from
// BildlaufRechnung; this class only applies them to the widgets.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <optional>

class Bildflaeche;
class QKeyEvent;
class QScrollBar;
class QTimer;
class QWheelEvent;
class QWidget;

class Bildansicht : public QObject {
    Q_OBJECT
public:
    Bildansicht(QWidget& fenster, Bildflaeche& box, QScrollBar& horizontal, QScrollBar& vertikal, QWidget& blende,
                int autoBildlaufMs);

    // The bars' places and ranges after the window or the picture changed size.
    void BereicheSetzen();
    // The box follows the bars.
    void HorizontalGefolgt();
    void VertikalGefolgt();
    // A picture point (pixels) in the middle of the view, as far as the ranges allow.
    void Zentrieren(int links, int oben);
    // A picture rectangle stays inside the visible part.
    void InSichtHalten(const QRect& bild);
    // The background was dragged by so many screen pixels.
    void Schieben(QPoint schritt);

    double Zoom() const;
    // 25 % to 800 %; the picture point under the anchor (window coordinates) stays put.
    void ZoomSetzen(double zoom, const QPoint& anker);
    // One step in or out; without an anchor, on the focus rectangle.
    void ZoomSchritt(int richtung, std::optional<QPoint> anker = std::nullopt);
    void Einpassen();
    // The zoom keys (Ctrl + + - 0 9) and Space; false for any other key.
    bool Taste(QKeyEvent* e);
    void Rad(QWheelEvent* e);

    // After a drag step with the pointer at that picture point: the view
    // follows near an edge and goes on while the pointer rests there.
    void NachZiehschritt(double x, double y, bool weiter);
    void AutoBildlaufStoppen();

signals:
    void ZoomGeaendert(double zoom);
    // The pointer rests near an edge during a drag: one more drag step.
    void AutoBildlaufSchritt();

private:
    QWidget& m_fenster;
    Bildflaeche& m_box;
    QScrollBar& m_h;
    QScrollBar& m_v;
    QWidget& m_blende;
    QTimer* m_autoBildlauf = nullptr;
    double m_EinpassZoom = 1.0;  // the last zoom to fit, the one zoom allowed below the steps
    int m_ZoomRad = 0;           // wheel turned with Ctrl, not yet a whole step
};
