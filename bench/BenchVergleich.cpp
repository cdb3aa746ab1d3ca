// Comparing two databases of a million alarms (a tenth of the positions
// differing) against one plain sqlite3 query over both files (ATTACH and a
// join over all 18 columns) and against SQLite's own sqldiff, in the same
// run; the three-way comparison; taking over 100,000 changes.
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <functional>
#include <cstdio>
#include <vector>

#include <sqlite3.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "editor/Bildflaeche.h"
#include "editor/Geisterpfeile.h"
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
}  // namespace

void BenchGeisterpfeile();

void BenchVergleich(const QString& arbeitsOrdner) {
    BenchGeisterpfeile();
    const QString projekt = GrosseDemo(arbeitsOrdner);
    if (projekt.isEmpty())
        return;
    const QString basis = DemoProjekt::Datenbank(projekt);
    const QString hier = arbeitsOrdner + QStringLiteral("/vergleich-hier.kvs");
    const QString dort = arbeitsOrdner + QStringLiteral("/vergleich-dort.kvs");
    QFile::remove(hier);
    QFile::remove(dort);
    if (!QFile::copy(basis, hier) || !QFile::copy(basis, dort))
        return;
    // a tenth of the positions moved on the other side; another twentieth here, partly the same alarms
    if (!Sql(dort, "update Alarmdefs set \"X\" = \"X\" + 7 where \"Ident\" % 10 = 0 and \"X\" is not null") ||
        !Sql(hier, "update Alarmdefs set \"Y\" = \"Y\" + 3 where \"Ident\" % 20 = 5 and \"Y\" is not null"))
        return;

    std::vector<double> zwei, join, diff, drei;
    std::size_t unterschiede = 0, joinZeilen = 0;
    const QString sqldiff = QStandardPaths::findExecutable(QStringLiteral("sqldiff"));
    for (int i = 0; i < 3; ++i) {
        zwei.push_back(Zeit([&] { unterschiede = static_cast<std::size_t>(Vergleich::Vergleichen({hier, dort, {}}).zeilen.size()); }));
        join.push_back(Zeit([&] { joinZeilen = AttachJoin(hier, dort); }));
        drei.push_back(Zeit([&] { Vergleich::Vergleichen({hier, dort, basis}); }));
        if (!sqldiff.isEmpty())
            diff.push_back(Zeit([&] {
                QProcess p;
                p.setStandardOutputFile(QProcess::nullDevice());
                p.start(sqldiff, {QStringLiteral("--table"), QStringLiteral("Alarmdefs"), hier, dort});
                p.waitForFinished(-1);
            }));
    }
    const double z = Median(zwei), j = Median(join), d = Median(drei);
    BenchZeile("vergleich_1m_unterschiede", static_cast<double>(unterschiede), "alarme");
    BenchZeile("vergleich_1m_attach_join_zeilen", static_cast<double>(joinZeilen), "zeilen");
    BenchZeile("vergleich_1m_zweiweg", z, "ms");
    BenchZeile("vergleich_1m_attach_join", j, "ms");
    BenchZeile("vergleich_1m_zweiweg_zu_attach_join", z / j, "verhaeltnis");
    if (!diff.empty()) {
        BenchZeile("vergleich_1m_sqldiff", Median(diff), "ms");
        BenchZeile("vergleich_1m_zweiweg_zu_sqldiff", z / Median(diff), "verhaeltnis");
    }
    BenchZeile("vergleich_1m_dreiweg", d, "ms");
    BenchZeile("vergleich_1m_dreiweg_zu_zweiweg", d / z, "verhaeltnis");

    // taking over 100,000 moved arrows in one transaction (checked, then written)
    const Vergleichsergebnis e = Vergleich::Vergleichen({hier, dort, {}});
    QList<Schreibauftrag> auftraege = Uebernahme::Auftraege(e.zeilen);
    if (auftraege.size() > 100000)
        auftraege.resize(100000);
    Uebernahme::Ergebnis u;
    const double t = Zeit([&] { u = Uebernahme::Ausfuehren(hier, auftraege); });
    BenchZeile("uebernahme_100k_geschrieben", static_cast<double>(u.anzahl), "alarme");
    BenchZeile("uebernahme_100k", t, "ms");
}

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
    geister.Setzen(g);
    geister.FormSetzen(QStringLiteral("Bild"));
    frame();
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_10k_bild", Median(mit), "ms");
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
    mit.clear();
    for (int i = 0; i < 5; ++i)
        mit.push_back(Zeit(frame));
    BenchZeile("geisterpfeile_10k_bild_lange_linien", Median(mit), "ms");
    BenchZeile("geisterpfeile_10k_bild_ohne_geister", Median(ohne), "ms");
}
