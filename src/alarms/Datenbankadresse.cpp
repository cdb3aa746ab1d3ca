#include "alarms/Datenbankadresse.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

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

namespace {
// The parameters of a libpq address a user may set. Each is handed to the
// server connection as written, so an address never connects less safely than
// it asks (sslmode=require stays required); a password is never one of them.
const QStringList& ErlaubteParameter() {
    static const QStringList liste = {
        QStringLiteral("application_name"), QStringLiteral("channel_binding"), QStringLiteral("connect_timeout"),
        QStringLiteral("gssencmode"), QStringLiteral("host"), QStringLiteral("hostaddr"), QStringLiteral("keepalives"),
        QStringLiteral("keepalives_count"), QStringLiteral("keepalives_idle"), QStringLiteral("keepalives_interval"),
        QStringLiteral("options"), QStringLiteral("port"), QStringLiteral("sslcert"), QStringLiteral("sslcrl"),
        QStringLiteral("sslcrldir"), QStringLiteral("sslkey"), QStringLiteral("sslmode"), QStringLiteral("sslrootcert"),
        QStringLiteral("sslsni"), QStringLiteral("target_session_attrs"), QStringLiteral("tcp_user_timeout")};
    return liste;
}

// A value in the quotes of a libpq connection string.
QString InAnfuehrung(const QString& wert) {
    QString w = wert;
    w.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + w + QLatin1Char('\'');
}
}  // namespace

QString Datenbankadresse::OhnePasswort(const QString& uri) {
    // user:secret@host -> user@host, also where the address is too broken to be read
    static const QRegularExpression passwort(QStringLiteral("^([a-zA-Z]+://[^/@:?#]*):[^@/?#]*@"));
    QString t = uri;
    t.replace(passwort, QStringLiteral("\\1@"));
    static const QRegularExpression parameter(QStringLiteral("([?&]password=)[^&#]*"), QRegularExpression::CaseInsensitiveOption);
    t.replace(parameter, QStringLiteral("\\1***"));
    return t;
}

void Datenbankadresse::UriLesen(const QString& uri) {
    // The address is kept and shown only without a password.
    m_uri = OhnePasswort(uri);
    m_art = Art::Ungueltig;
    const QUrl url(uri, QUrl::StrictMode);
    const QUrlQuery abfrage(url);
    const bool socketOrdner = abfrage.hasQueryItem(QStringLiteral("host"));
    if (!url.isValid() || (url.host().isEmpty() && !socketOrdner)) {
        m_fehler = QStringLiteral("Die Serveradresse %1 ist ungültig; erwartet wird "
                                  "postgresql://benutzer@rechner:port/datenbank.").arg(m_uri);
        return;
    }
    if (!url.password().isEmpty() || abfrage.hasQueryItem(QStringLiteral("password"))) {
        m_fehler = QStringLiteral("Die Serveradresse %1 enthält ein Passwort. Das Passwort gehört nicht in die Adresse; "
                                  "es wird aus PGPASSWORD oder ~/.pgpass gelesen.")
                       .arg(m_uri);
        return;
    }
    QStringList optionen;
    for (const auto& [name, wert] : abfrage.queryItems(QUrl::FullyDecoded)) {
        if (!ErlaubteParameter().contains(name)) {
            m_fehler = QStringLiteral("Die Serveradresse %1 enthält den Parameter \"%2\", den Tavero nicht kennt; "
                                      "nichts wurde verbunden. Erlaubt sind: %3.")
                           .arg(m_uri, name, ErlaubteParameter().join(QStringLiteral(", ")));
            return;
        }
        // The driver separates its options by semicolons.
        if (wert.contains(QLatin1Char(';'))) {
            m_fehler = QStringLiteral("Der Parameter \"%1\" der Serveradresse %2 enthält ein Semikolon; "
                                      "das kann Tavero nicht weitergeben.").arg(name, m_uri);
            return;
        }
        optionen << name + QLatin1Char('=') + InAnfuehrung(wert);
    }
    m_optionen = optionen.join(QLatin1Char(';'));
    m_host = url.host();
    m_port = url.port(5432);
    m_datenbank = url.path().mid(1);
    m_benutzer = url.userName();
    if (m_datenbank.isEmpty() || m_datenbank.contains(QLatin1Char('/'))) {
        m_fehler = QStringLiteral("In der Serveradresse %1 fehlt der Name der Datenbank.").arg(m_uri);
        return;
    }
    m_art = Art::Server;
}
