#include "projects/CKorvant.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "platform/MDatei.h"
#include "platform/MIni.h"
#include "platform/MPfad.h"
#include "platform/MRegistrierung.h"
#include "platform/WinUmgebung.h"
#include "projects/CRegProjects.h"

using namespace MRegistrierung;

namespace {
std::string AlsText(const RegWert& v, bool& fNull) {
    fNull = false;
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    if (const auto* n = std::get_if<std::int32_t>(&v))
        return std::to_string(*n);
    fNull = true;
    return {};
}
}  // namespace

CKorvant::CKorvant() {
    bool fNull = false;
    sPfad = AlsText(RegLeseWert(HKLM, KORVANT_SCHLUESSEL, "path"), fNull);
    if (fNull)
        throw KorvantNichtInstalliert();
    // without a default projects folder the user simply has none
    sPfadProjekte = AlsText(RegLeseWert(HKCU, KORVANT_SCHLUESSEL, "DefaultProjectsPath"), fNull);
    msFormDesigner = {"Visual Basic 3.0",          "Visual Basic 4.0 (16 Bit)", "Visual Basic 4.0 (32 Bit)",
                      "Delphi 1.0 (16 Bit)",       "Delphi 2.0 (32 Bit)",       "KorvantDOS",
                      "Visual Basic 5.0 (32 Bit)", "Delphi 3.0 (32 Bit)",       "Visual Basic 6.0 (32 Bit)",
                      "Delphi 4.0 (32 Bit)"};
    nProjektNeuZaehler = 1;
    Init();
}

bool CKorvant::ZahlLesen(const std::string& sText, std::int16_t& nZahl) {
    const std::size_t a = sText.find_first_not_of(" \t");
    if (a == std::string::npos)
        return false;
    const std::size_t e = sText.find_last_not_of(" \t");
    const std::string s = sText.substr(a, e - a + 1);
    std::size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    bool fZiffer = false, fPunkt = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            fZiffer = true;
        else if (s[i] == '.' && !fPunkt)
            fPunkt = true;
        else
            return false;
    }
    if (!fZiffer)
        return false;
    const double d = std::nearbyint(std::strtod(s.c_str(), nullptr));
    if (!(d >= -32768.0 && d <= 32767.0))
        return false;
    nZahl = static_cast<std::int16_t>(d);
    return true;
}

bool CKorvant::Flag(const char* sBereich, const char* sEintrag, const char* sVorgabe) const {
    std::int16_t n = 0;
    // an entry that is not a number keeps the default instead of failing the start
    if (!ZahlLesen(LeseWert(sBereich, sEintrag, sVorgabe), n))
        ZahlLesen(sVorgabe, n);
    return n != 0;
}

std::int16_t CKorvant::Zahl(const char* sBereich, const char* sEintrag, const char* sVorgabe) const {
    std::int16_t n = 0;
    if (!ZahlLesen(LeseWert(sBereich, sEintrag, sVorgabe), n))
        ZahlLesen(sVorgabe, n);
    return n;
}

void CKorvant::Init() {
    fClientServer = Flag("Special", "ClientServer", "0");
    fVorzeichenloseVar = Flag("Special", "Unsigned", "0");
    fLadenAutomatisch = Flag("Files 3.0", "AutoOpen", "0");
    fDateiBackUp = Flag("Files 3.0", "BackUp", "1");
    fOberflaecheHerstellen = Flag("Desktop 3.0", "AutoRestore", "0");
    nVorgabeFormDesigner = Zahl("Desktop 3.0", "FormDesigner", "0");
    nFormatierung = Zahl("Desktop 3.0", "Formatierung", "1");
    fKVILoeschen = Flag("Desktop 3.0", "DeleteKVI", "0");
}

std::string CKorvant::Formdesigner(std::int16_t nIndex) const {
    if (nIndex < 0 || nIndex >= static_cast<std::int16_t>(msFormDesigner.size()))
        throw std::out_of_range("Formdesigner " + std::to_string(nIndex));
    return msFormDesigner[static_cast<std::size_t>(nIndex)];
}

std::vector<CKorvant::ListenEintrag> CKorvant::FormDesignerAuflisten() const {
    std::vector<ListenEintrag> liste;
    for (std::int16_t i = 6; i <= 9; ++i) {
        if (MDatei::DateiVorhanden(LeseWert("FormDesigner", std::to_string(i))))
            liste.push_back({msFormDesigner[static_cast<std::size_t>(i)], i});
    }
    return liste;
}

std::string CKorvant::LeseWert(const std::string& sBereich, const std::string& sEintrag,
                               const std::string& sVorgabe) const {
    return MIni::IniLeseWert(sBereich, sEintrag, sVorgabe, KORVANT_INI);
}

bool CKorvant::SchreibeWert(const std::string& sBereich, const std::string& sEintrag, const std::string& vWert) {
    return MIni::IniSchreibeWert(sBereich, sEintrag, vWert, KORVANT_INI);
}

