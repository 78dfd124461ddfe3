// The program as a process, without a display: the exit status and usage
// line of a bad command line, and request lists run against the register
// emulator on a pseudo-terminal.

#include <algorithm>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "common/batch_fixture.h"
#include "common/record_text.h"
#include "engine/batch.h"

namespace {

using testsupport::RunResult;

// The request to run when a test names none: a connection test whose answer
// goes to hello<station>.txt.
const char* const kHello = "r1=HELLO|hello.txt|2\r\n";

class BatchRunTest : public testsupport::BatchRunTest {
protected:
    // Registers at the stations, each with its own config, or the one given.
    void StartEmulator(const std::vector<int>& stations, emu::RegisterConfig config = {},
                       const std::vector<emu::RegisterConfig>& each = {}) {
        CreateEmulator(stations);
        for (size_t i = 0; i < stations.size(); ++i) AddRegister(stations[i], i < each.size() ? each[i] : config);
        testsupport::BatchRunTest::StartEmulator();
    }
};

TEST_F(BatchRunTest, ACommandLineThatDoesNotParseEndsWithALineNamingTheOption) {
    const struct {
        std::vector<std::string> args;
        std::string said;
        int unknownCode = 0;  // error-log lines of code 3
    } cases[] = {
        {{"/x:1"}, "ecrprog: \"/x:1\" not understood; "},
        {{"/r:**", "/e:2", "/l:3"}, "ecrprog: \"/e:2\" not understood; "},
        {{"/r:**", "/l:13"}, "ecrprog: \"/l:13\" not understood; "},
        {{"/r:**", "r:x"}, "ecrprog: \"r:x\" not understood; "},
        {{"/f:setup.ini"}, "ecrprog: no request code (/r:CODE); "},
        // Parsed, but no request's code: refused before any register, an error-log line of its own.
        {{"/r:ZZ|x", "/l:9"}, "ecrprog: \"/r:ZZ|x\" refused: no such request code; ", 1},
        // A model against the customer folder's (<start>/LX4100/Demo).
        {{"/r:**", "/f:lx.ini", "/L=9"}, "ecrprog: \"/L=9\" refused: model TIMBREL, but the customer folder " +
                                             dir.file("LX4100/Demo") + " is one of model LX4100 (/l:1); "},
        // Deeper in the model's folder, or reached through a link that lies in it.
        {{"/r:**", "/f:deep.ini", "/l:5"}, "ecrprog: \"/l:5\" refused: model TAV3800, but the customer folder " +
                                               dir.file("LX4100/shops/Demo") + " is one of model LX4100 (/l:1); "},
        {{"/r:**", "/f:bar.ini", "/l:5"}, "ecrprog: \"/l:5\" refused: model TAV3800, but the customer folder " +
                                              dir.file("Bar/Demo") + " is one of model LX4100 (/l:1); "},
        {{"/r:**", "/f:link.ini", "/l:5"}, "ecrprog: \"/l:5\" refused: model TAV3800, but the customer folder " +
                                               dir.file("KWT1900/Demo") + " is one of model KWT1900 (/l:2); "},
    };
    std::filesystem::create_directory(dir.file("base"));
    Write("lx.ini", "[Casse]\r\npath=LX4100/Demo\r\n");
    Write("deep.ini", "[Casse]\r\npath=LX4100/shops/Demo\r\n");
    Write("link.ini", "[Casse]\r\npath=KWT1900/Demo\r\n");
    Write("bar.ini", "[Casse]\r\npath=Bar/Demo\r\nc1=Bar|1\r\n");  // an installation of its own name
    std::filesystem::create_directories(dir.file("KWT1900"));
    std::filesystem::create_directory_symlink(dir.file("base"), dir.file("KWT1900/Demo"));
    for (const auto& c : cases) {
        std::filesystem::remove(dir.file("base/err.log"));
        RunResult r = Run(c.args, 20);
        EXPECT_EQ(r.status, 2) << c.said;
        // One line: what was wrong, then how to start the program.
        EXPECT_EQ(r.err, c.said + UsageLine() + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("serial.log")));
        EXPECT_EQ(ErrorLines("003"), c.unknownCode) << ErrLog();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("LX4100")));
}

