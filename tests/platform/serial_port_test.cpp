// The termios port over a pseudo-terminal: 8-bit clean in both directions,
// the port-number-to-device mapping, and modem lines the device cannot report.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "common/child_process.h"

#include "emulator/pty.h"
#include "platform/serial.h"
#include "platform/settings.h"

namespace {

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM3", pty.SlavePath()));
    }
    void TearDown() override {
        platform::SaveSetting("Ports", "COM3", "");
        platform::SaveSetting("Ports", "COM6", "");
    }

    std::string ReadMaster(size_t want) {
        std::string out;
        char buf[512];
        for (int i = 0; i < 200 && out.size() < want; ++i) {
            ssize_t n = ::read(pty.MasterFd(), buf, sizeof buf);
            if (n > 0)
                out.append(buf, static_cast<size_t>(n));
            else
                usleep(1000);
        }
        return out;
    }

    emu::Pty pty;
};

TEST(SerialSettings, Parse) {
    platform::SerialSettings s;
    ASSERT_TRUE(platform::ParseSerialSettings("38400,n,8,1", s));
    EXPECT_EQ(s.baud, 38400);
    ASSERT_TRUE(platform::ParseSerialSettings("9600,E,7,2", s));
    EXPECT_EQ(s.parity, 'e');
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.stopBits, 2);
    for (const char* bad : {"", "19200", "19200,n,8", "12345,n,8,1", "19200,x,8,1", "19200,n,9,1",
                            "19200,n,8,3", "19200,n,8,1,1", "abc,n,8,1"})
        EXPECT_FALSE(platform::ParseSerialSettings(bad, s)) << bad;
}

TEST_F(SerialPortTest, EveryByteValuePassesUnchanged) {
    platform::TermiosSerialPort port(3);
    ASSERT_TRUE(port.SetPortOpen(true)) << port.LastError();
    EXPECT_EQ(port.Device(), pty.SlavePath());

    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    ASSERT_EQ(::write(pty.MasterFd(), all.data(), all.size()), 256);
    ASSERT_TRUE(port.WaitInput(1000));
    std::string got;
    for (int i = 0; i < 200 && got.size() < 256; ++i) {
        got += port.Input();
        if (got.size() < 256) port.WaitInput(5);
    }
    EXPECT_EQ(got, all);

    ASSERT_TRUE(port.Output(all));
    for (int i = 0; i < 100 && port.OutBufferCount() > 0; ++i) usleep(1000);
    EXPECT_EQ(ReadMaster(256), all);
}

TEST_F(SerialPortTest, InputCanBeDiscarded) {
    platform::TermiosSerialPort port(3);
    ASSERT_TRUE(port.SetPortOpen(true));
    ASSERT_EQ(::write(pty.MasterFd(), "abc", 3), 3);
    ASSERT_TRUE(port.WaitInput(1000));
    EXPECT_GT(port.InBufferCount(), 0);
    port.SetInBufferCount(0);
    EXPECT_EQ(port.InBufferCount(), 0);
    EXPECT_EQ(port.Input(), "");
}

TEST_F(SerialPortTest, ModemLinesThatCannotBeReportedAreErrors) {
    platform::TermiosSerialPort port(3);
    ASSERT_TRUE(port.SetPortOpen(true));
    bool cd = true;
    EXPECT_FALSE(port.CDHolding(cd));
    EXPECT_FALSE(port.LastError().empty());
    EXPECT_FALSE(port.SetDTREnable(false));
    EXPECT_TRUE(port.DTREnable());  // unchanged
}

