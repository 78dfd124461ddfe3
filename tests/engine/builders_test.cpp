// The table send and read builders: for every builder, the queued texts,
// answer counts, time-outs, descriptions, status texts, progress ranges and
// request words, on LX4100 and on another model, with and without the
// keep-locked option.
#include "engine/builders_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/builders_fixture.h"
#include "platform/clock.h"

namespace {

using builderstest::Pending;
using builderstest::WordsOf;

constexpr uint16_t kOpen = kFileOpenNext;
using Req = ReqStateRec;

struct Text {
    std::string text;   // as the builder queues it (with its closing "*3;")
    std::string token;  // whose name is the description
    float time = 2.5f;
};
using Texts = std::vector<Text>;
// A read and a send, with the builder's answer time-out.
Text R(const std::string& token, float time = 2.5f) {
    return {"*2;+4;" + token + ";#H;*3;", token, time};
}
Text S(const std::string& token, float time = 2.5f) { return {"*2;+4;" + token + ";*3;", token, time}; }

// Applies the expected changes to the request state and the counters.
using Change = std::function<void(ReqStateRec&, TxCountersRec&, bool lx)>;
const Change kNone = [](ReqStateRec&, TxCountersRec&, bool) {};
template <typename T>
Change Set(T ReqStateRec::*word, int value) {
    return [=](ReqStateRec& r, TxCountersRec&, bool) { r.*word = static_cast<T>(value); };
}

struct Case {
    const char* name;
    std::function<bool()> run;
    Texts texts;  // on DRAVO57, and on LX4100 unless lxTexts says otherwise
    Change words;
    const char* status = nullptr;  // section "Msg" key of the status text
    const char* range = nullptr;   // the progress range set, "low high"
    bool commits = true;
    std::optional<Texts> lxTexts = {};
    const char* lxRange = nullptr;
};

const Case kCases[] = {
    // ---- sends
    {"SendValuta", SendValuta, {S("*P")}, Set(&Req::nTxValuta, kOpen)},
    {"SendRResto", SendRResto, {S("^b")}, Set(&Req::nTxRResto, kOpen)},
    {"SendTestoIcone", SendTestoIcone, {S("*Z")}, Set(&Req::nTxTestoIcone, kOpen)},
    {"SendTastiera", SendTastiera, {S("*y")},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.nTxTastieraKey = r.nTxTastieraLvl = 0; }},
    {"SendScontrino", SendScontrino, {S("*s"), S("*r")}, kNone},
    {"SendScoMag", SendScoMag, {S("*Y"), S("*W"), S("*m")},
     [](ReqStateRec& r, TxCountersRec& t, bool) { r.nTxScoMag = kOpen, t.nTxScoMagIdx = 1; },
     nullptr, nullptr, true, Texts{S("*Y"), S("*W")}},
    {"SendReparto", [] { return SendReparto(3, 40); }, {S("*F")},
     [](ReqStateRec&, TxCountersRec& t, bool) {
         t.nTxRepartoFrom = t.nTxRepartoFrom0 = 3;
         t.nTxRepartoTo = t.nTxRepartoTo0 = 40;
         t.bTxRepartoEnded = 0;
     }},
    {"SendRepFid", [] { return SendRepFid(2, 9); }, {S("^e")},
     [](ReqStateRec&, TxCountersRec& t, bool) {
         t.nTxRepFidFrom = t.nTxRepFidFrom0 = 2;
         t.nTxRepFidTo = t.nTxRepFidTo0 = 9;
         t.nTxRepFidA = t.nTxRepFidB = 0;
     }},
    {"SendSubFid", SendSubFid, {S("^d")}, [](ReqStateRec&, TxCountersRec& t, bool) { t.nTxSubFidIdx = 0; }},
    {"SendCirCli", SendCirCli, {S("^f")},
     [](ReqStateRec& r, TxCountersRec& t, bool) { t.nTxCirCliIdx = 1, r.nTxCirCli = kOpen; }},
    {"SendOpe", SendOpe, {S("*H")}, Set(&Req::nTxOpe, kOpen)},
    {"SendOpeCamCli", SendOpeCamCli, {S("*p"), S("*v")}, kNone, nullptr, nullptr, true,
     Texts{S("*p"), S("*v"), S("*d")}},
    {"SendModPag", SendModPag, {S("*U")},
     [](ReqStateRec& r, TxCountersRec& t, bool) { r.nTxModPag = kOpen, t.nTxModPagIdx = 1; }},
    {"SendTicketAmount", SendTicketAmount, {S("*a")}, Set(&Req::nTxTicketAmount, kOpen)},
    {"SendIntScontrino", [] { return SendIntScontrino(2); }, {S("*T")},
     [](ReqStateRec&, TxCountersRec& t, bool) { t.nTxIntScontrinoIdx = t.nTxIntScontrinoIdx0 = 2; },
     "26", "1 3"},
    {"SendIconePeriodo", SendIconePeriodo, {S("*N", 12.5f)},
     [](ReqStateRec&, TxCountersRec& t, bool) { t.nTxIconePeriodoIdx = 1; }, "59", "1 7"},
    {"SendIconePeriodoCmd", SendIconePeriodoCmd, {S("*N", 12.5f)},
     [](ReqStateRec&, TxCountersRec& t, bool) { t.nTxIconePeriodoIdx = 1; }, "59", "1 7"},
    {"SendGrpRep", SendGrpRep, {S("*O")}, Set(&Req::nTxGrpRep, kOpen)},
    {"SendGrpSta", SendGrpSta, {S("^i")}, Set(&Req::nTxGrpSta, kOpen)},
    {"SendClientGroup", SendClientGroup, {S("*o")}, Set(&Req::nTxClientGroup, 0)},
    {"SendGlbCassa", SendGlbCassa, {S("*V"), S("*X")}, kNone, nullptr, nullptr, true, Texts{S("*V")}},
    {"SendPLU", [] { return SendPLU(5, 60); }, {R("&z"), S("*G", 10.0f)},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         r.bRdConfPLU = True, r.nTxPLU = kOpen;
         t.nTxPLUFrom = t.nTxPLUFrom0 = 5;
         t.nTxPLUTo = t.nTxPLUTo0 = 60;
     },
     "23", "5 61"},
    {"SendOff", [] { return SendOff(1, 20); }, {R("&z"), S("*L", 10.0f)},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         r.bRdConfPLU = True, r.nTxOff = kOpen;
         t.nTxOffFrom = t.nTxOffFrom0 = 1;
         t.nTxOffTo = t.nTxOffTo0 = 20;
     },
     "21", "1 21"},
    {"SendDirPLU", SendDirPLU, {R("&l"), S("*i"), S("*i")},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         r.bRdDirPLU = True, r.nRdDirPLUIdx = 1, r.nTxDirPLU = kOpen;
         t.bTxDirPLUClean = True, t.nTxDirPLUIdx = 0;  // the read belongs to the send
     }},
    {"SendFMult", [] { return SendFMult(4, 250); }, {S("*l")},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         t.nTxFMultFrom = t.nTxFMultFrom0 = 4;
         t.nTxFMultTo = t.nTxFMultTo0 = 250;
         r.nTxFMult2 = r.nTxFMult = kOpen;
     }},
    {"SendCli", [] { return SendCli(1, 70000); }, {S("*M", 180.0f)},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         r.nTxCli = kOpen;
         t.nTxCliFrom = t.nTxCliFrom0 = 1;
         t.nTxCliTo = t.nTxCliTo0 = 70000;  // past 16 bits
     }},
    {"SendCam", SendCam, {S("*J")}, Set(&Req::nTxCam, kOpen)},
    {"SendBollino", SendBollino, {S("*Q")}, Set(&Req::nTxBollino, kOpen)},
    {"SendOpGen", [] { return SendOpGen("/0101241230;", true); },
     {{"/0101241230;*2;+4;*t;*3;", "*t", 2.5f}, S("*I")}, kNone},
    {"SendOpGenAlone", [] { return SendOpGen("", false); }, {S("*t")}, kNone},
    {"SendComm", SendComm, {S("*n", 20.5f), S("*t")}, kNone},
    {"SendPrzPeso", SendPrzPeso, {S("^g")},
     [](ReqStateRec& r, TxCountersRec& t, bool) { t.nTxPrzPesoIdx = 1, r.nTxPrzPeso = kOpen; }},
    // ---- reads
    {"ReqValuta", ReqValuta, {R("&s")}, Set(&Req::bRdValuta, True), "51", "1 4"},
    {"ReqTestoIcone", ReqTestoIcone, {R("&Z")}, Set(&Req::bRdTestoIcone, True), "49", "1 100"},
    {"ReqTastiera", ReqTastiera, {R("&k")}, Set(&Req::bRdTastiera, True), "73", "1 100"},
    {"ReqScontrino", ReqScontrino, {R("&q"), R("&t")},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdScontrino = r.bRdScontrino2 = True; }},
    {"ReqScoMag", ReqScoMag, {R("&R"), R("&T"), R("&f")},
     [](ReqStateRec& r, TxCountersRec&, bool lx) {
         r.bRdScoMag = r.bRdConfScoMag = True;
         if (!lx) r.bRdConfScoMag2 = True;
     },
     "68", "1 21", true, Texts{R("&R"), R("&f")}, "1 7"},
    {"ReqReparto", [] { return ReqReparto(1, 99); }, {R("&L1:99", 4.5f)}, Set(&Req::bRdReparto, True),
     "44", "1 100"},
    {"ReqRepFid", [] { return ReqRepFid(7, 12); }, {R("^E7:12", 4.5f)}, Set(&Req::bRdRepFid, True),
     "44", "7 13"},
    {"ReqSubFid", ReqSubFid, {S("^D")}, Set(&Req::bRdSubFid, True), nullptr, "1 10", false},
    {"ReqCirCli", ReqCirCli, {S("^F")}, Set(&Req::bRdCirCli, True), nullptr, "1 10", false},
    {"ReqPrzPeso", ReqPrzPeso, {S("^G")}, Set(&Req::bRdPrzPeso, True), nullptr, "1 10", false},
    {"ReqOpe", ReqOpe, {R("&N")}, Set(&Req::bRdOpe, True), "29", "1 21"},
    {"ReqOpeCamCli", ReqOpeCamCli, {R("&o"), R("&v")},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdOpeCamCli = r.bRdOpeCamCli2 = True; }},
    {"ReqModPag", ReqModPag, {R("&P")}, Set(&Req::bRdModPag, True), "27", "1 41", true, {}, "1 11"},
    {"ReqTicketAmount", ReqTicketAmount, {R("&a")}, Set(&Req::bRdTicketAmount, True), "27", "1 16"},
    {"ReqIntScontrino", ReqIntScontrino, {R("&O")}, Set(&Req::bRdIntScontrino, True), "25", "1 3"},
    {"ReqIconePeriodo", ReqIconePeriodo, {R("&i")}, Set(&Req::bRdIconePeriodo, True), "58", "1 7"},
    {"ReqGrpRep", ReqGrpRep, {R("&p")}, Set(&Req::bRdGrpRep, True), "77", "1 13"},
    {"ReqGrpSta", ReqGrpSta, {R("^L")}, Set(&Req::bRdGrpSta, True), "77", "1 20"},
    {"ReqClientGroup", ReqClientGroup, {R("&b")}, Set(&Req::bRdClientGroup, True), "lcligroups",
     "1 256"},
    {"ReqGlbCassa", ReqGlbCassa, {R("&Q"), R("&S")},
     [](ReqStateRec& r, TxCountersRec&, bool lx) {
         r.bRdGlbCassa = True;
         if (!lx) r.bRdGlbCassa2 = True;
     },
     nullptr, nullptr, true, Texts{R("&Q")}},
    {"ReqConfPLU", [] { return ReqConfPLU(true); }, {R("&z")}, Set(&Req::bRdConfPLU, True)},
    {"ReqPLU", [] { return ReqPLU("&M1:999999999999"); }, {R("&z"), R("&M1:999999999999", 20.0f)},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdConfPLU = True, r.nFileC08 = kOpen; }, "22",
     "1 100"},
    {"ReqOff", [] { return ReqOff(1, 20, "&M999999990000:999999999999"); },
     {R("&z"), R("&M999999990000:999999999999", 20.0f)},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdConfPLU = True, r.nFileC08 = kOpen; }, "20",
     "1 21"},
    {"ReqDirPLU", ReqDirPLU, {R("&l")},
     [](ReqStateRec& r, TxCountersRec& t, bool) {
         r.bRdDirPLU = True, r.nRdDirPLUIdx = 1;
         t.bTxDirPLUClean = False;  // a read on its own
     }},
    {"ReqFMult", ReqFMult, {R("&H")},
     [](ReqStateRec& r, TxCountersRec& t, bool) { r.bRdFMult = True, t.nRdFMultState = 0; }, "10",
     "1 100"},
    {"ReqCli", [] { return ReqCli("1", "999999999999"); }, {R("&I1:999999999999", 5.0f)},
     Set(&Req::nFileC16, kOpen), "56", "1 100"},
    {"ReqCam", ReqCam, {R("&K")}, Set(&Req::bRdCam, True)},
    {"ReqBollino", ReqBollino, {R("&r")}, Set(&Req::bRdBollino, True)},
    {"ReqOpGen", ReqOpGen, {R("&u"), R("&W")},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdOpGen = r.bRdTabIva = True; }},
    {"ReqComm", ReqComm, {R("&m"), R("&u")},
     [](ReqStateRec& r, TxCountersRec&, bool) { r.bRdComm = r.bRdOpGen = True; }},
    {"ReqCode", [] { return ReqCode("&a"); }, {R("&a")}, Set(&Req::bRdOpeCard, True)},
};

