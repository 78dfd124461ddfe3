#pragma once
// Reads many keys of one profile file without parsing the file again for
// every key: each section is read once, on first use, through the platform's
// profile functions, and its values are then looked up with their rules
// (names without regard to case, the first of repeated keys wins, one pair of
// outer quotes stripped). For files that are read, not changed, while the
// reader lives.
#include <map>
#include <string>
#include <utility>
#include <vector>

class ProfileReader {
public:
    explicit ProfileReader(std::string file) : file_(std::move(file)) {}

    // The value of the key (at most `maxLength` characters); false when the
    // key is absent.
    bool Get(const std::string& section, const std::string& key, std::string& value,
             size_t maxLength = 127);

    const std::string& file() const { return file_; }

private:
    using Section = std::map<std::string, std::string>;  // upper-case key -> value
    Section& Load(const std::string& section);

    std::string file_;
    std::map<std::string, Section> sections_;  // upper-case section name -> keys
};
