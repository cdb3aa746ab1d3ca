#include "platform/MIni.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/MDatei.h"
#include "platform/WinUmgebung.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kPuffer = 1000;  // the caller's buffer, including the final zero

// The file a profile call addresses: the program's own default, or a bare name in the Windows directory.
std::string DateiAufloesen(const std::string& sDatei) {
    if (sDatei.empty())
        return WinUmgebung::PfadAbbilden(WinUmgebung::ProgrammOrdner() + "\\" +
                                         MDatei::DateiTitel(WinUmgebung::ProgrammDateiName()));
    if (sDatei.find_first_of("\\/:") == std::string::npos)
        return WinUmgebung::WindowsVerzeichnis() + "/" + sDatei;
    return WinUmgebung::PfadAbbilden(sDatei);
}

// Our own reading and writing of profile files, with the system's rules.
std::string Trimmen(const std::string& s) {
    const auto a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    const auto b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// Lower case of one Windows-1252 byte, the accented capitals (Ä, Ö, Ü, ...) included.
unsigned char Klein1252(unsigned char c) {
    if (c < 0x80)
        return static_cast<unsigned char>(std::tolower(c));
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A || c == 0x8C || c == 0x8E)
        return static_cast<unsigned char>(c + (c >= 0xC0 ? 0x20 : 0x10));
    return c == 0x9F ? 0xFF : c;
}

bool GleichOhneFall(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Klein1252(static_cast<unsigned char>(x)) == Klein1252(static_cast<unsigned char>(y));
           });
}

// The file's lines without line ends; nullopt when it cannot be read as a profile file
// (missing, a folder, or binary content with NUL bytes).
std::optional<std::vector<std::string>> ZeilenLesen(const std::string& pfad, bool* vorhanden = nullptr) {
    std::error_code ec;
    if (vorhanden)
        *vorhanden = fs::exists(pfad, ec);
    if (!fs::is_regular_file(pfad, ec))
        return std::nullopt;
    std::ifstream in(pfad, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff groesse = in.tellg();
    if (groesse < 0)
        return std::nullopt;
    std::string inhalt(static_cast<std::size_t>(groesse), '\0');
    in.seekg(0);
    in.read(inhalt.data(), groesse);
    inhalt.resize(static_cast<std::size_t>(in.gcount()));
    if (inhalt.find('\0') != std::string::npos)
        return std::nullopt;
    std::vector<std::string> zeilen;
    std::size_t start = 0;
    while (start < inhalt.size()) {
        auto ende = inhalt.find('\n', start);
        if (ende == std::string::npos)
            ende = inhalt.size();
        std::string z = inhalt.substr(start, ende - start);
        if (!z.empty() && z.back() == '\r')
            z.pop_back();
        zeilen.push_back(std::move(z));
        start = ende + 1;
    }
    return zeilen;
}

std::optional<std::string> AbschnittsName(const std::string& zeile) {
    const std::string t = Trimmen(zeile);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto zu = t.find(']');
    if (zu == std::string::npos)
        return std::nullopt;
    return Trimmen(t.substr(1, zu - 1));
}

std::optional<std::pair<std::string, std::string>> Eintrag(const std::string& zeile) {
    const auto gleich = zeile.find('=');
    if (gleich == std::string::npos)
        return std::nullopt;
    return std::make_pair(Trimmen(zeile.substr(0, gleich)), Trimmen(zeile.substr(gleich + 1)));
}

// A value as the caller receives it: one pair of quotes dropped, cut to the buffer.
std::string Ausgeben(std::string wert) {
    if (wert.size() >= 2 && (wert.front() == '"' || wert.front() == '\'') && wert.back() == wert.front())
        wert = wert.substr(1, wert.size() - 2);
    if (wert.size() > kPuffer - 1)
        wert.resize(kPuffer - 1);
    return Cp1252::ZuUtf8(wert);
}
}  // namespace

