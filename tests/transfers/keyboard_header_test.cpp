// The keyboard, the receipt header and the icon periods over the line: the
// records each send answers, in order, with the one count of the answer at
// its end; what each read stores, including the keyboard variant switch and
// the position translation of the model TIMBREL; lines that store nothing.
#include "transfers/keyboard_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/keyboard.h"
#include "platform/profile.h"
#include "transfers/header_periods.h"
#include "transfers/report_procs.h"
#include "store/transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::TransferTest;

class SettingsTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ClearDispatchProcs();
        RegisterReportProcs();
        Core.strStartDir = dir.file("start");
        platform::MakeDir(Core.strStartDir);
    }
    int16_t Feed(const std::string& code, const std::string& data) {
        AnswerRec.strAnsFrame = "C" + code + ":ZZZZ:ZZ:" + data;
        AnswerRec.strCode = code;
        return GestAnsC();
    }
    // The answers of a send until its "*", with the answers awaited counted.
    std::vector<std::string> SendAll(std::string (*ans)(), int limit = 40) {
        std::vector<std::string> out;
        LinkState.nPendingAns = 1;
        for (int i = 0; i < limit; ++i) {
            out.push_back(ans());
            if (out.back() == "*") break;
        }
        EXPECT_EQ(LinkState.nPendingAns, 0);
        return out;
    }
    // Key k of a level: its send mark, position and function code.
    static void Key(int level, int k, bool send, int16_t position, int16_t code) {
        KeyConf& e = (level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1)[k];
        e.bProg = send ? True : False;
        e.nPosCode = position;
        e.nFunCode = code;
    }
};

