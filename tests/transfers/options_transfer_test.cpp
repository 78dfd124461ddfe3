// The option groups over the line: every group's record both ways on the
// newer family and on LX4100, the communication record's hidden fields and
// extensions, the addressed mode it sets, and lines that cannot be taken as
// they come (too few or too many fields, numbers past 16 bits, texts too
// long for their member, a group whose flag is not set).
#include "transfers/options_transfer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "transfers/report_procs.h"
#include "store/transfer_fixture.h"

namespace {

using transfertest::TransferTest;

class OptionsTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ClearDispatchProcs();
        RegisterReportProcs();
    }
    // A "C" line through the dispatcher, as the link hands it over.
    int16_t Feed(const std::string& code, const std::string& data) {
        AnswerRec.strAnsFrame = "C" + code + ":ZZZZ:ZZ:" + data;
        AnswerRec.strCode = code;
        return GestAnsC();
    }
};

// Every member of the groups set to a value of its own.
void FillMembers() {
    CassaConfRec& c = CassaConf;
    int16_t v = 1;
    for (int16_t* m : {&c.P914, &c.P922N, &c.P922F, &c.P922S, &c.P921, &c.P920, &c.P923, &c.P910,
                       &c.P930, &c.P013, &c.P681S, &c.P9Addr, &c.P911, &c.P681C, &c.P911_2,
                       &c.P681F, &c.P042, &c.P110, &c.P019, &c.P019_1, &c.P015, &c.P040, &c.P012,
                       &c.P017, &c.P213, &c.PX2, &c.P915, &c.P216, &c.P041, &c.P312, &c.P510,
                       &c.P513, &c.P517, &c.P030, &c.P032, &c.P031, &c.P033, &c.P020A, &c.P020B,
                       &c.P020C, &c.P310, &c.P311, &c.P050})
        *m = v++;
    c.P911 = 136;  // direct mode and no protocol level would be 128
    c.P017 = -6;
    c.P601G = 5, c.P601M = 3, c.P601A = 7;
    for (int i = 0; i < 6; ++i) c.P016[i] = static_cast<int16_t>(22 - 4 * i);
    c.P511 = "A11", c.P512 = "A12", c.P514 = "*A14", c.P515 = "A 15", c.P516 = "", c.P518 = "A18";
    c.P519 = "A19", c.P050C = "00123", c.P050P = "045";
}

struct Group {
    const char* name;
    std::function<std::string()> ans;
    const char* bCode;
    const char* cCode;
    int16_t ReqStateRec::*flag;
    const char* dravo;  // the record on DRAVO57
    const char* lx;     // on LX4100
};

const Group kGroups[] = {
    {"OpGen", AnsOpGen, "76", "28", &ReqStateRec::bRdOpGen,
     "17:18:19:20:21:22:23:-6:25:26:27:28:29:050307:30", "17:18:19:20:21:22:23:-6:25:26:27:28:29:050307:30"},
    {"TabIva", AnsTabIva, "89", "14", &ReqStateRec::bRdTabIva, "22:18:14:10:6", "22:18:14:10"},
    {"GlbCassa", AnsGlbCassa, "87", "12", &ReqStateRec::bRdGlbCassa, "A11:A12:0:31:32:A18:A19",
     "A11:A12:0:31:32:A18:A19"},
    {"GlbCassa2", AnsGlbCassa2, "55", "55", &ReqStateRec::bRdGlbCassa2, "*A14:A 15::33",
     "*A14:A 15::33"},
    {"Scontrino", AnsScontrino, "74", "26", &ReqStateRec::bRdScontrino, "34:35:36:37", "34:35:36"},
    {"Scontrino2", AnsScontrino2, "75", "27", &ReqStateRec::bRdScontrino2, "38:39:40", "38:39:40"},
    {"OpeCamCli", AnsOpeCamCli, "73", "25", &ReqStateRec::bRdOpeCamCli, "41:42", "41:42"},
    {"OpeCamCli2", AnsOpeCamCli2, "77", "29", &ReqStateRec::bRdOpeCamCli2, "045:43:00123",
     "045:43:00123"},
};

