#pragma once
// UTF-16 code units, as Windows keeps its texts, to and from the program's UTF-8.
#include <string>

namespace Utf16 {
// Unpaired surrogates become U+FFFD.
std::string ZuUtf8(const std::u16string& s);
// Bytes that are no UTF-8 become U+FFFD.
std::u16string AusUtf8(const std::string& s);
}  // namespace Utf16
