// Team mode against the PostgreSQL server named by PGHOST/PGPORT/PGUSER (the
// test script's throw-away cluster: pg_virtualenv tavero-bench server): one
// arrow write-back against the same conditional update through plain libpq,
// the grid opening a million rows against a hundred, and the time from a
// write in one client until the other client's arrow has moved.
#include <QEventLoop>
#include <QTimer>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <cstdio>
#include <ctime>
#include <string>
#include <memory>
#include <vector>

#include <libpq-fe.h>

#include "BenchAusgabe.h"
#include "Benchmarks.h"
#include "Warten.h"
#include "DemoProjekt.h"
#include "GrosseDemo.h"
#include "alarms/AlarmAuswahl.h"
#include "alarms/AlarmdefsModell.h"
#include "alarms/AlarmdefsSchreiber.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datendienst.h"
#include "alarms/Anzeigemodus.h"
#include "alarms/Dialoge.h"
#include "alarms/Serverdienst.h"
#include "alarms/frmAlarmAuswahl.h"
#include "editor/frmPicture.h"
#include "platform/WinUmgebung.h"
#include "shell/frmMain.h"
#include "werkzeuge/Kopie.h"

namespace {
QString Adresse(const QString& datenbank) {
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT", "5432"),
             datenbank);
}

// A fresh database on the server, through plain libpq.
bool Anlegen(const QString& datenbank) {
    PGconn* c = PQconnectdb("dbname=postgres");
    if (PQstatus(c) != CONNECTION_OK) {
        std::fprintf(stderr, "tavero-bench: %s", PQerrorMessage(c));
        PQfinish(c);
        return false;
    }
    PQclear(PQexec(c, ("drop database if exists " + datenbank.toStdString() + " with (force)").c_str()));
    PGresult* r = PQexec(c, ("create database " + datenbank.toStdString()).c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    PQfinish(c);
    return ok;
}

bool Fuellen(const QString& quelle, const QString& datenbank) {
    if (!Anlegen(datenbank))
        return false;
    const Kopie::Ergebnis e = Kopie::Kopieren(quelle, Adresse(datenbank), false);
    if (!e.kopiert)
        std::fprintf(stderr, "tavero-bench: %s %s\n", qPrintable(e.text), qPrintable(e.detail));
    // The server's own clean-up after a million new rows would otherwise run
    // during the measurements and take the two cores from them.
    PGconn* c = PQconnectdb(("dbname=" + datenbank.toStdString()).c_str());
    PQclear(PQexec(c, "vacuum analyze \"Alarmdefs\""));
    PQfinish(c);
    return e.kopiert;
}

// The alarms of one picture as the server holds them.
AlarmListeTyp Alarme(const QString& uri) {
    const auto liste = AlarmdefsZugriff::AlarmListeLesen(uri, QStringLiteral("Uebersicht"));
    return liste.value_or(AlarmListeTyp());
}

void Schreiben(const QString& uri, const AlarmListeTyp& alarme) {
    // Tavero: through the component's kept connection, one statement with its notification.
    AlarmAuswahl a;
    a.setAlarmDatenbank(uri);
    a.Server()->Verbinden();
    // libpq: the same conditional update on an open connection.
    PGconn* c = PQconnectdb(("dbname=" + uri.section(QLatin1Char('/'), -1).toStdString()).c_str());
    PQclear(PQprepare(c, "pfeil",
                      "update \"Alarmdefs\" set \"X\" = $1::int, \"Y\" = $2::int where ctid = (select ctid from "
                      "\"Alarmdefs\" where \"Ident\" = $3::int and coalesce(\"X\"::text, '') = $4 and "
                      "coalesce(\"Y\"::text, '') = $5 order by ctid limit 1)",
                      5, nullptr));
    // Where the difference lies: the write path alone (without what the
    // component tells afterwards), and libpq's update sent through Qt's driver.
    QSqlDatabase qt = QSqlDatabase::cloneDatabase(a.Server()->Verbindung(), QStringLiteral("bench-qt-update"));
    qt.open();
    QSqlQuery qtUpdate(qt);
    qtUpdate.prepare(QStringLiteral("update \"Alarmdefs\" set \"X\" = ?::int, \"Y\" = ?::int where ctid = (select ctid from "
                                    "\"Alarmdefs\" where \"Ident\" = ?::int and coalesce(\"X\"::text, '') = ? and "
                                    "coalesce(\"Y\"::text, '') = ? order by ctid limit 1)"));
    // Tavero's own statement, as it prepared it on its connection, sent through
    // plain libpq: what the server spends on it apart from the client's part.
    QString eigeneSql;
    // The same writer on a connection of its own that listens for nothing:
    // what listening on the writing connection costs.
    QSqlDatabase stumm = QSqlDatabase::cloneDatabase(a.Server()->Verbindung(), QStringLiteral("bench-stumm"));
    stumm.open();
    QSqlQuery(stumm).exec(QStringLiteral("set statement_timeout = %1").arg(AlarmdefsZugriff::WarteAufSperreMs));
    auto stummSchreiber = std::make_unique<AlarmdefsSchreiber>(stumm, uri);
    std::vector<double> tavero, libpq, schreiber, ueberQt, eigeneAnweisung, ueberDienst, ohneLauschen;
    // The way a drag in the window writes: through the database's worker, the
    // answer taken as the window takes one that comes within its wait.
    Datendienst dienst(uri);
    // Several rounds over the same rows in one run, each against its own
    // baseline, so a busy machine shows as spread rather than as a ratio.
    AlarmListeTyp stand = alarme;
    QElapsedTimer t;
    constexpr int Zeilen = 7;  // rows written per turn, one for each way
    const int laeufe = std::min<int>(400, static_cast<int>(alarme.size() / Zeilen));
    constexpr int Runden = 3;
    for (int runde = 0; runde < Runden; ++runde) {
        std::vector<double> taveroRunde, libpqRunde;
        for (int i = 0; i < laeufe; ++i) {
            const int x0 = 300 + i + 1000 * runde, y0 = 200 + i + 1000 * runde;
            AlarmRecord& r = stand[Zeilen * i];
            Schreibauftrag auftrag;
            auftrag.ident = r.at(AlarmFeld::Ident);
            auftrag.spalten = {AlarmFeld::X, AlarmFeld::Y};
            auftrag.werte = {x0, y0};
            auftrag.gelesen = r;
            t.start();
            const Schreibergebnis se = a.ZeileSchreiben(auftrag, {});
            const bool ok = se.geschrieben();
            taveroRunde.push_back(t.nsecsElapsed() / 1e6);
            if (!ok)
                std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(se.text));
            else
                r = se.zeile;
            AlarmRecord& s = stand[Zeilen * i + 1];
            const std::string x = std::to_string(x0), y = std::to_string(y0), id = s.at(AlarmFeld::Ident).toStdString(),
                              altX = s.at(AlarmFeld::X).toStdString(), altY = s.at(AlarmFeld::Y).toStdString();
            const char* werte[5] = {x.c_str(), y.c_str(), id.c_str(), altX.c_str(), altY.c_str()};
            t.start();
            PGresult* res = PQexecPrepared(c, "pfeil", 5, werte, nullptr, nullptr, 0);
            libpqRunde.push_back(t.nsecsElapsed() / 1e6);
            if (!ok || std::string(PQcmdTuples(res)) != "1")
                std::fprintf(stderr, "tavero-bench: Schreiben von %s (%d) oder %s (%s) ging nicht\n", qPrintable(auftrag.ident),
                             ok, id.c_str(), PQcmdTuples(res));
            PQclear(res);
            s[AlarmFeld::X] = QString::number(x0);
            s[AlarmFeld::Y] = QString::number(y0);
            AlarmRecord& w = stand[Zeilen * i + 2];
            Schreibauftrag nurSchreiber = auftrag;
            nurSchreiber.ident = w.at(AlarmFeld::Ident);
            nurSchreiber.gelesen = w;
            t.start();
            const Schreibergebnis sw = a.Server()->Schreiber().Einzeln(nurSchreiber);
            schreiber.push_back(t.nsecsElapsed() / 1e6);
            if (sw.geschrieben())
                w = sw.zeile;
            AlarmRecord& o = stand[Zeilen * i + 6];
            Schreibauftrag stummAuftrag = auftrag;
            stummAuftrag.ident = o.at(AlarmFeld::Ident);
            stummAuftrag.gelesen = o;
            t.start();
            const Schreibergebnis so = stummSchreiber->Einzeln(stummAuftrag);
            ohneLauschen.push_back(t.nsecsElapsed() / 1e6);
            if (so.geschrieben())
                o = so.zeile;
            else
                std::fprintf(stderr, "tavero-bench: Schreiben ohne Lauschen ging nicht: %s\n", qPrintable(so.text));
            AlarmRecord& u = stand[Zeilen * i + 3];
            t.start();
            for (const QString& v : {QString::number(x0), QString::number(y0), u.at(AlarmFeld::Ident), u.at(AlarmFeld::X),
                                     u.at(AlarmFeld::Y)})
                qtUpdate.addBindValue(v.isNull() ? QStringLiteral("") : v);
            const bool qtOk = qtUpdate.exec() && qtUpdate.numRowsAffected() == 1;
            ueberQt.push_back(t.nsecsElapsed() / 1e6);
            u[AlarmFeld::X] = QString::number(x0);
            u[AlarmFeld::Y] = QString::number(y0);
            if (!sw.geschrieben() || !qtOk)
                std::fprintf(stderr, "tavero-bench: Vergleichsschreiben ging nicht (%d, %d)\n", sw.geschrieben(), qtOk);
            if (eigeneSql.isEmpty()) {
                QSqlQuery q(a.Server()->Verbindung());
                if (q.exec(QStringLiteral("select statement from pg_prepared_statements where name like 'tavero_schreiben_%' "
                                          "and statement like '%count(*) over ()%' order by prepare_time desc limit 1")) &&
                    q.next()) {
                    eigeneSql = q.value(0).toString();
                    PQclear(PQprepare(c, "eigene", eigeneSql.toUtf8().constData(), 0, nullptr));
                }
            }
            if (!eigeneSql.isEmpty()) {
                // the number, the new values, those as read of the columns compared (the written ones, picture, symbol)
                AlarmRecord& e = stand[Zeilen * i + 4];
                std::vector<std::string> texte{e.at(AlarmFeld::Ident).toStdString(), std::to_string(x0), std::to_string(y0)};
                for (int spalte : {int(AlarmFeld::X), int(AlarmFeld::Y), int(AlarmFeld::Form), int(AlarmFeld::Symbol)})
                    texte.push_back(e.at(spalte).toStdString());
                std::vector<const char*> zeiger;
                for (const std::string& text : texte)
                    zeiger.push_back(text.c_str());
                t.start();
                PGresult* res = PQexecPrepared(c, "eigene", static_cast<int>(zeiger.size()), zeiger.data(), nullptr, nullptr, 0);
                eigeneAnweisung.push_back(t.nsecsElapsed() / 1e6);
                if (PQresultStatus(res) != PGRES_TUPLES_OK || PQntuples(res) < 1 || std::string(PQgetvalue(res, 0, 1)) != "1")
                    std::fprintf(stderr, "tavero-bench: die eigene Anweisung schrieb %s nicht: %s\n", texte.front().c_str(),
                                 PQresultErrorMessage(res));
                PQclear(res);
                e[AlarmFeld::X] = QString::number(x0);
                e[AlarmFeld::Y] = QString::number(y0);
            }
            AlarmRecord& d = stand[Zeilen * i + 5];
            Schreibauftrag ueberWorker = auftrag;
            ueberWorker.ident = d.at(AlarmFeld::Ident);
            ueberWorker.gelesen = d;
            t.start();
            const auto antwort = dienst.Abwarten(dienst.Schreiben(ueberWorker), 10000);
            ueberDienst.push_back(t.nsecsElapsed() / 1e6);
            if (antwort && antwort->ergebnis.geschrieben())
                d = antwort->ergebnis.zeile;
            else
                std::fprintf(stderr, "tavero-bench: Schreiben über den Datendienst ging nicht: %s\n",
                             antwort ? qPrintable(antwort->ergebnis.text) : "keine Antwort");
        }
        BenchZeile(("server_pfeil_verhaeltnis_runde" + std::to_string(runde + 1)).c_str(),
                   Median(taveroRunde) / Median(libpqRunde), "x");
        tavero.insert(tavero.end(), taveroRunde.begin(), taveroRunde.end());
        libpq.insert(libpq.end(), libpqRunde.begin(), libpqRunde.end());
    }
    stummSchreiber.reset();
    stumm.close();
    stumm = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench-stumm"));
    qtUpdate = QSqlQuery();
    qt.close();
    qt = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench-qt-update"));
    PQfinish(c);
    BenchZeile("server_pfeil_tavero", Median(tavero), "ms");
    BenchZeile("server_pfeil_libpq", Median(libpq), "ms");
    BenchZeile("server_pfeil_verhaeltnis", Median(tavero) / Median(libpq), "x");
    BenchZeile("server_pfeil_schreibweg", Median(schreiber), "ms");
    BenchZeile("server_pfeil_schreibweg_ohne_lauschen", Median(ohneLauschen), "ms");
    BenchZeile("server_pfeil_schreibweg_lauschen_verhaeltnis", Median(schreiber) / Median(ohneLauschen), "x");
    BenchZeile("server_pfeil_libpq_update_ueber_qt", Median(ueberQt), "ms");
    BenchZeile("server_pfeil_ueber_dienst", Median(ueberDienst), "ms");
    BenchZeile("server_pfeil_ueber_dienst_verhaeltnis", Median(ueberDienst) / Median(libpq), "x");
    if (!eigeneAnweisung.empty()) {
        BenchZeile("server_pfeil_eigene_anweisung_libpq", Median(eigeneAnweisung), "ms");
        BenchZeile("server_pfeil_eigene_anweisung_verhaeltnis", Median(eigeneAnweisung) / Median(libpq), "x");
    }
}

