#pragma once
// Common ground of the link tests: every global of the link back to its
// start-up value, a temporary start folder with a small language file, the
// recording shell, short time-outs, and either fake ports or a register
// emulator on a pseudo-terminal as port 1.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/fake_shell.h"
#include "common/tempdir.h"
#include "core/cassa_conf.h"
#include "core/cash_list.h"
#include "core/globals.h"
#include "emulator/emulator.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/fake_serial.h"
#include "platform/settings.h"

namespace linktest {

inline const char kLanguage[] =
    "[Errori]\r\n4=timeout\r\nNAK=nak\r\nUnrecCmd=unrec\r\nBadChks=badchk\r\n"
    "TooLong=frame too long, not sent\r\nStrayAck=stray ack\r\n"
    "[Msg]\r\n69=port\r\n86=wait\r\n[Msg1]\r\n13=closed\r\n2=please\r\n"
    "[Log]\r\nnoport=cannot open\r\nnoportnum=no such number\r\nportlost=lost\r\n"
    "portheld=held by\r\nmodemnolink=no modem link on\r\nportgroup=group\r\nportjoin=join:\r\n";

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        LinkState = LinkStateRec{};
        Comm = CommGlobals{};
        SerLog = SerLogGlobals{};
        CassaConf = CassaConfRec{};
        Core = CoreGlobals{};
        Core.strStartDir = dir.path();
        Core.strRootDir = dir.path();
        Core.strSetupIni = dir.file("setup.ini");
        Core.strLangFile = dir.file("Testi.ita");
        testsupport::WriteAll(Core.strLangFile, kLanguage);
        CassaConf.P911 = kP911NoDTRWait;
        SetDefTimeouts(0, LinkState);
        InitSerialLog();
        // Frames that arrive unasked are dropped unless a test says otherwise.
        savedParser_ = SetAnswerParser(nullptr);
    }
    void TearDown() override {
        StopSerialLog();
        SetPortFactory({});
        SetAnswerParser(savedParser_);
    }

    // Port 1 becomes a fake port that the test can reach through fake().
    void UseFakePort() {
        SetPortFactory([this](int n) {
            auto port = std::make_unique<platform::FakeSerialPort>(n);
            if (n == 1) fake_ = port.get();
            return port;
        });
        Core.nCommPort = 1;
        ASSERT_TRUE(OpenCommPort());
    }
    platform::FakeSerialPort& fake() { return *fake_; }

    // The trace file's lines without their time stamps ("Tx  (01-...").
    std::vector<std::string> TraceLines() const {
        std::vector<std::string> lines;
        std::string all = testsupport::ReadAll(SerLog.strSerLogFile);
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find("\r\n", start);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(start, end - start);
            lines.push_back(line.size() > 13 ? line.substr(13) : line);
            start = end + 2;
        }
        return lines;
    }

    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
    platform::FakeSerialPort* fake_ = nullptr;
    AnswerParser savedParser_ = nullptr;
};

// The link on port 1 against a register emulator on a pseudo-terminal.
class EmulatorTest : public LinkTest {
protected:
    void Begin(emu::Options options = {}) {
        emulator = std::make_unique<emu::Emulator>(std::move(options));
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
        Core.nCommPort = 1;
        LinkState.bAddressed = emulator->GetOptions().addressed;
        ASSERT_TRUE(OpenCommPort());
        // Generous, as an answer that comes ends the wait at once; the tests
        // of a register that stays silent give up sooner.
        LinkState.sngTOReadAck = 1.0f;
        LinkState.sngTOReadFrame = 1.0f;
    }
    void GiveUpSoon() {
        LinkState.sngTOReadAck = 0.15f;
        LinkState.sngTOReadFrame = 0.3f;
    }
    void TearDown() override {
        SetPortFactory({});  // closes the port before the emulator goes
        if (emulator) emulator->Stop();
        LinkTest::TearDown();
    }
    std::unique_ptr<emu::Emulator> emulator;
};

// "\x04=  0;..." from a hex listing "04 3D 20 ...".
inline std::string Hex(const std::string& listing) {
    std::string out;
    for (size_t i = 0; i + 1 < listing.size(); ++i) {
        if (listing[i] == ' ') continue;
        out += static_cast<char>(std::stoi(listing.substr(i, 2), nullptr, 16));
        ++i;
    }
    return out;
}

}  // namespace linktest
