#pragma once
// Profile (INI) files with the behaviour of the Windows profile API.
#include <string>
#include <utility>
#include <vector>

namespace MIni {
// Reads one entry; yields sVorgabe when the file, section or key is missing,
// and also when sBereich or sEintrag is empty. Values are cut to 999 characters.
std::string IniLeseWert(const std::string& sBereich, const std::string& sEintrag,
                        const std::string& sVorgabe, const std::string& sDatei);
// All entries of the first section of that name in file order, each key once
// (its first line), values as IniLeseWert gives them: one pass over the file
// for callers that read many keys of one section.
std::vector<std::pair<std::string, std::string>> IniLeseAbschnitt(const std::string& sBereich,
                                                                  const std::string& sDatei);
// Writes one entry and flushes the file. False, with the file as it was, for an
// empty section or key, a line break in section, key or value, a folder that
// does not exist (none is created) and a file that cannot be written.
bool IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag,
                     const std::string& vWert, const std::string& sDatei);
bool IniSchreibeWert(const std::string& sBereich, const std::string& sEintrag,
                     long long vWert, const std::string& sDatei);
}  // namespace MIni
