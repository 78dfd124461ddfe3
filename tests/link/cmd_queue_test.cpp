// The command queue: adding, order of hand-out, the hand-over to the link,
// the backup for a further register, and the request flags.
#include "link/queue_fixture.h"

namespace {

class CmdQueueTest : public queuetest::QueueTest {
protected:
    void SetUp() override {
        QueueTest::SetUp();
        UseFakePort();
    }
    static std::string Add(const std::string& text, int16_t answers = 1, float time = 2.5f) {
        std::string t = text;
        EXPECT_TRUE(AddCmd(t, answers, time, "descr " + text));
        return t;
    }
    bool failOpen = true;
};

TEST_F(CmdQueueTest, KeepLockedDropsTheClosingTokenAlsoFromTheCallersText) {
    struct Case {
        bool keyLock;
        const char* text;
        const char* queued;
    } cases[] = {
        {false, "*2;+4;*F;*3;", "*2;+4;*F;*3;"},
        {true, "*2;+4;*F;*3;", "*2;+4;*F;"},
        {true, "*3;", ""},
        {true, "*2;+4;*F;", "*2;+4;*F;"},
        {true, "3;", "3;"},
    };
    for (const Case& c : cases) {
        CmdQueue = CmdQueueState{};
        Core.bKeyLock = c.keyLock;
        std::string text = c.text;
        ASSERT_TRUE(AddCmd(text, 1, 2.5f, "d"));
        EXPECT_EQ(text, c.queued) << c.text;
        EXPECT_EQ(CmdQueue.entries[1].command, c.queued) << c.text;
    }
}

TEST_F(CmdQueueTest, AddStoresTheEntryAndStartsTheWaitDisplay) {
    Add("*2;+4;&L1:99;#H;*3;", 1, 4.5f);
    const CmdQueueEntry& e = CmdQueue.entries[1];
    EXPECT_EQ(e.state, -1);
    EXPECT_EQ(e.answers, 1);
    EXPECT_FLOAT_EQ(e.time, 4.5f);
    EXPECT_EQ(e.description, "descr *2;+4;&L1:99;#H;*3;");
    EXPECT_EQ(CmdQueue.nCmdNum, 1);
    EXPECT_EQ(shell->showWaitTimeouts, std::vector<float>{4.5f});
}

TEST_F(CmdQueueTest, AFullQueueRefusesAndChangesNothing) {
    for (int i = 0; i < kQueueSize; ++i) Add("*2;" + std::to_string(i) + ";");
    std::string extra = "*2;+4;*F;*3;";
    EXPECT_FALSE(AddCmd(extra, 1, 2.5f, "x"));
    EXPECT_EQ(CmdQueue.nCmdNum, kQueueSize);
    EXPECT_EQ(CmdQueue.entries[kQueueSize].command, "*2;127;");
    EXPECT_EQ(shell->showWaitTimeouts.size(), static_cast<size_t>(kQueueSize));
}

TEST_F(CmdQueueTest, EntriesGoOutByIndexNotByAge) {
    Add("first");
    Add("second");
    QueueTick();  // hands out entry 1, which becomes free
    EXPECT_EQ(CmdQueue.nCmdCur, 1);
    EXPECT_EQ(LinkState.PendingCmd, "first");
    CmdQueue.bQueueHold = false;
    Add("third");  // takes the free entry 1
    EXPECT_EQ(CmdQueue.entries[1].command, "third");
    QueueTick();
    EXPECT_EQ(LinkState.PendingCmd, "third");
    CmdQueue.bQueueHold = false;
    QueueTick();
    EXPECT_EQ(LinkState.PendingCmd, "second");
    EXPECT_EQ(CmdQueue.nCmdCur, 2);
}

TEST_F(CmdQueueTest, HoldAndRefusedHelloStopTheHandOut) {
    Add("one");
    Add("two");
    QueueTick();
    ASSERT_TRUE(CmdQueue.bQueueHold);
    LinkState.PendingCmd.clear();
    QueueTick();  // held: nothing handed out
    EXPECT_EQ(LinkState.PendingCmd, "");
    EXPECT_EQ(CmdQueue.entries[2].state, -1);

    CmdQueue.bHelloDone = true;  // the register refused: the rest is dropped
    QueueTick();
    EXPECT_FALSE(CmdQueue.bHelloDone);
    EXPECT_FALSE(CmdQueue.bQueueHold);
    EXPECT_EQ(CmdQueue.entries[2].state, 0);
}

TEST_F(CmdQueueTest, HandOverSetsUpTheExchange) {
    struct Case {
        const char* text;
        int16_t answers;
        bool cmdPending;
        int16_t pendingAfter;
    } cases[] = {
        {"*2;+4;*F;*3;", 1, true, 3},
        {"", 0, false, 2},  // a bare hello: no answers added
        {"*2;+3;#Z;*3;", 0, true, 2},
    };
    for (const Case& c : cases) {
        LinkState.nState = 0;
        LinkState.nPendingAns = 2;
        LinkState.bNoCmd = false;
        CmdQueue.bHelloDone = true;
        ASSERT_TRUE(SetCmdToSend(c.text, c.answers, 7.5f)) << c.text;
        EXPECT_EQ(LinkState.nState, 1);
        EXPECT_TRUE(LinkState.bNoCmd);
        EXPECT_EQ(LinkState.bCmdPending, c.cmdPending) << c.text;
        EXPECT_EQ(LinkState.PendingCmd, c.text);
        EXPECT_EQ(LinkState.nPendingAns, c.pendingAfter) << c.text;
        EXPECT_FLOAT_EQ(LinkState.sngAnsTimeout, 7.5f);
        EXPECT_FALSE(CmdQueue.bHelloDone);
    }
}

// A port that cannot open fails the register: none of its commands goes out.
// In the windows the main timer takes that as a failed exchange (state 5)
// and goes on to the next register; a command-line run takes it up itself.
TEST_F(CmdQueueTest, APortThatCannotOpenDropsTheRegistersCommands) {
    SetPortFactory([this](int n) {
        auto port = std::make_unique<platform::FakeSerialPort>(n);
        port->SetFailOpen(failOpen);
        return port;
    });
    for (const bool interactive : {true, false}) {
        SCOPED_TRACE(interactive);
        Core.bInteractive = interactive;
        LinkState.nState = 0;
        shell->clearShowWaitCalls.clear();
        Add("one");
        Add("two");
        QueueTick();
        EXPECT_FALSE(CmdQueuePending());
        EXPECT_EQ(CmdQueue.nCmdNum, 0);
        EXPECT_FALSE(CmdQueue.bQueueHold);
        EXPECT_EQ(LinkState.nState, interactive ? 5 : 0);
        EXPECT_EQ(shell->clearShowWaitCalls, std::vector<bool>(interactive ? 0 : 1, true));
    }
    Core.bInteractive = true;
    LinkState.nState = 0;
}

TEST_F(CmdQueueTest, TheBackupBringsBackEntriesCountAndRequestWords) {
    ReqState.bRdReparto = True;
    ReqState.nRptIVA = kFileOpenNext;
    Add("*2;+4;&L1:99;#H;*3;");
    Add("*2;+4;*F;*3;");
    SaveCmdQueue();
    QueueTick();
    CmdQueue.bQueueHold = false;
    QueueTick();
    EXPECT_TRUE(CmdQueue.bQueueHold);
    ReqState.bRdReparto = False;
    ReqState.nRptIVA = 3;
    CmdQueue.nCmdNumSaved = 2;  // as NextPending leaves it
    CmdQueue.nCmdNum = 0;
    CmdQueue.bHelloDone = true;

    RestoreCmdQueue();
    EXPECT_EQ(CmdQueue.entries[1].state, -1);
    EXPECT_EQ(CmdQueue.entries[2].command, "*2;+4;*F;*3;");
    EXPECT_EQ(CmdQueue.nCmdNum, 2);
    EXPECT_FALSE(CmdQueue.bHelloDone);
    EXPECT_EQ(ReqState.bRdReparto, True);
    EXPECT_EQ(ReqState.nRptIVA, kFileOpenNext);
}

TEST_F(CmdQueueTest, ReadFlagsByToken) {
    struct Case {
        const char* token;
        int16_t ReqStateRec::*word;
    } cases[] = {
        {"&a", &ReqStateRec::bRdOpeCard},   {"&b", &ReqStateRec::bRdCamCard},
        {"*a", &ReqStateRec::bWrOpeCard},   {"*b", &ReqStateRec::bWrCamCard},
        {"^i", &ReqStateRec::bWrGrpSta},    {"^L", &ReqStateRec::bRdGrpSta},
        {"&P", &ReqStateRec::bRdModPag},    {"&p", &ReqStateRec::bRdGrpRep},
        {"&T", &ReqStateRec::bRdConfScoMag2}, {"&m", &ReqStateRec::bRdComm},
    };
    for (const Case& c : cases) {
        ReqState = ReqStateRec{};
        SetReqFlag(c.token);
        EXPECT_EQ(ReqState.*c.word, True) << c.token;
        ReqState.*c.word = False;
        // Nothing else was set: the meal-ticket and customer-group reads
        // share "&a" and "&b" but not the flag.
        ReqStateRec untouched{};
        EXPECT_EQ(ReqState.bRdTicketAmount, untouched.bRdTicketAmount) << c.token;
        EXPECT_EQ(ReqState.bRdClientGroup, untouched.bRdClientGroup) << c.token;
        EXPECT_EQ(ReqState.bRdModPag + ReqState.bRdGrpRep + ReqState.bRdOpeCard, 0) << c.token;
    }
    ReqState = ReqStateRec{};
    for (const char* other : {"&L", "&z", "*F", "&A", ""}) SetReqFlag(other);
    EXPECT_EQ(ReqState.bRdReparto, 0);
    EXPECT_EQ(ReqState.bRdConfPLU, 0);
}

TEST_F(CmdQueueTest, ModeFieldAndPendingCount) {
    for (auto [word, field] : {std::pair{11, "+3;"}, {0, "+0;"}, {7, "+7;"}, {15, "+7;"}, {12, "+4;"}}) {
        HelloRec.HelloStatus[0] = static_cast<int16_t>(word);
        EXPECT_EQ(GetModeField(), field) << word;
    }
    LinkState.nPendingAns = 1;
    DecPending();
    EXPECT_EQ(LinkState.nPendingAns, 0);
    DecPending();
    EXPECT_EQ(LinkState.nPendingAns, 0);
}

}  // namespace