// The same arrow write on a table psql made in a layout of its own (the
// number as text, the columns in another order, no notifying trigger), against
// the same conditional update through plain libpq, the two taken in turn.
void SchreibenPsqlTabelle(const QString& datenbank) {
    if (!Anlegen(datenbank))
        return;
    QProcess psql;
    psql.start(QStringLiteral("psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-d"), datenbank, QStringLiteral("-c"),
                QStringLiteral("create table \"Alarmdefs\" (\"Symbol\" varchar(120), \"Y\" integer, \"Alarmtext\" text, "
                               "\"Ident\" text primary key, \"X\" integer, \"Form\" text, \"Type\" integer, "
                               "\"Acknowledge\" integer, \"VarName\" text, \"BitNo\" integer, \"Min\" text, \"Max\" text, "
                               "\"Priority\" integer, \"Group\" integer, \"Helpindex\" integer, \"Sensor1\" integer, "
                               "\"Sensor2\" integer, \"Fault\" integer, \"Bemerkung\" text); "
                               "insert into \"Alarmdefs\" (\"Ident\", \"Form\", \"X\", \"Y\", \"Symbol\", \"Alarmtext\", \"Priority\") "
                               "select (100000 + i)::text, case when i % 50 = 0 then 'Uebersicht' else 'Bild' || (i % 40) end, "
                               "i % 1000, i % 700, 'Standard\\PfeilGruen.gif', 'Meldung ' || i, i % 4 "
                               "from generate_series(1, 200000) i"),
                QStringLiteral("-c"), QStringLiteral("vacuum analyze \"Alarmdefs\"")});
    if (!psql.waitForFinished(300000) || psql.exitCode() != 0) {
        std::fprintf(stderr, "tavero-bench: psql: %s\n", psql.readAllStandardError().constData());
        return;
    }
    const QString uri = Adresse(datenbank);
    AlarmListeTyp alarme = Alarme(uri);
    AlarmAuswahl a;
    a.setAlarmDatenbank(uri);
    a.Server()->Verbinden();
    PGconn* c = PQconnectdb(("dbname=" + datenbank.toStdString()).c_str());
    PQclear(PQprepare(c, "pfeil",
                      "update \"Alarmdefs\" set \"X\" = $1::int, \"Y\" = $2::int where ctid = (select ctid from "
                      "\"Alarmdefs\" where \"Ident\" = $3 and coalesce(\"X\"::text, '') = $4 and "
                      "coalesce(\"Y\"::text, '') = $5 order by ctid limit 1)",
                      5, nullptr));
    std::vector<double> tavero, libpq;
    QElapsedTimer t;
    const int laeufe = std::min<int>(400, static_cast<int>(alarme.size() / 2));
    for (int i = 0; i < laeufe; ++i) {
        const int x0 = 3000 + i, y0 = 2000 + i;
        for (int seite = 0; seite < 2; ++seite) {
            AlarmRecord& r = alarme[2 * i + seite];
            if ((seite + i) % 2 == 0) {
                Schreibauftrag auftrag;
                auftrag.ident = r.at(AlarmFeld::Ident);
                auftrag.spalten = {AlarmFeld::X, AlarmFeld::Y};
                auftrag.werte = {x0, y0};
                auftrag.gelesen = r;
                t.start();
                const Schreibergebnis se = a.ZeileSchreiben(auftrag, {});
                tavero.push_back(t.nsecsElapsed() / 1e6);
                if (!se.geschrieben())
                    std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(se.text));
            } else {
                const std::string x = std::to_string(x0), y = std::to_string(y0), id = r.at(AlarmFeld::Ident).toStdString(),
                                  altX = r.at(AlarmFeld::X).toStdString(), altY = r.at(AlarmFeld::Y).toStdString();
                const char* werte[5] = {x.c_str(), y.c_str(), id.c_str(), altX.c_str(), altY.c_str()};
                t.start();
                PGresult* res = PQexecPrepared(c, "pfeil", 5, werte, nullptr, nullptr, 0);
                libpq.push_back(t.nsecsElapsed() / 1e6);
                if (std::string(PQcmdTuples(res)) != "1")
                    std::fprintf(stderr, "tavero-bench: libpq schrieb %s nicht\n", id.c_str());
                PQclear(res);
            }
        }
    }
    PQfinish(c);
    if (tavero.empty() || libpq.empty())
        return;
    BenchZeile("server_pfeil_psql_tabelle_tavero", Median(tavero), "ms");
    BenchZeile("server_pfeil_psql_tabelle_libpq", Median(libpq), "ms");
    BenchZeile("server_pfeil_psql_tabelle_verhaeltnis", Median(tavero) / Median(libpq), "x");
}

