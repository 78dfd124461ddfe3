// The departments over the line: the builders, the main timer, the link and
// the department procedures against the register emulator on a
// pseudo-terminal. The emulator keeps the records it receives and sends them
// back when the table is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/texts.h"
#include "engine/builders_tables.h"
#include "transfers/table_link_fixture.h"
#include "store/departments.h"
#include "transfers/departments_transfer.h"

namespace {

using timertest::Fields;

class DepartmentsLinkTest : public timertest::TableLinkTest {
protected:
    // Gives every department of the open register's folder a name and
    // values of its own, in the form a read stores them. The file's bytes.
    std::string FillDepartments() {
        for (int n = 1; n <= Sizes.nMaxReparti; ++n) {
            RepartoRec rec = tables::DefaultRecord<RepartoRec>(n);
            rec.P120 = "Dept " + std::to_string(n) + " st" + std::to_string(LinkState.nAddress);
            rec.P121A.PutNum(n % 256);
            rec.P121B.PutNum(0);
            rec.P123.PutNum(100 * n);
            rec.P125.PutNum(n % 5 + 1);
            rec.P126.PutNum(n % 3 == 0 ? -n % 1000 : n % 1000);
            EXPECT_TRUE(SaveReparto(std::to_string(n), rec));
        }
        return File("Reparti.txt");
    }
};

TEST_F(DepartmentsLinkTest, SentAndReadBackOnEachModel) {
    struct Model {
        int16_t number;
        const char* key;
        size_t fields;
    };
    for (const Model m : {Model{3, "DRAVO57", 14}, Model{1, "LX4100", 11}}) {
        SCOPED_TRACE(m.key);
        OpenModel(m.number);
        std::string sent = FillDepartments();
        const int16_t count = Sizes.nMaxReparti;

        ASSERT_TRUE(SendReparto(1, count));
        ASSERT_TRUE(RunToIdle(60));
        std::vector<std::string> got = registers[0]->Received("departments");
        ASSERT_EQ(got.size(), static_cast<size_t>(count));
        for (const std::string& r : got) EXPECT_EQ(Fields(r), m.fields) << r;
        EXPECT_EQ(got[2], m.number == 1 ? "3:Dept 3 st0:3:300:0:0:4:0:-3:0:0"
                                        : "3:Dept 3 st0:3:300:0:0:4:0:-3:0:0:0:0:0");
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(ErrorLog(), "");

        // The local file is lost; the read brings the same bytes back.
        ASSERT_TRUE(CreateReparto());
        ASSERT_TRUE(ReqReparto(1, count));
        ASSERT_TRUE(RunToIdle(60));
        std::string back = File("Reparti.txt");
        EXPECT_EQ(back.size(), sent.size());
        EXPECT_TRUE(back == sent);
        EXPECT_EQ(ReqState.bRdReparto, False);
        EXPECT_EQ(ts.refreshCalls, 1);

        StopLine();
        ts.refreshCalls = 0;
    }
}

TEST_F(DepartmentsLinkTest, OneSendReachesBothRegistersInAddressedMode) {
    OpenModel(1, true, {0, 1});  // LX4100
    FillDepartments();  // register 0's folder
    CassaList[0].bDone = True;
    ASSERT_TRUE(NextCash(false));
    ASSERT_EQ(LinkState.nAddress, 1);
    FillDepartments();  // register 1's folder
    const int16_t count = Sizes.nMaxReparti;

    ASSERT_TRUE(SendReparto(1, count));
    ASSERT_TRUE(RunToIdle(60));
    for (int station : {0, 1}) {
        SCOPED_TRACE(station);
        std::vector<std::string> got = registers[station]->Received("departments");
        ASSERT_EQ(got.size(), static_cast<size_t>(count));
        // Each register gets the departments of its own folder, all of them.
        EXPECT_EQ(got[0], "1:Dept 1 st" + std::to_string(station) + ":1:100:0:0:2:0:1:0:0");
        EXPECT_EQ(got.back().substr(0, 3), "99:");
    }
    EXPECT_EQ(ErrorLog(), "");
}

// Descriptions holding the field separator or control bytes cross a send and
// a read without shifting any field.
TEST_F(DepartmentsLinkTest, TextsWithTheSeparatorOrControlBytesKeepEveryFieldInPlace) {
    OpenModel(3);  // DRAVO57: 14 fields
    FillDepartments();
    auto describe = [](int n, const std::string& text) {
        RepartoRec rec;
        ASSERT_TRUE(GetReparto(std::to_string(n), rec));
        rec.P120 = text;
        ASSERT_TRUE(SaveReparto(std::to_string(n), rec));
    };
    describe(1, "A:B");
    describe(2, "X\x02Y\r\nZ\x04\x7f");

    ASSERT_TRUE(SendReparto(1, 3));
    ASSERT_TRUE(RunToIdle(60));
    std::vector<std::string> got = registers[0]->Received("departments");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], "1:A B:1:100:0:0:2:0:1:0:0:0:0:0");
    EXPECT_EQ(got[1], "2:X Y  Z:2:200:0:0:3:0:2:0:0:0:0:0");
    EXPECT_EQ(got[2], "3:Dept 3 st0:3:300:0:0:4:0:-3:0:0:0:0:0");

    // Read back, with a fourth department whose description the register
    // sends with control bytes of its own.
    std::vector<std::string> records = registers[0]->Records("departments");
    static const char fourth[] = "4:P\tQ\x01R\r\nS\0T\x7f:4:400:0:0:5:0:4:0:0:0:0:0:";
    records.push_back(std::string(fourth, sizeof fourth - 1));
    registers[0]->SetRecords("departments", records);
    ASSERT_TRUE(ReqReparto(1, 4));
    ASSERT_TRUE(RunToIdle(60));
    const std::string file = File("Reparti.txt");
    ASSERT_EQ(file.size(), 250u * 89);
    const std::string tail = "00" "000" "000" "00000000\r\n";  // P132, P127, P128, P129
    EXPECT_EQ(file.substr(0, 89), "0001A B" + std::string(27, ' ') + "001" "000" "00000100" +
                                      std::string(16, '0') + "2" "00" "0001" + tail);
    EXPECT_EQ(file.substr(89, 89), "0002X Y  Z" + std::string(24, ' ') + "002" "000" "00000200" +
                                       std::string(16, '0') + "3" "00" "0002" + tail);
    EXPECT_EQ(file.substr(3 * 89, 89), "0004P Q R  S T" + std::string(20, ' ') + "004" "000"
                                           "00000400" + std::string(16, '0') + "5" "00" "0004" + tail);
    EXPECT_EQ(ErrorLog(), "");
}

