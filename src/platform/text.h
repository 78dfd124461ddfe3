#pragma once
// Texts are Windows-1252 bytes everywhere in the program; only the windows
// convert, through the one table behind these two functions. Every byte
// round-trips (the five codes that Windows-1252 leaves unassigned map to the
// C1 control characters of the same number).
#include <string>

namespace platform {

std::string Cp1252ToUtf8(const std::string& bytes);
// Characters outside Windows-1252 become "?".
std::string Utf8ToCp1252(const std::string& utf8);

}  // namespace platform
