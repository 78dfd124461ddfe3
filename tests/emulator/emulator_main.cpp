// ecr-emulator: plays the registers of an installation on a pseudo-terminal,
// for trying the program by hand. Pointed at a start folder (its setup.ini
// [Casse] "path" names the customer folder a command-line run works on) or
// at a customer folder, it plays the registers of that folder's config.ini
// on one serial port, in the link mode the program will use for them: the
// addressed-mode bit of each register's Cassa.txt, or the model's default
// for a register folder not made yet. The model is the name of the folder
// above the customer folder (the program keeps a model's customers there).
// Without a folder it plays station 0 in direct mode.
//
// At start it says what it plays and prints the line to put in the settings
// store (section [Ports]), then one line per unit received and written,
// until interrupted. Each station answers the hello, holds from the start
// the tables its register folder's files hold (as the program's send of them
// would leave them; the option groups of the model when the folder has no
// Cassa.txt) and keeps the tables sent to it for reading back.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/open_register.h"
#include "emulator/bulk_receiver.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "emulator/folder_tables.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "engine/startup.h"
#include "core/cassa_conf.h"
#include "store/keyboard.h"
#include "core/link_state.h"
#include "transfers/table_procs.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

int Usage() {
    std::fprintf(stderr,
                 "usage: ecr-emulator [FOLDER] [--model KEY|N] [--addressed|--direct] [--port N]\n"
                 "                    [--station N]... [--silent] [--silent-polls N] [--nak N]\n"
                 "                    [--silent-poll S:N]\n"
                 "                    [--badchk N] [--truncate N] [--burst] [--status W] [--noise MS]\n"
                 "                    [--answer-enq] [--modem] [--dial-answer TEXT]\n"
                 "                    [--lost-reply S:N] [--line-delay SECONDS] [--stall-after N]\n"
                 "                    [--late-closure MS]\n"
                 "  FOLDER: the program's start folder or a customer folder; its registers\n"
                 "          are played in the link mode the program will use for them\n"
                 "  --model, --addressed, --direct, --port, --station: instead of what the\n"
                 "          folder gives\n"
                 "  --silent-polls N: each register leaves its next N polls unanswered\n"
                 "  --silent-poll S:N: the register at station S leaves its Nth poll unanswered\n"
                 "  N of --nak, --badchk and --truncate: how many times; -1 always\n"
                 "  --status W: hello status word 0 (9 refuses every command)\n"
                 "  --noise MS: a noise byte on the line every MS milliseconds\n"
                 "  --answer-enq: every enquiry answered with a status frame, as a\n"
                 "    register in the other link mode (run it --direct against a\n"
                 "    program in addressed mode)\n"
                 "  --modem: the registers are reached through a modem that answers AT\n"
                 "    commands and dials (the program's register link option: modem)\n"
                 "  --dial-answer TEXT: the modem's answer to a dial (default \"CONNECT\n"
                 "    19200\"; \"NO CARRIER\", \"BUSY\"; \"\" never answers)\n"
                 "  --lost-reply S:N: the register at station S loses the program's Nth reply\n"
                 "    that ends an exchange or starts the history (never acknowledged)\n"
                 "  --line-delay SECONDS: a pause before each request and line of a\n"
                 "    transfer but the first\n"
                 "  --stall-after N: each register falls silent after N requests or lines\n"
                 "    of a transfer\n"
                 "  --late-closure MS: each register sends its closure data MS milliseconds\n"
                 "    after the closure's command (-1 never)\n");
    return 2;
}

bool Number(const char* text, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!text[0] || *end) return false;
    out = static_cast<int>(v);
    return true;
}

// "S:N": a station (0 to 15) and a count from 1.
bool StationCount(const char* text, int& station, int& count) {
    const char* colon = std::strchr(text, ':');
    if (!colon) return false;
    const std::string s(text, static_cast<size_t>(colon - text));
    return Number(s.c_str(), station) && Number(colon + 1, count) && station >= 0 && station <= 15 &&
           count >= 1;
}

// The model number of a model key or of a number's text; 0 when neither.
int ModelNumberOf(const std::string& text) {
    int n = 0;
    if (Number(text.c_str(), n)) return n >= 1 && n <= 12 ? n : 0;
    for (int16_t i = 1; i <= 12; ++i) {
        ConfigLevel.InitOffLine(i, kProgramRelease);
        if (ConfigLevel.CashType() == text) return i;
    }
    return 0;
}

