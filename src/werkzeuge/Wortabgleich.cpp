#include "werkzeuge/Wortabgleich.h"

#include <algorithm>
#include <vector>

namespace {
// Signs that join the parts of a tag on a label but not in every VarName.
bool Fuellzeichen(QChar c) { return c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('_') || c.isSpace(); }

// Letters the recognition confuses with digits stand for the digit.
QChar Ziffer(QChar c) {
    switch (c.unicode()) {
    case 'O': case 'Q': return QLatin1Char('0');
    case 'I': case 'L': case '|': case '!': return QLatin1Char('1');
    case 'Z': return QLatin1Char('2');
    case 'S': return QLatin1Char('5');
    case 'B': return QLatin1Char('8');
    default: return c;
    }
}

// A box of turned text running up or down the picture, several times as high as the other
// box is: letters of a line across it are no part of it.
bool Spalte(const QRect& hoch, const QRect& flach) {
    return hoch.height() >= 2 * hoch.width() && hoch.height() > 3 * flach.height() && flach.width() > flach.height();
}

// Two words are parts of one label when they stand side by side on one line,
// no further apart than a blank of a wide (mono) font.
bool Nachbarn(const QRect& a, const QRect& b) {
    const int hoehe = std::max(a.height(), b.height());
    const int ueberlappung = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
    const int luecke = b.left() - (a.x() + a.width());
    if (ueberlappung < 0.6 * std::min(a.height(), b.height()))
        return false;
    // a column of turned letters is no part of a line across it
    if (Spalte(a, b) || Spalte(b, a))
        return false;
    // the end of a label read again on its own, inside the ink box of the front read with it ("81CLM86PT" and "361")
    if (b.width() < a.width() && b.left() > a.center().x() && std::abs(b.right() - a.right()) <= 2)
        return true;
    // a hyphen between the parts may be read with both of them: they overlap by a hyphen, no more than
    // the lower word is high (a word read over two stacked lines reaches far further over its neighbour)
    return luecke >= -std::min(a.height(), b.height()) && luecke <= 1.6 * hoehe && b.center().x() > a.right();
}

// The box of two parts of one line: the letters of a line are of one height, so a part
// boxed far taller than the other (a speck or a stroke read with it) keeps to the other's.
QRect Zeile(const QRect& a, const QRect& b) {
    const QRect beide = a.united(b);
    const QRect& flach = a.height() <= b.height() ? a : b;
    const QRect& hoch = a.height() <= b.height() ? b : a;
    if (2 * hoch.height() <= 3 * flach.height())
        return beide;
    return QRect(QPoint(beide.left(), flach.top()), QPoint(beide.right(), flach.bottom()));
}

// Two parts of one label running up or down the picture: tall boxes, one
// straight above the other, no further apart than a character and a blank.
// Such text reads upwards or downwards, so both orders are tried.
bool Uebereinander(const QRect& a, const QRect& b) {
    if (a.height() < 2 * a.width() || b.height() < 2 * b.width())
        return false;
    const int breite = std::max(a.width(), b.width());
    const int ueberlappung = std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
    const int luecke = std::max(b.top() - a.bottom(), a.top() - b.bottom()) - 1;
    return ueberlappung >= 0.6 * std::min(a.width(), b.width()) && luecke >= -2 && luecke <= 1.6 * breite;
}

// One sign changed, added or left out.
bool EinZeichenAnders(const QString& a, const QString& b) {
    if (a == b || std::abs(a.size() - b.size()) > 1)
        return false;
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size())
        return a.mid(i + 1) == b.mid(i + 1);
    return a.size() < b.size() ? a.mid(i) == b.mid(i + 1) : a.mid(i + 1) == b.mid(i);
}
// Signs the recognition takes for one another when letters are small, blurred or
// broken: round digits, an open P for F, a broken H for I.
bool Verwechselbar(QChar a, QChar b) {
    static const QString Paare[] = {QStringLiteral("FP"), QStringLiteral("08"), QStringLiteral("68"), QStringLiteral("38"),
                                    QStringLiteral("35"), QStringLiteral("56"), QStringLiteral("6G"), QStringLiteral("1H"),
                                    QStringLiteral("1T"), QStringLiteral("17"), QStringLiteral("T7"), QStringLiteral("VY"),
                                    QStringLiteral("D0")};
    for (const QString& p : Paare)
        if ((a == p[0] && b == p[1]) || (a == p[1] && b == p[0]))
            return true;
    return false;
}

// Two signs of a tag of four or more read as their look-alikes, nothing else changed.
bool ZweiVerwechselt(const QString& a, const QString& b) {
    if (a.size() != b.size() || a.size() < 4)
        return false;
    int anders = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && (++anders > 2 || !Verwechselbar(a[i], b[i])))
            return false;
    return anders == 2;
}

// Two signs of a tag of five or more read otherwise, at least one of them as its look-alike, nothing
// else changed, and a letter of the tag among the rest ("HY3E4" for HV394: a line through the copy
// turned the 9 into an E as well).
bool ZweiAndersEinesVerwechselt(const QString& wort, const QString& g) {
    if (wort.size() != g.size() || g.size() < 5)
        return false;
    int anders = 0, verwechselt = 0;
    for (qsizetype i = 0; i < g.size(); ++i)
        if (wort[i] != g[i]) {
            ++anders;
            verwechselt += Verwechselbar(wort[i], g[i]);
        }
    // a letter of the tag read as itself: a run of strokes read "111111" is no label, whatever tag it is near
    bool buchstabe = false;
    for (qsizetype i = 0; i < g.size(); ++i)
        buchstabe = buchstabe || (g[i].isLetter() && wort[i] == g[i]);
    return anders == 2 && verwechselt >= 1 && buchstabe;
}

