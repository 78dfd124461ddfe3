// Operators, waiters and meal tickets in a batch run of the
// program, without a display, against the register emulator: a request list
// that sends and reads them by their builders' request codes, each read into
// a copy destination of its own.
#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"
#include "common/record_text.h"

namespace {

using testsupport::text::Blanks;

using SetupTablesBatchTest = testsupport::BatchRunTest;

TEST_F(SetupTablesBatchTest, RequestListSendsAndReadsIntoCopyDestinations) {
    Prepare({0}, "r1=*H\r\nr2=&N|ope.txt\r\nr3=&K|cam.txt\r\nr4=&a|tick.txt\r\n");
    StartRegisters({0}, "DRAVO57");
    const auto reg = registers[0];
    reg->SetRecords("waiters", {"1:ANNA:", "2:BRUNO:"});
    reg->SetRecords("meal tickets", {"7:01:000001500:"});

    // Model 3 is DRAVO57, which has meal tickets.
    const auto run = Run({"/r:**", "/f:setup.ini", "/l:3", "/t:1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ErrLog(), "");

    // A new folder's operators went out and came back as they were.
    std::vector<std::string> operators = reg->Received("operators");
    ASSERT_EQ(operators.size(), 20u);
    EXPECT_EQ(operators[0], "1:1:0::15:255:0:0:0:0");
    const std::string ope = Cash("Operatori.txt");
    ASSERT_EQ(ope.size(), 20u * 58);
    EXPECT_EQ(ope.substr(0, 58), "01001000" + Blanks(30) + "015255000000000000\r\n");
    EXPECT_TRUE(Read("ope.txt") == ope);

    // The waiters read is copied like every other table.
    const std::string cam = Cash("Camerieri.txt");
    ASSERT_EQ(cam.size(), 20u * 34);
    EXPECT_EQ(cam.substr(0, 68), "01ANNA" + Blanks(26) + "\r\n02BRUNO" + Blanks(25) + "\r\n");
    EXPECT_EQ(cam.substr(68, 34), "03" + Blanks(30) + "\r\n");
    EXPECT_TRUE(Read("cam.txt") == cam);

    // Payment type 7 is meal ticket 2: its first denomination is record 16.
    const std::string tick = Cash("TicketAmount.txt");
    ASSERT_EQ(tick.size(), 510u * 15);
    EXPECT_EQ(tick.substr(15 * 15, 15), "0201000001500\r\n");
    EXPECT_TRUE(Read("tick.txt") == tick);
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));
}

}  // namespace
