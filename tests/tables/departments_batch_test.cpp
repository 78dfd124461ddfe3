// The departments in a batch run of the program, without a display, against
// the register emulator: a request list that sends the table and reads it
// back into a copy destination.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"

namespace {

namespace fs = std::filesystem;

using testsupport::ProgramPath;

int RunProgram(const std::vector<std::string>& args, const std::string& folder, double seconds) {
    return testsupport::RunProgram(args, folder, seconds).status;
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

// The register folder on a file system of 64 KB that fills up while the
// departments are read: the old table stays whole, nothing reaches the copy
// destination, and the run ends with status 1.
TEST_F(DepartmentsBatchTest, ADiskThatFillsUpDuringAReadLeavesTheOldTableAndFailsTheRun) {
    fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
    Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=err.log\r\nsem=done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    const std::string config = "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                               "\r\ncommandstimeout=120\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n";
    Write("base/config.ini", config);
    const std::string cash = dir.file("base/Cassa1");
    fs::create_directories(cash);
    if (mount("tmpfs", cash.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{cash};
    Write("base/Cassa1/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
    // The table of a register that had ten departments: 890 bytes, one page.
    std::string old;
    for (int n = 1; n <= 10; ++n) {
        std::string num = std::to_string(n);
        old += std::string(4 - num.size(), '0') + num + "Old " + num + std::string(26 - num.size(), ' ') +
               "031000" + std::string(24, '0') + "4" "00" "0000" "00" "001" "000" "00000000\r\n";
    }
    Write("base/Cassa1/Reparti.txt", old);

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
    std::vector<std::string> records;
    for (int n = 1; n <= 99; ++n)
        records.push_back(std::to_string(n) + ":New " + std::to_string(n) + ":1:0:0:0:1:0:0:0:1:");
    reg->SetRecords("departments", records);

    // A first run, a connection test, opens the register folder and makes
    // its other tables; then the file system is filled up to one free page.
    EXPECT_EQ(RunProgram({"/r:HELLO", "/f:setup.ini", "/l:1", "/t:1"}, dir.path(), 60), 0);
    {
        std::ofstream filler(cash + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    fs::resize_file(cash + "/filler", fs::file_size(cash + "/filler") / 4096 * 4096 - 4096);
    Write("base/config.ini", config + "[Richieste]\r\nr1=&L|copy.txt\r\n");

    EXPECT_EQ(RunProgram({"/r:**", "/f:setup.ini", "/l:1", "/t:1"}, dir.path(), 120), 1)
        << testsupport::ReadAll(dir.file("stderr.txt"));
    EXPECT_TRUE(testsupport::ReadAll(cash + "/Reparti.txt") == old);
    EXPECT_FALSE(fs::exists(cash + "/Reparti.txt.part"));
    EXPECT_FALSE(fs::exists(dir.file("copy.txt")));
    EXPECT_NE(testsupport::ReadAll(dir.file("err.log")).find("[012]"), std::string::npos);
    const std::string log = testsupport::ReadAll(dir.file("base/msg.log"));
    // The record that found the disk full, with the reason.
    const size_t note = log.find("Record not written: " + cash + "/Reparti.txt: (");
    ASSERT_NE(note, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find(") ", note), 11), ") Disk full") << log;
}

}  // namespace
