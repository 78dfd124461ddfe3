#include "core/cash_list.h"

#include <iterator>
#include <string>

#include "common/fake_shell.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/core_fixture.h"
#include "engine/open_register.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class CashListTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Model(3);  // DRAVO57
    }
    std::string Key(int i) { return platform::ProfileString("Casse", "C" + std::to_string(i), "", ConfigIni()); }
};

TEST_F(CashListTest, LoadCasseConfReadsEightAndSevenFields) {
    WriteAll(ConfigIni(),
             "[Casse]\r\n"
             "C0=5|Bar|ID7|R022002|2|1|4|0\r\n"
             "C1=6|Pub|ID8|R022041|3|0|5\r\n"
             "C2=7|Inn|ID9||1|0|6|1\r\n"
             // NUL bytes are the blanks they stand for.
             + std::string("C4=8|A\0B|||1|0|\0" "7|1\r\n", 21));
    CassaList[0].bEnabled = True;
    CassaList[1].bEnabled = True;
    CassaList[3].number = "stale";
    CassaList[3].bDefined = CassaList[3].bEnabled = True;
    LoadCasseConf();

    const CashRec& c = CassaList[0];
    EXPECT_EQ(c.number + "|" + c.name + "|" + c.identity + "|" + c.release + "|" + c.port + "|" +
                  c.addressed + "|" + c.station,
              "5|Bar|ID7|R022002|2|1|4");
    EXPECT_EQ(c.bDefined, True);
    EXPECT_EQ(c.bEnabled, False);
    EXPECT_EQ(CassaList[1].bEnabled, True);  // seven fields: enabled flag kept
    EXPECT_EQ(CassaList[1].station, "5");
    EXPECT_EQ(CassaList[2].bEnabled, True);
    EXPECT_EQ(CassaList[4].bDefined, True);
    EXPECT_EQ(CassaList[4].name, "A B");
    EXPECT_EQ(CassaList[4].station, " 7");
    // Releases reach the capability object: R022002 is the older customer
    // record, R022041 the newest.
    EXPECT_EQ(ConfigLevel.GetClientType(0), 1);
    EXPECT_EQ(ConfigLevel.GetClientType(1), 4);
    // An absent key empties its entry.
    EXPECT_EQ(CassaList[3].number, "");
    EXPECT_EQ(CassaList[3].bDefined, False);
    EXPECT_EQ(CassaList[3].bEnabled, False);

    // SelectCash opens register 0: port 2, station 4, folder Cassa5; an
    // undefined entry changes nothing.
    LinkState.nCurCash = 0;
    SelectCash();
    EXPECT_EQ(Core.nCommPort, 2);
    EXPECT_EQ(LinkState.nAddress, 4);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa5"));
    EXPECT_EQ(Core.nOpenCash, 0);
    LinkState.nCurCash = 7;
    SelectCash();
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa5"));
}

TEST_F(CashListTest, RegisterMaskKeepsTheEnabledFlags) {
    WriteAll(ConfigIni(), "[Casse]\r\nC0=1||||1|0|0|1\r\nC1=2||||1|0|1|0\r\n");
    Core.strCashMask = "0100000000000000";
    CassaList[1].bEnabled = True;
    LoadCasseConf();
    EXPECT_EQ(CassaList[0].bEnabled, False);
    EXPECT_EQ(CassaList[1].bEnabled, True);
}

