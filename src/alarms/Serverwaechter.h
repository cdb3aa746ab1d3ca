#pragma once
// Asks the server now and then whether it still answers, on a thread of its
// own with a connection of its own. A server that has stopped answering while
// its machine still acknowledges the network holds this thread, never the
// window; the kept connection (Serverdienst) hears the answer as a queued
// signal, or notices that none came.
// A kept connection that was lost is opened again here too: opening one waits
// for the server (up to its connect timeout), so it is made on this thread,
// set up (limits, listening) and only then handed to the window's thread.
// The watcher's own connection is the one that listens for the other clients'
// notes: the kept connection only writes, so its statements carry no notes and
// nothing is handled after each of them. The notes are read through libpq
// itself, which tells the server process that sent each one, so the owner can
// tell its own writes from the others'.
// A connection made here and handed over is closed here too, where it was
// made: its owner hands it back (Zuruecknehmen).
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

#include "alarms/AlarmRecord.h"

class QSocketNotifier;
class QThread;

class Serverwaechter : public QObject {
    Q_OBJECT
public:
    explicit Serverwaechter(const QString& sDatenbank);
    ~Serverwaechter() override;

    // On the watcher's thread: one short statement; a lost connection is
    // opened again first. With the server process of the kept connection
    // (kept > 0) it is also asked whether that one still stands.
    void Pruefen(qint64 kept);
    // On the watcher's thread: the rows carrying these alarm numbers (other
    // clients wrote them), read on the watcher's own connection; told by Gelesen.
    void Lesen(quint64 auftrag, const QList<qlonglong>& nummern);
    // On the watcher's thread: opens a kept connection for the thread ziel
    // and hands it over by Bereitgestellt; the watcher listens before.
    void Bereitstellen(QThread* ziel);
    // On the watcher's thread: listens from now on (its connection opened
    // where it is not); false when the server is away.
    bool Lauschen() { return Offen(); }
    // The kept connection's owner is gone: what is made from now on is closed here.
    void Beenden() { m_ende = true; }
    // From the thread the connection was handed to, once it holds no handle
    // of it any more and has moved its driver back to this thread: closed here.
    void Zuruecknehmen(const QString& name);

    // Sets up a freshly opened kept connection (on the thread that uses it):
    // a limit for every statement. Whether the notifying trigger is there,
    // and its server process.
    struct Einrichtung {
        bool eingerichtet = false;
        qint64 prozess = 0;
    };
    static Einrichtung Einrichten(const QString& sName);

signals:
    // steht: the server answers; keptSteht: the kept connection's server process is still there.
    void Antwort(bool steht, bool keptSteht);
    // A kept connection under name, now belonging to the asked thread; an
    // empty name and a German reason when none could be opened.
    void Bereitgestellt(const QString& name, bool eingerichtet, qint64 prozess, const QString& grund,
                        const QString& detail);
    // The rows asked for by Lesen, by alarm number; none when they could not be read.
    void Gelesen(quint64 auftrag, const QList<qlonglong>& nummern, const QHash<qlonglong, AlarmListeTyp>& zeilen);
    // Notes that came in together: what each carries, and the server process
    // of the connection that sent it.
    void Gemeldet(const QList<qint64>& prozesse, const QStringList& inhalte);
    // Listening again on a new connection after the last one was lost: notes
    // may have been missed meanwhile.
    void WiederGelauscht();

private:
    // The watcher's own connection, opened and listening where it is not
    // (false: the server is away).
    bool Offen();
    // Closes the watcher's own connection (its notifier first).
    void Zumachen();
    // What the server sent is read (nothing waited for); a connection found
    // broken is opened again at once, so no note is missed for long.
    void Hoeren();
    // Hands on the notes libpq has read so far (with a statement's answer, or by Hoeren).
    void Abholen();
    // On the watcher's thread: closes what was handed back.
    void Aufraeumen();

    QString m_datenbank;
    QString m_name;
    bool m_offen = false;
    bool m_jeGelauscht = false;
    QSocketNotifier* m_lauscher = nullptr;
    std::atomic<bool> m_ende{false};
    QMutex m_rueckMutex;
    QStringList m_zurueck;  // handed back, not closed yet
};
