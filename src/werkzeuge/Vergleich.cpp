#include "werkzeuge/Vergleich.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <future>
#include <vector>

#include "alarms/AlarmdefsDurchlauf.h"
#include "werkzeuge/VergleichSql.h"
#include "werkzeuge/Vergleichsseite.h"
#include "alarms/AlarmdefsZugriff.h"
#include "alarms/Datenbankadresse.h"
#include "platform/WinUmgebung.h"

namespace {

using Seite = Vergleichsseite;
using Zeile = Vergleichsseite::Zeile;
constexpr const int* kLage = Vergleichsseite::kLage;

// The columns of the 18 the table lacks, and a database that is none, before
// the pass, so the user reads which ones and not the engine's words.
void Pruefen(const QString& sDatenbank) {
    static std::atomic<int> zaehler{0};
    const QString name = QStringLiteral("tavero-vergleich-pruefen-%1").arg(zaehler.fetch_add(1));
    struct Schliesser {
        QString name;
        ~Schliesser() { AlarmdefsZugriff::Schliessen(name); }
    } schliesser{name};
    QSqlDatabase db = AlarmdefsZugriff::Oeffnen(sDatenbank, name);
    const QStringList fehlen = AlarmdefsZugriff::FehlendeSpalten(db);
    if (fehlen.size() == AlarmFeld::Spalten)
        throw AlarmdefsFehler(QStringLiteral("%1 enthält keine Tabelle Alarmdefs.").arg(sDatenbank));
    if (!fehlen.isEmpty())
        throw AlarmdefsFehler(QStringLiteral("Der Tabelle Alarmdefs in %1 fehlen die Spalten %2.")
                                  .arg(sDatenbank, fehlen.join(QStringLiteral(", "))));
}

Seite Lesen(const QString& sDatenbank, const std::function<bool()>& halten,
            const std::function<void(qsizetype)>& gelesen) {
    Seite s;
    s.name = sDatenbank;
    s.zeilen.reserve(1024);
    AlarmdefsDurchlauf::Lesen(sDatenbank, AlarmRecordBau::SpaltenNamen(), {}, [&](const AlarmdefsDurchlauf::Wert* w) {
        if ((s.anzahl & 0xffff) == 0) {
            if (halten())
                throw Vergleich::Abgebrochen();
            if (gelesen && s.anzahl)
                gelesen(s.anzahl);
        }
        s.Aufnehmen(w, s.anzahl++);
    });
    s.Ordnen();
    return s;
}

// Same database twice: same file after the Windows path is mapped, or the same server database.
QString Kennung(const QString& sDatenbank) {
    const Datenbankadresse a(sDatenbank);
    if (a.IstServer())
        return QStringLiteral("%1:%2/%3").arg(a.Host()).arg(a.Port()).arg(a.Datenbank());
    const QFileInfo f(QString::fromStdString(WinUmgebung::PfadAbbilden(sDatenbank.toStdString())));
    return f.canonicalFilePath().isEmpty() ? f.absoluteFilePath() : f.canonicalFilePath();
}

// The run of rows carrying one number, [von, bis).
struct Lauf {
    std::size_t von = 0, bis = 0;
    std::size_t Anzahl() const { return bis - von; }
};

Lauf Naechster(const Seite& s, std::size_t i) {
    std::size_t j = i;
    while (j < s.zeilen.size() && s.zeilen[j].ident == s.zeilen[i].ident)
        ++j;
    return {i, j};
}

// A side's texts as QStrings, each made once and then shared by every line
// that shows it (pictures, symbols and small coordinates repeat across a
// hundred thousand lines, which otherwise cost an allocation each).
class Texte {
public:
    explicit Texte(const Seite& s) : m_seite(s) {}
    const QString& Text(quint32 n) { return Holen(n, false); }
    const QString& Datei(quint32 n) { return Holen(n, true); }

private:
    static constexpr quint32 kKleineZahlen = 8192;
    const Seite& m_seite;
    std::vector<QString> m_texte[2], m_zahlen[2];
    std::vector<bool> m_da[2], m_zahlDa[2];

