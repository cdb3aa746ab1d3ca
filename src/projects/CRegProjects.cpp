#include "projects/CRegProjects.h"

#include <algorithm>

#include "platform/MRegistrierung.h"

CRegProjects::CRegProjects() {
    for (const std::string& sName :
         MRegistrierung::RegSchluesselAuflisten(MRegistrierung::HKLM, CRegProject::PROJEKTE_SCHLUESSEL))
        AddFromReg(sName);
}

CRegProjects::~CRegProjects() = default;

std::string CRegProjects::Schluessel(const std::string& sName) {
    return MRegistrierung::VergleichsForm(sName);
}

std::size_t CRegProjects::Position(const std::string& sName) const {
    const std::string sKey = Schluessel(sName);
    for (std::size_t i = 0; i < mCol.size(); ++i)
        if (Schluessel(mCol[i]->Name()) == sKey)
            return i;
    return std::string::npos;
}

void CRegProjects::AddFromReg(const std::string& sSubkey) {
    auto p = std::make_shared<CRegProject>();
    try {
        p->InitFromReg(sSubkey);
    } catch (const ProjektOhnePfad&) {
        // a failing step is skipped: a registration without a folder cannot be
        // opened, the other projects are still listed
        mOhnePfad.push_back(sSubkey);
        return;
    }
    if (Position(p->Name()) != std::string::npos)
        return;   // the registry compares without case, so this is the same key
    mCol.push_back(std::move(p));
}

std::shared_ptr<CRegProject> CRegProjects::Add(const std::string& Name, const std::string& Path,
                                               std::int32_t PrjType) {
    // A control character (line break, tab) cannot stand in a key name of the
    // registry file: the key would be written without its values.
    const bool fSteuerzeichen = std::any_of(Name.begin(), Name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (Name.empty() || Name.find('\\') != std::string::npos || fSteuerzeichen)
        throw std::invalid_argument("Ungültiger Projektname: " + Name);
    if (Position(Name) != std::string::npos)
        throw ProjektSchonVorhanden(Name);
    auto p = std::make_shared<CRegProject>();
    p->Name(Name);
    p->Path(Path);
    p->PrjType(PrjType);
    // Only a project the registry holds joins the collection.
    if (!p->AddToReg())
        throw RegistrierungNichtGeschrieben(Name);
    mCol.push_back(p);
    return p;
}

void CRegProjects::Delete(const std::string& PrjName) {
    const std::size_t i = Position(PrjName);
    if (i != std::string::npos)
        mCol.erase(mCol.begin() + static_cast<std::ptrdiff_t>(i));
}

std::shared_ptr<CRegProject> CRegProjects::Item(std::int32_t nIndex) const {
    if (nIndex < 1 || nIndex > Count())
        throw ProjektNichtGefunden(std::to_string(nIndex));
    return mCol[static_cast<std::size_t>(nIndex - 1)];
}

std::shared_ptr<CRegProject> CRegProjects::Item(const std::string& sName) const {
    const std::size_t i = Position(sName);
    if (i == std::string::npos)
        throw ProjektNichtGefunden(sName);
    return mCol[i];
}

void CRegProjects::Clear() { mCol.clear(); }
