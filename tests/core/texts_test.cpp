#include "core/texts.h"
#include "core/work_record.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <string>
#include <map>
#include <regex>
#include <fstream>

#include "common/child_process.h"
#include "common/fake_shell.h"
#include "core/core_fixture.h"
#include "core/main_timer_state.h"
#include "platform/clock.h"
#include "platform/profile.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

const std::string kStamp = "07/03/2024 - 09:05:03";

class TextsTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Model(5);
        platform::SetTestNow([] {
            platform::LocalDateTime t;
            t.year = 2024, t.month = 3, t.day = 7, t.hour = 9, t.minute = 5, t.second = 3;
            return t;
        });
        Core.strLangFile = dir.file("Testi.eng");
        WriteAll(Core.strLangFile,
                 "[Msg]\r\n"
                 "x_5=Model five\r\n"
                 "y=Plain\r\n"
                 "y_5=Never used\r\n"
                 "z=\r\n"
                 "z_6=Model six\r\n"
                 "long=" + std::string(200, 'L') + "\r\n"
                 "1=No answer\r\n"
                 "5=Sending\r\n"
                 "81=Confirm\r\n"
                 "83=Read incomplete\r\n"
                 "84=Write incomplete\r\n"
                 "[Msg1]\r\n"
                 "2=please wait\r\n"
                 "12=from the register\r\n"
                 "19=Overwrite the record?\r\n"
                 "21=card or group\r\n"
                 "[Protocol_TAV3800]\r\n"
                 "*A=Upper A\r\n"
                 "*aa=Lower a\r\n"
                 "*bb=Lower b\r\n"
                 "^L=Caret L\r\n"
                 "#=Hash alone\r\n");
    }
    void TearDown() override {
        platform::SetTestNow(nullptr);
        CoreTest::TearDown();
    }

    testsupport::ScopedFakeShell shell;
};

TEST_F(TextsTest, GetTextFallsBackToTheModelKeyAndCutsLongTexts) {
    struct Case {
        int16_t model;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {5, "Msg", "x", "Model five"},  // only the per-model form exists
        {6, "Msg", "x", ""},
        {5, "Msg", "y", "Plain"},       // a non-empty plain key wins
        {6, "Msg", "z", "Model six"},   // an empty plain key falls back too
        {5, "Msg", "z", ""},
        {5, "msg", "Y", "Plain"},       // sections and keys ignore case
        {5, "Nope", "y", ""},
        {5, "Msg", "missing", ""},
    };
    for (const Case& c : cases) {
        Model(c.model);
        EXPECT_EQ(GetText(c.section, c.key), c.expected) << c.model << " " << c.key;
    }
    EXPECT_EQ(GetText("Msg", "long"), std::string(127, 'L'));  // cut at 127 characters
    // Without a language file every text is empty.
    for (const std::string& file : {dir.file("absent.eng"), std::string()}) {
        Core.strLangFile = file;
        EXPECT_EQ(GetText("Msg", "y"), "");
    }
}

TEST_F(TextsTest, ATextChangedOnDiskOrAnotherLanguageIsSeenByTheNextLookup) {
    // Both files old enough for their lookups to come from memory.
    const std::string other = dir.file("Testi.ita");
    WriteAll(other, "[Msg]\r\ny=Semplice\r\n");
    ::usleep((platform::kProfileSettleMs + 100) * 1000);
    ASSERT_EQ(GetText("Msg", "y"), "Plain");
    ASSERT_EQ(GetText("Msg", "y"), "Plain");
    std::string text = ReadAll(Core.strLangFile);
    text.replace(text.find("y=Plain"), 7, "y=Other");  // the same size
    WriteAll(Core.strLangFile, text);
    EXPECT_EQ(GetText("Msg", "y"), "Other");

    Core.strLangFile = other;
    EXPECT_EQ(GetText("Msg", "y"), "Semplice");
}

