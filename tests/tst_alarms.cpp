// The alarm layer on real SQLite files: reading alarm lists, writing arrows
// back, the rules of AktuellerAlarm and AuswahlShow, and bad databases.
#include <QtTest>

#include <QPointer>
#include <QProcess>
#include <QSqlDatabase>
#include <functional>
#include <memory>
#include <unistd.h>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datendienst.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/frmAlarmAuswahl.h"
#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/Wahlablauf.h"
#include "helpers/FremdeFreigaben.h"
#include "helpers/FremdeSperre.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"

namespace {
// Two number columns of the table, by their place.
constexpr int kPriority = 7, kGroup = 8;
const char* const SPALTEN = TestDb::Spalten;

// One Alarmdefs row: the 18 columns in table order.
QVariantList Zeile(int ident, const QVariant& form, const QVariant& symbol, const QVariant& x = 10,
                   const QVariant& y = 20) {
    return {ident, 1, 0, QStringLiteral("P%1_ST.3").arg(ident), 3, QStringLiteral("0"), QStringLiteral("100"), 2, 7,
            1000 + ident, QStringLiteral("Pumpe P%1 Störung Motorschutz").arg(ident), form, symbol, x, y, 150, 0, 1};
}

// Runs statements on a connection of the test's own, closed again at the end.

bool DatenbankAnlegen(const QString& pfad, const QList<QVariantList>& zeilen, const QString& spalten = SPALTEN) {
    TestDb t(pfad);
    if (!t.ok() || !t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (%1)").arg(spalten)))
        return false;
    for (const QVariantList& z : zeilen) {
        QStringList fragen;
        for (int i = 0; i < z.size(); ++i)
            fragen << QStringLiteral("?");
        if (!t.Ausfuehren(QStringLiteral("INSERT INTO Alarmdefs VALUES (%1)").arg(fragen.join(',')), z))
            return false;
    }
    return true;
}

QList<QVariantList> Tabelle(const QString& pfad) { return TestDb(pfad).Tabelle(); }

bool DirekteVerbindungOffen() {
    for (const QString& n : QSqlDatabase::connectionNames())
        if (n.startsWith(QStringLiteral("tavero-direkt")))
            return true;
    return false;
}

QStringList Idents(const AlarmListeTyp& liste) {
    QStringList ids;
    for (const AlarmRecord& r : liste)
        ids << r.at(AlarmFeld::Ident);
    return ids;
}
// The sqlite3 shell, a program of its own: fills and reads files without this
// program's code, and holds locks as another program on the machine would.
QStringList Sqlite3(const QString& pfad, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), pfad});
    if (!p.waitForStarted())
        return {QStringLiteral("<sqlite3 fehlt>")};
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Threads of data services still running in this process (Linux names a
// thread after its object).
int DienstFaeden() {
    int n = 0;
    for (const QString& faden : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(QStringLiteral("/proc/self/task/%1/comm").arg(faden));
        n += name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "Datendienst";
    }
    return n;
}

// A table laid out otherwise than the program's own: its columns in reverse
// order behind an extra one, n rows made by the engine itself, numbers spread
// so no column's order is the row order.
bool FremdeTabelle(const QString& pfad, int n) {
    QStringList spalten{QStringLiteral("\"Kommentar\" TEXT")}, namen, werte;
    const QStringList alle = AlarmRecordBau::SpaltenNamen();
    for (int c = AlarmFeld::Spalten - 1; c >= 0; --c) {
        const QString name = QLatin1Char('"') + alle.at(c) + QLatin1Char('"');
        const bool zahl = AlarmdefsZugriff::IstZahlenSpalte(c);
        spalten << name + (zahl ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
        namen << name;
        if (c == AlarmFeld::Ident)
            werte << QStringLiteral("50000 + (i * 7919) % %1").arg(n);
        else if (c == AlarmFeld::Alarmtext)
            werte << QStringLiteral("'Übertemperatur Straße ' || ((i * 31) % 97)");
        else if (c == AlarmFeld::Form)
            werte << QStringLiteral("'Anlage' || (i % 5)");
        else if (zahl)
            werte << QStringLiteral("(i * %1) % %2").arg(13 + 2 * c).arg(7 + c);
        else
            werte << QStringLiteral("'t%1_' || i").arg(c);
    }
    const QString sql = QStringLiteral("CREATE TABLE Alarmdefs (%1);\n"
                                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2)\n"
                                       "INSERT INTO Alarmdefs (\"Kommentar\", %3) SELECT 'fremd', %4 FROM n;\n"
                                       "SELECT count(*) FROM Alarmdefs;\n")
                            .arg(spalten.join(QStringLiteral(", ")))
                            .arg(n)
                            .arg(namen.join(QStringLiteral(", ")), werte.join(QStringLiteral(", ")));
    return Sqlite3(pfad, sql) == QStringList{QString::number(n)};
}

// The SQLite3 ODBC driver on a real file, standing in for an Access file: the
// connection is only described; the grid's service opens its own.
QSqlDatabase OdbcVorlage(const QString& pfad, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    db.setDatabaseName(QStringLiteral("Driver=SQLite3;Database=") + pfad);
    return db;
}

// A table made by Python's sqlite3 module, laid out its own way: the Ident a
// text column in the middle, the others in shuffled order after an extra one.
// Rows: (Ident, Form, Alarmtext, X) each; the other columns hold numbers or texts of their own.
bool PythonTabelle(const QString& pfad, int seed, const QList<std::tuple<QString, QString, QString, int>>& zeilen) {
    QStringList werte;
    for (const auto& [ident, form, text, x] : zeilen)
        werte << QStringLiteral("('%1', '%2', '%3', %4)").arg(ident, form, text).arg(x);
    const QString skript = QStringLiteral(
        "import random, sqlite3, sys\n"
        "r = random.Random(%1)\n"
        "namen = ['Ident','Type','Acknowledge','VarName','BitNo','Min','Max','Priority','Group','Helpindex',"
        "'Alarmtext','Form','Symbol','X','Y','Sensor1','Sensor2','Fault']\n"
        "andere = [n for n in namen if n != 'Ident']\n"
        "r.shuffle(andere)\n"
        "reihe = ['Notiz'] + andere[:8] + ['Ident'] + andere[8:]\n"
        "art = lambda n: 'TEXT' if n in ('Ident','VarName','Min','Max','Alarmtext','Form','Symbol','Notiz') else 'INTEGER'\n"
        "db = sqlite3.connect(sys.argv[1])\n"
        "db.execute('create table Alarmdefs (' + ', '.join('\"%s\" %s' % (n, art(n)) for n in reihe) + ')')\n"
        "for ident, form, text, x in [%2]:\n"
        "    w = {n: (r.randint(0, 9) if art(n) == 'INTEGER' else 'w%d' % r.randint(0, 99)) for n in reihe}\n"
        "    w.update(Ident=ident, Form=form, Alarmtext=text, X=x, Symbol=None)\n"
        "    db.execute('insert into Alarmdefs values (' + ','.join('?' * len(reihe)) + ')', [w[n] for n in reihe])\n"
        "db.commit()\n")
                               .arg(seed)
                               .arg(werte.join(QLatin1Char(',')));
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), skript, pfad});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A column of the grid as the rows come in (each page arrives when the service has read it).
QStringList RasterSpalte(AlarmdefsModell& m, int spalte) {
    QStringList z;
    for (int r = 0; r < m.rowCount(); ++r) {
        if (!QTest::qWaitFor([&] { return m.index(r, spalte).data().isValid(); }, 10000))
            z << QStringLiteral("<nicht gekommen>");
        else
            z << m.index(r, spalte).data().toString();
    }
    return z;
}
}  // namespace

class TstAlarms : public QObject {
    Q_OBJECT
    QTemporaryDir* mDir = nullptr;
    QString mDb;

    QString Datei(const QString& s) const { return mDir->filePath(s); }

