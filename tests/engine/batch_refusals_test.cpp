// Command-line runs that cannot do what they were asked: each ends with
// status 1, an error-log line and a word on why, never silently with 0.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"
#include "emulator/pty.h"
#include "store/client_file.h"

namespace {

using testsupport::RunResult;

class BatchRefusalTest : public testsupport::BatchRunTest {
protected:
    RunResult RunList(const char* level = "/l:9") { return Run({"/r:**", "/f:setup.ini", level, "/t:1", "/w:2"}, 60); }
    std::string MsgLog() const { return Read("base/msg.log"); }
    void PrepareOne(const std::string& request, int commandsTimeout = 120) {  // with a fresh error log
        std::filesystem::remove(dir.file("base/err.log"));
        Prepare({0}, "r1=" + request + "\r\n", commandsTimeout);
    }
    void ExpectFailure(const char* code, const char* level = "/l:9") {  // status 1, the code logged
        const RunResult r = RunList(level);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_GE(ErrorLines(code), 1) << ErrLog();
        // A request the job cannot ask (codes 3 and 4) is the job's to fix; others may go another time.
        const bool job = std::string(code) == "003" || std::string(code) == "004";
        EXPECT_TRUE(r.err.ends_with(job ? "the command line or the serial port, then run the job again\n"
                                        : "never repeat blindly those it names as maybe done\n")) << r.err;
    }
};

// Registers on two ports that do not open: the last line names what the job
// needs. A port the setup must fix (a device that is no serial port) comes
// first, beside a port another run holds; a held port
// alone is to be tried later; a missing device may be plugged in again. Each
// port's reason is said once.
TEST_F(BatchRefusalTest, APortTheSetupMustFixIsSaidLastBesideAHeldOrMissingPort) {
    emu::Pty pty;
    ASSERT_TRUE(pty.Open());
    const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const std::string plain = dir.file("plain.txt"), missing = dir.file("no/such/tty");
    Write("plain.txt", "");
    const char* const fix = "the command line or the serial port, then run the job again\n";
    const char* const later = "held by another run or by the program's windows: run the job again later\n";
    const char* const again = "never repeat blindly those it names as maybe done\n";
    const struct {
        const char* name;
        std::string com1, com2;  // the devices of the two registers' ports
        const char* last;
    } cases[] = {
        {"no serial device, held", plain, pty.SlavePath(), fix},
        {"held, held", pty.SlavePath(), pty.SlavePath(), later},
        {"missing, no serial device", missing, plain, again},
    };
    Prepare({0, 1}, "r1=HELLO|\r\n");
    WriteConfigLines("C0=1|||R022002|1|1|0|1\r\nC1=2|||R022002|2|1|1|1\r\n", "r1=HELLO|\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", c.com1));
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM2", c.com2));
        const RunResult r = RunList();
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(r.err.ends_with(c.last)) << r.err;
        for (const std::string& port : {"COM1 (" + c.com1 + ")", "COM2 (" + c.com2 + ")"})
            EXPECT_EQ(testsupport::CountOf(r.err, port), 1) << port << r.err;
    }
    ::close(holder);
}

// A request whose argument cannot be taken runs nothing, and says so with
// the argument.
TEST_F(BatchRefusalTest, ARequestArgumentThatCannotBeTakenIsRefusedByName) {
    const char* const requests[] = {
        "&L|a:b",  "*F|99999:1", "*F|-5:3", "&L|1:99999999999", "*F|1:", "&L|:",
        "&M|x:y",  "&I|a:b",     "*T|7",    "*G|5:1",           "&L|5:2", "#z|4:2",
        "*F|0:0",  "&L|0:3",     "&M|0:0",  "&I|0:0",           "*G|0:0", "#M|0:0",
        "*B|a:b",  "#z|1x:5",   "#z|1:4294967299", "&M|1:99999999999999", "#q|0:0", "#i|0:5",
        "#q|out.txt", "#d|0:5", "#d|6:x", "#d|", "#d|6:1:2", "#C|ABC:ABC", "&M|A:Z",
    };
    StartRegisters({0});
    for (const char* request : requests) {
        SCOPED_TRACE(request);
        PrepareOne(request);
        ExpectFailure("003");
        EXPECT_EQ(ErrorLines("003"), 1) << ErrLog();
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), 1) << ErrLog();
        EXPECT_NE(MsgLog().find("Request argument not taken"), std::string::npos) << MsgLog();
        EXPECT_NE(MsgLog().find(request), std::string::npos) << MsgLog();
        const bool letters = std::string("&M|x:y *B|a:b #C|ABC:ABC &M|A:Z").find(request) != std::string::npos;
        EXPECT_EQ(testsupport::CountOf(MsgLog(), "options of this register allow no letters"), letters ? 1 : 0);
        EXPECT_TRUE(Requests(*registers[0]).empty());
    }
}

