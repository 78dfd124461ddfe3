// The seven table imports in command-line runs of the program against the
// register emulator (DRAVO57): a request list that imports a file for each
// and sends what it imported, and one whose imports are all refused, which
// ends with status 1, an error-log line for each, and every file as it was.
#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"
#include "common/record_text.h"

namespace {

using namespace testsupport::text;

namespace fs = std::filesystem;

using testsupport::CountOf;

std::string Department(int n) {
    return Z(n, 4) + Pad("Dept " + Num(n), 30) + "31 0  " + Z(n, 8) + Z(2 * n, 8) + Z(3 * n, 8) +
           "5" "01" "0004" "02" "001" "000" "00000009\r\n";
}
std::string Lines3(int seed) {
    std::string l;
    for (int k = 0; k < 3; ++k) l += "1" + Num(k) + Z(seed + k, 8) + Z(0, 40);
    return l;
}
std::string Wire3(int seed, int k) {
    return "1:" + Num(k) + ":" + Z(seed + k, 8) + ":00000000:00000000:00000000:00000000:00000000";
}

class ImportsBatchTest : public testsupport::BatchRunTest {
protected:
    void SetUp() override {
        BatchRunTest::SetUp();
        if (IsSkipped()) return;
        Prepare({0}, "");
        StartRegisters({0}, "DRAVO57");
        reg = registers[0];
    }
    // Runs the request list on DRAVO57 (model 3); the exit status.
    int Run(const std::string& requests) {
        WriteConfig({0}, requests);
        return BatchRunTest::Run({"/r:**", "/f:setup.ini", "/l:3", "/t:1"}).status;
    }

