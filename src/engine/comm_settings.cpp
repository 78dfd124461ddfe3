#include "engine/comm_settings.h"

#include <cmath>
#include <cstdlib>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/open_register.h"
#include "core/shell.h"
#include "core/texts.h"
#include "engine/builders_reports.h"
#include "core/link_state.h"
#include "link/port.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "engine/cycle.h"
#include "core/cassa_conf.h"

namespace {

using R = CassaConfRec;

constexpr int32_t kInt16Low = -32768;
constexpr int32_t kInt16High = 32767;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// A whole number of digits only, from 1 up to the highest value.
bool PositiveWhole(const std::string& text, int32_t highest, int32_t& value) {
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(t.c_str());
    return value >= 1 && value <= highest;
}

}  // namespace

const std::vector<CommCheck>& CommChecks() {
    static const std::vector<CommCheck> checks = {
        {"chkP911A", &R::P911, 128, "17", 0, ""},
        {"chkP911B", &R::P911, 64, "18", 0, ""},
        {"chkP911C", &R::P911, 32, "19", 0, ""},
        {"chkP911D", &R::P911, 16, "20", 0, ""},
        {"chkP911E", &R::P911, 8, "32", 1, "E"},
        {"chkP911G", &R::P911, 2, "22", 0, ""},
        {"chkP911H", &R::P911, 1, "23", 0, ""},
        {"chkP911_2A", &R::P911_2, 128, "remote", 2, "A"},
        {"chkP911_2B", &R::P911_2, 64, "serhistory", 2, "B"},
        {"chkP914", &R::P914, 1, "14", 0, ""},
        {"chkP915A", &R::P915, 128, "24", 0, ""},
        {"chkP915B", &R::P915, 64, "25", 0, ""},
        {"chkP915C", &R::P915, 32, "26", 15, "C"},
        {"chkP915G", &R::P915, 2, "33", 15, "G"},
        {"chkP915H", &R::P915, 1, "36", 15, "H"},
        {"chkP920", &R::P920, 1, "15", 0, ""},
        {"chkP930", &R::P930, 1, "16", 0, ""},
    };
    return checks;
}

const std::vector<CommNumber>& CommNumbers() {
    static const std::vector<CommNumber> numbers = {
        {"txtP013", &R::P013, 0, 99},
        {"txtP910", &R::P910, 0, 3},
        {"txtP921", &R::P921, 0, 99},
        {"txtP922N", &R::P922N, 0, 999},
        {"txtP922F", &R::P922F, 0, 999},
        {"txtP922S", &R::P922S, 0, 999},
        {"txtP923", &R::P923, 1, 10},
        // The memory pages of the service page: the history's at least 1,
        // each an Integer of the record.
        {"txtMemPages_0", &R::P681S, 1, kInt16High},
        {"txtMemPages_1", &R::P681C, kInt16Low, kInt16High},
        {"txtMemPages_2", &R::P681F, kInt16Low, kInt16High},
    };
    return numbers;
}

CommShown CommShowConf() {
    CommShown shown;
    for (const CommNumber& n : CommNumbers())
        shown.numbers[n.name] = std::to_string(udtCassaConf.*n.field);
    for (const CommCheck& c : CommChecks())
        shown.checks[c.name] = (udtCassaConf.*c.field & c.bit) != 0;
    shown.phoneBookKey = udtCassaConf.nPhoneBookIndex;
    return shown;
}

int16_t CommShownWord(const CommShown& shown, int16_t CassaConfRec::*field) {
    int16_t word = 0;
    for (const CommCheck& c : CommChecks()) {
        auto it = shown.checks.find(c.name);
        if (c.field == field && it != shown.checks.end() && it->second)
            word = static_cast<int16_t>(word | c.bit);
    }
    return word;
}

bool CommCheckShown(const CommCheck& check) {
    switch (check.gate) {
        case 1:
        case 2:
            return ConfigLevel.GetP911Enable(LinkState.nCurCash, check.gate, check.letter);
        case 15:
            return ConfigLevel.GetP915Enable(check.letter);
        default:
            return true;
    }
}

bool CommTextValue(const std::string& text, int32_t low, int32_t high, int16_t& value) {
    const std::string t = Trim(text);
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    const size_t digits = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    size_t whole = i - digits;
    size_t fraction = 0;
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++fraction;
    }
    if (i != t.size() || whole + fraction == 0 || whole > 9) return false;
    std::string number = t;
    for (char& c : number)
        if (c == ',') c = '.';
    const double v = std::nearbyint(std::strtod(number.c_str(), nullptr));
    if (v < low || v > high) return false;
    value = static_cast<int16_t>(v);
    return true;
}

bool CommSaveData(const CommShown& shown, std::string* badBox) {
    // Every number first: a refused one leaves the record as it was.
    CassaConfRec rec = udtCassaConf;
    if (!CommShownRecord(shown, rec, badBox)) return false;
    udtCassaConf = rec;
    return true;
}

bool CommShownRecord(const CommShown& shown, CassaConfRec& out, std::string* badBox) {
    CassaConfRec rec = out;
    for (const CommNumber& n : CommNumbers()) {
        auto it = shown.numbers.find(n.name);
        int16_t v = 0;
        if (it == shown.numbers.end()) continue;
        if (!CommTextValue(it->second, n.low, n.high, v)) {
            if (badBox) *badBox = n.name;
            return false;
        }
        rec.*n.field = v;
    }
    // The option words from their boxes alone.
    for (const CommCheck& c : CommChecks()) rec.*c.field = CommShownWord(shown, c.field);
    rec.P9Addr = static_cast<int16_t>(LinkState.nAddress + 1);
    rec.nPhoneBookIndex = shown.phoneBookKey;
    out = rec;
    return true;
}

