#include "core/profile_reader.h"

#include "platform/profile.h"

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string StripQuotes(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

ProfileReader::Section& ProfileReader::Load(const std::string& section) {
    const std::string name = Upper(section);
    auto it = sections_.find(name);
    if (it != sections_.end()) return it->second;
    Section& s = sections_[name];
    if (!file_.empty())
        for (auto& [key, value] : platform::ProfileSection(section, file_))
            s.emplace(Upper(key), StripQuotes(value));  // the first of repeated keys stays
    return s;
}

bool ProfileReader::Get(const std::string& section, const std::string& key, std::string& value,
                        size_t maxLength) {
    const Section& s = Load(section);
    auto it = s.find(Upper(key));
    if (it == s.end()) return false;
    value = it->second;
    if (value.size() > maxLength) value.resize(maxLength);
    return true;
}
