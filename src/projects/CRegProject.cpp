#include "projects/CRegProject.h"

#include "platform/MRegistrierung.h"

using namespace MRegistrierung;

void CRegProject::InitFromReg(const std::string& sSubkey) {
    const std::string sSchluessel = std::string(PROJEKTE_SCHLUESSEL) + "\\" + sSubkey;
    msName = "|" + sSubkey;

    const RegWert vPfad = RegLeseWert(HKLM, sSchluessel, "Path");
    if (const auto* s = std::get_if<std::string>(&vPfad))
        msPath = *s;
    else if (const auto* n = std::get_if<std::int32_t>(&vPfad))
        msPath = std::to_string(*n);
    else
        throw ProjektOhnePfad(sSubkey);

    const RegWert vTyp = RegLeseWert(HKLM, sSchluessel, "PrjType");
    if (const auto* n = std::get_if<std::int32_t>(&vTyp)) {
        mnPrjType = *n;
    } else if (const auto* s = std::get_if<std::string>(&vTyp);
               s && !s->empty() && s->find_first_not_of("0123456789") == std::string::npos &&
               s->size() < 10) {
        mnPrjType = std::stoi(*s);
    } else {
        // missing or unreadable type: the classic kind
        mnPrjType = 3;
    }

    mKVI = std::make_unique<CKVIProject>();
    mKVI->Init(msPath + "\\" + sSubkey + ".kvs");
}

bool CRegProject::AddToReg() {
    const std::string sSchluessel = std::string(PROJEKTE_SCHLUESSEL) + "\\" + msName;
    // the type follows only a written folder: a registration without one cannot be opened
    if (!RegSchreibeWert(HKLM, sSchluessel, "Path", RegWert(msPath), TYP_SZ) ||
        !RegSchreibeWert(HKLM, sSchluessel, "PrjType", RegWert(mnPrjType), TYP_DWORD))
        return false;
    mKVI = std::make_unique<CKVIProject>();
    mKVI->Init(msPath + "\\" + msName + ".kvi");
    return true;
}
