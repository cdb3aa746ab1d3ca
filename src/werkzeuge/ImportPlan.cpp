#include "werkzeuge/ImportPlan.h"
#include "werkzeuge/Tabellendatei.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <array>
#include <cmath>
#include <optional>
#include <map>

#include "alarms/AlarmRecord.h"
#include "alarms/Auftragslauf.h"
#include "alarms/AlarmdefsDurchlauf.h"
#include "alarms/AlarmdefsZugriff.h"
#include "platform/Cp1252.h"
#include "werkzeuge/BildDateien.h"
#include "alarms/Anzahltext.h"
#include "werkzeuge/DateiFehler.h"

namespace {
using Wert = AlarmdefsDurchlauf::Wert;

// The columns an import writes, in the order of the plan's counts.
constexpr std::array<int, 4> kSpalten = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};

int Stelle(int spalte) {
    for (std::size_t i = 0; i < kSpalten.size(); ++i)
        if (kSpalten[i] == spalte)
            return static_cast<int>(i);
    return -1;
}

// A line the file offers: its alarm number and the values as they would be stored.
struct Vorschlag {
    int zeile = 0;
    QString identText;
    qlonglong ident = 0;
    QVariantList werte;  // one per column of kSpalten present in the file; null: empty
};

// A row of the table as read: the record for the write's check and the four
// columns as stored, for the comparison.
struct Gelesen {
    int anzahl = 0;
    AlarmRecord satz;
    std::array<QVariant, 4> werte;
};

QVariant AlsVariant(const Wert& w) {
    switch (w.art) {
    case Wert::Art::Null: return {};
    case Wert::Art::Zahl: return w.zahl;
    case Wert::Art::Kommazahl: return w.kommazahl;
    case Wert::Art::Text: return QString::fromUtf8(w.text, w.laenge);
    }
    return {};
}

// A number with a decimal part as a position may hold it ("120,5" or 120.5);
// nullopt for anything else.
std::optional<double> Kommazahl(const QVariant& v) {
    if (v.typeId() == QMetaType::Double)
        return v.toDouble();
    bool ok = false;
    const double d = v.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

// Whether the stored value already is what the file gives.
bool Gleich(int spalte, const QVariant& gespeichert, const QVariant& neu) {
    if (gespeichert.isNull() || neu.isNull())
        return gespeichert.isNull() && neu.isNull();
    if (AlarmdefsZugriff::IstZahlenSpalte(spalte)) {
        // 120.5 stored and "120,5" in the file, or 120 and "120": the same number
        const auto a = Kommazahl(gespeichert), b = Kommazahl(neu);
        return a && b ? *a == *b : gespeichert.toString() == neu.toString();
    }
    return gespeichert.toString() == neu.toString();
}

// The file's value of a column as the write takes it; a position with a decimal
// part is kept as the number it is, so it can be compared with the table.
std::optional<QString> WertLesen(int spalte, const QString& text, QVariant* gespeichert) {
    const auto fehler = AlarmdefsZugriff::WertPruefen(spalte, text, gespeichert);
    if (!fehler || (spalte != AlarmFeld::X && spalte != AlarmFeld::Y))
        return fehler;
    const auto d = Kommazahl(text);
    if (!d)
        return fehler;
    *gespeichert = *d;
    return std::nullopt;
}

// Why a field hangs on the file's encoding, German.
QString Unsicher(const QString& spalte, const QString& text, CsvDatei::Kodierung kodierung) {
    if (kodierung == CsvDatei::Kodierung::Windows1252) {
        const QString utf8 = QString::fromUtf8(Cp1252::AusUtf8(text.toStdString()));
        return QStringLiteral("%1 \"%2\" hängt von der Kodierung ab: die Datei wird als Windows-1252 gelesen, "
                              "diese Zeile ist aber UTF-8 (\"%3\"); nichts aus dieser Zeile wird übernommen.")
            .arg(spalte, text, utf8);
    }
    return QStringLiteral("%1 \"%2\" enthält Bytes, die kein UTF-8 sind (als \uFFFD gelesen); nichts aus dieser "
                          "Zeile wird übernommen.")
        .arg(spalte, text);
}

QString ZeilenText(const QList<int>& zeilen) {
    QStringList t;
    for (int z : zeilen)
        t << QString::number(z);
    return t.join(QStringLiteral(", "));
}
}  // namespace

