#include "alarms/AlarmdefsZugriff.h"

#include <cstdint>
#include <limits>

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

#include <sqlite3.h>

#include "alarms/AlarmRecordLeser.h"
#include "alarms/Identschluessel.h"
#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/Datenbankadresse.h"
#include "platform/WinUmgebung.h"

AlarmdefsFehler::AlarmdefsFehler(const QString& text, const QString& detail)
    : std::runtime_error(text.toStdString()), m_detail(detail) {}
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

QString Spalte(const QSqlDatabase& db, const QString& name) { return AlarmdefsZugriff::SpaltenName(db, name); }

// The first bytes of a database file: they choose the backend.
QByteArray Kopf(const QString& pfad) {
    QFile f(pfad);
    if (!QFileInfo(pfad).isFile() || !f.open(QIODevice::ReadOnly))
        return {};
    return f.read(32);
}
bool IstSqlite(const QByteArray& kopf) { return kopf.startsWith(QByteArray("SQLite format 3\0", 16)); }

// A refusal of the SQLite library in the form Qt's driver gives it.
QSqlError SqliteFehler(sqlite3* db, int code) {
    return QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError, QString::number(code));
}

// The alarm list of a picture straight through the SQLite library: the same
// rows and texts as through Qt's driver, without a variant per value (a pick
// reads ten thousand rows).
AlarmListeTyp ListeSqlite(const QString& pfad, const QString& sDatenbank, const QString& sForm) {
    sqlite3* db = nullptr;
    const int offen = sqlite3_open_v2(QFile::encodeName(pfad).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    auto schliessen = [&] { sqlite3_close(db); };
    if (offen != SQLITE_OK) {
        const auto m = DatenbankFehler::Deuten(SqliteFehler(db, offen), sDatenbank);
        schliessen();
        throw AlarmdefsFehler(m.text, m.detail);
    }
    sqlite3_busy_timeout(db, AlarmdefsZugriff::WarteAufSperreMs);
    QStringList spalten;
    for (const QString& name : AlarmRecordBau::SpaltenNamen())
        spalten << QLatin1Char('[') + name + QLatin1Char(']');
    const QByteArray sql = QStringLiteral("select %1 from [Alarmdefs] where [Form] = ?").arg(spalten.join(QStringLiteral(", "))).toUtf8();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &st, nullptr);
    auto fehler = [&](int code) {
        const QSqlError e = SqliteFehler(db, code);
        sqlite3_finalize(st);
        // the columns that are missing are named all at once
        QStringList fehlen;
        if (e.databaseText().contains(QLatin1String("no such column"))) {
            sqlite3_stmt* info = nullptr;
            QStringList da;
            if (sqlite3_prepare_v2(db, "pragma table_info([Alarmdefs])", -1, &info, nullptr) == SQLITE_OK)
                while (sqlite3_step(info) == SQLITE_ROW)
                    da << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1))).toLower();
            sqlite3_finalize(info);
            for (const QString& name : AlarmRecordBau::SpaltenNamen())
                if (!da.contains(name.toLower()))
                    fehlen << name;
        }
        schliessen();
        const auto m = DatenbankFehler::Deuten(e, sDatenbank);
        if (!fehlen.isEmpty())
            throw AlarmdefsFehler(QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2.")
                                      .arg(sDatenbank, fehlen.join(QStringLiteral(", "))),
                                  m.detail);
        throw AlarmdefsFehler(m.text + QStringLiteral(" Die Alarme des Bildes %1 lassen sich nicht lesen.").arg(sForm),
                              m.detail);
    };
    if (rc != SQLITE_OK)
        fehler(rc);
    const QByteArray form = sForm.toUtf8();
    sqlite3_bind_text(st, 1, form.constData(), static_cast<int>(form.size()), SQLITE_STATIC);
    AlarmListeTyp liste;
    AlarmRecordLeser leser(AlarmFeld::Spalten);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        liste.append(leser.Lesen(st));
    if (rc != SQLITE_DONE)
        fehler(rc);
    sqlite3_finalize(st);
    schliessen();
    return liste;
}

// A column's value as Qt's driver gives it.
QVariant SqliteWert(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default:
        return QVariant(QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(st, i)),
                                sqlite3_column_bytes16(st, i) / static_cast<int>(sizeof(QChar))));
    }
}

// Opens db, or closes and forgets the connection and throws the refusal in
// German, worded for the database the user named (wo).
void OeffnenOderMelden(QSqlDatabase& db, const QString& wo, const QString& sVerbindungsName) {
    if (db.open())
        return;
    const auto m = DatenbankFehler::Deuten(db.lastError(), wo);
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(sVerbindungsName);
    throw AlarmdefsFehler(m.text, m.detail);
}

}  // namespace

