#include "werkzeuge/Vorschlaege.h"

#include "werkzeuge/CsvDatei.h"

#include <QPoint>
#include <algorithm>
#include <optional>

#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Anzahltext.h"
#include "platform/WinUmgebung.h"
#include "werkzeuge/Wortabgleich.h"

namespace {
constexpr int VarName = 3;

QPoint Ecke(const QRect& r) { return {r.x() + r.width(), r.y() + r.height()}; }

QString StatusText(Vorschlag::Art art) {
    switch (art) {
    case Vorschlag::Art::Gefunden: return QStringLiteral("gefunden");
    case Vorschlag::Art::Mehrdeutig: return QStringLiteral("mehrdeutig");
    default: return QStringLiteral("nicht gefunden");
    }
}

QString Stellen(const Vorschlag& v) {
    QStringList s;
    for (const QPoint& p : v.stellen)
        s << QStringLiteral("%1/%2").arg(p.x()).arg(p.y());
    return s.join(QLatin1Char(' '));
}

// Quoted where needed, and a text a spreadsheet would evaluate or turn into a date written as text.
QString CsvFeld(const QString& s) { return CsvDatei::Feld(s); }
}  // namespace

AlarmListeTyp Vorschlaege::AlarmeLesen(const QString& sDatenbank, const QStringList& bilder, bool alle) {
    AlarmListeTyp alarme;
    // without pictures the database is still read once, so that a bad one is reported
    if (bilder.isEmpty())
        AlarmdefsZugriff::AlarmListeLesen(sDatenbank, QString());
    for (const QString& form : bilder) {
        if (form.isEmpty())
            continue;
        const auto liste = AlarmdefsZugriff::AlarmListeLesen(sDatenbank, form);
        if (!liste)
            continue;
        for (const AlarmRecord& r : *liste)
            if (alle || r.value(AlarmFeld::X).trimmed().isEmpty() || r.value(AlarmFeld::Y).trimmed().isEmpty())
                alarme << r;
    }
    return alarme;
}

QString Vorschlaege::BildDatei(const QString& sBilderPath, const QString& form) {
    return QString::fromStdString(WinUmgebung::PfadAbbilden(
        (sBilderPath + QLatin1Char('\\') + form + QLatin1Char('\\') + form + QStringLiteral(".bmp")).toStdString()));
}

QStringList Vorschlaege::Bilder(const AlarmListeTyp& alarme) {
    QStringList bilder;
    for (const AlarmRecord& r : alarme)
        if (!bilder.contains(r.value(AlarmFeld::Form)))
            bilder << r.value(AlarmFeld::Form);
    return bilder;
}

QStringList Vorschlaege::BildDateien(const QString& sBilderPath, const QStringList& bilder) {
    QStringList dateien;
    for (const QString& form : bilder)
        dateien << BildDatei(sBilderPath, form);
    return dateien;
}

QHash<QString, Bildtext> Vorschlaege::NachBild(const QString& sBilderPath, const QStringList& bilder,
                                               const QList<Bildtext>& texte) {
    QHash<QString, Bildtext> nachBild;
    for (const QString& form : bilder) {
        const QString datei = BildDatei(sBilderPath, form);
        for (const Bildtext& t : texte)
            if (t.datei == datei)
                nachBild.insert(form, t);
    }
    return nachBild;
}

QList<Vorschlag> Vorschlaege::Berechnen(const AlarmListeTyp& alarme, const QHash<QString, Bildtext>& texte,
                                        const Kennzeichenregel& regel) {
    QList<Vorschlag> vorschlaege;
    QHash<QString, std::optional<Wortabgleich>> abgleiche;  // one per picture, made on first need
    // the tags of each picture's alarms: a reading of one of them is no unsure copy of another
    QHash<QString, QSet<QString>> tags;
    for (const AlarmRecord& r : alarme)
        tags[r.value(AlarmFeld::Form)].insert(Wortabgleich::Grundform(regel.Kennzeichen(r.value(VarName))));
    for (const AlarmRecord& r : alarme) {
        Vorschlag v;
        v.ident = r.value(AlarmFeld::Ident);
        v.form = r.value(AlarmFeld::Form);
        v.kennzeichen = regel.Kennzeichen(r.value(VarName));
        v.gelesen = r;
        const auto text = texte.constFind(v.form);
        if (!regel.Gueltig()) {
            v.grund = regel.Fehler();
        } else if (v.kennzeichen.isEmpty()) {
            v.grund = QStringLiteral("Der VarName \"%1\" enthält kein Kennzeichen.").arg(r.value(VarName));
        } else if (text == texte.constEnd()) {
            v.grund = QStringLiteral("Das Bild %1 wurde nicht gelesen.").arg(v.form);
        } else if (!text->fehler.isEmpty()) {
            v.grund = text->fehler;
        } else {
            auto& abgleich = abgleiche[v.form];
            if (!abgleich)
                abgleich.emplace(text->woerter);
            const QList<QRect> stellen = abgleich->Stellen(v.kennzeichen, tags.value(v.form));
            if (stellen.isEmpty()) {
                v.grund = QStringLiteral("Das Kennzeichen steht nicht auf dem Bild.");
            } else if (stellen.size() == 1) {
                v.art = Vorschlag::Art::Gefunden;
                v.ecke = Ecke(stellen.first());
                v.x = v.ecke.x();
                v.y = v.ecke.y();
            } else {
                v.art = Vorschlag::Art::Mehrdeutig;
                for (const QRect& s : stellen)
                    v.stellen << Ecke(s);
            }
        }
        vorschlaege << v;
    }
    // Alarms of one tag share its label: each next one stands beside the one
    // before, as does one whose place another arrow took already.
    QHash<QString, QList<QPoint>> belegt;
    for (Vorschlag& v : vorschlaege)
        if (v.art == Vorschlag::Art::Gefunden) {
            QList<QPoint>& plaetze = belegt[v.form];
            auto frei = [&plaetze](int x, int y) {
                return std::none_of(plaetze.begin(), plaetze.end(),
                                    [x, y](const QPoint& p) { return std::abs(p.x() - x) <= 4 && std::abs(p.y() - y) <= 4; });
            };
            while (!frei(v.x, v.y))
                v.x += Faecherabstand;
            plaetze << QPoint(v.x, v.y);
        }
    return vorschlaege;
}

