#include "emulator/customers.h"

#include <cstdlib>

namespace emu {
namespace {

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        out.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return out;
}

std::string Key(const std::string& code) {
    size_t a = code.find_first_not_of(' ');
    std::string t = a == std::string::npos ? "" : code.substr(a, code.find_last_not_of(' ') - a + 1);
    return t.size() >= 12 ? t : std::string(12 - t.size(), ' ') + t;
}

// The fields of a customer record of the generation at the level; 0 for a
// register that plays no model, which keeps the fields as they come.
size_t Fields(int generation, int level) {
    switch (generation) {
    case 1: return 8;
    case 2: return 6;
    case 3: return level >= 1 ? 12 : 8;
    case 4: return level >= 1 ? 14 : 8;
    default: return 0;
    }
}

}  // namespace

int CustomerGeneration(const std::string& model, const std::string& release) {
    if (model.empty()) return 0;
    if (model == "LX4100") return 2;
    if (model == "TAV3800" || model == "QUENTARO" || model == "VELTA7300" || model == "ORBA" ||
        model == "KWT1900")
        return 1;
    if (!release.empty() && release <= "R022002") return 1;
    if (model == "TIMBREL" || model == "NAVOSK") return 3;
    if (!release.empty() && release <= "R022040") return 3;
    return 4;
}

bool CustomerArchive::Take(const std::string& record, int generation, int level) {
    std::string text = record;
    if (generation <= 2) {
        if (text.empty() || (text.back() != ':' && generation != 0)) return false;
        if (!text.empty() && text.back() == ':') text.pop_back();
    }
    std::vector<std::string> fields = Split(text);
    if ((generation != 0 && fields.size() != Fields(generation, level)) || fields[0].empty() ||
        fields[0].find_first_not_of("0123456789") != std::string::npos)
        return false;
    byCode_[Key(fields[0])] = fields;
    return true;
}

std::vector<std::string> CustomerArchive::Lines(const std::string& request, int generation,
                                                int level) const {
    // "&I<first>:<last>"
    const size_t colon = request.find(':');
    const std::string first = Key(request.substr(2, colon == std::string::npos ? 0 : colon - 2));
    const std::string last = Key(colon == std::string::npos ? "" : request.substr(colon + 1));
    std::vector<std::string> out;
    int position = 0;
    for (const auto& [code, fields] : byCode_) {
        ++position;
        if (code < first || code > last) continue;
        std::string line;
        const size_t count = generation == 0 ? fields.size() : Fields(generation, level);
        for (size_t i = 0; i < count && i < fields.size(); ++i)
            line += fields[i] + ":";
        out.push_back(line + std::to_string(position) + ":");
    }
    return out;
}

std::vector<std::string> CustomerArchive::All() const {
    std::vector<std::string> out;
    for (const auto& [code, fields] : byCode_) {
        std::string line;
        for (const std::string& f : fields) line += f + ":";
        out.push_back(line);
    }
    return out;
}

void CustomerArchive::Set(const std::vector<std::string>& records) {
    byCode_.clear();
    for (const std::string& r : records) {
        std::vector<std::string> fields = Split(r);
        if (!fields.empty() && fields.back().empty()) fields.pop_back();
        if (!fields.empty()) byCode_[Key(fields[0])] = fields;
    }
}

}  // namespace emu
