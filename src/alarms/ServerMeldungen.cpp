#include "alarms/ServerMeldungen.h"

#include <QSqlError>
#include <QSqlQuery>

#include "alarms/AlarmdefsZugriff.h"

namespace {
constexpr const char* kFunktion = "tavero_alarmdefs_melden";
constexpr const char* kZeilen = "tavero_alarmdefs_zeilen";
constexpr const char* kLeeren = "tavero_alarmdefs_leeren";

QStringList Anweisungen(const QSqlDatabase& db) {
    const QString tabelle = AlarmdefsZugriff::Tabelle(db);
    const QString ident = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
    const QString kanal = QLatin1String(AlarmdefsZugriff::Benachrichtigung);
    return {
        QStringLiteral("create or replace function %1() returns trigger language plpgsql as $tavero$ "
                       "begin "
                       "if tg_op = 'TRUNCATE' then perform pg_notify('%2', '%3'); return null; end if; "
                       "if tg_op in ('UPDATE', 'DELETE') then perform pg_notify('%2', old.%4::text); end if; "
                       "if tg_op in ('INSERT', 'UPDATE') then perform pg_notify('%2', new.%4::text); end if; "
                       "return null; "
                       "end $tavero$")
            .arg(QLatin1String(kFunktion), kanal, QLatin1String(ServerMeldungen::Alle), ident),
        QStringLiteral("drop trigger if exists %1 on %2").arg(QLatin1String(kZeilen), tabelle),
        QStringLiteral("create trigger %1 after insert or update or delete on %2 for each row execute function %3()")
            .arg(QLatin1String(kZeilen), tabelle, QLatin1String(kFunktion)),
        QStringLiteral("drop trigger if exists %1 on %2").arg(QLatin1String(kLeeren), tabelle),
        QStringLiteral("create trigger %1 after truncate on %2 for each statement execute function %3()")
            .arg(QLatin1String(kLeeren), tabelle, QLatin1String(kFunktion)),
    };
}
}  // namespace

bool ServerMeldungen::Einrichten(QSqlDatabase& db, QString* fehler) {
    QSqlQuery q(db);
    for (const QString& sql : Anweisungen(db))
        if (!q.exec(sql)) {
            if (fehler)
                *fehler = QStringLiteral("Der Server hat die Benachrichtigung für Alarmdefs nicht eingerichtet: %1")
                              .arg(q.lastError().databaseText());
            return false;
        }
    return true;
}

bool ServerMeldungen::Eingerichtet(QSqlDatabase& db) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from pg_trigger where tgname = ? and tgrelid = to_regclass(?)"));
    q.addBindValue(QLatin1String(kZeilen));
    q.addBindValue(AlarmdefsZugriff::Tabelle(db));
    return q.exec() && q.next() && q.value(0).toInt() > 0;
}

QString ServerMeldungen::Beschreibung(const QSqlDatabase& db) {
    return QStringLiteral("Die Tabelle %1 erhält die Trigger %2 und %3 und die Funktion %4(). Sie melden jede Änderung "
                          "einer Zeile (auch durch andere Programme) allen Tavero-Fenstern, die die Datenbank geöffnet "
                          "haben. Daten werden nicht geändert.")
        .arg(AlarmdefsZugriff::Tabelle(db), QLatin1String(kZeilen), QLatin1String(kLeeren), QLatin1String(kFunktion));
}