// From AuswahlShow until the grid holds its first rows, for a fresh component;
// prozessor: this program's processor time meanwhile (every thread), median too.
double Oeffnen(const QString& uri, double* prozessor = nullptr) {
    std::vector<double> zeiten, cpu;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        const std::clock_t c = std::clock();
        AlarmAuswahl a;
        a.setAlarmDatenbank(uri);
        a.setAlarmBilderListe({QStringLiteral("Uebersicht.bmp")});
        a.AuswahlShow();
        AlarmdefsModell* m = a.Fenster()->dbAlarme;
        // The rows come from the grid's service: until they are there.
        auto gefuellt = [m] { return m && m->rowCount() > 0 && m->index(0, 10).data().isValid(); };
        if (!gefuellt())
            Warten(gefuellt, 10000);
        if (!gefuellt())
            std::fprintf(stderr, "tavero-bench: das Raster von %s blieb leer\n", qPrintable(uri));
        zeiten.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(1000.0 * static_cast<double>(std::clock() - c) / CLOCKS_PER_SEC);
    }
    if (prozessor)
        *prozessor = Median(cpu);
    return Median(zeiten);
}

// Client B writes, client A's picture window shows the arrow where B put it.
void Benachrichtigung(const QString& uri, const AlarmListeTyp& alarme, const QString& programmOrdner) {
    WinUmgebung::ProgrammOrdnerSetzen(programmOrdner.toStdString());
    frmMain a;
    a.resize(1200, 900);
    a.show();
    a.Laden(uri);
    // An alarm the write-back above left alone.
    const AlarmRecord r = alarme.last();
    const bool gezeigt = a.mgobjAuswahl()->Fenster()->AlarmZeigen(r.at(AlarmFeld::Ident));
    // The pick is done when its alarm list has come from the worker.
    Warten([&a] { return !a.mgobjAuswahl()->Fenster()->WahlUnterwegs(); }, 10000);
    if (!gezeigt || !a.BildfensterFallsDa()) {
        std::fprintf(stderr, "tavero-bench: Alarm %s lässt sich nicht wählen: %s\n", qPrintable(r.at(AlarmFeld::Ident)),
                     qPrintable(a.StatusTextLesen(1)));
        return;
    }
    frmPicture* bild = a.BildfensterFallsDa();
    AlarmAuswahl b;
    b.setAlarmDatenbank(uri);
    b.Server()->Verbinden();
    AlarmRecord gelesen = r;
    std::vector<double> zeiten;
    QElapsedTimer t;
    for (int i = 0; i < 50; ++i) {
        Schreibauftrag auftrag;
        auftrag.ident = r.at(AlarmFeld::Ident);
        auftrag.spalten = {AlarmFeld::X, AlarmFeld::Y};
        auftrag.werte = {100 + i, 50 + i};
        auftrag.gelesen = gelesen;
        t.start();
        const Schreibergebnis e = b.ZeileSchreiben(auftrag, {});
        if (!e.geschrieben()) {
            std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(e.text));
            break;
        }
        gelesen = e.zeile;
        while (bild->imgPfeil(1).Left != 100 + i && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        zeiten.push_back(t.nsecsElapsed() / 1e6);
    }
    if (zeiten.empty())
        return;
    BenchZeile("server_benachrichtigung_median", Median(zeiten), "ms");
    BenchZeile("server_benachrichtigung_hoechstens", *std::max_element(zeiten.begin(), zeiten.end()), "ms");
    BenchZeile("server_benachrichtigung_laeufe", static_cast<double>(zeiten.size()), "runs");

    // B writes twenty thousand rows in one go: how long A is busy taking in
    // the notes, against B's write itself.
    QList<Schreibauftrag> viele;
    for (int i = 1; i <= 20000; ++i) {
        Schreibauftrag auftrag;
        auftrag.ident = QString::number(i);
        auftrag.spalten = {15};
        auftrag.werte = {i % 97};
        viele << auftrag;
    }
    qint64 letzteMeldung = 0;
    int gemeldet = 0;
    QElapsedTimer uhr;
    uhr.start();
    QObject::connect(a.mgobjAuswahl(), &AlarmAuswahl::ZeilenGeaendert, &a, [&](const QList<Zeilenstand>& staende) {
        gemeldet += static_cast<int>(staende.size());
        letzteMeldung = uhr.nsecsElapsed();
    });
    t.start();
    const bool ok = b.ZeilenSchreiben(viele, {}).geschrieben;
    const double schreiben = t.nsecsElapsed() / 1e6;
    const qint64 ende = uhr.nsecsElapsed();
    letzteMeldung = ende;
    while (ok && gemeldet < viele.size() && uhr.nsecsElapsed() - letzteMeldung < 5'000'000'000LL)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    if (!ok || gemeldet < viele.size())
        std::fprintf(stderr, "tavero-bench: %d von %lld Zeilen gemeldet\n", gemeldet, static_cast<long long>(viele.size()));
    BenchZeile("server_viele_zeilen", static_cast<double>(viele.size()), "rows");
    BenchZeile("server_viele_schreiben", schreiben, "ms");
    BenchZeile("server_viele_gemeldet", (letzteMeldung - ende) / 1e6, "ms");
    BenchZeile("server_viele_verhaeltnis", (letzteMeldung - ende) / 1e6 / schreiben, "x");
    WinUmgebung::ProgrammOrdnerSetzen(std::string());
}
}  // namespace

