#pragma once
// The bound view of the selection grid: the record set of Alarmdefs that the
// tree or a column header selects. On SQLite and on a PostgreSQL server it
// keeps the order of the rows as their keys (SQLite's rowid, the server's
// Ident) and reads pages of rows on demand, so a million rows open as fast as
// a hundred and no read stays open between uses (a direct write-back never
// waits on the grid). Cell edits are checked against the column's kind and
// written at once, one row at a time; rows are never inserted or deleted.
// The keys, the pages and the writes go through the database's data service
// on its own thread: the window waits at most a frame for an answer, a row
// whose page has not come yet shows empty (its row header a grey "…") and
// fills in when the page arrives; an answer to a request that a newer one
// replaced is dropped. Through ODBC (an Access file) there is no row key to
// read a page by: the whole source is read by the service in one pass and
// held by OdbcZeilen, the grid growing as its parts come; this model routes
// to it. The model takes connections of SQLite, PostgreSQL and ODBC, the
// ones the program opens.
#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlTableModel>
#include <QVariant>
#include <QVector>
#include <optional>
#include <utility>

#include "alarms/Datendienst.h"
#include "alarms/Identschluessel.h"
#include "alarms/OdbcZeilen.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"

class AlarmdefsModell : public QSqlTableModel {
    Q_OBJECT
public:
    // The model does not own the connection. sDatenbank names the file in
    // messages. Without a data service the model starts its own. A connection
    // of SQLite or PostgreSQL that is not open (only its driver is used, to
    // spell names) makes the model read everything through its service: the
    // table's description first (Unbrauchbar when it cannot be had), and the
    // window's thread never waits for the server's answer to a connect.
    AlarmdefsModell(QObject* parent, const QSqlDatabase& db, const QString& sDatenbank = {},
                    Datendienst* dienst = nullptr);
    // Its own worker is not waited for: it ends by itself after the request on hand.
    ~AlarmdefsModell() override;
    Datendienst* Dienst() const { return m_dienst; }

    // The record sources. Each returns false and keeps the rows shown before
    // when the database rejects the statement; lastError() says why. A source
    // whose rows take longer than a frame to order is shown when they come
    // (QuelleGewechselt), or refused then (QuelleAbgelehnt); meanwhile the
    // rows of before stay.
    bool AlleZeigen();
    bool OhneBildZeigen();
    bool BildZeigen(const QString& form);
    // Alarms with a picture but without a position (X or Y empty).
    bool OhnePositionZeigen();
    // All rows, ordered by one column: the tree's filter is dropped on purpose.
    bool SortierenNach(int spalte, Qt::SortOrder ordnung = Qt::AscendingOrder);
    // Runs the current record source again.
    bool Auffrischen();
    // The service's connection to the server was opened anew (the server came
    // back): until a page of it has come, nothing is waited for, so a cold
    // server never holds the window; its rows show "…" meanwhile.
    void NeueVerbindung() { m_kalt = true; }
    // Reads the given rows again in place (after a write-back from outside).
    void ZeilenNeuLesen(int von, int bis);
    // A row's alarm number changed (an undo, another window): where the row's key
    // follows the number, the grid keeps showing the row under its new key.
    void NummerGewechselt(qlonglong alt, qlonglong neu);
    // Reads again the rows held in memory that carry one of these alarm numbers.
    void ZeilenMitNummernNeuLesen(const QSet<qlonglong>& idents);
    // Where the row carrying that alarm number stands in the current record
    // source: ZeileGefunden tells it once the source's order and enough of its
    // count have come; vorhanden says whether the table holds the number at
    // all, form the picture of its first row (for a source that lacks it). A
    // newer request replaces an older one. An answer within warteMs is told
    // before the call returns.
    void ZeileSuchen(qlonglong ident, int warteMs);
    // Whether the rows are read through the data service (SQLite, PostgreSQL, ODBC).
    bool Seitenweise() const { return m_seitenweise; }
    // Whether the row is in memory, waiting at most warteMs (a frame) for its
    // page; a page not yet asked for (or failed a moment ago) is asked for
    // now, and dataChanged or ZeilenUnlesbar tell when it came.
    bool ZeileLesen(int zeile, int warteMs);
    // A row named by its key, for work that goes on when the row has come:
    // its key (-1 when none); whether it is in memory now (nothing is read);
    // where it stands now, looked for first at nahe (-1 when the source lacks it).
    qint64 Schluessel(int zeile) const;
    bool ZeileGeladen(int zeile) const;
    int ZeileMitSchluessel(qint64 schluessel, int nahe) const;
    // Whether a cell edit of that grid row is still on its way to the database.
    bool SchreibenOffen(int zeile) const;

