// Comparing two databases of a million alarms (a tenth of the positions
// differing) against one plain sqlite3 query over both files (ATTACH and a
// join over all 18 columns), against SQLite's own sqldiff and against the
// same comparison reading every row, in the same run; the three-way comparison; taking over 100,000 changes.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <array>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <cstdio>
#include <ctime>
#include <algorithm>
#include <vector>

#include <sqlite3.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "Warten.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "editor/Bildflaeche.h"
#include "editor/Geisterpfeile.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Dialoge.h"
#include "platform/WinUmgebung.h"
#include "editor/frmPicture.h"
#include "shell/frmMain.h"
#include "shell/Verlauf.h"
#include "shell/frmVergleich.h"
#include "werkzeuge/Uebernahme.h"
#include "werkzeuge/Vergleich.h"

namespace {

bool Sql(const QString& datei, const char* sql) {
    sqlite3* s = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(datei).constData(), &s) == SQLITE_OK &&
              sqlite3_exec(s, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(s);
    return ok;
}

// The plain way: one statement over both files, every row stepped.
std::size_t AttachJoin(const QString& hier, const QString& dort) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(QFile::encodeName(hier).constData(), &s, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const QByteArray attach = "attach database '" + QFile::encodeName(dort) + "' as dort";
    sqlite3_exec(s, attach.constData(), nullptr, nullptr, nullptr);
    const char* spalten[] = {"Type", "Acknowledge", "VarName", "BitNo", "Min", "Max", "Priority", "Group", "Helpindex",
                             "Alarmtext", "Form", "Symbol", "X", "Y", "Sensor1", "Sensor2", "Fault"};
    QByteArray sql = "select a.\"Ident\", a.\"Form\", a.\"Symbol\", a.\"X\", a.\"Y\", b.\"Form\", b.\"Symbol\", b.\"X\", b.\"Y\" "
                     "from main.Alarmdefs a join dort.Alarmdefs b on a.\"Ident\" = b.\"Ident\" where 0";
    for (const char* sp : spalten)
        sql += QByteArray(" or a.\"") + sp + "\" is not b.\"" + sp + "\"";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, sql.constData(), -1, &st, nullptr);
    std::size_t n = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        ++n;
    sqlite3_finalize(st);
    sqlite3_close(s);
    return n;
}

