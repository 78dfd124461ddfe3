// Link settings, time-outs and the opening of the port, against fake ports.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "core/texts.h"
#include "core/work_record.h"
#include "emulator/pty.h"
#include "link/cmd_queue.h"
#include "link/link_fixture.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "core/link_state.h"

namespace {

using linktest::LinkTest;

struct Timeouts {
    float readFrame, waitAnswer, readAck, bulk, poll;
};

Timeouts Of(const LinkStateRec& r) {
    return {r.sngTOReadFrame, r.sngTOWaitAnswer, r.sngTOReadAck, r.sngTOBulk, r.sngTOPoll};
}

void ExpectTimeouts(const LinkStateRec& r, Timeouts t) {
    EXPECT_FLOAT_EQ(r.sngTOReadFrame, t.readFrame);
    EXPECT_FLOAT_EQ(r.sngTOWaitAnswer, t.waitAnswer);
    EXPECT_FLOAT_EQ(r.sngTOReadAck, t.readAck);
    EXPECT_FLOAT_EQ(r.sngTOBulk, t.bulk);
    EXPECT_FLOAT_EQ(r.sngTOPoll, t.poll);
}

TEST(SetDefTimeouts, ByConnectionType) {
    LinkStateRec r;
    ExpectTimeouts(r, {0, 0, 0, 0, 0});
    SetDefTimeouts(0, r);
    ExpectTimeouts(r, {1.0f, 3.0f, 0.2f, 1.0f, 0.3f});
    r.bTestMode = true;
    SetDefTimeouts(0, r);
    ExpectTimeouts(r, {1.0f, 0.1f, 0.2f, 1.0f, 0.3f});
    SetDefTimeouts(1, r);
    ExpectTimeouts(r, {5.0f, 5.0f, 5.0f, 5.0f, 3.0f});
    SetDefTimeouts(2, r);
    ExpectTimeouts(r, {5.0f, 5.0f, 5.0f, 5.0f, 3.0f});
    SetDefTimeouts(-1, r);
    ExpectTimeouts(r, Of(r));
}

class PortTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        SetPortFactory([this](int n) {
            auto port = std::make_unique<platform::FakeSerialPort>(n);
            made[n] = port.get();
            return port;
        });
        Core.nCommPort = 1;
        Core.nOpenCash = 2;
    }
    void TearDown() override {
        SetModemDialer(nullptr);
        LinkTest::TearDown();
    }
    platform::FakeSerialPort* made[17] = {};
};

TEST_F(PortTest, LoadCommConf) {
    const std::string config = dir.file("config.ini");
    platform::WriteProfileString("Communication", "baud", "3", Core.strSetupIni);
    platform::WriteProfileString("Communication", "DTRDelay", "250", Core.strSetupIni);
    platform::WriteProfileString("Communication", "DTRDelay", "999", config);  // never read
    LoadCommConf();
    EXPECT_EQ(Comm.nBaud, 3);
    EXPECT_EQ(Comm.nDTRDelay, 250);

    platform::WriteProfileString("Communication", "baud", "0", config);
    LoadCommConf();
    EXPECT_EQ(Comm.nBaud, 0);
    OpenPort();
    EXPECT_EQ(made[1]->Settings(), "19200,n,8,1");

    testsupport::WriteAll(config, "");
    testsupport::WriteAll(Core.strSetupIni, "");
    LoadCommConf();
    EXPECT_EQ(Comm.nBaud, 2);
    EXPECT_EQ(Comm.nDTRDelay, 0);

    Comm.nBaud = 1;
    SaveBaud();
    EXPECT_EQ(platform::ProfileString("Communication", "baud", "", config), "1");
}

