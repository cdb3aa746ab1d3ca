#include "alarms/PgVerbindung.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

std::optional<PGconn*> PgVerbindung::Von(const QSqlDatabase& db) {
    if (!db.isValid() || db.driverName() != QLatin1String("QPSQL"))
        return std::nullopt;
    const QVariant h = db.driver()->handle();
    // The driver names the type by libpq's own struct (pg_conn*).
    if (!h.isValid() || (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0))
        return std::nullopt;
    return *static_cast<PGconn* const*>(h.constData());
}
