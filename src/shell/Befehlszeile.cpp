#include "shell/Befehlszeile.h"

Befehlszeile::Befehlszeile(const QStringList& argumente) {
    if (argumente.contains(QStringLiteral("--help")))
        m_Art = Art::Hilfe;
    else if (argumente.contains(QStringLiteral("--version")))
        m_Art = Art::Version;
    else
        m_Pfad = argumente.join(QLatin1Char(' '));
}

QString Befehlszeile::HilfeText() {
    return QStringLiteral("Aufruf: tavero [PFAD]\n"
                          "  PFAD  Alarmdatenbank (.kvs); ohne Pfad wird ein Projekt ausgewählt.\n"
                          "  --help     diese Hilfe\n"
                          "  --version  Versionsnummer\n");
}

QString Befehlszeile::VersionsText(const QString& version) { return QStringLiteral("tavero ") + version + QLatin1Char('\n'); }
