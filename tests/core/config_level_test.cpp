#include "core/config_level.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ConfigLevelTest : public ::testing::Test {
protected:
    void TearDown() override { ConfigLevel = ConfigLevelClass{}; }

    static void Model(int16_t number, int idx = 0, const std::string& release = "") {
        ConfigLevel = ConfigLevelClass{};
        ConfigLevel.InitOffLine(number, "V014057");
        ConfigLevel.SetCashVersion(idx, release);
    }
};

struct ModelRow {
    int16_t number;
    const char* key;
    int16_t maxTabIva, deptVat, helloType, p019, p312, p911;
    const char* layout;
    int16_t nKeybConf, maxDescr, charsPerLine;
    char family;  // 'L', 'T', 'N'
};

// Every model number, with the values that depend on the model only.
const ModelRow kModels[] = {
    {1, "LX4100", 4, 4, 0, 0, 0, 130, "0", 2, 30, 14, 'L'},
    {2, "KWT1900", 5, 5, 0, 0, 0, 128, "0", 2, 30, 14, 'T'},
    {3, "DRAVO57", 5, 5, 1, 32, 0, 136, "1", 2, 21, 9, 'N'},
    {4, "DRAVO57", 5, 5, 1, 32, 0, 136, "1", 2, 21, 9, 'N'},
    {5, "TAV3800", 5, 5, 0, 0, 0, 128, "0", 3, 30, 14, 'T'},
    {6, "QUENTARO", 4, 9, 0, 0, 124, 128, "0", 3, 30, 14, 'T'},
    {7, "VELTA7300", 4, 9, 0, 0, 124, 128, "1", 2, 21, 14, 'T'},
    {8, "ORBA", 4, 9, 0, 0, 124, 128, "0", 3, 30, 14, 'T'},
    {9, "TIMBREL", 5, 5, 1, 32, 0, 128, "1", 1, 21, 9, 'N'},
    {10, "NAVOSK", 5, 5, 1, 32, 0, 128, "0", 3, 30, 9, 'N'},
    {11, "ZANDORE", 5, 5, 1, 32, 0, 136, "2", 1, 30, 9, 'N'},
    {12, "MERIDOTAN", 5, 5, 1, 32, 0, 136, "3", 4, 30, 9, 'N'},
};

TEST_F(ConfigLevelTest, PerModelValuesOfAllModels) {
    for (const ModelRow& m : kModels) {
        SCOPED_TRACE(m.number);
        Model(m.number);
        EXPECT_EQ(ConfigLevel.CashType(), m.key);
        EXPECT_EQ(ConfigLevel.CashTypen(), m.number);
        EXPECT_EQ(ConfigLevel.GetMaxTabIva(), m.maxTabIva);
        EXPECT_EQ(ConfigLevel.GetDeptVATDefault(), m.deptVat);
        EXPECT_EQ(ConfigLevel.GetHelloTypeDefault(), m.helloType);
        EXPECT_EQ(ConfigLevel.GetP019Default(0), m.p019);
        EXPECT_EQ(ConfigLevel.GetP019Default(1), 0);
        EXPECT_EQ(ConfigLevel.GetP312Default(), m.p312);
        EXPECT_EQ(ConfigLevel.GetP911Default(1), m.p911);
        EXPECT_EQ(ConfigLevel.GetP911Default(2), 0);
        // The file names built from these are opened with the sample start
        // folder for every model in the folder-opening tests.
        EXPECT_EQ(ConfigLevel.GetKeybLayoutBase(), m.layout);
        EXPECT_EQ(ConfigLevel.GetNKeybConf(), m.nKeybConf);
        EXPECT_EQ(ConfigLevel.GetMaxDescrLen(), m.maxDescr);
        EXPECT_EQ(ConfigLevel.GetNCharLineaMessaggioIcone(0), m.charsPerLine);
        EXPECT_EQ(ConfigLevel.GetNLineeMessaggioIcone(0), 5);

        // Family switches (the off-line release "V014057" is above "R013000").
        bool n_ = m.family == 'N', l_ = m.family == 'L';
        EXPECT_EQ(ConfigLevel.GetClientGroupsEnable(), n_);
        EXPECT_EQ(ConfigLevel.GetDeferredInvoicePagesEnable(), n_);
        EXPECT_EQ(ConfigLevel.GetP915Enable("C"), !l_);
        EXPECT_EQ(ConfigLevel.GetP915Enable("G"), l_);
        EXPECT_EQ(ConfigLevel.GetP915Enable("H"), n_);
        EXPECT_TRUE(ConfigLevel.GetP915Enable("A"));
        EXPECT_EQ(ConfigLevel.GetP517Enable("A"), !l_);
        EXPECT_EQ(ConfigLevel.GetP517Enable("D"), n_);
        EXPECT_EQ(ConfigLevel.GetP517Enable("G"), n_);
        EXPECT_FALSE(ConfigLevel.GetP517Enable("H"));
        EXPECT_TRUE(ConfigLevel.GetP121Enable(1, "Z"));
        EXPECT_EQ(ConfigLevel.GetP121Enable(2, "A"), !l_);
        EXPECT_EQ(ConfigLevel.GetP121Enable(2, "B"), n_);
        EXPECT_FALSE(ConfigLevel.GetP121Enable(2, "C"));
        EXPECT_FALSE(ConfigLevel.GetP121Enable(3, "A"));
        EXPECT_EQ(ConfigLevel.GetP911Enable(0, 1, "E"), !(m.family == 'T'));
        EXPECT_EQ(ConfigLevel.GetP911Enable(0, 1, "F"), !l_);
        EXPECT_TRUE(ConfigLevel.GetP911Enable(0, 1, "A"));
        EXPECT_EQ(ConfigLevel.GetP911Enable(0, 2, "A"), m.family != 'T');
        EXPECT_FALSE(ConfigLevel.GetP911Enable(0, 2, "C"));
        EXPECT_FALSE(ConfigLevel.GetP911Enable(0, 3, "A"));
    }
}