// Signs added, left out or changed to make one text of the other.
int Abstand(const QString& a, const QString& b) {
    std::vector<int> vorher(static_cast<std::size_t>(b.size()) + 1), jetzt(vorher.size());
    for (std::size_t j = 0; j < vorher.size(); ++j)
        vorher[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        jetzt[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto k = static_cast<std::size_t>(j);
            jetzt[k] = std::min({vorher[k] + 1, jetzt[k - 1] + 1, vorher[k - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        std::swap(vorher, jetzt);
    }
    return vorher.back();
}

// Whether a box is shaped like a line of the same signs as the other: its length across its
// height within 0.6 to 1.6 times the other's (fonts differ in width, a sliver of a line does not).
bool GleicheForm(const QRect& box, const QRect& eigene) {
    auto laenge = [](const QRect& r) {
        return std::max(r.width(), r.height()) / static_cast<double>(std::max(1, std::min(r.width(), r.height())));
    };
    const double l = laenge(box), e = laenge(eigene);
    return l >= 0.6 * e && l <= 1.6 * e;
}

// One digit of the tag, as written, read unsurely as its look-alike ("P6718" for P5718, "FIC-301"
// for FIC501), nothing else changed. A sure reading so is taken for a neighbour's label.
bool ZifferVerwechselt(const QString& wort, const QString& g, const QString& buchstaben, float konfidenz) {
    if (konfidenz >= Wortabgleich::Unsicher || wort.size() != g.size() || buchstaben.size() != g.size())
        return false;
    int anders = 0;
    for (qsizetype i = 0; i < g.size(); ++i)
        if (wort[i] != g[i] && (++anders > 1 || !buchstaben[i].isDigit() || !wort[i].isDigit() || !Verwechselbar(wort[i], g[i])))
            return false;
    return anders == 1;
}

// A reading one sign off a long tag: is it the tag misread? A sign added or left out, or one
// read unsurely, is; a sure reading with another sign in a place may well be a neighbour's label
// ("CP002" beside "CP001", whose own label is not on the picture).
bool Fehllesung(const QString& lesung, const QString& g, float konfidenz) {
    return lesung.size() != g.size() || konfidenz < Wortabgleich::Unsicher;
}

// Two boxes of one place: they share at least half of the smaller one (a column of turned
// letters crossing a line shares a corner of it, and is another label).
bool Deckend(const QRect& a, const QRect& b) {
    const QRect schnitt = a.intersected(b);
    const qint64 kleiner = std::min(qint64(a.width()) * a.height(), qint64(b.width()) * b.height());
    return !schnitt.isEmpty() && 2 * qint64(schnitt.width()) * schnitt.height() >= kleiner;
}

bool HatZiffer(const QString& s) { return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }); }

// A column of turned text longer than its signs can fill: a column's width is its letters' height,
// and a sign of a tag takes no more than about that along the column, blanks and hyphens included.
// Longer, the box took in ink past the label's end (a pipe along it, the next label's letters).
bool GestreckteSpalte(const QRect& box, qsizetype zeichen) {
    return zeichen >= 4 && box.height() >= 2 * box.width() && 4 * box.height() > 5 * zeichen * box.width();
}

// A point or comma between two digits ("47.3", "0,5") makes a reading a value shown, not a loop number.
bool Wert(const QString& text) {
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        if ((text[i] == QLatin1Char('.') || text[i] == QLatin1Char(',')) && text[i - 1].isDigit() && text[i + 1].isDigit())
            return true;
    return false;
}

// The longest run of digits in a tag: its loop number.
QString Nummer(const QString& g) {
    QString beste, laufend;
    for (const QChar c : g) {
        laufend = c.isDigit() ? laufend + c : QString();
        if (laufend.size() > beste.size())
            beste = laufend;
    }
    return beste;
}

// The loop number of a tag as written: a letter before it that stands for a digit in the
// compared form is no part of it ("7657" of B7657, not "87657"). A letter after it is kept,
// as in the compared form: a reading without it would end short of the label's corner.
QString Nummer(const QString& g, const QString& buchstaben) {
    const QString nummer = Nummer(g);
    const qsizetype anfang = g.indexOf(nummer), ende = anfang + nummer.size();
    if (anfang < 0 || buchstaben.size() != g.size())
        return nummer;
    qsizetype a = anfang;
    while (a < ende && !buchstaben[a].isDigit())
        ++a;
    return g.mid(a, ende - a);
}

// A reading of the tag with its first letters lost: its loop number alone or
// an end of it that holds the whole number ("2270" or "T2270" for TT2270).
bool OhneAnfang(const QString& wort, const QString& g, const QString& nummer) {
    return nummer.size() >= 3 && wort != g && (wort == nummer || (g.endsWith(wort) && wort.contains(nummer)));
}
bool OhneAnfang(const QString& wort, const QString& g) { return OhneAnfang(wort, g, Nummer(g)); }

// Two signs of a tag of six or more read otherwise, neither as its look-alike, at most one of them in
// the loop number, and a letter of the tag among the rest ("MV5240" for XV5840, "PRT87394" for
// PDT8739A: a small, blurred or crossed copy loses more than look-alikes explain). Two digits of the
// number changed are another loop's tag ("FIC125" is no FIC101).
bool ZweiAndersNummerGehalten(const QString& wort, const QString& g) {
    if (wort.size() != g.size() || g.size() < 6)
        return false;
    const QString nummer = Nummer(g);
    const qsizetype anfang = g.indexOf(nummer), ende = anfang + nummer.size();
    int anders = 0, inNummer = 0;
    bool buchstabe = false;
    for (qsizetype i = 0; i < g.size(); ++i) {
        if (wort[i] != g[i]) {
            ++anders;
            inNummer += i >= anfang && i < ende;
        } else {
            buchstabe = buchstabe || g[i].isLetter();
        }
    }
    return anders == 2 && inNummer <= 1 && buchstabe;
}

// Letters of a tag the recognition takes for one another in narrow fonts.
bool Aehnlich(QChar a, QChar b) {
    static const QString Paare[] = {QStringLiteral("T1"), QStringLiteral("T7"), QStringLiteral("17"), QStringLiteral("VY"),
                                    QStringLiteral("EF"), QStringLiteral("FP")};
    for (const QString& p : Paare)
        if ((a == p[0] && b == p[1]) || (a == p[1] && b == p[0]))
            return true;
    return false;
}

// The word is the tag with some of its letters read as look-alikes; its digits, which tell
// one loop from the next, as written.
bool Verlesen(const QString& wort, const QString& g) {
    if (wort.size() != g.size() || wort == g || Nummer(g).size() < 3)
        return false;
    for (qsizetype i = 0; i < g.size(); ++i)
        if (wort[i] != g[i] && !(!g[i].isDigit() && Aehnlich(wort[i], g[i])))
            return false;
    return true;
}

// The tag read without its last sign ("LSH4396" for LSH4396B): a copy of it, not a label of its own.
bool OhneLetztes(const QString& wort, const QString& g) {
    return g.size() >= 5 && wort.size() == g.size() - 1 && g.startsWith(wort);
}

// The tag's front alone, three signs or more and the start of its loop number among them, two
// signs or more short of the whole ("LT5", read "LTS", for LT500A): a copy whose end was lost.
bool NurVorne(const QString& wort, const QString& g) {
    return wort.size() >= 3 && wort.size() + 2 <= g.size() && g.startsWith(wort) &&
           std::any_of(wort.begin(), wort.end(), [](QChar c) { return c.isDigit(); });
}

// The part after the last hyphen of a word holding two labels, each of four signs or more, the
// last with letters and digits ("FQ204" of "V4900F-FQ204"); empty for any other word.
QString HinterStrich(const QString& text) {
    const qsizetype strich = text.lastIndexOf(QLatin1Char('-'));
    if (strich <= 0 || Wortabgleich::Grundform(text.left(strich)).size() < 4)
        return {};
    const QString hinten = Wortabgleich::Grundform(text.mid(strich + 1));
    const bool buchstaben = std::any_of(hinten.begin(), hinten.end(), [](QChar c) { return c.isLetter(); });
    const bool ziffern = std::any_of(hinten.begin(), hinten.end(), [](QChar c) { return c.isDigit(); });
    return hinten.size() >= 4 && buchstaben && ziffern ? hinten : QString();
}
}  // namespace

QString Wortabgleich::Grundform(const QString& text) { return Form(text, true); }

QString Wortabgleich::Form(const QString& text, bool ziffern) {
    qsizetype anfang = 0, ende = text.size();
    while (anfang < ende && !text[anfang].isLetterOrNumber())
        ++anfang;
    while (ende > anfang && !text[ende - 1].isLetterOrNumber())
        --ende;
    QString g;
    g.reserve(ende - anfang);
    for (qsizetype i = anfang; i < ende; ++i) {
        const QChar c = text[i];
        if (Fuellzeichen(c))
            continue;
        // "Vv": one wide capital read as capital and small letter
        if (c.isUpper() && i + 1 < ende && text[i + 1] == c.toLower())
            ++i;
        g += ziffern ? Ziffer(c.toUpper()) : c.toUpper();
    }
    return g;
}

Wortabgleich::Wortabgleich(const QList<Bildwort>& woerter) {
    for (const Bildwort& w : woerter) {
        // a number with a unit right after it on its line ("400 V", "85 C") is a value shown
        const bool mitEinheit = std::all_of(w.text.begin(), w.text.end(), [](QChar c) { return c.isDigit(); }) &&
                                std::any_of(woerter.begin(), woerter.end(), [&w](const Bildwort& b) {
                                    return &b != &w && Nachbarn(w.box, b.box) && b.box.left() > w.box.right() && b.text.size() <= 4 &&
                                           std::all_of(b.text.begin(), b.text.end(), [](QChar c) { return c.isLetter() || c == QLatin1Char('%') || c == QLatin1Char('/'); });
                                });
        Eintragen(w.text, w.box, w.konfidenz, mitEinheit);
    }
    // a part without letters or digits ("..", a speck) adds no sign, only its box to the word's
    for (const Bildwort& a : woerter)
        for (const Bildwort& b : woerter)
            if (&a != &b && !Grundform(a.text).isEmpty() && !Grundform(b.text).isEmpty()) {
                if (Uebereinander(a.box, b.box))
                    Eintragen(a.text + b.text, a.box.united(b.box), std::min(a.konfidenz, b.konfidenz));
                else if (Nachbarn(a.box, b.box))
                    Eintragen(a.text + b.text, Zeile(a.box, b.box), std::min(a.konfidenz, b.konfidenz));
            }
}

void Wortabgleich::Eintragen(const QString& text, const QRect& box, float konfidenz, bool wert) {
    const QString g = Grundform(text);
    if (!g.isEmpty())
        m_stellen.insert(g, Stelle{box, konfidenz, wert || Wert(text), HatZiffer(text)});
    // a speck beside a turned label is read as a word of its own line ("Y GS5879")
    const QStringList teile = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (teile.size() == 2)
        for (const QString& teil : teile) {
            const QString g2 = Grundform(teil);
            if (g2.size() >= 3 && std::any_of(g2.begin(), g2.end(), [](QChar c) { return c.isDigit(); }))
                m_stellen.insert(g2, Stelle{box, konfidenz, Wert(teil), HatZiffer(teil)});
        }
    // two labels side by side read as one word across a hyphen ("V4900F-FQ204"): the last ends where the box ends
    const QString hinten = HinterStrich(text);
    if (!hinten.isEmpty())
        m_stellen.insert(hinten, Stelle{box, konfidenz, Wert(text), HatZiffer(text.mid(text.lastIndexOf(QLatin1Char('-')) + 1))});
    // the side of a frame or a speck close before a label is read as its first letter ("IPIC3894A", "sFQ8671",
    // "1GS6158")
    static const QString Strich = QStringLiteral("I|l[1");
    if (text.size() >= 4 && (Strich.contains(text[0]) || text[0].isLower()) && text[1].isUpper()) {
        const QString ohne = Grundform(text.mid(1));
        if (!ohne.isEmpty())
            m_stellen.insert(ohne, Stelle{box, konfidenz, Wert(text), HatZiffer(text.mid(1))});
    }
    // so are two specks or a speck and a frame's side, read as small letters ("gfFQ117")
    if (text.size() >= 5 && text[0].isLower() && text[1].isLower() && text[2].isUpper()) {
        const QString ohne = Grundform(text.mid(2));
        if (!ohne.isEmpty())
            m_stellen.insert(ohne, Stelle{box, konfidenz, Wert(text), HatZiffer(text.mid(2))});
    }
}

QList<QRect> Wortabgleich::Stellen(const QString& kennzeichen, const QSet<QString>& andere) const {
    const QString g = Grundform(kennzeichen);
    if (g.isEmpty())
        return {};
    QList<Stelle> alle = m_stellen.values(g);
    // the hash gives the latest entry first: single words before the pairs they are part of
    std::reverse(alle.begin(), alle.end());
    SichersteZuerst(alle);
    // of two readings of one column, the one whose box fits its signs goes first, however sure the other
    std::stable_partition(alle.begin(), alle.end(), [&g](const Stelle& s) { return !GestreckteSpalte(s.box, g.size()); });
    QList<QRect> stellen;
    auto dazu = [&stellen](const QRect& r) {
        if (std::none_of(stellen.begin(), stellen.end(), [&r](const QRect& s) { return s.intersects(r); }))
            stellen << r;
    };
    // A place where another tag of the picture was read more surely than this one is that
    // tag's label, misread here or there: the tag gives way.
    for (const Stelle& s : std::as_const(alle))
        if (!AndererBesser(g, s.box, andere))
            dazu(s.box);
    // The readings a rule lets stand for the tag, the tightest box first: a word read with a
    // speck or a neighbour beside it is the same place as the word alone. Such a slip gives
    // way to any reading of another tag of the picture at that place.
    auto dazuEngste = [&](auto passt) {
        QList<QRect> boxen;
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (passt(it))
                boxen << it->box;
        std::stable_sort(boxen.begin(), boxen.end(), [](const QRect& a, const QRect& b) {
            return qint64(a.width()) * a.height() < qint64(b.width()) * b.height();
        });
        for (const QRect& b : std::as_const(boxen))
            if (!AndererBesser(g, b, andere))
                dazu(b);
    };
    // Not read as written anywhere: letters of the tag may have been read as their look-alikes
    // ("11570" for TT570, "ET9588" for FT9588), when no other tag could be meant.
    if (stellen.isEmpty())
        dazuEngste([&](auto it) {
            return Verlesen(it.key(), g) &&
                   std::none_of(andere.begin(), andere.end(), [&](const QString& a) { return a != g && (a == it.key() || Verlesen(it.key(), a)); });
        });
    // Nor so: one of its digits read unsurely as a look-alike, where no other tag of the picture is
    // as close to that reading and no other tag was read at that place.
    const QString buchstaben = Form(kennzeichen, false);
    if (stellen.isEmpty())
        dazuEngste([&](auto it) {
            if (it->wert || !ZifferVerwechselt(it.key(), g, buchstaben, it->konfidenz))
                return false;
            return std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
                if (a == g)
                    return false;
                const QList<Stelle> dort = m_stellen.values(a);
                return a == it.key() || EinZeichenAnders(it.key(), a) ||
                       std::any_of(dort.begin(), dort.end(), [&it](const Stelle& s) { return s.box.intersects(it->box); });
            });
        });
    // A long tag (seven signs or more, "90CAP56TD366") read nowhere as written: a reading one sign
    // off stands for it when it is the tag misread, and no other tag of the picture is as close to
    // that reading; not one that lacks the tag's last sign, whose box would end short of the
    // label's corner, nor one with a sign more after the tag, whose box would end long.
    if (stellen.isEmpty() && g.size() >= 7)
        dazuEngste([&](auto it) {
            return EinZeichenAnders(it.key(), g) && !g.startsWith(it.key()) && !it.key().startsWith(g) && Fehllesung(it.key(), g, it->konfidenz) &&
                   !OhneLetztesDort(g, it->box) &&
                   std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
                       return a != g && (a == it.key() || EinZeichenAnders(it.key(), a));
                   });
        });
    // Still nowhere: the letters of a bubble, a small or a blurred label are lost first, and its loop
    // number read surely alone, or with the end after it ("2103" for LT2103, "279A" for PT279A),
    // stands for it when no other tag of the picture carries that number; not a value shown ("47.3").
    // Upright only: the number of a turned label is at one end of it, and which end the box cannot tell.
    // Not where the tag's letters were read on the number's line before it, too far to be its front:
    // then they were not lost, and the two are parts of other texts.
    const QString nummer = Nummer(g, buchstaben);
    // another tag whose loop number ends with the reading may be meant as well
    auto andereNummer = [&](const QString& wort) {
        return std::any_of(andere.begin(), andere.end(), [&](const QString& a) {
            return a != g && (a == wort || OhneAnfang(wort, a) || (a.endsWith(wort) && Nummer(a).endsWith(wort)));
        });
    };
    const QString vorne = g.left(g.indexOf(nummer));
    const QList<Stelle> vorneGelesen = vorne.isEmpty() ? QList<Stelle>() : m_stellen.values(vorne);
    auto vorneAufZeile = [&vorneGelesen](const QRect& box) {
        return std::any_of(vorneGelesen.begin(), vorneGelesen.end(), [&box](const Stelle& s) {
            return s.box.right() < box.left() && std::min(s.box.bottom(), box.bottom()) > std::max(s.box.top(), box.top());
        });
    };
    // A blurred label's number is often read unsurely alone, its letters lost: that stands for the tag
    // too where the engine rated it at all (one rated 0 is as often a bubble's ring boxed with the
    // digits), the box is as wide as its digits need (a box that took in the ring is far higher than
    // they are) and no other tag of the picture has an end one sign off it, which it might be a slip of.
    auto unsichereNummer = [&](auto it) {
        const QString& k = it.key();
        if (it->konfidenz < 1 || 20 * it->box.width() < 11 * it->box.height() * k.size())
            return false;
        return std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
            return a != g && (EinZeichenAnders(k, Nummer(a)) || EinZeichenAnders(k, a.right(k.size())));
        });
    };
    if (stellen.isEmpty())
        dazuEngste([&](auto it) {
            // the look at every other tag last: a picture may carry hundreds
            return !it->wert && it->ziffern && it->box.width() > it->box.height() && OhneAnfang(it.key(), g, nummer) &&
                   (it->konfidenz >= Unsicher || unsichereNummer(it)) && !vorneAufZeile(it->box) && !andereNummer(it.key()) &&
                   !FremdesWortDaneben(g, it->box);
        });
    // A sure place alone is not enough when an unsure reading elsewhere is one sign off, or
    // two signs read as their look-alikes: that may be the second copy (often drawn smaller),
    // and the arrow would go to one of two places without a word. Where the tag itself was
    // read only unsurely, or only through a slip, a sure reading elsewhere so close may be the
    // copy just as well. Not so where the reading is as close to another tag of the picture
    // that was not read surely elsewhere, or stands where another tag was read.
    auto aufAnderem = [&](const QRect& box) {
        return std::any_of(andere.begin(), andere.end(), [&](const QString& a) {
            if (a == g)
                return false;
            const QList<Stelle> dort = m_stellen.values(a);
            return std::any_of(dort.begin(), dort.end(), [&box](const Stelle& s) { return s.box.intersects(box); });
        });
    };
    const bool selbstSicher = std::any_of(alle.begin(), alle.end(), [](const Stelle& s) { return s.konfidenz >= Unsicher; });
    // another tag read surely at a place of its own has its label there, so a close reading
    // elsewhere is no more likely its copy than the tag's
    auto sicherWoanders = [&](const QString& a, const QRect& box) {
        const QList<Stelle> dort = m_stellen.values(a);
        return std::any_of(dort.begin(), dort.end(), [&box](const Stelle& s) { return s.konfidenz >= Unsicher && !s.box.intersects(box); });
    };
    // An unsure reading where another reading of the same place, sure and far from the tag, holds
    // digits too is a piece of that other label ("LSH885" rated 38 over "8854B" rated 92 of LSH8854B);
    // not a part of the reading itself ("247" of "B" and "247" for B347: the copy's number read one off).
    auto andersSicher = [&](const QString& lesung, const QRect& box) {
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (it->konfidenz >= Unsicher && it->ziffern && !lesung.contains(it.key()) && it->box.intersects(box) &&
                !it.key().contains(g) && !g.contains(it.key()) && !EinZeichenAnders(it.key(), g) && !ZweiVerwechselt(it.key(), g) &&
                !OhneAnfang(it.key(), g, nummer))
                return true;
        return false;
    };
    if (!stellen.isEmpty() && g.size() >= 3)
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
            // a word of letters only ("BOS") is no misread copy of a tag with a loop number
            if ((it->konfidenz >= Unsicher && selbstSicher) || (!it->ziffern && HatZiffer(kennzeichen)))
                continue;
            const bool eins = EinZeichenAnders(it.key(), g), zwei = !eins && ZweiVerwechselt(it.key(), g);
            if ((eins || zwei) && !aufAnderem(it->box) && !(it->konfidenz < Unsicher && andersSicher(it.key(), it->box)) && std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
                    return a != g && (a == it.key() ||
                                      ((EinZeichenAnders(it.key(), a) || (zwei && ZweiVerwechselt(it.key(), a))) && !sicherWoanders(a, it->box)));
                }))
                dazu(it->box);
        }
    // So is an unsure reading two signs off, one of them a look-alike, shaped like the tag's line.
    if (!stellen.isEmpty())
        for (const auto& [lesung, box] : ZweiAnders(g, stellen.first(), andere))
            if (!aufAnderem(box) && !andersSicher(lesung, box))
                dazu(box);
    // So is a place read as the tag without its last sign, however sure: the end of a small or
    // turned copy is lost more easily than its front.
    if (!stellen.isEmpty())
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (OhneLetztes(it.key(), g) && !aufAnderem(it->box) &&
                std::none_of(andere.begin(), andere.end(), [&](const QString& a) { return a != g && (a == it.key() || OhneLetztes(it.key(), a)); }))
                dazu(it->box);
    // So is a place where only the end of a long tag was read, five signs or more with letters and digits
    // ("PP724" for 30BNA47PP724), or unsurely with one of them off ("TCE04" for 39ANL84TC804): the front
    // of a long copy is lost or read apart. Not where another tag of the picture ends so.
    if (!stellen.isEmpty() && g.size() >= 7)
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
            const QString& k = it.key();
            if (k.size() < 5 || k.size() + 2 > g.size() || !it->ziffern || it->wert ||
                std::none_of(k.begin(), k.end(), [](QChar c) { return c.isLetter(); }))
                continue;
            auto endeVon = [&k, &it](const QString& t) {
                const QString ende = t.right(k.size());
                return t.size() >= k.size() && (k == ende || (it->konfidenz < Unsicher && EinZeichenAnders(k, ende)));
            };
            if (endeVon(g) && !aufAnderem(it->box) &&
                std::none_of(andere.begin(), andere.end(), [&](const QString& a) { return a != g && endeVon(a); }))
                dazu(it->box);
        }
    // So is a place where only the tag's front was read, unless another tag of the picture begins so, and one
    // where the front and the end were read on one line with the signs between lost ("Tic" and "45" for TIC5245).
    if (!stellen.isEmpty()) {
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (NurVorne(it.key(), g) && !aufAnderem(it->box) &&
                std::none_of(andere.begin(), andere.end(), [&](const QString& a) { return a != g && a.startsWith(it.key()); }))
                dazu(it->box);
        for (const QRect& b : VorneUndHinten(g, andere))
            if (!aufAnderem(b))
                dazu(b);
    }
    // So is a place where only the tag's loop number was read, unless another tag of the picture carries that number:
    // the letters of a small or blurred copy are lost first.
    // Not a word without a digit as read ("BOS" is no 805), nor a part of a reading that holds
    // the whole tag with a neighbour's word ("570A" of "Kessel 2PT-570A"): that is the tag's own label.
    auto imGanzen = [&](const QRect& box) {
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (it.key().contains(g) && it->box.intersects(box) &&
                std::any_of(stellen.begin(), stellen.end(), [&it](const QRect& s) { return s.intersects(it->box); }))
                return true;
        return false;
    };
    // Where another tag carries that number too, the lone number is a copy of the one whose own label
    // holds the same number read in a box of the same size (a bubble's number beside a bubble's), and
    // of no other tag's so: the letters of one of two like labels were lost, not those of another style.
    auto gleichGross = [](const QRect& a, const QRect& b) {
        return std::abs(a.height() - b.height()) <= std::max(2, a.height() / 5) &&
               std::abs(a.width() - b.width()) <= std::max(3, a.width() / 4);
    };
    auto gleicheNummerIn = [&](const QString& k, const QRect& box, const QList<QRect>& orte) {
        const QList<Stelle> gleiche = m_stellen.values(k);
        return std::any_of(gleiche.begin(), gleiche.end(), [&](const Stelle& s) {
            return s.box != box && gleichGross(s.box, box) &&
                   std::any_of(orte.begin(), orte.end(), [&s](const QRect& o) { return o.intersects(s.box); });
        });
    };
    auto nurWieDieEigene = [&](const QString& k, const QRect& box) {
        if (aufAnderem(box) || !gleicheNummerIn(k, box, stellen))
            return false;
        return std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
            if (a == g || !(a == k || OhneAnfang(k, a) || (a.endsWith(k) && Nummer(a).endsWith(k))))
                return false;
            QList<QRect> orte;
            for (const Stelle& s : m_stellen.values(a))
                orte << s.box;
            return gleicheNummerIn(k, box, orte);
        });
    };
    if (!stellen.isEmpty())
        for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
            if (it->ziffern && OhneAnfang(it.key(), g, nummer) && !imGanzen(it->box) &&
                (!andereNummer(it.key()) || nurWieDieEigene(it.key(), it->box)))
                dazu(it->box);
    std::sort(stellen.begin(), stellen.end(),
              [](const QRect& a, const QRect& b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    // one place only, but its corner not to be trusted: no proposal rather than a wrong one
    if (stellen.size() == 1 && (EckeZweifelhaft(stellen.first(), g.size()) || EndeUeberzaehlig(g, stellen.first()) ||
                                UnterKleinerenBuchstaben(g, stellen.first()) || OhneZeilenform(stellen.first(), g.size())))
        return {};
    return stellen;
}

QList<std::pair<QString, QRect>> Wortabgleich::ZweiAnders(const QString& g, const QRect& eigene, const QSet<QString>& andere) const {
    QList<std::pair<QString, QRect>> kopien;
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QString& k = it.key();
        if (it->konfidenz >= Unsicher || !it->ziffern || it->wert || !(ZweiAndersEinesVerwechselt(k, g) || ZweiAndersNummerGehalten(k, g)) ||
            it->box.intersects(eigene) || !GleicheForm(it->box, eigene))
            continue;
        // a reading within two signs of another tag of the picture may be that one's label as well
        if (std::none_of(andere.begin(), andere.end(), [&](const QString& a) { return a != g && Abstand(k, a) <= 2; }))
            kopien.append({k, it->box});
    }
    return kopien;
}

