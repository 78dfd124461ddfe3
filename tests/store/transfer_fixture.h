#pragma once
// Common ground of the transfer tests: a register folder in a temporary
// folder, the shipped language file, the recording shell, the request state
// and send counters at their start-up values, and a fake serial port that
// records the acknowledgements the procedures send.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/fake_shell.h"
#include "common/record_text.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "link/frames.h"
#include "link/port.h"
#include "platform/fake_serial.h"
#include "platform/files.h"

namespace transfertest {

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strRootDir = dir.path();
        Core.strCashDir = dir.file("Cassa1");
        platform::MakeDir(Core.strCashDir);
        Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
        CassaConf.P911 = kP911NoDTRWait;
        ConfigLevel.InitOffLine(3, "V014057");  // DRAVO57
        SetPortFactory([this](int n) {
            auto port = std::make_unique<platform::FakeSerialPort>(n);
            if (n == 1) port_ = port.get();
            return port;
        });
        Core.nCommPort = 1;
        ASSERT_TRUE(OpenCommPort());
    }
    void TearDown() override {
        SetPortFactory({});
        testsupport::ResetGlobals();
        while (OpenFileCount() > 0)
            for (int16_t n = 1; n <= 255; ++n) CloseFileNumber(n);
    }

    // How many acknowledgements went out on the line.
    int Acks() const {
        int n = 0;
        for (const std::string& w : port_->Writes()) n += w == std::string(1, ACK);
        return n;
    }
    std::string CashFile(const std::string& name) const {
        return platform::JoinPath(Core.strCashDir, name);
    }
    // A "C" line as the dispatcher leaves it for the data procedure.
    void Line(const std::string& data) { AnswerRec.strAnsData = data; }

    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
    platform::FakeSerialPort* port_ = nullptr;
};

using testsupport::text::Blanks;
using testsupport::text::Zeros;

}  // namespace transfertest