TEST_F(ConfigLevelTest, UnknownModelNumbersFallBackToTav3800) {
    for (int16_t number : {0, 13, -1, 99}) {
        Model(number);
        EXPECT_EQ(ConfigLevel.CashType(), "TAV3800");
        EXPECT_EQ(ConfigLevel.CashTypen(), 5);
    }
}

TEST_F(ConfigLevelTest, P020Bits) {
    struct Case {
        int16_t model;
        int kind;
        const char* hidden;  // letters A..H that do not exist
    };
    const Case cases[] = {
        {1, 1, "B"},     {1, 2, "EF"},   {1, 3, "DEFGH"},
        {5, 1, "AB"},    {5, 2, "EF"},   {5, 3, "DEFGH"},
        {6, 1, "AB"},    {6, 2, "ABEF"}, {6, 3, "DEFGH"},
        {2, 2, "ABEF"},  {7, 2, "ABEF"}, {8, 2, "ABEF"},
        {3, 1, "AB"},    {3, 2, "BF"},   {3, 3, "D"},
        {12, 2, "BF"},   {9, 3, "D"},
        {1, 4, ""},      {3, 0, ""},
    };
    for (const Case& c : cases) {
        Model(c.model);
        for (char letter = 'A'; letter <= 'H'; ++letter) {
            SCOPED_TRACE(std::to_string(c.model) + " kind " + std::to_string(c.kind) + " " + letter);
            bool hidden = std::string(c.hidden).find(letter) != std::string::npos;
            EXPECT_EQ(ConfigLevel.GetP020Enable(c.kind, std::string(1, letter)), !hidden);
        }
    }
}

// Release-dependent getters at and around every threshold.
TEST_F(ConfigLevelTest, ReleaseBoundaries) {
    struct Case {
        int16_t model;
        const char* rel;
        int16_t icons, periodIcons, fastLen, clientType, pluType;
    };
    const Case cases[] = {
        {3, "R022002", 6, 6, 12, 1, 0},
        {3, "R022003", 10, 10, 13, 3, 0},
        {3, "R022040", 10, 10, 13, 3, 0},
        {3, "R022041", 10, 10, 13, 4, 1},
        {3, "", 10, 10, 12, 4, 1},
        {3, "R013000", 6, 6, 12, 1, 0},
        {11, "", 10, 10, 12, 4, 1},
        {11, "R022002", 6, 6, 12, 1, 0},
        {12, "R022030", 10, 10, 13, 3, 0},
        {9, "R022002", 6, 6, 12, 1, 3},
        {9, "R022041", 10, 10, 13, 3, 3},
        {10, "", 10, 10, 12, 3, 3},
        {1, "R013001", 7, 6, 12, 2, 2},
        {1, "R013002", 7, 6, 13, 2, 2},
        {1, "", 7, 6, 12, 2, 2},
        {2, "R010839", 6, 6, 12, 1, 3},
        {2, "R010840", 6, 6, 13, 1, 3},
        {5, "R099999", 6, 6, 12, 1, 3},
        {6, "R099999", 6, 6, 12, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + " " + c.rel);
        Model(c.model, 4, c.rel);
        EXPECT_EQ(ConfigLevel.GetNMessaggiIcone(4), c.icons);
        EXPECT_EQ(ConfigLevel.GetNIconePeriodo(4), c.periodIcons);
        EXPECT_EQ(ConfigLevel.GetFastPLUCodeLen(4), c.fastLen);
        EXPECT_EQ(ConfigLevel.GetClientType(4), c.clientType);
        EXPECT_EQ(ConfigLevel.GetPLUType(4), c.pluType);
    }
}