TEST_F(PortTest, OpenedOnlyWhenSomethingChanged) {
    Comm.nBaud = 2;
    OpenPort();
    OpenPort();
    auto* port = made[1];
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->Opens(), 1);
    EXPECT_EQ(port->Closes(), 0);
    EXPECT_EQ(port->Handshaking(), 0);
    EXPECT_TRUE(Comm.bPortOpen);
    EXPECT_EQ(CurrentPort(), port);

    CassaList[2].bConnected = True;
    Comm.nBaud = 3;
    OpenPort();
    EXPECT_EQ(port->Opens(), 2);
    EXPECT_EQ(port->Closes(), 1);
    EXPECT_EQ(port->Settings(), "38400,n,8,1");
    EXPECT_EQ(CassaList[2].bConnected, False);

    // Another register on port 2, then back to port 1, still open: no re-open,
    // and the link is usable whatever happened on port 2.
    SetPortFactory([this](int n) {
        auto port = std::make_unique<platform::FakeSerialPort>(n);
        if (n == 2) port->SetFailOpen(true);
        made[n] = port.get();
        return port;
    });
    Core.nCommPort = 1;
    OpenPort();
    Core.nCommPort = 2;
    OpenPort();
    EXPECT_FALSE(Comm.bPortOpen);
    Core.nCommPort = 1;
    OpenPort();
    EXPECT_TRUE(Comm.bPortOpen);
    EXPECT_EQ(made[1]->Opens(), 1);
}