QString ImportPlan::Meldung::Text() const {
    QString t = QStringLiteral("Zeile %1").arg(zeile);
    if (!ident.trimmed().isEmpty())
        t += QStringLiteral(" (Alarm %1)").arg(ident.trimmed());
    return t + QStringLiteral(": ") + text;
}

qsizetype ImportPlan::Aenderungen(int spalte) const {
    const int i = Stelle(spalte);
    return i < 0 ? 0 : m_aenderungen[i];
}

ImportPlan ImportPlan::Erstellen(const QString& sDatenbank, const QString& sDatei, const Projektrahmen& rahmen) {
    return Erstellen(sDatenbank, sDatei, rahmen, Optionen());
}

ImportPlan ImportPlan::Erstellen(const QString& sDatenbank, const CsvDatei::Inhalt& inhalt, const QString& sDatei,
                                 const Projektrahmen& rahmen) {
    return Erstellen(sDatenbank, inhalt, sDatei, rahmen, Optionen());
}

ImportPlan ImportPlan::Erstellen(const QString& sDatenbank, const QString& sDatei, const Projektrahmen& rahmen,
                                 const Optionen& optionen) {
    // CSV, tab-separated text, UTF-16 text and XLSX alike
    return Erstellen(sDatenbank, Tabellendatei::DateiLesen(sDatei), sDatei, rahmen, optionen);
}

