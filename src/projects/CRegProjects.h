#pragma once
// All projects registered by the HMI environment, read from the registry when
// the collection is made. Keys are the projects' names ("|" + subkey for the
// registered ones), compared without regard to case; insertion order is kept.
// Projects are shared: one that a caller keeps stays valid after Delete or Clear.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "projects/CRegProject.h"

class ProjektNichtGefunden : public std::out_of_range {
public:
    explicit ProjektNichtGefunden(const std::string& s) : std::out_of_range("Projekt nicht gefunden: " + s) {}
};

class ProjektSchonVorhanden : public std::invalid_argument {
public:
    explicit ProjektSchonVorhanden(const std::string& s)
        : std::invalid_argument("Projekt schon vorhanden: " + s) {}
};

// The registry could not take the new registration (read-only, or a file that
// cannot be parsed and so is never written).
class RegistrierungNichtGeschrieben : public std::runtime_error {
public:
    explicit RegistrierungNichtGeschrieben(const std::string& s)
        : std::runtime_error("Die Registrierung von " + s + " lässt sich nicht schreiben.") {}
};

class CRegProjects {
public:
    using Liste = std::vector<std::shared_ptr<CRegProject>>;

    CRegProjects();   // reads the registrations
    ~CRegProjects();

    // Registers a new project. Throws ProjektSchonVorhanden (name already in the
    // collection) or std::invalid_argument (empty name, a "\" that would
    // write into another key, or a control character) before anything is written,
    // and RegistrierungNichtGeschrieben when the registry refuses it; the
    // collection then stays as it was.
    std::shared_ptr<CRegProject> Add(const std::string& Name, const std::string& Path, std::int32_t PrjType);
    // Memory only; an unknown name changes nothing.
    void Delete(const std::string& PrjName);
    // By 1-based position or by name; throws ProjektNichtGefunden.
    std::shared_ptr<CRegProject> Item(std::int32_t nIndex) const;
    std::shared_ptr<CRegProject> Item(const std::string& sName) const;
    std::shared_ptr<CRegProject> Item(const char* sName) const { return Item(std::string(sName)); }
    std::int32_t Count() const { return static_cast<std::int32_t>(mCol.size()); }
    void Clear();   // memory only

    Liste::const_iterator begin() const { return mCol.begin(); }
    Liste::const_iterator end() const { return mCol.end(); }

    // Subkeys left out while reading because they have no "Path" value.
    const std::vector<std::string>& OhnePfad() const { return mOhnePfad; }

    // Case-blind form of a name (ASCII and the Latin-1 letters).
    static std::string Schluessel(const std::string& sName);

private:
    void AddFromReg(const std::string& sSubkey);
    std::size_t Position(const std::string& sName) const;   // npos when missing

    Liste mCol;
    std::vector<std::string> mOhnePfad;
};
