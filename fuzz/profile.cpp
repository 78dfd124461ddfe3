// Any file content and buffer size into the profile functions.
//
// Input: one byte for the buffer size; the section name, the key and the
// value, each ended by NUL; then the content of the file.
//
// Every read at that buffer size must give a NUL-ended prefix of the whole
// result inside the buffer, cut by the value rule (size - 1) or the list rule
// (size - 2); the reader of many keys must agree with the single read; and a
// key that a write reports written must read back as written: CR and LF in
// the value turned into blanks, outer blanks trimmed, one pair of outer
// quotes stripped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/profile.h"

using namespace platform;

namespace {

enum class Rule { Value, List };

// A read into a buffer of `size` bytes compared with the same read into one
// that holds everything.
template <class Read>
void CheckCut(Read read, uint32_t size, size_t room, Rule rule) {
    std::unique_ptr<char[]> whole(new char[room]);
    const uint32_t all = read(whole.get(), static_cast<uint32_t>(room));
    if (all >= room - 2) abort();  // room was meant to be plenty
    std::unique_ptr<char[]> cut(new char[size]);  // exactly size bytes: no slack
    const uint32_t n = read(cut.get(), size);
    if (size == 0) {
        if (n != 0) abort();
        return;
    }
    if (n >= size || cut[n] != '\0' || std::memcmp(cut.get(), whole.get(), n) != 0) abort();
    if (rule == Rule::Value && n != (all < size ? all : size - 1)) abort();
    if (rule == Rule::List && size >= all + 2 && n != all) abort();
    if (rule == Rule::List && size <= all && n != (size >= 2 ? size - 2 : 0)) abort();
}

bool IsSpace(char c) { return c == ' '; }
// Blanks that some line readers trim around names and values and others
// keep: where such a character ends a name or value, what reads back is
// not this check's to decide.
bool IsOtherBlank(char c) { return c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string TrimSpaces(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b])) ++b;
    while (e > b && IsSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool EdgeIsOtherBlank(const std::string& s) {
    return !s.empty() && (IsOtherBlank(s.front()) || IsOtherBlank(s.back()));
}

// A name that a file line can hold as it stands.
bool PlainName(const std::string& name, const char* forbidden) {
    const std::string t = TrimSpaces(name);
    return !t.empty() && !EdgeIsOtherBlank(t) && t.find_first_of(forbidden) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint32_t bufSize = data[0];
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string parts[3];
    for (std::string& part : parts) {
        size_t nul = rest.find('\0');
        if (nul == std::string::npos) return 0;
        part = rest.substr(0, nul);
        rest.erase(0, nul + 1);
    }
    const std::string &section = parts[0], &key = parts[1], &value = parts[2];
    const std::string path = fuzzsupport::ScratchDir() + "/fuzz.ini";
    if (!WriteFile(path, rest)) abort();
    const char* file = path.c_str();
    const char* s = section.c_str();
    const char* k = key.c_str();
    const size_t room = rest.size() + 64;

    CheckCut([&](char* b, uint32_t n) { return GetPrivateProfileStringA(s, k, "dflt", b, n, file); },
             bufSize, room, Rule::Value);
    CheckCut([&](char* b, uint32_t n) { return GetPrivateProfileStringA(s, nullptr, "", b, n, file); },
             bufSize, room, Rule::List);
    CheckCut([&](char* b, uint32_t n) { return GetPrivateProfileStringA(nullptr, nullptr, "", b, n, file); },
             bufSize, room, Rule::List);
    CheckCut([&](char* b, uint32_t n) { return GetPrivateProfileSectionA(s, b, n, file); },
             bufSize, room, Rule::List);
    GetPrivateProfileIntA(s, k, 7, file);

    // The reader of many keys gives what the single read gives.
    {
        ProfileReader reader(path);
        std::string viaReader;
        const std::string viaRead = ProfileString(section, key, "\x01", path);
        if (reader.Get(section, key, viaReader, std::string::npos) ? viaReader != viaRead
                                                                    : viaRead != "\x01")
            abort();
    }

    if (!WritePrivateProfileStringA(s, k, value.c_str(), file)) return 0;
    // A header ends at its first "]"; a key ends at "=", and a line that
    // starts with ";" or "[" is no key line.
    if (!PlainName(section, "]\r\n") || !PlainName(key, "=\r\n")) return 0;
    const char first = TrimSpaces(key)[0];
    if (first == ';' || first == '[') return 0;
    std::string expected = value;
    for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
    expected = TrimSpaces(expected);
    if (EdgeIsOtherBlank(expected)) return 0;
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') &&
        expected.back() == expected[0])
        expected = expected.substr(1, expected.size() - 2);
    std::unique_ptr<char[]> back(new char[room + value.size()]);
    const uint32_t n = GetPrivateProfileStringA(s, k, "\x01", back.get(),
                                                static_cast<uint32_t>(room + value.size()), file);
    if (std::string(back.get(), n) != expected) abort();
    return 0;
}
