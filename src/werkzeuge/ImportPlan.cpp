#include "werkzeuge/ImportPlan.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <array>
#include <map>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsDurchlauf.h"
#include "alarms/AlarmdefsZugriff.h"
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

// Whether the stored value already is what the file gives.
bool Gleich(int spalte, const QVariant& gespeichert, const QVariant& neu) {
    if (gespeichert.isNull() || neu.isNull())
        return gespeichert.isNull() && neu.isNull();
    if (AlarmdefsZugriff::IstZahlenSpalte(spalte)) {
        bool ok = false;
        const double d = gespeichert.toDouble(&ok);
        return ok && gespeichert.typeId() != QMetaType::QString ? d == static_cast<double>(neu.toLongLong())
                                                                : gespeichert.toString() == neu.toString();
    }
    return gespeichert.toString() == neu.toString();
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
    return Erstellen(sDatenbank, CsvDatei::DateiLesen(sDatei), sDatei, rahmen);
}

ImportPlan ImportPlan::Erstellen(const QString& sDatenbank, const CsvDatei::Inhalt& inhalt, const QString& sDatei,
                                 const Projektrahmen& rahmen) {
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
        ++plan.m_zeilen;
        Vorschlag v;
        v.zeile = s.zeile;
        v.identText = s.felder.value(identFeld);
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
            QVariant gespeichert;
            if (const auto fehler = AlarmdefsZugriff::WertPruefen(kSpalten[i], s.felder.at(feld[i]), &gespeichert))
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
    for (const Vorschlag& v : std::as_const(vorschlaege)) {
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
        for (std::size_t i = 0; i < kSpalten.size(); ++i) {
            if (feld[i] < 0 || Gleich(kSpalten[i], g.werte[i], v.werte.at(static_cast<int>(i))))
                continue;
            a.spalten << kSpalten[i];
            a.werte << v.werte.at(static_cast<int>(i));
            ++plan.m_aenderungen[i];
            const QString neu = v.werte.at(static_cast<int>(i)).toString();
            if (kSpalten[i] == AlarmFeld::Form && !neu.isEmpty() && !bilder.isEmpty() && !bilder.contains(neu))
                fremdeBilder[neu] << &v;
            if (kSpalten[i] == AlarmFeld::Symbol && !neu.isEmpty() && !symbole.isEmpty() &&
                !symbole.contains(AlarmRecordBau::SymbolDateiName(neu)))
                fremdeSymbole[AlarmRecordBau::SymbolDateiName(neu)] << &v;
        }
        if (a.spalten.isEmpty()) {
            ++plan.m_unveraendert;
            continue;
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
