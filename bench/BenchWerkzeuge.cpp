// The tools over the whole table against what plain sqlite3 does for the same:
// the check report against its queries and one look per distinct file, the
// CSV export against sqlite3's own CSV output, and an import of 100,000
// changed rows in one transaction.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

#include <sqlite3.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "alarms/AlarmdefsZugriff.h"
#include "platform/WinUmgebung.h"
#include "alarms/Konfiguration.h"
#include "werkzeuge/CsvDatei.h"
#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/Export.h"
#include "werkzeuge/ImportPlan.h"
#include "werkzeuge/Pruefbericht.h"

namespace {
constexpr int kImportZeilen = 100000;

std::string Abgebildet(const std::string& winPfad) { return WinUmgebung::PfadAbbilden(winPfad); }

// What a plain program needs for the report: the seven columns of every row,
// the distinct pictures and symbols, one stat per distinct file, and the
// numbers used twice.
std::size_t BerichtDirekt(const QByteArray& datei, const Projektrahmen& r) {
    sqlite3* s = nullptr;
    // one thread, its own connection: no lock around each column read, as in the report
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, "select \"Ident\", \"VarName\", \"Alarmtext\", \"Form\", \"Symbol\", \"X\", \"Y\" from Alarmdefs",
                       -1, &st, nullptr);
    std::unordered_set<std::string> formen, symbole;
    std::size_t zeilen = 0;
    long long summe = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        summe += sqlite3_column_int64(st, 0);
        for (int i = 1; i < 5; ++i) {
            const unsigned char* t = sqlite3_column_text(st, i);
            if (t && i == 3)
                formen.emplace(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
            else if (t && i == 4)
                symbole.emplace(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
        }
        summe += sqlite3_column_int64(st, 5) + sqlite3_column_int64(st, 6);
        ++zeilen;
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(s, "select \"Ident\", count(*) from Alarmdefs group by \"Ident\" having count(*) > 1", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        ++zeilen;
    sqlite3_finalize(st);
    sqlite3_close(s);
    struct stat info;
    const std::string bilder = r.bilderPath.toStdString(), symbolOrdner = r.symbolPath.toStdString();
    for (const std::string& f : formen)
        summe += stat(Abgebildet(bilder + "\\" + f + "\\" + f + ".bmp").c_str(), &info);
    for (const std::string& sy : symbole) {
        const auto pos = sy.find_last_of('\\');
        summe += stat(Abgebildet(symbolOrdner + "\\" + (pos == std::string::npos ? sy : sy.substr(pos + 1))).c_str(), &info);
    }
    return zeilen + (summe == 42 ? 1 : 0);
}

// sqlite3's own CSV output of the same columns, through its command-line tool.
bool CsvDirekt(const QString& db, const QString& ziel) {
    QProcess p;
    p.setStandardOutputFile(ziel);
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), db,
                                        QStringLiteral("select \"Ident\", \"Form\", \"Symbol\", \"X\", \"Y\", \"Alarmtext\" from Alarmdefs")});
    return p.waitForFinished(600000) && p.exitCode() == 0;
}

// The same with the C library where the tool is not installed: every row
// stepped, each field quoted where needed, written in blocks.
bool CsvDirektBibliothek(const QByteArray& datei, const QString& ziel) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, "select \"Ident\", \"Form\", \"Symbol\", \"X\", \"Y\", \"Alarmtext\" from Alarmdefs", -1, &st,
                       nullptr);
    std::FILE* f = std::fopen(QFile::encodeName(ziel).constData(), "wb");
    std::string zeile;
    while (f && sqlite3_step(st) == SQLITE_ROW) {
        zeile.clear();
        for (int i = 0; i < 6; ++i) {
            if (i)
                zeile += ',';
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            if (!t)
                continue;
            const std::string_view v(t, static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
            if (v.find_first_of(",\"\r\n") == std::string_view::npos) {
                zeile += v;
            } else {
                zeile += '"';
                for (char c : v)
                    zeile += c == '"' ? std::string("\"\"") : std::string(1, c);
                zeile += '"';
            }
        }
        zeile += "\r\n";
        std::fwrite(zeile.data(), 1, zeile.size(), f);
    }
    const bool ok = f && std::fclose(f) == 0;
    sqlite3_finalize(st);
    sqlite3_close(s);
    return ok;
}

