// The modem dialogue against a scripted modem on a fake port, on a program
// clock that the waits move on: the command lists of modem.ini, the dial, the
// carrier (the line, or the modem's words on a device without one), the
// hang-up, and what a failed dial leaves in the logs.
#include <cmath>

#include "platform/files.h"
#include "core/texts.h"
#include "link/modem.h"
#include "link/link_fixture.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

using linktest::LinkTest;

// The scripted modem, noting when each write went out on the program clock.
class TimedModem : public platform::FakeModem {
public:
    using FakeModem::FakeModem;
    bool Output(const std::string& bytes) override {
        times.push_back(platform::Timer());
        return FakeModem::Output(bytes);
    }
    std::vector<double> times;
};

// The serial-port opening dials as a command-line run does: no window.
class Dialer : public ModemDialer {
public:
    bool ModemConnected() override { return ::ModemConnected(); }
    void ModemDisconnect() override { ::ModemDisconnect(); }
    bool ShowModemConnection(int16_t index) override {
        return ModemDoConnect(index, [this](const std::string& key) { status.push_back(key); });
    }
    std::vector<std::string> status;
};

class ModemTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        Modem = ModemGlobals{};
        Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
        Core.strModemIni = dir.file("modem.ini");
        Core.strPhoneBookIni = dir.file("PhoneBook.ini");
        Core.strLogErrFile = dir.file("err.log");
        testsupport::WriteAll(Core.strModemIni,
                              "[Init1]\r\nCmd1(2)=ATZ\r\nCmd2(2)=ATE0\r\nCmd1=AT&F\r\nCmd2=ATL1\r\n"
                              "[Connect1]\r\nCmd1=ATX3\r\nDial=ATDT\r\n"
                              "[Disconnect1]\r\nDisconnect=ATH\r\n");
        testsupport::WriteAll(Core.strPhoneBookIni,
                              "[PhoneBook]\r\n1=Office|999\r\n2=Shop|0123\r\n3=Depot| 0456\r\n");
        platform::SetTestTimer([this] { return now; });
        platform::SetTestSleep([this](int32_t ms) { now += ms / 1000.0; });
        CassaConf.P911 = kP911Modem | kP911NoDTRWait;
        Core.nCommPort = 1;
        SetPortFactory([this](int n) {
            auto port = std::make_unique<TimedModem>(n, script);
            if (n == 1) modem = port.get();
            return port;
        });
        SetModemDialer(&dialer);
    }
    void TearDown() override {
        SetModemDialer(nullptr);
        platform::SetTestTimer({});
        platform::SetTestSleep({});
        LinkTest::TearDown();
    }
    // The port open on the modem, nothing dialled yet.
    void OpenUndialled() {
        SetModemDialer(nullptr);
        OpenPort();
        SetModemDialer(&dialer);
        ASSERT_TRUE(modem->PortOpen());
    }
    std::vector<std::string> Writes() const { return modem->Writes(); }

    double now = 1000.0;
    platform::FakeModemScript script;
    TimedModem* modem = nullptr;
    Dialer dialer;
};

TEST_F(ModemTest, AnEntryWithItsOwnInitialisationGetsItTheOthersThePlainList) {
    const struct {
        int16_t entry;
        std::vector<std::string> writes;
    } cases[] = {
        {2, {"ATZ\r", "ATE0\r", "ATX3\r", "ATDT0123\r"}},
        // The number as stored after the "|", blanks and all.
        {3, {"AT&F\r", "ATL1\r", "ATX3\r", "ATDT 0456\r"}},
    };
    SerLog.bSerLogData = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        CassaConf.nPhoneBookIndex = c.entry;
        SetPortFactory([this](int n) {
            auto port = std::make_unique<TimedModem>(n, script);
            modem = port.get();
            return port;
        });
        EXPECT_TRUE(OpenCommPort());
        EXPECT_EQ(Writes(), c.writes);
        EXPECT_EQ(modem->Tag(), c.entry);
        EXPECT_EQ(modem->Handshaking(), 2);
        EXPECT_EQ(dialer.status.back(), "Connected");
        EXPECT_TRUE(ModemConnected());
    }
    // The dialogue stands in the serial trace like the frames.
    bool traced = false;
    for (const std::string& line : TraceLines())
        traced = traced || line.find("ATDT 0456[13]") != std::string::npos;
    EXPECT_TRUE(traced);

    // Connected and the same entry: the next command uses the line as it is.
    modem->ClearWrites();
    EXPECT_TRUE(OpenCommPort());
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(modem->Opens(), 1);
}

TEST_F(ModemTest, AMissingModemFileOrDialCommandIsSaidBeforeAnyWait) {
    const struct {
        const char* file;  // nullptr: no modem.ini
        const char* said;
    } cases[] = {
        {nullptr, "Modem: no call made, the modem commands file is missing: "},
        {"[Init1]\r\nCmd1=ATZ\r\n[Connect1]\r\nCmd1=ATX3\r\n",
         "Modem: no call made, the modem commands file has no dial command ([Connect1] Dial): "},
    };
    OpenUndialled();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        platform::RemoveFile(Core.strModemIni);
        if (c.file) testsupport::WriteAll(Core.strModemIni, c.file);
        modem->ClearWrites();
        const double start = now;
        EXPECT_FALSE(ModemDial("0123", 2));
        EXPECT_EQ(Modem.strFailure, c.said + Core.strModemIni);
        EXPECT_TRUE(Writes().empty());
        EXPECT_EQ(now, start);  // no wait at all
    }
}

