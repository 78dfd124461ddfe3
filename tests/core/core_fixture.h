#pragma once
// Common ground of the register-list, options-record and folder-opening
// tests: every global they touch back to its start-up value, and a temporary
// base folder.
#include <gtest/gtest.h>

#include <string>

#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace coretest {

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strRootDir = dir.path();
    }
    void TearDown() override { testsupport::ResetGlobals(); }

    void Model(int16_t n) { ConfigLevel.InitOffLine(n, "V014057"); }
    std::string ConfigIni() const { return platform::JoinPath(Core.strRootDir, "config.ini"); }
    std::string MsgLog() const {
        return testsupport::ReadAll(platform::JoinPath(Core.strRootDir, "msg.log"));
    }
    std::string CashFile(const std::string& name) const {
        return platform::JoinPath(Core.strCashDir, name);
    }

    testsupport::TempDir dir;
};

}  // namespace coretest
