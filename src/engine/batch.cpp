#include "engine/batch.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "engine/builders_reports.h"
#include "core/link_state.h"
#include "link/cmd_queue.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/signals.h"
#include "engine/cycle.h"
#include "core/shell_state.h"
#include "engine/startup.h"

BatchGlobals Batch;

namespace {

// A whole number of the digits only, within the limits; false otherwise.
bool ParseNumber(const std::string& text, int low, int high, int16_t& value) {
    if (text.empty() || text.size() > 5) return false;
    for (unsigned char c : text)
        if (!std::isdigit(c)) return false;
    int n = std::stoi(text);
    if (n < low || n > high) return false;
    value = static_cast<int16_t>(n);
    return true;
}

// The character between the letter and the value: punctuation, but none of
// the characters a request code is made of, so that "/r**" is not read as
// the code "*".
bool IsSeparator(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::ispunct(u) && !std::strchr("*&^#+/", c);
}

// A path of the configuration: relative paths count from the start folder.
std::string FromStartDir(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return platform::JoinPath(Core.strStartDir, path);
}

// "code|argument" of the request list (the argument may hold "|" itself).
BatchRequest SplitRequest(const std::string& value) {
    size_t bar = value.find('|');
    BatchRequest request;
    request.code = value.substr(0, bar);
    if (bar != std::string::npos) request.arg = value.substr(bar + 1);
    return request;
}

std::string FolderOf(const std::string& file) {
    size_t slash = file.find_last_of('/');
    if (slash == std::string::npos) return Core.strStartDir;
    return slash == 0 ? std::string("/") : file.substr(0, slash);
}

// A note on a setting that cannot be used as it stands: for standard error
// (the caller writes it) and the message log.
void SettingNote(const std::string& text) {
    Batch.settingNotes.push_back(text);
    WriteMsgLog(text);
}

// config.ini [Generiche] "commandstimeout": whole seconds above 0 (at most
// 86400), 1800 when the key is absent. Any other value is said and the
// default taken instead, so that a typing slip doesn't end every run at once.
int CommandsTimeout(const std::string& config) {
    constexpr int kDefault = 1800;
    if (!platform::ProfileHasKey("Generiche", "commandstimeout", config)) return kDefault;
    const std::string text = platform::ProfileString("Generiche", "commandstimeout", "", config);
    const bool digits = !text.empty() && text.size() <= 5 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    const int value = digits ? std::stoi(text) : 0;
    if (digits && value >= 1 && value <= 86400) return value;
    SettingNote(GetText("Log", "badtimeout") + " commandstimeout=" + text + " (" + config + ")");
    return kDefault;
}

// setup.ini [Casse] "logerr" must name a file: not a folder, not a file in
// a folder that is missing. Said before the run, so that a run whose
// failures go nowhere is known for it.
void CheckErrorLog() {
    const std::string& path = Core.strLogErrFile;
    if (path.empty()) return;
    const std::string folder = FolderOf(path);
    std::string why;
    if (platform::DirExists(path))
        why = "a folder";
    else if (!platform::DirExists(folder))
        why = "no folder " + folder;
    else
        return;
    SettingNote(GetText("Log", "badlogerr") + " logerr=" + path + " (" + why + ", " +
                Core.strSetupIni + ")");
}

// Enabled entries that name one register folder (Cassa and the station
// address plus one) cannot be told apart: every one of them is left out of
// the run (no longer enabled). The message log names the entries of each
// such folder; the error log has a line for each entry left out, naming it.
void LeaveOutSharedFolders() {
    bool seen[kMaxCash] = {};
    for (int i = 0; i < kMaxCash; ++i) {
        if (seen[i] || !CassaList[i].bDefined || !CassaList[i].bEnabled) continue;
        const int station = std::atoi(CassaList[i].station.c_str());
        std::vector<int> same{i};
        for (int j = i + 1; j < kMaxCash; ++j)
            if (CassaList[j].bDefined && CassaList[j].bEnabled && std::atoi(CassaList[j].station.c_str()) == station)
                same.push_back(j);
        if (same.size() < 2) continue;
        std::string keys;
        for (int j : same) {
            seen[j] = true;
            CassaList[j].bEnabled = False;
            keys += (keys.empty() ? "" : ", ") + ("C" + std::to_string(j));
        }
        Batch.nSharedLeftOut += static_cast<int>(same.size());
        WriteMsgLog(GetText("Log", "samefolder") + " " + keys + " (" +
                    CashDirName(station) + ", " + ConfigIniPath() + ")");
        for (int j : same) LogErr(kErrCashEntry, RequestFor(j));
    }
}

// The model key of a model number, as the capability object names it.
std::string ModelKey(int16_t number) {
    ConfigLevelClass level;
    level.InitOffLine(number, kProgramRelease);
    return level.CashType();
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The folder of the start folder that base lies in, at any depth below it
// (<start>/LX4100 for <start>/LX4100/Demo or <start>/LX4100/shops/Demo);
// empty when base lies elsewhere or is that folder itself.
std::string TopFolderBelow(const std::filesystem::path& base, const std::filesystem::path& start) {
    std::vector<std::string> parts;
    for (const std::filesystem::path& part : base.lexically_normal().lexically_relative(start.lexically_normal()))
        if (!part.empty()) parts.push_back(part.string());
    if (parts.size() < 2 || parts.front() == ".." || parts.front() == ".") return "";
    return parts.front();
}

// The model of the windows' folder layout: a base folder that lies in an
// installation's folder of the setup file (<start>/Bar/Demo for "c5=Bar|1")
// or in a folder named after a model key (<start>/LX4100/Demo), or deeper,
// is of that model. Its number is the installation's, else the one an
// installation gives that key, else the key's first number; 0 when the base
// folder lies elsewhere. The path is taken as written and, for a folder
// reached through a link, as the link leads. Paths, like the folders the
// program looks up, match without regard to case.
int16_t FolderModel(const std::string& base) {
    std::error_code ec, startError;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(base, ec);
    const std::filesystem::path start = std::filesystem::weakly_canonical(Core.strStartDir, startError);
    std::vector<std::string> keys{Lower(TopFolderBelow(std::filesystem::absolute(base, ec),
                                                       std::filesystem::absolute(Core.strStartDir, startError)))};
    if (!ec && !startError) keys.push_back(Lower(TopFolderBelow(folder, start)));
    std::vector<std::string> leftOut;
    const std::vector<SetupListEntry> installations = ReadSetupList("Casse", "c", leftOut);
    for (const std::string& key : keys) {
        if (key.empty()) continue;
        // The chooser's folder of an installation first, whatever its name.
        for (const SetupListEntry& entry : installations) {
            const int16_t n = ModelNumber(entry.value);
            if (Lower(entry.name) == key || Lower(ModelKey(n)) == key) return n < 1 || n > 12 ? 5 : n;
        }
        for (int16_t n = 1; n <= 12; ++n)
            if (Lower(ModelKey(n)) == key) return n;
    }
    return 0;
}

}  // namespace

std::string UsageLine() {
    return "usage: ecrprog /r:CODE [/f:SETUPFILE] [/e:MASK] [/s:0|1] [/l:MODEL] [/p:PORT] "
           "[/b:BAUD] [/t:0|1] [/a:STATION] [/c:FILE[|MODE]] [/w:MODE]";
}

std::string UsageText() {
    return UsageLine() + "\n" +
           "       ecrprog --help (or -h): this text\n"
           "Runs requests on the registers of a customer folder unattended, then ends. Each option is\n"
           "a slash, a letter, one separator (\":\" or \"=\") and a value; relative paths count from\n"
           "the start folder (the current folder).\n"
           "  /r:CODE        the request (required): \"**\" runs config.ini [Richieste] in file order;\n"
           "                 any other runs that one request, code|argument (\"/r:&L|1:99\")\n"
           "  /f:SETUPFILE   the setup file (default setup.ini of the start folder): [Casse] path is\n"
           "                 the customer folder (default the start folder), logerr the error log,\n"
           "                 sem the file created at the end; modem.ini and PhoneBook.ini beside it\n"
           "  /e:MASK        the registers of config.ini [Casse] that take part, a 1 or 0 each from\n"
           "                 C0 (\"0110\"), at most 16, those past it not (default: those enabled)\n"
           "  /s:0|1         1 (default): PLU import files are sorted and checked; 0: taken as they are\n"
           "  /l:MODEL       the model: 1 LX4100, 2 KWT1900, 3 or 4 DRAVO57, 5 TAV3800, 6 QUENTARO,\n"
           "                 7 VELTA7300, 8 ORBA, 9 TIMBREL, 10 NAVOSK, 11 ZANDORE, 12 MERIDOTAN.\n"
           "                 A customer folder in <start folder>/<model>/ is of that model: the\n"
           "                 default, and another /l is refused. Elsewhere the default is 5\n"
           "  /p:PORT        serial port 1-16 until a register is opened; each register then uses\n"
           "                 its port of config.ini [Casse]\n"
           "  /b:BAUD        line speed 1 (9600), 2 (19200) or 3 (38400) instead of config.ini\n"
           "                 [Communication] baud (default that, else the setup file's, else 2)\n"
           "  /t:0|1         link type until a register is opened: 0 direct (default), 1 addressed;\n"
           "                 then each register's Cassa.txt decides\n"
           "  /a:STATION     station address 0-15 until a register is opened (default 0)\n"
           "  /c:FILE[|MODE] the file that takes the answer of a HELLO request without argument;\n"
           "                 MODE 1 appends to it, 2 writes one file per station (default 0: replaces)\n"
           "  /w:0|1|2       the main window: 0 shown (default), 1 minimized, 2 not shown\n"
           "Exit status: 0 everything done; 1 something failed, the last line on standard error\n"
           "says what to do (try the requests again, fix the job, or try later); 2 a command line\n"
           "that does not parse or is refused; 128 + the signal after a stop.\n";
}

std::string CmdLineErrorLine() {
    std::string what;
    if (Batch.strBadOption.empty())
        what = "no request code (/r:CODE)";
    else if (Batch.strBadWhy.empty())
        what = "\"" + Batch.strBadOption + "\" not understood";
    else
        what = "\"" + Batch.strBadOption + "\" refused: " + Batch.strBadWhy;
    return "ecrprog: " + what + "; " + UsageLine();
}

std::string TroubleText(RunTrouble kind) {
    const char* key = kind == RunTrouble::Requests ? "runnotdone" : kind == RunTrouble::Setup ? "runsetup" : "runheld";
    std::string text = GetText("Log", key);
    if (!text.empty()) return text;
    switch (kind) {
        case RunTrouble::Requests:
            return "Requests not done: try again those the error log names as not done, and never repeat "
                   "blindly those it names as maybe done";
        case RunTrouble::Setup:
            return "The run's setup cannot be used: fix the setup file, config.ini, the command line or the "
                   "serial port, then run the job again";
        case RunTrouble::Held:
            break;
    }
    return "The customer folder or a serial port is held by another run or by the program's windows: "
           "run the job again later";
}

std::string RunEndLines() {
    std::string text;
    for (const std::string& note : Batch.endNotes) text += "ecrprog: " + TerminalText(note) + "\n";
    for (const std::string& line : Batch.notDone) text += "ecrprog: " + TerminalText(line) + "\n";
    if (!Batch.trouble.empty()) text += "ecrprog: " + TerminalText(Batch.trouble) + "\n";
    return text;
}

bool ParseCmdLine() {
    SerLog.bSerLogData = true;
    SerLog.bSerLogErr = true;

    BatchGlobals fresh;
    fresh.args = Batch.args;
    Batch = fresh;
    Core.strReqCode.clear();
    Core.strCashMask.clear();
    // The option that does not parse is kept for the usage line.
    auto Refuse = [](const std::string& option) {
        Batch.strBadOption = option;
        return false;
    };

    for (const std::string& option : Batch.args) {
        if (option.size() < 3 || option[0] != '/' || !IsSeparator(option[2])) return Refuse(option);
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(option[1])));
        const std::string value = option.substr(3);
        int16_t n = 0;
        switch (letter) {
            case 'r':
                if (value.empty()) return Refuse(option);
                Core.strReqCode = value;
                Batch.strReqOption = option;
                break;
            case 'f':
                if (value.empty()) return Refuse(option);
                Batch.strSetupFile = value;
                Core.strReqArg = value;
                Core.strReqArgGiven = value;
                break;
            case 'e':
                if (value.empty() || value.size() > kMaxCash ||
                    value.find_first_not_of("01") != std::string::npos)
                    return Refuse(option);
                Core.strCashMask = value;
                break;
            case 's':
                if (!ParseNumber(value, 0, 1, n)) return Refuse(option);
                Core.bSortImport = n == 1;
                break;
            case 'l':
                if (!ParseNumber(value, 1, 12, Batch.nModel)) return Refuse(option);
                Batch.strModelOption = option;
                break;
            case 'p':
                if (!ParseNumber(value, 1, kMaxCash, Batch.nPort)) return Refuse(option);
                break;
            case 'b':
                if (!ParseNumber(value, 1, 3, Batch.nBaud)) return Refuse(option);
                break;
            case 't':
                if (!ParseNumber(value, 0, 1, Batch.nLinkType)) return Refuse(option);
                break;
            case 'a':
                if (!ParseNumber(value, 0, kMaxCash - 1, Batch.nStation)) return Refuse(option);
                break;
            case 'c':
                if (value.empty()) return Refuse(option);
                Batch.strHelloCopy = value;
                break;
            case 'w':
                if (!ParseNumber(value, 0, 2, n)) return Refuse(option);
                Core.nWindowMode = n;
                break;
            default:
                return Refuse(option);
        }
    }
    return !Core.strReqCode.empty();
}

