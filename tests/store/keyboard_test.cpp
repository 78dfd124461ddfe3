#include "store/keyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        ConfigLevel.InitOffLine(5, "V014057");  // TAV3800: layout "0", three types
        Core.strRootDir = dir.path();
        Core.strStartDir = dir.file("start");
        Core.strCashDir = dir.file("Cassa1");
        Core.strLangExt = ".eng";
        platform::MakeDir(Core.strStartDir);
        platform::MakeDir(Core.strCashDir);
        Keyb.strFunCodeFile = FunCodeFileName();
    }
    void Functions(const std::string& lines) {
        WriteAll(Keyb.strFunCodeFile, "[Funzioni]\r\n" + lines);
        LoadFunzioni();
    }
    struct Entry {
        int16_t code;
        std::string keyText, descr;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> List() {
        std::vector<Entry> out;
        for (int i = 0; i < Keyb.nFunCodes; ++i)
            out.push_back({Keyb.FunCodes[i].nCode, Keyb.FunCodes[i].strKeyText, Keyb.FunCodes[i].strDescr});
        return out;
    }

    testsupport::TempDir dir;
};

TEST_F(KeyboardTest, LoadFunzioniReadsSinglesAndRanges) {
    struct Row {
        const char* lines;
        std::vector<Entry> entries;
    };
    const Row rows[] = {
        {"C1=250|3|PLU|Plu |1\r\n",
         {{250, "PLU1", "Plu 1"}, {251, "PLU2", "Plu 2"}, {252, "PLU3", "Plu 3"}}},
        // Count 0 makes no entry; a gap in the keys ends the list.
        {"C1=110|1|ENT|Enter|total\r\nC2=7|0|X|Y|1\r\nC3=12|1|ST|Subtotal\r\nC5=1|1|A|B\r\n",
         {{110, "ENT", "Enter|total"}, {12, "ST", "Subtotal"}}},
        // Missing fields read as empty and 0; text after the digits is ignored.
        {"C1=5\r\nC2=6|2|K\r\nC3=9x|1y|A|B\r\n",
         {{6, "K0", "0"}, {7, "K1", "1"}, {9, "A", "B"}}},
        {"C1=\r\nC2=1|1|A|B\r\n", {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.lines);
        Functions(r.lines);
        EXPECT_EQ(List(), r.entries);
    }
}

TEST_F(KeyboardTest, FindFunCodeSeesOnlyTheLoadedEntriesUpToTheListSize) {
    Functions("C1=1|3|A|A |1\r\n");
    ASSERT_EQ(FindFunCode(3), 2);
    Functions("C1=1|1|A|A\r\n");  // entries 1 and 2 stay in memory
    EXPECT_EQ(FindFunCode(1), 0);
    EXPECT_EQ(FindFunCode(3), -1);
    Keyb.strFunCodeFile.clear();
    LoadFunzioni();
    EXPECT_EQ(Keyb.nFunCodes, 0);
    EXPECT_EQ(FindFunCode(1), -1);
    // The list stops at its size.
    Keyb.strFunCodeFile = FunCodeFileName();
    Functions("C1=1|5000|K|D |1\r\nC2=9000|1|Z|Last\r\n");
    EXPECT_EQ(Keyb.nFunCodes, kMaxFunCodes);
    EXPECT_EQ(Keyb.FunCodes[kMaxFunCodes - 1].nCode, kMaxFunCodes);
    EXPECT_EQ(FindFunCode(9000), -1);
}

TEST_F(KeyboardTest, SetKeybInfosByLayoutAndType) {
    struct Row {
        int16_t model, type, keys;
        const char* file;
    };
    const Row rows[] = {
        {5, 0, 64, "Keyb5_0.txt"},   {5, 2, 101, "Keyb5_2.txt"},  {5, 3, -1, "Keyb5_3.txt"},
        {1, 1, 101, "Keyb1_1.txt"},  {3, 0, 88, "Keyb3_0.txt"},   {4, 1, 120, "Keyb4_1.txt"},
        {7, 0, 72, "Keyb7_0.txt"},   {9, 0, 72, "Keyb9_0.txt"},   {9, 1, -1, "Keyb9_1.txt"},
        {11, 0, 70, "Keyb11_0.txt"}, {12, 2, 101, "Keyb12_2.txt"}, {12, 3, 30, "Keyb12_3.txt"},
        {10, -1, -1, "Keyb10_-1.txt"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.model) + "/" + std::to_string(r.type));
        ConfigLevel.InitOffLine(r.model, "V014057");
        Keyb.nNumKeys = -1;  // a type the model lacks leaves it as it was
        CassaFile.nTipoTastiera = r.type;
        SetKeybInfos();
        EXPECT_EQ(Keyb.nNumKeys, r.keys);
        EXPECT_EQ(Keyb.strKeybConfFile, dir.file(std::string("Cassa1/") + r.file));
    }
}

