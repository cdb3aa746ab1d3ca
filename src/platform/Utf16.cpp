#include "platform/Utf16.h"

#include <cstdint>

namespace {
constexpr char32_t kErsatz = 0xFFFD;

bool IstSurrogat(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The three bytes of a surrogate kept by ZuUtf8 at s[i]: ED A0..BF 80..BF.
bool GehaltenesSurrogat(const std::string& s, std::size_t i) {
    return i + 2 < s.size() && static_cast<unsigned char>(s[i]) == 0xED &&
           (static_cast<unsigned char>(s[i + 1]) & 0xE0) == 0xA0 && (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80;
}
}  // namespace

namespace Utf16 {

void Utf8Anhaengen(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        Utf8Anhaengen(out, kErsatz);
    }
}

std::string ZuUtf8(const std::u16string& s, bool fEinzelneBehalten) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            Utf8Anhaengen(out, 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(s[++i]) - 0xDC00));
        } else {
            Utf8Anhaengen(out, IstSurrogat(c) && !fEinzelneBehalten ? kErsatz : c);
        }
    }
    return out;
}

std::u16string AusUtf8(const std::string& s, bool fEinzelneBehalten) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (fEinzelneBehalten && GehaltenesSurrogat(s, i)) {
            out += static_cast<char16_t>(0xD000 | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                                         (static_cast<unsigned char>(s[i + 2]) & 0x3F));
            i += 3;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        std::uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        bool gueltig = n != 0 && i + n <= s.size();
        for (std::size_t k = 1; gueltig && k < n; ++k) {
            const unsigned char f = static_cast<unsigned char>(s[i + k]);
            gueltig = (f & 0xC0) == 0x80;
            cp = (cp << 6) | (f & 0x3F);
        }
        if (!gueltig || cp > 0x10FFFF || IstSurrogat(cp)) {
            out += static_cast<char16_t>(kErsatz);
            ++i;
            continue;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Bereinigt(const std::string& s) {
    if (s.find('\xED') == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (GehaltenesSurrogat(s, i)) {
            Utf8Anhaengen(out, kErsatz);
            i += 3;
        } else {
            out += s[i++];
        }
    }
    return out;
}

}  // namespace Utf16