// --- values ------------------------------------------------------------------------

std::optional<qlonglong> AlarmdefsZugriff::Alarmnummer(const QString& s) {
    bool ok = false;
    const qlonglong n = s.trimmed().toLongLong(&ok);
    if (!ok || s.trimmed().isEmpty())
        return std::nullopt;
    return n;
}

QString AlarmdefsZugriff::Tabelle(const QSqlDatabase& db) { return SpaltenName(db, QStringLiteral("Alarmdefs")); }

QString AlarmdefsZugriff::SpaltenListe(const QSqlDatabase& db) {
    QStringList s;
    for (const QString& name : AlarmRecordBau::SpaltenNamen())
        s << SpaltenName(db, name);
    return s.join(QStringLiteral(", "));
}

bool AlarmdefsZugriff::IstZahlenSpalte(int spalte) {
    switch (spalte) {
    case 0: case 1: case 2: case 4: case 7: case 8: case 9:
    case 13: case 14: case 15: case 16: case 17:
        return true;
    default:
        return false;
    }
}

int AlarmdefsZugriff::SpaltenBreite(int spalte) { return IstZahlenSpalte(spalte) ? 11 : 255; }

std::optional<QString> AlarmdefsZugriff::WertPruefen(int spalte, const QVariant& wert, QVariant* gespeichert) {
    const QString name = AlarmRecordBau::SpaltenNamen().value(spalte);
    if (spalte < 0 || spalte >= AlarmFeld::Spalten)
        return QStringLiteral("Die Spalte %1 gibt es nicht.").arg(spalte);
    // An emptied cell holds nothing (NULL), so " Frei" finds an alarm whose picture was cleared.
    if (wert.isNull() || (wert.typeId() == QMetaType::QString && wert.toString().trimmed().isEmpty())) {
        *gespeichert = QVariant();
        return std::nullopt;
    }
    // A whole number within the column's range is taken as it is, without its text.
    if (IstZahlenSpalte(spalte) && (wert.typeId() == QMetaType::LongLong || wert.typeId() == QMetaType::Int)) {
        const qlonglong zahl = wert.toLongLong();
        if (zahl >= std::numeric_limits<std::int32_t>::min() && zahl <= std::numeric_limits<std::int32_t>::max()) {
            *gespeichert = zahl;
            return std::nullopt;
        }
    }
    const QString text = wert.toString();
    if (text.size() > SpaltenBreite(spalte))
        return QStringLiteral("Die Spalte %1 nimmt höchstens %2 Zeichen auf.").arg(name).arg(SpaltenBreite(spalte));
    if (IstZahlenSpalte(spalte)) {
        const auto zahl = Alarmnummer(text);
        if (!zahl)
            return QStringLiteral("Die Spalte %1 nimmt nur ganze Zahlen auf, nicht \"%2\".").arg(name, text);
        // The columns are long integers: a larger number could not be copied to a server or read by the HMI.
        if (*zahl < std::numeric_limits<std::int32_t>::min() || *zahl > std::numeric_limits<std::int32_t>::max())
            return QStringLiteral("Die Spalte %1 nimmt nur ganze Zahlen von -2147483648 bis 2147483647 auf, nicht %2.")
                .arg(name, text);
        *gespeichert = *zahl;
        return std::nullopt;
    }
    // A NUL ends a text on a server and in the HMI; picture and symbol are file names, which hold no control characters.
    const bool dateiName = spalte == AlarmFeld::Form || spalte == AlarmFeld::Symbol;
    for (const QChar c : text)
        if (c.unicode() == 0 || (dateiName && (c.unicode() < 0x20 || c.unicode() == 0x7f)))
            return QStringLiteral("Die Spalte %1 nimmt kein Steuerzeichen auf (Zeichen %2 in \"%3\").")
                .arg(name, QStringLiteral("0x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')),
                     QString(text).replace(QChar(0), QLatin1Char(' ')));
    *gespeichert = text;
    return std::nullopt;
}

std::optional<QVariant> AlarmdefsZugriff::Position(const QString& s) {
    const QString t = s.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    const double d = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 2147483647.0)
        return std::nullopt;
    return QVariant(static_cast<qlonglong>(qRound64(d)));
}

// --- connections -------------------------------------------------------------------

QSqlDatabase AlarmdefsZugriff::Oeffnen(const QString& sDatenbank, const QString& sVerbindungsName) {
    return Oeffnen(Datenbankadresse(sDatenbank), sDatenbank, sVerbindungsName);
}