class BuildersTest : public builderstest::BuildersFixture {
protected:
    // A model, request state and counters as an idle program has them; the
    // counters hold values no builder sets, so that a set is seen.
    void Fresh(int16_t model) {
        ConfigLevel.InitOffLine(model, "V014057");
        CmdQueue = CmdQueueState{};
        ReqState = ReqStateRec{};
        ReqState.nTxTastieraKey = 5;
        ReqState.nTxTastieraLvl = 1;
        ReqState.nTxClientGroup = 9;
        ReqState.nRdDirPLUIdx = 4;
        std::memset(static_cast<void*>(&Tx), 7, sizeof(Tx));
        Transfer = TransferGlobals{};
        OpeCard.bValid = True;
        for (auto& e : CassaList) e.bDone = False;
        Core.sngTimerBase = platform::Timer();  // an operation is running
        LinkState.AbortRequest = false;
        shell_.shell = testsupport::FakeShell{};
    }

    // The progress ranges set, in order.
    std::vector<std::string> RangeCalls() {
        std::vector<std::string> out;
        for (const std::string& c : shell_->pgbCalls)
            if (c.rfind("range", 0) == 0) out.push_back(c);
        return out;
    }
};

TEST_F(BuildersTest, EveryBuilderQueuesItsTextsAndWords) {
    struct Model {
        int16_t number;
        bool lx;
    };
    for (const Model model : {Model{1, true}, Model{3, false}}) {
        for (bool keyLock : {false, true}) {
            for (const Case& c : kCases) {
                SCOPED_TRACE(std::string(c.name) + (model.lx ? " LX4100" : " DRAVO57") +
                             (keyLock ? " keep-locked" : ""));
                Fresh(model.number);
                Core.bKeyLock = keyLock;
                if (!c.commits) NextCash(true);  // these go to the register already selected
                ReqStateRec words = ReqState;
                TxCountersRec counters = Tx;

                // LX4100 lacks these tables: their builders queue nothing, change no word.
                const std::string builder = c.name;
                if (model.lx && (builder == "SendRResto" || builder.find("Fid") != std::string::npos ||
                                 builder.find("TicketAmount") != std::string::npos ||
                                 builder.find("CirCli") != std::string::npos ||
                                 builder.find("ClientGroup") != std::string::npos)) {
                    EXPECT_FALSE(c.run());
                    EXPECT_TRUE(Pending().empty());
                    EXPECT_EQ(WordsOf(ReqState), WordsOf(words));
                    continue;
                }

                ASSERT_TRUE(c.run());

                const Texts& want = model.lx && c.lxTexts ? *c.lxTexts : c.texts;
                std::vector<CmdQueueEntry> got = Pending();
                ASSERT_EQ(got.size(), want.size());
                for (size_t i = 0; i < want.size(); ++i) {
                    std::string text = want[i].text;
                    if (keyLock) text.erase(text.size() - 3);  // "*3;" is dropped
                    EXPECT_EQ(got[i].command, text) << i;
                    EXPECT_EQ(got[i].answers, 1) << i;
                    EXPECT_FLOAT_EQ(got[i].time, want[i].time) << i;
                    EXPECT_EQ(got[i].description, GetProtocolText(want[i].token)) << i;
                    EXPECT_FALSE(got[i].description.empty()) << i;
                }

                // Only the operator transfers clear the card on show.
                const std::string name = c.name;
                EXPECT_EQ(OpeCard.bValid, name == "SendOpe" || name == "ReqOpe" ? False : True);

                c.words(words, counters, model.lx);
                if (c.commits) words.bTxTurnStart = True;
                std::vector<uint16_t> wantWords = WordsOf(words), gotWords = WordsOf(ReqState);
                for (size_t i = 0; i < wantWords.size(); ++i)
                    EXPECT_EQ(gotWords[i], wantWords[i]) << "request-state word " << i;
                EXPECT_TRUE(Tx == counters);

                // The commit keeps the queue and the words for the next register.
                if (c.commits) {
                    EXPECT_EQ(CmdQueue.saved[1].command, got[0].command);
                    EXPECT_EQ(WordsOf(CmdQueue.udtReqStateSaved), gotWords);
                    EXPECT_TRUE(Transfer.txSaved == Tx);
                } else {
                    EXPECT_EQ(CmdQueue.saved[1].state, 0);
                }

                const auto& fake = shell_->pgbCalls;
                if (c.status) {
                    std::string status = GetText("Msg", c.status) + " - " + GetText("Msg1", "2");
                    const auto& texts = shell_->statusTexts;
                    EXPECT_NE(std::find(texts.begin(), texts.end(), status), texts.end()) << status;
                }
                if (c.range) {
                    std::string call = "range " + std::string(model.lx && c.lxRange ? c.lxRange : c.range);
                    EXPECT_NE(std::find(fake.begin(), fake.end(), call), fake.end()) << call;
                }
            }
        }
    }
}