TEST_F(KeyboardTest, LoadKeyConfStartsFromBlankEntries) {
    Functions("C1=110|1|---|None\r\nC2=12|1|C|Clear\r\nC3=250|2|P|PLU |1\r\n");
    for (auto* t : {&Keyb.KeyConf0, &Keyb.KeyConf1})
        for (auto& k : *t) k = KeyConf{9, True, 9, 9, 9, True};
    WriteAll(dir.file("Cassa1/Keyb5_0.txt"),
             "[Livello0]\r\nT0=1|17|110\r\nT1=0|33|12\r\nT2=2|34|999\r\nT3=1\r\n"
             "[Livello1]\r\nT0=1|17|251\r\n");
    LoadKeyConf();
    ASSERT_EQ(Keyb.nNumKeys, 64);
    EXPECT_EQ(Keyb.KeyConf0[0], (KeyConf{0, True, 0, 17, 110, True}));
    EXPECT_EQ(Keyb.KeyConf0[1], (KeyConf{1, False, 1, 33, 12, True}));
    EXPECT_EQ(Keyb.KeyConf0[2], (KeyConf{2, False, -1, 34, 999, True}));
    EXPECT_EQ(Keyb.KeyConf0[3], (KeyConf{3, True, -1, 0, 0, True}));
    EXPECT_EQ(Keyb.KeyConf0[4], (KeyConf{4, False, -1, 0, 0, True}));  // not in the file
    EXPECT_EQ(Keyb.KeyConf1[0], (KeyConf{0, True, 3, 17, 251, True}));
    EXPECT_EQ(Keyb.KeyConf1[64], (KeyConf{64, False, -1, 0, 0, True}));
    EXPECT_EQ(Keyb.KeyConf1[65], (KeyConf{9, True, 9, 9, 9, True}));  // beyond the layout
}

TEST_F(KeyboardTest, SaveKeyConfKeepsTheFilesFlagsAndWritesEveryKey) {
    testsupport::ScopedFakeShell shell;
    Functions("C1=110|1|---|None\r\n");
    const std::string file = dir.file("Cassa1/Keyb5_0.txt");
    WriteAll(file, "; template\r\n[Livello0]\r\nT0=1|17|110\r\nT5=0|33|110\r\n[Livello1]\r\nT0=1|17|110\r\n");
    LoadKeyConf();
    Keyb.KeyConf0[5].bProg = True;
    Keyb.KeyConf0[0].nFunCode = 14;
    Keyb.KeyConf0[0].nFunIdx = -1;
    Keyb.KeyConf1[7] = KeyConf{7, True, -1, 40, 250, False};
    shell->pgbCalls.clear();
    std::string error;
    EXPECT_TRUE(SaveKeyConf(error));

    EXPECT_EQ(platform::ProfileString("Livello0", "T0", "", file), "1|17|14");
    EXPECT_EQ(platform::ProfileString("Livello0", "T5", "", file), "0|33|110");
    EXPECT_EQ(Keyb.KeyConf0[5].bProg, False);
    EXPECT_EQ(platform::ProfileString("Livello1", "T7", "", file), "1|40|250");
    EXPECT_EQ(platform::ProfileString("Livello1", "T64", "", file), "0|0|0");
    EXPECT_EQ(platform::ProfileSection("Livello0", file).size(), 65u);
    EXPECT_EQ(platform::ProfileSection("Livello1", file).size(), 65u);
    EXPECT_EQ(ReadAll(file).rfind("; template\r\n[Livello0]\r\nT0=1|17|14\r\nT5=0|33|110\r\nT1=0|0|0\r\n", 0),
              0u);
    ASSERT_FALSE(shell->pgbCalls.empty());
    EXPECT_EQ(shell->pgbCalls.front(), "range 1 65");
    EXPECT_EQ(shell->pgbCalls.back(), "value -1");
    EXPECT_EQ(shell->pgbCalls.size(), 67u);

    // Read back, the tables are what was saved.
    auto saved0 = Keyb.KeyConf0, saved1 = Keyb.KeyConf1;
    LoadKeyConf();
    for (int i = 0; i <= 64; ++i) {
        EXPECT_EQ(Keyb.KeyConf0[i], saved0[i]) << i;
        EXPECT_EQ(Keyb.KeyConf1[i], saved1[i]) << i;
    }
}

