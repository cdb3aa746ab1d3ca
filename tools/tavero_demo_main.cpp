// tavero-demo --out DIR [--alarms N] [--pictures P] [--seed S]
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "DemoProjekt.h"
#include "werkzeuge/Kopie.h"

namespace {
int Fehler(const QString& text) {
    std::fprintf(stderr, "tavero-demo: %s\n", text.toLocal8Bit().constData());
    return 2;
}
const char* const HILFE =
    "Aufruf: tavero-demo --out ORDNER [--alarms N] [--pictures P] [--seed S] [--postgres URI]\n"
    "Schreibt ein vollständiges Demo-Projekt: ORDNER/prefix (Wine-Prefix mit Registrierung,\n"
    "Korvant.ini, Projekt Demo mit Demo.kvs, Bildern und Symbolen) und Tavero/Tavero.ini\n"
    "neben dem Programm.\n"
    "--postgres URI schreibt die Tabelle Alarmdefs zusätzlich in die Serverdatenbank URI\n"
    "(postgresql://benutzer@rechner:port/datenbank, eine vorhandene Tabelle wird ersetzt);\n"
    "Demo.kvs ist dann eine Verweisdatei auf den Server, die Datei selbst heißt Demo-lokal.kvs.\n";
}  // namespace

int main(int argc, char** argv) {
    // pictures are drawn with fonts, which needs a GUI application but no display
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    DemoOptionen opt;
    QString server;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(HILFE, stdout);
            return 0;
        }
        if (a != QLatin1String("--out") && a != QLatin1String("--alarms") && a != QLatin1String("--pictures") &&
            a != QLatin1String("--seed") && a != QLatin1String("--postgres"))
            return Fehler(QStringLiteral("Unbekannte Angabe \"%1\".\n%2").arg(a, QString::fromUtf8(HILFE)));
        if (i + 1 >= args.size())
            return Fehler(QStringLiteral("Nach %1 fehlt der Wert.").arg(a));
        const QString wert = args[++i];
        if (a == QLatin1String("--out")) {
            opt.out = wert;
            continue;
        }
        if (a == QLatin1String("--postgres")) {
            server = wert;
            continue;
        }
        bool ok = false;
        const qlonglong n = wert.toLongLong(&ok);
        if (!ok || n < 0 || n > (a == QLatin1String("--seed") ? 0xFFFFFFFFLL : 100000000LL))
            return Fehler(QStringLiteral("Ungültiger Wert \"%1\" für %2.").arg(wert, a));
        if (a == QLatin1String("--alarms"))
            opt.alarms = static_cast<int>(n);
        else if (a == QLatin1String("--pictures"))
            opt.pictures = static_cast<int>(qMin<qlonglong>(n, 1000));
        else
            opt.seed = static_cast<unsigned>(n);
    }
    if (opt.out.isEmpty())
        return Fehler(QStringLiteral("Der Zielordner fehlt (--out ORDNER).\n%1").arg(QString::fromUtf8(HILFE)));
    QElapsedTimer uhr;
    uhr.start();
    QString fehler;
    if (!DemoProjekt::Erzeugen(opt, &fehler))
        return Fehler(fehler);
    if (!server.isEmpty()) {
        // The table goes to the server; the project's database becomes a link to it.
        const QString db = DemoProjekt::Datenbank(opt.out);
        const QString lokal = db.chopped(4) + QStringLiteral("-lokal.kvs");
        QFile::remove(lokal);
        if (!QFile::rename(db, lokal))
            return Fehler(QStringLiteral("Die Datei %1 lässt sich nicht umbenennen.").arg(db));
        const Kopie::Ergebnis e = Kopie::Kopieren(lokal, server, true);
        if (!e.kopiert)
            return Fehler(e.text + (e.detail.isEmpty() ? QString() : QLatin1Char('\n') + e.detail));
        QFile verweis(db);
        if (!verweis.open(QIODevice::WriteOnly) || verweis.write(server.toUtf8() + '\n') < 0)
            return Fehler(QStringLiteral("Die Verweisdatei %1 lässt sich nicht schreiben.").arg(db));
        std::printf("%s\n", e.text.toLocal8Bit().constData());
    }
    std::printf("Demo-Projekt mit %d Alarmen und %d Bildern in %s geschrieben (%.1f s).\n", opt.alarms, opt.pictures,
                DemoProjekt::Prefix(opt.out).toLocal8Bit().constData(), uhr.elapsed() / 1000.0);
    return 0;
}
