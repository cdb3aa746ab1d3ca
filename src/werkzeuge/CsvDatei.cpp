#include "werkzeuge/CsvDatei.h"

#include <QFile>
#include <QStringDecoder>
#include <cstring>

#include "alarms/Auftragslauf.h"
#include "platform/Cp1252.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/DateiFehler.h"

namespace {
bool NurAscii(const QByteArray& b) {
    for (const char c : b)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool GueltigesUtf8(QByteArrayView b) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString t = utf8.decode(b);
    Q_UNUSED(t);
    return !utf8.hasError();
}

// The encoding of the whole file: a byte-order mark says UTF-8; text that is
// valid UTF-8 is taken as such (Windows-1252 umlauts never form valid UTF-8
// sequences in real texts); anything else is Windows-1252.
CsvDatei::Kodierung KodierungErkennen(const QByteArray& daten) {
    if (daten.startsWith("\xEF\xBB\xBF"))
        return CsvDatei::Kodierung::Utf8MitMarke;
    return GueltigesUtf8(daten) ? CsvDatei::Kodierung::Utf8 : CsvDatei::Kodierung::Windows1252;
}

// The separator the first line uses outside quotes; a semicolon where it has as
// many as commas (a one-column file has neither).
char TrennerFinden(QByteArrayView text) {
    int semikolon = 0, komma = 0;
    bool zitiert = false;
    for (const char c : text) {
        if (c == '"')
            zitiert = !zitiert;
        else if (zitiert)
            continue;
        else if (c == ';')
            ++semikolon;
        else if (c == ',')
            ++komma;
        else if (c == '\r' || c == '\n')
            break;
    }
    return komma > semikolon ? ',' : ';';
}

// Characters a spreadsheet reads as the start of a formula.
bool FormelAnfang(QChar c) {
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('\t') ||
           c == QChar(0xFF1D) || c == QChar(0xFF0B) || c == QChar(0xFF0D) || c == QChar(0xFF20);  // their full-width forms
}

// A whole number without leading zero, or one with a decimal comma: a
// spreadsheet with German settings shows it and writes it back as it was.
bool SchlichteZahl(const QString& t) {
    const qsizetype komma = t.indexOf(QLatin1Char(','));
    const QStringView ganz = QStringView(t).left(komma < 0 ? t.size() : komma);
    if (ganz.isEmpty() || ganz.size() > 15 || (ganz.size() > 1 && ganz.front() == QLatin1Char('0')))
        return false;
    for (const QChar c : ganz)
        if (!c.isDigit() || c.unicode() > '9')
            return false;
    if (komma < 0)
        return true;
    const QStringView bruch = QStringView(t).mid(komma + 1);
    if (bruch.isEmpty())
        return false;
    for (const QChar c : bruch)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}
}  // namespace

CsvDatei::Inhalt CsvDatei::Lesen(const QByteArray& daten, const QString& sName) {
    Inhalt inhalt;
    inhalt.kodierung = KodierungErkennen(daten);
    const qsizetype anfang = inhalt.kodierung == Kodierung::Utf8MitMarke ? 3 : 0;
    const QByteArrayView text = QByteArrayView(daten).sliced(anfang);
    const char trenner = TrennerFinden(text);
    inhalt.trenner = QLatin1Char(trenner);
    const bool ansi = inhalt.kodierung == Kodierung::Windows1252;

    // The fields are cut from the bytes (separators, quotes and line ends are
    // the same bytes in both encodings) and each is decoded on its own, so a
    // field whose text hangs on the file's encoding can be named.
    Satz satz;
    satz.zeile = 1;
    QByteArray feld;
    bool zitiert = false;       // inside quotes
    bool warZitiert = false;    // the field began with a quote
    int zeile = 1;
    int zitatZeile = 0;
    auto feldEnde = [&] {
        bool unsicher = false;
        QString t;
        if (NurAscii(feld)) {
            t = QString::fromLatin1(feld);
        } else if (ansi) {
            t = QString::fromStdString(Cp1252::ZuUtf8(feld.toStdString()));
            unsicher = GueltigesUtf8(feld);
        } else {
            t = QString::fromUtf8(feld);
            unsicher = t.contains(QChar::ReplacementCharacter);
        }
        if (unsicher)
            satz.unsicher << satz.felder.size();
        satz.felder << t;
        feld.clear();
        warZitiert = false;
    };
    auto satzEnde = [&] {
        Auftragslauf::Pruefen();  // a background job may stop between two lines
        feldEnde();
        bool leer = true;
        for (const QString& f : std::as_const(satz.felder))
            leer = leer && f.isEmpty();
        if (!leer)
            inhalt.saetze << satz;
        satz.felder.clear();
        satz.unsicher.clear();
        satz.zeile = ++zeile;
    };
    const char* p = text.data();
    const char* const ende = p + text.size();
    while (p < ende) {
        const char c = *p++;
        if (zitiert) {
            if (c == '"') {
                if (p < ende && *p == '"') {
                    feld += '"';
                    ++p;
                } else {
                    zitiert = false;
                }
            } else {
                feld += c;
            }
        } else if (c == trenner) {
            feldEnde();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && p < ende && *p == '\n')
                ++p;
            satzEnde();
        } else if (c == '"' && feld.isEmpty() && !warZitiert) {
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

QByteArray CsvDatei::DateiInhalt(const QString& sDatei) {
    QFile f(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatei.toStdString())));
    if (!f.open(QIODevice::ReadOnly))
        throw DateiFehler(QStringLiteral("Die Datei %1 lässt sich nicht lesen.").arg(sDatei));
    const QByteArray daten = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw DateiFehler(QStringLiteral("Die Datei %1 lässt sich nicht lesen.").arg(sDatei));
    return daten;
}

