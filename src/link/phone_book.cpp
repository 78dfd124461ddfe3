#include "link/phone_book.h"

#include <algorithm>

#include "core/globals.h"
#include "platform/profile.h"
#include "core/record.h"

namespace {

constexpr const char* kSection = "PhoneBook";
// Keys are 16-bit entry numbers.
constexpr int16_t kLastKey = 32767;

// The value of a key as a 128-character buffer takes it.
std::string Value(int16_t key) {
    char buffer[128] = {};
    platform::GetPrivateProfileStringA(kSection, std::to_string(key).c_str(), "", buffer,
                                       sizeof buffer, Core.strPhoneBookIni.c_str());
    return buffer;
}

PhoneEntry Split(int16_t key, const std::string& value) {
    PhoneEntry e;
    e.key = key;
    const size_t bar = value.find('|');
    e.name = value.substr(0, bar);
    if (bar != std::string::npos) e.number = value.substr(bar + 1);
    return e;
}

}  // namespace

std::vector<PhoneEntry> ReadPhoneBook() {
    std::vector<PhoneEntry> entries;
    for (int16_t key = 1; key <= kLastKey; ++key) {
        const std::string value = Value(key);
        if (value.empty()) break;
        entries.push_back(Split(key, value));
        if (key == kLastKey) break;
    }
    return entries;
}

std::string GetConnection(const std::string& name, int16_t& index) {
    const std::vector<PhoneEntry> entries = ReadPhoneBook();
    for (const PhoneEntry& e : entries) {
        if (e.name == name) {
            index = e.key;
            return tables::TrimBlanks(e.number);
        }
    }
    index = static_cast<int16_t>(std::min<size_t>(entries.size() + 1, kLastKey));
    return "";
}

std::string GetNumber(int16_t index) {
    if (index < 1) return "";
    return Split(index, Value(index)).number;
}

std::string GetEntryName(int16_t index) {
    if (index < 1) return "";
    const std::string value = Value(index);
    const std::string name = Split(index, value).name;
    return name.empty() ? value : name;
}

bool PhoneTextAllowed(const std::string& text) { return text.find('|') == std::string::npos; }

bool SavePhoneEntry(const std::string& name, const std::string& number, int16_t index) {
    if (index < 1 || !PhoneTextAllowed(name) || !PhoneTextAllowed(number)) return false;
    return platform::WriteProfileString(kSection, std::to_string(index), name + "|" + number,
                                        Core.strPhoneBookIni);
}
