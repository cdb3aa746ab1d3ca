#include "platform/MRegistrierung.h"

#include "platform/Cp1252.h"

#include <cctype>
#include <exception>

std::string MRegistrierung::VergleichsForm(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const unsigned char d = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if ((c == 0xC3 || c == 0xC4 || c == 0xC5) && (d & 0xC0) == 0x80) {
            std::uint32_t cp = ((c & 0x1Fu) << 6) | (d & 0x3Fu);
            // U+00C0..U+00DE (not the multiplication sign) and the pairs of
            // Latin Extended-A (U+0100..U+017F: Š, Œ, Ž, Ł, ...) fold to their small letters
            if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
                cp += 0x20;
            else if ((cp >= 0x100 && cp <= 0x137 && cp % 2 == 0 && cp != 0x130) ||
                     (cp >= 0x139 && cp <= 0x148 && cp % 2 == 1) || (cp >= 0x14A && cp <= 0x177 && cp % 2 == 0) ||
                     (cp >= 0x179 && cp <= 0x17E && cp % 2 == 1))
                cp += 1;
            else if (cp == 0x178)
                cp = 0xFF;   // Ÿ
            s[i] = static_cast<char>(0xC0 | (cp >> 6));
            s[i + 1] = static_cast<char>(0x80 | (cp & 0x3F));
            ++i;
            continue;
        }
        if (c < 0x80)
            s[i] = static_cast<char>(std::tolower(c));
    }
    return s;
}

#ifdef _WIN32
#include <windows.h>

namespace MRegistrierung {
namespace {
HKEY Wurzel(std::uint32_t h) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(h)); }
}  // namespace

RegWert RegLeseWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(Wurzel(hKey), Cp1252::AusUtf8(sSchluessel).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    const std::string name = Cp1252::AusUtf8(sWertName);
    RegWert ergebnis;
    DWORD typ = 0, groesse = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &typ, nullptr, &groesse) == ERROR_SUCCESS) {
        if (typ == REG_SZ || typ == REG_EXPAND_SZ || typ == REG_MULTI_SZ) {
            std::string puffer(groesse + 2, '\0');
            DWORD n = groesse + 2;
            if (RegQueryValueExA(key, name.c_str(), nullptr, &typ, reinterpret_cast<BYTE*>(puffer.data()), &n) ==
                ERROR_SUCCESS)
                ergebnis = n > 0 ? Cp1252::ZuUtf8(puffer.substr(0, n - 1)) : std::string();
        } else if (typ == REG_BINARY) {
            std::vector<std::uint8_t> bytes(groesse);
            DWORD n = groesse;
            if (RegQueryValueExA(key, name.c_str(), nullptr, &typ, bytes.data(), &n) == ERROR_SUCCESS)
                ergebnis = bytes;
        } else if (typ == REG_DWORD) {
            std::int32_t zahl = 0;
            DWORD n = sizeof zahl;
            if (RegQueryValueExA(key, name.c_str(), nullptr, &typ, reinterpret_cast<BYTE*>(&zahl), &n) ==
                ERROR_SUCCESS)
                ergebnis = zahl;
        }
    }
    RegCloseKey(key);
    return ergebnis;
}

