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
#include <algorithm>
#include <functional>
#include <memory>

#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Wahlablauf.h"
#include "helpers/FremdeSperre.h"
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

// How long this thread has waited for a processor so far, in ns: the
// machine's load, not a wait of its own.
qint64 Angestanden() {
    QFile f(QStringLiteral("/proc/thread-self/schedstat"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(1).toLongLong() : 0;
}

// The longest time the loop does not come round while tun runs in it and
// until the loop has been idle for a while: a zero timer ticks and the
// longest gap between two ticks is the pause the window would have. Time the
// thread stood in line for a processor on a loaded machine is left out.
double LaengstePause(const std::function<void()>& tun) {
    QElapsedTimer uhr;
    uhr.start();
    qint64 letzte = 0, laengste = 0, angestanden = Angestanden();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 jetzt = uhr.nsecsElapsed(), schlange = Angestanden();
        laengste = std::max(laengste, jetzt - letzte - (schlange - angestanden));
        letzte = jetzt;
        angestanden = schlange;
    });
    QEventLoop schleife;
    QTimer::singleShot(20, [&] {
        letzte = uhr.nsecsElapsed();
        angestanden = Angestanden();
        laengste = 0;
        tun();
    });
    QTimer::singleShot(150, &schleife, &QEventLoop::quit);
    tick.start();
    schleife.exec();
    return static_cast<double>(laengste) / 1e6;
}
// A frame; a pause is measured up to so many times until one is within it,
// so a loaded machine's own stalls do not count (one that waits two frames
// by itself exceeds it every time).
constexpr double Bild = 16;
constexpr int Versuche = 10;

QString Liste(const QList<double>& werte) {
    QStringList t;
    for (double w : werte)
        t << QString::number(w, 'f', 1);
    return t.join(QLatin1Char(' '));
}
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
        QList<double> pausen;
        {
            FremdeSperre sperre(m_datei);
            QVERIFY(!sperre.Lesbar());
            for (int z : zeilen)
                if ((pausen << LaengstePause([&] { wahl.Beginnen(z, m_bilder); })).last() <= Bild)
                    break;
            QVERIFY(wahl.Unterwegs());
            QCOMPARE(gewaehlt.count(), 0);
        }
        qInfo("Pausen bei gesperrter Datei: %s ms", qPrintable(Liste(pausen)));
        QVERIFY2(pausen.last() <= Bild, qPrintable(Liste(pausen)));
        QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
        QTest::qWait(50);
        QCOMPARE(beendet.count(), 0);
        QCOMPARE(gewaehlt.count(), 1);
        const int letzte = zeilen.at(pausen.size() - 1);
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
        // one row with a picture on each of three pages, none of them read
        // yet; then more of the first page, read by then
        auto mitBild = [&](int z) {
            while (f.Text(QStringLiteral("select Form from Alarmdefs where rowid = %1").arg(m_modell->Schluessel(z))).isEmpty())
                ++z;
            return z;
        };
        QList<int> zeilen;
        for (int seite = 2; seite >= 0; --seite)
            zeilen << mitBild(seite * AlarmdefsModell::SeitenGroesse);
        while (zeilen.size() < Versuche)
            zeilen << mitBild(zeilen.last() + 1);
        QVERIFY(zeilen.last() < m_modell->rowCount());
        QList<double> pausen;
        for (int z : zeilen) {
            QVERIFY(pausen.size() >= 3 || !m_modell->ZeileGeladen(z));
            m_modell->Dienst()->Rechnen([] {
                QThread::msleep(150);
                return QVariant();
            });
            if ((pausen << LaengstePause([&] { wahl.Beginnen(z, m_bilder); })).last() <= Bild)
                break;
        }
        qInfo("Pausen hinter beschäftigtem Dienst: %s ms", qPrintable(Liste(pausen)));
        QVERIFY2(pausen.last() <= Bild, qPrintable(Liste(pausen)));
        QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
        QTRY_VERIFY(!gewaehlt.isEmpty());
        const qint64 schluessel = m_modell->Schluessel(zeilen.at(pausen.size() - 1));
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
            QList<double> pausen;
            for (int z : {10, 1300, 2500, 3700, 5000, 6200, 7500, 8800, 9000, 10400}) {
                modell.ZeileLesen(z, 0);
                QTRY_VERIFY(modell.ZeileGeladen(z));
                QCOMPARE(modell.index(z, AlarmFeld::Form).data().toString().isEmpty(), false);
                pausen << LaengstePause([&] { wahl.Beginnen(z, m_bilder); });
                QTRY_VERIFY_WITH_TIMEOUT(!wahl.Unterwegs(), 10000);
                QTRY_VERIFY(!gewaehlt.isEmpty());
                const auto satz = gewaehlt.last().at(0).value<AlarmRecord>();
                QCOMPARE(satz.value(AlarmFeld::Alarmtext), modell.index(z, AlarmFeld::Alarmtext).data().toString());
                const auto liste = gewaehlt.last().at(1).value<std::optional<AlarmListeTyp>>();
                QVERIFY(liste);
                QCOMPARE(liste->size(), satz.value(AlarmFeld::Form) == QLatin1String("Halle") ? 10000 : 250);
                if (pausen.last() <= Bild)
                    break;
            }
            qInfo("Pausen bei zehntausend Pfeilen: %s ms", qPrintable(Liste(pausen)));
            QVERIFY2(pausen.last() <= Bild, qPrintable(Liste(pausen)));
        }
        AlarmdefsZugriff::Schliessen(m_verbindung + QStringLiteral("-gross"));
    }
};

QTEST_GUILESS_MAIN(TstWahlablauf)
#include "tst_wahlablauf.moc"
