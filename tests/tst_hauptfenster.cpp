// The main window: start-up order, menus, tool bar modes, the opening and the placement.
#include <QtTest>

#include <QActionGroup>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolBar>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"
#include "platform/WinUmgebung.h"
#include "shell/Befehlszeile.h"
#include "alarms/Konfiguration.h"
#include "shell/frmIniDialog.h"
#include "shell/frmMain.h"

namespace {
// Records what the component held when a message came, to see the order of the steps.
class BeobachtendeDialoge : public SkriptDialoge {
public:
    std::function<void()> beiMeldung;
    void Meldung(QWidget* o, const QString& t, const QString& ti) override {
        SkriptDialoge::Meldung(o, t, ti);
        if (beiMeldung)
            beiMeldung();
    }
};

QStringList texte(const QList<QAction*>& l) {
    QStringList r;
    for (QAction* a : l)
        r << (a->isVisible() ? a->text() : QStringLiteral("<unsichtbar>"));
    return r;
}
// Runs statements on the SQLite file; with ergebnis, the last one is a query giving one number.
bool sqlAusfuehren(const QString& db, const QStringList& sql, int* ergebnis = nullptr) {
    TestDb t(db);
    bool ok = t.ok();
    for (qsizetype i = 0; i < sql.size() && ok; ++i) {
        if (ergebnis && i == sql.size() - 1) {
            const QList<QVariantList> zeilen = t.Abfrage(sql.at(i));
            if (!zeilen.isEmpty())
                *ergebnis = zeilen.first().value(0).toInt();
        } else {
            ok = t.Ausfuehren(sql.at(i));
        }
    }
    return ok;
}
}  // namespace