// A CSV moving the arrows of kImportZeilen placed alarms by one pixel.
bool ImportDateiSchreiben(const QByteArray& datei, const QString& ziel) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s,
                       "select \"Ident\", \"Form\", \"Symbol\", \"X\", \"Y\", \"Alarmtext\" from Alarmdefs "
                       "where \"X\" is not null and \"Y\" is not null limit ?",
                       -1, &st, nullptr);
    sqlite3_bind_int(st, 1, kImportZeilen);
    QByteArray csv = CsvDatei::Marke();
    CsvDatei::ZeileAnhaengen(csv, Export::Spalten());
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto text = [&](int i) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))); };
        CsvDatei::ZeileAnhaengen(csv, {text(0), text(1), text(2), QString::number(sqlite3_column_int(st, 3) + 1),
                                       QString::number(sqlite3_column_int(st, 4) + 1), text(5)});
        ++n;
    }
    sqlite3_finalize(st);
    sqlite3_close(s);
    QFile f(ziel);
    return n == kImportZeilen && f.open(QIODevice::WriteOnly) && f.write(csv) == csv.size();
}

void Messen(const QString& arbeitsOrdner) {
    const QString out = GrosseDemo(arbeitsOrdner);
    if (out.isEmpty())
        return;
    const QString db = DemoProjekt::Datenbank(out);
    const QByteArray datei = QFile::encodeName(db);
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(out)));
    const QString ini = out + QStringLiteral("/bin/Tavero/Tavero.ini");
    Projektrahmen rahmen;
    rahmen.bilderPath = Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("AlarmPicturePath"), ini);
    rahmen.symbolPath = Konfiguration::Wert(QStringLiteral("Grafik"), QStringLiteral("PfeilPath"), ini);
    rahmen.bilderListe = Konfiguration::BilderListeLesen(ini);
    rahmen.symbolListe = Konfiguration::SymbolListeLesen(ini);
    QElapsedTimer uhr;

    // (a) the check report, runs interleaved so both see the same cache
    constexpr int kLaeufe = 5;
    std::vector<double> tavero, direkt, text;
    BerichtDirekt(datei, rahmen);  // warm the page cache
    qsizetype befunde = 0;
    int dateien = 0;
    for (int i = 0; i < kLaeufe; ++i) {
        uhr.start();
        const Pruefbericht b = Pruefbericht::Erstellen(db, rahmen);
        tavero.push_back(uhr.nsecsElapsed() / 1e6);
        uhr.restart();
        const QByteArray t = b.Text().toUtf8();
        text.push_back(uhr.nsecsElapsed() / 1e6);
        befunde = b.Befunde();
        dateien = b.DateienNachgesehen();
        uhr.restart();
        BerichtDirekt(datei, rahmen);
        direkt.push_back(uhr.nsecsElapsed() / 1e6);
    }
    BenchZeile("werkzeuge_bericht_befunde", static_cast<double>(befunde), "lines");
    BenchZeile("werkzeuge_bericht_dateien", dateien, "files");
    BenchZeile("werkzeuge_bericht_tavero", Median(tavero), "ms");
    BenchZeile("werkzeuge_bericht_sqlite3", Median(direkt), "ms");
    BenchZeile("werkzeuge_bericht_verhaeltnis", Median(tavero) / Median(direkt), "x");
    BenchZeile("werkzeuge_bericht_text", Median(text), "ms");

    // (b) export of all rows to CSV
    const QString csvTavero = arbeitsOrdner + QStringLiteral("/export-tavero.csv");
    const QString csvDirekt = arbeitsOrdner + QStringLiteral("/export-sqlite3.csv");
    const bool werkzeug = !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
    auto direktCsv = [&] { return werkzeug ? CsvDirekt(db, csvDirekt) : CsvDirektBibliothek(datei, csvDirekt); };
    tavero.clear();
    direkt.clear();
    qsizetype zeilen = 0;
    for (int i = 0; i < kLaeufe; ++i) {
        uhr.restart();
        zeilen = Export::CsvSchreiben(db, csvTavero);
        tavero.push_back(uhr.nsecsElapsed() / 1e6);
        uhr.restart();
        if (!direktCsv())
            std::fprintf(stderr, "BenchWerkzeuge: sqlite3's CSV output failed\n");
        direkt.push_back(uhr.nsecsElapsed() / 1e6);
    }
    BenchZeile("werkzeuge_export_zeilen", static_cast<double>(zeilen), "rows");
    BenchZeile(werkzeug ? "werkzeuge_export_vergleich_sqlite3_werkzeug" : "werkzeuge_export_vergleich_sqlite3_bibliothek", 1, "");
    BenchZeile("werkzeuge_export_csv_tavero", Median(tavero), "ms");
    BenchZeile("werkzeuge_export_csv_sqlite3", Median(direkt), "ms");
    BenchZeile("werkzeuge_export_csv_verhaeltnis", Median(tavero) / Median(direkt), "x");
    uhr.restart();
    Export::XlsxSchreiben(db, arbeitsOrdner + QStringLiteral("/export-tavero.xlsx"));
    BenchZeile("werkzeuge_export_xlsx_tavero", uhr.nsecsElapsed() / 1e6, "ms");

    // (c) import of 100,000 changed rows into a copy of the table
    const QString kopie = arbeitsOrdner + QStringLiteral("/import.kvs");
    const QString importDatei = arbeitsOrdner + QStringLiteral("/import.csv");
    QFile::remove(kopie);
    if (!QFile::copy(db, kopie) || !ImportDateiSchreiben(datei, importDatei)) {
        std::fprintf(stderr, "BenchWerkzeuge: no import file\n");
        return;
    }
    uhr.restart();
    const ImportPlan plan = ImportPlan::Erstellen(kopie, importDatei, rahmen);
    const double planMs = uhr.nsecsElapsed() / 1e6;
    uhr.restart();
    const Sammelergebnis e = plan.Anwenden();
    const double schreibenMs = uhr.nsecsElapsed() / 1e6;
    if (!e.geschrieben || plan.Auftraege().size() != kImportZeilen)
        std::fprintf(stderr, "BenchWerkzeuge: import wrote %lld of %d rows: %s\n",
                     static_cast<long long>(plan.Auftraege().size()), kImportZeilen, qPrintable(e.text));
    BenchZeile("werkzeuge_import_zeilen", static_cast<double>(plan.Auftraege().size()), "rows");
    BenchZeile("werkzeuge_import_plan", planMs, "ms");
    BenchZeile("werkzeuge_import_schreiben", schreibenMs, "ms");
    BenchZeile("werkzeuge_import_gesamt", (planMs + schreibenMs) / 1000, "s");
    BenchZeile("werkzeuge_import_ziel_verhaeltnis", (planMs + schreibenMs) / 5000, "x");
    QFile::remove(kopie);
}
}  // namespace

void BenchWerkzeuge(const QString& arbeitsOrdner) {
    try {
        Messen(arbeitsOrdner);
    } catch (const AlarmdefsFehler& e) {
        std::fprintf(stderr, "BenchWerkzeuge: %s\n", e.what());
    } catch (const DateiFehler& e) {
        std::fprintf(stderr, "BenchWerkzeuge: %s\n", e.what());
    }
}