ImportPlan ImportPlan::Erstellen(const QString& sDatenbank, const CsvDatei::Inhalt& inhalt, const QString& sDatei,
                                 const Projektrahmen& rahmen, const Optionen& optionen) {
    ImportPlan plan;
    plan.m_datenbank = sDatenbank;
    plan.m_datei = sDatei;
    if (inhalt.saetze.isEmpty())
        throw DateiFehler(QStringLiteral("Die Datei %1 enthält keine Kopfzeile.").arg(sDatei));

    // ---- the header: names in any order, without regard to case ----
    const CsvDatei::Satz& kopf = inhalt.saetze.first();
    int identFeld = -1;
    std::array<int, 4> feld = {-1, -1, -1, -1};  // field of Form, Symbol, X, Y
    for (int i = 0; i < kopf.felder.size(); ++i) {
        const QString name = kopf.felder.at(i).trimmed();
        int* ziel = nullptr;
        if (name.compare(QLatin1String("Ident"), Qt::CaseInsensitive) == 0)
            ziel = &identFeld;
        for (std::size_t s = 0; s < kSpalten.size(); ++s)
            if (name.compare(AlarmRecordBau::SpaltenNamen().at(kSpalten[s]), Qt::CaseInsensitive) == 0)
                ziel = &feld[s];
        if (ziel && *ziel >= 0)
            throw DateiFehler(QStringLiteral("Die Kopfzeile von %1 nennt die Spalte %2 zweimal.").arg(sDatei, name));
        if (ziel)
            *ziel = i;
        else if (name.compare(QLatin1String("Alarmtext"), Qt::CaseInsensitive) != 0 && !name.isEmpty())
            plan.m_warnungen << Meldung{kopf.zeile, {}, QStringLiteral("Die Spalte \"%1\" wird nicht gelesen.").arg(name)};
    }
    if (identFeld < 0)
        throw DateiFehler(QStringLiteral("Die Kopfzeile von %1 nennt keine Spalte Ident.").arg(sDatei));
    if (std::all_of(feld.begin(), feld.end(), [](int f) { return f < 0; }))
        throw DateiFehler(QStringLiteral("Die Kopfzeile von %1 nennt keine der Spalten Form, Symbol, X, Y.").arg(sDatei));
    const qsizetype kopfFelder = kopf.felder.size();

    // ---- the lines: each checked on its own ----
    QList<Vorschlag> vorschlaege;
    QHash<qlonglong, QList<int>> zeilenJeNummer;  // file lines per alarm number
    for (qsizetype n = 1; n < inhalt.saetze.size(); ++n) {
        const CsvDatei::Satz& s = inhalt.saetze.at(n);
        Auftragslauf::Pruefen();  // a background job may stop between two lines
        ++plan.m_zeilen;
        Vorschlag v;
        v.zeile = s.zeile;
        // a text the export wrote as ="…" so that a spreadsheet kept it is that text again
        v.identText = CsvDatei::Klartext(s.felder.value(identFeld));
        auto ablehnen = [&](const QString& text) { plan.m_abgelehnt << Meldung{s.zeile, v.identText, text}; };
        if (s.felder.size() < kopfFelder) {
            ablehnen(QStringLiteral("%1 Felder, die Kopfzeile hat %2; nichts aus dieser Zeile wird übernommen.")
                         .arg(s.felder.size())
                         .arg(kopfFelder));
            continue;
        }
        bool ueberzaehlig = false;
        for (qsizetype i = kopfFelder; i < s.felder.size(); ++i)
            ueberzaehlig = ueberzaehlig || !s.felder.at(i).trimmed().isEmpty();
        if (ueberzaehlig) {
            ablehnen(QStringLiteral("mehr Felder als die Kopfzeile; nichts aus dieser Zeile wird übernommen."));
            continue;
        }
        const auto nummer = AlarmdefsZugriff::Alarmnummer(v.identText);
        if (!nummer) {
            ablehnen(v.identText.trimmed().isEmpty() ? QStringLiteral("keine Alarmnummer.")
                                                     : QStringLiteral("\"%1\" ist keine Alarmnummer.").arg(v.identText));
            continue;
        }
        v.ident = *nummer;
        QString grund;
        for (std::size_t i = 0; i < kSpalten.size() && grund.isEmpty(); ++i) {
            if (feld[i] < 0) {
                v.werte << QVariant();
                continue;
            }
            const QString text = CsvDatei::Klartext(s.felder.at(feld[i]));
            if (s.Unsicher(feld[i]) && (kSpalten[i] == AlarmFeld::Form || kSpalten[i] == AlarmFeld::Symbol)) {
                grund = Unsicher(AlarmRecordBau::SpaltenNamen().at(kSpalten[i]), text, inhalt.kodierung);
                ++plan.m_kodierungZweifelhaft;
                break;
            }
            QVariant gespeichert;
            if (const auto fehler = WertLesen(kSpalten[i], text, &gespeichert))
                grund = *fehler;
            v.werte << gespeichert;
        }
        if (!grund.isEmpty()) {
            ablehnen(grund);
            continue;
        }
        zeilenJeNummer[v.ident] << static_cast<int>(vorschlaege.size());
        vorschlaege << v;
    }

    // ---- the table: one pass, keeping the rows the file names ----
    // Of each row the columns the write compares, and Ident and Alarmtext to
    // name it: the record the write checks holds these, the others stay empty.
    const QStringList gelesenSpalten = {QStringLiteral("Ident"), QStringLiteral("Alarmtext"), QStringLiteral("Form"),
                                        QStringLiteral("Symbol"), QStringLiteral("X"), QStringLiteral("Y")};
    const std::array<int, 6> satzStelle = {AlarmFeld::Ident, AlarmFeld::Alarmtext, AlarmFeld::Form,
                                           AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};
    std::vector<Gelesen> gelesen(static_cast<std::size_t>(zeilenJeNummer.size()));
    QHash<qlonglong, int> tabelle;  // alarm number -> its entry in gelesen
    tabelle.reserve(zeilenJeNummer.size());
    for (auto it = zeilenJeNummer.cbegin(); it != zeilenJeNummer.cend(); ++it)
        tabelle.insert(it.key(), static_cast<int>(tabelle.size()));
    AlarmdefsDurchlauf::Lesen(sDatenbank, gelesenSpalten, {}, [&](const Wert* w) {
        const auto nummer = w[0].GanzeZahl();
        if (!nummer)
            return;
        const auto it = tabelle.constFind(*nummer);
        if (it == tabelle.cend())
            return;
        Gelesen& g = gelesen[static_cast<std::size_t>(*it)];
        if (++g.anzahl > 1)
            return;
        g.satz = AlarmRecord(AlarmFeld::Anzahl);
        for (std::size_t i = 0; i < satzStelle.size(); ++i)
            g.satz[satzStelle[i]] = w[i].Text();
        g.satz[AlarmFeld::Symbol] = AlarmRecordBau::SymbolDateiName(g.satz[AlarmFeld::Symbol]);
        for (std::size_t i = 0; i < kSpalten.size(); ++i)
            g.werte[i] = AlsVariant(w[i + 2]);
    });

    // ---- the plan ----
    const QStringList bildNamen = rahmen.BildNamen();
    const QSet<QString> bilder(bildNamen.begin(), bildNamen.end());
    const QSet<QString> symbole(rahmen.symbolListe.begin(), rahmen.symbolListe.end());
    std::map<QString, QList<const Vorschlag*>> fremdeBilder, fremdeSymbole;  // by name, in name order
    std::map<QString, QList<const Vorschlag*>> fehlendeBilder;
    BildDateien dateien(rahmen.bilderPath, rahmen.symbolPath);
    for (const Vorschlag& v : std::as_const(vorschlaege)) {
        Auftragslauf::Pruefen();
        auto ablehnen = [&](const QString& text) { plan.m_abgelehnt << Meldung{v.zeile, v.identText, text}; };
        const QList<int>& gleiche = zeilenJeNummer.value(v.ident);
        if (gleiche.size() > 1) {
            QList<int> zeilen;
            for (int i : gleiche)
                zeilen << vorschlaege.at(i).zeile;
            ablehnen(QStringLiteral("Alarm %1 steht mehrmals in der Datei (Zeilen %2); keine davon wird übernommen.")
                         .arg(v.ident)
                         .arg(ZeilenText(zeilen)));
            continue;
        }
        const Gelesen& g = gelesen[static_cast<std::size_t>(tabelle.value(v.ident))];
        if (g.anzahl == 0) {
            ablehnen(QStringLiteral("kein Alarm mit dieser Nummer in der Tabelle."));
            continue;
        }
        if (g.anzahl > 1) {
            ablehnen(QStringLiteral("%1 Zeilen der Tabelle tragen diese Nummer; welche gemeint ist, bleibt offen.").arg(g.anzahl));
            continue;
        }
        Schreibauftrag a;
        a.ident = QString::number(v.ident);
        QString grund;
        for (std::size_t i = 0; i < kSpalten.size() && grund.isEmpty(); ++i) {
            QVariant neu = v.werte.at(static_cast<int>(i));
            if (feld[i] < 0 || Gleich(kSpalten[i], g.werte[i], neu))
                continue;
            if (neu.typeId() == QMetaType::Double) {
                const double d = neu.toDouble();
                if (std::floor(d) != d || std::fabs(d) > 9.0e15) {
                    // a position the table holds with a decimal part is kept above; a new one is no pixel
                    grund = QStringLiteral("Die Spalte %1 nimmt nur ganze Zahlen auf, nicht \"%2\" (eine Position mit "
                                           "Nachkommastellen bleibt nur, wie die Tabelle sie hat).")
                                .arg(AlarmRecordBau::SpaltenNamen().at(kSpalten[i]),
                                     QString::number(d, 'g', 17).replace(QLatin1Char('.'), QLatin1Char(',')));
                    break;
                }
                neu = static_cast<qlonglong>(d);
            }
            // A picture is written only where its bitmap is: a name a spreadsheet
            // changed ("007" became "7") would take the arrow off its picture.
            if (kSpalten[i] == AlarmFeld::Form && !neu.toString().isEmpty() && !rahmen.bilderPath.isEmpty()) {
                const BildDateien::Bitmap& bmp = dateien.Bild(neu.toString());
                if (!bmp.vorhanden && !optionen.fehlendeBilderAnnehmen) {
                    grund = QStringLiteral("Bild \"%1\": %2 gibt es nicht; nichts aus dieser Zeile wird übernommen "
                                           "(--fehlende-bilder nimmt solche Zeilen an).")
                                .arg(neu.toString(), bmp.pfad);
                    break;
                }
            }
            a.spalten << kSpalten[i];
            a.werte << neu;
        }
        if (!grund.isEmpty()) {
            ablehnen(grund);
            continue;
        }
        if (a.spalten.isEmpty()) {
            ++plan.m_unveraendert;
            continue;
        }
        for (int k = 0; k < a.spalten.size(); ++k) {
            const int spalte = a.spalten.at(k);
            ++plan.m_aenderungen[Stelle(spalte)];
            const QString neu = a.werte.at(k).toString();
            if (spalte == AlarmFeld::Form && !neu.isEmpty() && !bilder.isEmpty() && !bilder.contains(neu))
                fremdeBilder[neu] << &v;
            if (spalte == AlarmFeld::Form && !neu.isEmpty() && !rahmen.bilderPath.isEmpty() && !dateien.Bild(neu).vorhanden)
                fehlendeBilder[neu] << &v;
            if (spalte == AlarmFeld::Symbol && !neu.isEmpty() && !symbole.isEmpty() &&
                !symbole.contains(AlarmRecordBau::SymbolDateiName(neu)))
                fremdeSymbole[AlarmRecordBau::SymbolDateiName(neu)] << &v;
        }
        a.gelesen = g.satz;
        plan.m_auftraege << a;
    }
    // one warning per unknown picture or symbol, naming its lines
    auto warnen = [&plan](const std::map<QString, QList<const Vorschlag*>>& fremde, const QString& muster) {
        for (const auto& [name, zeilen] : fremde) {
            QList<int> nummern;
            for (const Vorschlag* v : zeilen)
                nummern << v->zeile;
            QString wo = nummern.size() == 1 ? QString() : QStringLiteral(" (%1 Zeilen: %2)").arg(nummern.size()).arg(ZeilenText(nummern.mid(0, 20)) + (nummern.size() > 20 ? QStringLiteral(", …") : QString()));
            plan.m_warnungen << Meldung{zeilen.first()->zeile, zeilen.first()->identText, muster.arg(name) + wo + QLatin1Char('.')};
        }
    };
    warnen(fremdeBilder, QStringLiteral("Bild %1 steht nicht in der Bilderliste"));
    warnen(fremdeSymbole, QStringLiteral("Symbol %1 steht nicht in der Symbolliste"));
    warnen(fehlendeBilder, QStringLiteral("Bild %1 hat keine Bitmap im Bilderordner"));
    std::stable_sort(plan.m_abgelehnt.begin(), plan.m_abgelehnt.end(),
                     [](const Meldung& a, const Meldung& b) { return a.zeile < b.zeile; });
    return plan;
}

