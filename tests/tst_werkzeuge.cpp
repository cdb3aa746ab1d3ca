// The tools over the whole table on real SQLite files and real files: CSV
// reading and writing, the check report, export and import, and their
// command-line forms run as the real program.
#include <QtTest>

#include <QImage>
#include <QProcess>
#include <random>
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
#include "werkzeuge/BildtextSpeicher.h"
#include "werkzeuge/Kennzeichenregel.h"
#include "werkzeuge/Kopie.h"
#include "werkzeuge/Pruefbericht.h"
#include "werkzeuge/Suche.h"
#include "werkzeuge/Vorschlaege.h"
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
Lauf Starten(QStringList argumente, const QByteArray& eingabe = {}) {
    // An import without --ini gets an empty Tavero.ini: the one beside the
    // program (make demo writes it) names other folders and plays no part here.
    if (argumente.value(0) == QLatin1String("--import") && !argumente.contains(QStringLiteral("--ini"))) {
        static QTemporaryDir leer;
        QFile ini(leer.filePath(QStringLiteral("Tavero.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.close();
        argumente << QStringLiteral("--ini") << ini.fileName();
    }
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

// The smallest whole GIF: one white pixel.
QByteArray EinGif() {
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01"
                      "\x00\x00\x02\x02\x44\x01\x00\x3b",
                      35);
}

// Another program's way of making a file: the bytes the command writes to standard output.
QByteArray Werkzeug(const QString& programm, const QStringList& argumente, const QByteArray& eingabe = {}) {
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForStarted(10000))
        return {};
    p.write(eingabe);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}
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
        Schreiben(QStringLiteral("Symbole/PfeilRot.gif"), EinGif());
        Schreiben(QStringLiteral("Symbole/PfeilBlau.gif"), EinGif());
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
    // The text search on a table the sqlite3 program made (its own column
    // order, numbers as text): rows of ASCII alone and rows with umlauts are
    // found alike, in either spelling and case.
    void findTreatsAsciiAndUmlautRowsAlike() {
        const QString db = Datei(QStringLiteral("suche.db"));
        Werkzeug(QStringLiteral("sqlite3"), {db},
                 QStringLiteral("create table Alarmdefs (Alarmtext text, VarName text, Ident text primary key, Form text);"
                                "insert into Alarmdefs values ('Kuehlwasser Pumpe 3', 'P3', '11', 'A'),"
                                "('KUEHLWASSER', 'p4', '12', 'A'), ('Kühlwasser Überlauf', 'X', '13', 'A'),"
                                "('Feuer Halle Q9', 'kuhl_merker', '14', 'A'), ('Ofen', 'BRAND_q7xz9', '15', 'A'),"
                                "('Kuhle', 'KÜHL', '16', 'A');")
                     .toUtf8());
        QCOMPARE(Suche::Finden(db, QStringLiteral("kühlwasser")), (QList<qlonglong>{11, 12, 13}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("KUEHLWASSER")), (QList<qlonglong>{11, 12, 13}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("kuhl")), (QList<qlonglong>{11, 12, 13, 14, 16}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("Q7XZ9")), (QList<qlonglong>{15}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("er halle q")), (QList<qlonglong>{14}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("überlauf")), (QList<qlonglong>{13}));
        QCOMPARE(Suche::Finden(db, QStringLiteral("€")), QList<qlonglong>());
        // Texts of random letters, umlauts, accents, ß, Æ and signs beyond
        // U+00FF: each row is found exactly where the search's own comparison finds it.
        const QString zeichen = QStringLiteral("aeouAEOUsSzZ9 äöüÄÖÜßẞéÈçÆæøµ–€ÿ");
        std::mt19937 zufall(7);
        QStringList texte, werte;
        for (int i = 0; i < 400; ++i) {
            QString t;
            for (int j = static_cast<int>(zufall() % 12); j >= 0; --j)
                t += zeichen.at(static_cast<qsizetype>(zufall() % static_cast<unsigned>(zeichen.size())));
            texte << t;
            werte << QStringLiteral("('%1', '', '%2', 'A')").arg(t).arg(100 + i);
        }
        Werkzeug(QStringLiteral("sqlite3"), {db}, QStringLiteral("delete from Alarmdefs; insert into Alarmdefs values %1;")
                                                      .arg(werte.join(QLatin1Char(',')))
                                                      .toUtf8());
        for (const QString& nadel : {QStringLiteral("ue"), QStringLiteral("ä"), QStringLiteral("ss"), QStringLiteral("ae"),
                                     QStringLiteral("u"), QStringLiteral("e"), QStringLiteral("oe a"), QStringLiteral("µ"),
                                     QStringLiteral("c"), QStringLiteral("ø"), QStringLiteral("–"), QStringLiteral("zü"),
                                     QStringLiteral("Ue")}) {
            const QString n1 = Suche::Falten(nadel), n2 = Suche::OhneUmschreibung(n1);
            QList<qlonglong> soll;
            for (int i = 0; i < texte.size(); ++i)
                if (Suche::Enthaelt(texte.at(i), n1, n2))
                    soll << 100 + i;
            QCOMPARE(Suche::Finden(db, nadel), soll);
        }
    }

    // Long rows in both searched columns, ASCII around the capitals' edges
    // ('@', '[', '`', '{') beside umlauts and signs beyond U+00FF: found
    // exactly where the search's own comparison finds them.
    void findFoldsLongRowsAsTheComparisonDoes() {
        const QString db = Datei(QStringLiteral("lang.db"));
        const QList<uint> zeichen = QStringLiteral("@AZ[`az{eEuUoO äÄßé€\U0001F600").toUcs4();
        std::mt19937 zufall(11);
        QList<QStringList> zeilen;
        QStringList werte;
        for (int i = 0; i < 300; ++i) {
            QStringList z;
            for (int spalte = 0; spalte < 2; ++spalte) {
                QString t;
                // The last two signs in every fourth row only: the others are read as bytes.
                const auto vorrat = static_cast<unsigned>(zeichen.size() - (i % 4 ? 2 : 0));
                for (int j = static_cast<int>(zufall() % 60); j >= 0; --j)
                    t += QString::fromUcs4(reinterpret_cast<const char32_t*>(&zeichen.at(zufall() % vorrat)), 1);
                z << t;
            }
            zeilen << z;
            werte << QStringLiteral("(%1, '%2', '%3')").arg(i).arg(z.at(0), z.at(1));
        }
        Werkzeug(QStringLiteral("sqlite3"), {db},
                 QStringLiteral("create table Alarmdefs (Ident integer primary key, VarName text, Alarmtext text);"
                                "insert into Alarmdefs values %1;")
                     .arg(werte.join(QLatin1Char(',')))
                     .toUtf8());
        for (const QString& nadel : {QStringLiteral("ue"), QStringLiteral("z{"), QStringLiteral("@a"), QStringLiteral("[`"),
                                     QStringLiteral("aze"), QStringLiteral("Uo"), QStringLiteral("ss"), QStringLiteral("a€"),
                                     QStringLiteral("\U0001F600e")}) {
            const QString n1 = Suche::Falten(nadel), n2 = Suche::OhneUmschreibung(n1);
            QList<qlonglong> soll;
            for (int i = 0; i < zeilen.size(); ++i)
                if (Suche::Enthaelt(zeilen.at(i).at(0), n1, n2) || Suche::Enthaelt(zeilen.at(i).at(1), n1, n2))
                    soll << i;
            QVERIFY(!soll.isEmpty());
            QCOMPARE(Suche::Finden(db, nadel), soll);
        }
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
                            {13, "Zulauf", rot, 24, 44}, {14, "Zulauf", rot, 20, 40},  // found from the later cell
                            {15, "Zulauf", rot, 54, 25}, {16, "Zulauf", rot, 55, 24}}  // in diagonal neighbour cells
            << int(A::Gestapelt) << QStringList{"1,2", "5,6,7", "8,9", "11,12", "13,14", "15,16"};
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
                                     {4, "Zwei \"Zeilen\"", "Alt\\Standard\\P,1.gif", 99999, 5},
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
        QVERIFY2(ein.code == 0, qPrintable(ein.aus + ein.fehler));
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

    void xlsxExportWritesThroughAFreshTemporaryFile() {
        QVERIFY(DatenbankAnlegen(Datei("x.kvs"), {{7, "Zulauf", "Standard\\PfeilRot.gif", 12, 34}}));
        // a link planted under the name a temporary file had before is not written through
        Schreiben(QStringLiteral("opfer.txt"), "bleibt");
        QVERIFY(QFile::link(Datei("opfer.txt"), Datei(".pfeile.xlsx.neu")));
        // two exports to one target at once: both end well, one whole workbook stays
        QProcess a, b;
        for (QProcess* p : {&a, &b})
            p->start(Programm(), {"--export", Datei("x.kvs"), Datei("pfeile.xlsx")});
        for (QProcess* p : {&a, &b}) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        QCOMPARE(Werkzeug(QStringLiteral("cat"), {Datei("opfer.txt")}), QByteArray("bleibt"));
        QFile f(Datei("pfeile.xlsx"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(2) == "PK");
        QCOMPARE(QDir(m_dir->path()).entryList({"*.neu"}, QDir::Files | QDir::Hidden | QDir::System), QStringList{".pfeile.xlsx.neu"});
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
        QTest::newRow("picture not listed") << QByteArray("1;Extra;Standard\\PfeilRot.gif;10;20;") << ""
                                            << "Bild Extra steht nicht in der Bilderliste" << QList<int>{11};
        // a spreadsheet makes "7" of "007": a picture without bitmap would take the arrow off its picture
        QTest::newRow("picture without bitmap") << QByteArray("1;7;Standard\\PfeilRot.gif;10;20;")
                                                << "\\7\\7.bmp gibt es nicht" << ""
                                                << QList<int>{};
        QTest::newRow("picture of another case") << QByteArray("1;gross;Standard\\PfeilRot.gif;10;20;")
                                                 << "gross.bmp gibt es nicht" << "" << QList<int>{};
        QTest::newRow("one surplus field") << QByteArray("1;Zulauf;Standard\\PfeilRot.gif;11;20;;x")
                                           << "mehr Felder als die Kopfzeile" << "" << QList<int>{};
        QTest::newRow("decimal position as the table holds it") << QByteArray("4;Zulauf;;120,5;7;") << "" << ""
                                                                 << QList<int>{};
        QTest::newRow("decimal position with a point") << QByteArray("4;Zulauf;;120.5;7.0;") << "" << ""
                                                        << QList<int>{};
        QTest::newRow("decimal text position as the table holds it") << QByteArray("5;Zulauf;;3;\"=\"\"12,25\"\"\";")
                                                                      << "" << "" << QList<int>{};
        QTest::newRow("whole number given with a decimal zero") << QByteArray("1;Zulauf;Standard\\PfeilRot.gif;11,0;20;")
                                                                 << "" << "" << QList<int>{13};
        QTest::newRow("texts the export protected") << QByteArray("1;\"=\"\"Zulauf\"\"\";Standard\\PfeilRot.gif;\"=\"\"10\"\"\";20;")
                                                    << "" << "" << QList<int>{};
        QTest::newRow("symbol not listed") << QByteArray("1;Zulauf;Standard\\Stern.gif;10;20;") << ""
                                           << "Symbol Stern.gif steht nicht in der Symbolliste" << QList<int>{12};
    }
    void importPlanSaysWhatAndWhy() {
        QFETCH(QByteArray, zeile);
        QFETCH(QString, abgelehnt);
        QFETCH(QString, warnung);
        QFETCH(QList<int>, spalten);
        QVERIFY(DatenbankAnlegen(Datei("i.kvs"), {{1, "Zulauf", "Standard\\PfeilRot.gif", 10, 20},
                                                  {3, "Zulauf", QVariant(), 1, 1}, {3, "Zulauf", QVariant(), 2, 2},
                                                  {4, "Zulauf", QVariant(), 120.5, 7}, {5, "Zulauf", QVariant(), 3, "12,25"}}));
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
        // written, yet lines were refused: 1, as with --ja
        QTest::newRow("yes") << QByteArray("j\n") << 1 << true;
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

    // ---- what a spreadsheet would change ----

    void csvWritesWhatASpreadsheetWouldChangeAsText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("geschuetzt");
        QTest::newRow("formula") << "=HYPERLINK(\"http://x\";\"y\")" << true;
        QTest::newRow("plus and pipe") << "+cmd|' /C calc'!A0" << true;
        QTest::newRow("at") << "@SUM(A1:A9)" << true;
        QTest::newRow("sum that is text") << "-2+3" << true;
        QTest::newRow("tab first") << "\tx" << true;
        QTest::newRow("would be a date") << "1-2" << true;
        QTest::newRow("would be a date with a point") << "1.2" << true;
        QTest::newRow("would lose its zeros") << "007" << true;
        QTest::newRow("would be a large number") << "1e5" << true;
        QTest::newRow("would be a time") << "12:30" << true;
        QTest::newRow("would be a truth value") << "WAHR" << true;
        QTest::newRow("long formula") << "=" + QString(300, 'x') + "\"" << true;
        QTest::newRow("whole number") << "120" << false;
        QTest::newRow("decimal comma") << "120,5" << false;
        QTest::newRow("name") << "Zulauf" << false;
        QTest::newRow("symbol") << "Standard\\Pfeil 1-2.gif" << false;
        QTest::newRow("empty") << "" << false;
    }
    void csvWritesWhatASpreadsheetWouldChangeAsText() {
        QFETCH(QString, text);
        QFETCH(bool, geschuetzt);
        QByteArray zeile;
        CsvDatei::ZeileAnhaengen(zeile, {text, QStringLiteral("x")});
        QCOMPARE(zeile.startsWith("\"=\"\"") || zeile.startsWith("=\""), geschuetzt);
        const CsvDatei::Inhalt inhalt = CsvDatei::Lesen("a;b\r\n" + zeile, QStringLiteral("t.csv"));
        QCOMPARE(inhalt.saetze.size(), 2);
        QCOMPARE(CsvDatei::Klartext(inhalt.saetze.at(1).felder.at(0)), text);
        QCOMPARE(CsvDatei::Klartext(CsvDatei::Feld(text)) == text || CsvDatei::Feld(text).startsWith('"'), true);
    }

    void checkReportAndProposalsWriteFormulasAsText() {
        QVERIFY(DatenbankAnlegen(Datei("c.kvs"), {{1, "=HYPERLINK(\"x\")", "@SUM(A1)", QVariant(), QVariant()}}));
        const QByteArray bericht = Pruefbericht::Erstellen(Datei("c.kvs"), m_rahmen).Csv();
        QVERIFY2(bericht.contains(";\"=\"\"=HYPERLINK(\"\"\"\"x\"\"\"\")\"\"\";\"=\"\"@SUM(A1)\"\"\";"), bericht.constData());
        Vorschlag v;
        v.ident = QStringLiteral("1");
        v.form = QStringLiteral("-2+3");
        v.kennzeichen = QStringLiteral("+cmd|x");
        v.art = Vorschlag::Art::Mehrdeutig;
        v.stellen = {QPoint(1, 2), QPoint(3, 4)};
        const QString csv = Vorschlaege::Csv({v});
        QVERIFY2(csv.contains(QStringLiteral("1;\"=\"\"-2+3\"\"\";\"=\"\"+cmd|x\"\"\";;;")), qPrintable(csv));
        QVERIFY2(csv.contains(QStringLiteral("\"=\"\"1/2 3/4\"\"\"")), qPrintable(csv));
    }

    void exportedFormulasAreTextForAnotherReaderAndReadBackExactly() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        const QList<Pfeil> pfeile = {{1, "=HYPERLINK(\"http://x\")", "@SUM(A1)", 10, 20},
                                     {2, "1-2", "+cmd|' /C calc'!A0", 0, 1},
                                     {3, "007", "-2+3", 120.5, "12,25"},
                                     {4, "Zulauf", "Standard\\PfeilRot.gif", 5, 5}};
        QVERIFY(DatenbankAnlegen(Datei("f.kvs"), pfeile));
        const Lauf aus = Starten({"--export", Datei("f.kvs"), Datei("f.csv")});
        QCOMPARE(aus.code, 0);
        // Python's own CSV reader, as another program reads the file: no field a
        // spreadsheet would evaluate stands as it is
        const QByteArray felder = Werkzeug(python, {"-c", "import csv,sys\n"
                                                         "for r in csv.reader(open(sys.argv[1], encoding='utf-8-sig'), delimiter=';'):\n"
                                                         "    print('|'.join(r))",
                                                   Datei("f.csv")});
        const QStringList zeilen = QString::fromUtf8(felder).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(zeilen.size(), 5);
        for (const QString& z : zeilen)
            for (const QString& f : z.split('|'))
                QVERIFY2(!QStringLiteral("+-@").contains(f.left(1)) && (!f.startsWith('=') || f.startsWith("=\"")), qPrintable(f));
        QVERIFY2(zeilen.at(3).startsWith(QStringLiteral("3|=\"007\"|=\"-2+3\"|120,5|12,25|")), qPrintable(zeilen.at(3)));
        // read back into the same table: nothing to change
        const Lauf ein = Starten({"--import", Datei("f.kvs"), Datei("f.csv"), "--ja"});
        QCOMPARE(ein.code, 0);
        QVERIFY2(ein.aus.contains(QStringLiteral("nichts zu ändern, 4 unverändert, 0 abgelehnt")), qPrintable(ein.aus));
    }

    // ---- the encoding of a file ----

    void linesWhoseTextHangsOnTheEncodingAreRefused_data() {
        QTest::addColumn<QByteArray>("datei");
        QTest::addColumn<QList<int>>("abgelehnt");  // the refused lines
        QTest::addColumn<int>("zweifel");
        // a file of Windows-1252 with one line saved as UTF-8: that line would read "ÃœberlÃ¤ufe"
        QTest::newRow("UTF-8 line in a Windows-1252 file")
            << QByteArray("Ident;Form;Symbol;X;Y;Alarmtext\r\n1;Zulauf;;1;1;St\xF6rung\r\n2;Zulauf;;2;2;\r\n"
                          "3;\xC3\x9c" "berl\xC3\xA4ufe;;3;3;\r\n")
            << QList<int>{4} << 1;
        QTest::newRow("only the text of the alarm hangs on it")
            << QByteArray("Ident;Form;X;Alarmtext\r\n1;Zulauf;5;St\xF6rung\r\n2;Zulauf;6;\xC3\x9c" "berlauf\r\n")
            << QList<int>{} << 0;
        QTest::newRow("a bad byte after a byte-order mark")
            << QByteArray("\xEF\xBB\xBFIdent;Form;Symbol\r\n1;Zulauf;Pfeil\xFF.gif\r\n2;Zulauf;PfeilRot.gif\r\n")
            << QList<int>{2} << 1;
        QTest::newRow("U+FFFD written as such")
            << QByteArray("Ident;Form\n1;Zu\xEF\xBF\xBDlauf\n") << QList<int>{2} << 1;
    }
    void linesWhoseTextHangsOnTheEncodingAreRefused() {
        QFETCH(QByteArray, datei);
        QFETCH(QList<int>, abgelehnt);
        QFETCH(int, zweifel);
        QVERIFY(DatenbankAnlegen(Datei("k.kvs"), {{1, "Alt", QVariant(), 0, 0}, {2, "Alt", QVariant(), 0, 0}, {3, "Alt", QVariant(), 0, 0}}));
        Schreiben(QStringLiteral("k.csv"), datei);
        const ImportPlan plan = ImportPlan::Erstellen(Datei("k.kvs"), Datei("k.csv"), {});
        QList<int> zeilen;
        for (const auto& m : plan.Abgelehnt()) {
            zeilen << m.zeile;
            QVERIFY2(m.text.contains(QStringLiteral("Kodierung")) || m.text.contains(QStringLiteral("kein UTF-8")), qPrintable(m.text));
        }
        QCOMPARE(zeilen, abgelehnt);
        QCOMPARE(plan.KodierungZweifelhaft(), zweifel);
        // unasked, nothing of such a file is written; the other lines wait for a "j"
        const QList<QVariantList> vorher = Tabelle(Datei("k.kvs"));
        const Lauf l = Starten({"--import", Datei("k.kvs"), Datei("k.csv"), "--ja"});
        QCOMPARE(l.code, zweifel ? 1 : 0);
        if (zweifel) {
            QCOMPARE(Tabelle(Datei("k.kvs")), vorher);
            if (plan.Auftraege().isEmpty())
                return;
            QVERIFY2(l.aus.contains(QStringLiteral("Nichts geschrieben.")), qPrintable(l.aus));
            const Lauf gefragt = Starten({"--import", Datei("k.kvs"), Datei("k.csv")}, "j\n");
            QCOMPARE(gefragt.code, 1);
            QVERIFY(Tabelle(Datei("k.kvs")) != vorher);
        }
    }

    void fileMadeByIconvIsReadOrRefusedByItsLines() {
        // files encoded by iconv, not by this program: Windows-1252 throughout, then with one UTF-8 line
        if (QStandardPaths::findExecutable(QStringLiteral("iconv")).isEmpty())
            QSKIP("iconv is not installed");
        const QByteArray text = QStringLiteral("Ident;Form;Symbol;X;Y\r\n1;Übersicht;Pfeil grün.gif;1;2\r\n2;Kläranlage;;3;4\r\n").toUtf8();
        const QByteArray ansi = Werkzeug(QStringLiteral("iconv"), {"-f", "UTF-8", "-t", "WINDOWS-1252"}, text);
        QVERIFY(!ansi.isEmpty() && !ansi.contains("\xC3"));
        QVERIFY(DatenbankAnlegen(Datei("i.kvs"), {{1, "Alt", QVariant(), 0, 0}, {2, "Alt", QVariant(), 0, 0}}));
        Schreiben(QStringLiteral("i.csv"), ansi);
        const ImportPlan ganz = ImportPlan::Erstellen(Datei("i.kvs"), Datei("i.csv"), {});
        QVERIFY2(ganz.Abgelehnt().isEmpty(), qPrintable(ganz.Zusammenfassung()));
        QCOMPARE(ganz.Auftraege().at(0).werte.at(0).toString(), QStringLiteral("Übersicht"));
        QCOMPARE(ganz.Auftraege().at(0).werte.at(1).toString(), QStringLiteral("Pfeil grün.gif"));
        Schreiben(QStringLiteral("i.csv"), ansi + QStringLiteral("3;Übersicht;;5;6\r\n").toUtf8());
        const ImportPlan gemischt = ImportPlan::Erstellen(Datei("i.kvs"), Datei("i.csv"), {});
        QCOMPARE(gemischt.Abgelehnt().size(), 1);
        QCOMPARE(gemischt.Abgelehnt().first().zeile, 4);
        QCOMPARE(gemischt.Auftraege().size(), 2);
    }

    // ---- exit codes and options of the import ----

    void importWithSomeLinesRefusedEndsWithOne() {
        QVERIFY(DatenbankAnlegen(Datei("e.kvs"), {{1, "Zulauf", QVariant(), 1, 1}, {2, "Zulauf", QVariant(), 2, 2}}));
        Schreiben(QStringLiteral("e.csv"), "Ident;X\r\n1;10\r\n77;1\r\n");
        const Lauf l = Starten({"--import", Datei("e.kvs"), Datei("e.csv"), "--ja"});
        QCOMPARE(l.code, 1);
        QVERIFY2(l.aus.contains(QStringLiteral("1 Alarm geschrieben.")) && l.aus.contains(QStringLiteral("1 Zeile abgelehnt.")),
                 qPrintable(l.aus));
        QCOMPARE(Tabelle(Datei("e.kvs")).at(0).at(13).toInt(), 10);
    }

    void pictureWithoutBitmapIsTakenOnlyWhenAsked() {
        const QString ini = IniSchreiben();
        QVERIFY(DatenbankAnlegen(Datei("b.kvs"), {{1, "Zulauf", QVariant(), 1, 1}}));
        Schreiben(QStringLiteral("b.csv"), "Ident;Form\r\n1;7\r\n");
        const Lauf nein = Starten({"--import", Datei("b.kvs"), Datei("b.csv"), "--ja", "--ini", ini});
        QCOMPARE(nein.code, 1);
        QVERIFY2(nein.aus.contains(QStringLiteral("Zeile 2 (Alarm 1): Bild \"7\"")), qPrintable(nein.aus));
        QCOMPARE(Tabelle(Datei("b.kvs")).at(0).at(11).toString(), QStringLiteral("Zulauf"));
        const Lauf ja = Starten({"--import", Datei("b.kvs"), Datei("b.csv"), "--ja", "--fehlende-bilder", "--ini", ini});
        QCOMPARE(ja.code, 0);
        QVERIFY2(ja.aus.contains(QStringLiteral("Bild 7 hat keine Bitmap")), qPrintable(ja.aus));
        QCOMPARE(Tabelle(Datei("b.kvs")).at(0).at(11).toString(), QStringLiteral("7"));
    }

    // ---- the command line of the program ----

    void unknownOptionsAndMissingDisplayEndWithTwo_data() {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown option") << QStringList{"--nachsehen"} << "Unbekannte Angabe \"--nachsehen\"";
        QTest::newRow("unknown option behind a path") << QStringList{"a.kvs", "--schnell"} << "Aufruf: tavero";
        QTest::newRow("a database without display") << QStringList{"a.kvs"} << "Keine Anzeige";
        QTest::newRow("no argument without display") << QStringList{} << "xvfb-run";
    }
    void unknownOptionsAndMissingDisplayEndWithTwo() {
        QFETCH(QStringList, argumente);
        QFETCH(QString, text);
        const Lauf l = Starten(argumente);
        QCOMPARE(l.code, 2);
        QVERIFY2(l.fehler.contains(text), qPrintable(l.fehler));
    }

    // ---- the copy between databases ----

    void failedCopyToANewFileLeavesNothingBehind() {
        Schreiben(QStringLiteral("kaputt.kvs"), QByteArray("SQLite format 3\0", 16) + QByteArray(400, 'x'));
        QDir().mkpath(Datei("ziel"));
        const Kopie::Ergebnis e = Kopie::Kopieren(Datei("kaputt.kvs"), Datei("ziel/neu.kvs"), false);
        QVERIFY(!e.kopiert);
        QCOMPARE(QDir(Datei("ziel")).entryList(QDir::Files | QDir::Hidden), QStringList());
        // the retry finds no empty file in the way
        QVERIFY(DatenbankAnlegen(Datei("gut.kvs"), {{1, "Zulauf", QVariant(), 120.5, "12,25"}, {2, "Zulauf", "A.gif", 3, 4}}));
        const Kopie::Ergebnis wieder = Kopie::Kopieren(Datei("gut.kvs"), Datei("ziel/neu.kvs"), false);
        QVERIFY2(wieder.kopiert, qPrintable(wieder.text + wieder.detail));
        QCOMPARE(QDir(Datei("ziel")).entryList(QDir::Files | QDir::Hidden), QStringList{"neu.kvs"});
        // positions with a decimal part arrive exactly, as number and as text
        const QString unterschied = Unterschied(Tabelle(Datei("ziel/neu.kvs")), Tabelle(Datei("gut.kvs")));
        QVERIFY2(unterschied.isEmpty(), qPrintable(unterschied));
    }

    void killedCopyLeavesNoFileUnderTheTargetsName() {
        // a copy of many rows stopped hard halfway: the target's name stays free
        const QString kopie = QCoreApplication::applicationDirPath() + QStringLiteral("/tavero-kopie");
        {
            TestDb t(Datei("gross.kvs"));
            QVERIFY(t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (%1)").arg(QLatin1String(SPALTEN))));
            QVERIFY(t.Ausfuehren(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400000) "
                                                "INSERT INTO Alarmdefs SELECT i, 1, 0, 'V' || i, 3, '0', '100', 2, 7, 1000 + i, "
                                                "'Text ' || i, 'Zulauf', 'A.gif', i % 100, i % 50, 150, 0, 1 FROM n")));
        }
        QProcess p;
        p.start(kopie, {Datei("gross.kvs"), Datei("neu.kvs")});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_dir->path()).entryList({".neu.kvs.*"}, QDir::Files | QDir::Hidden).isEmpty() ||
                                     p.state() == QProcess::NotRunning,
                                 20000);
        p.kill();
        p.waitForFinished();
        if (p.exitStatus() == QProcess::NormalExit)
            QSKIP("the copy ended before it could be stopped");
        QVERIFY(!QFileInfo::exists(Datei("neu.kvs")));
        p.start(kopie, {Datei("gross.kvs"), Datei("neu.kvs")});
        QVERIFY(p.waitForFinished(600000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(TestDb(Datei("neu.kvs")).Tabelle().size(), 400000);
    }

    void copyWithoutReplaceRefusesATargetOfOneRow() {
        QVERIFY(DatenbankAnlegen(Datei("q.kvs"), {{1, "Zulauf", QVariant(), 1, 1}, {2, "Zulauf", QVariant(), 2, 2}}));
        QVERIFY(DatenbankAnlegen(Datei("z.kvs"), {{9, "Alt", QVariant(), 9, 9}}));
        const QList<QVariantList> vorher = Tabelle(Datei("z.kvs"));
        const Kopie::Ergebnis e = Kopie::Kopieren(Datei("q.kvs"), Datei("z.kvs"), false);
        QVERIFY(!e.kopiert);
        QVERIFY2(e.text.contains(QStringLiteral("enthält schon 1 Zeile;")), qPrintable(e.text));
        QCOMPARE(Tabelle(Datei("z.kvs")), vorher);
        QVERIFY(Kopie::Kopieren(Datei("q.kvs"), Datei("z.kvs"), true).kopiert);
        QCOMPARE(Tabelle(Datei("z.kvs")).size(), 2);
    }

    void copyToAServerKeepsPositionsOrNamesTheRows() {
        if (qEnvironmentVariableIsEmpty("PGHOST") || !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")) ||
            QStandardPaths::findExecutable(QStringLiteral("psql")).isEmpty())
            QSKIP("no throw-away PostgreSQL server (the test script starts one with pg_virtualenv)");
        const QString name = QStringLiteral("tavero_kopie_%1").arg(QCoreApplication::applicationPid());
        const QString uri = QStringLiteral("postgresql://%1@%2:%3/%4")
                                .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGHOST"),
                                     qEnvironmentVariable("PGPORT", "5432"), name);
        // the server is asked with psql, another client than the program's
        auto psql = [](const QString& db, const QString& sql) {
            return QString::fromUtf8(Werkzeug(QStringLiteral("psql"), {"-X", "-A", "-t", "-d", db, "-c", sql})).trimmed();
        };
        psql(qEnvironmentVariable("PGDATABASE", "postgres"), QStringLiteral("drop database if exists %1").arg(name));
        psql(qEnvironmentVariable("PGDATABASE", "postgres"), QStringLiteral("create database %1").arg(name));
        QVERIFY(DatenbankAnlegen(Datei("d.kvs"), {{1, "Zulauf", QVariant(), 120.5, 3}, {2, "Zulauf", QVariant(), 4, "12,25"},
                                                  {3, "Zulauf", QVariant(), 120.0, "7"}}));
        const Kopie::Ergebnis e = Kopie::Kopieren(Datei("d.kvs"), uri, false);
        QVERIFY(!e.kopiert);
        QVERIFY2(e.text.contains(QStringLiteral("2 Zeilen")) && e.text.contains(QStringLiteral("Alarme 1, 2")), qPrintable(e.text));
        QCOMPARE(psql(name, QStringLiteral("select count(*) from pg_tables where tablename = 'Alarmdefs'")), QStringLiteral("0"));
        // whole numbers, also as 120.0 or as the text "7", arrive as they are
        QVERIFY(TestDb(Datei("d.kvs")).Ausfuehren(QStringLiteral("delete from Alarmdefs where Ident < 3")));
        const Kopie::Ergebnis ganz = Kopie::Kopieren(Datei("d.kvs"), uri, false);
        QVERIFY2(ganz.kopiert, qPrintable(ganz.text + ganz.detail));
        QCOMPARE(psql(name, QStringLiteral("select \"X\" || '/' || \"Y\" from \"Alarmdefs\"")), QStringLiteral("120/7"));
        psql(qEnvironmentVariable("PGDATABASE", "postgres"), QStringLiteral("drop database if exists %1 with (force)").arg(name));
    }

    // ---- files that are there but are no pictures ----

    void reportNamesPicturesThatCannotBeRead() {
        const QString rot = QStringLiteral("Standard\\PfeilRot.gif");
        // a symbol cut short, one that is text, and a bitmap that lost its lower half
        QByteArray gif = EinGif();
        gif.chop(1);
        Schreiben(QStringLiteral("Symbole/Halb.gif"), gif);
        Schreiben(QStringLiteral("Symbole/Text.gif"), "GIF89a");
        QByteArray bmp;
        {
            QFile f(Datei("Bilder/Zulauf/Zulauf.bmp"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            bmp = f.readAll();
        }
        Schreiben(QStringLiteral("Bilder/Halb/Halb.bmp"), bmp.left(bmp.size() / 2));
        QStringList symbole{"Halb.gif", "Text.gif", "PfeilRot.gif"};
        // and symbols made by another program (Python's zlib and struct), whole and cut short
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!python.isEmpty()) {
            const int rc = QProcess::execute(python, {"-c", "import struct,zlib,sys\n"
                "d=sys.argv[1]\n"
                "def c(t,b): return struct.pack('>I',len(b))+t+b+struct.pack('>I',zlib.crc32(t+b))\n"
                "raw=b''.join(b'\\0'+b'\\xff\\0\\0'*16 for _ in range(16))\n"
                "png=b'\\x89PNG\\r\\n\\x1a\\n'+c(b'IHDR',struct.pack('>IIBBBBB',16,16,8,2,0,0,0))+c(b'IDAT',zlib.compress(raw))+c(b'IEND',b'')\n"
                "open(d+'/Fremd.png','wb').write(png)\n"
                "open(d+'/FremdHalb.png','wb').write(png[:-20])\n"
                "px=b'\\0\\0\\xff'*16*16\n"
                "open(d+'/Fremd.bmp','wb').write(b'BM'+struct.pack('<IHHI',54+len(px),0,0,54)+struct.pack('<IiiHHIIiiII',40,16,16,1,24,0,len(px),0,0,0,0)+px)\n",
                Datei("Symbole")});
            QCOMPARE(rc, 0);
            symbole << "Fremd.png" << "FremdHalb.png" << "Fremd.bmp";
        }
        QList<Pfeil> pfeile;
        for (int i = 0; i < symbole.size(); ++i)
            pfeile << Pfeil{i + 1, "Zulauf", "Standard\\" + symbole[i], 10 * i, 10};
        pfeile << Pfeil{50, "Halb", rot, 1, 1};
        QVERIFY(DatenbankAnlegen(Datei("u.kvs"), pfeile));
        const Pruefbericht b = Pruefbericht::Erstellen(Datei("u.kvs"), m_rahmen);
        QStringList symbolBefund;
        for (const auto& z : b.GruppeVon(Pruefbericht::Art::SymbolFehlt).zeilen)
            symbolBefund << z.ident + ": " + z.befund;
        QStringList erwartet{"1", "2"};
        if (!python.isEmpty())
            erwartet << "5";
        QStringList idents;
        for (const auto& z : b.GruppeVon(Pruefbericht::Art::SymbolFehlt).zeilen)
            idents << z.ident;
        QVERIFY2(idents == erwartet, qPrintable(symbolBefund.join('\n')));
        QVERIFY(symbolBefund.first().contains(QStringLiteral("ist kein lesbares Bild")));
        const auto& bilder = b.GruppeVon(Pruefbericht::Art::BildFehlt).zeilen;
        QCOMPARE(bilder.size(), 1);
        QVERIFY2(bilder.first().befund.contains(QStringLiteral("keine lesbare BMP-Datei")), qPrintable(bilder.first().befund));
    }

    // ---- the readings of the pictures ----

    void keptReadingFollowsTheContentNotTheTime() {
        const BildtextSpeicher speicher(Datei("speicher"));
        const QString bild = Datei("Bilder/Zulauf/Zulauf.bmp");
        QFile f(bild);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QDateTime zeit = f.fileTime(QFileDevice::FileModificationTime);
        const auto stempel = BildtextSpeicher::StempelVon(bild);
        QVERIFY(stempel);
        Bildwort w;
        w.text = QStringLiteral("P201");
        w.box = QRect(1, 2, 3, 4);
        QVERIFY(speicher.Ablegen(bild, *stempel, {w}));
        QCOMPARE(speicher.Holen(bild).value_or(QList<Bildwort>()).size(), 1);
        // another picture of the same size, the time kept as cp -p does
        QByteArray inhalt = f.readAll();
        inhalt[inhalt.size() - 1] = char(inhalt.back() ^ 0x55);
        QVERIFY(f.seek(0));
        QCOMPARE(f.write(inhalt), inhalt.size());
        f.close();
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(zeit, QFileDevice::FileModificationTime));
        f.close();
        QCOMPARE(QFileInfo(bild).lastModified(), zeit);
        QVERIFY(!speicher.Holen(bild));
        // the same bytes under another name are the same picture
        QVERIFY(QFile::copy(bild, Datei("kopie.bmp")));
        const auto neu = BildtextSpeicher::StempelVon(bild);
        QVERIFY(speicher.Ablegen(bild, *neu, {w, w}));
        QCOMPARE(speicher.Holen(Datei("kopie.bmp")).value_or(QList<Bildwort>()).size(), 2);
    }

    void patternWithOneGroupTakesTheGroup() {
        const Kennzeichenregel regel(QStringLiteral("^(P\\d+)_"));
        QVERIFY(regel.Gueltig());
        QCOMPARE(regel.Kennzeichen(QStringLiteral("P201_ST.3")), QStringLiteral("P201"));
    }
};

QTEST_MAIN(TstWerkzeuge)
#include "tst_werkzeuge.moc"
