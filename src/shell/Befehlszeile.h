#pragma once
// The command line of tavero: "--help" and "--version" print and end; all
// other arguments, joined by single blanks, are the path of the alarm database
// (the shell has already removed the quotes).
#include <QString>
#include <QStringList>

class Befehlszeile {
public:
    enum class Art { Starten, Hilfe, Version };

    // The arguments without the program name.
    explicit Befehlszeile(const QStringList& argumente);

    Art art() const { return m_Art; }
    QString pfad() const { return m_Pfad; }

    static QString HilfeText();
    static QString VersionsText(const QString& version);

private:
    Art m_Art = Art::Starten;
    QString m_Pfad;
};
