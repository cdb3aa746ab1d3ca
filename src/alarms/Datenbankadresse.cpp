#include "alarms/Datenbankadresse.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/WinUmgebung.h"

bool Datenbankadresse::IstUri(const QString& text) {
    const QString t = text.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

Datenbankadresse::Datenbankadresse(const QString& sPfad) {
    if (IstUri(sPfad)) {
        UriLesen(sPfad.trimmed());
        return;
    }
    m_pfad = QString::fromStdString(WinUmgebung::PfadAbbilden(sPfad.toStdString()));
    // A link file: small, and its whole content one line with a server's address.
    const QFileInfo info(m_pfad);
    if (!info.isFile() || info.size() > 4096)
        return;
    QFile f(m_pfad);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QByteArray inhalt = f.readAll();
    if (inhalt.startsWith("\xEF\xBB\xBF"))
        inhalt.remove(0, 3);
    const QString text = QString::fromUtf8(inhalt).trimmed();
    if (IstUri(text) && !text.contains(QLatin1Char('\n')))
        UriLesen(text);
}

void Datenbankadresse::UriLesen(const QString& uri) {
    m_uri = uri;
    m_art = Art::Ungueltig;
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        m_fehler = QStringLiteral("Die Serveradresse %1 ist ungültig; erwartet wird "
                                  "postgresql://benutzer@rechner:port/datenbank.").arg(uri);
        return;
    }
    if (!url.password().isEmpty()) {
        m_fehler = QStringLiteral("Die Serveradresse %1 enthält ein Passwort. Das Passwort gehört nicht in die Adresse; "
                                  "es wird aus PGPASSWORD oder ~/.pgpass gelesen.")
                       .arg(url.toString(QUrl::RemovePassword));
        m_uri = url.toString(QUrl::RemovePassword);
        return;
    }
    m_host = url.host();
    m_port = url.port(5432);
    m_datenbank = url.path().mid(1);
    m_benutzer = url.userName();
    if (m_datenbank.isEmpty() || m_datenbank.contains(QLatin1Char('/'))) {
        m_fehler = QStringLiteral("In der Serveradresse %1 fehlt der Name der Datenbank.").arg(uri);
        return;
    }
    m_art = Art::Server;
}
