#include "werkzeuge/Tabellendatei.h"

#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include "werkzeuge/DateiFehler.h"
#include "werkzeuge/ZipArchiv.h"

namespace {

bool IstUtf16(const QByteArray& d, bool* grossEndian) {
    if (d.startsWith("\xFF\xFE") || d.startsWith("\xFE\xFF")) {
        *grossEndian = d.startsWith("\xFE\xFF");
        return true;
    }
    // without a mark: every other byte of the first ASCII characters is zero
    const qsizetype n = std::min<qsizetype>(d.size() & ~qsizetype(1), 200);
    if (n < 4)
        return false;
    int nullGerade = 0, nullUngerade = 0;
    for (qsizetype i = 0; i < n; ++i)
        (i % 2 ? nullUngerade : nullGerade) += d.at(i) == 0;
    if (nullUngerade > n / 4 && nullGerade == 0) {
        *grossEndian = false;
        return true;
    }
    if (nullGerade > n / 4 && nullUngerade == 0) {
        *grossEndian = true;
        return true;
    }
    return false;
}

bool IstBinaer(const QByteArray& d) {
    const qsizetype n = std::min<qsizetype>(d.size(), 4096);
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(d.at(i));
        if (c == 0 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != 0x0c))
            return true;
    }
    return false;
}

// The separator of the first line: a tab when it has one and no semicolon.
QChar TrennerErster(const QString& text) {
    const QString erste = text.left(text.indexOf(QLatin1Char('\n')));
    return erste.contains(QLatin1Char('\t')) && !erste.contains(QLatin1Char(';')) ? QLatin1Char('\t') : QChar();
}

QByteArray ZipEintrag(const ZipArchiv& zip, const QString& name, bool* gefunden) {
    const std::optional<QByteArray> d = zip.Lesen(name);
    *gefunden = d.has_value();
    return d.value_or(QByteArray());
}

// "BC12" -> column 54 (0-based)
int SpalteAus(const QString& zelle) {
    int s = 0;
    for (QChar c : zelle) {
        if (!c.isLetter())
            break;
        s = s * 26 + (c.toUpper().unicode() - 'A' + 1);
    }
    return s - 1;
}

// The text of an element with its runs (<r><t>…</t></r>) and plain <t>.
QString XmlText(QXmlStreamReader& x) {
    QString t;
    const QString ende = x.name().toString();
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("t"))
            t += x.readElementText();
        else if (x.isStartElement() && x.name() == QLatin1String("rPh"))
            x.skipCurrentElement();  // phonetic hints are no part of the value
        else if (x.isEndElement() && x.name() == ende)
            break;
    }
    return t;
}

}  // namespace

QString Tabellendatei::GeleseneFormate() {
    return QStringLiteral("Gelesen werden CSV (Semikolon oder Komma), Text mit Tabulatoren, "
                          "Unicode-Text (UTF-16) und Excel-Arbeitsmappen (XLSX).");
}

Tabellendatei::Format Tabellendatei::FormatErkennen(const QByteArray& d) {
    bool gross = false;
    if (d.startsWith("PK\x03\x04"))
        return Format::Xlsx;
    if (IstUtf16(d, &gross))
        return Format::Utf16;
    if (IstBinaer(d))
        return Format::Unbekannt;
    const qsizetype zeile = d.indexOf('\n');
    const QByteArray erste = zeile < 0 ? d : d.left(zeile);
    return erste.contains('\t') && !erste.contains(';') ? Format::Tabulator : Format::Csv;
}

CsvDatei::Inhalt Tabellendatei::DateiLesen(const QString& sDatei) { return Lesen(CsvDatei::DateiInhalt(sDatei), sDatei); }

CsvDatei::Inhalt Tabellendatei::Lesen(const QByteArray& daten, const QString& sName) {
    switch (FormatErkennen(daten)) {
    case Format::Xlsx:
        return XlsxLesen(daten, sName);
    case Format::Utf16: {
        bool gross = false;
        IstUtf16(daten, &gross);
        QStringDecoder dekoder(gross ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        QString text = dekoder.decode(daten);
        if (dekoder.hasError())
            throw DateiFehler(QStringLiteral("Die Datei %1 ist kein gültiger UTF-16-Text.").arg(sName));
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        const QChar trenner = TrennerErster(text);
        if (trenner.isNull())
            // a UTF-16 file with semicolons: the CSV reader gets it as UTF-8
            return CsvDatei::Lesen(CsvDatei::Marke() + text.toUtf8(), sName);
        return TextLesen(text, trenner);
    }
    case Format::Tabulator: {
        // the bytes decoded as the CSV reader would: UTF-8, else Windows-1252
        QStringDecoder utf8(QStringDecoder::Utf8);
        QByteArray d = daten.startsWith(CsvDatei::Marke()) ? daten.mid(3) : daten;
        QString text = utf8.decode(d);
        if (utf8.hasError())
            text = QStringDecoder("windows-1252").decode(d);
        return TextLesen(text, QLatin1Char('\t'));
    }
    case Format::Unbekannt:
        throw DateiFehler(QStringLiteral("Die Datei %1 ist in keinem bekannten Format. %2").arg(sName, GeleseneFormate()));
    case Format::Csv:
        break;
    }
    return CsvDatei::Lesen(daten, sName);
}

CsvDatei::Inhalt Tabellendatei::TextLesen(const QString& text, QChar trenner) {
    CsvDatei::Inhalt inhalt;
    inhalt.trenner = trenner;
    inhalt.kodierung = CsvDatei::Kodierung::Utf8;
    QStringList felder;
    QString feld;
    bool zitiert = false, feldBegonnen = false;
    int zeile = 1, satzZeile = 1;
    const auto satzEnde = [&] {
        felder << feld;
        bool leer = true;
        for (const QString& f : std::as_const(felder))
            leer = leer && f.trimmed().isEmpty();
        if (!leer)
            inhalt.saetze.append({satzZeile, felder});
        felder.clear();
        feld.clear();
        feldBegonnen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (zitiert) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    feld += c;
                    ++i;
                } else {
                    zitiert = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++zeile;
                feld += c;
            }
        } else if (c == QLatin1Char('"') && !feldBegonnen) {
            zitiert = feldBegonnen = true;
        } else if (c == trenner) {
            felder << feld;
            feld.clear();
            feldBegonnen = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            satzEnde();
            satzZeile = ++zeile;
        } else {
            feld += c;
            feldBegonnen = true;
        }
    }
    if (zitiert)
        throw DateiFehler(QStringLiteral("Ein Anführungszeichen in Zeile %1 wird nicht geschlossen.").arg(satzZeile));
    if (!feld.isEmpty() || !felder.isEmpty())
        satzEnde();
    return inhalt;
}

