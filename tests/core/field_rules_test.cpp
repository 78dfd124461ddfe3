// How the setup editors take typed values, and the meal-ticket deletion
// request.
#include "core/field_rules.h"

#include <gtest/gtest.h>

#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"

namespace {

class FieldRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strRootDir = dir.path();
        Core.strLangFile = dir.file("Testi.eng");
        testsupport::WriteAll(Core.strLangFile,
                              "[Msg]\r\n8=Range limits\r\notherfolder=Busy\r\n[Msg1]\r\n6=not valid\r\n");
    }
    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
};

// The edges the editors' own tests cannot type: amounts past what the
// program can hold, and numbers of twelve digits.
TEST_F(FieldRulesTest, AmountsThatDoNotFitAreRefusedNotTakenAsZero) {
    Numbers.strDecSep = ",";
    SetCurrencyDecimals(2);
    int64_t v = -7;
    EXPECT_FALSE(fields::TakeAmount("99999999999", 0, 999999999, v));
    EXPECT_FALSE(fields::TakeAmount("21474836,48", 0, 2147483647, v));  // one past StrToCur
    EXPECT_TRUE(fields::TakeAmount("21474836,47", 0, 2147483647, v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_FALSE(fields::TakeAmount("abc", 0, 99, v));  // no number: refused, value left alone
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(fields::TakeNumber("999999999999", 1, 999999999999, v));
    EXPECT_EQ(v, 999999999999);
    EXPECT_TRUE(fields::TakeNumber("7,5", 0, 999, v));
    EXPECT_EQ(v, 8);
    EXPECT_FALSE(fields::TakeNumber("999,6", 0, 999, v));
}

// A typed number is read whole or refused; an amount takes "." or ","
// whatever the system's separator.
TEST_F(FieldRulesTest, TypedNumbersAreReadWholeOrRefused) {
    SetCurrencyDecimals(2);
    const struct {
        const char* sep;
        const char* typed;
        bool amount;    // TakeAmount, else TakeWhole
        int64_t value;  // -1: refused
    } cases[] = {
        {".", "12,50", true, 1250}, {".", "12.50", true, 1250}, {",", "12.5", true, 1250},
        {",", "12,50", true, 1250}, {".", "", true, 0},         {".", "abc", true, -1},
        {".", "1.2.3", true, -1},   {",", "1,2.3", true, -1},   {".", "12abc", true, -1},
        {".", "12", false, 12},     {".", "", false, 0},         {".", "12abc", false, -1},
        {".", "1,5", false, -1},    {",", "2,0", false, 2},     {".", "x", false, -1},
        {".", "1000", false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sep) + " " + c.typed);
        Numbers.strDecSep = c.sep;
        int64_t v = -7;
        const bool ok = c.amount ? fields::TakeAmount(c.typed, 0, 99999, v) : fields::TakeWhole(c.typed, 0, 999, v);
        EXPECT_EQ(ok, c.value >= 0);
        EXPECT_EQ(v, c.value >= 0 ? c.value : -7);
    }
}

TEST_F(FieldRulesTest, RatesNamesAndRanges) {
    Numbers.strDecSep = ",";
    EXPECT_EQ(fields::RateText(1.5), "000001,50000000");
    EXPECT_EQ(fields::RateText(1936.27), "001936,27000000");
    EXPECT_EQ(fields::RateText(1000000), "1000000,00000000");  // too long for the file: refused by the caller
    EXPECT_EQ(fields::WireSafe("EUR:1;x\t"), "EUR 1 x ");

    EXPECT_TRUE(fields::TestLimiti("1", "255", 1, 255));
    EXPECT_TRUE(fields::TestLimiti("200", "3", 1, 255));
    EXPECT_EQ(shell->status, "");
    EXPECT_FALSE(fields::TestLimiti("0", "3", 1, 255));
    EXPECT_EQ(shell->status, "Range limits - not valid");
    EXPECT_FALSE(fields::TestLimiti("1", "x", 1, 255));

    LinkState.nCurCash = 1;
    EXPECT_FALSE(fields::EditorFolderReady());
    EXPECT_EQ(shell->status, "Busy");
    Core.nOpenCash = 1;
    EXPECT_TRUE(fields::EditorFolderReady());
}

}  // namespace
