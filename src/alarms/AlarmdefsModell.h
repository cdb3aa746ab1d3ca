#pragma once
// The bound view of the selection grid: the record set of Alarmdefs that the
// tree or a column header selects. On SQLite and on a PostgreSQL server it
// keeps the order of the rows as their keys (SQLite's rowid, the server's
// Ident) and reads pages of rows on demand, so a million rows open as fast as
// a hundred and no read stays open between uses (a direct write-back never
// waits on the grid). Cell edits are checked against the column's kind and
// written at once, one row at a time; rows are never inserted or deleted.
// Other drivers use QSqlTableModel's own fetching.
#include <QHash>
#include <QList>
#include <QSet>
#include <QSet>
#include <QSqlTableModel>
#include <QVariant>
#include <QVector>

#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"

class AlarmdefsModell : public QSqlTableModel {
    Q_OBJECT
public:
    // db must be open; the model does not own the connection. sDatenbank names
    // the file in messages.
    AlarmdefsModell(QObject* parent, const QSqlDatabase& db, const QString& sDatenbank = {});

    // The record sources. Each returns false and keeps the rows shown before
    // when the database rejects the statement; lastError() says why.
    bool AlleZeigen();
    bool OhneBildZeigen();
    bool BildZeigen(const QString& form);
    // Alarms with a picture but without a position (X or Y empty).
    bool OhnePositionZeigen();
    // All rows, ordered by one column: the tree's filter is dropped on purpose.
    bool SortierenNach(int spalte, Qt::SortOrder ordnung = Qt::AscendingOrder);
    // Runs the current record source again.
    bool Auffrischen();
    // Reads the given rows again in place (after a write-back from outside).
    void ZeilenNeuLesen(int von, int bis);
    // A row's alarm number changed (an undo, another window): where the row's key
    // follows the number, the grid keeps showing the row under its new key.
    void NummerGewechselt(qlonglong alt, qlonglong neu);
    // Reads again the rows held in memory that carry one of these alarm numbers.
    void ZeilenMitNummernNeuLesen(const QSet<qlonglong>& idents);
    // The grid row of the first row carrying that alarm number in the current
    // record source (the rest of the source is counted first when needed); -1
    // when the source does not hold it.
    int ZeileVon(qlonglong ident);

    // A block pasted with its top left cell at (zeile, spalte), repeated over
    // zeilen × spalten cells (cut at the grid's edges): one write per row,
    // each conditional on the row as this grid read it; nothing is written here.
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

protected:
    QString selectStatement() const override;

public:

    // False while the rows of an unsorted source are still being counted in
    // the background (the grid grows as they come in), also while a lock held
    // by another program holds the counting up.
    bool AllesGelesen() const;

signals:
    // A cell edit went to the database: written, or found changed meanwhile.
    void ZelleGeschrieben(const Schreibauftrag& auftrag, const Schreibergebnis& ergebnis);
    // The counting of the rows is held up (a German reason); it goes on by itself.
    void ListeUnvollstaendig(const QString& grund);
    // The counting went on after a hold-up and has every row now.
    void ListeVollstaendig(int zeilen);

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

private:
    struct Zeile {
        qint64 rowid = 0;
        QVector<QVariant> werte;
    };
    struct Quelle {
        QString filter;  // empty: all rows
        int sortSpalte = -1;
        Qt::SortOrder ordnung = Qt::AscendingOrder;
    };

    bool Anwenden(const Quelle& neu);
    QString Tabelle() const;
    // The keys of the source in order: the first ones, or those after the keys read so far.
    bool RowidsLesen(const Quelle& q, bool weiter, int hoechstens, QVector<qint64>* aus, QSqlError* fehler) const;
    void WeiterLesen(int generation);
    QString Bedingung(const Quelle& q) const;
    const Zeile* ZeileHolen(int row) const;
    bool SeiteLesen(int seite) const;
    void FehlSeitenNachlesen();
    // The rows at these positions, in the same order. A server's key, the Ident,
    // may be carried by several rows: the k-th position with that key gets the k-th of them.
    bool ZeilenAn(const QVector<int>& positionen, QVector<Zeile>* aus, QString* fehler) const;
    int Vorkommen(int position) const;
    QString Reihung(const Quelle& q) const;
    bool ZeileNochDa(qint64 rowid) const;
    QString Spalte(const QString& name) const;
    QString SpalteNr(int spalte) const;  // one of the 18 by its place in the record

    bool m_seitenweise = false;
    QString m_schluessel;  // the key the pages are read by: rowid, or the Ident on a server
    QString m_textReihung;  // follows a text column in ORDER BY: the German order of this connection
    QString m_datenbank;
    bool m_aufgehalten = false;  // the counting failed once and is being tried again
    Quelle m_quelle;
    Quelle m_waehlend;  // the source the table model is reading (other drivers)
    bool m_gewaehlt = false;
    int m_anzahl = 0;
    // The rows of the source in order, as rowids; pages are read by them.
    QVector<qint64> m_reihenfolge;
    bool m_vollstaendig = true;
    int m_generation = 0;
    mutable QHash<int, QVector<Zeile>> m_seiten;
    mutable QList<int> m_seitenAlter;  // least recently used first
    // Pages whose reading failed (a locked file): not read again on every
    // paint, but once more a moment later.
    mutable QSet<int> m_fehlSeiten;
    mutable bool m_nachlesenGeplant = false;
};