std::string SemFileSetting() {
    return FromStartDir(platform::ProfileString("Casse", "sem", "", Core.strSetupIni));
}

bool InitBatch() {
    std::string setup = Batch.strSetupFile.empty()
                            ? platform::JoinPath(Core.strStartDir, "setup.ini")
                            : FromStartDir(Batch.strSetupFile);
    Core.strSetupIni = platform::ResolvePath(setup);
    const std::string folder = FolderOf(Core.strSetupIni);
    Core.strModemIni = platform::JoinPath(folder, "modem.ini");
    Core.strPhoneBookIni = platform::JoinPath(folder, "PhoneBook.ini");

    std::string base = platform::ProfileString("Casse", "path", "", Core.strSetupIni);
    Core.strRootDir = base.empty() ? Core.strStartDir : platform::ResolvePath(FromStartDir(base));

    LinkState.nAddress = Batch.nStation;
    LinkState.bAddressed = Batch.nLinkType == 1;
    if (LinkState.bAddressed)
        CassaConf.P911 = static_cast<int16_t>(CassaConf.P911 | kP911Addressed);
    else
        CassaConf.P911 = static_cast<int16_t>(CassaConf.P911 & ~kP911Addressed);
    if (Batch.nPort > 0) Core.nCommPort = Batch.nPort;
    // A table is never sent in another form than the installation's.
    const int16_t folderModel = FolderModel(Core.strRootDir);
    if (folderModel > 0 && Batch.nModel > 0 && ModelKey(Batch.nModel) != ModelKey(folderModel)) {
        Batch.strBadOption = Batch.strModelOption;
        Batch.strBadWhy = "model " + ModelKey(Batch.nModel) + ", but the customer folder " + Core.strRootDir +
                          " is one of model " + ModelKey(folderModel) + " (/l:" + std::to_string(folderModel) + ")";
        return false;
    }
    ConfigLevel.InitOffLine(Batch.nModel > 0 ? Batch.nModel : folderModel, kProgramRelease);
    return true;
}

