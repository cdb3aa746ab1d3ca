// tavero-bench: prints one "name value unit" line per figure.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "Benchmarks.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "tavero-bench: kein temporärer Ordner\n");
        return 1;
    }
    // Without arguments every area runs; otherwise only the areas named.
    const QStringList bereiche = app.arguments().mid(1);
    auto laufen = [&](const char* name) { return bereiche.isEmpty() || bereiche.contains(QLatin1String(name)); };
    if (laufen("alarmdefs"))
        BenchAlarmdefs(dir.path());
    if (laufen("auswahl"))
        BenchAuswahlFenster(dir.path());
    if (bereiche.contains(QLatin1String("auswahl-blaettern")))
        BenchAuswahlBlaettern(dir.path());  // not in a run of every area: it opens the million rows once more
    if (laufen("bildfenster"))
        BenchBildfenster(dir.path());
    else if (bereiche.contains(QLatin1String("bildfenster-gross")))
        BenchBildfenster(dir.path(), true);
    if (laufen("projektauswahl"))
        BenchProjektauswahl(dir.path());
    if (laufen("werkzeuge"))
        BenchWerkzeuge(dir.path());
    if (laufen("vorschlaege"))
        BenchVorschlaege(dir.path());
    if (laufen("vergleich"))
        BenchVergleich(dir.path());
    else if (bereiche.contains(QLatin1String("vergleich-nur")))
        BenchVergleich(dir.path(), false);  // the comparison's figures alone, without ghosts and take-over
    else if (bereiche.contains(QLatin1String("uebernahme")))
        BenchUebernahme(dir.path());  // the take-over's figures alone
    if (bereiche.contains(QLatin1String("andere-spalten")))
        BenchAndereSpalten(dir.path());  // not in a run of every area: the way before takes long
    else if (bereiche.contains(QLatin1String("geister")))
        BenchGeisterpfeile();  // the ghost arrows' frames alone
    if (bereiche.contains(QLatin1String("odbc")))
        BenchOdbc(dir.path());  // not in a run of every area: it makes a file of its own
    if (laufen("vergleich") || laufen("rueckgaengig"))
        BenchUebernahmeRueckgaengig(dir.path());
    if (laufen("testbilder") || laufen("vorschlaege"))
        BenchTestbilder(dir.path());
    if (laufen("server"))
        BenchServer(dir.path());
    else if (bereiche.contains(QLatin1String("server-pfeil")))
        BenchServer(dir.path(), true);
    // Not in a run of every area: it stops the server for half a minute.
    if (bereiche.contains(QLatin1String("warten")))
        BenchWarten(dir.path());
    else if (bereiche.contains(QLatin1String("warten-server")))
        BenchWartenServer(dir.path());
    else if (bereiche.contains(QLatin1String("warten-wahl")))
        BenchWartenWahl(dir.path());
    else if (bereiche.contains(QLatin1String("warten-pruefbericht")))
        BenchWartenPruefbericht(dir.path());
    else if (bereiche.contains(QLatin1String("warten-datei")))
        BenchWartenDatei(dir.path());
    return 0;
}
