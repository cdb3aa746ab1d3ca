#include "platform/MDatei.h"

#include <filesystem>
#include <system_error>

#include "platform/WinUmgebung.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace MDatei {

std::string DateiName(const std::string& sPfad) {
    const auto pos = sPfad.find_last_of('\\');
    if (pos != std::string::npos)
        return sPfad.substr(pos + 1);
    const auto doppel = sPfad.find(':');
    if (doppel != std::string::npos)
        return sPfad.substr(doppel + 1);
    return sPfad;
}

std::string DateiTitel(const std::string& sPfad) {
    const std::string name = DateiName(sPfad);
    const auto punkt = name.find_last_of('.');
    return punkt == std::string::npos ? name : name.substr(0, punkt);
}

bool DateiVorhanden(const std::string& sPfad) {
    // Empty names and wildcards never name one existing file.
    if (sPfad.empty() || sPfad.find_first_of("*?") != std::string::npos)
        return false;
#ifdef _WIN32
    return GetFileAttributesA(WinUmgebung::AnsiForm(sPfad).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(WinUmgebung::PfadAbbilden(sPfad)), ec) && !ec;
#endif
}

}  // namespace MDatei