TEST_F(BuildersTest, RangedReadsSetTheirOwnRangeThenTheInnerOne) {
    Fresh(3);
    ASSERT_TRUE(ReqReparto(5, 20));
    EXPECT_EQ(Pending()[0].command, "*2;+4;&L5:20;#H;*3;");
    EXPECT_EQ(RangeCalls(), (std::vector<std::string>{"range 5 21", "range 1 100"}));
}

TEST_F(BuildersTest, SharedOptionReadsAreQueuedOnceDuringABulkRun) {
    Fresh(3);
    ShellState.GlobProgBusy = true;
    ASSERT_TRUE(SendPLU(1, 50));
    ASSERT_TRUE(SendOff(1, 10));
    ASSERT_TRUE(ReqPLU("&M1:999999999999"));
    ASSERT_TRUE(ReqOpGen());
    ASSERT_TRUE(ReqComm());
    std::vector<std::string> texts;
    for (const CmdQueueEntry& e : Pending()) texts.push_back(e.command);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "*2;+4;&z;#H;*3;", "*2;+4;*G;*3;", "*2;+4;*L;*3;",
                         "*2;+4;&M1:999999999999;#H;*3;", "*2;+4;&u;#H;*3;", "*2;+4;&W;#H;*3;",
                         "*2;+4;&m;#H;*3;"}));
    // Outside a bulk run every one of them asks again.
    Fresh(3);
    ShellState.GlobProgBusy = false;
    ReqState.bRdConfPLU = True;
    ASSERT_TRUE(SendPLU(1, 50));
    EXPECT_EQ(Pending().size(), 2u);
}

