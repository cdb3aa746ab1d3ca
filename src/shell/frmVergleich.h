#pragma once
// The window "Vergleichen": this database against another one (and, three-way,
// the earlier state both were copied from). The comparison runs in the
// background with progress and a cancel; the differences are listed grouped,
// filtered by picture and kind, the other side's arrows show as ghosts on the
// picture, and one alarm, a picture's or all that are no conflicts are taken
// over, each action one transaction and one undo step.
#include <QPointer>
#include <QWidget>
#include <optional>

#include <vector>

#include "editor/Geisterpfeile.h"
#include "werkzeuge/Differenz.h"
#include "werkzeuge/VergleichLauf.h"
#include "werkzeuge/Vergleichsergebnis.h"
#include "shell/Hintergrundauftrag.h"

class Differenzansicht;
class Geisterpfeile;
class Hauptfenster;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class frmPicture;

class frmVergleich : public QWidget {
    Q_OBJECT
public:
    frmVergleich(Hauptfenster& haupt, frmPicture* bild, QWidget* parent = nullptr);
    ~frmVergleich() override;

    // Starts the comparison with the fields' databases; false (and a message) when it cannot start.
    bool Vergleichen();
    void Abbrechen();
    // Takes over the chosen lines, the offered lines of a picture, or all
    // offered lines, as a background job (progress in the status bar, Esc or
    // Abbrechen stops it and nothing is written); true when the job started.
    // UebernahmeBeendet follows when it is over.
    enum class Umfang { Gewaehlte, Bild, Alle };
    bool Uebernehmen(Umfang umfang);
    // The running take-over, or nullptr.
    Hintergrundauftrag* Uebernahmeauftrag() const { return m_uebernahme.data(); }
    void CsvSpeichern();
    const std::optional<Vergleichsergebnis>& Ergebnis() const { return m_ergebnis; }
    VergleichLauf& Lauf() { return m_lauf; }

    QLabel* lblHier = nullptr;
    QLineEdit* txtDort = nullptr;
    QLineEdit* txtBasis = nullptr;
    QPushButton* cmdVergleichen = nullptr;
    QPushButton* cmdAbbrechen = nullptr;
    QProgressBar* prgFortschritt = nullptr;
    QLabel* lblErgebnis = nullptr;
    QComboBox* cboBild = nullptr;
    QComboBox* cboArt = nullptr;
    QCheckBox* chkGeister = nullptr;
    Differenzansicht* lvwDifferenzen = nullptr;
    QPushButton* cmdUebernehmen = nullptr;
    QPushButton* cmdBildUebernehmen = nullptr;
    QPushButton* cmdAlleUebernehmen = nullptr;
    QPushButton* cmdCsv = nullptr;
    Geisterpfeile* Geister() const;

signals:
    // A take-over ended: written, refused or cancelled.
    void UebernahmeBeendet(bool geschrieben);

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void Fertig(const Vergleichsergebnis& e);
    void Zeigen();
    // Shows these lines, and these ghosts (none given: made here from the result).
    void Anwenden(const QList<Differenz>& zeilen, std::optional<std::vector<Geisterpfeile::Geist>> geister);
    void FilterAnwenden();
    void GeisterZeigen();
    void GeisterSetzen(std::vector<Geisterpfeile::Geist> geister);
    void Laeuft(bool laeuft);
    // Back from the take-over's job: the lines at these places now hold the other side's placement.
    void Uebernommen(const QList<int>& stellen);

    Hauptfenster& m_haupt;
    frmPicture* m_bild = nullptr;
    QPointer<Geisterpfeile> m_geister;  // lives on the picture box, which may go first
    VergleichLauf m_lauf;
    std::optional<Vergleichsergebnis> m_ergebnis;
    bool m_laeuft = false;
    QPointer<Hintergrundauftrag> m_uebernahme;
    bool m_nachtrag = false;  // a take-over is written; its list and ghosts are not shown yet
};