    std::shared_ptr<emu::CashRegister> reg;
};

TEST_F(ImportsBatchTest, EachImportStoresItsFileAndTheRequestSendsIt) {
    // The end-of-file byte of an old editor is left out.
    Write("dept.txt", Department(7) + Department(3) + Department(12) + "\x1A");
    Write("repfid.txt", "0006" + Lines3(60) + "\r\n" + "0005" + Lines3(50) + "\r\n");
    Write("subfid.txt", Lines3(30) + "\r\n" + Lines3(90) + "\r\n");
    Write("circli.txt", "09" + Z(999, 7) + "2\r\n" + "02" + Z(22, 7) + "1\r\n");
    Write("scomag.txt", "20" "016" + Pad("150", 8) + Pad("20", 8) + Pad("Last", 30) + "\r\n");
    Write("conf1.txt", "00000012" "05\r\n");
    Write("conf2.txt", "0207\r\n" "0620\r\n");
    reg->SetRecords("plu directory", {"55:4:"});
    ASSERT_EQ(Run("r1=*F|dept.txt\r\nr2=^e|repfid.txt\r\nr3=^d|subfid.txt\r\nr4=^f|circli.txt\r\n"
                  "r5=*Y|scomag.txt\r\nr6=*W|conf1.txt\r\nr7=*m|conf2.txt\r\nr8=&l|dircopy.txt\r\n"),
              0)
        << ErrLog();
    EXPECT_EQ(ErrLog(), "");

    // The departments 7, 3 and 12: the range 3 to 12 is sent.
    const Lines depts = reg->Received("departments");
    ASSERT_EQ(depts.size(), 10u);
    EXPECT_EQ(depts[0], "3:Dept 3:31:3:6:9:5:1:4:2:1:0:9:0");
    EXPECT_EQ(depts[1].substr(0, 5), "4: :3");  // a department of the folder's own
    EXPECT_EQ(depts[4], "7:Dept 7:31:7:14:21:5:1:4:2:1:0:9:0");
    EXPECT_EQ(depts[9], "12:Dept 12:31:12:24:36:5:1:4:2:1:0:9:0");
    EXPECT_EQ(Cash("Reparti.txt").substr(6 * 89, 89), Department(7));

    EXPECT_EQ(reg->Received("loyalty by department"),
              (Lines{"5:0:" + Wire3(50, 0), "5:1:" + Wire3(50, 1), "5:2:" + Wire3(50, 2),
                     "6:0:" + Wire3(60, 0), "6:1:" + Wire3(60, 1), "6:2:" + Wire3(60, 2)}));
    // Only the first subtotal record is taken.
    EXPECT_EQ(reg->Received("loyalty subtotal"),
              (Lines{"0:" + Wire3(30, 0), "1:" + Wire3(30, 1), "2:" + Wire3(30, 2)}));
    const Lines slots = reg->Received("loyalty lines");
    ASSERT_EQ(slots.size(), 10u);
    EXPECT_EQ(slots[1], "02:0000022:1");
    EXPECT_EQ(slots[8], "09:0000999:2");
    EXPECT_EQ(slots[9], "10:0000000:0");
    const Lines discounts = reg->Received("discounts");
    ASSERT_EQ(discounts.size(), 20u);
    EXPECT_EQ(discounts[19], "20:16:150:20:Last");
    EXPECT_EQ(reg->Received("discount options"), Lines{"12:5"});
    EXPECT_EQ(reg->Received("discount option array"), Lines{"0:7:0:0:0:20"});
    // The directory read is copied to its copy destination, as every table is.
    const std::string dirplu = Cash("DirPLU.txt");
    ASSERT_EQ(dirplu.size(), 250u * 18);
    EXPECT_EQ(dirplu.substr(3 * 18, 18), Pad("55", 13) + "4  \r\n");
    EXPECT_TRUE(Read("dircopy.txt") == dirplu);
    for (const char* t : {"departments", "loyalty by department", "loyalty subtotal", "loyalty lines"})
        EXPECT_TRUE(reg->Refused(t).empty()) << t;
}

TEST_F(ImportsBatchTest, RefusedImportsSendNothingLogEachAndLeaveEveryFile) {
    // A first run gives the folder its tables and Cassa.txt.
    ASSERT_EQ(Run("r1=*W|conf1.txt\r\n"), 1);  // the file is missing
    const std::string cassa = Cash("Cassa.txt"), depts = Cash("Reparti.txt"), slots = Cash("CirCli.txt"),
                      repfid = Cash("RepFid.txt"), subfid = Cash("SubFid.txt"), scomag = Cash("ScoMag.txt");
    ASSERT_FALSE(cassa.empty());
    fs::remove(dir.file("base/err.log"));
    const size_t commands = reg->Commands().size();

    Write("conf1.txt", "00000012" "21\r\n");                  // a value past 20
    Write("conf2.txt", "0103\r\n" "0703\r\n");                // entry 7
    Write("dept.txt", Department(3) + Department(0));          // department 0
    Write("repfid.txt", "0251" + Lines3(1) + "\r\n");          // one past the table
    Write("subfid.txt", "");                                   // empty
    Write("circli.txt", "02" + Z(22, 7) + "1\r");              // no whole record
    Write("scomag.txt", "01" "0x6" + std::string(46, ' ') + "\r\n");  // letters in a number
    EXPECT_EQ(Run("r1=*W|conf1.txt\r\nr2=*m|conf2.txt\r\nr3=*F|dept.txt\r\nr4=^e|repfid.txt\r\n"
                  "r5=^d|subfid.txt\r\nr6=^f|circli.txt\r\nr7=*Y|scomag.txt\r\n"),
              1);
    const std::string log = ErrLog();
    EXPECT_EQ(CountOf(log, "[004]"), 7) << log;
    for (const char* request : {"<*W|conf1.txt>", "<*m|conf2.txt>", "<*F|dept.txt>", "<^e|repfid.txt>",
                                "<^d|subfid.txt>", "<^f|circli.txt>", "<*Y|scomag.txt>"})
        EXPECT_EQ(CountOf(log, request), 1) << request;
    EXPECT_EQ(CountOf(Read("base/msg.log"), "nothing imported"), 7);
    EXPECT_EQ(reg->Commands().size(), commands);  // nothing was sent
    EXPECT_TRUE(Cash("Cassa.txt") == cassa);
    EXPECT_TRUE(Cash("Reparti.txt") == depts);
    EXPECT_TRUE(Cash("CirCli.txt") == slots);
    EXPECT_TRUE(Cash("RepFid.txt") == repfid);
    EXPECT_TRUE(Cash("SubFid.txt") == subfid);
    EXPECT_TRUE(Cash("ScoMag.txt") == scomag);
}

}  // namespace
