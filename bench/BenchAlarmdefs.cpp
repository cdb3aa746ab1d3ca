// The direct access to Alarmdefs against the same statements through the
// sqlite3 C library, on a demo database of a million rows.
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "alarms/AlarmdefsZugriff.h"
#include "werkzeuge/Suche.h"

namespace {

// Processor time of the process in ms: reading the list is bound by the processor
// (the file lies in the page cache), and this stays steady on a busy machine.
double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// The same statement stepped through QSqlQuery, every value fetched, no records
// built: what Qt's driver itself costs over the plain loop.
std::size_t ListeQSqlQuery(const QString& db, const QString& form) {
    std::size_t n = 0;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-schritt"));
        d.setDatabaseName(db);
        d.open();
        QSqlQuery q(d);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select * from Alarmdefs where \"Form\" = ?"));
        q.addBindValue(form);
        q.exec();
        while (q.next()) {
            for (int i = 0; i < 18; ++i)
                (void)q.value(i);
            ++n;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-schritt"));
    return n;
}

// One arrow write-back the plain way: open, one transaction with the update, close.
bool PfeilDirekt(const QByteArray& datei, int ident, const std::string& form, const std::string& symbol, int x,
                 int y) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(s, 2000);
    sqlite3_exec(s, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, "update Alarmdefs set \"Form\" = ?, \"Symbol\" = ?, \"X\" = ?, \"Y\" = ? where \"Ident\" = ?",
                       -1, &st, nullptr);
    sqlite3_bind_text(st, 1, form.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, symbol.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, x);
    sqlite3_bind_int(st, 4, y);
    sqlite3_bind_int(st, 5, ident);
    const bool ok = sqlite3_step(st) == SQLITE_DONE && sqlite3_changes(s) > 0;
    sqlite3_finalize(st);
    sqlite3_exec(s, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(s);
    return ok;
}

// Idents of some alarms of the picture, for the write-backs.
std::vector<int> Idents(const QString& db, const std::string& form, int anzahl) {
    std::vector<int> ids;
    sqlite3* s = nullptr;
    sqlite3_open_v2(QFile::encodeName(db).constData(), &s, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, "select \"Ident\" from Alarmdefs where \"Form\" = ? limit ?", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, form.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 2, anzahl);
    while (sqlite3_step(st) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(s);
    return ids;
}
// A query the plain way: open, prepare, step collecting the first column, close.
std::size_t SucheDirekt(const QByteArray& datei, const char* sql, const std::string& wert, bool zahl) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, sql, -1, &st, nullptr);
    if (zahl)
        sqlite3_bind_int64(st, 1, std::stoll(wert));
    else
        sqlite3_bind_text(st, 1, wert.c_str(), -1, SQLITE_STATIC);
    std::vector<long long> treffer;
    while (sqlite3_step(st) == SQLITE_ROW)
        treffer.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(s);
    return treffer.size();
}

// Finding by number and by a text only the last row holds, against the same queries through sqlite3.
void SucheMessen(const QString& db) {
    const QByteArray datei = QFile::encodeName(db);
    {
        sqlite3* s = nullptr;
        sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(s, "update Alarmdefs set \"Alarmtext\" = 'Kühlwasser Q7XZ9 Überlauf' where rowid = (select max(rowid) "
                        "from Alarmdefs)", nullptr, nullptr, nullptr);
        sqlite3_close(s);
    }
    std::vector<double> nummer, nummerDirekt, text, textDirekt;
    QElapsedTimer t;
    std::size_t n = 0, nDirekt = 0;
    // The two kinds apart: a text search runs through the whole file and would
    // leave the number search that follows it with cold caches.
    for (int i = 0; i < 51; ++i) {
        const QString ident = QString::number(1 + (i * 104729) % kGrosseDemoAlarme);
        t.start();
        Suche::Finden(db, ident);
        nummer.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        SucheDirekt(datei, "select \"Ident\" from Alarmdefs where \"Ident\" = ?", ident.toStdString(), true);
        nummerDirekt.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 7; ++i) {
        t.start();
        n = static_cast<std::size_t>(Suche::Finden(db, QStringLiteral("q7xz9")).size());
        text.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        nDirekt = SucheDirekt(datei, "select \"Ident\" from Alarmdefs where \"VarName\" like ?1 or \"Alarmtext\" like ?1",
                              "%q7xz9%", false);
        textDirekt.push_back(t.nsecsElapsed() / 1e6);
    }
    if (n != 1 || nDirekt != 1)
        std::fprintf(stderr, "BenchAlarmdefs: Suche fand %zu, sqlite3 %zu\n", n, nDirekt);
    BenchZeile("suche_nummer_tavero", Median(nummer), "ms");
    BenchZeile("suche_nummer_sqlite3", Median(nummerDirekt), "ms");
    BenchZeile("suche_nummer_verhaeltnis", Median(nummer) / Median(nummerDirekt), "x");
    BenchZeile("suche_text_tavero", Median(text), "ms");
    BenchZeile("suche_text_sqlite3", Median(textDirekt), "ms");
    BenchZeile("suche_text_verhaeltnis", Median(text) / Median(textDirekt), "x");
}
}  // namespace