TEST_F(TextsTest, GetProtocolTextDoublesALowerCaseSecondLetter) {
    EXPECT_EQ(GetProtocolText("*a"), "Lower a");
    EXPECT_EQ(GetProtocolText("*A"), "Upper A");
    EXPECT_EQ(GetProtocolText("*b;+4;"), "Lower b");
    EXPECT_EQ(GetProtocolText("^L"), "Caret L");
    EXPECT_EQ(GetProtocolText("#"), "Hash alone");
    EXPECT_EQ(GetProtocolText(""), "");
    Model(3);  // another model has its own section
    EXPECT_EQ(GetProtocolText("*A"), "");
}

TEST_F(TextsTest, ShowMsgComposesShowsAndLogs) {
    WriteAll(dir.file("msg.log"), "previous run\r\n");
    ShowMsg("5", "2");
    ShowMsg("", "2");
    ShowMsg("5", "");
    ShowMsg("", "");  // clears the panel, logs nothing
    ShowMsg("nokey", "nokey");  // keys the language file lacks are named
    ShowMsgText("a", "b");
    ShowMsgText("a", "");
    ShowMsgText("", "");
    EXPECT_EQ(shell->statusTexts,
              (std::vector<std::string>{"Sending - please wait", " - please wait", "Sending", "",
                                        "Msg nokey - Msg1 nokey", "a-b", "a", ""}));
    EXPECT_EQ(ReadAll(dir.file("msg.log")),
              kStamp + " : Sending - please wait\r\n" +
              kStamp + " :  - please wait\r\n" +
              kStamp + " : Sending\r\n" +
              kStamp + " : Msg nokey - Msg1 nokey\r\n" +
              kStamp + " : a-b\r\n" +
              kStamp + " : a\r\n");
}

TEST_F(TextsTest, MsgLogWaitsForTheBaseFolder) {
    Core.strRootDir.clear();
    EXPECT_FALSE(WriteMsgLog("early"));
    EXPECT_EQ(Texts.nMsgLogFile, -1);
    Core.strRootDir = dir.path();
    WriteAll(dir.file("msg.log"), "old\r\n");
    EXPECT_TRUE(WriteMsgLog("first"));
    EXPECT_EQ(ReadAll(dir.file("msg.log")), kStamp + " : first\r\n");
}