TEST_F(SerialPortTest, PropertiesAndRefusals) {
    platform::TermiosSerialPort port(3);
    EXPECT_FALSE(port.SetSettings("19200,n,8"));
    EXPECT_EQ(port.Settings(), "19200,n,8,1");
    ASSERT_TRUE(port.SetSettings("9600,n,8,1"));
    ASSERT_TRUE(port.SetHandshaking(2));
    ASSERT_TRUE(port.SetPortOpen(true));
    EXPECT_FALSE(port.SetPortOpen(true));   // already open
    EXPECT_FALSE(port.SetCommPort(4));      // not while open
    ASSERT_TRUE(port.SetSettings("38400,n,8,1"));  // applied while open
    EXPECT_EQ(port.Tag(), -1);
    ASSERT_TRUE(port.SetPortOpen(false));
    EXPECT_FALSE(port.Output("x"));
    EXPECT_TRUE(port.SetCommPort(4));
    EXPECT_FALSE(port.SetCommPort(17));
}

// A second opening of a held device is refused, the device stays exclusive, another holder is named.
TEST_F(SerialPortTest, AHeldDeviceIsRefusedAndStaysHeld) {
    // The terminal's exclusive mode as another program sees it (EBUSY counts as exclusive).
    auto exclusive = [&] {
        const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return errno == EBUSY ? 1 : -1;
        int on = -1;
        ::ioctl(fd, TIOCGEXCL, &on);
        ::close(fd);
        return on;
    };
    platform::TermiosSerialPort first(3), second(3);
    ASSERT_TRUE(first.SetPortOpen(true));
    EXPECT_EQ(exclusive(), 1);
    EXPECT_FALSE(second.SetPortOpen(true));
    EXPECT_TRUE(second.Held());
    EXPECT_EQ(second.Holder(), "");  // this process itself
    EXPECT_EQ(exclusive(), 1);
    ASSERT_TRUE(first.SetPortOpen(false));
    EXPECT_EQ(exclusive(), 0);

    // Held by a child, a process of this program.
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = childtest::Start([&] {
        platform::TermiosSerialPort holder(3);
        char c = holder.SetPortOpen(true) ? 'y' : 'n';
        if (::write(ready[1], &c, 1) != 1 || ::read(done[0], &c, 1) != 1) return 1;
        return 0;
    });
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_FALSE(second.SetPortOpen(true));
    EXPECT_TRUE(second.Held());
    const std::string named = "pid " + std::to_string(child) + ": " + program_invocation_short_name;
    EXPECT_EQ(second.Holder().substr(0, named.size()), named);
    ASSERT_EQ(::write(done[1], &c, 1), 1);
    EXPECT_EQ(childtest::Wait(child), 0);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
    EXPECT_TRUE(second.SetPortOpen(true));
}

TEST_F(SerialPortTest, ADeviceThatHangsUpIsLostUntilItsPortIsClosed) {
    platform::TermiosSerialPort port(3);
    ASSERT_TRUE(port.SetPortOpen(true));
    EXPECT_FALSE(port.DeviceLost());
    pty.Close();  // the other side goes away, as a pulled adapter does
    EXPECT_TRUE(port.DeviceLost());
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.LastReason(), std::strerror(EIO));
    EXPECT_FALSE(port.Output("x"));
    EXPECT_EQ(port.Input(), "");
    EXPECT_FALSE(port.WaitInput(10));
    ASSERT_TRUE(port.SetPortOpen(false));
    EXPECT_FALSE(port.DeviceLost());
}

TEST_F(SerialPortTest, DeviceComesFromTheSettingsStore) {
    EXPECT_EQ(platform::PortDevice(5), "/dev/ttyS4");
    platform::TermiosSerialPort missing(6);
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM6", "/nonexistent/tty"));
    EXPECT_FALSE(missing.SetPortOpen(true));
    EXPECT_NE(missing.LastError().find("/nonexistent/tty"), std::string::npos);
    EXPECT_EQ(missing.LastReason(), std::strerror(ENOENT));
    EXPECT_FALSE(missing.PortOpen());

    // A file is not a serial device.
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM6", "/dev/null"));
    EXPECT_FALSE(missing.SetPortOpen(true));
    EXPECT_FALSE(missing.PortOpen());
}

}  // namespace