// A port that cannot open: one error in the progress window, a failure of
// the run, an error-log line and the message log naming the device and the
// system's reason; nothing can be written to it.
TEST_F(PortTest, APortThatCannotOpenIsReportedWithItsDeviceAndTheSystemsReason) {
    Core.strLogErrFile = dir.file("errors.log");
    Texts = TextsGlobals{};
    Work = WorkRecord{};
    const std::string missing = dir.file("no/such/tty");
    const std::string plain = dir.file("plain.txt");
    testsupport::WriteAll(plain, "");
    // A device that members of a group may use (as dialout's serial ports).
    const std::string grouped = dir.file("ttyGROUP");
    testsupport::WriteAll(grouped, "");
    const group* dialout = ::getgrnam("dialout");
    ASSERT_TRUE(dialout);
    ASSERT_EQ(::chown(grouped.c_str(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(grouped.c_str(), 0660), 0);
    // A device that another run of the program holds.
    emu::Pty pty;
    ASSERT_TRUE(pty.Open());
    const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const struct {
        const char* name;
        bool fake;          // a fake port refusing with a permission denied; else the device
        std::string device;  // [Ports] COM1
        int16_t port;
        std::string error;  // the progress window's line, the message log's too
        bool mendable = false;  // by running the job again; else by the machine's setup
        bool unreadable = false;  // the settings file that names the device cannot be read
    } cases[] = {
        {"missing device", false, missing, 1, "cannot open COM1 (" + missing + "): No such file or directory", true},
        {"no serial device", false, plain, 1, "cannot open COM1 (" + plain + "): Inappropriate ioctl for device"},
        {"permission denied, a group gives access", true, grouped, 1,
         "cannot open COM1 (" + grouped + "): Permission denied. group dialout, join: "
         "sudo usermod -aG dialout $USER"},
        {"permission denied, no group known", true, "/dev/ttyUSB0", 1, "cannot open COM1 (/dev/ttyUSB0): Permission denied"},
        {"permission denied, no group gives access", true, plain, 1, "cannot open COM1 (" + plain + "): Permission denied"},
        {"no such port number", false, missing, 20, "cannot open COM20: no such number"},
        {"settings file cannot be read", false, plain, 1,
         "cannot open COM1: the device of COM1 is unknown: the settings file " + platform::SettingsFile() +
             " cannot be read (over 16 MB, or not a readable file)",
         false, true},
        // Held: running the job again at once does not mend it either.
        {"held by another run", false, pty.SlavePath(), 1, "port held by COM1 (" + pty.SlavePath() + ")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fake)
            SetPortFactory([](int n) {
                auto port = std::make_unique<platform::FakeSerialPort>(n);
                port->SetFailOpen(true, "Permission denied", EACCES);
                return port;
            });
        else
            SetPortFactory({});
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", c.device));
        Core.nCommPort = c.port;
        const int32_t failures = Work.standing, mendable = Work.mendable;
        const std::string log = testsupport::ReadAll(Core.strLogErrFile);

        const size_t errors = shell->errors.size();
        if (c.unreadable) std::filesystem::resize_file(platform::SettingsFile(), platform::kProfileMaxBytes + 1);
        EXPECT_FALSE(OpenCommPort());
        if (c.unreadable) std::filesystem::resize_file(platform::SettingsFile(), 0);
        ASSERT_EQ(shell->errors.size(), errors + 1);
        EXPECT_EQ(shell->errors.back().text, c.error);
        EXPECT_TRUE(shell->errors.back().registerPrefix);
        EXPECT_EQ(Work.standing, failures + 1);
        EXPECT_EQ(Work.mendable, mendable + (c.mendable ? 1 : 0));
        LinkState.TxFrame = "x";
        EXPECT_FALSE(WriteOutput());
        const std::string added = testsupport::ReadAll(Core.strLogErrFile).substr(log.size());
        EXPECT_NE(added.find("[005]"), std::string::npos) << added;
        const std::string msgLog = testsupport::ReadAll(dir.file("msg.log"));
        EXPECT_EQ(msgLog.substr(msgLog.size() - c.error.size() - 2), c.error + "\r\n");
    }

    // Once for the register whose commands cannot go out, however many ticks pass.
    Texts = TextsGlobals{};
    Work = WorkRecord{};
    CmdQueue = CmdQueueState{};
    Core.nCommPort = 1;
    for (std::string text : {"*2;+4;*F;*3;", "*2;+4;&L1:99;#H;*3;"}) AddCmd(text, 1, 2.5f, "");
    for (int tick = 0; tick < 6; ++tick) QueueTick();
    EXPECT_EQ(Work.standing, 1);
    CmdQueue = CmdQueueState{};
    platform::SaveSetting("Ports", "COM1", "");
    ::close(holder);
}

// The settings store names a new device for the port (the emulator
// restarted on another pseudo-terminal): the next opening takes it, whether
// the old one is still there or gone, and no loss is reported.
TEST_F(PortTest, ANewDeviceNamedInTheSettingsIsTakenAtTheNextOpening) {
    SetPortFactory({});
    for (bool oldGone : {false, true}) {
        SCOPED_TRACE(oldGone ? "old device gone" : "old device still there");
        emu::Pty before, after;
        std::string error;
        ASSERT_TRUE(before.Open(&error) && after.Open(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", before.SlavePath()));
        OpenPort();
        ASSERT_TRUE(Comm.bPortOpen);
        EXPECT_EQ(CurrentPort()->Device(), before.SlavePath());
        if (oldGone) before.Close();
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", after.SlavePath()));
        const size_t errors = shell->errors.size();
        OpenPort();
        EXPECT_TRUE(Comm.bPortOpen);
        EXPECT_EQ(CurrentPort()->Device(), after.SlavePath());
        EXPECT_EQ(shell->errors.size(), errors);
        CurrentPort()->SetPortOpen(false);
    }
    platform::SaveSetting("Ports", "COM1", "");
}

class FakeDialer : public ModemDialer {
public:
    bool ModemConnected() override { return connected; }
    void ModemDisconnect() override {
        ++hangups;
        connected = false;
    }
    bool ShowModemConnection(int16_t entry) override {
        dialled.push_back(entry);
        connected = answer;
        return answer;
    }
    bool answer = true;
    bool connected = false;
    int hangups = 0;
    std::vector<int> dialled;
};

TEST_F(PortTest, ModemLine) {
    FakeDialer dialer;
    SetModemDialer(&dialer);
    CassaConf.P911 = kP911Modem | kP911NoDTRWait;
    CassaConf.nPhoneBookIndex = 4;
    OpenPort();
    auto* port = made[1];
    EXPECT_TRUE(Comm.bPortOpen);
    EXPECT_EQ(port->Handshaking(), 2);
    EXPECT_EQ(port->Tag(), 4);
    EXPECT_EQ(dialer.dialled, std::vector<int>{4});

    port->SetCarrier(true);
    OpenPort();  // carrier holding, same entry: nothing happens
    EXPECT_EQ(port->Opens(), 1);

    CassaList[2].bConnected = True;
    port->SetCarrier(false);  // carrier lost
    dialer.answer = false;
    OpenPort();
    EXPECT_EQ(dialer.hangups, 1);
    EXPECT_EQ(port->Closes(), 1);
    EXPECT_EQ(port->Opens(), 2);
    EXPECT_EQ(dialer.dialled.size(), 2u);
    EXPECT_FALSE(Comm.bPortOpen);
    EXPECT_EQ(CassaList[2].bConnected, False);

    // Another phone-book entry re-opens too.
    dialer.answer = true;
    OpenPort();
    port->SetCarrier(true);
    CassaConf.nPhoneBookIndex = 5;
    OpenPort();
    EXPECT_EQ(port->Tag(), 5);
    EXPECT_EQ(port->Opens(), 4);
}

TEST_F(PortTest, ModemLineOnDeviceWithoutCarrierIsNeverTakenAsConnected) {
    FakeDialer dialer;
    SetModemDialer(&dialer);
    CassaConf.P911 = kP911Modem | kP911NoDTRWait;
    OpenPort();
    made[1]->SetNoModemLines(true);
    OpenPort();
    EXPECT_EQ(made[1]->Opens(), 2);
    bool cd = true;
    EXPECT_FALSE(made[1]->CDHolding(cd));
    EXPECT_FALSE(made[1]->LastError().empty());
}

TEST_F(PortTest, ModemLineWithoutModemWindowStaysClosed) {
    CassaConf.P911 = kP911Modem | kP911NoDTRWait;
    EXPECT_FALSE(OpenCommPort());
    // The port opened: it is the modem link that is missing, not the port.
    ASSERT_FALSE(shell->errors.empty());
    EXPECT_EQ(shell->errors.back().text.rfind("no modem link on COM1 (", 0), 0u) << shell->errors.back().text;
    EXPECT_EQ(testsupport::ReadAll(dir.file("msg.log")).find("port closed"), std::string::npos);
}

TEST_F(PortTest, DTRWait) {
    Comm.nDTRDelay = 40;
    CassaConf.P911 = 0;
    const double start = platform::Timer();
    OpenPort();
    EXPECT_GE(platform::Timer() - start, 0.04);
    EXPECT_EQ(shell->statusTexts, std::vector<std::string>{"wait - please"});

    shell->statusTexts.clear();
    Comm.nBaud = 3;  // forces a re-open
    CassaConf.P911 = kP911NoDTRWait;
    OpenPort();
    EXPECT_TRUE(shell->statusTexts.empty());

    // An abort (a stop the same) that comes during a long delay cuts it short.
    int32_t slept = 0;
    platform::SetTestTimer([&] { return slept / 1000.0; });
    platform::SetTestSleep([&](int32_t ms) {
        slept += ms;
        if (slept >= 200) LinkState.AbortRequest = true;
    });
    Comm.nDTRDelay = 600000;
    Comm.nBaud = 1;
    CassaConf.P911 = 0;
    OpenPort();
    EXPECT_EQ(slept, 200);
    platform::SetTestTimer({});
    platform::SetTestSleep({});
}

TEST_F(PortTest, KeptBytesAreInputToo) {
    OpenPort();
    EXPECT_FALSE(InputPending());
    Comm.strRxKeep = "ab";
    made[1]->Feed("cd");
    EXPECT_TRUE(InputPending());
    EXPECT_EQ(ReadInput(), "abcd");
    Comm.strRxKeep = "ab";
    made[1]->Feed("cd");
    FlushInput();
    EXPECT_FALSE(InputPending());
}

}  // namespace
