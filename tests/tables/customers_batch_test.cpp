// A command-line run whose request list sends customers by code range to
// two registers in addressed mode: each register gets exactly the customers
// of its own archive in the range; a register whose archive lacks a code of
// the range gets nothing, and the run says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "customers/client_file.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"

namespace {

namespace fs = std::filesystem;

class CustomersBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(testsupport::ProgramPath()))
            GTEST_SKIP() << "no program at " << testsupport::ProgramPath();
    }
    void TearDown() override {
        if (emulator) emulator->Stop();
    }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        testsupport::WriteAll(dir.file(name), text);
    }
    // A 90-character archive of the codes, in order.
    void Archive(const std::string& folder, std::initializer_list<const char*> codes) {
        std::string bytes;
        ClientM cli;
        cli.CliType(1);
        for (const char* code : codes) {
            cli.SetFormattedRecord(std::string(code) + ":CUST " + code + "::0:1:0:" + code + "0:0:",
                                   ":", 0);
            bytes += cli.GetRecord();
        }
        Write(folder + "/Clienti.txt", bytes);
    }

    testsupport::TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
};

TEST_F(CustomersBatchTest, ARangeOfCodesReachesExactlyTheCustomersInIt) {
    fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
    Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                 "\r\ncommandstimeout=120\r\n[Casse]\r\n"
                                 "C0=1|||R022002|1|1|0|1\r\nC1=2|||R022002|1|1|1|1\r\n"
                                 "[Richieste]\r\nr1=*M|12:40\r\n");
    for (const char* folder : {"base/Cassa1", "base/Cassa2"})
        Write(std::string(folder) + "/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
    Archive("base/Cassa1", {"5", "12", "20", "40", "41"});
    Archive("base/Cassa2", {"5", "20", "40"});  // no customer 12

    emu::Options options;
    options.addressed = true;
    options.stations = {0, 1};
    options.gapMs = 2;
    emulator = std::make_unique<emu::Emulator>(options);
    std::vector<std::shared_ptr<emu::CashRegister>> regs;
    for (int station : {0, 1}) {
        emu::RegisterConfig config;
        config.model = "DRAVO57";  // release R022002: 90-character customers
        regs.push_back(std::make_shared<emu::CashRegister>(station, config));
        emulator->AddHandler(regs.back());
    }
    std::string error;
    ASSERT_TRUE(emulator->Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));

    const testsupport::RunResult r =
        testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:3", "/t:1"}, dir.path(), 120);

    EXPECT_EQ(regs[0]->Received("customers"),
              (std::vector<std::string>{"12:CUST 12::0:1:0:120:0:", "20:CUST 20::0:1:0:200:0:",
                                        "40:CUST 40::0:1:0:400:0:"}));
    EXPECT_TRUE(regs[1]->Received("customers").empty());
    EXPECT_TRUE(regs[1]->Customers().empty());
    // The second register's failure ends the run with status 1 and one
    // error-log line of the request interpreter.
    EXPECT_EQ(r.status, 1) << testsupport::ReadAll(dir.file("stderr.txt"));
    const std::string log = testsupport::ReadAll(dir.file("base/err.log"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("003"), std::string::npos) << log;
}

}  // namespace
