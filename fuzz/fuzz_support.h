#pragma once
// What the fuzz targets share: a scratch folder that each input starts
// empty, the settings store kept inside it, a program clock that moves on
// its own (so every time-out passes at once), and a cap on the size of the
// files written, so that an input that makes the program write without end
// ends in a failed write instead of a full disk.
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/reset_globals.h"
#include "platform/clock.h"

namespace fuzzsupport {

// Removed with what it holds when the process ends.
struct Scratch {
    std::string path;
    ~Scratch() { std::filesystem::remove_all(path); }
};

inline const std::string& ScratchDir() {
    static const Scratch dir = [] {
        // A memory file system where there is one: the program rewrites
        // files often, and a disk makes that the slowest part of a run.
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        std::string tmpl = (base / "ecrfuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) abort();
        setenv("XDG_CONFIG_HOME", (tmpl + "/config").c_str(), 1);
        setenv("HOME", tmpl.c_str(), 1);
        // A write past 4 MB fails (EFBIG) instead of ending the process.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4 << 20, 4 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        return Scratch{tmpl};
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
