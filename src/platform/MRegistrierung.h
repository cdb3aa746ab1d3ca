#pragma once
// Registry access: the Windows API on Windows, the Wine prefix files elsewhere.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace MRegistrierung {
using RegWert = std::variant<std::monostate /* Null */, std::string, std::int32_t,
                             std::vector<std::uint8_t>>;

// Root keys, named so they do not clash with <windows.h>.
inline constexpr std::uint32_t HKLM = 0x80000002u;  // local machine
inline constexpr std::uint32_t HKCU = 0x80000001u;  // current user

// Value type numbers.
inline constexpr std::int32_t TYP_SZ = 1;
inline constexpr std::int32_t TYP_EXPAND_SZ = 2;
inline constexpr std::int32_t TYP_BINARY = 3;
inline constexpr std::int32_t TYP_DWORD = 4;
inline constexpr std::int32_t TYP_MULTI_SZ = 7;

inline bool IstNull(const RegWert& v) { return std::holds_alternative<std::monostate>(v); }

// The form in which the registry compares key and value names: without regard
// to case, also for the accented Latin letters (Ä, Ö, Ü, Š, Ł, ...). UTF-8 in
// and out; profile files compare their sections and keys the same way.
std::string VergleichsForm(std::string sName);

RegWert RegLeseWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName);
bool RegSchreibeWert(std::uint32_t hKey, const std::string& sSchluessel, const std::string& sWertName,
                     const RegWert& vWert, std::int32_t nTyp);
std::vector<std::string> RegSchluesselAuflisten(std::uint32_t hKey, const std::string& sSchluessel);
}  // namespace MRegistrierung
