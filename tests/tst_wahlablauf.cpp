// The pick of a grid row without a window: the model on a real SQLite file,
// the list read by its data service, the file held locked by another
// connection so that answers come late. The tables are made by other writers
// than this program: the sqlite3 program and Python's sqlite3 module.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Wahlablauf.h"
#include "helpers/TestDb.h"

namespace {

// The sqlite3 program: columns in another order, Ident as text, every number on two rows of different pictures.
const char* const SqliteSkript =
    "CREATE TABLE Alarmdefs (\"Alarmtext\" TEXT, \"Symbol\" TEXT, \"Y\" TEXT, \"X\" TEXT, \"Form\" TEXT, "
    "\"Ident\" TEXT, \"Type\" INTEGER, \"Acknowledge\" INTEGER, \"VarName\" TEXT, \"BitNo\" INTEGER, \"Min\" TEXT, "
    "\"Max\" TEXT, \"Priority\" INTEGER, \"Group\" INTEGER, \"Helpindex\" INTEGER, \"Sensor1\" INTEGER, "
    "\"Sensor2\" INTEGER, \"Fault\" INTEGER);\n"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) "
    "INSERT INTO Alarmdefs (\"Ident\", \"Form\", \"X\", \"Y\", \"Alarmtext\", \"Symbol\") "
    "SELECT CAST(7000 - (i % 350) * 3 AS TEXT), 'Anlage' || ((i + 2 * (i / 350)) % 3), CAST(100 + i AS TEXT), "
    "CAST(50 + i % 40 AS TEXT), 'Meldung ' || i, 'Standard\\Pfeil.gif' FROM n;\n";

// Python's sqlite3 module: the usual column order, whole numbers, rows written
// in a shuffled order, some without a picture, number pairs by another rule.
const char* const PythonSkript = R"(
import random, sqlite3, sys
random.seed(19)
db = sqlite3.connect(sys.argv[1])
db.execute('CREATE TABLE Alarmdefs (Ident INTEGER, Type INTEGER, Acknowledge INTEGER, VarName VARCHAR(50), '
           'BitNo INTEGER, "Min" VARCHAR(20), "Max" VARCHAR(20), Priority INTEGER, "Group" INTEGER, Helpindex INTEGER, '
           'Alarmtext VARCHAR(255), Form VARCHAR(50), Symbol VARCHAR(255), X INTEGER, Y INTEGER, Sensor1 INTEGER, '
           'Sensor2 INTEGER, Fault INTEGER)')
worte = ['Druck', 'Füllstand', 'Störung', 'Überlast', 'Kühlung', 'Ölstand', 'Lüfter']
zeilen = []
for i in range(520):
    form = None if i % 13 == 0 else ['Kessel', 'Turbine', 'Pumpenhaus'][(i * 7 // 3) % 3]
    zeilen.append((2000 + (i * 11) % 260, form, random.randint(0, 1200), random.randint(0, 900),
                   '%s %s %d' % (random.choice(worte), random.choice(worte), i), 'Pfeile\\Rot.bmp'))
random.shuffle(zeilen)
db.executemany('INSERT INTO Alarmdefs (Ident, Form, X, Y, Alarmtext, Symbol) VALUES (?, ?, ?, ?, ?, ?)', zeilen)
db.commit()
)";
}  // namespace

class TstWahlablauf : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_datei, m_bilder, m_verbindung;
    AlarmdefsModell* m_modell = nullptr;

    QString text(int zeile, int spalte) const { return m_modell->index(zeile, spalte).data().toString(); }
    // The model's source has come, with every key counted and every row read.
    bool bereit() {
        if (m_modell->QuelleUnterwegs() || !m_modell->AllesGelesen())
            return false;
        for (int z = 0; z < m_modell->rowCount(); ++z)
            if (!zeileLesen(z))
                return false;
        return true;
    }
    // The row's page is asked for and the loop runs until it has come.
    bool zeileLesen(int zeile) {
        m_modell->ZeileLesen(zeile, 0);
        QDeadlineTimer frist(10000);
        while (!m_modell->ZeileGeladen(zeile) && !frist.hasExpired())
            QTest::qWait(2);
        return m_modell->ZeileGeladen(zeile);
    }
    // The answer to a sort or a filter is waited for, and the row kept, as the
    // window does with the alarm picked last (none before the first pick).
    void quelleAbwarten(Wahlablauf& wahl, const QSignalSpy& gewaehlt) {
        if (m_modell->QuelleUnterwegs()) {
            QSignalSpy gewechselt(m_modell, &AlarmdefsModell::QuelleGewechselt);
            QTRY_VERIFY(gewechselt.count() > 0);
        }
        wahl.Halten(gewaehlt.isEmpty() ? std::nullopt : std::optional(gewaehlt.last().at(0).value<AlarmRecord>()), true);
    }

