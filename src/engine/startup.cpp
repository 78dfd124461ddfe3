#include "engine/startup.h"

#include <cerrno>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "core/cash_list.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "transfers/transfer.h"

StartupGlobals Startup;

void StartupDefaults() {
    LinkState.nSeq1 = 0;
    LinkState.nSeq2 = 0;
    LinkState.bCmdPending = false;
    LinkState.bNoCmd = false;
    LinkState.bSendIco = false;
    LinkState.nPendingAns = 0;
    LinkState.bHelloMsgs = true;
    LinkState.nState = 0;
    LinkState.nRetries = 3;
    LinkState.bTestMode = false;
    LinkState.AbortRequest = false;
    Core.bAskOnExit = true;
    Core.bFirstCash = true;
    Core.bSortImport = true;
    Core.sngCmdTimeout = 60.0f;
    Core.bKeyLock = false;
    Core.nWindowMode = 0;
    Texts.nMsgLogFile = -1;

    ResetTimer();
    InitFlags();
    Core.bStoricoCopy = false;
    ClearCashDone();
    Core.bHelloShown = false;
    Core.sngConnTestTimeout = 70.0f;
}

void SetInteractivePaths() {
    Core.strSetupIni = platform::JoinPath(Core.strStartDir, "setup.ini");
    Core.strModemIni = platform::JoinPath(Core.strStartDir, "modem.ini");
    Core.strPhoneBookIni = platform::JoinPath(Core.strStartDir, "PhoneBook.ini");
}

bool ReadSetupEntry(const std::string& section, const std::string& prefix, int n,
                    SetupListEntry& entry) {
    char buffer[128] = {};
    std::string key = prefix + std::to_string(n);
    platform::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer,
                                       Core.strSetupIni.c_str());
    std::string value = buffer;
    size_t bar = value.find('|');
    if (value.empty() || bar == std::string::npos) return false;
    entry.keyNumber = n;
    entry.name = value.substr(0, bar);
    entry.value = value.substr(bar + 1);
    return true;
}

std::vector<SetupListEntry> ReadSetupList(const std::string& section, const std::string& prefix,
                                          std::vector<std::string>& leftOut) {
    std::vector<SetupListEntry> list;
    for (int n = 1;; ++n) {
        std::string key = prefix + std::to_string(n);
        std::string value = platform::ProfileString(section, key, "", Core.strSetupIni);
        if (value.empty()) break;
        SetupListEntry entry;
        if (ReadSetupEntry(section, prefix, n, entry)) {
            list.push_back(entry);
        } else {
            // A value without "|" names no folder or extension: leave it out,
            // but keep reading, so that one slip does not hide the rest.
            leftOut.push_back("setup.ini [" + section + "] " + key + " = \"" + value + "\"");
        }
    }
    return list;
}

void LogLeftOutEntries(const std::vector<std::string>& leftOut) {
    for (const std::string& entry : leftOut) WriteMsgLog(GetText("Log", "nobar") + " " + entry);
}

int16_t ModelNumber(const std::string& text) {
    // The leading number: an optional sign, digits, and a fraction after ".".
    size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string::npos) return 0;
    size_t end = pos;
    if (text[end] == '+' || text[end] == '-') ++end;
    size_t digits = end;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    }
    if (end == digits || (end == digits + 1 && text[digits] == '.')) return 0;
    double value = std::strtod(text.substr(pos, end - pos).c_str(), nullptr);
    value = std::nearbyint(value);  // the default rounding mode: halves to even
    if (value < -32768 || value > 32767) return 0;
    return static_cast<int16_t>(value);
}

bool IsValidCustomerName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find_first_not_of(' ') == std::string::npos) return false;
    for (unsigned char c : name) {
        if (c == '/' || c == '\\' || c < 32 || c == 127) return false;
    }
    return true;
}

std::vector<std::string> ListSubfolders(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(platform::ResolvePath(dir), ec);
    if (ec) return names;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        std::string name = it->path().filename().string();
        if (name == "." || name == "..") continue;
        names.push_back(name);
    }
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

bool StoreLanguageChoice() {
    if (!Startup.bSplashOK) return false;
    std::string config = platform::JoinPath(Core.strCashDir, "config.ini");
    platform::WriteProfileString("Generiche", "langfile", Core.strLangFile, config);
    return true;
}

std::string HoldCustomerFolder(platform::FolderLock& lock, const std::string& folder, bool* busy) {
    // What holds the folder, for a run that finds it held: the process and
    // its command line.
    std::string who = "pid " + std::to_string(::getpid()) + ": ecrprog";
    if (!Core.strCmdLine.empty()) who += " " + Core.strCmdLine;
    std::string holder;
    const platform::FolderLock::Result held = lock.Hold(folder, who, holder);
    const int err = errno;
    if (busy) *busy = held == platform::FolderLock::Result::Busy;
    if (held == platform::FolderLock::Result::Held) return "";
    // A missing folder has nothing to hold: the run's own checks say so.
    if (held == platform::FolderLock::Result::Failed && err == ENOENT) return "";
    // A command-line run has not read its language file yet: config.ini
    // names it (read only; nothing here writes to a folder held by another).
    if (Core.strLangFile.empty())
        Core.strLangFile =
            platform::ProfileString("Generiche", "langfile", "", platform::JoinPath(folder, "config.ini"));
    if (held == platform::FolderLock::Result::Failed && platform::FileExists(folder)) {
        std::string text = GetTextUnnoted("Log", "folderisfile");
        if (text.empty()) text = "Base folder is a file, not a folder; nothing was done:";
        return text + " " + folder;
    }
    if (held == platform::FolderLock::Result::Failed) {
        // Working unlocked could mix two runs in one folder: refused.
        const std::string path = platform::JoinPath(folder, platform::kFolderLockFile);
        std::string text = GetTextUnnoted("Log", "folderlockfail");
        if (text.empty())
            text = "Customer folder cannot be held for this run, its lock file cannot be opened; "
                   "nothing was done here:";
        return text + " " + path + " (" + platform::FileErrorText(err, path) + ")";
    }
    std::string text = GetTextUnnoted("Log", "folderheld");
    if (text.empty())
        text = "Customer folder in use by another run of the program or by the program's windows; "
               "nothing was done here:";
    text += " " + folder;
    if (!holder.empty()) text += " (" + holder + ")";
    return text;
}
