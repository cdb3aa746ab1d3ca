#include "alarms/DatenbankFehler.h"

#include <QRegularExpression>
#include <QSqlError>

namespace {
// SQLite's primary result codes, as Qt's driver reports them.
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, IoErr = 10, Corrupt = 11, Full = 13, CantOpen = 14,
                  Constraint = 19, NotADb = 26 };
}  // namespace

DatenbankFehler::Meldung DatenbankFehler::Deuten(const QSqlError& fehler, const QString& sDatenbank) {
    const QString detail = fehler.text().trimmed();
    const QString db = fehler.databaseText();
    const QString code = fehler.nativeErrorCode();
    bool zahl = false;
    const int n = code.toInt(&zahl);
    auto ist = [&](int c) { return zahl && n == c; };
    auto steht = [&](const char* s) { return db.contains(QLatin1String(s), Qt::CaseInsensitive); };
    QString text;
    // A server that could not be reached or refused the login says so in words only.
    if (steht("password authentication failed") || steht("no password supplied") ||
        code == QLatin1String("28P01") || code == QLatin1String("28000")) {
        text = QStringLiteral("Der Datenbankserver von %1 lehnt die Anmeldung ab: Benutzer oder Passwort falsch (das "
                              "Passwort kommt aus PGPASSWORD oder ~/.pgpass).");
        return {text.arg(sDatenbank), detail};
    }
    if ((steht("database") && steht("does not exist")) || code == QLatin1String("3D000"))
        return {QStringLiteral("Die Datenbank %1 gibt es auf dem Server nicht.").arg(sDatenbank), detail};
    if (steht("timeout expired") || steht("connection refused") || steht("could not translate host name") ||
        steht("no route to host") || steht("could not connect"))
        return {QStringLiteral("Der Datenbankserver von %1 antwortet nicht.").arg(sDatenbank), detail};
    if (steht("server closed the connection") || steht("terminating connection") || steht("no connection to the server"))
        return {QStringLiteral("Die Verbindung zum Datenbankserver von %1 ist unterbrochen.").arg(sDatenbank), detail};
    // PostgreSQL's SQLSTATE codes begin with a class of two characters.
    // A server's lock or statement time-out (55P03, 57014) means another client holds the row.
    if (ist(Busy) || ist(Locked) || steht("locked") || code == QLatin1String("55P03") ||
        code == QLatin1String("40P01") || steht("statement timeout") || steht("lock timeout")) {
        text = QStringLiteral("Die Alarmdatenbank %1 ist von einem anderen Programm gesperrt.");
    } else if (ist(ReadOnly) || steht("readonly") || steht("read-only") || code == QLatin1String("25006")) {
        text = QStringLiteral("Die Alarmdatenbank %1 ist schreibgeschützt.");
    } else if (ist(Full) || code == QLatin1String("53100")) {
        text = QStringLiteral("Auf dem Datenträger der Alarmdatenbank %1 ist kein Platz mehr.");
    } else if (steht("no such table") || code == QLatin1String("42P01") || steht("does not exist") && steht("relation")) {
        text = QStringLiteral("Die Alarmdatenbank %1 enthält keine Tabelle Alarmdefs.");
    } else if (steht("no such column") || code == QLatin1String("42703") || (steht("column") && steht("does not exist"))) {
        static const QRegularExpression spalte(QStringLiteral("column:?\\s+\"?([^\"\\s]+)"));
        const QString name = spalte.match(db).captured(1).section(QLatin1Char('.'), -1);
        text = QStringLiteral("In der Tabelle Alarmdefs von %1 fehlt die Spalte %2.").arg(QStringLiteral("%1"), name);
    } else if (ist(NotADb) || ist(Corrupt)) {
        text = QStringLiteral("Die Datei %1 ist keine Alarmdatenbank oder ist beschädigt.");
    } else if (ist(Constraint) || code.startsWith(QLatin1String("23"))) {
        text = QStringLiteral("Die Alarmdatenbank %1 lässt diesen Wert nicht zu (eine Regel der Tabelle, etwa eine "
                              "schon vergebene Alarmnummer).");
    } else if (ist(CantOpen)) {
        text = QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht öffnen.");
    } else if (ist(IoErr)) {
        text = QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht lesen oder schreiben (Ein-/Ausgabefehler).");
    } else if (code.startsWith(QLatin1String("08"))) {
        text = QStringLiteral("Die Verbindung zur Alarmdatenbank %1 ist unterbrochen.");
    } else {
        text = QStringLiteral("Die Alarmdatenbank %1 meldet einen Fehler.");
    }
    return {text.arg(sDatenbank), detail};
}
