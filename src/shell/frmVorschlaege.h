#pragma once
// The window "Vorschläge": reads the tag labels on the chosen pictures (beside
// the user interface, with a progress bar and a way to stop), proposes a place
// for each alarm's arrow, shows the proposals on the picture window, and
// writes only what the user accepts: one, all of a picture, or all, each time
// as one step of the history.
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "alarms/AlarmRecord.h"
#include "alarms/Datendienst.h"
#include "alarms/Schreibergebnis.h"
#include "werkzeuge/Bildtext.h"
#include "werkzeuge/Vorschlag.h"
#include "shell/Hintergrundauftrag.h"

class AlarmAuswahl;
class BildLeseLauf;
class Differenzansicht;
class Hauptfenster;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class frmPicture;

class frmVorschlaege : public QWidget {
    Q_OBJECT
public:
    frmVorschlaege(Hauptfenster& haupt, frmPicture* bild, QWidget* parent = nullptr);
    ~frmVorschlaege() override;

    // The pictures offered, the shown one (or all) chosen.
    void Vorbereiten();
    // Reads the chosen pictures; false (with a message) when it cannot start.
    bool Lesen();
    void LesenAbbrechen();
    // Writes the proposals with these alarm numbers (found ones only) in one step.
    // The found proposals of these alarms, on that picture only when form is given.
    bool Annehmen(const QStringList& idents, const QString& form = {});
    void BildAnnehmen();
    // Accepts the proposals whose lines are ticked in the list of changes (all, unless the user untick some).
    void AlleAnnehmen();
    // The button "Alle annehmen": asks once, with the count, then accepts all.
    bool AlleAnnehmenFragen();
    // From this many proposals on, an acceptance is written by a background
    // job (progress in the status bar, Esc or Abbrechen stops it and nothing
    // is written); fewer take less than a frame and are written at once.
    static int HintergrundAb;
    // The running acceptance, or nullptr.
    Hintergrundauftrag* Annahmeauftrag() const { return m_annahme.data(); }
    const QList<Vorschlag>& Ergebnis() const { return m_vorschlaege; }
    BildLeseLauf* Lauf() const { return m_lauf; }

    QListWidget* lstBilder = nullptr;
    QCheckBox* chkAlle = nullptr;
    QLineEdit* txtMuster = nullptr;
    QPushButton* cmdLesen = nullptr;
    QPushButton* cmdAbbrechen = nullptr;
    QProgressBar* prgLesen = nullptr;
    QLabel* lblStand = nullptr;
    QTreeWidget* lvwVorschlaege = nullptr;
    QPushButton* cmdAnnehmen = nullptr;
    QPushButton* cmdBildAnnehmen = nullptr;
    QPushButton* cmdAlleAnnehmen = nullptr;
    // What accepting writes, alarm by alarm: old -> new per column, a check box per line.
    Differenzansicht* lvwAenderungen = nullptr;

signals:
    // An acceptance ended: written, refused or cancelled.
    void AnnahmeBeendet(bool geschrieben);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Fertig(const QList<Bildtext>& texte);
    void ListeFuellen();
    void AenderungenFuellen();
    // The symbol an accepted alarm without one gets: the arrow menu's choice.
    QString NeuesSymbol(AlarmAuswahl* k) const;
    // Writes these found proposals as one step of the history.
    bool Schreiben(const QList<Vorschlag>& auswahl);
    // After a write: the proposals written leave the list.
    void Angenommen(const QList<Vorschlag>& auswahl, const QString& beschreibung);
    void MarkenZeigen();
    void Verschoben(const QString& ident, QPoint pos);
    // A write of rows, also an undo or redo: an accepted proposal whose row has
    // lost its position comes back into the list, and goes again on redo.
    void ZeilenGeschrieben(const QList<Schreibergebnis>& zeilen);
    QPixmap Symbol(const QString& datei);
    void AnnahmeKnoepfe(bool frei);
    // An answer of the database's worker: taken only from the service that writes the acceptance.
    void DienstBeantwortet(const Datendienst::Antwort& a);
    // The answer to an acceptance written by the worker, signalled or waited for.
    void DienstAntwort(const Datendienst::Antwort& a);
    void DienstGeschlossen();

    Hauptfenster& m_haupt;
    QPointer<frmPicture> m_bild;
    BildLeseLauf* m_lauf = nullptr;
    AlarmListeTyp m_alarme;
    QStringList m_bilder;
    QString m_muster;
    QList<Vorschlag> m_vorschlaege;
    QHash<QString, QPixmap> m_symbole;
    QHash<QString, Vorschlag> m_angenommen;  // by alarm number, as they were accepted
    QPointer<AlarmAuswahl> m_beobachtet;     // whose writes are watched for undone acceptances
    QList<Vorschlag> m_aenderungen;          // the found proposals in the order of the list of changes
    QPointer<Hintergrundauftrag> m_annahme;
    // An acceptance on its way through the database's worker (a server's few rows).
    struct DienstAnnahme {
        Datendienst::Ticket ticket = 0;
        QPointer<Datendienst> dienst;
        QPointer<AlarmAuswahl> komponente;
        QList<Vorschlag> auswahl;
        QString beschreibung;
    };
    std::optional<DienstAnnahme> m_dienstAnnahme;
};