    // A component set up as the main window does, with a picked alarm.
    void Einrichten(AlarmAuswahl& a) {
        a.setAlarmDatenbank(mDb);
        a.setPfadErweiterung(QStringLiteral("Standard\\"));
        a.setAktuellerAlarm(AlarmListeTyp(AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf").value()).first());
    }

private slots:
    void init() {
        mDir = new QTemporaryDir;
        QVERIFY(mDir->isValid());
        qputenv("WINEPREFIX", QFile::encodeName(mDir->filePath("prefix")));
        mDb = Datei("Anlage.kvs");
        QVERIFY(DatenbankAnlegen(mDb, {Zeile(7, "Zulauf", "Standard\\PfeilRot.gif"),
                                       Zeile(3, "Belebung", "Standard\\PfeilBlau.gif"),
                                       Zeile(5, "Zulauf", "PfeilGruen.gif"),
                                       Zeile(9, QVariant(), QVariant(), QVariant(), QVariant()),
                                       Zeile(4, "Zulauf", QVariant(), QVariant(), QVariant())}));
        gStartOhneDB = FALSCH;
    }
    void cleanup() {
        QVERIFY(!DirekteVerbindungOffen());
        gStartOhneDB = FALSCH;
        delete mDir;
        mDir = nullptr;
    }

    // ---- reading ----

    void alarmListOfAPictureInSnapshotOrder() {
        const auto liste = AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf");
        QVERIFY(liste);
        QCOMPARE(Idents(*liste), (QStringList{"7", "5", "4"}));
        const AlarmRecord& r = liste->at(0);
        QCOMPARE(r.size(), 19);
        QCOMPARE(r, (AlarmRecord{"7", "1", "0", "P7_ST.3", "3", "0", "100", "2", "7", "1007",
                                 "Pumpe P7 Störung Motorschutz", "Zulauf", "PfeilRot.gif", "10", "20", "150", "0", "1",
                                 ""}));
        QCOMPARE(AlarmdefsZugriff::AlarmListeLesen(mDb, "Belebung")->size(), 1);
        // no row of that picture: no list, the caller keeps its previous one
        QVERIFY(!AlarmdefsZugriff::AlarmListeLesen(mDb, "Auslauf"));
        QVERIFY(!AlarmdefsZugriff::AlarmListeLesen(mDb, ""));
    }

    void recordsCarryNullsAsEmptyTexts() {
        QVariantList nurNull(18);
        nurNull[11] = QStringLiteral("Leer");
        QVERIFY(DatenbankAnlegen(Datei("null.kvs"), {nurNull, Zeile(2, "Leer", QVariant(), QVariant(), QVariant())}));
        const auto liste = AlarmdefsZugriff::AlarmListeLesen(Datei("null.kvs"), "Leer");
        QVERIFY(liste);
        QCOMPARE(liste->size(), 2);
        AlarmRecord leer(19);
        leer[AlarmFeld::Form] = "Leer";
        QCOMPARE(liste->at(0), leer);
        QCOMPARE(liste->at(1).at(AlarmFeld::Symbol), QString());
        QCOMPARE(liste->at(1).at(AlarmFeld::X), QString());
        QCOMPARE(liste->at(1).at(AlarmFeld::Alarmtext), QStringLiteral("Pumpe P2 Störung Motorschutz"));
    }

    void symbolIsReadAsItsFileName_data() {
        QTest::addColumn<QVariant>("gespeichert");
        QTest::addColumn<QString>("gelesen");
        QTest::newRow("with sub-folder") << QVariant("Standard\\PfeilRot.gif") << "PfeilRot.gif";
        QTest::newRow("bare file name") << QVariant("PfeilRot.gif") << "PfeilRot.gif";
        QTest::newRow("two folders") << QVariant("Alt\\Standard\\Pfeil.bmp") << "Pfeil.bmp";
        QTest::newRow("trailing backslash") << QVariant("Standard\\") << "";
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("hash in the name") << QVariant("Standard\\Pfeil#2.gif") << "Pfeil#2.gif";
    }
    void symbolIsReadAsItsFileName() {
        QFETCH(QVariant, gespeichert);
        QFETCH(QString, gelesen);
        QVERIFY(DatenbankAnlegen(Datei("s.kvs"), {Zeile(1, "Bild", gespeichert)}));
        QCOMPARE(AlarmdefsZugriff::AlarmListeLesen(Datei("s.kvs"), "Bild")->at(0).at(AlarmFeld::Symbol), gelesen);
    }

    void numbersAreReadAsTheirTexts_data() {
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << QVariant(0) << "0";
        QTest::newRow("small") << QVariant(7) << "7";
        QTest::newRow("4095") << QVariant(4095) << "4095";
        QTest::newRow("4096") << QVariant(4096) << "4096";
        QTest::newRow("negative") << QVariant(-1) << "-1";
        QTest::newRow("beyond 32 bits") << QVariant(qlonglong(123456789012)) << "123456789012";
        QTest::newRow("decimal") << QVariant(12.5) << "12.5";
        QTest::newRow("text in a number column") << QVariant("links") << "links";
    }
    void numbersAreReadAsTheirTexts() {
        QFETCH(QVariant, x);
        QFETCH(QString, text);
        QVERIFY(DatenbankAnlegen(Datei("n.kvs"), {Zeile(1, "Bild", "P.gif", x, x), Zeile(2, "Bild", "P.gif", 5, x)}));
        AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(Datei("n.kvs"), "Bild");
        QCOMPARE(liste[0].at(AlarmFeld::X), text);
        QCOMPARE(liste[1].at(AlarmFeld::Y), text);
        QCOMPARE(liste[1].at(AlarmFeld::X), QStringLiteral("5"));
        // a record's texts are its own: changing one leaves the others as read
        liste[0][AlarmFeld::X].append(QLatin1Char('0'));
        liste[0][AlarmFeld::Form].append(QLatin1Char('X'));
        QCOMPARE(liste[0].at(AlarmFeld::X), text + "0");
        QCOMPARE(liste[1].at(AlarmFeld::Y), text);
        QCOMPARE(liste[1].at(AlarmFeld::Form), QStringLiteral("Bild"));
        QCOMPARE(AlarmdefsZugriff::AlarmListeLesen(Datei("n.kvs"), "Bild")->at(0).at(AlarmFeld::X), text);
    }

    void columnsBehindTheEighteenthAreNotCopied() {
        QVERIFY(DatenbankAnlegen(Datei("breit.kvs"), {Zeile(1, "Bild", "Standard\\P.gif") << "mehr" << 99},
                                 QString(SPALTEN) + ", \"Extra\" VARCHAR(20), \"Extra2\" INTEGER"));
        const AlarmRecord r = AlarmdefsZugriff::AlarmListeLesen(Datei("breit.kvs"), "Bild")->at(0);
        QCOMPARE(r.size(), 19);
        QCOMPARE(r.at(17), QStringLiteral("1"));
        QCOMPARE(r.at(18), QString());
    }

    void pictureNamesAreValuesNotStatementText() {
        QVERIFY(DatenbankAnlegen(Datei("q.kvs"), {Zeile(1, "Becken 'Nord'", "P.gif"), Zeile(2, "x' or '1'='1", "P.gif"),
                                                  Zeile(3, "Zulauf", "P.gif")}));
        QCOMPARE(Idents(*AlarmdefsZugriff::AlarmListeLesen(Datei("q.kvs"), "Becken 'Nord'")), QStringList{"1"});
        QCOMPARE(Idents(*AlarmdefsZugriff::AlarmListeLesen(Datei("q.kvs"), "x' or '1'='1")), QStringList{"2"});
        QVERIFY(!AlarmdefsZugriff::AlarmListeLesen(Datei("q.kvs"), "' or '1'='1"));
    }

    void demoDatabaseListsEveryAlarmOfEachPicture() {
        DemoOptionen opt;
        opt.out = Datei("demo");
        opt.alarms = 400;
        opt.pictures = 3;
        opt.programmOrdner = Datei("bin");
        opt.bilderZeichnen = false;
        QString fehler;
        QVERIFY2(DemoProjekt::Erzeugen(opt, &fehler), qPrintable(fehler));
        const QString db = DemoProjekt::Datenbank(opt.out);
        int summe = 0;
        for (const QString& bild : DemoProjekt::BildNamen(opt.pictures)) {
            const QString form = bild.chopped(4);
            const auto liste = AlarmdefsZugriff::AlarmListeLesen(db, form);
            QVERIFY(liste);
            TestDb t(db);
            QSqlQuery q(t.db());
            q.prepare("select count(*) from Alarmdefs where Form = ?");
            q.addBindValue(form);
            QVERIFY(q.exec() && q.next());
            QCOMPARE(liste->size(), q.value(0).toInt());
            for (const AlarmRecord& r : *liste) {
                QCOMPARE(r.size(), 19);
                QCOMPARE(r.at(AlarmFeld::Form), form);
                QVERIFY(!r.at(AlarmFeld::Symbol).contains('\\'));
            }
            summe += liste->size();
        }
        QVERIFY(summe > 0 && summe < opt.alarms);  // some alarms have no picture
    }

    // ---- writing ----

    void writeBackChangesExactlyTheFourColumns() {
        AlarmAuswahl a;
        Einrichten(a);
        const QList<QVariantList> vorher = Tabelle(mDb);
        QVERIFY(a.ActuelleWerteEintragen("5#PfeilRot.gif", "120", "80", QStringLiteral("Belebung")));
        const QList<QVariantList> nachher = Tabelle(mDb);
        QCOMPARE(nachher.size(), vorher.size());
        for (int z = 0; z < vorher.size(); ++z) {
            QVariantList erwartet = vorher[z];
            if (erwartet[0].toInt() == 5) {
                erwartet[11] = QStringLiteral("Belebung");
                erwartet[12] = QStringLiteral("Standard\\PfeilRot.gif");
                erwartet[13] = 120;
                erwartet[14] = 80;
            }
            for (int s = 0; s < 18; ++s)
                QCOMPARE(nachher[z][s].toString(), erwartet[s].toString());
            QCOMPARE(nachher[z][13].isNull(), erwartet[13].isNull());
        }
        // read back the way the alarm pick reads it
        const AlarmRecord r = AlarmdefsZugriff::AlarmListeLesen(mDb, "Belebung")->last();
        QCOMPARE(r.mid(11, 4), (QStringList{"Belebung", "PfeilRot.gif", "120", "80"}));
    }

    void writeBackStoresTheValuesAsGiven_data() {
        QTest::addColumn<QString>("daten");
        QTest::addColumn<QString>("bild");
        QTest::addColumn<QString>("erweiterung");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("hash inside the symbol") << "4#Pfeil#2.gif" << "Zulauf" << "Standard\\" << "Standard\\Pfeil#2.gif";
        QTest::newRow("apostrophe in the picture") << "4#P.gif" << "Becken 'Nord'" << "Standard\\" << "Standard\\P.gif";
        QTest::newRow("statement text in the symbol") << "4#x'; drop table Alarmdefs; --" << "Zulauf" << "Standard\\"
                                                      << "Standard\\x'; drop table Alarmdefs; --";
        QTest::newRow("umlauts") << "4#Pfeil grün.gif" << "Überlauf" << "Standard\\" << "Standard\\Pfeil grün.gif";
        QTest::newRow("no sub-folder") << "4#P.gif" << "Zulauf" << "" << "P.gif";
        // a bare folder is no symbol: the row keeps none
        QTest::newRow("empty symbol") << "4#" << "Zulauf" << "Standard\\" << QString();
        QTest::newRow("blanks around the number") << " 4 #P.gif" << "Zulauf" << "Standard\\" << "Standard\\P.gif";
    }
    void writeBackStoresTheValuesAsGiven() {
        QFETCH(QString, daten);
        QFETCH(QString, bild);
        QFETCH(QString, erweiterung);
        QFETCH(QString, symbol);
        AlarmAuswahl a;
        Einrichten(a);
        a.setPfadErweiterung(erweiterung);
        QVERIFY(a.ActuelleWerteEintragen(daten, "1", "2", bild));
        QVariantList z;
        for (const QVariantList& zeile : Tabelle(mDb))
            if (zeile[0].toInt() == 4)
                z = zeile;
        QCOMPARE(z[11].toString(), bild);
        QCOMPARE(z[12].toString(), symbol);
        QCOMPARE(z[12].isNull(), symbol.isNull());
        QCOMPARE(Tabelle(mDb).size(), 5);
    }

    void writeBackOfAMissingRowIsFalse() {
        AlarmAuswahl a;
        Einrichten(a);
        const QList<QVariantList> vorher = Tabelle(mDb);
        QVERIFY(!a.ActuelleWerteEintragen("999#PfeilRot.gif", "1", "2", QStringLiteral("Zulauf")));
        QVERIFY(!a.ActuelleWerteEintragen("-5#PfeilRot.gif", "1", "2", QStringLiteral("Zulauf")));
        QCOMPARE(Tabelle(mDb), vorher);
    }

    void writeBackChecksComeFirst() {
        AlarmAuswahl a;
        a.setAlarmDatenbank(mDb);
        a.setPfadErweiterung(QStringLiteral("Standard\\"));
        const QList<QVariantList> vorher = Tabelle(mDb);
        // before any pick nothing is written, even for an existing alarm
        QVERIFY(!a.ActuelleWerteEintragen("5#PfeilRot.gif", "1", "2", QStringLiteral("Zulauf")));
        Einrichten(a);
        // without "#" nothing is opened: a missing file raises nothing
        a.setAlarmDatenbank(Datei("fehlt.kvs"));
        QVERIFY(!a.ActuelleWerteEintragen("5 PfeilRot.gif", "1", "2", QStringLiteral("Zulauf")));
        QVERIFY(!a.ActuelleWerteEintragen("", "1", "2", QStringLiteral("Zulauf")));
        QVERIFY(!DirekteVerbindungOffen());
        // a reference assignment leaves no picked record
        a.setAlarmDatenbank(mDb);
        QObject objekt;
        a.setAktuellerAlarmReferenz(&objekt);
        QVERIFY(!a.ActuelleWerteEintragen("5#PfeilRot.gif", "1", "2", QStringLiteral("Zulauf")));
        QCOMPARE(Tabelle(mDb), vorher);
    }

    void badAlarmNumbersAndPositionsAreRejected_data() {
        QTest::addColumn<QString>("daten");
        QTest::addColumn<QString>("x");
        QTest::newRow("empty number") << "#PfeilRot.gif" << "1";
        QTest::newRow("statement text") << "1 or 1=1#PfeilRot.gif" << "1";
        QTest::newRow("number with text") << "5; drop table Alarmdefs#P.gif" << "1";
        QTest::newRow("decimal number") << "5.5#P.gif" << "1";
        QTest::newRow("position that is no number") << "5#P.gif" << "1; drop table Alarmdefs";
        QTest::newRow("infinite position") << "5#P.gif" << "inf";
        QTest::newRow("position that is not a number") << "5#P.gif" << "nan";
        QTest::newRow("position beyond 32 bits") << "5#P.gif" << "1e12";
    }
    void badAlarmNumbersAndPositionsAreRejected() {
        QFETCH(QString, daten);
        QFETCH(QString, x);
        AlarmAuswahl a;
        Einrichten(a);
        const QList<QVariantList> vorher = Tabelle(mDb);
        QVERIFY_THROWS_EXCEPTION(AlarmdefsFehler, a.ActuelleWerteEintragen(daten, x, "2", QStringLiteral("Zulauf")));
        QCOMPARE(Tabelle(mDb), vorher);
    }

    void omittedPictureKeepsTheRowsPicture() {
        AlarmAuswahl a;
        Einrichten(a);
        QVERIFY(a.ActuelleWerteEintragen("5#PfeilBlau.gif", "3", "4"));
        QVariantList z;
        for (const QVariantList& zeile : Tabelle(mDb))
            if (zeile[0].toInt() == 5)
                z = zeile;
        QCOMPARE(z[11].toString(), QStringLiteral("Zulauf"));
        QCOMPARE(z[12].toString(), QStringLiteral("Standard\\PfeilBlau.gif"));
        QCOMPARE(z[13].toInt(), 3);
    }

    // ---- the picked alarm ----

    void valueAssignmentRaisesAlarmSelectedOnce() {
        AlarmAuswahl a;
        QSignalSpy spy(&a, &AlarmAuswahl::AlarmSelected);
        QStringList gesehen;
        connect(&a, &AlarmAuswahl::AlarmSelected, this,
                [&] { gesehen << (a.AktuellerAlarm() ? a.AktuellerAlarm()->at(0) : QStringLiteral("leer")); });
        QVERIFY(!a.AktuellerAlarm());
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf");
        a.setAktuellerAlarm(liste[0]);
        QCOMPARE(spy.count(), 1);
        a.setAktuellerAlarm(liste[0]);  // the same record again
        QCOMPARE(spy.count(), 2);
        a.setAktuellerAlarm(liste[1]);
        QCOMPARE(spy.count(), 3);
        // the handlers already see the new record
        QCOMPARE(gesehen, (QStringList{"7", "7", "5"}));
        QCOMPARE(*a.AktuellerAlarm(), liste[1]);

        QObject objekt;
        a.setAktuellerAlarmReferenz(&objekt);
        a.setAktuellerAlarmReferenz(nullptr);
        QCOMPARE(spy.count(), 3);
        QVERIFY(!a.AktuellerAlarm());
        a.setAktuellerAlarm(liste[2]);
        QCOMPARE(spy.count(), 4);
    }

    void listsAreStoredAsCopies() {
        AlarmAuswahl a;
        QVERIFY(!a.AlarmListe() && !a.SymbolListe() && !a.AlarmBilderListe());
        AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf");
        a.setAlarmListe(liste);
        liste.clear();
        QCOMPARE(a.AlarmListe()->size(), 3);
        QObject objekt;
        a.setAlarmListeReferenz(&objekt);
        QVERIFY(!a.AlarmListe());
        a.setSymbolListe({"PfeilRot.gif", "PfeilLeer.gif"});
        QCOMPARE(a.SymbolListe()->size(), 2);
        a.setAlarmBilderListe({"Zulauf.bmp"});
        QCOMPARE(*a.AlarmBilderListe(), QStringList{"Zulauf.bmp"});
    }

    // ---- showing the selection ----

    void missingDatabaseIsReportedAndNoWindowShown_data() {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<bool>("startOhneDB");
        QTest::addColumn<bool>("meldung");
        QTest::newRow("missing file") << "D:\\Projekte\\Fehlt.kvs" << false << true;
        QTest::newRow("missing file at a start without database") << "D:\\Projekte\\Fehlt.kvs" << true << true;
        QTest::newRow("empty path") << "" << false << true;
        QTest::newRow("empty path at a start without database") << "" << true << false;
        QTest::newRow("a folder") << "%T" << false << true;
        QTest::newRow("existing file") << "%DB" << false << false;
    }
    void missingDatabaseIsReportedAndNoWindowShown() {
        QFETCH(QString, pfad);
        QFETCH(bool, startOhneDB);
        QFETCH(bool, meldung);
        pfad.replace("%DB", mDb).replace("%T", mDir->path());
        gStartOhneDB = startOhneDB ? WAHR : FALSCH;
        SkriptDialoge dialoge;
        AlarmAuswahl a;
        a.setAlarmDatenbank(pfad);
        a.AuswahlShow();
        if (meldung) {
            QCOMPARE(dialoge.meldungen,
                     QStringList{"Verweis auf die Alarmdatenbank nicht vorhanden (" + pfad + ")"});
            QVERIFY(!a.HatFenster());
        } else {
            QCOMPARE(dialoge.meldungen, QStringList());
            QVERIFY(a.HatFenster());
            QCOMPARE(a.Fenster()->mgobjAlarmAuswahl.data(), &a);
        }
    }

    void correctedPathShowsTheSameWindow() {
        SkriptDialoge dialoge;
        AlarmAuswahl a;
        a.setAlarmDatenbank("C:\\Projekte\\Anlage.kvs");
        a.AuswahlShow();
        QCOMPARE(dialoge.meldungen,
                 QStringList{"Verweis auf die Alarmdatenbank nicht vorhanden (C:\\Projekte\\Anlage.kvs)"});
        a.setAlarmDatenbank(mDb);
        a.AuswahlShow();
        QVERIFY(a.HatFenster());
        frmAlarmAuswahl* fenster = a.Fenster();
        a.AuswahlShow();
        QCOMPARE(a.Fenster(), fenster);
        QCOMPARE(dialoge.meldungen.size(), 1);
        a.AuswahlHide();
        QCOMPARE(a.Fenster(), fenster);
    }

    void databaseReachedThroughADriveLetter() {
        QDir().mkpath(Datei("prefix/dosdevices"));
        QFile::link(mDir->path(), Datei("prefix/dosdevices/d:"));
        SkriptDialoge dialoge;
        AlarmAuswahl a;
        a.setAlarmDatenbank("D:\\Anlage.kvs");
        a.AuswahlShow();
        QCOMPARE(dialoge.meldungen, QStringList());
        QCOMPARE(AlarmdefsZugriff::AlarmListeLesen("D:\\Anlage.kvs", "Zulauf")->size(), 3);
        a.setPfadErweiterung("Standard\\");
        a.setAktuellerAlarm(AlarmRecord(19));
        QVERIFY(a.ActuelleWerteEintragen("3#P.gif", "1", "2", QStringLiteral("Zulauf")));
        QCOMPARE(AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf")->size(), 4);
    }

    // ---- bad databases ----

    void badDatabasesRaiseAlarmdefsFehler_data() {
        QTest::addColumn<QString>("datei");
        QTest::addColumn<QByteArray>("inhalt");  // empty: made as SQLite with the table below
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("missing file") << "fehlt.kvs" << QByteArray() << "";
        QTest::newRow("text file") << "text.kvs" << QByteArray("[Grafik]\r\nBilderPath=C:\\Bilder\r\n") << "";
        QTest::newRow("empty file") << "leer.kvs" << QByteArray("") << "";
        QTest::newRow("jet file without access driver")
            << "jet.mdb" << QByteArray("\0\1\0\0Standard Jet DB\0\1\0\0\0", 24) << "";
        QTest::newRow("no Alarmdefs") << "andere.kvs" << QByteArray() << "CREATE TABLE Meldungen (Ident INTEGER)";
        QTest::newRow("fewer than 18 columns")
            << "schmal.kvs" << QByteArray()
            << "CREATE TABLE Alarmdefs (Ident INTEGER, Type INTEGER, Acknowledge INTEGER, VarName TEXT, BitNo INTEGER, "
               "Min TEXT, Max TEXT, Priority INTEGER, \"Group\" INTEGER, Helpindex INTEGER, Alarmtext TEXT, Form TEXT, "
               "Symbol TEXT, X INTEGER, Y INTEGER, Sensor1 INTEGER, Sensor2 INTEGER)";
    }
    void badDatabasesRaiseAlarmdefsFehler() {
        QFETCH(QString, datei);
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, tabelle);
        const QString pfad = Datei(datei);
        if (!tabelle.isEmpty()) {
            TestDb t(pfad);
            QVERIFY(t.Ausfuehren(tabelle));
        } else if (!inhalt.isNull()) {
            QFile f(pfad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(inhalt);
        }
        QFile f(pfad);
        const QByteArray vorher = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.close();
        try {
            AlarmdefsZugriff::AlarmListeLesen(pfad, "Zulauf");
            QFAIL("reading did not fail");
        } catch (const AlarmdefsFehler& e) {
            // the reason names the file
            QVERIFY2(e.Text().contains(pfad), qPrintable(e.Text()));
        }
        Schreibauftrag a;
        a.ident = QStringLiteral("1");
        a.spalten = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
        a.werte = {QStringLiteral("Zulauf"), QStringLiteral("P.gif"), 1, 2};
        const Schreibergebnis e = AlarmdefsZugriff::Schreiben(pfad, a);
        QCOMPARE(e.art, Schreibergebnis::Art::Abgelehnt);
        QVERIFY2(e.text.contains(pfad), qPrintable(e.text));
        QFile g(pfad);
        QCOMPARE(g.open(QIODevice::ReadOnly) ? g.readAll() : QByteArray(), vorher);
        QCOMPARE(QFileInfo::exists(pfad), !inhalt.isNull() || !tabelle.isEmpty());
    }

    void lockedDatabaseFailsAndKeepsTheRow_data() {
        QTest::addColumn<QStringList>("sperre");
        // another writer: the update itself cannot start
        QTest::newRow("write lock") << QStringList{"BEGIN IMMEDIATE",
                                                   "UPDATE Alarmdefs SET Alarmtext = 'halb' WHERE Ident = 3"};
        // a reader in the middle of its transaction: the update runs, its commit cannot
        QTest::newRow("read lock") << QStringList{"BEGIN", "SELECT count(*) FROM Alarmdefs"};
    }
    void lockedDatabaseFailsAndKeepsTheRow() {
        QFETCH(QStringList, sperre);
        AlarmAuswahl a;
        Einrichten(a);
        const QList<QVariantList> vorher = Tabelle(mDb);
        {
            TestDb andere(mDb);
            for (const QString& sql : sperre)
                QVERIFY(andere.Ausfuehren(sql));
            try {
                a.ActuelleWerteEintragen("5#PfeilBlau.gif", "1", "2", QStringLiteral("Belebung"));
                QFAIL("the write did not fail");
            } catch (const AlarmdefsFehler& f) {
                // German for the user, the engine's words as the detail
                QVERIFY2(f.Text().contains(QStringLiteral("gesperrt")) && f.Text().contains(mDb), qPrintable(f.Text()));
                QVERIFY2(f.Detail().contains(QStringLiteral("locked")), qPrintable(f.Detail()));
            }
            // readers still get the committed rows while the other connection holds its lock
            QCOMPARE(AlarmdefsZugriff::AlarmListeLesen(mDb, "Zulauf")->size(), 3);
            QVERIFY(andere.Ausfuehren("ROLLBACK"));
        }
        QCOMPARE(Tabelle(mDb), vorher);
        // once the lock is gone the same write goes through
        QVERIFY(a.ActuelleWerteEintragen("5#PfeilBlau.gif", "1", "2", QStringLiteral("Belebung")));
    }

    void refusedWritesNameTheCauseInGerman_data() {
        QTest::addColumn<QString>("spalten");  // the table's columns; empty: the usual ones
        QTest::addColumn<bool>("schreibgeschuetzt");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("read-only file") << QString() << true << "schreibgeschützt";
        QString ohneXY = QString::fromLatin1(SPALTEN);
        ohneXY.replace(QStringLiteral("\"X\" INTEGER, \"Y\" INTEGER, "), QString());
        QTest::newRow("columns missing") << ohneXY << false << "fehlen die Spalten X, Y";
        QTest::newRow("no table Alarmdefs") << "-" << false << "keine Tabelle Alarmdefs";
    }
    void refusedWritesNameTheCauseInGerman() {
        QFETCH(QString, spalten);
        QFETCH(bool, schreibgeschuetzt);
        QFETCH(QString, erwartet);
        const QString pfad = Datei("fall.kvs");
        if (spalten == QLatin1String("-")) {
            QVERIFY(TestDb(pfad).Ausfuehren(QStringLiteral("CREATE TABLE Meldungen (Ident INTEGER)")));
        } else {
            QVERIFY(DatenbankAnlegen(pfad, {}, spalten.isEmpty() ? QString::fromLatin1(SPALTEN) : spalten));
            QVERIFY(TestDb(pfad).Ausfuehren(QStringLiteral("INSERT INTO Alarmdefs (Ident, Form) VALUES (1, 'Zulauf')")));
        }
        if (schreibgeschuetzt) {
            QFile::setPermissions(pfad, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
            // the owner of every file writes anyway: the file is made unchangeable instead
            if (geteuid() == 0 && QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), pfad}) != 0)
                QSKIP("no way to make a file read-only for this user here");
        }
        QFile f(pfad);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray vorher = f.readAll();
        f.close();
        Schreibauftrag a;
        a.ident = QStringLiteral("1");
        a.spalten = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
        a.werte = {QStringLiteral("Belebung"), QStringLiteral("Standard\\P.gif"), 5, 6};
        const Schreibergebnis e = AlarmdefsZugriff::Schreiben(pfad, a);
        if (schreibgeschuetzt && geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), pfad});
        QCOMPARE(e.art, Schreibergebnis::Art::Abgelehnt);
        QVERIFY2(e.text.contains(erwartet) && e.text.contains(QStringLiteral("Nichts wurde geschrieben")), qPrintable(e.text));
        QVERIFY(!e.detail.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), vorher);
    }

    void tableWithMissingColumnsIsNotOpened() {
        SkriptDialoge s;
        QString ohneXY = QString::fromLatin1(SPALTEN);
        ohneXY.replace(QStringLiteral("\"X\" INTEGER, \"Y\" INTEGER, "), QString());
        const QString pfad = Datei("schmal.kvs");
        QVERIFY(DatenbankAnlegen(pfad, {}, ohneXY));
        AlarmAuswahl a;
        a.setAlarmDatenbank(pfad);
        a.AuswahlShow();
        // Refused at once, or, described later than a frame, when the description comes.
        QTRY_COMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen.first().contains(QStringLiteral("fehlen die Spalten X, Y")), qPrintable(s.meldungen.first()));
        QTRY_VERIFY(!a.Fenster()->dbAlarme);
        a.Fenster()->Form_Activate();
        QCOMPARE(s.meldungen.size(), 1);  // said once
    }

    // The rows a bulk write reports are matched with the alarms held here by
    // their numbers, however they are spelt; a row of another picture leaves
    // this picture's list, rows of numbers not held change nothing.
    void rowsWrittenInBulkReachTheAlarmsHeldHere() {
        const auto satz = [](const QString& ident, const QString& form, const QString& x) {
            AlarmRecord r(AlarmFeld::Anzahl);
            r[AlarmFeld::Ident] = ident;
            r[AlarmFeld::Form] = form;
            r[AlarmFeld::X] = x;
            return r;
        };
        AlarmAuswahl a;
        a.setAlarmListe({satz(" 007", "K", "1"), satz("A-3", "K", "1"), satz("12", "K", "1"), satz("12", "K", "1"), satz("40", "K", "1")});
        a.setAktuellerAlarm(satz("40", "K", "1"));
        Sammelergebnis s;
        s.geschrieben = true;
        a.SammelergebnisMelden(s, QStringLiteral("Übernahme"),
                               {{"7", satz("7", "K", "70"), {}}, {" A-3 ", satz("A-3", "L", "30"), {}}, {"012", satz("12", "K", "120"), {}},
                                {"40", satz("40", "K", "400"), {}}, {"99", satz("99", "K", "9"), {}}});
        const AlarmListeTyp liste = *a.AlarmListe();
        QCOMPARE(liste.size(), 4);
        QCOMPARE(liste.at(0).value(AlarmFeld::X), QStringLiteral("70"));
        QCOMPARE(liste.at(1).value(AlarmFeld::X), QStringLiteral("120"));
        QCOMPARE(liste.at(2).value(AlarmFeld::X), QStringLiteral("120"));
        QCOMPARE(liste.at(3).value(AlarmFeld::X), QStringLiteral("400"));
        QCOMPARE(a.AktuellerAlarm()->value(AlarmFeld::X), QStringLiteral("400"));
    }

    void duplicateNumberWritesOnlyTheRowThatWasRead() {
        const QString pfad = Datei("doppelt.kvs");
        QVERIFY(DatenbankAnlegen(pfad, {Zeile(5, "Zulauf", "Standard\\A.gif", 10, 20),
                                        Zeile(5, "Zulauf", "Standard\\B.gif", 30, 40)}));
        AlarmAuswahl a;
        a.setAlarmDatenbank(pfad);
        a.setPfadErweiterung(QStringLiteral("Standard\\"));
        const AlarmListeTyp liste = *AlarmdefsZugriff::AlarmListeLesen(pfad, "Zulauf");
        a.setAlarmListe(liste);
        a.setAktuellerAlarm(liste.at(1));
        QVERIFY(a.ActuelleWerteEintragen("5#C.gif", "70", "80", QStringLiteral("Zulauf")));
        const QList<QVariantList> t = Tabelle(pfad);
        QCOMPARE(t.at(0).mid(12, 3), (QVariantList{"Standard\\A.gif", 10, 20}));
        QCOMPARE(t.at(1).mid(12, 3), (QVariantList{"Standard\\C.gif", 70, 80}));
        // The write says the number is not unique.
        const auto e = a.PfeilEintragen("5#D.gif", "1", "2", QStringLiteral("Zulauf"), liste.at(0), {});
        QVERIFY(e && e->geschrieben());
        QCOMPARE(e->gleicheNummern, 2);
        QCOMPARE(Tabelle(pfad).at(0).at(12).toString(), QStringLiteral("Standard\\D.gif"));
        QCOMPARE(Tabelle(pfad).at(1).at(12).toString(), QStringLiteral("Standard\\C.gif"));
        // Through ODBC there is no row key: writing by number would change both rows, so nothing is written.
        const QList<QVariantList> vorher = Tabelle(pfad);
        {
            QSqlDatabase odbc = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("tst-odbc"));
            odbc.setDatabaseName(QStringLiteral("Driver=SQLite3;Database=") + pfad);
            QVERIFY2(odbc.open(), qPrintable(odbc.lastError().text()));
            Schreibauftrag auftrag;
            auftrag.ident = QStringLiteral("5");
            auftrag.spalten = {AlarmFeld::X};
            auftrag.werte = {99};
            const Schreibergebnis r = AlarmdefsZugriff::Schreiben(odbc, pfad, auftrag);
            QCOMPARE(r.art, Schreibergebnis::Art::Abgelehnt);
            QVERIFY2(r.text.contains(QStringLiteral("steht in 2 Zeilen")), qPrintable(r.text));
            odbc.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc"));
        QCOMPARE(Tabelle(pfad), vorher);
    }

    // ---- through ODBC ----

    // Another program holds the file locked while the grid opens it through
    // ODBC: the window keeps turning, and the rows come when the lock goes.
    void odbcGridKeepsTurningWhileTheFileIsLocked() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("kein ODBC-Treiber");
        const QString pfad = Datei("fremd-odbc.kvs");
        QVERIFY(FremdeTabelle(pfad, 3000));
        const QStringList erwartet = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;"));
        {
            auto sperre = std::make_unique<FremdeSperre>(pfad);
            QSqlDatabase db = OdbcVorlage(pfad, QStringLiteral("tst-odbc-raster"));
            // A timer of 5 ms on the window's thread: the longest gap between its ticks.
            QElapsedTimer uhr;
            qint64 letzte = 0, laengste = 0;
            QTimer tick;
            tick.setInterval(5);
            connect(&tick, &QTimer::timeout, [&] {
                laengste = std::max(laengste, uhr.elapsed() - letzte);
                letzte = uhr.elapsed();
            });
            uhr.start();
            tick.start();
            AlarmdefsModell m(nullptr, db, pfad);
            QSignalSpy unbrauchbar(&m, &AlarmdefsModell::Unbrauchbar);
            QVERIFY(m.AlleZeigen());
            QTest::qWait(2500);
            QCOMPARE(m.rowCount(), 0);
            sperre.reset();
            QTRY_COMPARE_WITH_TIMEOUT(m.rowCount(), 3000, 30000);
            QTRY_VERIFY(m.AllesGelesen());
            tick.stop();
            QVERIFY2(laengste < 1000, qPrintable(QString::number(laengste)));
            QCOMPARE(RasterSpalte(m, AlarmFeld::Ident), erwartet);
            QCOMPARE(unbrauchbar.count(), 0);  // a lock is no missing table
            // Sorted by a text column in both directions, as the engine orders it.
            QVERIFY(m.SortierenNach(AlarmFeld::Alarmtext, Qt::DescendingOrder));
            QTRY_VERIFY(!m.QuelleUnterwegs() && m.AllesGelesen());
            QCOMPARE(m.rowCount(), 3000);
            QCOMPARE(m.index(0, AlarmFeld::Alarmtext).data().toString(),
                     Sqlite3(pfad, QStringLiteral("select max(Alarmtext) from Alarmdefs;")).value(0));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc-raster"));
    }

    // A pick and a cell edit through ODBC land on the row the user chose, on
    // a table Python's sqlite3 module made with the Ident as text; a number two
    // rows carry is refused as before.
    void odbcPickAndCellEditWriteTheRightRow() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("kein ODBC-Treiber");
        const QString pfad = Datei("python-odbc.kvs");
        QVERIFY(PythonTabelle(pfad, 5, {{"11", "Zulauf", "Anton", 1}, {"12", "Belebung", "Berta", 2},
                                        {"13", "Zulauf", "Cäsar", 3}, {"14", "Zulauf", "Dora", 4},
                                        {"14", "Belebung", "Emil", 5}}));
        const QString bilder = Datei("bilder");
        QVERIFY(QDir().mkpath(bilder + QStringLiteral("/Zulauf")));
        QFile bmp(bilder + QStringLiteral("/Zulauf/Zulauf.bmp"));
        QVERIFY(bmp.open(QIODevice::WriteOnly));
        bmp.close();
        auto spalte = [&pfad](const QString& sql) { return Sqlite3(pfad, sql); };
        SkriptDialoge dialoge;
        {
            QSqlDatabase db = OdbcVorlage(pfad, QStringLiteral("tst-odbc-wahl"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_COMPARE(m.rowCount(), 5);
            // The text column backwards: no grid row is its table row.
            QVERIFY(m.SortierenNach(AlarmFeld::Alarmtext, Qt::DescendingOrder));
            QTRY_VERIFY(!m.QuelleUnterwegs() && m.AllesGelesen());
            QCOMPARE(RasterSpalte(m, AlarmFeld::Ident), (QStringList{"14", "14", "13", "12", "11"}));
            // A cell edit of Berta's row writes her row only.
            QVERIFY(m.setData(m.index(3, AlarmFeld::X), 333));
            QTRY_COMPARE(spalte(QStringLiteral("select X from Alarmdefs order by rowid;")),
                         (QStringList{"1", "333", "3", "4", "5"}));
            QTRY_COMPARE(m.index(3, AlarmFeld::X).data().toString(), QStringLiteral("333"));
            // A number two rows carry: nothing is written, and the user is told.
            QVERIFY(m.setData(m.index(0, AlarmFeld::X), 777) || true);
            QTRY_VERIFY(!dialoge.meldungen.isEmpty());
            QVERIFY2(dialoge.meldungen.last().contains(QStringLiteral("steht in 2 Zeilen")),
                     qPrintable(dialoge.meldungen.last()));
            QCOMPARE(spalte(QStringLiteral("select X from Alarmdefs order by rowid;")),
                     (QStringList{"1", "333", "3", "4", "5"}));
            QTRY_COMPARE(m.index(0, AlarmFeld::X).data().toString(), QStringLiteral("5"));
            // A new number: the grid row shows it with the rest of its row.
            QVERIFY(m.setData(m.index(2, AlarmFeld::Ident), 99));
            QTRY_COMPARE(spalte(QStringLiteral("select Ident || ':' || Alarmtext from Alarmdefs where rowid = 3;")),
                         QStringList{QStringLiteral("99:Cäsar")});
            QTRY_COMPARE(m.index(2, AlarmFeld::Ident).data().toString(), QStringLiteral("99"));
            QCOMPARE(m.index(2, AlarmFeld::Alarmtext).data().toString(), QStringLiteral("Cäsar"));

            // A pick of Anton's row: his record, and his picture's alarms read through ODBC.
            Wahlablauf wahl;
            wahl.setModell(&m);
            std::optional<AlarmRecord> satz;
            std::optional<AlarmListeTyp> liste;
            connect(&wahl, &Wahlablauf::Gewaehlt, [&](const AlarmRecord& s, const std::optional<AlarmListeTyp>& l) {
                satz = s;
                liste = l;
            });
            wahl.Beginnen(4, bilder);
            QTRY_VERIFY(satz.has_value());
            QCOMPARE(satz->value(AlarmFeld::Ident), QStringLiteral("11"));
            QCOMPARE(satz->value(AlarmFeld::Alarmtext), QStringLiteral("Anton"));
            QVERIFY(liste.has_value());
            QStringList texte;
            for (const AlarmRecord& r : *liste)
                texte << r.value(AlarmFeld::Ident) + QLatin1Char(':') + r.value(AlarmFeld::Alarmtext);
            QCOMPARE(texte, (QStringList{"11:Anton", "99:Cäsar", "14:Dora"}));
            // The arrow of the picked alarm goes into Anton's row.
            AlarmAuswahl a;
            a.setAlarmDatenbank(pfad);
            a.setPfadErweiterung(QStringLiteral("Standard\\"));
            a.setAktuellerAlarm(*satz);
            const auto e = a.PfeilEintragen(QStringLiteral("11#P.gif"), QStringLiteral("70"), QStringLiteral("80"),
                                            QStringLiteral("Zulauf"), *satz, {});
            QVERIFY(e && e->geschrieben());
            QCOMPARE(spalte(QStringLiteral("select Ident || ':' || X || ':' || Y from Alarmdefs where Symbol is not null;")),
                     QStringList{QStringLiteral("11:70:80")});
            m.ZeilenNeuLesen(0, 4);
            QTRY_COMPARE(m.index(4, AlarmFeld::X).data().toString(), QStringLiteral("70"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc-wahl"));
    }

    // A larger table Python's sqlite3 module lays out and fills by a seed of
    // its own (the Ident a text column, numbers twice, pictures missing): the
    // grid through ODBC shows each source as the sqlite3 program reads it.
    void odbcGridShowsEachSourceAsTheEngineReadsIt() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("kein ODBC-Treiber");
        const QString pfad = Datei("python-gross.kvs");
        const QString skript = QStringLiteral(
            "import random, sqlite3, sys\n"
            "r = random.Random(29)\n"
            "namen = ['Ident','Type','Acknowledge','VarName','BitNo','Min','Max','Priority','Group','Helpindex',"
            "'Alarmtext','Form','Symbol','X','Y','Sensor1','Sensor2','Fault']\n"
            "r.shuffle(namen)\n"
            "art = lambda n: 'TEXT' if n in ('Ident','VarName','Min','Max','Alarmtext','Form','Symbol') else 'INTEGER'\n"
            "db = sqlite3.connect(sys.argv[1])\n"
            "db.execute('create table Alarmdefs (' + ', '.join('\"%s\" %s' % (n, art(n)) for n in namen) + ')')\n"
            "for i in range(20000):\n"
            "    w = {n: (r.randint(-5, 500) if art(n) == 'INTEGER' else 'Wärme %d' % r.randint(0, 9999)) for n in namen}\n"
            "    w['Ident'] = str(r.randint(1, 19000))\n"
            "    w['Form'] = None if r.random() < 0.1 else 'Bild%d' % r.randint(0, 11)\n"
            "    db.execute('insert into Alarmdefs values (' + ','.join('?' * len(namen)) + ')', [w[n] for n in namen])\n"
            "db.commit()\n");
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral("-c"), skript, pfad});
        QVERIFY(p.waitForFinished(120000) && p.exitCode() == 0);
        {
            QSqlDatabase db = OdbcVorlage(pfad, QStringLiteral("tst-odbc-gross"));
            AlarmdefsModell m(nullptr, db, pfad);
            auto warten = [&m] { return QTest::qWaitFor([&m] { return !m.QuelleUnterwegs() && m.AllesGelesen(); }, 60000); };
            auto spalte = [&m](int s) {
                QStringList z;
                for (int r = 0; r < m.rowCount(); ++r)
                    z << m.index(r, s).data().toString();
                return z;
            };
            QVERIFY(m.AlleZeigen());
            QVERIFY(warten());
            QCOMPARE(spalte(AlarmFeld::Ident), Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;")));
            QVERIFY(m.BildZeigen(QStringLiteral("Bild7")));
            QVERIFY(warten());
            QCOMPARE(spalte(AlarmFeld::Alarmtext),
                     Sqlite3(pfad, QStringLiteral("select Alarmtext from Alarmdefs where Form = 'Bild7' order by rowid;")));
            QVERIFY(m.OhneBildZeigen());
            QVERIFY(warten());
            QCOMPARE(spalte(AlarmFeld::Ident),
                     Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs where Form is null order by rowid;")));
            QVERIFY(m.SortierenNach(7, Qt::DescendingOrder));
            QVERIFY(warten());
            QCOMPARE(spalte(7), Sqlite3(pfad, QStringLiteral("select Priority from Alarmdefs order by Priority desc;")));
            // A number in this source, and one only in another picture's rows.
            const QString ident = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs where Form = 'Bild3' limit 1;")).value(0);
            QVERIFY(m.BildZeigen(QStringLiteral("Bild3")));
            QVERIFY(warten());
            QList<QVariantList> gefunden;
            connect(&m, &AlarmdefsModell::ZeileGefunden, [&](qlonglong n, int zeile, bool vorhanden, const QString& form) {
                gefunden << QVariantList{n, zeile, vorhanden, form};
            });
            m.ZeileSuchen(ident.toLongLong(), 5000);
            QTRY_COMPARE(gefunden.size(), 1);
            QCOMPARE(m.index(gefunden.first().at(1).toInt(), AlarmFeld::Ident).data().toString(), ident);
            const QString anderes = Sqlite3(pfad, QStringLiteral(
                "select Ident || '|' || Form from Alarmdefs a where Form = 'Bild5' and not exists "
                "(select 1 from Alarmdefs b where b.Ident = a.Ident and b.Form = 'Bild3') order by rowid limit 1;")).value(0);
            m.ZeileSuchen(anderes.section(QLatin1Char('|'), 0, 0).toLongLong(), 5000);
            QTRY_COMPARE(gefunden.size(), 2);
            QCOMPARE(gefunden.last().at(1).toInt(), -1);
            QVERIFY(gefunden.last().at(2).toBool());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc-gross"));
    }

    // Rows whose number another row carries too, in a table the sqlite3
    // program laid out its own way: after another program's change, and after
    // the grid's own write that gives a row a number two rows carry already,
    // the grid shows what the table holds.
    void odbcRowsOfASharedNumberShowTheTable() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("kein ODBC-Treiber");
        const QString pfad = Datei("geteilt-odbc.kvs");
        QCOMPARE(Sqlite3(pfad, QStringLiteral(
                     "create table Alarmdefs (Alarmtext text, Ident text, Form text, X integer, Y integer, Type integer, "
                     "Acknowledge integer, VarName text, BitNo integer, Min text, Max text, Priority integer, "
                     "\"Group\" integer, Helpindex integer, Symbol text, Sensor1 integer, Sensor2 integer, Fault integer);\n"
                     "insert into Alarmdefs (Ident, Form, Alarmtext, X) values ('21', 'Zulauf', 'Anna', 1), "
                     "('22', 'Zulauf', 'Bernd', 2), ('22', 'Belebung', 'Clara', 3), ('23', 'Zulauf', 'Dieter', 4);\n"
                     "select count(*) from Alarmdefs;")),
                 QStringList{QStringLiteral("4")});
        SkriptDialoge dialoge;
        {
            QSqlDatabase db = OdbcVorlage(pfad, QStringLiteral("tst-odbc-geteilt"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY(m.rowCount() == 4 && !m.QuelleUnterwegs() && m.AllesGelesen());
            QCOMPARE(RasterSpalte(m, AlarmFeld::Alarmtext), (QStringList{"Anna", "Bernd", "Clara", "Dieter"}));
            // Another program changes one of the two rows of 22; the rows shown are read again.
            Sqlite3(pfad, QStringLiteral("update Alarmdefs set Alarmtext = 'Berta' where Alarmtext = 'Bernd';"));
            m.ZeilenNeuLesen(0, 3);
            QTRY_COMPARE(m.index(1, AlarmFeld::Alarmtext).data().toString(), QStringLiteral("Berta"));
            QCOMPARE(m.index(2, AlarmFeld::Alarmtext).data().toString(), QStringLiteral("Clara"));
            // Clara's row changes outside; then the grid gives Dieter's row the number 22 too.
            Sqlite3(pfad, QStringLiteral("update Alarmdefs set X = 33 where Alarmtext = 'Clara';"));
            QVERIFY(m.setData(m.index(3, AlarmFeld::Ident), 22));
            QTRY_COMPARE(Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs where Alarmtext = 'Dieter';")),
                         QStringList{QStringLiteral("22")});
            QTRY_COMPARE(m.index(2, AlarmFeld::X).data().toString(), QStringLiteral("33"));
            QCOMPARE(m.index(3, AlarmFeld::Ident).data().toString(), QStringLiteral("22"));
            QCOMPARE(RasterSpalte(m, AlarmFeld::Alarmtext), (QStringList{"Anna", "Berta", "Clara", "Dieter"}));
            QVERIFY(dialoge.meldungen.isEmpty());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc-geteilt"));
    }

    // Pages the grid shows while another program (the sqlite3 shell) holds
    // the file: the window does not wait for them, and they come when the
    // lock has gone.
    void gridPagesAreNotWaitedForWhileTheFileIsLocked() {
        const QString pfad = Datei("fremd-seiten.kvs");
        QVERIFY(FremdeTabelle(pfad, 5000));
        const QStringList erwartet = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;"));
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-seiten"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY(m.rowCount() == 5000 && !m.QuelleUnterwegs() && m.AllesGelesen());
            QTRY_VERIFY(m.index(0, AlarmFeld::Ident).data().isValid());
            auto sperre = std::make_unique<FremdeSperre>(pfad);
            QElapsedTimer uhr;
            uhr.start();
            for (int r : {1000, 2000, 3000, 4000})
                m.index(r, AlarmFeld::Ident).data();
            const qint64 dauer = uhr.elapsed();
            QVERIFY2(dauer < Datendienst::LeerlaufWartenMs, qPrintable(QString::number(dauer)));
            sperre.reset();
            for (int r : {1000, 2000, 3000, 4000})
                QTRY_COMPARE_WITH_TIMEOUT(m.index(r, AlarmFeld::Ident).data().toString(), erwartet.at(r), 10000);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-seiten"));
    }

    // A cell edit while another program (the sqlite3 shell) holds the file
    // for a moment: the window does not wait for the write's answer, and the
    // value lands once the lock has gone.
    void aCellEditIsNotWaitedForWhileTheFileIsLocked() {
        const QString pfad = Datei("fremd-eingabe.kvs");
        QVERIFY(FremdeTabelle(pfad, 300));
        const int beschaeftigt = Datendienst::HoechstensWartenMs;
        Datendienst::HoechstensWartenMs = 500;
        const auto zurueck = qScopeGuard([beschaeftigt] { Datendienst::HoechstensWartenMs = beschaeftigt; });
        SkriptDialoge dialoge;
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-eingabe"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY(m.rowCount() == 300 && m.AllesGelesen() && m.index(5, AlarmFeld::X).data().isValid());
            auto sperre = std::make_unique<FremdeSperre>(pfad);
            QElapsedTimer uhr;
            uhr.start();
            QVERIFY(m.setData(m.index(5, AlarmFeld::X), 4242));
            const qint64 dauer = uhr.elapsed();
            sperre.reset();
            QVERIFY2(dauer < Datendienst::HoechstensWartenMs / 2, qPrintable(QString::number(dauer)));
            QTRY_COMPARE(Sqlite3(pfad, QStringLiteral("select X from Alarmdefs where rowid = 6;")), QStringList{"4242"});
            QTRY_COMPARE(m.index(5, AlarmFeld::X).data().toString(), QStringLiteral("4242"));
            QVERIFY(dialoge.meldungen.isEmpty());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-eingabe"));
    }

    // Rows of many numbers read again through ODBC while another program (the
    // sqlite3 shell) holds the file: the window waits a frame for them all
    // together, not a frame for each part of the statement.
    void odbcRowsReadAgainWaitAFrameInAll() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("kein ODBC-Treiber");
        const QString pfad = Datei("viele-odbc.kvs");
        QVERIFY(FremdeTabelle(pfad, 6000));
        {
            QSqlDatabase db = OdbcVorlage(pfad, QStringLiteral("tst-odbc-viele"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY_WITH_TIMEOUT(m.rowCount() == 6000 && !m.QuelleUnterwegs() && m.AllesGelesen(), 30000);
            QSet<qlonglong> nummern;
            for (int r = 0; r < m.rowCount(); ++r)
                nummern << m.index(r, AlarmFeld::Ident).data().toLongLong();
            QVERIFY(nummern.size() > 5000);
            FremdeSperre sperre(pfad);
            QElapsedTimer uhr;
            uhr.start();
            m.ZeilenMitNummernNeuLesen(nummern);
            const qint64 dauer = uhr.elapsed();
            QVERIFY2(dauer < 5 * Datendienst::HoechstensWartenMs, qPrintable(QString::number(dauer)));
            sperre.Freigeben();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst-odbc-viele"));
    }

    // A row is written only where it still is the row the user chose: its key
    // may have passed to another alarm, its alarm may have gone to another
    // picture, several rows may carry one number.
    void writesLandOnlyOnTheRowThatWasRead() {
        const QString pfad = Datei("wahl.kvs");
        QVERIFY(DatenbankAnlegen(pfad, {Zeile(29, "Zulauf", "A.gif"), Zeile(30, "Zulauf", "A.gif", 11, 21),
                                        Zeile(31, "Zulauf", "A.gif", 11, 21), Zeile(5, "Zulauf", "A.gif", 1, 2),
                                        Zeile(5, "Belebung", "A.gif", 1, 2)}));
        auto satz = [&pfad](int ident, const QString& form) {
            const AlarmListeTyp liste = AlarmdefsZugriff::AlarmListeLesen(pfad, form).value_or(AlarmListeTyp());
            for (const AlarmRecord& r : liste)
                if (r.at(AlarmFeld::Ident) == QString::number(ident))
                    return r;
            return AlarmRecord();
        };
        auto auftrag = [](const AlarmRecord& gelesen, QList<int> spalten, QVariantList werte, QVariant zeile = {}) {
            Schreibauftrag a;
            a.ident = gelesen.at(AlarmFeld::Ident);
            a.zeile = zeile;
            a.spalten = spalten;
            a.werte = werte;
            a.gelesen = gelesen;
            return a;
        };
        // rowids renumbered by another program's VACUUM: the key of alarm 30 now names alarm 31
        const AlarmRecord a30 = satz(30, "Zulauf");
        qlonglong rowid30 = 0;
        {
            TestDb t(pfad);
            QSqlQuery q(t.db());
            QVERIFY(q.exec("select rowid from Alarmdefs where Ident = 30") && q.next());
            rowid30 = q.value(0).toLongLong();
        }
        // another program deletes a row and compacts the file
        QProcess sqlite3;
        sqlite3.start(QStringLiteral("sqlite3"), {pfad, QStringLiteral("delete from Alarmdefs where Ident = 29; vacuum;")});
        QVERIFY(sqlite3.waitForFinished(30000));
        QCOMPARE(sqlite3.exitCode(), 0);
        const Schreibergebnis e1 = AlarmdefsZugriff::Schreiben(pfad, auftrag(a30, {AlarmFeld::X}, {500}, rowid30));
        QCOMPARE(e1.art, Schreibergebnis::Art::Geaendert);
        QVERIFY2(e1.text.contains(QStringLiteral("inzwischen geändert")), qPrintable(e1.text));
        QCOMPARE(Tabelle(pfad).at(1).at(AlarmFeld::X), QVariant(11));
        // alarm 30 moved to another picture meanwhile: its old position is not written onto the new picture
        QVERIFY(TestDb(pfad).Ausfuehren("update Alarmdefs set Form = 'Belebung' where Ident = 30"));
        const Schreibergebnis e2 = AlarmdefsZugriff::Schreiben(pfad, auftrag(a30, {AlarmFeld::X, AlarmFeld::Y}, {600, 700}));
        QCOMPARE(e2.art, Schreibergebnis::Art::Geaendert);
        QCOMPARE(Tabelle(pfad).at(0).mid(AlarmFeld::X, 2), (QVariantList{11, 21}));
        // two rows of number 5 on two pictures, equal positions: each write lands on the row read
        const Schreibergebnis e3 =
            AlarmdefsZugriff::Schreiben(pfad, auftrag(satz(5, "Belebung"), {AlarmFeld::X, AlarmFeld::Y}, {90, 91}));
        QVERIFY(e3.geschrieben());
        QCOMPARE(Tabelle(pfad).at(2).mid(AlarmFeld::X, 2), (QVariantList{1, 2}));
        QCOMPARE(Tabelle(pfad).at(3).mid(AlarmFeld::X, 2), (QVariantList{90, 91}));
    }

    // A batch checks its keys once: a key that names another alarm is looked
    // up by number; an undo's key stands only where one row carries the number.
    void batchKeysAreCheckedAgainstTheNumber() {
        const QString pfad = Datei("schluessel.kvs");
        QVERIFY(DatenbankAnlegen(pfad, {Zeile(5, "Zulauf", "A.gif"), Zeile(5, "Belebung", "A.gif"), Zeile(6, "Zulauf", "A.gif"),
                                        Zeile(7, "Zulauf", "A.gif")}));
        auto satz = [&pfad](int ident, const QString& form) {
            for (const AlarmRecord& r : AlarmdefsZugriff::AlarmListeLesen(pfad, form).value_or(AlarmListeTyp()))
                if (r.at(AlarmFeld::Ident) == QString::number(ident))
                    return r;
            return AlarmRecord();
        };
        auto auftrag = [](const AlarmRecord& gelesen, int spalte, const QVariant& wert, qlonglong zeile, bool rueck) {
            Schreibauftrag a;
            a.ident = gelesen.at(AlarmFeld::Ident);
            a.zeile = zeile;
            a.spalten = {spalte};
            a.werte = {wert};
            a.gelesen = gelesen;
            a.wiederherstellen = rueck;
            return a;
        };
        // rowids 1..4 in table order; the undo of the Belebung row carries the key of the Zulauf row of number 5,
        // the key of alarm 7 names alarm 6
        const Sammelergebnis s = AlarmdefsZugriff::SchreibenAlle(
            pfad, {auftrag(satz(5, "Belebung"), AlarmFeld::Alarmtext, QStringLiteral("zurück"), 1, true),
                   auftrag(satz(7, "Zulauf"), AlarmFeld::X, 70, 3, false)});
        QVERIFY2(s.geschrieben, qPrintable(s.text));
        const QList<QVariantList> t = Tabelle(pfad);
        QCOMPARE(t.at(0).at(AlarmFeld::Alarmtext), Zeile(5, "Zulauf", "A.gif").at(AlarmFeld::Alarmtext));
        QCOMPARE(t.at(1).at(AlarmFeld::Alarmtext), QVariant(QStringLiteral("zurück")));
        QCOMPARE(t.at(2).at(AlarmFeld::X), QVariant(10));
        QCOMPARE(t.at(3).at(AlarmFeld::X), QVariant(70));
        QCOMPARE(s.zeilen.at(1).schluessel, QVariant(4));
    }

    // A batch by keys is read in one pass and written set-wise; on a table made
    // by the sqlite3 shell with its columns in another order it gives the same
    // rows and the same results as each row written by statements of its own:
    // texts with quotes, backslashes and control characters, emptied cells,
    // a row changed meanwhile (nothing written, that one named), a value the
    // set-wise statement cannot carry, and the undo of the step.
    void batchByKeysWritesAsRowByRow() {
        const QString eins = Datei("menge1.kvs"), zwei = Datei("menge2.kvs");
        QVERIFY(FremdeTabelle(eins, 3000));
        QVERIFY(QFile::copy(eins, zwei));
        const QString alles = QStringLiteral("select rowid, * from Alarmdefs order by rowid;");
        const QStringList anfang = Sqlite3(eins, alles);
        QCOMPARE(anfang.size(), 3000);
        // rowid and the row as this program reads it, for every third row
        QList<qlonglong> schluessel;
        QList<AlarmRecord> gelesen;
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(eins, QStringLiteral("tst-menge"));
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("select rowid, %1 from Alarmdefs where rowid % 3 = 1 order by rowid")
                               .arg(AlarmdefsZugriff::SpaltenListe(db))));
            while (q.next()) {
                QVariantList w;
                for (int i = 0; i < AlarmFeld::Spalten; ++i)
                    w << q.value(i + 1);
                schluessel << q.value(0).toLongLong();
                gelesen << AlarmRecordBau::AusWerten(w);
            }
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-menge"));
        QCOMPARE(gelesen.size(), 1000);
        QList<Schreibauftrag> auftraege;
        for (qsizetype i = 0; i < gelesen.size(); ++i) {
            Schreibauftrag a;
            a.ident = gelesen.at(i).at(AlarmFeld::Ident);
            a.zeile = schluessel.at(i);
            a.gelesen = gelesen.at(i);
            switch (i % 4) {
            case 0:
                a.spalten = {AlarmFeld::X, AlarmFeld::Y};
                a.werte = {int(i), int(i) + 1};
                break;
            case 1:
                a.spalten = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
                a.werte = {QStringLiteral("Kläranlage \"Süd\""), QStringLiteral("Standard\\Pfeil\\Grün.gif"), 5, QVariant()};
                break;
            case 2:
                a.spalten = {AlarmFeld::Alarmtext};
                a.werte = {QStringLiteral("Tab\there, Zeile zwei \\ \"zitiert\" ✓ %1").arg(i)};
                break;
            default:
                a.spalten = {AlarmFeld::X, AlarmFeld::Y};
                a.werte = {QStringLiteral(" "), QVariant()};
                break;
            }
            auftraege << a;
        }
        const auto gleich = [](const Sammelergebnis& m, const Sammelergebnis& z) {
            QCOMPARE(m.geschrieben, z.geschrieben);
            QCOMPARE(m.abgelehnt, z.abgelehnt);
            QCOMPARE(m.zeilen.size(), z.zeilen.size());
            for (qsizetype i = 0; i < m.zeilen.size(); ++i) {
                const Schreibergebnis &a = m.zeilen.at(i), &b = z.zeilen.at(i);
                QCOMPARE(a.art, b.art);
                QCOMPARE(a.ident, b.ident);
                QCOMPARE(a.zeile, b.zeile);
                QCOMPARE(a.vorher, b.vorher);
                QCOMPARE(a.nachher, b.nachher);
                QCOMPARE(a.schluessel, b.schluessel);
                QCOMPARE(a.gleicheNummern, b.gleicheNummern);
            }
        };
        const auto schreiben = [](const QString& pfad, const QList<Schreibauftrag>& a, bool menge) {
            Sammelergebnis s;
            {
                QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-menge"));
                AlarmdefsSchreiber w(db, pfad);
                s = menge ? w.Alle(a) : w.AlleZeilenweise(a);
            }
            AlarmdefsZugriff::Schliessen(QStringLiteral("tst-menge"));
            return s;
        };

        // a row changed by another program since it was read: nothing is written, that row is named
        QCOMPARE(Sqlite3(eins, "update Alarmdefs set X = 4242 where rowid = 1501;"), QStringList());
        QCOMPARE(Sqlite3(zwei, "update Alarmdefs set X = 4242 where rowid = 1501;"), QStringList());
        const QStringList geaendert = Sqlite3(eins, alles);
        Sammelergebnis m = schreiben(eins, auftraege, true), z = schreiben(zwei, auftraege, false);
        QVERIFY(!m.geschrieben);
        QCOMPARE(m.zeilen.at(m.abgelehnt).art, Schreibergebnis::Art::Geaendert);
        QCOMPARE(m.zeilen.at(m.abgelehnt).schluessel, QVariant(1501));
        QVERIFY(Sammelergebnis::WegenAenderung(m));
        gleich(m, z);
        QCOMPARE(Sqlite3(eins, alles), geaendert);
        QCOMPARE(Sqlite3(zwei, alles), geaendert);
        QCOMPARE(Sqlite3(eins, "update Alarmdefs set X = " + gelesen.at(500).at(AlarmFeld::X) + " where rowid = 1501;"), QStringList());
        QCOMPARE(Sqlite3(zwei, "update Alarmdefs set X = " + gelesen.at(500).at(AlarmFeld::X) + " where rowid = 1501;"), QStringList());
        QCOMPARE(Sqlite3(eins, alles), anfang);

        // all of them, the same rows and results either way; the rows between untouched
        m = schreiben(eins, auftraege, true);
        z = schreiben(zwei, auftraege, false);
        QVERIFY2(m.geschrieben, qPrintable(m.text + m.detail));
        gleich(m, z);
        const QStringList danach = Sqlite3(eins, alles);
        QCOMPARE(Sqlite3(zwei, alles), danach);
        for (qsizetype i = 0; i < danach.size(); ++i)
            if (i % 3 != 0)
                QCOMPARE(danach.at(i), anfang.at(i));
        QCOMPARE(Sqlite3(eins, "select Form || '|' || Symbol || '|' || X || '|' || quote(Y) from Alarmdefs where rowid = 4;"),
                 QStringList{QStringLiteral("Kläranlage \"Süd\"|Standard\\Pfeil\\Grün.gif|5|NULL")});
        QCOMPARE(Sqlite3(eins, "select quote(X) || quote(Y) from Alarmdefs where rowid = 10;"), QStringList{"NULLNULL"});

        // the undo of the step, as the history makes it: the values it replaced, by the keys it wrote
        QList<Schreibauftrag> zurueck;
        for (const Schreibergebnis& e : std::as_const(m.zeilen)) {
            Schreibauftrag a;
            a.ident = e.ident;
            a.zeile = e.schluessel;
            a.spalten = e.spalten;
            a.werte = e.vorher;
            AlarmRecord r = e.zeile;
            r.resize(AlarmFeld::Anzahl);
            a.gelesen = r;
            a.wiederherstellen = true;
            zurueck << a;
        }
        m = schreiben(eins, zurueck, true);
        z = schreiben(zwei, zurueck, false);
        QVERIFY2(m.geschrieben, qPrintable(m.text + m.detail));
        gleich(m, z);
        QCOMPARE(Sqlite3(eins, alles), anfang);
        QCOMPARE(Sqlite3(zwei, alles), anfang);

        // a position stored as a decimal by another tool: the check falls back to each row, still one transaction
        QCOMPARE(Sqlite3(eins, "update Alarmdefs set Y = 12.5 where rowid = 7;"), QStringList());
        QList<Schreibauftrag> zwei3 = auftraege.mid(0, 3);
        zwei3[2].gelesen.value()[AlarmFeld::Y] = QStringLiteral("12.5");
        m = schreiben(eins, zwei3, true);
        QVERIFY2(m.geschrieben, qPrintable(m.text + m.detail));
        QCOMPARE(m.zeilen.at(2).vorher, QVariantList{gelesen.at(2).at(AlarmFeld::Alarmtext)});
        QCOMPARE(Sqlite3(eins, "select quote(Y) from Alarmdefs where rowid = 7;"), QStringList{"12.5"});
    }

    void theWriteCheckRefusesValuesNoReaderTakes_data() {
        QTest::addColumn<int>("spalte");
        QTest::addColumn<QVariant>("wert");
        QTest::addColumn<QString>("grund");
        QTest::newRow("X beyond 32 bits") << int(AlarmFeld::X) << QVariant(QStringLiteral("3000000000")) << "2147483647";
        QTest::newRow("Y below 32 bits") << int(AlarmFeld::Y) << QVariant(QStringLiteral("-2147483649")) << "2147483647";
        QTest::newRow("NUL in Form") << int(AlarmFeld::Form) << QVariant(QStringLiteral("Zu") + QChar(0) + "lauf") << "Steuerzeichen";
        QTest::newRow("tab in Symbol") << int(AlarmFeld::Symbol) << QVariant(QStringLiteral("A\t.gif")) << "Steuerzeichen";
        QTest::newRow("NUL in Alarmtext") << int(AlarmFeld::Alarmtext) << QVariant(QStringLiteral("a") + QChar(0)) << "Steuerzeichen";
    }
    void theWriteCheckRefusesValuesNoReaderTakes() {
        QFETCH(int, spalte);
        QFETCH(QVariant, wert);
        QFETCH(QString, grund);
        const QList<QVariantList> vorher = Tabelle(mDb);
        Schreibauftrag a;
        a.ident = QStringLiteral("7");
        a.spalten = {spalte};
        a.werte = {wert};
        const Schreibergebnis e = AlarmdefsZugriff::Schreiben(mDb, a);
        QCOMPARE(e.art, Schreibergebnis::Art::Abgelehnt);
        QVERIFY2(e.text.contains(grund), qPrintable(e.text));
        QCOMPARE(Tabelle(mDb), vorher);
    }

    // A position "120,5" from an older tool: a click keeps it, undo can write it back.
    void decimalPositionsStayAsStored() {
        QVERIFY(TestDb(mDb).Ausfuehren("update Alarmdefs set X = '120,5' where Ident = 7"));
        AlarmAuswahl a;
        Einrichten(a);
        const AlarmRecord r = a.AktuellerAlarm().value();
        QCOMPARE(r.at(AlarmFeld::X), QStringLiteral("120,5"));
        const auto klick = a.PfeilEintragen("7#PfeilRot.gif", r.at(AlarmFeld::X), r.at(AlarmFeld::Y), std::nullopt, r, {});
        QVERIFY(klick && klick->geschrieben());
        QCOMPARE(Tabelle(mDb).at(0).at(AlarmFeld::X), QVariant(QStringLiteral("120,5")));
        const auto zug = a.PfeilEintragen("7#PfeilRot.gif", "200", "20", std::nullopt, r, {});
        QVERIFY(zug && zug->geschrieben());
        QCOMPARE(Tabelle(mDb).at(0).at(AlarmFeld::X), QVariant(200));
        Schreibauftrag zurueck;
        zurueck.ident = QStringLiteral("7");
        zurueck.spalten = zug->spalten;
        zurueck.werte = zug->vorher;
        zurueck.gelesen = zug->zeile;
        QVERIFY(AlarmdefsZugriff::Schreiben(mDb, zurueck).art == Schreibergebnis::Art::Abgelehnt);
        zurueck.wiederherstellen = true;
        QVERIFY(AlarmdefsZugriff::Schreiben(mDb, zurueck).geschrieben());
        QCOMPARE(Tabelle(mDb).at(0).at(AlarmFeld::X), QVariant(QStringLiteral("120,5")));
    }

    // A table with a column of its own before the 18: each grid column is still its own.
    // ---- the data service ----

    // A file another program holds locked: the grid answers at once with empty
    // rows, a sort is only asked for, and both fill in once the lock is gone.
    // The table is made and read back by the sqlite3 shell, in its own layout.
    void lockedFileLeavesTheGridResponsiveAndFillsInLater() {
        SkriptDialoge dialoge;
        const QString pfad = Datei("fremd.kvs");
        QVERIFY(FremdeTabelle(pfad, 3000));
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-dienst"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY(m.AllesGelesen());
            QCOMPARE(m.rowCount(), 3000);
            const QStringList idents = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;"));
            QCOMPARE(m.index(0, AlarmFeld::Ident).data().toString(), idents.first());

            FremdeSperre sperre(pfad);
            // Nothing of the last page has been read: it shows empty, its row header a grey "…".
            QCOMPARE(m.index(2999, AlarmFeld::Ident).data(), QVariant());
            QCOMPARE(m.headerData(2999, Qt::Vertical).toString(), QStringLiteral("…"));
            QCOMPARE(m.headerData(2999, Qt::Vertical, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray));
            QCOMPARE(m.headerData(0, Qt::Vertical).toInt(), 1);
            // The sort is on its way; the rows of before stay meanwhile.
            QSignalSpy gewechselt(&m, &AlarmdefsModell::QuelleGewechselt);
            QVERIFY(m.SortierenNach(kPriority));
            QVERIFY(m.QuelleUnterwegs());
            QCOMPARE(m.index(0, AlarmFeld::Ident).data().toString(), idents.first());
            // The window's own events go on while the service waits for the lock.
            int ticks = 0;
            QTimer uhr;
            connect(&uhr, &QTimer::timeout, [&] { ++ticks; });
            uhr.start(5);
            QTRY_VERIFY(ticks >= 20);
            QVERIFY(m.QuelleUnterwegs());
            sperre.Freigeben();
            QTRY_COMPARE_WITH_TIMEOUT(gewechselt.count(), 1, 10000);
            QCOMPARE(RasterSpalte(m, AlarmFeld::Ident),
                     Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by Priority, rowid;")));
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-dienst"));
        QVERIFY(dialoge.meldungen.isEmpty());
    }

    // A list of many rows made by the sqlite3 shell: its last page comes with
    // the count's last step and with a sort's order, so a jump to the end
    // finds it held at once.
    void theLastPageComesWithTheList() {
        const QString pfad = Datei("fremd-gross.kvs");
        const int n = AlarmdefsModell::GrossAb;
        QVERIFY(FremdeTabelle(pfad, n));
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-gross"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY_WITH_TIMEOUT(m.AllesGelesen(), 30000);
            QCOMPARE(m.rowCount(), n);
            QVERIFY(m.ZeileGeladen(n - 1));
            QCOMPARE(m.index(n - 1, AlarmFeld::Ident).data().toString(),
                     Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid desc limit 1;")).value(0));

            QVERIFY(m.SortierenNach(kPriority, Qt::DescendingOrder));
            QTRY_VERIFY_WITH_TIMEOUT(!m.QuelleUnterwegs(), 30000);
            QVERIFY(m.ZeileGeladen(n - 1));
            const QStringList sortiert =
                Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by Priority desc, rowid desc;"));
            for (int r : {0, n - 300, n - 1})
                QTRY_COMPARE(m.index(r, AlarmFeld::Ident).data().toString(), sortiert.at(r));
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-gross"));
    }

    // The rows come from the service's worker, in memory of that thread's
    // heap: the grid lets go of them off its own thread on every path they
    // leave it by, so it never waits on that heap's lock while the worker
    // reads on. Each path is driven in turn, and each free (or resize) of
    // such memory on this thread is counted for it; the rows shown stay those
    // the sqlite3 shell reads and writes, its table laid out its own way.
    void rowsOfTheWorkerAreNotFreedOnTheWindowsThread() {
        if (!FremdeFreigaben::Verfuegbar())
            QSKIP("counted only with glibc's own allocator");
        SkriptDialoge dialoge;
        // The services of the tests before have closed and gone first: their
        // threads' own data, freed here, is not counted for a path of this grid.
        QTRY_VERIFY_WITH_TIMEOUT(DienstFaeden() == 0, 30000);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString pfad = Datei("fremd-freigabe.kvs");
        const int n = 30000;
        const int seite = AlarmdefsModell::SeitenGroesse;
        QVERIFY(FremdeTabelle(pfad, n));
        const QStringList nachRowid = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;"));
        const QStringList nachPrioritaet =
            Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by Priority, rowid;"));
        QCOMPARE(nachPrioritaet.size(), n);
        QStringList wege;
        std::int64_t hoechstens = 0;
        // Counts what the step frees of the worker's memory here.
        auto zaehlen = [&](const char* weg, const std::function<void()>& schritt) {
            FremdeFreigaben zaehlung;
            schritt();
            wege << QStringLiteral("%1: %2").arg(QLatin1String(weg)).arg(zaehlung.Anzahl());
            hoechstens = std::max(hoechstens, zaehlung.Anzahl());
        };
        QPointer<Datendienst> dienst;
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-freigabe"));
            auto m = std::make_unique<AlarmdefsModell>(nullptr, db, pfad);
            dienst = m->Dienst();
            // every page read, far more than the grid holds
            auto blaettern = [&] {
                for (int r = 0; r < n; r += seite)
                    QTRY_VERIFY_WITH_TIMEOUT(m->ZeileLesen(r, 50), 10000);
            };
            auto angekommen = [&](int mehr) {  // answered, but not taken: no event is processed
                const int bis = dienst->Beantwortete() + mehr;
                QElapsedTimer uhr;
                uhr.start();
                while (dienst->Beantwortete() < bis && uhr.elapsed() < 10000)
                    QThread::msleep(1);
            };
            QList<QVariantList> gefunden;
            connect(m.get(), &AlarmdefsModell::ZeileGefunden,
                    [&](qlonglong nr, int zeile, bool, const QString&) { gefunden << QVariantList{nr, zeile}; });
            // A number found while the count goes on: its steps are waited for and the keys grow here.
            zaehlen("Suche beim Zaehlen", [&] {
                QVERIFY(m->AlleZeigen());
                m->ZeileSuchen(nachRowid.at(n - 2).toLongLong(), 10000);
                QTRY_COMPARE_WITH_TIMEOUT(gefunden.size(), 1, 10000);
                QCOMPARE(gefunden.first().at(1).toInt(), n - 2);
                QTRY_VERIFY_WITH_TIMEOUT(m->AllesGelesen(), 30000);
            });
            zaehlen("Blaettern", blaettern);
            // Pages asked for before a sort, answered after it: dropped as stale or reset with the grid.
            zaehlen("Sortieren", [&] {
                for (int r = 0; r < 4 * seite; r += seite)
                    m->ZeileLesen(n / 2 + r, 0);
                QVERIFY(m->SortierenNach(kPriority));
                QTRY_VERIFY_WITH_TIMEOUT(!m->QuelleUnterwegs(), 30000);
                blaettern();
                for (int r : {0, 12345, n - 1})
                    QTRY_COMPARE(m->index(r, AlarmFeld::Ident).data().toString(), nachPrioritaet.at(r));
            });
            // A cell written: the pages outside its row are let go, the row is read again in place.
            zaehlen("Eingabe", [&] {
                for (int r = 0; r < 8 * seite; r += seite)
                    QTRY_VERIFY_WITH_TIMEOUT(m->ZeileLesen(r, 50), 10000);
                QVERIFY(m->setData(m->index(5, AlarmFeld::Alarmtext), QStringLiteral("Druck zu hoch")));
                QTRY_COMPARE(m->index(5, AlarmFeld::Alarmtext).data().toString(), QStringLiteral("Druck zu hoch"));
            });
            QCOMPARE(Sqlite3(pfad, QStringLiteral("select Alarmtext from Alarmdefs where Ident = %1;")
                                       .arg(nachPrioritaet.at(5))),
                     QStringList{QStringLiteral("Druck zu hoch")});
            // Rows another program changed, read again by their numbers in place.
            zaehlen("Nachlesen", [&] {
                QTRY_VERIFY_WITH_TIMEOUT(m->ZeileLesen(2 * seite, 50), 10000);
                QSet<qlonglong> nummern;
                for (int r = 0; r < seite; ++r)
                    nummern << nachPrioritaet.at(r).toLongLong() << nachPrioritaet.at(2 * seite + r).toLongLong();
                Sqlite3(pfad, QStringLiteral("update Alarmdefs set Alarmtext = 'neu ' || Ident;"));
                m->ZeilenMitNummernNeuLesen(nummern);
                for (int r : {1, seite - 1, 2 * seite})
                    QTRY_COMPARE(m->index(r, AlarmFeld::Alarmtext).data().toString(),
                                 QStringLiteral("neu ") + nachPrioritaet.at(r));
            });
            // Closed while pages it asked for lie answered, not yet taken.
            zaehlen("Schliessen", [&] {
                for (int r = 10 * seite; r < 14 * seite; r += seite)
                    m->ZeileLesen(r, 0);
                angekommen(4);
                m.reset();
                QTRY_VERIFY_WITH_TIMEOUT(dienst.isNull(), 10000);
            });
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-freigabe"));
        QVERIFY(dialoge.meldungen.isEmpty());
        // Before, about each row read was freed here (its values, often its
        // texts too); left are a few blocks of Qt's own (the list of posted
        // events grown by the worker, the worker thread's own data).
        qInfo("%s", qPrintable(wege.join(QStringLiteral(", "))));
        QVERIFY2(hoechstens <= 5, qPrintable(wege.join(QStringLiteral(", "))));
    }

    // A page read while the count had not reached its end holds fewer rows
    // than the page has once the count has gone past it: its other rows
    // fill in, they do not stay empty.
    void aPageReadShortOfTheCountFillsUp() {
        const QString pfad = Datei("fremd-kurz.kvs");
        const int n = AlarmdefsModell::ErsterTeil + AlarmdefsModell::WeitererTeil + 1000;
        QVERIFY(FremdeTabelle(pfad, n));
        const QStringList nachRowid = Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;"));
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-kurz"));
            AlarmdefsModell m(nullptr, db, pfad);
            int kurz = -1;
            connect(&m, &QAbstractItemModel::rowsInserted, &m, [&](const QModelIndex&, int, int bis) {
                if (kurz < 0 && (bis + 1) % AlarmdefsModell::SeitenGroesse != 0) {
                    kurz = bis;
                    QVERIFY(m.ZeileLesen(bis, 10000));
                }
            });
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY_WITH_TIMEOUT(m.AllesGelesen(), 30000);
            QCOMPARE(m.rowCount(), n);
            QVERIFY(kurz > 0 && kurz + 1 < n);
            QCOMPARE(m.index(kurz, AlarmFeld::Ident).data().toString(), nachRowid.at(kurz));
            QTRY_COMPARE(m.index(kurz + 1, AlarmFeld::Ident).data().toString(), nachRowid.at(kurz + 1));
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-kurz"));
    }

    // Answers that come after a newer request are dropped: a page read before
    // the rows around it were read afresh never fills the grid, and of two
    // sorts asked for while the file is locked only the newer one is shown,
    // once, whether the older order was read in full or given up.
    void staleAnswersAreDropped() {
        const QString pfad = Datei("fremd.kvs");
        QVERIFY(FremdeTabelle(pfad, 2000));
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-dienst"));
            AlarmdefsModell m(nullptr, db, pfad);
            QVERIFY(m.AlleZeigen());
            QTRY_VERIFY(m.AllesGelesen());
            QCOMPARE(m.index(0, AlarmFeld::Ident).data().isValid(), true);
            QSignalSpy neu(&m, &QAbstractItemModel::modelReset);
            QSignalSpy geaendert(&m, &QAbstractItemModel::dataChanged);
            int vorher = m.Dienst()->Beantwortete();
            {
                FremdeSperre sperre(pfad);
                QCOMPARE(m.index(1999, AlarmFeld::Alarmtext).data(), QVariant());  // its page is on its way
                m.ZeilenNeuLesen(0, 10);  // the rows in view read afresh: the page on its way is stale now
                QTest::qWait(50);
            }
            QTRY_VERIFY_WITH_TIMEOUT(m.Dienst()->Beantwortete() >= vorher + 2, 10000);
            QTest::qWait(50);
            QCOMPARE(m.headerData(1999, Qt::Vertical).toString(), QStringLiteral("…"));
            for (const QList<QVariant>& g : geaendert)
                QVERIFY(g.at(0).value<QModelIndex>().row() <= 10);
            // asked for again, it comes
            QTRY_COMPARE(m.index(1999, AlarmFeld::Ident).data().toString(),
                         Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by rowid;")).last());

            vorher = m.Dienst()->Beantwortete();
            {
                FremdeSperre sperre(pfad);
                QVERIFY(m.SortierenNach(kPriority));
                QVERIFY(m.SortierenNach(kGroup, Qt::DescendingOrder));
                QTest::qWait(50);
            }
            QTRY_VERIFY_WITH_TIMEOUT(m.Dienst()->Beantwortete() >= vorher + 2, 10000);
            QTRY_VERIFY(!m.QuelleUnterwegs());
            QTest::qWait(50);
            QCOMPARE(neu.count(), 1);
            QCOMPARE(RasterSpalte(m, AlarmFeld::Ident),
                     Sqlite3(pfad, QStringLiteral("select Ident from Alarmdefs order by \"Group\" desc, rowid desc;")));
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-dienst"));
    }

    // Writes go one after the other through the one write path and come back as
    // queued signals: the second is conditional on what the first wrote.
    void serviceWritesInOrderAndAnswersQueued() {
        Datendienst d(mDb);
        QSignalSpy antworten(&d, &Datendienst::Beantwortet);
        Schreibauftrag a;
        a.ident = QStringLiteral("7");
        a.spalten = {AlarmFeld::X};
        a.werte = {111};
        // the row as a pick reads it
        AlarmRecord gelesen = AlarmdefsZugriff::AlarmListeLesen(mDb, QStringLiteral("Zulauf"))->first();
        QCOMPARE(gelesen.at(AlarmFeld::Ident), QStringLiteral("7"));
        a.gelesen = gelesen;
        const Datendienst::Ticket erster = d.Schreiben(a);
        a.werte = {222};
        gelesen[AlarmFeld::X] = QStringLiteral("111");
        a.gelesen = gelesen;
        const Datendienst::Ticket zweiter = d.Schreiben(a);
        QCOMPARE(antworten.count(), 0);  // never on the asker's stack
        QTRY_COMPARE(antworten.count(), 2);
        const auto eins = antworten.at(0).at(0).value<Datendienst::Antwort>();
        const auto zwei = antworten.at(1).at(0).value<Datendienst::Antwort>();
        QCOMPARE(eins.ticket, erster);
        QCOMPARE(zwei.ticket, zweiter);
        QVERIFY2(eins.ergebnis.geschrieben(), qPrintable(eins.ergebnis.text));
        QVERIFY2(zwei.ergebnis.geschrieben(), qPrintable(zwei.ergebnis.text));
        QCOMPARE(Sqlite3(mDb, QStringLiteral("select X from Alarmdefs where Ident = 7;")), QStringList{"222"});
        // A write conditional on a value the row no longer holds changes nothing.
        a.werte = {333};
        const auto drei = d.Abwarten(d.Schreiben(a), 10000);
        QVERIFY(drei);
        QCOMPARE(drei->ergebnis.art, Schreibergebnis::Art::Geaendert);
        QCOMPARE(Sqlite3(mDb, QStringLiteral("select X from Alarmdefs where Ident = 7;")), QStringList{"222"});
        QCOMPARE(antworten.count(), 2);  // an answer taken by waiting is not signalled again
    }

    // The service reads a file's rows itself: each value, its type and its
    // being null as Qt's driver gives them, on a file the sqlite3 program made;
    // a failing read is worded as the driver words it.
    void serviceReadsRowsAsTheDriverDoes() {
        const QString pfad = Datei("werte.db");
        Sqlite3(pfad, QStringLiteral(
                          "create table T (a, b integer, c real, d text, e blob);"
                          "insert into T values (1, 9007199254740993, 2.5, 'Störung Überdruck Ölstand ß €', x'00ff41');"
                          "insert into T values (null, -7, -0.125, '', x'');"
                          "insert into T values ('0042', 3.0, 1e300, '  Leer  ', 'Text im Blob');"
                          "insert into T values (4.75, null, null, null, null);"));
        const QString sql = QStringLiteral("select rowid, a, b, c, d, e from T order by rowid");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst-werte"));
        db.setDatabaseName(pfad);
        QVERIFY(db.open());
        QList<QVariantList> erwartet;
        {
            QSqlQuery q(db);
            QVERIFY(q.exec(sql));
            while (q.next()) {
                QVariantList z;
                for (int i = 0; i < 6; ++i)
                    z << q.value(i);
                erwartet << z;
            }
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("tst-werte"));
        QCOMPARE(erwartet.size(), 4);
        Datendienst d(pfad);
        const auto a = d.Abwarten(d.ZeilenLesen(sql), 10000);
        QVERIFY(a && a->ok);
        QCOMPARE(a->zeilen.size(), erwartet.size());
        for (int r = 0; r < erwartet.size(); ++r)
            for (int i = 0; i < 6; ++i) {
                const QVariant& w = a->zeilen.at(r).at(i);
                const QVariant& e = erwartet.at(r).at(i);
                const QString wo = QStringLiteral("Zeile %1, Spalte %2").arg(r).arg(i);
                QVERIFY2(w.metaType() == e.metaType(), qPrintable(wo));
                QVERIFY2(w.isNull() == e.isNull(), qPrintable(wo));
                QVERIFY2(w == e, qPrintable(wo));
            }
        const auto fehlt = d.Abwarten(d.ZeilenLesen(QStringLiteral("select * from Fehlt")), 10000);
        QVERIFY(fehlt && !fehlt->ok && fehlt->zeilen.isEmpty());
        QCOMPARE(fehlt->fehler.nativeErrorCode(), QStringLiteral("1"));
        QVERIFY(fehlt->fehler.databaseText().contains(QStringLiteral("no such table")));
    }

    void gridColumnsAreTheirNamesNotTheirPlaces() {
        SkriptDialoge dialoge;
        const QString pfad = Datei("erweitert.kvs");
        {
            TestDb t(pfad);
            QVERIFY(t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (ID INTEGER PRIMARY KEY, %1)").arg(SPALTEN)));
            QVariantList z = Zeile(7, "Zulauf", "A.gif", 10, 20);
            z.prepend(100);
            QVERIFY(t.Ausfuehren(QStringLiteral("INSERT INTO Alarmdefs VALUES (%1)").arg(QStringList(19, "?").join(',')), z));
        }
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(pfad, QStringLiteral("tst-raster"));
            AlarmdefsModell modell(nullptr, db, pfad);
            QVERIFY(modell.AlleZeigen());
            QCOMPARE(modell.columnCount(), AlarmFeld::Spalten);
            QCOMPARE(modell.headerData(AlarmFeld::X, Qt::Horizontal).toString(), QStringLiteral("X"));
            QCOMPARE(modell.index(0, AlarmFeld::Ident).data().toInt(), 7);
            QCOMPARE(modell.index(0, AlarmFeld::X).data().toInt(), 10);
            QVERIFY(modell.setData(modell.index(0, AlarmFeld::X), 55));
            QVERIFY(modell.SortierenNach(AlarmFeld::Y));
            QCOMPARE(modell.index(0, AlarmFeld::Y).data().toInt(), 20);
        }
        AlarmdefsZugriff::Schliessen(QStringLiteral("tst-raster"));
        const QVariantList zeile = Tabelle(pfad).at(0);
        QCOMPARE(zeile.at(0), QVariant(100));
        QCOMPARE(zeile.mid(1 + AlarmFeld::X, 2), (QVariantList{55, 20}));
        QVERIFY(dialoge.meldungen.isEmpty());
    }
};

QTEST_MAIN(TstAlarms)
#include "tst_alarms.moc"
