#include "werkzeuge/Vergleichsergebnis.h"

#include <QThreadPool>
#include <mutex>

#include "werkzeuge/CsvDatei.h"

namespace {
// One thread that frees long lists of lines; it is waited for at the end of the program.
Q_GLOBAL_STATIC(QThreadPool, freigeben)
constexpr qsizetype kFreiAufWorkerAb = 20000;
const int kLage[] = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};

QString Wert(const AlarmRecord& r, int spalte) {
    const QString w = r.value(spalte);
    return w.isEmpty() ? QStringLiteral("leer") : w;
}
}  // namespace

Vergleichsergebnis::~Vergleichsergebnis() {
    if (zeilen.size() < kFreiAufWorkerAb || !zeilen.isDetached())
        return;
    QThreadPool* pool = freigeben();
    if (!pool)
        return;  // the program is ending: freed here
    static std::once_flag einmal;
    std::call_once(einmal, [pool] { pool->setMaxThreadCount(1); });
    pool->start([weg = std::move(zeilen)]() mutable { weg = {}; });
}

void Vergleichsergebnis::FreigabeAbwarten() {
    if (QThreadPool* pool = freigeben())
        pool->waitForDone();
}

QString Vergleichszeile::ArtName(Art art) {
    switch (art) {
    case Art::Konflikt: return QStringLiteral("Konflikte");
    case Art::AnderesBild: return QStringLiteral("Anderes Bild (Form)");
    case Art::AnderesSymbol: return QStringLiteral("Anderes Symbol");
    case Art::Verschoben: return QStringLiteral("Pfeil verschoben (X/Y)");
    case Art::PositionGesetzt: return QStringLiteral("Position dort gesetzt");
    case Art::PositionGeloescht: return QStringLiteral("Position dort gelöscht");
    case Art::NurHierGeaendert: return QStringLiteral("Nur hier geändert (bleibt)");
    case Art::AndereSpalten: return QStringLiteral("Andere Spalten (nur zur Information)");
    case Art::NurHier: return QStringLiteral("Nur hier");
    case Art::NurDort: return QStringLiteral("Nur dort");
    case Art::NichtEindeutig: return QStringLiteral("nicht eindeutig");
    }
    return {};
}

QString Vergleichszeile::Text() const {
    QStringList teile;
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    if (art == Art::NurHier || art == Art::NurDort || art == Art::NichtEindeutig) {
        const AlarmRecord& r = art == Art::NurDort ? dort : hier;
        if (!r.isEmpty())
            teile << QStringLiteral("Form %1, Symbol %2, X %3, Y %4")
                         .arg(Wert(r, AlarmFeld::Form), Wert(r, AlarmFeld::Symbol), Wert(r, AlarmFeld::X), Wert(r, AlarmFeld::Y));
    } else {
        for (int s : kLage) {
            const bool konflikt = konfliktSpalten.contains(s);
            if (hier.value(s) == dort.value(s) && !konflikt)
                continue;
            if (!basis.isEmpty() && (konflikt || art == Art::NurHierGeaendert))
                teile << QStringLiteral("%1 hier %2, dort %3, vorher %4")
                             .arg(namen.at(s), Wert(hier, s), Wert(dort, s), Wert(basis, s));
            else
                teile << QStringLiteral("%1 %2 → %3").arg(namen.at(s), Wert(hier, s), Wert(dort, s));
        }
    }
    if (!andereSpalten.isEmpty())
        teile << QStringLiteral("andere Spalten: ") + andereSpalten.join(QStringLiteral(", "));
    if (!hinweis.isEmpty())
        teile << hinweis;
    return QStringLiteral("Alarm %1: %2").arg(ident, teile.join(QStringLiteral(", ")));
}

qsizetype Vergleichsergebnis::Anzahl(Vergleichszeile::Art art) const {
    qsizetype n = 0;
    for (const Vergleichszeile& z : zeilen)
        n += z.art == art;
    return n;
}

qsizetype Vergleichsergebnis::Uebernehmbar() const {
    qsizetype n = 0;
    for (const Vergleichszeile& z : zeilen)
        n += z.Uebernehmbar();
    return n;
}

QString Vergleichsergebnis::Text() const {
    QString t = QStringLiteral("Vergleich von %1 (hier, %2 Zeilen) mit %3 (dort, %4 Zeilen)")
                    .arg(hier).arg(zeilenHier).arg(dort).arg(zeilenDort);
    if (DreiWege())
        t += QStringLiteral(", Stand vorher %1 (%2 Zeilen)").arg(basis).arg(zeilenBasis);
    t += QStringLiteral(":\n");
    if (Gleich())
        return t + QStringLiteral("Keine Unterschiede.\n");
    t += QStringLiteral("%1 Unterschiede, %2 davon übernehmbar.\n").arg(zeilen.size()).arg(Uebernehmbar());
    for (int a = 0; a < Vergleichszeile::ArtAnzahl; ++a) {
        const auto art = static_cast<Vergleichszeile::Art>(a);
        const qsizetype n = Anzahl(art);
        if (n == 0)
            continue;
        t += QStringLiteral("\n%1: %2\n").arg(Vergleichszeile::ArtName(art)).arg(n);
        for (const Vergleichszeile& z : zeilen)
            if (z.art == art)
                t += QStringLiteral("  ") + z.Text() + QLatin1Char('\n');
    }
    return t;
}

QByteArray Vergleichsergebnis::Csv() const {
    QByteArray d = CsvDatei::Marke();
    QStringList kopf{QStringLiteral("Art"), QStringLiteral("Ident")};
    const QStringList seiten = DreiWege() ? QStringList{QStringLiteral("hier"), QStringLiteral("dort"), QStringLiteral("vorher")}
                                          : QStringList{QStringLiteral("hier"), QStringLiteral("dort")};
    for (const QString& seite : seiten)
        for (int s : kLage)
            kopf << AlarmRecordBau::SpaltenNamen().at(s) + QLatin1Char(' ') + seite;
    kopf << QStringLiteral("Andere Spalten") << QStringLiteral("Hinweis");
    CsvDatei::ZeileAnhaengen(d, kopf);
    for (const Vergleichszeile& z : zeilen) {
        QStringList f{Vergleichszeile::ArtName(z.art), z.ident};
        for (const AlarmRecord* r : {&z.hier, &z.dort, &z.basis}) {
            if (r == &z.basis && !DreiWege())
                break;
            for (int s : kLage)
                f << r->value(s);
        }
        f << z.andereSpalten.join(QStringLiteral(", ")) << z.hinweis;
        CsvDatei::ZeileAnhaengen(d, f);
    }
    return d;
}