class TstHauptfenster : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;

    QString iniPfad() const { return m_dir->filePath(QStringLiteral("Tavero/Tavero.ini")); }
    void schreiben(const QString& pfad, const QByteArray& inhalt) {
        QDir().mkpath(QFileInfo(pfad).path());
        QFile f(pfad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(inhalt);
    }
    static QByteArray beispielIni() {
        return "[Grafik]\r\nAlarmPicturePath=C:\\Bilder\r\nPfeilPath=C:\\Pfeile\r\n"
               "[Arrow]\r\n1Symbol=C:\\Pfeile\\Pfeil_rechts.bmp\r\n2Symbol=Pfeil.gif\r\n"
               "[Picture]\r\n1Pic=C:\\Bilder\\Pumpe.bmp\r\n2Pic=Kessel.bmp\r\n3Pic=ab\r\n";
    }
    QString fehlendeDb() const { return m_dir->filePath(QStringLiteral("gibt es nicht.kvs")); }
    static void klick(frmMain& w, const QString& key) {
        QWidget* knopf = w.tbToolBar->widgetForAction(w.ToolButton(key));
        QVERIFY(knopf);
        QTest::mouseClick(knopf, Qt::LeftButton);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        m_dir = new QTemporaryDir;
        qputenv("WINEPREFIX", QFile::encodeName(m_dir->filePath(QStringLiteral("prefix"))));
        WinUmgebung::ProgrammOrdnerSetzen(m_dir->path().toStdString());
        gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
        QSettings(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero")).clear();
    }
    void cleanup() {
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
        delete m_dir;
    }

    void controlsCarryTheirTexts() {
        frmMain w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Tavero für Windows"));
        QCOMPARE(w.mnuFile->title(), QStringLiteral("&Datei"));
        QCOMPARE(w.mnuFileOpen->text(), QStringLiteral("AlarmDB Ö&ffnen..."));
        QCOMPARE(w.mnuFileOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(w.Ende->text(), QStringLiteral("&Ende"));
        // "&Datei" first; the menus added later come after it.
        QCOMPARE(w.menuBar()->actions().value(0), w.mnuFile->menuAction());
        QVERIFY(!w.menuBar()->actions().contains(w.mnuPfeile->menuAction()));
        QVERIFY(!w.menuBar()->actions().contains(w.mnuAlarmBild->menuAction()));
        // The eight buttons first; added buttons follow them.
        const QList<QAction*> t = w.tbToolBar->actions();
        QVERIFY(t.size() >= 8);
        const QStringList keys{"SingleMode", "ContMode", "AllMode", "", "Grid", "Editor", "", "TestMode"};
        const QStringList tips{"SingleMode, ein Pfeil pro AlarmBild.", "CntinousMode", "AllMode", "",
                               "Grid, zeigt die Datenbankeinträge.", "Editor, zeigt den Pfeileditor an.", "",
                               "TestMode"};
        const QStringList beschr{"", "ContMode", "AllMode, alle Pfeile für ein AlarmBild werden angezeigt.", "", "",
                                 "", "", ""};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(t[i]->data().toString(), keys[i]);
            if (!keys[i].isEmpty()) {
                QCOMPARE(t[i]->toolTip(), tips[i]);
                QCOMPARE(t[i]->statusTip(), beschr[i]);
                QVERIFY(!t[i]->icon().isNull());
            }
        }
        QVERIFY(t[3]->isSeparator());
        QVERIFY(t[0]->actionGroup() == t[2]->actionGroup() && t[0]->actionGroup()->isExclusive());
        QVERIFY(t[4]->actionGroup() == t[5]->actionGroup() && t[4]->actionGroup() != t[0]->actionGroup());
        QVERIFY(t[7]->isCheckable() && !t[7]->actionGroup());
        QCOMPARE(w.StatusTextLesen(1), QStringLiteral("Status"));
        QCOMPARE(w.StatusTextLesen(2), QString());
        QVERIFY(!w.StatusTextLesen(3).isEmpty() && !w.StatusTextLesen(4).isEmpty());
        // The public values live in what the main window hands down, not in a global.
        QCOMPARE(&w.imgNeuDB, &w.Werte().imgNeuDB);
        QVERIFY(w.Werte().AussenGroesseTwips);
        QCOMPARE(w.Werte().AussenGroesseTwips(), w.AussenGroesseTwips());
    }

    void startWithCommandLineRunsTheStepsInOrder() {
        BeobachtendeDialoge s;
        schreiben(iniPfad(), beispielIni());
        frmMain w;
        QString bilderBeiShow = QStringLiteral("?");
        QString erweiterungBeiShow;
        int symboleBeiShow = -1;
        std::int16_t singleBeiShow = 1;
        s.beiMeldung = [&] {
            bilderBeiShow = w.mgobjAuswahl()->BilderPath();
            erweiterungBeiShow = w.mgobjAuswahl()->PfadErweiterung();
            symboleBeiShow = int(w.mgobjAuswahl()->SymbolListe().value_or(QStringList()).size());
            singleBeiShow = gSingleMode;
        };
        w.Laden(fehlendeDb());
        // The component reports the missing database; BilderPath comes only after it.
        QCOMPARE(s.meldungen,
                 QStringList{QStringLiteral("Verweis auf die Alarmdatenbank nicht vorhanden (") + fehlendeDb() + ")"});
        QCOMPARE(bilderBeiShow, QString());
        QCOMPARE(erweiterungBeiShow, QStringLiteral("Standard\\"));
        QCOMPARE(symboleBeiShow, 2);
        QCOMPARE(singleBeiShow, FALSCH);
        AlarmAuswahl* a = w.mgobjAuswahl();
        QCOMPARE(a->AlarmDatenbank(), fehlendeDb());
        QCOMPARE(a->IniPath(), m_dir->path() + QStringLiteral("\\Tavero\\Tavero.ini"));
        QCOMPARE(*a->SymbolListe(), (QStringList{"Pfeil_rechts.bmp", "Pfeil.gif"}));
        QCOMPARE(*a->AlarmBilderListe(), (QStringList{"Pumpe.bmp", "Kessel.bmp", "ab"}));
        QCOMPARE(texte(w.mnuArrow), (QStringList{"Pfeil_rechts.bmp", "Pfeil.gif"}));
        // Without extension; a name too short to have one stays whole.
        QCOMPARE(texte(w.mnuAlarm), (QStringList{"Pumpe", "Kessel", "ab"}));
        QCOMPARE(a->BilderPath(), QStringLiteral("C:\\Bilder"));
        QCOMPARE(a->SymbolPath(), QStringLiteral("C:\\Pfeile"));
        QCOMPARE(gSingleMode, WAHR);
        QCOMPARE(gStartOhneDB, FALSCH);
        QVERIFY(w.ToolButton("SingleMode")->isChecked());
        QCOMPARE(s.modalAufrufe, 0);
    }

    void missingIniIsAskedForBeforeTheListsAreRead() {
        SkriptDialoge s;
        const QString anders = m_dir->filePath(QStringLiteral("woanders/Eigen.ini"));
        schreiben(anders, beispielIni());
        s.modalAntworten << [&](QDialog* dlg) {
            auto* d = qobject_cast<frmIniDialog*>(dlg);
            if (!d)
                return int(QDialog::Rejected);
            d->txtPfad->setText(anders);
            QTest::mouseClick(d->OKButton, Qt::LeftButton);
            return d->result();
        };
        frmMain w;
        w.Laden(fehlendeDb());
        QCOMPARE(s.modalAufrufe, 1);
        QCOMPARE(w.mgobjAuswahl()->IniPath(), anders);
        QCOMPARE(texte(w.mnuArrow), (QStringList{"Pfeil_rechts.bmp", "Pfeil.gif"}));
        QCOMPARE(w.mgobjAuswahl()->BilderPath(), QStringLiteral("C:\\Bilder"));
    }

    void startWithoutCommandLineOpensWithExtensions() {
        SkriptDialoge s;
        schreiben(iniPfad(), beispielIni());
        frmMain w;
        w.Laden(QString());
        AlarmAuswahl* a = w.mgobjAuswahl();
        QCOMPARE(a->AlarmDatenbank(), QString());  // no project chosen
        QCOMPARE(a->IniPath(), m_dir->path() + QStringLiteral("\\Tavero\\Tavero.ini"));
        QCOMPARE(texte(w.mnuAlarm), (QStringList{"Pumpe.bmp", "Kessel.bmp", "ab"}));
        QCOMPARE(texte(w.mnuArrow), (QStringList{"Pfeil_rechts.bmp", "Pfeil.gif"}));
        QCOMPARE(a->SymbolPath(), QStringLiteral("C:\\Pfeile"));
        QCOMPARE(gStartOhneDB, FALSCH);
        QCOMPARE(gSingleMode, WAHR);

        // Grid now reports the empty path; the picture window is hidden in any case.
        klick(w, "Editor");
        QVERIFY(w.BildfensterFallsDa() && w.BildfensterFallsDa()->isVisibleTo(&w));
        s.meldungen.clear();
        klick(w, "Grid");
        QCOMPARE(s.meldungen, QStringList{QStringLiteral("Verweis auf die Alarmdatenbank nicht vorhanden ()")});
        QVERIFY(!w.BildfensterFallsDa()->parentWidget()->isVisible());
    }

    void toolBarSwitchesTheModes() {
        SkriptDialoge s;
        schreiben(iniPfad(), beispielIni());
        frmMain w;
        w.Laden(fehlendeDb());
        struct Fall { const char* key; std::int16_t single, cont, all; };
        for (const Fall& f : {Fall{"ContMode", FALSCH, WAHR, FALSCH}, Fall{"AllMode", FALSCH, FALSCH, WAHR},
                              Fall{"SingleMode", WAHR, FALSCH, FALSCH}, Fall{"ContMode", FALSCH, WAHR, FALSCH}}) {
            klick(w, f.key);
            QCOMPARE(gSingleMode, f.single);
            QCOMPARE(gContMode, f.cont);
            QCOMPARE(gAllMode, f.all);
            QVERIFY(w.ToolButton(f.key)->isChecked());
        }
        // An opening returns to the single-arrow mode with button 1 pressed.
        w.DatenbankOeffnen();
        QCOMPARE(gSingleMode, WAHR);
        QCOMPARE(gContMode, FALSCH);
        QCOMPARE(gAllMode, FALSCH);
        QVERIFY(w.ToolButton("SingleMode")->isChecked());
        QVERIFY(!w.ToolButton("ContMode")->isChecked());
    }

    void testModeTogglesTheComponent() {
        SkriptDialoge s;
        schreiben(iniPfad(), beispielIni());
        frmMain w;
        w.Laden(fehlendeDb());
        QCOMPARE(w.mgobjAuswahl()->Testmodus(), false);
        klick(w, "TestMode");
        QCOMPARE(w.mgobjAuswahl()->Testmodus(), true);
        QVERIFY(w.ToolButton("TestMode")->isChecked());
        klick(w, "TestMode");
        QCOMPARE(w.mgobjAuswahl()->Testmodus(), false);
        // Pressed, then a new component: the next click releases it and sets the new one True.
        klick(w, "TestMode");
        w.DatenbankOeffnen();
        QCOMPARE(w.mgobjAuswahl()->Testmodus(), false);
        klick(w, "TestMode");
        QVERIFY(!w.ToolButton("TestMode")->isChecked());
        QCOMPARE(w.mgobjAuswahl()->Testmodus(), true);
    }

    void openingReplacesTheComponentAndItsWindow() {
        SkriptDialoge s;
        schreiben(iniPfad(), beispielIni());
        const QString db = m_dir->filePath(QStringLiteral("Demo.kvs"));
        schreiben(db, QByteArray());
        frmMain w;
        w.Laden(db);
        QPointer<AlarmAuswahl> alt = w.mgobjAuswahl();
        QVERIFY(alt->HatFenster());
        QPointer<frmAlarmAuswahl> altesFenster = alt->Fenster();
        w.DatenbankOeffnen();
        QVERIFY(w.mgobjAuswahl() != nullptr);
        QVERIFY(w.mgobjAuswahl() != alt);
        // The old grid is gone from view at once and deleted by the event loop.
        QVERIFY(altesFenster.isNull() || !altesFenster->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alt.isNull());
        QVERIFY(altesFenster.isNull());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // its MDI frame follows
        for (QMdiSubWindow* sub : w.mdiArea->subWindowList())
            QVERIFY(sub->widget() != nullptr);
    }

    void alarmSelectedShowsThePictureWindow() {
        SkriptDialoge s;
        frmMain w;
        w.Laden(fehlendeDb());
        QVERIFY(!w.BildfensterFallsDa());
        w.mgobjAuswahl()->setAktuellerAlarm(AlarmRecord{});
        QVERIFY(w.BildfensterFallsDa());
        QVERIFY(w.BildfensterFallsDa()->isVisibleTo(&w));
        QCOMPARE(w.mdiArea->subWindowList().size(), 1);
        QCOMPARE(w.KindFensterEinfuegen(w.BildfensterFallsDa()), w.KindFensterEinfuegen(w.BildfensterFallsDa()));
    }

    void placementIsStoredOnCloseOnly() {
        QSettings st(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tavero"));
        {
            SkriptDialoge s;
            frmMain w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.Ende->trigger();
            QCOMPARE(s.beendet, 1);
            st.sync();
            QVERIFY(!st.contains(QStringLiteral("Settings/MainLeft")));
            w.showMinimized();
            w.close();
            QCOMPARE(s.beendet, 2);
            st.sync();
            QVERIFY(!st.contains(QStringLiteral("Settings/MainLeft")));
        }
        SkriptDialoge s;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect r = w.frameGeometry();
        w.close();
        QCOMPARE(s.beendet, 1);
        st.sync();
        QCOMPARE(st.value(QStringLiteral("Settings/MainLeft")).toString(), QString::number(r.x() * 15));
        QCOMPARE(st.value(QStringLiteral("Settings/MainTop")).toString(), QString::number(r.y() * 15));
        QCOMPARE(st.value(QStringLiteral("Settings/MainWidth")).toString(), QString::number(r.width() * 15));
        QCOMPARE(st.value(QStringLiteral("Settings/MainHeight")).toString(), QString::number(r.height() * 15));
    }

    void badIniInputsReadSafely_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<bool>("ordner");
        QTest::addColumn<QStringList>("pfeile");
        QTest::addColumn<int>("bilder");
        QTest::newRow("Lücke") << QByteArray("[Arrow]\r\n1Symbol=\r\n2Symbol=B.gif\r\n[Picture]\r\n1Pic=A.bmp\r\n3Pic=C.bmp\r\n")
                               << false << QStringList{"<unsichtbar>"} << 1;
        QTest::newRow("Pfad mit Endstrich") << QByteArray("[Arrow]\r\n1Symbol=C:\\Pfeile\\\r\n")
                                            << false << QStringList{""} << 0;
        QTest::newRow("binär") << QByteArray("\x00\xff\xfe[Arrow\x00]\r\n1Symbol=\x01\x02", 18) << false
                               << QStringList{"<unsichtbar>"} << 0;
        QTest::newRow("Ordner") << QByteArray() << true << QStringList{"<unsichtbar>"} << 0;
        QTest::newRow("kurze Bilder") << QByteArray("[Arrow]\r\n1Symbol=\\\r\n[Picture]\r\n1Pic=a\r\n2Pic=C:\\\r\n3Pic=.bmp\r\n")
                                      << false << QStringList{""} << 3;
        QTest::newRow("überlang") << QByteArray("[Grafik]\r\nAlarmPicturePath=" + QByteArray(3000, 'z') + "\r\n[Arrow]\r\n1Symbol=" +
                                                QByteArray(3000, 'x') + "\r\n[Picture]\r\n1Pic=" + QByteArray(3000, 'y') + "\r\n")
                                  << false << QStringList{QString(999, QLatin1Char('x'))} << 1;
    }
    void badIniInputsReadSafely() {
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, ordner);
        QFETCH(QStringList, pfeile);
        QFETCH(int, bilder);
        SkriptDialoge s;
        if (ordner)
            QVERIFY(QDir().mkpath(iniPfad()));
        else
            schreiben(iniPfad(), inhalt);
        frmMain w;
        w.Laden(fehlendeDb());
        QCOMPARE(s.modalAufrufe, 0);  // a folder counts as existing
        // "C:\Pfeile\" keeps nothing behind its last "\", which is an empty entry.
        if (QTest::currentDataTag() == QLatin1String("Pfad mit Endstrich"))
            QCOMPARE(w.mgobjAuswahl()->SymbolListe().value_or(QStringList()), QStringList{QString()});
        else
            QCOMPARE(texte(w.mnuArrow), pfeile);
        QCOMPARE(int(w.mgobjAuswahl()->AlarmBilderListe().value_or(QStringList()).size()), bilder);
        QCOMPARE(gSingleMode, WAHR);

        // Every item of both pop-up menus still runs, with and without a current alarm, before
        // and after an opening; the only messages are those of the missing database and of the
        // missing HMI environment.
        const auto alleKlicken = [&] {
            for (QAction* a : w.mnuArrow)
                a->trigger();
            for (QAction* a : w.mnuAlarm)
                a->trigger();
        };
        alleKlicken();
        w.mgobjAuswahl()->setAktuellerAlarm(AlarmRecord{});
        alleKlicken();
        for (const char* key : {"ContMode", "AllMode", "Grid", "Editor", "TestMode", "SingleMode"})
            klick(w, QString::fromLatin1(key));
        alleKlicken();
        w.DatenbankOeffnen();
        alleKlicken();
        for (const QString& m : std::as_const(s.meldungen))
            QVERIFY2(m.startsWith(QStringLiteral("Verweis auf die Alarmdatenbank nicht vorhanden (")) ||
                         m == QStringLiteral("KVStart findet keinen Registrierungspfad für die Version 4.0"),
                     qPrintable(m));
        QCOMPARE(texte(w.mnuArrow), pfeile);
        QVERIFY(w.BildfensterFallsDa());
    }

    void longValuesAndLongListsDoNotBreak() {
        SkriptDialoge s;
        QByteArray ini = "[Arrow]\r\n1Symbol=" + QByteArray(1500, 'x') + ".gif\r\n";
        // More entries than a 16-bit index counts: the list ends at 32767.
        for (int n = 2; n <= 33000; ++n)
            ini += QByteArray::number(n) + "Symbol=P" + QByteArray::number(n) + ".gif\r\n";
        schreiben(iniPfad(), ini);
        frmMain w;
        w.Laden(fehlendeDb());
        QCOMPARE(w.mnuArrow.size(), 32767);
        QVERIFY(w.mnuArrow[0]->text().size() <= 999);
        QCOMPARE(w.mnuArrow[32766]->text(), QStringLiteral("P32767.gif"));
        // A second opening overwrites the existing items instead of adding new ones.
        w.DatenbankOeffnen();
        QCOMPARE(w.mnuArrow.size(), 32767);
    }

    void databaseOfAProjectIsNamedAfterIt() {
        QCOMPARE(Konfiguration::DatenbankPfad(QStringLiteral("D:\\Projekte\\Anlage1"), QStringLiteral("|Anlage1")),
                 QStringLiteral("D:\\Projekte\\Anlage1\\Anlage1.kvs"));
        // A project found by its information file has no Path.
        QCOMPARE(Konfiguration::DatenbankPfad(QString(), QStringLiteral("C:\\P\\Demo.vbp")),
                 QStringLiteral("\\:\\P\\Demo.vbp.kvs"));
    }

    void popUpMenusRunTheChosenItem() {
        SkriptDialoge s;
        schreiben(iniPfad(), beispielIni());
        frmMain w;
        w.Laden(fehlendeDb());
        s.menuAntworten << 1 << -1;
        w.PfeilMenuZeigen(QPoint(10, 10));
        QCOMPARE(s.letzteMenuTexte, (QStringList{"Pfeil_rechts.bmp", "Pfeil.gif"}));
        w.AlarmMenuZeigen(QPoint(10, 10));
        QCOMPARE(s.letzteMenuTexte, (QStringList{"Pumpe", "Kessel", "ab"}));
    }
    void commandLineIsThePathOrAsksForHelp_data() {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("pfad");
        QTest::newRow("leer") << QStringList{} << int(Befehlszeile::Art::Starten) << QString();
        QTest::newRow("ein Pfad") << QStringList{"D:\\Projekte\\Anlage1\\Anlage1.kvs"} << int(Befehlszeile::Art::Starten)
                                  << QStringLiteral("D:\\Projekte\\Anlage1\\Anlage1.kvs");
        // Words that Qt would take as its own options stay part of the path.
        QTest::newRow("Blanks und Striche")
            << QStringList{"/daten/Linie", "-reverse", "-style", "Süd.kvs"} << int(Befehlszeile::Art::Starten)
            << QStringLiteral("/daten/Linie -reverse -style Süd.kvs");
        QTest::newRow("Hilfe") << QStringList{"--help"} << int(Befehlszeile::Art::Hilfe) << QString();
        QTest::newRow("Version") << QStringList{"x.kvs", "--version"} << int(Befehlszeile::Art::Version) << QString();
        // a tool command counts only as the first word: later it is part of the path
        QTest::newRow("Werkzeug") << QStringList{"--export", "a.kvs", "b.csv"} << int(Befehlszeile::Art::Werkzeug) << QString();
        QTest::newRow("Werkzeugname im Pfad") << QStringList{"/daten/a", "--export"} << int(Befehlszeile::Art::Starten)
                                              << QStringLiteral("/daten/a --export");
    }
    void commandLineIsThePathOrAsksForHelp() {
        QFETCH(QStringList, argumente);
        QFETCH(int, art);
        QFETCH(QString, pfad);
        const Befehlszeile b(argumente);
        QCOMPARE(int(b.art()), art);
        QCOMPARE(b.pfad(), pfad);
    }

    void helpAndVersionAnswerWithoutADisplay() {
        const QString programm = QCoreApplication::applicationDirPath() + QStringLiteral("/tavero");
        if (!QFileInfo::exists(programm))
            QSKIP("the program tavero is not built beside the tests");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        for (const auto& [arg, text] : {std::pair{"--help", Befehlszeile::HilfeText()},
                                        std::pair{"--version", Befehlszeile::VersionsText(QStringLiteral("0.1"))}}) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(programm, {QString::fromLatin1(arg)});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()), text);
        }
    }
    void popUpChoiceRunsItsCommandOnce() {
        DemoOptionen o;
        o.out = m_dir->filePath(QStringLiteral("demo"));
        o.alarms = 40;
        o.pictures = 2;
        o.programmOrdner = m_dir->path();
        o.bilderZeichnen = false;
        QString fehler;
        QVERIFY2(DemoProjekt::Erzeugen(o, &fehler), qPrintable(fehler));
        qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(o.out)));
        const QString db = DemoProjekt::Datenbank(o.out);
        // Every write of a row leaves one line in a table of the test.
        QVERIFY(sqlAusfuehren(db, {QStringLiteral("create table Schreibzaehler (n integer)"),
                                   QStringLiteral("create trigger Zaehlen after update on Alarmdefs "
                                                  "begin insert into Schreibzaehler values (1); end")}));
        const auto schreibvorgaenge = [&] {
            int n = -1;
            sqlAusfuehren(db, {QStringLiteral("select count(*) from Schreibzaehler")}, &n);
            return n;
        };
        SkriptDialoge s;
        frmMain w;
        w.show();
        w.Laden(db);
        const QString form = DemoProjekt::BildNamen(o.pictures).first().chopped(4);
        const AlarmListeTyp liste = AlarmdefsZugriff::AlarmListeLesen(db, form).value_or(AlarmListeTyp());
        QVERIFY(!liste.isEmpty());
        w.mgobjAuswahl()->setAlarmListe(liste);
        w.mgobjAuswahl()->setAktuellerAlarm(liste.first());
        w.imgNeuDB = WAHR;
        QVERIFY(w.BildfensterFallsDa() && w.BildfensterFallsDa()->PfeilAnzahl() >= 2);

        // One run of each command, by its item, is the measure for one choice in the pop-up.
        // A write still on its way from the loading refuses the pop-up's commands: wait for it.
        QTRY_VERIFY(!w.BildfensterFallsDa()->Steuerung()->Schreibt());
        int vorher = schreibvorgaenge();
        w.mnuArrow[1]->trigger();
        QTRY_VERIFY(!w.BildfensterFallsDa()->Steuerung()->Schreibt());
        const int einPfeil = schreibvorgaenge() - vorher;
        QVERIFY(einPfeil >= 1);
        vorher = schreibvorgaenge();
        s.menuAntworten << 1;
        w.PfeilMenuZeigen(QPoint(10, 10));
        QTRY_VERIFY(!w.BildfensterFallsDa()->Steuerung()->Schreibt());
        QCOMPARE(schreibvorgaenge() - vorher, einPfeil);

        vorher = schreibvorgaenge();
        w.mnuAlarm[0]->trigger();
        QTRY_VERIFY(!w.BildfensterFallsDa()->Steuerung()->Schreibt());
        const int einBild = schreibvorgaenge() - vorher;
        QVERIFY(einBild >= 1);
        vorher = schreibvorgaenge();
        s.menuAntworten << 0;
        w.AlarmMenuZeigen(QPoint(10, 10));
        QTRY_VERIFY(!w.BildfensterFallsDa()->Steuerung()->Schreibt());
        QCOMPARE(schreibvorgaenge() - vorher, einBild);
    }
};

QTEST_MAIN(TstHauptfenster)
#include "tst_hauptfenster.moc"
