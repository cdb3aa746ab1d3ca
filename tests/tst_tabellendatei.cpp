// The import's other file formats: XLSX as our export writes it, as another
// program writes it (openpyxl) and as hand-made XML zipped by the zip program;
// tab-separated text; UTF-16 as iconv writes it; a file of none of these.
#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include "helpers/TestDb.h"
#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/ImportPlan.h"
#include "werkzeuge/Tabellendatei.h"

namespace {
QStringList Felder(const CsvDatei::Inhalt& i, int satz) { return i.saetze.value(satz).felder; }

bool Schreiben(const QString& pfad, const QByteArray& d) {
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(d) == d.size();
}

int Laufen(const QString& programm, const QStringList& argumente, const QString& ordner = {}, const QByteArray& ein = {},
           QByteArray* aus = nullptr) {
    QProcess p;
    if (!ordner.isEmpty())
        p.setWorkingDirectory(ordner);
    p.start(programm, argumente);
    p.write(ein);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return -1;
    if (aus)
        *aus = p.readAllStandardOutput();
    return p.exitCode();
}
}  // namespace

class TstTabellendatei : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void xlsxOfOurExportReadsBackAsWritten() {
        const QString db = m_dir.filePath("export.kvs");
        {
            TestDb t(db);
            QVERIFY(t.Ausfuehren(QStringLiteral("CREATE TABLE Alarmdefs (%1)").arg(QLatin1String(TestDb::Spalten))));
            QVERIFY(t.Ausfuehren("insert into Alarmdefs values (5,1,0,'V',3,'0','100',2,7,1,'Öl; \"heiß\"','Kessel','Standard\\Pfeil.gif',120,80,1,0,1)"));
            QVERIFY(t.Ausfuehren("insert into Alarmdefs values (6,1,0,'V',3,'0','100',2,7,1,'Pumpe',NULL,NULL,NULL,NULL,1,0,1)"));
        }
        const QString xlsx = m_dir.filePath("export.xlsx");
        Export::Schreiben(db, xlsx);
        const CsvDatei::Inhalt i = Tabellendatei::DateiLesen(xlsx);
        QCOMPARE(Felder(i, 0).mid(0, 6), QStringList({"Ident", "Form", "Symbol", "X", "Y", "Alarmtext"}));
        QCOMPARE(Felder(i, 1).mid(0, 6), QStringList({"5", "Kessel", "Standard\\Pfeil.gif", "120", "80", "Öl; \"heiß\""}));
        QCOMPARE(Felder(i, 2).value(0), QStringLiteral("6"));
        QCOMPARE(Felder(i, 2).value(5), QStringLiteral("Pumpe"));
        // and the import plan takes it: nothing to change
        const ImportPlan plan = ImportPlan::Erstellen(db, xlsx, {});
        QVERIFY(plan.NichtsZuSchreiben());
        QCOMPARE(plan.Zeilen(), 2);
    }

    void xlsxOfOtherWriters() {
        // hand-made: shared strings with runs, an inline string, a gap, the sheet behind its relation
        const QString ordner = m_dir.filePath("hand");
        QVERIFY(QDir().mkpath(ordner + "/xl/_rels") && QDir().mkpath(ordner + "/xl/worksheets") && QDir().mkpath(ordner + "/_rels"));
        QVERIFY(Schreiben(ordner + "/[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"));
        QVERIFY(Schreiben(ordner + "/xl/workbook.xml",
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                          "<sheet name=\"Pfeile\" sheetId=\"7\" r:id=\"rId3\"/></sheets></workbook>"));
        QVERIFY(Schreiben(ordner + "/xl/_rels/workbook.xml.rels",
                          "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                          "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                          "Target=\"worksheets/blatt9.xml\"/></Relationships>"));
        QVERIFY(Schreiben(ordner + "/xl/sharedStrings.xml",
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          "<si><t>Ident</t></si><si><r><t>Fo</t></r><r><rPr><b/></rPr><t>rm</t></r></si><si><t xml:space=\"preserve\"> Dampf &amp; Öl </t></si></sst>"));
        QVERIFY(Schreiben(ordner + "/xl/worksheets/blatt9.xml",
                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                          "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"D1\" t=\"inlineStr\"><is><t>X</t></is></c></row>"
                          "<row r=\"3\"><c r=\"A3\"><v>42</v></c><c r=\"B3\" t=\"s\"><v>2</v></c><c r=\"D3\"><v>17</v></c></row>"
                          "</sheetData></worksheet>"));
        const QString hand = m_dir.filePath("hand.xlsx");
        QCOMPARE(Laufen("zip", {"-q", "-r", hand, "."}, ordner), 0);
        CsvDatei::Inhalt i = Tabellendatei::DateiLesen(hand);
        QCOMPARE(i.saetze.size(), 2);
        QCOMPARE(Felder(i, 0), QStringList({"Ident", "Form", "", "X"}));
        QCOMPARE(Felder(i, 1), QStringList({"42", " Dampf & Öl ", "", "17"}));
        QCOMPARE(i.saetze.at(1).zeile, 3);

        const QString python = QStandardPaths::findExecutable("python3", {"/usr/bin"});
        if (python.isEmpty() || Laufen(python, {"-c", "import openpyxl"}) != 0)
            QSKIP("openpyxl (Debian python3-openpyxl) is not installed");
        const QString fremd = m_dir.filePath("openpyxl.xlsx");
        QCOMPARE(Laufen(python, {"-c", QStringLiteral("import openpyxl\nw = openpyxl.Workbook()\ns = w.active\ns.title = 'Alarme'\n"
                                                      "s.append(['Ident', 'Form', 'Symbol', 'X', 'Y'])\ns.append([3, 'Kühler', None, 10, 20.5])\n"
                                                      "s.append([4, 'Kühler', 'Pfeil.gif', True, '=1+1'])\nw.save('%1')\n").arg(fremd)}),
                 0);
        i = Tabellendatei::DateiLesen(fremd);
        QCOMPARE(Felder(i, 0), QStringList({"Ident", "Form", "Symbol", "X", "Y"}));
        QCOMPARE(Felder(i, 1), QStringList({"3", "Kühler", "", "10", "20.5"}));
        QCOMPARE(Felder(i, 2).value(3), QStringLiteral("WAHR"));
    }

    void tabsAndUtf16() {
        const QByteArray text = "Ident\tForm\tX\r\n7\t\"Kessel\tNord\"\t12\r\n\r\n8\tKühler\t\r\n";
        CsvDatei::Inhalt i = Tabellendatei::Lesen(text, "t.txt");
        QCOMPARE(i.trenner, QChar('\t'));
        QCOMPARE(Felder(i, 1), QStringList({"7", "Kessel\tNord", "12"}));
        QCOMPARE(Felder(i, 2), QStringList({"8", "Kühler", ""}));
        QCOMPARE(i.saetze.at(2).zeile, 4);
        // UTF-16 as iconv writes it: with a byte-order mark, and little-endian without one
        for (const QString& ziel : {QStringLiteral("UTF-16"), QStringLiteral("UTF-16LE"), QStringLiteral("UTF-16BE")}) {
            QByteArray u;
            QCOMPARE(Laufen("iconv", {"-f", "UTF-8", "-t", ziel}, {}, text, &u), 0);
            i = Tabellendatei::Lesen(u, "u.txt");
            QCOMPARE(Felder(i, 0), QStringList({"Ident", "Form", "X"}));
            QCOMPARE(Felder(i, 2), QStringList({"8", "Kühler", ""}));
        }
        // UTF-16 with semicolons goes the CSV way
        QByteArray u;
        QCOMPARE(Laufen("iconv", {"-f", "UTF-8", "-t", "UTF-16"}, {}, "Ident;Form\r\n9;Öltank\r\n", &u), 0);
        QCOMPARE(Felder(Tabellendatei::Lesen(u, "s.csv"), 1), QStringList({"9", "Öltank"}));
        // a plain CSV still reads as before
        QCOMPARE(Felder(Tabellendatei::Lesen("Ident;Form\r\n1;A\r\n", "c.csv"), 1), QStringList({"1", "A"}));
    }

    void otherFilesNameTheFormatsRead() {
        QByteArray binaer("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        try {
            Tabellendatei::Lesen(binaer, "bild.png");
            QFAIL("read");
        } catch (const DateiFehler& f) {
            QVERIFY2(f.Text().contains("bild.png") && f.Text().contains("XLSX") && f.Text().contains("UTF-16"), qPrintable(f.Text()));
        }
        try {
            Tabellendatei::Lesen(QByteArray("PK\x03\x04kaputt", 10), "kaputt.xlsx");
            QFAIL("read");
        } catch (const DateiFehler& f) {
            QVERIFY2(f.Text().contains("kaputt.xlsx"), qPrintable(f.Text()));
        }
    }
};

QTEST_MAIN(TstTabellendatei)
#include "tst_tabellendatei.moc"
