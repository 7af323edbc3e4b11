#pragma once
// ASCII-only text helpers for names, keywords and markers: bytes above 127
// are left alone, whatever the code page of the text.
#include <string>
#include <string_view>

namespace kep {

std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
// Without the characters of code 32 or less at either end.
std::string_view TrimControls(std::string_view s);

} // namespace kep
