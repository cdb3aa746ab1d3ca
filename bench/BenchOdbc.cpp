// The selection grid on 100,000 rows read through ODBC (the SQLite3 ODBC
// driver on the demo file, standing in for an Access file): showing the first
// rows, going to the last row, paging through, sorting by a text column; each
// with the longest pause of the window meanwhile.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTableView>
#include <cstdio>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "GrosseDemo.h"
#include "Stillstand.h"
#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsModell.h"

namespace {
constexpr int kZeilen = 100000;
constexpr qint64 kHoechstensMs = 180000;

bool Gezeigt(const QAbstractItemModel* m, int zeile) {
    return zeile >= 0 && zeile < m->rowCount() && m->index(zeile, AlarmFeld::Ident).data().isValid();
}
}  // namespace

void BenchOdbc(const QString& arbeitsOrdner) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
        std::fprintf(stderr, "tavero-bench: kein ODBC-Treiber für Qt\n");
        return;
    }
    const QString datei = DemoDatenbank(arbeitsOrdner + QStringLiteral("/odbc-100k"), kZeilen);
    if (datei.isEmpty())
        return;
    const QString name = QStringLiteral("bench-odbc");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db.setDatabaseName(QStringLiteral("Driver=SQLite3;Database=") + datei);
        if (!db.open()) {
            std::fprintf(stderr, "tavero-bench: ODBC: %s\n", qPrintable(db.lastError().text()));
            return;
        }
        QTableView grid;
        grid.resize(900, 400);
        grid.show();
        QElapsedTimer t;
        t.start();
        Stillstand oeffnen;
        auto* modell = new AlarmdefsModell(&grid, db, datei);
        grid.setModel(modell);
        modell->AlleZeigen();
        while (!Gezeigt(modell, 0) && t.elapsed() < kHoechstensMs) {
            grid.viewport()->repaint();
            QApplication::processEvents();
        }
        BenchZeile("odbc_erste_zeilen_100k", t.nsecsElapsed() / 1e6, "ms");
        BenchZeile("odbc_erste_zeilen_pause_100k", oeffnen.Ende(), "ms");

        // To the last row, as a user drags the scroll bar to its end again and again.
        t.restart();
        Stillstand ende;
        while (t.elapsed() < kHoechstensMs) {
            grid.scrollToBottom();
            grid.viewport()->repaint();
            QApplication::processEvents();
            if (modell->rowCount() >= kZeilen && !modell->canFetchMore() && modell->AllesGelesen() &&
                Gezeigt(modell, modell->rowCount() - 1))
                break;
        }
        BenchZeile("odbc_bis_ende_100k", t.nsecsElapsed() / 1e6, "ms");
        BenchZeile("odbc_bis_ende_pause_100k", ende.Ende(), "ms");
        // of that pause, what the window's thread computed itself (the rest it waited for the processor)
        BenchZeile("odbc_bis_ende_pause_rechnend_100k", ende.PauseRechnend(), "ms");
        if (modell->rowCount() != kZeilen)
            std::fprintf(stderr, "tavero-bench: ODBC zeigt %d Zeilen statt %d\n", modell->rowCount(), kZeilen);

        // Paging up through rows already read: the time of one page.
        grid.scrollToTop();
        QApplication::processEvents();
        constexpr int Seiten = 200;
        t.restart();
        for (int i = 0; i < Seiten; ++i) {
            grid.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            grid.viewport()->repaint();
        }
        BenchZeile("odbc_seite_100k", t.nsecsElapsed() / 1e6 / Seiten, "ms");

        // Sorted by the text column until its first rows are shown.
        t.restart();
        Stillstand sortieren;
        modell->sort(AlarmFeld::Alarmtext, Qt::AscendingOrder);
        while (t.elapsed() < kHoechstensMs) {
            grid.scrollToTop();
            grid.viewport()->repaint();
            QApplication::processEvents();
            if (!modell->QuelleUnterwegs() && Gezeigt(modell, 0))
                break;
        }
        BenchZeile("odbc_sortieren_100k", t.nsecsElapsed() / 1e6, "ms");
        BenchZeile("odbc_sortieren_pause_100k", sortieren.Ende(), "ms");
        BenchZeile("odbc_sortieren_pause_rechnend_100k", sortieren.PauseRechnend(), "ms");
        grid.setModel(nullptr);
        delete modell;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