namespace MIni {

std::string IniLeseWert(const std::string& sBereich, const std::string& sEintrag, const std::string& sVorgabe,
                        const std::string& sDatei) {
    if (sBereich.empty() || sEintrag.empty())
        return sVorgabe;
#ifdef _WIN32
    // The system's own profile call, in its ANSI form.
    std::string puffer(kPuffer, '\0');
    const DWORD n = GetPrivateProfileStringA(Cp1252::AusUtf8(sBereich).c_str(), Cp1252::AusUtf8(sEintrag).c_str(),
                                             Cp1252::AusUtf8(sVorgabe).c_str(), puffer.data(), kPuffer,
                                             WinUmgebung::AnsiForm(DateiAufloesen(sDatei)).c_str());
    puffer.resize(n);
    return Cp1252::ZuUtf8(puffer);
#else
    const auto zeilen = ZeilenLesen(DateiAufloesen(sDatei));
    if (!zeilen)
        return sVorgabe;
    const std::string bereich = Cp1252::AusUtf8(sBereich);
    const std::string eintrag = Cp1252::AusUtf8(sEintrag);
    bool imBereich = false;
    bool bereichGefunden = false;
    for (const std::string& z : *zeilen) {
        if (const auto name = AbschnittsName(z)) {
            // The first matching section wins; a later one of the same name is not looked at.
            if (bereichGefunden && imBereich)
                break;
            imBereich = GleichOhneFall(*name, bereich);
            bereichGefunden = bereichGefunden || imBereich;
            continue;
        }
        if (!imBereich)
            continue;
        const auto paar = Eintrag(z);
        if (!paar || !GleichOhneFall(paar->first, eintrag))
            continue;
        return Ausgeben(paar->second);
    }
    return sVorgabe;
#endif
}

std::vector<std::pair<std::string, std::string>> IniLeseAbschnitt(const std::string& sBereich,
                                                                  const std::string& sDatei) {
    std::vector<std::pair<std::string, std::string>> paare;
    if (sBereich.empty())
        return paare;
#ifdef _WIN32
    const auto zeilen = ZeilenLesen(WinUmgebung::AnsiForm(DateiAufloesen(sDatei)));
#else
    const auto zeilen = ZeilenLesen(DateiAufloesen(sDatei));
#endif
    if (!zeilen)
        return paare;
    const std::string bereich = Cp1252::AusUtf8(sBereich);
    std::unordered_set<std::string> gesehen;
    bool imBereich = false;
    for (const std::string& z : *zeilen) {
        if (const auto name = AbschnittsName(z)) {
            // only the first section of that name, as for single entries
            if (imBereich)
                break;
            imBereich = GleichOhneFall(*name, bereich);
            continue;
        }
        if (!imBereich)
            continue;
        const auto paar = Eintrag(z);
        if (!paar || paar->first.empty())
            continue;
        std::string klein = paar->first;
        for (char& c : klein)
            c = static_cast<char>(Klein1252(static_cast<unsigned char>(c)));
        if (!gesehen.insert(std::move(klein)).second)
            continue;  // the first of a key given twice wins
        paare.emplace_back(Cp1252::ZuUtf8(paar->first), Ausgeben(paar->second));
    }
    return paare;
}

void IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag, const std::string& vWert,
                     const std::string& sDatei) {
    if (sBereich.empty() || sEintrag.empty())
        return;
#ifdef _WIN32
    const std::string datei = WinUmgebung::AnsiForm(DateiAufloesen(sDatei));
    WritePrivateProfileStringA(Cp1252::AusUtf8(sBereich).c_str(), Cp1252::AusUtf8(sEintrag).c_str(),
                               Cp1252::AusUtf8(vWert).c_str(), datei.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, datei.c_str());  // flushes the system's cache
#else
    const std::string pfad = DateiAufloesen(sDatei);
    bool vorhanden = false;
    auto gelesen = ZeilenLesen(pfad, &vorhanden);
    // Content that is no profile file (a folder, binary data) is never overwritten.
    if (!gelesen && vorhanden)
        return;
    std::vector<std::string> zeilen = gelesen ? *gelesen : std::vector<std::string>{};
    if (!zeilen.empty() && zeilen.back().empty())
        zeilen.pop_back();
    const std::string bereich = Cp1252::AusUtf8(sBereich);
    const std::string eintrag = Cp1252::AusUtf8(sEintrag);
    const std::string wert = Cp1252::AusUtf8(vWert);
    const std::string neueZeile = eintrag + "=" + wert;

    std::optional<std::size_t> bereichZeile, letzteEintragsZeile;
    bool erledigt = false;
    for (std::size_t i = 0; i < zeilen.size() && !erledigt; ++i) {
        if (const auto name = AbschnittsName(zeilen[i])) {
            if (bereichZeile)
                break;
            if (GleichOhneFall(*name, bereich))
                bereichZeile = letzteEintragsZeile = i;
            continue;
        }
        if (!bereichZeile)
            continue;
        if (const auto paar = Eintrag(zeilen[i])) {
            letzteEintragsZeile = i;
            if (GleichOhneFall(paar->first, eintrag)) {
                // the key keeps the spelling it has in the file
                zeilen[i] = paar->first + "=" + wert;
                erledigt = true;
            }
        }
    }
    if (!erledigt) {
        if (bereichZeile) {
            zeilen.insert(zeilen.begin() + static_cast<std::ptrdiff_t>(*letzteEintragsZeile + 1), neueZeile);
        } else {
            zeilen.push_back("[" + bereich + "]");
            zeilen.push_back(neueZeile);
        }
    }
    std::string inhalt;
    for (const std::string& z : zeilen)
        inhalt += z + "\r\n";

    // Written beside the file and renamed, so a crash never leaves half a file.
    std::error_code ec;
    const fs::path ziel(pfad);
    if (ziel.has_parent_path())
        fs::create_directories(ziel.parent_path(), ec);
    const std::string temp = pfad + ".tavero-neu";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return;
        out << inhalt;
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return;
        }
    }
    fs::rename(temp, ziel, ec);
    if (ec)
        fs::remove(temp, ec);
#endif
}

void IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag, long long vWert,
                     const std::string& sDatei) {
    IniSchreibeWert(sBereich, sEintrag, std::to_string(vWert), sDatei);
}

}  // namespace MIni
