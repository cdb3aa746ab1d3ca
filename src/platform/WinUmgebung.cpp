#include "platform/WinUmgebung.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {
std::string g_programmOrdner;  // test seam override

std::string ProgrammDatei() {
#ifdef _WIN32
    char puffer[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, puffer, MAX_PATH);
    return std::string(puffer, n);
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
    char puffer[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(puffer, MAX_PATH);
    return std::string(puffer, n);
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

}  // namespace WinUmgebung