std::string LastName(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string Parent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : p.substr(0, slash);
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return path == "." ? std::string(cwd) : platform::JoinPath(cwd, path);
}

struct Played {
    int index = -1;      // the register's entry in the list (-1: none)
    std::string number;  // the register's number in the list
    std::string name;
    int station = 0;
    bool addressed = false;
};

// What to play, from the folder and the options.
struct Plan {
    std::string folder;  // the customer folder; empty without one
    int model = 0;       // 0: not known
    int port = 0;        // 0: the first register's
    int addressed = -1;  // -1 as the registers say, 0 direct, 1 addressed
    std::vector<int> stations;  // given with --station
    std::vector<Played> registers;
};

// The customer folder a folder names: itself when it holds config.ini, else
// the one its setup.ini [Casse] "path" names, counted from it.
bool CustomerFolder(const std::string& folder, std::string& out, std::string& error) {
    const std::string dir = platform::ResolvePath(Absolute(folder));
    if (!platform::DirExists(dir)) {
        error = "no such folder: " + dir;
        return false;
    }
    if (platform::FileExists(platform::JoinPath(dir, "config.ini"))) {
        out = dir;
        return true;
    }
    const std::string setup = platform::JoinPath(dir, "setup.ini");
    const std::string path = platform::ProfileString("Casse", "path", "", setup);
    if (path.empty()) {
        error = dir + " has neither a config.ini nor a setup.ini whose [Casse] path names one";
        return false;
    }
    out = platform::ResolvePath(path[0] == '/' ? path : platform::JoinPath(dir, path));
    if (!platform::FileExists(platform::JoinPath(out, "config.ini"))) {
        error = "no config.ini in " + out + " (setup.ini [Casse] path of " + dir + ")";
        return false;
    }
    return true;
}

// The registers of the customer folder on the plan's port, each in the link
// mode its Cassa.txt gives (or the model's default).
bool ReadRegisters(Plan& plan, std::string& error) {
    if (plan.model == 0) plan.model = ModelNumberOf(LastName(Parent(plan.folder)));
    // The program's own default when nothing names the model.
    ConfigLevel.InitOffLine(static_cast<int16_t>(plan.model), kProgramRelease);
    Core.strRootDir = plan.folder;
    LoadCasseConf();
    for (int i = 0; i < kMaxCash; ++i) {
        const CashRec& c = CassaList[i];
        if (!c.bDefined) continue;
        const int port = std::atoi(c.port.c_str());
        if (plan.port == 0) plan.port = port;
        if (port != plan.port) continue;
        Played r;
        r.index = i;
        r.number = c.number;
        r.name = c.name;
        r.station = std::atoi(c.station.c_str());
        const std::string cassa = platform::JoinPath(
            plan.folder, "Cassa" + std::to_string(r.station + 1) + "/Cassa.txt");
        const int p911 = platform::ProfileInt("P9", "11", ConfigLevel.GetP911Default(1), cassa);
        r.addressed = GetAddressedMode(static_cast<int16_t>(p911));
        plan.registers.push_back(r);
    }
    if (plan.registers.empty()) {
        error = "no register is defined in " + ConfigIniPath() + " [Casse]" +
                (plan.port ? " on port " + std::to_string(plan.port) : std::string());
        return false;
    }
    return true;
}

// The keyboard the register of a folder holds: the programmable keys of its
// key configuration file, as a keyboard read sends them ("variant + 1:level:
// position:function code:"; TIMBREL gives the key's index + 1 as position),
// so that a read right after the start brings back what the file holds.
// None for a folder without the file.
std::vector<std::string> FolderKeyboard(const std::string& folder, int station) {
    Core.strCashDir = platform::JoinPath(folder, CashDirName(station));
    CassaFile.nTipoTastiera = static_cast<int16_t>(
        platform::ProfileInt("Tastiera", "tipo", 0, platform::JoinPath(Core.strCashDir, "Cassa.txt")));
    SetKeybInfos();
    std::vector<std::string> records;
    if (!platform::FileExists(Keyb.strKeybConfFile)) return records;
    LoadKeyConf();
    const bool byIndex = ConfigLevel.CashType() == "TIMBREL";
    for (int level = 0; level < 2; ++level) {
        const auto& keys = level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1;
        for (int i = 0; i < std::min<int>(Keyb.nNumKeys, kKeyEntries); ++i) {
            if (keys[i].bProg == False) continue;
            records.push_back(std::to_string(CassaFile.nTipoTastiera + 1) + ":" + std::to_string(level) +
                              ":" + std::to_string(byIndex ? i + 1 : keys[i].nPosCode) + ":" +
                              std::to_string(keys[i].nFunCode) + ":");
        }
    }
    return records;
}

