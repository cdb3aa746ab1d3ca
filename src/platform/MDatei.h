#pragma once
// File names and the existence of files.
#include <string>

namespace MDatei {
std::string DateiName(const std::string& sPfad);   // part after the last "\"
std::string DateiTitel(const std::string& sPfad);  // file name without extension
bool DateiVorhanden(const std::string& sPfad);     // file or folder exists
}  // namespace MDatei
