#include "alarms/DeutscheReihung.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cstring>

#include <sqlite3.h>

namespace {
// Up to two UTF-16 units a character stands for in the order.
struct Grund {
    char16_t z[2];
    int n;
};

Grund GrundBerechnen(char16_t c) {
    if (c < 0x80)
        return {{static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c + 32 : c), 0}, 1};
    if (c == 0x00DF || c == 0x1E9E)  // ß, capital ẞ
        return {{u's', u's'}, 2};
    const QChar q(c);
    QChar basis = q;
    // A letter with an accent is its base letter (Ü → U); the mark is dropped.
    if (q.decompositionTag() == QChar::Canonical) {
        const QString zerlegt = q.decomposition();
        if (!zerlegt.isEmpty())
            basis = zerlegt.at(0);
    } else if (c == 0x00C6 || c == 0x00E6) {  // Æ
        return {{u'a', u'e'}, 2};
    } else if (c == 0x0152 || c == 0x0153) {  // Œ
        return {{u'o', u'e'}, 2};
    } else if (c == 0x00D8 || c == 0x00F8) {  // Ø has no decomposition
        return {{u'o', 0}, 1};
    }
    return {{basis.toCaseFolded().unicode(), 0}, 1};
}

// The Latin letters are looked up, not worked out at every comparison: a sort
// of many rows compares each text many times.
constexpr char16_t TabellenEnde = 0x250;
Grund GrundVon(char16_t c) {
    static const auto tabelle = [] {
        std::array<Grund, TabellenEnde> t{};
        for (char16_t z = 0; z < TabellenEnde; ++z)
            t[z] = GrundBerechnen(z);
        return t;
    }();
    return c < TabellenEnde ? tabelle[c] : GrundBerechnen(c);
}

// Reads a text as the stream of its base units.
class Strom {
public:
    explicit Strom(QStringView t) : m_t(t) {}
    // -1 at the end.
    int Naechstes() {
        if (m_rest < m_g.n)
            return m_g.z[m_rest++];
        if (m_i >= m_t.size())
            return -1;
        m_g = GrundVon(m_t.at(m_i++).unicode());
        m_rest = 1;
        return m_g.z[0];
    }

private:
    QStringView m_t;
    qsizetype m_i = 0;
    Grund m_g{{0, 0}, 0};
    int m_rest = 0;
};

// The same stream read straight from UTF-8 bytes, as SQLite stores text, so a
// sort of many rows converts nothing.
class Utf8Strom {
public:
    Utf8Strom(const unsigned char* t, int n) : m_t(t), m_n(n) {}
    int Naechstes() {
        if (m_rest < m_g.n)
            return m_g.z[m_rest++];
        if (m_i >= m_n)
            return -1;
        const unsigned char c = m_t[m_i++];
        char32_t z = c;
        int folgen = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (folgen)
            z = c & (0x3F >> folgen);
        for (; folgen > 0 && m_i < m_n; --folgen)
            z = (z << 6) | (m_t[m_i++] & 0x3F);
        // Beyond the first plane nothing folds: the character counts as its two UTF-16 units.
        if (z > 0xFFFF)
            m_g = {{static_cast<char16_t>(0xD800 + ((z - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + ((z - 0x10000) & 0x3FF))}, 2};
        else
            m_g = GrundVon(static_cast<char16_t>(z));
        m_rest = 1;
        return m_g.z[0];
    }

private:
    const unsigned char* m_t;
    int m_n;
    int m_i = 0;
    Grund m_g{{0, 0}, 0};
    int m_rest = 0;
};

int Sqlite(void*, int na, const void* a, int nb, const void* b) {
    const auto* ta = static_cast<const unsigned char*>(a);
    const auto* tb = static_cast<const unsigned char*>(b);
    // Texts of one table often begin alike: the bytes they share sort alike and
    // are skipped, back to the start of the character they end in.
    int gleich = 0;
    const int kuerzer = std::min(na, nb);
    while (gleich < kuerzer && ta[gleich] == tb[gleich])
        ++gleich;
    if (gleich == na && na == nb)
        return 0;  // the same text, as many rows of a table hold
    const unsigned char* laenger = gleich < na ? ta : tb;
    while (gleich > 0 && (laenger[gleich] & 0xC0) == 0x80)
        --gleich;
    Utf8Strom sa(ta + gleich, na - gleich), sb(tb + gleich, nb - gleich);
    for (;;) {
        const int x = sa.Naechstes();
        const int y = sb.Naechstes();
        if (x != y)
            return x < y ? -1 : 1;
        if (x < 0)
            break;
    }
    // Equal in the German sense: rare, so the texts are compared whole.
    return DeutscheReihung::Vergleichen(QString::fromUtf8(static_cast<const char*>(a), na),
                                        QString::fromUtf8(static_cast<const char*>(b), nb));
}
}  // namespace

namespace DeutscheReihung {

int Vergleichen(QStringView a, QStringView b) {
    Strom sa(a), sb(b);
    for (;;) {
        const int x = sa.Naechstes();
        const int y = sb.Naechstes();
        if (x != y)
            return x < y ? -1 : 1;
        if (x < 0)
            break;
    }
    // Equal in the German sense: "Muller" before "Müller", "masse" before "Maße".
    const int c = a.compare(b, Qt::CaseInsensitive);
    if (c != 0)
        return c;
    return a.compare(b, Qt::CaseSensitive) < 0 ? 1 : (a == b ? 0 : -1);  // lower case first
}

void GrundformAnhaengen(QByteArrayView utf8, QString& aus) {
    Utf8Strom s(reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    for (int z = s.Naechstes(); z >= 0; z = s.Naechstes())
        aus.append(QChar(static_cast<char16_t>(z)));
}

QString Grundform(QStringView text) {
    QString aus;
    aus.reserve(text.size());
    Strom s(text);
    for (int z = s.Naechstes(); z >= 0; z = s.Naechstes())
        aus.append(QChar(static_cast<char16_t>(z)));
    return aus;
}

bool Anmelden(sqlite3* db) {
    return db && sqlite3_create_collation_v2(db, Name, SQLITE_UTF8, nullptr, &Sqlite, nullptr) == SQLITE_OK;
}

bool Anmelden(const QSqlDatabase& db) {
    if (db.driverName() != QLatin1String("QSQLITE"))
        return false;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return false;
    return Anmelden(*static_cast<sqlite3* const*>(h.data()));
}

QString Zusatz(const QSqlDatabase& db) {
    if (db.driverName() == QLatin1String("QSQLITE"))
        return QStringLiteral(" collate ") + QLatin1String(Name);
    if (db.driverName() != QLatin1String("QPSQL"))
        return {};
    // ICU first (ß with ss on every platform), then the system's German locales.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select collname from pg_collation where collname in "
                               "('de-DE-x-icu', 'de-x-icu', 'de_DE.utf8', 'de_DE.UTF-8') "
                               "and collencoding in (-1, pg_char_to_encoding(current_setting('server_encoding'))) "
                               "order by position('icu' in collname) desc, collname limit 1")) ||
        !q.next())
        return {};  // no German order on this server: its own order is used
    return QStringLiteral(" collate \"%1\"").arg(q.value(0).toString());
}

}  // namespace DeutscheReihung
