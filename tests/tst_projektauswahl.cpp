// The project selection dialog driven offscreen through its pages and buttons.
#include <QtTest>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "helpers/SkriptDialoge.h"
#include "helpers/TestPrefix.h"
#include "platform/MPfad.h"
#include "platform/WinUmgebung.h"
#include "projects/CKorvant.h"
#include "projects/CRegProjects.h"
#include "platform/MDatei.h"
#include "shell/frmProjektAuswahl.h"

namespace {
const char* KOPF = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
const char* INSTALLATION = "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n\"path\"=\"C:\\\\Korvant\"\n\n";

QByteArray Projekt(const char* sName, const char* sPfad, const char* sTyp) {
    QByteArray s = QByteArray("[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\") + sName + "] 1700000000\n";
    if (sPfad)
        s += QByteArray("\"Path\"=\"") + sPfad + "\"\n";
    if (sTyp)
        s += QByteArray("\"PrjType\"=dword:") + sTyp + "\n";
    return s + "\n";
}

void Schreiben(const QString& sDatei, const QByteArray& inhalt) {
    QDir().mkpath(QFileInfo(sDatei).absolutePath());
    QFile f(sDatei);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

class F1Faenger : public QObject {
public:
    int nF1 = 0;
    // An unhandled key event travels up to the parents; count each event once.
    QEvent* pLetztes = nullptr;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1 && e != pLetztes) {
            pLetztes = e;
            ++nF1;
        }
        return false;
    }
};
}  // namespace

class TstProjektauswahl : public QObject {
    Q_OBJECT
    QTemporaryDir* mDir = nullptr;
    QString mPrefix;

