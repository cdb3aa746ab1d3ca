#include "alarms/SqliteZeilen.h"

#include <QByteArray>
#include <sqlite3.h>

namespace {
// The driver's words for a failure, with SQLite's message and result code.
QSqlError Fehler(sqlite3* db, const char* was, int code, QSqlError::ErrorType art) {
    return QSqlError(QString::fromLatin1(was), QString::fromUtf8(sqlite3_errmsg(db)), art, QString::number(code));
}
}  // namespace

bool SqliteZeilen::Lesen(sqlite3* db, const QString& sql, QVector<QVector<QVariant>>* zeilen, QSqlError* fehler) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    const char* rest = nullptr;
    int rc = sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &st, &rest);
    if (rc != SQLITE_OK) {
        *fehler = Fehler(db, "Unable to execute statement", rc, QSqlError::StatementError);
        sqlite3_finalize(st);
        return false;
    }
    const qsizetype vorher = zeilen->size();
    const int spalten = sqlite3_column_count(st);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVector<QVariant> z;
        z.reserve(spalten);
        for (int i = 0; i < spalten; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: z.append(QVariant(static_cast<qint64>(sqlite3_column_int64(st, i)))); break;
            case SQLITE_FLOAT: z.append(QVariant(sqlite3_column_double(st, i))); break;
            case SQLITE_NULL: z.append(QVariant(QMetaType::fromType<QString>())); break;
            case SQLITE_BLOB: {
                const void* b = sqlite3_column_blob(st, i);
                z.append(QVariant(QByteArray(static_cast<const char*>(b), sqlite3_column_bytes(st, i))));
                break;
            }
            default: {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                z.append(QVariant(QString::fromUtf8(t, sqlite3_column_bytes(st, i))));
                break;
            }
            }
        }
        zeilen->append(std::move(z));
    }
    // A read stopped part-way (interrupted, the file locked midway) is no answer.
    if (rc != SQLITE_DONE) {
        *fehler = Fehler(db, "Unable to fetch row", rc, QSqlError::ConnectionError);
        zeilen->resize(vorher);
        sqlite3_finalize(st);
        return false;
    }
    sqlite3_finalize(st);
    return true;
}
