// Title bars as the window system shows them, under a real X server: the
// program's own titles stand as they are, with nothing added to them. And the
// real program driven by real pointer events: a press that activates the
// picture window drags its arrow by the pointer's movement alone.
#include <QtTest>

#include <QScreen>

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"
#include "shell/Anwendung.h"
#include "shell/frmIniDialog.h"
#include "shell/frmMain.h"
#include "shell/frmProjektAuswahl.h"

namespace {
// The names of all windows on the X server, as xwininfo reads them.
QStringList fensterTitel() {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    p.waitForFinished(5000);
    QStringList titel;
    static const QRegularExpression name(QStringLiteral("^\\s*0x[0-9a-f]+ \"(.*)\": \\("));
    for (const QString& zeile : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (const auto m = name.match(zeile); m.hasMatch())
            titel << m.captured(1);
    return titel;
}

// The title of one window of this process as the X server holds it.
QString titelVon(QWidget* w) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w->winId()), QStringLiteral("_NET_WM_NAME")});
    p.waitForFinished(5000);
    static const QRegularExpression wert(QStringLiteral("= \"(.*)\"\\s*$"));
    return wert.match(QString::fromUtf8(p.readAllStandardOutput()).trimmed()).captured(1);
}
// Runs xdotool with these arguments and returns what it printed.
QString xdotool(const QStringList& argumente) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), argumente);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Where a colour shows on the whole X screen (all programs' windows), as a box.
QRect farbeAufDemSchirm(QRgb farbe) {
    const QImage bild = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = 0; y < bild.height(); ++y) {
        const auto* zeile = reinterpret_cast<const QRgb*>(bild.constScanLine(y));
        for (int x = 0; x < bild.width(); ++x)
            if ((zeile[x] & 0xffffff) == (farbe & 0xffffff))
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// A 24-bit BMP written byte by byte: a picture made apart from Qt and the demo generator.
bool bmpVonHand(const QString& pfad, int breite, int hoehe, QRgb farbe) {
    QDir().mkpath(QFileInfo(pfad).path());
    const int zeile = (breite * 3 + 3) / 4 * 4;
    QByteArray d("BM");
    auto u32 = [&d](quint32 v) { for (int i = 0; i < 4; ++i) d.append(char((v >> (8 * i)) & 0xff)); };
    auto u16 = [&d](quint16 v) { d.append(char(v & 0xff)); d.append(char(v >> 8)); };
    u32(54 + zeile * hoehe); u32(0); u32(54);
    u32(40); u32(breite); u32(hoehe); u16(1); u16(24); u32(0); u32(zeile * hoehe); u32(2835); u32(2835); u32(0); u32(0);
    QByteArray reihe(zeile, 0);
    for (int x = 0; x < breite; ++x) {
        reihe[3 * x] = char(qBlue(farbe));
        reihe[3 * x + 1] = char(qGreen(farbe));
        reihe[3 * x + 2] = char(qRed(farbe));
    }
    for (int y = 0; y < hoehe; ++y)
        d.append(reihe);
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(d) == d.size();
}

QString spalteLesen(const QString& db, const QString& spalte, int ident) {
    return TestDb(db).Abfrage(QStringLiteral("select \"%1\" from Alarmdefs where Ident = %2").arg(spalte).arg(ident)).value(0).value(0).toString();
}
}  // namespace

class TstX11Titel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Anwendung::Einrichten();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run under xvfb-run)");
    }

    void ownWindowsCarryTheirTitlesAlone() {
        SkriptDialoge s;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(titelVon(&w), QStringLiteral("Tavero für Windows"));
        frmProjektAuswahl projekte(&w);
        projekte.show();
        QVERIFY(QTest::qWaitForWindowExposed(&projekte));
        QTRY_COMPARE(titelVon(&projekte), QStringLiteral("Projektauswahl"));
        projekte.hide();
        AlarmAuswahl a;
        frmIniDialog ini(&a, &w);
        ini.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ini));
        QTRY_COMPARE(titelVon(&ini), QStringLiteral("Keine gültige Ini-Datei gefunden!"));
        QTest::mouseClick(ini.BrowseButton, Qt::LeftButton);  // the file dialog is cancelled
        QTRY_COMPARE(titelVon(&ini), QStringLiteral("Ini-Datei neu"));
    }

    void theProgramShowsItsTitles() {
        QTemporaryDir dir;
        DemoOptionen opt;
        opt.out = dir.path();
        opt.alarms = 50;
        opt.pictures = 2;
        opt.bilderZeichnen = false;
        opt.programmOrdner = dir.filePath(QStringLiteral("bin"));
        QVERIFY(DemoProjekt::Erzeugen(opt));
        // A copy of the program beside the generated Tavero/Tavero.ini.
        const QString programm = dir.filePath(QStringLiteral("bin/tavero"));
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/tavero"), programm));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WINEPREFIX"), DemoProjekt::Prefix(dir.path()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        auto starten = [&](const QString& titel) {
            QProcess tavero;
            tavero.setProcessEnvironment(env);
            tavero.start(programm, {DemoProjekt::Datenbank(dir.path())});
            QVERIFY(tavero.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(fensterTitel().contains(titel), 15000);
            for (const QString& t : fensterTitel())
                QVERIFY2(!t.contains(QStringLiteral("— Tavero")) && !t.contains(QStringLiteral("- Tavero")), qPrintable(t));
            tavero.kill();
            tavero.waitForFinished();
        };
        starten(QStringLiteral("Tavero für Windows"));
        // Without its configuration file the program asks for one first.
        QVERIFY(QDir(dir.filePath(QStringLiteral("bin/Tavero"))).removeRecursively());
        starten(QStringLiteral("Keine gültige Ini-Datei gefunden!"));
    }

    // The selection window is active, the main window has grown since the
    // picture window was placed; a press on the arrow activates the picture
    // window, and a drag of 2, 1 pixels writes exactly that.
    void aPressThatActivatesThePictureWindowDragsByThePointer() {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        // A project made apart from the demo generator: the table by the sqlite3
        // program, rowids apart from the alarm numbers; the pictures byte by byte.
        QTemporaryDir dir;
        const QString d = dir.path();
        const QRgb magenta = qRgb(255, 0, 255);
        QVERIFY(bmpVonHand(d + QStringLiteral("/Bilder/Anlage/Anlage.bmp"), 1600, 1200, qRgb(60, 60, 60)));
        QVERIFY(bmpVonHand(d + QStringLiteral("/Symbole/Riesig.bmp"), 200, 150, magenta));
        QDir().mkpath(d + QStringLiteral("/bin/Tavero"));
        QFile ini(d + QStringLiteral("/bin/Tavero/Tavero.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Grafik]\r\nAlarmPicturePath=%1/Bilder\r\nPfeilPath=%1/Symbole\r\n[Arrow]\r\n1Symbol=Riesig.bmp\r\n"
                                 "[Picture]\r\n1Pic=Anlage.bmp\r\n").arg(d).toUtf8());
        ini.close();
        const QString db = d + QStringLiteral("/Anlage.kvs");
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {db});
        QVERIFY(sqlite.waitForStarted());
        sqlite.write("CREATE TABLE Alarmdefs (Ident INTEGER, Type INTEGER, Acknowledge INTEGER, VarName TEXT, BitNo INTEGER, "
                     "Min TEXT, Max TEXT, Priority INTEGER, \"Group\" INTEGER, Helpindex INTEGER, Alarmtext TEXT, Form TEXT, "
                     "Symbol TEXT, X INTEGER, Y INTEGER, Sensor1 INTEGER, Sensor2 INTEGER, Fault INTEGER);\n"
                     "INSERT INTO Alarmdefs (Ident, Alarmtext, Form, Symbol, X, Y) VALUES "
                     "(4711, 'Pumpe läuft trocken', 'Anlage', 'Standard\\Riesig.bmp', 800, 600), "
                     "(4712, 'Ventil klemmt', 'Anlage', 'Standard\\Riesig.bmp', 800, 600);\n");
        sqlite.closeWriteChannel();
        QVERIFY(sqlite.waitForFinished() && sqlite.exitCode() == 0);
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/tavero"), d + QStringLiteral("/bin/tavero")));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WINEPREFIX"), d + QStringLiteral("/prefix"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess tavero;
        tavero.setProcessEnvironment(env);
        tavero.start(d + QStringLiteral("/bin/tavero"), {db});
        QVERIFY(tavero.waitForStarted());
        auto ende = qScopeGuard([&] { tavero.kill(); tavero.waitForFinished(); });
        QString fenster;
        QTRY_VERIFY_WITH_TIMEOUT(!(fenster = xdotool({QStringLiteral("search"), QStringLiteral("--name"),
                                                      QStringLiteral("^Tavero für Windows$")}).section(QLatin1Char('\n'), 0, 0))
                                      .isEmpty(), 15000);
        xdotool({QStringLiteral("windowmove"), QStringLiteral("--sync"), fenster, QStringLiteral("0"), QStringLiteral("0")});
        xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), fenster, QStringLiteral("1000"), QStringLiteral("760")});
        QTest::qWait(500);
        // A click on a grid row picks its alarm: the picture window shows the arrow in its middle.
        QRect pfeil;
        for (int y = 70; y < 260 && pfeil.isEmpty(); y += 10) {
            xdotool({QStringLiteral("mousemove"), QString::number(300), QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
            QTest::qWait(400);
            pfeil = farbeAufDemSchirm(magenta);
        }
        QVERIFY2(!pfeil.isEmpty(), "kein Pfeil gezeigt");
        // The grid has the focus again; the main window grows, the picture window stays where it is.
        xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), fenster, QStringLiteral("1180"), QStringLiteral("880")});
        QTest::qWait(600);
        pfeil = farbeAufDemSchirm(magenta);
        QVERIFY(!pfeil.isEmpty());
        const QPoint p = pfeil.topLeft() + QPoint(50, 40);
        xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()), QStringLiteral("mousedown"),
                 QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.4"), QStringLiteral("mousemove"),
                 QString::number(p.x() + 2), QString::number(p.y() + 1), QStringLiteral("sleep"), QStringLiteral("0.4"),
                 QStringLiteral("mouseup"), QStringLiteral("1")});
        // Alarm 4711 or 4712, whichever row was picked: exactly two and one pixels further.
        QTRY_VERIFY_WITH_TIMEOUT(spalteLesen(db, QStringLiteral("X"), 4711) != QStringLiteral("800") ||
                                     spalteLesen(db, QStringLiteral("X"), 4712) != QStringLiteral("800"),
                                 5000);
        const int gezogen = spalteLesen(db, QStringLiteral("X"), 4711) != QStringLiteral("800") ? 4711 : 4712;
        QCOMPARE(spalteLesen(db, QStringLiteral("X"), gezogen), QStringLiteral("802"));
        QCOMPARE(spalteLesen(db, QStringLiteral("Y"), gezogen), QStringLiteral("601"));
        QCOMPARE(spalteLesen(db, QStringLiteral("X"), 4711 + 4712 - gezogen), QStringLiteral("800"));
    }

    // A tool window belongs to the main window, so the window system keeps it in front of it.
    void toolWindowsStayInFrontOfTheMainWindow() {
        SkriptDialoge s;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.VerlaufZeigen();
        auto* verlauf = w.findChild<QWidget*>(QStringLiteral("Verlauf"));
        QVERIFY(verlauf);
        QVERIFY(QTest::qWaitForWindowExposed(verlauf));
        auto eigenschaft = [](QWidget* f, const char* name) {
            QProcess p;
            p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(f->winId()), QString::fromLatin1(name)});
            p.waitForFinished(5000);
            return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        };
        const QString besitzer = eigenschaft(verlauf, "WM_TRANSIENT_FOR");
        QVERIFY2(besitzer.endsWith(QStringLiteral("0x") + QString::number(w.winId(), 16)), qPrintable(besitzer));
        QVERIFY(eigenschaft(verlauf, "_NET_WM_WINDOW_TYPE").contains(QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY")));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(verlauf->frameGeometry()));
    }
};

QTEST_MAIN(TstX11Titel)
#include "tst_x11titel.moc"
