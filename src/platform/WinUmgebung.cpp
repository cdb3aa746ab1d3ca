#include "platform/WinUmgebung.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/Utf16.h"
#endif

namespace fs = std::filesystem;

namespace {
std::string g_programmOrdner;  // test seam override

#ifdef _WIN32
// The system's texts come as UTF-16 and go on as UTF-8: the "A" forms would give
// ANSI bytes that the program then took for UTF-8, losing every umlaut.
std::string AusWindows(const wchar_t* s, std::size_t n) {
    return Utf16::ZuUtf8(std::u16string(reinterpret_cast<const char16_t*>(s), n));
}
#endif

std::string ProgrammDatei() {
#ifdef _WIN32
    // a path may be longer than MAX_PATH; the buffer grows until the name fits
    std::wstring puffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, puffer.data(), static_cast<DWORD>(puffer.size()));
        if (n < puffer.size() || puffer.size() >= 32768)
            return AusWindows(puffer.data(), n);
        puffer.resize(puffer.size() * 2);
    }
#else
    std::error_code ec;
    const fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
#endif
}
}  // namespace

namespace WinUmgebung {

std::string Prefix() {
    if (const char* p = std::getenv("WINEPREFIX"); p && *p)
        return p;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

std::string PfadAbbilden(const std::string& sWinPfad) {
#ifdef _WIN32
    return sWinPfad;
#else
    std::string s = sWinPfad;
    for (char& c : s)
        if (c == '\\')
            c = '/';
    // A drive letter goes through the prefix's dosdevices links.
    if (s.size() >= 2 && s[1] == ':' && std::isalpha(static_cast<unsigned char>(s[0]))) {
        std::string rest = s.substr(2);
        if (!rest.empty() && rest[0] != '/')
            rest = "/" + rest;
        const char laufwerk = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
        return Prefix() + "/dosdevices/" + laufwerk + ":" + rest;
    }
    return s;
#endif
}

std::string WindowsVerzeichnis() {
#ifdef _WIN32
    wchar_t puffer[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryW(puffer, MAX_PATH + 1);
    return n <= MAX_PATH ? AusWindows(puffer, n) : std::string();
#else
    return Prefix() + "/drive_c/windows";
#endif
}

std::string ProgrammOrdner() {
    if (!g_programmOrdner.empty())
        return g_programmOrdner;
    const std::string datei = ProgrammDatei();
    const auto pos = datei.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : datei.substr(0, pos);
}

std::string ProgrammDateiName() {
    const std::string datei = ProgrammDatei();
    const auto pos = datei.find_last_of("/\\");
    return pos == std::string::npos ? datei : datei.substr(pos + 1);
}

void ProgrammOrdnerSetzen(const std::string& sOrdner) { g_programmOrdner = sOrdner; }

#ifdef _WIN32
std::string AnsiForm(const std::string& sUtf8) {
    const std::u16string w = Utf16::AusUtf8(sUtf8);
    const auto* pw = reinterpret_cast<const wchar_t*>(w.c_str());
    const int n = WideCharToMultiByte(CP_ACP, 0, pw, static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, pw, static_cast<int>(w.size()), a.data(), n, nullptr, nullptr);
    return a;
}
#endif

}  // namespace WinUmgebung
