#include "core/cash_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "core/record.h"

std::array<CashRec, kMaxCash + 1> CassaList;
CashListGlobals CashListState;

namespace {

const char* const kSection = "Casse";

std::string Key(int index) { return "C" + std::to_string(index); }

// The numeric value of the leading number of a field (blanks, sign, digits,
// a decimal point and digits), rounded to a whole number, halves to even.
int16_t ValInt(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    }
    double v = std::strtod(s.substr(start, i - start).c_str(), nullptr);
    v = std::nearbyint(v);  // the default rounding mode rounds halves to even
    if (v > INT16_MAX) v = INT16_MAX;
    if (v < INT16_MIN) v = INT16_MIN;
    return static_cast<int16_t>(v);
}

// The fields of a [Casse] value, taken between consecutive "|" from the left
// without trimming; the last one taken is everything after the last "|" looked
// for. At most eight fields.
std::vector<std::string> SplitEntry(const std::string& value) {
    std::vector<std::string> fields;
    size_t from = 0;
    while (fields.size() < 7) {
        size_t bar = value.find('|', from);
        if (bar == std::string::npos) break;
        fields.push_back(value.substr(from, bar - from));
        from = bar + 1;
    }
    fields.push_back(value.substr(from));
    return fields;
}

// A field that is a whole number written in digits (blanks around it
// allowed) from lo to hi.
bool NumberIn(const std::string& field, int lo, int hi) {
    size_t b = field.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    size_t e = field.find_last_not_of(' ') + 1;
    if (e - b > 5) return false;
    long v = 0;
    for (size_t i = b; i < e; ++i) {
        if (field[i] < '0' || field[i] > '9') return false;
        v = v * 10 + (field[i] - '0');
    }
    return v >= lo && v <= hi;
}

// What a register entry must hold to be used: at most eight fields, a
// register number the options can hold (0 to 99, or none: a new register's
// options take it, and a larger one would go out as 0), a port
// number that fits the port word, and a station address that the link can
// put in a frame. The address character of station n is 160 + n and 192 is
// the broadcast character, so stations run from 0 to 31; a larger number
// would wrap in the 16-bit address and name another station and folder.
constexpr int kMaxStation = 31;
bool UsableEntry(const std::vector<std::string>& f) {
    return f.size() >= 7 && (f.size() < 8 || f[7].find('|') == std::string::npos) &&
           (f[0].find_first_not_of(' ') == std::string::npos || NumberIn(f[0], 0, 99)) &&
           NumberIn(f[4], 1, 32767) && NumberIn(f[6], 0, kMaxStation);
}

// A register entry that cannot be used goes to the message log and, in a
// command-line run, to the error log as a failure of the run; once per run
// for each entry as it stands.
void ReportEntry(const std::string& key, const std::string& file, const std::string& value,
                 const std::string& what) {
    // One line of the log.
    std::string note = file + " [" + kSection + "] " + key + "=" + tables::BlankControls(value);
    for (const std::string& seen : CashListState.reported)
        if (seen == note) return;
    CashListState.reported.push_back(note);
    WriteMsgLog(GetText("Log", what) + " " + note);
    if (!Core.bInteractive) LogErr(kErrCashEntry);
}

std::string EntryValue(const CashRec& c) {
    return CleanCasseField(c.number) + "|" + CleanCasseField(c.name) + "|" +
           CleanCasseField(c.identity) + "|" + CleanCasseField(c.release) + "|" +
           CleanCasseField(c.port) + "|" + CleanCasseField(c.addressed) + "|" +
           CleanCasseField(c.station) + "|" + (c.bEnabled ? "1" : "0");
}

bool WriteEntry(int index) {
    return platform::WriteProfileString(kSection, Key(index), EntryValue(CassaList[index]),
                                        ConfigIniPath());
}

}  // namespace

std::string ConfigIniPath() {
    if (Core.strRootDir.empty()) return std::string();
    return platform::JoinPath(Core.strRootDir, "config.ini");
}

std::string CleanCasseField(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '|' || static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return out;
}

bool SaveCasse() {
    if (!Core.bInteractive) return true;
    const std::string file = ConfigIniPath();
    if (file.empty()) return false;
    if (!platform::FileExists(file) && !platform::WriteFile(file, "")) return false;
    // The keys go into the file's lines in memory; the file is replaced once.
    platform::ProfileBatch batch(file);
    bool ok = true;
    for (int i = 0; i < kMaxCash; ++i)
        if (CassaList[i].bDefined && !WriteEntry(i)) ok = false;
    return batch.Commit() && ok;
}

void SaveCassaEntry() {
    if (!Core.bInteractive) return;
    const int i = Core.nOpenCash;
    if (i < 0 || i > kMaxCash) return;
    CashRec& c = CassaList[i];
    c.name = CleanCasseField(HelloRec.strHelloName);
    c.identity = CleanCasseField(HelloRec.strHelloInfo);
    c.release = CleanCasseField(HelloRec.strHelloVersion);
    // Only a register of the list gets its key; an entry that is not defined
    // would come back as a register without port or station.
    if (i < kMaxCash && c.bDefined && !ConfigIniPath().empty()) WriteEntry(i);
    ConfigLevel.SetCashVersion(i, c.release);
}

