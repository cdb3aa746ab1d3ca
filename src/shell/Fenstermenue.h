#pragma once
// The menu "&Fenster": where the two working windows stand, and how the picture
// window shows its picture. Added after the other menus of the main window.
#include <QObject>

class QAction;
class QMenu;
class frmMain;

class Fenstermenue : public QObject {
    Q_OBJECT
public:
    explicit Fenstermenue(frmMain& haupt);

    QMenu* mnuFenster = nullptr;
    QAction* mnuFensterlageBeibehalten = nullptr;  // checkable, kept in the settings
    QAction* mnuFensterAnordnen = nullptr;
    QAction* mnuGanzesBild = nullptr;              // Ctrl+9, also on the tool bar
    QAction* mnuAlarmnummern = nullptr;            // checkable, kept in the settings

private:
    frmMain& m_Haupt;
};
