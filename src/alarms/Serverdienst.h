#pragma once
// The kept connection to a server database: the component writes through it,
// and it listens for the notifications every writer sends with the alarm
// number of each row it wrote, so this client shows what the others changed.
// A connection that drops is opened again; the user sees a note meanwhile.
// Whether the server still answers, and whether the kept connection still
// stands, is asked on a thread of its own (Serverwaechter), which also opens a
// lost connection again, so a silent server never holds the window: while it
// does not answer, writes are refused at once. The first connection is opened
// there too: only a write that cannot go on without it waits for it. The rows
// other clients wrote are read there as well and come back by a signal.
#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>
#include <memory>

#include "alarms/Serverwaechter.h"

class AlarmdefsSchreiber;
class QThread;
class QTimer;

class Serverdienst : public QObject {
    Q_OBJECT
public:
    Serverdienst(const QString& sDatenbank, QObject* parent = nullptr);
    ~Serverdienst() override;

    // Opens the connection and listens; a German reason when it cannot. The
    // first connection is opened by the watcher while this waits for it (at
    // most the connect timeout); a connection that was lost is opened again by
    // the watcher without waiting: until it stands, this says why not.
    bool Verbinden(QString* grund = nullptr, QString* detail = nullptr);
    // The same without waiting: the connection stands when the watcher has opened it.
    void VerbindenAnstossen();
    // The rows carrying these alarm numbers, read on the watcher's thread;
    // the answer comes by ZeilenGelesen with the ticket given here.
    using Ticket = quint64;
    Ticket ZeilenAnfordern(const QList<qlonglong>& nummern);
    bool Verbunden() const { return m_verbunden; }
    QSqlDatabase& Verbindung() { return m_db; }
    // Writes through the kept connection; its statements are prepared once.
    AlarmdefsSchreiber& Schreiber();
    // A write through the connection failed: if the connection is gone, it is
    // opened again (at the next write, or by the regular check).
    void NachFehler();
    // How often the connection is checked.
    static constexpr int PruefenMs = 2000;
    // A check without an answer for this long: the server counts as silent.
    static constexpr int StillNachMs = 3000;
    bool Still() const { return m_still; }

signals:
    // Other clients wrote the rows carrying these alarm numbers; the notes
    // that came in together are handed on together.
    void ZeilenGemeldet(const QStringList& idents);
    // The connection dropped, or stands again: a note for the user.
    void Zustand(const QString& text);
    // The connection stands again: what is shown is read afresh, as
    // notifications may have been missed meanwhile.
    void WiederVerbunden();
    // The first connection stands and listens: what was read before it
    // listened may have been changed meanwhile without a note.
    void Lauscht();
    // The answer to ZeilenAnfordern.
    void ZeilenGelesen(Serverdienst::Ticket ticket, const Serverwaechter::ZeilenNachNummer& zeilen);

private:
    void Meldung(const QString& name, QSqlDriver::NotificationSource quelle, const QVariant& inhalt);
    void Pruefen();
    void Antwort(bool steht, bool keptSteht);
    // The kept connection's link to its server is known to be broken (no round trip).
    bool Abgerissen(bool nachlesen = false) const;
    void Erneuern();
    void Bereitgestellt();
    // Takes over what the watcher made; whether a connection stands now.
    bool Annehmen(const Serverwaechter::Uebergabe& u);
    void Uebernehmen(const QString& name, bool eingerichtet, qint64 prozess);
    void Wiederda(bool neu);
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
    qint64 m_prozess = 0;                  // the kept connection's server process
    Ticket m_ticket = 0;
};
