// The departments in a batch run of the program, without a display, against
// the register emulator: a request list that sends the table and reads it
// back into a copy destination.

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/batch_fixture.h"

namespace {

namespace fs = std::filesystem;

using DepartmentsBatchTest = testsupport::BatchRunTest;

TEST_F(DepartmentsBatchTest, ARequestListSendsTheTableAndReadsItIntoTheCopyDestination) {
    // One register reached in addressed mode on port 1, and the request list.
    Prepare({0}, "r1=*F|1:20\r\nr2=&L|copy.txt\r\n");
    StartRegisters({0});
    const auto reg = registers[0];
    // Model 1 is LX4100: departments of 11 fields; the first 20 are sent.
    const auto run = Run({"/r:**", "/f:setup.ini", "/l:1", "/t:1"});
    EXPECT_EQ(run.status, 0) << run.err;

    std::vector<std::string> got = reg->Received("departments");
    ASSERT_EQ(got.size(), 20u);
    for (const std::string& r : got) EXPECT_EQ(std::count(r.begin(), r.end(), ':'), 10) << r;
    EXPECT_EQ(got[0], "1: :31:0:0:0:4:0:0:0:1");  // a new folder's default department

    // The read stored what the register holds and copied the table to the
    // destination.
    std::string table = Cash("Reparti.txt");
    EXPECT_EQ(table.size(), 99u * 89);
    EXPECT_TRUE(Read("copy.txt") == table);
    EXPECT_EQ(table.substr(0, 89), "0001" + std::string(30, ' ') + "031000" + std::string(24, '0') +
                                       "4" "00" "0000" "00" "001" "000" "00000000\r\n");
    EXPECT_EQ(ErrLog(), "");
    EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
}

// The register folder on a file system of 64 KB that fills up while the
// departments are read: the old table stays whole, nothing reaches the copy
// destination, and the run ends with status 1.
TEST_F(DepartmentsBatchTest, ADiskThatFillsUpDuringAReadLeavesTheOldTableAndFailsTheRun) {
    const std::string cash = dir.file("base/Cassa1");
    fs::create_directories(cash);
    if (mount("tmpfs", cash.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{cash};
    Prepare({0}, "");
    // The table of a register that had ten departments: 890 bytes, one page.
    std::string old;
    for (int n = 1; n <= 10; ++n) {
        std::string num = std::to_string(n);
        old += std::string(4 - num.size(), '0') + num + "Old " + num + std::string(26 - num.size(), ' ') +
               "031000" + std::string(24, '0') + "4" "00" "0000" "00" "001" "000" "00000000\r\n";
    }
    Write("base/Cassa1/Reparti.txt", old);

    StartRegisters({0});
    std::vector<std::string> records;
    for (int n = 1; n <= 99; ++n)
        records.push_back(std::to_string(n) + ":New " + std::to_string(n) + ":1:0:0:0:1:0:0:0:1:");
    registers[0]->SetRecords("departments", records);

    // A first run, a connection test, opens the register folder and makes
    // its other tables; then the file system is filled up to one free page.
    EXPECT_EQ(Run({"/r:HELLO", "/f:setup.ini", "/l:1", "/t:1"}, 60).status, 0);
    {
        std::ofstream filler(cash + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    fs::resize_file(cash + "/filler", fs::file_size(cash + "/filler") / 4096 * 4096 - 4096);
    WriteConfig({0}, "r1=&L|copy.txt\r\n");

    const auto run = Run({"/r:**", "/f:setup.ini", "/l:1", "/t:1"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Cash("Reparti.txt") == old);
    EXPECT_FALSE(fs::exists(cash + "/Reparti.txt.part"));
    EXPECT_FALSE(fs::exists(dir.file("copy.txt")));
    EXPECT_NE(ErrLog().find("[012]"), std::string::npos);
    const std::string log = Read("base/msg.log");
    // The record that found the disk full, with the reason.
    const size_t note = log.find("Record not written: " + cash + "/Reparti.txt: (");
    ASSERT_NE(note, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find(") ", note), 11), ") Disk full") << log;
}

}  // namespace
