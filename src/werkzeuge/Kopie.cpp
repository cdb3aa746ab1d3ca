#include "werkzeuge/Kopie.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <optional>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsDurchlauf.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/ServerMeldungen.h"
#include "alarms/Anzahltext.h"
#include "alarms/DatenbankFehler.h"
#include "alarms/Datenbankadresse.h"

namespace {
QAtomicInteger<int> g_kopien;
// Rows per insert statement: few round trips to a server, far below its limit of parameters.
constexpr int kBlock = 500;

QVariant Wert(const AlarmdefsDurchlauf::Wert& w) {
    switch (w.art) {
    case AlarmdefsDurchlauf::Wert::Art::Null: return {};
    case AlarmdefsDurchlauf::Wert::Art::Zahl: return w.zahl;
    case AlarmdefsDurchlauf::Wert::Art::Kommazahl: return w.kommazahl;
    case AlarmdefsDurchlauf::Wert::Art::Text: return QString::fromUtf8(w.text, w.laenge);
    }
    return {};
}

Kopie::Ergebnis Fehler(const QString& text, const QString& detail = {}) {
    Kopie::Ergebnis e;
    e.text = text;
    e.detail = detail;
    return e;
}

// The target's connection, closed and removed again at the end. A new file is
// filled under a name of its own beside the target and takes the target's
// name only once it is complete, so a failed or killed copy leaves no empty
// or half file where the retry looks.
class Ziel {
public:
    explicit Ziel(const QString& sZiel)
        : m_ziel(sZiel), m_name(QStringLiteral("tavero-kopie-%1").arg(g_kopien.fetchAndAddRelaxed(1))) {
        const Datenbankadresse a(sZiel);
        if (a.art() == Datenbankadresse::Art::Datei && !QFileInfo::exists(a.Pfad())) {
            m_pfad = a.Pfad();
            const QFileInfo info(m_pfad);
            QTemporaryFile neu(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                               QStringLiteral(".XXXXXX.neu"));
            neu.setAutoRemove(false);
            if (!neu.open())
                throw AlarmdefsFehler(QStringLiteral("Die Datei %1 lässt sich nicht anlegen.").arg(sZiel), neu.errorString());
            m_neuePfad = neu.fileName();
            neu.close();
            m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            m_db.setDatabaseName(m_neuePfad);
            if (!m_db.open())
                throw AlarmdefsFehler(QStringLiteral("Die Datei %1 lässt sich nicht anlegen.").arg(sZiel),
                                      m_db.lastError().text());
            return;
        }
        m_db = AlarmdefsZugriff::Oeffnen(sZiel, m_name);
    }
    ~Ziel() {
        Schliessen();
        if (!m_neuePfad.isEmpty()) {
            QFile::remove(m_neuePfad);
            QFile::remove(m_neuePfad + QStringLiteral("-journal"));
        }
    }
    QSqlDatabase& db() { return m_db; }
    // After the commit: a new file takes its name. A file someone made under
    // that name meanwhile is not replaced.
    std::optional<QString> Abschliessen() {
        if (m_neuePfad.isEmpty())
            return std::nullopt;
        Schliessen();
        QFile::setPermissions(m_neuePfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                              QFile::ReadGroup | QFile::ReadOther);
        QFile neu(m_neuePfad);
        if (!neu.rename(m_pfad))
            return QStringLiteral("Die Datei %1 lässt sich nicht anlegen (%2); nichts wurde kopiert.")
                .arg(m_ziel, QFileInfo::exists(m_pfad) ? QStringLiteral("es gibt sie inzwischen") : neu.errorString());
        m_neuePfad.clear();
        return std::nullopt;
    }

private:
    void Schliessen() {
        if (m_db.isValid())
            m_db.close();
        m_db = QSqlDatabase();
        AlarmdefsZugriff::Schliessen(m_name);
    }
    QString m_ziel;
    QString m_name;
    QString m_pfad;       // a new file: where it goes
    QString m_neuePfad;   // a new file: where it is filled
    QSqlDatabase m_db;
};

// Whether the target's column keeps only whole numbers (a server's integer).
bool GanzzahlSpalte(const QSqlDatabase& db, const QString& tabelle, const QString& spalte) {
    const QSqlRecord r = db.record(tabelle);
    int i = 0;
    while (i < r.count() && r.fieldName(i).compare(spalte, Qt::CaseInsensitive) != 0)
        ++i;
    if (i == r.count())
        return false;
    switch (r.field(i).metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// A position as a column of whole numbers takes it, exactly; nullopt when it
// cannot (a decimal part, a text that is no whole number).
std::optional<QVariant> Ganzzahlig(const AlarmdefsDurchlauf::Wert& w) {
    switch (w.art) {
    case AlarmdefsDurchlauf::Wert::Art::Null: return QVariant();
    case AlarmdefsDurchlauf::Wert::Art::Zahl: return QVariant(w.zahl);
    default: break;
    }
    const auto n = w.GanzeZahl();
    return n ? std::optional<QVariant>(QVariant(*n)) : std::nullopt;
}
}  // namespace

QString Kopie::TabelleAnlegenSql(bool server) {
    QStringList spalten;
    for (int i = 0; i < AlarmFeld::Spalten; ++i) {
        const QString name = AlarmRecordBau::SpaltenNamen().at(i);
        const QString typ = AlarmdefsZugriff::IstZahlenSpalte(i) ? (server ? QStringLiteral("integer") : QStringLiteral("INTEGER"))
                                                                 : QStringLiteral("varchar(255)");
        spalten << QStringLiteral("\"%1\" %2").arg(name, typ);
    }
    return QStringLiteral("create table \"Alarmdefs\" (%1)").arg(spalten.join(QStringLiteral(", ")));
}

Kopie::Ergebnis Kopie::Kopieren(const QString& quelle, const QString& ziel, bool ersetzen) {
    const Datenbankadresse q(quelle), z(ziel);
    if (q.art() == Datenbankadresse::Art::Ungueltig)
        return Fehler(q.Fehler());
    if (z.art() == Datenbankadresse::Art::Ungueltig)
        return Fehler(z.Fehler());
    if ((q.IstServer() && z.IstServer() && q.Uri() == z.Uri()) ||
        (!q.IstServer() && !z.IstServer() && QFileInfo(q.Pfad()).canonicalFilePath() == QFileInfo(z.Pfad()).canonicalFilePath() &&
         QFileInfo::exists(z.Pfad())))
        return Fehler(QStringLiteral("Quelle und Ziel sind dieselbe Datenbank; nichts wurde kopiert."));
    try {
        Ziel ziel_(ziel);
        QSqlDatabase& db = ziel_.db();
        const bool server = db.driverName() == QLatin1String("QPSQL");
        const QString tabelle = AlarmdefsZugriff::Tabelle(db);
        const QStringList fehlen = AlarmdefsZugriff::FehlendeSpalten(db);
        const bool anlegen = fehlen.size() == AlarmFeld::Spalten;
        if (!fehlen.isEmpty() && !anlegen)
            return Fehler(QStringLiteral("In der Tabelle Alarmdefs von %1 fehlen die Spalten %2; nichts wurde kopiert.")
                              .arg(ziel, fehlen.join(QStringLiteral(", "))));
        QSqlQuery sql(db);
        if (!anlegen) {
            if (!sql.exec(QStringLiteral("select count(*) from %1").arg(tabelle)) || !sql.next())
                return Fehler(DatenbankFehler::Deuten(sql.lastError(), ziel).text, sql.lastError().text());
            const qlonglong vorhanden = sql.value(0).toLongLong();
            if (vorhanden > 0 && !ersetzen)
                return Fehler(QStringLiteral("Die Tabelle Alarmdefs von %1 enthält schon %2; nichts wurde kopiert. "
                                             "Mit --ersetzen werden sie ersetzt.")
                                  .arg(ziel, Anzahltext::Zeilen(vorhanden)));
        }
        auto abbrechen = [&](const QSqlError& fehler) {
            const auto m = DatenbankFehler::Deuten(fehler, ziel);
            db.rollback();
            return Fehler(m.text + QStringLiteral(" Nichts wurde kopiert."), m.detail);
        };
        if (!db.transaction())
            return abbrechen(db.lastError());
        if (anlegen && !sql.exec(TabelleAnlegenSql(server)))
            return abbrechen(sql.lastError());
        if (!anlegen && !sql.exec(QStringLiteral("delete from %1").arg(tabelle)))
            return abbrechen(sql.lastError());

        const QString spalten = AlarmdefsZugriff::SpaltenListe(db);
        auto einfuegenSql = [&](int zeilen) {
            QStringList fragen(AlarmFeld::Spalten, QStringLiteral("?"));
            const QString eine = QLatin1Char('(') + fragen.join(QLatin1Char(',')) + QLatin1Char(')');
            return QStringLiteral("insert into %1 (%2) values %3")
                .arg(tabelle, spalten, QStringList(zeilen, eine).join(QLatin1Char(',')));
        };
        // A server's column of whole numbers would round a position with a decimal
        // part ("120,5") or refuse a text: such rows are named and nothing is
        // copied. SQLite keeps any value as it is.
        const bool xGanz = server && (anlegen || GanzzahlSpalte(db, tabelle, QStringLiteral("X")));
        const bool yGanz = server && (anlegen || GanzzahlSpalte(db, tabelle, QStringLiteral("Y")));
        QStringList ungenau;
        qsizetype ungenauZeilen = 0;
        QSqlQuery block(db);
        block.prepare(einfuegenSql(kBlock));
        QVariantList puffer;
        puffer.reserve(kBlock * AlarmFeld::Spalten);
        qsizetype zeilen = 0;
        std::optional<QSqlError> fehler;
        auto schreiben = [&](QSqlQuery& q, int anzahl) {
            for (int i = 0; i < anzahl * AlarmFeld::Spalten; ++i)
                q.bindValue(i, puffer.at(i));
            if (!q.exec())
                fehler = q.lastError();
            puffer.clear();
        };
        AlarmdefsDurchlauf::Lesen(quelle, AlarmRecordBau::SpaltenNamen(), {}, [&](const AlarmdefsDurchlauf::Wert* w) {
            if (fehler)
                return;
            bool zeileUngenau = false;
            const qsizetype anfang = puffer.size();
            for (int i = 0; i < AlarmFeld::Spalten; ++i) {
                if ((i == AlarmFeld::X && xGanz) || (i == AlarmFeld::Y && yGanz)) {
                    if (const auto ganz = Ganzzahlig(w[i])) {
                        puffer << *ganz;
                        continue;
                    }
                    zeileUngenau = true;
                }
                puffer << Wert(w[i]);
            }
            if (zeileUngenau && ++ungenauZeilen <= 20)
                ungenau << w[AlarmFeld::Ident].Text();
            // once a row cannot be copied exactly, the others are only looked at
            if (ungenauZeilen > 0) {
                puffer.resize(anfang);
                return;
            }
            ++zeilen;
            if (puffer.size() == kBlock * AlarmFeld::Spalten)
                schreiben(block, kBlock);
        });
        if (!fehler && ungenauZeilen == 0 && !puffer.isEmpty()) {
            QSqlQuery rest(db);
            rest.prepare(einfuegenSql(static_cast<int>(puffer.size() / AlarmFeld::Spalten)));
            schreiben(rest, static_cast<int>(puffer.size() / AlarmFeld::Spalten));
        }
        if (ungenauZeilen > 0) {
            db.rollback();
            return Fehler(QStringLiteral("Die Spalten X und Y von %1 nehmen nur ganze Zahlen auf; %2 Zeilen halten dort "
                                         "Nachkommastellen oder Text (Alarme %3%4). Nichts wurde kopiert.")
                              .arg(ziel)
                              .arg(ungenauZeilen)
                              .arg(ungenau.join(QStringLiteral(", ")), ungenauZeilen > 20 ? QStringLiteral(", …") : QString()));
        }
        if (fehler)
            return abbrechen(*fehler);
        if (anlegen) {
            // A key on the alarm number where the numbers are unique; a picture's
            // alarms are found by an index. A refused key (numbers used twice) is
            // left out, the copy stays.
            const QString ident = AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Ident"));
            if (server) {
                sql.exec(QStringLiteral("savepoint schluessel"));
                if (sql.exec(QStringLiteral("alter table %1 add primary key (%2)").arg(tabelle, ident)))
                    sql.exec(QStringLiteral("release savepoint schluessel"));
                else
                    sql.exec(QStringLiteral("rollback to savepoint schluessel"));
            } else {
                sql.exec(QStringLiteral("create unique index AlarmdefsIdent on Alarmdefs (%1)").arg(ident));
            }
            if (!sql.exec(QStringLiteral("create index %1 on %2 (%3)")
                              .arg(server ? QStringLiteral("\"AlarmdefsForm\"") : QStringLiteral("AlarmdefsForm"), tabelle,
                                   AlarmdefsZugriff::SpaltenName(db, QStringLiteral("Form")))))
                return abbrechen(sql.lastError());
        }
        // A table filled on a server tells every client of each change, also of other programs'.
        QString meldungFehlt;
        if (server && !ServerMeldungen::Einrichten(db, &meldungFehlt))
            return abbrechen(QSqlError(meldungFehlt, meldungFehlt));
        if (!db.commit())
            return abbrechen(db.lastError());
        // no statement may hold the new file open while it takes its name
        sql.clear();
        block.clear();
        if (const auto nicht = ziel_.Abschliessen())
            return Fehler(*nicht);
        Ergebnis e;
        e.kopiert = true;
        e.zeilen = zeilen;
        e.text = QStringLiteral("%1 von %2 nach %3 kopiert.").arg(Anzahltext::Zeilen(zeilen), quelle, ziel);
        return e;
    } catch (const AlarmdefsFehler& f) {
        return Fehler(f.Text() + QStringLiteral(" Nichts wurde kopiert."), f.Detail());
    }
}
