#pragma once
// Where an alarm database lies: a file (SQLite, or Access through ODBC, chosen
// by its first bytes), or a PostgreSQL server named by a connection URI
// (postgresql://user@host:port/dbname) given directly or in a link file whose
// whole content is that one line. The password never stands in the address:
// it comes from PGPASSWORD or ~/.pgpass, as for every PostgreSQL program.
#include <QString>

class Datenbankadresse {
public:
    enum class Art { Datei, Server, Ungueltig };

    // sPfad in the program's own form (a Windows path, a POSIX path or a URI).
    explicit Datenbankadresse(const QString& sPfad);

    Art art() const { return m_art; }
    bool IstServer() const { return m_art == Art::Server; }
    QString Pfad() const { return m_pfad; }         // the file on this system (Datei)
    QString Uri() const { return m_uri; }           // the server's address (Server)
    QString Host() const { return m_host; }
    int Port() const { return m_port; }
    QString Datenbank() const { return m_datenbank; }
    QString Benutzer() const { return m_benutzer; }
    QString Fehler() const { return m_fehler; }     // German, for Ungueltig
    // The address's own libpq parameters (sslmode, host as a socket folder, ...),
    // as the driver takes them; they come after the program's defaults and win.
    QString Optionen() const { return m_optionen; }
    // An address as it may be shown: never with a password.
    static QString OhnePasswort(const QString& uri);

    static bool IstUri(const QString& text);

private:
    void UriLesen(const QString& uri);

    Art m_art = Art::Datei;
    QString m_pfad, m_uri, m_host, m_datenbank, m_benutzer, m_fehler, m_optionen;
    int m_port = 5432;
};