// The fixed-column error-log line: 21 + 6 + 81 + 32 = 140 characters.
TEST_F(TextsTest, LogErrWritesTheFixedColumnLine) {
    auto entry = [](CashRec& c, const char* name, const char* number, const char* station) {
        c.name = name, c.number = number, c.release = "R022002", c.port = "2";
        c.addressed = "1", c.station = station;
    };
    entry(CassaList[0], "CASSA 1", "1", "0");
    entry(CassaList[3], "NEGOZIO CENTRALE", "1234", "3");  // wider than its columns: cut
    entry(CassaList[5], "FAR", "6", "0");  // on a line of its own, at station 0 too
    entry(CassaList[6], "", "7", "6");
    CassaList[6].name = std::string("A\0B\x01", 4);  // control bytes: blanks
    const std::string reg0 = "   CASSA 1  1   R022002  2  1  0";
    const std::string longArg(80, 'a');  // " <*G|" and 80 characters: 76 kept, "...>" and a blank
    struct Case {
        int reg;  // the register the line is about
        const char *reqCode, *reqArg;
        int16_t code, status1;
        std::string line;
    } cases[] = {
        {0, "*B", "x", 11, 0, " [011] <*B|x>" + std::string(74, ' ') + reg0},
        {0, "*B", "x", 255, 64, " [255-064] <*B|x>" + std::string(74, ' ') + reg0},
        {0, "*G", longArg.c_str(), 8, 0, " [008]" + (" <*G|" + longArg).substr(0, 76) + "...> " + reg0},
        {3, "", "", 5, 0, " [005] <|>" + std::string(77, ' ') + "NEGOZIO CE123   R022002  2  1  3"},
        {40, "", "", 5, 0, " [005] <|>" + std::string(77 + 32, ' ')},  // outside the list: blanks
        {-1, "", "", 5, 0, " [005] <|>" + std::string(77 + 32, ' ')},
        {5, "", "", 5, 0, " [005] <|>" + std::string(77, ' ') + "       FAR  6   R022002  2  1  0"},
        {6, "", "", 5, 0, " [005] <|>" + std::string(77, ' ') + "      A B   7   R022002  2  1  6"},
    };
    // Whatever register is open and whatever its request: the line is about its own.
    Core.nOpenCash = 3;
    Core.strReqCode = "#Z";
    for (const Case& c : cases) {
        HelloRec.HelloStatus[1] = c.status1;
        EXPECT_EQ(FormatLogErrLine(c.code, AboutRegister(c.reg, c.reqCode, c.reqArg)), kStamp + c.line);
        // The hello status after code 255 takes four more columns.
        EXPECT_EQ((kStamp + c.line).size(), c.code == 255 ? 144u : 140u) << c.line;
    }
    // The file gets one line per call, appended.
    Core.strLogErrFile = dir.file("err.log");
    Core.nOpenCash = 0;
    Core.strReqCode = "*B";
    Core.strReqArg = "x";  // the windows' request as it is worked on
    ASSERT_TRUE(LogErr(11, OpenTurnSubject()));
    ASSERT_TRUE(LogErr(11, AboutRegister(0, "*B", "x")));
    const std::string line = kStamp + cases[0].line + "\r\n";
    EXPECT_EQ(ReadAll(Core.strLogErrFile), line + line);
}

