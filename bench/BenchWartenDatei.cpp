// How long the window stands while it opens an SQLite file that another
// program (the sqlite3 shell) holds locked for 1.5 s, until the grid shows its
// first rows: now, and with the table's columns and first rows read on the
// window's own thread first, as the window opened a file before ("_vorher").
// The same opening of the free file is measured too, and of a free file slow
// to describe (a large schema).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <cstdio>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "Stillstand.h"
#include "Warten.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Konfiguration.h"
#include "alarms/frmAlarmAuswahl.h"
#include "platform/WinUmgebung.h"
#include "shell/frmMain.h"

namespace {
// Tells every message on stderr; asks nothing.
class StilleDialoge : public Dialoge {
public:
    void Meldung(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(text));
    }
    int Modal(QDialog*) override { return 0; }
    QString DateiOeffnen(QWidget*, const QString&, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
    QString DateiSpeichern(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int Wahl(QWidget*, const QString&, const QString&, const QStringList&, const QString&) override { return 1; }
    std::optional<QString> Eingabe(QWidget*, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QAction* MenuZeigen(QMenu*, const QPoint&) override { return nullptr; }
    void ProzessBeenden() override {}
};
}  // namespace

void BenchWartenDatei(const QString& arbeitsOrdner) {
    const QString out = arbeitsOrdner + QStringLiteral("/warten-datei");
    DemoOptionen opt;
    opt.out = out;
    opt.alarms = 20000;
    opt.pictures = 3;
    opt.bilderZeichnen = false;
    opt.programmOrdner = out + QStringLiteral("/bin");
    QString fehler;
    if (!DemoProjekt::Erzeugen(opt, &fehler)) {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(fehler));
        return;
    }
    const QString db = DemoProjekt::Datenbank(out);
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    WinUmgebung::ProgrammOrdnerSetzen(opt.programmOrdner.toStdString());
    gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
    StilleDialoge dialoge;
    Dialoge::setzen(&dialoge);
    auto laden = [&](const char* figur, bool gesperrt, bool wieVorher, const QString& db) {
        frmMain haupt;
        haupt.resize(1200, 900);
        haupt.show();
        Warten([] { return false; }, 300);
        // The lock lasts 1.5 s however long this thread stands.
        QProcess halter;
        if (gesperrt) {
            halter.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db});
            halter.write("begin exclusive;\nselect 'gesperrt';\n.shell sleep 1.5\ncommit;\n.quit\n");
            halter.closeWriteChannel();
            if (!halter.waitForReadyRead(10000)) {
                std::fprintf(stderr, "tavero-bench: sqlite3 sperrt nicht\n");
                return;
            }
        }
        QElapsedTimer uhr;
        uhr.start();
        Stillstand s;
        if (wieVorher) {
            // The columns and the first rows on this thread, as the window read them before.
            const QString verbindung = QStringLiteral("tavero-bench-vorher");
            try {
                QSqlDatabase d = AlarmdefsZugriff::Oeffnen(db, verbindung);
                AlarmdefsZugriff::FehlendeSpalten(d);
                QSqlQuery q(d);
                q.exec(QStringLiteral("select rowid from Alarmdefs order by rowid limit %1").arg(AlarmdefsModell::ErsterTeil));
                while (q.next()) {
                }
            } catch (const AlarmdefsFehler&) {
            }
            AlarmdefsZugriff::Schliessen(verbindung);
        }
        haupt.Laden(db);
        AlarmAuswahl* k = haupt.mgobjAuswahl();
        Warten([k] {
            frmAlarmAuswahl* f = k && k->HatFenster() ? k->Fenster() : nullptr;
            return f && f->dbAlarme && f->dbAlarme->rowCount() > 0 && f->dbAlarme->ZeileGeladen(0);
        }, 20000);
        const double gezeigt = uhr.nsecsElapsed() / 1e6;
        BenchZeile(figur, s.Ende(), "ms");
        BenchZeile(std::string(figur) + "_bis_gezeigt", gezeigt, "ms");
        halter.waitForFinished(10000);
    };
    laden("warten_datei_laden_frei", false, false, db);
    laden("warten_datei_laden_gesperrt_1500ms_vorher", true, true, db);
    laden("warten_datei_laden_gesperrt_1500ms", true, false, db);
    // A free file slow to describe: 40,000 views written into its schema by
    // the sqlite3 shell are read before the first answer (about a second).
    const QString langsam = out + QStringLiteral("/langsam.kvs");
    QFile::remove(langsam);
    QProcess schale;
    if (QFile::copy(db, langsam)) {
        schale.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), langsam});
        schale.write("pragma writable_schema = on;\n"
                     "with recursive n(i) as (select 1 union all select i + 1 from n where i < 40000) "
                     "insert into sqlite_master select 'view', 'v' || i, 'v' || i, 0, "
                     "'CREATE VIEW v' || i || ' AS SELECT Ident FROM Alarmdefs WHERE Ident = ' || i from n;\n");
        schale.closeWriteChannel();
        if (schale.waitForFinished(60000) && schale.exitCode() == 0)
            laden("warten_datei_laden_langsam_beschrieben", false, false, langsam);
    }
    Dialoge::setzen(nullptr);
    WinUmgebung::ProgrammOrdnerSetzen(std::string());
}
