// Sending the departments (answers to "B" 80) and storing them when they are
// read back ("C" 07), on LX4100 and on another model.
#include "transfers/departments_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/child_process.h"
#include "core/texts.h"
#include "platform/clock.h"
#include "store/departments.h"
#include "store/transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::Blanks;
using transfertest::TransferTest;
using transfertest::Zeros;

class DepartmentsTest : public TransferTest {
protected:
    // The model, its department count and a fresh default Reparti.txt.
    void Model(int16_t number) {
        ConfigLevel.InitOffLine(number, "V014057");
        Sizes.nMaxReparti = number == 1 ? 99 : 250;
        ASSERT_TRUE(CreateReparto());
    }
    void Range(int16_t from, int16_t to) {
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = from;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = to;
        Tx.bTxRepartoEnded = False;
    }
    void Put(int n, const std::string& field, const std::string& value) {
        RepartoRec rec;
        ASSERT_TRUE(GetReparto(std::to_string(n), rec));
        std::string bytes = tables::RecordBytes(rec);
        const tables::FieldDef* f = RepartoRec::Layout().Find(field);
        bytes.replace(f->offset, f->width, tables::PadRight(value, f->width));
        tables::SetRecordBytes(rec, bytes);
        ASSERT_TRUE(SaveReparto(std::to_string(n), rec));
    }
    std::string Record(int n) {
        return ReadAll(CashFile("Reparti.txt")).substr(static_cast<size_t>(n - 1) * 89, 89);
    }
};

TEST_F(DepartmentsTest, FieldsGoOutAsTheirValues) {
    Model(3);
    Put(2, "P120", "  A description longer than twenty-one");
    Put(2, "P126", "-005");
    Put(2, "P129", "00001234");
    Put(2, "P121B", "2  ");
    Range(2, 2);
    EXPECT_EQ(AnsReparto(), "2:A description longer :31:0:0:0:5:0:-5:0:1:0:1234:2");
}

TEST_F(DepartmentsTest, ASendFeedsTheRangeThenEndsOnceAndKeepsTheRange) {
    Model(3);
    Range(1, 3);
    LinkState.nPendingAns = 1;
    EXPECT_EQ(AnsReparto().substr(0, 2), "1:");
    EXPECT_EQ(AnsReparto().substr(0, 2), "2:");
    EXPECT_EQ(AnsReparto().substr(0, 2), "3:");
    EXPECT_EQ(AnsReparto(), "*");
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Tx.nTxRepartoFrom, 1);
    EXPECT_EQ(Tx.nTxRepartoTo, 3);
    LinkState.nPendingAns = 1;
    EXPECT_EQ(AnsReparto(), "*");  // a late request: not counted again
    EXPECT_EQ(LinkState.nPendingAns, 1);
    EXPECT_EQ(shell->pgbCalls,
              (std::vector<std::string>{"range 1 4", "inc", "inc", "inc", "value -1"}));
    EXPECT_EQ(shell->statusTexts.front(), GetText("Msg", "45") + " - " + GetText("Msg1", "2"));
    // The end of a complete send says so, once.
    const auto& texts = shell->statusTexts;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Sent to register " + std::to_string(LinkState.nAddress + 1)), 1);
}

// A send with nothing (more) to give ends where it is, its end counted: an
// empty range at the first request; a department missing from the file at
// once (refused, never by the answer time-out), the range back for the next
// register.
TEST_F(DepartmentsTest, ASendWithNothingMoreToGiveEndsWhereItIs) {
    struct Row {
        const char* name;
        int16_t model, from, to;
        std::vector<std::string> answers;  // what each request gives: a record's start, or "*"
        int16_t pending, fromAfter, toAfter;
    } rows[] = {
        {"empty range", 3, 5, 4, {"*"}, 0, 5, 4},
        {"department 100 not in the file of 99", 1, 98, 101, {"98:", "99:", "*"}, 0, 98, 101},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Model(r.model);
        Range(r.from, r.to);
        LinkState.nPendingAns = 1;
        for (const std::string& a : r.answers) {
            const std::string got = AnsReparto();
            EXPECT_EQ(a == "*" ? got : got.substr(0, a.size()), a);  // the end exactly "*"
        }
        EXPECT_EQ(LinkState.nPendingAns, r.pending);
        EXPECT_EQ(Tx.nTxRepartoFrom, r.fromAfter);
        EXPECT_EQ(Tx.nTxRepartoTo, r.toAfter);
    }
}

