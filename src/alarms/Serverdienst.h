#pragma once
// The kept connection to a server database: the component writes through it.
// The watcher's connection listens for the notifications every writer sends
// with the alarm number of each row it wrote, so this client shows what the
// others changed; the writing connection listens for nothing, so a write is
// one round trip with nothing to handle after it.
// A connection that drops is opened again; the user sees a note meanwhile.
// Whether the server still answers, and whether the kept connection still
// stands, is asked on a thread of its own (Serverwaechter), which also opens a
// lost connection again, so a silent server never holds the window: while it
// does not answer, writes are refused at once. The first connection of a
// database is opened there too when the window opens it (Anstossen); only a
// caller that needs it at once opens it on its own thread (Verbinden).
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>
#include <memory>

#include "alarms/AlarmRecord.h"

class AlarmdefsSchreiber;
class QThread;
class QTimer;
class Serverwaechter;

class Serverdienst : public QObject {
    Q_OBJECT
public:
    Serverdienst(const QString& sDatenbank, QObject* parent = nullptr);
    ~Serverdienst() override;

    // Opens the connection (the watcher listens before this returns); a German
    // reason when it cannot. A connection that was lost is opened again by the
    // watcher, not here: until it stands, this says why not.
    bool Verbinden(QString* grund = nullptr, QString* detail = nullptr);
    // Opens the first connection on the watcher's thread, so opening a database
    // never holds the window; once it stands and listens, ErsteVerbindung.
    // A write before that opens one itself (Verbinden); the later one is let go.
    // Asked while the server does not answer, it is opened once it answers again.
    void Anstossen();
    // Starts the regular check before any connection of this client stands,
    // so a server that stops answering while a database opens is noticed from
    // the first moment; the check opens the watcher's connection when it is
    // due before Anstossen was asked.
    void Wachen();
    bool Verbunden() const { return m_verbunden; }
    QSqlDatabase& Verbindung() { return m_db; }
    // Writes through the kept connection; its statements are prepared once.
    AlarmdefsSchreiber& Schreiber();
    // A write through the connection failed: if the connection is gone, it is
    // opened again (at the next write, or by the regular check).
    void NachFehler();
    // Reads the rows carrying these alarm numbers on the watcher's thread, so
    // a slow server never holds the window; they come as ZeilenNachgelesen.
    // Of several requests for one number only the newest answer is handed on,
    // and none read before a write of this client began.
    void Nachlesen(const QList<qlonglong>& nummern);
    // How often the connection is checked.
    static constexpr int PruefenMs = 2000;
    // A check without an answer for this long: the server counts as silent.
    static constexpr int StillNachMs = 3000;
    bool Still() const { return m_still; }

signals:
    // Other clients wrote the rows carrying these alarm numbers; the notes
    // that came in together are handed on together.
    void ZeilenGemeldet(const QStringList& idents);
    // The rows asked for by Nachlesen as they stand now, by alarm number (a
    // number without rows: none stands any more); nummern are those answered.
    void ZeilenNachgelesen(const QList<qlonglong>& nummern, const QHash<qlonglong, AlarmListeTyp>& zeilen);
    // The connection dropped, or stands again: a note for the user.
    void Zustand(const QString& text);
    // The connection stands again: what is shown is read afresh, as
    // notifications may have been missed meanwhile.
    void WiederVerbunden();
    // The first connection opened by Anstossen stands and listens: what was
    // shown before is read again, as a note may have come before it listened.
    void ErsteVerbindung();
    // The connection that listens was lost and stands again while the writing
    // one stood: notes may have been missed, what is shown is read afresh.
    void MeldungenVerpasst();

private:
    // Notes from the watcher; those the writing connection sent are this client's own.
    void Gemeldet(const QList<qint64>& prozesse, const QStringList& inhalte);
    void WiederGelauscht();
    void Pruefen();
    void Antwort(bool steht, bool keptSteht);
    // The kept connection's link to its server is known to be broken (no round trip).
    bool Abgerissen(bool nachlesen = false) const;
    void Erneuern();
    void Bereitgestellt(const QString& name, bool eingerichtet, qint64 prozess, const QString& grund,
                        const QString& detail);
    void Uebernehmen(const QString& name, bool eingerichtet, qint64 prozess, bool vomWaechter);
    // Lets go of the kept connection: one the watcher made goes back to its
    // thread to be closed there, where the notifier it listens with lives.
    void Loslassen();
    void Wiederda(bool neu);
    void Gelesen(quint64 auftrag, const QList<qlonglong>& nummern, const QHash<qlonglong, AlarmListeTyp>& zeilen);
    void Unterbrochen(const QString& text);

    QString m_datenbank;
    QString m_name;
    QSqlDatabase m_db;
    std::unique_ptr<AlarmdefsSchreiber> m_schreiber;
    QTimer* m_uhr = nullptr;
    QTimer* m_sammeln = nullptr;  // hands on the notes gathered so far
    QStringList m_gemeldet;
    bool m_verbunden = false;
    bool m_unterbrochen = false;
    QThread* m_faden = nullptr;
    Serverwaechter* m_waechter = nullptr;  // lives on m_faden
    bool m_frageOffen = false;             // a check is on its way
    QElapsedTimer m_gefragt;
    bool m_still = false;                  // the last check has not been answered
    bool m_erneuern = false;               // the watcher is opening a new kept connection
    bool m_jeVerbunden = false;            // a first connection stood: later ones are the watcher's
    bool m_erstes = false;                 // the watcher is opening the first connection
    bool m_ersterFehlt = false;            // it could not, or was asked while the server was silent:
                                           // tried again once the server answers
    qint64 m_prozess = 0;                  // the kept connection's server process
    bool m_vomWaechter = false;            // the kept connection was made on the watcher's thread
    bool m_verpasst = false;               // the listening was lost while the kept connection was too
    quint64 m_auftrag = 0;                 // the newest read asked of the watcher
    // Per alarm number the read whose answer counts; 0: a write of this
    // client began since, the answer on its way is read anew.
    QHash<qlonglong, quint64> m_neuester;
};
