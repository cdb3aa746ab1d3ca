#pragma once
// Where a child window of the main window stands. By default every activation
// puts it back where the layout rules say. With "Fensterlage beibehalten" a
// window the user moved, resized or maximized keeps that across activations
// and restarts. A press inside the window that activates it never re-places it
// before its release: the picture under the pointer would slide away from the
// point that was pressed, and the first drag step would jump.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

class QMdiSubWindow;
class QSettings;
class QWidget;

class Fensterlage : public QObject {
    Q_OBJECT
public:
    // regel: the frame's place by the layout rules, in pixels of the MDI area.
    Fensterlage(QWidget* fenster, const QString& name, std::function<QRect()> regel);
    ~Fensterlage() override;
    // The placement object of a window, made on first use.
    static Fensterlage* Fuer(QWidget* fenster, const QString& name, std::function<QRect()> regel);

    // The window became the active child: placed by the rules, unless the user's
    // own placement is kept; during a press inside the window, after its release.
    void Aktiviert();
    // The placement of the first showing; a kept placement of an earlier run takes its place.
    void Erstmals(const QRect& platz);
    // Applies the layout rules once and forgets the user's own placement.
    void Anordnen();

    bool VomBenutzer() const { return m_VomBenutzer; }
    bool WartetAufLoslassen() const { return m_Wartet; }
    QString Name() const { return m_Name; }

    // "Fensterlage beibehalten", kept in the settings.
    static bool Beibehalten();
    static void BeibehaltenSetzen(bool an);
    // "Fenster anordnen": every child window that has a placement object.
    static void AlleAnordnen();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    QMdiSubWindow* Rahmen();
    void Beobachten();
    void Platzieren(const QRect& r);
    void NachRegel();
    void Merken();
    bool Gemerkt(QRect* r, bool* maximiert) const;

    QPointer<QWidget> m_Fenster;
    QString m_Name;
    std::function<QRect()> m_Regel;
    QPointer<QMdiSubWindow> m_Rahmen;
    // The same frame as a plain object: events are matched to it without a cast,
    // also while it is being destroyed and sends its last events.
    QObject* m_RahmenObjekt = nullptr;
    QPointer<QObject> m_Oberfenster;  // the top-level window whose presses are watched
    bool m_Eigen = false;        // the placement being made is the program's own
    bool m_InhaltDruck = false;  // a button went down inside the window's content
    bool m_RahmenDruck = false;  // a button went down on the frame (title bar, edges)
    bool m_Wartet = false;       // an activation waits for the release
    bool m_VomBenutzer = false;  // the user moved, resized or maximized the window
    bool m_Erstmals = true;
    QRect m_NormalPlatz;         // the frame's last place while neither maximized nor minimized
};
