// How long the window does not answer: a zero-length timer ticks every 5 ms on
// the user-interface thread, and the longest pause between two ticks is the
// figure. Each case is measured as the program does it now and, where the
// work moved to the background, as it did before (the same work called on the
// user-interface thread, "_vorher"), in the same run.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <ctime>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <thread>
#include <unistd.h>

#include <libpq-fe.h>

#include "BenchAusgabe.h"
#include "Stillstand.h"
#include "Benchmarks.h"
#include "Warten.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Datendienst.h"
#include "alarms/Dialoge.h"
#include "alarms/Freigabe.h"
#include "alarms/Serverdienst.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/Bildflaeche.h"
#include "editor/PfeilSteuerung.h"
#include "editor/frmPicture.h"
#include "platform/WinUmgebung.h"
#include "shell/Hintergrundauftrag.h"
#include "alarms/Konfiguration.h"
#include "shell/frmMain.h"
#include "shell/frmPruefbericht.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/Kopie.h"
#include "werkzeuge/Pruefbericht.h"

namespace {
// The longest pause with what it was made of.
void PauseZeilen(const char* figur, Stillstand& s) {
    BenchZeile(figur, s.Ende(), "ms");
    const std::string name(figur);
    BenchZeile((name + "_davon_gerechnet").c_str(), s.PauseRechnend(), "ms");
    BenchZeile((name + "_davon_angestanden").c_str(), s.PauseAngestanden(), "ms");
    BenchZeile((name + "_bei").c_str(), s.PauseBei(), "ms");
    BenchZeile((name + "_gesamt").c_str(), s.Dauer(), "ms");
}


// Answers every dialog: a file name where one is asked for, the first button otherwise.
class BenchDialoge : public Dialoge {
public:
    QString datei;
    void Meldung(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(text));
    }
    int Modal(QDialog*) override { return 0; }
    QString DateiOeffnen(QWidget*, const QString&, const QString&, const QString&, const QString&,
                         const QString&) override {
        return datei;
    }
    QString DateiSpeichern(QWidget*, const QString&, const QString&, const QString&) override { return datei; }
    int Wahl(QWidget*, const QString&, const QString&, const QStringList&, const QString&) override { return 1; }
    std::optional<QString> Eingabe(QWidget*, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QAction* MenuZeigen(QMenu*, const QPoint&) override { return nullptr; }
    void ProzessBeenden() override {}
};

void Maus(QWidget* w, QEvent::Type art, const QPoint& p, Qt::MouseButtons knoepfe) {
    QMouseEvent e(art, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, knoepfe, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Which cases of the large table a run measures.
enum class Faelle { Alle, NurWahl, NurPruefbericht };

void Werkzeuge(const QString& arbeitsOrdner, Faelle faelle) {
    const QString out = GrosseDemo(arbeitsOrdner);
    if (out.isEmpty())
        return;
    const QString db = DemoProjekt::Datenbank(out);
    // The check report on rows of another making: an SQL file run through sqlite3 on the table first.
    if (faelle == Faelle::NurPruefbericht && qEnvironmentVariableIsSet("TAVERO_BENCH_SQL")) {
        QProcess sqlite;
        sqlite.setStandardInputFile(qEnvironmentVariable("TAVERO_BENCH_SQL"));
        sqlite.start(QStringLiteral("sqlite3"), {db});
        if (!sqlite.waitForFinished(300000) || sqlite.exitCode() != 0)
            std::fprintf(stderr, "tavero-bench: sqlite3: %s\n", sqlite.readAllStandardError().constData());
    }
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    WinUmgebung::ProgrammOrdnerSetzen((out + QStringLiteral("/bin")).toStdString());
    gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
    BenchDialoge dialoge;
    Dialoge::setzen(&dialoge);
    {
        frmMain haupt;
        haupt.resize(1200, 900);
        haupt.show();
        haupt.Laden(db);
        AlarmAuswahl* k = haupt.mgobjAuswahl();
        frmAlarmAuswahl* f = k->Fenster();
        Warten([f] { return !f->dbAlarme || f->dbAlarme->AllesGelesen(); }, 60000);

        // A pick in the all-arrows mode: a picture of about ten thousand alarms.
        if (faelle != Faelle::NurPruefbericht) {
            const auto [form, anzahl] = BildMitZehntausend(db);
            const auto knoten = f->TreeView1->findItems(QString::fromStdString(form), Qt::MatchExactly | Qt::MatchRecursive);
            if (!knoten.isEmpty()) {
                gSingleMode = gContMode = FALSCH;
                gAllMode = WAHR;
                f->TreeView1->setCurrentItem(knoten.first());
                f->TreeView1_Click();
                Warten([f] { return f->dbAlarme->AllesGelesen() && !f->dbAlarme->QuelleUnterwegs(); }, 60000);
                Stillstand s;
                f->TDBAlarme->setCurrentIndex(f->dbAlarme->index(1, 1));
                // The pick is done when its list has come; the picture is drawn after.
                Warten([f] { return !f->WahlUnterwegs(); }, 60000);
                frmPicture* bild = haupt.BildfensterFallsDa();
                Warten([bild] { return !bild || !bild->PfeileImAufbau(); }, 60000);
                Warten([] { return false; }, 300);
                PauseZeilen("warten_pick_alle_pfeile_1m", s);
                BenchZeile("warten_pick_alle_pfeile_pfeile", bild ? bild->PfeilAnzahl() - 1 : 0, "arrows");
                // Picks taken in turns: the window not waiting for the large list
                // (as now) and waiting its frame for it (as before), the median of each.
                {
                    std::vector<double> jetzt, vorher;
                    const int grenze = Datendienst::GrosseListeAb;
                    for (int runde = 0; runde < 6; ++runde) {
                        const bool alt = runde % 2 == 1;
                        Datendienst::GrosseListeAb = alt ? std::numeric_limits<int>::max() : grenze;
                        Stillstand p;
                        f->TDBAlarme->setCurrentIndex(f->dbAlarme->index(4 + runde, 1));
                        Warten([f] { return !f->WahlUnterwegs(); }, 60000);
                        Warten([bild] { return !bild || !bild->PfeileImAufbau(); }, 60000);
                        Warten([] { return false; }, 300);
                        (alt ? vorher : jetzt).push_back(p.Ende());
                    }
                    Datendienst::GrosseListeAb = grenze;
                    BenchZeile("warten_pick_alle_pfeile_1m_median", Median(jetzt), "ms");
                    BenchZeile("warten_pick_alle_pfeile_1m_listenwarten_median", Median(vorher), "ms");
                }
                // Picks taken in turns: the list before let go on a worker (now)
                // and freed on the window's thread (before).
                {
                    std::vector<double> jetzt, vorher;
                    for (int runde = 0; runde < 6; ++runde) {
                        const bool alt = runde % 2 == 1;
                        Freigabe::Weitergeben = !alt;
                        Stillstand p;
                        f->TDBAlarme->setCurrentIndex(f->dbAlarme->index(12 + runde, 1));
                        Warten([f] { return !f->WahlUnterwegs(); }, 60000);
                        Warten([bild] { return !bild || !bild->PfeileImAufbau(); }, 60000);
                        Warten([] { return false; }, 300);
                        (alt ? vorher : jetzt).push_back(p.Ende());
                    }
                    Freigabe::Weitergeben = true;
                    BenchZeile("warten_pick_alle_pfeile_1m_wieder_median", Median(jetzt), "ms");
                    BenchZeile("warten_pick_alle_pfeile_1m_freigabe_vorher_median", Median(vorher), "ms");
                }
                // The same pick with every arrow built in one go, as the picture window did before.
                {
                    const int teil = std::exchange(frmPicture::AufbauTeil, std::numeric_limits<int>::max());
                    Stillstand einAufbau;
                    f->TDBAlarme->setCurrentIndex(f->dbAlarme->index(3, 1));
                    Warten([f] { return !f->WahlUnterwegs(); }, 60000);
                    Warten([] { return false; }, 300);
                    BenchZeile("warten_pick_alle_pfeile_1m_ein_aufbau", einAufbau.Ende(), "ms");
                    frmPicture::AufbauTeil = teil;
                }
                // The same pick as it was done before: the picture's alarms read on the window's thread.
                {
                    Stillstand vorher;
                    const int zeile = 2;
                    AlarmRecord satz(AlarmFeld::Anzahl);
                    for (int i = 0; i < AlarmFeld::Spalten; ++i)
                        satz[i] = f->dbAlarme->index(zeile, i).data().toString();
                    satz[AlarmFeld::Symbol] = AlarmRecordBau::SymbolDateiName(satz[AlarmFeld::Symbol]);
                    if (const auto liste = AlarmdefsZugriff::AlarmListeLesen(db, satz[AlarmFeld::Form]))
                        k->setAlarmListe(*liste);
                    k->setAktuellerAlarm(satz);
                    Warten([] { return false; }, 300);
                    BenchZeile("warten_pick_alle_pfeile_1m_vorher", vorher.Ende(), "ms");
                }
                gAllMode = FALSCH;
            }
            (void)anzahl;
        }
        if (faelle == Faelle::NurWahl) {
            Dialoge::setzen(nullptr);
            WinUmgebung::ProgrammOrdnerSetzen(std::string());
            return;
        }

        if (faelle == Faelle::Alle) {
            // The sort as the grid did it before: the whole order read on the
            // window's thread, through a connection of its own held open there
            // (the grid's connection is its service's, on the worker).
            {
                const QString verbindung = QStringLiteral("tavero-bench-vorher");
                std::optional<QSqlDatabase> d;
                try {
                    d = AlarmdefsZugriff::Oeffnen(db, verbindung);
                } catch (const AlarmdefsFehler& e) {
                    std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(e.Text()));
                }
                if (d) {
                    Stillstand s;
                    QSqlQuery q(*d);
                    q.setForwardOnly(true);
                    QVector<qint64> reihenfolge;
                    if (q.exec(QStringLiteral("select rowid from Alarmdefs order by Priority, rowid")))
                        while (q.next())
                            reihenfolge.append(q.value(0).toLongLong());
                    const double pause = s.Ende();
                    // Only a sort that read the whole table is a figure.
                    if (!q.lastError().isValid() && !reihenfolge.isEmpty())
                        BenchZeile("warten_sortieren_1m_vorher", pause, "ms");
                    else
                        std::fprintf(stderr, "tavero-bench: die Sortierung von vorher las %lld Zeilen: %s\n",
                                     static_cast<long long>(reihenfolge.size()), qPrintable(q.lastError().text()));
                    q = QSqlQuery();
                }
                d.reset();
                AlarmdefsZugriff::Schliessen(verbindung);
            }
            {
                Stillstand s;
                QElapsedTimer bisGezeigt;
                bisGezeigt.start();
                f->TDBAlarme_HeadClick(7);
                f->TDBAlarme->viewport()->repaint();
                Warten([f] { return !f->dbAlarme->QuelleUnterwegs(); }, 60000);
                f->TDBAlarme->viewport()->repaint();
                const double gezeigt = bisGezeigt.nsecsElapsed() / 1e6;
                PauseZeilen("warten_sortieren_1m", s);
                BenchZeile("warten_sortieren_1m_bis_gezeigt", gezeigt, "ms");
            }
            // Sorted again in turns: what the worker read let go on a worker
            // (now) and freed on the window's thread (before), the median of each.
            {
                std::vector<double> jetzt, vorher;
                for (int runde = 0; runde < 4; ++runde) {
                    const bool alt = runde % 2 == 1;
                    Freigabe::Weitergeben = !alt;
                    Stillstand s;
                    f->TDBAlarme_HeadClick(7);
                    f->TDBAlarme->viewport()->repaint();
                    Warten([f] { return !f->dbAlarme->QuelleUnterwegs(); }, 60000);
                    f->TDBAlarme->viewport()->repaint();
                    Warten([] { return false; }, 300);
                    (alt ? vorher : jetzt).push_back(s.Ende());
                }
                Freigabe::Weitergeben = true;
                BenchZeile("warten_sortieren_1m_wieder_median", Median(jetzt), "ms");
                BenchZeile("warten_sortieren_1m_wieder_freigabe_vorher_median", Median(vorher), "ms");
            }

            // The export as the menu ran it before, and as a background job now.
            const QString datei = arbeitsOrdner + QStringLiteral("/warten.xlsx");
            {
                Stillstand s;
                Export::Schreiben(db, datei);
                BenchZeile("warten_export_xlsx_1m_vorher", s.Ende(), "ms");
            }
            QFile::remove(datei);
            dialoge.datei = datei;
            // Started at once, the job's figure also holds what the window's thread
            // was kept from while the export above held it.
            {
                Stillstand s;
                haupt.mnuExportieren->trigger();
                Warten([] { return Hintergrundauftrag::Laufende() == 0; }, 120000);
                PauseZeilen("warten_export_xlsx_1m_gleich_nach_vorher", s);
            }
            QFile::remove(datei);
            // That is done first for the figure of the export itself.
            Warten([] { return false; }, 500);
            {
                Stillstand s;
                QElapsedTimer start;
                start.start();
                haupt.mnuExportieren->trigger();
                BenchZeile("warten_export_xlsx_1m_starten", start.nsecsElapsed() / 1e6, "ms");
                Warten([] { return Hintergrundauftrag::Laufende() == 0; }, 120000);
                PauseZeilen("warten_export_xlsx_1m", s);
            }
            if (!QFile::exists(datei))
                std::fprintf(stderr, "tavero-bench: der Export im Hintergrund schrieb keine Datei\n");
            QFile::remove(datei);
            dialoge.datei = arbeitsOrdner + QStringLiteral("/warten.csv");
            {
                Stillstand s;
                haupt.mnuExportieren->trigger();
                Warten([] { return Hintergrundauftrag::Laufende() == 0; }, 120000);
                PauseZeilen("warten_export_csv_1m", s);
            }
            QFile::remove(dialoge.datei);
        }

        // The check report: before, made and filled on the user-interface thread.
        const QString ini = QString::fromStdString(WinUmgebung::ProgrammOrdner()) + QStringLiteral("\\Tavero\\Tavero.ini");
        const Projektrahmen rahmen{k->BilderPath(), k->SymbolPath(), k->AlarmBilderListe().value_or(QStringList()),
                                   k->SymbolListe().value_or(QStringList())};
        {
            Stillstand s;
            QTreeWidget baum;
            const Pruefbericht b = Pruefbericht::Erstellen(db, rahmen);
            for (const Pruefbericht::Gruppe& g : b.Gruppen()) {
                auto* gruppe = new QTreeWidgetItem(&baum, {Pruefbericht::Titel(g.art)});
                for (const Pruefbericht::Zeile& z : g.zeilen)
                    new QTreeWidgetItem(gruppe, {z.Text()});
            }
            BenchZeile("warten_pruefbericht_1m_vorher", s.Ende(), "ms");
        }
        (void)ini;
        // Opened, and opened again while it shows the last report with a large group open.
        auto pruefbericht = [&haupt](const char* figur, double* pause) {
            Stillstand s;
            haupt.PruefberichtZeigen();
            auto* baum = haupt.findChild<QTreeWidget*>(QStringLiteral("lvwBericht"));
            Warten([baum] { return Hintergrundauftrag::Laufende() == 0 && baum->topLevelItemCount() == 8; }, 120000);
            // the largest group opened: all its lines, a part at a time
            QTreeWidgetItem* gross = nullptr;
            int anzahl = -1;
            for (int i = 0; i < baum->topLevelItemCount(); ++i) {
                const int n = baum->topLevelItem(i)->text(0).section(QLatin1Char('('), -1).chopped(1).toInt();
                if (n > anzahl) {
                    anzahl = n;
                    gross = baum->topLevelItem(i);
                }
            }
            // the largest group opened, and its first and last part
            if (gross) {
                gross->setExpanded(true);
                Warten([] { return false; }, 100);
                gross->child(0)->setExpanded(true);
                Warten([] { return false; }, 100);
                gross->child(gross->childCount() - 1)->setExpanded(true);
                Warten([] { return false; }, 100);
            }
            if (pause)
                *pause = s.Ende();
            else if (figur)
                PauseZeilen(figur, s);
            return anzahl;
        };
        const int anzahl = pruefbericht("warten_pruefbericht_1m", nullptr);
        BenchZeile("warten_pruefbericht_zeilen", anzahl, "Zeilen");
        // In turns: the report before freed on a worker (now) and on the window's thread (before).
        std::vector<double> jetzt, vorher;
        for (int runde = 0; runde < 6; ++runde) {
            const bool alt = runde % 2 == 0;
            frmPruefbericht::FreigebenImHintergrund = !alt;
            double pause = 0;
            pruefbericht(nullptr, &pause);
            (alt ? vorher : jetzt).push_back(pause);
        }
        frmPruefbericht::FreigebenImHintergrund = true;
        BenchZeile("warten_pruefbericht_1m_wieder_median", Median(jetzt), "ms");
        BenchZeile("warten_pruefbericht_1m_wieder_vorher_median", Median(vorher), "ms");
        // In turns: the window closed with the report it shows (as with its
        // database or the main window), the report freed on a worker (now) and
        // on the window's thread (before).
        std::vector<double> zuJetzt, zuVorher;
        for (int runde = 0; runde < 4; ++runde) {
            const bool alt = runde % 2 == 1;
            if (runde > 0)
                pruefbericht(nullptr, nullptr);
            frmPruefbericht::FreigebenImHintergrund = !alt;
            Stillstand s;
            delete haupt.findChild<frmPruefbericht*>();
            Warten([] { return false; }, 100);
            (alt ? zuVorher : zuJetzt).push_back(s.Ende());
        }
        frmPruefbericht::FreigebenImHintergrund = true;
        BenchZeile("warten_pruefbericht_1m_schliessen_median", Median(zuJetzt), "ms");
        BenchZeile("warten_pruefbericht_1m_schliessen_vorher_median", Median(zuVorher), "ms");
    }
    Dialoge::setzen(nullptr);
    WinUmgebung::ProgrammOrdnerSetzen(std::string());
}

// --- the server ---------------------------------------------------------------

QString Adresse(const QString& datenbank) {
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT", "5432"),
             datenbank);
}

std::string Einzelwert(PGconn* c, const char* sql) {
    PGresult* r = PQexec(c, sql);
    std::string w = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    return w;
}

// The server's processes: the postmaster of its data folder and its children.
std::vector<pid_t> ServerProzesse(PGconn* c) {
    std::vector<pid_t> pids;
    QFile pidDatei(QString::fromStdString(Einzelwert(c, "show data_directory")) + QStringLiteral("/postmaster.pid"));
    if (!pidDatei.open(QIODevice::ReadOnly))
        return pids;
    const pid_t haupt = static_cast<pid_t>(pidDatei.readLine().trimmed().toLong());
    if (haupt <= 0)
        return pids;
    pids.push_back(haupt);
    for (const QString& eintrag : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool zahl = false;
        const pid_t pid = static_cast<pid_t>(eintrag.toLong(&zahl));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(eintrag));
        if (!zahl || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so count from its end
        const QByteArray s = stat.readAll();
        const QList<QByteArray> teile = s.mid(s.lastIndexOf(')') + 2).split(' ');
        if (teile.size() > 1 && teile.at(1).toLong() == haupt)
            pids.push_back(pid);
    }
    return pids;
}

void Server(const QString& arbeitsOrdner) {
    if (qEnvironmentVariableIsEmpty("PGHOST")) {
        std::fprintf(stderr, "tavero-bench: kein Datenbankserver (PGHOST); Server-Fälle von warten übersprungen\n");
        return;
    }
    const QString out = arbeitsOrdner + QStringLiteral("/warten-server");
    const QString sqlite = DemoDatenbank(out, 2000);
    const QString name = QStringLiteral("tavero_warten");
    PGconn* c = PQconnectdb("dbname=postgres");
    PQclear(PQexec(c, ("drop database if exists " + name.toStdString() + " with (force)").c_str()));
    PQclear(PQexec(c, ("create database " + name.toStdString()).c_str()));
    PQfinish(c);
    const QString uri = Adresse(name);
    const Kopie::Ergebnis kopie = Kopie::Kopieren(sqlite, uri, false);
    if (!kopie.kopiert) {
        std::fprintf(stderr, "tavero-bench: %s %s\n", qPrintable(kopie.text), qPrintable(kopie.detail));
        return;
    }
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    WinUmgebung::ProgrammOrdnerSetzen(out.toStdString());
    gSingleMode = gContMode = gAllMode = gStartOhneDB = FALSCH;
    BenchDialoge dialoge;
    Dialoge::setzen(&dialoge);
    {
        frmMain haupt;
        haupt.resize(1200, 900);
        haupt.show();
        haupt.Laden(uri);
        AlarmAuswahl* k = haupt.mgobjAuswahl();
        PGconn* anderer = PQconnectdb(("dbname=" + name.toStdString()).c_str());
        const std::string ident = Einzelwert(anderer, "select min(\"Ident\") from \"Alarmdefs\" where \"X\" is not null");
        k->Fenster()->AlarmZeigen(QString::fromStdString(ident));
        Warten([k] { return !k->Fenster()->WahlUnterwegs(); }, 10000);
        frmPicture* bild = haupt.BildfensterFallsDa();
        if (!bild || bild->PfeilAnzahl() < 2) {
            std::fprintf(stderr, "tavero-bench: kein Pfeil für den Server-Fall\n");
            PQfinish(anderer);
            return;
        }
        // Another client tells of a row it wrote, then holds the whole table for
        // 1.5 s: the row is read meanwhile. Before, it was read on the window's
        // thread through the kept connection.
        auto gemeldetGesperrt = [&](const char* figur, bool wieVorher) {
            QMetaObject::Connection vorher;
            if (wieVorher)
                vorher = QObject::connect(k->Server(), &Serverdienst::ZeilenGemeldet, [k](const QStringList& idents) {
                    QList<qlonglong> nummern;
                    for (const QString& i : idents)
                        nummern << i.toLongLong();
                    AlarmdefsZugriff::ZeilenLesen(k->Server()->Verbindung(), nummern);
                });
            PGconn* halter = PQconnectdb(("dbname=" + name.toStdString()).c_str());
            PQclear(PQexec(anderer, ("select pg_notify('" + std::string(AlarmdefsZugriff::Benachrichtigung) + "', '" + ident + "')").c_str()));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the note is there, not yet taken
            PQclear(PQexec(halter, "begin"));
            PQclear(PQexec(halter, "lock table \"Alarmdefs\" in access exclusive mode"));
            std::thread freigeben([halter] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                PQclear(PQexec(halter, "commit"));
            });
            Stillstand s;
            Warten([] { return false; }, 2000);
            PauseZeilen(figur, s);
            freigeben.join();
            PQfinish(halter);
            QObject::disconnect(vorher);
        };
        gemeldetGesperrt("warten_server_gemeldet_gesperrt_1500ms_vorher", true);
        gemeldetGesperrt("warten_server_gemeldet_gesperrt_1500ms", false);

        // Another client holds the row for 10 s while this one drags its arrow.
        auto gesperrtZiehen = [&](const char* figur, bool ohneGrenze, bool imHintergrund) {
            QSqlDatabase& db = k->Server()->Verbindung();
            if (ohneGrenze)  // as the connection waited before: without a limit
                QSqlQuery(db).exec(QStringLiteral("set lock_timeout = 0; set statement_timeout = 0"));
            PQclear(PQexec(anderer, "begin"));
            PQclear(PQexec(anderer, ("select 1 from \"Alarmdefs\" where \"Ident\" = " + ident + " for update").c_str()));
            std::thread freigeben([anderer] {
                std::this_thread::sleep_for(std::chrono::seconds(10));
                PQclear(PQexec(anderer, "commit"));
            });
            Stillstand s;
            const QPoint p = bild->imgPfeil(1).Rechteck().center();
            Maus(bild->Formbox, QEvent::MouseButtonPress, p, Qt::LeftButton);
            Maus(bild->Formbox, QEvent::MouseMove, p + QPoint(30, 0), Qt::LeftButton);
            Maus(bild->Formbox, QEvent::MouseButtonRelease, p + QPoint(30, 0), Qt::NoButton);
            // The worker's write is answered after the lock wait: the figure covers that answer too.
            if (imHintergrund)
                Warten([bild] { return !bild->Steuerung()->Schreibt(); }, 9000);
            Warten([] { return false; }, 200);
            BenchZeile(figur, s.Ende(), "ms");
            freigeben.join();
            if (ohneGrenze)
                QSqlQuery(db).exec(QStringLiteral("set lock_timeout = %1; set statement_timeout = %1")
                                       .arg(AlarmdefsZugriff::WarteAufSperreMs));
        };
        gesperrtZiehen("warten_server_gesperrt_10s", false, true);
        // As arrows were written before: on the window's thread through the kept
        // connection, with the 2 s limit and without one.
        PfeilSteuerung* steuerung = bild->Steuerung();
        steuerung->setSchreibweg([k, steuerung](const Schreibauftrag& a, const QString& b) {
            steuerung->Ergebnis(k->ZeileSchreiben(a, b));
        });
        gesperrtZiehen("warten_server_gesperrt_10s_synchron", false, false);
        gesperrtZiehen("warten_server_gesperrt_10s_vorher", true, false);

        // A paste into the grid while another client holds the row for 3 s (the
        // write gives up after 2): through the worker (now), and as it was
        // written before, through the kept connection on the window's thread.
        {
            constexpr int Prioritaet = 7;  // the column's place in the table
            frmAlarmAuswahl* f = k->Fenster();
            AlarmdefsModell* m = f->dbAlarme;
            int zeile = -1;
            Warten([&] {
                for (int r = 0; r < m->rowCount() && zeile < 0; ++r)
                    if (m->index(r, AlarmFeld::Ident).data().toString() == QString::fromStdString(ident))
                        zeile = r;
                return zeile >= 0;
            }, 20000);
            auto gesperrtEinfuegen = [&](const char* figur, bool vorher) {
                PQclear(PQexec(anderer, "begin"));
                PQclear(PQexec(anderer, ("select 1 from \"Alarmdefs\" where \"Ident\" = " + ident + " for update").c_str()));
                std::thread freigeben([anderer] {
                    std::this_thread::sleep_for(std::chrono::seconds(3));
                    PQclear(PQexec(anderer, "commit"));
                });
                f->TDBAlarme->setCurrentIndex(m->index(zeile, Prioritaet));
                haupt.StatusText(1, QString());
                Stillstand s;
                if (vorher) {
                    const auto plan = m->EinfuegenPlanen({{QStringLiteral("4711")}}, zeile, Prioritaet, 1, 1);
                    k->ZeilenSchreiben(plan.auftraege, QStringLiteral("Einfügen"));
                } else {
                    f->BlockEinfuegen(QStringLiteral("4711\n"));
                    Warten([&haupt] { return haupt.StatusTextLesen(1).startsWith(QStringLiteral("Nichts")); }, 9000);
                }
                Warten([] { return false; }, 200);
                BenchZeile(figur, s.Ende(), "ms");
                freigeben.join();
            };
            gesperrtEinfuegen("warten_server_einfuegen_gesperrt", false);
            gesperrtEinfuegen("warten_server_einfuegen_gesperrt_vorher", true);
        }

        // The server stops for 30 s (SIGSTOP) while the window stands open.
        const std::vector<pid_t> pids = ServerProzesse(anderer);
        auto angehalten = [&](const char* figur, bool wieVorher) {
            Stillstand s;
            for (pid_t pid : pids)
                ::kill(pid, SIGSTOP);
            std::thread weiter([pids] {
                std::this_thread::sleep_for(std::chrono::seconds(30));
                for (pid_t pid : pids)
                    ::kill(pid, SIGCONT);
            });
            // before: the check every 2 s asked the kept connection on the window's thread
            QTimer frueher;
            QObject::connect(&frueher, &QTimer::timeout, [k] { QSqlQuery(k->Server()->Verbindung()).exec(QStringLiteral("select 1")); });
            if (wieVorher)
                frueher.start(Serverdienst::PruefenMs);
            Warten([] { return false; }, 30500);
            frueher.stop();
            const double ms = s.Ende();
            weiter.join();
            BenchZeile(figur, ms, "ms");
            Warten([k] { return k->Server()->Verbunden(); }, 20000);
        };
        if (pids.empty()) {
            std::fprintf(stderr, "tavero-bench: Serverprozesse nicht gefunden; SIGSTOP-Fall übersprungen\n");
        } else {
            angehalten("warten_server_angehalten_30s_vorher", true);
            angehalten("warten_server_angehalten_30s", false);
        }

        // The server restarted (postmaster stopped and started again by the
        // cluster's tool) while the window stands open, until the grid has its
        // rows again through a new connection.
        {
            const QDir daten(QString::fromStdString(Einzelwert(anderer, "show data_directory")));
            PQfinish(anderer);
            anderer = nullptr;
            frmAlarmAuswahl* f = k->Fenster();
            auto neustarten = [&](const char* figur) {
            // Done when the kept connection is new and the grid has read its rows through its own.
            bool wieder = false;
            const QMetaObject::Connection gemeldet =
                QObject::connect(k->Server(), &Serverdienst::WiederVerbunden, [&wieder] { wieder = true; });
            Stillstand s;
            QProcess neustart;
            {
                // The server's own pg_ctl, as the data folder's owner (pg_ctl refuses root):
                // it starts the server again with the options it was started with.
                QFile optionen(daten.absolutePath() + QStringLiteral("/postmaster.opts"));
                QString programm;
                if (optionen.open(QIODevice::ReadOnly))
                    programm = QString::fromLocal8Bit(optionen.readLine()).section(QLatin1Char(' '), 0, 0);
                QString log = QDir::cleanPath(daten.absolutePath() + QStringLiteral("/../../../log/postgresql-%1-%2.log")
                                                                        .arg(QFileInfo(daten.absolutePath()).dir().dirName(), daten.dirName()));
                if (!QFileInfo::exists(log))
                    log = QStringLiteral("/dev/null");
                QStringList argumente{QFileInfo(programm).absolutePath() + QStringLiteral("/pg_ctl"), QStringLiteral("restart"),
                                      QStringLiteral("-D"), daten.absolutePath(), QStringLiteral("-m"), QStringLiteral("fast"),
                                      QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-l"), log};
                if (::geteuid() == 0)
                    argumente = QStringList{QStringLiteral("-u"), QFileInfo(daten.absolutePath()).owner(), QStringLiteral("--")} + argumente;
                const QString befehl = ::geteuid() == 0 ? QStringLiteral("runuser") : argumente.takeFirst();
                neustart.start(befehl, argumente);
            }
            Warten([&neustart] { return neustart.state() == QProcess::NotRunning; }, 60000);
            Warten([&wieder] { return wieder; }, 20000);
            QObject::disconnect(gemeldet);
            Warten([f] { return f->dbAlarme && !f->dbAlarme->QuelleUnterwegs() && f->dbAlarme->ZeileLesen(0, 0); }, 20000);
            Warten([] { return false; }, 300);
            if (neustart.exitCode() != 0 || !wieder)
                std::fprintf(stderr, "tavero-bench: Neustart des Servers: %s\n", (neustart.readAllStandardOutput() + neustart.readAllStandardError()).constData());
            else
                PauseZeilen(figur, s);
            };
            neustarten("warten_server_neustart");
            // The same with a grid that never waits for a page or a source.
            const int hoechstens = Datendienst::HoechstensWartenMs, leerlauf = Datendienst::LeerlaufWartenMs;
            Datendienst::HoechstensWartenMs = Datendienst::LeerlaufWartenMs = 0;
            neustarten("warten_server_neustart_raster_ohne_warten");
            Datendienst::HoechstensWartenMs = hoechstens;
            Datendienst::LeerlaufWartenMs = leerlauf;
        }
        if (anderer)
            PQfinish(anderer);
    }
    // The project is loaded while the server stands still (SIGSTOP) for 3 s,
    // until the grid shows its rows: now, and as the window connected before
    // (on its own thread, which stood until the server answered).
    {
        PGconn* c = PQconnectdb(("dbname=" + name.toStdString()).c_str());
        const std::vector<pid_t> pids = ServerProzesse(c);
        PQfinish(c);
        auto ladenAngehalten = [&](const char* figur, bool wieVorher) {
            frmMain haupt;
            haupt.resize(1200, 900);
            haupt.show();
            Warten([] { return false; }, 300);
            Stillstand s;
            for (pid_t pid : pids)
                ::kill(pid, SIGSTOP);
            std::thread weiter([pids] {
                std::this_thread::sleep_for(std::chrono::seconds(3));
                for (pid_t pid : pids)
                    ::kill(pid, SIGCONT);
            });
            if (wieVorher) {
                const QString verbindung = QStringLiteral("tavero-bench-vorher");
                try {
                    AlarmdefsZugriff::Oeffnen(uri, verbindung);
                } catch (const AlarmdefsFehler&) {
                }
                AlarmdefsZugriff::Schliessen(verbindung);
            }
            haupt.Laden(uri);
            AlarmAuswahl* k = haupt.mgobjAuswahl();
            Warten([k] {
                frmAlarmAuswahl* f = k && k->HatFenster() ? k->Fenster() : nullptr;
                return f && f->dbAlarme && f->dbAlarme->rowCount() > 0 && f->dbAlarme->ZeileGeladen(0);
            }, 20000);
            const double ms = s.Ende();
            weiter.join();
            BenchZeile(figur, ms, "ms");
        };
        if (!pids.empty()) {
            ladenAngehalten("warten_server_laden_angehalten_3s_vorher", true);
            ladenAngehalten("warten_server_laden_angehalten_3s", false);
        }
    }
    Dialoge::setzen(nullptr);
    WinUmgebung::ProgrammOrdnerSetzen(std::string());
}
}  // namespace

void BenchWarten(const QString& arbeitsOrdner) {
    Werkzeuge(arbeitsOrdner, Faelle::Alle);
    BenchWartenDatei(arbeitsOrdner);
    Server(arbeitsOrdner);
}

void BenchWartenServer(const QString& arbeitsOrdner) { Server(arbeitsOrdner); }

void BenchWartenWahl(const QString& arbeitsOrdner) { Werkzeuge(arbeitsOrdner, Faelle::NurWahl); }

void BenchWartenPruefbericht(const QString& arbeitsOrdner) { Werkzeuge(arbeitsOrdner, Faelle::NurPruefbericht); }