void BenchServer(const QString& arbeitsOrdner, bool nurPfeil) {
    if (qEnvironmentVariableIsEmpty("PGHOST") || !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        std::fprintf(stderr, "tavero-bench: kein Datenbankserver (PGHOST); Bereich server übersprungen\n");
        return;
    }
    const QString gross = GrosseDemo(arbeitsOrdner);
    const QString klein = arbeitsOrdner + QStringLiteral("/server-klein");
    DemoOptionen opt;
    opt.out = klein;
    opt.alarms = 100;
    opt.pictures = 2;
    opt.programmOrdner = klein + QStringLiteral("/bin");
    opt.bilderZeichnen = false;
    if (gross.isEmpty() || !DemoProjekt::Erzeugen(opt))
        return;
    QElapsedTimer t;
    t.start();
    if (!Fuellen(DemoProjekt::Datenbank(gross), QStringLiteral("tavero_bench_gross")) ||
        !Fuellen(DemoProjekt::Datenbank(klein), QStringLiteral("tavero_bench_klein")))
        return;
    BenchZeile("server_kopie_1000100_zeilen", t.nsecsElapsed() / 1e9, "s");
    const QString uriGross = Adresse(QStringLiteral("tavero_bench_gross"));
    const QString uriKlein = Adresse(QStringLiteral("tavero_bench_klein"));
    qputenv("WINEPREFIX", QFile::encodeName(DemoProjekt::Prefix(gross)));
    const AlarmListeTyp alarme = Alarme(uriGross);
    if (alarme.size() < 100)
        return;
    Schreiben(uriGross, alarme);
    SchreibenPsqlTabelle(QStringLiteral("tavero_bench_psql"));
    if (nurPfeil)
        return;
    gSingleMode = WAHR;
    Benachrichtigung(uriGross, alarme, gross + QStringLiteral("/bin"));
    gSingleMode = FALSCH;
    // Last: the grids opened here go on reading their tables in the background
    // once their first rows are there, which would weigh on the figures above.
    double cpuGross = 0, cpuKlein = 0;
    const double offenGross = Oeffnen(uriGross, &cpuGross), offenKlein = Oeffnen(uriKlein, &cpuKlein);
    BenchZeile("server_raster_oeffnen_1000000", offenGross, "ms");
    BenchZeile("server_raster_oeffnen_100", offenKlein, "ms");
    BenchZeile("server_raster_oeffnen_verhaeltnis", offenGross / offenKlein, "x");
    BenchZeile("server_raster_oeffnen_prozessorzeit_1000000", cpuGross, "ms");
    BenchZeile("server_raster_oeffnen_prozessorzeit_100", cpuKlein, "ms");
}
