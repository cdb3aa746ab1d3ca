#pragma once
// Asks the server now and then whether it still answers, on a thread of its
// own with a connection of its own. A server that has stopped answering while
// its machine still acknowledges the network holds this thread, never the
// window; the kept connection (Serverdienst) hears the answer as a queued
// signal, or notices that none came.
#include <QObject>
#include <QString>

class Serverwaechter : public QObject {
    Q_OBJECT
public:
    explicit Serverwaechter(const QString& sDatenbank);
    ~Serverwaechter() override;

    // On the watcher's thread: one short statement; a lost connection is
    // opened again first.
    void Pruefen();

signals:
    void Antwort(bool steht);

private:
    QString m_datenbank;
    QString m_name;
    bool m_offen = false;
};
