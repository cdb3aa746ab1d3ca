#pragma once
// The text of one profile file as lines of UTF-8, whatever encoding the file
// is in, and back into that encoding for writing.
#include <string>
#include <vector>

class ProfilDatei {
public:
    enum class Kodierung { Ansi, Utf8, Utf16le, Utf16be };

    // Reads the file in blocks and stops at the first NUL character: such a
    // file is binary (an alarm database, say) and holds no entries. False for
    // that, for a missing file and for anything that is not a file;
    // *pfVorhanden tells whether something exists under the name.
    bool Laden(const std::string& sUtf8, bool* pfVorhanden = nullptr);

    // Every line followed by CRLF, in the file's encoding with its mark.
    std::string Inhalt() const;

    // Without their line ends. A lone surrogate of a UTF-16 file stands in its
    // three-byte form (Utf16::ZuUtf8 keeping it); callers get Utf16::Bereinigt.
    std::vector<std::string> zeilen;
    Kodierung kodierung = Kodierung::Ansi;
};
