// Loading "Projektauswahl" with twenty registered projects whose alarm
// databases hold a million alarms each, against the same with empty
// databases. The dialog shows each project's comment from its database file
// read as a profile file; what that costs must not grow with the database.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "shell/frmProjektAuswahl.h"

namespace {
constexpr int kProjekte = 20;

// A prefix whose registry names kProjekte projects, each with a hard link to
// the one database as its .kvs file.
QString PrefixMit(const QString& ordner, const QString& db) {
    const QString prefix = ordner + QStringLiteral("/prefix");
    QDir().mkpath(prefix + QStringLiteral("/dosdevices"));
    QFile::link(prefix + QStringLiteral("/drive_c"), prefix + QStringLiteral("/dosdevices/c:"));
    QByteArray reg = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                     "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0] 1700000000\n\"path\"=\"C:\\\\Korvant\"\n\n";
    for (int i = 1; i <= kProjekte; ++i) {
        const QByteArray name = QByteArray("Anlage") + QByteArray::number(i).rightJustified(2, '0');
        const QString projekt = prefix + QStringLiteral("/drive_c/Projekte/") + QString::fromLatin1(name);
        QDir().mkpath(projekt);
        // one database file under twenty names: generating a million alarms once is slow enough
        std::error_code ec;
        std::filesystem::create_hard_link(db.toStdString(), (projekt + "/" + name + ".kvs").toStdString(), ec);
        if (ec)
            QFile::copy(db, projekt + "/" + name + ".kvs");   // a file system without hard links
        reg += "[Software\\\\BELMARK GmbH\\\\Korvant\\\\4.0\\\\Projects\\\\" + name + "] 1700000000\n"
               "\"Path\"=\"C:\\\\Projekte\\\\" + name + "\"\n\"PrjType\"=dword:00000001\n\n";
    }
    QFile f(prefix + QStringLiteral("/system.reg"));
    if (!f.open(QIODevice::WriteOnly) || f.write(reg) != reg.size())
        return {};
    return prefix;
}

// Milliseconds of one loading of a fresh dialog, which reads the registry and every file anew.
double LadenMs(const QString& prefix) {
    qputenv("WINEPREFIX", QFile::encodeName(prefix));
    frmProjektAuswahl dlg;
    QElapsedTimer t;
    t.start();
    if (!dlg.Laden())
        std::fprintf(stderr, "tavero-bench: Projektauswahl lädt nicht\n");
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

void BenchProjektauswahl(const QString& arbeitsOrdner) {
    const bool fHatte = qEnvironmentVariableIsSet("WINEPREFIX");
    const QByteArray vorher = qgetenv("WINEPREFIX");
    const QString gross = DemoDatenbank(arbeitsOrdner + QStringLiteral("/projektauswahl-1m"), 1000000);
    const QString leer = DemoDatenbank(arbeitsOrdner + QStringLiteral("/projektauswahl-leer"), 0);
    if (gross.isEmpty() || leer.isEmpty())
        return;
    const QString prefixGross = PrefixMit(arbeitsOrdner + QStringLiteral("/projektauswahl-gross"), gross);
    const QString prefixLeer = PrefixMit(arbeitsOrdner + QStringLiteral("/projektauswahl-klein"), leer);
    if (prefixGross.isEmpty() || prefixLeer.isEmpty())
        return;
    LadenMs(prefixLeer);  // warms up fonts and styles
    // taken in turns, so that a busy moment of the machine hits both alike
    std::vector<double> leerMs, grossMs;
    for (int i = 0; i < 31; ++i) {
        leerMs.push_back(LadenMs(prefixLeer));
        grossMs.push_back(LadenMs(prefixGross));
    }
    const double msLeer = Median(leerMs), msGross = Median(grossMs);
    BenchZeile("projektauswahl_datenbank_1m", QFileInfo(gross).size() / 1e6, "MB");
    BenchZeile("projektauswahl_laden_leer", msLeer, "ms");
    BenchZeile("projektauswahl_laden_1m", msGross, "ms");
    BenchZeile("projektauswahl_laden_ratio", msGross / msLeer, "x");
    if (fHatte)
        qputenv("WINEPREFIX", vorher);
    else
        qunsetenv("WINEPREFIX");
}
