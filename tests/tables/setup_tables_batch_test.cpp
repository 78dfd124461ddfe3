// Operators, waiters and meal tickets in a batch run of the
// program, without a display, against the register emulator: a request list
// that sends and reads them by their builders' request codes, each read into
// a copy destination of its own.
#include <gtest/gtest.h>

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
using testsupport::ReadAll;

std::string B(int n) { return std::string(static_cast<size_t>(n), ' '); }

class SetupTablesBatchTest : public ::testing::Test {
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

TEST_F(SetupTablesBatchTest, RequestListSendsAndReadsIntoCopyDestinations) {
    fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
    Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                 "\r\ncommandstimeout=120\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n"
                                 "[Richieste]\r\nr1=*H\r\nr2=&N|ope.txt\r\nr3=&K|cam.txt\r\n"
                                 "r4=&a|tick.txt\r\n");
    Write("base/Cassa1/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");

    emu::Options options;
    options.addressed = true;
    options.stations = {0};
    options.gapMs = 2;
    emulator = std::make_unique<emu::Emulator>(options);
    emu::RegisterConfig config;
    config.model = "DRAVO57";
    auto reg = std::make_shared<emu::CashRegister>(0, config);
    reg->SetRecords("waiters", {"1:ANNA:", "2:BRUNO:"});
    reg->SetRecords("meal tickets", {"7:01:000001500:"});
    emulator->AddHandler(reg);
    std::string error;
    ASSERT_TRUE(emulator->Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));

    // Model 3 is DRAVO57, which has meal tickets.
    EXPECT_EQ(testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:3", "/t:1"}, dir.path(), 120)
                  .status,
              0)
        << ReadAll(dir.file("stderr.txt"));
    EXPECT_EQ(ReadAll(dir.file("base/err.log")), "");

    // A new folder's operators went out and came back as they were.
    std::vector<std::string> operators = reg->Received("operators");
    ASSERT_EQ(operators.size(), 20u);
    EXPECT_EQ(operators[0], "1:1:0::15:255:0:0:0:0");
    const std::string ope = ReadAll(dir.file("base/Cassa1/Operatori.txt"));
    ASSERT_EQ(ope.size(), 20u * 58);
    EXPECT_EQ(ope.substr(0, 58), "01001000" + B(30) + "015255000000000000\r\n");
    EXPECT_TRUE(ReadAll(dir.file("ope.txt")) == ope);

    // The waiters read is copied like every other table.
    const std::string cam = ReadAll(dir.file("base/Cassa1/Camerieri.txt"));
    ASSERT_EQ(cam.size(), 20u * 34);
    EXPECT_EQ(cam.substr(0, 68), "01ANNA" + B(26) + "\r\n02BRUNO" + B(25) + "\r\n");
    EXPECT_EQ(cam.substr(68, 34), "03" + B(30) + "\r\n");
    EXPECT_TRUE(ReadAll(dir.file("cam.txt")) == cam);

    // Payment type 7 is meal ticket 2: its first denomination is record 16.
    const std::string tick = ReadAll(dir.file("base/Cassa1/TicketAmount.txt"));
    ASSERT_EQ(tick.size(), 510u * 15);
    EXPECT_EQ(tick.substr(15 * 15, 15), "0201000001500\r\n");
    EXPECT_TRUE(ReadAll(dir.file("tick.txt")) == tick);
    EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
}

}  // namespace
