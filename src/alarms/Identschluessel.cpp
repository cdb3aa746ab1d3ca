#include "alarms/Identschluessel.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>

#include "alarms/AlarmdefsZugriff.h"

namespace {
QString Abgelehnt(const QString& sDatenbank, const QString& warum) {
    return QStringLiteral("Die Tabelle Alarmdefs von %1 lässt sich nicht anzeigen: %2 Alarmnummern müssen ganze Zahlen sein.")
        .arg(sDatenbank, warum);
}
}  // namespace

Identschluessel Identschluessel::DateiBeschreiben(const QSqlDatabase& db, const QString& sDatenbank) {
    Identschluessel s;
    s.ausdruck = QStringLiteral("rowid");
    s.bekannt = true;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select rowid from Alarmdefs limit 0")))
        s.abgelehnt = QStringLiteral("Die Tabelle Alarmdefs von %1 lässt sich nicht anzeigen: sie wurde ohne rowid "
                                     "angelegt (WITHOUT ROWID), ihre Zeilen lassen sich so nicht einzeln lesen und schreiben.")
                          .arg(sDatenbank);
    return s;
}

Identschluessel Identschluessel::Beschreiben(const QSqlDatabase& db, const QString& sDatenbank) {
    Identschluessel s;
    const QString spalte = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
    const QString tabelle = AlarmdefsZugriff::Tabelle(db);
    s.ausdruck = spalte;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The column's type as the catalogue names it, with a decimal column's scale.
    if (!q.exec(QStringLiteral("select t.typname, format_type(a.atttypid, a.atttypmod), "
                               "case when t.typname = 'numeric' and a.atttypmod >= 4 then (a.atttypmod - 4) & 65535 else -1 end "
                               "from pg_attribute a join pg_type t on t.oid = a.atttypid "
                               "where a.attrelid = to_regclass('%1') and a.attname = '%2' and a.attnum > 0 and not a.attisdropped")
                    .arg(QString(tabelle).replace(QLatin1Char('\''), QStringLiteral("''")),
                         QString(spalte).remove(QLatin1Char('"')).replace(QLatin1Char('\''), QStringLiteral("''")))) ||
        !q.next())
        return s;  // not known: the column is taken as it is, as before
    s.bekannt = true;
    const QString typ = q.value(0).toString();
    const QString name = q.value(1).toString();
    const int nachkomma = q.value(2).toInt();
    q.finish();
    if (typ == QLatin1String("int2") || typ == QLatin1String("int4") || typ == QLatin1String("int8") ||
        (typ == QLatin1String("numeric") && nachkomma == 0))
        return s;
    // A value that is not a whole number, looked for once; the first one found names the fault.
    QString fremd;
    if (typ == QLatin1String("text") || typ == QLatin1String("varchar") || typ == QLatin1String("bpchar")) {
        // Digits as text: ordered by their number, and only written as a number
        // writes itself, so a list of numbers finds them by the column.
        // A blank one counts as none, as NULL does in a column of numbers.
        s.ausdruck = QStringLiteral("cast(nullif(trim(%1), '') as bigint)").arg(spalte);
        fremd = QStringLiteral("select %1 from %2 where %1 !~ '^(0|-?[1-9][0-9]{0,17}| *)$' limit 1");
    } else if (typ == QLatin1String("numeric") || typ == QLatin1String("float4") || typ == QLatin1String("float8")) {
        fremd = QStringLiteral("select %1 from %2 where %1 <> trunc(%1) or abs(%1) >= 1e18 limit 1");
    } else {
        s.abgelehnt = Abgelehnt(sDatenbank, QStringLiteral("Ihre Spalte Ident hat den Typ %1.").arg(name));
        return s;
    }
    if (!q.exec(fremd.arg(spalte, tabelle))) {
        s.abgelehnt = Abgelehnt(sDatenbank, QStringLiteral("Ihre Spalte Ident (%1) lässt sich nicht lesen: %2")
                                                .arg(name, q.lastError().databaseText().trimmed()));
        return s;
    }
    if (q.next())
        s.abgelehnt = Abgelehnt(sDatenbank, QStringLiteral("Ihre Spalte Ident (%1) enthält den Wert „%2“.")
                                                .arg(name, q.value(0).toString().trimmed()));
    return s;
}

QString Identschluessel::InListe(const QString& spalte, const QString& liste) {
    const auto [vor, nach] = InListeRahmen(spalte);
    return vor + liste + nach;
}

std::pair<QString, QString> Identschluessel::InListeRahmen(const QString& spalte) {
    // An array of unknown type takes the column's: integer, decimal or text alike.
    return {spalte + QStringLiteral(" = any('{"), QStringLiteral("}')")};
}

qint64 Identschluessel::Nummer(const QVariant& wert) {
    bool ok = false;
    const qint64 n = wert.toLongLong(&ok);
    if (ok)
        return n;
    const double d = wert.toDouble(&ok);
    return ok ? static_cast<qint64>(std::llround(d)) : 0;
}