// Help goes to standard output, a line for each option, and touches no folder.
TEST_F(BatchRunTest, HelpPrintsTheUsageAndEachOptionAndEndsWithZero) {
    for (const char* args : {"--help", "-h", "/r:** -h"}) {
        SCOPED_TRACE(args);
        const auto before = std::distance(std::filesystem::directory_iterator(dir.path()), {});
        const std::string command = "cd '" + dir.path() + "' && env -u DISPLAY '" + testsupport::ProgramPath() + "' " + args;
        FILE* out = popen(command.c_str(), "r");
        std::string text;
        for (int ch; (ch = fgetc(out)) != EOF;) text += static_cast<char>(ch);
        EXPECT_EQ(WEXITSTATUS(pclose(out)), 0);
        EXPECT_EQ(text.rfind(UsageLine() + "\n", 0), 0u) << text;
        for (const char* option : {"r:CODE ", "f:SETUPFILE ", "e:MASK ", "s:0|1 ", "l:MODEL ", "p:PORT ", "b:BAUD ",
                                   "t:0|1 ", "a:STATION ", "c:FILE[|MODE] ", "w:0|1|2 "})
            EXPECT_EQ(testsupport::CountOf(text, std::string("\n  /") + option), 1) << option;
        EXPECT_NE(text.find("Exit status: 0 "), std::string::npos);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), before);
    }
}

TEST_F(BatchRunTest, WithoutADisplayAnInteractiveStartSaysSoAndEnds) {
    RunResult r = Run({}, 20);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
}

