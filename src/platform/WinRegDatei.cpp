#include "platform/WinRegDatei.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_set>

#include "platform/Cp1252.h"
#include "platform/Utf16.h"

namespace fs = std::filesystem;
using MRegistrierung::RegWert;

namespace {
std::string Klein(const std::string& s) { return MRegistrierung::VergleichsForm(s); }

int HexZiffer(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IstUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends behind the closing quote.
std::optional<std::string> TextLesen(const std::string& s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"')
        return std::nullopt;
    // Plain bytes gather in roh, \xHHHH escapes in einheiten (a surrogate pair
    // written as two escapes is one character); at most one of them holds anything.
    std::string roh;
    std::u16string einheiten;
    std::string out;
    auto rohAbgeben = [&] {
        out += IstUtf8(roh) ? roh : Cp1252::ZuUtf8(roh);
        roh.clear();
    };
    auto einheitenAbgeben = [&] {
        out += Utf16::ZuUtf8(einheiten);
        einheiten.clear();
    };
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            rohAbgeben();
            einheitenAbgeben();
            return out;
        }
        if (c != '\\') {
            einheitenAbgeben();
            roh += c;
            continue;
        }
        if (++pos >= s.size())
            return std::nullopt;
        rohAbgeben();
        const char e = s[pos];
        if (e == 'x') {
            std::uint32_t cp = 0;
            int n = 0;
            while (n < 4 && pos + 1 < s.size() && HexZiffer(s[pos + 1]) >= 0) {
                cp = cp * 16 + static_cast<std::uint32_t>(HexZiffer(s[++pos]));
                ++n;
            }
            einheiten += static_cast<char16_t>(cp);
            continue;
        }
        einheitenAbgeben();
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        default: out += e; break;  // \\ and \" and anything else stand for themselves
        }
    }
    return std::nullopt;
}

std::string TextSchreiben(const std::string& utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\\' || c == '"') { out += '\\'; out += static_cast<char>(c); ++i; continue; }
        if (c == '\n') { out += "\\n"; ++i; continue; }
        if (c == '\r') { out += "\\r"; ++i; continue; }
        if (c == '\t') { out += "\\t"; ++i; continue; }
        if (c == '\0') { out += "\\0"; ++i; continue; }
        if (c < 0x80) { out += static_cast<char>(c); ++i; continue; }
        // Non-ASCII as Wine writes it: one \xHHHH per UTF-16 code unit.
        std::uint32_t cp = '?';
        std::size_t n = 1;
        if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) { cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F); n = 2; }
        else if ((c & 0xF0) == 0xE0 && i + 2 < utf8.size()) { cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F); n = 3; }
        else if ((c & 0xF8) == 0xF0 && i + 3 < utf8.size()) { cp = ((c & 0x07) << 18) | ((utf8[i + 1] & 0x3F) << 12) | ((utf8[i + 2] & 0x3F) << 6) | (utf8[i + 3] & 0x3F); n = 4; }
        i += n;
        char puffer[16];
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            std::snprintf(puffer, sizeof puffer, "\\x%04x\\x%04x", 0xD800 + (cp >> 10), 0xDC00 + (cp & 0x3FF));
        } else {
            std::snprintf(puffer, sizeof puffer, "\\x%04x", cp);
        }
        out += puffer;
    }
    return out + "\"";
}

// Key path in brackets: "\\" stands for one backslash.
std::optional<std::string> KopfLesen(const std::string& zeile) {
    if (zeile.empty() || zeile[0] != '[')
        return std::nullopt;
    std::string roh;
    std::u16string einheiten;  // \xHHHH escapes in a row: a surrogate pair is one character
    std::string out;
    auto einheitenAbgeben = [&] {
        out += Utf16::ZuUtf8(einheiten);
        einheiten.clear();
    };
    auto rohAbgeben = [&] {
        out += IstUtf8(roh) ? roh : Cp1252::ZuUtf8(roh);
        roh.clear();
    };
    for (std::size_t i = 1; i < zeile.size(); ++i) {
        if (zeile[i] == '\\' && i + 1 < zeile.size()) {
            rohAbgeben();
            if (zeile[i + 1] == 'x') {  // non-ASCII letters of a key, as Wine writes them
                ++i;
                std::uint32_t cp = 0;
                for (int n = 0; n < 4 && i + 1 < zeile.size() && HexZiffer(zeile[i + 1]) >= 0; ++n)
                    cp = cp * 16 + static_cast<std::uint32_t>(HexZiffer(zeile[++i]));
                einheiten += static_cast<char16_t>(cp);
            } else {
                einheitenAbgeben();
                // the control characters a key name was written with, as in values
                const char e = zeile[++i];
                out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == '0' ? '\0' : e;
            }
            continue;
        }
        einheitenAbgeben();
        if (zeile[i] == ']') {
            rohAbgeben();
            return out;
        }
        roh += zeile[i];
    }
    return std::nullopt;
}