TEST_F(BuildersTest, DumpsCountOnlyWhenQueued) {
    Fresh(3);
    ASSERT_TRUE(ReqPLU("&M1:999999999999"));
    ASSERT_TRUE(ReqOff(1, 20, "&M999999990000:999999999999"));
    EXPECT_EQ(Transfer.nC08Pending, 2);
    SetEnabled(false);
    Fresh(3);
    EXPECT_FALSE(ReqPLU("&M1:999999999999"));
    EXPECT_EQ(Transfer.nC08Pending, 0);
}

TEST_F(BuildersTest, WithoutARegisterNothingIsQueued) {
    SetEnabled(false);
    for (const Case& c : kCases) {
        if (!c.commits) continue;
        SCOPED_TRACE(c.name);
        Fresh(3);
        EXPECT_FALSE(c.run());
        EXPECT_TRUE(Pending().empty());
    }
    // What the customers send and the receipt header send keep before the
    // selection stays kept.
    Fresh(3);
    EXPECT_FALSE(SendCli(3, 40000));
    EXPECT_EQ(Tx.nTxCliFrom, 3);
    EXPECT_EQ(Tx.nTxCliTo, 40000);
    Fresh(3);
    EXPECT_FALSE(SendIntScontrino(2));
    EXPECT_EQ(Tx.nTxIntScontrinoIdx, 2);
    EXPECT_EQ(RangeCalls(), std::vector<std::string>{"range 1 3"});
    // The second-group reads still queue, for no register, and commit nothing.
    Fresh(3);
    EXPECT_TRUE(ReqSubFid());
    EXPECT_EQ(Pending().size(), 1u);
    EXPECT_EQ(CmdQueue.saved[1].state, 0);
}

