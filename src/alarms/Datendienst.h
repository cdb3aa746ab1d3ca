#pragma once
// The one worker of an open alarm database: a thread of its own that owns the
// database's connection and its resolved address, and does the reads and
// writes asked of it one after the other (writes therefore stay in order).
// Every request gets a ticket; its answer comes back as a queued signal on the
// asker's thread. A caller that cannot go on without the answer may wait for
// it, but never longer than a frame: what has not come by then arrives later
// through the signal, so a locked file or a long sort never holds the window.
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "alarms/AlarmRecord.h"
#include "alarms/Datenbankadresse.h"
#include "alarms/Identschluessel.h"
#include "alarms/Sammelergebnis.h"
#include "alarms/Schreibauftrag.h"
#include "alarms/Schreibergebnis.h"

class QSqlDatabase;
class QThread;

class Datendienst : public QObject {
    Q_OBJECT
public:
    using Ticket = quint64;

    struct Antwort {
        Ticket ticket = 0;
        bool ok = false;
        bool abgebrochen = false;            // given up on request: nothing was read
        QSqlError fehler;                    // why not ok
        QVector<qint64> schluessel;          // SchluesselLesen: the first column as numbers
        QVector<QVector<QVariant>> zeilen;   // ZeilenLesen: every column of every row
        // SchluesselLesen with rows read along: the keys named by its ende, and their rows.
        QVector<qint64> endeSchluessel;
        QVector<QVector<QVariant>> endeZeilen;
        Schreibergebnis ergebnis;            // Schreiben
        std::optional<AlarmListeTyp> liste;  // AlarmListeLesen
        Sammelergebnis sammel;               // SchreibenAlle
        QVariant wert;                       // Rechnen
        // Beschreiben: the table's column names as it spells them, the 18 it
        // lacks, and the German order of text columns on this connection.
        QStringList feldNamen;
        QStringList fehlendeSpalten;
        QString textReihung;
        // On a server: how its rows are keyed by their alarm number.
        Identschluessel ident;
    };

    // An answer taken by a wait. What it holds was made on the worker, in
    // memory of that thread's heap: it is let go off the taker's thread (see
    // Freigabe) when the taker is done with it, so the window never frees it
    // under the lock of that heap.
    class Abgeholt {
    public:
        Abgeholt() = default;
        explicit Abgeholt(Antwort a) : m_antwort(std::move(a)) {}
        Abgeholt(Abgeholt&& o) noexcept : m_antwort(std::exchange(o.m_antwort, std::nullopt)) {}
        Abgeholt& operator=(Abgeholt&& o) noexcept {
            Loslassen();
            m_antwort = std::exchange(o.m_antwort, std::nullopt);
            return *this;
        }
        ~Abgeholt() { Loslassen(); }
        explicit operator bool() const { return m_antwort.has_value(); }
        const Antwort& operator*() const { return *m_antwort; }
        const Antwort* operator->() const { return &*m_antwort; }

    private:
        void Loslassen();
        std::optional<Antwort> m_antwort;
    };

    // sDatenbank in the program's own form; its address is resolved once here.
    explicit Datendienst(const QString& sDatenbank, QObject* parent = nullptr);
    // The same through ODBC by that connection string (an Access file, or
    // another ODBC source standing in for one): the worker opens it.
    Datendienst(const QString& sDatenbank, const QString& odbcVerbindung, QObject* parent);
    ~Datendienst() override;

    const Datenbankadresse& Adresse() const { return m_adresse; }
    QString Datenbank() const { return m_datenbank; }

