#pragma once
// A text as it goes on the wire, and as a received one is stored: the field
// separator ":" and every control byte (codes below 32, and 127) become
// blanks, so that no text can shift the fields after it or end a frame.
#include <string>
#include <string_view>

namespace tables {

inline std::string CleanWireText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || c == ':') c = ' ';
    }
    return out;
}

}  // namespace tables
