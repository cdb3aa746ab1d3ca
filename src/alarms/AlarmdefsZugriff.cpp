#include "alarms/AlarmdefsZugriff.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

#include "alarms/AlarmRecordLeser.h"
#include "platform/WinUmgebung.h"

AlarmdefsFehler::AlarmdefsFehler(const QString& text) : std::runtime_error(text.toStdString()) {}
QString AlarmdefsFehler::Text() const { return QString::fromStdString(what()); }

namespace {
QAtomicInteger<int> g_zaehler;

// One direct access: its own uniquely named connection, closed and removed at the end.
class Verbindung {
public:
    explicit Verbindung(const QString& sDatenbank)
        : m_name(QStringLiteral("tavero-direkt-%1").arg(g_zaehler.fetchAndAddRelaxed(1))) {
        m_db = AlarmdefsZugriff::Oeffnen(sDatenbank, m_name);
    }
    ~Verbindung() {
        m_db = QSqlDatabase();
        AlarmdefsZugriff::Schliessen(m_name);
    }
    QSqlDatabase& db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};

QString Spalte(const QSqlDatabase& db, const QString& name) {
    return db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

bool IstGanzzahl(const QString& s) {
    bool ok = false;
    s.trimmed().toLongLong(&ok);
    return ok && !s.trimmed().isEmpty();
}

// A position as stored: whole pixels; a decimal comma is accepted as well.
std::optional<QVariant> Position(const QString& s) {
    const QString t = s.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    const double d = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 2147483647.0)
        return std::nullopt;
    return QVariant(static_cast<qlonglong>(qRound64(d)));
}
}  // namespace

QSqlDatabase AlarmdefsZugriff::Oeffnen(const QString& sDatenbank, const QString& sVerbindungsName) {
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    QFile f(pfad);
    if (sDatenbank.isEmpty() || !QFileInfo(pfad).isFile() || !f.open(QIODevice::ReadOnly))
        throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 wurde nicht gefunden.").arg(sDatenbank));
    const QByteArray kopf = f.read(32);
    f.close();
    QSqlDatabase db;
    if (kopf.startsWith(QByteArray("SQLite format 3\0", 16))) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sVerbindungsName);
        db.setDatabaseName(pfad);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(WarteAufSperreMs));
    } else if (kopf.mid(4, 15) == "Standard Jet DB" || kopf.mid(4, 15) == "Standard ACE DB") {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 ist eine Access-Datei; auf diesem System "
                                                 "ist kein Access-Treiber installiert.")
                                      .arg(sDatenbank));
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), sVerbindungsName);
        db.setDatabaseName(QStringLiteral("Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=") + pfad);
    } else {
        throw AlarmdefsFehler(QStringLiteral("Die Datei %1 ist keine Alarmdatenbank.").arg(sDatenbank));
    }
    if (!db.open()) {
        const QString grund = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(sVerbindungsName);
        throw AlarmdefsFehler(
            QStringLiteral("Die Alarmdatenbank %1 lässt sich nicht öffnen: %2").arg(sDatenbank, grund));
    }
    return db;
}

void AlarmdefsZugriff::Schliessen(const QString& sVerbindungsName) {
    {
        QSqlDatabase db = QSqlDatabase::database(sVerbindungsName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(sVerbindungsName);
}

std::optional<AlarmListeTyp> AlarmdefsZugriff::AlarmListeLesen(const QString& sDatenbank, const QString& sForm) {
    Verbindung v(sDatenbank);
    AlarmListeTyp liste;
    {
        QSqlQuery q(v.db());
        q.setForwardOnly(true);
        // A statement the database rejects (no table Alarmdefs) fails in prepare; its reason is kept.
        const bool vorbereitet =
            q.prepare(QStringLiteral("select * from Alarmdefs where %1 = ?").arg(Spalte(v.db(), QStringLiteral("Form"))));
        q.addBindValue(sForm);
        if (!vorbereitet || !q.exec())
            throw AlarmdefsFehler(QStringLiteral("Die Alarme des Bildes %1 lassen sich nicht aus %2 lesen: %3")
                                      .arg(sForm, sDatenbank, q.lastError().text()));
        const int spalten = q.record().count();
        if (spalten < AlarmFeld::Spalten)
            throw AlarmdefsFehler(
                QStringLiteral("Die Tabelle Alarmdefs in %1 hat weniger als 18 Spalten.").arg(sDatenbank));
        AlarmRecordLeser leser(spalten);
        while (q.next())
            liste.append(leser.Lesen(q));
    }
    if (liste.isEmpty())
        return std::nullopt;
    return liste;
}

bool AlarmdefsZugriff::PfeilSchreiben(const QString& sDatenbank, const QString& sIdent,
                                      const std::optional<QString>& sForm, const QString& sSymbol,
                                      const QString& sX, const QString& sY) {
    // Checked before any statement is sent: the row is named by a whole number only.
    if (!IstGanzzahl(sIdent))
        throw AlarmdefsFehler(QStringLiteral("Ungültige Alarmnummer \"%1\".").arg(sIdent));
    const auto x = Position(sX);
    const auto y = Position(sY);
    if (!x || !y)
        throw AlarmdefsFehler(QStringLiteral("Ungültige Position X = %1 Y = %2.").arg(sX, sY));
    Verbindung v(sDatenbank);
    QSqlDatabase& db = v.db();
    if (!db.transaction())
        throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 ist gesperrt: %2")
                                  .arg(sDatenbank, db.lastError().text()));
    QSqlQuery q(db);
    // Without a picture value the row keeps its picture rather than losing it.
    const QString formTeil = sForm ? QStringLiteral("%1 = ?, ").arg(Spalte(db, QStringLiteral("Form"))) : QString();
    const bool vorbereitet =
        q.prepare(QStringLiteral("update Alarmdefs set %1%2 = ?, %3 = ?, %4 = ? where %5 = ?")
                      .arg(formTeil, Spalte(db, QStringLiteral("Symbol")), Spalte(db, QStringLiteral("X")),
                           Spalte(db, QStringLiteral("Y")), Spalte(db, QStringLiteral("Ident"))));
    if (sForm)
        q.addBindValue(*sForm);
    q.addBindValue(sSymbol);
    q.addBindValue(*x);
    q.addBindValue(*y);
    q.addBindValue(sIdent.trimmed().toLongLong());
    if (!vorbereitet || !q.exec()) {
        const QString grund = q.lastError().text();
        q.finish();
        db.rollback();
        throw AlarmdefsFehler(
            QStringLiteral("Der Pfeil ließ sich nicht in %1 schreiben: %2").arg(sDatenbank, grund));
    }
    const int zeilen = q.numRowsAffected();
    q.finish();
    if (!db.commit()) {
        const QString grund = db.lastError().text();
        db.rollback();
        throw AlarmdefsFehler(
            QStringLiteral("Der Pfeil ließ sich nicht in %1 schreiben: %2").arg(sDatenbank, grund));
    }
    return zeilen > 0;
}