// The send counters are put back at the start of each register's turn, and
// only then.
TEST_F(DepartmentsTest, TheNextRegisterGetsTheWholeRangeAfterAnAbandonedSend) {
    Model(3);
    Range(1, 10);
    CommitTxCounters();
    SaveCmdQueue();
    EXPECT_EQ(AnsReparto().substr(0, 2), "1:");
    EXPECT_EQ(AnsReparto().substr(0, 2), "2:");  // the first register stops answering here
    RestoreCmdQueue();                            // the replay for the next register
    shell->statusTexts.clear();
    EXPECT_EQ(AnsReparto().substr(0, 2), "1:");
    EXPECT_EQ(Tx.nTxRepartoTo, 10);
    EXPECT_EQ(shell->statusTexts.front(), GetText("Msg", "45") + " - " + GetText("Msg1", "2"));
}

TEST_F(DepartmentsTest, ReceivedLinesAreStoredInTheModelsForm) {
    struct Row {
        int16_t model;
        const char* line;
        std::string record;
    } rows[] = {
        {1, "3:Abc:1:2:3:4:1:2:-5:1:1:",
         "0003Abc" + Blanks(27) + "001000" + "00000002" "00000003" "00000004" "1" "02" "-005" "01"
         "001" "000" "00000000\r\n"},
        {1, "3:Abc:1:2:3:4:1:2:12:1:1:",
         "0003Abc" + Blanks(27) + "001000" + "00000002" "00000003" "00000004" "1" "02" "0012" "01"
         "001" "000" "00000000\r\n"},
        {3, "4:  ab:31:0:0:0:5:0:7:0:1:9:12345678:3:",
         "0004  ab" + Blanks(26) + "031003" + Zeros(24) + "5" "00" "0007" "00" "001" "009"
         "12345678\r\n"},
        {3, "5:ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678:0:0:0:0:0:0:0:0:0:0:0:0:",
         "0005ABCDEFGHIJKLMNOPQRSTUVWXYZ0123" "000000" + Zeros(24) + "0" "00" "0000" "00" "000"
         "000" "00000000\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        Model(r.model);
        ReqState.bRdReparto = True;
        Line(r.line);
        EXPECT_EQ(DataReparto(), -1);
        Line("*");
        EXPECT_EQ(DataReparto(), 0);
        int n = tables::NumValue(std::string(r.line).substr(0, 1));
        EXPECT_EQ(Record(n), r.record);
    }
}

TEST_F(DepartmentsTest, AReadShowsItsProgressAndEndsTheTable) {
    Model(3);
    ReqState.bRdReparto = True;
    LinkState.nPendingAns = 1;
    Line("1:A:31:0:0:0:5:0:0:0:1:0:0:0:");
    EXPECT_EQ(DataReparto(), -1);
    Line("2:B:31:0:0:0:5:0:0:0:1:0:0:0:");
    EXPECT_EQ(DataReparto(), -1);
    Line("*");
    EXPECT_EQ(DataReparto(), 0);
    EXPECT_EQ(ReqState.bRdReparto, False);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Acks(), 3);
    EXPECT_EQ(shell->pgbCalls,
              (std::vector<std::string>{"range 1 100", "inc", "inc", "value -1"}));
    EXPECT_EQ(shell->statusTexts.front(), GetText("Msg", "44") + " - " + GetText("Msg1", "2"));
    EXPECT_EQ(shell->statusTexts.back(), "Read from register " + std::to_string(LinkState.nAddress + 1));
    // A line cut short, or with a value too wide for its field, is not stored.
    ReqState.bRdReparto = True;
    std::string before = ReadAll(CashFile("Reparti.txt"));
    for (const char* bad : {"1:A:31:0:0:0:5:0:0:0:1:0:0:0", "1:A:31:0:0:0:55:0:0:0:1:0:0:0:",
                            "1:A:31:0:0:0:5:0:10000:0:1:0:0:0:"}) {
        Line(bad);
        EXPECT_EQ(DataReparto(), -1);
    }
    EXPECT_EQ(ReadAll(CashFile("Reparti.txt")), before);
    EXPECT_EQ(shell->errors.size(), 3u);
}