QString ImportPlan::Beschreibung() const {
    return QStringLiteral("Import aus %1 (%2)").arg(QFileInfo(m_datei).fileName(), Anzahltext::Alarme(m_auftraege.size()));
}

QString ImportPlan::Zusammenfassung() const {
    QString t = QStringLiteral("Import aus %1 in %2\n").arg(m_datei, m_datenbank);
    QStringList spalten;
    for (std::size_t i = 0; i < kSpalten.size(); ++i)
        if (m_aenderungen[i])
            spalten << AlarmRecordBau::SpaltenNamen().at(kSpalten[i]) + QLatin1Char(' ') + QString::number(m_aenderungen[i]);
    t += QStringLiteral("%1 gelesen: ").arg(Anzahltext::Zeilen(m_zeilen));
    if (m_auftraege.isEmpty())
        t += QStringLiteral("nichts zu ändern");
    else
        t += QStringLiteral("%1 %2 geändert (%3)")
                 .arg(m_auftraege.size())
                 .arg(m_auftraege.size() == 1 ? QStringLiteral("Alarm wird") : QStringLiteral("Alarme werden"),
                      spalten.join(QStringLiteral(", ")));
    t += QStringLiteral(", %1 unverändert, %2 abgelehnt.\n").arg(m_unveraendert).arg(m_abgelehnt.size());
    if (!m_abgelehnt.isEmpty()) {
        t += QStringLiteral("Abgelehnte Zeilen:\n");
        for (const Meldung& m : m_abgelehnt)
            t += QStringLiteral("  ") + m.Text() + QLatin1Char('\n');
    }
    if (!m_warnungen.isEmpty()) {
        t += QStringLiteral("Warnungen:\n");
        for (const Meldung& m : m_warnungen)
            t += QStringLiteral("  ") + m.Text() + QLatin1Char('\n');
    }
    return t;
}

Sammelergebnis ImportPlan::Anwenden() const { return AlarmdefsZugriff::SchreibenAlle(m_datenbank, m_auftraege); }