    const QString& Holen(quint32 n, bool datei) {
        const int a = datei ? 1 : 0;
        const bool zahl = n & Seite::kZahl;
        const quint32 i = zahl ? n & ~Seite::kZahl : n;
        if (zahl && i >= kKleineZahlen) {
            m_einzeln = m_seite.Text(n);
            return m_einzeln;
        }
        std::vector<QString>& liste = zahl ? m_zahlen[a] : m_texte[a];
        std::vector<bool>& da = zahl ? m_zahlDa[a] : m_da[a];
        if (i >= liste.size()) {
            liste.resize(std::max<std::size_t>(i + 1, liste.size() * 2));
            da.resize(liste.size());
        }
        if (!da[i]) {
            liste[i] = datei ? AlarmRecordBau::SymbolDateiName(m_seite.Text(n)) : m_seite.Text(n);
            da[i] = true;
        }
        return liste[i];
    }
    QString m_einzeln;
};

// Up to Y, the last placement column: a line of a hundred thousand carries
// two of them, and the columns after Y are never shown in it.
AlarmRecord Satz(Texte& t, const Zeile& z, const QString& ident) {
    AlarmRecord r(AlarmFeld::Y + 1);
    QString* w = r.data();
    w[AlarmFeld::Ident] = ident;
    w[AlarmFeld::Form] = t.Text(z.lage[0]);
    w[AlarmFeld::Symbol] = t.Datei(z.lage[1]);
    w[AlarmFeld::X] = t.Text(z.lage[2]);
    w[AlarmFeld::Y] = t.Text(z.lage[3]);
    return r;
}

// Lines carry records up to Y at least, or none (an alarm absent on that side).
bool PositionLeer(const AlarmRecord& r) {
    return r.size() <= AlarmFeld::Y || r.at(AlarmFeld::X).isEmpty() || r.at(AlarmFeld::Y).isEmpty();
}

// The kind a line is listed under, after the first placement column it offers.
Vergleichszeile::Art ArtNach(const Vergleichszeile& z) {
    if (z.spalten.contains(AlarmFeld::Form))
        return Vergleichszeile::Art::AnderesBild;
    if (z.spalten.contains(AlarmFeld::Symbol))
        return Vergleichszeile::Art::AnderesSymbol;
    if (PositionLeer(z.hier) && !PositionLeer(z.dort))
        return Vergleichszeile::Art::PositionGesetzt;
    if (!PositionLeer(z.hier) && PositionLeer(z.dort))
        return Vergleichszeile::Art::PositionGeloescht;
    return Vergleichszeile::Art::Verschoben;
}

// Texts of two dictionaries compared through a map of the other's numbers
// onto this side's; a text this side lacks is added, so all sides share one numbering.
std::vector<quint32> Abbildung(const Seite& von, Seite& nach) {
    std::vector<quint32> m(static_cast<std::size_t>(von.texte.size()));
    for (qsizetype i = 0; i < von.texte.size(); ++i) {
        const QByteArray& t = von.texte.at(i);
        m[static_cast<std::size_t>(i)] = nach.Nummer(t.constData(), static_cast<int>(t.size()));
    }
    return m;
}

// Every row of every side, the sides read at the same time, each on a
// connection of its own; the first that fails stops the others.
void AlleZeilenLesen(const QStringList& namen, const std::atomic<bool>* abbrechen, const Vergleich::Fortschritt& melden,
                     Seite* seiten) {
    std::atomic<bool> halt{false};
    std::atomic<qsizetype> gelesen{0};
    const auto halten = [abbrechen, &halt] {
        return halt.load(std::memory_order_relaxed) || (abbrechen && abbrechen->load(std::memory_order_relaxed));
    };
    std::vector<std::future<Seite>> laeufe;
    for (const QString& n : namen)
        laeufe.push_back(std::async(std::launch::async, [n, &halten, &halt, &gelesen, &melden]() {
            try {
                return Lesen(n, halten, [&](qsizetype) {
                    const qsizetype bisher = gelesen.fetch_add(0x10000) + 0x10000;
                    melden(-1, QStringLiteral("%L1 Zeilen gelesen").arg(bisher));
                });
            } catch (...) {
                halt = true;
                throw;
            }
        }));
    std::exception_ptr erster;
    for (std::size_t i = 0; i < laeufe.size(); ++i) {
        try {
            seiten[i] = laeufe[i].get();
        } catch (const Vergleich::Abgebrochen&) {
            // a pass stopped by another's failure: that failure is what the user reads
        } catch (...) {
            if (!erster)
                erster = std::current_exception();
        }
    }
    if (abbrechen && abbrechen->load())
        throw Vergleich::Abgebrochen();
    if (erster)
        std::rethrow_exception(erster);
}

}  // namespace

