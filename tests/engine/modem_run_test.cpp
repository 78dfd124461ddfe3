// A command-line run that reaches its register by phone: the program as a
// process, without a display, against the register emulator behind a modem
// on a pseudo-terminal, dialling through a phone-book entry.
#include <chrono>
#include <filesystem>

#include "common/batch_fixture.h"

namespace {

namespace fs = std::filesystem;

class ModemRunTest : public testsupport::BatchRunTest {
protected:
    void StartEmulator(const emu::ModemScript& script) {
        StartModemEmulator(script);
        reg = registers.back();
    }

    std::shared_ptr<emu::CashRegister> reg;
};

TEST_F(ModemRunTest, DialsSendsTheDepartmentsReadsThemBackAndHangsUp) {
    PrepareModem("r1=*F|1:3\r\nr2=&L|1:3\r\n");
    ASSERT_NO_FATAL_FAILURE(StartEmulator({}));
    const auto r = Run({"/r:**", "/f:setup.ini", "/l:9", "/w:2"}, 120);
    EXPECT_EQ(r.status, 0) << r.err << Read("base/msg.log");

    // One call for the whole run, hung up at its end.
    EXPECT_EQ(modem->Commands(), (std::vector<std::string>{"ATZ", "ATE0", "ATDT0123", "ATH"}));
    EXPECT_EQ(modem->Calls(), 1);
    EXPECT_EQ(modem->Escapes(), 1);
    EXPECT_FALSE(modem->Online());

    EXPECT_EQ(Requests(*reg), (std::vector<std::string>{"*2;+4;*F;*3;", "*2;+4;&L1:3;#H;*3;"}));
    EXPECT_EQ(reg->Received("departments").size(), 3u);
    EXPECT_EQ(ErrLog(), "");
    // The dialogue with the modem stands in the serial trace.
    EXPECT_NE(Read("serial.log").find("ATDT0123[13]"), std::string::npos);
}

// The modem.ini shipped in the sample start folder dials as it stands.
TEST_F(ModemRunTest, TheSampleModemFileDialsAsShipped) {
    PrepareModem("r1=*F|1:3\r\n");
    Write("modem.ini", testsupport::ReadAll(std::string(ECR_SOURCE_DIR) + "/sample/modem.ini"));
    ASSERT_NO_FATAL_FAILURE(StartEmulator({}));
    const auto r = Run({"/r:**", "/f:setup.ini", "/l:9", "/w:2"}, 120);
    EXPECT_EQ(r.status, 0) << r.err << Read("base/msg.log");
    EXPECT_EQ(modem->Commands(),
              (std::vector<std::string>{"ATZ", "ATE0V1&C1&D2", "ATX3", "ATDT0123", "ATH0"}));
    EXPECT_EQ(reg->Received("departments").size(), 3u);
    EXPECT_EQ(ErrLog(), "");
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
        // Each dial twice: the register's turn and its one more turn.
        {"NO CARRIER", "the modem answered NO CARRIER after dialling: 0123", 30},
        {"BUSY", "the modem answered BUSY after dialling: 0123", 30},
        // 30 seconds for the carrier, then the hang-up.
        {"", "no carrier within 30 seconds after dialling: 0123", 85},
    };
    PrepareModem("r1=*F|1:3\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        emu::ModemScript script;
        script.dialAnswer = c.dialAnswer;
        ASSERT_NO_FATAL_FAILURE(StartEmulator(script));
        fs::remove(dir.file("base/err.log"));
        const auto start = std::chrono::steady_clock::now();
        const auto r = Run({"/r:**", "/f:setup.ini", "/l:9", "/w:2"}, 120);
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_LT(took, c.seconds);
        EXPECT_NE(ErrLog().find(" [005] <*F|1:3>"), std::string::npos) << ErrLog();
        EXPECT_NE(Read("base/msg.log").find(c.why), std::string::npos) << Read("base/msg.log");
        // The port itself opened: it is not said to be one that cannot be.
        EXPECT_EQ(Read("base/msg.log").find("cannot be opened"), std::string::npos) << Read("base/msg.log");
        EXPECT_EQ(modem->Calls(), 0);
        EXPECT_TRUE(reg->Commands().empty());
        EXPECT_TRUE(fs::exists(dir.file("base/done.sem")));
        emulator->Stop();
    }
}

}  // namespace
