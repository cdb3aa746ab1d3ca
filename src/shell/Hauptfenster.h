#pragma once
// What the tool windows of the shell need of the main window: its public
// values, its status bar, tool bar, the picture window, the two hidden menus
// and the MDI area. frmMain implements it and hands it to the windows it makes.
// The layers below never see it: they get the values (Hauptwerte) and speak
// through signals that frmMain connects.
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>

#include "alarms/Hauptwerte.h"

class AlarmAuswahl;
class QWidget;

class Hauptfenster {
public:
    Hauptfenster() = default;
    Hauptfenster(const Hauptfenster&) = delete;
    Hauptfenster& operator=(const Hauptfenster&) = delete;
    virtual ~Hauptfenster() = default;

    // The values handed down to the windows below.
    Hauptwerte& Werte() { return m_Werte; }

private:
    Hauptwerte m_Werte;

public:
    // Public values of the main window (True = -1, False = 0), kept in the values handed down.
    std::int16_t& imgNeu = m_Werte.imgNeu;
    std::int16_t& imgNeuDB = m_Werte.imgNeuDB;
    std::int16_t& imgNeuIndex = m_Werte.imgNeuIndex;
    std::int16_t& bmpNeuIndex = m_Werte.bmpNeuIndex;

    virtual AlarmAuswahl* mgobjAuswahl() const = 0;
    // Panels count from 1, as in the status bar's design.
    virtual void StatusText(int panel, const QString& text) = 0;
    // Panel 1 with what went wrong; its tool tip adds the database engine's own words.
    virtual void StatusMeldung(const QString& text, const QString& detail) = 0;
    virtual QString StatusTextLesen(int panel) const = 0;
    // Presses a tool bar button by its key ("SingleMode", "Grid", "Editor", ...).
    virtual void ToolButtonDruecken(const QString& key) = 0;
    // Outer size of the main window in twips.
    virtual QSize AussenGroesseTwips() const = 0;
    // Puts a window into the MDI area as a child (idempotent); returns the child frame.
    virtual QWidget* KindFensterEinfuegen(QWidget* fenster) = 0;
    // Creates the picture window if needed and shows it modeless.
    virtual void BildfensterZeigen() = 0;
    // A pick that did not happen: the picture window shows nothing that could be
    // written into another row than the highlighted one, panel 1 says why.
    virtual void AuswahlGescheitert(const QString& grund, const QString& detail = {}) = 0;
    // The grid moves to the row of that alarm and the pick runs as for a row change.
    virtual bool AlarmAnzeigen(const QString& ident) = 0;
    // Pops up the items of the hidden menus "Pfeile" and "Alarm" at a global position.
    virtual void PfeilMenuZeigen(const QPoint& globalPos) = 0;
    virtual void AlarmMenuZeigen(const QPoint& globalPos) = 0;
};