bool CommandLineCodeKnown() {
    if (Core.strReqCode == kRequestList || IsRequestCode(SplitRequest(Core.strReqCode).code)) return true;
    Batch.strBadOption = Batch.strReqOption;
    Batch.strBadWhy = "no such request code";
    return false;
}

bool CommandLineRequestKnown() {
    if (Core.strReqCode == kRequestList || Batch.Richieste.empty()) return true;
    const BatchRequest& request = Batch.Richieste.front();
    if (IsRequestCode(request.code)) return true;
    Core.strReqCode = request.code;
    Core.strReqArg = request.arg;
    Core.strReqArgGiven = request.arg;
    WriteMsgLog(GetText("Log", "unknowncode") + " " + request.code + "|" + request.arg);
    LogErr(3, RequestFor(-1));
    Batch.strBadOption = Batch.strReqOption;
    Batch.strBadWhy = "no such request code";
    return false;
}

void LoadConfig() {
    // The set-up reads each of its profile files once, whatever the keys.
    platform::ProfileOpening setup(Core.strSetupIni), list(ConfigIniPath());
    Core.strLogErrFile = FromStartDir(platform::ProfileString("Casse", "logerr", "", Core.strSetupIni));
    Core.strSemFile = SemFileSetting();

    const std::string config = ConfigIniPath();
    Core.bGlobPLU = platform::ProfileInt("Globali", "globplu", 0, config) == 1;
    Core.strLangFile = platform::ProfileString("Generiche", "langfile", "", config);
    if (Core.strLangFile.empty()) {
        // A customer folder never opened interactively names no language:
        // the first one of setup.ini, else English.
        std::vector<std::string> leftOut;
        const std::vector<SetupListEntry> languages = ReadSetupList("Lingue", "l", leftOut);
        const std::string ext = languages.empty() ? "eng" : languages.front().value;
        Core.strLangFile = platform::JoinPath(Core.strStartDir, "Testi." + ext);
    }
    Batch.settingNotes.clear();
    Core.sngCmdTimeout = static_cast<float>(CommandsTimeout(config));
    CheckErrorLog();
    ShellState.HistoryLimit = platform::ProfileInt("Generiche", "hstlimit", 0, config);

    LoadCasseConf();
    // A command-line run has no start-up pass: register 0 is taken only
    // when it is enabled.
    Core.bFirstCash = false;
    if (!Core.strCashMask.empty()) {
        for (int i = 0; i < kMaxCash; ++i) {
            bool on = i < static_cast<int>(Core.strCashMask.size()) && Core.strCashMask[i] == '1';
            CassaList[i].bEnabled = on ? True : False;
        }
    }
    // The run never works on one folder for two entries, however often the
    // list is read again.
    LeaveOutSharedFolders();
    CashListState.bEnabledChosen = true;

    Batch.Richieste.clear();
    if (Core.strReqCode == kRequestList) {
        for (const auto& [key, value] : platform::ProfileSection("Richieste", config)) {
            (void)key;
            if (!value.empty()) Batch.Richieste.push_back(SplitRequest(value));
        }
    } else {
        // A single request of the command line runs as a list of that one.
        Batch.Richieste.push_back(SplitRequest(Core.strReqCode));
    }
    Batch.bListLoaded = true;
    StartWork(static_cast<int32_t>(Batch.Richieste.size()));
    MainTimer.bRichiestePending = -1;
}

