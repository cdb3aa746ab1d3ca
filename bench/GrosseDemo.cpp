#include "GrosseDemo.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sqlite3.h>

#include "DemoProjekt.h"

QString GrosseDemo(const QString& arbeitsOrdner) {
    static QString gemacht;
    const QString out = arbeitsOrdner + QStringLiteral("/grosse-demo");
    if (gemacht == out)
        return out;
    DemoOptionen opt;
    opt.out = out;
    opt.alarms = kGrosseDemoAlarme;
    opt.pictures = kGrosseDemoBilder;
    opt.programmOrdner = out + QStringLiteral("/bin");
    opt.bilderZeichnen = false;
    QString fehler;
    if (!DemoProjekt::Erzeugen(opt, &fehler)) {
        std::fprintf(stderr, "tavero-bench: %s\n", qPrintable(fehler));
        return {};
    }
    gemacht = out;
    return out;
}

double Median(std::vector<double> werte) {
    std::sort(werte.begin(), werte.end());
    const std::size_t n = werte.size();
    return n % 2 ? werte[n / 2] : (werte[n / 2 - 1] + werte[n / 2]) / 2;
}


std::pair<std::string, int> BildMitZehntausend(const QString& db) {
    sqlite3* s = nullptr;
    std::pair<std::string, int> bestes{"", 0};
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &s, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s, "select \"Form\", count(*) from Alarmdefs where \"Form\" is not null group by \"Form\"",
                           -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const int n = sqlite3_column_int(st, 1);
            if (bestes.first.empty() || std::abs(n - 10000) < std::abs(bestes.second - 10000))
                bestes = {reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), n};
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(s);
    return bestes;
}


std::size_t ListeDirekt(const QByteArray& datei, const std::string& form) {
    sqlite3* s = nullptr;
    sqlite3_open_v2(datei.constData(), &s, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(s, "select * from Alarmdefs where \"Form\" = ?", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, form.c_str(), static_cast<int>(form.size()), SQLITE_STATIC);
    std::vector<std::vector<std::string>> liste;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> rec(19);
        for (int i = 0; i < 18; ++i) {
            const unsigned char* t = sqlite3_column_text(st, i);
            if (t)
                rec[static_cast<std::size_t>(i)].assign(reinterpret_cast<const char*>(t),
                                                        static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
        }
        std::string& symbol = rec[12];
        const auto pos = symbol.find_last_of('\\');
        if (pos != std::string::npos)
            symbol.erase(0, pos + 1);
        liste.push_back(std::move(rec));
    }
    sqlite3_finalize(st);
    sqlite3_close(s);
    return liste.size();
}

QString DemoDatenbank(const QString& ordner, int alarme) {
    DemoOptionen opt;
    opt.out = ordner;
    opt.alarms = alarme;
    opt.pictures = 6;
    opt.bilderZeichnen = false;
    opt.programmOrdner = ordner;
    QString fehler;
    if (!DemoProjekt::Erzeugen(opt, &fehler)) {
        std::fprintf(stderr, "%s\n", qPrintable(fehler));
        return {};
    }
    return DemoProjekt::Datenbank(ordner);
}