// Every other table of the register folder, as the program's send of its
// files leaves it in the register. Nothing is written into the folder: the
// message log of a table that cannot be sent stays as it is.
// The register's entry in the list gives its release, which says what the
// model's tables hold at that release.
void HoldFolderTables(emu::CashRegister& cash, const std::string& folder, const Played& r) {
    const std::string root = Core.strRootDir;
    Core.strRootDir.clear();
    Core.strCashDir = platform::JoinPath(folder, CashDirName(r.station));
    Core.nOpenCash = static_cast<int16_t>(r.index);
    LinkState.nAddress = static_cast<int16_t>(r.station);
    SetTableSizes();
    const bool options = platform::FileExists(platform::JoinPath(Core.strCashDir, "Cassa.txt"));
    if (options) ReadCassaConf();
    for (const auto& [table, records] : emu::FolderTables(options)) cash.Hold(table, records);
    Core.strRootDir = root;
}

std::string Describe(const Plan& plan, bool addressed) {
    std::string text;
    if (!plan.folder.empty()) text = plan.folder + " (model " + ConfigLevel.CashType() + "): ";
    bool first = true;
    for (const Played& r : plan.registers) {
        text += first ? "" : ", ";
        first = false;
        text += "register " + (r.number.empty() ? std::string("?") : r.number);
        if (!r.name.empty()) text += " \"" + r.name + "\"";
        text += " at station " + std::to_string(r.station);
    }
    return text + (addressed ? ", addressed link" : ", direct link");
}

}  // namespace

