// The project classes on real Wine-style registry files and real profile files.
#include <QtTest>

#include "helpers/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/MPfad.h"
#include "platform/MRegistrierung.h"
#include "platform/WinUmgebung.h"
#include "projects/CKVIProject.h"
#include "projects/CKorvant.h"
#include "projects/CRegProjects.h"

using namespace MRegistrierung;

namespace {
const char* KOPF_HKLM = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
const char* KOPF_HKCU = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n";
const char* INSTALLATION = "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n\"path\"=\"C:\\\\Korvant\"\n\n";

QByteArray Lesen(const QString& sDatei) {
    QFile f(sDatei);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void Schreiben(const QString& sDatei, const QByteArray& inhalt) {
    QDir().mkpath(QFileInfo(sDatei).absolutePath());
    QFile f(sDatei);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}
std::string Std(const QString& s) { return s.toStdString(); }
}  // namespace

class TstProjects : public QObject {
    Q_OBJECT
    QTemporaryDir* mDir = nullptr;
    QString mPrefix;

    QString Datei(const QString& s) const { return mDir->filePath(s); }
    void Hklm(const QByteArray& keys) { Schreiben(mPrefix + "/system.reg", KOPF_HKLM + keys); }
    void Hkcu(const QByteArray& keys) { Schreiben(mPrefix + "/user.reg", KOPF_HKCU + keys); }
    void KorvantIni(const QByteArray& inhalt) { Schreiben(mPrefix + "/drive_c/windows/Korvant.ini", inhalt); }
    // Folder in which the information files are searched, or empty when it lies outside the test.
    QString ProjektOrdnerHier() const { return TestPrefix::ProjektOrdnerIn(*mDir); }

private slots:
    void init() {
        mDir = new QTemporaryDir;
        QVERIFY(mDir->isValid());
        mPrefix = TestPrefix::Anlegen(*mDir);
    }
    void cleanup() {
        TestPrefix::Aufraeumen();
        delete mDir;
        mDir = nullptr;
    }

    void informationFileReadsAndWritesItsKeys() {
        Schreiben(Datei("d/Anlage1/Anlage1.kvi"), "[properties]\r\ncomment=Linie 2\r\n[Config]\r\nPath=D:\\Anlage1\r\n");
        CKVIProject kvi;
        kvi.Init("D:\\Anlage1\\Anlage1.kvi");
        QCOMPARE(kvi.Comment(), std::string("Linie 2"));
        QCOMPARE(kvi.Path(), std::string("D:\\Anlage1"));
        QCOMPARE(kvi.Customer(), std::string());

        kvi.Developer("Müller");
        QVERIFY(Lesen(Datei("d/Anlage1/Anlage1.kvi")).contains("Developer=M\xfcller"));
        QCOMPARE(kvi.Developer(), std::string("Müller"));

        kvi.RuntimeSystem(2);
        const QByteArray inhalt = Lesen(Datei("d/Anlage1/Anlage1.kvi"));
        QVERIFY(inhalt.contains("[design]"));
        QVERIFY(inhalt.contains("RuntimeSystem=2"));
        QCOMPARE(kvi.RuntimeSystem(), std::int16_t(2));
        kvi.Formdesigner(-1);
        QVERIFY(Lesen(Datei("d/Anlage1/Anlage1.kvi")).contains("FormDesigner=-1"));
        QCOMPARE(kvi.Formdesigner(), std::int16_t(-1));
        QCOMPARE(kvi.Comment(), std::string("Linie 2"));   // other entries untouched

        // nothing cached: a change of the file behind the object's back is seen
        Schreiben(Datei("d/Anlage1/Anlage1.kvi"), "[PROPERTIES]\r\nCOMMENT=neu\r\n");
        QCOMPARE(kvi.Comment(), std::string("neu"));
        QCOMPARE(kvi.RuntimeSystem(), std::int16_t(0));

        // a project whose folder was deleted does not come back through a setter
        CKVIProject fehlt;
        fehlt.Init("D:\\gibtsnicht\\x.kvi");
        QCOMPARE(fehlt.Comment(), std::string());
        QCOMPARE(fehlt.Formdesigner(), std::int16_t(0));
        fehlt.Comment("neu");
        QVERIFY(!QFile::exists(Datei("d/gibtsnicht")));
    }

