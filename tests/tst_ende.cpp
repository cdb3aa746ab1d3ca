// The road of one event: start on a demo database, pick a row in the grid, drag
// its arrow on the picture and find the row changed in the database file.
#include <QtTest>

#include <QDialog>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include "DemoProjekt.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/Bildflaeche.h"
#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"
#include "helpers/SkriptDialoge.h"
#include "helpers/TestDb.h"
#include "platform/WinUmgebung.h"
#include "shell/frmMain.h"

namespace {
struct Zeile {
    QString ident, form, symbol, x, y, text;
};

// Reads a row straight from the file, beside the program's own connections.
QList<Zeile> lesen(const QString& datei, const QString& bedingung) {
    QList<Zeile> zeilen;
    const auto gelesen = TestDb(datei).Abfrage(
        QStringLiteral("select Ident, Form, Symbol, X, Y, Alarmtext from Alarmdefs where %1 order by Ident").arg(bedingung));
    for (const QVariantList& z : gelesen)
        zeilen.append({z.value(0).toString(), z.value(1).toString(), z.value(2).toString(), z.value(3).toString(),
                       z.value(4).toString(), z.value(5).toString()});
    return zeilen;
}
// A demo project of two pictures in dir, with WINEPREFIX and the program folder set to it.
bool demoAnlegen(const QTemporaryDir& dir, int alarme, bool zeichnen) {
    DemoOptionen opt;
    opt.out = dir.path();
    opt.alarms = alarme;
    opt.pictures = 2;
    opt.bilderZeichnen = zeichnen;
    opt.programmOrdner = dir.path();
    if (!DemoProjekt::Erzeugen(opt))
        return false;
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(dir.path())));
    WinUmgebung::ProgrammOrdnerSetzen(dir.path().toStdString());
    gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
    return true;
}
}  // namespace

class TstEnde : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void pickDragAndReleaseWritesTheRow() {
        QTemporaryDir dir;
        QVERIFY(demoAnlegen(dir, 500, true));
        const QString db = DemoProjekt::Datenbank(dir.path());
        const QString bild = DemoProjekt::BildNamen(2).at(1).chopped(4);
        const QList<Zeile> kandidaten =
            lesen(db, QStringLiteral("Form = '%1' and Symbol is not null and X > 100 and Y > 100").arg(bild));
        QVERIFY(!kandidaten.isEmpty());
        const Zeile vorher = kandidaten.first();

        SkriptDialoge dialoge;
        frmMain w;
        w.resize(1400, 1000);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Laden(db);
        QCOMPARE(gSingleMode, WAHR);

        // The tree filters the grid by the picture; a click on the alarm's row picks it.
        frmAlarmAuswahl* auswahl = w.mgobjAuswahl()->Fenster();
        QTreeWidget* baum = auswahl->TreeView1;
        QTreeWidgetItem* knoten = baum->findItems(bild, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(knoten);
        QTest::mouseClick(baum->viewport(), Qt::LeftButton, {}, baum->visualItemRect(knoten).center());
        AlarmdefsModell* m = auswahl->dbAlarme;
        int zeile = -1;
        for (int r = 0; r < m->rowCount() && zeile < 0; ++r)
            if (m->index(r, 0).data().toString() == vorher.ident)
                zeile = r;
        QVERIFY(zeile >= 0);
        QTableView* grid = auswahl->TDBAlarme;
        grid->scrollTo(m->index(zeile, 10));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(m->index(zeile, 10)).center());

        // the picture opens when the pick's list has come from the data service's worker
        frmPicture* f = nullptr;
        QTRY_VERIFY((f = w.BildfensterFallsDa()) && f->isVisibleTo(&w));
        QCOMPARE(f->windowTitle(), QStringLiteral("Pfeileditor  ") + bild);
        QVERIFY(!f->BildIstPlatzhalter());
        QCOMPARE(f->PfeilAnzahl(), 2);
        const PfeilBild& pfeil = f->imgPfeil(1);
        QCOMPARE(pfeil.Left, vorher.x.toInt());
        QCOMPARE(pfeil.Top, vorher.y.toInt());
        QVERIFY(pfeil.Tag.startsWith(vorher.ident + QLatin1Char('#')));

        // Drag the arrow with the mouse by (-40, +25) and let it go.
        const QPoint griff = pfeil.Rechteck().center();
        QTest::mousePress(f->Formbox, Qt::LeftButton, {}, griff);
        QTest::mouseMove(f->Formbox, griff + QPoint(-20, 10));
        QTest::mouseMove(f->Formbox, griff + QPoint(-40, 25));
        QTest::mouseRelease(f->Formbox, Qt::LeftButton, {}, griff + QPoint(-40, 25));
        QTRY_VERIFY(!f->Steuerung()->Schreibt());
        const int x = vorher.x.toInt() - 40, y = vorher.y.toInt() + 25;
        QCOMPARE(f->imgPfeil(1).Left, x);
        QCOMPARE(f->imgPfeil(1).Top, y);

