// The pick of a grid row without a window: the model on a real SQLite file,
// the list read by its data service, the file held locked by another
// connection so that answers come late. The tables are made by other writers
// than this program: the sqlite3 program and Python's sqlite3 module.
#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>
#include <QMutex>
#include <algorithm>
#include <functional>
#include <memory>

#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Takt.h"
#include "alarms/Wahlablauf.h"
#include "helpers/FremdeSperre.h"
#include "helpers/Stillstandsprobe.h"
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

// Python's sqlite3 module again, kept apart from every other test: a column
// order of its own, Ident as text, ten thousand arrows on one picture among a
// few hundred on others, and no index.
const char* const GrossSkript = R"(
import random, sqlite3, sys
random.seed(1013)
db = sqlite3.connect(sys.argv[1])
db.execute('CREATE TABLE Alarmdefs (Form TEXT, Y TEXT, X TEXT, Ident TEXT, Alarmtext TEXT, Symbol TEXT, Fault INTEGER, '
           'Sensor2 INTEGER, Sensor1 INTEGER, Helpindex INTEGER, "Group" INTEGER, Priority INTEGER, "Max" TEXT, '
           '"Min" TEXT, BitNo INTEGER, VarName TEXT, Acknowledge INTEGER, Type INTEGER)')
zeilen = [('Halle' if i % 21 else ['Kessel', 'Turbine'][i % 2], str(random.randint(0, 900)), str(random.randint(0, 1200)),
           str(90000 + i), 'Meldung %d' % i, 'Pfeile\\Gelb.bmp') for i in range(10500)]
random.shuffle(zeilen)
db.executemany('INSERT INTO Alarmdefs (Form, Y, X, Ident, Alarmtext, Symbol) VALUES (?, ?, ?, ?, ?, ?)', zeilen)
db.commit()
)";

// The longest time the loop does not come round while tun runs in it and
// until the loop has been idle for a while: the pause the window would have,
// without the time the thread stood in line for a processor on a loaded
// machine.
Stillstandsprobe::Pause LaengstePause(const std::function<void()>& tun) {
    Stillstandsprobe probe;
    QEventLoop schleife;
    QTimer::singleShot(20, [&] {
        probe.Neu();
        tun();
    });
    QTimer::singleShot(150, &schleife, &QEventLoop::quit);
    schleife.exec();
    return probe.Laengste();
}
// A frame: the longest a pick may hold the window.
constexpr double Bild = 16;
constexpr int Versuche = 10;

// Each pause without the load, with what the thread computed and how long it was blocked.
QString Liste(const QList<Stillstandsprobe::Pause>& werte) {
    QStringList t;
    for (const Stillstandsprobe::Pause& p : werte)
        t << QStringLiteral("%1 (gerechnet %2, blockiert %3)")
                 .arg(p.Eigen(), 0, 'f', 1).arg(p.gerechnet, 0, 'f', 1).arg(p.Blockiert(), 0, 'f', 1);
    return t.join(QStringLiteral(", "));
}

// A plain wait of Takt::Ms on this thread, made as the pick's own waits are
// (a timed wait on a condition nobody signals): what it takes beyond Takt::Ms
// is the machine's lateness in waking a waiting thread, not the program's.
void EinTakt() {
    QMutex m;
    QWaitCondition c;
    QMutexLocker l(&m);
    c.wait(&m, QDeadlineTimer(Takt::Ms));
}