TEST_F(BatchRunTest, ARequestOfTheCommandLineRunsAsAListOfThatOne) {
    Prepare({0}, "r1=*F|1:3\r\n");
    StartEmulator({0});
    // As under cron, which gives no session folder: a run that did its work says nothing.
    unsetenv("XDG_RUNTIME_DIR");
    RunResult r = Run({"/r:&L|1:2", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Requests(*registers[0]), std::vector<std::string>{"*2;+4;&L1:2;#H;*3;"});
}

TEST_F(BatchRunTest, ARunWithNothingToDoSaysWhyAndFails) {
    struct Case {
        const char* name;
        bool enabled;          // the register of the list
        const char* requests;  // [Richieste] lines
        bool config;           // config.ini there at all
        const char* code;
        const char* text;
        const char* huge = nullptr;  // a file made larger than any settings file (sparse)
        const char* setup = nullptr;  // setup.ini as written here, instead of the usual one
        bool known = true;  // the setup file names the error log and the semaphore file
        int64_t size = 16 * 1024 * 1024 + 1;  // of the huge file
        const char* setupFile = "setup.ini";  // the /f option's
    };
    const std::string usualSetup = Read("setup.ini");
    const Case cases[] = {
        {"empty list", true, "", true, "003", "request list is empty"},
        {"no register", false, "r1=HELLO|\r\n", true, "013", "No register of the list"},
        {"no config.ini", true, "", false, "012", "No config.ini"},
        {"huge config.ini", true, "r1=HELLO|\r\n", true, "012", "cannot be read", "base/config.ini"},
        {"huge Cassa.txt", true, "r1=HELLO|\r\n", true, "012", "cannot be read", "base/Cassa1/Cassa.txt"},
        // Read, but a save, which keeps its lines and adds the options, would pass the bound.
        {"Cassa.txt at the bound", true, "r1=HELLO|\r\n", true, "012", "would pass 16 MB", "base/Cassa1/Cassa.txt",
         nullptr, true, 16 * 1024 * 1024},
        // The setup file is the one named, with why.
        {"huge setup.ini", true, "r1=HELLO|\r\n", true, "012", "Setup file cannot be read (over 16 MB",
         "setup.ini", nullptr, false},
        {"empty setup.ini", true, "r1=HELLO|\r\n", true, "012", "setup file is empty", nullptr, "",
         false},
        {"blank setup.ini", true, "r1=HELLO|\r\n", true, "012", "setup file is empty", nullptr, "\r\n \r\n",
         false},
        {"setup.ini without path", true, "r1=HELLO|\r\n", true, "012", "names no base folder", nullptr,
         "[Casse]\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"},
        {"no such setup file", true, "r1=HELLO|\r\n", true, "012", "Setup file does not exist; nothing was done: ",
         nullptr, nullptr, false, 0, "nosuch.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare({0}, c.requests);
        if (!c.enabled) WriteConfigLines(CasseLine(0, false), c.requests);
        if (!c.config) std::filesystem::remove(dir.file("base/config.ini"));
        Write("setup.ini", c.setup ? c.setup : usualSetup);
        if (c.huge) std::filesystem::resize_file(dir.file(c.huge), c.size);
        std::filesystem::remove(dir.file("base/err.log"));
        std::filesystem::remove(dir.file("base/done.sem"));
        RunResult r = Run({"/r:**", std::string("/f:") + c.setupFile, "/w:2"}, 20);
        EXPECT_EQ(r.status, 1);
        const std::string said = r.err + Read("base/msg.log");
        EXPECT_NE(said.find(c.text), std::string::npos) << said;
        // The last line: the job is to be fixed (a register's own Cassa.txt fails that register alone).
        EXPECT_EQ(r.err.ends_with("\necrprog: The run's setup cannot be used: fix the setup file, config.ini, the "
                                  "command line or the serial port, then run the job again\n"),
                  !c.huge || std::string(c.huge).find("Cassa1") == std::string::npos) << r.err;
        if (c.huge) {
            EXPECT_NE(said.find(": " + dir.file(c.huge)), std::string::npos) << said;
        }
        if (c.setup || std::string(c.setupFile) != "setup.ini") {
            EXPECT_NE(said.find("nothing was done: " + dir.file(c.setupFile)), std::string::npos) << said;
        }
        EXPECT_EQ(ErrorLines(c.code), c.known ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(dir.file("base/done.sem")), c.known);
    }
    Write("setup.ini", usualSetup);
}

TEST_F(BatchRunTest, TheRequestListRunsAConnectionTestOnEachRegister) {
    Prepare({0, 1}, kHello);
    StartEmulator({0, 1});
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1"}, 60);
    EXPECT_EQ(r.status, 0) << r.err;

    for (const auto& reg : registers) EXPECT_GE(reg->Hellos(), 1) << "station " << reg->Hellos();
    // The hello answers copied, one file per station.
    EXPECT_EQ(Read("hello0.txt").rfind("A01", 0), 0u);
    EXPECT_EQ(Read("hello1.txt").rfind("A01", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/msg.log")));
    EXPECT_FALSE(Read("serial.log").empty());
    ASSERT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("base/done.sem")), 0u);
    EXPECT_EQ(ErrLog(), "");
}

TEST_F(BatchRunTest, AnUnreachableRegisterIsLoggedAndTheRunEndsWithStatusOne) {
    Prepare({0}, kHello);
    emu::RegisterConfig silent;
    silent.silentPolls = -1;
    StartEmulator({0}, silent);
    // The main window not shown at all (/w:2) ends the run all the same.
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60);
    EXPECT_EQ(r.status, 1) << r.err;
    std::string log = ErrLog();
    // The request stands whole in the line; the register had one more turn.
    EXPECT_NE(log.find("[005] <HELLO|hello.txt|2>"), std::string::npos) << log;
    EXPECT_EQ(ErrorLines("005"), 2) << log;
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));
}

TEST_F(BatchRunTest, EachRegisterGetsEachRequestOnceInTheListsOrder) {
    Prepare({0, 1, 2}, "r1=*F|1:3\r\nr2=&L|1:3\r\nr3=*F|4:5\r\n");
    StartEmulator({0, 1, 2});
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 90);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> expected = {"*2;+4;*F;*3;", "*2;+4;&L1:3;#H;*3;",
                                               "*2;+4;*F;*3;"};
    for (const auto& reg : registers) {
        EXPECT_EQ(Requests(*reg), expected);
        EXPECT_EQ(reg->Received("departments").size(), 2u);  // the last send: 4 and 5
    }
    EXPECT_EQ(ErrLog(), "");
}