std::string BatchNothingToDo() {
    const std::string config = ConfigIniPath();
    platform::ProfileOpening setup(Core.strSetupIni), list(config);
    std::string text;
    int16_t err = 0;
    std::string file = config;
    if (platform::ProfileUnreadable(Core.strSetupIni)) {
        // The setup file names the base folder, the logs and the semaphore:
        // none of them is known.
        text = GetText("Log", "setupunread");
        if (text.empty())
            text = "Setup file cannot be read (over 16 MB, or not a readable file); nothing was done:";
        file = Core.strSetupIni;
        err = kErrFile;
    } else if (!platform::FileExists(Core.strSetupIni) &&
               (!Batch.strSetupFile.empty() || !platform::FileExists(config))) {
        // A setup file the job names must be there; without one the start
        // folder serves only when it holds config.ini.
        text = GetText("Log", "setupmissing");
        if (text.empty()) text = "Setup file does not exist; nothing was done:";
        file = Core.strSetupIni;
        err = kErrFile;
    } else if (!platform::FileExists(config) &&
               platform::ProfileString("Casse", "path", "", Core.strSetupIni).empty()) {
        // The base folder is the start folder only because the setup file
        // (missing or empty) names none. An empty one is said as such: it
        // names nothing at all, the logs and the semaphore file included.
        std::string bytes;
        const bool empty = platform::ReadFile(Core.strSetupIni, bytes) &&
                           bytes.find_first_not_of(" \t\r\n\x1a") == std::string::npos;
        text = GetText("Log", empty ? "setupempty" : "setupnobase");
        if (text.empty() && empty)
            text = "The setup file is empty: it names no base folder, error log or semaphore file; "
                   "nothing was done:";
        else if (text.empty())
            text = "The setup file names no base folder ([Casse] path) and the start folder holds "
                   "no config.ini; nothing was done:";
        file = Core.strSetupIni;
        err = kErrFile;
    } else if (!platform::FileExists(config)) {
        // Without config.ini the language file is not known either.
        text = GetText("Log", "noconfig");
        if (text.empty()) text = "No config.ini in the base folder; nothing was done:";
        err = kErrFile;
    } else if (platform::ProfileUnreadable(config)) {
        text = UnreadableProfileText();
        err = kErrFile;
    } else if (Batch.Richieste.empty()) {
        text = GetText("Log", "norequests");
        err = 3;
    } else {
        // Registers that share one folder were left out at the set-up, each
        // a failure of the run said then.
        const bool leftOut = Batch.nSharedLeftOut > 0;
        bool any = false;
        for (int i = 0; i < kMaxCash; ++i)
            any = any || (CassaList[i].bDefined && CassaList[i].bEnabled);
        if (any) return "";
        if (leftOut) {
            // The entries are defined and enabled: what is missing is one
            // the run can work on.
            text = GetText("Log", "onlyshared");
            if (text.empty())
                text = "Every enabled register of the list shares its folder with another and was left "
                       "out; nothing was done:";
            return text + " " + file;
        }
        text = GetText("Log", "noregister");
        err = kErrCashEntry;
    }
    text += " " + file;
    WriteMsgLog(text);
    // The run's set-up failed: the line is about no register.
    LogErr(err, RequestFor(-1));
    return text;
}