void CommApplyLinkSettings() {
    int16_t level = (udtCassaConf.P911 & 8) ? 1 : 0;
    ConfigLevel.SetProtoLevel(LinkState.nCurCash, level);
    LinkState.bAddressed = GetAddressedMode(udtCassaConf.P911);
    const int i = LinkState.nAddress;
    if (i < 0 || i >= kMaxCash) return;
    CashRec& entry = CassaList[i];
    entry.station = std::to_string(LinkState.nAddress);
    entry.number = std::to_string(udtCassaConf.P013);
    entry.port = std::to_string(Core.nCommPort);
    entry.addressed = LinkState.bAddressed ? "1" : "0";
}

SaveResult CommCheckSave(const CommShown& shown, bool ask, bool* changedOut) {
    // Another entry of the list with this station address names the same
    // folder: the save would make two registers of one folder.
    const int other = EntryOfStation(LinkState.nAddress, LinkState.nAddress);
    if (other >= 0) {
        CurrentShell().MsgBox(GetText("2", "samestation") + " C" + std::to_string(other) + " (" +
                                  CashDirName(LinkState.nAddress) + ")",
                              GetText("Caption", "2"));
        return SaveResult::NotSaved;
    }
    udtCassaConfSaved = udtCassaConf;
    std::string bad;
    if (!CommSaveData(shown, &bad)) {
        auto it = shown.captions.find(bad);
        ShowSaveRefused(it == shown.captions.end() || it->second.empty() ? bad : it->second);
        return SaveResult::NotSaved;
    }
    // The question closed unanswered: nothing is written, the change stays
    // on screen.
    if (ask && AskGlbDiff() == Reply::Closed) return SaveResult::Closed;
    const bool changed = TestGlbDiff();
    if (changedOut) *changedOut = changed;
    CommApplyLinkSettings();
    // A Cassa.txt that cannot be written has said so (SaveCassa); only a
    // written one that changed says "Saved", as the editors' saves do.
    const bool written = SaveCassa();
    SetDefTimeouts((udtCassaConf.P911 & kP911Modem) ? 1 : 0, LinkState);
    if (!written)
        ShowMsg("", "");
    else if (changed)
        ShowMsg("saved", "");
    // A change that could not be written is not saved: the window keeps it.
    return written ? SaveResult::Saved : SaveResult::NotSaved;
}

void CommOpenRegister(int16_t i) {
    LinkState.nAddress = i;
    LinkState.nCurCash = i;
    Core.nOpenCash = i;
    Core.strCashDir = platform::JoinPath(Core.strRootDir, CashDirName(i));
    LoadCassa(true);
}

int CommRegisterPortIndex(int i) {
    // Each register's port field holds the port as a decimal number.
    int32_t port = 0;
    if (i < 0 || i >= kMaxCash || !PositiveWhole(CassaList[i].port, 16, port)) return -1;
    return port - 1;
}

int CommBaudIndex() { return Comm.nBaud >= 1 && Comm.nBaud <= 3 ? Comm.nBaud - 1 : 1; }

void CommSetPort(int listIndex) {
    if (listIndex < 0 || listIndex > 15) return;
    Core.nCommPort = static_cast<int16_t>(listIndex + 1);
    SaveBaud();
    if (LinkState.nAddress >= 0 && LinkState.nAddress < kMaxCash)
        CassaList[LinkState.nAddress].port = std::to_string(Core.nCommPort);
    SaveCasse();
}

void CommSetBaud(int listIndex) {
    if (listIndex < 0 || listIndex > 2) return;
    Comm.nBaud = static_cast<int16_t>(listIndex + 1);
    SaveBaud();
}

void CommSetEnabled(int i, bool enabled) {
    if (i < 0 || i >= kMaxCash) return;
    CassaList[i].bEnabled = enabled ? True : False;
    SaveCasse();
}

void CommReadTimeout() {
    Core.sngCmdTimeout = static_cast<float>(
        platform::ProfileInt("Generiche", "commandstimeout", 1800, ConfigIniPath()));
    // A stored value that is no positive number of seconds would end every
    // cycle over the registers at once: the default stands instead.
    if (Core.sngCmdTimeout < 1) Core.sngCmdTimeout = 1800;
}

void CommLoadTimeout() {
    CommReadTimeout();
    platform::WriteProfileString("Generiche", "commandstimeout", CommTimeoutText(),
                                 ConfigIniPath());
}

bool CommSetTimeout(const std::string& text) {
    int32_t seconds = 0;
    if (!PositiveWhole(text, 999999, seconds)) return false;
    Core.sngCmdTimeout = static_cast<float>(seconds);
    platform::WriteProfileString("Generiche", "commandstimeout", CommTimeoutText(),
                                 ConfigIniPath());
    return true;
}

std::string CommTimeoutText() {
    return std::to_string(static_cast<long>(std::lround(Core.sngCmdTimeout)));
}

void CommKeyLock(bool ticked) {
    if (ticked && !Core.bKeyLock) {
        Core.bKeyLock = true;
        SendKeyLock(true, true);
    } else if (!ticked && Core.bKeyLock) {
        Core.bKeyLock = false;
        SendKeyLock(false, true);
    }
}

bool CommSetHelloType(bool ticked, const std::function<bool()>& mayWrite) {
    const int16_t value = ticked ? 1 : 0;
    if (value == udtCassaConf.nHelloType) return true;
    if (!CurrentShell().AskYesNo(GetText("2", "nohsthellom"), "") || !mayWrite()) return false;
    udtCassaConf.nHelloType = value;
    return true;
}
