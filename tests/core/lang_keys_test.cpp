// Every language text the code asks for by literal section and key must be in
// both shipped language files, and the two files must hold the same keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/tempdir.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/texts.h"

namespace {

namespace fs = std::filesystem;

const char* const kModels[] = {"LX4100", "TAV3800", "QUENTARO", "VELTA7300", "ORBA", "KWT1900",
                               "DRAVO57", "TIMBREL", "NAVOSK", "ZANDORE", "MERIDOTAN"};
const char* const kLangFiles[] = {"Testi.eng", "Testi.ita"};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::string ReadFileBytes(const fs::path& path) { return testsupport::ReadAll(path.string()); }

// A language file as section -> key -> value, names in lower case (the
// profile functions ignore case); the first of repeated keys wins.
struct LangFile {
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::vector<std::string> problems;  // malformed lines, bare LF, long texts

    bool Has(const std::string& section, const std::string& key) const {
        auto s = sections.find(Lower(section));
        if (s == sections.end()) return false;
        auto k = s->second.find(Lower(key));
        return k != s->second.end() && !k->second.empty();
    }
};

LangFile LoadLang(const fs::path& path) {
    LangFile lang;
    std::string bytes = ReadFileBytes(path);
    std::string section;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        ++lineNo;
        if (end < bytes.size() && (line.empty() || line.back() != '\r'))
            lang.problems.push_back("line " + std::to_string(lineNo) + ": not ended by CR LF");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = end + 1;
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            if (t.back() != ']') lang.problems.push_back("line " + std::to_string(lineNo));
            section = Lower(t.substr(1, t.size() - 2));
            lang.sections[section];
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos || section.empty()) {
            lang.problems.push_back("line " + std::to_string(lineNo) + ": " + t);
            continue;
        }
        std::string value = Trim(t.substr(eq + 1));
        if (value.size() > 127)
            lang.problems.push_back("line " + std::to_string(lineNo) + ": text over 127 characters");
        lang.sections[section].emplace(Lower(Trim(t.substr(0, eq))), value);
    }
    return lang;
}

struct Use {
    std::string section, key, where;
};

// The matches of the pattern in the text, tried only where the function's name
// occurs (std::regex over whole files is slow).
std::vector<std::smatch> CallsOf(const std::string& text, const std::string& name,
                                 const std::regex& pattern) {
    std::vector<std::smatch> found;
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_'))
            continue;
        std::smatch m;
        auto begin = text.begin() + at;
        auto end = text.begin() + std::min(text.size(), at + 400);
        if (std::regex_search(begin, end, m, pattern, std::regex_constants::match_continuous))
            found.push_back(m);
    }
    return found;
}

// The (section, key) pairs that the sources pass as string literals:
// GetText("S", "K"); ShowMsg("k1", "k2") reads "Msg"/k1 and "Msg1"/k2;
// GetProtocolText("code") reads the protocol key in every model's section.
std::vector<Use> ScanSources(const fs::path& root) {
    static const std::regex kGetText(R"re(GetText\s*\(\s*"([^"\\]*)"\s*,\s*"([^"\\]*)"\s*\))re");
    static const std::regex kShowMsg(R"re(ShowMsg\s*\(\s*"([^"\\]*)"\s*,\s*"([^"\\]*)"\s*\))re");
    static const std::regex kProtocol(R"re(GetProtocolText\s*\(\s*"([^"\\]*)"\s*\))re");
    std::vector<Use> uses;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::string text = ReadFileBytes(entry.path());
        std::string where = fs::relative(entry.path(), root).string();
        for (const std::smatch& m : CallsOf(text, "GetText", kGetText))
            uses.push_back({m[1], m[2], where});
        for (const std::smatch& m : CallsOf(text, "ShowMsg", kShowMsg)) {
            if (m[1].length() > 0) uses.push_back({"Msg", m[1], where});
            if (m[2].length() > 0) uses.push_back({"Msg1", m[2], where});
        }
        for (const std::smatch& m : CallsOf(text, "GetProtocolText", kProtocol)) {
            std::string key = std::string(m[1]).substr(0, 2);
            if (key.size() == 2 && key[1] >= 'a' && key[1] <= 'z') key += key[1];
            if (key.empty()) continue;
            for (const char* model : kModels)
                uses.push_back({std::string("Protocol_") + model, key, where});
        }
    }
    return uses;
}

fs::path SourceDir() { return fs::path(ECR_SOURCE_DIR); }

TEST(LanguageFiles, AreWellFormed) {
    for (const char* name : kLangFiles) {
        fs::path path = SourceDir() / "lang" / name;
        ASSERT_TRUE(fs::exists(path)) << path;
        LangFile lang = LoadLang(path);
        for (const std::string& p : lang.problems) ADD_FAILURE() << name << " " << p;
    }
}

TEST(LanguageFiles, HoldEveryKeyTheCodeReads) {
    std::vector<Use> uses = ScanSources(SourceDir() / "src");
    ASSERT_FALSE(uses.empty());
    for (const char* name : kLangFiles) {
        LangFile lang = LoadLang(SourceDir() / "lang" / name);
        std::set<std::string> reported;
        for (const Use& u : uses) {
            if (lang.Has(u.section, u.key)) continue;
            // GetText falls back to the key's form for the model (key_<n>): a
            // text given for some models only, the plain key left out, is there.
            bool perModel = false;
            for (int n = 1; n <= 12 && !perModel; ++n) perModel = lang.Has(u.section, u.key + "_" + std::to_string(n));
            if (perModel) continue;
            std::string line = u.where + ": [" + u.section + "] " + u.key;
            if (reported.insert(line).second) ADD_FAILURE() << name << " lacks " << line;
        }
    }
}

TEST(LanguageFiles, HoldTheSameKeys) {
    LangFile eng = LoadLang(SourceDir() / "lang" / kLangFiles[0]);
    LangFile ita = LoadLang(SourceDir() / "lang" / kLangFiles[1]);
    auto compare = [](const LangFile& a, const LangFile& b, const std::string& bName) {
        for (const auto& [section, keys] : a.sections)
            for (const auto& [key, value] : keys)
                if (!value.empty() && !b.Has(section, key))
                    ADD_FAILURE() << bName << " lacks [" << section << "] " << key;
    };
    compare(eng, ita, kLangFiles[1]);
    compare(ita, eng, kLangFiles[0]);
}

TEST(LanguageFiles, EveryModelHasItsProtocolSection) {
    for (const char* name : kLangFiles) {
        LangFile lang = LoadLang(SourceDir() / "lang" / name);
        for (const char* model : kModels)
            EXPECT_TRUE(lang.Has(std::string("Protocol_") + model, "*F")) << name << " " << model;
    }
}

// The shipped files read through GetText: keys that start with "#", "&",
// "^" or "*", quoted values with a trailing blank, Windows-1252 accents.
TEST(LanguageFiles, ReadThroughGetText) {
    CoreGlobals saved = Core;
    Core.strLangFile = (SourceDir() / "lang" / "Testi.ita").string();
    for (int16_t model = 1; model <= 12; ++model) {
        ConfigLevel.InitOffLine(model, "V014057");
        for (const char* code : {"#P", "&L1:99", "^i", "*a", "*3"})
            EXPECT_FALSE(GetProtocolText(code).empty()) << model << " " << code;
    }
    EXPECT_EQ(GetText("18", "ticket"), "Buono pasto ");
    EXPECT_EQ(GetText("Msg1", "4"), "il codice esiste gi\xe0");
    Core = saved;
    ConfigLevel = ConfigLevelClass{};
}

}  // namespace
