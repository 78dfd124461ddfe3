#pragma once
// Common ground of the register-list, options-record and folder-opening
// tests: every global they touch back to its start-up value, and a temporary
// base folder.
#include <gtest/gtest.h>

#include <string>

#include "common/tempdir.h"
#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "editors/setup/keyboard.h"
#include "link/cmd_queue.h"
#include "link/hello_rec.h"
#include "link/link_state.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace coretest {

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Core = CoreGlobals{};
        Texts = TextsGlobals{};
        CassaList = {};
        LinkState = LinkStateRec{};
        HelloRec = HelloRecT{};
        udtCassaConf = CassaConfRec{};
        udtCassaConfSaved = CassaConfRec{};
        CassaFile = CassaFileValues{};
        Keyb = KeyboardGlobals{};
        Sizes = TableSizes{};
        CmdQueue = CmdQueueState{};
        ConfigLevel = ConfigLevelClass{};
        Core.strRootDir = dir.path();
    }
    void TearDown() override { ConfigLevel = ConfigLevelClass{}; }

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