namespace {

// The request just run at pos has queued its commands: they are counted.
// When the open register's turn takes the request up after some of them
// went out in its turn before, those are taken out first (they are never
// sent twice). True when that leaves none.
bool TakeQueued(int32_t pos) {
    RegisterWork& work = WorkOf(Core.nOpenCash);
    int32_t skip = 0;
    if (work.resumeAt == pos) skip = std::exchange(work.resumeSkip, 0);
    const bool skipping = skip > 0;
    int32_t queued = 0;
    for (int i = 1; i <= kQueueSize; ++i) {
        CmdQueueEntry& e = CmdQueue.entries[i];
        if (e.state != -1) continue;
        if (skip > 0) {
            --skip;
            e.state = 0;
            --CmdQueue.nCmdNum;
            continue;
        }
        ++queued;
    }
    NoteQueued(Core.nOpenCash, queued);
    return skipping && queued == 0;
}

// An abort, the cycle's time-out or an exit request ends the list: it is
// forgotten.
bool ListStopped() {
    if (!LinkState.AbortRequest && !MainTimer.ExitRequest && !Cycle.bAborted) return false;
    // The list stays for the run's end, which says what each register did
    // with it.
    Batch.bListLoaded = false;
    return true;
}

}  // namespace

bool ExecRequests() {
    if (ListStopped() || !Batch.bListLoaded) return false;
    int open = Core.nOpenCash;
    if (open >= 0 && open <= kMaxCash && CassaList[open].bFailed) return false;
    // No work on a register whose Cassa.txt cannot be read (said when it
    // was opened): its link options are not known.
    if (CassaFile.bUnreadable) return false;

    // The requests run on the register the run has opened.
    struct KeepRegister {
        KeepRegister() { Cycle.bKeepRegister = true; }
        ~KeepRegister() { Cycle.bKeepRegister = false; }
    } keep;
    const int32_t count = static_cast<int32_t>(
        std::min<size_t>(Batch.Richieste.size(), static_cast<size_t>(INT32_MAX - 1)));
    int32_t& pos = MainTimer.bRichiestePending;
    if (pos < -1) pos = -1;
    while (pos + 1 < count) {
        ++pos;
        const BatchRequest& request = Batch.Richieste[pos];
        Core.strReqCode = request.code;
        Core.strReqArg = request.arg;
        Core.strReqArgGiven = request.arg;
        StartRequestWork(open, RequestCannotBeUndone(request.code));
        if (ExecRequest(request.code, request.arg)) {
            if (TakeQueued(pos)) continue;
            return true;
        }
        if (ListStopped()) return false;
    }
    pos = count;
    return false;
}