bool Wortabgleich::OhneLetztesDort(const QString& g, const QRect& box) const {
    const QList<Stelle> dort = m_stellen.values(g.chopped(1));
    return std::any_of(dort.begin(), dort.end(), [&box](const Stelle& s) { return s.box == box; });
}

QList<QRect> Wortabgleich::VorneUndHinten(const QString& g, const QSet<QString>& andere) const {
    QList<QRect> boxen;
    if (g.size() < 5)
        return boxen;
    QList<const Stelle*> vorne, hinten;
    QList<qsizetype> vorneLaenge, hintenLaenge;
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QString& k = it.key();
        if (k.size() < 2 || k.size() + 2 > g.size())
            continue;
        if (g.startsWith(k) && std::any_of(k.begin(), k.end(), [](QChar c) { return c.isLetter(); })) {
            vorne << &*it;
            vorneLaenge << k.size();
        }
        if (g.endsWith(k) && std::any_of(k.begin(), k.end(), [](QChar c) { return c.isDigit(); })) {
            hinten << &*it;
            hintenLaenge << k.size();
        }
    }
    for (qsizetype i = 0; i < vorne.size(); ++i)
        for (qsizetype j = 0; j < hinten.size(); ++j) {
            const qsizetype fehlt = g.size() - vorneLaenge[i] - hintenLaenge[j];
            if (fehlt < 1)
                continue;
            const QRect& v = vorne[i]->box;
            const QRect& h = hinten[j]->box;
            const int hoehe = std::max(v.height(), h.height());
            const int ueberlappung = std::min(v.bottom(), h.bottom()) - std::max(v.top(), h.top()) + 1;
            const int luecke = h.left() - v.right() - 1;
            // the gap holds the lost signs, each about as wide as the letters are high, and no more
            if (v.width() >= v.height() && h.width() >= h.height() && ueberlappung >= 0.6 * std::min(v.height(), h.height()) &&
                luecke >= hoehe / 3 && luecke <= (fehlt + 1) * hoehe) {
                const QString front = g.left(vorneLaenge[i]), ende = g.right(hintenLaenge[j]);
                if (std::none_of(andere.begin(), andere.end(), [&](const QString& a) {
                        return a != g && a.size() >= front.size() + ende.size() && a.startsWith(front) && a.endsWith(ende);
                    }))
                    boxen << v.united(h);
            }
        }
    return boxen;
}

