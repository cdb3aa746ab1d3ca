#pragma once
// Reads the rows of a statement on an open SQLite connection through SQLite's
// own interface, each value as Qt's SQLite driver gives it (integers as
// qint64, reals as double, text as QString, blobs as QByteArray, NULL as a
// null QString). A page of the grid costs a fraction of the read through
// QSqlQuery: no row cache of the driver, text taken as SQLite holds it (UTF-8)
// instead of converted to UTF-16 by SQLite first. For the data service's
// worker, on the thread that owns the connection.
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVector>

struct sqlite3;

class SqliteZeilen {
public:
    // Every row of sql (one statement, no values to bind) into zeilen; false
    // and fehler, as the driver words it, when it fails part-way or at all
    // (zeilen then empty). Rows are appended as they come.
    static bool Lesen(sqlite3* db, const QString& sql, QVector<QVector<QVariant>>* zeilen, QSqlError* fehler);
};