TEST_F(ModemTest, OkAnywhereInTheAnswerIsTakenAndNoOkFailsAfterFiveSeconds) {
    script.answers["ATZ"] = "CONNECT OK";
    OpenUndialled();
    EXPECT_TRUE(ModemCmd("ATZ"));

    modem->script.answers["ATZ"] = "ERROR";
    const double start = now;
    EXPECT_FALSE(ModemCmd("ATZ"));
    EXPECT_GE(now - start, kModemCmdTimeout);
    EXPECT_LT(now - start, kModemCmdTimeout + 0.1);

    // In a dial: the lists stop there, nothing is dialled, the failure is said.
    modem->ClearWrites();
    EXPECT_FALSE(ModemDoConnect(2, [](const std::string&) {}));
    EXPECT_EQ(Writes().front(), "ATZ\r");
    for (const std::string& w : Writes()) EXPECT_EQ(w.find("ATD"), std::string::npos) << w;
    ASSERT_FALSE(shell->errors.empty());
    EXPECT_EQ(shell->errors.back().text, "Modem: no \"OK\" within 5 seconds to the command: ATZ");
}

// Every refusal a modem gives to the dial ends the wait for the carrier at
// once, whether or not the device reports the carrier line; the dial hangs up.
TEST_F(ModemTest, EachRefusalOfTheDialEndsTheWaitAtOnce) {
    for (const bool carrierLine : {true, false}) {
        for (const std::string word : {"NO CARRIER", "BUSY", "NO DIALTONE", "NO ANSWER", "ERROR"}) {
            SCOPED_TRACE(word + (carrierLine ? " carrier line" : " words only"));
            script.carrierLine = carrierLine;
            script.dialAnswer = word;
            OpenUndialled();
            modem->script = script;
            const double start = now;
            EXPECT_FALSE(ModemDial("0123", 2));
            EXPECT_EQ(Modem.strFailure, "Modem: the modem answered " + word + " after dialling: 0123");
            EXPECT_LT(now - start, 10.0);  // the hang-up's waits only, not 30 s
            EXPECT_EQ(modem->Commands().back(), "ATH");
        }
    }
}

TEST_F(ModemTest, TheHangUpEscapesAsksToHangUpAndDropsDTRWhileTheCarrierHolds) {
    const struct {
        const char* name;
        const char* disconnect;  // [Disconnect1] section
        std::vector<std::string> writes;
        bool dtrDropped;
    } cases[] = {
        {"hang-up command", "Disconnect=ATH\r\nCmd1=ATZ\r\n", {"+", "+", "+", "ATH\r", "ATZ\r"},
         false},
        // Without one the carrier holds: DTR goes down, and stays down.
        {"no hang-up command", "", {"+", "+", "+"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::WritePrivateProfileStringA("Disconnect1", nullptr, nullptr,
                                             Core.strModemIni.c_str());
        testsupport::WriteAll(Core.strModemIni, testsupport::ReadAll(Core.strModemIni) +
                                                    "[Disconnect1]\r\n" + c.disconnect);
        CassaConf.nPhoneBookIndex = 2;
        ASSERT_TRUE(OpenCommPort());
        modem->ClearWrites();
        modem->times.clear();
        ModemDisconnect();
        EXPECT_EQ(Writes(), c.writes);
        // One "+" at a time, 200 ms apart.
        ASSERT_GE(modem->times.size(), 3u);
        EXPECT_NEAR(modem->times[1] - modem->times[0], 0.2, 1e-6);
        EXPECT_NEAR(modem->times[2] - modem->times[1], 0.2, 1e-6);
        EXPECT_FALSE(ModemConnected());
        EXPECT_EQ(!modem->DTREnable(), c.dtrDropped);
    }
}

TEST_F(ModemTest, TheNextOpeningRaisesDTRAgainSoTheModemListens) {
    testsupport::WriteAll(Core.strModemIni, "[Init1]\r\nCmd1=ATZ\r\n[Connect1]\r\nDial=ATDT\r\n");
    CassaConf.nPhoneBookIndex = 2;
    ASSERT_TRUE(OpenCommPort());
    ModemDisconnect();  // no hang-up command: DTR dropped
    ASSERT_FALSE(modem->DTREnable());
    // The carrier is gone: the next command opens the port and dials again.
    modem->ClearWrites();
    EXPECT_TRUE(OpenCommPort());
    EXPECT_TRUE(modem->DTREnable());
    EXPECT_EQ(Writes(), (std::vector<std::string>{"ATZ\r", "ATDT0123\r"}));
    EXPECT_EQ(modem->Opens(), 2);
}

TEST_F(ModemTest, OnADeviceWithoutCarrierLineTheModemsWordsAreTheCarrier) {
    script.carrierLine = false;
    CassaConf.nPhoneBookIndex = 2;
    ASSERT_TRUE(OpenCommPort());
    bool cd = false;
    EXPECT_FALSE(modem->CDHolding(cd));  // the device cannot tell
    EXPECT_TRUE(ModemConnected());       // "CONNECT" said it

    // The next command finds the line as it was.
    EXPECT_TRUE(OpenCommPort());
    EXPECT_EQ(modem->Opens(), 1);

    // "NO CARRIER" read by the link between frames: the line is gone, the
    // next command opens the port and dials again.
    modem->DropCarrier();
    ReadInput();
    EXPECT_FALSE(ModemConnected());
    modem->ClearWrites();
    EXPECT_TRUE(OpenCommPort());
    EXPECT_EQ(modem->Opens(), 2);
    EXPECT_EQ(Writes().back(), "ATDT0123\r");
}

}  // namespace