// Entries the link cannot use: a station address beyond what the address
// character can carry (it would wrap in 16 bits: 99999 gave the folder
// "Cassa-31072"), a port that is not a number, a wrong number of fields.
TEST_F(CashListTest, UnusableEntriesAreLeftOutAndCountInACommandLineRun) {
    struct Row {
        const char* value;
        bool used;
    } rows[] = {
        {"1|A|||1|1|0|1", true},       {"2|B|||1|1|99999|1", false}, {"3|C|||1|1|200|1", false},
        {"4|D|||1|1|32|1", false},     {"5|E|||x|1|4|1", false},     {"6|F|||0|1|5|1", false},
        {"7|G|||1|1|6|1|9", false},    {"8|H|||1|1|-1|1", false},    {"9|I||| 16 |1|31|1", true},
        {"150|L|||1|1|7|1", false},  // a register number the options cannot hold
        {"10|J|||1|1", false},  // fewer than seven fields: the reading stops here
        {"11|K|||1|1|9|1", false},
    };
    std::string config = "[Casse]\r\n";
    for (size_t i = 0; i < std::size(rows); ++i)
        config += "C" + std::to_string(i) + "=" + rows[i].value + "\r\n";
    for (bool interactive : {true, false}) {
        SCOPED_TRACE(interactive);
        testsupport::ResetGlobals();
        Core.strRootDir = dir.path();
        Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
        Core.bInteractive = interactive;
        WriteAll(ConfigIni(), config);
        CassaList[10].number = "old";
        LoadCasseConf();
        for (size_t i = 0; i < std::size(rows); ++i)
            EXPECT_EQ(CassaList[i].bDefined, rows[i].used ? True : False) << rows[i].value;
        EXPECT_EQ(CassaList[10].number, "old");  // after the stop nothing is read or cleared
        EXPECT_EQ(CassaList[8].station, "31");
        const std::string log = MsgLog();
        EXPECT_NE(log.find(GetText("Log", "badentry") + " " + ConfigIni() + " [Casse] C1=2|B|||1|1|99999|1"),
                  std::string::npos) << log;
        EXPECT_NE(log.find(GetText("Log", "shortentry") + " " + ConfigIni() + " [Casse] C10=10|J|||1|1"),
                  std::string::npos) << log;
        // Nine entries refused or cut short: in a command-line run each is a
        // failure of the run, once however often the list is read.
        LoadCasseConf();
        EXPECT_EQ(Work.standing, interactive ? 0 : 9);
        size_t notes = 0;
        for (size_t at = 0; (at = MsgLog().find("[Casse] C", at)) != std::string::npos; ++at) ++notes;
        EXPECT_EQ(notes, 9u);
    }

    // The register of a station is never taken from an entry left out.
    WriteAll(ConfigIni(), "[Casse]\r\nC0=1|A|||x|1|4|1\r\nC1=2|B|||3|1|4|1\r\n");
    LinkState.nAddress = 4;
    EXPECT_TRUE(LoadCassaList());
    EXPECT_EQ(Core.nCommPort, 3);
    EXPECT_EQ(CassaList[1].name, "B");
}

TEST_F(CashListTest, SaveCasseWritesDefinedRegistersOnly) {
    WriteAll(ConfigIni(), "; registers\r\n[Casse]\r\nC5=keep|me\r\n");
    CassaList[0].number = "1", CassaList[0].port = "1", CassaList[0].addressed = "0";
    CassaList[0].station = "0", CassaList[0].bDefined = True, CassaList[0].bEnabled = True;
    CassaList[2].number = "3", CassaList[2].name = "Till|3\t", CassaList[2].port = "2";
    CassaList[2].addressed = "1", CassaList[2].station = "2", CassaList[2].bDefined = True;
    CassaList[5].number = "9";  // not defined

    Core.bInteractive = false;
    const std::string before = ReadAll(ConfigIni());
    EXPECT_TRUE(SaveCasse());
    EXPECT_EQ(ReadAll(ConfigIni()), before);

    Core.bInteractive = true;
    EXPECT_TRUE(SaveCasse());
    EXPECT_EQ(ReadAll(ConfigIni()),
              "; registers\r\n[Casse]\r\nC5=keep|me\r\nC0=1||||1|0|0|1\r\nC2=3|Till 3 |||2|1|2|0\r\n");
}

TEST_F(CashListTest, NewCashRecFillsANewEntryAndKeepsAnExistingOne) {
    LinkState.nAddress = 3;
    LinkState.bAddressed = true;
    Core.nCommPort = 2;
    udtCassaConf.P013 = 7;
    CassaList[3].name = "old";
    CassaList[3].bEnabled = CassaList[3].bDone = True;
    NewCashRec(3);  // config.ini does not exist yet
    EXPECT_EQ(CassaList[3].bDefined, True);
    EXPECT_EQ(CassaList[3].bEnabled, False);
    EXPECT_EQ(CassaList[3].bDone, False);
    EXPECT_TRUE(SaveCasse());
    EXPECT_EQ(Key(3), "7||||2|1|3|0");

    WriteAll(ConfigIni(), "[Casse]\r\nC1=4|Bar|id|R013000|1|0|1|1\r\n");
    LoadCasseConf();
    NewCashRec(1);  // its folder was new, its entry is not
    EXPECT_EQ(CassaList[1].name, "Bar");
    EXPECT_EQ(CassaList[1].number, "4");
    EXPECT_EQ(CassaList[1].bEnabled, True);
}