TEST_F(BatchRunTest, ARefusingRegisterHasOneMoreTurnAndTheOthersTheirRequests) {
    // The commands time-out is far away: the run ends by itself.
    Prepare({0, 1}, "r1=*F|1:2\r\nr2=&L|1:2\r\n", 1800);
    emu::RegisterConfig refusing;
    refusing.status[0] = 9;
    StartEmulator({0, 1}, {}, {refusing, {}});
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(ErrorLines("002"), 2);
    EXPECT_TRUE(Requests(*registers[0]).empty());
    EXPECT_EQ(Requests(*registers[1]),
              (std::vector<std::string>{"*2;+4;*F;*3;", "*2;+4;&L1:2;#H;*3;"}));
}

// The register leaves its first poll unanswered: its extra turn reads again
// and makes that failure good, but not the import it does not do again.
TEST_F(BatchRunTest, TheExtraTurnMakesGoodOnlyTheRequestsItDidAgain) {
    Prepare({0}, "r1=*F|" + dir.file("empty.txt") + "\r\nr2=&L|1:2\r\n", 1800);
    Write("empty.txt", "");
    emu::RegisterConfig silentOnce;
    silentOnce.silentPolls = 1;
    StartEmulator({0}, silentOnce);
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_LT(ErrLog().find("[004]"), ErrLog().find("[005]")) << ErrLog();  // in time order
    EXPECT_EQ(ErrorLines("004"), 1) << ErrLog();  // the import's failure, not again for the extra turn
    const std::string msg = Read("base/msg.log");
    const size_t good = msg.find("made good");
    EXPECT_EQ(testsupport::CountOf(msg, "made good"), 1) << msg;
    EXPECT_LT(msg.find("[005]", good), msg.find("\r\n", good)) << msg;
}

// Register 1's extra turn sends its own import's departments, not the range register 2's turn left.
TEST_F(BatchRunTest, AnExtraTurnSendsTheRangeOfItsOwnImport) {
    using namespace testsupport::text;
    auto dept = [](const std::string& num, const std::string& name) {
        return num + Pad(name, 30) + "031000" + Zeros(24) + "4" "00" "0000" "00" "001" "000" "00000000\r\n";
    };
    Write("depA.txt", dept("0001", "ALPHA") + dept("0002", "BETA"));
    Prepare({0, 1}, "r1=*F|" + dir.file("depA.txt") + "\r\nr2=*F|9:9\r\n", 1800);
    emu::RegisterConfig silentOnce;
    silentOnce.silentPolls = 1;
    StartEmulator({0, 1}, {}, {silentOnce, {}});
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 90);
    EXPECT_EQ(r.status, 0) << r.err << ErrLog();
    for (const auto& reg : registers) {
        const auto sends = reg->Sends("departments");
        ASSERT_EQ(sends.size(), 2u);
        ASSERT_EQ(sends[0].size(), 2u);
        EXPECT_EQ(sends[0][0].rfind("1:ALPHA:", 0), 0u) << sends[0][0];
        EXPECT_EQ(sends[0][1].rfind("2:BETA:", 0), 0u) << sends[0][1];
        ASSERT_EQ(sends[1].size(), 1u);
        EXPECT_EQ(sends[1][0].rfind("9:", 0), 0u) << sends[1][0];
    }
    EXPECT_EQ(testsupport::CountOf(Read("base/msg.log"), "made good"), 1) << Read("base/msg.log");
}

