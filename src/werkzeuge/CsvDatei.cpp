#include "werkzeuge/CsvDatei.h"

#include <QFile>
#include <QStringDecoder>
#include <cstring>

#include "platform/Cp1252.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/DateiFehler.h"

namespace {
QString Entschluesseln(const QByteArray& daten, CsvDatei::Kodierung* kodierung) {
    static const char marke[] = "\xEF\xBB\xBF";
    if (daten.startsWith(marke)) {
        *kodierung = CsvDatei::Kodierung::Utf8MitMarke;
        return QString::fromUtf8(daten.constData() + 3, daten.size() - 3);
    }
    // Text that is valid UTF-8 is taken as such: Windows-1252 umlauts never
    // form valid UTF-8 sequences in real texts.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(daten);
    if (!utf8.hasError()) {
        *kodierung = CsvDatei::Kodierung::Utf8;
        return text;
    }
    *kodierung = CsvDatei::Kodierung::Windows1252;
    return QString::fromStdString(Cp1252::ZuUtf8(daten.toStdString()));
}

// The separator the first line uses outside quotes; a semicolon where it has as
// many as commas (a one-column file has neither).
QChar TrennerFinden(const QString& text) {
    int semikolon = 0, komma = 0;
    bool zitiert = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            zitiert = !zitiert;
        else if (zitiert)
            continue;
        else if (c == QLatin1Char(';'))
            ++semikolon;
        else if (c == QLatin1Char(','))
            ++komma;
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            break;
    }
    return komma > semikolon ? QLatin1Char(',') : QLatin1Char(';');
}
}  // namespace

CsvDatei::Inhalt CsvDatei::Lesen(const QByteArray& daten, const QString& sName) {
    Inhalt inhalt;
    const QString text = Entschluesseln(daten, &inhalt.kodierung);
    const QChar trenner = TrennerFinden(text);
    inhalt.trenner = trenner;

    Satz satz;
    satz.zeile = 1;
    QString feld;
    bool zitiert = false;       // inside quotes
    bool warZitiert = false;    // the field began with a quote
    int zeile = 1;
    int zitatZeile = 0;
    auto feldEnde = [&] {
        satz.felder << feld;
        feld.clear();
        warZitiert = false;
    };
    auto satzEnde = [&] {
        feldEnde();
        bool leer = true;
        for (const QString& f : std::as_const(satz.felder))
            leer = leer && f.isEmpty();
        if (!leer)
            inhalt.saetze << satz;
        satz.felder.clear();
        satz.zeile = ++zeile;
    };
    const QChar* p = text.constData();
    const QChar* const ende = p + text.size();
    while (p < ende) {
        const QChar c = *p++;
        if (zitiert) {
            if (c == QLatin1Char('"')) {
                if (p < ende && *p == QLatin1Char('"')) {
                    feld += QLatin1Char('"');
                    ++p;
                } else {
                    zitiert = false;
                }
            } else {
                feld += c;
            }
        } else if (c == trenner) {
            feldEnde();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && p < ende && *p == QLatin1Char('\n'))
                ++p;
            satzEnde();
        } else if (c == QLatin1Char('"') && feld.isEmpty() && !warZitiert) {
            zitiert = true;
            warZitiert = true;
            zitatZeile = zeile;
        } else {
            // a quote inside an unquoted field, or text after a closing quote, is
            // taken as it stands, as Excel does
            feld += c;
        }
    }
    if (zitiert)
        throw DateiFehler(QStringLiteral("In %1 ist ein Anführungszeichen aus Zeile %2 nicht geschlossen.")
                              .arg(sName)
                              .arg(zitatZeile));
    // a last line without line end
    if (!feld.isEmpty() || warZitiert || !satz.felder.isEmpty())
        satzEnde();
    return inhalt;
}

CsvDatei::Inhalt CsvDatei::DateiLesen(const QString& sDatei) {
    QFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatei.toStdString())));
    if (!f.open(QIODevice::ReadOnly))
        throw DateiFehler(QStringLiteral("Die Datei %1 lässt sich nicht lesen.").arg(sDatei));
    const QByteArray daten = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw DateiFehler(QStringLiteral("Die Datei %1 lässt sich nicht lesen.").arg(sDatei));
    return Lesen(daten, sDatei);
}

QByteArray CsvDatei::Marke() { return QByteArray("\xEF\xBB\xBF"); }

void CsvDatei::FeldAnhaengen(QByteArray& ziel, const char* utf8, qsizetype laenge) {
    bool zitieren = false;
    for (qsizetype i = 0; i < laenge && !zitieren; ++i) {
        const char c = utf8[i];
        zitieren = c == Trenner || c == '"' || c == '\r' || c == '\n';
    }
    if (!zitieren) {
        ziel.append(utf8, laenge);
        return;
    }
    ziel.append('"');
    for (qsizetype i = 0; i < laenge; ++i) {
        if (utf8[i] == '"')
            ziel.append('"');
        ziel.append(utf8[i]);
    }
    ziel.append('"');
}

void CsvDatei::FeldAnhaengen(QByteArray& ziel, const QString& feld) {
    const QByteArray u = feld.toUtf8();
    FeldAnhaengen(ziel, u.constData(), u.size());
}

void CsvDatei::ZeileAnhaengen(QByteArray& ziel, const QStringList& felder) {
    for (qsizetype i = 0; i < felder.size(); ++i) {
        if (i)
            ziel.append(Trenner);
        FeldAnhaengen(ziel, felder.at(i));
    }
    ZeilenEnde(ziel);
}
