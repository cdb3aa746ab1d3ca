// Long jobs in the background: the check report, the export and the import
// run off the window, show their progress in the status bar, and a cancel
// (button or Esc) writes nothing and leaves no file behind. Each job runs on
// two tables: the demo generator's, and one made by the sqlite3 program with
// its columns in another order and a column more.
#include <QtTest>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QApplication>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUndoStack>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/Bildflaeche.h"
#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"
#include "helpers/SkriptDialoge.h"
#include "platform/WinUmgebung.h"
#include "alarms/Freigabe.h"
#include "shell/Hintergrundauftrag.h"
#include "shell/Verlauf.h"
#include "shell/frmPruefbericht.h"
#include "shell/frmVergleich.h"
#include "shell/frmMain.h"

namespace {
constexpr int Zeilen = 60000;

bool Sqlite3(const QString& datei, const QString& sql, QByteArray* ausgabe = nullptr) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {datei});
    if (!p.waitForStarted())
        return false;
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(120000);
    if (ausgabe)
        *ausgabe = p.readAllStandardOutput();
    if (p.exitCode() != 0)
        qWarning() << p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString Wert(const QString& datei, const QString& sql) {
    QByteArray a;
    Sqlite3(datei, sql + QLatin1Char(';'), &a);
    return QString::fromUtf8(a).trimmed();
}

// A scripted seam that cancels the job started right after the user's answer.
class AbbrechendeDialoge : public SkriptDialoge {
public:
    QMainWindow* haupt = nullptr;
    int Wahl(QWidget* owner, const QString& titel, const QString& text, const QStringList& knoepfe,
             const QString& detail) override {
        const int a = SkriptDialoge::Wahl(owner, titel, text, knoepfe, detail);
        QTimer::singleShot(0, haupt, [this] {
            if (auto* k = haupt->statusBar()->findChild<QPushButton*>(QStringLiteral("Auftragabbrechen")))
                k->click();
        });
        return a;
    }
};
}  // namespace

