#pragma once

#include <libpq-fe.h>

#include <optional>

class QSqlDatabase;

// libpq's own connection behind a connection of Qt's PostgreSQL driver: what
// it knows of its link can be asked without a round trip.
class PgVerbindung {
public:
    // None when db is no open connection of that driver; else libpq's
    // connection, a null one when the driver has let it go.
    static std::optional<PGconn*> Von(const QSqlDatabase& db);
};