CsvDatei::Inhalt CsvDatei::DateiLesen(const QString& sDatei) { return Lesen(DateiInhalt(sDatei), sDatei); }

QByteArray CsvDatei::Marke() { return QByteArray("\xEF\xBB\xBF"); }

bool CsvDatei::Schuetzen(const QString& text) {
    if (text.isEmpty())
        return false;
    if (FormelAnfang(text.front()))
        return true;
    // numbers, dates, times, fractions, percentages: digits with nothing but these between them
    bool ziffer = false, nurZahlzeichen = true;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            ziffer = true;
        else if (!QStringView(u"-/.:, %+()eE$\u20AC").contains(c))
            nurZahlzeichen = false;
    }
    if (ziffer && nurZahlzeichen)
        return !SchlichteZahl(text);
    static const QStringList wahrheiten = {QStringLiteral("wahr"), QStringLiteral("falsch"), QStringLiteral("true"),
                                           QStringLiteral("false")};
    return wahrheiten.contains(text.trimmed().toLower());
}

QString CsvDatei::Geschuetzt(const QString& text) {
    constexpr qsizetype kStueck = 255;
    QString t = QStringLiteral("=");
    for (qsizetype i = 0; i < text.size() || i == 0; i += kStueck) {
        if (i)
            t += QLatin1Char('&');
        t += QLatin1Char('"') + text.mid(i, kStueck).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    return t;
}

QString CsvDatei::Klartext(const QString& feld) {
    if (!feld.startsWith(QLatin1String("=\"")) || !feld.endsWith(QLatin1Char('"')))
        return feld;
    QString text;
    qsizetype i = 1;
    while (true) {
        if (i >= feld.size() || feld.at(i) != QLatin1Char('"'))
            return feld;
        for (++i;; ++i) {
            if (i >= feld.size())
                return feld;
            if (feld.at(i) == QLatin1Char('"')) {
                if (i + 1 < feld.size() && feld.at(i + 1) == QLatin1Char('"')) {
                    text += QLatin1Char('"');
                    ++i;
                    continue;
                }
                break;
            }
            text += feld.at(i);
        }
        ++i;  // behind the closing quote
        if (i == feld.size())
            return text;
        if (feld.at(i) != QLatin1Char('&'))
            return feld;
        ++i;
    }
}

void CsvDatei::FeldAnhaengen(QByteArray& ziel, const char* utf8, qsizetype laenge) {
    // most fields are plain: the test for protection looks at the first byte and the digits only
    bool pruefen = laenge > 0;
    if (pruefen) {
        const char a = utf8[0];
        bool zahlzeichen = true;
        for (qsizetype i = 0; i < laenge && zahlzeichen; ++i)
            zahlzeichen = std::strchr("0123456789-/.:, %+()eE$", utf8[i]) != nullptr && utf8[i] != '\0';
        const bool wahrheit = laenge >= 4 && laenge <= 7;
        pruefen = zahlzeichen || wahrheit || a == '=' || a == '+' || a == '-' || a == '@' || a == '\t' ||
                  static_cast<unsigned char>(a) >= 0x80;
    }
    if (pruefen) {
        const QString text = QString::fromUtf8(utf8, laenge);
        if (Schuetzen(text)) {
            const QByteArray g = Geschuetzt(text).toUtf8();
            FeldRoh(ziel, g.constData(), g.size());
            return;
        }
    }
    FeldRoh(ziel, utf8, laenge);
}

void CsvDatei::FeldRoh(QByteArray& ziel, const char* utf8, qsizetype laenge) {
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

QString CsvDatei::Feld(const QString& text) {
    QByteArray b;
    FeldAnhaengen(b, text);
    return QString::fromUtf8(b);
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
