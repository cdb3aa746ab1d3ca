#pragma once
// Finds a tag among the words read from one picture. A word matches when it
// equals the tag without regard to case, also through the slips recognition
// makes: O read for 0, I or l for 1 (and the like), a wide capital read twice
// ("Vv"), signs around the word, blanks and hyphens inside it, a tag read as
// two words side by side.
#include <QList>
#include <QRect>
#include <QSet>
#include <QString>
#include <utility>

#include "werkzeuge/Bildwort.h"
#include "werkzeuge/Reihenhash.h"

class Wortabgleich {
public:
    explicit Wortabgleich(const QList<Bildwort>& woerter);

    // The boxes of every place the tag stands on the picture, top to bottom:
    // none, one, or several (then it is not known which one is meant). A place
    // read unsurely that differs from the tag by one sign counts as a second
    // place beside a sure one, as does one with two signs read as their
    // look-alikes, or, read unsurely in a box shaped like the tag's line, two signs of which one a
    // look-alike (or, for six signs or more, neither, with at most one in the loop number): it may well
    // be a second copy of the tag;
    // unless it reads as one of the andere, the picture's other tags, or as
    // a slip of one not read surely elsewhere, or stands where one of them was
    // read; where the tag itself was read only unsurely, a sure reading counts too. So does a
    // place where only the end of the tag holding its loop number was read,
    // unless another of the andere has it (then only where the tag's own label
    // holds it in a box of that size, and the other's not), and one where only the tag's front
    // was read, or its front and end with the signs between lost, unless
    // another of the andere begins (and ends) so. A tag of seven signs or more
    // read nowhere as written is found where a reading is one sign off it; a
    // shorter one where one of its digits was read unsurely as a look-alike. One
    // place whose box cannot end at the label's corner (lower than the letters,
    // a bubble's number boxed with its ring, four signs or more in a box about as
    // high as wide that is no bubble, a box read far more surely with a sign more
    // after the tag's end, a column of turned text longer than its signs fill) gives none.
    QList<QRect> Stellen(const QString& kennzeichen, const QSet<QString>& andere = {}) const;

    // The form in which words and tags are compared; empty for a text
    // without letters or digits.
    static QString Grundform(const QString& text);

    // Below this confidence a reading is not sure enough to rule out a copy: the
    // engine rates a misread small or blurred copy as high as 80.
    static constexpr float Unsicher = 85;

private:
    struct Stelle {
        QRect box;
        float konfidenz;
        bool wert = false;     // read as a value with a decimal point
        bool ziffern = true;   // holds a digit as read, not only letters taken for digits ("BOS")
    };
    // Grundform, or with ziffern false the same signs with letters kept as letters.
    static QString Form(const QString& text, bool ziffern);
    // Whether the box was read, in one of its readings, as the tag without its last sign: then the
    // box ends short of the label, whatever another reading of it says.
    bool OhneLetztesDort(const QString& g, const QRect& box) const;
    // The places where the tag's front and end were read on one line with the signs between lost.
    QList<QRect> VorneUndHinten(const QString& g, const QSet<QString>& andere) const;
    // The unsure readings two signs off the tag, one of them read as its look-alike or neither and
    // at most one in the loop number, in a box
    // shaped like the line of the tag's own place eigene, and within two signs of no other of the
    // andere: a copy misread a sign more than a look-alike allows (a line through it).
    QList<std::pair<QString, QRect>> ZweiAnders(const QString& g, const QRect& eigene, const QSet<QString>& andere) const;
    // Whether the bottom-right corner of the box found for a tag of so many signs is not that of the
    // label's ink: a box lower than the letters, a bubble's number boxed with its ring, a box about as
    // high as wide for five signs or more that holds no line of them.
    bool EckeZweifelhaft(const QRect& box, qsizetype zeichen) const;
    // Whether the lower of two lines centred in a bubble, unten, took in the bubble's ring at its end:
    // half as high again as the upper one, oben, or reaching further right of its middle than left.
    static bool RingAmEnde(const QRect& oben, const QRect& unten);
    // Puts the surest of the readings first, so that of overlapping places the surest reading's box is kept.
    static void SichersteZuerst(QList<Stelle>& stellen);
    // Whether a reading ending where the box ends holds the tag's end and one sign more, far more
    // surely than the tag's end was read there: the box ends beyond the label.
    bool EndeUeberzaehlig(const QString& g, const QRect& box) const;
    // Whether the tag's front letters were read centred straight above the box and far lower than it
    // is high: a bubble's number boxed with its ring.
    bool UnterKleinerenBuchstaben(const QString& g, const QRect& box) const;
    // Whether a box for a tag of four signs is about as high as wide and holds no line of them.
    bool OhneZeilenform(const QRect& box, qsizetype zeichen) const;
    // Whether another of the andere, the picture's tags, was read at the box more surely than the tag
    // g was read there (a place the tag was found at only through a slip counts below any reading),
    // where the tag was read there only unsurely: that is the other's label, the tag gives way.
    bool AndererBesser(const QString& g, const QRect& box, const QSet<QString>& andere) const;
    // Whether a word without a digit that is no part of the tag g stands right beside the box on its
    // line: a unit or a name read with a number ("400 V", "DN 150").
    bool FremdesWortDaneben(const QString& g, const QRect& box) const;
    void Eintragen(const QString& text, const QRect& box, float konfidenz, bool wert = false);
    // walked in the order the words were read: the same places in every run
    Reihenhash<Stelle> m_stellen;
};