    // A read whose rows are keys (rowids, alarm numbers).
    Ticket SchluesselLesen(const QString& sql, const QVariantList& werte = {});
    // The same, and on the same turn of the worker the rows of the first
    // ersteZeilen keys: zeilenSql, given the keys as a list, is the read of
    // them (into Antwort::zeilen). A grid that opens a source shows its first
    // rows without asking again; rows that cannot be read leave zeilen empty.
    // ende, given the keys read, may name more keys whose rows are read on
    // that turn too (into Antwort::endeZeilen): the last page of a long list,
    // where a user jumps next, is there the moment the list is.
    using Mitlesen = std::function<QVector<qint64>(const QVector<qint64>&)>;
    Ticket SchluesselLesen(const QString& sql, int ersteZeilen, std::function<QString(const QString&)> zeilenSql,
                           Mitlesen ende = {});
    Ticket ZeilenLesen(const QString& sql, const QVariantList& werte = {});
    // One write through the one write path, after every write asked before it.
    Ticket Schreiben(const Schreibauftrag& auftrag);
    // The alarm list of a picture, as AlarmdefsZugriff::AlarmListeLesen gives it.
    Ticket AlarmListeLesen(const QString& form);
    // Several rows in one transaction through the one write path (an undo, a
    // redo), in order with every other write.
    Ticket SchreibenAlle(const QList<Schreibauftrag>& auftraege);
    // The same, the writes made by bauen on the worker first: a step of a
    // hundred thousand rows is not built by the window, and keeps its place in
    // the order; danach, given the outcome, fills Antwort::wert there too.
    Ticket SchreibenAlle(std::function<QList<Schreibauftrag>()> bauen,
                         std::function<QVariant(const Sammelergebnis&)> danach = {});
    // Work of an upper layer that opens its own connection to this database
    // (a search): done on the worker, in order, its result in Antwort::wert.
    // It must not throw; a failure is told in its result.
    Ticket Rechnen(std::function<QVariant()> arbeit);
    // A whole record source read in one pass, for an engine without a row key
    // to read pages by (ODBC): the rows read so far are handed over in parts
    // (TeilGelesen, then TeileNehmen), the first after ersterTeil rows, then
    // every weitererTeil; the answer holds the rows not taken before it.
    Ticket Durchlesen(const QString& sql, int ersterTeil, int weitererTeil);
    QVector<QVector<QVariant>> TeileNehmen(Ticket ticket);
    // What a grid needs to know of the table before it shows it, read on the
    // worker (a window that opens no connection of its own asks this first).
    Ticket Beschreiben();

    // Closing without waiting: the worker finishes the request on hand (a write
    // lands or is refused), skips what was asked after it, closes its connection
    // and then this service deletes itself. No answer is signalled any more.
    // For an owner that goes while the worker may wait on a lock.
    void Beenden();

    // Waits at most ms for the answer. An answer taken here is not signalled.
    Abgeholt Abwarten(Ticket ticket, int ms);
    // The same, but it also ends the moment the worker knows that the answer
    // is a large picture's list (more than GrosseListeAb alarms): that one
    // takes longer than a frame to read and is built in parts anyway, so a
    // wait for it would only hold the window.
    Abgeholt AbwartenKlein(Ticket ticket, int ms);
    // The same, but it ends the moment the worker meets a lock another program
    // holds on the file (it waits for it up to the connection's time-out): an
    // idle file answers within a moment, a locked one is not waited for here.
    Abgeholt AbwartenUngesperrt(Ticket ticket, int ms);
    static inline int GrosseListeAb = 2000;
    // The same, and it ends too once the worker has spent arbeitMs on this
    // request: a request slow in itself (a file with a large schema to read)
    // is not waited for, one the worker has merely not turned to yet is.
    Abgeholt AbwartenArbeit(Ticket ticket, int arbeitMs, int ms);
    // A request nobody waits for any more: skipped if not started, a running
    // SQLite read is interrupted. Its answer still comes (marked abgebrochen or
    // as read), for the asker to drop.
    void Abbrechen(Ticket ticket);

