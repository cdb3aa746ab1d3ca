#include "werkzeuge/Differenz.h"

namespace {
QString Zeigen(const QString& w) { return w.isEmpty() ? QStringLiteral("leer") : w; }
}  // namespace

QString Differenz::Text() const {
    QStringList teile;
    for (const Wechsel& w : wechsel)
        teile << (w.vorher.isNull() ? QStringLiteral("%1 %2 → %3").arg(w.spalte, Zeigen(w.alt), Zeigen(w.neu))
                                    : QStringLiteral("%1 hier %2, dort %3, vorher %4")
                                          .arg(w.spalte, Zeigen(w.alt), Zeigen(w.neu), Zeigen(w.vorher)));
    if (!hinweis.isEmpty())
        teile << hinweis;
    return QStringLiteral("Alarm %1: %2").arg(ident, teile.join(QStringLiteral(", ")));
}

Differenz Differenz::AusAuftrag(const Schreibauftrag& a, const QString& gruppe) {
    Differenz d;
    d.ident = a.ident;
    d.gruppe = gruppe;
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    for (qsizetype i = 0; i < a.spalten.size(); ++i) {
        const int s = a.spalten.at(i);
        Wechsel w;
        w.spalte = namen.value(s);
        w.alt = a.gelesen ? a.gelesen->value(s) : QString();
        w.neu = AlarmRecordBau::FeldText(s, a.werte.value(i));
        d.wechsel << w;
        if (s == AlarmFeld::Form)
            d.form = w.neu;
    }
    if (d.form.isEmpty() && a.gelesen)
        d.form = a.gelesen->value(AlarmFeld::Form);
    return d;
}

QList<Differenz> Differenz::AusAuftraegen(const QList<Schreibauftrag>& auftraege, const QString& gruppe) {
    QList<Differenz> l;
    l.reserve(auftraege.size());
    for (qsizetype i = 0; i < auftraege.size(); ++i) {
        l << AusAuftrag(auftraege.at(i), gruppe);
        l.last().quelle = static_cast<int>(i);
    }
    return l;
}

QList<Differenz> Differenz::AusVergleich(const Vergleichsergebnis& e) {
    QList<Differenz> l;
    l.reserve(e.zeilen.size());
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    for (qsizetype i = 0; i < e.zeilen.size(); ++i) {
        const Vergleichszeile& z = e.zeilen.at(i);
        Differenz d;
        d.ident = z.ident;
        d.gruppe = Vergleichszeile::ArtName(z.art);
        d.form = z.Form();
        d.waehlbar = z.Uebernehmbar();
        d.konflikt = z.art == Vergleichszeile::Art::Konflikt;
        d.quelle = static_cast<int>(i);
        for (int s : {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y}) {
            const bool zeigen = z.konfliktSpalten.contains(s) || z.spalten.contains(s) ||
                                (z.art == Vergleichszeile::Art::NurHierGeaendert && z.hier.value(s) != z.dort.value(s));
            if (!zeigen)
                continue;
            Wechsel w{namen.at(s), z.hier.value(s), z.dort.value(s), {}};
            if (!z.basis.isEmpty() && (d.konflikt || z.art == Vergleichszeile::Art::NurHierGeaendert))
                w.vorher = z.basis.value(s).isNull() ? QStringLiteral("") : z.basis.value(s);
            d.wechsel << w;
        }
        if (z.art == Vergleichszeile::Art::NurHier || z.art == Vergleichszeile::Art::NurDort ||
            z.art == Vergleichszeile::Art::NichtEindeutig || z.art == Vergleichszeile::Art::AndereSpalten) {
            // no placement to take over: the line says what there is
            QString t = z.Text();
            d.hinweis = t.mid(t.indexOf(QStringLiteral(": ")) + 2);
        } else {
            if (!z.andereSpalten.isEmpty())
                d.hinweis = QStringLiteral("andere Spalten: ") + z.andereSpalten.join(QStringLiteral(", "));
        }
        l << d;
    }
    return l;
}
