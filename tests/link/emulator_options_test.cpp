// The emulator program's options: a value that is missing or cannot be read
// is refused with the usage text (status 2), never a crash or a start on
// half-read settings; the usage names every option.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string EmulatorPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "ecr-emulator").string();
}

struct Ran {
    int status = -1;  // exit status; 128 + the signal that ended it; 124 still running after 10 s
    std::string said;  // its standard error
};

Ran RunEmulator(const std::string& args) {
    Ran r;
    const std::string command = "timeout 10 " + EmulatorPath() + " " + args + " 2>&1 >/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (!out) return r;
    char buf[512];
    for (size_t n; (n = fread(buf, 1, sizeof buf, out)) > 0;) r.said.append(buf, n);
    const int status = pclose(out);
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    return r;
}

TEST(EmulatorOptions, AMissingOrUnreadableValueIsRefusedWithTheUsage) {
    if (!std::filesystem::exists(EmulatorPath())) GTEST_SKIP() << "not built: " << EmulatorPath();
    for (const char* args : {"--lost-reply", "--lost-reply 1", "--lost-reply x:2", "--lost-reply 16:1",
                             "--lost-reply 0:0", "--line-delay", "--line-delay soon", "--line-delay -1",
                             "--stall-after", "--stall-after 2x", "--late-closure", "--late-closure -2",
                             "--late-closure later", "--silent-poll 0:"}) {
        SCOPED_TRACE(args);
        const Ran r = RunEmulator(args);
        EXPECT_EQ(r.status, 2) << r.said;
        EXPECT_EQ(r.said.rfind("usage: ecr-emulator", 0), 0u) << r.said;
    }
    const std::string usage = RunEmulator("--help").said;
    for (const char* option : {"[--lost-reply S:N]", "[--line-delay SECONDS]", "[--stall-after N]",
                               "[--late-closure MS]", "  --lost-reply S:N: ", "  --line-delay SECONDS: ",
                               "  --stall-after N: ", "  --late-closure MS: "})
        EXPECT_NE(usage.find(option), std::string::npos) << option << "\n" << usage;
}

}  // namespace
