#pragma once
// Folders.
#include <string>

namespace MPfad {
bool PfadVorhanden(const std::string& sPfad);
// Folder of the project information files, without trailing "\"; empty when unknown.
std::string ProjektOrdner(const std::string& sUnbenutzt);
}  // namespace MPfad
