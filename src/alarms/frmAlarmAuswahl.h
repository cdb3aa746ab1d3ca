#pragma once
// The alarm selection window "Alarmauswahl": picture tree beside a grid bound
// to Alarmdefs. The tree filters the grid, a column header sorts it, and moving
// to another row picks that row as the component's current alarm.
#include <QDeadlineTimer>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <optional>
#include <utility>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsDurchlauf.h"
#include "alarms/Datendienst.h"
#include "alarms/Wahlablauf.h"
#include "alarms/Zeilenstand.h"

class AlarmAuswahl;
class AlarmdefsModell;
class QLineEdit;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class WertelistenDelegate;

class frmAlarmAuswahl : public QWidget {
    Q_OBJECT
public:
    explicit frmAlarmAuswahl(QWidget* parent = nullptr);
    ~frmAlarmAuswahl() override;

    // The owning component; set by AuswahlShow before the window is shown,
    // cleared when the window unloads.
    QPointer<AlarmAuswahl> mgobjAlarmAuswahl;

    // Shows the window modeless (as an MDI child when there is a main window);
    // the first call runs the load step.
    void Anzeigen();
    void Verbergen();
    // The bound view shows its current record again (after a write-back).
    // After a write that changed an alarm number: the row keeps its place in the
    // grid under its new key.
    void NummerGewechselt(qlonglong alt, qlonglong neu);
    // The table was replaced by another program: the rows are read again from the source.
    void QuelleNeuLesen();
    void AktuellenDatensatzZeigen();
    // The part of the table the grid shows (a sorted grid shows all alarms).
    AlarmdefsDurchlauf::Auswahl AktuelleAuswahl() const;
    // Text for the user naming that part (" Alle", the picture's name ...).
    QString AktuelleAuswahlText() const;
    // The column and direction the grid is sorted by; nullopt while it shows table order.
    std::optional<std::pair<int, Qt::SortOrder>> Sortierung() const;
    // Another client wrote the rows of these numbers: the grid shows them again
    // where it holds them, without moving the view or the selection.
    void ZeilenNeuLesen(const QList<qlonglong>& idents);
    // The connection of the bound view is opened again (after a server came back).
    void Neuverbinden();
    // A cell still being edited is written, or its refusal shown (before the program ends).
    void OffeneBearbeitungAbschliessen();
    // Moves the grid to the row of that alarm and picks it as a row change does.
    // A record source that does not hold the row gives way to the alarm's
    // picture node (or " Alle"), and the tree shows that node. False when no
    // row carries the number.
    // The row is looked for on the database's worker: true also while the
    // answer is on its way (a source still being ordered or counted); one that
    // finds nothing later says so in the status bar. The look-up and the pick
    // are waited for at most warteMs in all (-1: as long as a lock is, for the
    // other windows that show an alarm and go on with it; the find field and
    // the window's own callers wait less than a frame, Takt::Ms).
    bool AlarmZeigen(const QString& ident, int warteMs = -1);
    // Whether a row asked for by AlarmZeigen is still being looked for.
    bool ZeigenUnterwegs() const { return m_zeigen.has_value(); }

    // Event handlers, public so that the main window and tests reach them.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_GotFocus();
    void Form_Unload();
    void TreeView1_Click();
    void TDBAlarme_HeadClick(int spalte);
    // The pick handler: takes the grid's current row over and shows the picture window.
    // The row is named at once; the pick is done when its picture's alarm list
    // has come from the data service (at once when it comes within a frame).
    void AlarmWaehlen();
    // Whether a pick is waiting for its alarm list; the alarm number it picks.
    bool WahlUnterwegs() const { return m_wahl->Unterwegs(); }
    QString WahlUnterwegsFuer() const { return m_wahl->UnterwegsFuer(); }
    // Rows were written while a pick waits: the row it names takes their values over.
    void WahlAbgleichen(const QList<Zeilenstand>& staende) { m_wahl->Abgleichen(staende); }

    // An alarm counts as having a picture only when BilderPath\N\N.bmp is found
    // under exactly that name (letter case included).
    static bool BildDateiGueltig(const QString& bilderPath, const QString& form) {
        return Wahlablauf::BildDateiGueltig(bilderPath, form);
    }

