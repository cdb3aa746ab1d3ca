#pragma once
// One Wine registry file ("WINE REGISTRY Version 2") in memory. Keeps every
// line it does not change exactly as it was, so writing one value leaves the
// rest of the file untouched.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/MRegistrierung.h"

class WinRegDatei {
public:
    // Reads the file; a missing file is an empty registry. False when the file
    // exists but cannot be parsed (it may still be read, never written).
    bool Laden(const std::string& sDatei);
    // The same from a file's bytes already read; InhaltLesen reads them.
    bool Einlesen(const std::string& inhalt);
    static bool InhaltLesen(const std::string& sDatei, std::string* inhalt);
    MRegistrierung::RegWert WertLesen(const std::string& sSchluessel, const std::string& sWertName) const;
    // Creates the key when missing; returns the result rules of the registry API.
    bool WertSchreiben(const std::string& sSchluessel, const std::string& sWertName,
                       const MRegistrierung::RegWert& vWert, std::int32_t nTyp);
    // The names of the direct subkeys, in the order in which Windows lists them.
    std::vector<std::string> UnterSchluessel(const std::string& sSchluessel) const;
    // False when the file could not be parsed: such a file is never written.
    bool Lesbar() const { return m_lesbar; }
    // The whole file as it is to be written; sRelativZu names the hive in the
    // header of a file that did not exist yet.
    std::string Inhalt(const std::string& sRelativZu) const;

private:
    struct Wert {
        std::string name;     // unescaped, "" for the default value "@"
        std::size_t erste;    // first line of the value
        std::size_t letzte;   // last line (continuations)
    };
    struct Schluessel {
        std::string pfad;     // unescaped
        std::size_t kopf;     // line of [..]
        std::vector<Wert> werte;
        std::string klein;    // the path in its comparison form
    };
    std::optional<std::size_t> SchluesselFinden(const std::string& pfad) const;
    void NeuEinlesen();

    std::vector<std::string> m_zeilen;
    std::vector<Schluessel> m_schluessel;
    std::unordered_map<std::string, std::size_t> m_index;  // folded path -> first key
    bool m_lesbar = true;
    bool m_neu = false;  // the file did not exist yet
};