TEST_F(KeyboardTest, NoFolderNoFile) {
    Core.strCashDir.clear();
    Keyb.KeyConf0[0].nFunCode = 5;
    std::string error;
    EXPECT_TRUE(SaveKeyConf(error));
    EXPECT_EQ(Keyb.strKeybConfFile, "");
    EXPECT_FALSE(platform::FileExists("Keyb5_0.txt"));
}

TEST_F(KeyboardTest, FindKeyPos) {
    Keyb.nNumKeys = 3;
    Keyb.KeyConf0[1].nPosCode = 20;
    Keyb.KeyConf0[2].nPosCode = 20;
    Keyb.KeyConf0[3].nPosCode = 30;
    Keyb.KeyConf0[4].nPosCode = 40;
    Keyb.KeyConf1[0].nPosCode = 50;
    EXPECT_EQ(FindKeyPos(20), 1);
    EXPECT_EQ(FindKeyPos(30), 3);  // entries 0 to nNumKeys
    EXPECT_EQ(FindKeyPos(40), -1);
    EXPECT_EQ(FindKeyPos(50), -1);  // level 1 is never searched
    EXPECT_EQ(FindKeyPos(0), 0);
    Keyb.nNumKeys = -1;
    EXPECT_EQ(FindKeyPos(0), -1);
}

TEST_F(KeyboardTest, ReadDefaultsFillWhatTheReadDidNotSupply) {
    for (const char* list : {"C1=1|1|A|A\r\nC2=2|1|B|B\r\nC3=110|1|-|None\r\n", ""}) {
        SCOPED_TRACE(list);
        Functions(list);
        const int16_t idx = *list ? 2 : -1;
        for (auto* t : {&Keyb.KeyConf0, &Keyb.KeyConf1})
            for (auto& k : *t) k = KeyConf{0, True, 7, 5, 77, True};
        ResetKeybTables();
        Keyb.KeyConf0[3].bRead = True;
        Keyb.KeyConf1[255].bRead = True;
        Keyb.KeyConf1[48].bProg = False;  // a fixed key keeps its function
        FillKeybDefaults();
        EXPECT_EQ(Keyb.KeyConf1[48].nFunCode, 77);
        EXPECT_EQ(Keyb.KeyConf0[3].nFunCode, 77);
        EXPECT_EQ(Keyb.KeyConf1[255].nFunCode, 77);
        EXPECT_EQ(Keyb.KeyConf0[0], (KeyConf{0, True, idx, 5, 110, False}));
        EXPECT_EQ(Keyb.KeyConf1[254], (KeyConf{0, True, idx, 5, 110, False}));
        EXPECT_EQ(Keyb.KeyConf0[256], (KeyConf{0, True, 7, 5, 77, True}));
    }
}

TEST_F(KeyboardTest, LayoutPositions) {
    WriteAll(dir.file("start/klay0_1.txt"), "[Pos]\r\nK4=2|3\r\nK5=7\r\nK6=1|2|9\r\nK7=x|y\r\n");
    struct Row {
        int key;
        bool shown;
        int16_t row, col;
    };
    for (const Row& r : {Row{4, true, 2, 3}, Row{5, false, 0, 0}, Row{6, true, 1, 2},
                         Row{7, true, 0, 0}, Row{8, false, 0, 0}}) {
        int16_t row = 0, col = 0;
        EXPECT_EQ(GetKeyLayoutPos(1, r.key, row, col), r.shown) << r.key;
        EXPECT_EQ(row, r.row);
        EXPECT_EQ(col, r.col);
    }
}

}  // namespace
