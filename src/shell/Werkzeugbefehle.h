#pragma once
// The command-line forms of the tools: "tavero --pruefbericht DB ...",
// "--export", "--import". They run without a window and without a display,
// print German UTF-8 and end with an exit code a project's own scripts can test:
// 0 all well, 1 something found or declined, 2 a bad database, file or argument.
#include <QString>
#include <QStringList>

namespace Werkzeugbefehle {
inline constexpr int Gut = 0;
inline constexpr int Befund = 1;
inline constexpr int Fehler = 2;

// Whether the word names one of the commands.
bool Bekannt(const QString& befehl);
// One line per command for "--help".
QString Hilfe();
// Runs the command with the arguments behind it; the exit code.
int Ausfuehren(const QString& befehl, const QStringList& argumente);
}  // namespace Werkzeugbefehle