Vergleichsergebnis Vergleich::Vergleichen(const Angaben& angaben, const std::atomic<bool>* abbrechen,
                                          const Fortschritt& fortschritt) {
    const bool dreiWege = !angaben.basis.isEmpty();
    QStringList namen{angaben.hier, angaben.dort};
    if (dreiWege)
        namen << angaben.basis;
    QStringList kennungen;
    for (const QString& n : namen) {
        const QString k = Kennung(n);
        if (kennungen.contains(k))
            throw AlarmdefsFehler(QStringLiteral("%1 und %2 sind dieselbe Datenbank; verglichen werden zwei verschiedene.")
                                      .arg(namen.at(kennungen.indexOf(k)), n));
        kennungen << k;
    }
    const auto melden = [&](int p, const QString& t) {
        if (fortschritt)
            fortschritt(p, t);
    };
    melden(0, QStringLiteral("Datenbanken öffnen"));
    for (const QString& n : namen)
        Pruefen(n);

    Seite seiten[3];
    const bool alleSqlite = std::all_of(namen.cbegin(), namen.cend(), [](const QString& n) { return AlarmdefsZugriff::IstSqliteDatei(n); });
    const bool perSql = !angaben.zeilenweise && alleSqlite &&
                        VergleichSql::Lesen(namen, [abbrechen] { return abbrechen && abbrechen->load(std::memory_order_relaxed); },
                                            melden, seiten);
    if (!perSql)
        AlleZeilenLesen(namen, abbrechen, melden, seiten);
    melden(90, QStringLiteral("Vergleichen"));

    Vergleichsergebnis e;
    e.hier = angaben.hier;
    e.dort = angaben.dort;
    e.basis = angaben.basis;
    Seite& h = seiten[0];
    Seite& d = seiten[1];
    Seite& b = seiten[2];
    e.zeilenHier = h.anzahl;
    e.zeilenDort = d.anzahl;
    e.zeilenBasis = b.anzahl;
    // the queries hand over little more than the lines listed; a pass over every row hands over all rows
    if (perSql)
        e.zeilen.reserve(static_cast<qsizetype>(h.zeilen.size() + d.zeilen.size()));
    // The other sides' texts as numbers of this side's dictionary.
    const std::vector<quint32> dNach = Abbildung(d, h);
    const std::vector<quint32> bNach = Abbildung(b, h);

    for (const Seite* s : {&h, &d})
        for (const QString& ident : s->ungueltig) {
            Vergleichszeile z;
            z.art = Vergleichszeile::Art::NichtEindeutig;
            z.ident = ident;
            z.hinweis = QStringLiteral("keine ganze Zahl (%1)").arg(s == &h ? QStringLiteral("hier") : QStringLiteral("dort"));
            e.zeilen << std::move(z);
        }

    // The lines of the numbers from the rows ih, id, ib of each side up to
    // (without) bisH, bisD, in number order, with texts of their own.
    const auto bauen = [&](std::size_t ih, std::size_t bisH, std::size_t id, std::size_t bisD, std::size_t ib,
                           QList<Vergleichszeile>& zeilen) {
        Texte th(h), td(d), tb(b);
        qsizetype schritte = 0;
        while (ih < bisH || id < bisD) {
            if ((++schritte & 0xffff) == 0 && abbrechen && abbrechen->load(std::memory_order_relaxed))
                throw Abgebrochen();
            const bool mitH = ih < bisH && (id >= bisD || h.zeilen[ih].ident <= d.zeilen[id].ident);
            const bool mitD = id < bisD && (ih >= bisH || d.zeilen[id].ident <= h.zeilen[ih].ident);
            const qint64 nummer = mitH ? h.zeilen[ih].ident : d.zeilen[id].ident;
            const Lauf lh = mitH ? Naechster(h, ih) : Lauf{ih, ih};
            const Lauf ld = mitD ? Naechster(d, id) : Lauf{id, id};
            ih = lh.bis;
            id = ld.bis;
            Lauf lb{ib, ib};
            if (dreiWege) {
                while (ib < b.zeilen.size() && b.zeilen[ib].ident < nummer)
                    ++ib;
                if (ib < b.zeilen.size() && b.zeilen[ib].ident == nummer)
                    lb = Naechster(b, ib);
            }

            Vergleichszeile z;
            z.nummer = nummer;
            z.ident = QString::number(nummer);
            if (lh.Anzahl() > 1 || ld.Anzahl() > 1) {
                z.art = Vergleichszeile::Art::NichtEindeutig;
                z.hinweis = QStringLiteral("Zeilen mit dieser Nummer: %1 hier, %2 dort").arg(lh.Anzahl()).arg(ld.Anzahl());
                if (lh.Anzahl())
                    z.hier = Satz(th, h.zeilen[lh.von], z.ident);
                if (ld.Anzahl())
                    z.dort = Satz(td, d.zeilen[ld.von], z.ident);
                zeilen << std::move(z);
                continue;
            }
            if (!ld.Anzahl()) {
                z.art = Vergleichszeile::Art::NurHier;
                z.hier = Satz(th, h.zeilen[lh.von], z.ident);
                zeilen << std::move(z);
                continue;
            }
            if (!lh.Anzahl()) {
                z.art = Vergleichszeile::Art::NurDort;
                z.dort = Satz(td, d.zeilen[ld.von], z.ident);
                zeilen << std::move(z);
                continue;
            }
            const Zeile& zh = h.zeilen[lh.von];
            const Zeile& zd = d.zeilen[ld.von];
            quint32 lageD[4], lageB[4];
            for (int i = 0; i < 4; ++i)
                lageD[i] = zd.lage[i] & Seite::kZahl ? zd.lage[i] : dNach[zd.lage[i]];
            const bool gleich = std::equal(zh.lage, zh.lage + 4, lageD);
            if (gleich && zh.rest == zd.rest)
                continue;

            // The earlier state only counts where it held the alarm once.
            const bool mitBasis = dreiWege && lb.Anzahl() == 1;
            if (mitBasis)
                for (int i = 0; i < 4; ++i)
                    lageB[i] = b.zeilen[lb.von].lage[i] & Seite::kZahl ? b.zeilen[lb.von].lage[i] : bNach[b.zeilen[lb.von].lage[i]];
            // Picture and position go together (a position belongs to its
            // picture); the symbol is a unit of its own. Spots of lage, -1 ends a unit.
            static constexpr int einheiten[2][4] = {{0, 2, 3, -1}, {1, -1, -1, -1}};
            bool hierGeaendert = false;
            for (const auto& eintrag : einheiten) {
                const int* const einheit = eintrag;
                const int* const ende = std::find(eintrag, eintrag + 4, -1);
                bool hd = false, hb = false, db = false;
                for (const int* p = einheit; p != ende; ++p) {
                    const int i = *p;
                    hd = hd || zh.lage[i] != lageD[i];
                    if (mitBasis) {
                        hb = hb || zh.lage[i] != lageB[i];
                        db = db || lageD[i] != lageB[i];
                    }
                }
                if (!hd)
                    continue;
                // only the other side changed it: offered; only this side: kept; both, differently: a conflict
                if (mitBasis && hb && !db) {
                    hierGeaendert = true;
                    continue;
                }
                QList<int>& ziel = !mitBasis || !hb ? z.spalten : z.konfliktSpalten;
                // the columns where any of the sides differ
                for (const int* p = einheit; p != ende; ++p) {
                    const int i = *p;
                    if (zh.lage[i] != lageD[i] || (mitBasis && hb && db && (zh.lage[i] != lageB[i] || lageD[i] != lageB[i]))) {
                        if (ziel.isEmpty())
                            ziel.reserve(4);
                        ziel << kLage[i];
                    }
                }
            }
            std::sort(z.spalten.begin(), z.spalten.end());
            std::sort(z.konfliktSpalten.begin(), z.konfliktSpalten.end());
            z.hier = Satz(th, zh, z.ident);
            if (perSql)
                z.schluesselHier = QVariant(static_cast<qlonglong>(zh.nr));
            z.dort = Satz(td, zd, z.ident);
            z.dortSymbol = td.Text(zd.lage[1]);
            if (mitBasis)
                z.basis = Satz(tb, b.zeilen[lb.von], z.ident);
            if (zh.rest != zd.rest)
                z.andereSpalten << QString();  // named later, from the full rows
            if (!z.konfliktSpalten.isEmpty())
                z.art = Vergleichszeile::Art::Konflikt;
            else if (!z.spalten.isEmpty())
                z.art = ArtNach(z);
            else if (hierGeaendert)
                z.art = Vergleichszeile::Art::NurHierGeaendert;
            else if (zh.rest != zd.rest)
                z.art = Vergleichszeile::Art::AndereSpalten;
            else
                continue;  // both changed it the same way
            zeilen << std::move(z);
        }
    };
    // On many rows the numbers in two halves, built at the same time; the
    // second half's lines then follow the first's.
    std::size_t teilH = h.zeilen.size(), teilD = d.zeilen.size(), teilB = b.zeilen.size();
    if (h.zeilen.size() + d.zeilen.size() > 20000) {
        const qint64 mitte = !h.zeilen.empty() ? h.zeilen[h.zeilen.size() / 2].ident : d.zeilen[d.zeilen.size() / 2].ident;
        const auto ab = [mitte](const Seite& s) {
            return static_cast<std::size_t>(std::lower_bound(s.zeilen.begin(), s.zeilen.end(), mitte,
                                                             [](const Zeile& z, qint64 n) { return z.ident < n; }) -
                                            s.zeilen.begin());
        };
        teilH = ab(h);
        teilD = ab(d);
        teilB = ab(b);
    }
    QList<Vergleichszeile> zweite;
    if (perSql)
        zweite.reserve(static_cast<qsizetype>(h.zeilen.size() - teilH + d.zeilen.size() - teilD));
    auto spaeter = std::async(std::launch::async, [&] { bauen(teilH, h.zeilen.size(), teilD, d.zeilen.size(), teilB, zweite); });
    std::exception_ptr fehler;
    try {
        bauen(0, teilH, 0, teilD, 0, e.zeilen);
    } catch (...) {
        fehler = std::current_exception();
    }
    try {
        spaeter.get();
    } catch (...) {
        if (!fehler)
            fehler = std::current_exception();
    }
    if (fehler)
        std::rethrow_exception(fehler);
    e.zeilen.append(std::move(zweite));
    // grouped by kind, in number order within each: each line's place worked
    // out first, then the lines swapped into them where they stand, without a
    // second list of a hundred thousand lines
    {
        qsizetype anzahl[Vergleichszeile::ArtAnzahl] = {};
        for (const Vergleichszeile& z : std::as_const(e.zeilen))
            ++anzahl[static_cast<int>(z.art)];
        qsizetype stelle[Vergleichszeile::ArtAnzahl] = {};
        for (int a = 1; a < Vergleichszeile::ArtAnzahl; ++a)
            stelle[a] = stelle[a - 1] + anzahl[a - 1];
        std::vector<qsizetype> ziel(static_cast<std::size_t>(e.zeilen.size()));
        for (qsizetype i = 0; i < e.zeilen.size(); ++i)
            ziel[static_cast<std::size_t>(i)] = stelle[static_cast<int>(e.zeilen.at(i).art)]++;
        for (qsizetype i = 0; i < e.zeilen.size(); ++i)
            while (ziel[static_cast<std::size_t>(i)] != i) {
                const qsizetype j = ziel[static_cast<std::size_t>(i)];
                e.zeilen.swapItemsAt(i, j);
                std::swap(ziel[static_cast<std::size_t>(i)], ziel[static_cast<std::size_t>(j)]);
            }
    }
    melden(95, QStringLiteral("Andere Spalten benennen"));
    AndereSpaltenBenennen(e);
    melden(100, QStringLiteral("Fertig"));
    return e;
}

