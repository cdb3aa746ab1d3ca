#pragma once
// The Windows environment of the HMI installation. On Windows this is the real
// system; elsewhere it is a Wine prefix ($WINEPREFIX, else ~/.wine).
#include <string>

namespace WinUmgebung {
// The one mapping of a Windows-form path (drive letters, "\") to a path of this
// system. Drive letters go through <prefix>/dosdevices/<x>:, "\" is a separator,
// a POSIX path passes unchanged. Every file access of the program uses it.
std::string PfadAbbilden(const std::string& sWinPfad);
std::string Prefix();               // the prefix folder (may not exist)
std::string WindowsVerzeichnis();   // Windows form on Windows, prefix/drive_c/windows elsewhere
std::string ProgrammOrdner();       // folder of the running program file
std::string ProgrammDateiName();    // file name of the running program, e.g. "tavero"
#ifdef _WIN32
// A path in the system's ANSI code page, for the "A" calls of the platform.
std::string AnsiForm(const std::string& sUtf8);
#endif
}  // namespace WinUmgebung

namespace WinUmgebung {
// Test seam: another program folder (empty restores the real one).
void ProgrammOrdnerSetzen(const std::string& sOrdner);
}  // namespace WinUmgebung
