#include "shell/Befehlszeile.h"

#include "shell/Werkzeugbefehle.h"

Befehlszeile::Befehlszeile(const QStringList& argumente) {
    if (argumente.contains(QStringLiteral("--help"))) {
        m_Art = Art::Hilfe;
    } else if (argumente.contains(QStringLiteral("--version"))) {
        m_Art = Art::Version;
    } else if (!argumente.isEmpty() && Werkzeugbefehle::Bekannt(argumente.first())) {
        m_Art = Art::Werkzeug;
        m_Werkzeug = argumente.first();
        m_Argumente = argumente.mid(1);
    } else {
        m_Pfad = argumente.join(QLatin1Char(' '));
    }
}

QString Befehlszeile::HilfeText() {
    return QStringLiteral("Aufruf: tavero [PFAD]\n"
                          "  PFAD  Alarmdatenbank (.kvs); ohne Pfad wird ein Projekt ausgewählt.\n"
                          "  --help     diese Hilfe\n"
                          "  --version  Versionsnummer\n"
                          "Ohne Fenster:\n") +
           Werkzeugbefehle::Hilfe() +
           QStringLiteral("  Tavero.ini wird ohne --ini im Ordner Tavero neben dem Programm gesucht.\n");
}

QString Befehlszeile::VersionsText(const QString& version) { return QStringLiteral("tavero ") + version + QLatin1Char('\n'); }