static void Messen(const QString& arbeitsOrdner) {
    QElapsedTimer uhr;
    uhr.start();
    const QString out = GrosseDemo(arbeitsOrdner);
    if (out.isEmpty())
        return;
    BenchZeile("alarmdefs_demo_erzeugen", uhr.nsecsElapsed() / 1e9, "s");
    const QString db = DemoProjekt::Datenbank(out);
    const QByteArray datei = QFile::encodeName(db);
    const auto [form, anzahl] = BildMitZehntausend(db);
    const QString qForm = QString::fromStdString(form);
    BenchZeile("alarmdefs_zeilen", kGrosseDemoAlarme, "rows");
    BenchZeile("alarmdefs_bild_alarme", anzahl, "rows");

    // (a) the alarm list of that picture, runs interleaved so both see the same cache
    constexpr int kListenLaeufe = 21;
    std::vector<double> qt, direkt, qtCpu, direktCpu, schrittCpu;
    std::size_t zeilenQt = 0, zeilenDirekt = 0;
    AlarmdefsZugriff::AlarmListeLesen(db, qForm);  // warm the page cache
    ListeDirekt(datei, form);
    for (int i = 0; i < kListenLaeufe; ++i) {
        double cpu = CpuMs();
        uhr.restart();
        zeilenQt = static_cast<std::size_t>(AlarmdefsZugriff::AlarmListeLesen(db, qForm)->size());
        qt.push_back(uhr.nsecsElapsed() / 1e6);
        qtCpu.push_back(CpuMs() - cpu);
        cpu = CpuMs();
        uhr.restart();
        zeilenDirekt = ListeDirekt(datei, form);
        direkt.push_back(uhr.nsecsElapsed() / 1e6);
        direktCpu.push_back(CpuMs() - cpu);
        cpu = CpuMs();
        ListeQSqlQuery(db, qForm);
        schrittCpu.push_back(CpuMs() - cpu);
    }
    if (zeilenQt != zeilenDirekt)
        std::fprintf(stderr, "BenchAlarmdefs: %zu rows against %zu\n", zeilenQt, zeilenDirekt);
    const double listeQt = Median(qt), listeDirekt = Median(direkt);
    const double listeQtCpu = Median(qtCpu), listeDirektCpu = Median(direktCpu);
    BenchZeile("alarmdefs_liste_tavero", listeQt, "ms");
    BenchZeile("alarmdefs_liste_sqlite3", listeDirekt, "ms");
    BenchZeile("alarmdefs_liste_verhaeltnis", listeQt / listeDirekt, "x");
    BenchZeile("alarmdefs_liste_tavero_cpu", listeQtCpu, "ms");
    BenchZeile("alarmdefs_liste_sqlite3_cpu", listeDirektCpu, "ms");
    BenchZeile("alarmdefs_liste_verhaeltnis_cpu", listeQtCpu / listeDirektCpu, "x");
    BenchZeile("alarmdefs_liste_nur_treiber_verhaeltnis_cpu", Median(schrittCpu) / listeDirektCpu, "x");

    // (b) one arrow write-back, each run a different alarm and position
    constexpr int kSchreibLaeufe = 50;
    const std::vector<int> ids = Idents(db, form, 2 * kSchreibLaeufe);
    if (ids.size() < 2 * kSchreibLaeufe)
        return;
    qt.clear();
    direkt.clear();
    for (int i = 0; i < kSchreibLaeufe; ++i) {
        const int idQt = ids[static_cast<std::size_t>(2 * i)];
        const int idDirekt = ids[static_cast<std::size_t>(2 * i + 1)];
        uhr.restart();
        Schreibauftrag a;
        a.ident = QString::number(idQt);
        a.spalten = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
        a.werte = {qForm, QStringLiteral("Standard\\PfeilRot.gif"), 100 + i, 200 + i};
        const bool okQt = AlarmdefsZugriff::Schreiben(db, a).geschrieben();
        qt.push_back(uhr.nsecsElapsed() / 1e6);
        uhr.restart();
        const bool okDirekt = PfeilDirekt(datei, idDirekt, form, "Standard\\PfeilRot.gif", 100 + i, 200 + i);
        direkt.push_back(uhr.nsecsElapsed() / 1e6);
        if (!okQt || !okDirekt)
            std::fprintf(stderr, "BenchAlarmdefs: write-back of %d or %d failed\n", idQt, idDirekt);
    }
    const double pfeilQt = Median(qt), pfeilDirekt = Median(direkt);
    BenchZeile("alarmdefs_pfeil_tavero", pfeilQt, "ms");
    BenchZeile("alarmdefs_pfeil_sqlite3", pfeilDirekt, "ms");
    BenchZeile("alarmdefs_pfeil_verhaeltnis", pfeilQt / pfeilDirekt, "x");
    SucheMessen(db);
}

void BenchAlarmdefs(const QString& arbeitsOrdner) {
    try {
        Messen(arbeitsOrdner);
    } catch (const AlarmdefsFehler& e) {
        std::fprintf(stderr, "BenchAlarmdefs: %s\n", e.what());
    }
}