    void leadingNumberRule_data() {
        QTest::addColumn<QString>("wert");
        QTest::addColumn<int>("zahl");
        QTest::newRow("7abc") << "7abc" << 7;
        QTest::newRow("leer") << "" << 0;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("blanks") << "   12 3" << 12;
        QTest::newRow("negativ") << "-4" << -4;
        QTest::newRow("halb gerade") << "2.5" << 2;
        QTest::newRow("halb ungerade") << "3.5" << 4;
        QTest::newRow("ende") << "32767" << 32767;
        QTest::newRow("zu gross") << "70000" << 32767;
        QTest::newRow("zu klein") << "-99999" << -32768;
    }
    void leadingNumberRule() {
        QFETCH(QString, wert);
        QFETCH(int, zahl);
        Schreiben(Datei("p.kvi"), "[design]\r\nFormDesigner=" + wert.toUtf8() + "\r\nRuntimeSystem=" + wert.toUtf8() + "\r\n");
        CKVIProject kvi;
        kvi.Init(Std(Datei("p.kvi")));
        QCOMPARE(int(kvi.Formdesigner()), zahl);
        QCOMPARE(int(kvi.RuntimeSystem()), zahl);
    }

    void registeredProjectsAreReadWithTheirMarker() {
        Hklm(QByteArray(INSTALLATION) +
             "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\A] 1700000000\n\"Path\"=\"C:\\\\Proj\"\n\n"
             "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\Anlage1] 1700000000\n"
             "\"Path\"=\"D:\\\\Projekte\\\\Anlage1\"\n\"PrjType\"=dword:00000002\n\n"
             "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\B] 1700000000\n"
             "\"Path\"=\"C:\\\\B\"\n\"PrjType\"=dword:00000000\n\n"
             "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\OhnePfad] 1700000000\n"
             "\"PrjType\"=dword:00000001\n\n");
        const QByteArray vorher = Lesen(mPrefix + "/system.reg");
        CRegProjects col;
        QCOMPARE(col.Count(), 3);
        QCOMPARE(col.OhnePfad(), std::vector<std::string>{"OhnePfad"});
        QVERIFY(col.Item("|A") == col.Item(1));
        QVERIFY(col.Item("|a") == col.Item(1));
        QVERIFY_THROWS_EXCEPTION(ProjektNichtGefunden, col.Item("A"));
        QVERIFY_THROWS_EXCEPTION(ProjektNichtGefunden, col.Item(0));
        QVERIFY_THROWS_EXCEPTION(ProjektNichtGefunden, col.Item(4));

        const auto a = col.Item("|A");
        QCOMPARE(a->Path(), std::string("C:\\Proj"));
        QCOMPARE(a->PrjType(), 3);
        QCOMPARE(a->KVI()->Datei(), std::string("C:\\Proj\\A.kvs"));
        const auto anlage = col.Item(2);
        QCOMPARE(anlage->Name(), std::string("|Anlage1"));
        QCOMPARE(anlage->Path(), std::string("D:\\Projekte\\Anlage1"));
        QCOMPARE(anlage->PrjType(), 2);
        QCOMPARE(col.Item("|B")->PrjType(), 0);

        std::vector<std::string> namen;
        for (const auto& p : col)
            namen.push_back(p->Name());
        QCOMPARE(namen, (std::vector<std::string>{"|A", "|Anlage1", "|B"}));

        col.Delete("|ANLAGE1");
        QCOMPARE(anlage->Path(), std::string("D:\\Projekte\\Anlage1"));   // kept by its holder
        QCOMPARE(col.Count(), 2);
        QCOMPARE(col.Item(2)->Name(), std::string("|B"));
        col.Delete("|gibtsnicht");
        col.Delete("|B");
        QCOMPARE(col.Count(), 1);
        QCOMPARE(col.Item(1)->Name(), std::string("|A"));
        col.Clear();
        QCOMPARE(col.Count(), 0);
        QCOMPARE(a->KVI()->Datei(), std::string("C:\\Proj\\A.kvs"));
        QCOMPARE(Lesen(mPrefix + "/system.reg"), vorher);   // memory only
    }

