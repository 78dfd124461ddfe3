#pragma once
// What the fuzz targets share: a scratch folder that each input starts
// empty, the settings store kept inside it, a program clock that moves on
// its own (so every time-out passes at once), and a cap on the size of the
// files written, so that an input that makes the program write without end
// ends in a failed write instead of a full disk.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/reset_globals.h"
#include "platform/clock.h"

namespace fuzzsupport {

// Removed with what it holds when the process ends normally.
struct Scratch {
    std::string path;
    ~Scratch() { std::filesystem::remove_all(path); }
};

// The folder "ecrfuzz-<process id>" in a memory file system where there is
// one (the program rewrites files often, and a disk makes that the slowest
// part of a run). A run that found something ends without clean-up: the
// folders of processes that are gone are removed first.
inline std::string MakeScratch() {
    std::error_code ec;
    std::filesystem::path base = "/dev/shm";
    if (access(base.c_str(), W_OK) != 0) base = std::filesystem::temp_directory_path();
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ecrfuzz-", 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + 8, nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), ec);
    }
    const std::filesystem::path dir = base / ("ecrfuzz-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir, ec);
    if (!std::filesystem::create_directory(dir, ec)) abort();
    return dir.string();
}

inline const std::string& ScratchDir() {
    static const Scratch dir = [] {
        std::string path = MakeScratch();
        setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        setenv("HOME", path.c_str(), 1);
        // A write past 4 MB fails (EFBIG) instead of ending the process.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4 << 20, 4 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        return Scratch{path};
    }();
    return dir.path;
}

// The program clock: each look at it is one millisecond later, a wait moves
// it on by the wait.
inline void UseProgramClock() {
    static double now = 0;
    platform::SetTestTimer([] { return now += 0.001; });
    platform::SetTestSleep([](int32_t ms) { now += ms / 1000.0; });
}

// An empty scratch folder as the base folder, and the folder "Cassa1" in it,
// made and open; returns that folder. The other globals stay as they are.
inline std::string FreshFolder() {
    const std::string& dir = ScratchDir();
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        std::filesystem::remove_all(entry.path());
    Core.strStartDir = dir;
    Core.strRootDir = dir;
    Core.strSetupIni = dir + "/setup.ini";
    Core.strCashDir = dir + "/Cassa1";
    std::filesystem::create_directory(Core.strCashDir);
    return Core.strCashDir;
}

// Every global back to its start-up value, then FreshFolder.
inline std::string FreshStart() {
    testsupport::ResetGlobals();
    return FreshFolder();
}

}  // namespace fuzzsupport
