#pragma once
// The command line of tavero: "--help" and "--version" print and end; a tool
// command as the first argument ("--pruefbericht", "--export", "--import")
// runs without a window; all other arguments, joined by single blanks, are the
// path of the alarm database (the shell has already removed the quotes). An
// argument that begins with "--" and is no option is a mistake, not a path.
#include <QString>
#include <QStringList>

class Befehlszeile {
public:
    enum class Art { Starten, Hilfe, Version, Werkzeug, Unbekannt };

    // The arguments without the program name.
    explicit Befehlszeile(const QStringList& argumente);

    Art art() const { return m_Art; }
    QString pfad() const { return m_Pfad; }
    QString werkzeug() const { return m_Werkzeug; }               // the tool command
    QStringList werkzeugArgumente() const { return m_Argumente; }  // the arguments behind it
    QString unbekannt() const { return m_Unbekannt; }               // the argument not understood

    // Why the window cannot be shown here, German; empty where a display is
    // reachable (or the platform is chosen by QT_QPA_PLATFORM). Asked before
    // Qt is started, which would abort without one.
    static QString OhneAnzeige();

    static QString HilfeText();
    static QString VersionsText(const QString& version);

private:
    Art m_Art = Art::Starten;
    QString m_Pfad;
    QString m_Werkzeug;
    QStringList m_Argumente;
    QString m_Unbekannt;
};
