#pragma once
// A number with its noun in the form that agrees with it: "1 Alarm", "2 Alarme",
// "0 Alarme". Every counted text the user reads goes through here.
#include <QString>

namespace Anzahltext {
inline QString Text(qint64 n, const QString& einzahl, const QString& mehrzahl) {
    return QString::number(n) + QLatin1Char(' ') + (n == 1 || n == -1 ? einzahl : mehrzahl);
}
inline QString Alarme(qint64 n) { return Text(n, QStringLiteral("Alarm"), QStringLiteral("Alarme")); }
inline QString Zeilen(qint64 n) { return Text(n, QStringLiteral("Zeile"), QStringLiteral("Zeilen")); }
}  // namespace Anzahltext
