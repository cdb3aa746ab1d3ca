#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "shell/frmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavero"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavero"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));

    QStringList args = QApplication::arguments();
    args.removeFirst();
    if (args.contains(QStringLiteral("--help"))) {
        std::printf("Aufruf: tavero [PFAD]\n"
                    "  PFAD  Alarmdatenbank (.kvs); ohne Pfad wird ein Projekt ausgewählt.\n"
                    "  --help     diese Hilfe\n"
                    "  --version  Versionsnummer\n");
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("tavero %s\n", qPrintable(QApplication::applicationVersion()));
        return 0;
    }
    // The shell has already removed the quotes: the arguments joined by single
    // blanks are the path of the alarm database.
    const QString befehlszeile = args.join(QLatin1Char(' '));

    frmMain w;
    w.Laden(befehlszeile);
    w.show();
    return app.exec();
}