    // A block pasted with its top left cell at (zeile, spalte), repeated over
    // zeilen × spalten cells (cut at the grid's edges): one write per row,
    // each conditional on the row as this grid read it; nothing is written
    // here, and nothing is read (a row not in memory is refused as unreadable).
    struct Einfuegung {
        QList<Schreibauftrag> auftraege;
        QStringList abgelehnt;  // one German line per refused cell
        int unveraendert = 0;   // cells that already hold the pasted value
    };
    Einfuegung EinfuegenPlanen(const QList<QStringList>& block, int zeile, int spalte, int zeilen, int spalten) const;

    // Largest number of characters a cell of that column takes (11 or 255).
    static int SpaltenBreite(int spalte);
    static bool IstZahlenSpalte(int spalte);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;
    bool insertRows(int, int, const QModelIndex& = {}) override { return false; }
    bool removeRows(int, int, const QModelIndex& = {}) override { return false; }
    void sort(int column, Qt::SortOrder order) override;


    // Whether a new source is still being read by the service.
    bool QuelleUnterwegs() const { return m_odbc ? m_odbc->QuelleUnterwegs() : m_quellTicket != 0; }
    // Whether the table's description is still on its way from the service
    // (a model that opened no connection of its own asks it first).
    bool BeschreibungUnterwegs() const { return m_beschreibTicket != 0; }
    // Takes the description when it comes before the service has worked on
    // it for arbeitMs and before it meets a lock another program holds on the
    // file: Beschrieben or Unbrauchbar is told before this returns. Otherwise
    // they come later.
    void BeschreibungAbwarten(int arbeitMs);

    // False while the rows of an unsorted source are still being counted in
    // the background (the grid grows as they come in), also while a lock held
    // by another program holds the counting up.
    bool AllesGelesen() const;
    // Whether ErsteZeilen has been told.
    bool ErsteZeilenDa() const { return m_ersteZeilen; }

signals:
    // A cell edit went to the database: written, or found changed meanwhile.
    void ZelleGeschrieben(const Schreibauftrag& auftrag, const Schreibergebnis& ergebnis);
    // The answer to a cell edit of that grid row came (at once or later); geschrieben: it landed.
    void SchreibenBeantwortet(int zeile, bool geschrieben);
    void ZeileGefunden(qlonglong ident, int zeile, bool vorhanden, const QString& form);
    // The rows von..bis could not be read (a German reason); they are asked for again a moment later.
    void ZeilenUnlesbar(int von, int bis, const QString& grund);
    // The counting of the rows is held up (a German reason); it goes on by itself.
    void ListeUnvollstaendig(const QString& grund);
    // The counting went on after a hold-up and has every row now.
    void ListeVollstaendig(int zeilen);
    // A source that was still being ordered is shown now, or was refused (lastError()).
    void QuelleGewechselt();
    void QuelleAbgelehnt();
    // The service could not open the table (text, detail in German), or it
    // lacks these of the 18 columns: the grid cannot show it.
    void Unbrauchbar(const QStringList& fehlen, const QString& text, const QString& detail);
    // The service has read the table's description: the table can be shown.
    void Beschrieben();
    // The first source is shown (its first rows held, or none in an empty
    // table), whether its answer was waited for or came later; told once.
    void ErsteZeilen();

public:

    // Pages held in memory at most (each of SeitenGroesse rows).
    static constexpr int SeitenGroesse = 256;
    static constexpr int SeitenHoechstens = 48;
    // Rowids read before a source is shown, and per step afterwards.
    static constexpr int ErsterTeil = 1024;
    static constexpr int WeitererTeil = 25000;
    static constexpr int WeiterNachMs = 30;
    // A page that could not be read is tried again after this long; the
    // connection's wait for a lock is restored after.
    static constexpr int NachlesenNachMs = 1000;
    // From this many rows on, a sort is shown when it comes without waiting for it first.
    static constexpr int GrossAb = 100000;

private:
    // A row as read: its key (a rowid, a server's Ident, the order it came in through ODBC) and its 18 values.
    using Zeile = OdbcZeilen::Zeile;
    struct Quelle {
        QString filter;  // empty: all rows
        int sortSpalte = -1;
        Qt::SortOrder ordnung = Qt::AscendingOrder;
    };