QList<Schreibauftrag> Vorschlaege::Auftraege(const QList<Vorschlag>& vorschlaege, const QString& symbol) {
    QList<Schreibauftrag> auftraege;
    for (const Vorschlag& v : vorschlaege) {
        if (v.art != Vorschlag::Art::Gefunden)
            continue;
        Schreibauftrag a;
        a.ident = v.ident;
        a.spalten = {AlarmFeld::X, AlarmFeld::Y};
        a.werte = {QVariant(qlonglong(v.x)), QVariant(qlonglong(v.y))};
        if (!symbol.isEmpty() && v.gelesen.value(AlarmFeld::Symbol).isEmpty()) {
            a.spalten << AlarmFeld::Symbol;
            a.werte << symbol;
        }
        // the whole row as read: the write compares what it needs of it
        a.gelesen = v.gelesen;
        auftraege << a;
    }
    return auftraege;
}

Sammelergebnis Vorschlaege::Annehmen(const QString& sDatenbank, const QList<Vorschlag>& vorschlaege,
                                     const QString& symbol) {
    return AlarmdefsZugriff::SchreibenAlle(sDatenbank, Auftraege(vorschlaege, symbol));
}

int Vorschlaege::Anzahl(const QList<Vorschlag>& vorschlaege, Vorschlag::Art art) {
    return static_cast<int>(
        std::count_if(vorschlaege.begin(), vorschlaege.end(), [art](const Vorschlag& v) { return v.art == art; }));
}

QString Vorschlaege::Zeile(const Vorschlag& v) {
    const QString wer = QStringLiteral("Alarm %1 (%2, %3): ").arg(v.ident, v.form, v.kennzeichen);
    switch (v.art) {
    case Vorschlag::Art::Gefunden:
        return wer + QStringLiteral("X %1, Y %2").arg(v.x).arg(v.y);
    case Vorschlag::Art::Mehrdeutig:
        return wer + QStringLiteral("mehrdeutig, %1 Stellen: %2").arg(v.stellen.size()).arg(Stellen(v));
    default:
        return wer + QStringLiteral("nicht gefunden. ") + v.grund;
    }
}

QString Vorschlaege::Zusammenfassung(const QList<Vorschlag>& vorschlaege) {
    return QStringLiteral("%1 für %2; %3 mehrdeutig, %4 nicht gefunden.")
        .arg(Anzahltext::Text(Anzahl(vorschlaege, Vorschlag::Art::Gefunden), QStringLiteral("Vorschlag"),
                              QStringLiteral("Vorschläge")))
        .arg(Anzahltext::Alarme(vorschlaege.size()))
        .arg(Anzahl(vorschlaege, Vorschlag::Art::Mehrdeutig))
        .arg(Anzahl(vorschlaege, Vorschlag::Art::NichtGefunden));
}

QString Vorschlaege::Csv(const QList<Vorschlag>& vorschlaege) {
    QString csv = QStringLiteral("Ident;Form;Kennzeichen;X;Y;Status;Stellen;Grund\n");
    for (const Vorschlag& v : vorschlaege) {
        const bool gefunden = v.art == Vorschlag::Art::Gefunden;
        csv += QStringList{CsvFeld(v.ident),
                           CsvFeld(v.form),
                           CsvFeld(v.kennzeichen),
                           gefunden ? QString::number(v.x) : QString(),
                           gefunden ? QString::number(v.y) : QString(),
                           StatusText(v.art),
                           CsvFeld(Stellen(v)),
                           CsvFeld(v.grund)}
                   .join(QLatin1Char(';')) +
               QLatin1Char('\n');
    }
    return csv;
}

bool Vorschlaege::Gewaehlt(const Vorschlag& v, const QStringList& idents, const QString& form) {
    return v.art == Vorschlag::Art::Gefunden && idents.contains(v.ident) && (form.isEmpty() || v.form == form);
}
