#pragma once
// UTF-16 code units, as Windows keeps its texts, to and from the program's
// UTF-8; and the one UTF-8 encoder of the platform layer.
#include <string>

namespace Utf16 {
// Unpaired surrogates become U+FFFD; with fEinzelneBehalten they are kept as
// three bytes each in the manner of UTF-8 (ED A0..BF ..), so a text read from
// a UTF-16 file and written back keeps them, as Windows does.
std::string ZuUtf8(const std::u16string& s, bool fEinzelneBehalten = false);
// Bytes that are no UTF-8 become U+FFFD; with fEinzelneBehalten the three-byte
// form of a surrogate that ZuUtf8 keeps becomes that code unit again.
std::u16string AusUtf8(const std::string& s, bool fEinzelneBehalten = false);
// Appends the code point as UTF-8 (a surrogate as its three bytes).
void Utf8Anhaengen(std::string& out, char32_t cp);
// The text with every kept surrogate (see ZuUtf8) replaced by U+FFFD: what a
// caller outside the file's own reading and writing gets.
std::string Bereinigt(const std::string& s);
}  // namespace Utf16