CsvDatei::Inhalt Tabellendatei::XlsxLesen(const QByteArray& daten, const QString& sName) {
    ZipArchiv zip;
    const auto kaputt = [&sName](const QString& warum) {
        return DateiFehler(QStringLiteral("Die Excel-Arbeitsmappe %1 lässt sich nicht lesen: %2").arg(sName, warum));
    };
    QString fehler;
    if (!zip.Oeffnen(daten, &fehler))
        throw kaputt(fehler);
    bool da = false;
    // The first worksheet in the workbook's order, through its relation.
    QString blatt = QStringLiteral("xl/worksheets/sheet1.xml");
    const QByteArray mappe = ZipEintrag(zip, QStringLiteral("xl/workbook.xml"), &da);
    if (!da)
        throw kaputt(QStringLiteral("xl/workbook.xml fehlt."));
    QString rid;
    for (QXmlStreamReader x(mappe); !x.atEnd() && rid.isEmpty();) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("sheet"))
            for (const QXmlStreamAttribute& a : x.attributes())
                if (a.name() == QLatin1String("id") && a.namespaceUri().toString().contains(QLatin1String("relationships")))
                    rid = a.value().toString();
    }
    const QByteArray rels = ZipEintrag(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &da);
    for (QXmlStreamReader x(rels); da && !rid.isEmpty() && !x.atEnd();) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("Relationship") && x.attributes().value(QLatin1String("Id")) == rid) {
            QString ziel = x.attributes().value(QLatin1String("Target")).toString();
            blatt = ziel.startsWith(QLatin1Char('/')) ? ziel.mid(1) : QStringLiteral("xl/") + ziel;
            break;
        }
    }
    QStringList geteilt;
    const QByteArray texte = ZipEintrag(zip, QStringLiteral("xl/sharedStrings.xml"), &da);
    if (da) {
        QXmlStreamReader x(texte);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si"))
                geteilt << XmlText(x);
        }
        if (x.hasError())
            throw kaputt(x.errorString());
    }
    const QByteArray blattDaten = ZipEintrag(zip, blatt, &da);
    if (!da)
        throw kaputt(QStringLiteral("das Arbeitsblatt %1 fehlt.").arg(blatt));

    CsvDatei::Inhalt inhalt;
    inhalt.trenner = QLatin1Char('\t');
    inhalt.kodierung = CsvDatei::Kodierung::Utf8;
    QXmlStreamReader x(blattDaten);
    int zeile = 0;
    QStringList felder;
    const auto zeileEnde = [&] {
        bool leer = true;
        for (const QString& f : std::as_const(felder))
            leer = leer && f.trimmed().isEmpty();
        if (!leer)
            inhalt.saetze.append({zeile, felder});
        felder.clear();
    };
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("row")) {
            const int r = x.attributes().value(QLatin1String("r")).toInt();
            zeile = r > 0 ? r : zeile + 1;
        } else if (x.isEndElement() && x.name() == QLatin1String("row")) {
            zeileEnde();
        } else if (x.isStartElement() && x.name() == QLatin1String("c")) {
            const QString ref = x.attributes().value(QLatin1String("r")).toString();
            const QString typ = x.attributes().value(QLatin1String("t")).toString();
            const int spalte = ref.isEmpty() ? static_cast<int>(felder.size()) : SpalteAus(ref);
            QString wert;
            while (!x.atEnd()) {
                x.readNext();
                if (x.isStartElement() && x.name() == QLatin1String("v")) {
                    wert = x.readElementText();
                } else if (x.isStartElement() && x.name() == QLatin1String("is")) {
                    wert = XmlText(x);
                } else if (x.isEndElement() && x.name() == QLatin1String("c")) {
                    break;
                }
            }
            if (typ == QLatin1String("s")) {
                bool ok = false;
                const int n = wert.toInt(&ok);
                if (!ok || n < 0 || n >= geteilt.size())
                    throw kaputt(QStringLiteral("Zelle %1 verweist auf einen fehlenden Text.").arg(ref));
                wert = geteilt.at(n);
            } else if (typ == QLatin1String("b")) {
                wert = wert == QLatin1String("1") ? QStringLiteral("WAHR") : QStringLiteral("FALSCH");
            }
            if (spalte < 0 || spalte > 16383)
                throw kaputt(QStringLiteral("Zelle %1 liegt außerhalb des Blatts.").arg(ref));
            while (felder.size() < spalte)
                felder << QString();
            if (felder.size() == spalte)
                felder << wert;
            else
                felder[spalte] = wert;
        }
    }
    if (x.hasError())
        throw kaputt(x.errorString());
    return inhalt;
}
