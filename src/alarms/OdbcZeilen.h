#pragma once
// The rows of the grid's source through ODBC (an Access file). An Access file
// has no row key that ODBC shows (no rowid), and Access SQL has no OFFSET: a
// page in the middle of a source could only be reached by reading every row
// before it, and a page read again by its numbers could not tell two rows of
// one number apart. So each source is read whole, in one pass on the data
// service's worker, and held here, the grid growing as its parts come; the
// rows are named by the order they came in (keys that only grow). A row is
// read again by its alarm number where that names one row; rows of a number
// several rows carry are brought up to date by reading the source anew.
// No widgets and no model: the grid's model routes to this and turns the
// signals into its own.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QVariant>
#include <QVector>
#include <optional>

#include "alarms/Datendienst.h"

class OdbcZeilen : public QObject {
    Q_OBJECT
public:
    // db only spells names (the service's worker owns the connection);
    // sDatenbank names the file in messages.
    OdbcZeilen(Datendienst* dienst, const QSqlDatabase& db, const QString& sDatenbank, QObject* parent = nullptr);

    struct Zeile {
        qint64 schluessel = 0;
        QVector<QVariant> werte;  // the 18 columns in the program's order, from versatz on
        // The grid keeps a row as its worker read it, the key in front: no
        // copy of it is made on the window's thread, and all of it can be
        // let go together where it was made.
        qsizetype versatz = 0;
        qsizetype Anzahl() const { return werte.size() - versatz; }
        QVariant Wert(qsizetype spalte) const { return werte.value(spalte + versatz); }
        QVariantList Werte() const { return versatz ? werte.mid(versatz) : werte; }
    };

    // Reads the source anew: the rows shown stay until the new one's first
    // rows come (Ersetzt), at once when they come within a frame. False when
    // the database refused it within that frame (fehler()).
    bool Anwenden(const QString& filter, int sortSpalte, Qt::SortOrder ordnung);
    // Whether a new source is on its way, or the one shown still being read.
    bool QuelleUnterwegs() const { return m_quellTicket != 0; }
    bool AllesGelesen() const { return m_vollstaendig && !m_quellTicket; }
    QSqlError Fehler() const { return m_fehler; }

    int Anzahl() const { return static_cast<int>(m_zeilen.size()); }
    const Zeile* ZeileBei(int zeile) const {
        return zeile >= 0 && zeile < m_zeilen.size() ? &m_zeilen.at(zeile) : nullptr;
    }
    qint64 Schluessel(int zeile) const { return zeile >= 0 && zeile < m_zeilen.size() ? m_zeilen.at(zeile).schluessel : -1; }
    int ZeileMitSchluessel(qint64 schluessel) const;
    std::optional<qlonglong> Nummer(int zeile) const;

    // A cell edit landed (or not) on that row of the source generation it was asked in.
    void Geschrieben(int zeile, const QList<int>& spalten, const QVariantList& werte, bool geschrieben);
    // Reads these rows again by their numbers; a number several rows carry reads the source anew.
    void Nachlesen(const QVector<int>& positionen);
    void NummernNachlesen(const QSet<qlonglong>& nummern);
    void NummerGewechselt(qlonglong alt, qlonglong neu);
    // Where the row of that number stands (ZeileGefunden), once the source has come that far.
    void Suchen(qlonglong ident, int warteMs);
    // Counted up with each new source shown: an answer of an older one is not taken.
    int Generation() const { return m_generation; }

    static constexpr int ErsterTeil = 1024;
    static constexpr int Teil = 8192;  // rows handed over per part after the first ones
    static constexpr int NachlesenNachMs = 1000;

signals:
    // The first rows of a new source replace the rows shown (between the two).
    void VorErsetzen();
    void Ersetzt(bool spaet);
    // Rows von..bis are being added at the end (between the two).
    void VorAnhaengen(int von, int bis);
    void Angehaengt();
    void ZeileGeaendert(int zeile);
    // Another source was refused; the rows of before stay.
    void Abgelehnt(bool spaet);
    void Unvollstaendig(const QString& grund);
    void Vollstaendig(int zeilen);
    void ZeileGefunden(qlonglong ident, int zeile, bool vorhanden, const QString& form);

private:
    enum class Zweck { Durchlesen, Nachlesen, Vorhanden, Auffrischen };
    struct Anfrage {
        Zweck zweck = Zweck::Durchlesen;
        QString sql;                 // Durchlesen: the source's statement
        bool gefiltert = false;      // Durchlesen: a source that holds not all rows
        int generation = 0;
        qlonglong ident = -1;        // Vorhanden
        QVector<int> positionen;     // Nachlesen, with the keys and numbers when asked
        QVector<qint64> schluessel;
        QVector<qlonglong> nummern;
    };
    struct Gesucht {
        qlonglong ident = -1;
        Datendienst::Ticket ticket = 0;
        qsizetype durchsucht = 0;
    };

    bool Lesen(const Anfrage& an);
    void Beantwortet(const Datendienst::Antwort& a);
    void TeilGelesen(Datendienst::Ticket ticket);
    bool Erhalten(const Datendienst::Antwort& a, const Anfrage& an, bool spaet);
    void Anhaengen(const QVector<QVector<QVariant>>& zeilen, Datendienst::Ticket ticket, const Anfrage& an, bool spaet);
    void Nachgelesen(const Datendienst::Antwort& a, const Anfrage& an);
    void VorhandenErhalten(const Datendienst::Antwort& a, const Anfrage& an);
    void GesuchtWeiter();
    int SuchenAb(qlonglong ident, int ab) const;
    QString Spalte(const QString& name) const;

    Datendienst* m_dienst;
    QSqlDatabase m_db;
    QString m_datenbank;
    QVector<Zeile> m_zeilen;
    qint64 m_naechster = 0;
    int m_generation = 0;
    bool m_gewaehlt = false;     // a source has been shown
    bool m_gefiltert = false;    // the source shown holds not all rows
    Anfrage m_gezeigt;           // the source shown, to read it anew
    bool m_vollstaendig = true;
    bool m_aufgehalten = false;  // reading failed once and is being tried again
    bool m_kalt = true;          // nothing read yet: not waited for
    QSqlError m_fehler;
    QHash<Datendienst::Ticket, Anfrage> m_anfragen;
    Datendienst::Ticket m_quellTicket = 0;   // a new source on its way
    Datendienst::Ticket m_weiterTicket = 0;  // the source shown, still being read
    // The source shown read anew in the background (rows of a shared number
    // changed): its rows are collected here and then taken in place.
    Datendienst::Ticket m_frischTicket = 0;
    QVector<QVector<QVariant>> m_frisch;
    bool m_frischNochmal = false;  // asked again while one was on its way
    void Auffrischen();
    void Aufgefrischt(const Datendienst::Antwort& a, const Anfrage& an);
    std::optional<Gesucht> m_gesucht;
    quint64 m_suche = 0;  // the newest Suchen, so a wait ends when another replaced it
};
