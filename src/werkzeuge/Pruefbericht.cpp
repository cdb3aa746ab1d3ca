#include "werkzeuge/Pruefbericht.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <climits>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsDurchlauf.h"
#include "werkzeuge/BildDateien.h"
#include "werkzeuge/CsvDatei.h"

namespace {
using Wert = AlarmdefsDurchlauf::Wert;
enum Spalte { cIdent, cVarName, cAlarmtext, cForm, cSymbol, cX, cY };

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Texts that come again and again (picture names, symbols) get a number once;
// a run of equal values costs one comparison.
class Verzeichnis {
public:
    int Nummer(const Wert& w) {
        if (w.art != Wert::Art::Text) {
            // a number where a name belongs: kept by its text
            const QByteArray t = w.Text().toUtf8();
            Wert text;
            text.art = Wert::Art::Text;
            text.text = t.constData();
            text.laenge = static_cast<int>(t.size());
            return Nummer(text);
        }
        const std::string_view s(w.text, static_cast<std::size_t>(w.laenge));
        if (m_letzte >= 0 && m_texte[static_cast<std::size_t>(m_letzte)] == s)
            return m_letzte;
        auto it = m_index.find(s);
        if (it == m_index.end()) {
            it = m_index.emplace(std::string(s), static_cast<int>(m_texte.size())).first;
            m_texte.emplace_back(s);
            m_qtexte << QString::fromUtf8(w.text, w.laenge);
        }
        m_letzte = it->second;
        return m_letzte;
    }
    const QString& Text(int n) const { return m_qtexte.at(n); }
    int Anzahl() const { return static_cast<int>(m_texte.size()); }

private:
    std::unordered_map<std::string, int, TextHash, std::equal_to<>> m_index;
    std::vector<std::string> m_texte;
    QStringList m_qtexte;
    int m_letzte = -1;
};

// What the pass keeps of a row for the checks that need all rows first.
struct Eintrag {
    qlonglong nummer = 0;
    int form = -1;
    int symbol = -1;
    int x = 0, y = 0;
    quint32 text = 0;       // VarName or Alarmtext, in the byte store
    quint16 textLaenge = 0;
    bool position = false;
    bool nummerGueltig = false;
};
static_assert(sizeof(Eintrag) == 32, "a million rows are kept");

// What is known of a picture once its bitmap was looked at.
struct BildInfo {
    bool gesehen = false;
    bool vorhanden = false;
    bool inListe = false;
    int breite = 0, hoehe = 0;
    QString befundFehlt;
    QString befundListe;
    QString xLeer, yLeer, beideLeer;
};

struct SymbolInfo {
    bool gesehen = false;
    bool fehlt = false;
    QString befund;
};

// The heap of a picture: union of the arrows' places, by their cell of
// StapelAbstand + 1 pixels (all places in one cell are close; only the cells
// next to it need a look).
struct Ort {
    quint64 zelle;  // cell column in the upper half, cell row in the lower, both offset to stay positive
    int x, y;
    int zeile;
};

quint64 ZellenSchluessel(qint64 zx, qint64 zy) {
    return (static_cast<quint64>(zx + 0x80000000LL) << 32) | static_cast<quint64>(zy + 0x80000000LL);
}

class Vereinigung {
public:
    explicit Vereinigung(int n) : m_oben(static_cast<std::size_t>(n)) { std::iota(m_oben.begin(), m_oben.end(), 0); }
    int Wurzel(int i) {
        while (m_oben[static_cast<std::size_t>(i)] != i) {
            auto& o = m_oben[static_cast<std::size_t>(i)];
            o = m_oben[static_cast<std::size_t>(o)];
            i = o;
        }
        return i;
    }
    void Verbinden(int a, int b) {
        a = Wurzel(a);
        b = Wurzel(b);
        if (a != b)
            m_oben[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
    }

private:
    std::vector<int> m_oben;
};

// NULL, or a text of blanks only.
bool Leer(const Wert& w) {
    if (w.art != Wert::Art::Text)
        return w.IstNull();
    for (int i = 0; i < w.laenge; ++i)
        if (w.text[i] != ' ' && w.text[i] != '\t' && w.text[i] != '\r' && w.text[i] != '\n')
            return false;
    return true;
}

qint64 Zelle(int v) {
    constexpr int kGroesse = Pruefbericht::StapelAbstand + 1;
    return v >= 0 ? v / kGroesse : -((-static_cast<qint64>(v) + kGroesse - 1) / kGroesse);
}

QString Bereich(int von, int bis) {
    return von == bis ? QString::number(von) : QStringLiteral("%1–%2").arg(von).arg(bis);
}

QString IdentsNennen(const QStringList& idents) {
    constexpr int kHoechstens = 20;
    if (idents.size() <= kHoechstens)
        return idents.join(QStringLiteral(", "));
    return idents.mid(0, kHoechstens).join(QStringLiteral(", ")) +
           QStringLiteral(" und %1 weitere").arg(idents.size() - kHoechstens);
}
}  // namespace

QString Pruefbericht::Titel(Art art) {
    switch (art) {
    case Art::BildFehlt: return QStringLiteral("Bild genannt, Bitmap fehlt");
    case Art::SymbolFehlt: return QStringLiteral("Symbol genannt, Datei fehlt");
    case Art::BildNichtInListe: return QStringLiteral("Bild nicht in der Bilderliste von Tavero.ini");
    case Art::OhnePosition: return QStringLiteral("Pfeil ohne Position");
    case Art::AusserhalbBild: return QStringLiteral("Pfeil außerhalb des Bildes");
    case Art::Gestapelt: return QStringLiteral("Pfeile übereinander (höchstens %1 Pixel auseinander)").arg(StapelAbstand);
    case Art::OhneBild: return QStringLiteral("Alarm ohne Bild");
    case Art::NummerDoppelt: return QStringLiteral("Alarmnummer nicht eindeutig");
    }
    return {};
}

QString Pruefbericht::Zeile::Text() const {
    const QString name = bezeichnung.isEmpty() ? QString() : QStringLiteral(" (") + bezeichnung + QLatin1Char(')');
    return QStringLiteral("Alarm ") + (ident.isEmpty() ? QStringLiteral("ohne Nummer") : ident) + name +
           QStringLiteral(": ") + befund;
}

qsizetype Pruefbericht::Befunde() const {
    qsizetype n = 0;
    for (const Gruppe& g : m_gruppen)
        n += g.zeilen.size();
    return n;
}

Pruefbericht Pruefbericht::Erstellen(const QString& sDatenbank, const Projektrahmen& rahmen) {
    Pruefbericht b;
    b.m_datenbank = sDatenbank;
    for (int i = 0; i < Arten; ++i)
        b.m_gruppen.append(Gruppe{static_cast<Art>(i), {}});
    auto gruppe = [&b](Art a) -> QList<Zeile>& { return b.m_gruppen[static_cast<int>(a)].zeilen; };

    BildDateien dateien(rahmen.bilderPath, rahmen.symbolPath);
    const QStringList bildNamen = rahmen.BildNamen();
    const QSet<QString> liste(bildNamen.begin(), bildNamen.end());
    Verzeichnis formen, symbole;
    std::vector<BildInfo> bilder;
    std::vector<SymbolInfo> symbolInfos;
    std::vector<Eintrag> eintraege;
    std::string texte;
    QHash<int, QString> identTexte;  // alarm numbers that are no numbers, by row
    const QString ohneBild = QStringLiteral("kein Bild zugeordnet");

    AlarmdefsDurchlauf::Lesen(
        sDatenbank,
        {QStringLiteral("Ident"), QStringLiteral("VarName"), QStringLiteral("Alarmtext"), QStringLiteral("Form"),
         QStringLiteral("Symbol"), QStringLiteral("X"), QStringLiteral("Y")},
        {}, [&](const Wert* w) {
            const int zeile = static_cast<int>(eintraege.size());
            Eintrag e;
            if (const auto n = w[cIdent].GanzeZahl()) {
                e.nummer = *n;
                e.nummerGueltig = true;
            } else {
                identTexte.insert(zeile, w[cIdent].Text());
            }
            const Wert& name = Leer(w[cVarName]) ? w[cAlarmtext] : w[cVarName];
            e.text = static_cast<quint32>(texte.size());
            // the orientation text; one of more than 64 KiB is cut
            if (name.art == Wert::Art::Text)
                texte.append(name.text, static_cast<std::size_t>(std::min(name.laenge, 0xFFFF)));
            else if (!name.IstNull())
                texte += name.Text().toStdString();
            e.textLaenge = static_cast<quint16>(std::min<std::size_t>(texte.size() - e.text, 0xFFFF));
            texte.resize(e.text + e.textLaenge);

            const std::optional<qlonglong> x = w[cX].GanzeZahl(), y = w[cY].GanzeZahl();
            e.position = x && y && *x >= INT_MIN && *x <= INT_MAX && *y >= INT_MIN && *y <= INT_MAX;
            if (e.position) {
                e.x = static_cast<int>(*x);
                e.y = static_cast<int>(*y);
            }
            const bool hatForm = !Leer(w[cForm]);
            if (hatForm)
                e.form = formen.Nummer(w[cForm]);
            const bool hatSymbol = !Leer(w[cSymbol]);
            if (hatSymbol)
                e.symbol = symbole.Nummer(w[cSymbol]);
            eintraege.push_back(e);

            // A line for this row alone, with the values as stored.
            auto neueZeile = [&](Art art, const QString& befund) {
                Zeile z;
                z.ident = e.nummerGueltig ? QString::number(e.nummer) : identTexte.value(zeile);
                z.nummer = e.nummerGueltig ? e.nummer : LLONG_MIN;
                z.bezeichnung = QString::fromUtf8(texte.data() + e.text, e.textLaenge);
                if (e.form >= 0)
                    z.form = formen.Text(e.form);
                if (e.symbol >= 0)
                    z.symbol = symbole.Text(e.symbol);
                z.x = w[cX].Text();
                z.y = w[cY].Text();
                z.befund = befund;
                gruppe(art).append(std::move(z));
            };

            if (hatSymbol) {
                if (static_cast<std::size_t>(e.symbol) >= symbolInfos.size())
                    symbolInfos.resize(static_cast<std::size_t>(e.symbol) + 1);
                SymbolInfo& s = symbolInfos[static_cast<std::size_t>(e.symbol)];
                if (!s.gesehen) {
                    s.gesehen = true;
                    const QString wert = symbole.Text(e.symbol);
                    const QString datei = AlarmRecordBau::SymbolDateiName(wert);
                    const bool da = !datei.isEmpty() && dateien.SymbolVorhanden(datei);
                    // a file that is there but no picture shows no arrow either
                    s.fehlt = !da || !dateien.SymbolLesbar(datei);
                    s.befund = datei.isEmpty() ? QStringLiteral("Symbol %1 nennt keine Datei").arg(wert)
                               : !da           ? QStringLiteral("Symbol %1: %2 fehlt").arg(wert, dateien.SymbolPfad(datei))
                                               : QStringLiteral("Symbol %1: %2 ist kein lesbares Bild")
                                                     .arg(wert, dateien.SymbolPfad(datei));
                }
                if (s.fehlt)
                    neueZeile(Art::SymbolFehlt, s.befund);
            }
            if (!hatForm) {
                neueZeile(Art::OhneBild, ohneBild);
                return;
            }
            if (static_cast<std::size_t>(e.form) >= bilder.size())
                bilder.resize(static_cast<std::size_t>(e.form) + 1);
            BildInfo& bild = bilder[static_cast<std::size_t>(e.form)];
            const QString& form = formen.Text(e.form);
            if (!bild.gesehen) {
                bild.gesehen = true;
                const BildDateien::Bitmap& bmp = dateien.Bild(form);
                bild.vorhanden = bmp.vorhanden && bmp.groesse;
                if (bmp.groesse) {
                    bild.breite = bmp.groesse->width();
                    bild.hoehe = bmp.groesse->height();
                }
                bild.befundFehlt = bmp.vorhanden ? QStringLiteral("Bild %1: %2 ist keine lesbare BMP-Datei (kein Bild oder unvollständig)").arg(form, bmp.pfad)
                                                 : QStringLiteral("Bild %1: %2 fehlt").arg(form, bmp.pfad);
                bild.inListe = liste.contains(form);
                bild.befundListe = QStringLiteral("Bild %1 steht nicht in der Bilderliste").arg(form);
                bild.xLeer = QStringLiteral("Bild %1, X leer").arg(form);
                bild.yLeer = QStringLiteral("Bild %1, Y leer").arg(form);
                bild.beideLeer = QStringLiteral("Bild %1, X und Y leer").arg(form);
            }
            if (!bild.vorhanden)
                neueZeile(Art::BildFehlt, bild.befundFehlt);
            if (!bild.inListe)
                neueZeile(Art::BildNichtInListe, bild.befundListe);
            if (!e.position) {
                auto zahlFehlt = [](const Wert& v, const char* achse) {
                    return v.IstNull() ? QStringLiteral("%1 leer").arg(QLatin1String(achse))
                                       : QStringLiteral("%1 \"%2\" ist keine ganze Zahl").arg(QLatin1String(achse), v.Text());
                };
                const bool xFehlt = !x || *x < INT_MIN || *x > INT_MAX;
                const bool yFehlt = !y || *y < INT_MIN || *y > INT_MAX;
                if (xFehlt && yFehlt && w[cX].IstNull() && w[cY].IstNull())
                    neueZeile(Art::OhnePosition, bild.beideLeer);
                else if (xFehlt && yFehlt)
                    neueZeile(Art::OhnePosition, QStringLiteral("Bild %1, %2, %3").arg(form, zahlFehlt(w[cX], "X"), zahlFehlt(w[cY], "Y")));
                else if (xFehlt)
                    neueZeile(Art::OhnePosition, w[cX].IstNull() ? bild.xLeer
                                                                 : QStringLiteral("Bild %1, %2").arg(form, zahlFehlt(w[cX], "X")));
                else
                    neueZeile(Art::OhnePosition, w[cY].IstNull() ? bild.yLeer
                                                                 : QStringLiteral("Bild %1, %2").arg(form, zahlFehlt(w[cY], "Y")));
                return;
            }
            if (bild.vorhanden && (e.x < 0 || e.y < 0 || e.x >= bild.breite || e.y >= bild.hoehe))
                neueZeile(Art::AusserhalbBild, QStringLiteral("Bild %1 (%2 × %3 Pixel), Pfeil bei X %4, Y %5")
                                                   .arg(form)
                                                   .arg(bild.breite)
                                                   .arg(bild.hoehe)
                                                   .arg(e.x)
                                                   .arg(e.y));
        });
    b.m_alarme = static_cast<qsizetype>(eintraege.size());
    b.m_dateien = dateien.Nachgesehen();

    auto identVon = [&](int zeile) {
        const Eintrag& e = eintraege[static_cast<std::size_t>(zeile)];
        return e.nummerGueltig ? QString::number(e.nummer) : identTexte.value(zeile);
    };
    auto bezeichnungVon = [&](int zeile) {
        const Eintrag& e = eintraege[static_cast<std::size_t>(zeile)];
        return QString::fromUtf8(texte.data() + e.text, e.textLaenge);
    };
    auto mehrfachZeile = [&](const std::vector<int>& zeilen) {
        const Eintrag& e = eintraege[static_cast<std::size_t>(zeilen.front())];
        Zeile z;
        z.ident = identVon(zeilen.front());
        z.nummer = e.nummerGueltig ? e.nummer : LLONG_MIN;
        if (zeilen.size() > 1)
            for (int r : zeilen)
                z.idents << identVon(r);
        z.bezeichnung = bezeichnungVon(zeilen.front());
        if (e.form >= 0)
            z.form = formen.Text(e.form);
        if (e.symbol >= 0)
            z.symbol = symbole.Text(e.symbol);
        if (e.position) {
            z.x = QString::number(e.x);
            z.y = QString::number(e.y);
        }
        return z;
    };

    // Rows in the order of their numbers: then a row's place orders the lines.
    const bool tabelleGeordnet =
        identTexte.isEmpty() && std::is_sorted(eintraege.begin(), eintraege.end(), [](const Eintrag& a, const Eintrag& c) {
            return a.nummer < c.nummer;
        });

    // ---- stacked arrows: per picture, places grouped by cell ----
    {
        std::vector<int> anfang(static_cast<std::size_t>(formen.Anzahl()) + 1, 0);
        for (const Eintrag& e : eintraege)
            if (e.form >= 0 && e.position)
                ++anfang[static_cast<std::size_t>(e.form) + 1];
        std::partial_sum(anfang.begin(), anfang.end(), anfang.begin());
        std::vector<Ort> orte(static_cast<std::size_t>(anfang.back()));
        {
            std::vector<int> fuellung(anfang.begin(), anfang.end() - 1);
            for (int r = 0; r < static_cast<int>(eintraege.size()); ++r) {
                const Eintrag& e = eintraege[static_cast<std::size_t>(r)];
                if (e.form >= 0 && e.position)
                    orte[static_cast<std::size_t>(fuellung[static_cast<std::size_t>(e.form)]++)] = {
                        ZellenSchluessel(Zelle(e.x), Zelle(e.y)), e.x, e.y, r};
            }
        }
        QList<Zeile>& stapel = gruppe(Art::Gestapelt);
        for (int f = 0; f < formen.Anzahl(); ++f) {
            const auto von = orte.begin() + anfang[static_cast<std::size_t>(f)];
            const auto bis = orte.begin() + anfang[static_cast<std::size_t>(f) + 1];
            if (bis - von < 2)
                continue;
            // all places of one cell are close to each other: their order within it does not matter
            std::sort(von, bis, [](const Ort& a, const Ort& b) { return a.zelle < b.zelle; });
            const int n = static_cast<int>(bis - von);
            const Ort* o = &*von;
            // the cells: runs of places with the same cell
            std::vector<int> zellen;  // index of each cell's first place
            for (int i = 0; i < n; ++i)
                if (i == 0 || o[i].zelle != o[i - 1].zelle)
                    zellen.push_back(i);
            zellen.push_back(n);
            Vereinigung v(n);
            const std::size_t zn = zellen.size() - 1;
            auto nah = [&](int i, int j) {
                return std::abs(o[i].x - o[j].x) <= StapelAbstand && std::abs(o[i].y - o[j].y) <= StapelAbstand;
            };
            // The places of one cell are one heap already, so two cells need one
            // close pair to become one; cells joined before need no look at all.
            auto vergleichen = [&](std::size_t a, std::size_t c) {
                if (v.Wurzel(zellen[a]) == v.Wurzel(zellen[c]))
                    return;
                for (int i = zellen[a]; i < zellen[a + 1]; ++i)
                    for (int j = zellen[c]; j < zellen[c + 1]; ++j)
                        if (nah(i, j)) {
                            v.Verbinden(i, j);
                            return;
                        }
            };
            std::size_t naechste = 0;  // first cell at or after (zx + 1, zy - 1), moves forward only
            auto zelle = [&](std::size_t c) { return o[zellen[c]].zelle; };
            constexpr quint64 kSpalte = quint64(1) << 32;
            for (std::size_t c = 0; c < zn; ++c) {
                const quint64 k = zelle(c);
                for (int i = zellen[c] + 1; i < zellen[c + 1]; ++i)
                    v.Verbinden(zellen[c], i);
                // below: the next cell of the same column; right: three cells of the next column
                if (c + 1 < zn && zelle(c + 1) == k + 1)
                    vergleichen(c, c + 1);
                while (naechste < zn && zelle(naechste) < k + kSpalte - 1)
                    ++naechste;
                for (std::size_t d = naechste; d < zn && zelle(d) <= k + kSpalte + 1; ++d)
                    vergleichen(c, d);
            }
            // one line per heap of two or more arrows: places bucketed by their root
            std::vector<int> wurzel(static_cast<std::size_t>(n)), anzahl(static_cast<std::size_t>(n) + 1, 0);
            for (int i = 0; i < n; ++i)
                ++anzahl[static_cast<std::size_t>(wurzel[static_cast<std::size_t>(i)] = v.Wurzel(i)) + 1];
            std::partial_sum(anzahl.begin(), anzahl.end(), anzahl.begin());
            std::vector<int> geordnet(static_cast<std::size_t>(n));
            {
                std::vector<int> fuell(anzahl.begin(), anzahl.end() - 1);
                for (int i = 0; i < n; ++i)
                    geordnet[static_cast<std::size_t>(fuell[static_cast<std::size_t>(wurzel[static_cast<std::size_t>(i)])]++)] = i;
            }
            for (int w = 0; w < n; ++w) {
                const int von = anzahl[static_cast<std::size_t>(w)], bis = anzahl[static_cast<std::size_t>(w) + 1];
                if (bis - von < 2)
                    continue;
                std::vector<int> zeilen;
                int x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
                for (int t = von; t < bis; ++t) {
                    const int i = geordnet[static_cast<std::size_t>(t)];
                    zeilen.push_back(o[i].zeile);
                    x0 = std::min(x0, o[i].x);
                    x1 = std::max(x1, o[i].x);
                    y0 = std::min(y0, o[i].y);
                    y1 = std::max(y1, o[i].y);
                }
                if (tabelleGeordnet)
                    std::sort(zeilen.begin(), zeilen.end());
                else
                    std::sort(zeilen.begin(), zeilen.end(), [&](int a, int c) {
                        const Eintrag& ea = eintraege[static_cast<std::size_t>(a)];
                        const Eintrag& ec = eintraege[static_cast<std::size_t>(c)];
                        return std::make_tuple(!ea.nummerGueltig, ea.nummer, a) <
                               std::make_tuple(!ec.nummerGueltig, ec.nummer, c);
                    });
                Zeile z = mehrfachZeile(zeilen);
                z.befund = QStringLiteral("Bild %1, %2 Pfeile bei X %3, Y %4: Alarme %5")
                               .arg(formen.Text(f))
                               .arg(zeilen.size())
                               .arg(Bereich(x0, x1), Bereich(y0, y1), IdentsNennen(z.idents));
                stapel.append(std::move(z));
            }
        }
    }

    // ---- alarm numbers used more than once ----
    {
        std::vector<std::pair<qlonglong, int>> nummern;
        nummern.reserve(eintraege.size());
        for (int r = 0; r < static_cast<int>(eintraege.size()); ++r)
            if (eintraege[static_cast<std::size_t>(r)].nummerGueltig)
                nummern.emplace_back(eintraege[static_cast<std::size_t>(r)].nummer, r);
        // tables are mostly kept in number order: then nothing needs sorting
        if (!tabelleGeordnet)
            std::sort(nummern.begin(), nummern.end());
        QList<Zeile>& doppelt = gruppe(Art::NummerDoppelt);
        auto melden = [&](const std::vector<int>& zeilen) {
            QStringList namen;
            for (int r : zeilen) {
                const QString n = bezeichnungVon(r);
                namen << (n.isEmpty() ? QStringLiteral("ohne Namen") : n);
            }
            Zeile z = mehrfachZeile(zeilen);
            z.befund = QStringLiteral("%1 Zeilen tragen diese Nummer: %2").arg(zeilen.size()).arg(IdentsNennen(namen));
            doppelt.append(std::move(z));
        };
        for (std::size_t i = 0; i < nummern.size();) {
            std::size_t j = i + 1;
            while (j < nummern.size() && nummern[j].first == nummern[i].first)
                ++j;
            if (j - i > 1) {
                std::vector<int> zeilen;
                for (std::size_t k = i; k < j; ++k)
                    zeilen.push_back(nummern[k].second);
                melden(zeilen);
            }
            i = j;
        }
        // numbers that are no numbers, compared as texts
        QHash<QString, std::vector<int>> gleicheTexte;
        for (auto it = identTexte.cbegin(); it != identTexte.cend(); ++it)
            gleicheTexte[it.value()].push_back(it.key());
        for (auto it = gleicheTexte.begin(); it != gleicheTexte.end(); ++it)
            if (it.value().size() > 1) {
                std::sort(it.value().begin(), it.value().end());
                melden(it.value());
            }
    }

    // Lines in the order of their alarm numbers, whatever the table's order.
    for (Gruppe& g : b.m_gruppen) {
        auto frueher = [](const Zeile& a, const Zeile& c) { return a.nummer < c.nummer; };
        if (!std::is_sorted(g.zeilen.cbegin(), g.zeilen.cend(), frueher))
            std::stable_sort(g.zeilen.begin(), g.zeilen.end(), frueher);
    }
    return b;
}

QString Pruefbericht::Text() const {
    QString t;
    t += QStringLiteral("Prüfbericht für %1\n").arg(m_datenbank);
    const qsizetype befunde = Befunde();
    const QString alarme = m_alarme == 1 ? QStringLiteral("1 Alarm") : QStringLiteral("%1 Alarme").arg(m_alarme);
    const QString funde = befunde == 0   ? QStringLiteral("keine Befunde")
                          : befunde == 1 ? QStringLiteral("1 Befund")
                                         : QStringLiteral("%1 Befunde").arg(befunde);
    t += QStringLiteral("%1 geprüft, %2.\n").arg(alarme, funde);
    for (const Gruppe& g : m_gruppen) {
        t += QLatin1Char('\n') + Titel(g.art) + QStringLiteral(": ") + QString::number(g.zeilen.size()) + QLatin1Char('\n');
        for (const Zeile& z : g.zeilen)
            t += QStringLiteral("  ") + z.Text() + QLatin1Char('\n');
    }
    return t;
}

QByteArray Pruefbericht::Csv() const {
    QByteArray csv = CsvDatei::Marke();
    CsvDatei::ZeileAnhaengen(csv, {QStringLiteral("Prüfung"), QStringLiteral("Ident"), QStringLiteral("Alarm"),
                                   QStringLiteral("Form"), QStringLiteral("Symbol"), QStringLiteral("X"),
                                   QStringLiteral("Y"), QStringLiteral("Befund")});
    for (const Gruppe& g : m_gruppen) {
        const QString titel = Titel(g.art);
        for (const Zeile& z : g.zeilen)
            CsvDatei::ZeileAnhaengen(csv, {titel, z.ident, z.bezeichnung, z.form, z.symbol, z.x, z.y, z.befund});
    }
    return csv;
}
