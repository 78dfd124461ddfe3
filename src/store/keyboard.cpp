#include "store/keyboard.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "platform/files.h"
#include "platform/profile.h"

KeyboardGlobals Keyb;

namespace {

constexpr size_t kMaxValue = 127;  // a value is read into a 128-character buffer
constexpr int kReadEntries = 256;  // the keyboard read uses entries 0 to 255

// The leading number of a field: blanks, an optional sign and digits; text
// after the digits is ignored and a field without digits is 0.
int32_t Leading(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (v < 1000000000) v = v * 10 + (s[i] - '0');
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(neg ? -v : v);
}

int16_t Leading16(std::string_view s) {
    return static_cast<int16_t>(std::clamp<int32_t>(Leading(s), INT16_MIN, INT16_MAX));
}

// The value of a key as the profile read with a 128-character buffer gives it;
// false when the key is absent.
bool ReadValue(platform::ProfileReader& reader, const char* section, const std::string& key,
               std::string& value) {
    return reader.Get(section, key, value, kMaxValue);
}

// The "|"-separated fields of a value; missing fields read as empty.
std::vector<std::string_view> Fields(std::string_view v, size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        size_t p = v.find('|');
        if (p == std::string_view::npos) break;
        out.push_back(v.substr(0, p));
        v.remove_prefix(p + 1);
    }
    out.push_back(v);
    out.resize(count);
    return out;
}

int LastKeyIndex() { return std::min<int>(Keyb.nNumKeys, kKeyEntries - 1); }

void AddFunCode(int32_t code, const std::string& keyText, const std::string& descr) {
    if (Keyb.nFunCodes >= kMaxFunCodes) return;
    FunCode& f = Keyb.FunCodes[Keyb.nFunCodes++];
    f.nCode = static_cast<int16_t>(code);
    f.strKeyText = keyText;
    f.strDescr = descr;
}

const char* const kLevelSection[2] = {"Livello0", "Livello1"};

std::array<KeyConf, kKeyEntries>& Level(int level) {
    return level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1;
}

// The keyboard files' own load and save, shown while they run but not
// logged: the message log keeps the operation's steps, and the load that
// follows each register's read would stand after "Read from register N"
// as if something were still under way.
void ShowFileStep(const char* key) { ShowStatusText(GetText("Msg", key) + " - " + GetText("Msg1", "2")); }

}  // namespace

std::string FunCodeFileName() {
    if (Core.strStartDir.empty()) return std::string();
    std::string ext = Core.strLangExt;
    if (!ext.empty() && ext.front() != '.') ext = "." + ext;
    return platform::JoinPath(Core.strStartDir, ConfigLevel.GetFunCodeFileBase() + ext);
}

std::string KeybLayoutFile(int16_t type) {
    if (Core.strStartDir.empty()) return std::string();
    return platform::JoinPath(Core.strStartDir, ConfigLevel.GetKeybLayoutFileBase() + "_" +
                                                    std::to_string(type) + ".txt");
}

std::string KeybConfFileName(int16_t type) {
    return ConfigLevel.GetKeybConfFileBase() + "_" + std::to_string(type) + ".txt";
}

bool GetKeyLayoutPos(int16_t type, int key, int16_t& row, int16_t& column) {
    platform::ProfileReader layout(KeybLayoutFile(type));
    std::string value;
    if (!ReadValue(layout, "Pos", "K" + std::to_string(key), value)) return false;
    size_t bar = value.find('|');
    if (bar == std::string::npos) return false;
    auto f = Fields(value, 2);
    row = Leading16(f[0]);
    column = Leading16(f[1]);
    return true;
}

void SetKeybInfos() {
    const int16_t type = CassaFile.nTipoTastiera;
    Keyb.strKeybConfFile =
        Core.strCashDir.empty() ? std::string()
                                : platform::JoinPath(Core.strCashDir, KeybConfFileName(type));
    if (type < 0 || type >= ConfigLevel.GetNKeybConf()) return;
    const std::string base = ConfigLevel.GetKeybLayoutBase();
    if (base == "0") {
        Keyb.nNumKeys = type == 0 ? 64 : 101;
    } else if (base == "1") {
        if (type == 0)
            Keyb.nNumKeys = ConfigLevel.CashType() == "DRAVO57" ? 88 : 72;
        else
            Keyb.nNumKeys = 120;
    } else if (base == "2") {
        if (type == 0) Keyb.nNumKeys = 70;
    } else if (base == "3") {
        static const int16_t keys[] = {64, 101, 101, 30};
        if (type <= 3) Keyb.nNumKeys = keys[type];
    }
}

