// The hello answer, the copy of it in batch mode and the connection test's
// request, without a line. The handshake itself runs against the emulator
// (main_timer_test.cpp).
#include "core/config_level.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "emulator/wire.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "link/queue_fixture.h"
#include "engine/conn_test.h"

namespace {

class HelloTest : public queuetest::QueueTest {
protected:
    void SetUp() override {
        QueueTest::SetUp();
        ConfigLevel.InitOffLine(3, "V014057");
        queuetest::DefineCash(2, 2);
        Core.nOpenCash = 2;
        LinkState.nAddress = 2;
    }
    int16_t Answer(const std::string& payload, bool badChecksum = false) {
        LinkState.RxFrame = emu::BuildAnswer(payload, LinkState.bAddressed, LinkState.nAddress, 4,
                                             5, badChecksum);
        return GestHelloAns();
    }
};

TEST_F(HelloTest, TheAnswerFillsTheHelloRecordAndTheRegisterList) {
    struct Case {
        const char* payload;
        int16_t result;
        std::array<int16_t, 4> words;
        const char* dataOra;
        const char* info;
        const char* version;
        const char* name;
    } cases[] = {
        {"A01:011:000:000:0101241230:ID:R022002:NAME", 0, {11, 0, 0, 0}, "0101241230", "ID",
         "R022002", "NAME"},
        {"A01:000:000:064:005:0101241230: ID two : R1 :N: with colon", 0, {0, 0, 64, 5},
         "0101241230", "ID two", "R1", "N: with colon"},
        // Status word 3 only when its ":" is exactly at position 20.
        {"A01:001:002:003:12345:ID:R2:N", 0, {1, 2, 3, 0}, "12345", "ID", "R2", "N"},
        {"A01:001:002:003::ID:R2:N", 0, {1, 2, 3, 0}, "", "ID", "R2", "N"},
    };
    for (bool addressed : {false, true}) {
        LinkState.bAddressed = addressed;
        for (const Case& c : cases) {
            HelloRec = HelloRecT{};
            EXPECT_EQ(Answer(c.payload), c.result) << c.payload;
            EXPECT_EQ(HelloRec.strHelloAns, c.payload);
            EXPECT_EQ(HelloRec.HelloStatus, c.words) << c.payload;
            EXPECT_EQ(HelloRec.strDataOra, c.dataOra) << c.payload;
            EXPECT_EQ(HelloRec.strHelloInfo, c.info) << c.payload;
            EXPECT_EQ(HelloRec.strHelloVersion, c.version) << c.payload;
            EXPECT_EQ(HelloRec.strHelloName, c.name) << c.payload;
            EXPECT_EQ(CassaList[2].name, c.name);
            EXPECT_EQ(CassaList[2].release, c.version);
        }
    }
    // The register list keeps the answer in config.ini.
    std::string entry = platform::ProfileString("Casse", "C2", "", ConfigIniPath());
    EXPECT_EQ(entry, "3|N|ID|R2|1|0|2|1");  // the last answer
}

TEST_F(HelloTest, FramesThatAreNoValidHelloAreRefused) {
    HelloRec.strHelloName = "before";
    struct Case {
        const char* payload;
        bool bad;
    } cases[] = {
        {"A01:011:000:000:0101241230:ID:R022002:NAME", true},  // bad checksum
        {"A05:011:000:000:0101241230:ID:R022002:NAME", false}, // not a hello
        {"B80", false},
        {"A01:011:000:000:0101241230:ID", false},  // fields missing
        {"A01", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Answer(c.payload, c.bad), -1) << c.payload;
        EXPECT_EQ(HelloRec.strHelloName, "before") << c.payload;
    }
    // The partial answer keeps what it read before the missing field.
    EXPECT_EQ(HelloRec.HelloStatus[0], 0);
    EXPECT_EQ(CassaList[2].name, "");
    // A short frame never reads out of it.
    LinkState.RxFrame = linktest::Hex("04 03");
    EXPECT_EQ(GestHelloAns(), -1);
}

TEST_F(HelloTest, TheCopyFileFollowsItsMode) {
    HelloRec.strHelloAns = "A01:000:000:000:0101241230:ID:R1:N";
    LinkState.nAddress = 3;
    platform::MakeDir(dir.file("data.v2"));
    struct Case {
        int16_t mode;
        std::string dest;
        std::string file;  // where the line lands
        std::string before;
        std::string after;
    } cases[] = {
        {0, dir.file("hello.txt"), dir.file("hello.txt"), "old\r\n", "A01:000:000:000:0101241230:ID:R1:N\r\n"},
        {1, dir.file("hello.txt"), dir.file("hello.txt"), "old\r\n",
         "old\r\nA01:000:000:000:0101241230:ID:R1:N\r\n"},
        {2, dir.file("hello.txt"), dir.file("hello3.txt"), "", "A01:000:000:000:0101241230:ID:R1:N\r\n"},
        {2, dir.file("data.v2/hello"), dir.file("data.v2/hello3"), "",
         "A01:000:000:000:0101241230:ID:R1:N\r\n"},
    };
    for (const Case& c : cases) {
        testsupport::WriteAll(c.file, c.before);
        ::Hello.bCopyHello = true;
        ::Hello.nCopyMode = c.mode;
        ::Hello.CopyDest = c.dest;
        WriteCopyFile();
        EXPECT_EQ(testsupport::ReadAll(c.file), c.after) << c.mode << " " << c.dest;
        EXPECT_FALSE(::Hello.bCopyHello);
    }
}

// A register name holding CR LF and other control bytes still makes one
// line; a copy file that cannot be written is a failure of the run.
TEST_F(HelloTest, TheCopyFileHoldsOneLineOrSaysWhyNot) {
    static const char answer[] = "A01:000:000:000:0101241230:ID:R1:Bar\r\nNord\0\x7f";
    HelloRec.strHelloAns = std::string(answer, sizeof answer - 1);
    Work.standing = 0;
    ::Hello.bCopyHello = true;
    ::Hello.nCopyMode = 0;
    ::Hello.CopyDest = dir.file("hello.txt");
    WriteCopyFile();
    EXPECT_EQ(testsupport::ReadAll(dir.file("hello.txt")),
              "A01:000:000:000:0101241230:ID:R1:Bar  Nord  \r\n");
    EXPECT_EQ(Work.standing, 0);

    for (int16_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        Work.standing = 0;
        shell->errors.clear();
        ::Hello.bCopyHello = true;
        ::Hello.nCopyMode = mode;
        ::Hello.CopyDest = dir.file("missing/hello.txt");
        WriteCopyFile();
        EXPECT_EQ(Work.standing, 1);
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_NE(shell->errors[0].text.find(dir.file("missing/hello.txt") + ": Path not found"),
                  std::string::npos)
            << shell->errors[0].text;
        EXPECT_FALSE(::Hello.bCopyHello);
    }
}

TEST_F(HelloTest, TheConnectionTestQueuesAnEmptyCommandAndNotesTheCopyFile) {
    struct Case {
        const char* arg;
        bool copy;
        const char* dest;
        int16_t mode;
    } cases[] = {
        {"", false, "", 0},
        {"out/hello.txt", true, "out/hello.txt", 0},
        {"out/hello.txt|2", true, "out/hello.txt", 2},
        {"out/hello.txt|1", true, "out/hello.txt", 1},
        {"out/hello.txt|7", true, "out/hello.txt", 0},
        {"out/hello.txt|x", true, "out/hello.txt", 0},
    };
    for (const Case& c : cases) {
        CmdQueue = CmdQueueState{};
        ::Hello = HelloGlobals{};
        Core.strReqArg = c.arg;
        Core.sngTimerBase = 1e12;  // no global time-out
        ASSERT_TRUE(ReqConnTest()) << c.arg;
        EXPECT_EQ(::Hello.bCopyHello, c.copy) << c.arg;
        if (c.copy) {
            EXPECT_EQ(::Hello.CopyDest, c.dest) << c.arg;
            EXPECT_EQ(Core.strReqArg, c.dest) << c.arg;
        }
        EXPECT_EQ(::Hello.nCopyMode, c.mode) << c.arg;
        const CmdQueueEntry& e = CmdQueue.entries[1];
        EXPECT_EQ(e.state, -1);
        EXPECT_EQ(e.command, "");
        EXPECT_EQ(e.answers, 0);
        EXPECT_FLOAT_EQ(e.time, 2.5f);
        EXPECT_EQ(CmdQueue.saved[1].state, -1);  // committed for the other registers
    }
    // No register left: nothing is queued.
    CmdQueue = CmdQueueState{};
    CassaList[2].bDone = True;
    EXPECT_FALSE(ReqConnTest());
    EXPECT_EQ(CmdQueue.entries[1].state, 0);
}

}  // namespace