bool Wortabgleich::EckeZweifelhaft(const QRect& box, qsizetype zeichen) const {
    if (GestreckteSpalte(box, zeichen))
        return true;
    // A tag on one line boxed lower than three quarters of a sign is wide: the box holds part of the letters only.
    if (box.width() > box.height() && zeichen >= 4 && 4 * box.height() * zeichen < 3 * box.width())
        return true;
    // A box about as high as wide for five signs or more is neither a line nor a column, and where no
    // line of the tag's words lies inside it, no two stacked lines either: not the box of the label.
    if (zeichen >= 5 && 2 * box.width() < 3 * box.height() && 2 * box.height() < 3 * box.width() &&
        std::none_of(m_stellen.cbegin(), m_stellen.cend(), [&box](const Stelle& s) {
            return s.box != box && box.contains(s.box) && 5 * s.box.height() <= 3 * box.height() && 5 * s.box.width() >= 2 * box.width();
        }))
        return true;
    // A bubble's number boxed with its ring: the number's part of the box far taller than the letters above it.
    // Specks and bits of the ring read on their own are no part: only words a third as wide as the box count.
    QRect oben, unten;
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QRect& b = it->box;
        if (b == box || !box.contains(b) || b.width() < b.height() || 3 * b.width() < box.width())
            continue;
        if (b.top() == box.top() && b.bottom() < box.center().y() && b.height() > oben.height())
            oben = b;
        if (b.bottom() == box.bottom() && b.top() > box.top() + box.height() / 3 && b.height() > unten.height())
            unten = b;
    }
    return !oben.isEmpty() && 4 * unten.height() > 5 * oben.height() && RingAmEnde(oben, unten);
}

