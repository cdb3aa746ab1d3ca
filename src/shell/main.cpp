#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "shell/Anwendung.h"
#include "shell/Befehlszeile.h"
#include "shell/Uebersetzung.h"
#include "shell/Werkzeugbefehle.h"
#include "shell/frmMain.h"

namespace {
void Ausgeben(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    // Read before any window system is needed, so "--help", "--version" and
    // the tool commands also answer where no display is reachable.
    QStringList argumente;
    for (int i = 1; i < argc; ++i)
        argumente << QString::fromLocal8Bit(argv[i]);
    const Befehlszeile befehl(argumente);
    if (befehl.art() == Befehlszeile::Art::Hilfe) {
        Ausgeben(Befehlszeile::HilfeText());
        return 0;
    }
    if (befehl.art() == Befehlszeile::Art::Version) {
        Ausgeben(Befehlszeile::VersionsText(QString::fromLatin1(Anwendung::Version)));
        return 0;
    }
    if (befehl.art() == Befehlszeile::Art::Unbekannt) {
        std::fputs(QStringLiteral("tavero: Unbekannte Angabe \"%1\".\n").arg(befehl.unbekannt()).toUtf8().constData(),
                   stderr);
        std::fputs(Befehlszeile::HilfeText().toUtf8().constData(), stderr);
        return 2;
    }
    if (befehl.art() == Befehlszeile::Art::Werkzeug) {
        int qtArgc = 1;
        QCoreApplication app(qtArgc, argv);
        Anwendung::Einrichten();
        return Werkzeugbefehle::Ausfuehren(befehl.werkzeug(), befehl.werkzeugArgumente());
    }

    const QString ohneAnzeige = Befehlszeile::OhneAnzeige();
    if (!ohneAnzeige.isEmpty()) {
        std::fputs((QStringLiteral("tavero: ") + ohneAnzeige + QLatin1Char('\n')).toUtf8().constData(), stderr);
        return 2;
    }

    // Qt sees the program name only: it would take words such as "-style" or
    // "-reverse" out of the database path.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    Anwendung::Einrichten();
    // Without Qt's German files its dialogs speak English; nothing else changes.
    Uebersetzung::QtDeutschLaden(app);

    frmMain w;
    w.Laden(befehl.pfad());
    w.show();
    return app.exec();
}