private slots:
    void initTestCase_data() {
        QTest::addColumn<bool>("python");
        QTest::newRow("sqlite3-Programm") << false;
        QTest::newRow("Python-Modul") << true;
    }
    void init() {
        QFETCH_GLOBAL(bool, python);
        m_dir = std::make_unique<QTemporaryDir>();
        m_datei = m_dir->filePath(QStringLiteral("fremd.kvs"));
        QProcess p;
        if (python) {
            p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(PythonSkript), m_datei});
        } else {
            p.start(QStringLiteral("sqlite3"), {m_datei});
            QVERIFY(p.waitForStarted());
            p.write(SqliteSkript);
            p.closeWriteChannel();
        }
        QVERIFY(p.waitForFinished());
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        // A picture counts when BilderPath\N\N.bmp is there; what it shows does not matter here.
        m_bilder = m_dir->filePath(QStringLiteral("Bilder"));
        for (const char* form : {"Anlage0", "Anlage1", "Anlage2", "Kessel", "Turbine", "Pumpenhaus"}) {
            const QString name = QString::fromLatin1(form);
            QVERIFY(QDir().mkpath(m_bilder + QLatin1Char('/') + name));
            QFile bild(m_bilder + QLatin1Char('/') + name + QLatin1Char('/') + name + QStringLiteral(".bmp"));
            QVERIFY(bild.open(QIODevice::WriteOnly));
        }
        static int zaehler = 0;
        m_verbindung = QStringLiteral("wahlablauf-%1").arg(++zaehler);
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(m_datei, m_verbindung);
        m_modell = new AlarmdefsModell(nullptr, db, m_datei);
        QVERIFY(m_modell->Seitenweise());
        QVERIFY(m_modell->AlleZeigen());
        QTRY_VERIFY(m_modell->rowCount() > 0 && !m_modell->QuelleUnterwegs() && m_modell->AllesGelesen());
    }
    void cleanup() {
        delete m_modell;
        m_modell = nullptr;
        AlarmdefsZugriff::Schliessen(m_verbindung);
        m_dir.reset();
    }

    void aPickAnsweredAfterANewerPickIsDropped() {
        QVERIFY(bereit());
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        QSignalSpy beendet(&wahl, &Wahlablauf::Beendet);
        int a = 0;
        while (text(a, AlarmFeld::Form).isEmpty())
            ++a;
        int b = a + 1;
        while (text(b, AlarmFeld::Form).isEmpty() || text(b, AlarmFeld::Form) == text(a, AlarmFeld::Form))
            ++b;
        Datendienst* dienst = m_modell->Dienst();
        const int beantwortet = dienst->Beantwortete();
        {
            TestDb f(m_datei);  // reads behind the model's back and holds the lock
            QVERIFY(f.Ausfuehren(QStringLiteral("begin exclusive")));
            wahl.Beginnen(a, m_bilder);
            QVERIFY(wahl.Unterwegs());
            QCOMPARE(wahl.UnterwegsFuer(), text(a, AlarmFeld::Ident));
            wahl.Beginnen(b, m_bilder);
            QCOMPARE(wahl.UnterwegsFuer(), text(b, AlarmFeld::Ident));
            QVERIFY(f.Ausfuehren(QStringLiteral("rollback")));
        }
        // Both lists are answered; only the newer pick is done.
        QTRY_VERIFY(!wahl.Unterwegs() && dienst->Beantwortete() >= beantwortet + 2);
        QTest::qWait(50);
        QCOMPARE(beendet.count(), 0);
        QCOMPARE(gewaehlt.count(), 1);
        const auto satz = gewaehlt.at(0).at(0).value<AlarmRecord>();
        QCOMPARE(satz.value(AlarmFeld::Alarmtext), text(b, AlarmFeld::Alarmtext));
        const auto liste = gewaehlt.at(0).at(1).value<std::optional<AlarmListeTyp>>();
        QVERIFY(liste && !liste->isEmpty());
        for (const AlarmRecord& r : *liste)
            QCOMPARE(r.value(AlarmFeld::Form), text(b, AlarmFeld::Form));
    }

    void aRowThatComesDuringTheWaitIsPickedOnce() {
        // The model tells of the row while the pick still waits for it.
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        wahl.WartenMs = 20000;
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        QSignalSpy beendet(&wahl, &Wahlablauf::Beendet);
        TestDb f(m_datei);  // reads behind the model's back and holds the lock
        int zeile = m_modell->rowCount() / 2;
        while (f.Text(QStringLiteral("select Form from Alarmdefs where rowid = %1").arg(m_modell->Schluessel(zeile))).isEmpty())
            ++zeile;
        QVERIFY(!m_modell->ZeileGeladen(zeile));
        wahl.Beginnen(zeile, m_bilder);
        QTRY_VERIFY(!wahl.Unterwegs());
        QTest::qWait(50);
        QCOMPARE(beendet.count(), 0);
        QCOMPARE(gewaehlt.count(), 1);
        QCOMPARE(gewaehlt.at(0).at(0).value<AlarmRecord>().value(AlarmFeld::Alarmtext),
                 f.Text(QStringLiteral("select Alarmtext from Alarmdefs where rowid = %1").arg(m_modell->Schluessel(zeile))));
    }

    void aKeyIsFollowedAcrossASort() {
        // The row clicked has not been read yet; the grid is sorted before it comes.
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        QSignalSpy halten(&wahl, &Wahlablauf::ZeileHalten);
        TestDb f(m_datei);  // reads behind the model's back and holds the lock
        int zeile = m_modell->rowCount() - 2;
        while (f.Text(QStringLiteral("select Form from Alarmdefs where rowid = %1").arg(m_modell->Schluessel(zeile))).isEmpty())
            --zeile;
        QVERIFY(!m_modell->ZeileGeladen(zeile));
        const qint64 schluessel = m_modell->Schluessel(zeile);
        const QString erwartet = f.Text(QStringLiteral("select Alarmtext from Alarmdefs where rowid = %1").arg(schluessel));
        QVERIFY(f.Ausfuehren(QStringLiteral("begin exclusive")));
        wahl.Beginnen(zeile, m_bilder);
        QVERIFY(wahl.Unterwegs());
        QVERIFY(m_modell->SortierenNach(AlarmFeld::Alarmtext, Qt::DescendingOrder));
        QVERIFY(f.Ausfuehren(QStringLiteral("rollback")));
        quelleAbwarten(wahl, gewaehlt);
        QTRY_VERIFY(!wahl.Unterwegs());
        QCOMPARE(gewaehlt.count(), 1);
        const auto satz = gewaehlt.at(0).at(0).value<AlarmRecord>();
        QCOMPARE(satz.value(AlarmFeld::Alarmtext), erwartet);
        QVERIFY(!halten.isEmpty());
        const int gehalten = halten.last().at(0).toInt();
        QCOMPARE(m_modell->Schluessel(gehalten), schluessel);
        QVERIFY(zeileLesen(gehalten));
        QCOMPARE(text(gehalten, AlarmFeld::Alarmtext), erwartet);
        // Once picked, it is followed through the next sort too.
        QVERIFY(m_modell->SortierenNach(AlarmFeld::X, Qt::AscendingOrder));
        quelleAbwarten(wahl, gewaehlt);
        QVERIFY(zeileLesen(halten.last().at(0).toInt()));
        QCOMPARE(text(halten.last().at(0).toInt(), AlarmFeld::Alarmtext), erwartet);
    }

    void aRowWhoseNumberTwoRowsCarryIsPickedAsClicked() {
        QVERIFY(bereit());
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        QSignalSpy halten(&wahl, &Wahlablauf::ZeileHalten);
        // The later of two rows of one number, on another picture than the first.
        int erste = -1, zweite = -1;
        for (int z = 1; z < m_modell->rowCount() && zweite < 0; ++z)
            for (int y = 0; y < z; ++y)
                if (text(y, AlarmFeld::Ident) == text(z, AlarmFeld::Ident) && !text(z, AlarmFeld::Form).isEmpty() &&
                    !text(y, AlarmFeld::Form).isEmpty() && text(y, AlarmFeld::Form) != text(z, AlarmFeld::Form)) {
                    erste = y;
                    zweite = z;
                    break;
                }
        QVERIFY(zweite > 0);
        const QString textZweite = text(zweite, AlarmFeld::Alarmtext), formZweite = text(zweite, AlarmFeld::Form);
        const qint64 schluessel = m_modell->Schluessel(zweite);
        wahl.Beginnen(zweite, m_bilder);
        QTRY_COMPARE(gewaehlt.count(), 1);
        const auto satz = gewaehlt.at(0).at(0).value<AlarmRecord>();
        QCOMPARE(satz.value(AlarmFeld::Alarmtext), textZweite);
        QCOMPARE(satz.value(AlarmFeld::Form), formZweite);
        const auto liste = gewaehlt.at(0).at(1).value<std::optional<AlarmListeTyp>>();
        QVERIFY(liste);
        bool drin = false;
        for (const AlarmRecord& r : *liste) {
            QCOMPARE(r.value(AlarmFeld::Form), formZweite);
            drin = drin || r.value(AlarmFeld::Alarmtext) == textZweite;
        }
        QVERIFY(drin);
        QVERIFY(text(erste, AlarmFeld::Alarmtext) != textZweite);
        // A sort and a filter keep the row clicked, not the other row of its number.
        QVERIFY(m_modell->SortierenNach(AlarmFeld::Alarmtext, Qt::AscendingOrder));
        quelleAbwarten(wahl, gewaehlt);
        QTRY_VERIFY(!halten.isEmpty());
        QCOMPARE(m_modell->Schluessel(halten.last().at(0).toInt()), schluessel);
        QVERIFY(m_modell->BildZeigen(formZweite));
        quelleAbwarten(wahl, gewaehlt);
        QCOMPARE(m_modell->Schluessel(halten.last().at(0).toInt()), schluessel);
        QVERIFY(zeileLesen(halten.last().at(0).toInt()));
        QCOMPARE(text(halten.last().at(0).toInt(), AlarmFeld::Alarmtext), textZweite);
    }
};

QTEST_GUILESS_MAIN(TstWahlablauf)
#include "tst_wahlablauf.moc"