// A request taken but not done fails the run: a line in each log saying why.
TEST_F(BatchRefusalTest, ARequestNotDoneFailsTheRunAndSaysWhy) {
    const struct {
        const char* request;
        const char* code;
        const char* said;
        const char* level = "/l:9";
        const char* alsoSaid = "";
        int pluRecords = 0;  // PLU.txt of this many records
    } cases[] = {
        {"*K|3:7", "004", "not allowed by the register's PLU options", "/l:9",  // P210 has no period report
         "Request not done (nothing was sent to the register): *K|3:7"},
        {"^e|", "004", "no such table; nothing sent, read or imported: RepFid.txt (^e|)"},
        {"^d|", "004", "no such table; nothing sent, read or imported: SubFid.txt (^d|)"},
        {"^f|in.txt", "004", "no such table; nothing sent, read or imported: CirCli.txt (^f|in.txt)"},
        {"??|x", "003", "Unknown request code; nothing done: ??|x"},
        {"*a|", "004", "no such table; nothing sent, read or imported: TicketAmount.txt (*a|)", "/l:1"},
        {"&a|", "004", "no such table; nothing sent, read or imported: TicketAmount.txt (&a|)", "/l:1"},
        {"#z|", "004", "five digits, so one send carries at most 99999 (100000)", "/l:9",
         "Request not done (nothing was sent to the register): #z|", 100000},
    };
    StartRegisters({0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        PrepareOne(c.request);
        std::string plus;
        for (int i = 0; i < c.pluRecords; ++i) plus += Plu(std::to_string(i + 1), 1, "ITEM");
        if (c.pluRecords > 0) Write("base/Cassa1/PLU.txt", plus);
        ExpectFailure(c.code, c.level);
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), 1) << ErrLog();
        EXPECT_NE(MsgLog().find(c.said), std::string::npos) << MsgLog();
        EXPECT_NE(MsgLog().find(c.alsoSaid), std::string::npos) << MsgLog();
        EXPECT_TRUE(Requests(*registers[0]).empty());
    }
}

// Once the link to the register stands (its first frames acknowledged),
// every later frame gets NAK, or no answer at all.
class FramesFailAfterConnect : public emu::Handler {
public:
    explicit FramesFailAfterConnect(bool nak, int ok = 1) : nak_(nak), ok_(ok) {}
    bool OnFrame(emu::Register& reg, const emu::PcUnit&) override {
        if (armed_ || --ok_ > 0) return false;
        armed_ = true;
        emu::Faults faults;
        (nak_ ? faults.nakFrames : faults.silentFrames) = -1;
        reg.Owner().SetFaults(faults);
        return false;
    }

private:
    bool nak_;
    int ok_;
    bool armed_ = false;
};

// A command frame never acknowledged fails the run; an extra turn resends sends and reads only.
TEST_F(BatchRefusalTest, ACommandFrameNeverAcknowledgedFailsTheRun) {
    const struct {
        bool nak;
        std::string request;
        int sent = 2;            // times a command of the request went out
        bool notResent = false;  // said as not sent again
        int framesOk = 1;        // frames acknowledged before the failures start
    } cases[] = {
        {true, "&L|1:20"},
        {false, "&N|"},
        {false, "*H|"},
        {false, "&I|1:500"},  // a ranged read refused fails, though it would bring nothing
        {true, "#Z|", 1, true},
        {false, "#q|1:5", 1, true},
        {true, "#C|" + dir.file("del.txt"), 2, true, 3},
    };
    Write("del.txt", Plu("11", 1, "A") + Plu("12", 1, "B") + Plu("13", 1, "C"));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.nak ? "NAK " : "silent ") + c.request);
        PrepareOne(c.request, 1800);
        registers.clear();
        if (emulator) emulator->Stop();
        CreateEmulator({0});
        emulator->AddHandler(std::make_shared<FramesFailAfterConnect>(c.nak, c.framesOk));
        AddRegister(0);
        StartEmulator();
        // A request never sent twice may or may not have been done; any other was not.
        const char* code = c.notResent ? "016" : "005";
        ExpectFailure(code);
        EXPECT_EQ(ErrorLines(code), c.sent) << ErrLog();
        EXPECT_EQ(ErrorLines(c.notResent ? "005" : "016"), 0) << ErrLog();
        EXPECT_NE(ErrLog().find("<" + c.request + ">"), std::string::npos) << ErrLog();
        EXPECT_NE(MsgLog().find("did not acknowledge the command; it may or may not have been carried out"),
                  std::string::npos) << MsgLog();
        EXPECT_EQ(MsgLog().find("Not sent again in the register's next turn") != std::string::npos, c.notResent)
            << MsgLog();
    }
}

