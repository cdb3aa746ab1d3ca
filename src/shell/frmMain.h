#pragma once
// The main window "Tavero für Windows": MDI parent of the selection window and
// the picture window, with the menus, the mode tool bar and the status bar.
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "shell/Hauptfenster.h"
#include "alarms/Schreibergebnis.h"

class AlarmAuswahl;
class frmPicture;
class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QStatusBar;
class Statusfeld;
class Suchleiste;
class Fenstermenue;
class Werkzeugfenster;
class Verlauf;
class QUndoView;
class frmPruefbericht;
class frmVergleich;
class frmVorschlaege;

class frmMain : public QMainWindow, public Hauptfenster {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: start-up from the command line (empty: pick a project).
    void Laden(const QString& befehlszeile);
    // "AlarmDB Ö&ffnen...": a fresh component, the project choice, the configuration.
    void DatenbankOeffnen();
    // The same opening for a database named directly (a file, a server's address).
    void PfadOeffnen(const QString& pfad);
    // "Server-Datenbank öffnen…": asks for a server's address and opens it.
    void ServerOeffnen();
    void PruefberichtZeigen();
    void VorschlaegeZeigen();
    void VergleichZeigen();
    // Tool bar command by the button's key.
    void ToolbarKlick(const QString& key);
    void mnuArrow_Click(int index);
    void mnuAlarm_Click(int index);
    void Ende_Click();

    // Hauptfenster
    AlarmAuswahl* mgobjAuswahl() const override { return m_Auswahl.get(); }
    void StatusText(int panel, const QString& text) override;
    void StatusMeldung(const QString& text, const QString& detail) override;
    void AuswahlGescheitert(const QString& grund, const QString& detail = {}) override;
    bool AlarmAnzeigen(const QString& ident) override;
    QString StatusTextLesen(int panel) const override;
    void ToolButtonDruecken(const QString& key) override;
    QSize AussenGroesseTwips() const override;
    QWidget* KindFensterEinfuegen(QWidget* fenster) override;
    void BildfensterZeigen() override;
    void PfeilMenuZeigen(const QPoint& globalPos) override;
    void AlarmMenuZeigen(const QPoint& globalPos) override;

    // The history of the writes into the opened database.
    Verlauf* mVerlauf = nullptr;
    Suchleiste* mSuche = nullptr;
    // "&Fenster": window placement and the picture window's view.
    Fenstermenue* mFenster = nullptr;
    // Verlauf, Vorschläge, Prüfbericht and further tool windows: in front, on screen, out of the arrow's way.
    Werkzeugfenster* mWerkzeuge = nullptr;
    QAction* mnuSuchen = nullptr;
    void SuchenZeigen();
    void VerlaufZeigen();

    // The picture window, created on first use and kept.
    frmPicture* Bildfenster();
    frmPicture* BildfensterFallsDa() const;
    QAction* ToolButton(const QString& key) const;

    QMdiArea* mdiArea = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* Ende = nullptr;
    // Added to the menu bar after "&Datei": undo, redo and the history.
    QMenu* mnuBearbeiten = nullptr;
    QAction* mnuRueckgaengig = nullptr;
    QAction* mnuWiederholen = nullptr;
    QAction* mnuVerlauf = nullptr;
    // Added after "&Bearbeiten": the tools.
    QMenu* mnuExtras = nullptr;
    QAction* mnuPruefbericht = nullptr;
    QAction* mnuExportieren = nullptr;
    QAction* mnuImportieren = nullptr;
    QAction* mnuServerOeffnen = nullptr;
    QAction* mnuVorschlaege = nullptr;
    QAction* mnuVergleichen = nullptr;
    QMenu* mnuPfeile = nullptr;
    QMenu* mnuAlarmBild = nullptr;
    QList<QAction*> mnuArrow;
    QList<QAction*> mnuAlarm;
    QToolBar* tbToolBar = nullptr;
    QStatusBar* sbStatusBar = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void UhrAktualisieren();
    void VerlaufTexteAktualisieren();
    // Shows the current alarm again after its picture changed outside the picture window.
    void AktuellenAlarmNeuZeigen(const QList<Schreibergebnis>& zeilen);

    void KomponenteNeu();
    // The steps of an opening after the database's path is known.
    void OeffnenAbschliessen(bool mitEndung);
    void IniPruefen();
    void ListenLesen();
    void PfeilMenuFuellen();
    void AlarmMenuFuellen(bool mitEndung);
    void OrdnerSetzen();
    void SingleModeWaehlen();
    void AuswahlAlarmSelected();
    void KindZeigen(QWidget* fenster);
    // The picture window's signals, and its arrow writes through the history.
    void BildfensterVerbinden();
    void KindVerbergen(QWidget* fenster);

    std::unique_ptr<AlarmAuswahl> m_Auswahl;
    QPointer<frmPicture> m_Bild;
    QActionGroup* m_ModusGruppe = nullptr;
    QActionGroup* m_FensterGruppe = nullptr;
    QList<QAction*> m_ToolButtons;
    Statusfeld* m_Panel[4] = {};
    QPointer<QUndoView> m_VerlaufFenster;
    QPointer<frmPruefbericht> m_Pruefbericht;
    QPointer<frmVorschlaege> m_Vorschlaege;
    QPointer<frmVergleich> m_Vergleich;
};