QSqlDatabase AlarmdefsZugriff::Oeffnen(const Datenbankadresse& adresse, const QString& sDatenbank,
                                       const QString& sVerbindungsName) {
    if (adresse.art() == Datenbankadresse::Art::Ungueltig)
        throw AlarmdefsFehler(adresse.Fehler());
    QSqlDatabase db;
    if (adresse.IstServer()) {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 liegt auf einem PostgreSQL-Server; auf diesem "
                                                 "System ist kein PostgreSQL-Treiber für Qt installiert (libqt6sql6-psql).")
                                      .arg(adresse.Uri()));
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), sVerbindungsName);
        db.setHostName(adresse.Host());
        db.setPort(adresse.Port());
        db.setDatabaseName(adresse.Datenbank());
        db.setUserName(adresse.Benutzer());
        // A server that does not answer is given up after a few seconds, not waited for;
        // so is a connection whose network went away (the window would hang on it
        // until the system's own TCP timeout, a quarter of an hour).
        db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=Tavero;keepalives=1;keepalives_idle=5;"
                                            "keepalives_interval=2;keepalives_count=2;tcp_user_timeout=%2")
                                 .arg(ServerWartezeitS)
                                 .arg(ServerWartezeitS * 1000) +
                             (adresse.Optionen().isEmpty() ? QString() : QLatin1Char(';') + adresse.Optionen()));
        OeffnenOderMelden(db, adresse.Uri(), sVerbindungsName);
        // A row or table another client holds locked is given up after the time
        // SQLite waits, and refused as locked, rather than holding the window.
        // Both settings go in one round trip.
        QSqlQuery(db).exec(QStringLiteral("set client_min_messages to warning; set lock_timeout = %1").arg(WarteAufSperreMs));
        return db;
    }
    const QString pfad = adresse.Pfad();
    if (sDatenbank.isEmpty() || !QFileInfo(pfad).isFile())
        throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 wurde nicht gefunden.").arg(sDatenbank));
    const QByteArray kopf = Kopf(pfad);
    if (IstSqlite(kopf)) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), sVerbindungsName);
        db.setDatabaseName(pfad);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(WarteAufSperreMs));
    } else if (kopf.mid(4, 15) == "Standard Jet DB" || kopf.mid(4, 15) == "Standard ACE DB") {
        return OdbcOeffnen(AccessVerbindung(pfad), sDatenbank, sVerbindungsName);
    } else {
        throw AlarmdefsFehler(QStringLiteral("Die Datei %1 ist keine Alarmdatenbank.").arg(sDatenbank));
    }
    OeffnenOderMelden(db, sDatenbank, sVerbindungsName);
    return db;
}

QString AlarmdefsZugriff::AccessVerbindung(const QString& pfad) {
    return QStringLiteral("Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=") + pfad;
}

QSqlDatabase AlarmdefsZugriff::OdbcVorlage(const QString& verbindung, const QString& sDatenbank,
                                           const QString& sVerbindungsName) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        throw AlarmdefsFehler(QStringLiteral("Die Alarmdatenbank %1 ist eine Access-Datei; auf diesem System "
                                             "ist kein Access-Treiber installiert.")
                                  .arg(sDatenbank));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), sVerbindungsName);
    db.setDatabaseName(verbindung);
    return db;
}

QSqlDatabase AlarmdefsZugriff::OdbcOeffnen(const QString& verbindung, const QString& sDatenbank,
                                           const QString& sVerbindungsName) {
    QSqlDatabase db = OdbcVorlage(verbindung, sDatenbank, sVerbindungsName);
    OeffnenOderMelden(db, sDatenbank, sVerbindungsName);
    return db;
}

bool AlarmdefsZugriff::IstAccessDatei(const QString& sDatenbank) {
    if (sDatenbank.isEmpty() || Datenbankadresse::IstUri(sDatenbank))
        return false;
    const QByteArray kopf = Kopf(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString())));
    return kopf.mid(4, 15) == "Standard Jet DB" || kopf.mid(4, 15) == "Standard ACE DB";
}

bool AlarmdefsZugriff::IstSqliteDatei(const QString& sDatenbank) {
    return !sDatenbank.isEmpty() && IstSqlite(Kopf(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()))));
}

