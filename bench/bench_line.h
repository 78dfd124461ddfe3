#pragma once
// What the benchmarks against the register emulator share: the clock, a
// temporary base folder, the globals back at their start, one register on a
// pseudo-terminal, and a main that keeps the settings store out of the
// user's own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "emulator/bulk_receiver.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "link/port.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "engine/startup.h"

namespace bench {

inline double WallNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

inline std::string TempDir(const char* stem) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data())) std::abort();
    return tmpl;
}

// The globals the link touches at their start, the base folder as root and
// start folder, its register folder Cassa1 made and open, no time-out of the
// commands in sight, no user.
inline void ResetGlobals(const std::string& base) {
    Core = CoreGlobals{};
    LinkState = LinkStateRec{};
    CmdQueue = CmdQueueState{};
    MainTimer = MainTimerGlobals{};
    CassaList = {};
    Core.strRootDir = base;
    Core.strStartDir = base;
    Core.strCashDir = base + "/Cassa1";
    Core.sngCmdTimeout = 3600.0f;
    Core.bInteractive = false;
    platform::MakeDir(Core.strCashDir);
}

// No operation under way and the queue empty.
inline bool Idle() { return !ExchangeRunning(); }

// One register of model 3 on a pseudo-terminal as port 1 (the register's
// pause after each write and the line's speed given), defined in a base
// folder of its own: config.ini lists it with the release (the program's
// own level when none is given), not addressed; its folder says hello type 1
// with no wait after opening. With bulk, a bulk receiver takes the raw
// frames before the register. The program runs as with its windows.
class Line {
public:
    explicit Line(int gapMs, int lineBaud = 0, const std::string& release = "", bool bulk = false) {
        base_ = TempDir("ecrbench");
        ResetGlobals(base_);
        Core.bInteractive = true;
        ConfigLevel.InitOffLine(3, release.empty() ? kProgramRelease : release);
        emu::Options options;
        options.gapMs = gapMs;
        options.lineBaud = lineBaud;
        emulator_ = std::make_unique<emu::Emulator>(options);
        if (bulk) {
            receiver_ = std::make_shared<emu::BulkReceiver>(0);
            emulator_->AddHandler(receiver_);
        }
        emu::RegisterConfig config;
        if (!release.empty()) config.release = release;
        reg_ = std::make_shared<emu::CashRegister>(0, config);
        emulator_->AddHandler(reg_);
        std::string error;
        if (!emulator_->Start(&error)) std::abort();
        platform::SaveSetting("Ports", "COM1", emulator_->SlavePath());
        platform::WritePrivateProfileStringA("Casse", "C0", ("1|||" + release + "|1|0|0|1").c_str(),
                                             ConfigIniPath().c_str());
        std::ofstream(base_ + "/Cassa1/Cassa.txt") << "[P9]\r\n11=128\r\n[Communication]\r\nhellotype=1\r\n";
        LoadCasseConf();
        LinkState.nCurCash = 0;
        SetAnswerParser(&ParseAnswer);
    }
    ~Line() {
        SetPortFactory({});
        emulator_->Stop();
        std::error_code ec;
        std::filesystem::remove_all(base_, ec);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    emu::Emulator& Emu() { return *emulator_; }
    emu::BulkReceiver& Receiver() { return *receiver_; }
    emu::CashRegister& Reg() { return *reg_; }

private:
    std::string base_;
    std::unique_ptr<emu::Emulator> emulator_;
    std::shared_ptr<emu::BulkReceiver> receiver_;
    std::shared_ptr<emu::CashRegister> reg_;
};

// Runs the benchmarks of the command line with the settings store (where
// port 1's device is named) in a temporary folder.
inline int RunBenchmarks(int argc, char** argv) {
    const std::string home = TempDir("ecrbench-home");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}

}  // namespace bench
