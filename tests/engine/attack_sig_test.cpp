// What a caller reads after a run that met a stop or a full disk: the error
// log's lines stay whole lines, so that each one names its request.
#include <gtest/gtest.h>

#include <string>

#include "common/child_process.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class AttackSigTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ResetGlobals(); }
    void TearDown() override { testsupport::ResetGlobals(); }
    testsupport::TempDir dir;
};

// A line the full disk takes only part of leaves the log as it was (and goes
// to standard error whole): the next line, of this run or the next, begins a
// line of its own instead of ending the cut one, where a caller would read the
// cut line's request with the next line glued to it.
TEST_F(AttackSigTest, AnErrorLogLineCutByAFullDiskLeavesNoPartOfIt) {
    Core.strLogErrFile = dir.file("err.log");
    const std::string earlier = std::string(248, 'x') + "\r\n";
    WriteAll(Core.strLogErrFile, earlier);
    const LogSubject cut = AboutRegister(0, "#Z", "");
    const LogSubject next = AboutRegister(0, "&L", "1:2");
    testing::internal::CaptureStderr();
    bool written = true;
    childtest::WithFileLimit(300, [&] { written = LogErr(6, cut); });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_NE(said.find(FormatLogErrLine(6, cut)), std::string::npos) << said;
    EXPECT_EQ(ReadAll(Core.strLogErrFile), earlier);
    // Room again: the next line stands alone.
    EXPECT_TRUE(LogErr(6, next));
    EXPECT_EQ(ReadAll(Core.strLogErrFile), earlier + FormatLogErrLine(6, next) + "\r\n");
}

}  // namespace
