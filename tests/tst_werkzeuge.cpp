// The tools over the whole table on real SQLite files and real files: CSV
// reading and writing, the check report, export and import, and their
// command-line forms run as the real program.
#include <QtTest>

#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsZugriff.h"
#include "werkzeuge/CsvDatei.h"
#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/ImportPlan.h"
#include "werkzeuge/Pruefbericht.h"
#include "helpers/TestDb.h"

namespace {
const char* const SPALTEN = TestDb::Spalten;

// The arrow of one alarm: Ident, Form, Symbol, X, Y (a null QVariant is NULL).
struct Pfeil {
    QVariant ident, form, symbol, x, y;
};

QVariantList Zeile(const Pfeil& p) {
    const int n = p.ident.toInt();
    return {p.ident, 1, 0, QStringLiteral("P%1_ST.3").arg(n), 3, QStringLiteral("0"), QStringLiteral("100"), 2, 7,
            1000 + n, QStringLiteral("Pumpe P%1 Störung").arg(n), p.form, p.symbol, p.x, p.y, 150, 0, 1};
}


bool DatenbankAnlegen(const QString& pfad, const QList<Pfeil>& pfeile) {
    TestDb t(pfad);
    if (!t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (%1)").arg(QLatin1String(SPALTEN))))
        return false;
    for (const Pfeil& p : pfeile)
        if (!t.Ausfuehren(QStringLiteral("INSERT INTO Alarmdefs VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"), Zeile(p)))
            return false;
    return true;
}

QList<QVariantList> Tabelle(const QString& pfad) { return TestDb(pfad).Tabelle(); }

// Two tables hold the same when every value and every type (number, text, NULL) is the same.
QString Unterschied(const QList<QVariantList>& a, const QList<QVariantList>& b) {
    if (a.size() != b.size())
        return QStringLiteral("%1 rows against %2").arg(a.size()).arg(b.size());
    for (int z = 0; z < a.size(); ++z)
        for (int s = 0; s < a[z].size(); ++s)
            if (a[z][s].isNull() != b[z][s].isNull() || a[z][s].toString() != b[z][s].toString() ||
                (!a[z][s].isNull() && a[z][s].typeId() != b[z][s].typeId()))
                return QStringLiteral("row %1 column %2: %3 against %4").arg(z).arg(s).arg(a[z][s].toString(), b[z][s].toString());
    return {};
}

QString Programm() { return QCoreApplication::applicationDirPath() + QStringLiteral("/tavero"); }

struct Lauf {
    int code = -1;
    QString aus, fehler;
};

// The real program, without a display; eingabe goes to its standard input, which is then closed.
Lauf Starten(const QStringList& argumente, const QByteArray& eingabe = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(v));
    p.setProcessEnvironment(env);
    p.start(Programm(), argumente);
    if (!p.waitForStarted(30000))
        return {};
    p.write(eingabe);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList Felder(const CsvDatei::Satz& s) { return s.felder; }
}  // namespace

Q_DECLARE_METATYPE(Pfeil)

class TstWerkzeuge : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    Projektrahmen m_rahmen;