bool Wortabgleich::RingAmEnde(const QRect& oben, const QRect& unten) {
    // Half as high again as the letters, the number's box took in the ring below it and on both sides.
    if (2 * unten.height() >= 3 * oben.height())
        return true;
    // Both lines of a bubble are centred on its circle: the number reaching further right of the
    // letters' middle than left of it by more than half a letter's height holds a piece of the ring
    // at its end. A piece at its front leaves the corner where it is.
    const int mitte2 = oben.left() + oben.right();
    const int rechts = 2 * unten.right() - mitte2, links = mitte2 - 2 * unten.left();
    return rechts - links > oben.height();
}

void Wortabgleich::SichersteZuerst(QList<Stelle>& stellen) {
    // Of the readings of one place the surest goes first: a reading that took in a speck or a
    // piece of a bubble's ring ("TT1406." rated 6 beside "TT1406" rated 80) is the same place
    // with a box that does not end at the label.
    std::stable_sort(stellen.begin(), stellen.end(), [](const Stelle& a, const Stelle& b) { return a.konfidenz > b.konfidenz; });
}

bool Wortabgleich::EndeUeberzaehlig(const QString& g, const QRect& box) const {
    // The tag's end read only unsurely where the box ends, and far more surely with one sign more
    // after it ("-99401" rated 47 where "9940" is rated 1, a column read "62LPA35 DC590F" rated 105
    // and "62LPA35 DCS90" rated 46): the box holds ink beyond the tag's last sign (a halo, a symbol
    // drawn after it), so its corner is not the label's. Equally unsure readings with a sign more
    // (a speck read as a letter, both rated 0) say nothing.
    float genau = -1, mehr = -1;
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QRect& b = it->box;
        if (b.right() != box.right() || std::min(b.bottom(), box.bottom()) <= std::max(b.top(), box.top()))
            continue;
        const QString& k = it.key();
        if (k.size() >= 3 && g.endsWith(k))
            genau = std::max(genau, it->konfidenz);
        else if (k.size() >= 4 && g.endsWith(k.chopped(1)))
            mehr = std::max(mehr, it->konfidenz);
    }
    return genau >= 0 && genau < Unsicher && mehr >= genau + 40;
}