// A register that falls silent in the middle of a read: the command ends by
// its answer time-out and the table is the old one, whole.
TEST_F(DepartmentsLinkTest, AReadCutShortByTheRegisterLeavesTheOldTable) {
    emu::RegisterConfig config;
    config.stallAfter = 40;
    OpenModel(1, false, {0}, {config});  // LX4100
    const std::string old = FillDepartments();
    std::vector<std::string> records;
    for (int n = 1; n <= 99; ++n)
        records.push_back(std::to_string(n) + ":New " + std::to_string(n) + ":1:0:0:0:1:0:0:0:1:");
    registers[0]->SetRecords("departments", records);

    ASSERT_TRUE(ReqReparto(1, 99));
    ASSERT_TRUE(RunToIdle(60));
    const std::string path = platform::JoinPath(Core.strCashDir, "Reparti.txt");
    EXPECT_TRUE(testsupport::ReadAll(path) == old);
    EXPECT_FALSE(platform::FileExists(path + ".part"));
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);
    EXPECT_NE(ErrorLog().find("[012]"), std::string::npos);
    const std::vector<std::string> errors = ErrorTexts();
    EXPECT_NE(std::find(errors.begin(), errors.end(), GetText("Log", "readcut") + " " + path),
              errors.end());
}

// Every answer frame of the register followed by an ACK nothing waits for
// (glued to the frame), or the register's ACK of every tenth frame late (the
// program sends the frame again and gets two ACKs): the send and the read of
// the whole table go through, every record in place, nothing in the error log.
TEST_F(DepartmentsLinkTest, AStrayAckBehindEveryRegisterFrameLosesNothing) {
    const struct {
        const char* name;
        bool addressed;
        bool stray;     // an ACK behind every answer frame
        int lateEvery;  // the ACK of every Nth frame of the program late
    } cases[] = {
        {"stray, direct", false, true, 0},
        {"stray, addressed", true, true, 0},
        {"late every tenth, direct", false, false, 10},
        {"late every tenth, addressed", true, false, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenModel(3, c.addressed);  // DRAVO57: 250 departments
        emu::Faults f;
        f.strayAck = c.stray;
        f.lateAckEvery = c.lateEvery;
        emulator->SetFaults(f);
        const std::string sent = FillDepartments();
        const int16_t count = Sizes.nMaxReparti;
        ASSERT_EQ(count, 250);
        ASSERT_TRUE(SendReparto(1, count));
        ASSERT_TRUE(RunToIdle(120));
        EXPECT_EQ(registers[0]->Received("departments").size(), static_cast<size_t>(count));
        ASSERT_TRUE(CreateReparto());
        ASSERT_TRUE(ReqReparto(1, count));
        ASSERT_TRUE(RunToIdle(120));
        EXPECT_TRUE(File("Reparti.txt") == sent);
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(ErrorTexts().empty());
        StopLine();
    }
}

}  // namespace

