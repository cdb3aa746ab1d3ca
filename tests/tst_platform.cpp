// The platform layer on a real Wine-style prefix: path helpers, the path
// mapping, profile files and registry files, read and written on disk.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "helpers/TestPrefix.h"
#include "platform/Cp1252.h"
#include "platform/MDatei.h"
#include "platform/MIni.h"
#include "platform/MPfad.h"
#include "platform/MRegistrierung.h"
#include "platform/WinUmgebung.h"

using namespace MRegistrierung;

namespace {
const QByteArray KOPF = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";

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
// A literal with inner NUL bytes, without its final zero.
template <std::size_t N>
QByteArray Roh(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}
// The text with the mark of UTF-16, little- or big-endian.
QByteArray Utf16(const QString& s, bool fLe) {
    QByteArray b = fLe ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : s) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        b += fLe ? lo : hi;
        b += fLe ? hi : lo;
    }
    return b;
}
std::string Std(const QString& s) { return s.toStdString(); }
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A registry value as one comparable text; inner NUL characters show as <0>.
QString Beschreibung(const RegWert& v) {
    if (IstNull(v))
        return QStringLiteral("Null");
    if (const auto* s = std::get_if<std::string>(&v))
        return QStringLiteral("SZ:") + Q(*s).replace(QChar(0), QStringLiteral("<0>"));
    if (const auto* n = std::get_if<std::int32_t>(&v))
        return QStringLiteral("DW:%1").arg(*n);
    const auto& b = std::get<std::vector<std::uint8_t>>(v);
    return QStringLiteral("BIN:") +
           QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())).toHex());
}
}  // namespace

class TstPlatform : public QObject {
    Q_OBJECT
    QTemporaryDir* mDir = nullptr;
    QString mPrefix;

    QString Datei(const QString& s) const { return mDir->filePath(s); }
    QString System() const { return mPrefix + "/system.reg"; }
    // Files left in the prefix folder itself (the registry files and their temporary neighbours).
    QStringList PrefixDateien() const { return QDir(mPrefix).entryList(QDir::Files | QDir::Hidden); }

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

    // ---- path helpers ----

    void fileNameAndTitleOfAPath_data() {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("titel");
        QTest::newRow("full path") << "C:\\Daten\\Bild.bmp" << "Bild.bmp" << "Bild";
        QTest::newRow("bare name") << "Bild.bmp" << "Bild.bmp" << "Bild";
        QTest::newRow("trailing backslash") << "C:\\Daten\\" << "" << "";
        QTest::newRow("drive relative") << "C:datei.txt" << "datei.txt" << "datei";
        QTest::newRow("two extensions") << "C:\\Daten\\Archiv.tar.gz" << "Archiv.tar.gz" << "Archiv.tar";
        QTest::newRow("no extension") << "C:\\Daten\\Liesmich" << "Liesmich" << "Liesmich";
        QTest::newRow("dot in the folder only") << "C:\\Daten.alt\\Liesmich" << "Liesmich" << "Liesmich";
        QTest::newRow("only dot first") << ".x" << ".x" << "";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("umlauts") << "D:\\Bilder\\Übersicht Faulturm.bmp" << "Übersicht Faulturm.bmp"
                                 << "Übersicht Faulturm";
        QTest::newRow("forward slash is no separator") << "C:\\a/b.txt" << "a/b.txt" << "a/b";
        QTest::newRow("very long") << "C:\\" + QString(40000, 'a') + "\\Bild.bmp" << "Bild.bmp" << "Bild";
    }
    void fileNameAndTitleOfAPath() {
        QFETCH(QString, pfad);
        QFETCH(QString, name);
        QFETCH(QString, titel);
        QCOMPARE(Q(MDatei::DateiName(Std(pfad))), name);
        QCOMPARE(Q(MDatei::DateiTitel(Std(pfad))), titel);
    }

    void existenceOfFilesAndFolders_data() {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<bool>("vorhanden");
        QTest::newRow("folder through drive c") << "C:\\windows" << true;
        QTest::newRow("folder with trailing backslash") << "D:\\Anlage1\\" << true;
        QTest::newRow("file through drive d") << "D:\\Anlage1\\Anlage1.kvi" << true;
        QTest::newRow("lower-case drive letter") << "d:\\Anlage1\\Anlage1.kvi" << true;
        QTest::newRow("hidden file") << "D:\\.versteckt" << true;
        QTest::newRow("umlaut in the name") << "D:\\Übersicht.bmp" << true;
        QTest::newRow("posix folder") << "%T/d" << true;
        QTest::newRow("missing file") << "D:\\Anlage1\\fehlt.kvi" << false;
        QTest::newRow("file with trailing backslash") << "D:\\Anlage1\\Anlage1.kvi\\" << false;
        QTest::newRow("empty text") << "" << false;
        QTest::newRow("wildcard") << "D:\\Anlage1\\*.kvi" << false;
        QTest::newRow("question mark") << "D:\\Anlage1\\Anlage?.kvi" << false;
        QTest::newRow("unmapped drive") << "Q:\\Anlage1" << false;
    }
    void existenceOfFilesAndFolders() {
        QFETCH(QString, pfad);
        QFETCH(bool, vorhanden);
        Schreiben(Datei("d/Anlage1/Anlage1.kvi"), "[Config]\r\n");
        Schreiben(Datei("d/.versteckt"), "");
        Schreiben(Datei("d/Übersicht.bmp"), "BM");
        pfad.replace("%T", mDir->path());
        QCOMPARE(MDatei::DateiVorhanden(Std(pfad)), vorhanden);
        QCOMPARE(MPfad::PfadVorhanden(Std(pfad)), vorhanden);
    }