        const Zeile nachher = lesen(db, QStringLiteral("Ident = %1").arg(vorher.ident)).value(0);
        QCOMPARE(nachher.form, bild);
        QCOMPARE(nachher.symbol, QStringLiteral("Standard\\") + vorher.symbol.section(QLatin1Char('\\'), -1));
        QCOMPARE(nachher.x, QString::number(x));
        QCOMPARE(nachher.y, QString::number(y));
        QCOMPARE(nachher.text, vorher.text);
        QVERIFY2(w.StatusTextLesen(1).startsWith(QStringLiteral("Folgende Werte in die DB geschrieben  ") + vorher.ident),
                 qPrintable(w.StatusTextLesen(1)));
        // The grid shows the new position as well, and nothing else changed in the file.
        QCOMPARE(m->index(zeile, 13).data().toString(), QString::number(x));
        QCOMPARE(lesen(db, QStringLiteral("Ident <> %1 and X = %2 and Y = %3 and Form = '%4'").arg(vorher.ident).arg(x).arg(y).arg(bild)).size(), 0);
        QVERIFY(dialoge.meldungen.isEmpty());
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
    }

    void firstPickInTheContinuousModeShowsOneArrow() {
        QTemporaryDir dir;
        QVERIFY(demoAnlegen(dir, 200, false));
        SkriptDialoge dialoge;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Laden(DemoProjekt::Datenbank(dir.path()));
        w.ToolbarKlick(QStringLiteral("ContMode"));
        frmAlarmAuswahl* auswahl = w.mgobjAuswahl()->Fenster();
        const QString bild = DemoProjekt::BildNamen(2).at(0).chopped(4);
        QTreeWidget* baum = auswahl->TreeView1;
        QTreeWidgetItem* knoten = baum->findItems(bild, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QTest::mouseClick(baum->viewport(), Qt::LeftButton, {}, baum->visualItemRect(knoten).center());
        QTableView* grid = auswahl->TDBAlarme;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(auswahl->dbAlarme->index(0, 3)).center());
        QVERIFY(w.BildfensterFallsDa());
        QCOMPARE(w.BildfensterFallsDa()->PfeilAnzahl(), 2);  // the template and the alarm's arrow
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.BildfensterFallsDa()->PfeilAnzahl(), 3);
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
    }

    void startWithoutCommandLineOpensTheChosenDemoProject_data() {
        QTest::addColumn<int>("seite");
        QTest::addColumn<QString>("eintrag");
        QTest::addColumn<QString>("datenbank");
        QTest::newRow("registered project") << 2 << "Demo" << "C:\\Projekte\\Demo\\Demo.kvs";
        // found by its information file, the project opens its alarm database, not its designer file
        QTest::newRow("found by its information file") << 1 << "Altanlage.kvi" << "C:\\Projekte\\Altanlage\\Altanlage.kvs";
    }
    void startWithoutCommandLineOpensTheChosenDemoProject() {
        QFETCH(int, seite);
        QFETCH(QString, eintrag);
        QFETCH(QString, datenbank);
        QTemporaryDir dir;
        QVERIFY(demoAnlegen(dir, 120, false));
        // the older project of the demo gets an alarm database of its own
        QVERIFY(QFile::copy(DemoProjekt::Datenbank(dir.path()),
                            QString::fromStdString(WinUmgebung::PfadAbbilden("C:\\Projekte\\Altanlage\\Altanlage.kvs"))));

        SkriptDialoge dialoge;
        QStringList aktuell, bekannt;
        dialoge.modalAntworten << [&](QDialog* dlg) {
            dlg->show();
            auto* liste = dlg->findChild<QTreeWidget*>(QStringLiteral("lvwAktuell"));
            auto* gefunden = dlg->findChild<QTreeWidget*>(QStringLiteral("lvwBekannt"));
            for (int i = 0; liste && i < liste->topLevelItemCount(); ++i)
                aktuell << liste->topLevelItem(i)->text(0);
            for (int i = 0; gefunden && i < gefunden->topLevelItemCount(); ++i)
                bekannt << gefunden->topLevelItem(i)->text(0);
            auto* tab = dlg->findChild<QTabWidget*>(QStringLiteral("SSTab"));
            tab->setCurrentIndex(seite);
            QTreeWidget* wahl = seite == 2 ? liste : gefunden;
            const auto demo = wahl->findItems(eintrag, Qt::MatchEndsWith);
            if (demo.isEmpty()) {
                qWarning() << "not listed:" << eintrag << bekannt;
                return int(QDialog::Rejected);
            }
            QTest::mouseClick(wahl->viewport(), Qt::LeftButton, {}, wahl->visualItemRect(demo.first()).center());
            QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("cmdÖffnen")), Qt::LeftButton);
            return dlg->result();
        };
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Laden(QString());
        QCOMPARE(dialoge.modalAufrufe, 1);
        QCOMPARE(aktuell.size(), 2);
        QVERIFY2(!bekannt.isEmpty(), "the projects folder lists the information files");
        AlarmAuswahl* k = w.mgobjAuswahl();
        QCOMPARE(k->AlarmDatenbank(), datenbank);
        QVERIFY2(dialoge.meldungen.isEmpty(), qPrintable(dialoge.meldungen.join(QLatin1Char('|'))));
        QVERIFY(k->HatFenster());
        QCOMPARE(k->Fenster()->dbAlarme->rowCount(), 120);
        WinUmgebung::ProgrammOrdnerSetzen(std::string());
    }
};

QTEST_MAIN(TstEnde)
#include "tst_ende.moc"