std::string KopfSchreiben(const std::string& pfad) {
    const std::string t = TextSchreiben(pfad);  // escapes \ and non-ASCII the same way
    // Brackets in a key name are escaped too, else the name would end at its first "]".
    std::string kopf = "[";
    for (const char c : t.substr(1, t.size() - 2)) {
        if (c == '[' || c == ']')
            kopf += '\\';
        kopf += c;
    }
    return kopf + "] " + std::to_string(static_cast<long long>(std::time(nullptr)));
}

bool Leer(char c) { return c == ' ' || c == '\t'; }

// A hex number of at most nMaxZiffern digits from s[pos]; nullopt for none or more.
std::optional<std::uint32_t> HexZahl(const std::string& s, std::size_t& pos, std::size_t nMaxZiffern) {
    std::uint32_t zahl = 0;
    std::size_t n = 0;
    for (; pos < s.size() && HexZiffer(s[pos]) >= 0; ++pos, ++n) {
        if (n == nMaxZiffern)
            return std::nullopt;
        zahl = zahl * 16 + static_cast<std::uint32_t>(HexZiffer(s[pos]));
    }
    return n ? std::optional<std::uint32_t>(zahl) : std::nullopt;
}

// Bytes as Wine writes them: hex numbers up to ff, separated by commas and blanks.
// A larger number or any other character makes the value unreadable.
std::optional<std::vector<std::uint8_t>> HexLesen(const std::string& s) {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;
    while (pos < s.size() && HexZiffer(s[pos]) >= 0) {
        const auto zahl = HexZahl(s, pos, 8);
        if (!zahl || *zahl > 0xFF)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*zahl));
        while (pos < s.size() && Leer(s[pos])) ++pos;
        if (pos < s.size() && s[pos] == ',') ++pos;
        while (pos < s.size() && Leer(s[pos])) ++pos;
    }
    if (pos != s.size())
        return std::nullopt;
    return bytes;
}

std::string Utf16Text(const std::vector<std::uint8_t>& b) {
    std::u16string einheiten;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        einheiten += static_cast<char16_t>(b[i] | (b[i + 1] << 8));
    std::string out = Utf16::ZuUtf8(einheiten);
    if (!out.empty() && out.back() == '\0')
        out.pop_back();  // only the final zero is dropped
    return out;
}

// The value part behind "name"= ; Null for types the program does not handle
// and for data that cannot be decoded, so one damaged value hides no other.
RegWert DatenLesen(const std::string& d) {
    if (!d.empty() && d[0] == '"') {
        std::size_t p = 0;
        auto t = TextLesen(d, p);
        return t ? RegWert(*t) : RegWert();
    }
    for (const char* praefix : {"str:", "str(2):", "str(7):"}) {
        const std::string kopf = praefix;
        if (d.compare(0, kopf.size(), kopf) != 0)
            continue;
        std::size_t p = kopf.size();
        auto t = TextLesen(d, p);
        return t ? RegWert(*t) : RegWert();
    }
    if (d.rfind("dword:", 0) == 0) {
        std::size_t p = 6;
        const auto zahl = HexZahl(d, p, 8);
        while (p < d.size() && Leer(d[p])) ++p;
        if (!zahl || p != d.size())
            return {};
        return static_cast<std::int32_t>(*zahl);
    }
    if (d.rfind("hex:", 0) == 0) {
        auto bytes = HexLesen(d.substr(4));
        return bytes ? RegWert(std::move(*bytes)) : RegWert();
    }
    if (d.rfind("hex(", 0) == 0) {
        std::size_t p = 4;
        const auto typ = HexZahl(d, p, 8);
        if (!typ || d.compare(p, 2, "):") != 0)
            return {};
        const auto bytes = HexLesen(d.substr(p + 2));
        if (!bytes)
            return {};
        if (*typ == 1 || *typ == 2 || *typ == 7)
            return Utf16Text(*bytes);
        if (*typ == 3)
            return *bytes;
        if (*typ == 4 && bytes->size() == 4) {
            const auto& b = *bytes;
            return static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
        }
        return {};
    }
    return {};
}

// Windows lists subkeys in its own order, not in the order of the file: sorted
// by name, letter by letter in small letters of their UTF-16 form, a name
// before every longer name that begins with it.
std::u16string Sortierform(const std::string& name) { return Utf16::AusUtf8(Klein(name)); }
}  // namespace