    void missingPrefixIsAnEmptyEnvironment() {
        qputenv("WINEPREFIX", QFile::encodeName(Datei("gibtsnicht")));
        QVERIFY(!MDatei::DateiVorhanden("C:\\windows"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software", "x")), QStringLiteral("Null"));
        QVERIFY(RegSchluesselAuflisten(HKCU, "Software").empty());
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", "Korvant.ini"), std::string("vorgabe"));
    }

    void windowsPathsAreMappedThroughThePrefix_data() {
        QTest::addColumn<QString>("win");
        QTest::addColumn<QString>("abgebildet");
        QTest::newRow("drive c") << "C:\\a\\b" << "%P/dosdevices/c:/a/b";
        QTest::newRow("drive letter in capitals and lower case") << "d:\\Projekte\\Anlage1"
                                                                  << "%P/dosdevices/d:/Projekte/Anlage1";
        QTest::newRow("capital drive letter") << "D:\\x.ini" << "%P/dosdevices/d:/x.ini";
        QTest::newRow("drive only") << "C:" << "%P/dosdevices/c:";
        QTest::newRow("drive relative") << "C:datei.txt" << "%P/dosdevices/c:/datei.txt";
        QTest::newRow("posix path unchanged") << "/home/anna/Demo.kvs" << "/home/anna/Demo.kvs";
        QTest::newRow("relative path") << "Bilder\\Zulauf\\Zulauf.bmp" << "Bilder/Zulauf/Zulauf.bmp";
    }
    void windowsPathsAreMappedThroughThePrefix() {
        QFETCH(QString, win);
        QFETCH(QString, abgebildet);
        abgebildet.replace("%P", mPrefix);
        QCOMPARE(Q(WinUmgebung::PfadAbbilden(Std(win))), abgebildet);
    }

    void environmentFolders() {
        QCOMPARE(Q(WinUmgebung::Prefix()), mPrefix);
        QCOMPARE(Q(WinUmgebung::WindowsVerzeichnis()), mPrefix + "/drive_c/windows");
        QCOMPARE(Q(WinUmgebung::ProgrammOrdner()), mDir->path());
        qputenv("WINEPREFIX", "");
        QCOMPARE(Q(WinUmgebung::Prefix()), qEnvironmentVariable("HOME") + "/.wine");
    }

    void windows1252RoundTripOfEveryByte() {
        std::string alle;
        for (int c = 1; c < 256; ++c)
            alle += static_cast<char>(c);
        QCOMPARE(Cp1252::AusUtf8(Cp1252::ZuUtf8(alle)), alle);
        QCOMPARE(Q(Cp1252::ZuUtf8("\x80 \xe4\xf6\xfc\xdf")), QStringLiteral("€ äöüß"));
        QCOMPARE(Cp1252::AusUtf8("Ω"), std::string("?"));
    }

    // What Python's codecs give for utf-8 decoded with replacement and encoded as cp1252.
    void windows1252FromBrokenAndWideUtf8() {
        // a character beyond U+FFFF is one "?", the text around it stays
        QCOMPARE(Cp1252::AusUtf8("A\xf0\x9f\x98\x80" "B"), std::string("A?B"));
        QCOMPARE(Cp1252::AusUtf8("Z\xe2\x82\xacz\xf0\x90\x8d\x88"), std::string("Z\x80z?"));
        // a lead byte without its follower does not swallow the next character
        QCOMPARE(Cp1252::AusUtf8("x\xc3y"), std::string("x?y"));
        QCOMPARE(Cp1252::AusUtf8("a\xff" "b"), std::string("a?b"));
        QCOMPARE(Cp1252::AusUtf8("\x80"), std::string("?"));
        QCOMPARE(Cp1252::AusUtf8("\xe2\x82\xac \xc3\xa4\xc3\x9f"), std::string("\x80 \xe4\xdf"));
    }

    // ---- profile files ----

    void readingProfileEntries_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("bereich");
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<QString>("erwartet");
        const QByteArray normal = "[Grafik]\r\nBilderPath=C:\\Bilder\r\nLeer=\r\n[Arrow]\r\nAnzahl=3\r\n";
        QTest::newRow("crlf") << normal << "Grafik" << "BilderPath" << "C:\\Bilder";
        QTest::newRow("lf") << QByteArray("[Grafik]\nBilderPath=C:\\Bilder\n") << "Grafik" << "BilderPath"
                            << "C:\\Bilder";
        QTest::newRow("second section") << normal << "Arrow" << "Anzahl" << "3";
        QTest::newRow("case of section and key") << normal << "GRAFIK" << "bilderpath" << "C:\\Bilder";
        QTest::newRow("blanks around key and value")
            << QByteArray("  [Grafik]  \n  BilderPath  =  C:\\Bilder  \t\n") << "Grafik" << "BilderPath"
            << "C:\\Bilder";
        QTest::newRow("blank inside a key") << QByteArray("[A]\nBilder Path=x\n") << "A" << "Bilder Path" << "x";
        QTest::newRow("double quotes dropped") << QByteArray("[A]\nk=\" a b \"\n") << "A" << "k" << " a b ";
        QTest::newRow("single quotes dropped") << QByteArray("[A]\nk='a b'\n") << "A" << "k" << "a b";
        QTest::newRow("unmatched quotes kept") << QByteArray("[A]\nk=\"a b'\n") << "A" << "k" << "\"a b'";
        QTest::newRow("one quote kept") << QByteArray("[A]\nk=\"\n") << "A" << "k" << "\"";
        QTest::newRow("only one pair dropped") << QByteArray("[A]\nk=\"\"x\"\"\n") << "A" << "k" << "\"x\"";
        QTest::newRow("equals sign in the value") << QByteArray("[A]\nk=a=b\n") << "A" << "k" << "a=b";
        QTest::newRow("first section wins") << QByteArray("[A]\nk=1\n[B]\nk=9\n[a]\nk=2\n") << "A" << "k" << "1";
        QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nK=2\n") << "A" << "k" << "1";
        QTest::newRow("line without equals ignored") << QByteArray("[A]\nkeinEintrag\nk=1\n") << "A"
                                                     << "keinEintrag" << "vorgabe";
        QTest::newRow("entry behind a line without equals") << QByteArray("[A]\nkeinEintrag\nk=1\n") << "A" << "k"
                                                            << "1";
        QTest::newRow("key of another section") << normal << "Arrow" << "BilderPath" << "vorgabe";
        QTest::newRow("empty value is no default") << normal << "Grafik" << "Leer" << "";
        QTest::newRow("missing key") << normal << "Grafik" << "Fehlt" << "vorgabe";
        QTest::newRow("missing section") << normal << "Picture" << "BilderPath" << "vorgabe";
        QTest::newRow("empty section") << normal << "" << "BilderPath" << "vorgabe";
        QTest::newRow("empty key") << normal << "Grafik" << "" << "vorgabe";
        QTest::newRow("entry before any section") << QByteArray("k=1\n[A]\n") << "A" << "k" << "vorgabe";
        QTest::newRow("windows-1252 bytes") << QByteArray("[Stra\xdf" "e]\n\xc4nderung=M\xfcller \x80\n")
                                            << "Straße" << "Änderung" << "Müller €";
        QTest::newRow("umlauts without regard to case") << QByteArray("[\xdc" "bersicht]\n\xc4nderung=ja\n")
                                                        << "übersicht" << "ÄNDERUNG" << "ja";
        QTest::newRow("sharp s has no capital") << QByteArray("[Stra\xdf" "e]\nk=1\n") << "STRASSE" << "k"
                                                << "vorgabe";
        QTest::newRow("999 characters kept") << "[A]\nk=" + QByteArray(999, 'x') + "\n" << "A" << "k"
                                             << QString(999, 'x');
        QTest::newRow("1000 characters cut to 999") << "[A]\nk=" + QByteArray(1000, 'x') + "\n" << "A" << "k"
                                                    << QString(999, 'x');
        QTest::newRow("100000-character line cut") << "[A]\nk=" + QByteArray(100000, 'y') + "\nz=1\n" << "A" << "k"
                                                   << QString(999, 'y');
        QTest::newRow("entry behind a 100000-character line") << "[A]\nk=" + QByteArray(100000, 'y') + "\nz=1\n"
                                                              << "A" << "z" << "1";
        QTest::newRow("nul bytes") << Roh("[A]\nk=1\n\0\0") << "A" << "k" << "vorgabe";
        QTest::newRow("sqlite file") << Roh("SQLite format 3\0\x10\0\x01\x01\0\x40\x20\x20[A]\nk=1\n")
                                     << "A" << "k" << "vorgabe";
        QTest::newRow("empty file") << QByteArray() << "A" << "k" << "vorgabe";
        // the rules by which Windows reads what editors write, one file each
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[Grafik]\r\nBilderPath=C:\\B\xC3\xBC" "cher\r\n")
                                    << "Grafik" << "BilderPath" << "C:\\Bücher";
        QTest::newRow("utf-16le mark") << Utf16("[Grafik]\r\nBilderPath=C:\\Bücher Ω\r\n", true) << "Grafik"
                                       << "BilderPath" << "C:\\Bücher Ω";
        QTest::newRow("utf-16be mark") << Utf16("[Grafik]\r\nBilderPath=C:\\Bücher\r\n", false) << "grafik"
                                       << "bilderpath" << "C:\\Bücher";
        QTest::newRow("bare cr") << QByteArray("[Grafik]\rBilderPath=C:\\Bilder\r[Arrow]\rAnzahl=3\r") << "Arrow"
                                 << "Anzahl" << "3";
        QTest::newRow("blanks inside the brackets") << QByteArray("[ Grafik\t]\nk=1\n") << "Grafik" << "k" << "1";
        QTest::newRow("blanks around the names asked for") << QByteArray("[Grafik]\nk=1\n") << " Grafik  " << "\tk "
                                                           << "1";
        QTest::newRow("form feed and ^Z are blanks") << QByteArray("[A]\n\fk\x1a=\v1\x1a\n") << "A" << "k" << "1";
        QTest::newRow("bracket inside the name") << QByteArray("[Linie [2]]\nk=1\n") << "Linie [2]" << "k" << "1";
        QTest::newRow("text behind the bracket") << QByteArray("[Grafik] ; alt\nk=1\n") << "Grafik" << "k" << "1";
        QTest::newRow("the last bracket closes") << QByteArray("[Grafik] alt]\nk=1\n") << "Grafik] alt" << "k" << "1";
        QTest::newRow("not the first bracket") << QByteArray("[Grafik] alt]\nk=1\n") << "Grafik" << "k" << "vorgabe";
        QTest::newRow("no bracket, no header") << QByteArray("[A]\n[B\nk=1\n") << "A" << "k" << "1";
    }
    void readingProfileEntries() {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, bereich);
        QFETCH(QString, eintrag);
        QFETCH(QString, erwartet);
        Schreiben(Datei("t.ini"), inhalt);
        QCOMPARE(Q(MIni::IniLeseWert(Std(bereich), Std(eintrag), "vorgabe", Std(Datei("t.ini")))), erwartet);
        // The whole section read at once gives the same answer.
        QString ausAbschnitt = QStringLiteral("vorgabe");
        for (const auto& [k, w] : MIni::IniLeseAbschnitt(Std(bereich), Std(Datei("t.ini"))))
            if (!eintrag.isEmpty() && Q(k).compare(eintrag.trimmed(), Qt::CaseInsensitive) == 0) {
                ausAbschnitt = Q(w);
                break;
            }
        QCOMPARE(ausAbschnitt, erwartet);
    }