TEST_F(ConfigLevelTest, P911Kind2BFollowsTheRegisterReleaseOnFamilyN) {
    struct Case {
        int16_t model;
        const char* rel;
        bool enabled;
    };
    const Case cases[] = {{3, "", true},         {3, "R022019", false}, {3, "R022020", true},
                          {11, "R022100", true}, {1, "R010000", true},  {5, "", false}};
    for (const Case& c : cases) {
        Model(c.model, 2, c.rel);
        EXPECT_EQ(ConfigLevel.GetP911Enable(2, 2, "B"), c.enabled) << c.model << " " << c.rel;
    }
}

TEST_F(ConfigLevelTest, OffLineReleaseBelowR013000DisablesTheNewerFamilyNFeatures) {
    ConfigLevel.InitOffLine(3, "R012999");
    EXPECT_FALSE(ConfigLevel.GetClientGroupsEnable());
    EXPECT_FALSE(ConfigLevel.GetP517Enable("E"));
    EXPECT_FALSE(ConfigLevel.GetP121Enable(2, "B"));
    EXPECT_FALSE(ConfigLevel.GetP911Enable(0, 1, "E"));
    EXPECT_FALSE(ConfigLevel.GetP911Enable(0, 2, "A"));
    ConfigLevel.InitOffLine(1, "R012999");
    EXPECT_TRUE(ConfigLevel.GetP911Enable(0, 1, "E"));
    EXPECT_FALSE(ConfigLevel.GetP911Enable(0, 2, "A"));
}

TEST_F(ConfigLevelTest, ReleasesAreStoredTrimmedForIndexesBelow16) {
    Model(3);
    ConfigLevel.SetCashVersion(3, "  R022002 ");
    EXPECT_EQ(ConfigLevel.GetClientType(3), 1);  // the trimmed text compares as R022002
    ConfigLevel.SetCashVersion(16, "R022002");
    ConfigLevel.SetCashVersion(-1, "R022002");
    EXPECT_EQ(ConfigLevel.GetClientType(16), 4);  // index 16 never holds a release
    EXPECT_EQ(ConfigLevel.GetClientType(-1), 4);
}

TEST_F(ConfigLevelTest, ProtocolLevelAndExtensions) {
    struct Case {
        int16_t model;
        int16_t level, stored;
        bool b72k1, b72k2;
    };
    const Case cases[] = {
        {6, 2, 0, false, false},  // family T: always 0
        {5, 1, 0, false, false},
        {3, 1, 1, true, true},
        {10, 2, 2, true, true},
        {1, 1, 1, true, false},
        {1, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        Model(c.model);
        int16_t level = c.level;
        EXPECT_EQ(ConfigLevel.SetProtoLevel(0, level), c.stored);
        EXPECT_EQ(level, c.stored);
        EXPECT_EQ(ConfigLevel.GetProtoLevel(0), c.stored);
        EXPECT_EQ(ConfigLevel.B72Extension(1, 0), c.b72k1);
        EXPECT_EQ(ConfigLevel.B72Extension(2, 0), c.b72k2);
        EXPECT_EQ(ConfigLevel.C24Extension(1, 0), c.b72k1);
        EXPECT_EQ(ConfigLevel.C24Extension(2, 0), c.b72k2);
        EXPECT_FALSE(ConfigLevel.B72Extension(3, 0));
    }
    Model(3);
    int16_t level = 2;
    ConfigLevel.SetProtoLevel(16, level);
    EXPECT_EQ(ConfigLevel.GetProtoLevel(16), 0);
    EXPECT_EQ(level, 2);
}

}  // namespace
