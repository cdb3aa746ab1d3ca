// The selection grid on a million rows against a hundred: opening, scrolling to
// the end, sorting, and the memory the process holds afterwards.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "Stillstand.h"
#include "Warten.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/frmAlarmAuswahl.h"

namespace {
// Kilobytes of a line of /proc/self/status ("VmHWM", "VmRSS"); 0 where there is none.
double SpeicherKb(const char* schluessel) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& zeile : f.readAll().split('\n'))
        if (zeile.startsWith(schluessel))
            return zeile.mid(zeile.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// Milliseconds from AuswahlShow until the grid has painted its first rows (median of runs).
double OeffnenMs(const QString& db, int laeufe) {
    std::vector<double> zeiten;
    for (int i = 0; i < laeufe; ++i) {
        QElapsedTimer t;
        t.start();
        AlarmAuswahl k;
        k.setAlarmDatenbank(db);
        k.setAlarmBilderListe(DemoProjekt::BildNamen(6));
        k.AuswahlShow();
        QTableView* grid = k.Fenster()->TDBAlarme;
        grid->viewport()->repaint();
        zeiten.push_back(t.nsecsElapsed() / 1e6);
        if (!grid->model() || grid->model()->rowCount() == 0)
            std::fprintf(stderr, "tavero-bench: das Raster zeigt keine Zeilen\n");
    }
    std::sort(zeiten.begin(), zeiten.end());
    return zeiten[zeiten.size() / 2];
}

// Until the cell has come: at once where its row is held; otherwise the rows
// come from the worker while the events are processed (at most a minute).
bool Abwarten(const QModelIndex& zelle) {
    QElapsedTimer uhr;
    uhr.start();
    QTimer wecker;  // wakes the wait below even when nothing else comes
    wecker.start(5);
    while (!zelle.data().isValid() && uhr.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return zelle.data().isValid();
}

// A file made elsewhere paged through as the demo file is: to its end once
// counted, and in jumps through it, each until its row has come.
void Blaettern(const QString& datei, const QByteArray& name) {
    AlarmAuswahl k;
    k.setAlarmDatenbank(datei);
    k.setAlarmBilderListe(DemoProjekt::BildNamen(6));
    k.AuswahlShow();
    frmAlarmAuswahl* f = k.Fenster();
    QTableView* grid = f->TDBAlarme;
    Warten([f] { return !f->dbAlarme || f->dbAlarme->AllesGelesen(); }, 60000);
    QElapsedTimer t;
    t.start();
    grid->scrollToBottom();
    grid->viewport()->repaint();
    QApplication::processEvents();
    Abwarten(grid->model()->index(grid->model()->rowCount() - 1, 0));
    BenchZeile(("auswahl_ende_" + name).constData(), t.nsecsElapsed() / 1e6, "ms");
    t.restart();
    for (int r = 0; r < grid->model()->rowCount(); r += 20000)
        Abwarten(grid->model()->index(r, 10));
    BenchZeile(("auswahl_durchblaettern_" + name).constData(), t.nsecsElapsed() / 1e6, "ms");
    // Sorted by the alarm text, in German order, and to its end.
    t.restart();
    f->TDBAlarme_HeadClick(10);
    Warten([f] { return !f->dbAlarme->QuelleUnterwegs(); }, 120000);
    grid->viewport()->repaint();
    BenchZeile(("auswahl_sortieren_" + name).constData(), t.nsecsElapsed() / 1e6, "ms");
    t.restart();
    grid->scrollToBottom();
    grid->viewport()->repaint();
    const QModelIndex letzte = grid->model()->index(grid->model()->rowCount() - 1, 0);
    if (!letzte.data().isValid()) {
        Abwarten(letzte);
        grid->viewport()->repaint();
    }
    BenchZeile(("auswahl_sortiert_ende_" + name).constData(), t.nsecsElapsed() / 1e6, "ms");
}
}  // namespace

void BenchAuswahlFenster(const QString& arbeitsOrdner) {
    const QString gross = DemoDatenbank(arbeitsOrdner + QStringLiteral("/auswahl-1m"), 1000000);
    const QString klein = DemoDatenbank(arbeitsOrdner + QStringLiteral("/auswahl-100"), 100);
    if (gross.isEmpty() || klein.isEmpty())
        return;
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(arbeitsOrdner + QStringLiteral("/auswahl-1m"))));
    OeffnenMs(klein, 1);  // warms up fonts and styles
    const double msKlein = OeffnenMs(klein, 7);
    const double msGross = OeffnenMs(gross, 7);
    BenchZeile("auswahl_oeffnen_100", msKlein, "ms");
    BenchZeile("auswahl_oeffnen_1m", msGross, "ms");
    BenchZeile("auswahl_oeffnen_ratio", msGross / msKlein, "x");
    // Files made elsewhere (another program, its own column order), named by
    // TAVERO_BENCH_AUSWAHL_DATEIEN separated by colons, opened the same way.
    for (const QString& datei : qEnvironmentVariable("TAVERO_BENCH_AUSWAHL_DATEIEN").split(QLatin1Char(':'), Qt::SkipEmptyParts))
    {
        BenchZeile(("auswahl_oeffnen_" + QFileInfo(datei).completeBaseName().toUtf8()).constData(), OeffnenMs(datei, 7), "ms");
        Blaettern(datei, QFileInfo(datei).completeBaseName().toUtf8());
    }

    AlarmAuswahl k;
    k.setAlarmDatenbank(gross);
    k.setAlarmBilderListe(DemoProjekt::BildNamen(6));
    k.AuswahlShow();
    frmAlarmAuswahl* f = k.Fenster();
    QTableView* grid = f->TDBAlarme;
    QElapsedTimer t;
    t.start();
    // The rows beyond the first ones are counted in the background; the
    // window idles meanwhile, as it does for a user.
    Warten([f] { return !f->dbAlarme || f->dbAlarme->AllesGelesen(); }, 60000);
    BenchZeile("auswahl_alle_gezaehlt_1m", t.nsecsElapsed() / 1e6, "ms");
    // Whether the last rows are held once every row is counted.
    BenchZeile("auswahl_ende_gehalten", f->dbAlarme->ZeileGeladen(f->dbAlarme->rowCount() - 1) ? 1 : 0, "ja");
    t.restart();
    grid->scrollToBottom();
    grid->viewport()->repaint();
    QApplication::processEvents();
    Abwarten(grid->model()->index(grid->model()->rowCount() - 1, 0));
    BenchZeile("auswahl_ende_1m", t.nsecsElapsed() / 1e6, "ms");
    // Jumps through the whole table, as a user dragging the scroll bar would:
    // until each row jumped to has come.
    t.restart();
    const int zeilen = grid->model()->rowCount();
    for (int r = 0; r < zeilen; r += 20000)
        Abwarten(grid->model()->index(r, 10));
    BenchZeile("auswahl_durchblaettern_1m", t.nsecsElapsed() / 1e6, "ms");
    t.restart();
    f->TDBAlarme_HeadClick(7);
    // The order is read in the background: until it is shown.
    Warten([f] { return !f->dbAlarme->QuelleUnterwegs(); }, 120000);
    grid->viewport()->repaint();
    BenchZeile("auswahl_sortieren_1m", t.nsecsElapsed() / 1e6, "ms");
    // Whether the sorted list's last rows are held before the jump to them.
    BenchZeile("auswahl_sortiert_ende_gehalten", f->dbAlarme->ZeileGeladen(zeilen - 1) ? 1 : 0, "ja");
    t.restart();
    grid->scrollToBottom();
    grid->viewport()->repaint();
    // until the last rows are on screen: painted again only when they came after the paint
    if (!grid->model()->index(zeilen - 1, 0).data().isValid()) {
        Abwarten(grid->model()->index(zeilen - 1, 0));
        grid->viewport()->repaint();
    }
    BenchZeile("auswahl_sortiert_ende_1m", t.nsecsElapsed() / 1e6, "ms");
    BenchZeile("auswahl_speicher_spitze", SpeicherKb("VmHWM") / 1024, "MB");
    BenchZeile("auswahl_speicher_jetzt", SpeicherKb("VmRSS") / 1024, "MB");
}

void BenchAuswahlBlaettern(const QString& arbeitsOrdner) {
    const QString gross = DemoDatenbank(arbeitsOrdner + QStringLiteral("/auswahl-1m"), 1000000);
    if (gross.isEmpty())
        return;
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(arbeitsOrdner + QStringLiteral("/auswahl-1m"))));
    // Paging through the million rows while they are still being counted (the
    // worker busy with it): the longest the window stands, scroll bar jumps
    // and page steps in turns, each painted at once.
    AlarmAuswahl zaehlend;
    zaehlend.setAlarmDatenbank(gross);
    zaehlend.setAlarmBilderListe(DemoProjekt::BildNamen(6));
    zaehlend.AuswahlShow();
    QTableView* raster = zaehlend.Fenster()->TDBAlarme;
    Stillstand s;
    for (int i = 0; i < 60 && !zaehlend.Fenster()->dbAlarme->AllesGelesen(); ++i) {
        if (i % 2)
            raster->verticalScrollBar()->setValue(raster->verticalScrollBar()->maximum() * (i % 7) / 7);
        else
            raster->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        raster->viewport()->repaint();
        QApplication::processEvents();
    }
    BenchZeile("auswahl_blaettern_beim_zaehlen_pause", s.Ende(), "ms");
}
