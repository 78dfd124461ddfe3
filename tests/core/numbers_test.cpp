#include "core/numbers.h"

#include <filesystem>
#include <string>

#include "core/core_fixture.h"

namespace {

using testsupport::WriteAll;

class NumbersTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Core.strSetupIni = dir.file("setup.ini");
    }
    std::string ConfigValue() {
        return platform::ProfileString("Locale", "CurrencyDecimals", "<absent>", ConfigIni());
    }
};

TEST_F(NumbersTest, CurrencyDecimalsFromConfigIniThenSetupIni) {
    struct Case {
        const char* setup;   // CurrencyDecimals in setup.ini, nullptr: absent
        const char* config;  // and in config.ini
        int32_t scale;
        const char* format;
        const char* stored;  // in config.ini afterwards
    } cases[] = {
        {"2", nullptr, 100, "0.00", "2"},
        {"2", "3", 1000, "0.000", "3"},
        {nullptr, nullptr, 1, "0", "0"},
        {nullptr, "12", 1, "0", "0"},  // no scale can hold it: no decimals
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setup ? c.setup : "-") + "/" + (c.config ? c.config : "-"));
        std::filesystem::remove(dir.file("setup.ini"));
        std::filesystem::remove(dir.file("config.ini"));
        if (c.setup) WriteAll(dir.file("setup.ini"), std::string("[Locale]\r\nCurrencyDecimals=") + c.setup);
        if (c.config) WriteAll(dir.file("config.ini"), std::string("[Locale]\r\nCurrencyDecimals=") + c.config);
        if (!c.config) {
            EXPECT_EQ(GetCurrencyDecimals(), -1);
        }
        InitCurrency();
        EXPECT_EQ(Numbers.nCurrScale, c.scale);
        EXPECT_EQ(Numbers.strCurrFmt, c.format);
        EXPECT_EQ(ConfigValue(), c.stored);
    }
    // Outside 0 to 9 a new value is refused and the scale stays.
    ASSERT_TRUE(SetCurrencyDecimals(9));
    EXPECT_EQ(Numbers.nCurrScale, 1000000000);
    EXPECT_FALSE(SetCurrencyDecimals(10));
    EXPECT_FALSE(SetCurrencyDecimals(-1));
    EXPECT_EQ(Numbers.nCurrScale, 1000000000);
    EXPECT_EQ(ConfigValue(), "9");
    EXPECT_EQ(GetCurrencyDecimals(), 9);
}

TEST_F(NumbersTest, CurrencyTextsWithBothSeparators) {
    struct Case {
        const char* sep;
        int16_t decimals;
        const char* text;
        int32_t amount;
    };
    const Case cases[] = {
        {",", 2, "12,5", 1250},     {".", 2, "12.5", 1250},    {",", 2, "12.5", 0},
        {".", 2, "12,5", 0},        {",", 2, " -3,25 ", -325}, {",", 2, "abc", 0},
        {",", 2, "", 0},            {",", 2, ",", 0},          {",", 2, ",5", 50},
        {",", 2, "7,", 700},        {",", 2, "1e3", 0},        {",", 2, "1 000", 0},
        {".", 0, "2.5", 2},         {".", 0, "3.5", 4},        {".", 0, "2.51", 3},
        {".", 2, "1.015", 102},     {".", 2, "1.005", 100},    {".", 2, "-2.345", -234},
        {".", 2, "21474836.47", 2147483647},
        {".", 2, "21474836.48", 0},                                // overflow
        {".", 2, "-21474836.48", -2147483647 - 1},
        {".", 0, "99999999999", 0},
    };
    for (const Case& c : cases) {
        Numbers.strDecSep = c.sep;
        ASSERT_TRUE(SetCurrencyDecimals(c.decimals));
        EXPECT_EQ(StrToCur(c.text), c.amount) << c.sep << " " << c.text;
    }
}

TEST_F(NumbersTest, CurToStrUsesTheFormatAndSeparator) {
    struct Case {
        const char* sep;
        int16_t decimals;
        double amount;
        const char* text;
    };
    const Case cases[] = {
        {",", 2, 1250, "12,50"}, {".", 2, 1250, "12.50"}, {".", 2, 5, "0.05"},
        {",", 2, -1250, "-12,50"}, {".", 0, 1250, "1250"}, {".", 3, 1, "0.001"},
        {".", 2, 0, "0.00"}, {".", 2, 2147483647, "21474836.47"},
        {".", 2, -2147483648.0, "-21474836.48"}, {",", 2, 1250.6, "12,51"},
    };
    for (const Case& c : cases) {
        Numbers.strDecSep = c.sep;
        ASSERT_TRUE(SetCurrencyDecimals(c.decimals));
        EXPECT_EQ(CurToStr(c.amount), c.text);
    }
}

