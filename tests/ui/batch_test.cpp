// Batch mode: the command line, the batch configuration and the request
// list, in the test's own process.
#include "core/work_record.h"
#include "common/fake_shell.h"
#include "link/hello.h"
#include "platform/profile.h"
#include "ui/shell_fixture.h"

namespace {

using shelltest::ShellTest;

bool Parse(std::vector<std::string> args) {
    Batch.args = std::move(args);
    return ParseCmdLine();
}

TEST_F(ShellTest, CommandLineOptionsAndTheirValues) {
    ASSERT_TRUE(Parse({"/r:**", "/f=batch.ini", "/e:0110", "/s:0", "/l:9", "/p:2", "/b:3", "/t:1",
                       "/a:4", "/c:hello.txt|2", "/w:1"}));
    EXPECT_EQ(Core.strReqCode, "**");
    EXPECT_EQ(Batch.strSetupFile, "batch.ini");
    EXPECT_EQ(Core.strReqArg, "batch.ini");
    EXPECT_EQ(Core.strCashMask, "0110");
    EXPECT_FALSE(Core.bSortImport);
    EXPECT_EQ(Batch.nModel, 9);
    EXPECT_EQ(Batch.nPort, 2);
    EXPECT_EQ(Batch.nBaud, 3);
    EXPECT_EQ(Batch.nLinkType, 1);
    EXPECT_EQ(Batch.nStation, 4);
    EXPECT_EQ(Batch.strHelloCopy, "hello.txt|2");
    EXPECT_EQ(Core.nWindowMode, 1);
    // A batch run always writes the serial trace.
    EXPECT_TRUE(SerLog.bSerLogData);
    EXPECT_TRUE(SerLog.bSerLogErr);

    // Upper-case letters and another separator.
    ASSERT_TRUE(Parse({"/R=*B"}));
    EXPECT_EQ(Core.strReqCode, "*B");
}

TEST_F(ShellTest, CommandLinesThatDoNotParse) {
    const std::vector<std::vector<std::string>> bad = {
        {},                          // no request code
        {"/f:setup.ini"},            // no request code
        {"/x:1", "/r:**"},           // unknown letter
        {"/r**"},                    // "*" is not a separator: no value
        {"/r:"},                     // empty code
        {"r:**"},                    // no slash
        {"/r:**", "/e:012"},         // a mask of "0" and "1" only
        {"/r:**", "/e:11111111111111111"},  // more than 16 registers
        {"/r:**", "/s:2"},  {"/r:**", "/l:13"}, {"/r:**", "/l:x"}, {"/r:**", "/p:0"},
        {"/r:**", "/b:4"},  {"/r:**", "/t:2"},  {"/r:**", "/a:16"}, {"/r:**", "/c:"},
        {"/r:**", "/w:3"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_FALSE(Parse(args)) << line;
        EXPECT_TRUE(SerLog.bSerLogData) << line;
    }
}

TEST_F(ShellTest, InitBatchTakesTheBaseFolderFromTheSetupFile) {
    Write("conf/batch.ini", "[Casse]\r\npath=base\r\n");
    ASSERT_TRUE(Parse({"/r:**", "/f:conf/batch.ini", "/l:1", "/t:1", "/a:3", "/p:2"}));
    EXPECT_TRUE(InitBatch());
    EXPECT_EQ(Core.strSetupIni, dir.file("conf/batch.ini"));
    EXPECT_EQ(Core.strModemIni, dir.file("conf/modem.ini"));
    EXPECT_EQ(Core.strPhoneBookIni, dir.file("conf/PhoneBook.ini"));
    EXPECT_EQ(Core.strRootDir, dir.file("base"));
    EXPECT_EQ(LinkState.nAddress, 3);
    EXPECT_TRUE(LinkState.bAddressed);
    EXPECT_EQ(CassaConf.P911 & 2, 2);
    EXPECT_EQ(Core.nCommPort, 2);
    EXPECT_EQ(ConfigLevel.CashType(), "LX4100");

    // Without a path the start folder is the base folder; without /f the
    // start folder's setup.ini is read.
    Write("setup.ini", "[Casse]\r\nlogerr=err.log\r\n");
    ASSERT_TRUE(Parse({"/r:**", "/t:0"}));
    InitBatch();
    EXPECT_EQ(Core.strSetupIni, dir.file("setup.ini"));
    EXPECT_EQ(Core.strRootDir, dir.path());
    EXPECT_FALSE(LinkState.bAddressed);
    EXPECT_EQ(CassaConf.P911 & 2, 0);
}

// A customer folder in a model's folder of the start folder (the windows' layout) is of that model.
TEST_F(ShellTest, TheModelOfARunComesFromOptionLOrTheModelFolder) {
    const struct {
        const char* path;   // setup file [Casse] path
        const char* casse;  // its installations
        const char* model;  // the /l option, if any
        const char* key;    // the model taken
        int number;
    } rows[] = {
        {"LX4100/Demo", "", nullptr, "LX4100", 1},
        {"lx4100/Demo", "", "/l:1", "LX4100", 1},
        {"DRAVO57/Shop", "c1=Shop|4\r\n", nullptr, "DRAVO57", 4},
        {"DRAVO57/Shop", "c1=Lx|1\r\n", "/l:3", "DRAVO57", 3},
        {"DRAVO57/Shop", "", nullptr, "DRAVO57", 3},
        {"base", "", nullptr, "TAV3800", 5},           // elsewhere: the default
        {"sub/LX4100/Demo", "", "/l:9", "TIMBREL", 9},  // not a folder of the start folder
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.path) + " " + (r.model ? r.model : ""));
        Write("batch.ini", std::string("[Casse]\r\npath=") + r.path + "\r\n" + r.casse);
        ConfigLevel.InitOffLine(12, "V014057");
        std::vector<std::string> args = {"/r:**", "/f:batch.ini"};
        if (r.model) args.push_back(r.model);
        ASSERT_TRUE(Parse(args));
        EXPECT_TRUE(InitBatch());
        EXPECT_EQ(ConfigLevel.CashType(), r.key);
        EXPECT_EQ(ConfigLevel.CashTypen(), r.number);
    }
}

