#pragma once
// German order of texts, as a German reader looks words up (DIN 5007, first
// form): case does not matter, Ä, Ö, Ü sort with A, O, U and other accented
// letters with their base letter, ß with ss. Texts equal in that sense are
// put in a fixed order by their characters, so every sort of the same rows
// comes out the same.
#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>

struct sqlite3;

namespace DeutscheReihung {
// The name under which the order is known to an SQLite connection.
inline constexpr char Name[] = "tavero_deutsch";

int Vergleichen(QStringView a, QStringView b);  // < 0, 0, > 0
// The text as the order sees it: lower case, base letters, ß as ss.
QString Grundform(QStringView text);
// The same for UTF-8 text, appended to aus (whose room is kept between calls).
void GrundformAnhaengen(QByteArrayView utf8, QString& aus);

// Makes the order known to an SQLite connection (a raw one, or Qt's QSQLITE
// connection through its handle). False when the connection is none of these.
bool Anmelden(sqlite3* db);
bool Anmelden(const QSqlDatabase& db);

// What follows a text column in ORDER BY on this connection: our own order on
// SQLite, a German ICU or system order on a PostgreSQL server that has one,
// nothing (the server's own order) where it has none.
QString Zusatz(const QSqlDatabase& db);
}  // namespace DeutscheReihung