    QTreeWidget* TreeView1 = nullptr;
    // The find field above the grid: Enter asks for the next match, Shift+Enter
    // for the previous (the component passes the request on); a text that
    // finds nothing turns the field red.
    QLineEdit* txtSuche = nullptr;
    void SucheMarkieren(bool gefunden);
    // Ctrl+V: a block copied from a spreadsheet goes into the selected cells
    // (filled over a larger selection); every row through the one conditional
    // write, all in one transaction and one undo step; refused cells are listed.
    void BlockEinfuegen(const QString& text);
    // Width a cell needs to show text whole; whether a cell's text is cut off by its column.
    int ZellenBreite(const QString& text) const;
    bool ZelleAbgeschnitten(const QModelIndex& zelle) const;
    QTableView* TDBAlarme = nullptr;
    // The data control: the bound record set (nullptr until the database is opened).
    AlarmdefsModell* dbAlarme = nullptr;
    WertelistenDelegate* Wertelisten = nullptr;
    // The file list of the pictures folder; nothing else reads it.
    QString flstBilderPath;
    QString flstBilderPattern;
    // The last picked row, 19 texts.
    AlarmRecord AktuelleZeile;

signals:
    // What the window has to say; the shell shows it in the status bar.
    void StatusText(int panel, const QString& text);
    void StatusMeldung(const QString& text, const QString& detail);
    // A pick that did not happen, and the picture window to be shown after a pick.
    void AuswahlGescheitert(const QString& grund, const QString& detail);
    void BildfensterZeigen();
    // The window became the one the user works in (the tool bar's "Grid").
    void Aktiv();
    // The user started a pick (a row change, a double click); a found alarm shown by AlarmZeigen is none.
    void WahlBegonnen();
    // The window wants to be a child of the main window's MDI area (answered at once).
    void KindFensterGewuenscht(QWidget* fenster);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    enum class Quelle { Alle, Frei, OhnePos, Bild, Sortiert };
    struct Datensatzquelle {
        Quelle art = Quelle::Alle;
        QString bild;
        int spalte = -1;
        Qt::SortOrder ordnung = Qt::AscendingOrder;
    };

    void BaumAufbauen();
    void WertelistenFuellen();
    void DatenbankOeffnen(const QString& pfad);
    // The file's table as its data service describes it, taken while the
    // opening still goes on unless another program's lock holds it up; throws
    // AlarmdefsFehler when the table cannot be shown.
    void BeschreibungAbwarten();
    bool m_beschreibungAbwarten = false;
    std::optional<std::pair<QString, QString>> m_sofortAbgelehnt;  // text, detail
    // Why a table lacking columns of the 18 is not opened (German).
    static QString FehlendText(const QString& pfad, const QStringList& fehlen);
    void DatenbankSchliessen();
    bool QuelleAnwenden(const Datensatzquelle& q);
    void QuelleSetzen(const Datensatzquelle& q);
    void QuelleZumBild(const QString& form);
    void ZeileGewechselt(const QModelIndex& aktuell, const QModelIndex& vorher);
    // After a sort or a filter change the picked alarm's row stays selected and
    // in view, without a new pick.
    void AuswahlHalten();
    void ZeileHalten(int zeile);
    void SpaltenBreitenAnpassen();
    void BaumKnotenZeigen(const QString& schluessel);
    void FensterGroesseTwips(double* breite, double* hoehe) const;
    void StatusMelden(const QString& text);

    std::optional<Datensatzquelle> m_quelle;
    QString m_datenbankName;
    QString m_abgelehnt;  // a database refused at its opening; said once, not at every activation
    QString m_verbindung;
    bool m_geladen = false;
    bool m_mausImBaum = false;
    bool m_stilleWahl = false;        // a row change made by the window itself picks nothing
    bool m_breitenAngepasst = false;  // the columns fit their contents once per database
    int m_wahlNachSchreiben = -1;      // the row a value-list choice picks once its write has landed

    // The mouse moved the current node without a click on it (pressed on one, released on another).
    bool m_knotenOhneKlick = false;

    // The pick on its way from the click until its alarm list has come, and
    // the row the grid keeps selected meanwhile.
    Wahlablauf* m_wahl = nullptr;
    void Gewaehlt(const AlarmRecord& satz, const std::optional<AlarmListeTyp>& liste);

    // The alarm AlarmZeigen looks for; umgestellt: the source was changed to one that holds it.
    struct Zeigen {
        qlonglong nummer = -1;
        bool umgestellt = false;
    };
    std::optional<Zeigen> m_zeigen;
    std::optional<bool> m_zeigenSofort;  // the answer that came within AlarmZeigen
    bool m_zeigenLaeuft = false;
    QDeadlineTimer m_zeigenFrist;  // the look-up and the pick of AlarmZeigen share one wait
    bool m_gefundenZeigen = false;

    // A paste waiting for rows out of view: the block, where it goes, and the
    // keys of the rows it goes into (the order must not change meanwhile).
    struct OffenesEinfuegen {
        QList<QStringList> block;
        int oben = 0, links = 0, zeilen = 0, spalten = 0;
        QVector<qint64> schluessel;
    };
    std::optional<OffenesEinfuegen> m_einfuegen;
    void EinfuegenWeiter();
    void EinfuegenAusfuehren(const QList<QStringList>& block, int oben, int links, int zeilen, int spalten);
    // A paste whose rows the worker is writing: what its answer is told with.
    struct EinfuegenSchreiben {
        Datendienst::Ticket ticket = 0;
        int oben = 0, zeilen = 0, alarme = 0;
        QString zellenText, beschreibung;
        QStringList abgelehnt;  // cells refused before the write, listed with its answer
    };
    // every one is answered, in the order they were written
    QList<EinfuegenSchreiben> m_einfuegenSchreiben;
    void EinfuegenBeantwortet(const Datendienst::Antwort& a);
    // nullopt: nothing was to be written
    void EinfuegenMelden(const EinfuegenSchreiben& w, const std::optional<Sammelergebnis>& s);
    // the grid moves to a found alarm: no pick of the user's
    void AlarmGefunden(qlonglong nummer, int zeile, bool vorhanden, const QString& form);
    void ZeileZeigen(int zeile);
    void WahlMelden(const std::optional<QString>& grund, const QString& detail);
};