    QString Datei(const QString& name) const { return m_dir->filePath(name); }
    void Schreiben(const QString& name, const QByteArray& inhalt) {
        QDir().mkpath(QFileInfo(Datei(name)).absolutePath());
        QFile f(Datei(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(inhalt);
    }
    // Tavero.ini naming the test's folders and lists, as the program reads it.
    QString IniSchreiben() {
        QByteArray ini = "[Grafik]\r\nAlarmPicturePath=" + QFile::encodeName(m_rahmen.bilderPath) + "\r\nPfeilPath=" +
                         QFile::encodeName(m_rahmen.symbolPath) + "\r\n[Arrow]\r\n";
        for (int i = 0; i < m_rahmen.symbolListe.size(); ++i)
            ini += QByteArray::number(i + 1) + "Symbol=" + m_rahmen.symbolListe[i].toLatin1() + "\r\n";
        ini += "[Picture]\r\n";
        for (int i = 0; i < m_rahmen.bilderListe.size(); ++i)
            ini += QByteArray::number(i + 1) + "Pic=" + m_rahmen.bilderListe[i].toLatin1() + "\r\n";
        Schreiben(QStringLiteral("Tavero.ini"), ini);
        return Datei(QStringLiteral("Tavero.ini"));
    }

private slots:
    void init() {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        qputenv("WINEPREFIX", QFile::encodeName(Datei("prefix")));
        // Zulauf is 100 x 50 pixels; Extra exists but is not listed; Gross lies
        // there only as gross.bmp; Kaputt.bmp is no bitmap.
        m_rahmen.bilderPath = Datei("Bilder");
        m_rahmen.symbolPath = Datei("Symbole");
        m_rahmen.bilderListe = {"Zulauf.bmp", "Gross.bmp", "Kaputt.bmp", "Fehlt.bmp", "Leer.bmp"};
        m_rahmen.symbolListe = {"PfeilRot.gif", "PfeilBlau.gif"};
        for (const QString& b : {QStringLiteral("Zulauf/Zulauf.bmp"), QStringLiteral("Extra/Extra.bmp"),
                                 QStringLiteral("Gross/gross.bmp")}) {
            QDir().mkpath(QFileInfo(Datei("Bilder/" + b)).absolutePath());
            QImage bild(100, 50, QImage::Format_RGB32);
            bild.fill(Qt::white);
            QVERIFY(bild.save(Datei("Bilder/" + b), "BMP"));
        }
        Schreiben(QStringLiteral("Bilder/Kaputt/Kaputt.bmp"), "kein Bild");
        Schreiben(QStringLiteral("Symbole/PfeilRot.gif"), "GIF89a");
        Schreiben(QStringLiteral("Symbole/PfeilBlau.gif"), "GIF89a");
    }
    void cleanup() {
        delete m_dir;
        m_dir = nullptr;
    }

    // ---- CSV ----

    void csvReadsWhatSpreadsheetsWrite_data() {
        QTest::addColumn<QByteArray>("daten");
        QTest::addColumn<QList<QStringList>>("saetze");
        QTest::addColumn<QList<int>>("zeilen");
        QTest::addColumn<QString>("trenner");
        QTest::addColumn<int>("kodierung");
        const int mitMarke = int(CsvDatei::Kodierung::Utf8MitMarke), utf8 = int(CsvDatei::Kodierung::Utf8),
                  ansi = int(CsvDatei::Kodierung::Windows1252);
        QTest::newRow("Excel, German settings") << QByteArray("\xEF\xBB\xBFIdent;Form\r\n1;Zulauf\r\n")
                                                << QList<QStringList>{{"Ident", "Form"}, {"1", "Zulauf"}} << QList<int>{1, 2}
                                                << ";" << mitMarke;
        QTest::newRow("commas, LF, no mark") << QByteArray("Ident,Form\n1,S\xC3\xBC" "d\n")
                                             << QList<QStringList>{{"Ident", "Form"}, {"1", "Süd"}} << QList<int>{1, 2} << ","
                                             << utf8;
        QTest::newRow("Windows-1252") << QByteArray("Ident;Alarmtext\r\n1;\xC4nderung 5 \x80\r\n")
                                      << QList<QStringList>{{"Ident", "Alarmtext"}, {"1", "Änderung 5 €"}} << QList<int>{1, 2}
                                      << ";" << ansi;
        QTest::newRow("quotes, separators and line breaks in fields")
            << QByteArray("a;b;c\r\n\"x;y\";\"er sagt \"\"halt\"\"\";\"zwei\r\nZeilen\"\r\n4;\"\";\"\n\"\r\n")
            << QList<QStringList>{{"a", "b", "c"}, {"x;y", "er sagt \"halt\"", "zwei\r\nZeilen"}, {"4", "", "\n"}}
            << QList<int>{1, 2, 3} << ";" << utf8;
        QTest::newRow("a comma inside quotes decides nothing") << QByteArray("\"a,b,c\";d\n1;2")
                                                               << QList<QStringList>{{"a,b,c", "d"}, {"1", "2"}}
                                                               << QList<int>{1, 2} << ";" << utf8;
        QTest::newRow("CR only, last line without end") << QByteArray("a;b\r1;2\r3;")
                                                        << QList<QStringList>{{"a", "b"}, {"1", "2"}, {"3", ""}}
                                                        << QList<int>{1, 2, 3} << ";" << utf8;
        QTest::newRow("blank lines count as rows but give none")
            << QByteArray("a;b\r\n\r\n1;2\r\n;\r\n\r\n3;4\r\n\r\n") << QList<QStringList>{{"a", "b"}, {"1", "2"}, {"3", "4"}}
            << QList<int>{1, 3, 6} << ";" << utf8;
        QTest::newRow("empty fields stay empty, blanks stay") << QByteArray("a;b;c;d\n; x ;;\n")
                                                              << QList<QStringList>{{"a", "b", "c", "d"}, {"", " x ", "", ""}}
                                                              << QList<int>{1, 2} << ";" << utf8;
        QTest::newRow("a quote inside a field is taken as it stands")
            << QByteArray("a;b\n5\"6;\"x\"y\n") << QList<QStringList>{{"a", "b"}, {"5\"6", "xy"}} << QList<int>{1, 2} << ";"
            << utf8;
        QTest::newRow("statement text is just text")
            << QByteArray("Ident;Form\n1;\"x'); drop table Alarmdefs; --\"\n")
            << QList<QStringList>{{"Ident", "Form"}, {"1", "x'); drop table Alarmdefs; --"}} << QList<int>{1, 2} << ";" << utf8;
    }
    void csvReadsWhatSpreadsheetsWrite() {
        QFETCH(QByteArray, daten);
        QFETCH(QList<QStringList>, saetze);
        QFETCH(QList<int>, zeilen);
        QFETCH(QString, trenner);
        QFETCH(int, kodierung);
        const CsvDatei::Inhalt inhalt = CsvDatei::Lesen(daten, QStringLiteral("t.csv"));
        QList<QStringList> gelesen;
        QList<int> nummern;
        for (const CsvDatei::Satz& s : inhalt.saetze) {
            gelesen << Felder(s);
            nummern << s.zeile;
        }
        QCOMPARE(gelesen, saetze);
        QCOMPARE(nummern, zeilen);
        QCOMPARE(QString(inhalt.trenner), trenner);
        QCOMPARE(int(inhalt.kodierung), kodierung);
    }

    void csvQuoteNeverClosedIsRefused() {
        try {
            CsvDatei::Lesen("a;b\r\n1;\"offen\r\n2;3\r\n", QStringLiteral("t.csv"));
            QFAIL("an open quote swallowed the rest of the file");
        } catch (const DateiFehler& f) {
            QVERIFY2(f.Text().contains(QStringLiteral("Zeile 2")), qPrintable(f.Text()));
        }
    }

    void csvWrittenForExcelReadsBackTheSame_data() {
        QTest::addColumn<QStringList>("felder");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QStringList{"1", "Zulauf", ""} << QByteArray("1;Zulauf;\r\n");
        QTest::newRow("separator") << QStringList{"a;b", "c"} << QByteArray("\"a;b\";c\r\n");
        QTest::newRow("quote") << QStringList{"er sagt \"ja\""} << QByteArray("\"er sagt \"\"ja\"\"\"\r\n");
        QTest::newRow("line breaks") << QStringList{"x\r\ny", "z\n", "\r"} << QByteArray("\"x\r\ny\";\"z\n\";\"\r\"\r\n");
        QTest::newRow("umlauts and blanks") << QStringList{" Überlauf ", "Standard\\Pfeil grün.gif"}
                                            << QByteArray(" \xC3\x9c" "berlauf ;Standard\\Pfeil gr\xC3\xBCn.gif\r\n");
        QTest::newRow("comma needs no quotes") << QStringList{"1,5", "a"} << QByteArray("1,5;a\r\n");
    }
    void csvWrittenForExcelReadsBackTheSame() {
        QFETCH(QStringList, felder);
        QFETCH(QByteArray, bytes);
        QByteArray zeile;
        CsvDatei::ZeileAnhaengen(zeile, felder);
        QCOMPARE(zeile, bytes);
        const QByteArray datei = CsvDatei::Marke() + "Kopf" + QByteArray(felder.size() - 1, ';') + "\r\n" + zeile;
        const CsvDatei::Inhalt inhalt = CsvDatei::Lesen(datei, QStringLiteral("t.csv"));
        QCOMPARE(inhalt.saetze.size(), 2);
        QCOMPARE(inhalt.saetze.at(1).felder, felder);
    }

    // ---- check report ----

    void reportFindsEachKind_data() {
        QTest::addColumn<QList<Pfeil>>("pfeile");
        QTest::addColumn<int>("art");
        QTest::addColumn<QStringList>("zeilen");  // the alarms of each line of that kind
        using A = Pruefbericht::Art;
        const QVariant n;
        const QString rot = QStringLiteral("Standard\\PfeilRot.gif");
        QTest::newRow("bitmap missing, in other case, no BMP")
            << QList<Pfeil>{{1, "Fehlt", rot, 1, 1}, {2, "Gross", rot, 1, 1}, {3, "Kaputt", rot, 1, 1}, {4, "Zulauf", rot, 1, 1}}
            << int(A::BildFehlt) << QStringList{"1", "2", "3"};
        QTest::newRow("symbol file missing")
            << QList<Pfeil>{{1, "Zulauf", "Standard\\Weg.gif", 1, 1}, {2, "Zulauf", rot, 10, 10},
                            {3, "Zulauf", "PfeilBlau.gif", 20, 20}, {4, "Zulauf", "Standard\\", 30, 30}, {5, n, "weg.GIF", n, n}}
            << int(A::SymbolFehlt) << QStringList{"1", "4", "5"};
        QTest::newRow("picture not listed") << QList<Pfeil>{{1, "Extra", rot, 1, 1}, {2, "Zulauf", rot, 1, 1}, {3, "Extra", n, n, n}}
                                            << int(A::BildNichtInListe) << QStringList{"1", "3"};
        QTest::newRow("arrow without position")
            << QList<Pfeil>{{1, "Zulauf", rot, n, 5}, {2, "Zulauf", rot, 5, n}, {3, "Zulauf", n, n, n},
                            {4, "Zulauf", rot, "links", 5}, {5, "Zulauf", rot, 5, 5}, {6, n, n, n, n}}
            << int(A::OhnePosition) << QStringList{"1", "2", "3", "4"};
        QTest::newRow("arrow outside its bitmap")
            << QList<Pfeil>{{1, "Zulauf", rot, 99, 49}, {2, "Zulauf", rot, 100, 10}, {3, "Zulauf", rot, -1, 5},
                            {4, "Zulauf", rot, 10, 50}, {5, "Zulauf", rot, 0, 0}, {6, "Fehlt", rot, 500, 500}}
            << int(A::AusserhalbBild) << QStringList{"2", "3", "4"};
        QTest::newRow("stacked arrows, one line per heap")
            << QList<Pfeil>{{1, "Zulauf", rot, 10, 10}, {2, "Zulauf", rot, 14, 14},   // 4 apart: stacked
                            {3, "Zulauf", rot, 30, 30}, {4, "Zulauf", rot, 35, 30},   // 5 apart: not
                            {5, "Zulauf", rot, 50, 10}, {6, "Zulauf", rot, 54, 12}, {7, "Zulauf", rot, 58, 14},  // a chain
                            {8, "Zulauf", rot, 70, 40}, {9, "Zulauf", n, 70, 40},     // the same place
                            {10, "Extra", rot, 10, 10},                               // another picture
                            {11, "Zulauf", rot, -2, -2}, {12, "Zulauf", rot, 1, 1},   // across cells at zero
                            {13, "Zulauf", rot, 24, 44}, {14, "Zulauf", rot, 20, 40}}  // found from the later cell
            << int(A::Gestapelt) << QStringList{"1,2", "5,6,7", "8,9", "11,12", "13,14"};
        QTest::newRow("alarm without picture") << QList<Pfeil>{{1, n, n, n, n}, {2, "", rot, 1, 1}, {3, "  ", n, n, n}, {4, "Zulauf", rot, 1, 1}}
                                               << int(A::OhneBild) << QStringList{"1", "2", "3"};
        QTest::newRow("number used more than once")
            << QList<Pfeil>{{5, "Zulauf", rot, 1, 1}, {6, "Zulauf", rot, 60, 1}, {5, n, n, n, n}, {7, n, n, n, n},
                            {7, n, n, n, n}, {7, n, n, n, n}}
            << int(A::NummerDoppelt) << QStringList{"5,5", "7,7,7"};
    }
    void reportFindsEachKind() {
        QFETCH(QList<Pfeil>, pfeile);
        QFETCH(int, art);
        QFETCH(QStringList, zeilen);
        QVERIFY(DatenbankAnlegen(Datei("b.kvs"), pfeile));
        const Pruefbericht b = Pruefbericht::Erstellen(Datei("b.kvs"), m_rahmen);
        QStringList gefunden;
        for (const Pruefbericht::Zeile& z : b.GruppeVon(static_cast<Pruefbericht::Art>(art)).zeilen) {
            gefunden << z.Idents().join(',');
            QCOMPARE(z.ident, z.Idents().first());
            QVERIFY(z.Text().startsWith(QStringLiteral("Alarm %1 (P%1_ST.3): ").arg(z.ident)));
        }
        QCOMPARE(gefunden, zeilen);
        QCOMPARE(b.Alarme(), pfeile.size());
    }

    void reportOfAGoodTableIsEmptyAndLooksAtEachFileOnce() {
        // two hundred arrows five pixels apart, all inside the bitmap
        QList<Pfeil> pfeile;
        for (int i = 0; i < 200; ++i)
            pfeile << Pfeil{i + 1, "Zulauf", i % 2 ? "Standard\\PfeilRot.gif" : "PfeilBlau.gif", (i % 20) * 5, (i / 20) * 5};
        QVERIFY(DatenbankAnlegen(Datei("gut.kvs"), pfeile));
        const Pruefbericht b = Pruefbericht::Erstellen(Datei("gut.kvs"), m_rahmen);
        QVERIFY2(b.Sauber(), qPrintable(b.Text()));
        QCOMPARE(b.DateienNachgesehen(), 3);  // one bitmap, two symbols
        QVERIFY(b.Text().contains(QStringLiteral("200 Alarme geprüft, keine Befunde.")));
    }

    void reportOnABadDatabaseThrows() {
        Schreiben(QStringLiteral("kaputt.kvs"), QByteArray("SQLite format 3\0", 16) + QByteArray(400, 'x'));
        QVERIFY_THROWS_EXCEPTION(AlarmdefsFehler, Pruefbericht::Erstellen(Datei("kaputt.kvs"), m_rahmen));
        QVERIFY_THROWS_EXCEPTION(AlarmdefsFehler, Pruefbericht::Erstellen(Datei("fehlt.kvs"), m_rahmen));
    }

    void reportCommandExitCodes_data() {
        QTest::addColumn<QString>("db");
        QTest::addColumn<QStringList>("weitere");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing found") << "gut.kvs" << QStringList{} << 0 << "1 Alarm geprüft, keine Befunde.";
        QTest::newRow("findings") << "schlecht.kvs" << QStringList{} << 1 << "Alarm 2 (P2_ST.3): kein Bild zugeordnet";
        QTest::newRow("findings and CSV") << "schlecht.kvs" << QStringList{"--csv", "@bericht.csv"} << 1 << "Alarm ohne Bild: 1";
        QTest::newRow("no database") << "fehlt.kvs" << QStringList{} << 2 << "wurde nicht gefunden";
        QTest::newRow("no database file") << "Tavero.ini" << QStringList{} << 2 << "keine Alarmdatenbank";
        QTest::newRow("no Tavero.ini") << "gut.kvs" << QStringList{"--ini", "@keine.ini"} << 2 << "keine.ini wurde nicht gefunden";
        QTest::newRow("unknown option") << "gut.kvs" << QStringList{"--schnell"} << 2 << "Unbekannte Angabe";
        QTest::newRow("no database named") << "" << QStringList{} << 2 << "Es fehlen Angaben";
    }
    void reportCommandExitCodes() {
        QFETCH(QString, db);
        QFETCH(QStringList, weitere);
        QFETCH(int, code);
        QFETCH(QString, text);
        QVERIFY(QFileInfo::exists(Programm()));
        const QString ini = IniSchreiben();
        QVERIFY(DatenbankAnlegen(Datei("gut.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 5, 5}}));
        QVERIFY(DatenbankAnlegen(Datei("schlecht.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 5, 5}, {2, QVariant(), QVariant(), QVariant(), QVariant()}}));
        QStringList argumente{"--pruefbericht"};
        if (!db.isEmpty())
            argumente << Datei(db);
        argumente << "--ini" << ini;
        for (const QString& w : weitere)
            argumente << (w.startsWith('@') ? Datei(w.mid(1)) : w);
        if (argumente.count("--ini") == 2)
            argumente.remove(argumente.indexOf("--ini"), 2);
        const Lauf l = Starten(argumente);
        QCOMPARE(l.code, code);
        QVERIFY2((l.aus + l.fehler).contains(text), qPrintable(l.aus + l.fehler));
        if (weitere.contains("--csv")) {
            QFile f(Datei("bericht.csv"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray csv = f.readAll();
            QVERIFY(csv.startsWith(CsvDatei::Marke() + "Prüfung;Ident;Alarm;Form;Symbol;X;Y;Befund\r\n"));
            QVERIFY(csv.contains("Alarm ohne Bild;2;P2_ST.3;;;;;kein Bild zugeordnet\r\n"));
        }
    }

    // ---- export and import ----

    void exportThenImportGivesTheSameTable() {
        const QList<Pfeil> pfeile = {{1, "Zulauf", "Standard\\PfeilRot.gif", 10, 20},
                                     {2, "Becken \"Süd\"; Ost", "PfeilBlau.gif", 0, -3},
                                     {3, QVariant(), QVariant(), QVariant(), QVariant()},
                                     {4, "Zwei\r\nZeilen", "Alt\\Standard\\P,1.gif", 99999, 5},
                                     {5, "Zulauf", QVariant(), QVariant(), 7}};
        QVERIFY(DatenbankAnlegen(Datei("quelle.kvs"), pfeile));
        const Lauf aus = Starten({"--export", Datei("quelle.kvs"), Datei("pfeile.csv")});
        QCOMPARE(aus.code, 0);
        QVERIFY(aus.aus.contains(QStringLiteral("5 Alarme")));
        // another table whose arrows are all different, one of them cleared
        QList<Pfeil> anders = pfeile;
        for (Pfeil& p : anders)
            p = {p.ident, "Anders", "Standard\\PfeilBlau.gif", 1, 1};
        anders[0] = {1, QVariant(), QVariant(), QVariant(), QVariant()};
        QVERIFY(DatenbankAnlegen(Datei("ziel.kvs"), anders));
        const Lauf ein = Starten({"--import", Datei("ziel.kvs"), Datei("pfeile.csv"), "--ja"});
        QCOMPARE(ein.code, 0);
        QVERIFY2(ein.aus.contains(QStringLiteral("5 Alarme werden geändert")), qPrintable(ein.aus));
        const QString unterschied = Unterschied(Tabelle(Datei("ziel.kvs")), Tabelle(Datei("quelle.kvs")));
        QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
        // the file once more: nothing to change, nothing written
        const Lauf nochmal = Starten({"--import", Datei("ziel.kvs"), Datei("pfeile.csv")});
        QCOMPARE(nochmal.code, 0);
        QVERIFY(nochmal.aus.contains(QStringLiteral("nichts zu ändern")));
        QVERIFY(!nochmal.aus.contains(QStringLiteral("(j/n)")));
    }

    void exportOfAPart_data() {
        QTest::addColumn<int>("teil");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QList<int>>("idents");
        using T = AlarmdefsDurchlauf::Teil;
        QTest::newRow("all") << int(T::Alle) << QString() << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("one picture") << int(T::Bild) << "Zulauf" << QList<int>{1, 4};
        QTest::newRow("picture with a quote") << int(T::Bild) << "Becken 'Nord'" << QList<int>{2};
        QTest::newRow("without picture") << int(T::OhneBild) << QString() << QList<int>{3};
        QTest::newRow("picture but no position") << int(T::OhnePosition) << QString() << QList<int>{4, 5};
    }
    void exportOfAPart() {
        QFETCH(int, teil);
        QFETCH(QString, form);
        QFETCH(QList<int>, idents);
        QVERIFY(DatenbankAnlegen(Datei("t.kvs"), {{1, "Zulauf", "A.gif", 1, 2}, {2, "Becken 'Nord'", "B.gif", 3, 4},
                                                  {3, QVariant(), QVariant(), QVariant(), QVariant()},
                                                  {4, "Zulauf", "A.gif", QVariant(), 5}, {5, "Extra", QVariant(), 6, QVariant()}}));
        const qsizetype n = Export::Schreiben(Datei("t.kvs"), Datei("t.csv"), {static_cast<AlarmdefsDurchlauf::Teil>(teil), form});
        QCOMPARE(n, idents.size());
        const CsvDatei::Inhalt inhalt = CsvDatei::DateiLesen(Datei("t.csv"));
        QCOMPARE(inhalt.kodierung, CsvDatei::Kodierung::Utf8MitMarke);
        QCOMPARE(inhalt.saetze.first().felder, Export::Spalten());
        QList<int> gelesen;
        for (qsizetype i = 1; i < inhalt.saetze.size(); ++i)
            gelesen << inhalt.saetze[i].felder.first().toInt();
        QCOMPARE(gelesen, idents);
    }

    void xlsxHoldsNumbersAsNumbersAndNullAsNoCell() {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed");
        QVERIFY(DatenbankAnlegen(Datei("x.kvs"), {{7, "Zulauf", "Standard\\PfeilRot.gif", 12, 34},
                                                  {8, QVariant(), QVariant(), QVariant(), QVariant()}}));
        const Lauf l = Starten({"--export", Datei("x.kvs"), Datei("pfeile.XLSX")});
        QCOMPARE(l.code, 0);
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {"-p", Datei("pfeile.XLSX"), "xl/worksheets/sheet1.xml"});
        QVERIFY(unzip.waitForFinished(30000));
        const QString blatt = QString::fromUtf8(unzip.readAllStandardOutput());
        QVERIFY2(blatt.contains(QStringLiteral("<c r=\"A2\"><v>7</v></c>")), qPrintable(blatt.left(2000)));
        QVERIFY(blatt.contains(QStringLiteral("<c r=\"D2\"><v>12</v></c>")));
        QVERIFY(blatt.contains(QStringLiteral("Standard\\PfeilRot.gif")));
        QVERIFY(blatt.contains(QStringLiteral("Pumpe P8 Störung")));
        // row 3: the number and the text, nothing between
        QVERIFY(blatt.contains(QStringLiteral("<c r=\"A3\"><v>8</v></c><c r=\"F3\"")));
        // an unknown extension writes nothing
        const Lauf falsch = Starten({"--export", Datei("x.kvs"), Datei("pfeile.ods")});
        QCOMPARE(falsch.code, 2);
        QVERIFY(!QFileInfo::exists(Datei("pfeile.ods")));
    }

    void importPlanSaysWhatAndWhy_data() {
        QTest::addColumn<QByteArray>("zeile");    // one line below the header Ident;Form;Symbol;X;Y;Alarmtext
        QTest::addColumn<QString>("abgelehnt");   // part of the reason; empty when taken
        QTest::addColumn<QString>("warnung");
        QTest::addColumn<QList<int>>("spalten");  // the columns the write changes
        QTest::newRow("unchanged") << QByteArray("1;Zulauf;Standard\\PfeilRot.gif;10;20;egal") << "" << "" << QList<int>{};
        QTest::newRow("moved") << QByteArray("1;Zulauf;Standard\\PfeilRot.gif;11;20;") << "" << "" << QList<int>{13};
        QTest::newRow("empty means NULL") << QByteArray("1;;;;;") << "" << "" << QList<int>{11, 12, 13, 14};
        QTest::newRow("unknown alarm") << QByteArray("99;Zulauf;;1;1;") << "kein Alarm mit dieser Nummer" << "" << QList<int>{};
        QTest::newRow("number not a number") << QByteArray("1a;Zulauf;;1;1;") << "\"1a\" ist keine Alarmnummer" << ""
                                             << QList<int>{};
        QTest::newRow("no number") << QByteArray(";Zulauf;;1;1;") << "keine Alarmnummer" << "" << QList<int>{};
        QTest::newRow("position not whole") << QByteArray("1;Zulauf;;1,5;1;") << "nur ganze Zahlen" << "" << QList<int>{};
        QTest::newRow("number twice in the table") << QByteArray("3;Zulauf;;1;1;") << "2 Zeilen der Tabelle" << ""
                                                   << QList<int>{};
        QTest::newRow("number twice in the file") << QByteArray("1;Zulauf;;1;1;\r\n1;Zulauf;;2;2;")
                                                  << "steht mehrmals in der Datei (Zeilen 2, 3)" << "" << QList<int>{};
        QTest::newRow("fields missing") << QByteArray("1;Zulauf;x.gif") << "3 Felder, die Kopfzeile hat 6" << ""
                                        << QList<int>{};
        QTest::newRow("picture not listed") << QByteArray("1;Neu;Standard\\PfeilRot.gif;10;20;") << ""
                                            << "Bild Neu steht nicht in der Bilderliste" << QList<int>{11};
        QTest::newRow("symbol not listed") << QByteArray("1;Zulauf;Standard\\Stern.gif;10;20;") << ""
                                           << "Symbol Stern.gif steht nicht in der Symbolliste" << QList<int>{12};
    }
    void importPlanSaysWhatAndWhy() {
        QFETCH(QByteArray, zeile);
        QFETCH(QString, abgelehnt);
        QFETCH(QString, warnung);
        QFETCH(QList<int>, spalten);
        QVERIFY(DatenbankAnlegen(Datei("i.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 10, 20},
                                                  {3, "Zulauf", QVariant(), 1, 1}, {3, "Zulauf", QVariant(), 2, 2}}));
        const QList<QVariantList> vorher = Tabelle(Datei("i.kvs"));
        Schreiben(QStringLiteral("i.csv"), "Ident;Form;Symbol;X;Y;Alarmtext\r\n" + zeile + "\r\n");
        const ImportPlan plan = ImportPlan::Erstellen(Datei("i.kvs"), Datei("i.csv"), m_rahmen);
        QCOMPARE(Tabelle(Datei("i.kvs")), vorher);  // a plan writes nothing
        QStringList gruende, warnungen;
        for (const auto& m : plan.Abgelehnt())
            gruende << m.Text();
        for (const auto& m : plan.Warnungen())
            warnungen << m.Text();
        QVERIFY2(abgelehnt.isEmpty() ? gruende.isEmpty() : gruende.join('\n').contains(abgelehnt), qPrintable(gruende.join('\n')));
        QVERIFY2(warnung.isEmpty() ? warnungen.isEmpty() : warnungen.join('\n').contains(warnung), qPrintable(warnungen.join('\n')));
        QCOMPARE(plan.Auftraege().isEmpty(), spalten.isEmpty());
        if (!spalten.isEmpty()) {
            QCOMPARE(plan.Auftraege().first().spalten, spalten);
            QVERIFY(plan.Zusammenfassung().contains(QStringLiteral("1 Alarm wird geändert")));
            QVERIFY(plan.Anwenden().geschrieben);
            const QVariantList z = Tabelle(Datei("i.kvs")).first();
            for (int s : spalten)
                QCOMPARE(z.at(s).isNull(), plan.Auftraege().first().werte.at(spalten.indexOf(s)).isNull());
        }
    }

    void importReadsEveryFormOfTheFile_data() {
        QTest::addColumn<QByteArray>("datei");
        QTest::newRow("Excel, German settings")
            << QByteArray("\xEF\xBB\xBFIdent;Form;Symbol;X;Y;Alarmtext\r\n1;Zulauf S\xC3\xBC" "d;PfeilBlau.gif;5;6;\"Text; mit \"\"Zeichen\"\"\r\nund Umbruch\"\r\n");
        QTest::newRow("Windows-1252, commas") << QByteArray("Ident,Form,Symbol,X,Y\r\n1,Zulauf S\xFC" "d,PfeilBlau.gif,5,6\r\n");
        QTest::newRow("header in another order and case, LF")
            << QByteArray("y;SYMBOL;x;ident;form\n6;PfeilBlau.gif;5;1;\"Zulauf S\xC3\xBC" "d\"\n");
        QTest::newRow("last line without end, blank lines") << QByteArray("Ident;Form;Symbol;X;Y\r\n\r\n1;Zulauf S\xC3\xBC" "d;PfeilBlau.gif;5;6");
    }
    void importReadsEveryFormOfTheFile() {
        QFETCH(QByteArray, datei);
        QVERIFY(DatenbankAnlegen(Datei("f.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 10, 20}, {2, "Zulauf", QVariant(), 1, 1}}));
        Schreiben(QStringLiteral("f.csv"), datei);
        const ImportPlan plan = ImportPlan::Erstellen(Datei("f.kvs"), Datei("f.csv"), {});
        QVERIFY2(plan.Abgelehnt().isEmpty(), qPrintable(plan.Zusammenfassung()));
        QCOMPARE(plan.Auftraege().size(), 1);
        QVERIFY(plan.Anwenden().geschrieben);
        const QList<QVariantList> t = Tabelle(Datei("f.kvs"));
        QCOMPARE(t.at(0).mid(10, 5), (QVariantList{"Pumpe P1 Störung", "Zulauf Süd", "PfeilBlau.gif", 5, 6}));
        QCOMPARE(t.at(1).at(11).toString(), QStringLiteral("Zulauf"));
        QVERIFY(t.at(1).at(12).isNull());
    }

    void importFileWithoutUsableHeaderIsRefused_data() {
        QTest::addColumn<QByteArray>("datei");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("no Ident") << QByteArray("Nummer;Form\r\n1;Zulauf\r\n");
        QTest::newRow("nothing to write") << QByteArray("Ident;Alarmtext\r\n1;x\r\n");
        QTest::newRow("a column twice") << QByteArray("Ident;X;x\r\n1;2;3\r\n");
        QTest::newRow("an open quote") << QByteArray("Ident;Form\r\n1;\"Zulauf\r\n");
    }
    void importFileWithoutUsableHeaderIsRefused() {
        QFETCH(QByteArray, datei);
        QVERIFY(DatenbankAnlegen(Datei("h.kvs"), {{1, "Zulauf", QVariant(), 1, 1}}));
        Schreiben(QStringLiteral("h.csv"), datei);
        QVERIFY_THROWS_EXCEPTION(DateiFehler, ImportPlan::Erstellen(Datei("h.kvs"), Datei("h.csv"), {}));
        const Lauf l = Starten({"--import", Datei("h.kvs"), Datei("h.csv"), "--ja"});
        QCOMPARE(l.code, 2);
        QVERIFY(l.fehler.startsWith(QStringLiteral("tavero: ")));
    }

    void importAsksAndWritesNothingOnNo_data() {
        QTest::addColumn<QByteArray>("antwort");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("geschrieben");
        QTest::newRow("no") << QByteArray("n\n") << 1 << false;
        QTest::newRow("end of input") << QByteArray() << 1 << false;
        QTest::newRow("something else") << QByteArray("vielleicht\n") << 1 << false;
        QTest::newRow("yes") << QByteArray("j\n") << 0 << true;
    }
    void importAsksAndWritesNothingOnNo() {
        QFETCH(QByteArray, antwort);
        QFETCH(int, code);
        QFETCH(bool, geschrieben);
        QVERIFY(DatenbankAnlegen(Datei("n.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 10, 20},
                                                  {2, "Zulauf", "Standard\\PfeilRot.gif", 30, 40}}));
        const QList<QVariantList> vorher = Tabelle(Datei("n.kvs"));
        Schreiben(QStringLiteral("n.csv"), "Ident;X;Y\r\n1;11;21\r\nzwei;1;1\r\n77;1;1\r\n2;3,5;1\r\n");
        const Lauf l = Starten({"--import", Datei("n.kvs"), Datei("n.csv"), "--ini", IniSchreiben()}, antwort);
        QCOMPARE(l.code, code);
        QVERIFY2(l.aus.contains(QStringLiteral("1 Alarm wird geändert (X 1, Y 1)")), qPrintable(l.aus));
        QVERIFY(l.aus.contains(QStringLiteral("3 abgelehnt")));
        QVERIFY(l.aus.contains(QStringLiteral("Zeile 3 (Alarm zwei): \"zwei\" ist keine Alarmnummer.")));
        QVERIFY(l.aus.contains(QStringLiteral("Zeile 4 (Alarm 77): kein Alarm mit dieser Nummer")));
        QVERIFY(l.aus.contains(QStringLiteral("Zeile 5 (Alarm 2): Die Spalte X nimmt nur ganze Zahlen auf")));
        QVERIFY(l.aus.contains(QStringLiteral("Änderungen schreiben? (j/n)")));
        QList<QVariantList> erwartet = vorher;
        if (geschrieben) {
            erwartet[0][13] = 11;
            erwartet[0][14] = 21;
        }
        QCOMPARE(Tabelle(Datei("n.kvs")), erwartet);
    }

    void importOfOnlyRefusedLinesEndsWithOne() {
        QVERIFY(DatenbankAnlegen(Datei("r.kvs"), {{1, "Zulauf", QVariant(), 1, 1}}));
        Schreiben(QStringLiteral("r.csv"), "Ident;X\r\n5;1\r\n");
        const Lauf l = Starten({"--import", Datei("r.kvs"), Datei("r.csv"), "--ja"});
        QCOMPARE(l.code, 1);
        QVERIFY(!l.aus.contains(QStringLiteral("(j/n)")));
    }

    void rowChangedMeanwhileStopsTheWholeImport() {
        QVERIFY(DatenbankAnlegen(Datei("m.kvs"), {{1, "Zulauf", "A.gif", 10, 20}, {2, "Zulauf", "A.gif", 30, 40},
                                                  {3, "Zulauf", "A.gif", 50, 60}}));
        Schreiben(QStringLiteral("m.csv"), "Ident;X;Y\r\n1;11;21\r\n2;31;41\r\n3;51;61\r\n");
        const ImportPlan plan = ImportPlan::Erstellen(Datei("m.kvs"), Datei("m.csv"), {});
        QCOMPARE(plan.Auftraege().size(), 3);
        // someone moves the third arrow between the plan and its writing
        QVERIFY(TestDb(Datei("m.kvs")).Ausfuehren(QStringLiteral("update Alarmdefs set X = 99 where Ident = 3")));
        const QList<QVariantList> vorher = Tabelle(Datei("m.kvs"));
        const Sammelergebnis e = plan.Anwenden();
        QVERIFY(!e.geschrieben);
        QCOMPARE(e.abgelehnt, 2);
        QVERIFY2(e.text.contains(QStringLiteral("Alarm 3 wurde inzwischen geändert")), qPrintable(e.text));
        QCOMPARE(Tabelle(Datei("m.kvs")), vorher);
    }
};

QTEST_MAIN(TstWerkzeuge)
#include "tst_werkzeuge.moc"