// A register that sends department numbers beyond the model's table: the
// lines are acknowledged, listed and not stored, and the file keeps its size.
TEST_F(DepartmentsTest, DepartmentsOutsideTheModelsTableAreNotStored) {
    Model(1);  // 99 departments: 8,811 bytes
    ReqState.bRdReparto = True;
    LinkState.nPendingAns = 1;
    for (const char* line : {"5000:Far:31:0:0:0:5:0:0:0:1:", "99:Last:31:0:0:0:5:0:0:0:1:",
                             "9999:Farther:31:0:0:0:5:0:0:0:1:", "100:Next:31:0:0:0:5:0:0:0:1:"}) {
        Line(line);
        EXPECT_EQ(DataReparto(), -1);
    }
    Line("*");
    EXPECT_EQ(DataReparto(), 0);
    const std::string file = ReadAll(CashFile("Reparti.txt"));
    EXPECT_EQ(file.size(), 8811u);
    EXPECT_EQ(Record(99).substr(0, 8), "0099Last");
    EXPECT_EQ(Acks(), 5);
    ASSERT_EQ(shell->errors.size(), 4u);
    EXPECT_EQ(shell->errors[0].text,
              GetText("Log", "outofrange") + " Reparti.txt: 5000:Far:31:0:0:0:5:0:0:0:1:");
    EXPECT_EQ(shell->errors[3].text, GetText("Log", "readrefused") + " " + CashFile("Reparti.txt") + " (3/4)");
    EXPECT_EQ(shell->errors[2].text.rfind(GetText("Log", "outofrange") + " Reparti.txt: 100:", 0), 0u);
}

// The program killed at any point of a read: the file holds the old table or
// the new one, whole.
TEST_F(DepartmentsTest, KillingTheProgramDuringAReadLeavesTheOldOrTheNewTable) {
    // The pauses of the link take no time here.
    double clock = 0;
    platform::SetTestTimer([&] { return clock; });
    platform::SetTestSleep([&](int32_t ms) { clock += ms / 1000.0; });
    struct Restore {
        ~Restore() {
            platform::SetTestTimer({});
            platform::SetTestSleep({});
        }
    } restore;
    Model(1);
    const std::string old = ReadAll(CashFile("Reparti.txt"));
    std::vector<std::string> lines;
    for (int n = 1; n <= 99; ++n)
        lines.push_back(std::to_string(n) + ":Read " + std::to_string(n) + ":7:1:2:3:4:5:-6:7:8:");
    lines.push_back("*");
    auto read = [&](size_t count) {
        ReqState.bRdReparto = True;
        for (size_t i = 0; i < count; ++i) {
            Line(lines[i]);
            DataReparto();
        }
    };
    // The new table, as a whole read stores it.
    EXPECT_EQ(childtest::Run([&] {
                  read(lines.size());
                  return 0;
              }),
              0);
    const std::string fresh = ReadAll(CashFile("Reparti.txt"));
    ASSERT_EQ(fresh.size(), old.size());
    ASSERT_NE(fresh, old);
    EXPECT_EQ(fresh.substr(89, 89), "0002Read 2" + Blanks(24) + "007" "000" "00000001" "00000002"
                                    "00000003" "4" "05" "-006" "07" "008" "000" "00000000\r\n");

    // Killed after a number of lines: the closing line is the 100th.
    for (size_t k : {0, 1, 2, 50, 98, 99, 100}) {
        SCOPED_TRACE(k);
        WriteAll(CashFile("Reparti.txt"), old);
        pid_t pid = childtest::Start([&] {
            read(k);
            raise(SIGKILL);
            return 0;
        });
        EXPECT_EQ(childtest::Wait(pid), -SIGKILL);
        EXPECT_TRUE(ReadAll(CashFile("Reparti.txt")) == (k < lines.size() ? old : fresh));
    }

    // Killed at moments spread over the whole read, inside the writing of a
    // record or the replacement of the file as well.
    WriteAll(CashFile("Reparti.txt"), old);
    const auto t0 = std::chrono::steady_clock::now();
    childtest::Run([&] {
        read(lines.size());
        return 0;
    });
    const auto span = std::chrono::steady_clock::now() - t0;
    for (int i = 0; i <= 40; ++i) {
        WriteAll(CashFile("Reparti.txt"), old);
        pid_t pid = childtest::Start([&] {
            read(lines.size());
            return 0;
        });
        std::this_thread::sleep_for(span * i / 40);
        kill(pid, SIGKILL);
        childtest::Wait(pid);
        const std::string now = ReadAll(CashFile("Reparti.txt"));
        EXPECT_TRUE(now == old || now == fresh) << "killed at " << i << "/40";
    }
}

}  // namespace