    void unreadableProfileFilesGiveTheDefault() {
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", Std(Datei("fehlt.ini"))), std::string("vorgabe"));
        QDir().mkpath(Datei("ordner.ini"));
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", Std(Datei("ordner.ini"))), std::string("vorgabe"));
        MIni::IniSchreibeWert("A", "k", "1", Std(Datei("ordner.ini")));
        QVERIFY(QFileInfo(Datei("ordner.ini")).isDir());
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", ""), std::string("vorgabe"));

        // a binary file is left at its first NUL byte, however large it is
        QFile gross(Datei("gross.kvs"));
        QVERIFY(gross.open(QIODevice::WriteOnly));
        gross.write(Roh("SQLite format 3\0[A]\r\nk=1\r\n"));
        QVERIFY(gross.resize(qint64(1) << 40));   // sparse: a terabyte that takes no room
        gross.close();
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", Std(gross.fileName())), std::string("vorgabe"));
        QVERIFY(MIni::IniLeseAbschnitt("A", Std(gross.fileName())).empty());
        QVERIFY(!MIni::IniSchreibeWert("A", "k", "2", Std(gross.fileName())));
        QCOMPARE(QFileInfo(gross.fileName()).size(), qint64(1) << 40);
    }

    void writingProfileEntries() {
        const QString ini = Datei("Tavero/Tavero.ini");
        const std::string pfad = Std(ini);
        // as on Windows, a missing folder is not created
        QVERIFY(!MIni::IniSchreibeWert("Grafik", "BilderPath", "C:\\Bilder", pfad));
        QVERIFY(!QFileInfo::exists(Datei("Tavero")));
        QVERIFY(QDir().mkpath(Datei("Tavero")));
        QVERIFY(MIni::IniSchreibeWert("Grafik", "BilderPath", "C:\\Bilder", pfad));
        MIni::IniSchreibeWert("Grafik", "SymbolPath", "C:\\Symbole", pfad);
        MIni::IniSchreibeWert("Arrow", "Anzahl", 3, pfad);
        MIni::IniSchreibeWert("Arrow", "Versatz", -12, pfad);
        QCOMPARE(Lesen(ini), QByteArray("[Grafik]\r\nBilderPath=C:\\Bilder\r\nSymbolPath=C:\\Symbole\r\n"
                                        "[Arrow]\r\nAnzahl=3\r\nVersatz=-12\r\n"));
        QCOMPARE(MIni::IniLeseWert("Grafik", "BilderPath", "", pfad), std::string("C:\\Bilder"));
        QCOMPARE(MIni::IniLeseWert("Arrow", "Versatz", "", pfad), std::string("-12"));

        // an existing key is replaced in place, without regard to case
        MIni::IniSchreibeWert("grafik", "BILDERPATH", "D:\\Bilder", pfad);
        QCOMPARE(MIni::IniLeseWert("Grafik", "BilderPath", "", pfad), std::string("D:\\Bilder"));
        QCOMPARE(MIni::IniLeseWert("Grafik", "SymbolPath", "", pfad), std::string("C:\\Symbole"));
        QCOMPARE(Lesen(ini).count("ilderPath="), 1);

        // an empty section or key writes nothing and deletes nothing
        const QByteArray vorher = Lesen(ini);
        QVERIFY(!MIni::IniSchreibeWert("Grafik", "", "x", pfad));
        QVERIFY(!MIni::IniSchreibeWert("", "BilderPath", "x", pfad));
        QCOMPARE(Lesen(ini), vorher);
        QVERIFY(QDir(Datei("Tavero")).entryList(QDir::Files | QDir::Hidden) == QStringList{"Tavero.ini"});
    }