TEST_F(OptionsTest, EveryGroupGoesOutAndComesBackTheSame) {
    for (const int16_t model : {int16_t{3}, int16_t{1}}) {
        ConfigLevel.InitOffLine(model, "V014057");
        for (const Group& g : kGroups) {
            SCOPED_TRACE(std::string(g.name) + (model == 1 ? " LX4100" : " DRAVO57"));
            FillMembers();
            const CassaConfRec sent = CassaConf;
            LinkState.nPendingAns = 2;
            const std::string record = g.ans();
            EXPECT_EQ(record, model == 1 ? g.lx : g.dravo);
            EXPECT_EQ(LinkState.nPendingAns, 1);  // one answer, no "*" after it
            EXPECT_EQ(shell->status, "Sent to register 1");

            // Read back into a record that holds other values.
            CassaConf = CassaConfRec{};
            CassaConf.P911 = sent.P911;
            ReqState.*g.flag = True;
            const int acks = Acks();
            EXPECT_EQ(Feed(g.cCode, record + ":"), True);
            EXPECT_EQ(Feed(g.cCode, "*"), 0);
            EXPECT_EQ(ReqState.*g.flag, False);
            EXPECT_EQ(Acks(), acks + 2);
            EXPECT_EQ(shell->status, "Read from register 1");
            CassaConfRec want = CassaConfRec{};
            want.P911 = sent.P911;
            // What the group carries comes back; the rest stays as it was.
            const std::string name = g.name;
            if (name == "OpGen") {
                for (auto m : {&CassaConfRec::P042, &CassaConfRec::P110, &CassaConfRec::P019,
                               &CassaConfRec::P019_1, &CassaConfRec::P015, &CassaConfRec::P040,
                               &CassaConfRec::P012, &CassaConfRec::P017, &CassaConfRec::P213,
                               &CassaConfRec::PX2, &CassaConfRec::P915, &CassaConfRec::P216,
                               &CassaConfRec::P041, &CassaConfRec::P312, &CassaConfRec::P601G,
                               &CassaConfRec::P601M, &CassaConfRec::P601A})
                    want.*m = sent.*m;
            } else if (name == "TabIva") {
                for (int i = 0; i < ConfigLevel.GetMaxTabIva(); ++i) want.P016[i] = sent.P016[i];
            } else if (name == "GlbCassa") {
                want.P511 = sent.P511, want.P512 = sent.P512, want.P510 = sent.P510;
                want.P513 = sent.P513;
                if (model != 1) want.P518 = sent.P518, want.P519 = sent.P519;
            } else if (name == "GlbCassa2") {
                want.P514 = sent.P514, want.P515 = sent.P515, want.P516 = sent.P516;
                want.P517 = sent.P517;
            } else if (name == "Scontrino") {
                want.P030 = sent.P030, want.P032 = sent.P032, want.P031 = sent.P031;
                if (model != 1) want.P033 = sent.P033;
            } else if (name == "Scontrino2") {
                want.P020A = sent.P020A, want.P020B = sent.P020B, want.P020C = sent.P020C;
            } else if (name == "OpeCamCli") {
                want.P310 = sent.P310, want.P311 = sent.P311;
            } else {
                want.P050P = sent.P050P, want.P050 = sent.P050, want.P050C = sent.P050C;
            }
            EXPECT_TRUE(CassaConf == want);
        }
    }
}

TEST_F(OptionsTest, TheCommunicationRecordHidesTheLineParametersOutsideServiceMode) {
    FillMembers();
    struct Row {
        bool service;
        int16_t protoLevel;
        const char* record;
    };
    const Row rows[] = {
        {false, 0, "1:2:3:4:5:6:7:8:9:10:999:12:136:999"},
        {true, 0, "1:2:3:4:5:6:7:8:9:10:11:12:136:14"},
        {false, 1, "1:2:3:4:5:6:7:8:9:10:999:12:136:999:15:999"},
        {true, 1, "1:2:3:4:5:6:7:8:9:10:11:12:136:14:15:16"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.record);
        ConfigLevel.ServiceMode(row.service);
        int16_t level = row.protoLevel;
        ConfigLevel.SetProtoLevel(Core.nOpenCash, level);
        EXPECT_EQ(AnsComm(), row.record);
    }
}

TEST_F(OptionsTest, TheCommunicationLineIsReadByItsOwnPositionsAndSetsTheAddressedMode) {
    struct Row {
        int16_t p911;
        bool addressed;
    };
    // The rule of the register's opening: bit 2 alone decides, whatever bit 128.
    for (const Row row : {Row{130, true}, Row{128, false}, Row{2, true}, Row{0, false}}) {
        SCOPED_TRACE(row.p911);
        CassaConf = CassaConfRec{};
        CassaConf.P911_2 = 77;
        CassaConf.P681F = 78;
        LinkState.bAddressed = !row.addressed;
        ReqState.bRdComm = True;
        // 20 fields; 12 to 15, 17 and 18 are not the register's to set here;
        // the last field of a line is never read.
        const std::string line = "1:2:3:4:5:6:7:8:9:10:11:-1:-1:-1:-1:16:-1:-1:19:" +
                                 std::to_string(row.p911) + ":999:";
        EXPECT_EQ(Feed("24", line), True);
        const CassaConfRec& c = CassaConf;
        EXPECT_EQ(c.P914, 1);
        EXPECT_EQ(c.P013, 10);
        EXPECT_EQ(c.P681S, 11);
        EXPECT_EQ(c.P681C, 16);
        EXPECT_EQ(c.P9Addr, 19);
        EXPECT_EQ(c.P911, row.p911);
        EXPECT_EQ(c.P911_2, 77);  // no extension
        EXPECT_EQ(c.P681F, 78);
        EXPECT_EQ(LinkState.bAddressed, row.addressed);
        EXPECT_EQ(Feed("24", "*"), 0);  // the end line, whose record part is empty
        EXPECT_EQ(ReqState.bRdComm, False);
    }
    // With both extensions the two fields after P911 are read.
    int16_t level = 1;
    ConfigLevel.SetProtoLevel(Core.nOpenCash, level);
    ReqState.bRdComm = True;
    Feed("24", "1:2:3:4:5:6:7:8:9:10:11:0:0:0:0:16:0:0:19:136:5:6:0:");
    EXPECT_EQ(CassaConf.P911_2, 5);
    EXPECT_EQ(CassaConf.P681F, 6);
}

