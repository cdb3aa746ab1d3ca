#include "platform/MIni.h"

#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/Dateiaenderung.h"
#include "platform/MDatei.h"
#include "platform/MRegistrierung.h"
#include "platform/ProfilDatei.h"
#include "platform/Utf16.h"
#include "platform/WinUmgebung.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

// Windows stores no line break in a profile entry: written raw, one would start
// new lines, or whole sections, in the file.
bool Zeilenbruch(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

// Our own reading and writing of profile files, with the system's rules.

// Blanks are tab to carriage return, ^Z (a DOS end of file) and space.
bool Leer(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

// Blanks around a line, a key, a value, inside the brackets of a section
// header and around the section and key the caller asks for are dropped.
std::string Trimmen(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && Leer(s[a]))
        ++a;
    while (b > a && Leer(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

std::string Klein(const std::string& s) { return MRegistrierung::VergleichsForm(s); }

// A line whose first non-blank is "[" and that holds a "]" is a section header;
// its name runs to the last "]" of the line and whatever follows that bracket is
// ignored; a "[" line without any "]" is an ordinary line.
std::optional<std::string> AbschnittsName(const std::string& zeile) {
    const std::string t = Trimmen(zeile);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const auto zu = t.rfind(']');
    if (zu == std::string::npos)
        return std::nullopt;
    return Trimmen(t.substr(1, zu - 1));
}

// Key and value split at the first "="; a line without one is no entry.
std::optional<std::pair<std::string, std::string>> Eintrag(const std::string& zeile) {
    const auto gleich = zeile.find('=');
    if (gleich == std::string::npos)
        return std::nullopt;
    return std::make_pair(Trimmen(zeile.substr(0, gleich)), Trimmen(zeile.substr(gleich + 1)));
}

// A value as the caller receives it: one pair of quotes dropped, cut to the buffer.
std::string Ausgeben(std::string wert) {
    wert = Utf16::Bereinigt(wert);
    if (wert.size() >= 2 && (wert.front() == '"' || wert.front() == '\'') && wert.back() == wert.front())
        wert = wert.substr(1, wert.size() - 2);
    // the buffer counts characters of the ANSI form, one per letter
    std::size_t zeichen = 0;
    for (std::size_t i = 0; i < wert.size(); ++i) {
        if ((static_cast<unsigned char>(wert[i]) & 0xC0) == 0x80)
            continue;
        if (++zeichen == kPuffer) {
            wert.resize(i);
            break;
        }
    }
    return wert;
}

// The lines of the first section of that name (the first one wins), as
// [erste, ende) into the file's lines; nullopt when there is none.
std::optional<std::pair<std::size_t, std::size_t>> AbschnittFinden(const std::vector<std::string>& zeilen,
                                                                    const std::string& bereichKlein) {
    std::optional<std::size_t> anfang;
    for (std::size_t i = 0; i < zeilen.size(); ++i) {
        const auto name = AbschnittsName(zeilen[i]);
        if (!name)
            continue;
        if (anfang)
            return std::make_pair(*anfang, i);
        if (Klein(*name) == bereichKlein)
            anfang = i + 1;
    }
    if (anfang)
        return std::make_pair(*anfang, zeilen.size());
    return std::nullopt;
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
    const std::string eintrag = Klein(Trimmen(sEintrag));
    ProfilDatei datei;
    if (eintrag.empty() || !datei.Laden(DateiAufloesen(sDatei)))
        return sVorgabe;
    const auto abschnitt = AbschnittFinden(datei.zeilen, Klein(Trimmen(sBereich)));
    if (!abschnitt)
        return sVorgabe;
    for (std::size_t i = abschnitt->first; i < abschnitt->second; ++i) {
        const auto paar = Eintrag(datei.zeilen[i]);
        if (paar && Klein(paar->first) == eintrag)
            return Ausgeben(paar->second);   // the first of a key given twice wins
    }
    return sVorgabe;
#endif
}

std::vector<std::pair<std::string, std::string>> IniLeseAbschnitt(const std::string& sBereich,
                                                                  const std::string& sDatei) {
    std::vector<std::pair<std::string, std::string>> paare;
    if (sBereich.empty())
        return paare;
    ProfilDatei datei;
    if (!datei.Laden(DateiAufloesen(sDatei)))
        return paare;
    const auto abschnitt = AbschnittFinden(datei.zeilen, Klein(Trimmen(sBereich)));
    if (!abschnitt)
        return paare;
    std::unordered_set<std::string> gesehen;
    for (std::size_t i = abschnitt->first; i < abschnitt->second; ++i) {
        auto paar = Eintrag(datei.zeilen[i]);
        if (!paar || paar->first.empty() || !gesehen.insert(Klein(paar->first)).second)
            continue;   // the first of a key given twice wins
        paare.emplace_back(Utf16::Bereinigt(paar->first), Ausgeben(std::move(paar->second)));
    }
    return paare;
}

bool IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag, const std::string& vWert,
                     const std::string& sDatei) {
    if (sBereich.empty() || sEintrag.empty() || Zeilenbruch(sBereich) || Zeilenbruch(sEintrag) ||
        Zeilenbruch(vWert))
        return false;
#ifdef _WIN32
    const std::string datei = WinUmgebung::AnsiForm(DateiAufloesen(sDatei));
    const BOOL ok = WritePrivateProfileStringA(Cp1252::AusUtf8(sBereich).c_str(), Cp1252::AusUtf8(sEintrag).c_str(),
                                               Cp1252::AusUtf8(vWert).c_str(), datei.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, datei.c_str());  // flushes the system's cache
    return ok != FALSE;
#else
    const std::string bereich = Trimmen(sBereich);
    const std::string eintrag = Trimmen(sEintrag);
    if (bereich.empty() || eintrag.empty())
        return false;
    // Locked from the reading to the rename, so a second writer adds to this
    // change instead of undoing it. A missing folder is not created.
    Dateiaenderung aenderung(DateiAufloesen(sDatei));
    if (!aenderung.Gesperrt())
        return false;
    ProfilDatei datei;
    bool vorhanden = false;
    // Content that is no profile file (a folder, binary data) is never overwritten.
    if (!datei.Laden(aenderung.Ziel(), &vorhanden) && vorhanden)
        return false;
    std::vector<std::string>& zeilen = datei.zeilen;
    if (!zeilen.empty() && zeilen.back().empty())
        zeilen.pop_back();

    const std::string eintragKlein = Klein(eintrag);
    const auto abschnitt = AbschnittFinden(zeilen, Klein(bereich));
    if (!abschnitt) {
        zeilen.push_back("[" + bereich + "]");
        zeilen.push_back(eintrag + "=" + vWert);
        return aenderung.Ersetzen(datei.Inhalt());
    }
    std::size_t nach = abschnitt->first - 1;   // behind the header, or behind the section's last entry
    for (std::size_t i = abschnitt->first; i < abschnitt->second; ++i) {
        const auto paar = Eintrag(zeilen[i]);
        if (!paar)
            continue;
        if (Klein(paar->first) == eintragKlein) {
            zeilen[i] = paar->first + "=" + vWert;   // the key keeps the spelling it has in the file
            return aenderung.Ersetzen(datei.Inhalt());
        }
        nach = i;
    }
    zeilen.insert(zeilen.begin() + static_cast<std::ptrdiff_t>(nach + 1), eintrag + "=" + vWert);
    return aenderung.Ersetzen(datei.Inhalt());
#endif
}

bool IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag, long long vWert,
                     const std::string& sDatei) {
    return IniSchreibeWert(sBereich, sEintrag, std::to_string(vWert), sDatei);
}

}  // namespace MIni
