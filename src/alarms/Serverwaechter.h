#pragma once
// Asks the server now and then whether it still answers, on a thread of its
// own with a connection of its own. A server that has stopped answering while
// its machine still acknowledges the network holds this thread, never the
// window; the kept connection (Serverdienst) hears the answer as a queued
// signal, or notices that none came.
// A kept connection that was lost is opened again here too: opening one waits
// for the server (up to its connect timeout), so it is made on this thread,
// set up (limits, listening) and only then handed to the window's thread.
// Qt's driver makes the notifier it listens with on the thread that asks it
// to listen, and that notifier stays here; so a connection made here is also
// closed here: its owner hands it back (Zuruecknehmen).
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>

#include "alarms/AlarmRecord.h"

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
    // and hands it over by Bereitgestellt.
    void Bereitstellen(QThread* ziel);
    // The kept connection's owner is gone: what is made from now on is closed here.
    void Beenden() { m_ende = true; }
    // From the thread the connection was handed to, once it holds no handle
    // of it any more and has moved its driver back to this thread: closed here.
    void Zuruecknehmen(const QString& name);

    // Sets up a freshly opened kept connection (on the thread that uses it):
    // a limit for every statement, listening for the other clients' notes.
    // Whether the notifying trigger is there, and its server process.
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

private:
    // The watcher's own connection, opened where it is not (false: the server is away).
    bool Offen();
    // On the watcher's thread: closes what was handed back.
    void Aufraeumen();

    QString m_datenbank;
    QString m_name;
    bool m_offen = false;
    std::atomic<bool> m_ende{false};
    QMutex m_rueckMutex;
    QStringList m_zurueck;  // handed back, not closed yet
};