double Zeit(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The processor time of this process (all its threads) that f takes, in ms:
// the work done, whatever else the machine runs meanwhile.
double Rechenzeit(const std::function<void()>& f) {
    const auto jetzt = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    const double vorher = jetzt();
    f();
    return jetzt() - vorher;
}

// Wall time of f in ms; its processor time goes to rechnen.
double ZeitUndRechenzeit(double* rechnen, const std::function<void()>& f) {
    double t = 0;
    const double r = Rechenzeit([&] { t = Zeit(f); });
    if (rechnen)
        *rechnen = r;
    return t;
}

// The plain way: per row one UPDATE of the written columns, only where the
// row still holds its placement as stored, all in one transaction.
double PlainUebernahme(const QString& datei, const QList<Schreibauftrag>& auftraege, double* rechnen = nullptr) {
    sqlite3* s = nullptr;
    sqlite3_open(QFile::encodeName(datei).constData(), &s);
    // the placement as stored, read beforehand (the take-over read it at comparison time)
    QHash<qlonglong, std::array<QByteArray, 4>> gelesen;
    sqlite3_stmt* lesen = nullptr;
    sqlite3_prepare_v2(s, "select \"Ident\", \"Form\", \"Symbol\", \"X\", \"Y\" from Alarmdefs", -1, &lesen, nullptr);
    while (sqlite3_step(lesen) == SQLITE_ROW) {
        std::array<QByteArray, 4> w;
        for (int i = 0; i < 4; ++i)
            if (sqlite3_column_type(lesen, i + 1) != SQLITE_NULL)
                w[static_cast<std::size_t>(i)] = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(lesen, i + 1)));
        gelesen.insert(sqlite3_column_int64(lesen, 0), w);
    }
    sqlite3_finalize(lesen);
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    QHash<QList<int>, sqlite3_stmt*> anweisungen;
    const double t = ZeitUndRechenzeit(rechnen, [&] {
        sqlite3_exec(s, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (const Schreibauftrag& a : auftraege) {
            sqlite3_stmt*& st = anweisungen[a.spalten];
            if (!st) {
                QByteArray sql = "update Alarmdefs set ";
                for (int i = 0; i < a.spalten.size(); ++i)
                    sql += (i ? ", \"" : "\"") + namen.at(a.spalten.at(i)).toUtf8() + "\" = ?";
                sql += " where \"Ident\" = ? and \"Form\" is ? and \"Symbol\" is ? and \"X\" is ? and \"Y\" is ?";
                sqlite3_prepare_v2(s, sql.constData(), -1, &st, nullptr);
            }
            int n = 1;
            for (const QVariant& w : a.werte) {
                if (w.isNull())
                    sqlite3_bind_null(st, n++);
                else if (w.typeId() == QMetaType::LongLong || w.typeId() == QMetaType::Int)
                    sqlite3_bind_int64(st, n++, w.toLongLong());
                else
                    sqlite3_bind_text(st, n++, w.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
            }
            const qlonglong ident = a.ident.toLongLong();
            sqlite3_bind_int64(st, n++, ident);
            for (const QByteArray& w : gelesen.value(ident)) {
                if (w.isNull())
                    sqlite3_bind_null(st, n++);
                else
                    sqlite3_bind_text(st, n++, w.constData(), -1, SQLITE_TRANSIENT);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_exec(s, "COMMIT", nullptr, nullptr, nullptr);
    });
    for (sqlite3_stmt* st : std::as_const(anweisungen))
        sqlite3_finalize(st);
    sqlite3_close(s);
    return t;
}

// Answers every dialog with its first choice; messages go to stderr.
class StilleDialoge : public Dialoge {
public:
    void Meldung(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(text));
    }
    int Modal(QDialog*) override { return 0; }
    QString DateiOeffnen(QWidget*, const QString&, const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString DateiSpeichern(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int Wahl(QWidget*, const QString&, const QString&, const QStringList&, const QString&) override { return 0; }
    std::optional<QString> Eingabe(QWidget*, const QString&, const QString&, const QString&) override { return std::nullopt; }
    QAction* MenuZeigen(QMenu*, const QPoint&) override { return nullptr; }
    void ProzessBeenden() override {}
};


// An alarm with a place whose arrow the other side of the pair moved.
QString EinVerschobener(const QString& datei) {
    sqlite3* s = nullptr;
    QString ident;
    if (sqlite3_open_v2(QFile::encodeName(datei).constData(), &s, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s, "select \"Ident\" from Alarmdefs where \"Form\" is not null and \"X\" is not null and \"Ident\" % 10 = 0 limit 1",
                           -1, &st, nullptr);
        if (st && sqlite3_step(st) == SQLITE_ROW)
            ident = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(s);
    return ident;
}

struct FensterUebernahme {
    bool geschrieben = false;
    double ms = 0, pause = 0, rueckgaengig = 0, rueckgaengigWartend = 0;
    // the longest part of a pause by stage: the part up to the mark a stage
    // leaves when it is done ("bis_..."), after the last mark of a pause
    // ("nach_..."), or a pause that passes no mark ("ohne_marke")
    std::vector<std::pair<std::string, double>> stufen;
    double geisterDa = 0;  // the ghosts left on the picture shown
};

// The window's pauses of 10 ms and more, and the marks the stages of the work
// leave as they finish, to tell which stage held the window how long; each
// also in the window thread's own processor time, which tells work from
// waiting for a processor on a busy machine.
class Stufenpausen {
public:
    explicit Stufenpausen(QElapsedTimer& uhr) : m_uhr(uhr) {}
    static qint64 Rechenzeit() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    void Tick(qint64 letzte, qint64 jetzt) {
        const qint64 cpu = Rechenzeit();
        if (jetzt - letzte >= 10'000'000)
            m_pausen.push_back({letzte, jetzt, m_letzteCpu, cpu});
        m_letzteCpu = cpu;
    }
    void Marke(const char* name) { m_marken.push_back({m_uhr.nsecsElapsed(), Rechenzeit(), name}); }
    std::vector<std::pair<std::string, double>> Stufen() const {
        std::vector<std::pair<std::string, double>> stufen;
        const auto merken = [&](const std::string& name, qint64 ns, qint64 cpu) {
            for (const auto& [n, wert] : {std::pair{name, ns}, std::pair{name + "_rechnend", cpu}}) {
                auto it = std::find_if(stufen.begin(), stufen.end(), [&](const auto& st) { return st.first == n; });
                if (it == stufen.end())
                    stufen.emplace_back(n, static_cast<double>(wert) / 1e6);
                else
                    it->second = std::max(it->second, static_cast<double>(wert) / 1e6);
            }
        };
        qint64 rechnend = 0;
        for (const Pause& p : m_pausen) {
            rechnend = std::max(rechnend, p.cpuBis - p.cpuVon);
            qint64 ab = p.von, abCpu = p.cpuVon;
            std::string letzte;
            for (const Marke_& m : m_marken)
                if (m.wann > p.von && m.wann < p.bis) {
                    merken(std::string("bis_") + m.name, m.wann - ab, m.cpu - abCpu);
                    ab = m.wann;
                    abCpu = m.cpu;
                    letzte = m.name;
                }
            merken(letzte.empty() ? std::string("ohne_marke") : "nach_" + letzte, p.bis - ab, p.cpuBis - abCpu);
        }
        // the most the window's thread itself computed in one pause
        stufen.emplace_back("laengste_rechnend", static_cast<double>(rechnend) / 1e6);
        return stufen;
    }

private:
    struct Pause {
        qint64 von, bis, cpuVon, cpuBis;
    };
    struct Marke_ {
        qint64 wann, cpu;
        const char* name;
    };
    QElapsedTimer& m_uhr;
    qint64 m_letzteCpu = Rechenzeit();
    std::vector<Pause> m_pausen;
    std::vector<Marke_> m_marken;
};

// "Alle ohne Konflikt übernehmen" in the main window with this side open:
// from the click until the list shows the rest; the longest pause of the
// window meanwhile (a timer that should tick every 5 ms); and the undo.
FensterUebernahme UebernahmeImFenster(const QString& projekt, const QString& hier, const QString& dort) {
    FensterUebernahme r;
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(projekt)));
    WinUmgebung::ProgrammOrdnerSetzen((projekt + QStringLiteral("/bin")).toStdString());
    StilleDialoge dialoge;
    Dialoge::setzen(&dialoge);
    {
        frmMain haupt;
        haupt.resize(1200, 900);
        haupt.show();
        haupt.Laden(hier);
        // an alarm of the moved ones picked: its picture is shown with its arrows, as at work
        if (const QString ident = EinVerschobener(hier); !ident.isEmpty() && haupt.AlarmAnzeigen(ident))
            Warten([&] {
                const frmPicture* b = haupt.BildfensterFallsDa();
                return b && !b->BildForm().isEmpty() && b->PfeilAnzahl() > 1000;
            }, 120000);
        haupt.mnuVergleichen->trigger();
        auto* f = haupt.findChild<frmVergleich*>();
        if (f) {
            f->txtDort->setText(dort);
            if (f->Vergleichen())
                Warten([f] { return f->Ergebnis().has_value(); }, 120000);
        }
        if (f && f->Ergebnis()) {
            bool fertig = false;
            qint64 laengste = 0, letzte = 0;
            QElapsedTimer uhr;
            Stufenpausen stufen(uhr);
            QObject::connect(f, &frmVergleich::UebernahmeBeendet, [&](bool geschrieben) {
                fertig = true;
                r.geschrieben = geschrieben;
                stufen.Marke("liste");
            });
            if (AlarmAuswahl* a = haupt.mgobjAuswahl()) {
                QObject::connect(a, &AlarmAuswahl::ZeilenGeaendert, [&] { stufen.Marke("gemeldet"); });
                QObject::connect(a, &AlarmAuswahl::Geschrieben, [&] { stufen.Marke("verlauf"); });
            }
            QPointer<Geisterpfeile> geister = f->Geister();
            if (geister) {
                QObject::connect(geister, &Geisterpfeile::SatzUebernommen, [&] { stufen.Marke("geister_sortiert"); });
                QObject::connect(geister, &Geisterpfeile::EbeneGezeichnet, [&] { stufen.Marke("geister_gezeichnet"); });
            }
            QTimer tick;
            tick.setTimerType(Qt::PreciseTimer);
            QObject::connect(&tick, &QTimer::timeout, [&] {
                const qint64 jetzt = uhr.nsecsElapsed();
                laengste = std::max(laengste, jetzt - letzte);
                stufen.Tick(letzte, jetzt);
                letzte = jetzt;
            });
            uhr.start();
            tick.start(5);
            if (f->Uebernehmen(frmVergleich::Umfang::Alle))
                Warten([&] { return fertig; }, 600000);
            r.ms = static_cast<double>(uhr.nsecsElapsed()) / 1e6;
            // the pause goes on until the ghosts of what is left are on the picture
            if (geister)
                Warten([&] { return !geister || geister->EbeneBereit(); }, 600000);
            laengste = std::max(laengste, uhr.nsecsElapsed() - letzte);
            stufen.Tick(letzte, uhr.nsecsElapsed());
            tick.stop();
            r.stufen = stufen.Stufen();
            if (geister)
                r.geisterDa = static_cast<double>(geister->Gezeigt().size());
            r.pause = static_cast<double>(laengste) / 1e6;
            if (r.geschrieben) {
                r.rueckgaengig = Zeit([&] { haupt.mnuRueckgaengig->trigger(); });
                // Again, redone first, with the window waiting for the answer as
                // it does for a step of few rows: what that wait costs.
                Verlauf* v = haupt.mVerlauf;
                Warten([v] { return !v->Schreibt(); }, 600000);
                v->Wiederholen();
                Warten([v] { return !v->Schreibt(); }, 600000);
                const qsizetype gross = Verlauf::GrosserSchrittZeilen;
                Verlauf::GrosserSchrittZeilen = std::numeric_limits<qsizetype>::max();
                if (v->Stapel()->index() == 1)
                    r.rueckgaengigWartend = Zeit([&] { haupt.mnuRueckgaengig->trigger(); });
                Verlauf::GrosserSchrittZeilen = gross;
                Warten([v] { return !v->Schreibt(); }, 600000);
            }
        }
    }
    Dialoge::setzen(nullptr);
    return r;
}
}  // namespace



namespace {
// The pair both areas measure on: this side and the other, copies of the large
// demo; a tenth of the positions moved on the other side, another twentieth
// here, partly the same alarms. False when it cannot be made.
bool Paar(const QString& arbeitsOrdner, QString& projekt, QString& basis, QString& hier, QString& dort) {
    projekt = GrosseDemo(arbeitsOrdner);
    if (projekt.isEmpty())
        return false;
    basis = DemoProjekt::Datenbank(projekt);
    hier = arbeitsOrdner + QStringLiteral("/vergleich-hier.kvs");
    dort = arbeitsOrdner + QStringLiteral("/vergleich-dort.kvs");
    QFile::remove(hier);
    QFile::remove(dort);
    return QFile::copy(basis, hier) && QFile::copy(basis, dort) &&
           Sql(dort, "update Alarmdefs set \"X\" = \"X\" + 7 where \"Ident\" % 10 = 0 and \"X\" is not null") &&
           Sql(hier, "update Alarmdefs set \"Y\" = \"Y\" + 3 where \"Ident\" % 20 = 5 and \"Y\" is not null");
}

void UebernahmeMessen(const QString& arbeitsOrdner, const QString& projekt, const QString& hier, const QString& dort);
}  // namespace

void BenchVergleich(const QString& arbeitsOrdner, bool auchUebernahme) {
    if (auchUebernahme)
        BenchGeisterpfeile();
    QString projekt, basis, hier, dort;
    if (!Paar(arbeitsOrdner, projekt, basis, hier, dort))
        return;

    std::vector<double> zwei, join, diff, drei, zeilenweise;
    std::size_t unterschiede = 0, joinZeilen = 0;
    const QString sqldiff = QStandardPaths::findExecutable(QStringLiteral("sqldiff"));
    for (int i = 0; i < 3; ++i) {
        zwei.push_back(Zeit([&] { unterschiede = static_cast<std::size_t>(Vergleich::Vergleichen({hier, dort, {}}).zeilen.size()); }));
        // the lines freed before the next figure, which would otherwise share the processors with it
        Vergleichsergebnis::FreigabeAbwarten();
        join.push_back(Zeit([&] { joinZeilen = AttachJoin(hier, dort); }));
        // the same pair read row by row, as a server or ODBC file is
        Vergleich::Angaben jede{hier, dort, {}};
        jede.zeilenweise = true;
        zeilenweise.push_back(Zeit([&] { Vergleich::Vergleichen(jede); }));
        Vergleichsergebnis::FreigabeAbwarten();
        drei.push_back(Zeit([&] { Vergleich::Vergleichen({hier, dort, basis}); }));
        Vergleichsergebnis::FreigabeAbwarten();
        if (!sqldiff.isEmpty())
            diff.push_back(Zeit([&] {
                QProcess p;
                p.setStandardOutputFile(QProcess::nullDevice());
                p.start(sqldiff, {QStringLiteral("--table"), QStringLiteral("Alarmdefs"), hier, dort});
                p.waitForFinished(-1);
            }));
    }
    // the same two once more as processor time, interleaved; with the
    // freeing of the lines, which a worker does after the result is dropped
    std::vector<double> zweiRechnen, joinRechnen;
    for (int i = 0; i < 3; ++i) {
        zweiRechnen.push_back(Rechenzeit([&] {
            Vergleich::Vergleichen({hier, dort, {}});
            Vergleichsergebnis::FreigabeAbwarten();
        }));
        joinRechnen.push_back(Rechenzeit([&] { AttachJoin(hier, dort); }));
    }
    const double z = Median(zwei), j = Median(join), d = Median(drei);
    BenchZeile("vergleich_1m_unterschiede", static_cast<double>(unterschiede), "alarme");
    BenchZeile("vergleich_1m_attach_join_zeilen", static_cast<double>(joinZeilen), "zeilen");
    BenchZeile("vergleich_1m_zweiweg", z, "ms");
    BenchZeile("vergleich_1m_attach_join", j, "ms");
    BenchZeile("vergleich_1m_zweiweg_zu_attach_join", z / j, "verhaeltnis");
    BenchZeile("vergleich_1m_zweiweg_rechenzeit", Median(zweiRechnen), "ms");
    BenchZeile("vergleich_1m_attach_join_rechenzeit", Median(joinRechnen), "ms");
    BenchZeile("vergleich_1m_zweiweg_zu_attach_join_rechenzeit", Median(zweiRechnen) / Median(joinRechnen), "verhaeltnis");
    BenchZeile("vergleich_1m_zweiweg_zeilenweise", Median(zeilenweise), "ms");
    BenchZeile("vergleich_1m_zweiweg_zu_zeilenweise", z / Median(zeilenweise), "verhaeltnis");
    if (!diff.empty()) {
        BenchZeile("vergleich_1m_sqldiff", Median(diff), "ms");
        BenchZeile("vergleich_1m_zweiweg_zu_sqldiff", z / Median(diff), "verhaeltnis");
    }
    BenchZeile("vergleich_1m_dreiweg", d, "ms");
    BenchZeile("vergleich_1m_dreiweg_zu_zweiweg", d / z, "verhaeltnis");
    if (auchUebernahme)
        UebernahmeMessen(arbeitsOrdner, projekt, hier, dort);
}

void BenchUebernahme(const QString& arbeitsOrdner) {
    QString projekt, basis, hier, dort;
    if (Paar(arbeitsOrdner, projekt, basis, hier, dort))
        UebernahmeMessen(arbeitsOrdner, projekt, hier, dort);
}

namespace {
void UebernahmeMessen(const QString& arbeitsOrdner, const QString& projekt, const QString& hier, const QString& paarDort) {
    // Taking over ~100,000 moved arrows, each on a fresh copy of this side: as
    // the window does it (a background job, then history, grid and picture
    // learn of it), the same checked write alone, and the same conditional
    // UPDATEs through plain sqlite3 in one transaction.
    // The pair's other side with another fiftieth of the positions moved, so
    // that more than 100,000 changes are offered.
    const QString dort = arbeitsOrdner + QStringLiteral("/uebernahme-dort.kvs");
    QFile::remove(dort);
    if (!QFile::copy(paarDort, dort) ||
        !Sql(dort, "update Alarmdefs set \"Y\" = \"Y\" + 1 where \"Ident\" % 50 = 1 and \"Y\" is not null"))
        return;
    const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
    QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(e.zeilen);
    BenchZeile("uebernahme_angeboten", static_cast<double>(auftraege.size()), "alarme");
    if (auftraege.size() > 100000)
        auftraege.resize(100000);
    const auto kopie = [&](const char* name) {
        const QString ziel = arbeitsOrdner + QLatin1Char('/') + QLatin1String(name);
        QFile::remove(ziel);
        return QFile::copy(hier, ziel) ? ziel : QString();
    };
    const QString fuerFenster = kopie("uebernahme-fenster.kvs"), fuerSchreiben = kopie("uebernahme-schreiben.kvs"),
                  fuerSqlite = kopie("uebernahme-sqlite3.kvs"), fuerZeilen = kopie("uebernahme-zeilenweise.kvs");
    if (fuerFenster.isEmpty() || fuerSchreiben.isEmpty() || fuerSqlite.isEmpty() || fuerZeilen.isEmpty())
        return;
    Uebernahme::Ergebnis u, uz;
    double rechnen = 0;
    const double t = ZeitUndRechenzeit(&rechnen, [&] { u = Uebernahme::Ausfuehren(fuerSchreiben, auftraege); });
    BenchZeile("uebernahme_100k_geschrieben", static_cast<double>(u.anzahl), "alarme");
    BenchZeile("uebernahme_100k", t, "ms");
    BenchZeile("uebernahme_100k_rechenzeit", rechnen, "ms");
    // the same take-over with every row read and written by statements of its own (the way before)
    const double tz = Zeit([&] {
        uz = Uebernahme::Ausfuehren(fuerZeilen, auftraege, [&](const QList<Schreibauftrag>& a) {
            Sammelergebnis s;
            {
                QSqlDatabase db = AlarmdefsZugriff::Oeffnen(fuerZeilen, QStringLiteral("bench-zeilenweise"));
                AlarmdefsSchreiber w(db, fuerZeilen);
                s = w.AlleZeilenweise(a);
            }
            AlarmdefsZugriff::Schliessen(QStringLiteral("bench-zeilenweise"));
            return s;
        });
    });
    if (uz.geschrieben) {
        BenchZeile("uebernahme_100k_zeilenweise", tz, "ms");
        BenchZeile("uebernahme_100k_zu_zeilenweise", t / tz, "verhaeltnis");
    }
    double rohRechnen = 0;
    const double roh = PlainUebernahme(fuerSqlite, auftraege, &rohRechnen);
    BenchZeile("vergleich_uebernahme_100k_sqlite3", roh, "ms");
    BenchZeile("uebernahme_100k_zu_sqlite3", t / roh, "verhaeltnis");
    BenchZeile("vergleich_uebernahme_100k_sqlite3_rechenzeit", rohRechnen, "ms");
    BenchZeile("uebernahme_100k_zu_sqlite3_rechenzeit", rechnen / rohRechnen, "verhaeltnis");
    if (uz.geschrieben)
        BenchZeile("uebernahme_100k_zeilenweise_zu_sqlite3", tz / roh, "verhaeltnis");
    const FensterUebernahme f = UebernahmeImFenster(projekt, fuerFenster, dort);
    if (f.geschrieben) {
        BenchZeile("vergleich_uebernahme_100k", f.ms, "ms");
        BenchZeile("vergleich_uebernahme_100k_zu_sqlite3", f.ms / roh, "verhaeltnis");
        BenchZeile("vergleich_uebernahme_100k_laengste_pause", f.pause, "ms");
        for (const auto& [stufe, ms] : f.stufen)
            BenchZeile("vergleich_uebernahme_100k_pause_" + stufe, ms, "ms");
        BenchZeile("vergleich_uebernahme_100k_geister_auf_dem_bild", f.geisterDa, "geister");
        BenchZeile("vergleich_uebernahme_100k_rueckgaengig", f.rueckgaengig, "ms");
        if (f.rueckgaengigWartend > 0) {
            BenchZeile("vergleich_uebernahme_100k_rueckgaengig_wartend", f.rueckgaengigWartend, "ms");
            BenchZeile("vergleich_uebernahme_100k_rueckgaengig_zu_wartend", f.rueckgaengig / f.rueckgaengigWartend, "verhaeltnis");
        }
    }
}
}  // namespace

// One frame of a picture with 10,000 ghost arrows (all drawn: the whole
// picture is exposed), against the same frame without them.
void BenchGeisterpfeile() {
    QPixmap bild(2600, 1800);
    bild.fill(Qt::white);
    Bildflaeche flaeche;
    flaeche.BildSetzen(bild);
    flaeche.resize(bild.size());
    QPixmap symbol(16, 16);
    symbol.fill(Qt::black);
    Geisterpfeile geister(&flaeche, [&symbol](const QString&) { return symbol; });
    // moved arrows: the other side's within 60 pixels of this side's; and the
    // worst case, each joined to an arrow anywhere on the picture
    std::vector<Geisterpfeile::Geist> g, weit;
    QRandomGenerator zufall(7);
    for (int i = 0; i < 10000; ++i) {
        const QPoint hier(zufall.bounded(2520) + 30, zufall.bounded(1720) + 30);
        const QPoint dort = hier + QPoint(zufall.bounded(121) - 60, zufall.bounded(121) - 60);
        g.push_back({QString::number(i), QStringLiteral("Bild"), dort, QStringLiteral("P.gif"), hier, i % 50 == 0, {}});
        weit.push_back(g.back());
        weit.back().hier = QPoint(zufall.bounded(2580), zufall.bounded(1780));
    }
    QImage ziel(bild.size(), QImage::Format_ARGB32_Premultiplied);
    const auto frame = [&] {
        QPainter p(&ziel);
        flaeche.render(&p);
    };
    geister.Setzen({});
    frame();
    std::vector<double> ohne, mit;
    for (int i = 0; i < 5; ++i)
        ohne.push_back(Zeit(frame));
    // After the ghosts (or the picture, or the zoom) changed, frames go on at
    // the screen's pace while a worker draws the layer: the longest of them,
    // up to and with the first that shows the new layer; and how long the
    // layer took to arrive.
    std::vector<double> erster, laengster, bisDa;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer uhr;
        uhr.start();
        geister.Setzen(g);
        geister.FormSetzen(QStringLiteral("Bild"));
        double l = Zeit(frame);
        erster.push_back(l);
        while (!geister.EbeneBereit() && uhr.elapsed() < 60000) {
            Warten([&] { return geister.EbeneBereit(); }, 16);
            l = std::max(l, Zeit(frame));
        }
        bisDa.push_back(static_cast<double>(uhr.nsecsElapsed()) / 1e6);
        laengster.push_back(std::max(l, Zeit(frame)));
    }
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_10k_bild", Median(mit), "ms");
    BenchZeile("geisterpfeile_10k_bild_zu_ohne_geister", Median(mit) / Median(ohne), "verhaeltnis");
    BenchZeile("geisterpfeile_10k_bild_erster", Median(erster), "ms");
    BenchZeile("geisterpfeile_10k_laengster_frame_nach_aenderung", Median(laengster), "ms");
    BenchZeile("geisterpfeile_10k_laengster_frame_nach_aenderung_zu_ohne_geister", Median(laengster) / Median(ohne), "verhaeltnis");
    BenchZeile("geisterpfeile_10k_ebene_bis_gezeigt", Median(bisDa), "ms");
    // a drag step repaints only the area around the arrow
    const auto schritt = [&] {
        QPainter p(&ziel);
        flaeche.render(&p, QPoint(1200, 800), QRegion(1200, 800, 200, 200));
    };
    std::vector<double> klein, kleinOhne;
    for (int i = 0; i < 5; ++i)
        klein.push_back(Zeit(schritt));
    geister.Setzen({});
    for (int i = 0; i < 5; ++i)
        kleinOhne.push_back(Zeit(schritt));
    geister.Setzen(g);
    BenchZeile("geisterpfeile_10k_ziehschritt_200px", Median(klein), "ms");
    BenchZeile("geisterpfeile_10k_ziehschritt_200px_ohne_geister", Median(kleinOhne), "ms");
    geister.Setzen(weit);
    frame();
    Warten([&] { return geister.EbeneBereit(); }, 60000);
    mit.clear();
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_10k_bild_lange_linien", Median(mit), "ms");
    BenchZeile("geisterpfeile_10k_bild_ohne_geister", Median(ohne), "ms");
    // at 150 %: the copy is made again at that zoom, a frame still copies one image
    flaeche.ZoomSetzen(1.5);
    ziel = QImage(flaeche.size(), QImage::Format_ARGB32_Premultiplied);
    frame();
    Warten([&] { return geister.EbeneBereit(); }, 60000);
    mit.clear();
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_10k_bild_zoom150", Median(mit), "ms");
    // what the copy costs: 4 bytes a pixel, at most Geisterpfeile::KopieHoechstens pixels
    BenchZeile("geisterpfeile_kopie_2600x1800_zoom150", 2600.0 * 1.5 * 1800 * 1.5 * 4 / 1e6, "MB");
    BenchZeile("geisterpfeile_kopie_hoechstens", static_cast<double>(Geisterpfeile::KopieHoechstens) * 4 / 1e6, "MB");
    geister.Setzen({});
    mit.clear();
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_bild_zoom150_ohne_geister", Median(mit), "ms");
    // What is left after a large take-over: 100,000 ghosts on 20 pictures. How
    // long the window's thread spends on taking the set, and until the ghosts
    // of the picture shown are on it.
    flaeche.ZoomSetzen(1.0);
    ziel = QImage(flaeche.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<Geisterpfeile::Geist> viele;
    viele.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        viele.push_back(g[static_cast<std::size_t>(i % 10000)]);
        viele.back().ident = QString::number(i);
        viele.back().form = i % 20 ? QStringLiteral("Bild %1").arg(i % 20) : QStringLiteral("Bild");
        viele.back().text = QStringLiteral("Andere Datenbank: Alarm %1").arg(i);
    }
    std::vector<double> setzen, bisGezeigt;
    for (int i = 0; i < 5; ++i) {
        geister.Setzen({});
        frame();
        std::vector<Geisterpfeile::Geist> kopie = viele;
        QElapsedTimer uhr;
        uhr.start();
        setzen.push_back(Zeit([&] { geister.Setzen(std::move(kopie)); }));
        frame();
        while (!geister.EbeneBereit() && uhr.elapsed() < 60000) {
            Warten([&] { return geister.EbeneBereit(); }, 16);
            frame();
        }
        bisGezeigt.push_back(static_cast<double>(uhr.nsecsElapsed()) / 1e6);
    }
    BenchZeile("geisterpfeile_100k_setzen", Median(setzen), "ms");
    BenchZeile("geisterpfeile_100k_bis_gezeigt", Median(bisGezeigt), "ms");
    geister.Setzen({});
}

// Undo of a take-over on a table without an index on Ident, after another
// program deleted a row and compacted the file (rowids renumbered): the undo
// as the history writes it (by the keys the step wrote through, looked up
// again once for the batch) against the same writes found by number only.
static void BenchUebernahmeRueckgaengig(const QString& arbeitsOrdner, int kZeilen, bool auchRueckgaengig) {
    const QString hier = arbeitsOrdner + QStringLiteral("/rueck-hier.kvs"), dort = arbeitsOrdner + QStringLiteral("/rueck-dort.kvs");
    QFile::remove(hier);
    QFile::remove(dort);
    const QByteArray anlegen = QByteArray(
        "create table Alarmdefs (Ident integer, Type int, Acknowledge int, VarName text, BitNo int, Min text, Max text, "
        "Priority int, \"Group\" int, Helpindex int, Alarmtext text, Form text, Symbol text, X int, Y int, Sensor1 int, "
        "Sensor2 int, Fault int); with recursive n(i) as (select 1 union all select i + 1 from n where i < ") +
        QByteArray::number(kZeilen) +
        ") insert into Alarmdefs select i, 1, 0, 'V', 3, '0', '100', 2, 7, 1, 'Störung', 'Bild' || (i % 20), "
        "'Pfeil.gif', i % 900, i % 700, 150, 0, 1 from n;";
    if (!Sql(hier, anlegen.constData()) || !QFile::copy(hier, dort) ||
        !Sql(dort, "update Alarmdefs set X = X + 1 where Ident % 3 = 0"))
        return;
    const QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(Vergleich::Vergleichen({hier, dort, {}}).zeilen);
    Sammelergebnis schritt;
    const auto schreiben = [&](const QList<Schreibauftrag>& a) { return schritt = AlarmdefsZugriff::SchreibenAlle(hier, a); };
    const QString roh = arbeitsOrdner + QStringLiteral("/rueck-sqlite3.kvs");
    QFile::remove(roh);
    if (!QFile::copy(hier, roh))
        return;
    bool uebernommen = false;
    const double t = Zeit([&] { uebernommen = Uebernahme::Ausfuehren(hier, auftraege, schreiben).geschrieben; });
    if (!auchRueckgaengig) {
        // the plain statements find rows by number: with an index, as a real project has
        if (!Sql(roh, "create index rueck_ident on Alarmdefs (Ident)"))
            return;
        const double plain = PlainUebernahme(roh, auftraege);
        const QByteArray name = "uebernahme_" + QByteArray::number(auftraege.size() / 1000) + "k";
        BenchZeile((name + "_tavero").constData(), t, "ms");
        BenchZeile((name + "_sqlite3").constData(), plain, "ms");
        BenchZeile((name + "_zu_sqlite3").constData(), t / plain, "verhaeltnis");
        return;
    }
    if (!uebernommen || !Sql(hier, "delete from Alarmdefs where Ident = 1; vacuum;"))
        return;
    const QString nachSchluessel = arbeitsOrdner + QStringLiteral("/rueck-schluessel.kvs"),
                  nachNummer = arbeitsOrdner + QStringLiteral("/rueck-nummer.kvs");
    QFile::remove(nachSchluessel);
    QFile::remove(nachNummer);
    if (!QFile::copy(hier, nachSchluessel) || !QFile::copy(hier, nachNummer))
        return;
    // the step's writes back, as the history makes them
    QList<Schreibauftrag> zurueck;
    for (const Schreibergebnis& e : std::as_const(schritt.zeilen)) {
        Schreibauftrag a;
        a.ident = e.ident;
        a.zeile = e.schluessel;
        a.spalten = e.spalten;
        a.werte = e.vorher;
        AlarmRecord gelesen = e.zeile;
        gelesen.resize(AlarmFeld::Anzahl);
        a.gelesen = gelesen;
        a.wiederherstellen = true;
        zurueck << a;
    }
    QList<Schreibauftrag> ohneSchluessel = zurueck;
    for (Schreibauftrag& a : ohneSchluessel)
        a.zeile = QVariant();
    bool ok1 = false, ok2 = false;
    const double mit = Zeit([&] { ok1 = AlarmdefsZugriff::SchreibenAlle(nachSchluessel, zurueck).geschrieben; });
    const double ohne = Zeit([&] { ok2 = AlarmdefsZugriff::SchreibenAlle(nachNummer, ohneSchluessel).geschrieben; });
    if (!ok1 || !ok2) {
        std::fprintf(stderr, "BenchUebernahmeRueckgaengig: undo refused\n");
        return;
    }
    BenchZeile("uebernahme_rueckgaengig_zeilen", static_cast<double>(zurueck.size()), "alarme");
    BenchZeile("uebernahme_rueckgaengig_nach_vacuum", mit, "ms");
    BenchZeile("uebernahme_rueckgaengig_nach_nummer", ohne, "ms");
    BenchZeile("uebernahme_rueckgaengig_zu_nach_nummer", mit / ohne, "verhaeltnis");
}

void BenchUebernahmeRueckgaengig(const QString& arbeitsOrdner) {
    BenchUebernahmeRueckgaengig(arbeitsOrdner, 10000, true);
    BenchUebernahmeRueckgaengig(arbeitsOrdner, 60000, false);
}
