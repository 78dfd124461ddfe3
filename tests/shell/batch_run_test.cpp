// The program as a process, without a display: the exit status and usage
// line of a bad command line, and request lists run against the register
// emulator on a pseudo-terminal.

#include <filesystem>
#include <memory>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"
#include "shell_fixture.h"

namespace {

using testsupport::ProgramPath;
using testsupport::RunProgram;
using testsupport::RunResult;

class BatchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(ProgramPath())) GTEST_SKIP() << "no program at " << ProgramPath();
    }
    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        testsupport::WriteAll(dir.file(name), text);
    }
    // A start folder with the language file and a base folder "base" whose
    // registers are the given config.ini [Casse] lines, each register
    // reached in addressed mode on port 1.
    void Prepare(const std::string& casse, const std::vector<int>& stations) {
        std::filesystem::copy_file(shelltest::LangFile("Testi.eng"), dir.file("Testi.eng"));
        Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                           "[Communication]\r\nDTRDelay=0\r\n");
        Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                     "\r\ncommandstimeout=60\r\n[Casse]\r\n" + casse +
                                     "[Richieste]\r\nr1=HELLO|hello.txt|2\r\n");
        for (int station : stations)
            Write("base/Cassa" + std::to_string(station + 1) + "/Cassa.txt",
                  "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
    }
    void StartEmulator(const std::vector<int>& stations, emu::RegisterConfig config = {}) {
        emu::Options options;
        options.addressed = true;
        options.stations = stations;
        emulator = std::make_unique<emu::Emulator>(options);
        for (int s : stations) {
            registers.push_back(std::make_shared<emu::CashRegister>(s, config));
            emulator->AddHandler(registers.back());
        }
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
    }
    void TearDown() override {
        if (emulator) emulator->Stop();
    }
    testsupport::TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
    std::vector<std::shared_ptr<emu::CashRegister>> registers;
};

TEST_F(BatchRunTest, ACommandLineThatDoesNotParseEndsWithTheUsageLine) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/x:1"}, {"/r:**", "/e:2"}, {"/f:setup.ini"}}) {
        RunResult r = RunProgram(args, dir.path(), 20);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err.rfind("usage: ecrprog /r:CODE", 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("serial.log")));
    }
}

TEST_F(BatchRunTest, AnotherRequestCodeThanTheListStartsNothing) {
    RunResult r = RunProgram({"/r:*B"}, dir.path(), 20);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("nothing was done"), std::string::npos) << r.err;
}

TEST_F(BatchRunTest, TheRequestListRunsAConnectionTestOnEachRegister) {
    Prepare("C0=1|||R022002|1|1|0|1\r\nC1=2|||R022002|1|1|1|1\r\n", {0, 1});
    StartEmulator({0, 1});
    RunResult r = RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/t:1"}, dir.path(), 60);
    EXPECT_EQ(r.status, 0) << r.err;

    for (const auto& reg : registers) EXPECT_GE(reg->Hellos(), 1) << "station " << reg->Hellos();
    // The hello answers copied, one file per station.
    EXPECT_EQ(testsupport::ReadAll(dir.file("hello0.txt")).rfind("A01", 0), 0u);
    EXPECT_EQ(testsupport::ReadAll(dir.file("hello1.txt")).rfind("A01", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/msg.log")));
    EXPECT_FALSE(testsupport::ReadAll(dir.file("serial.log")).empty());
    ASSERT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("base/done.sem")), 0u);
    EXPECT_EQ(testsupport::ReadAll(dir.file("base/err.log")), "");
}

TEST_F(BatchRunTest, AnUnreachableRegisterIsLoggedAndTheRunEndsWithStatusOne) {
    Prepare("C0=1|||R022002|1|1|0|1\r\n", {0});
    emu::RegisterConfig silent;
    silent.silentPolls = -1;
    StartEmulator({0}, silent);
    // The main window not shown at all (/w:2) ends the run all the same.
    RunResult r = RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, dir.path(), 60);
    EXPECT_EQ(r.status, 1) << r.err;
    std::string log = testsupport::ReadAll(dir.file("base/err.log"));
    EXPECT_NE(log.find("[005] <HELLO|hello.txt>"), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));
}

}  // namespace