TEST_F(BuildersTest, AFullQueueStillTriesEveryTextAndCommits) {
    Fresh(3);
    for (int i = 1; i < kQueueSize; ++i) CmdQueue.entries[i].state = -1;  // one entry free
    EXPECT_FALSE(SendComm());  // "*n" takes the last entry, "*t" finds none
    EXPECT_EQ(CmdQueue.entries[kQueueSize].command, "*2;+4;*n;*3;");
    EXPECT_EQ(CmdQueue.saved[kQueueSize].command, "*2;+4;*n;*3;");
}

TEST_F(BuildersTest, BatchCodesRunTheirBuilders) {
    struct Row {
        const char* code;
        std::string arg;
        bool known;
        bool queued;
        std::vector<std::string> texts;
        bool alpha = false;  // the PLU options allow alphanumeric PLU codes
    };
    const std::vector<std::string> none;
    const Row rows[] = {
        {"*F", "", true, true, {"*2;+4;*F;*3;"}},
        {"&L", std::string("1\0:2", 4), true, true, {"*2;+4;&L1:2;#H;*3;"}},  // NUL stands for a blank
        {"&M", " 5 : 9 ", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&M5:9;#H;*3;"}},
        {"&L", "", true, true, {"*2;+4;&L1:250;#H;*3;"}},
        {"&L", "3:7", true, true, {"*2;+4;&L3:7;#H;*3;"}},
        {"&L", " 3 : 7 ", true, true, {"*2;+4;&L3:7;#H;*3;"}},
        {"&L", "x:", true, false, {}},
        {"&L", "out.txt", true, true, {"*2;+4;&L1:250;#H;*3;"}},
        {"&L", "1:40000", true, false, {}},
        // A range goes out as it was written, without the blanks around it.
        {"&L", "001:005", true, true, {"*2;+4;&L001:005;#H;*3;"}},
        {"^E", " 02 :9", true, true, {"*2;+4;^E02:9;#H;*3;"}},
        {"&I", "007:010", true, true, {"*2;+4;&I007:010;#H;*3;"}},
        {"&I", "000000000001:999999999999", true, true, {"*2;+4;&I000000000001:999999999999;#H;*3;"}},
        {"&I", "1:9999999999999", true, false, none},  // wider than a customer code
        {"&I", "0000000000001:5", true, false, none},
        {"&M", "0000000000005:9", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&M0000000000005:9;#H;*3;"}},
        {"&M", "00000000000005:9", true, false, none},  // wider than a code
        {"&M", "000:9", true, false, none},
        // Alphanumeric PLU codes where the PLU options allow them, in PLU file order.
        {"&M", "A:Z", true, false, none},
        {"&M", "A:Z", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&MA:Z;#H;*3;"}, true},
        {"&M", " ABC : XYZ ", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&MABC:XYZ;#H;*3;"}, true},
        {"&M", "1:ABC", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&M1:ABC;#H;*3;"}, true},
        {"&M", "9:10", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&M9:10;#H;*3;"}, true},
        {"&M", "Z:A", true, false, none, true},
        {"&M", "0:A", true, false, none, true},
        {"&M", "A B:Z", true, false, none, true},
        {"&M", "A;B:Z", true, false, none, true},
        {"&M", "A:Z:Z", true, false, none, true},
        {"&M", std::string("A\x01:Z"), true, false, none, true},
        {"&M", "ABCDEFGHIJKLMN:Z", true, false, none, true},
        {"&I", "A:Z", true, false, none, true},  // customer codes are numbers
        {"^E", "2:9", true, true, {"*2;+4;^E2:9;#H;*3;"}},
        {"&M", "", true, true, {"*2;+4;&z;#H;*3;", "*2;+4;&M1:999999999999;#H;*3;"}},
        {"&M", "999999990000:999999999999", true, true,
         {"*2;+4;&z;#H;*3;", "*2;+4;&M999999990000:999999999999;#H;*3;"}},
        {"&I", "", true, true, {"*2;+4;&I1:999999999999;#H;*3;"}},
        {"*T", "", true, true, {"*2;+4;*T;*3;"}},
        {"*T", "5", true, false, {}},
        {"*t", "", true, true, {"*2;+4;*t;*3;", "*2;+4;*I;*3;"}},
        {"&a", "", true, true, {"*2;+4;&a;#H;*3;"}},
        {"*M", "import.txt", true, true, {"*2;+4;*M;*3;"}},
        {"^D", "", true, true, {"*2;+4;^D;*3;"}},
        {"#Z", "", false, false, {}},
        {"*?", "", false, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.code) + " [" + row.arg + "]");
        Fresh(3);
        NextCash(true);  // the batch run has opened the register
        CassaConf.P210 = row.alpha ? 255 : 254;
        Core.strReqArg = row.arg;
        bool queued = true;
        EXPECT_EQ(RunTableBuilder(row.code, Core.strReqArg, queued), row.known);  // as a run does
        EXPECT_EQ(queued, row.queued);
        std::vector<std::string> texts;
        for (const CmdQueueEntry& e : Pending()) texts.push_back(e.command);
        EXPECT_EQ(texts, row.texts);
        // A range is no copy destination; a file name stays one.
        bool range = row.arg.find(':') != std::string::npos;
        EXPECT_EQ(Core.strReqArg, range && row.queued ? "" : row.arg);
    }
    // "*F" whose argument names a file sends the whole table, never a range
    // that another send left in the counters.
    Fresh(3);
    NextCash(true);
    Tx.nTxRepartoFrom = 3;
    Tx.nTxRepartoTo = 12;
    bool queued = false;
    EXPECT_TRUE(RunTableBuilder("*F", "depts.txt", queued));
    EXPECT_TRUE(queued);
    EXPECT_EQ(Tx.nTxRepartoFrom0, 1);
    EXPECT_EQ(Tx.nTxRepartoTo0, Sizes.nMaxReparti);
}

}  // namespace