// The pauses of up to Versuche tries of a pick, each beside a plain wait of
// Takt::Ms measured the same way. The pick holds the window less than a
// frame when one try is within it, or, on a machine that wakes waiting
// threads late, when its shortest pause is within what the shortest plain
// wait took beyond Takt::Ms plus a frame: a pick that waited longer than its
// share (two waits of a frame each, or the busy worker's whole answer) exceeds
// that however late the machine wakes it.
class Versuchsreihe {
public:
    // One try, then the plain wait (the try may count on what was set up
    // just before it, a busy worker): true once it settles the matter.
    bool Messen(const std::function<void()>& tun) {
        m_pausen << LaengstePause(tun);
        m_eichung << LaengstePause(EinTakt);
        return m_pausen.last().Eigen() <= Bild;
    }
    bool Gehalten() const { return !m_pausen.isEmpty() && Kuerzeste(m_pausen) <= Grenze(); }
    int Anzahl() const { return static_cast<int>(m_pausen.size()); }
    QString Text() const {
        return QStringLiteral("Pausen %1; einfaches Warten %2; Grenze %3 ms")
            .arg(Liste(m_pausen), Liste(m_eichung))
            .arg(Grenze(), 0, 'f', 1);
    }

private:
    static double Kuerzeste(const QList<Stillstandsprobe::Pause>& p) {
        double k = p.first().Eigen();
        for (const Stillstandsprobe::Pause& x : p)
            k = std::min(k, x.Eigen());
        return k;
    }
    double Grenze() const {
        return m_eichung.isEmpty() ? Bild : std::max(Bild, Kuerzeste(m_eichung) - Takt::Ms + Bild);
    }
    QList<Stillstandsprobe::Pause> m_pausen, m_eichung;
};
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
    // The picture's list cannot be read while another program holds the
    // file: the pick waits less than a frame for it, the window goes on, and
    // the row picked last is picked when the lock has gone, the earlier
    // picks' answers dropped.
    void aPickOnAFileHeldByAnotherProgramWaitsLessThanAFrame() {
        QVERIFY(bereit());
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        QSignalSpy beendet(&wahl, &Wahlablauf::Beendet);
        QList<int> zeilen;
        for (int z = 0; z < m_modell->rowCount() && zeilen.size() < Versuche; ++z)
            if (!text(z, AlarmFeld::Form).isEmpty() && (zeilen.isEmpty() || text(z, AlarmFeld::Form) != text(zeilen.last(), AlarmFeld::Form)))
                zeilen << z;
        QCOMPARE(zeilen.size(), Versuche);
        Versuchsreihe reihe;
        {
            FremdeSperre sperre(m_datei);
            QVERIFY(!sperre.Lesbar());
            for (int z : zeilen)
                if (reihe.Messen([&] { wahl.Beginnen(z, m_bilder); }))
                    break;
            QVERIFY(wahl.Unterwegs());
            QCOMPARE(gewaehlt.count(), 0);
        }
        qInfo("Bei gesperrter Datei: %s", qPrintable(reihe.Text()));
        QVERIFY2(reihe.Gehalten(), qPrintable(reihe.Text()));
        QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
        QTest::qWait(50);
        QCOMPARE(beendet.count(), 0);
        QCOMPARE(gewaehlt.count(), 1);
        const int letzte = zeilen.at(reihe.Anzahl() - 1);
        QCOMPARE(gewaehlt.at(0).at(0).value<AlarmRecord>().value(AlarmFeld::Alarmtext), text(letzte, AlarmFeld::Alarmtext));
        const auto liste = gewaehlt.at(0).at(1).value<std::optional<AlarmListeTyp>>();
        QVERIFY(liste && !liste->isEmpty());
        for (const AlarmRecord& r : *liste)
            QCOMPARE(r.value(AlarmFeld::Form), text(letzte, AlarmFeld::Form));
    }

    // The worker is busy with a long request: a row whose page has not come
    // and then its list are waited for less than a frame in all; the pick is
    // done when both have come.
    void aPickBehindABusyWorkerWaitsLessThanAFrameInAll() {
        Wahlablauf wahl;
        wahl.setModell(m_modell);
        QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
        TestDb f(m_datei);
        // one row with a picture on each of the two pages not read yet (the
        // first comes with the grid's order), the further one first, so that
        // neither is read ahead as the next in the direction of the picks;
        // then more rows of the first page, read by then
        auto mitBild = [&](int z) {
            while (f.Text(QStringLiteral("select Form from Alarmdefs where rowid = %1").arg(m_modell->Schluessel(z))).isEmpty())
                ++z;
            return z;
        };
        QVERIFY(m_modell->rowCount() > 2 * AlarmdefsModell::SeitenGroesse);
        QList<int> zeilen{mitBild(2 * AlarmdefsModell::SeitenGroesse), mitBild(AlarmdefsModell::SeitenGroesse), mitBild(0)};
        while (zeilen.size() < Versuche)
            zeilen << mitBild(zeilen.last() + 1);
        QVERIFY(zeilen.last() < m_modell->rowCount());
        Versuchsreihe reihe;
        for (int z : zeilen) {
            QVERIFY(reihe.Anzahl() >= 2 || !m_modell->ZeileGeladen(z));
            m_modell->Dienst()->Rechnen([] {
                QThread::msleep(150);
                return QVariant();
            });
            if (reihe.Messen([&] { wahl.Beginnen(z, m_bilder); }))
                break;
        }
        qInfo("Hinter beschäftigtem Dienst: %s", qPrintable(reihe.Text()));
        QVERIFY2(reihe.Gehalten(), qPrintable(reihe.Text()));
        QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
        QTRY_VERIFY(!gewaehlt.isEmpty());
        const qint64 schluessel = m_modell->Schluessel(zeilen.at(reihe.Anzahl() - 1));
        QCOMPARE(gewaehlt.last().at(0).value<AlarmRecord>().value(AlarmFeld::Alarmtext),
                 f.Text(QStringLiteral("select Alarmtext from Alarmdefs where rowid = %1").arg(schluessel)));
    }

    // Held out: a table of ten thousand arrows on one picture, made apart from
    // every other test. A pick of a row on that picture waits less than a
    // frame and is done with the whole list.
    void aPickOfTenThousandArrowsWaitsLessThanAFrame() {
        QFETCH_GLOBAL(bool, python);
        if (!python)
            QSKIP("einmal genügt");
        const QString datei = m_dir->filePath(QStringLiteral("gross.kvs"));
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(GrossSkript), datei});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY(QDir().mkpath(m_bilder + QStringLiteral("/Halle")));
        QFile bild(m_bilder + QStringLiteral("/Halle/Halle.bmp"));
        QVERIFY(bild.open(QIODevice::WriteOnly));
        bild.close();
        {
            QSqlDatabase db = AlarmdefsZugriff::Oeffnen(datei, m_verbindung + QStringLiteral("-gross"));
            AlarmdefsModell modell(nullptr, db, datei);
            QVERIFY(modell.AlleZeigen());
            QTRY_VERIFY_WITH_TIMEOUT(modell.rowCount() == 10500 && !modell.QuelleUnterwegs() && modell.AllesGelesen(), 20000);
            Wahlablauf wahl;
            wahl.setModell(&modell);
            QSignalSpy gewaehlt(&wahl, &Wahlablauf::Gewaehlt);
            Versuchsreihe reihe;
            for (int z : {10, 1300, 2500, 3700, 5000, 6200, 7500, 8800, 9000, 10400}) {
                modell.ZeileLesen(z, 0);
                QTRY_VERIFY(modell.ZeileGeladen(z));
                QCOMPARE(modell.index(z, AlarmFeld::Form).data().toString().isEmpty(), false);
                const bool gut = reihe.Messen([&] { wahl.Beginnen(z, m_bilder); });
                QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
                QTRY_VERIFY(!gewaehlt.isEmpty());
                const auto satz = gewaehlt.last().at(0).value<AlarmRecord>();
                QCOMPARE(satz.value(AlarmFeld::Alarmtext), modell.index(z, AlarmFeld::Alarmtext).data().toString());
                const auto liste = gewaehlt.last().at(1).value<std::optional<AlarmListeTyp>>();
                QVERIFY(liste);
                QCOMPARE(liste->size(), satz.value(AlarmFeld::Form) == QLatin1String("Halle") ? 10000 : 250);
                if (gut)
                    break;
            }
            qInfo("Bei zehntausend Pfeilen: %s", qPrintable(reihe.Text()));
            QVERIFY2(reihe.Gehalten(), qPrintable(reihe.Text()));
        }
        AlarmdefsZugriff::Schliessen(m_verbindung + QStringLiteral("-gross"));
    }
};

QTEST_GUILESS_MAIN(TstWahlablauf)
#include "tst_wahlablauf.moc"