// A register's extra turn takes up its list where its turn broke off; a lost closing is "not released".
TEST_F(BatchRunTest, AnExtraTurnTakesUpTheListWhereTheTurnBrokeOff) {
    const std::string send = "*2;+4;*F;*3;", read = "*2;+4;&L1:2;#H;*3;";
    const std::string closure = "*2;+3;#Z;*3;", reset = "*2;+3;#q;*3;", history = "*2;#P;#H;*3;";
    Write("del.txt", Plu("11", 1, "A") + Plu("12", 1, "B") + Plu("13", 1, "C"));
    const std::string del11 = "*2;+4;#C11:11;*3;", del12 = "*2;+4;#C12:12;*3;", del13 = "*2;+4;#C13:13;*3;";
    const struct {
        const char* name;
        std::string list;
        int silentPoll;                     // register 1's poll left unanswered
        std::vector<std::string> requests;  // the exchanges register 1 got
        int failedHellos;                   // [001] lines
        int notReleased;                    // [014] lines
        int status = 0;                     // 1: the register is left not released
        int refusedHello = 0;               // register 1's hello answer that refuses
        int silentPollAgain = 0;            // a later poll of register 1 left so too
        int lostReply = 0;                  // register 1 never acknowledges this reply ([005], not [001])
        bool hangUp = false;                // the line drops after register 1's read ended
    } cases[] = {
        {"closure, then the hello of the send", "r1=#Z|\r\nr2=*F|1:2\r\n", 4, {closure, send}, 1, 0},
        {"reset, then the hello of the send", "r1=#q|\r\nr2=*F|1:2\r\n", 4, {reset, send}, 1, 0},
        {"history, then the hello of the send", "r1=#P|" + dir.file("hist.txt") + "\r\nr2=*F|1:2\r\n", 4,
         {history, send}, 1, 0},
        {"the closure's closing", "r1=#Z|\r\nr2=*F|1:2\r\nr3=#q|\r\nr4=&L|1:2\r\n", 3,
         {closure, send, reset, read}, 0, 1},
        {"the last request's closing", "r1=&L|1:2\r\n", 3, {read}, 0, 1, 1},
        {"a deletion of several codes, then the hello of its second", "r1=#C|" + dir.file("del.txt") +
         "\r\nr2=*F|1:2\r\n", 4, {del11, del12, del13, send}, 1, 0},
        {"the closure's closing refused", "r1=#Z|\r\nr2=*F|1:2\r\n", 0, {closure, send}, 0, 1, 0, 3},
        {"the hello of the send, then its closing in the extra turn", "r1=#Z|\r\nr2=*F|1:2\r\n", 4,
         {closure, send}, 1, 1, 1, 0, 6},
        {"the closure's reply", "r1=#Z|\r\nr2=*F|1:2\r\n", 0, {closure, send}, 1, 0, 1, 0, 0, 1},
        {"the end of the send", "r1=&L|1:2\r\nr2=*F|1:2\r\n", 0, {read, send, send}, 1, 0, 0, 0, 0, 1},
        {"the history's start", "r1=#P|" + dir.file("hist.txt") + "\r\nr2=*F|1:2\r\n", 0,
         {history, history, send}, 1, 0, 0, 0, 0, 1},
        {"a hang-up after the read's end line", "r1=&L|1:2\r\n", 0, {read}, 0, 1, 1, 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* f : {"base/err.log", "hist.txt", "base/Cassa1/Storico.txt", "base/Cassa2/Storico.txt"})
            std::filesystem::remove(dir.file(f));
        registers.clear();
        if (emulator) emulator->Stop();
        Prepare({0, 1}, c.list, 1800);
        emu::RegisterConfig silentOnce;
        silentOnce.silentPoll = c.silentPoll;
        silentOnce.refusingHello = c.refusedHello;
        silentOnce.silentPollAgain = c.silentPollAgain;
        silentOnce.lostReply = c.lostReply;
        silentOnce.hangUpAfterRead = c.hangUp;
        StartEmulator({0, 1}, {}, {{}, silentOnce});
        for (const auto& reg : registers) reg->SetHistory({{"0001:01", "sale"}});
        RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 90);

        EXPECT_EQ(r.status, c.status) << r.err << ErrLog();
        EXPECT_EQ(Requests(*registers[1]), c.requests);
        std::vector<std::string> once = c.requests;  // register 0 gets no request twice
        once.erase(std::unique(once.begin(), once.end()), once.end());
        EXPECT_EQ(Requests(*registers[0]), once);
        EXPECT_EQ(registers[1]->Closures(), c.requests[0] == closure ? 1 : 0);
        const bool lostClosure = c.lostReply && c.requests[0] == closure;  // never sent twice
        // The closure's lost reply: it may or may not have been made. Each
        // failure made good by the extra turn is followed by a line saying so.
        EXPECT_EQ(ErrorLines(lostClosure ? "016" : c.lostReply ? "005" : "001"), c.failedHellos) << ErrLog();
        EXPECT_EQ(ErrorLines("014"), c.notReleased) << ErrLog();
        EXPECT_EQ(ErrorLines("018"), c.failedHellos - lostClosure) << ErrLog();
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), 2 * c.failedHellos - lostClosure + c.notReleased)
            << ErrLog();
        const std::string msg = Read("base/msg.log");
        EXPECT_EQ(testsupport::CountOf(msg, "made good"), c.failedHellos - lostClosure) << msg;
        EXPECT_EQ(testsupport::CountOf(msg, "Not sent again"), lostClosure) << msg;
        EXPECT_EQ(testsupport::CountOf(msg, "Register not released"), c.notReleased) << msg;
        EXPECT_EQ(testsupport::CountOf(msg, "released by its next exchange"), c.status ? 0 : c.notReleased) << msg;
        // A send is named done only when the register took its end.
        const auto sends = static_cast<int>(registers[1]->Sends("departments").size());
        EXPECT_EQ(testsupport::CountOf(msg, "Sent to register 2"), sends) << msg;
        if (c.requests[0] == history) {
            EXPECT_EQ(Read("hist.txt"), "C00:0001:01:sale\r\nC00:ZZZZ:ZZ:*\r\n"
                                        "C00:0001:01:sale\r\nC00:ZZZZ:ZZ:*\r\n");
        }
    }
}

