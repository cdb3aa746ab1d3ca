#pragma once
// Asks the server now and then whether it still answers, on a thread of its
// own with a connection of its own. A server that has stopped answering while
// its machine still acknowledges the network holds this thread, never the
// window; the kept connection (Serverdienst) hears the answer as a queued
// signal, or notices that none came.
// A kept connection that was lost is opened again here too: opening one waits
// for the server (up to its connect timeout), so it is made on this thread,
// set up (limits, listening) and only then handed to the window's thread.
// So is the first one, and the rows the other clients' notes name are read
// here as well, on the watcher's own connection.
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>
#include <atomic>
#include <optional>

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
    // On the watcher's thread: opens a kept connection for the thread ziel
    // and hands it over by Bereitgestellt.
    void Bereitstellen(QThread* ziel);
    // The kept connection's owner is gone: what is made from now on is closed here.
    void Beenden() { m_ende = true; }

    // What Bereitstellen made (an empty name and a reason when nothing).
    struct Uebergabe {
        QString name;
        bool eingerichtet = false;
        qint64 prozess = 0;
        QString grund, detail;
    };
    // The connection made last, taken once: by an owner that cannot go on
    // without it and waits (at most ms), or when the signal comes, whichever is
    // first; the other one finds nothing.
    std::optional<Uebergabe> Abholen(int ms);

    // On the watcher's thread: the rows carrying these alarm numbers, answered by ZeilenGelesen.
    using ZeilenNachNummer = QHash<qlonglong, AlarmListeTyp>;
    void ZeilenLesen(quint64 ticket, const QList<qlonglong>& nummern);

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
    // The rows read for a ticket of ZeilenLesen; a number without a row has none.
    void ZeilenGelesen(quint64 ticket, const Serverwaechter::ZeilenNachNummer& zeilen);

private:
    bool Offen();
    void Hinterlegen(const Uebergabe& u);
    QMutex m_sperre;
    QWaitCondition m_bereit;
    std::optional<Uebergabe> m_uebergabe;
    QString m_datenbank;
    QString m_name;
    bool m_offen = false;
    std::atomic<bool> m_ende{false};
};
