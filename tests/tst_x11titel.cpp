// Title bars as the window system shows them, under a real X server: the
// program's own titles stand as they are, with nothing added to them.
#include <QtTest>

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "helpers/SkriptDialoge.h"
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
};

QTEST_MAIN(TstX11Titel)
#include "tst_x11titel.moc"
