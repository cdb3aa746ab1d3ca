#pragma once
// One project registered by the HMI environment under
// HKLM "SOFTWARE\BELMARK GmbH\Korvant\4.0\Projects\<name>".
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "projects/CKVIProject.h"

// A registration without a "Path" value: such a project cannot be opened.
class ProjektOhnePfad : public std::runtime_error {
public:
    explicit ProjektOhnePfad(const std::string& sSchluessel)
        : std::runtime_error("Projekt ohne Pfad: " + sSchluessel) {}
};

class CRegProject {
public:
    static constexpr const char* PROJEKTE_SCHLUESSEL = "SOFTWARE\\BELMARK GmbH\\Korvant\\4.0\\Projects";

    std::string Name() const { return msName; }
    void Name(const std::string& New_Name) { msName = New_Name; }
    std::string Path() const { return msPath; }
    void Path(const std::string& New_Path) { msPath = New_Path; }
    // The alarm database where it is not named after the project (Path\Name.kvs):
    // a project found by its information file names it there. Empty otherwise.
    std::string Datenbank() const { return msDatenbank; }
    void Datenbank(const std::string& New_Datenbank) { msDatenbank = New_Datenbank; }
    std::int32_t PrjType() const { return mnPrjType; }
    void PrjType(std::int32_t New_PrjType) { mnPrjType = New_PrjType; }
    // The information file; nullptr before InitFromReg or AddToReg.
    CKVIProject* KVI() const { return mKVI.get(); }

    // Fills the project from its registry key; throws ProjektOhnePfad when the
    // key has no "Path" value. A missing "PrjType" gives type 3.
    void InitFromReg(const std::string& sSubkey);
    // Writes "Path" and "PrjType" under the project's key (created when
    // missing); true when both were written.
    bool AddToReg();

private:
    std::string msName;
    std::string msPath;
    std::string msDatenbank;
    std::int32_t mnPrjType = 0;
    std::unique_ptr<CKVIProject> mKVI;
};