void SayRunEnd() {
    if (Batch.bEndSaid) return;
    Batch.bEndSaid = true;
    Batch.notDone.clear();
    Batch.trouble.clear();
    bool anyLeft = false, heldOnly = true;
    for (int i = 0; i < kMaxCash && !Batch.Richieste.empty(); ++i) {
        const CashRec& e = CassaList[i];
        if (!e.bDefined || !e.bEnabled) continue;
        std::string notDone, unsure;
        for (size_t pos = 0; pos < Batch.Richieste.size(); ++pos) {
            const RequestFate fate = FateOf(i, static_cast<int32_t>(pos));
            if (fate == RequestFate::Done || fate == RequestFate::MadeGood) continue;
            std::string& list = fate == RequestFate::Unsure ? unsure : notDone;
            list += (list.empty() ? " " : ", ") + Batch.Richieste[pos].code + "|" + Batch.Richieste[pos].arg;
        }
        std::string name = e.name;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        std::string line = RegisterName(i) + (name.empty() ? "" : " (" + name + ")") + ": ";
        if (notDone.empty() && unsure.empty()) {
            WriteMsgLog(line + GetText("Log", "runregdone"));
            continue;
        }
        if (!notDone.empty()) line += GetText("Log", "runregnotdone") + notDone;
        if (!unsure.empty()) line += (notDone.empty() ? "" : "; ") + GetText("Log", "runregunsure") + unsure;
        WriteMsgLog(line);
        Batch.notDone.push_back(line);
        anyLeft = true;
        // Nothing went to a register whose port was held: running the job
        // later does it all.
        heldOnly = heldOnly && unsure.empty() && (Batch.heldPorts >> i & 1u);
    }
    if (anyLeft && heldOnly)
        Batch.trouble = TroubleText(RunTrouble::Held);
    else if (anyLeft && Work.mendable == 0)
        // Every request not done failed for what the job asks (an unknown
        // code, an argument, a register entry): running it again mends none.
        Batch.trouble = TroubleText(RunTrouble::Setup);
    else if (anyLeft)
        Batch.trouble = TroubleText(RunTrouble::Requests);
    else if (Work.standing > 0)
        Batch.trouble = GetText("Log", "runfaileddone");
    // A second signal ends the program at once: it still says them.
    platform::SetStopWords(RunEndLines());
}