void LoadFunzioni() {
    Keyb.nFunCodes = 0;
    platform::ProfileReader list(Keyb.strFunCodeFile);
    std::string value;
    for (int n = 1; Keyb.nFunCodes < kMaxFunCodes; ++n) {
        if (!ReadValue(list, "Funzioni", "C" + std::to_string(n), value) || value.empty()) break;
        // code|count|key text|description[|first number]
        auto f = Fields(value, 4);
        const int32_t code = Leading(f[0]);
        const int32_t count = Leading(f[1]);
        const std::string keyText(f[2]);
        if (count == 1) {
            AddFunCode(code, keyText, std::string(f[3]));
            continue;
        }
        auto range = Fields(f[3], 2);
        const std::string prefix(range[0]);
        const int32_t first = Leading(range[1]);
        for (int32_t i = 1; i <= count && Keyb.nFunCodes < kMaxFunCodes; ++i) {
            const std::string number = std::to_string(static_cast<int64_t>(first) + i - 1);
            AddFunCode(code + i - 1, keyText + number, prefix + number);
        }
    }
}

void LoadKeyConf() {
    if (Keyb.bEditorShown) ShowFileStep("47");
    SetKeybInfos();
    const int last = LastKeyIndex();
    const int16_t blankIdx = FindFunCode(0);
    for (int level = 0; level < 2; ++level) {
        auto& table = Level(level);
        for (int i = 0; i <= last; ++i) {
            KeyConf& k = table[i];
            k.nKey = static_cast<int16_t>(i);
            k.bProg = False;
            k.nPosCode = 0;
            k.nFunCode = 0;
            k.nFunIdx = blankIdx;
        }
    }
    platform::ProfileReader conf(Keyb.strKeybConfFile);
    std::string value;
    for (int level = 0; level < 2; ++level) {
        auto& table = Level(level);
        for (int i = 0; i <= last; ++i) {
            if (!ReadValue(conf, kLevelSection[level], "T" + std::to_string(i), value)) continue;
            auto f = Fields(value, 3);
            KeyConf& k = table[i];
            k.nKey = static_cast<int16_t>(i);
            k.bProg = Leading(f[0]) == 1 ? True : False;
            k.nPosCode = Leading16(f[1]);
            k.nFunCode = Leading16(f[2]);
            k.nFunIdx = FindFunCode(k.nFunCode);
        }
    }
    CurrentShell().SetPGBValue(-1);
    if (Keyb.bEditorShown) ShowMsg("", "");
}

bool SaveKeyConf(std::string& error) {
    ShowFileStep("48");
    SetKeybInfos();
    const std::string& file = Keyb.strKeybConfFile;
    const int last = LastKeyIndex();
    CurrentShell().SetPGBRange(1, static_cast<int16_t>(Keyb.nNumKeys + 1));
    // The flags in the file as it is before this save; the save writes each
    // key once, after reading its flag. The keys go into the file in one
    // replacement, so that a failed save leaves the old file whole.
    platform::ProfileReader before(file);
    std::optional<platform::ProfileBatch> batch;
    if (!file.empty()) batch.emplace(file);
    std::string value;
    bool written = true;
    int err = 0;
    for (int i = 0; i <= last && !file.empty() && written; ++i) {
        CurrentShell().SetPGBValue(static_cast<int16_t>(i + 1));
        const std::string key = "T" + std::to_string(i);
        for (int level = 0; level < 2 && written; ++level) {
            KeyConf& k = Level(level)[i];
            // The programmable flag comes from the file, which starts as a
            // copy of the model's template.
            if (ReadValue(before, kLevelSection[level], key, value))
                k.bProg = Leading(Fields(value, 1)[0]) == 1 ? True : False;
            errno = 0;
            written = platform::WriteProfileString(kLevelSection[level], key,
                                                   std::string(k.bProg ? "1|" : "0|") +
                                                       std::to_string(k.nPosCode) + "|" +
                                                       std::to_string(k.nFunCode),
                                                   file);
            err = errno;
        }
    }
    if (written && batch) {
        errno = 0;
        written = batch->Commit();
        err = errno;
    }
    if (!written) error = platform::FileErrorText(err, file);
    CurrentShell().SetPGBValue(-1);
    ShowMsg("", "");
    return written;
}

int16_t FindKeyPos(int16_t position) {
    for (int i = 0; i <= LastKeyIndex(); ++i)
        if (Keyb.KeyConf0[i].nPosCode == position) return static_cast<int16_t>(i);
    return -1;
}

int16_t FindFunCode(int16_t code) {
    const int n = std::min<int>(Keyb.nFunCodes, kMaxFunCodes);
    for (int i = 0; i < n; ++i)
        if (Keyb.FunCodes[i].nCode == code) return static_cast<int16_t>(i);
    return -1;
}

void FillKeybDefaults() {
    const int16_t idx = FindFunCode(kDefaultFunCode);
    for (int level = 0; level < 2; ++level)
        for (int i = 0; i < kReadEntries; ++i) {
            KeyConf& k = Level(level)[i];
            if (k.bRead == False && k.bProg != False) {
                k.nFunCode = kDefaultFunCode;
                k.nFunIdx = idx;
            }
        }
}

void ResetKeybTables() {
    for (int level = 0; level < 2; ++level)
        for (int i = 0; i < kReadEntries; ++i) Level(level)[i].bRead = False;
}
