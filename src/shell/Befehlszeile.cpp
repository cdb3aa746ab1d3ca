#include "shell/Befehlszeile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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
        // a known command behind a path is part of the path, as it always was
        for (const QString& a : argumente)
            if (a.startsWith(QLatin1String("--")) && !Werkzeugbefehle::Bekannt(a) && m_Unbekannt.isEmpty())
                m_Unbekannt = a;
        if (!m_Unbekannt.isEmpty())
            m_Art = Art::Unbekannt;
        else
            m_Pfad = argumente.join(QLatin1Char(' '));
    }
}

QString Befehlszeile::OhneAnzeige() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return {};
#else
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    const QString anzeige = qEnvironmentVariable("DISPLAY");
    const QString rat = QStringLiteral(" Ohne Anzeige laufen die Befehle --pruefbericht, --export, --import und "
                                       "--vorschlaege; das Fenster startet auch unter xvfb-run tavero ….");
    if (anzeige.isEmpty())
        return QStringLiteral("Keine Anzeige: DISPLAY ist nicht gesetzt, das Fenster lässt sich nicht zeigen.") + rat;
    // A local display (":0", "unix:0") is a socket of the X server; without it Qt would abort.
    static const QRegularExpression lokal(QStringLiteral("^(unix)?:(\\d+)(\\.\\d+)?$"));
    const auto m = lokal.match(anzeige);
    if (m.hasMatch() && !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + m.captured(2)))
        return QStringLiteral("Keine Anzeige: unter DISPLAY=%1 läuft kein X-Server, das Fenster lässt sich nicht zeigen.")
                   .arg(anzeige) +
               rat;
    return {};
#endif
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
