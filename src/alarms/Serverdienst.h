#pragma once
// The kept connection to a server database: the component writes through it,
// and it listens for the notifications every writer sends with the alarm
// number of each row it wrote, so this client shows what the others changed.
// A connection that drops is opened again; the user sees a note meanwhile.
#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QStringList>
#include <memory>

class AlarmdefsSchreiber;
class QTimer;

class Serverdienst : public QObject {
    Q_OBJECT
public:
    Serverdienst(const QString& sDatenbank, QObject* parent = nullptr);
    ~Serverdienst() override;

    // Opens the connection and listens; a German reason when it cannot.
    bool Verbinden(QString* grund = nullptr, QString* detail = nullptr);
    bool Verbunden() const { return m_verbunden; }
    QSqlDatabase& Verbindung() { return m_db; }
    // Writes through the kept connection; its statements are prepared once.
    AlarmdefsSchreiber& Schreiber();
    // A write through the connection failed: if the connection is gone, it is
    // opened again (at the next write, or by the regular check).
    void NachFehler();
    // How often the connection is checked.
    static constexpr int PruefenMs = 2000;

signals:
    // Other clients wrote the rows carrying these alarm numbers; the notes
    // that came in together are handed on together.
    void ZeilenGemeldet(const QStringList& idents);
    // The connection dropped, or stands again: a note for the user.
    void Zustand(const QString& text);
    // The connection stands again: what is shown is read afresh, as
    // notifications may have been missed meanwhile.
    void WiederVerbunden();

private:
    void Meldung(const QString& name, QSqlDriver::NotificationSource quelle, const QVariant& inhalt);
    void Pruefen();

    QString m_datenbank;
    QString m_name;
    QSqlDatabase m_db;
    std::unique_ptr<AlarmdefsSchreiber> m_schreiber;
    QTimer* m_uhr = nullptr;
    QTimer* m_sammeln = nullptr;  // hands on the notes gathered so far
    QStringList m_gemeldet;
    bool m_verbunden = false;
    bool m_unterbrochen = false;
    int m_versuche = 0;  // tries since the connection dropped
    int m_warten = 0;    // checks to let pass before the next try
};