void Vergleich::AndereSpaltenBenennen(Vergleichsergebnis& ergebnis) {
    QList<qlonglong> nummern;
    for (const Vergleichszeile& z : std::as_const(ergebnis.zeilen))
        if (!z.andereSpalten.isEmpty() && z.andereSpalten.first().isEmpty())
            nummern << z.nummer;
    if (nummern.isEmpty())
        return;
    static std::atomic<int> zaehler{0};
    QHash<qlonglong, AlarmListeTyp> zeilen[2];
    const QString seiten[2] = {ergebnis.hier, ergebnis.dort};
    for (int i = 0; i < 2; ++i) {
        const QString name = QStringLiteral("tavero-vergleich-spalten-%1").arg(zaehler.fetch_add(1));
        struct Schliesser {
            QString name;
            ~Schliesser() { AlarmdefsZugriff::Schliessen(name); }
        } schliesser{name};
        QSqlDatabase db = AlarmdefsZugriff::Oeffnen(seiten[i], name);
        zeilen[i] = AlarmdefsZugriff::ZeilenLesen(db, nummern);
    }
    const auto& namen = AlarmRecordBau::SpaltenNamen();
    for (Vergleichszeile& z : ergebnis.zeilen) {
        if (z.andereSpalten.isEmpty() || !z.andereSpalten.first().isEmpty())
            continue;
        z.andereSpalten.clear();
        const AlarmRecord h = zeilen[0].value(z.nummer).value(0);
        const AlarmRecord d = zeilen[1].value(z.nummer).value(0);
        for (int s = 1; s < AlarmFeld::Spalten; ++s)
            if ((s < AlarmFeld::Form || s > AlarmFeld::Y) && h.value(s) != d.value(s))
                z.andereSpalten << namen.at(s);
        if (z.andereSpalten.isEmpty())
            z.andereSpalten << QStringLiteral("?");  // the hash said so, the rows no longer do
        if (z.hier.size() > AlarmFeld::Alarmtext)
            z.hier[AlarmFeld::Alarmtext] = h.value(AlarmFeld::Alarmtext);
        if (z.dort.size() > AlarmFeld::Alarmtext)
            z.dort[AlarmFeld::Alarmtext] = d.value(AlarmFeld::Alarmtext);
    }
}