void AlarmdefsZugriff::Schliessen(const QString& sVerbindungsName) {
    {
        QSqlDatabase db = QSqlDatabase::database(sVerbindungsName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(sVerbindungsName);
}

QString AlarmdefsZugriff::SpaltenName(const QSqlDatabase& db, const QString& name) {
    // SQLite takes a name in double quotes that names no column for a text
    // (a missing column "X" would read as the word X); in brackets it is a name only.
    // Access takes a name in brackets too, and so does SQLite behind ODBC; the
    // driver's own quote is known only once its connection is open, and the
    // grid spells its statements on a connection the window never opens.
    if (db.driverName() == QLatin1String("QSQLITE") || db.driverName() == QLatin1String("QODBC"))
        return QLatin1Char('[') + name + QLatin1Char(']');
    return db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

QStringList AlarmdefsZugriff::FehlendeSpalten(const QSqlDatabase& db) {
    // PostgreSQL folds a name without quotes to lower case.
    return FehlendeSpalten(db.record(db.driverName() == QLatin1String("QPSQL") ? Tabelle(db) : QStringLiteral("Alarmdefs")));
}

QStringList AlarmdefsZugriff::FehlendeSpalten(const QSqlRecord& rec) {
    QStringList fehlen;
    for (const QString& name : AlarmRecordBau::SpaltenNamen()) {
        bool da = false;
        for (int i = 0; i < rec.count() && !da; ++i)
            da = rec.fieldName(i).compare(name, Qt::CaseInsensitive) == 0;
        if (!da)
            fehlen << name;
    }
    return fehlen;
}

// --- reading -----------------------------------------------------------------------

std::optional<AlarmListeTyp> AlarmdefsZugriff::AlarmListeLesen(const QString& sDatenbank, const QString& sForm) {
    const QString pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString()));
    if (!sDatenbank.isEmpty() && !Datenbankadresse::IstUri(sDatenbank) && IstSqlite(Kopf(pfad))) {
        AlarmListeTyp liste = ListeSqlite(pfad, sDatenbank, sForm);
        if (liste.isEmpty())
            return std::nullopt;
        return liste;
    }
    Verbindung v(sDatenbank);
    return AlarmListeLesen(v.db(), sDatenbank, sForm);
}

std::optional<AlarmListeTyp> AlarmdefsZugriff::AlarmListeLesen(QSqlDatabase& db, const QString& sDatenbank,
                                                              const QString& sForm) {
    AlarmListeTyp liste;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // A statement the database rejects (no table, a missing column) fails in prepare.
        const bool vorbereitet = q.prepare(QStringLiteral("select %1 from %2 where %3 = ?")
                                               .arg(AlarmdefsZugriff::SpaltenListe(db), AlarmdefsZugriff::Tabelle(db), Spalte(db, QStringLiteral("Form"))));
        q.addBindValue(sForm);
        if (!vorbereitet || !q.exec()) {
            const auto m = DatenbankFehler::Deuten(q.lastError(), sDatenbank);
            const QStringList fehlen = FehlendeSpalten(db);
            if (!fehlen.isEmpty() && fehlen.size() < AlarmFeld::Spalten)
                throw AlarmdefsFehler(QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2.")
                                          .arg(sDatenbank, fehlen.join(QStringLiteral(", "))),
                                      m.detail);
            throw AlarmdefsFehler(m.text + QStringLiteral(" Die Alarme des Bildes %1 lassen sich nicht lesen.").arg(sForm),
                                  m.detail);
        }
        AlarmRecordLeser leser(AlarmFeld::Spalten);
        while (q.next())
            liste.append(leser.Lesen(q));
    }
    if (liste.isEmpty())
        return std::nullopt;
    return liste;
}

// --- writing -----------------------------------------------------------------------

Schreibergebnis AlarmdefsZugriff::Schreiben(const QString& sDatenbank, const Schreibauftrag& auftrag) {
    try {
        Verbindung v(sDatenbank);
        return Schreiben(v.db(), sDatenbank, auftrag);
    } catch (const AlarmdefsFehler& f) {
        return Schreibergebnis::Abgelehnt(f.Text() + QStringLiteral(" Nichts wurde geschrieben."), f.Detail());
    }
}

Schreibergebnis AlarmdefsZugriff::Schreiben(QSqlDatabase& db, const QString& sDatenbank, const Schreibauftrag& auftrag) {
    AlarmdefsSchreiber schreiber(db, sDatenbank);
    return schreiber.Einzeln(auftrag);
}

Sammelergebnis AlarmdefsZugriff::SchreibenAlle(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege) {
    try {
        Verbindung v(sDatenbank);
        return SchreibenAlle(v.db(), sDatenbank, auftraege);
    } catch (const AlarmdefsFehler& f) {
        Sammelergebnis s;
        s.text = f.Text() + QStringLiteral(" Nichts wurde geschrieben.");
        s.detail = f.Detail();
        return s;
    }
}

