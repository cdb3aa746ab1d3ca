#include "platform/ProfilDatei.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Cp1252.h"
#include "platform/Utf16.h"

namespace fs = std::filesystem;

namespace {
// Blocks grow from the first 4 KiB, enough to meet the NUL of a binary file's
// header, to 1 MiB for a large text file; even, so a UTF-16 unit never straddles two.
constexpr std::size_t kErsterBlock = 4 * 1024;
constexpr std::size_t kGroessterBlock = 1024 * 1024;
const char kMarkeUtf8[] = "\xEF\xBB\xBF";

// A file that begins with EF BB BF is UTF-8, one that begins with FF FE is
// UTF-16 little-endian (FE FF big-endian), the mark is no part of the text,
// and any other file is in the ANSI code page.
ProfilDatei::Kodierung KodierungErkennen(const std::string& anfang, std::size_t* marke) {
    if (anfang.compare(0, 3, kMarkeUtf8) == 0) {
        *marke = 3;
        return ProfilDatei::Kodierung::Utf8;
    }
    if (anfang.compare(0, 2, "\xFF\xFE") == 0) {
        *marke = 2;
        return ProfilDatei::Kodierung::Utf16le;
    }
    if (anfang.compare(0, 2, "\xFE\xFF") == 0) {
        *marke = 2;
        return ProfilDatei::Kodierung::Utf16be;
    }
    *marke = 0;
    return ProfilDatei::Kodierung::Ansi;
}

bool IstUtf16(ProfilDatei::Kodierung k) {
    return k == ProfilDatei::Kodierung::Utf16le || k == ProfilDatei::Kodierung::Utf16be;
}

std::u16string Einheiten(const std::string& roh, std::size_t ab, bool fLe) {
    std::u16string s;
    s.reserve((roh.size() - ab) / 2);
    for (std::size_t i = ab; i + 1 < roh.size(); i += 2) {
        const auto a = static_cast<unsigned char>(roh[i]), b = static_cast<unsigned char>(roh[i + 1]);
        s += static_cast<char16_t>(fLe ? (a | (b << 8)) : ((a << 8) | b));
    }
    return s;
}

// A line ends at CR LF, at a bare CR or at a bare LF.
std::vector<std::string> Zeilen(const std::string& text) {
    std::vector<std::string> zeilen;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t ende = text.find_first_of("\r\n", start);
        if (ende == std::string::npos)
            ende = text.size();
        zeilen.push_back(text.substr(start, ende - start));
        if (ende + 1 < text.size() && text[ende] == '\r' && text[ende + 1] == '\n')
            ++ende;
        start = ende + 1;
    }
    return zeilen;
}
}  // namespace

bool ProfilDatei::Laden(const std::string& sUtf8, bool* pfVorhanden) {
    zeilen.clear();
    kodierung = Kodierung::Ansi;
#ifdef _WIN32
    // the wide form reaches every name, not only those of the ANSI code page
    const std::u16string w = Utf16::AusUtf8(sUtf8);
    const fs::path sPfad(std::wstring(w.begin(), w.end()));
#else
    const fs::path sPfad(sUtf8);
#endif
    std::error_code ec;
    if (pfVorhanden)
        *pfVorhanden = fs::exists(sPfad, ec);
    if (!fs::is_regular_file(sPfad, ec))
        return false;
    std::ifstream in(sPfad, std::ios::binary);
    if (!in)
        return false;
    std::string roh;
    std::size_t marke = 0;
    bool fErkannt = false;
    std::size_t geprueft = 0;
    std::string block(kErsterBlock, '\0');
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto n = static_cast<std::size_t>(in.gcount());
        if (n == 0)
            break;
        roh.append(block, 0, n);
        if (block.size() < kGroessterBlock)
            block.resize(block.size() * 2);
        if (!fErkannt && (roh.size() >= 3 || !in)) {
            kodierung = KodierungErkennen(roh, &marke);
            fErkannt = true;
            geprueft = marke;
        }
        if (!fErkannt)
            continue;
        if (IstUtf16(kodierung)) {
            for (; geprueft + 1 < roh.size(); geprueft += 2)
                if (roh[geprueft] == '\0' && roh[geprueft + 1] == '\0')
                    return false;
        } else {
            if (std::memchr(roh.data() + geprueft, '\0', roh.size() - geprueft))
                return false;
            geprueft = roh.size();
        }
    }
    if (in.bad())
        return false;
    if (!fErkannt)
        kodierung = KodierungErkennen(roh, &marke);

    std::string text;
    switch (kodierung) {
    case Kodierung::Ansi:
        // plain ASCII is the same in both, and large files mostly are
        text = std::all_of(roh.begin(), roh.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })
                   ? std::move(roh)
                   : Cp1252::ZuUtf8(roh);
        break;
    case Kodierung::Utf8:
        text = roh.substr(marke);
        break;
    case Kodierung::Utf16le:
    case Kodierung::Utf16be:
        // a lone surrogate of the file is kept, so a line nobody changes is written back as it was
        text = Utf16::ZuUtf8(Einheiten(roh, marke, kodierung == Kodierung::Utf16le), true);
        break;
    }
    zeilen = Zeilen(text);
    return true;
}

std::string ProfilDatei::Inhalt() const {
    std::string text;
    for (const std::string& z : zeilen)
        text += z + "\r\n";
    switch (kodierung) {
    case Kodierung::Ansi:
        return Cp1252::AusUtf8(text);
    case Kodierung::Utf8:
        return kMarkeUtf8 + text;
    case Kodierung::Utf16le:
    case Kodierung::Utf16be: {
        const bool fLe = kodierung == Kodierung::Utf16le;
        std::string out = fLe ? "\xFF\xFE" : "\xFE\xFF";
        for (const char16_t e : Utf16::AusUtf8(text, true)) {
            const char lo = static_cast<char>(e & 0xFF), hi = static_cast<char>(e >> 8);
            out += fLe ? lo : hi;
            out += fLe ? hi : lo;
        }
        return out;
    }
    }
    return {};
}
