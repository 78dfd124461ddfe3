// A command-line run that reaches its register by phone: the program as a
// process, without a display, against the register emulator behind a modem
// on a pseudo-terminal, dialling through a phone-book entry.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"

namespace {

namespace fs = std::filesystem;

class ModemRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(testsupport::ProgramPath()))
            GTEST_SKIP() << "no program at " << testsupport::ProgramPath();
        fs::copy_file(fs::path(ECR_SOURCE_DIR) / "lang" / "Testi.eng", dir.file("Testi.eng"));
        Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                           "[Communication]\r\nDTRDelay=0\r\n");
        Write("modem.ini", "[Init1]\r\nCmd1=ATZ\r\nCmd2=ATE0\r\n[Connect1]\r\nDial=ATDT\r\n"
                           "[Disconnect1]\r\nDisconnect=ATH\r\n");
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=Office|999\r\n2=|\r\n3=Shop|0123\r\n");
        // One register, direct line through the modem (link option 1; 128:
        // no wait after opening), dialled through the entry "Shop" (key 3).
        Write("base/Cassa1/Cassa.txt",
              "[P9]\r\n11=129\r\n[Communication]\r\nhellotype=1\r\nPhoneBookIndex=3\r\n");
    }
    void TearDown() override {
        if (emulator) emulator->Stop();
    }
    void Write(const std::string& name, const std::string& text) {
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        testsupport::WriteAll(dir.file(name), text);
    }
    void Config(const std::string& requests) {
        Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                     "\r\ncommandstimeout=300\r\n[Casse]\r\n"
                                     "C0=1|||R022002|1|0|0|1\r\n[Richieste]\r\n" + requests);
    }
    void StartEmulator(emu::ModemScript script) {
        emu::Options options;
        options.addressed = false;
        options.stations = {0};
        modem = std::make_shared<emu::ModemFront>(script);
        options.modem = modem;
        emulator = std::make_unique<emu::Emulator>(options);
        reg = std::make_shared<emu::CashRegister>(0);
        emulator->AddHandler(reg);
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
    }
    std::string Read(const std::string& name) { return testsupport::ReadAll(dir.file(name)); }

    testsupport::TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
    std::shared_ptr<emu::ModemFront> modem;
    std::shared_ptr<emu::CashRegister> reg;
};

TEST_F(ModemRunTest, DialsSendsTheDepartmentsReadsThemBackAndHangsUp) {
    Config("r1=*F|1:3\r\nr2=&L|1:3\r\n");
    StartEmulator({});
    const auto r = testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/w:2"}, dir.path(), 120);
    EXPECT_EQ(r.status, 0) << r.err << Read("base/msg.log");

    // One call for the whole run, hung up at its end.
    EXPECT_EQ(modem->Commands(), (std::vector<std::string>{"ATZ", "ATE0", "ATDT0123", "ATH"}));
    EXPECT_EQ(modem->Calls(), 1);
    EXPECT_EQ(modem->Escapes(), 1);
    EXPECT_FALSE(modem->Online());

    std::vector<std::string> requests;
    for (const std::string& c : reg->Commands())
        if (c.rfind("*2;", 0) == 0) requests.push_back(c);
    EXPECT_EQ(requests, (std::vector<std::string>{"*2;+4;*F;*3;", "*2;+4;&L1:3;#H;*3;"}));
    EXPECT_EQ(reg->Received("departments").size(), 3u);
    EXPECT_EQ(Read("base/err.log"), "");
    // The dialogue with the modem stands in the serial trace.
    EXPECT_NE(Read("serial.log").find("ATDT0123[13]"), std::string::npos);
}

// A modem that answers NO CARRIER, or never raises the carrier: the run ends
// within the dial's time-out, with the reason in the message log, a
// connection failure in the error log and status 1.
TEST_F(ModemRunTest, AFailedDialEndsTheRunWithinItsTimeOutWithStatusOne) {
    const struct {
        const char* dialAnswer;
        const char* why;
        double seconds;  // the longest the run may take
    } cases[] = {
        {"NO CARRIER", "the modem answered NO CARRIER after dialling: 0123", 15},
        // 30 seconds for the carrier, then the hang-up.
        {"", "no carrier within 30 seconds after dialling: 0123", 45},
    };
    Config("r1=*F|1:3\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        emu::ModemScript script;
        script.dialAnswer = c.dialAnswer;
        StartEmulator(script);
        fs::remove(dir.file("base/err.log"));
        const auto start = std::chrono::steady_clock::now();
        const auto r =
            testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/w:2"}, dir.path(), 90);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_LT(took, c.seconds);
        EXPECT_NE(Read("base/err.log").find(" [005] <*F|1:3>"), std::string::npos)
            << Read("base/err.log");
        EXPECT_NE(Read("base/msg.log").find(c.why), std::string::npos) << Read("base/msg.log");
        EXPECT_EQ(modem->Calls(), 0);
        EXPECT_TRUE(reg->Commands().empty());
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        emulator->Stop();
    }
}

}  // namespace