// One hello answer of each register arrives with a bad checksum: the
// program refuses it, the register repeats it whole and the repeat is taken.
// Every register is served in its first turn and the run is clean.
TEST_F(BatchRunTest, AGarbledHelloAnswerCostsOneRepeatNotTheRegistersTurn) {
    Prepare({0, 1, 2, 3}, "r1=*F|1:3\r\n", 1800);
    emu::RegisterConfig garbled;
    garbled.garbledHellos = 1;
    StartEmulator({0, 1, 2, 3}, garbled);
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 90);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ErrLog(), "");
    for (const auto& reg : registers) {
        EXPECT_EQ(Requests(*reg), std::vector<std::string>{"*2;+4;*F;*3;"});
        EXPECT_EQ(reg->Received("departments").size(), 3u);
    }
    // One refusal of each register's garbled answer, and no hello asked again.
    EXPECT_EQ(emulator->Count(emu::PcUnit::Nak), 4);
    for (const auto& reg : registers) EXPECT_EQ(reg->Hellos(), reg->Polls());
}

// The register folder on a read-only mount: the read stores nothing, says so
// and fails the run; the folder is as it was.
TEST_F(BatchRunTest, AReadIntoARegisterFolderThatCannotBeWrittenFailsTheRun) {
    Prepare({0}, "r1=&L|1:2\r\n");
    StartEmulator({0});
    registers[0]->SetRecords("departments", {"1:NEW 1:1:0:0:0:1:0:0:0:1:", "2:NEW 2:1:0:0:0:1:0:0:0:1:"});
    // A first run opens the folder and writes its tables.
    ASSERT_EQ(Run({"/r:HELLO", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60).status, 0);
    const std::string cash = dir.file("base/Cassa1");
    const std::string before = Cash("Reparti.txt");
    if (mount(cash.c_str(), cash.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no mount here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{cash};
    ASSERT_EQ(mount(nullptr, cash.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);

    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 60);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_GE(ErrorLines("012"), 1) << ErrLog();
    EXPECT_TRUE(Cash("Reparti.txt") == before);
    EXPECT_NE(Read("base/msg.log").find("Table read not stored"), std::string::npos) << Read("base/msg.log");
    EXPECT_EQ(Read("base/msg.log").find("Read from register"), std::string::npos) << Read("base/msg.log");
}

// A fault of the line or of a register, switched on after the emulator has
// started; the error-log code it must leave.
struct LineFault {
    const char* name;
    void (*apply)(emu::Emulator&, emu::CashRegister& first);
    const char* code;
    bool mayGoThrough = false;  // the transfers may go through the fault whole
    bool everyRegister = true;  // every register must have a line of its own
    const char* said = nullptr;  // a message-log line of each register's turn, said with its register
};

void PrintTo(const LineFault& fault, std::ostream* os) { *os << fault.name; }

class BatchFaultTest : public BatchRunTest, public ::testing::WithParamInterface<LineFault> {};

// Two registers, a send and a read each; the commands time-out is far away,
// so every run must end by the link's own time-outs. (A refusing register is
// ARefusingRegisterHasOneMoreTurnAndTheOthersTheirRequests.)
TEST_P(BatchFaultTest, TheRunEndsWithStatusOneAndAnErrorLine) {
    Prepare({0, 1}, "r1=*F|1:2\r\nr2=&L|1:2\r\n", 1800);
    StartEmulator({0, 1});
    GetParam().apply(*emulator, *registers[0]);
    RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 90);
    if (GetParam().mayGoThrough && r.status == 0) {
        // Noise between whole frames need not stop a transfer: a run that ends
        // 0 has sent both departments to every register and logged nothing.
        EXPECT_EQ(ErrLog(), "");
        for (const auto& reg : registers) EXPECT_EQ(reg->Received("departments").size(), 2u);
        return;
    }
    EXPECT_EQ(r.status, 1) << r.err;
    // Codes separated by "|": any of them will do.
    int lines = 0;
    std::string codes = GetParam().code;
    for (size_t at = 0; at <= codes.size();) {
        const size_t bar = std::min(codes.find('|', at), codes.size());
        lines += ErrorLines(codes.substr(at, bar - at));
        at = bar + 1;
    }
    EXPECT_GE(lines, 1) << ErrLog();
    // Each register that got nothing is named (the line ends with its station).
    if (GetParam().everyRegister) {
        for (const char* station : {"  0\r\n", "  1\r\n"})
            EXPECT_NE(ErrLog().find(station), std::string::npos) << station << ErrLog();
    }
    // The message log says the turn's trouble with the register it is about,
    // never without one.
    if (const char* said = GetParam().said) {
        const std::string msg = Read("base/msg.log");
        for (const char* reg : {"Register 1: ", "Register 2: "})
            EXPECT_GE(testsupport::CountOf(msg, " : " + std::string(reg) + said), 1) << reg << msg;
        EXPECT_EQ(testsupport::CountOf(msg, std::string(" : ") + said), 0) << msg;
        // Why the port did not open is said on standard error too, once.
        EXPECT_EQ(testsupport::CountOf(r.err, std::string("ecrprog: ") + said + "\n"),
                  std::string(said).starts_with("Serial port") ? 1 : 0)
            << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BatchFaultTest,
    ::testing::Values(
        LineFault{"EveryFrameWithABadChecksum",
                  [](emu::Emulator& e, emu::CashRegister&) {
                      emu::Faults f;
                      f.badChecksum = -1;
                      e.SetFaults(f);
                  },
                  "005", false, true, "Connection to the register: no answer in time"},  // no hello ever arrives
        LineFault{"LineThatNeverGoesQuiet",
                  [](emu::Emulator& e, emu::CashRegister&) {
                      emu::Faults f;
                      f.noiseBytes = -1;
                      f.noiseMs = 2;
                      e.SetFaults(f);
                  },
                  // A whole frame is taken whatever noise follows it: a hello
                  // may get through, and the command then fails, or the
                  // whole exchange does.
                  "005|011|001", true, false},
        LineFault{"MissingDevice",
                  [](emu::Emulator&, emu::CashRegister&) {
                      platform::SaveSetting("Ports", "COM1", "/dev/no-such-serial-device");
                  },
                  "005", false, true,
                  "Serial port cannot be opened: COM1 (/dev/no-such-serial-device): No such file or directory"}),
    [](const ::testing::TestParamInfo<LineFault>& info) { return std::string(info.param.name); });

}  // namespace