    void writingKeepsTheRestOfAnLfFile() {
        const QString ini = Datei("d/Anlage1/Anlage1.kvi");
        Schreiben(ini, "; Kommentar\n[properties]\ncomment = Linie 2\n\n[Config]\nPath=D:\\Anlage1\n");
        MIni::IniSchreibeWert("properties", "Developer", "Anna", "D:\\Anlage1\\Anlage1.kvi");
        QCOMPARE(Lesen(ini), QByteArray("; Kommentar\r\n[properties]\r\ncomment = Linie 2\r\nDeveloper=Anna\r\n\r\n"
                                        "[Config]\r\nPath=D:\\Anlage1\r\n"));
    }

    void umlautsAreStoredAsWindows1252() {
        const std::string pfad = Std(Datei("t.ini"));
        MIni::IniSchreibeWert("Straße", "Bearbeiter", "Jürgen Müller", pfad);
        QCOMPARE(Lesen(Datei("t.ini")), QByteArray("[Stra\xdf" "e]\r\nBearbeiter=J\xfcrgen M\xfcller\r\n"));
        MIni::IniSchreibeWert("Übersicht", "Änderung", "1", pfad);
        MIni::IniSchreibeWert("übersicht", "änderung", "2", pfad);
        QCOMPARE(Lesen(Datei("t.ini")).count("nderung="), 1);
        QCOMPARE(MIni::IniLeseWert("ÜBERSICHT", "ÄNDERUNG", "", pfad), std::string("2"));
        QCOMPARE(Q(MIni::IniLeseWert("Straße", "Bearbeiter", "", pfad)), QStringLiteral("Jürgen Müller"));
    }

    void bareFileNameLiesInTheWindowsDirectory() {
        MIni::IniSchreibeWert("Korvant", "Sprache", "Deutsch", "Korvant.ini");
        QCOMPARE(Lesen(mPrefix + "/drive_c/windows/Korvant.ini"), QByteArray("[Korvant]\r\nSprache=Deutsch\r\n"));
        QCOMPARE(MIni::IniLeseWert("Korvant", "Sprache", "", "Korvant.ini"), std::string("Deutsch"));
        QCOMPARE(MIni::IniLeseWert("Korvant", "Sprache", "", "C:\\windows\\Korvant.ini"), std::string("Deutsch"));
    }

