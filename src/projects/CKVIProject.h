#pragma once
// The program's view of one project information file (a profile file in the
// project folder). Every property reads or writes the file on each access;
// nothing is cached.
#include <cstdint>
#include <string>

class CKVIProject {
public:
    void Init(const std::string& KVIPath);
    const std::string& Datei() const { return msDatei; }

    std::string Comment() const;
    void Comment(const std::string& New_Comment);
    std::string Developer() const;
    void Developer(const std::string& New_Developer);
    std::string DesignerProject() const;
    void DesignerProject(const std::string& New_DesignerProject);
    std::string Customer() const;
    void Customer(const std::string& New_Customer);
    std::int16_t Formdesigner() const;
    void Formdesigner(std::int16_t New_FormDesigner);
    std::string Database() const;
    void Database(const std::string& New_Database);
    std::string Path() const;
    void Path(const std::string& New_Path);
    std::int16_t RuntimeSystem() const;
    void RuntimeSystem(std::int16_t New_RuntimeSystem);
    std::string AlarmPath() const;
    void AlarmPath(const std::string& New_Path);
    std::string AlarmDB() const;
    void AlarmDB(const std::string& New_DB);
    std::string TrendPath() const;
    void TrendPath(const std::string& New_Path);
    std::string TrendDB() const;
    void TrendDB(const std::string& New_DB);
    std::string TrendHistorypath() const;
    void TrendHistorypath(const std::string& New_Path);
    std::string ProjectDB() const;
    void ProjectDB(const std::string& New_DB);
    std::string CurrentLCID() const;
    void CurrentLCID(const std::string& New_LCID);

    // Leading blanks skipped, the longest leading decimal number taken (none: 0),
    // rounded to the nearest whole number with halves to the even neighbour.
    // A number beyond the 16-bit range is clamped to its end, so a damaged
    // entry still gives a usable value instead of failing the caller.
    static std::int16_t FuehrendeZahl(const std::string& sText);

private:
    std::string Lesen(const char* sBereich, const char* sEintrag) const;
    void Schreiben(const char* sBereich, const char* sEintrag, const std::string& sWert);

    std::string msDatei;
};
