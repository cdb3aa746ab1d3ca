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
    if (qgetenv("TAVERO_BENCH") == "projektauswahl") {   // that part alone
        BenchProjektauswahl(dir.path());
        return 0;
    }
    BenchAlarmdefs(dir.path());
    BenchAuswahlFenster(dir.path());
    BenchBildfenster(dir.path());
    BenchProjektauswahl(dir.path());
    return 0;
}
