#pragma once
// The tool windows of the main window (Verlauf, Vorschläge, Prüfbericht, the
// comparison, ...): each opens fully on the screen, stays in front of the main
// window, steps aside from the arrow just picked, and takes the main window's
// undo and redo keys while it has the focus.
//
// Use: once, when the window is made, Aufnehmen(fenster); to open it,
// Zeigen(fenster) instead of show() and raise(). The main window calls
// Freihalten() with the picked arrow's place on the screen after each pick.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QAction;
class QWidget;

class Werkzeugfenster : public QObject {
    Q_OBJECT
public:
    // befehle: the main window's commands that work in every tool window (undo, redo).
    Werkzeugfenster(QWidget* haupt, const QList<QAction*>& befehle);

    // Makes a window a tool window of the main window, in front of it, with the commands.
    void Aufnehmen(QWidget* fenster);
    // Shows it fully on the screen, in front, with the focus. The first time it
    // opens at the main window's right edge, away from the middle of the picture.
    void Zeigen(QWidget* fenster);
    // Every visible tool window that covers this area of the screen moves aside.
    void Freihalten(const QRect& global);

    // The frame moved (and if need be shrunk) to lie fully on the screen.
    static QRect AufSchirm(const QRect& rahmen, const QRect& schirm);
    // The frame moved the least distance so it no longer covers frei, staying on
    // the screen; unchanged when it does not cover it or cannot get out of the way.
    static QRect Ausweichen(const QRect& rahmen, const QRect& frei, const QRect& schirm);
    // The gap kept between a tool window and what it must not cover.
    static constexpr int Abstand = 12;

private:
    void RahmenSetzen(QWidget* fenster, const QRect& rahmen);

    QWidget* m_Haupt;
    QList<QAction*> m_Befehle;
    QList<QPointer<QWidget>> m_Fenster;
};