bool CKorvant::SchreibeWert(const std::string& sBereich, const std::string& sEintrag, long long vWert) {
    return MIni::IniSchreibeWert(sBereich, sEintrag, vWert, KORVANT_INI);
}

std::string CKorvant::Text(const std::string& sIndex, const std::vector<std::string>& vWerte) const {
    const std::string sRoh = MIni::IniLeseWert("Text", sIndex, std::string(), sIndextextDatei);
    std::string s;
    s.reserve(sRoh.size());
    for (std::size_t i = 0; i < sRoh.size(); ++i) {
        if (sRoh[i] == '\\' && i + 1 < sRoh.size() && sRoh[i + 1] == 'n') {
            s += "\r\n";
            ++i;
        } else {
            s += sRoh[i];
        }
    }
    // the search goes on behind each inserted value, so a value holding "#"
    // does not take the place of the next one
    std::size_t nAb = 0;
    for (const std::string& sWert : vWerte) {
        const std::size_t p = s.find('#', nAb);
        if (p == std::string::npos)
            break;
        s.replace(p, 1, sWert);
        nAb = p + sWert.size();
    }
    return s;
}

void CKorvant::TexteLaden(std::vector<TextElement>& elemente) const {
    for (TextElement& e : elemente)
        if (!e.sTag.empty())
            e.sText = Text(e.sTag);
}

std::vector<CKorvant::ListenEintrag> CKorvant::TexteLadenListe(std::int16_t nIndex, std::int16_t nAnzahl) const {
    std::vector<ListenEintrag> liste;
    for (int i = nIndex; i < nIndex + nAnzahl; ++i)
        liste.push_back({Text(std::to_string(i)), 0});
    return liste;
}

std::string CKorvant::AlarmDatenbank(const std::string& sKviDatei, const std::string& sPfad) {
    const std::string sNachName = sPfad + "\\" + MDatei::DateiTitel(MDatei::DateiName(sKviDatei)) + ".kvs";
    const std::string sOrdner = MIni::IniLeseWert("alarm_server", "alarmpath", "", sKviDatei);
    std::string sDatei = MIni::IniLeseWert("alarm_server", "database", "", sKviDatei);
    if (!sOrdner.empty() && !sDatei.empty()) {
        // a name without extension is the project's kind of file
        if (MDatei::DateiTitel(sDatei) == MDatei::DateiName(sDatei))
            sDatei += ".kvs";
        const std::string sGenannt = sOrdner + "\\" + sDatei;
        if (MDatei::DateiVorhanden(sGenannt))
            return sGenannt;
    }
    return sNachName;
}

std::optional<std::string> CKorvant::ProjektPfad(const std::string& sDatei) {
    // the section "config" is read once, whatever number of index entries it has
    std::unordered_map<std::string, std::string> config;
    for (auto& [sSchluessel, sWert] : MIni::IniLeseAbschnitt("config", sDatei))
        config.emplace(CRegProjects::Schluessel(sSchluessel), std::move(sWert));
    const auto wert = [&config](const std::string& sSchluessel) {
        const auto it = config.find(CRegProjects::Schluessel(sSchluessel));
        return it == config.end() ? std::string() : it->second;
    };
    const std::string sPfadEintrag = wert("path");
    if (MPfad::PfadVorhanden(sPfadEintrag) || MDatei::DateiVorhanden(sPfadEintrag + "\\" + wert("database") + ".dxt"))
        return sPfadEintrag;
    for (int n = 1; n <= MAX_INDEXDATEIEN; ++n) {
        const std::string sIndex = wert("index" + std::to_string(n));
        if (sIndex.empty())
            break;
        if (MDatei::DateiVorhanden(sPfadEintrag + "\\" + sIndex))
            return sPfadEintrag;
    }
    return std::nullopt;
}

std::vector<CKorvant::ProjektEintrag> CKorvant::ProjekteAuflisten() const {
    namespace fs = std::filesystem;
    const std::string sOrdner = MPfad::ProjektOrdner(std::string());
    std::vector<std::string> namen;
    std::error_code ec;
    fs::directory_iterator it(fs::path(WinUmgebung::PfadAbbilden(sOrdner + "\\")), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code ec2;
        if (!it->is_regular_file(ec2))
            continue;
        const std::string sName = it->path().filename().string();
        if (sName.size() > 4 && CRegProjects::Schluessel(sName.substr(sName.size() - 4)) == ".kvi")
            namen.push_back(sName);
    }
    // the platform's search order is not defined here; sorted the list is the same every time
    std::sort(namen.begin(), namen.end(), [](const std::string& a, const std::string& b) {
        const std::string ka = CRegProjects::Schluessel(a), kb = CRegProjects::Schluessel(b);
        return ka != kb ? ka < kb : a < b;
    });
    std::vector<ProjektEintrag> liste;
    for (const std::string& sName : namen)
        if (auto sPfad = ProjektPfad(sOrdner + "\\" + sName))
            liste.push_back({sName, std::move(*sPfad)});
    return liste;
}