TEST_F(CashListTest, SaveCassaEntryStoresACleanHelloAnswer) {
    WriteAll(ConfigIni(), "[Casse]\r\nC1=4|x|y|R013000|1|1|1|1\r\n");
    LoadCasseConf();
    Core.nOpenCash = 1;
    HelloRec.strHelloName = "Bar|Nord\r\n";
    HelloRec.strHelloInfo = "ID\x01" "42";
    HelloRec.strHelloVersion = "R022040";

    Core.bInteractive = false;
    SaveCassaEntry();
    EXPECT_EQ(CassaList[1].name, "x");

    Core.bInteractive = true;
    SaveCassaEntry();
    EXPECT_EQ(CassaList[1].name, "Bar Nord  ");
    EXPECT_EQ(CassaList[1].identity, "ID 42");
    EXPECT_EQ(Key(1), "4|Bar Nord  |ID 42|R022040|1|1|1|1");
    EXPECT_EQ(ConfigLevel.GetClientType(1), 3);
    // The stored line reads back with every field in its place.
    LoadCasseConf();
    EXPECT_EQ(CassaList[1].station, "1");
    EXPECT_EQ(CassaList[1].release, "R022040");
}

TEST_F(CashListTest, LoadCassaListTakesTheEntryOfTheStation) {
    WriteAll(ConfigIni(),
             "[Casse]\r\nC0=1|A|||1|0|0|1\r\nC1=2|B|||3|1|4|1\r\nC2=3|C|||5|1|4|1\r\n"
             "C4=5|E|||6|1|6|1\r\n");
    LinkState.nAddress = 4;
    Core.nCommPort = 1;
    EXPECT_TRUE(LoadCassaList());
    EXPECT_EQ(Core.nCommPort, 3);
    EXPECT_EQ(CassaList[1].name, "B");
    EXPECT_EQ(CassaList[2].name, "");  // only the first match

    // Keys exist only for defined registers: C4 is found over the gap at C3.
    LinkState.nAddress = 6;
    EXPECT_TRUE(LoadCassaList());
    EXPECT_EQ(Core.nCommPort, 6);
    EXPECT_EQ(CassaList[4].name, "E");

    // A malformed value ends the reading.
    WriteAll(ConfigIni(), "[Casse]\r\nC0=1|A\r\nC1=2|B|||3|1|4|1\r\n");
    LinkState.nAddress = 4;
    Core.nCommPort = 1;
    EXPECT_TRUE(LoadCassaList());
    EXPECT_EQ(Core.nCommPort, 1);
}

TEST_F(CashListTest, OneCashSelected) {
    struct Row {
        std::initializer_list<int> enabled;
        bool one;
    };
    for (const Row& r : {Row{{}, false}, Row{{5}, true}, Row{{1, 5}, false}, Row{{16}, false}}) {
        CassaList = {};
        for (int i : r.enabled) CassaList[i].bEnabled = True;
        EXPECT_EQ(OneCashSelected(), r.one);
    }
}

TEST_F(CashListTest, TestCashEnabledSaysWhy) {
    testsupport::ScopedFakeShell shell;
    WriteAll(dir.file("Testi.eng"), "[Msg]\r\n82=Register not enabled\r\n[Msg1]\r\n20=Warning\r\n");
    Core.strLangFile = dir.file("Testi.eng");
    LinkState.nCurCash = 2;
    CassaList[2].bEnabled = True;
    EXPECT_TRUE(TestCashEnabled());
    EXPECT_TRUE(shell->msgBoxes.empty());
    CassaList[2].bEnabled = False;
    EXPECT_FALSE(TestCashEnabled());
    ASSERT_EQ(shell->msgBoxes.size(), 1u);
    EXPECT_EQ(shell->msgBoxes[0].text, "Register not enabled");
    EXPECT_EQ(shell->msgBoxes[0].title, "Warning");
}

}  // namespace