// A command-line run: every line is written when its failure happens. A
// failure of a register's failed turn is made good (a message-log line, no
// failure of the run) only when its extra turn did that request again
// without a failure; one the extra turn cannot do again stays.
TEST_F(TextsTest, AFailureIsMadeGoodOnlyByTheExtraTurnDoingItsRequestAgain) {
    const struct {
        const char* name;
        bool kept;         // the failure's work is not done again (an import)
        int retryFailsAt;  // the request at which the extra turn fails; -1 none
        bool madeGood;
        int failedAt = 1;  // the request of the failure; the turn breaks off at request 1
        bool fromSetup = false;  // the first failure is not mended by running the job again
    } cases[] = {{"made good", false, -1, true}, {"failed again", false, 1, false},
                 {"not reached", false, 0, false}, {"import not done again", true, -1, false},
                 {"an earlier request, not done again", false, -1, false, 0},
                 {"the setup's, made good", false, -1, true, 1, true},
                 {"the setup's, failed again", false, 1, false, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        Core.strLogErrFile = dir.file("err.log");
        WriteAll(Core.strLogErrFile, "");
        WriteAll(dir.file("msg.log"), "");
        StartRunTurn(0, 0);
        MainTimer.bRichiestePending = c.failedAt;
        LogErr(1, OpenTurnSubject(), c.fromSetup);
        if (c.kept) KeepRunFailures();
        EXPECT_EQ(testsupport::CountOf(ReadAll(Core.strLogErrFile), "\n"), 1);
        EndRunTurn(1, true, true);  // the register's second request breaks its turn off
        StartRunTurn(0, 1);         // its extra turn
        MainTimer.bRichiestePending = c.retryFailsAt < 0 ? 2 : c.retryFailsAt;
        if (c.retryFailsAt >= 0) LogErr(11, OpenTurnSubject());
        EndRunTurn(MainTimer.bRichiestePending, c.retryFailsAt >= 0, false);
        // A failure made good is followed by a line that says so.
        const int failures = c.retryFailsAt < 0 ? 1 : 2;
        const std::string log = ReadAll(Core.strLogErrFile);
        EXPECT_EQ(testsupport::CountOf(log, "\n"), failures + (c.madeGood ? 1 : 0));
        EXPECT_EQ(testsupport::CountOf(log, "[018]"), c.madeGood ? 1 : 0) << log;
        EXPECT_EQ(Work.standing, failures - (c.madeGood ? 1 : 0));
        // Running the job again mends only what still stands, and never what
        // the setup must fix.
        EXPECT_EQ(Work.mendable, Work.standing - (c.fromSetup && !c.madeGood ? 1 : 0));
        EXPECT_EQ(ReadAll(dir.file("msg.log")).find("[001]") != std::string::npos, c.madeGood);
    }
}

// A register not released is a run failure until a later closing of it releases it.
TEST_F(TextsTest, ARegisterNotReleasedIsMadeGoodByItsNextRelease) {
    const struct {
        std::vector<std::pair<int, bool>> closings;  // register, released
        int failures;                                // of the run at the end
    } cases[] = {{{{0, false}, {0, true}}, 0}, {{{0, false}, {0, false}, {0, true}}, 0},
                 {{{0, false}, {1, true}}, 1}, {{{0, true}, {0, false}}, 1}};
    for (const auto& c : cases) {
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        Core.strLogErrFile = dir.file("err.log");
        WriteAll(Core.strLogErrFile, "");
        StartRunTurn(0, 0);
        for (const auto& [reg, released] : c.closings) NoteRelease(reg, released, OpenTurnSubject());
        EXPECT_EQ(Work.standing, c.failures) << c.closings.size();
        EXPECT_EQ(Work.mendable, 0) << c.closings.size();  // its request was done: no retry mends it
    }
}

TEST_F(TextsTest, LogErrWithoutAUsableFileWritesNothing) {
    Core.strLogErrFile.clear();
    EXPECT_FALSE(LogErr(6, OpenTurnSubject()));
    Core.strLogErrFile = dir.file("no-such-folder/err.log");
    EXPECT_FALSE(LogErr(6, OpenTurnSubject()));
    EXPECT_FALSE(testsupport::Exists(Core.strLogErrFile));
}

// An error-log line that cannot be written goes to standard error, said why, and is a failure.
TEST_F(TextsTest, AnErrorLogLineThatCannotBeWrittenGoesToStandardError) {
    Core.strLogErrFile = dir.file("err.log");
    WriteAll(Core.strLogErrFile, std::string(250, 'x'));  // the disk holds 300 bytes more at most
    Core.strReqCode = "*B";
    bool written = true;
    testing::internal::CaptureStderr();
    childtest::WithFileLimit(300, [&] { written = LogErr(11, OpenTurnSubject()); });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(written);
    EXPECT_EQ(Work.standing, 1);
    // No part of the line stays, to have the next line glued to it.
    EXPECT_EQ(ReadAll(Core.strLogErrFile), std::string(250, 'x'));
    EXPECT_NE(said.find(FormatLogErrLine(11, OpenTurnSubject())), std::string::npos) << said;
    EXPECT_NE(said.find("Error log cannot be written"), std::string::npos) << said;
    EXPECT_NE(MsgLog().find("Error log cannot be written; its line is given on standard error: " +
                            Core.strLogErrFile + ": File too large"),
              std::string::npos)
        << MsgLog();
}

// A language file that is missing, unreadable or junk is said once (standard error, message
// log), each key without text once; neither fails the run. An interactive run says nothing.
TEST_F(TextsTest, ALanguageFileWithoutTextsIsSaidNotCharged) {
    WriteAll(dir.file("junk.bin"), std::string("\x01\x02 no sections\r\n", 17));
    const struct { const char* file; bool interactive; const char* said; } cases[] = {
        {"Testi.xyz", true, nullptr},
        {"Testi.xyz", false, "Language file missing, messages go without their texts: "},
        {"junk.bin", false, "Language file holds no texts, messages go without their texts: "},
        {"Testi.eng", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        Core.bInteractive = c.interactive;
        Core.strLangFile = dir.file(c.file);
        testing::internal::CaptureStderr();
        for (const char* key : {"404", "404"}) EXPECT_EQ(GetText("Msg", key), "");
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string log = c.interactive ? "" : MsgLog();
        EXPECT_EQ(Work.standing, 0);
        EXPECT_EQ(err, c.said ? "ecrprog: " + std::string(c.said) + Core.strLangFile + "\n" : "");
        EXPECT_EQ(testsupport::CountOf(log, "Language file "), c.said ? 1 : 0);
        EXPECT_EQ(testsupport::CountOf(log, "No text in the language file for [Msg] 404\r\n"),
                  c.interactive ? 0 : 1);
    }
}

// The description of a failed file operation is in the language of the run.
TEST_F(TextsTest, FileErrorsInTheWordsOfTheLanguageFile) {
    const std::string eng = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    const std::string ita = std::string(ECR_SOURCE_DIR) + "/lang/Testi.ita";
    const struct {
        int err;
        std::string path;
        const char *english, *italian;
    } rows[] = {
        {ENOENT, dir.file("x.txt"), "File not found", "File non trovato"},
        {ENOENT, dir.file("absent/x.txt"), "Path not found", "Percorso non trovato"},
        {ENOSPC, dir.file("x.txt"), "Disk full", "Disco pieno"},
        {EROFS, dir.file("x.txt"), "Read-only file system", "File system di sola lettura"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.english);
        Core.strLangFile = ita;
        EXPECT_EQ(platform::FileErrorText(r.err, r.path), r.italian);
        Core.strLangFile = eng;
        EXPECT_EQ(platform::FileErrorText(r.err, r.path), r.english);
        Core.strLangFile.clear();
        EXPECT_EQ(platform::FileErrorText(r.err, r.path), r.english);
    }
}

TEST_F(TextsTest, ShowRxResultReportsTheIncompleteExchange) {
    struct Case {
        int16_t ReqStateRec::*flag;  // nullptr: no flag set
        const char* text;
    };
    const Case cases[] = {
        {nullptr, "No answer from the register"},
        {&ReqStateRec::bRdGrpSta, "Read incomplete card or group"},
        {&ReqStateRec::bRdOpeCard, "Read incomplete card or group"},
        {&ReqStateRec::bWrCamCard, "Write incomplete card or group"},
    };
    for (const Case& c : cases) {
        ReqState = ReqStateRec{};
        if (c.flag) ReqState.*c.flag = True;
        // A write flag takes precedence over a read flag.
        if (c.flag == &ReqStateRec::bWrCamCard) ReqState.bRdCamCard = True;
        shell->errors.clear();
        ShowRxResult();
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(shell->errors[0].text, c.text);
        EXPECT_TRUE(shell->errors[0].registerPrefix);
    }
    // The write branch clears only the write flags.
    EXPECT_EQ(ReqState.bWrCamCard, False);
    EXPECT_EQ(ReqState.bRdCamCard, True);
    // The read branch clears the three read flags.
    ReqState = ReqStateRec{};
    ReqState.bRdOpeCard = ReqState.bRdCamCard = ReqState.bRdGrpSta = True;
    ShowRxResult();
    EXPECT_EQ(ReqState.bRdOpeCard | ReqState.bRdCamCard | ReqState.bRdGrpSta, 0);
}

TEST_F(TextsTest, AskConfirmTellsACloseFromNo) {
    shell->QueueAnswer(false);
    shell->QueueAnswer(true);
    EXPECT_EQ(AskConfirm(), Reply::No);
    EXPECT_EQ(AskConfirm(), Reply::Yes);
    shell->closes = 1;
    EXPECT_EQ(AskConfirm(), Reply::Closed);
    ASSERT_EQ(shell->questions.size(), 3u);
    EXPECT_EQ(shell->questions[0].text, "Overwrite the record?");
    EXPECT_EQ(shell->questions[0].title, "Confirm");
}

TEST_F(TextsTest, WriteTxtFileStartsANewFileOrAppends) {
    Core.strCashDir = dir.path();
    WriteAll(dir.file("PLUErr.txt"), "stale\r\n");
    Texts.bNewTxtFile = true;
    EXPECT_TRUE(WriteTxtFile("PLUErr.txt", "one"));
    Texts.bNewTxtFile = false;
    EXPECT_TRUE(WriteTxtFile("PLUErr.txt", "two"));
    EXPECT_EQ(ReadAll(dir.file("PLUErr.txt")), "one\r\ntwo\r\n");
    Core.strCashDir = dir.file("missing");
    EXPECT_FALSE(WriteTxtFile("PLUErr.txt", "x"));
    Core.strCashDir.clear();  // no register folder open: nothing lands in the working folder
    EXPECT_FALSE(WriteTxtFile("PLUErr.txt", "x"));
}

TEST_F(TextsTest, CountersShowInBatchModeOnly) {
    Core.bInteractive = true;
    SetCntRec(41);
    IncCntRec();
    SetCntPend(3);
    IncCntPend();
    EXPECT_EQ(Texts.nCntRec, 42);
    EXPECT_EQ(Texts.nCntPend, 4);
    EXPECT_TRUE(shell->counterLog.empty());

    Core.bInteractive = false;
    SetCntRec(0);
    IncCntRec();
    SetCntPend(7);
    IncCntPend();
    EXPECT_EQ(shell->counterLog,
              (std::vector<std::pair<int, std::string>>{{7, "0"}, {7, "1"}, {8, "7"}, {8, "8"}}));
}

// What each code says of the request it names is what the README's table of
// the error log tells a caller: a caller that follows it never skips a
// request not done and never repeats one that was or may have been done.
TEST_F(TextsTest, EachCodeMeansWhatTheReadmeSays) {
    std::ifstream readme(std::string(ECR_SOURCE_DIR) + "/README.md");
    const std::regex row(R"(^\| ([0-9]{3})(?:, ([0-9]{3}))?(?:-nnn)? \| ([a-z ]+) \|)");
    const std::map<std::string, CodeMeaning> meanings = {
        {"done", CodeMeaning::Done}, {"not done", CodeMeaning::NotDone}, {"made good", CodeMeaning::MadeGood},
        {"may or may not have been done", CodeMeaning::MaybeDone}};
    int rows = 0;
    for (std::string line; std::getline(readme, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, row)) continue;
        const CodeMeaning meaning = meanings.at(m[3]);
        for (const std::string& code : {m[1].str(), m[2].str()}) {
            if (code.empty()) continue;
            EXPECT_EQ(MeaningOf(static_cast<int16_t>(std::stoi(code))), meaning) << line;
            ++rows;
        }
    }
    EXPECT_EQ(rows, 19);  // every code the program writes
}

// Standard error takes UTF-8: the language file's accents and the code
// page's own signs are converted; a text that is UTF-8 already is kept.
TEST_F(TextsTest, TerminalTextIsUtf8) {
    const struct {
        std::string text, said;
    } cases[] = {
        {"Register 1: done", "Register 1: done"},
        {"log errori d\xE0 per non eseguite", "log errori d\xC3\xA0 per non eseguite"},
        {"\x80 5, \x93OK\x94", "\xE2\x82\xAC 5, \xE2\x80\x9COK\xE2\x80\x9D"},
        {"/home/andr\xC3\xA9/ecrprog", "/home/andr\xC3\xA9/ecrprog"},
        {"citt\xE0 \xC3", "citt\xC3\xA0 \xC3\x83"},  // a lead byte at the end is no UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalText(c.text), c.said) << c.text;
}

}  // namespace
