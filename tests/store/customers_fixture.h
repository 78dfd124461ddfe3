#pragma once
// A register folder in a temporary folder, the globals at their start-up
// values, the table sizes the checks use and a recording shell.
#include <gtest/gtest.h>

#include <string>

#include "common/fake_shell.h"
#include "common/record_text.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"

namespace customerstest {

class CustomersTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strCashDir = dir.file("Cassa1");
        platform::MakeDir(Core.strCashDir);
        ConfigLevel.InitOffLine(3, "V014057");  // DRAVO57
        Sizes.nMaxFunMul = 250;
        Sizes.nMaxClientG = 255;
    }
    void TearDown() override { testsupport::ResetGlobals(); }

    std::string CashFile(const std::string& name) const {
        return platform::JoinPath(Core.strCashDir, name);
    }

    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
};

using testsupport::text::Blanks;

// The sample customer of every generation: code 123, first description
// "STORE 1", price list 0, VAT code 1, multiple function 0, credit 1250,
// flag 0; on types 3 and 4 group 5, tax identification ABCDEF12G34H567I;
// on type 4 loyalty line 1 and 150 points.
inline std::string SampleBase() {
    return "         123" "STORE 1" + Blanks(23) + Blanks(30) + "01" "0  " "1250    " "0  ";
}

}  // namespace customerstest