Sammelergebnis AlarmdefsZugriff::SchreibenAlle(QSqlDatabase& db, const QString& sDatenbank,
                                               const QList<Schreibauftrag>& auftraege) {
    AlarmdefsSchreiber schreiber(db, sDatenbank);
    return schreiber.Alle(auftraege);
}

QString AlarmdefsZugriff::OhnePositionBedingung(const QString& form, const QString& x, const QString& y,
                                                bool texteVergleichen) {
    auto leer = [texteVergleichen](const QString& spalte) {
        return texteVergleichen ? QStringLiteral("coalesce(trim(cast(%1 as text)), '') = ''").arg(spalte)
                                : QStringLiteral("%1 is null").arg(spalte);
    };
    return QStringLiteral("%1 is not null and (%2 or %3)").arg(form, leer(x), leer(y));
}

QString AlarmdefsZugriff::OhnePositionBedingung(const QSqlDatabase& db) {
    return OhnePositionBedingung(SpaltenName(db, QStringLiteral("Form")), SpaltenName(db, QStringLiteral("X")),
                                 SpaltenName(db, QStringLiteral("Y")), TexteVergleichbar(db));
}

bool AlarmdefsZugriff::TexteVergleichbar(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QSQLITE") || db.driverName() == QLatin1String("QPSQL");
}

QHash<qlonglong, AlarmListeTyp> AlarmdefsZugriff::ZeilenLesen(QSqlDatabase& db, const QList<qlonglong>& idents) {
    QHash<qlonglong, AlarmListeTyp> zeilen;
    const QString ident = SpaltenName(db, QStringLiteral("Ident"));
    if (idents.isEmpty())
        return zeilen;
    // SQLite: the numbers as one bound list, so the table is passed once even
    // without an index on Ident, and each row is made a record straight from
    // the library, without a variant per value.
    const QVariant griff = db.driverName() == QLatin1String("QSQLITE") ? db.driver()->handle() : QVariant();
    if (sqlite3* h = griff.isValid() && qstrcmp(griff.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(griff.constData())
                                                                                    : nullptr) {
        const QByteArray sql = QStringLiteral("select %1 from %2 where %3 in (select value from json_each(?1))")
                                   .arg(SpaltenListe(db), Tabelle(db), ident)
                                   .toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return {};
        }
        // as number and as text: a column declared as text holds the number as text
        QByteArray liste;
        liste.reserve(idents.size() * 20);
        liste += '[';
        for (qlonglong n : idents) {
            const QByteArray zahl = QByteArray::number(n);
            liste += zahl + ",\"" + zahl + "\",";
        }
        liste.back() = ']';
        sqlite3_bind_text(st, 1, liste.constData(), static_cast<int>(liste.size()), SQLITE_STATIC);
        zeilen.reserve(idents.size());
        AlarmRecordLeser leser(AlarmFeld::Spalten);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            // the number as the driver's value gives it
            const qlonglong nummer = sqlite3_column_type(st, AlarmFeld::Ident) == SQLITE_INTEGER
                                         ? static_cast<qlonglong>(sqlite3_column_int64(st, AlarmFeld::Ident))
                                         : SqliteWert(st, AlarmFeld::Ident).toLongLong();
            zeilen[nummer] << leser.Lesen(st);
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            return {};
        return zeilen;
    }
    // The numbers are whole numbers, written into the statement in parts of a thousand.
    constexpr qsizetype Teil = 1000;
    for (qsizetype von = 0; von < idents.size(); von += Teil) {
        QStringList liste;
        for (qlonglong n : idents.mid(von, Teil))
            liste << QString::number(n);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // A server compares them with its column as the table holds it (text of digits too).
        const QString zahlen = liste.join(QLatin1Char(','));
        const QString wo = db.driverName() == QLatin1String("QPSQL") ? Identschluessel::InListe(ident, zahlen)
                                                                     : QStringLiteral("%1 in (%2)").arg(ident, zahlen);
        if (!q.exec(QStringLiteral("select %1 from %2 where %3").arg(SpaltenListe(db), Tabelle(db), wo)))
            return {};
        while (q.next()) {
            QVariantList werte;
            for (int i = 0; i < AlarmFeld::Spalten; ++i)
                werte << q.value(i);
            zeilen[Identschluessel::Nummer(werte.at(AlarmFeld::Ident))] << AlarmRecordBau::AusWerten(werte);
        }
    }
    return zeilen;
}