bool LoadCassaList() {
    const std::string file = ConfigIniPath();
    if (file.empty()) return true;
    for (int i = 0; i < kMaxCash; ++i) {
        // Keys exist only for the registers defined, so a missing key is a
        // gap in the list, not its end.
        const std::string value = platform::ProfileString(kSection, Key(i), "", file);
        if (value.empty()) continue;
        auto f = SplitEntry(value);
        if (f.size() < 7) break;
        if (!UsableEntry(f) || ValInt(f[6]) != LinkState.nAddress) continue;
        Core.nCommPort = ValInt(f[4]);
        CashInfoRec& info = CassaList[i];
        info = CashInfoRec{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
        break;
    }
    return true;
}

void LoadCasseConf() {
    const std::string file = ConfigIniPath();
    // A command-line run says so when it finds nothing to do.
    if (Core.bInteractive) ReportUnreadableProfile(file);
    for (int i = 0; i < kMaxCash; ++i) {
        CashRec& c = CassaList[i];
        const std::string value =
            file.empty() ? std::string() : platform::ProfileString(kSection, Key(i), "", file);
        if (value.empty()) {
            static_cast<CashInfoRec&>(c) = CashInfoRec{};
            c.bDefined = False;
            c.bEnabled = False;
            continue;
        }
        auto f = SplitEntry(value);
        if (f.size() < 7) {
            ReportEntry(Key(i), file, value, "shortentry");
            break;
        }
        if (!UsableEntry(f)) {
            // Left out as if absent: the registers after it are still read.
            ReportEntry(Key(i), file, value, "badentry");
            static_cast<CashInfoRec&>(c) = CashInfoRec{};
            c.bDefined = False;
            c.bEnabled = False;
            continue;
        }
        c.number = f[0];
        c.name = f[1];
        c.identity = f[2];
        c.release = f[3];
        c.port = f[4];
        c.addressed = f[5];
        ConfigLevel.SetCashVersion(i, c.release);
        c.station = f[6];
        c.bDefined = True;
        if (f.size() >= 8 && Core.strCashMask.empty()) c.bEnabled = ValInt(f[7]) == 1 ? True : False;
    }
    // A command-line run never works on one folder for two entries, however
    // often the list is read again.
    if (!Core.bInteractive) LeaveOutSharedFolders();
}

std::string CashDirName(int station) { return "Cassa" + std::to_string(station + 1); }

int EntryOfStation(int station, int except) {
    for (int i = 0; i < kMaxCash; ++i)
        if (i != except && CassaList[i].bDefined && ValInt(CassaList[i].station) == station) return i;
    return -1;
}

int LeaveOutSharedFolders() {
    int leftOut = 0;
    bool seen[kMaxCash] = {};
    for (int i = 0; i < kMaxCash; ++i) {
        if (seen[i] || !CassaList[i].bDefined || !CassaList[i].bEnabled) continue;
        const int16_t station = ValInt(CassaList[i].station);
        std::vector<int> same{i};
        for (int j = i + 1; j < kMaxCash; ++j)
            if (CassaList[j].bDefined && CassaList[j].bEnabled && ValInt(CassaList[j].station) == station)
                same.push_back(j);
        if (same.size() < 2) continue;
        std::string keys;
        for (int j : same) {
            seen[j] = true;
            CassaList[j].bEnabled = False;
            keys += (keys.empty() ? "" : ", ") + Key(j);
        }
        leftOut += static_cast<int>(same.size());
        CashListState.nSharedLeftOut += static_cast<int>(same.size());
        // Said once per run, though the list is read at every opening.
        const std::string note = keys + " (" + CashDirName(station) + ", " + ConfigIniPath() + ")";
        auto& reported = CashListState.reported;
        if (std::find(reported.begin(), reported.end(), note) != reported.end()) continue;
        reported.push_back(note);
        WriteMsgLog(GetText("Log", "samefolder") + " " + note);
        for (size_t n = 0; n < same.size(); ++n) LogErr(kErrCashEntry);
    }
    return leftOut;
}

void NewCashRec(int16_t index) {
    if (index < 0 || index > kMaxCash) return;
    CashRec& c = CassaList[index];
    // A register already in config.ini keeps its entry (name, enabled flag):
    // only its folder was new, as after copying an installation.
    if (c.bDefined) return;
    c.station = std::to_string(LinkState.nAddress);
    c.name.clear();
    c.number = std::to_string(udtCassaConf.P013);
    c.port = std::to_string(Core.nCommPort);
    c.addressed = LinkState.bAddressed ? "1" : "0";
    c.identity.clear();
    c.release.clear();
    c.bDefined = True;
    c.bEnabled = False;
    c.bDone = False;
}

void SetOpenCashEntry(int16_t i) {
    Core.nCommPort = ValInt(CassaList[i].port);
    LinkState.nAddress = ValInt(CassaList[i].station);
    Core.strCashDir = platform::JoinPath(Core.strRootDir, CashDirName(LinkState.nAddress));
    Core.nOpenCash = static_cast<int16_t>(i);
}

bool OneCashSelected() {
    int n = 0;
    for (int i = 0; i < kMaxCash; ++i)
        if (CassaList[i].bEnabled) ++n;
    return n == 1;
}

bool TestCashEnabled() {
    const int i = LinkState.nCurCash;
    if (i >= 0 && i <= kMaxCash && CassaList[i].bEnabled) return true;
    CurrentShell().MsgBox(GetText("Msg", "82"), GetText("Msg1", "20"));
    return false;
}

void ClearCashDone() {
    for (int i = 0; i < kMaxCash; ++i) CassaList[i].bConnected = False;
}