bool WinRegDatei::Laden(const std::string& sDatei) {
    m_zeilen.clear();
    m_schluessel.clear();
    m_lesbar = true;
    m_neu = false;
    std::error_code ec;
    if (!fs::exists(sDatei, ec)) {
        m_zeilen = {"WINE REGISTRY Version 2", ""};
        m_neu = true;
        return true;
    }
    if (!fs::is_regular_file(sDatei, ec)) {
        m_lesbar = false;
        return false;
    }
    std::string inhalt;
    if (!InhaltLesen(sDatei, &inhalt)) {
        m_lesbar = false;
        return false;
    }
    return Einlesen(inhalt);
}

bool WinRegDatei::InhaltLesen(const std::string& sDatei, std::string* inhalt) {
    std::ifstream in(sDatei, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff groesse = in.tellg();
    if (groesse < 0)
        return false;
    inhalt->resize(static_cast<std::size_t>(groesse));
    in.seekg(0);
    in.read(inhalt->data(), groesse);
    inhalt->resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool WinRegDatei::Einlesen(const std::string& inhalt) {
    m_zeilen.clear();
    m_schluessel.clear();
    m_lesbar = true;
    m_neu = false;
    std::size_t start = 0;
    while (start < inhalt.size()) {
        auto ende = inhalt.find('\n', start);
        if (ende == std::string::npos)
            ende = inhalt.size();
        std::string z = inhalt.substr(start, ende - start);
        if (!z.empty() && z.back() == '\r')
            z.pop_back();
        m_zeilen.push_back(std::move(z));
        start = ende + 1;
    }
    if (inhalt.find('\0') != std::string::npos || m_zeilen.empty() ||
        m_zeilen[0].rfind("WINE REGISTRY Version 2", 0) != 0)
        m_lesbar = false;
    NeuEinlesen();
    return m_lesbar;
}

void WinRegDatei::NeuEinlesen() {
    m_schluessel.clear();
    m_index.clear();
    for (std::size_t i = 1; i < m_zeilen.size(); ++i) {
        const std::string& z = m_zeilen[i];
        if (z.empty() || z[0] == ';' || z[0] == '#')
            continue;
        if (z[0] == '[') {
            auto pfad = KopfLesen(z);
            if (!pfad) {
                m_lesbar = false;
                continue;
            }
            m_schluessel.push_back({*pfad, i, {}, Klein(*pfad)});
            continue;
        }
        if ((z[0] == '"' || z[0] == '@') && !m_schluessel.empty()) {
            std::size_t letzte = i;
            while (letzte + 1 < m_zeilen.size() && !m_zeilen[letzte].empty() && m_zeilen[letzte].back() == '\\')
                ++letzte;
            std::string name;
            if (z[0] == '"') {
                std::size_t p = 0;
                auto n = TextLesen(z, p);
                if (!n || p >= z.size() || z[p] != '=') {
                    m_lesbar = false;
                    i = letzte;
                    continue;
                }
                name = *n;
            }
            m_schluessel.back().werte.push_back({name, i, letzte});
            i = letzte;
            continue;
        }
        m_lesbar = false;  // a line this code does not understand
    }
    // Keys are looked up by their folded path; of a key given twice the first counts.
    for (std::size_t k = 0; k < m_schluessel.size(); ++k)
        m_index.emplace(m_schluessel[k].klein, k);
}

std::optional<std::size_t> WinRegDatei::SchluesselFinden(const std::string& pfad) const {
    const auto it = m_index.find(Klein(pfad));
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

RegWert WinRegDatei::WertLesen(const std::string& sSchluessel, const std::string& sWertName) const {
    const auto k = SchluesselFinden(sSchluessel);
    if (!k)
        return {};
    const std::string name = Klein(sWertName);
    const auto& werte = m_schluessel[*k].werte;
    // Of a name given twice the later line counts, as when Wine loads the file.
    for (auto it = werte.rbegin(); it != werte.rend(); ++it) {
        const Wert& w = *it;
        if (Klein(w.name) != name)
            continue;
        std::string zeile;
        for (std::size_t i = w.erste; i <= w.letzte; ++i) {
            std::string teil = m_zeilen[i];
            if (i < w.letzte && !teil.empty())
                teil.pop_back();  // the continuation backslash
            zeile += teil;
        }
        std::size_t p = 0;
        if (zeile[0] == '@') {
            p = 1;
        } else {
            TextLesen(zeile, p);
        }
        if (p >= zeile.size() || zeile[p] != '=')
            return {};
        return DatenLesen(zeile.substr(p + 1));
    }
    return {};
}

bool WinRegDatei::WertSchreiben(const std::string& sSchluessel, const std::string& sWertName,
                                const RegWert& vWert, std::int32_t nTyp) {
    auto k = SchluesselFinden(sSchluessel);
    if (!k) {
        if (!m_zeilen.empty() && !m_zeilen.back().empty())
            m_zeilen.push_back("");
        m_zeilen.push_back(KopfSchreiben(sSchluessel));
        NeuEinlesen();
        k = SchluesselFinden(sSchluessel);
        if (!k)
            return false;
    }
    if (sWertName.empty())
        return true;  // the key exists now
    Schluessel& s = m_schluessel[*k];
    // Every line of that name, in file order; a duplicate would otherwise hide the write.
    std::vector<Wert> gleiche;
    for (const Wert& w : s.werte)
        if (Klein(w.name) == Klein(sWertName))
            gleiche.push_back(w);
    auto zeilenLoeschen = [this](const Wert& w) {
        m_zeilen.erase(m_zeilen.begin() + static_cast<std::ptrdiff_t>(w.erste),
                       m_zeilen.begin() + static_cast<std::ptrdiff_t>(w.letzte + 1));
    };

    if (MRegistrierung::IstNull(vWert)) {
        if (gleiche.empty())
            return false;
        for (auto it = gleiche.rbegin(); it != gleiche.rend(); ++it)
            zeilenLoeschen(*it);
        NeuEinlesen();
        return true;
    }

    std::string daten;
    if (nTyp == 1 || nTyp == 2 || nTyp == 7) {
        std::string text;
        if (const auto* t = std::get_if<std::string>(&vWert)) text = *t;
        else if (const auto* z = std::get_if<std::int32_t>(&vWert)) text = std::to_string(*z);
        else return false;
        daten = (nTyp == 1 ? "" : nTyp == 2 ? "str(2):" : "str(7):") + TextSchreiben(text);
    } else if (nTyp == 3) {
        std::vector<std::uint8_t> bytes;
        if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&vWert)) bytes = *b;
        else if (const auto* t = std::get_if<std::string>(&vWert)) bytes.assign(t->begin(), t->end());
        else return false;
        daten = "hex:";
        char puffer[4];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(puffer, sizeof puffer, "%02x", bytes[i]);
            daten += (i ? "," : "") + std::string(puffer);
        }
    } else if (nTyp == 4) {
        std::int32_t zahl = 0;
        if (const auto* z = std::get_if<std::int32_t>(&vWert)) {
            zahl = *z;
        } else if (const auto* t = std::get_if<std::string>(&vWert)) {
            try {
                zahl = static_cast<std::int32_t>(std::stol(*t));
            } catch (const std::exception&) {
                return false;
            }
        } else {
            return false;
        }
        char puffer[16];
        std::snprintf(puffer, sizeof puffer, "dword:%08x", static_cast<std::uint32_t>(zahl));
        daten = puffer;
    } else {
        return false;
    }
    const std::string zeile = TextSchreiben(sWertName) + "=" + daten;
    if (!gleiche.empty()) {
        const Wert w = gleiche.back();
        m_zeilen.erase(m_zeilen.begin() + static_cast<std::ptrdiff_t>(w.erste + 1),
                       m_zeilen.begin() + static_cast<std::ptrdiff_t>(w.letzte + 1));
        m_zeilen[w.erste] = zeile;
        for (auto it = gleiche.rbegin() + 1; it != gleiche.rend(); ++it)
            zeilenLoeschen(*it);
    } else {
        const std::size_t nach = s.werte.empty() ? s.kopf : s.werte.back().letzte;
        m_zeilen.insert(m_zeilen.begin() + static_cast<std::ptrdiff_t>(nach + 1), zeile);
    }
    NeuEinlesen();
    return true;
}