TEST_F(OptionsTest, ALineThatCannotBeTakenWholeStoresNothingHalfAndIsAcknowledged) {
    struct Row {
        const char* name;
        const char* code;
        int16_t ReqStateRec::*flag;
        const char* line;
        std::function<void(CassaConfRec&)> change;  // what the line changes
        size_t notes;                                // lines in the error list
    };
    const Row rows[] = {
        {"too few", "26", &ReqStateRec::bRdScontrino, "1:2:3:", [](CassaConfRec&) {}, 1},
        {"last field not ended", "27", &ReqStateRec::bRdScontrino2, "1:2:3",
         [](CassaConfRec&) {}, 1},
        {"too many", "25", &ReqStateRec::bRdOpeCamCli, "5:6:7:8:",
         [](CassaConfRec& c) { c.P310 = 5, c.P311 = 6; }, 1},
        {"past 16 bits", "25", &ReqStateRec::bRdOpeCamCli, "40000:-7:",
         [](CassaConfRec& c) { c.P311 = -7; }, 1},
        {"text too long", "29", &ReqStateRec::bRdOpeCamCli2, "1234:3:12:",
         [](CassaConfRec& c) { c.P050 = 3, c.P050C = "00012"; }, 1},
        {"date not six digits", "28", &ReqStateRec::bRdOpGen,
         "1:1:1:1:1:1:1:1:1:1:1:1:1:0503:1:",
         [](CassaConfRec& c) {
             for (auto m : {&CassaConfRec::P042, &CassaConfRec::P110, &CassaConfRec::P019,
                            &CassaConfRec::P019_1, &CassaConfRec::P015, &CassaConfRec::P040,
                            &CassaConfRec::P012, &CassaConfRec::P017, &CassaConfRec::P213,
                            &CassaConfRec::PX2, &CassaConfRec::P915, &CassaConfRec::P216,
                            &CassaConfRec::P041, &CassaConfRec::P312})
                 c.*m = 1;
         },
         1},
        {"control byte in a text", "12", &ReqStateRec::bRdGlbCassa, "a\tb:c:0:1:2:d:e:",
         [](CassaConfRec& c) {
             c.P511 = "a b", c.P512 = "c", c.P510 = 1, c.P513 = 2, c.P518 = "d", c.P519 = "e";
         },
         0},
        {"not awaited", "26", nullptr, "9:9:9:9:", [](CassaConfRec&) {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FillMembers();
        CassaConf.P033 = 99;
        CassaConfRec want = CassaConf;
        row.change(want);
        if (row.flag) ReqState.*row.flag = True;
        shell->errors.clear();
        const int acks = Acks();
        EXPECT_EQ(Feed(row.code, row.line), True);
        EXPECT_EQ(Acks(), acks + 1);
        EXPECT_TRUE(CassaConf == want);
        EXPECT_EQ(shell->errors.size(), row.notes);
        if (row.flag) {
            EXPECT_EQ(ReqState.*row.flag, True);  // still awaiting its end
        }
        ReqState = ReqStateRec{};
    }
}

TEST_F(OptionsTest, OnlyAStarAloneEndsTheSecondRegisterGroup) {
    ReqState.bRdGlbCassa2 = True;
    EXPECT_EQ(Feed("55", "*abc:x:y:1:"), True);
    EXPECT_EQ(CassaConf.P514, "*abc");
    EXPECT_EQ(ReqState.bRdGlbCassa2, True);
    EXPECT_EQ(Feed("55", "*:"), 0);
    EXPECT_EQ(ReqState.bRdGlbCassa2, False);
    // The options read are written to Cassa.txt when the group ends.
    EXPECT_NE(testsupport::ReadAll(CashFile("Cassa.txt")).find("14=*abc"), std::string::npos);
}

TEST_F(OptionsTest, TextsGoOutWithoutSeparatorsOrControlBytes) {
    CassaConf.P514 = "a:b\x01";
    CassaConf.P515 = "c";
    CassaConf.P516 = "";
    CassaConf.P517 = 224;
    EXPECT_EQ(AnsGlbCassa2(), "a b :c::224");
}

}  // namespace
