#include "platform/Cp1252.h"

#include <cstdint>

#include "platform/Utf16.h"

namespace {
// Code points of 0x80..0x9F in Windows-1252; 0 marks the five undefined bytes.
constexpr std::uint16_t kObere[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

}  // namespace

namespace Cp1252 {

std::string ZuUtf8(const std::string& sAnsi) {
    std::string out;
    out.reserve(sAnsi.size());
    for (unsigned char c : sAnsi) {
        if (c >= 0x80 && c <= 0x9F)
            Utf16::Utf8Anhaengen(out, kObere[c - 0x80] ? kObere[c - 0x80] : c);
        else
            Utf16::Utf8Anhaengen(out, c);
    }
    return out;
}

std::string AusUtf8(const std::string& sUtf8) {
    // Decoded by the platform's one UTF-8 codec: bytes that are no UTF-8 come
    // as U+FFFD, one for each, and so become "?" as every other character
    // without a Windows-1252 form.
    const std::u16string einheiten = Utf16::AusUtf8(sUtf8);
    std::string out;
    out.reserve(einheiten.size());
    for (std::size_t i = 0; i < einheiten.size(); ++i) {
        const char16_t cp = einheiten[i];
        // A character beyond U+FFFF (a surrogate pair) is one "?".
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < einheiten.size() && einheiten[i + 1] >= 0xDC00 &&
            einheiten[i + 1] <= 0xDFFF) {
            out += '?';
            ++i;
            continue;
        }
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char ersatz = '?';
        for (int k = 0; k < 32; ++k)
            if (kObere[k] != 0 && kObere[k] == cp)
                ersatz = static_cast<char>(0x80 + k);
        // The five undefined bytes were read as U+0081 etc.; they go back unchanged.
        if (cp >= 0x80 && cp <= 0x9F && kObere[cp - 0x80] == 0)
            ersatz = static_cast<char>(cp);
        out += ersatz;
    }
    return out;
}

}  // namespace Cp1252