    void addWritesTheRegistration() {
        Hklm(INSTALLATION);
        {
            CRegProjects col;
            QCOMPARE(col.Count(), 0);
            const auto neu = col.Add("Neu1", "C:\\P", 8);
            QCOMPARE(neu->Name(), std::string("Neu1"));
            QCOMPARE(neu->KVI()->Datei(), std::string("C:\\P\\Neu1.kvi"));
            QVERIFY(col.Item("NEU1") == neu);
            const std::string sKey = "SOFTWARE\\BELMARK GmbH\\Korvant\\4.0\\Projects\\Neu1";
            QCOMPARE(RegLeseWert(HKLM, sKey, "Path"), RegWert(std::string("C:\\P")));
            QCOMPARE(RegLeseWert(HKLM, sKey, "PrjType"), RegWert(std::int32_t(8)));
            // the path of the installation is kept
            QCOMPARE(RegLeseWert(HKLM, "Software\\BELMARK GmbH\\Korvant\\4.0", "path"), RegWert(std::string("C:\\Korvant")));

            const QByteArray vorher = Lesen(mPrefix + "/system.reg");
            QVERIFY_THROWS_EXCEPTION(ProjektSchonVorhanden, col.Add("neu1", "C:\\Anders", 1));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, col.Add("", "C:\\Anders", 1));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, col.Add("X\\Y", "C:\\Anders", 1));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, col.Add("Zeile\nUmbruch", "C:\\Anders", 1));
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, col.Add("Tab\tY", "C:\\Anders", 1));
            QCOMPARE(Lesen(mPrefix + "/system.reg"), vorher);
            QCOMPARE(col.Count(), 1);

            // a registry that cannot take the registration says so and the collection stays
            const QByteArray kaputt = vorher + "keine Zeile der Registrierung\n";
            Schreiben(mPrefix + "/system.reg", kaputt);
            QVERIFY_THROWS_EXCEPTION(RegistrierungNichtGeschrieben, col.Add("Neu2", "C:\\Q", 1));
            QCOMPARE(col.Count(), 1);
            QVERIFY_THROWS_EXCEPTION(ProjektNichtGefunden, col.Item("Neu2"));
            QCOMPARE(Lesen(mPrefix + "/system.reg"), kaputt);
            Schreiben(mPrefix + "/system.reg", vorher);
        }
        CRegProjects wieder;
        QCOMPARE(wieder.Count(), 1);
        QCOMPARE(wieder.Item("|Neu1")->Path(), std::string("C:\\P"));
        QCOMPARE(wieder.Item("|Neu1")->PrjType(), 8);
        QCOMPARE(wieder.Item("|Neu1")->KVI()->Datei(), std::string("C:\\P\\Neu1.kvs"));
    }

    void hundredsOfProjectsWithUmlauts() {
        QByteArray keys = INSTALLATION;
        for (int i = 0; i < 400; ++i)
            keys += QByteArray("[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\P") +
                    QByteArray::number(10000 + i) + "] 1700000000\n\"Path\"=\"D:\\\\P" +
                    QByteArray::number(10000 + i) + "\"\n\"PrjType\"=dword:00000001\n\n";
        Hklm(keys);
        const std::string sKey = "SOFTWARE\\BELMARK GmbH\\Korvant\\4.0\\Projects\\Kläranlage Süd";
        QVERIFY(RegSchreibeWert(HKLM, sKey, "Path", RegWert(std::string("D:\\Kläranlage")), TYP_SZ));
        CRegProjects col;
        QCOMPARE(col.Count(), 401);
        QCOMPARE(col.Item("|KLÄRANLAGE SÜD")->Path(), std::string("D:\\Kläranlage"));
        QCOMPARE(col.Item("|P10399")->Path(), std::string("D:\\P10399"));
        QCOMPARE(col.Item("|Kläranlage Süd")->PrjType(), 3);
    }

    void korvantReadsRegistryAndSettings() {
        Hklm(INSTALLATION);
        Hkcu("[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n\"DefaultProjectsPath\"=\"D:\\\\Projekte\"\n\n");
        KorvantIni("[Files 3.0]\r\nBackUp=0\r\n");
        CKorvant k;
        QCOMPARE(k.sPfad, std::string("C:\\Korvant"));
        QCOMPARE(k.sPfadProjekte, std::string("D:\\Projekte"));
        QCOMPARE(k.fDateiBackUp, false);
        QCOMPARE(k.nFormatierung, std::int16_t(1));
        QCOMPARE(k.nVorgabeFormDesigner, std::int16_t(0));
        QVERIFY(!k.fClientServer && !k.fVorzeichenloseVar && !k.fLadenAutomatisch && !k.fOberflaecheHerstellen &&
                !k.fKVILoeschen);
        QCOMPARE(k.Formdesigner(9), std::string("Delphi 4.0 (32 Bit)"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, k.Formdesigner(10));

        // entries that are not numbers keep their defaults
        KorvantIni("[Special]\r\nClientServer=ja\r\nUnsigned=2\r\n[Desktop 3.0]\r\nFormatierung=x\r\nFormDesigner=8\r\n"
                   "[Files 3.0]\r\nBackUp=\r\n");
        k.Init();
        QCOMPARE(k.fClientServer, false);
        QCOMPARE(k.fVorzeichenloseVar, true);
        QCOMPARE(k.nFormatierung, std::int16_t(1));
        QCOMPARE(k.nVorgabeFormDesigner, std::int16_t(8));
        QCOMPARE(k.fDateiBackUp, true);

        k.SchreibeWert("Desktop 3.0", "DeleteKVI", 1);
        QCOMPARE(k.LeseWert("desktop 3.0", "deletekvi"), std::string("1"));
        QCOMPARE(k.LeseWert("Desktop 3.0", "Fehlt", "v"), std::string("v"));

        // only installed designers among 6..9 are offered
        Schreiben(Datei("d/VB98/VB6.EXE"), "MZ");
        k.SchreibeWert("FormDesigner", "8", "D:\\VB98\\VB6.EXE");
        k.SchreibeWert("FormDesigner", "9", "D:\\Delphi4\\fehlt.exe");
        k.SchreibeWert("FormDesigner", "2", "D:\\VB98\\VB6.EXE");
        QCOMPARE(k.FormDesignerAuflisten(),
                 (std::vector<CKorvant::ListenEintrag>{{"Visual Basic 6.0 (32 Bit)", 8}}));
    }

    void korvantWithoutInstallation() {
        Hklm("[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects] 1700000000\n\n");
        QVERIFY_THROWS_EXCEPTION(KorvantNichtInstalliert, CKorvant());
        Hklm(INSTALLATION);   // no user.reg at all
        CKorvant k;
        QCOMPARE(k.sPfadProjekte, std::string());
        QVERIFY(!QFile::exists(mPrefix + "/user.reg"));
    }

    void textReplacesLineBreaksAndMarks() {
        Hklm(INSTALLATION);
        CKorvant k;
        Schreiben(Datei("texte.ini"), "[Text]\r\n1=Zeile 1\\nZeile 2 #\r\n2=# und #\r\n10=zehn\r\n11=elf\r\n12=zw\xF6lf\r\n");
        k.sIndextextDatei = Std(Datei("texte.ini"));
        QCOMPARE(k.Text("1", {"X"}), std::string("Zeile 1\r\nZeile 2 X"));
        QCOMPARE(k.Text("1"), std::string("Zeile 1\r\nZeile 2 #"));
        QCOMPARE(k.Text("2", {"#a", "b", "c"}), std::string("#a und b"));
        QCOMPARE(k.Text("fehlt", {"X"}), std::string());
        QCOMPARE(k.TexteLadenListe(10, 3),
                 (std::vector<CKorvant::ListenEintrag>{{"zehn", 0}, {"elf", 0}, {"zwölf", 0}}));
        QVERIFY(k.TexteLadenListe(10, 0).empty());
        std::vector<CKorvant::TextElement> el{{"10", "alt"}, {"", "bleibt"}, {"fehlt", "alt"}};
        k.TexteLaden(el);
        QCOMPARE(el[0].sText, std::string("zehn"));
        QCOMPARE(el[1].sText, std::string("bleibt"));
        QCOMPARE(el[2].sText, std::string());
    }

    void knownProjectsNeedTheirFiles() {
        Hklm(INSTALLATION);
        // the user's default projects folder is where the information files are searched
        QDir().mkpath(mDir->filePath("d/Projekte"));
        Schreiben(mPrefix + "/user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n"
                                        "\"DefaultProjectsPath\"=\"D:\\\\Projekte\"\n\n");
        const QString sOrdner = ProjektOrdnerHier();
        if (sOrdner.isEmpty())
            QSKIP("the folder of the information files lies outside the test folder");
        QDir().mkpath(Datei("d/Ordner"));
        QDir().mkpath(Datei("d/Dxt"));
        Schreiben(Datei("d/Dxt/haupt.dxt"), "x");
        Schreiben(Datei("d/Idx/teil2.dat"), "x");
        Schreiben(sOrdner + "/a_ordner.kvi", "[config]\r\npath=D:\\Ordner\r\n");
        Schreiben(sOrdner + "/b_dxt.KVI", "[Config]\r\npath=D:\\Dxt\r\ndatabase=haupt\r\n");
        Schreiben(sOrdner + "/c_index.kvi", "[config]\r\npath=D:\\Idx\r\nindex1=teil1.dat\r\nindex2=teil2.dat\r\n");
        // an existing folder is enough, whatever the index entries say
        Schreiben(sOrdner + "/d_luecke.kvi", "[config]\r\npath=D:\\Idx\r\nindex1=teil1.dat\r\nindex3=teil2.dat\r\n");
        Schreiben(sOrdner + "/e_nichts.kvi", "[config]\r\npath=D:\\Fehlt\r\ndatabase=haupt\r\nindex1=a\r\n");
        QByteArray binaer(200000, '\0');
        for (int i = 0; i < binaer.size(); ++i)
            binaer[i] = char((i * 37) & 0xff);
        Schreiben(sOrdner + "/f_binaer.kvi", binaer);
        QByteArray gross = "[config]\r\npath=D:\\Fehlt\r\n";
        for (int i = 1; i <= 5000; ++i)
            gross += "index" + QByteArray::number(i) + "=fehlt" + QByteArray::number(i) + "\r\n";
        Schreiben(sOrdner + "/g_gross.kvi", gross);
        Schreiben(sOrdner + "/h_keine.txt", "[config]\r\npath=D:\\Ordner\r\n");
        QDir().mkpath(sOrdner + "/i_ordner.kvi");

        CKorvant k;
        QCOMPARE(k.ProjekteAuflisten(), (std::vector<CKorvant::ProjektEintrag>{
                            {"a_ordner.kvi", "D:\\Ordner"}, {"b_dxt.KVI", "D:\\Dxt"}, {"c_index.kvi", "D:\\Idx"},
                            {"d_luecke.kvi", "D:\\Idx"}}));
    }
};

QTEST_GUILESS_MAIN(TstProjects)
#include "tst_projects.moc"
