#pragma once
// The dialog "Keine gültige Ini-Datei gefunden!": asks for the path of the
// configuration file when Tavero.ini is missing, or ends the program.
#include <QDialog>
#include <QPointer>

class AlarmAuswahl;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmIniDialog : public QDialog {
    Q_OBJECT
public:
    frmIniDialog(AlarmAuswahl* auswahl, QWidget* owner = nullptr);

    // Shows the dialog modally through the dialog seam; an OK with a path that
    // does not exist shows a fresh dialog again (a loop, not a recursion).
    static void Zeigen(AlarmAuswahl* auswahl, QWidget* owner);

    QPlainTextEdit* txtInfo = nullptr;
    QLineEdit* txtPfad = nullptr;
    QLineEdit* txtStatus = nullptr;
    QPushButton* BrowseButton = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Set by OK when the path did not exist: the caller shows the dialog anew.
    bool NeuZeigen = false;

    void BrowseButton_Click();
    void OKButton_Click();
    void CancelButton_Click();

private:
    void Laden();
    QPointer<AlarmAuswahl> m_Auswahl;
};