    // A frame at 60 Hz: the longest an opening holds the window for an answer.
    static constexpr int EinBildMs = 16;
    // How long the window waits for an answer before it shows a placeholder:
    // a frame or two while the service works on other requests; a little
    // longer while it has nothing else to do, where an answer within that
    // time is all but certain and an empty row would only flicker. Tests that
    // check an edit's answer at once raise them on a loaded machine.
    static inline int HoechstensWartenMs = 30;
    static inline int LeerlaufWartenMs = 100;
    // Whether requests are queued or being answered.
    bool Beschaeftigt() const { return m_offen_anfragen.load() > 0; }
    // How long the window waits for a write's answer before it goes on without
    // it: the longer wait only on an idle file; on a server another client
    // may hold the row locked, so never more than a frame or two there.
    int SchreibenWartenMs() const {
        return Beschaeftigt() || m_adresse.IstServer() ? HoechstensWartenMs : LeerlaufWartenMs;
    }
    // Requests answered so far (for tests and the bench).
    int Beantwortete() const { return m_beantwortet.load(); }

signals:
    void Beantwortet(const Datendienst::Antwort& antwort);
    // Rows of a Durchlesen have come; TeileNehmen takes them.
    void TeilGelesen(Datendienst::Ticket ticket);

private:
    enum class Art { Schluessel, Zeilen, Schreiben, AlarmListe, Eigen };
    // tun: the work of a request kind of its own (Art::Eigen), on the worker, with its connection;
    // for a key read, what is read after it on the same turn.
    using Tun = std::function<void(QSqlDatabase& db, Antwort& a)>;
    Ticket Stellen(Art art, const QString& sql, const QVariantList& werte, const Schreibauftrag& auftrag,
                   Tun tun = {});
    // on the worker thread
    // zustellung: the event that tells the asker, made on its thread.
    void Ausfuehren(Ticket ticket, Art art, const QString& sql, const QVariantList& werte,
                    const Schreibauftrag& auftrag, const Tun& tun, QEvent* zustellung);
    bool Verbinden(QSqlError* fehler);
    void Abliefern(Antwort a, QEvent* zustellung);
    void Schlussauftrag();
    // on the asker's thread
    bool event(QEvent* e) override;
    void Zustellen(Ticket ticket);

    const QString m_datenbank;
    const Datenbankadresse m_adresse;
    const QString m_name;  // the connection's name, used on the worker only
    const QString m_odbc;  // the ODBC connection string, where one was given
    QThread* m_faden = nullptr;
    QObject* m_arbeiter = nullptr;  // lives on m_faden; requests are queued to it
    bool m_offen = false;           // worker only

    QMutex m_sperre;
    QWaitCondition m_fertig;
    QHash<Ticket, Antwort> m_postfach;  // answers not yet taken
    QSet<Ticket> m_abgebrochen;
    QSet<Ticket> m_gross;              // lists known to be large before they are read
    QHash<Ticket, QVector<QVector<QVariant>>> m_teile;  // rows of a Durchlesen not yet taken
    // worker only: whether its connection goes through ODBC
    bool Odbc();
    std::optional<bool> m_odbcArt;
    std::optional<bool> m_formIndex;   // worker only: whether the picture column has an index to count by
    // worker only: whether the list of form is large, where an index counts it cheaply
    bool ListeGross(const QString& form);
    Ticket m_laufend = 0;              // the request the worker is on
    bool m_sperreWartet = false;       // the request on hand waits for another program's lock
    enum class Bis { Antwort, Gross, Sperre };
    // arbeitMs: ends too once the worker has been on the request that long (-1: no such end).
    Abgeholt Warten(Ticket ticket, int ms, Bis bis, int arbeitMs = -1);
    QElapsedTimer m_laufUhr;           // since the worker turned to m_laufend
    // worker only: SQLite's wait for a lock, in its own steps up to the
    // connection's time-out, telling waiters that must not wait for a lock and
    // giving up at once on a request nobody waits for any more.
    static int SperreAbwarten(void* dienst, int versuch);
    void* m_sqliteHandle = nullptr;    // for interrupting a long read
    struct Schreibplatz;
    std::unique_ptr<Schreibplatz> m_schreiber;  // worker only: a server's writer, kept with its connection
    Ticket m_naechstes = 0;
    std::atomic<bool> m_ende{false};
    std::atomic<int> m_beantwortet{0};
    std::atomic<int> m_offen_anfragen{0};
};

Q_DECLARE_METATYPE(Datendienst::Antwort)