TEST_F(ShellTest, LoadConfigReadsTheRunAndTheRequestListInFileOrder) {
    Write("setup.ini", "[Casse]\r\nlogerr=err.log\r\nsem=/tmp/x/done.sem\r\n");
    Write("config.ini",
          "[Globali]\r\nglobplu=1\r\n"
          "[Generiche]\r\nlangfile=/l/Testi.eng\r\ncommandstimeout=90\r\nhstlimit=3\r\n"
          "[Casse]\r\nC0=1|A|||1|0|0|1\r\nC1=2|B|||1|0|1|0\r\nC2=3|C|||1|0|2|1\r\n"
          "[Richieste]\r\nzz=*F|1:20\r\naa=HELLO\r\nmm=&L|\r\nempty=\r\n");
    ASSERT_TRUE(Parse({"/r:**", "/e:010"}));
    InitBatch();
    MainTimer.bRichiestePending = 5;
    LoadConfig();

    EXPECT_EQ(Core.strLogErrFile, dir.file("err.log"));
    EXPECT_EQ(Core.strSemFile, "/tmp/x/done.sem");
    EXPECT_TRUE(Core.bGlobPLU);
    EXPECT_EQ(Core.strLangFile, "/l/Testi.eng");
    EXPECT_EQ(Core.sngCmdTimeout, 90.0f);
    EXPECT_EQ(ShellState.HistoryLimit, 3);
    // The mask, not config.ini, chooses the registers.
    EXPECT_TRUE(CassaList[0].bDefined && CassaList[1].bDefined && CassaList[2].bDefined);
    EXPECT_EQ(CassaList[0].bEnabled, False);
    EXPECT_EQ(CassaList[1].bEnabled, True);
    EXPECT_EQ(CassaList[2].bEnabled, False);

    ASSERT_EQ(Batch.Richieste.size(), 3u);
    EXPECT_EQ(Batch.Richieste[0].code, "*F");
    EXPECT_EQ(Batch.Richieste[0].arg, "1:20");
    EXPECT_EQ(Batch.Richieste[1].code, "HELLO");
    EXPECT_EQ(Batch.Richieste[1].arg, "");
    EXPECT_EQ(Batch.Richieste[2].code, "&L");
    EXPECT_EQ(MainTimer.bRichiestePending, -1);
    EXPECT_TRUE(Batch.bListLoaded);

    // Without the keys the cycle's time-out is 1800 s and the language the
    // first of setup.ini's list.
    Write("setup.ini", "[Lingue]\r\nl1=Italiano|ita\r\nl2=English|eng\r\n");
    Write("config.ini", "[Casse]\r\n");
    LoadConfig();
    EXPECT_EQ(Core.sngCmdTimeout, 1800.0f);
    EXPECT_EQ(Core.strLangFile, platform::JoinPath(Core.strStartDir, "Testi.ita"));
}

class RequestListTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.bInteractive = false;
        Core.strLogErrFile = dir.file("err.log");
        Write("config.ini", "[Casse]\r\nC0=1|A|||1|0|0|1\r\n");
        LoadCasseConf();
        Core.nOpenCash = 0;
        Hello = HelloGlobals{};
        ResetTimer();
        Batch.bListLoaded = true;
        MainTimer.bRichiestePending = -1;
    }
    int ErrorLines(const std::string& code) const { return testsupport::CountOf(Read("err.log"), "[" + code + "]"); }
    testsupport::ScopedFakeShell shell;
};

TEST_F(RequestListTest, EachStepRunsRequestsUntilOneQueues) {
    Batch.Richieste = {{"??", "x"}, {"HELLO", "hello.txt|2"}, {"!!", ""}};
    EXPECT_TRUE(ExecRequests());
    EXPECT_EQ(MainTimer.bRichiestePending, 1);
    EXPECT_EQ(Core.strReqCode, "HELLO");
    EXPECT_TRUE(Hello.bCopyHello);
    EXPECT_EQ(Hello.CopyDest, "hello.txt");
    EXPECT_EQ(Hello.nCopyMode, 2);
    EXPECT_EQ(CmdQueue.entries[1].state, -1);
    EXPECT_EQ(CmdQueue.entries[1].command, "");
    EXPECT_EQ(ErrorLines("003"), 1);  // the unknown code before it

    EXPECT_FALSE(ExecRequests());     // the last one is unknown too: end of the list
    EXPECT_EQ(ErrorLines("003"), 2);
    EXPECT_FALSE(ExecRequests());     // and stays at its end
    EXPECT_EQ(ErrorLines("003"), 2);

    // The next register starts the list again.
    MainTimer.bRichiestePending = -1;
    EXPECT_TRUE(ExecRequests());
    EXPECT_EQ(MainTimer.bRichiestePending, 1);
}

TEST_F(RequestListTest, TheHelloCopyOptionServesARequestWithoutArgument) {
    Batch.strHelloCopy = "copy.txt|1";
    Batch.Richieste = {{"HELLO", ""}};
    EXPECT_TRUE(ExecRequests());
    EXPECT_EQ(Hello.CopyDest, "copy.txt");
    EXPECT_EQ(Hello.nCopyMode, 1);
}

TEST_F(RequestListTest, NothingRunsAfterAFailedHandshakeAnAbortOrAnExit) {
    Batch.Richieste = {{"HELLO", ""}};
    CassaList[0].bFailed = True;
    EXPECT_FALSE(ExecRequests());
    EXPECT_TRUE(Batch.bListLoaded);
    CassaList[0].bFailed = False;

    MainTimer.ExitRequest = true;
    EXPECT_FALSE(ExecRequests());
    EXPECT_FALSE(Batch.bListLoaded);  // the list is forgotten
    MainTimer.ExitRequest = false;
    EXPECT_FALSE(ExecRequests());

    Batch.bListLoaded = true;
    Batch.Richieste = {{"HELLO", ""}};
    LinkState.AbortRequest = true;
    EXPECT_FALSE(ExecRequests());
    EXPECT_FALSE(Batch.bListLoaded);
    EXPECT_EQ(ErrorLines("003"), 0);
}

TEST_F(RequestListTest, AListPastSixteenBitsIsTakenWhole) {
    Core.strLogErrFile.clear();
    Batch.Richieste.assign(40000, BatchRequest{"??", ""});
    Batch.Richieste.back() = {"HELLO", ""};
    EXPECT_TRUE(ExecRequests());
    EXPECT_EQ(MainTimer.bRichiestePending, 39999);
    EXPECT_EQ(Work.standing, 39999);
}

TEST_F(RequestListTest, AFailureCountsAlsoWithoutAnErrorLog) {
    Core.strLogErrFile.clear();
    ExecRequest("??", "");
    EXPECT_EQ(Work.standing, 1);
    EXPECT_FALSE(platform::FileExists(dir.file("err.log")));
}

}  // namespace
