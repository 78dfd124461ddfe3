// The departments in a batch run of the program, without a display, against
// the register emulator: a request list that sends the table and reads it
// back into a copy destination.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The program beside this test program in the build tree.
std::string ProgramPath() {
    fs::path self = fs::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "app" / "ecrprog").string();
}

// Runs the program in the folder with the arguments and no display; the exit
// status, or -1 when it did not end within the seconds.
int RunProgram(const std::vector<std::string>& args, const std::string& folder, double seconds) {
    std::vector<std::string> strings = {ProgramPath()};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0 &&
            std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            envp.push_back(*e);
    envp.push_back(nullptr);
    const std::string errFile = folder + "/stderr.txt";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 2);
        execve(strings[0].c_str(), argv.data(), envp.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class DepartmentsBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(ProgramPath())) GTEST_SKIP() << "no program at " << ProgramPath();
    }
    void TearDown() override {
        if (emulator) emulator->Stop();
    }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        testsupport::WriteAll(dir.file(name), text);
    }

    testsupport::TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
};

TEST_F(DepartmentsBatchTest, ARequestListSendsTheTableAndReadsItIntoTheCopyDestination) {
    // A start folder, a base folder with one register reached in addressed
    // mode on port 1, and the request list.
    fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
    Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                 "\r\ncommandstimeout=120\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n"
                                 "[Richieste]\r\nr1=*F|1:20\r\nr2=&L|copy.txt\r\n");
    Write("base/Cassa1/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");

    emu::Options options;
    options.addressed = true;
    options.stations = {0};
    options.gapMs = 2;
    emulator = std::make_unique<emu::Emulator>(options);
    auto reg = std::make_shared<emu::CashRegister>(0);
    emulator->AddHandler(reg);
    std::string error;
    ASSERT_TRUE(emulator->Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));

    // Model 1 is LX4100: departments of 11 fields; the first 20 are sent.
    EXPECT_EQ(RunProgram({"/r:**", "/f:setup.ini", "/l:1", "/t:1"}, dir.path(), 120), 0)
        << testsupport::ReadAll(dir.file("stderr.txt"));

    std::vector<std::string> got = reg->Received("departments");
    ASSERT_EQ(got.size(), 20u);
    for (const std::string& r : got) EXPECT_EQ(std::count(r.begin(), r.end(), ':'), 10) << r;
    EXPECT_EQ(got[0], "1: :31:0:0:0:4:0:0:0:1");  // a new folder's default department

    // The read stored what the register holds and copied the table to the
    // destination.
    std::string table = testsupport::ReadAll(dir.file("base/Cassa1/Reparti.txt"));
    EXPECT_EQ(table.size(), 99u * 89);
    EXPECT_TRUE(testsupport::ReadAll(dir.file("copy.txt")) == table);
    EXPECT_EQ(table.substr(0, 89), "0001" + std::string(30, ' ') + "031000" + std::string(24, '0') +
                                       "4" "00" "0000" "00" "001" "000" "00000000\r\n");
    EXPECT_EQ(testsupport::ReadAll(dir.file("base/err.log")), "");
    EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
}

}  // namespace