// A send whose table cannot be read as records sends nothing: a failure,
// with the file named.
TEST_F(BatchRefusalTest, ASendWhoseTableCannotBeReadFailsTheRun) {
    const struct {
        const char* request;
        const char* file;
        std::string bytes;
    } cases[] = {
        {"*M|", "Clienti.txt", "12345678901234567890123456789\r\n" + std::string(200, 'x')},
        {"*G|", "PLU.txt", "0000000000001PLU 1\r\n" + std::string(300, '\x7f')},
        {"*G|", "PLU.txt", std::string(40, '\x01') + "\r\n"},
        {"*L|", "Offerte.txt", "garbage\r\n"},
    };
    StartRegisters({0}, "DRAVO57");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.request) + " " + c.file);
        PrepareOne(c.request);
        Write(std::string("base/Cassa1/") + c.file, c.bytes);
        ExpectFailure("012", "/l:3");
        EXPECT_NE(MsgLog().find("cannot be read as records"), std::string::npos) << MsgLog();
        EXPECT_NE(MsgLog().find(c.file), std::string::npos) << MsgLog();
        EXPECT_EQ(Cash(c.file), c.bytes);
    }
    EXPECT_TRUE(registers[0]->Received("customers").empty());
    EXPECT_TRUE(registers[0]->Received("plu").empty());
}

// A setting that cannot be used as it stands is said on standard error and
// in msg.log, naming the setting; the run goes on with the default (the
// time-out) or without an error log.
TEST_F(BatchRefusalTest, ASettingThatCannotBeUsedIsSaidOnStandardErrorAndInTheMessageLog) {
    const struct {
        const char* timeout;  // config.ini [Generiche] commandstimeout
        const char* logerr;   // setup.ini [Casse] logerr
        const char* said;
        const char* level = "/l:9";
    } cases[] = {
        {"abc", "base/err.log", "commandstimeout=abc"},
        {"0", "base/err.log", "commandstimeout=0"},
        {"-5", "base/err.log", "commandstimeout=-5"},
        {"99999999", "base/err.log", "commandstimeout=99999999"},
        {"120", "base", "(a folder"},
        {"120", "base/missing/err.log", "(no folder"},
    };
    StartRegisters({0});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.timeout) + " " + c.logerr);
        Prepare({0}, "r1=HELLO|hello.txt\r\n");
        Write("base/config.ini", Read("base/config.ini").replace(
                                     Read("base/config.ini").find("commandstimeout=120"), 19,
                                     std::string("commandstimeout=") + c.timeout));
        Write("setup.ini", std::string("[Casse]\r\npath=base\r\nlogerr=") + c.logerr +
                               "\r\nsem=base/done.sem\r\n[Communication]\r\nDTRDelay=0\r\n");
        const RunResult r = RunList();
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_NE(MsgLog().find(c.said), std::string::npos) << MsgLog();
        EXPECT_TRUE(std::filesystem::exists(dir.file("hello.txt")));
        std::filesystem::remove(dir.file("hello.txt"));
    }
}

// A base folder that is a file: nothing is done there and the run fails, but
// a caller waiting for the semaphore file is told the run ended when that
// file lies outside the base's path; else standard error says it is not.
TEST_F(BatchRefusalTest, ABaseFolderThatIsAFileStillEndsWithTheSemaphore) {
    const struct {
        const char* sem;  // setup.ini [Casse] sem
        bool written;
    } rows[] = {
        {"done.sem", true},
        {"plain/done.sem", false},
        {"plain", false},  // the base file itself: kept as it is
        {"sub/../plain", false},
    };
    Write("plain", "not a folder\r\n");
    std::filesystem::create_directory(dir.file("sub"));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.sem);
        std::filesystem::remove(dir.file("done.sem"));
        Write("setup.ini", std::string("[Casse]\r\npath=plain\r\nlogerr=err.log\r\nsem=") + r.sem + "\r\n");
        const RunResult res = RunList();
        EXPECT_EQ(res.status, 1) << res.err;
        EXPECT_NE(res.err.find("ecrprog: Base folder is a file, not a folder; nothing was done: " +
                               dir.file("plain") + "\n"), std::string::npos) << res.err;
        EXPECT_EQ(std::filesystem::exists(dir.file("done.sem")), r.written);
        EXPECT_EQ(Read("plain"), "not a folder\r\n");
        const std::string notWritten = "ecrprog: Semaphore file cannot be written, a caller waiting for it is "
                                       "not told the run ended: " + dir.file(r.sem) + " (";
        EXPECT_EQ(testsupport::CountOf(res.err, notWritten), r.written ? 0 : 1) << res.err;
    }
}

