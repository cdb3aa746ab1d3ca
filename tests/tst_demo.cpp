// The generated demo project is readable by the program's own readers.
#include <QtTest>

#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include "DemoProjekt.h"
#include "GifSchreiber.h"
#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsZugriff.h"
#include "helpers/TestDb.h"
#include "platform/MDatei.h"
#include "platform/MIni.h"
#include "platform/WinUmgebung.h"
#include "projects/CKVIProject.h"
#include "projects/CKorvant.h"
#include "projects/CRegProjects.h"

class TstDemo : public QObject {
    Q_OBJECT
    QTemporaryDir mDir;
    QString mOut;
    QString mProgramm;
    QString Ini() const { return mProgramm + QStringLiteral("/Tavero/Tavero.ini"); }
    static std::string Std(const QString& s) { return s.toStdString(); }

private slots:
    void initTestCase() {
        QVERIFY(mDir.isValid());
        mOut = mDir.filePath(QStringLiteral("demo"));
        mProgramm = mDir.filePath(QStringLiteral("bin"));
        WinUmgebung::ProgrammOrdnerSetzen(Std(mProgramm));
        DemoOptionen opt;
        opt.out = mOut;
        opt.alarms = 500;
        opt.pictures = 4;
        opt.programmOrdner = mProgramm;
        opt.bilderZeichnen = false;
        QString fehler;
        QVERIFY2(DemoProjekt::Erzeugen(opt, &fehler), qPrintable(fehler));
        qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(mOut)));
    }

    void registryNamesBothProjects() {
        CRegProjects projekte;
        QCOMPARE(projekte.Count(), 2);
        const auto demo = projekte.Item("|Demo");
        QCOMPARE(QString::fromStdString(demo->Path()), QStringLiteral("C:\\Projekte\\Demo"));
        // the database the opening forms from Path and name lies where the generator put it
        QVERIFY(MDatei::DateiVorhanden(demo->Path() + "\\Demo.kvs"));
        QCOMPARE(QFileInfo(QString::fromStdString(WinUmgebung::PfadAbbilden(demo->Path() + "\\Demo.kvs")))
                     .canonicalFilePath(),
                 QFileInfo(DemoProjekt::Datenbank(mOut)).canonicalFilePath());
        CKorvant korvant;
        QCOMPARE(korvant.sPfadProjekte, std::string("C:\\Projekte"));
        QVERIFY(korvant.fDateiBackUp);
        QCOMPARE(korvant.nVorgabeFormDesigner, std::int16_t(8));
        // the classic project is found by its information file
        bool altanlage = false;
        for (const auto& e : korvant.ProjekteAuflisten())
            altanlage = altanlage || e.sName == "Altanlage.kvi";
        QVERIFY(altanlage);
        CKVIProject kvi;
        kvi.Init("C:\\Projekte\\Demo\\Demo.kvi");
        QCOMPARE(QString::fromStdString(kvi.Comment()), QStringLiteral("Demo-Kläranlage mit Alarmbildern für Tavero"));
    }

    void taveroIniNamesFoldersAndLists() {
        auto lesen = [this](const char* b, const QString& k) {
            return QString::fromStdString(MIni::IniLeseWert(b, Std(k), "", Std(Ini())));
        };
        QCOMPARE(lesen("Grafik", QStringLiteral("AlarmPicturePath")), QStringLiteral("C:\\Projekte\\Demo\\Bilder"));
        const QString symbolOrdner = lesen("Grafik", QStringLiteral("PfeilPath"));
        const QStringList bilder = DemoProjekt::BildNamen(4);
        QCOMPARE(bilder.size(), 4);
        for (int i = 0; i < bilder.size(); ++i) {
            QCOMPARE(lesen("Picture", QStringLiteral("%1Pic").arg(i + 1)), bilder[i]);
            const QString name = bilder[i].chopped(4);
            QVERIFY(MDatei::DateiVorhanden(Std(QStringLiteral("C:\\Projekte\\Demo\\Bilder\\") + name + "\\" + bilder[i])));
        }
        QVERIFY(lesen("Picture", QStringLiteral("5Pic")).isEmpty());
        const QStringList symbole = DemoProjekt::SymbolNamen();
        for (int i = 0; i < symbole.size(); ++i) {
            QCOMPARE(AlarmRecordBau::SymbolDateiName(lesen("Arrow", QStringLiteral("%1Symbol").arg(i + 1))), symbole[i]);
            QImage img(QString::fromStdString(WinUmgebung::PfadAbbilden(Std(symbolOrdner + "\\" + symbole[i]))));
            QVERIFY2(!img.isNull(), qPrintable(symbole[i]));
        }
        const QImage leer(QString::fromStdString(WinUmgebung::PfadAbbilden(Std(symbolOrdner + "\\PfeilLeer.gif"))));
        QVERIFY(!leer.isNull());
        QVERIFY(leer.hasAlphaChannel());
    }

    void alarmdefsHasTheColumnsInOrder() {
        const QString db = DemoProjekt::Datenbank(mOut);
        {
            TestDb c(db);
            QVERIFY(c.ok());
            QSqlQuery q(c.db());
            QVERIFY(q.exec(QStringLiteral("select * from Alarmdefs")));
            const QSqlRecord rec = q.record();
            QCOMPARE(rec.count(), 18);
            for (int i = 0; i < 18; ++i)
                QCOMPARE(rec.fieldName(i), AlarmRecordBau::SpaltenNamen()[i]);
            QVERIFY(q.exec(QStringLiteral("select count(*), count(Form), count(Symbol), count(X) from Alarmdefs")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 500);
            QVERIFY(q.value(1).toInt() > 0 && q.value(1).toInt() < 500);   // some without picture
            QVERIFY(q.value(2).toInt() < q.value(1).toInt());               // some without symbol
            QVERIFY(q.value(3).toInt() < q.value(2).toInt());               // some without position
            QVERIFY(q.exec(QStringLiteral("select count(*) from Alarmdefs where Alarmtext like '%ö%' or "
                                          "Alarmtext like '%ü%' or Alarmtext like '%ä%'")));
            QVERIFY(q.next());
            QVERIFY(q.value(0).toInt() > 0);
        }
        const auto liste = AlarmdefsZugriff::AlarmListeLesen(db, DemoProjekt::BildNamen(4)[0].chopped(4));
        QVERIFY(liste && !liste->isEmpty());
    }

    void gifReadsBackPixelForPixel() {
        // 200 colours in a scrambled pattern fill the code table: widening and reset both happen
        QImage bild(300, 200, QImage::Format_ARGB32);
        quint32 z = 12345;
        for (int y = 0; y < bild.height(); ++y)
            for (int x = 0; x < bild.width(); ++x) {
                z = z * 1103515245u + 12345u;
                const int n = static_cast<int>((z >> 16) % 201);
                bild.setPixel(x, y, n == 200 ? qRgba(0, 0, 0, 0) : qRgb(n, 255 - n, (n * 5) % 256));
            }
        const QString datei = mDir.filePath(QStringLiteral("probe.gif"));
        QVERIFY(GifSchreiber::Schreiben(bild, datei));
        const QImage zurueck = QImage(datei).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(zurueck.size(), bild.size());
        for (int y = 0; y < bild.height(); ++y)
            for (int x = 0; x < bild.width(); ++x) {
                const QRgb a = bild.pixel(x, y), b = zurueck.pixel(x, y);
                if (qAlpha(a) == 0)
                    QCOMPARE(qAlpha(b), 0);
                else
                    QCOMPARE(b | 0xFF000000u, a | 0xFF000000u);
            }
    }
};

QTEST_MAIN(TstDemo)
#include "tst_demo.moc"
