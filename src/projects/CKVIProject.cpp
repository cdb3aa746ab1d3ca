#include "projects/CKVIProject.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/MIni.h"

void CKVIProject::Init(const std::string& KVIPath) { msDatei = KVIPath; }

std::string CKVIProject::Lesen(const char* sBereich, const char* sEintrag) const {
    return MIni::IniLeseWert(sBereich, sEintrag, std::string(), msDatei);
}

void CKVIProject::Schreiben(const char* sBereich, const char* sEintrag, const std::string& sWert) {
    MIni::IniSchreibeWert(sBereich, sEintrag, sWert, msDatei);
}

std::int16_t CKVIProject::FuehrendeZahl(const std::string& sText) {
    std::size_t i = 0;
    while (i < sText.size() && (sText[i] == ' ' || sText[i] == '\t'))
        ++i;
    std::string sZahl;
    if (i < sText.size() && (sText[i] == '+' || sText[i] == '-'))
        sZahl += sText[i++];
    bool fZiffer = false;
    while (i < sText.size() && std::isdigit(static_cast<unsigned char>(sText[i]))) {
        sZahl += sText[i++];
        fZiffer = true;
    }
    if (i < sText.size() && sText[i] == '.') {
        sZahl += sText[i++];
        while (i < sText.size() && std::isdigit(static_cast<unsigned char>(sText[i]))) {
            sZahl += sText[i++];
            fZiffer = true;
        }
    }
    if (!fZiffer)
        return 0;
    const double d = std::strtod(sZahl.c_str(), nullptr);
    if (!(d > -32768.5))   // also catches a NaN
        return INT16_MIN;
    if (d >= 32767.5)
        return INT16_MAX;
    // nearbyint rounds to the even neighbour in the default rounding mode
    return static_cast<std::int16_t>(std::nearbyint(d));
}

std::string CKVIProject::Comment() const { return Lesen("properties", "comment"); }
void CKVIProject::Comment(const std::string& New_Comment) { Schreiben("properties", "comment", New_Comment); }
std::string CKVIProject::Developer() const { return Lesen("properties", "developer"); }
void CKVIProject::Developer(const std::string& New_Developer) { Schreiben("properties", "Developer", New_Developer); }
std::string CKVIProject::DesignerProject() const { return Lesen("Config", "DesignerProject"); }
void CKVIProject::DesignerProject(const std::string& New_DesignerProject) {
    Schreiben("Config", "DesignerProject", New_DesignerProject);
}
std::string CKVIProject::Customer() const { return Lesen("properties", "Customer"); }
void CKVIProject::Customer(const std::string& New_Customer) { Schreiben("properties", "Customer", New_Customer); }
std::int16_t CKVIProject::Formdesigner() const { return FuehrendeZahl(Lesen("design", "FormDesigner")); }
void CKVIProject::Formdesigner(std::int16_t New_FormDesigner) {
    Schreiben("design", "FormDesigner", std::to_string(New_FormDesigner));
}
std::string CKVIProject::Database() const { return Lesen("Config", "Database"); }
void CKVIProject::Database(const std::string& New_Database) { Schreiben("Config", "Database", New_Database); }
std::string CKVIProject::Path() const { return Lesen("Config", "Path"); }
void CKVIProject::Path(const std::string& New_Path) { Schreiben("Config", "Path", New_Path); }
std::int16_t CKVIProject::RuntimeSystem() const { return FuehrendeZahl(Lesen("Design", "RuntimeSystem")); }
void CKVIProject::RuntimeSystem(std::int16_t New_RuntimeSystem) {
    Schreiben("design", "RuntimeSystem", std::to_string(New_RuntimeSystem));
}
std::string CKVIProject::AlarmPath() const { return Lesen("alarm_server", "alarmpath"); }
void CKVIProject::AlarmPath(const std::string& New_Path) { Schreiben("alarm_server", "alarmpath", New_Path); }
std::string CKVIProject::AlarmDB() const { return Lesen("alarm_server", "database"); }
void CKVIProject::AlarmDB(const std::string& New_DB) { Schreiben("alarm_server", "database", New_DB); }
std::string CKVIProject::TrendPath() const { return Lesen("trend_server", "trendpath"); }
void CKVIProject::TrendPath(const std::string& New_Path) { Schreiben("trend_server", "trendpath", New_Path); }
std::string CKVIProject::TrendDB() const { return Lesen("trend_server", "database"); }
void CKVIProject::TrendDB(const std::string& New_DB) { Schreiben("trend_server", "database", New_DB); }
std::string CKVIProject::TrendHistorypath() const { return Lesen("trend_server", "historypath"); }
void CKVIProject::TrendHistorypath(const std::string& New_Path) { Schreiben("trend_server", "historypath", New_Path); }
std::string CKVIProject::ProjectDB() const { return Lesen("config", "ProjectDB"); }
void CKVIProject::ProjectDB(const std::string& New_DB) { Schreiben("config", "ProjectDB", New_DB); }
std::string CKVIProject::CurrentLCID() const { return Lesen("config", "CurrentLCID"); }
void CKVIProject::CurrentLCID(const std::string& New_LCID) { Schreiben("config", "CurrentLCID", New_LCID); }
