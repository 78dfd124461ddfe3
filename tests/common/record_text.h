#pragma once
// Short ways to write the bytes of fixed-length records and their wire
// texts in a test: `using namespace testsupport::text;`.
#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"

namespace testsupport::text {

using Lines = std::vector<std::string>;
inline const std::string kEnd = "\r\n";  // every record's end

inline std::string Blanks(int n) { return std::string(static_cast<size_t>(n), ' '); }
inline std::string Zeros(int n) { return std::string(static_cast<size_t>(n), '0'); }
inline std::string Num(int64_t n) { return std::to_string(n); }
// Left-aligned in the width, blanks after.
inline std::string Pad(const std::string& text, int width) { return tables::PadRight(text, width); }
// Right-aligned in the width, zeros before.
inline std::string Z(int64_t value, int width) { return tables::FormatNum(value, width); }

}  // namespace testsupport::text