TEST_F(SettingsTest, TheKeyboardGoesOutMarkedKeysOfLevelZeroThenLevelOne) {
    struct Row {
        int16_t model;
        std::vector<std::string> records;
    };
    const Row rows[] = {
        {3, {"2:0:21:101", "2:0:23:103", "2:1:40:200", "2:1:42:202", "*"}},
        // TIMBREL sends the key's index + 1 in place of its position.
        {9, {"2:0:2:101", "2:0:4:103", "2:1:1:200", "2:1:3:202", "*"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        ConfigLevel.InitOffLine(row.model, "V014057");
        Keyb = KeyboardGlobals{};
        Keyb.nNumKeys = 4;
        CassaFile.nTipoTastiera = 1;
        for (int k = 0; k < 4; ++k) {
            Key(0, k, k % 2 == 1, static_cast<int16_t>(20 + k), static_cast<int16_t>(100 + k));
            // Key 0 of level 1 goes out whatever its mark.
            Key(1, k, k == 2, static_cast<int16_t>(40 + k), static_cast<int16_t>(200 + k));
        }
        ReqState.nTxTastieraKey = ReqState.nTxTastieraLvl = 0;
        shell->statusTexts.clear();
        EXPECT_EQ(SendAll(AnsTastiera), row.records);
        // One status text and range, at key 0 of level 1.
        EXPECT_EQ(shell->statusTexts.front(), GetText("Msg", "72") + " - " + GetText("Msg1", "2"));
        // A request after the end is answered "*" and counts nothing again.
        LinkState.nPendingAns = 1;
        EXPECT_EQ(AnsTastiera(), "*");
        EXPECT_EQ(LinkState.nPendingAns, 1);
    }
    // Without marked keys on level 0, the first record is key 0 of level 1.
    Keyb.KeyConf0[1].bProg = Keyb.KeyConf0[3].bProg = False;
    ReqState.nTxTastieraKey = ReqState.nTxTastieraLvl = 0;
    EXPECT_EQ(SendAll(AnsTastiera).front(), "2:1:1:200");
}

TEST_F(SettingsTest, AKeyboardReadInAnotherVariantGoesIntoThatVariantsFile) {
    ConfigLevel.InitOffLine(3, "V014057");  // DRAVO57: two variants
    ASSERT_GE(ConfigLevel.GetNKeybConf(), 2);
    CassaFile.nTipoTastiera = 0;
    const std::string file0 = CashFile(KeybConfFileName(0));
    const std::string file1 = CashFile(KeybConfFileName(1));
    WriteAll(file0, "[Livello0]\r\nT0=1|5|7\r\n[Livello1]\r\nT0=1|5|8\r\n");
    WriteAll(file1, "[Livello0]\r\nT0=1|17|7\r\nT1=1|18|7\r\n[Livello1]\r\nT0=1|17|8\r\nT1=1|18|8\r\n");
    const std::string before0 = ReadAll(file0);
    SetKeybInfos();
    LoadKeyConf();
    ResetKeybTables();
    ReqState.bRdTastiera = True;

    EXPECT_EQ(Feed("20", "2:0:17:45:"), True);
    EXPECT_EQ(CassaFile.nTipoTastiera, 1);
    EXPECT_EQ(Keyb.strKeybConfFile, file1);
    EXPECT_EQ(Keyb.KeyConf0[0].nFunCode, 45);
    EXPECT_EQ(Keyb.KeyConf0[0].bRead, True);
    EXPECT_EQ(Feed("20", "2:1:18:46:"), True);  // level 1, found by its level-0 position
    EXPECT_EQ(Keyb.KeyConf1[1].nFunCode, 46);
    EXPECT_EQ(Feed("20", "2:0:99:47:"), True);  // a position the layout lacks: nothing
    LinkState.nPendingAns = 1;
    EXPECT_EQ(Feed("20", "*"), 0);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(ReqState.bRdTastiera, False);

    // The keys not sent get the default function; only variant 1's file changes.
    EXPECT_EQ(platform::ProfileString("Livello0", "T0", "", file1), "1|17|45");
    EXPECT_EQ(platform::ProfileString("Livello1", "T0", "", file1), "1|17|110");
    EXPECT_EQ(platform::ProfileString("Livello1", "T1", "", file1), "1|18|46");
    EXPECT_EQ(ReadAll(file0), before0);
    EXPECT_NE(ReadAll(CashFile("Cassa.txt")).find("tipo=1"), std::string::npos);
    // A read of the end line alone keeps the file, and says so as its outcome.
    const std::string read1 = ReadAll(file1);
    ResetKeybTables();
    ReqState.bRdTastiera = True;
    EXPECT_EQ(Feed("20", "*"), 0);
    EXPECT_EQ(ReadAll(file1), read1);
    EXPECT_EQ(Texts.strResult, GetText("Log", "norecords") + " " + file1);
}

TEST_F(SettingsTest, TimbrelPositionsAreTranslatedThroughTheLayoutFile) {
    ConfigLevel.InitOffLine(9, "V014057");
    CassaFile.nTipoTastiera = 0;
    Keyb.nNumKeys = 40;
    Keyb.KeyConf0[7].nPosCode = 36;  // row 2, column 3
    Keyb.KeyConf0[8].nPosCode = 6;
    WriteAll(KeybLayoutFile(0), "[Pos]\r\nK4=2|3\r\nK5=nobar\r\n");
    ReqState.bRdTastiera = True;
    Feed("20", "1:0:5:61:");  // K4 = 2|3: 2 x 16 + 3 + 1
    Feed("20", "1:0:6:62:");  // K5 has no "|": the position stays
    EXPECT_EQ(Keyb.KeyConf0[7].nFunCode, 61);
    EXPECT_EQ(Keyb.KeyConf0[8].nFunCode, 62);
}

TEST_F(SettingsTest, KeyLinesThatCannotBeReadStoreNothing) {
    ConfigLevel.InitOffLine(3, "V014057");
    Keyb.nNumKeys = 4;
    Keyb.KeyConf0[0].nPosCode = 5;
    ReqState.bRdTastiera = True;
    for (const char* line : {"1:0:5:", "9:0:5:45:", "0:0:5:45:", "1:0:5:70000:", "1:0:5:45"}) {
        SCOPED_TRACE(line);
        shell->errors.clear();
        EXPECT_EQ(Feed("20", line), True);
        EXPECT_EQ(Keyb.KeyConf0[0].nFunCode, 0);
        EXPECT_EQ(CassaFile.nTipoTastiera, 0);
        EXPECT_EQ(shell->errors.size(), 1u);
    }
}

TEST_F(SettingsTest, TheReceiptHeaderGoesOutFromItsStartRecordForEveryRegister) {
    CassaConfRec& c = CassaConf;
    for (int i = 1; i <= 6; ++i) c.P021[i] = "H" + std::to_string(i);
    c.P021[2] = "with: colon";
    c.P023[1] = "F1";
    c.P023[2] = "";
    for (int16_t start : {0, 2}) {
        SCOPED_TRACE(start);
        Tx.nTxIntScontrinoIdx = Tx.nTxIntScontrinoIdx0 = start;
        const std::vector<std::string> all = {"A:H1:with  colon:H3", "B:H4:H5:H6", "F:F1:", "*"};
        const std::vector<std::string> want(all.begin() + start, all.end());
        EXPECT_EQ(SendAll(AnsIntScontrino), want);
        EXPECT_EQ(SendAll(AnsIntScontrino), want);  // the next register: the same
    }
}

TEST_F(SettingsTest, TheReceiptHeaderReadStoresTheTextsOfItsLetters) {
    ReqState.bRdIntScontrino = True;
    EXPECT_EQ(Feed("10", "A:one:two:three:"), True);
    EXPECT_EQ(Feed("10", "B:four:five:six:"), True);
    EXPECT_EQ(Feed("10", "F:end 1:end 2:"), True);
    EXPECT_EQ(Feed("10", "X:a:b:c:"), True);  // no such record
    EXPECT_EQ(Feed("10", "A:short:"), True);  // too few texts: nothing
    EXPECT_EQ(shell->errors.size(), 1u);
    const CassaConfRec& c = CassaConf;
    EXPECT_EQ(std::vector<std::string>(c.P021.begin() + 1, c.P021.end()),
              (std::vector<std::string>{"one", "two", "three", "four", "five", "six"}));
    EXPECT_EQ(c.P023[1], "end 1");
    EXPECT_EQ(c.P023[2], "end 2");
    LinkState.nPendingAns = 1;
    EXPECT_EQ(Feed("10", "*"), 0);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Acks(), 6);
}

TEST_F(SettingsTest, IconPeriodsGoOutWithUnsetDigitsAsZerosAndComeBackInRange) {
    ASSERT_EQ(ConfigLevel.GetNIconePeriodo(0), 10);
    CassaConfRec& c = CassaConf;
    for (int n = 1; n <= 10; ++n) c.P025[n] = c.P026[n] = "__/__/__";
    c.P024[1] = 3;
    c.P025[1] = "01/02/24";
    c.P026[1] = "1_/0_/__";
    Tx.nTxIconePeriodoIdx = 1;
    std::vector<std::string> got = SendAll(AnsIconePeriodo);
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(got[0], "1:3:010224:100000");
    EXPECT_EQ(got[9], "10:0:000000:000000");
    EXPECT_EQ(Tx.nTxIconePeriodoIdx, 1);

    ReqState.bRdIconePeriodo = True;
    EXPECT_EQ(Feed("50", "2:4:311224:010125:"), True);
    EXPECT_EQ(c.P024[2], 4);
    EXPECT_EQ(c.P025[2], "31/12/24");
    EXPECT_EQ(c.P026[2], "01/01/25");
    // Periods the register does not have, and dates not of six digits: nothing.
    const CassaConfRec kept = c;
    for (const char* bad : {"0:4:311224:010125:", "11:4:311224:010125:", "3:4:3112:010125:",
                            "3:99999:311224:010125:", "3:4:311224:"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Feed("50", bad), True);
        EXPECT_TRUE(c == kept);
    }
    EXPECT_EQ(Feed("50", "*"), 0);
    EXPECT_EQ(ReqState.bRdIconePeriodo, False);
}

}  // namespace
