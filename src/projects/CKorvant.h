#pragma once
// The installation and user settings of the HMI environment: two registry
// values, Korvant.ini (in the Windows directory), the form designer table, a
// text lookup for localised captions and the search for information files.
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The installation key of the HMI environment has no "path" value.
class KorvantNichtInstalliert : public std::runtime_error {
public:
    KorvantNichtInstalliert() : std::runtime_error("KVStart findet keinen Registrierungspfad für die Version 4.0") {}
};

class CKorvant {
public:
    static constexpr const char* KORVANT_SCHLUESSEL = "Software\\BELMARK GmbH\\Korvant\\4.0";
    static constexpr const char* KORVANT_INI = "Korvant.ini";

    // An entry for a list or combo box.
    struct ListenEintrag {
        std::string sText;
        std::int32_t nItemData = 0;
        bool operator==(const ListenEintrag&) const = default;
    };
    // A project found by its information file: file name and its "path" entry.
    struct ProjektEintrag {
        std::string sName;
        std::string sPfad;
        bool operator==(const ProjektEintrag&) const = default;
    };
    // A window or control whose caption is looked up by its tag.
    struct TextElement {
        std::string sTag;
        std::string sText;
    };

    std::string sIndextextDatei;
    std::int16_t nVorgabeFormDesigner = 0;
    bool fLadenAutomatisch = false;
    bool fOberflaecheHerstellen = false;
    bool fDateiBackUp = true;
    std::int16_t nFormatierung = 1;
    bool fVorzeichenloseVar = false;
    std::string sPfad;
    std::string sPfadSetupKit;
    std::string sPfadTreiber;
    std::string sPfadProjekte;
    std::int16_t nProjektNeuZaehler = 1;
    std::int16_t nD = 0;
    bool fKVILoeschen = false;
    bool fClientServer = false;

    // Reads the registry and Korvant.ini; throws KorvantNichtInstalliert when
    // the installation path is missing.
    CKorvant();

    void Init();
    // Throws std::out_of_range outside 0..9.
    std::string Formdesigner(std::int16_t nIndex) const;
    // The installed designers among 6..9, item data = designer number.
    std::vector<ListenEintrag> FormDesignerAuflisten() const;
    std::string LeseWert(const std::string& sBereich, const std::string& sEintrag,
                         const std::string& sVorgabe = std::string()) const;
    // False when nothing was written (see MIni::IniSchreibeWert).
    bool SchreibeWert(const std::string& sBereich, const std::string& sEintrag, const std::string& vWert);
    bool SchreibeWert(const std::string& sBereich, const std::string& sEintrag, long long vWert);
    // Entry of section "Text": "\n" becomes a line break, each "#" takes the
    // next value.
    std::string Text(const std::string& sIndex, const std::vector<std::string>& vWerte = {}) const;
    // Every element with a non-empty tag gets the text of its tag.
    void TexteLaden(std::vector<TextElement>& elemente) const;
    // Texts of the keys nIndex .. nIndex + nAnzahl - 1.
    std::vector<ListenEintrag> TexteLadenListe(std::int16_t nIndex, std::int16_t nAnzahl) const;
    // Information files (*.kvi) in the project folder whose project is present.
    std::vector<ProjektEintrag> ProjekteAuflisten() const;

    // The alarm database of a project found by its information file sKviDatei
    // whose "path" entry is sPfad: the database its section "alarm_server"
    // names (alarmpath\database) where that file exists, else the file named
    // after the information file in the project folder (sPfad\<title>.kvs),
    // as a registered project's database is named after the project.
    static std::string AlarmDatenbank(const std::string& sKviDatei, const std::string& sPfad);

    // Strict number of a Korvant.ini entry; false when it is not a number or
    // lies outside the 16-bit range.
    static bool ZahlLesen(const std::string& sText, std::int16_t& nZahl);

    // The index files of one information file are looked at up to this number.
    static constexpr int MAX_INDEXDATEIEN = 1000;

private:
    bool Flag(const char* sBereich, const char* sEintrag, const char* sVorgabe) const;
    std::int16_t Zahl(const char* sBereich, const char* sEintrag, const char* sVorgabe) const;
    // The "path" entry of an information file whose project is present.
    static std::optional<std::string> ProjektPfad(const std::string& sDatei);

    std::array<std::string, 10> msFormDesigner;
};