std::vector<std::string> WinRegDatei::UnterSchluessel(const std::string& sSchluessel) const {
    std::vector<std::pair<std::u16string, std::string>> namen;
    std::unordered_set<std::string> gesehen;
    const std::string praefix = sSchluessel.empty() ? std::string() : Klein(sSchluessel) + "\\";
    for (const Schluessel& s : m_schluessel) {
        const std::string& pfad = s.klein;
        if (pfad.size() <= praefix.size() || pfad.compare(0, praefix.size(), praefix) != 0)
            continue;
        const std::string rest = s.pfad.substr(praefix.size());
        const std::string name = rest.substr(0, rest.find('\\'));
        if (name.empty() || !gesehen.insert(Klein(name)).second)
            continue;   // of a name given twice the first spelling counts
        namen.emplace_back(Sortierform(name), name);
    }
    std::stable_sort(namen.begin(), namen.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> ergebnis;
    ergebnis.reserve(namen.size());
    for (auto& n : namen)
        ergebnis.push_back(std::move(n.second));
    return ergebnis;
}

std::string WinRegDatei::Inhalt(const std::string& sRelativZu) const {
    std::string inhalt;
    for (std::size_t i = 0; i < m_zeilen.size(); ++i) {
        inhalt += m_zeilen[i] + "\n";
        // A new file says which hive its keys are relative to, as Wine's own files do.
        if (i == 0 && m_neu)
            inhalt += ";; All keys relative to " + sRelativZu + "\n";
    }
    return inhalt;
}