bool Wortabgleich::UnterKleinerenBuchstaben(const QString& g, const QRect& box) const {
    // The tag's front letters read straight above the box, centred, and the box far higher than they
    // are: a bubble's number boxed with its ring or the line across it.
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QRect& b = it->box;
        const QString& k = it.key();
        if (k.size() < 2 || !g.startsWith(k) || k.size() > g.indexOf(Nummer(g)) || b.bottom() >= box.top())
            continue;
        const int luecke = box.top() - b.bottom() - 1;
        if (luecke <= 1.5 * b.height() && std::abs(b.center().x() - box.center().x()) <= 0.2 * std::max(b.width(), box.width()) + 3 &&
            4 * box.height() > 5 * b.height())
            return true;
    }
    return false;
}

bool Wortabgleich::OhneZeilenform(const QRect& box, qsizetype zeichen) const {
    // Four signs in a box about as high as wide, with no line of them inside it: neither a line, a
    // column nor two stacked lines, only part of the label (the longer tags: EckeZweifelhaft).
    if (zeichen != 4 || 2 * box.width() >= 3 * box.height() || 2 * box.height() >= 3 * box.width())
        return false;
    return std::none_of(m_stellen.cbegin(), m_stellen.cend(), [&box](const Stelle& s) {
        return s.box != box && box.contains(s.box) && 5 * s.box.height() <= 3 * box.height() && 5 * s.box.width() >= 2 * box.width();
    });
}