    void emptyFileNameIsTheProgramsOwnFile() {
        // the program's folder, a separator and the program file's title, without extension
        const QString eigene =
            mDir->filePath(Q(MDatei::DateiTitel(WinUmgebung::ProgrammDateiName())));
        MIni::IniSchreibeWert("A", "k", "1", "");
        QCOMPARE(Lesen(eigene), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(MIni::IniLeseWert("A", "k", "vorgabe", ""), std::string("1"));
    }

    void binaryFilesAreNeverOverwritten() {
        const QByteArray binaer = Roh("SQLite format 3\0[A]\r\nk=1\r\n");
        Schreiben(Datei("t.ini"), binaer);
        MIni::IniSchreibeWert("A", "k", "2", Std(Datei("t.ini")));
        QCOMPARE(Lesen(Datei("t.ini")), binaer);
        QCOMPARE(QDir(mDir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.ini"});
    }

    void lineBreaksAreNeverWritten_data() {
        QTest::addColumn<QString>("bereich");
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<QString>("wert");
        QTest::newRow("value that makes a section") << "properties" << "comment" << "x\r\n[config]\r\npath=C:\\";
        QTest::newRow("lf in a value") << "properties" << "comment" << "a\nb";
        QTest::newRow("cr in a value") << "properties" << "comment" << "a\rb";
        QTest::newRow("key") << "properties" << "k\n[config]" << "1";
        QTest::newRow("section") << "properties]\r\n[config" << "path" << "C:\\";
    }
    void lineBreaksAreNeverWritten() {
        QFETCH(QString, bereich);
        QFETCH(QString, eintrag);
        QFETCH(QString, wert);
        const QByteArray vorher = "[properties]\r\ncomment=alt\r\n";
        Schreiben(Datei("p.kvi"), vorher);
        QVERIFY(!MIni::IniSchreibeWert(Std(bereich), Std(eintrag), Std(wert), Std(Datei("p.kvi"))));
        QCOMPARE(Lesen(Datei("p.kvi")), vorher);
    }

    void writingKeepsTheEncodingOfTheFile_data() {
        QTest::addColumn<QByteArray>("vorher");
        QTest::addColumn<QByteArray>("nachher");
        QTest::newRow("ansi") << QByteArray("[A]\r\nk=1\r\n") << QByteArray("[A]\r\nk=1\r\nneu=Kl\xE4ranlage\r\n");
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[A]\r\nk=\xE2\x82\xAC\r\n")
                                    << QByteArray("\xEF\xBB\xBF[A]\r\nk=\xE2\x82\xAC\r\nneu=Kl\xC3\xA4ranlage\r\n");
        QTest::newRow("utf-16le mark") << Utf16("[A]\rk=Ω\r", true) << Utf16("[A]\r\nk=Ω\r\nneu=Kläranlage\r\n", true);
        QTest::newRow("utf-16be mark") << Utf16("[A]\r\nk=Ω\r\n", false) << Utf16("[A]\r\nk=Ω\r\nneu=Kläranlage\r\n", false);
        // a character beyond the basic plane (a pair) and a lone surrogate elsewhere stay as they were
        const QString paar = QString::fromUcs4(U"\U0001F600"), allein = QString(QChar(0xD800));
        QTest::newRow("utf-16le, pair and lone surrogate")
            << Utf16("[A]\r\nk=" + paar + "\r\nl=x" + allein + "y\r\n", true)
            << Utf16("[A]\r\nk=" + paar + "\r\nl=x" + allein + "y\r\nneu=Kläranlage\r\n", true);
        QTest::newRow("utf-16be, lone low surrogate in a comment")
            << Utf16(";" + QString(QChar(0xDC01)) + "\r\n[A]\r\n", false)
            << Utf16(";" + QString(QChar(0xDC01)) + "\r\n[A]\r\nneu=Kläranlage\r\n", false);
    }
    void writingKeepsTheEncodingOfTheFile() {
        QFETCH(QByteArray, vorher);
        QFETCH(QByteArray, nachher);
        Schreiben(Datei("t.ini"), vorher);
        QVERIFY(MIni::IniSchreibeWert("a", "neu", "Kläranlage", Std(Datei("t.ini"))));
        QCOMPARE(Lesen(Datei("t.ini")), nachher);
    }

    void writingThroughASymbolicLink_data() {
        QTest::addColumn<bool>("registry");
        QTest::newRow("Korvant.ini") << false;
        QTest::newRow("system.reg") << true;
    }
    void writingThroughASymbolicLink() {
        QFETCH(bool, registry);
        const QString link = registry ? System() : mPrefix + "/drive_c/windows/Korvant.ini";
        const QString ziel = Datei("geteilt/" + QFileInfo(link).fileName());
        Schreiben(ziel, registry ? KOPF : QByteArray("[Desktop 3.0]\r\nFormDesigner=8\r\n"));
        QVERIFY(QFile::setPermissions(ziel, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const auto rechte = QFile::permissions(ziel);
        QVERIFY(QFile::link(ziel, link));
        if (registry)
            QVERIFY(RegSchreibeWert(HKLM, "Software\\Test", "Wert", std::string("neu"), TYP_SZ));
        else
            QVERIFY(MIni::IniSchreibeWert("Desktop 3.0", "DeleteKVI", 1, "Korvant.ini"));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(Lesen(ziel).contains(registry ? "\"Wert\"=\"neu\"" : "DeleteKVI=1"));
        QCOMPARE(QFile::permissions(ziel), rechte);
        QCOMPARE(QDir(Datei("geteilt")).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(link).fileName()});
    }

    void twoWritersLoseNothing_data() {
        QTest::addColumn<bool>("registry");
        QTest::newRow("profile file") << false;
        QTest::newRow("registry file") << true;
    }
    void twoWritersLoseNothing() {
        // Two processes of this test program write 200 keys each into one file at the same time.
        QFETCH(bool, registry);
        const QString ini = Datei("d/geteilt.ini");
        std::vector<std::unique_ptr<QProcess>> schreiber;
        for (int id : {1, 2}) {
            auto p = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("TAVERO_SCHREIBER", registry ? QStringLiteral("registry") : ini);
            env.insert("TAVERO_SCHREIBER_ID", QString::number(id));
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {});
            schreiber.push_back(std::move(p));
        }
        for (auto& p : schreiber) {
            QVERIFY(p->waitForFinished(240000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);   // every write reported success
        }
        for (int id : {1, 2})
            for (int n = 0; n < 200; ++n) {
                const std::string name = "w" + std::to_string(id) + "_" + std::to_string(n);
                const QString gelesen = registry ? Beschreibung(RegLeseWert(HKLM, "Software\\Geteilt", name))
                                                 : Q(MIni::IniLeseWert("Geteilt", name, "fehlt", Std(ini)));
                QCOMPARE(gelesen, registry ? QStringLiteral("DW:%1").arg(n) : QString::number(n));
            }
        if (!registry)
            QCOMPARE(MIni::IniLeseAbschnitt("Geteilt", Std(ini)).size(), std::size_t(400));
        QCOMPARE(registry ? PrefixDateien() : QDir(Datei("d")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{registry ? "system.reg" : "geteilt.ini"});
    }

    void loneSurrogateReadsAsReplacementCharacter() {
        Schreiben(Datei("s.ini"), Utf16("[A]\r\nk=x" + QString(QChar(0xD800)) + "y\r\n", true));
        QCOMPARE(Q(MIni::IniLeseWert("A", "k", "", Std(Datei("s.ini")))), QStringLiteral("x\uFFFDy"));
    }

    void fileOfAnotherEncoderKeepsItsSurrogates() {
        // written by Python's codec, not by this program's: big-endian with a pair and a lone surrogate
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        QProcess p;
        p.start(python, {"-c", "import sys\n"
                               "t='\\ufeff[Grafik]\\r\\nPfad=C:\\\\Bilder \\U0001F527\\r\\nAlt=a\\udc00b\\r\\n'\n"
                               "open(sys.argv[1],'wb').write(t.encode('utf-16-be','surrogatepass'))",
                         Datei("py.ini")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray vorher = Lesen(Datei("py.ini"));
        QVERIFY(vorher.startsWith("\xFE\xFF"));
        QCOMPARE(Q(MIni::IniLeseWert("Grafik", "Pfad", "", Std(Datei("py.ini")))), QString::fromUcs4(U"C:\\Bilder \U0001F527"));
        QVERIFY(MIni::IniSchreibeWert("Grafik", "Neu", "1", Std(Datei("py.ini"))));
        const QByteArray nachher = Lesen(Datei("py.ini"));
        QCOMPARE(nachher.left(vorher.size()), vorher);
        QCOMPARE(nachher.mid(vorher.size()), QByteArray("\0N\0e\0u\0=\0001\0\r\0\n", 14));
    }

    // ---- registry files ----

    void readingRegistryValues_data() {
        QTest::addColumn<QByteArray>("schluessel");
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("erwartet");
        const QByteArray k = "[Software\\\\Test] 1700000000\n#time=1da0000000000000\n";
        QTest::newRow("sz") << k + "\"Wert\"=\"abc\"\n" << "Software\\Test" << "Wert" << "SZ:abc";
        QTest::newRow("empty sz is no null") << k + "\"Wert\"=\"\"\n" << "Software\\Test" << "Wert" << "SZ:";
        QTest::newRow("dword all bits") << k + "\"Wert\"=dword:ffffffff\n" << "Software\\Test" << "Wert" << "DW:-1";
        QTest::newRow("dword") << k + "\"Wert\"=dword:0000002a\n" << "Software\\Test" << "Wert" << "DW:42";
        QTest::newRow("big endian dword") << k + "\"Wert\"=hex(5):00,00,00,2a\n" << "Software\\Test" << "Wert"
                                          << "Null";
        QTest::newRow("link type") << k + "\"Wert\"=hex(6):41,00\n" << "Software\\Test" << "Wert" << "Null";
        QTest::newRow("missing value") << k + "\"Wert\"=\"abc\"\n" << "Software\\Test" << "Anders" << "Null";
        QTest::newRow("missing key") << k + "\"Wert\"=\"abc\"\n" << "Software\\Fehlt" << "Wert" << "Null";
        QTest::newRow("parent of a key") << k + "\"Wert\"=\"abc\"\n" << "Software" << "Wert" << "Null";
        QTest::newRow("expand sz unexpanded") << k + "\"Wert\"=str(2):\"%SystemRoot%\\\\x\"\n" << "Software\\Test"
                                              << "Wert" << "SZ:%SystemRoot%\\x";
        QTest::newRow("multi sz keeps inner zeros") << k + "\"Wert\"=str(7):\"a\\0b\\0\"\n" << "Software\\Test"
                                                    << "Wert" << "SZ:a<0>b<0>";
        QTest::newRow("multi sz in hex") << k + "\"Wert\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                                         << "Software\\Test" << "Wert" << "SZ:a<0>b<0>";
        QTest::newRow("sz in hex") << k + "\"Wert\"=hex(1):e4,00,62,00,00,00\n" << "Software\\Test" << "Wert"
                                   << "SZ:äb";
        QTest::newRow("binary") << k + "\"Wert\"=hex:01,ff\n" << "Software\\Test" << "Wert" << "BIN:01ff";
        QTest::newRow("binary over lines") << k + "\"Wert\"=hex:01,02,\\\n  03,04\n\"Danach\"=\"x\"\n"
                                           << "Software\\Test" << "Wert" << "BIN:01020304";
        QTest::newRow("value behind continued lines") << k + "\"Wert\"=hex:01,02,\\\n  03,04\n\"Danach\"=\"x\"\n"
                                                      << "Software\\Test" << "Danach" << "SZ:x";
        QTest::newRow("escapes") << k + "\"Wert\"=\"C:\\\\Korvant \\\"neu\\\"\"\n" << "Software\\Test" << "Wert"
                                 << "SZ:C:\\Korvant \"neu\"";
        QTest::newRow("escaped umlaut") << k + "\"Wert\"=\"M\\x00fcller\"\n" << "Software\\Test" << "Wert"
                                        << "SZ:Müller";
        QTest::newRow("escaped name") << k + "\"Pfad \\\"alt\\\"\"=\"x\"\n" << "Software\\Test" << "Pfad \"alt\""
                                      << "SZ:x";
        QTest::newRow("default value") << k + "@=\"std\"\n\"Wert\"=\"abc\"\n" << "Software\\Test" << "" << "SZ:std";
        QTest::newRow("name without regard to case") << k + "\"PATH\"=\"x\"\n" << "software\\TEST" << "Path"
                                                     << "SZ:x";
        QTest::newRow("umlaut key without regard to case") << QByteArray("[Software\\\\\\x00c4mter] 1\n\"Wert\"=\"x\"\n")
                                                           << "SOFTWARE\\ämter" << "Wert" << "SZ:x";
        QTest::newRow("umlaut name without regard to case") << k + "\"\\x00dcbersicht\"=\"x\"\n" << "Software\\Test"
                                                            << "übersicht" << "SZ:x";
        QTest::newRow("later duplicate as loaded by wine") << k + "\"Wert\"=\"alt\"\n\"Wert\"=\"neu\"\n"
                                                           << "Software\\Test" << "Wert" << "SZ:neu";
        // a character beyond the basic plane is written by Wine as two escapes: one character in UTF-8
        QTest::newRow("surrogate pair escaped") << k + "\"Wert\"=\"a\\xd83d\\xde00b\"\n" << "Software\\Test" << "Wert"
                                               << QStringLiteral("SZ:a\U0001F600b");
        QTest::newRow("surrogate pair escaped beside ASCII digits") << k + "\"Wert\"=\"\\xd83d\\xde00\\x0031\"\n"
                                                                   << "Software\\Test" << "Wert" << QStringLiteral("SZ:\U0001F6001");
        QTest::newRow("surrogate pair in hex") << k + "\"Wert\"=hex(1):3d,d8,00,de,00,00\n" << "Software\\Test" << "Wert"
                                              << QStringLiteral("SZ:\U0001F600");
        QTest::newRow("lone surrogate escaped") << k + "\"Wert\"=\"a\\xd83db\"\n" << "Software\\Test" << "Wert"
                                               << QStringLiteral("SZ:a\uFFFDb");
        QTest::newRow("surrogate pair in a key") << QByteArray("[Software\\\\A\\xd83d\\xde00] 1\n\"Wert\"=\"x\"\n")
                                                << QString::fromUcs4(U"Software\\A\U0001F600") << "Wert" << "SZ:x";
    }
    void readingRegistryValues() {
        QFETCH(QByteArray, schluessel);
        QFETCH(QString, pfad);
        QFETCH(QString, name);
        QFETCH(QString, erwartet);
        Schreiben(System(), KOPF + schluessel + "\n");
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, Std(pfad), Std(name))), erwartet);
    }

    void rootKeysAreTheirOwnFiles() {
        Schreiben(mPrefix + "/user.reg", KOPF + "[Software\\\\Test] 1\n\"Wert\"=\"user\"\n");
        Schreiben(System(), KOPF + "[Software\\\\Test] 1\n\"Wert\"=\"system\"\n");
        QCOMPARE(Beschreibung(RegLeseWert(HKCU, "Software\\Test", "Wert")), QStringLiteral("SZ:user"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Wert")), QStringLiteral("SZ:system"));
        QCOMPARE(Beschreibung(RegLeseWert(0x80000003u, "Software\\Test", "Wert")), QStringLiteral("Null"));
        // Another program rewrites the file at once, to the same size: the next read sees it.
        Schreiben(System(), KOPF + "[Software\\\\Test] 1\n\"Wert\"=\"SYSTEM\"\n");
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Wert")), QStringLiteral("SZ:SYSTEM"));
        QFile::remove(System());
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Wert")), QStringLiteral("Null"));
        QVERIFY(!RegSchreibeWert(0x80000000u, "Software\\Test", "Wert", std::string("x"), TYP_SZ));
    }

    void writingRegistryValues_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<QString>("wert");  // text, or a number for dword
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<QString>("gelesen");
        QTest::newRow("sz") << 1 << "abc" << QByteArray("\"Wert\"=\"abc\"") << "SZ:abc";
        QTest::newRow("empty sz") << 1 << "" << QByteArray("\"Wert\"=\"\"") << "SZ:";
        QTest::newRow("escapes") << 1 << "C:\\Korvant \"neu\"" << QByteArray("\"Wert\"=\"C:\\\\Korvant \\\"neu\\\"\"")
                                 << "SZ:C:\\Korvant \"neu\"";
        QTest::newRow("umlaut") << 1 << "Müller" << QByteArray("\"Wert\"=\"M\\x00fcller\"") << "SZ:Müller";
        QTest::newRow("expand sz") << 2 << "%TEMP%\\x" << QByteArray("\"Wert\"=str(2):\"%TEMP%\\\\x\"")
                                   << "SZ:%TEMP%\\x";
        QTest::newRow("dword -1") << 4 << "-1" << QByteArray("\"Wert\"=dword:ffffffff") << "DW:-1";
        QTest::newRow("dword") << 4 << "42" << QByteArray("\"Wert\"=dword:0000002a") << "DW:42";
        // line breaks are escaped in the file, so no value can start a key of its own
        QTest::newRow("line breaks") << 1 << "x\r\n[Software\\Fremd]" << QByteArray("\"Wert\"=\"x\\r\\n[Software\\\\Fremd]\"")
                                     << "SZ:x\r\n[Software\\Fremd]";
    }
    void writingRegistryValues() {
        QFETCH(int, typ);
        QFETCH(QString, wert);
        QFETCH(QByteArray, zeile);
        QFETCH(QString, gelesen);
        Schreiben(System(), KOPF + "[Software\\\\Test] 1\n\"Anderer\"=\"bleibt\"\n");
        const RegWert v = typ == TYP_DWORD ? RegWert(static_cast<std::int32_t>(wert.toInt())) : RegWert(Std(wert));
        QVERIFY(RegSchreibeWert(HKLM, "Software\\Test", "Wert", v, typ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Wert")), gelesen);
        QVERIFY(Lesen(System()).split('\n').contains(zeile));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Anderer")), QStringLiteral("SZ:bleibt"));
        QCOMPARE(PrefixDateien(), QStringList{"system.reg"});
    }

    void multiStringsAndBinaryRoundTrip() {
        Schreiben(System(), KOPF);
        const std::string mehrfach("eins\0zwei\0", 10);
        QVERIFY(RegSchreibeWert(HKLM, "Software\\Test", "Liste", mehrfach, TYP_MULTI_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Liste")), QStringLiteral("SZ:eins<0>zwei<0>"));
        QVERIFY(RegSchreibeWert(HKLM, "Software\\Test", "Daten", std::vector<std::uint8_t>{0, 1, 0xfe}, TYP_BINARY));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Daten")), QStringLiteral("BIN:0001fe"));
    }

    void writingKeepsTheRestOfTheFile() {
        const QByteArray vorher = KOPF +
                                  "[Software\\\\A] 1700000000\n#time=1da0000000000000\n\"Eins\"=\"1\"\n\n"
                                  ";; Kommentar\n[Software\\\\B] 1700000001\n\"Zwei\"=dword:00000002\n"
                                  "\"Bin\"=hex:01,02,\\\n  03\n\n";
        Schreiben(System(), vorher);
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "Drei", std::string("3"), TYP_SZ));
        QVERIFY(RegSchreibeWert(HKLM, "software\\a", "VIER", std::string("4"), TYP_SZ));
        QList<QByteArray> erwartet = vorher.split('\n');
        erwartet.insert(erwartet.indexOf("\"Eins\"=\"1\"") + 1, "\"Drei\"=\"3\"");
        erwartet.insert(erwartet.indexOf("\"Drei\"=\"3\"") + 1, "\"VIER\"=\"4\"");
        QCOMPARE(Lesen(System()).split('\n'), erwartet);
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Drei")), QStringLiteral("SZ:3"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Vier")), QStringLiteral("SZ:4"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\B", "Bin")), QStringLiteral("BIN:010203"));

        // an existing value is replaced, whatever the case of its name
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "eins", std::string("neu"), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Eins")), QStringLiteral("SZ:neu"));
        QCOMPARE(Lesen(System()).count("\"=\"neu\""), 1);
        QCOMPARE(PrefixDateien(), QStringList{"system.reg"});
    }

    void writingADuplicatedValueIsReadBack() {
        Schreiben(System(), KOPF + "[Software\\\\A] 1\n\"Wert\"=\"alt\"\n\"Wert\"=\"älter\"\n");
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "Wert", std::string("neu"), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Wert")), QStringLiteral("SZ:neu"));
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "Wert", RegWert(), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Wert")), QStringLiteral("Null"));
    }

    void writingNullDeletesAndAnEmptyNameCreatesTheKey() {
        Schreiben(System(), KOPF + "[Software\\\\A] 1\n\"Wert\"=\"x\"\n\"Rest\"=\"y\"\n");
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "Wert", RegWert(), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Wert")), QStringLiteral("Null"));
        QVERIFY(!Lesen(System()).contains("\"Wert\""));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Rest")), QStringLiteral("SZ:y"));
        // deleting what is not there fails, as the registry call does
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Wert", RegWert(), TYP_SZ));

        QVERIFY(RegSchreibeWert(HKLM, "Software\\A\\Neu\\Tiefer", "", std::string("ignoriert"), TYP_SZ));
        QCOMPARE(RegSchluesselAuflisten(HKLM, "Software\\A"), std::vector<std::string>{"Neu"});
        QCOMPARE(RegSchluesselAuflisten(HKLM, "Software\\A\\Neu"), std::vector<std::string>{"Tiefer"});
        QVERIFY(!Lesen(System()).contains("ignoriert"));

        // a dword given as text is written when it is a number
        QVERIFY(RegSchreibeWert(HKLM, "Software\\A", "Zahl", std::string("42"), TYP_DWORD));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Zahl")), QStringLiteral("DW:42"));
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Zahl", std::string("kein"), TYP_DWORD));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Zahl")), QStringLiteral("DW:42"));

        // unhandled type numbers write nothing
        for (int typ : {0, 5, 6, 8, -1}) {
            QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Typ", std::string("1"), typ));
            QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Typ")), QStringLiteral("Null"));
        }
        QCOMPARE(PrefixDateien(), QStringList{"system.reg"});
    }

    void writingIntoAMissingFileCreatesIt() {
        QVERIFY(RegSchreibeWert(HKCU, "Software\\BELMARK GmbH\\Korvant\\4.0", "DefaultProjectsPath",
                                std::string("D:\\Projekte"), TYP_SZ));
        QVERIFY(RegSchreibeWert(HKCU, "Software\\BELMARK GmbH\\Korvant\\4.0", "Sprache", std::string("de"), TYP_SZ));
        const QByteArray datei = Lesen(mPrefix + "/user.reg");
        QVERIFY(datei.startsWith("WINE REGISTRY Version 2\n"));
        QVERIFY(datei.contains("[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] "));
        QCOMPARE(Beschreibung(RegLeseWert(HKCU, "Software\\BELMARK GmbH\\Korvant\\4.0", "DefaultProjectsPath")),
                 QStringLiteral("SZ:D:\\Projekte"));
        QCOMPARE(Beschreibung(RegLeseWert(HKCU, "Software\\BELMARK GmbH\\Korvant\\4.0", "Sprache")),
                 QStringLiteral("SZ:de"));
    }

    void keysWithUmlautsAreWrittenAndFound() {
        Schreiben(System(), KOPF);
        QVERIFY(RegSchreibeWert(HKLM, "Software\\Projekte\\Kläranlage Süd", "Path", std::string("D:\\Süd"), TYP_SZ));
        QVERIFY(RegSchreibeWert(HKLM, "SOFTWARE\\PROJEKTE\\KLÄRANLAGE SÜD", "Name", std::string("Süd"), TYP_SZ));
        QCOMPARE(Lesen(System()).count("[Software\\\\Projekte\\\\Kl"), 1);
        QCOMPARE(RegSchluesselAuflisten(HKLM, "software\\projekte"), std::vector<std::string>{"Kläranlage Süd"});
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Projekte\\kläranlage süd", "path")),
                 QStringLiteral("SZ:D:\\Süd"));
    }

    void keysWithBracketsOrControlCharactersAreWrittenAndFound_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("brackets") << QStringLiteral("Linie [2]");
        QTest::newRow("tab") << QStringLiteral("Linie\t2");
        QTest::newRow("line break") << QStringLiteral("Linie\n2");
    }
    void keysWithBracketsOrControlCharactersAreWrittenAndFound() {
        QFETCH(QString, name);
        const std::string schluessel = "Software\\" + Std(name);
        Schreiben(System(), KOPF);
        QVERIFY(RegSchreibeWert(HKLM, schluessel, "Path", std::string("a"), TYP_SZ));
        QVERIFY(RegSchreibeWert(HKLM, schluessel, "Name", std::string("b"), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, schluessel, "Path")), QStringLiteral("SZ:a"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, schluessel, "Name")), QStringLiteral("SZ:b"));
        QCOMPARE(RegSchluesselAuflisten(HKLM, "Software"), std::vector<std::string>{Std(name)});
        QCOMPARE(Lesen(System()).count("[Software"), 1);
    }

    void enumeratingSubkeys() {
        Schreiben(System(), KOPF +
                                "[Software\\\\P\\\\Zulauf] 1\n\"a\"=\"1\"\n\n"
                                "[Software\\\\P\\\\Belebung\\\\Becken 1] 1\n\n"
                                "[Software\\\\P\\\\Belebung\\\\Becken 2] 1\n\n"
                                "[Software\\\\P\\\\Auslauf] 1\n\n"
                                "[Software\\\\PX\\\\Fremd] 1\n\n"
                                "[Software\\\\p\\\\zulauf\\\\Unten] 1\n\n"
                                "[Software\\\\P\\\\BelebungA] 1\n\n"
                                "[Software\\\\P\\\\belebung_alt] 1\n\n");
        // Windows' order, not the file's: by name in small letters, "_" before the letters
        QCOMPARE(RegSchluesselAuflisten(HKLM, "Software\\P"),
                 (std::vector<std::string>{"Auslauf", "Belebung", "belebung_alt", "BelebungA", "Zulauf"}));
        QCOMPARE(RegSchluesselAuflisten(HKLM, "SOFTWARE\\p\\belebung"),
                 (std::vector<std::string>{"Becken 1", "Becken 2"}));
        QVERIFY(RegSchluesselAuflisten(HKLM, "Software\\P\\Auslauf").empty());
        QVERIFY(RegSchluesselAuflisten(HKLM, "Software\\Fehlt").empty());
        QVERIFY(RegSchluesselAuflisten(HKCU, "Software\\P").empty());
    }

    void undecodableRegistryValuesReadAsNull_data() {
        QTest::addColumn<QByteArray>("zeile");
        QTest::newRow("byte above ff") << QByteArray("\"Wert\"=hex:01,1ff,02");
        QTest::newRow("byte of twenty digits") << QByteArray("\"Wert\"=hex:01,0123456789abcdef0123");
        QTest::newRow("no hex byte") << QByteArray("\"Wert\"=hex:01,zz");
        QTest::newRow("typed hex") << QByteArray("\"Wert\"=hex(1):41,00,ffffffffffffffffff");
        QTest::newRow("dword of nine digits") << QByteArray("\"Wert\"=dword:123456789");
        QTest::newRow("dword of twenty digits") << QByteArray("\"Wert\"=dword:0123456789abcdef0123");
        QTest::newRow("dword without digits") << QByteArray("\"Wert\"=dword:");
        QTest::newRow("unterminated text") << QByteArray("\"Wert\"=\"abc");
        QTest::newRow("unterminated expand text") << QByteArray("\"Wert\"=str(2):\"abc");
    }
    void undecodableRegistryValuesReadAsNull() {
        QFETCH(QByteArray, zeile);
        Schreiben(System(), KOPF + "[Software\\\\Test] 1\n\"Davor\"=\"a\"\n" + zeile + "\n\"Danach\"=dword:00000002\n");
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Wert")), QStringLiteral("Null"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Davor")), QStringLiteral("SZ:a"));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\Test", "Danach")), QStringLiteral("DW:2"));
    }

    void unparseableRegistryFilesAreNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("no header") << QByteArray("REGEDIT4\n\n[Software\\\\A] 1\n\"Wert\"=\"x\"\n");
        QTest::newRow("nul bytes") << KOPF + Roh("[Software\\\\A] 1\n\"Wert\"=\"x\0\"\n");
        QTest::newRow("unknown line") << KOPF + "[Software\\\\A] 1\nUnsinn ohne Form\n";
        QTest::newRow("broken key line") << KOPF + "[Software\\\\A\n\"Wert\"=\"x\"\n";
        QTest::newRow("value before any key") << KOPF + "\"Wert\"=\"x\"\n";
        QTest::newRow("sqlite file") << Roh("SQLite format 3\0\x10\0");
    }
    void unparseableRegistryFilesAreNeverOverwritten() {
        QFETCH(QByteArray, inhalt);
        Schreiben(System(), inhalt);
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Neu", std::string("y"), TYP_SZ));
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Wert", RegWert(), TYP_SZ));
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\B", "", RegWert(), TYP_SZ));
        QCOMPARE(Lesen(System()), inhalt);
        QCOMPARE(PrefixDateien(), QStringList{"system.reg"});
    }

    void registryFileThatIsAFolder() {
        QDir().mkpath(System());
        QVERIFY(!RegSchreibeWert(HKLM, "Software\\A", "Neu", std::string("y"), TYP_SZ));
        QCOMPARE(Beschreibung(RegLeseWert(HKLM, "Software\\A", "Neu")), QStringLiteral("Null"));
        QVERIFY(RegSchluesselAuflisten(HKLM, "Software").empty());
        QVERIFY(QFileInfo(System()).isDir());
    }
};

// One of the two writers of twoWritersLoseNothing: 200 keys into the file named
// by TAVERO_SCHREIBER (or the registry); the exit code counts failed writes.
int Schreiber(const QByteArray& ziel, int id) {
    int fehler = 0;
    for (int n = 0; n < 200; ++n) {
        const std::string name = "w" + std::to_string(id) + "_" + std::to_string(n);
        const bool ok = ziel == "registry"
                            ? RegSchreibeWert(HKLM, "Software\\Geteilt", name, RegWert(std::int32_t(n)), TYP_DWORD)
                            : MIni::IniSchreibeWert("Geteilt", name, n, ziel.toStdString());
        fehler += ok ? 0 : 1;
    }
    return fehler;
}

int main(int argc, char** argv) {
    if (const QByteArray ziel = qgetenv("TAVERO_SCHREIBER"); !ziel.isEmpty())
        return Schreiber(ziel, qEnvironmentVariableIntValue("TAVERO_SCHREIBER_ID"));
    QCoreApplication app(argc, argv);
    TstPlatform tst;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tst, argc, argv);
}
#include "tst_platform.moc"
