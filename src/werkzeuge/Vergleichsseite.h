#pragma once
// One side of a comparison as small as the comparison needs it: per row the
// placement as numbers of texts in the side's dictionary, the other columns
// as one hash. Shared by the pass over every row and the one over an ATTACHed
// file, so both build their rows alike and give the same list.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "alarms/AlarmRecord.h"
#include "alarms/AlarmdefsDurchlauf.h"

struct Vergleichsseite {
    static constexpr int kLage[] = {AlarmFeld::Form, AlarmFeld::Symbol, AlarmFeld::X, AlarmFeld::Y};

    struct Zeile {
        qint64 ident = 0;
        quint32 lage[4] = {0, 0, 0, 0};  // Form, Symbol, X, Y
        qint64 nr = 0;                   // the row's place in the table (rowid on SQLite), orders rows of one number
        quint64 rest = 0;
    };

    QString name;
    std::vector<Zeile> zeilen;
    QList<QByteArray> texte;  // dictionary: number -> text as the record shows it
    QHash<QByteArray, quint32> nummern;
    QStringList ungueltig;  // alarm numbers that are no whole numbers
    qsizetype anzahl = 0;

    Vergleichsseite() { Eintragen("", 0); }  // 0 is the empty text on every side

    // Whole numbers are their own number (tagged), so most positions need no
    // dictionary; a text that writes a whole number the way a number is
    // written counts as that number, as a record shows both alike.
    static constexpr quint32 kZahl = 0x80000000u;
    static std::optional<quint32> AlsZahl(qint64 n) {
        if (n < 0 || n >= 0x40000000)
            return std::nullopt;
        return kZahl | static_cast<quint32>(n);
    }
    static std::optional<quint32> AlsZahl(const char* text, int laenge) {
        if (laenge < 1 || laenge > 9 || (text[0] == '0' && laenge > 1))
            return std::nullopt;
        qint64 n = 0;
        for (int i = 0; i < laenge; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            n = n * 10 + (text[i] - '0');
        }
        return AlsZahl(n);
    }
    quint32 Nummer(const char* text, int laenge) {
        if (laenge == 0)
            return 0;
        if (const auto z = AlsZahl(text, laenge))
            return *z;
        // the last text looked up, as neighbouring rows often share picture and symbol
        if (laenge == m_letzter.size() && std::memcmp(m_letzter.constData(), text, static_cast<std::size_t>(laenge)) == 0)
            return m_letzte;
        const quint32 n = Eintragen(text, laenge);
        m_letzter = QByteArray(text, laenge);
        m_letzte = n;
        return n;
    }
    quint32 Eintragen(const char* text, int laenge) {
        const QByteArray schluessel = QByteArray::fromRawData(text, laenge);
        auto it = nummern.constFind(schluessel);
        if (it != nummern.constEnd())
            return *it;
        const QByteArray kopie(text, laenge);
        const auto n = static_cast<quint32>(texte.size());
        texte << kopie;
        nummern.insert(kopie, n);
        return n;
    }
    QString Text(quint32 n) const { return n & kZahl ? QString::number(n & ~kZahl) : QString::fromUtf8(texte.at(n)); }

    // Takes one row (the 18 columns in record order); a number that is no
    // whole number is noted in ungueltig instead. Without mitRest only the
    // number and the placement are looked at (the earlier state, whose other
    // columns are never compared).
    void Aufnehmen(const AlarmdefsDurchlauf::Wert* w, qint64 nr, bool mitRest = true) {
        Zeile z;
        z.nr = nr;
        if (const auto n = w[AlarmFeld::Ident].GanzeZahl()) {
            z.ident = *n;
        } else {
            ungueltig << w[AlarmFeld::Ident].Text();
            return;
        }
        const char* text;
        int laenge;
        for (int i = 0; i < 4; ++i) {
            const int spalte = kLage[i];
            if (w[spalte].art == AlarmdefsDurchlauf::Wert::Art::Zahl) {
                if (const auto zahl = AlsZahl(w[spalte].zahl)) {
                    z.lage[i] = *zahl;
                    continue;
                }
            }
            WertBytes(w[spalte], &text, &laenge);
            z.lage[i] = Nummer(text, laenge);
        }
        if (mitRest)
            z.rest = Rest(w);
        zeilen.push_back(z);
    }

    // The other columns of one row (the 18 in record order) as one hash.
    quint64 Rest(const AlarmdefsDurchlauf::Wert* w) {
        const char* text;
        int laenge;
        size_t h = 0x9e3779b97f4a7c15ull;
        for (int spalte = 1; spalte < AlarmFeld::Spalten; ++spalte) {
            if (spalte >= AlarmFeld::Form && spalte <= AlarmFeld::Y)
                continue;
            WertBytes(w[spalte], &text, &laenge);
            h = qHashBits(text, static_cast<size_t>(laenge), h) ^ (h * 31 + static_cast<size_t>(spalte));
        }
        return h;
    }

    // Takes the rows of another part of the same side, its texts numbered anew.
    void Anfuegen(const Vergleichsseite& teil) {
        std::vector<quint32> nummer(static_cast<std::size_t>(teil.texte.size()));
        for (qsizetype i = 0; i < teil.texte.size(); ++i)
            nummer[static_cast<std::size_t>(i)] = Nummer(teil.texte.at(i).constData(), static_cast<int>(teil.texte.at(i).size()));
        zeilen.reserve(zeilen.size() + teil.zeilen.size());
        for (Zeile z : teil.zeilen) {
            for (quint32& l : z.lage)
                if (!(l & kZahl))
                    l = nummer[l];
            zeilen.push_back(z);
        }
        ungueltig << teil.ungueltig;
    }

    // By number, rows of one number in table order.
    void Ordnen() {
        const auto kleiner = [](const Zeile& a, const Zeile& b) { return a.ident < b.ident || (a.ident == b.ident && a.nr < b.nr); };
        if (!std::is_sorted(zeilen.begin(), zeilen.end(), kleiner))
            std::sort(zeilen.begin(), zeilen.end(), kleiner);
    }

private:
    QByteArray m_letzter;
    quint32 m_letzte = 0;
    char m_puffer[24];
    QByteArray m_hilfe;

    void WertBytes(const AlarmdefsDurchlauf::Wert& w, const char** text, int* laenge) {
        using Art = AlarmdefsDurchlauf::Wert::Art;
        switch (w.art) {
        case Art::Null:
            *text = "";
            *laenge = 0;
            return;
        case Art::Zahl: {
            const auto ergebnis = std::to_chars(m_puffer, m_puffer + sizeof m_puffer, w.zahl);
            *text = m_puffer;
            *laenge = static_cast<int>(ergebnis.ptr - m_puffer);
            return;
        }
        case Art::Kommazahl:
            m_hilfe = w.Text().toUtf8();
            *text = m_hilfe.constData();
            *laenge = static_cast<int>(m_hilfe.size());
            return;
        case Art::Text:
            *text = w.text;
            *laenge = w.laenge;
            return;
        }
    }
};