bool Wortabgleich::AndererBesser(const QString& g, const QRect& box, const QSet<QString>& andere) const {
    // how surely the tag itself was read there; a place only a slip gave counts below any reading
    float eigene = -1;
    const QList<Stelle> selbst = m_stellen.values(g);
    for (const Stelle& s : selbst)
        if (Deckend(s.box, box))
            eigene = std::max(eigene, s.konfidenz);
    if (eigene >= Unsicher)
        return false;
    // the readings at the box, not the picture's tags, are walked: a picture may carry hundreds of tags
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it)
        if (it->konfidenz > eigene && it.key() != g && Deckend(it->box, box) && andere.contains(it.key()))
            return true;
    return false;
}

bool Wortabgleich::FremdesWortDaneben(const QString& g, const QRect& box) const {
    // A word without a digit, read surely, right before or after the number on its line that is no
    // part of the tag: a unit or a name with it ("400 V", "DN 150"), so the number is a value or
    // another text's ("400 V" is no HV400's). The letters of a small label are often read unsurely
    // ("RM" for XV) and count not, nor a word before the number one sign off the tag's front ("POT"
    // for PDT), nor the tag's end after it.
    const QString vorne = g.left(g.indexOf(Nummer(g)));
    for (auto it = m_stellen.cbegin(); it != m_stellen.cend(); ++it) {
        const QRect& b = it->box;
        const bool davor = b.center().x() < box.center().x();
        if (it->ziffern || it->konfidenz < Unsicher || b == box || b.contains(box) ||
            (davor && (vorne.contains(it.key()) || Abstand(it.key(), vorne) <= 1)) || (!davor && g.endsWith(it.key())))
            continue;
        // on the number's line, beside it or reaching past its end into it ("400" boxed over the "V")
        const bool zeile = std::min(b.bottom(), box.bottom()) - std::max(b.top(), box.top()) + 1 >= 0.6 * std::min(b.height(), box.height());
        if (Nachbarn(b, box) || Nachbarn(box, b) || (zeile && b.intersects(box) && (b.right() > box.right() || b.left() < box.left())))
            return true;
    }
    return false;
}