int main(int argc, char** argv) {
    emu::Options options;
    emu::Faults faults;
    Plan plan;
    int status = 0;
    int silentPolls = 0;
    int silentPollStation = -1, silentPoll = 0;  // --silent-poll S:N
    int lostStation = -1, lostReply = 0;          // --lost-reply S:N
    double lineDelay = 0;
    int stallAfter = -1;
    int closureDelayMs = 0;
    bool answerEnq = false;
    bool modem = false;
    emu::ModemScript modemScript;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](int& out) { return i + 1 < argc && Number(argv[++i], out); };
        int n = 0;
        if (a == "--addressed") {
            plan.addressed = 1;
        } else if (a == "--direct") {
            plan.addressed = 0;
        } else if (a == "--model") {
            if (i + 1 >= argc || (plan.model = ModelNumberOf(argv[++i])) == 0) return Usage();
        } else if (a == "--port") {
            if (!value(plan.port) || plan.port < 1 || plan.port > kMaxCash) return Usage();
        } else if (a == "--station") {
            if (!value(n) || n < 0 || n > 15) return Usage();
            plan.stations.push_back(n);
        } else if (a == "--silent") {
            faults.silentFrames = -1;
        } else if (a == "--silent-polls") {
            if (!value(silentPolls)) return Usage();
        } else if (a == "--silent-poll") {
            if (i + 1 >= argc || !StationCount(argv[++i], silentPollStation, silentPoll)) return Usage();
        } else if (a == "--lost-reply") {
            if (i + 1 >= argc || !StationCount(argv[++i], lostStation, lostReply)) return Usage();
        } else if (a == "--line-delay") {
            char* end = nullptr;
            if (i + 1 >= argc) return Usage();
            const char* text = argv[++i];
            lineDelay = std::strtod(text, &end);
            if (!text[0] || *end || !(lineDelay >= 0)) return Usage();
        } else if (a == "--stall-after") {
            if (!value(stallAfter) || stallAfter < 0) return Usage();
        } else if (a == "--late-closure") {
            if (!value(closureDelayMs) || closureDelayMs < -1) return Usage();
        } else if (a == "--nak") {
            if (!value(faults.nakFrames)) return Usage();
        } else if (a == "--badchk") {
            if (!value(faults.badChecksum)) return Usage();
        } else if (a == "--truncate") {
            if (!value(faults.truncate)) return Usage();
        } else if (a == "--burst") {
            faults.ackWithNext = true;
        } else if (a == "--status") {
            if (!value(status) || status < 0 || status > 999) return Usage();
        } else if (a == "--noise") {
            if (!value(faults.noiseMs) || faults.noiseMs < 0) return Usage();
            faults.noiseBytes = -1;
        } else if (a == "--answer-enq") {
            answerEnq = true;
        } else if (a == "--modem") {
            modem = true;
        } else if (a == "--dial-answer") {
            if (i + 1 >= argc) return Usage();
            modem = true;
            modemScript.dialAnswer = argv[++i];
        } else if (!a.empty() && a[0] != '-' && plan.folder.empty()) {
            plan.folder = a;
        } else {
            return Usage();
        }
    }

    RegisterTableProcs();
    std::string error;
    if (!plan.folder.empty() &&
        !(CustomerFolder(plan.folder, plan.folder, error) && ReadRegisters(plan, error))) {
        std::fprintf(stderr, "ecr-emulator: %s\n", error.c_str());
        return 1;
    }
    if (!plan.stations.empty()) {
        // The stations given stand instead of the folder's registers.
        plan.registers.clear();
        for (int s : plan.stations) plan.registers.push_back(Played{-1, "", "", s, false});
    }
    if (plan.registers.empty()) plan.registers.push_back(Played{});
    if (plan.port == 0) plan.port = 1;

    bool addressed = plan.addressed == 1;
    if (plan.addressed < 0) {
        for (const Played& r : plan.registers) addressed = addressed || r.addressed;
        for (const Played& r : plan.registers)
            if (r.addressed != addressed)
                std::fprintf(stderr,
                             "ecr-emulator: the registers on port %d do not share one link mode; "
                             "all are played %s\n",
                             plan.port, addressed ? "addressed" : "direct");
    }
    // Without addresses on the line one register answers whatever is sent.
    if (!addressed) plan.registers.resize(1);
    options.addressed = addressed;
    options.stations.clear();
    for (const Played& r : plan.registers) options.stations.push_back(r.station);
    options.log = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };

    if (modem) options.modem = std::make_shared<emu::ModemFront>(modemScript);
    emu::Emulator emulator(options);
    // Each station plays a whole register: hello, tables sent and read back,
    // and ahead of it the bulk transfers (fast PLU send and logo).
    // It answers with the name the register has in the list, which the
    // program writes back there.
    // The options a register of the model holds before anything is written,
    // so that a read before any send gives them.
    std::string model;
    if (plan.model != 0) {
        ConfigLevel.InitOffLine(static_cast<int16_t>(plan.model), kProgramRelease);
        model = ConfigLevel.CashType();
    }
    for (const Played& r : plan.registers) {
        emu::RegisterConfig config;
        config.status[0] = status;
        config.silentPolls = silentPolls;
        if (r.station == silentPollStation) config.silentPoll = silentPoll;
        if (r.station == lostStation) config.lostReply = lostReply;
        config.lineDelay = lineDelay;
        config.stallAfter = stallAfter;
        config.closureDataDelayMs = closureDelayMs;
        if (!r.name.empty()) config.name = r.name;
        emulator.AddHandler(std::make_shared<emu::BulkReceiver>(r.station));
        auto cash = std::make_shared<emu::CashRegister>(r.station, config);
        cash->SeedOptions(model, std::atoi(r.number.c_str()), r.station, addressed ? 1 : 0);
        if (!plan.folder.empty()) {
            cash->SetRecords("keyboard", FolderKeyboard(plan.folder, r.station));
            HoldFolderTables(*cash, plan.folder, r);
        }
        emulator.AddHandler(cash);
    }
    if (!emulator.Start(&error)) {
        std::fprintf(stderr, "ecr-emulator: %s\n", error.c_str());
        return 1;
    }
    if (answerEnq) {
        faults.enqReply = emu::BuildAnswer("A05", options.addressed, options.stations[0], 1, 2);
        faults.enqReplies = -1;
    }
    emulator.SetFaults(faults);
    std::printf("ecr-emulator plays %s%s.\n", Describe(plan, addressed).c_str(),
                modem ? ", behind a modem" : "");
    std::printf("Put this line in section [Ports] of %s:\n", platform::SettingsFile().c_str());
    std::printf("COM%d=%s\n", plan.port, emulator.SlavePath().c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!stopRequested) usleep(50000);
    emulator.Stop();
    return 0;
}
