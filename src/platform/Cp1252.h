#pragma once
// Texts are UTF-8 inside the program and Windows-1252 in files and in the registry's ANSI forms.
#include <string>

namespace Cp1252 {
std::string ZuUtf8(const std::string& sAnsi);
// Characters without a Windows-1252 form become "?".
std::string AusUtf8(const std::string& sUtf8);
}  // namespace Cp1252
