// Naming the other columns where many rows differ only there: 300,000 of a
// million, on the demo table (Ident its key) and on the same rows in a table
// as the sqlite3 program makes it (no key, no index).
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <ctime>
#include <functional>

#include <sqlite3.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "alarms/AlarmdefsZugriff.h"
#include "werkzeuge/Vergleich.h"

namespace {

bool Sql(const QString& datei, const char* sql) {
    sqlite3* s = nullptr;
    const bool ok = sqlite3_open(QFile::encodeName(datei).constData(), &s) == SQLITE_OK &&
                    sqlite3_exec(s, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(s);
    return ok;
}

double Uhr(clockid_t uhr) {
    timespec t{};
    clock_gettime(uhr, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall and processor time of f, in ms.
std::pair<double, double> Messen(const std::function<void()>& f) {
    const double wand = Uhr(CLOCK_MONOTONIC), rechnen = Uhr(CLOCK_PROCESS_CPUTIME_ID);
    f();
    return {Uhr(CLOCK_MONOTONIC) - wand, Uhr(CLOCK_PROCESS_CPUTIME_ID) - rechnen};
}

// The lines whose other columns differ, their names taken away again.
qsizetype Zuruecksetzen(Vergleichsergebnis& e) {
    qsizetype n = 0;
    for (Vergleichszeile& z : e.zeilen)
        if (!z.andereSpalten.isEmpty()) {
            z.andereSpalten = QStringList{QString()};
            ++n;
        }
    return n;
}

// The way before: every row through Qt's driver, the numbers written into
// the statement a thousand at a time, each value a variant.
void UeberQt(const QString& datei, const QList<qlonglong>& nummern) {
    {
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(datei, QStringLiteral("bench-andere"));
        QHash<qlonglong, AlarmListeTyp> zeilen;
        for (qsizetype von = 0; von < nummern.size(); von += 1000) {
            QStringList liste;
            for (qlonglong n : nummern.mid(von, 1000))
                liste << QString::number(n);
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(QStringLiteral("select %1 from Alarmdefs where Ident in (%2)")
                       .arg(AlarmdefsZugriff::SpaltenListe(db), liste.join(QLatin1Char(','))));
            while (q.next()) {
                QVariantList werte;
                for (int i = 0; i < AlarmFeld::Spalten; ++i)
                    werte << q.value(i);
                zeilen[werte.at(AlarmFeld::Ident).toLongLong()] << AlarmRecordBau::AusWerten(werte);
            }
        }
    }
    AlarmdefsZugriff::Schliessen(QStringLiteral("bench-andere"));
}

}  // namespace

void BenchAndereSpalten(const QString& arbeitsOrdner) {
    const QString projekt = GrosseDemo(arbeitsOrdner);
    if (projekt.isEmpty())
        return;
    const QString basis = DemoProjekt::Datenbank(projekt);
    const QString hier = arbeitsOrdner + QStringLiteral("/andere-hier.kvs"), dort = arbeitsOrdner + QStringLiteral("/andere-dort.kvs");
    QFile::remove(hier);
    QFile::remove(dort);
    if (!QFile::copy(basis, hier) || !QFile::copy(basis, dort) ||
        !Sql(dort, "update Alarmdefs set \"Priority\" = coalesce(\"Priority\", 0) + 1 where \"Ident\" % 10 < 3"))
        return;
    // the same rows in tables without a key, as the sqlite3 program makes them
    const QString hierOhne = arbeitsOrdner + QStringLiteral("/andere-hier-ohne.kvs"),
                  dortOhne = arbeitsOrdner + QStringLiteral("/andere-dort-ohne.kvs");
    for (const auto& [von, nach] : {std::pair{hier, hierOhne}, std::pair{dort, dortOhne}}) {
        QFile::remove(nach);
        const QByteArray sql = "attach '" + QFile::encodeName(von) +
                               "' as v; create table Alarmdefs as select * from v.Alarmdefs order by \"Ident\";";
        if (!Sql(nach, sql.constData()))
            return;
    }
    for (const auto& [name, h, d] : {std::tuple{"", hier, dort}, std::tuple{"_ohne_schluessel", hierOhne, dortOhne}}) {
        Vergleichsergebnis e;
        const auto [wand, rechnen] = Messen([&] { e = Vergleich::Vergleichen({h, d, {}}); });
        const std::string n = std::string("andere_spalten_1m") + name;
        BenchZeile(n + "_zeilen", static_cast<double>(e.Anzahl(Vergleichszeile::Art::AndereSpalten)), "alarme");
        BenchZeile(n + "_vergleich", wand, "ms");
        BenchZeile(n + "_vergleich_rechenzeit", rechnen, "ms");
        const qsizetype zeilen = Zuruecksetzen(e);
        const auto [benennen, benennenRechnen] = Messen([&] { Vergleich::AndereSpaltenBenennen(e); });
        BenchZeile(n + "_benennen_zeilen", static_cast<double>(zeilen), "alarme");
        BenchZeile(n + "_benennen", benennen, "ms");
        BenchZeile(n + "_benennen_rechenzeit", benennenRechnen, "ms");
        if (*name)
            continue;
        // the same rows through Qt's driver, both sides, as they were read before
        QList<qlonglong> nummern;
        for (const Vergleichszeile& z : std::as_const(e.zeilen))
            if (!z.andereSpalten.isEmpty())
                nummern << z.nummer;
        const auto [qt, qtRechnen] = Messen([&] {
            UeberQt(h, nummern);
            UeberQt(d, nummern);
        });
        BenchZeile(n + "_benennen_ueber_qt", qt, "ms");
        BenchZeile(n + "_benennen_ueber_qt_rechenzeit", qtRechnen, "ms");
        BenchZeile(n + "_benennen_zu_ueber_qt_rechenzeit", benennenRechnen / qtRechnen, "verhaeltnis");
    }
}
