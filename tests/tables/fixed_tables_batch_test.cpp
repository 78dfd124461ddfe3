// Groups, currencies and stamps in a batch run of the program, without a
// display, against the register emulator: each table is read into a copy
// destination and sent back by its builder's request code, and the stamps
// are imported from a file ("*Q") before they are sent.

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

class FixedTablesBatchTest : public ::testing::Test {
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
    std::string Record(const std::string& file, int n, int length) {
        return ReadAll(dir.file("base/Cassa1/" + file)).substr(static_cast<size_t>(n - 1) * length, length);
    }

    testsupport::TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
};

TEST_F(FixedTablesBatchTest, ARequestListReadsIntoCopiesAndSendsByRequestCode) {
    fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
    Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    Write("base/config.ini",
          "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
              "\r\ncommandstimeout=120\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n"
              "[Richieste]\r\nr1=&p|groups.txt\r\nr2=*O\r\nr3=&s|currencies.txt\r\nr4=*P\r\n"
              "r5=*Q|import.txt\r\nr6=&r|stamps.txt\r\n");
    Write("base/Cassa1/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
    // Stamps 2 and 3 to import.
    const std::string two = "21" "000100000200000300000400" "001002003004\r\n";
    const std::string three = "30" "999999000000000000000001" "999000000001\r\n";
    Write("import.txt", two + three);

    emu::Options options;
    options.addressed = true;
    options.stations = {0};
    options.gapMs = 2;
    emulator = std::make_unique<emu::Emulator>(options);
    auto reg = std::make_shared<emu::CashRegister>(0);
    std::vector<std::string> groups, sentGroups;
    for (int n = 1; n <= 12; ++n) {
        groups.push_back(std::to_string(n) + ":Group " + std::to_string(n) + ":");
        sentGroups.push_back(groups.back().substr(0, groups.back().size() - 1));
    }
    reg->SetRecords("department groups", groups);
    reg->SetRecords("currencies", {"2:01936,27000000:1:USD:", "3:00000,50000000:0:GBP:"});
    emulator->AddHandler(reg);
    std::string error;
    ASSERT_TRUE(emulator->Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));

    // Model 9 is TIMBREL, of the newer family: its first currency is never sent.
    auto run = testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/t:1"}, dir.path(), 120);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.file("base/err.log")), "");
    EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));

    // The reads stored the register's records and copied each table.
    const std::string crlf = "\r\n";
    EXPECT_EQ(Record("GrpRep.txt", 7, 34), "07Group 7" + std::string(23, ' ') + crlf);
    EXPECT_TRUE(ReadAll(dir.file("groups.txt")) == ReadAll(dir.file("base/Cassa1/GrpRep.txt")));
    const std::string usd = Record("Valute.txt", 2, 27);
    ASSERT_EQ(usd.size(), 27u);
    const std::string sep = usd.substr(7, 1);  // the system's separator
    EXPECT_TRUE(sep == "." || sep == ",") << usd;
    EXPECT_EQ(usd, "2001936" + sep + "270000001USD     " + crlf);
    EXPECT_EQ(Record("Valute.txt", 4, 27), "4000000" + sep + "000000000        " + crlf);
    EXPECT_TRUE(ReadAll(dir.file("currencies.txt")) == ReadAll(dir.file("base/Cassa1/Valute.txt")));

    // The sends gave the register the same records.
    EXPECT_EQ(reg->Received("department groups"), sentGroups);
    EXPECT_EQ(reg->Received("currencies"),
              (std::vector<std::string>{"2:01936,27000000:1:USD", "3:00000,50000000:0:GBP",
                                        "4:00000,00000000:0:"}));

    // The stamps: imported, sent and read back into the copy.
    EXPECT_EQ(reg->Received("stamps"),
              (std::vector<std::string>{"1:0:0:0:0:0:0:0:0:0", "2:1:100:1:200:2:300:3:400:4",
                                        "3:0:999999:999:0:0:0:0:1:1", "4:0:0:0:0:0:0:0:0:0"}));
    EXPECT_EQ(Record("Bollini.txt", 2, 40), two);
    EXPECT_EQ(Record("Bollini.txt", 3, 40), three);
    EXPECT_TRUE(ReadAll(dir.file("stamps.txt")) == ReadAll(dir.file("base/Cassa1/Bollini.txt")));
}

}  // namespace
