#pragma once
// Each area of the program contributes its figures in a file of its own.
#include <QString>

void BenchAlarmdefs(const QString& arbeitsOrdner);   // alarm list and write-back against sqlite3
void BenchAuswahlFenster(const QString& arbeitsOrdner);  // grid opening and scrolling
void BenchAuswahlBlaettern(const QString& arbeitsOrdner);  // the longest pause paging while the rows are counted
// all-arrows rebuild and drag step (nurGrossbild: only the pick of a large picture's list)
void BenchBildfenster(const QString& arbeitsOrdner, bool nurGrossbild = false);
void BenchProjektauswahl(const QString& arbeitsOrdner);  // project dialog over large databases
void BenchWerkzeuge(const QString& arbeitsOrdner);       // check report, export, import over the whole table
void BenchVorschlaege(const QString& arbeitsOrdner);     // reading picture labels, recall and precision
void BenchTestbilder(const QString& arbeitsOrdner);     // the same on pictures of tavero-testbilder
void BenchServer(const QString& arbeitsOrdner, bool nurPfeil = false);  // team mode against the PostgreSQL server of PGHOST
// (nurPfeil: only the arrow write against plain libpq, in several rounds)
void BenchWarten(const QString& arbeitsOrdner);          // longest pause of the window during long work
// Only the server cases of warten (a locked row during a drag, the server stopped).
void BenchWartenServer(const QString& arbeitsOrdner);
// Only the pick of warten in the all-arrows mode.
void BenchWartenWahl(const QString& arbeitsOrdner);
// The check report's case alone.
void BenchWartenPruefbericht(const QString& arbeitsOrdner);
// Opening an SQLite file another program holds locked, and the same file free.
void BenchWartenDatei(const QString& arbeitsOrdner);
void BenchVergleich(const QString& arbeitsOrdner, bool auchUebernahme = true);  // comparing two databases, three-way, taking over
void BenchUebernahme(const QString& arbeitsOrdner);  // taking over alone, on the same pair
void BenchAndereSpalten(const QString& arbeitsOrdner);  // naming the other columns of 300,000 rows
void BenchOdbc(const QString& arbeitsOrdner);  // the grid on 100,000 rows through ODBC
void BenchGeisterpfeile();  // frames of a picture with 10,000 ghost arrows
void BenchUebernahmeRueckgaengig(const QString& arbeitsOrdner);  // undo of a take-over after the table was compacted