TEST_F(NumbersTest, DecimalTextsAreExact) {
    struct Case {
        const char* sep;
        int32_t value;
        int16_t decimals;
        const char* text;
    };
    const Case cases[] = {
        {".", 1250, 2, "12.50"},        {",", 1250, 2, "12,50"},
        {".", 5, 0, "5."},              {".", 7, 3, "0.007"},
        {".", -7, 3, "-0.007"},         {".", 16777217, 2, "167772.17"},
        {",", 2147483647, 4, "214748,3647"},
        {".", -2147483647 - 1, 0, "-2147483648."},
    };
    for (const Case& c : cases) {
        Numbers.strDecSep = c.sep;
        EXPECT_EQ(DecToStr(c.value, c.decimals), c.text);
        EXPECT_EQ(StrToDec(c.text, c.decimals), c.value) << c.text;
    }
    EXPECT_EQ(DecToStr(1, -1), "0");
    Numbers.strDecSep = ".";
    EXPECT_EQ(StrToDec("0.125", 2), 12);  // half to even
    EXPECT_EQ(StrToDec("0.135", 2), 14);
    EXPECT_EQ(StrToDec("x", 2), 0);
    EXPECT_EQ(StrToDec("1", -1), 0);
}

TEST_F(NumbersTest, StrToDblAndSngFollowTheSeparator) {
    Numbers.strDecSep = ",";
    EXPECT_DOUBLE_EQ(StrToDbl("12,25"), 12.25);
    EXPECT_DOUBLE_EQ(StrToDbl("-0,5"), -0.5);
    EXPECT_DOUBLE_EQ(StrToDbl("12.25"), 0);
    EXPECT_FLOAT_EQ(StrToSng("+3,5"), 3.5f);
    Numbers.strDecSep = ".";
    EXPECT_DOUBLE_EQ(StrToDbl("12.25"), 12.25);
    EXPECT_DOUBLE_EQ(StrToDbl("12x"), 0);
    EXPECT_FLOAT_EQ(StrToSng(""), 0);
}

TEST_F(NumbersTest, InitDecSepGivesOneCharacter) {
    InitDecSep();
    ASSERT_EQ(Numbers.strDecSep.size(), 1u);
    EXPECT_TRUE(Numbers.strDecSep == "." || Numbers.strDecSep == ",");
}

TEST_F(NumbersTest, CutDescrFollowsTheModel) {
    const std::string text35(35, 'd');
    Model(5);
    EXPECT_EQ(CutDescr(text35), std::string(30, 'd'));
    EXPECT_EQ(CutDescr(""), " ");
    EXPECT_EQ(CutDescr("short"), "short");
    Model(7);
    EXPECT_EQ(CutDescr(text35), std::string(21, 'd'));
    EXPECT_EQ(CutDescr(std::string(21, 'e')), std::string(21, 'e'));
}

TEST_F(NumbersTest, LongToCharsLeastSignificantFirst) {
    EXPECT_EQ(LongToChars(258, 2), std::string("\x02\x01", 2));
    EXPECT_EQ(LongToChars(258, 1), std::string("\x02", 1));
    EXPECT_EQ(LongToChars(16909060, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(LongToChars(255, 3), std::string("\xFF\x00\x00", 3));
    EXPECT_EQ(LongToChars(-1, 2), std::string("\xFF\xFF", 2));
}

TEST_F(NumbersTest, ReplaceChr) {
    EXPECT_EQ(ReplaceChr("__/__/__", "_", "0"), "00/00/00");
    EXPECT_EQ(ReplaceChr("abc", "ab", "x"), "abc");
    EXPECT_EQ(ReplaceChr("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceChr("a.b", ".", ""), "ab");
    EXPECT_EQ(ReplaceChr("a:b:c", ":", "--"), "a--b--c");
    EXPECT_EQ(ReplaceChr("aAa", "A", "x"), "axa");
}

}  // namespace