bool RegSchreibeWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName,
                     const RegWert& vWert, std::int32_t nTyp) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(Wurzel(hKey), Cp1252::AusUtf8(sSchluessel).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::string name = Cp1252::AusUtf8(sWertName);
    LONG rc = ERROR_SUCCESS;
    if (sWertName.empty()) {
        rc = ERROR_SUCCESS;
    } else if (IstNull(vWert)) {
        rc = RegDeleteValueA(key, name.c_str());
    } else if (nTyp == TYP_SZ || nTyp == TYP_EXPAND_SZ || nTyp == TYP_MULTI_SZ) {
        std::string text;
        if (const auto* s = std::get_if<std::string>(&vWert)) text = *s;
        else if (const auto* z = std::get_if<std::int32_t>(&vWert)) text = std::to_string(*z);
        text = Cp1252::AusUtf8(text);
        rc = RegSetValueExA(key, name.c_str(), 0, static_cast<DWORD>(nTyp),
                            reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
    } else if (nTyp == TYP_BINARY) {
        std::vector<std::uint8_t> bytes;
        if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&vWert)) bytes = *b;
        else if (const auto* s = std::get_if<std::string>(&vWert)) bytes.assign(s->begin(), s->end());
        rc = RegSetValueExA(key, name.c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    } else if (nTyp == TYP_DWORD) {
        std::int32_t zahl = 0;
        if (const auto* z = std::get_if<std::int32_t>(&vWert)) zahl = *z;
        else if (const auto* s = std::get_if<std::string>(&vWert)) {
            // a text that is no number is reported as a failed write, never thrown
            try {
                zahl = static_cast<std::int32_t>(std::stol(*s));
            } catch (const std::exception&) {
                rc = ERROR_INVALID_PARAMETER;
            }
        }
        if (rc == ERROR_SUCCESS)
            rc = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zahl), sizeof zahl);
    } else {
        rc = ERROR_INVALID_PARAMETER;
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

std::vector<std::string> RegSchluesselAuflisten(std::uint32_t hKey, const std::string& sSchluessel) {
    std::vector<std::string> namen;
    HKEY key = nullptr;
    if (RegOpenKeyExA(Wurzel(hKey), Cp1252::AusUtf8(sSchluessel).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return namen;
    DWORD laengste = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &laengste, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return namen;
    }
    for (DWORD i = 0;; ++i) {
        std::string puffer(laengste + 1, '\0');
        DWORD n = laengste + 1;
        FILETIME zeit;
        const LONG rc = RegEnumKeyExA(key, i, puffer.data(), &n, nullptr, nullptr, nullptr, &zeit);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            namen.push_back(Cp1252::ZuUtf8(puffer.substr(0, n)));
    }
    RegCloseKey(key);
    return namen;
}
}  // namespace MRegistrierung

#else  // Wine prefix files

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Dateiaenderung.h"
#include "platform/WinRegDatei.h"
#include "platform/WinUmgebung.h"

namespace MRegistrierung {
namespace {
std::string DateiFuer(std::uint32_t hKey) {
    if (hKey == HKLM)
        return WinUmgebung::Prefix() + "/system.reg";
    if (hKey == HKCU)
        return WinUmgebung::Prefix() + "/user.reg";
    return {};
}

// The last parsed state of each registry file. Reading the bytes again is cheap;
// parsing a registry of megabytes for every value is not. The bytes decide, so
// a file changed by anyone is parsed afresh.
struct Gelesen {
    std::string inhalt;
    std::shared_ptr<const WinRegDatei> reg;
};
std::mutex g_sperre;
std::map<std::string, Gelesen> g_gelesen;

std::shared_ptr<const WinRegDatei> Lesen(const std::string& datei) {
    std::string inhalt;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(datei, ec) || !WinRegDatei::InhaltLesen(datei, &inhalt)) {
        auto reg = std::make_shared<WinRegDatei>();
        reg->Laden(datei);
        return reg;
    }
    std::lock_guard<std::mutex> lock(g_sperre);
    Gelesen& g = g_gelesen[datei];
    if (!g.reg || g.inhalt != inhalt) {
        auto reg = std::make_shared<WinRegDatei>();
        reg->Einlesen(inhalt);
        g.reg = std::move(reg);
        g.inhalt = std::move(inhalt);
    }
    return g.reg;
}
}  // namespace

RegWert RegLeseWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName) {
    const std::string datei = DateiFuer(hKey);
    if (datei.empty())
        return {};
    try {
        return Lesen(datei)->WertLesen(sSchluessel, sWertName);
    } catch (const std::exception&) {
        // a registry file this code cannot take apart reads as a missing value, never as an error
        return {};
    }
}

bool RegSchreibeWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName,
                     const RegWert& vWert, std::int32_t nTyp) {
    const std::string datei = DateiFuer(hKey);
    if (datei.empty())
        return false;
    // Locked from the reading to the rename, so that two writers both keep their values.
    Dateiaenderung aenderung(datei, true);
    if (!aenderung.Gesperrt())
        return false;
    WinRegDatei reg;
    // A file that cannot be parsed is never overwritten.
    if (!reg.Laden(aenderung.Ziel()))
        return false;
    const bool ergebnis = reg.WertSchreiben(sSchluessel, sWertName, vWert, nTyp);
    if (!aenderung.Ersetzen(reg.Inhalt(hKey == HKLM ? "\\\\Machine" : "\\\\User\\\\S-1-5-21-0-0-0-1000")))
        return false;
    return ergebnis;
}

std::vector<std::string> RegSchluesselAuflisten(std::uint32_t hKey, const std::string& sSchluessel) {
    const std::string datei = DateiFuer(hKey);
    if (datei.empty())
        return {};
    try {
        return Lesen(datei)->UnterSchluessel(sSchluessel);
    } catch (const std::exception&) {
        return {};   // as a key that cannot be opened
    }
}
}  // namespace MRegistrierung

#endif
