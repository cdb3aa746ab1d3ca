#pragma once
// Asks the server now and then whether it still answers, on a thread of its
// own with a connection of its own. A server that has stopped answering while
// its machine still acknowledges the network holds this thread, never the
// window; the kept connection (Serverdienst) hears the answer as a queued
// signal, or notices that none came.
// A kept connection that was lost is opened again here too: opening one waits
// for the server (up to its connect timeout), so it is made on this thread,
// set up (limits, listening) and only then handed to the window's thread.
#include <QObject>
#include <QString>
#include <atomic>

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
    // On the watcher's thread: opens a kept connection for the thread ziel
    // and hands it over by Bereitgestellt.
    void Bereitstellen(QThread* ziel);
    // The kept connection's owner is gone: what is made from now on is closed here.
    void Beenden() { m_ende = true; }

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

private:
    QString m_datenbank;
    QString m_name;
    bool m_offen = false;
    std::atomic<bool> m_ende{false};
};