    void Registrieren(const QByteArray& keys, bool fInstalliert = true) {
        Schreiben(mPrefix + "/system.reg", KOPF + (fInstalliert ? QByteArray(INSTALLATION) : QByteArray()) + keys);
    }
    void DreiProjekte() {
        Registrieren(Projekt("Anlage1", "D:\\\\Projekte\\\\Anlage1", "00000001") +
                     Projekt("Brücke", "D:\\\\Projekte\\\\Bruecke", "00000002") +
                     Projekt("Crailsheim", "D:\\\\Projekte\\\\Crailsheim", nullptr));
        Schreiben(mDir->filePath("d/Projekte/Anlage1/Anlage1.kvs"), "[properties]\r\ncomment=Linie 2\r\n");
    }
    QString ProjektOrdnerHier() const { return TestPrefix::ProjektOrdnerIn(*mDir); }
    static QTreeWidget* Liste(frmProjektAuswahl& dlg, const char* sName) {
        return dlg.findChild<QTreeWidget*>(QString::fromLatin1(sName));
    }
    static QPushButton* Knopf(frmProjektAuswahl& dlg, const QString& sName) {
        return dlg.findChild<QPushButton*>(sName);
    }
    static void Klick(QTreeWidget* lvw, int nZeile) {
        lvw->scrollToItem(lvw->topLevelItem(nZeile));
        QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {}, lvw->visualItemRect(lvw->topLevelItem(nZeile)).center());
    }
    static void Doppelklick(QTreeWidget* lvw, int nZeile) {
        const QPoint p = lvw->visualItemRect(lvw->topLevelItem(nZeile)).center();
        QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(lvw->viewport(), Qt::LeftButton, {}, p);
    }
    static bool Zeigen(frmProjektAuswahl& dlg) {
        const bool f = dlg.Laden();
        dlg.show();
        return f && QTest::qWaitForWindowExposed(&dlg);
    }

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

    void loadingListsRegisteredProjects() {
        DreiProjekte();
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Projektauswahl"));
        auto* tab = dlg.findChild<QTabWidget*>();
        QCOMPARE(tab->count(), 3);
        QCOMPARE(tab->tabText(0), QStringLiteral("Neu  "));
        QCOMPARE(tab->tabText(1), QStringLiteral("Bekannt"));
        QCOMPARE(tab->tabText(2), QStringLiteral("Aktuell"));
        QCOMPARE(tab->currentIndex(), 2);
        QVERIFY(Knopf(dlg, "cmdSuchen") && Knopf(dlg, "cmdSuchen")->text() == QStringLiteral("&Suchen"));
        QCOMPARE(Knopf(dlg, QStringLiteral("cmdÖffnen"))->text(), QStringLiteral("Ö&ffnen"));
        QCOMPARE(Knopf(dlg, "cmdAbbrechen")->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(Knopf(dlg, "cmdHilfe")->text(), QStringLiteral("&Hilfe"));

        QTreeWidget* akt = Liste(dlg, "lvwAktuell");
        QCOMPARE(akt->headerItem()->text(0), QStringLiteral("Name"));
        QCOMPARE(akt->headerItem()->text(1), QStringLiteral("Pfad"));
        QCOMPARE(akt->headerItem()->text(2), QStringLiteral("Kommentar"));
        QCOMPARE(akt->topLevelItemCount(), 3);
        QCOMPARE(akt->topLevelItem(0)->text(0), QStringLiteral("|Anlage1"));
        QCOMPARE(akt->topLevelItem(0)->text(1), QStringLiteral("D:\\Projekte\\Anlage1"));
        QCOMPARE(akt->topLevelItem(0)->text(2), QStringLiteral("Linie 2"));
        QCOMPARE(akt->topLevelItem(1)->text(0), QStringLiteral("|Brücke"));
        QCOMPARE(akt->topLevelItem(2)->text(0), QStringLiteral("|Crailsheim"));
        QCOMPARE(akt->topLevelItem(2)->data(0, frmProjektAuswahl::ROLLE_ICON).toInt(), 4);
        QCOMPARE(akt->topLevelItem(1)->data(0, frmProjektAuswahl::ROLLE_ICON).toInt(), 3);
        QVERIFY(!akt->topLevelItem(0)->icon(0).isNull());
        // the highlighted first row is the chosen one
        QVERIFY(akt->topLevelItem(0)->isSelected());
        QVERIFY(dlg.prj && dlg.prj == dlg.gRegProjects->Item("|Anlage1"));
        QCOMPARE(dlg.Typ, 1);
        QVERIFY(Knopf(dlg, QStringLiteral("cmdÖffnen"))->isEnabled());

        QTreeWidget* bek = Liste(dlg, "lvwBekannt");
        QCOMPARE(bek->topLevelItemCount(), 3);
        QCOMPARE(bek->topLevelItem(1)->text(0), QStringLiteral("|Brücke"));
        QCOMPARE(bek->selectedItems().size(), 0);

        // choosing, then opening
        Klick(akt, 1);
        QVERIFY(Knopf(dlg, QStringLiteral("cmdÖffnen"))->isEnabled());
        QVERIFY(dlg.prj == dlg.gRegProjects->Item("|Brücke"));
        QTest::mouseClick(Knopf(dlg, QStringLiteral("cmdÖffnen")), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.prj->Path(), std::string("D:\\Projekte\\Bruecke"));

        // a second showing keeps the collection, does not read the registry again;
        // Enter opens the highlighted first row
        const CRegProjects* vorher = dlg.gRegProjects.get();
        Registrieren({});
        QVERIFY(Zeigen(dlg));
        QCOMPARE(dlg.gRegProjects.get(), vorher);
        QCOMPARE(akt->topLevelItemCount(), 3);
        akt->setFocus();
        QTest::keyClick(akt, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.prj->Name(), std::string("|Anlage1"));
    }

    void pageChangeAndCancel() {
        DreiProjekte();
        SkriptDialoge seam;
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        QTreeWidget* akt = Liste(dlg, "lvwAktuell");
        Klick(akt, 1);
        QVERIFY(dlg.prj);
        auto* tab = dlg.findChild<QTabWidget*>();
        QTest::mouseClick(tab->tabBar(), Qt::LeftButton, {}, tab->tabBar()->tabRect(1).center());
        QCOMPARE(tab->currentIndex(), 1);
        QVERIFY(!dlg.prj);
        QVERIFY(!Knopf(dlg, QStringLiteral("cmdÖffnen"))->isEnabled());

        // "Ö&ffnen" on an existing-project choice without a project asks for one
        QMetaObject::invokeMethod(&dlg, "cmdOeffnen_Click");
        QCOMPARE(seam.meldungen, QStringList{QStringLiteral("Wählen sie ein Projekt")});
        QVERIFY(dlg.isVisible());

        // the page "Neu" offers nothing and cannot close the dialog
        QTest::mouseClick(tab->tabBar(), Qt::LeftButton, {}, tab->tabBar()->tabRect(0).center());
        QCOMPARE(Liste(dlg, "lvwNew")->topLevelItemCount(), 0);

        // back on "Aktuell" the row still highlighted there is chosen again
        tab->setCurrentIndex(2);
        QVERIFY(dlg.prj == dlg.gRegProjects->Item("|Brücke"));
        QVERIFY(Knopf(dlg, QStringLiteral("cmdÖffnen"))->isEnabled());

        QTest::mouseClick(Knopf(dlg, "cmdAbbrechen"), Qt::LeftButton);
        QCOMPARE(dlg.Typ, 2);
        QVERIFY(!dlg.prj);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
    }

    void doubleClickOpens() {
        DreiProjekte();
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        Doppelklick(Liste(dlg, "lvwAktuell"), 2);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.prj->Name(), std::string("|Crailsheim"));
        QCOMPARE(dlg.Typ, 1);
    }

    void foundProjectOpensItsAlarmDatabase() {
        DreiProjekte();
        QDir().mkpath(mDir->filePath("d/Projekte"));
        Schreiben(mPrefix + "/user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n"
                                        "\"DefaultProjectsPath\"=\"D:\\\\Projekte\"\n\n");
        const QString sOrdner = ProjektOrdnerHier();
        if (sOrdner.isEmpty())
            QSKIP("the folder of the information files lies outside the test folder");
        // one project whose database is named after its information file, one that names it itself
        Schreiben(mDir->filePath("d/Alt/Klar/Klär.kvs"), "SQLite format 3");
        Schreiben(sOrdner + "/Klär.kvi", "[config]\r\npath=D:\\Alt\\Klar\r\nDesignerProject=Klaer.vbp\r\n");
        Schreiben(mDir->filePath("d/Server/Alarme/Linie3.kvs"), "SQLite format 3");
        Schreiben(sOrdner + "/Linie.kvi", "[config]\r\npath=D:\\Alt\\Klar\r\n[alarm_server]\r\nalarmpath=D:\\Server\\Alarme\r\n"
                                          "database=Linie3\r\n");
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        dlg.findChild<QTabWidget*>()->setCurrentIndex(1);
        QTreeWidget* bek = Liste(dlg, "lvwBekannt");
        QCOMPARE(bek->topLevelItem(0)->text(0), QStringLiteral("Klär.kvi"));
        Klick(bek, 0);
        QCOMPARE(QString::fromStdString(dlg.prj->Datenbank()), QStringLiteral("D:\\Alt\\Klar\\Klär.kvs"));
        QVERIFY(MDatei::DateiVorhanden(dlg.prj->Datenbank()));
        Klick(bek, 1);
        QCOMPARE(QString::fromStdString(dlg.prj->Datenbank()), QStringLiteral("D:\\Server\\Alarme\\Linie3.kvs"));
        QVERIFY(MDatei::DateiVorhanden(dlg.prj->Datenbank()));
        // a registered project keeps the database named after it
        Klick(bek, 2);
        QVERIFY(dlg.prj->Datenbank().empty());
    }

    void knownPageChoosesRegisteredAndFoundProjects() {
        DreiProjekte();
        // the user's default projects folder is where the information files are searched
        QDir().mkpath(mDir->filePath("d/Projekte"));
        Schreiben(mPrefix + "/user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n"
                                        "\"DefaultProjectsPath\"=\"D:\\\\Projekte\"\n\n");
        const QString sOrdner = ProjektOrdnerHier();
        if (sOrdner.isEmpty())
            QSKIP("the folder of the information files lies outside the test folder");
        QDir().mkpath(mDir->filePath("d/Alt/Klar"));
        Schreiben(sOrdner + "/Klär.kvi", "[config]\r\npath=D:\\Alt\\Klar\r\nDesignerProject=Klaer.vbp\r\n");
        Schreiben(sOrdner + "/Ohne.kvi", "[config]\r\npath=D:\\Alt\\Klar\r\n");
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        auto* tab = dlg.findChild<QTabWidget*>();
        tab->setCurrentIndex(1);
        QTreeWidget* bek = Liste(dlg, "lvwBekannt");
        QCOMPARE(bek->topLevelItemCount(), 5);
        QCOMPARE(bek->topLevelItem(0)->text(0), QStringLiteral("Klär.kvi"));
        QCOMPARE(bek->topLevelItem(0)->text(1), QStringLiteral("D:\\Alt\\Klar"));
        QCOMPARE(bek->topLevelItem(0)->data(0, frmProjektAuswahl::ROLLE_ICON).toInt(), 4);
        QCOMPARE(bek->topLevelItem(2)->text(0), QStringLiteral("|Anlage1"));

        Klick(bek, 0);
        QVERIFY(dlg.prj == dlg.ClassicProject);
        QCOMPARE(dlg.prj->Name(), std::string("D:\\Alt\\Klar\\Klaer.vbp"));
        Klick(bek, 1);
        QCOMPARE(dlg.prj->Name(), std::string("D:\\Alt\\Klar\\Ohne.kvi.vbp"));
        // a registered project without type has the icon of a found one, yet opens its registration
        QCOMPARE(bek->topLevelItem(4)->data(0, frmProjektAuswahl::ROLLE_ICON).toInt(), 4);
        Klick(bek, 4);
        QVERIFY(dlg.prj == dlg.gRegProjects->Item("|Crailsheim"));
        QCOMPARE(dlg.prj->Path(), std::string("D:\\Projekte\\Crailsheim"));
        Klick(bek, 2);
        QVERIFY(dlg.prj == dlg.gRegProjects->Item(1));
        QTest::mouseClick(Knopf(dlg, QStringLiteral("cmdÖffnen")), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void helpSendsF1() {
        DreiProjekte();
        frmProjektAuswahl dlg;
        QVERIFY(Zeigen(dlg));
        F1Faenger f;
        qApp->installEventFilter(&f);
        QTest::mouseClick(Knopf(dlg, "cmdHilfe"), Qt::LeftButton);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&f);
        QCOMPARE(f.nF1, 1);
        QVERIFY(dlg.isVisible());
    }

    void failuresWhileLoading() {
        // a project without folder, or with one that cannot be decoded, is left out; an
        // undecodable type is the classic one; the others stay
        Registrieren(Projekt("A", nullptr, "00000001") + Projekt("B", "D:\\\\B", nullptr) +
                     Projekt("C", nullptr, nullptr).replace("\n\n", "\n\"Path\"=hex(1):44,00,3a,00,0123456789abcdef0123\n\n") +
                     Projekt("D", "D:\\\\D", "123456789"));
        {
            frmProjektAuswahl dlg;
            QVERIFY(Zeigen(dlg));
            QTreeWidget* akt = Liste(dlg, "lvwAktuell");
            QCOMPARE(akt->topLevelItemCount(), 2);
            QCOMPARE(akt->topLevelItem(0)->text(0), QStringLiteral("|B"));
            QCOMPARE(akt->topLevelItem(1)->text(0), QStringLiteral("|D"));
            QCOMPARE(akt->topLevelItem(1)->data(0, frmProjektAuswahl::ROLLE_ICON).toInt(), 4);
        }
        // no registered projects: the page "Aktuell" is empty and still shown
        Registrieren({});
        {
            frmProjektAuswahl dlg;
            QVERIFY(Zeigen(dlg));
            QCOMPARE(Liste(dlg, "lvwAktuell")->topLevelItemCount(), 0);
            QCOMPARE(dlg.findChild<QTabWidget*>()->currentIndex(), 2);
        }
        // the HMI environment is not installed
        Registrieren(Projekt("B", "D:\\\\B", nullptr), false);
        SkriptDialoge seam;
        frmProjektAuswahl dlg;
        QVERIFY(!dlg.Laden());
        QCOMPARE(seam.meldungen, QStringList{QStringLiteral("KVStart findet keinen Registrierungspfad für die Version 4.0")});
        QCOMPARE(seam.beendet, 0);
        QCOMPARE(dlg.Typ, 2);
        QVERIFY(!dlg.prj);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
    void loadingAndChoosingWriteNothing() {
        // Hundreds of projects, one with umlauts, one whose folder is gone, one with a binary and
        // one with a huge information file; Korvant.ini with flags that are not numbers.
        QByteArray keys;
        for (int i = 0; i < 300; ++i)
            keys += Projekt(QByteArray("P" + QByteArray::number(1000 + i)).constData(),
                            QByteArray("D:\\\\P" + QByteArray::number(1000 + i)).constData(), "00000001");
        keys += Projekt("Kläranlage Süd", "D:\\\\Kläranlage", nullptr) + Projekt("Weg", "D:\\\\Weg", "00000002") +
                Projekt("Binaer", "D:\\\\Binaer", nullptr) + Projekt("Gross", "D:\\\\Gross", nullptr);
        Registrieren(keys);
        Schreiben(mPrefix + "/user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n"
                                        "\"DefaultProjectsPath\"=\"D:\\\\Projekte\"\n\n");
        Schreiben(mPrefix + "/drive_c/windows/Korvant.ini",
                  "[Special]\r\nClientServer=ja\r\nUnsigned=\r\n[Desktop 3.0]\r\nFormDesigner=VB\r\n");
        QByteArray binaer(300000, '\0');
        for (int i = 0; i < binaer.size(); ++i)
            binaer[i] = char((i * 31) & 0xff);
        Schreiben(mDir->filePath("d/Binaer/Binaer.kvs"), binaer);
        QByteArray gross = "[properties]\r\ncomment=Gro\xDF\r\n";   // Windows-1252
        const QByteArray zeile = "Eintrag=" + QByteArray(90, 'x') + "\r\n";
        while (gross.size() < 50 * 1024 * 1024)
            gross += zeile;
        Schreiben(mDir->filePath("d/Gross/Gross.kvs"), gross);
        const QString sOrdner = ProjektOrdnerHier();
        if (!sOrdner.isEmpty()) {
            Schreiben(sOrdner + "/gross.kvi", "[config]\r\npath=D:\\Gross\r\n" + gross);
            Schreiben(sOrdner + "/binaer.kvi", binaer);
        }

        const auto stand = [&] {
            QStringList s;
            QDirIterator it(mDir->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString p = it.next();
                QFile f(p);
                s << p + QLatin1Char(' ') +
                         (QFileInfo(p).isFile() && f.open(QIODevice::ReadOnly)
                              ? QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex())
                              : QStringLiteral("-"));
            }
            s.sort();
            return s;
        };
        const QStringList vorher = stand();
        {
            SkriptDialoge seam;
            frmProjektAuswahl dlg;
            QVERIFY(Zeigen(dlg));
            QTreeWidget* akt = Liste(dlg, "lvwAktuell");
            QCOMPARE(akt->topLevelItemCount(), 304);
            const auto zeile = [&](const char* sName) {
                const auto l = akt->findItems(QString::fromUtf8(sName), Qt::MatchExactly);
                return l.isEmpty() ? nullptr : l.first();
            };
            QVERIFY(zeile("|Kläranlage Süd") && zeile("|Weg") && zeile("|Binaer"));
            QCOMPARE(zeile("|Weg")->text(2), QString());
            QCOMPARE(zeile("|Binaer")->text(2), QString());
            QCOMPARE(zeile("|Gross")->text(2), QStringLiteral("Groß"));
            QCOMPARE(dlg.gKorvant->fClientServer, false);
            QCOMPARE(dlg.gKorvant->nVorgabeFormDesigner, std::int16_t(0));
            for (const char* sName : {"|Kläranlage Süd", "|Weg", "|Binaer", "|Gross"})
                Klick(akt, akt->indexOfTopLevelItem(zeile(sName)));
            QVERIFY(dlg.prj == dlg.gRegProjects->Item("|Gross"));
            dlg.findChild<QTabWidget*>()->setCurrentIndex(1);
            QTreeWidget* bek = Liste(dlg, "lvwBekannt");
            QCOMPARE(bek->topLevelItemCount(), 304 + (sOrdner.isEmpty() ? 0 : 1));  // the binary one is not listed
            Klick(bek, 0);
            Klick(bek, bek->topLevelItemCount() - 1);
            QVERIFY(dlg.prj);
            QMetaObject::invokeMethod(&dlg, "cmdOeffnen_Click");
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(seam.meldungen.isEmpty());
        }
        QCOMPARE(stand(), vorher);
    }
};

QTEST_MAIN(TstProjektauswahl)
#include "tst_projektauswahl.moc"