// Enabled list entries that name one folder are left out, each a failure; the others are served.
TEST_F(BatchRefusalTest, EntriesThatNameOneFolderAreLeftOut) {
    const struct {
        const char* casse;
        int leftOut;        // error-log lines
        const char* named;  // in msg.log
        bool second;        // the register at station 1 was read
        std::vector<std::string> entries;  // "number:port" of each entry left out
    } rows[] = {
        {"C0=1||||1|1|0|1\r\nC1=2||||2|1|0|1\r\nC2=3||||3|1|0|1\r\n", 3, "C0, C1, C2 (Cassa1, ", false,
         {"1:1", "2:2", "3:3"}},
        {"C0=1||||1|1|0|1\r\nC1=2||||1|1|1|1\r\nC3=4||||1|1|0|1\r\n", 2, "C0, C3 (Cassa1, ", true, {"1:1", "4:1"}},
        {"C0=1||||1|1|0|0\r\nC1=2||||1|1|1|1\r\nC3=4||||1|1|1|0\r\n", 0, "", true, {}},
    };
    StartRegisters({0, 1});
    for (const auto& r : rows) {
        SCOPED_TRACE(r.casse);
        for (const char* f : {"base/err.log", "base/Cassa2", "base/Cassa3"}) std::filesystem::remove_all(dir.file(f));
        Prepare({0, 1}, "r1=&L|1:2\r\n");
        WriteConfigLines(r.casse, "r1=&L|1:2\r\n");
        const size_t before[] = {Requests(*registers[0]).size(), Requests(*registers[1]).size()};
        const RunResult res = RunList();
        EXPECT_EQ(res.status, r.leftOut > 0 ? 1 : 0) << res.err;
        EXPECT_EQ(ErrorLines("013"), r.leftOut) << ErrLog();
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), r.leftOut) << ErrLog();
        EXPECT_EQ(MsgLog().find("are left out: " + std::string(r.named) + dir.file("base/config.ini")) !=
                      std::string::npos, r.leftOut > 0) << MsgLog();
        EXPECT_EQ(testsupport::CountOf(res.err, "nothing was done: " + dir.file("base/config.ini") + "\n"),
                  r.second ? 0 : 1) << res.err;
        EXPECT_EQ(res.err.find("No register of the list is defined"), std::string::npos) << res.err;
        for (const std::string& entry : r.entries)  // each line names its own entry
            EXPECT_EQ(testsupport::CountOf(ErrLog(), "  " + entry.substr(0, 1) + std::string(12, ' ') +
                                                         entry.substr(2) + "  1  0\r\n"), 1) << ErrLog();
        EXPECT_EQ(Requests(*registers[0]).size(), before[0]);
        EXPECT_EQ(Requests(*registers[1]).size(), before[1] + (r.second ? 1u : 0u));
        EXPECT_FALSE(std::filesystem::exists(dir.file("base/Cassa3")));
    }
}

// A customer of the 90-character generation.
std::string Customer(const std::string& code) {
    ClientM cli;
    cli.CliType(1);
    cli.SetFormattedRecord(code + ":CUST " + code + "::0:1:0:" + code + "0:0:", ":", 0);
    return cli.GetRecord();
}

// An import refused whole, or one whose every record is refused, leaves the
// table as it was and ends its request: nothing is sent, the run fails.
TEST_F(BatchRefusalTest, AnImportThatTakesNoRecordKeepsTheTableAndSendsNothing) {
    const std::string customer = Customer("7");
    const std::string lfCustomers = customer.substr(0, 88) + "\n" + customer.substr(0, 88) + "X\n";
    const struct {
        const char* request;
        std::string import;
    } cases[] = {
        {"*G|in.txt", Plu("1", 1, "ITEM 1").substr(0, 50)},                  // not whole records
        {"*G|in.txt", ""},                                       // empty
        {"*G|in.txt", Plu("2", 0, "ITEM 2") + Plu("3", 0, "ITEM 3")},       // department 0: each refused
        {"#z|in.txt", ""},
        {"*M|in.txt", lfCustomers},                              // a line one character too long
        {"*M|in.txt", customer.substr(0, 88) + "\r" + customer.substr(0, 80) + "\r"},
        {"*M|in.txt", Customer("1x").substr(0, 88) + "\n"},    // the one record refused
    };
    StartRegisters({0}, "DRAVO57");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.request) + " " + c.import));
        PrepareOne(c.request);
        Write("base/Cassa1/PLU.txt", Plu("5", 1, "ITEM 5"));
        Write("base/Cassa1/Clienti.txt", Customer("9"));
        Write("in.txt", c.import);
        ExpectFailure("008", "/l:3");
        EXPECT_EQ(Cash("PLU.txt"), Plu("5", 1, "ITEM 5"));
        EXPECT_EQ(Cash("Clienti.txt"), Customer("9"));
        EXPECT_TRUE(Requests(*registers[0]).empty());
    }
}

}  // namespace