    // What a request to the data service was for; its answer is taken only
    // while the request is still the newest of its kind.
    struct Anfrage {
        enum class Zweck { Quelle, Weiter, Zeilen, Schreiben, Finden, Beschreibung, Folgen } zweck = Zweck::Zeilen;
        qlonglong ident = -1;        // Finden: the number looked for (quelle: the source it was looked for in)
        int generation = 0;
        Quelle quelle;               // Quelle
        int schonDa = 0;             // Weiter: keys read again to step over
        qsizetype bisher = 0;        // Weiter: keys held when asked
        QVector<int> positionen;     // Zeilen
        QVector<qint64> schluessel;  // Zeilen: the keys at those positions when asked
        int seite = -1;              // Zeilen: a whole page
        Schreibauftrag auftrag;      // Schreiben
        int zeile = -1;              // Schreiben: the grid row
        qint64 alt = -1;             // Folgen: the key a row had before its number changed
        QVector<qlonglong> nummern;  // Nachlesen: the alarm numbers of those rows when asked
    };

    bool Anwenden(const Quelle& neu);
    bool QuelleErhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet);
    void Beantwortet(const Datendienst::Antwort& a);
    QString Tabelle() const;
    // The statement of the keys of the source in order: the first ones, or those after the keys read so far.
    QString RowidsSql(const Quelle& q, bool weiter, int hoechstens, int* schonDa) const;
    void WeiterLesen(int generation);
    void WeiterErhalten(const Datendienst::Antwort& a, const Anfrage& an);
    // Waits at most warteMs for the counting to take one step; false when it has not.
    bool WeiterLesenJetzt(int warteMs);
    QString Bedingung(const Quelle& q) const;
    // nullptr: not in memory (a page is asked for, waited for a frame at most).
    const Zeile* ZeileHolen(int row) const;
    // The same, waiting up to ms for a page on its way (a paste plans on rows out of view).
    const Zeile* ZeileAbwarten(int row, int ms) const;
    // Asks for the rows at these positions (a whole page when seite >= 0) and
    // waits for them at most warteMs; true when they came and were taken.
    bool ZeilenAnfordern(const QVector<int>& positionen, int seite, int warteMs);
    // Asks for a whole page without waiting; one asked for by the view may be
    // given up when the view has moved on.
    void SeiteAnfordern(int seite, bool fuerAnsicht);
    // Whether the page is held with every row the source has on it now.
    bool SeiteVoll(int seite) const;
    // The last page of a large complete source, read before a jump to the end.
    void EndeVorauslesen();
    // The view turned to another page: the next one in its direction is asked for.
    void AnsichtWechselt(int seite);
    bool ZeilenErhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet);
    void FehlSeitenNachlesen();
    // The keys of the last page of a list whose keys from neuVon on are neu
    // (those from davorVon on davor): none below GrossAb keys, or when its
    // keys are not all at hand. Runs on the data service's worker too.
    static QVector<qint64> LetzteSeite(const QVector<qint64>& davor, qsizetype davorVon, const QVector<qint64>& neu,
                                       qsizetype neuVon);
    // The last page read along with the keys of a, held when it still is the list's last page.
    void MitgeleseneSeite(const Datendienst::Antwort& a, bool spaet);
    void NachlesenPlanen();
    bool SchreibenErhalten(const Datendienst::Antwort& a, const Anfrage& an);
    // A server's key, the Ident, may be carried by several rows: the k-th position with that key gets the k-th of them.
    int Vorkommen(int position) const;
    QString Reihung(const Quelle& q) const;
    // The read of rows by their keys in source q's order: the keys, joined by commas, go between the two.
    std::pair<QString, QString> ZeilenSql(const Quelle& q) const;
    // The read of the rows of these keys, in source q's order.
    QString ZeilenSql(const Quelle& q, const QVector<qint64>& schluessel) const;
    // The row of key alt got a new number: where its rowid follows the number
    // (the number as the table's key), the service says its new rowid and the
    // grid follows it when that comes; zeile (>= 0) is read again then.
    void SchluesselFolgen(qint64 alt, const QVariant& neu, int zeile);
    void FolgenErhalten(const Datendienst::Antwort& a, const Anfrage& an);
    void BeschreibungErhalten(const Datendienst::Antwort& a);
    // A cell edit of a row whose page had not come: written once the page has come.
    struct OffeneEingabe {
        qint64 schluessel = -1;
        int zeile = -1;
        int spalte = -1;
        QVariant wert;
        int generation = 0;
    };
    QList<OffeneEingabe> m_offeneEingaben;
    void EingabenWeiter();
    bool Eingeben(int zeile, int spalte, const QVariant& wert, const Zeile& z);
    QString Spalte(const QString& name) const;
    QString SpalteNr(int spalte) const;  // one of the 18 by its place in the record

    // The row looked for by ZeileSuchen: its key once known, and how far the count was searched for it.
    struct Gesucht {
        qlonglong ident = -1;
        Datendienst::Ticket ticket = 0;
        QString filter;  // of the source the key was found for
        qint64 schluessel = -1;
        QString form;
        qsizetype durchsucht = 0;
    };
    std::optional<Gesucht> m_gesucht;
    void FindenErhalten(const Datendienst::Antwort& a, const Anfrage& an);
    void GesuchtWeiter();
    bool m_seitenweise = false;

    // ODBC: the rows of the whole source, held apart (nullptr on other drivers).
    OdbcZeilen* m_odbc = nullptr;
    void OdbcVerbinden();
    bool m_kalt = false;  // a new connection: not waited for until a page has come
    QStringList m_feldNamen;        // the table's column names, as the service read them
    QString m_schluessel;  // the key the pages are read by: rowid, or the Ident's number on a server
    QString m_schluesselSpalte;  // the column it comes from (rowid, the Ident as the table holds it)
    QString m_identAbgelehnt;  // why the table's Ident cannot key the grid (German)
    void SchluesselNehmen(const Identschluessel& s);
    QString m_textReihung;  // follows a text column in ORDER BY: the German order of this connection
    QString m_datenbank;
    bool m_aufgehalten = false;  // the counting failed once and is being tried again
    Quelle m_quelle;
    Quelle m_waehlend;  // the source the ODBC rows are being read for
    bool m_gewaehlt = false;
    bool m_ersteZeilen = false;  // ErsteZeilen told
    int m_anzahl = 0;
    // The rows of the source in order, as rowids; pages are read by them.
    QVector<qint64> m_reihenfolge;
    bool m_reihenfolgeGeliehen = false;  // still the keys as the worker read them
    bool m_vollstaendig = true;
    int m_generation = 0;
    mutable QHash<int, QVector<Zeile>> m_seiten;
    mutable QList<int> m_seitenAlter;  // least recently used first
    // Pages whose reading failed (a locked file): not read again on every
    // paint, but once more a moment later.
    mutable QSet<int> m_fehlSeiten;
    mutable bool m_nachlesenGeplant = false;

    Datendienst* m_dienst = nullptr;
    QHash<Datendienst::Ticket, Anfrage> m_anfragen;
    int m_meisteZeilen = 0;                      // the most rows a source of this table had
    Datendienst::Ticket m_quellTicket = 0;       // the newest source on its way
    Datendienst::Ticket m_beschreibTicket = 0;   // the table's description on its way
    Datendienst::Ticket m_weiterTicket = 0;      // the counting step on its way
    QHash<int, Datendienst::Ticket> m_seitenTickets;  // pages on their way
    // The pages the view asked for, oldest first, with their tickets: the
    // oldest are given up once more than AnsichtHoechstens are on their way.
    QList<std::pair<int, Datendienst::Ticket>> m_ansichtSeiten;
    static constexpr int AnsichtHoechstens = 6;
    int m_letzteAnsicht = 0;  // the page the view read last
    // Pages a paint showed empty, having waited for them in vain.
    QSet<int> m_leerGezeigt;
};
