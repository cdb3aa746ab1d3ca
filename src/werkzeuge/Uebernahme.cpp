#include "werkzeuge/Uebernahme.h"

#include <QSqlDatabase>
#include <atomic>

#include "alarms/AlarmdefsZugriff.h"

Schreibauftrag Uebernahme::Auftrag(const Vergleichszeile& z) {
    Schreibauftrag a;
    a.ident = z.ident;
    a.gelesen = z.hier;
    for (int s : z.spalten) {
        a.spalten << s;
        const QString neu = s == AlarmFeld::Symbol ? z.dortSymbol : z.dort.value(s);
        if (neu.isEmpty()) {
            a.werte << QVariant();
        } else if (s == AlarmFeld::X || s == AlarmFeld::Y) {
            // a position that is no number is passed on as it is: the write refuses it with its reason
            const auto p = AlarmdefsZugriff::Position(neu);
            a.werte << (p ? *p : QVariant(neu));
        } else {
            a.werte << neu;
        }
    }
    return a;
}

QList<Schreibauftrag> Uebernahme::Auftraege(const QList<Vergleichszeile>& zeilen) {
    QList<Schreibauftrag> a;
    for (const Vergleichszeile& z : zeilen)
        if (z.Uebernehmbar())
            a << Auftrag(z);
    return a;
}

QStringList Uebernahme::Veraendert(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege) {
    static std::atomic<int> zaehler{0};
    const QString name = QStringLiteral("tavero-uebernahme-%1").arg(zaehler.fetch_add(1));
    struct Schliesser {
        QString name;
        ~Schliesser() { AlarmdefsZugriff::Schliessen(name); }
    } schliesser{name};
    QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
    QList<qlonglong> nummern;
    for (const Schreibauftrag& a : auftraege)
        if (const auto n = AlarmdefsZugriff::Alarmnummer(a.ident))
            nummern << *n;
    const QHash<qlonglong, AlarmListeTyp> jetzt = AlarmdefsZugriff::ZeilenLesen(db, nummern);
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    QStringList veraendert;
    for (const Schreibauftrag& a : auftraege) {
        const auto n = AlarmdefsZugriff::Alarmnummer(a.ident);
        const AlarmListeTyp zeilen = n ? jetzt.value(*n) : AlarmListeTyp{};
        if (zeilen.size() != 1) {
            veraendert << QStringLiteral("Alarm %1: %2").arg(a.ident, zeilen.isEmpty() ? QStringLiteral("nicht mehr vorhanden")
                                                                                       : QStringLiteral("nicht eindeutig"));
            continue;
        }
        // the placement as read, all four columns: a position belongs to its picture and symbol
        QStringList anders;
        for (int s = AlarmFeld::Form; s <= AlarmFeld::Y; ++s)
            if (a.gelesen && zeilen.first().value(s) != a.gelesen->value(s))
                anders << QStringLiteral("%1 jetzt %2 statt %3")
                              .arg(namen.at(s), zeilen.first().value(s).isEmpty() ? QStringLiteral("leer") : zeilen.first().value(s),
                                   a.gelesen->value(s).isEmpty() ? QStringLiteral("leer") : a.gelesen->value(s));
        if (!anders.isEmpty())
            veraendert << QStringLiteral("Alarm %1: inzwischen geändert, %2").arg(a.ident, anders.join(QStringLiteral(", ")));
    }
    return veraendert;
}

Uebernahme::Ergebnis Uebernahme::Ausfuehren(const QString& sDatenbank, const QList<Schreibauftrag>& auftraege,
                                           const Schreiben& schreiben) {
    Ergebnis e;
    if (auftraege.isEmpty()) {
        e.geschrieben = true;
        e.text = QStringLiteral("Nichts zu übernehmen.");
        return e;
    }
    e.abgelehnt = Veraendert(sDatenbank, auftraege);
    if (!e.abgelehnt.isEmpty()) {
        e.text = QStringLiteral("%1 von %2 Alarmen wurden seit dem Vergleich geändert; nichts wurde geschrieben. "
                                "Bitte neu vergleichen.")
                     .arg(e.abgelehnt.size())
                     .arg(auftraege.size());
        return e;
    }
    const Sammelergebnis s = schreiben ? schreiben(auftraege) : AlarmdefsZugriff::SchreibenAlle(sDatenbank, auftraege);
    e.geschrieben = s.geschrieben;
    e.detail = s.detail;
    if (s.geschrieben) {
        e.anzahl = auftraege.size();
        e.text = QStringLiteral("%1 Alarme übernommen.").arg(e.anzahl);
        return e;
    }
    if (s.abgelehnt >= 0 && s.abgelehnt < s.zeilen.size()) {
        const Schreibergebnis& r = s.zeilen.at(s.abgelehnt);
        e.abgelehnt << QStringLiteral("Alarm %1: %2").arg(r.ident, r.text);
        if (e.detail.isEmpty())
            e.detail = r.detail;
    }
    e.text = (s.text.isEmpty() ? QStringLiteral("Die Übernahme wurde abgelehnt.") : s.text) +
             (s.text.contains(QStringLiteral("Nichts wurde geschrieben")) ? QString() : QStringLiteral(" Nichts wurde geschrieben."));
    return e;
}

QString Uebernahme::Beschreibung(qsizetype anzahl) {
    return anzahl == 1 ? QStringLiteral("1 Alarm aus dem Vergleich übernommen")
                       : QStringLiteral("%1 Alarme aus dem Vergleich übernommen").arg(anzahl);
}
