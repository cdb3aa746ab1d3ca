#pragma once
// The one seam through which every message box, modal dialog, file dialog,
// pop-up menu and the immediate end of the process go. The default shows the
// real Qt dialogs; tests install a scripted implementation, so nothing blocks.
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QMenu;
class QMessageBox;
class QAction;
class QPoint;
class QWidget;

class Dialoge {
public:
    virtual ~Dialoge() = default;

    // Plain message box with an OK button; an empty title means the program's title.
    virtual void Meldung(QWidget* owner, const QString& text, const QString& titel = {}) = 0;
    // A refusal of the database: the German text, the engine's own words behind
    // the box's details. Without a box of that kind the details are left out.
    virtual void FehlerMeldung(QWidget* owner, const QString& text, const QString& detail) {
        (void)detail;
        Meldung(owner, text);
    }
    // A notice whose whole text stands behind the box's "Details" button (no
    // such button when detail is empty). Without a box of that kind the details are left out.
    virtual void HinweisMitDetails(QWidget* owner, const QString& text, const QString& detail) {
        (void)detail;
        Meldung(owner, text);
    }
    // The box HinweisMitDetails shows, built but not shown.
    static QMessageBox* HinweisBauen(QWidget* owner, const QString& text, const QString& detail);
    // Shows dlg modally and returns its result (QDialog::Accepted / Rejected).
    virtual int Modal(QDialog* dlg) = 0;
    // File-open dialog; returns the full path, or an empty text when cancelled.
    virtual QString DateiOeffnen(QWidget* owner, const QString& titel, const QString& filter,
                                 const QString& standardEndung, const QString& vorgabeName,
                                 const QString& startOrdner) = 0;
    // File-save dialog; returns the full path, or an empty text when cancelled.
    virtual QString DateiSpeichern(QWidget* owner, const QString& titel, const QString& filter,
                                   const QString& vorgabe) = 0;
    // A question with its own buttons (the first is the default); returns the
    // index of the button chosen, -1 when the box was closed otherwise. The
    // detail stands behind the box's "Details" button.
    virtual int Wahl(QWidget* owner, const QString& titel, const QString& text, const QStringList& knoepfe,
                     const QString& detail = {}) = 0;
    // One line of text; nullopt when cancelled.
    virtual std::optional<QString> Eingabe(QWidget* owner, const QString& titel, const QString& text,
                                           const QString& vorgabe) = 0;
    // Pops up a context menu at a global position; returns the chosen action or nullptr.
    virtual QAction* MenuZeigen(QMenu* menu, const QPoint& globalPos) = 0;
    // Ends the process at once, without asking any window.
    virtual void ProzessBeenden() = 0;

    static Dialoge& aktuell();
    // Installs another implementation (tests); nullptr restores the default.
    static void setzen(Dialoge* d);
};