class TstHintergrund : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_demo;   // the demo generator's table
    QString m_fremd;  // made by sqlite3, another layout
    QString m_projekt;
    frmMain* m_main = nullptr;
    AbbrechendeDialoge* m_dialoge = nullptr;

    QStringList Dateien() const { return QDir(m_dir.filePath(QStringLiteral("aus"))).entryList(QDir::Files | QDir::Hidden); }
    void Oeffnen(const QString& art) {
        // The project's database is the table of the row.
        QFile::remove(m_projekt);
        QVERIFY(QFile::copy(art == QLatin1String("demo") ? m_demo : m_fremd, m_projekt));
        m_main = new frmMain;
        m_main->resize(1200, 900);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_main->Laden(m_projekt);
        QVERIFY(m_main->mgobjAuswahl()->HatFenster());
        m_dialoge->haupt = m_main;
    }
    QPushButton* Abbrechen() const { return m_main->statusBar()->findChild<QPushButton*>(QStringLiteral("Auftragabbrechen")); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        DemoOptionen opt;
        opt.out = m_dir.path();
        opt.alarms = Zeilen;
        opt.pictures = 3;
        opt.bilderZeichnen = false;
        opt.programmOrdner = m_dir.path();
        QString fehler;
        QVERIFY2(DemoProjekt::Erzeugen(opt, &fehler), qPrintable(fehler));
        qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(m_dir.path())));
        WinUmgebung::ProgrammOrdnerSetzen(m_dir.path().toStdString());
        m_projekt = DemoProjekt::Datenbank(m_dir.path());
        m_demo = m_dir.filePath(QStringLiteral("demo.kvs"));
        QVERIFY(QFile::copy(m_projekt, m_demo));
        // Another table, by another program: columns in another order, one more,
        // a third of the alarms without picture, positions also outside the pictures.
        const QStringList bilder = DemoProjekt::BildNamen(3);
        m_fremd = m_dir.filePath(QStringLiteral("fremd.kvs"));
        QVERIFY(Sqlite3(m_fremd, QStringLiteral(
            "create table Alarmdefs (Bemerkung text, Form varchar(255), Symbol varchar(255), X integer, Y integer, "
            "Ident integer primary key, Alarmtext varchar(255), VarName varchar(255), Type integer, Acknowledge integer, "
            "BitNo integer, Min varchar(255), Max varchar(255), Priority integer, \"Group\" integer, Helpindex integer, "
            "Sensor1 integer, Sensor2 integer, Fault integer);\n"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into Alarmdefs (Bemerkung, Form, Symbol, X, Y, Ident, Alarmtext, VarName, Type) "
            "select 'fremd', case i %% 3 when 0 then null when 1 then '%2' else '%3' end, 'Standard\\PfeilRot.gif', "
            "(i * 7) %% 1500, (i * 13) %% 1000, 100000 + i, 'Meldung Nummer ' || i, 'V' || i, 1 from n;\n")
                                       .arg(Zeilen).arg(bilder.at(0).chopped(4), bilder.at(1).chopped(4))
                                       .replace(QStringLiteral("%%"), QStringLiteral("%"))));
        QCOMPARE(Wert(m_fremd, QStringLiteral("select count(*) from Alarmdefs")), QString::number(Zeilen));
        QDir().mkpath(m_dir.filePath(QStringLiteral("aus")));
        gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
    }
    void init() { m_dialoge = new AbbrechendeDialoge; }
    void cleanup() {
        delete m_main;
        m_main = nullptr;
        delete m_dialoge;
        m_dialoge = nullptr;
    }
    void cleanupTestCase() { WinUmgebung::ProgrammOrdnerSetzen(std::string()); }

    void exportIsCancelledWithoutAFile_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<QString>("endung");
        QTest::addColumn<bool>("esc");
        QTest::newRow("demo csv, button") << "demo" << "csv" << false;
        QTest::newRow("demo xlsx, Esc") << "demo" << "xlsx" << true;
        QTest::newRow("sqlite3 csv, Esc") << "fremd" << "csv" << true;
        QTest::newRow("sqlite3 xlsx, button") << "fremd" << "xlsx" << false;
    }
    void exportIsCancelledWithoutAFile() {
        QFETCH(QString, tabelle);
        QFETCH(QString, endung);
        QFETCH(bool, esc);
        Oeffnen(tabelle);
        const QString datei = m_dir.filePath(QStringLiteral("aus/alarme.") + endung);
        QFile::remove(datei);
        // An old file of that name stays as it was.
        QFile alt(datei);
        QVERIFY(alt.open(QIODevice::WriteOnly));
        alt.write("alt");
        alt.close();
        const QStringList vorher = Dateien();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        m_dialoge->dateiAntworten << datei;
        m_main->mnuExportieren->trigger();
        QCOMPARE(Hintergrundauftrag::Laufende(), 1);
        QVERIFY(Abbrechen());
        if (esc)
            QTest::keyClick(m_main, Qt::Key_Escape);
        else
            Abbrechen()->click();
        QTRY_COMPARE(Hintergrundauftrag::Laufende(), 0);
        QVERIFY2(m_main->StatusTextLesen(1).startsWith(QStringLiteral("Export abgebrochen")), qPrintable(m_main->StatusTextLesen(1)));
        QCOMPARE(Dateien(), vorher);
        QVERIFY(alt.open(QIODevice::ReadOnly));
        QCOMPARE(alt.readAll(), QByteArray("alt"));
        alt.close();
        QVERIFY(!Abbrechen());  // the progress is gone from the status bar

        // Not cancelled: the whole table, and the window answered meanwhile.
        m_dialoge->dateiAntworten << datei;
        m_main->mnuExportieren->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(Hintergrundauftrag::Laufende(), 0, 60000);
        QCOMPARE(m_main->StatusTextLesen(1), QStringLiteral("%1 Alarme nach %2 exportiert.").arg(Zeilen).arg(datei));
        QCOMPARE(Dateien(), vorher);
        QVERIFY(QFileInfo(datei).size() > 100000);
        QVERIFY(m_dialoge->meldungen.isEmpty());
    }

    // A job's progress in the status bar leaves the main window's layout as
    // it was: a taller bar would lay out and paint the whole window again
    // (the grid, the picture) as the job starts and once more as it ends.
    void aJobLeavesTheMainWindowsLayoutAlone() {
        Oeffnen(QStringLiteral("fremd"));
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const int balken = m_main->statusBar()->height();
        const QRect mitte = m_main->centralWidget()->geometry();
        m_dialoge->dateiAntworten << m_dir.filePath(QStringLiteral("aus/layout.xlsx"));
        m_main->mnuExportieren->trigger();
        QCOMPARE(Hintergrundauftrag::Laufende(), 1);
        QVERIFY(Abbrechen() && Abbrechen()->isVisibleTo(m_main));
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(m_main->statusBar()->height(), balken);
        QCOMPARE(m_main->centralWidget()->geometry(), mitte);
        Abbrechen()->click();
        QTRY_COMPARE(Hintergrundauftrag::Laufende(), 0);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(m_main->statusBar()->height(), balken);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("aus/layout.xlsx"))));
    }

    void escapeDuringADragIsTheDragsOwn() {
        Oeffnen(QStringLiteral("demo"));
        const QString ident = Wert(m_projekt, QStringLiteral("select min(Ident) from Alarmdefs where X is not null and Form is not null"));
        QVERIFY(m_main->mgobjAuswahl()->Fenster()->AlarmZeigen(ident));
        // the pick's list comes from the worker; on a busy machine after the show's own wait
        QTRY_VERIFY_WITH_TIMEOUT(m_main->BildfensterFallsDa() && m_main->BildfensterFallsDa()->PfeilAnzahl() == 2, 30000);
        frmPicture* bild = m_main->BildfensterFallsDa();
        const QPoint vorher = bild->imgPfeil(1).Rechteck().topLeft();
        m_dialoge->dateiAntworten << m_dir.filePath(QStringLiteral("aus/ziehen.xlsx"));
        m_main->mnuExportieren->trigger();
        const QPoint p = bild->imgPfeil(1).Rechteck().center();
        QTest::mousePress(bild->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(bild->Formbox, p + QPoint(40, 0));
        QTest::keyClick(bild, Qt::Key_Escape);  // puts the arrow back; the export goes on
        QCOMPARE(bild->imgPfeil(1).Rechteck().topLeft(), vorher);
        QCOMPARE(Hintergrundauftrag::Laufende(), 1);
        QTest::mouseRelease(bild->Formbox, Qt::LeftButton, {}, p + QPoint(40, 0));
        QTest::keyClick(bild, Qt::Key_Escape);  // no drag: the picture window lets it pass to the job
        QTRY_COMPARE(Hintergrundauftrag::Laufende(), 0);
        QVERIFY2(m_main->StatusTextLesen(1).startsWith(QStringLiteral("Export abgebrochen")), qPrintable(m_main->StatusTextLesen(1)));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("aus/ziehen.xlsx"))));
    }

    void reportIsCancelledAndOpensLargeGroupsInParts_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("demo") << "demo";
        QTest::newRow("sqlite3") << "fremd";
    }
    void reportIsCancelledAndOpensLargeGroupsInParts() {
        QFETCH(QString, tabelle);
        Oeffnen(tabelle);
        m_main->mnuPruefbericht->trigger();
        auto* bericht = m_main->findChild<QTreeWidget*>(QStringLiteral("lvwBericht"));
        QVERIFY(bericht);
        QCOMPARE(Hintergrundauftrag::Laufende(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(bericht->topLevelItemCount(), 8, 60000);
        auto* ueberschrift = bericht->parentWidget()->findChild<QLabel*>();
        auto* neu = bericht->parentWidget()->findChild<QPushButton*>();
        bericht->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bericht->window()));
        // "Neu prüfen", then Esc in the report's own window: nothing is shown.
        neu->click();
        QCOMPARE(bericht->topLevelItemCount(), 0);
        QTest::keyClick(bericht, Qt::Key_Escape);
        QTRY_COMPARE(Hintergrundauftrag::Laufende(), 0);
        QCOMPARE(bericht->topLevelItemCount(), 0);
        QCOMPARE(ueberschrift->text(), QStringLiteral("Prüfung abgebrochen."));

        // Again: the groups come; a large one gets its lines once opened.
        neu->click();
        QTRY_COMPARE_WITH_TIMEOUT(bericht->topLevelItemCount(), 8, 60000);
        QVERIFY2(ueberschrift->text().startsWith(QStringLiteral("%1 Alarme geprüft").arg(Zeilen)), qPrintable(ueberschrift->text()));
        QTreeWidgetItem* gross = nullptr;
        int anzahl = 0;
        for (int i = 0; i < 8; ++i) {
            const QString titel = bericht->topLevelItem(i)->text(0);
            const int n = titel.section(QLatin1Char('('), -1).chopped(1).toInt();
            if (n > anzahl) {
                anzahl = n;
                gross = bericht->topLevelItem(i);
            }
        }
        QVERIFY(anzahl > 2 * frmPruefbericht::Teilgroesse);
        QCOMPARE(gross->childCount(), 0);
        QVERIFY(!gross->isExpanded());
        // It opens into parts of a thousand lines, each part into its lines.
        gross->setExpanded(true);
        const int teile = (anzahl + frmPruefbericht::Teilgroesse - 1) / frmPruefbericht::Teilgroesse;
        QCOMPARE(gross->childCount(), teile);
        QTreeWidgetItem* letzter = gross->child(teile - 1);
        QCOMPARE(letzter->text(0), QStringLiteral("Zeilen %1 bis %2").arg((teile - 1) * frmPruefbericht::Teilgroesse + 1).arg(anzahl));
        letzter->setExpanded(true);
        QCOMPARE(letzter->childCount(), anzahl - (teile - 1) * frmPruefbericht::Teilgroesse);
        gross->child(0)->setExpanded(true);
        QCOMPARE(gross->child(0)->childCount(), frmPruefbericht::Teilgroesse);
        QVERIFY(letzter->child(letzter->childCount() - 1)->text(0).startsWith(QStringLiteral("Alarm ")));
    }

    void reportNoLongerShownIsFreedOffTheWindow_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("demo") << "demo";
        QTest::newRow("sqlite3") << "fremd";
    }
    void reportNoLongerShownIsFreedOffTheWindow() {
        QFETCH(QString, tabelle);
        Oeffnen(tabelle);
        m_main->mnuPruefbericht->trigger();
        auto* bericht = m_main->findChild<QTreeWidget*>(QStringLiteral("lvwBericht"));
        QTRY_COMPARE_WITH_TIMEOUT(bericht->topLevelItemCount(), 8, 60000);
        auto* neu = bericht->parentWidget()->findChild<QPushButton*>();
        const int vorher = Freigabe::Uebergeben();
        // Checked anew: the report shown goes.
        neu->click();
        QCOMPARE(Freigabe::Uebergeben(), vorher + 1);
        // That check finishes its report while the window is held, and is then
        // replaced by a newer one before it could tell so: its report is never shown.
        auto* ersetzt = m_main->findChild<frmPruefbericht*>()->findChild<Hintergrundauftrag*>();
        QVERIFY(ersetzt);
        std::optional<Hintergrundauftrag::Ausgang> ausgang;
        connect(ersetzt, &Hintergrundauftrag::Beendet, this, [&ausgang](Hintergrundauftrag::Ausgang a) { ausgang = a; });
        for (int i = 0; i < 600 && ersetzt->Lauf().Getan() < Zeilen - 5000; ++i)
            QTest::qSleep(100);
        QTest::qSleep(3000);
        neu->click();
        QTRY_VERIFY_WITH_TIMEOUT(ausgang.has_value(), 60000);
        QCOMPARE(*ausgang, Hintergrundauftrag::Ausgang::Fertig);
        QTRY_COMPARE_WITH_TIMEOUT(bericht->topLevelItemCount(), 8, 60000);
        QCOMPARE(Freigabe::Uebergeben(), vorher + 2);
        // The window closed with its database: its report goes too.
        delete m_main->findChild<frmPruefbericht*>();
        QCOMPARE(Freigabe::Uebergeben(), vorher + 3);
    }

    void importIsCancelledInItsPlanAndInItsWrite_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("demo") << "demo";
        QTest::newRow("sqlite3") << "fremd";
    }
    void importIsCancelledInItsPlanAndInItsWrite() {
        QFETCH(QString, tabelle);
        Oeffnen(tabelle);
        // The file to import comes from the sqlite3 program: every position moved by one.
        const QString datei = m_dir.filePath(QStringLiteral("aus/import.csv"));
        QFile::remove(datei);
        QVERIFY(Sqlite3(m_projekt, QStringLiteral(".headers on\n.mode csv\n.separator ;\n.output %1\n"
                                                  "select Ident, Form, Symbol, X + 1 as X, Y, Alarmtext from Alarmdefs "
                                                  "where X is not null and Y is not null;\n")
                                       .arg(datei)));
        const QString summe = QStringLiteral("select sum(X) || '/' || count(X) from Alarmdefs");
        const QString vorher = Wert(m_projekt, summe);
        QUndoStack* stapel = m_main->mVerlauf->Stapel();
        const int schritte = stapel->count();

        // Cancelled while the file is compared with the table: nobody is asked.
        m_dialoge->dateiAntworten << datei;
        m_main->mnuImportieren->trigger();
        Abbrechen()->click();
        QTRY_COMPARE(Hintergrundauftrag::Laufende(), 0);
        QVERIFY(m_dialoge->wahlTexte.isEmpty());
        QCOMPARE(m_main->StatusTextLesen(1), QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));

        // Cancelled while it writes: the transaction goes back whole.
        m_dialoge->dateiAntworten << datei;
        m_dialoge->wahlAntworten << 0;
        m_main->mnuImportieren->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_dialoge->wahlTexte.size(), 1, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(Hintergrundauftrag::Laufende(), 0, 60000);
        QCOMPARE(m_main->StatusTextLesen(1), QStringLiteral("Import abgebrochen; nichts wurde geschrieben."));
        QCOMPARE(Wert(m_projekt, summe), vorher);
        QCOMPARE(stapel->count(), schritte);

        // Written: every row, one step, which undo takes back.
        m_dialoge->haupt = nullptr;
        delete m_dialoge;
        auto* skript = new SkriptDialoge;
        skript->dateiAntworten << datei;
        skript->wahlAntworten << 0;
        m_main->mnuImportieren->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(skript->wahlTexte.size(), 1, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(Hintergrundauftrag::Laufende(), 0, 60000);
        QVERIFY2(m_main->StatusTextLesen(1).endsWith(QStringLiteral("geschrieben.")), qPrintable(m_main->StatusTextLesen(1)));
        const int n = vorher.section(QLatin1Char('/'), 1).toInt();
        QCOMPARE(Wert(m_projekt, summe),
                 QStringLiteral("%1/%2").arg(vorher.section(QLatin1Char('/'), 0, 0).toLongLong() + n).arg(n));
        QCOMPARE(stapel->count(), schritte + 1);
        stapel->undo();
        QCOMPARE(Wert(m_projekt, summe), vorher);
        delete skript;
        m_dialoge = new AbbrechendeDialoge;
    }
    void closingWhileAWriteWaitsOnALock_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("demo") << "demo";
        QTest::newRow("sqlite3") << "fremd";
    }
    void closingWhileAWriteWaitsOnALock() {
        QFETCH(QString, tabelle);
        Oeffnen(tabelle);
        const QString ident = Wert(m_projekt, QStringLiteral("select min(Ident) from Alarmdefs where X is not null and Form is not null"));
        const QString zeile = QStringLiteral("select X || '/' || Y from Alarmdefs where Ident = %1").arg(ident);
        const QString vorher = Wert(m_projekt, zeile);
        QVERIFY(m_main->mgobjAuswahl()->Fenster()->AlarmZeigen(ident));
        frmPicture* bild = m_main->BildfensterFallsDa();
        QVERIFY(bild && bild->PfeilAnzahl() == 2);
        // Another program holds the file locked, longer than a write waits for it.
        QProcess sperre;
        sperre.start(QStringLiteral("sqlite3"), {m_projekt});
        QVERIFY(sperre.waitForStarted());
        sperre.write(".timeout 5000\nbegin exclusive;\n");  // waits for a read of the window's worker to end
        QTRY_VERIFY(!Sqlite3(m_projekt, QStringLiteral("begin immediate; rollback;")));
        const QPoint p = bild->imgPfeil(1).Rechteck().center();
        QTest::mousePress(bild->Formbox, Qt::LeftButton, {}, p);
        QTest::mouseMove(bild->Formbox, p + QPoint(30, 0));
        QTest::mouseRelease(bild->Formbox, Qt::LeftButton, {}, p + QPoint(30, 0));
        QVERIFY(bild->Steuerung()->Schreibt());
        QTest::qWait(200);  // the worker waits on the lock now
        QVERIFY(bild->Steuerung()->Schreibt());
        // The program closes at once; its worker gives up the wait for the lock
        // by itself (it may already have when the window is gone).
        QElapsedTimer uhr;
        uhr.start();
        delete m_main;
        m_main = nullptr;
        QVERIFY2(uhr.elapsed() < 1500, qPrintable(QString::number(uhr.elapsed())));
        auto offen = [] {
            return QSqlDatabase::connectionNames().filter(QStringLiteral("tavero-dienst")).size();
        };
        QTRY_COMPARE_WITH_TIMEOUT(offen(), 0, 10000);
        sperre.write("commit;\n.quit\n");
        sperre.closeWriteChannel();
        QVERIFY(sperre.waitForFinished(10000));
        // The write waited its time for the lock and was refused: the row is as it was, whole.
        QCOMPARE(Wert(m_projekt, zeile), vorher);
    }
    // The comparison in its window: its Abbrechen stops it and shows nothing;
    // left alone it counts what the sqlite3 program counts.
    void comparisonIsCancelledInItsWindow_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::newRow("demo against sqlite3") << "demo";
        QTest::newRow("sqlite3 against demo") << "fremd";
    }
    void comparisonIsCancelledInItsWindow() {
        QFETCH(QString, tabelle);
        Oeffnen(tabelle);
        const QString dort = tabelle == QLatin1String("demo") ? m_fremd : m_demo;
        m_main->mnuVergleichen->trigger();
        auto* fenster = m_main->findChild<frmVergleich*>();
        QVERIFY(fenster);
        fenster->txtDort->setText(dort);
        fenster->cmdVergleichen->click();
        QVERIFY(fenster->cmdAbbrechen->isEnabled());
        fenster->cmdAbbrechen->click();
        QTRY_COMPARE_WITH_TIMEOUT(fenster->lblErgebnis->text(), QStringLiteral("Vergleich abgebrochen."), 20000);
        QVERIFY(!fenster->Ergebnis().has_value());
        QVERIFY(!fenster->cmdAlleUebernehmen->isEnabled());
        fenster->cmdVergleichen->click();
        QTRY_VERIFY_WITH_TIMEOUT(fenster->Ergebnis().has_value(), 60000);
        const QString nurDort = Wert(m_projekt, QStringLiteral("attach '%1' as dort; select count(*) from dort.Alarmdefs "
                                                               "where Ident not in (select Ident from main.Alarmdefs)")
                                                    .arg(dort));
        QCOMPARE(QString::number(fenster->Ergebnis()->Anzahl(Vergleichszeile::Art::NurDort)), nurDort);
        QVERIFY(m_dialoge->meldungen.isEmpty());
    }
};

QTEST_MAIN(TstHintergrund)
#include "tst_hintergrund.moc"
