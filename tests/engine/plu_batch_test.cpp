// The PLU requests of a request list, run by the program as a process
// against two registers in addressed mode: "*G" imports a file and sends
// it record by record, "#z" imports it and sends it in bulk, "*L" imports
// and sends offers; each register in its own turn.
#include <filesystem>
#include <memory>

#include "common/batch_fixture.h"
#include "emulator/bulk_receiver.h"

namespace {

using PLUBatchTest = testsupport::BatchRunTest;

TEST_F(PLUBatchTest, ImportAndBulkSendReachEachRegisterInItsTurn) {
    const std::string import = dir.file("articles.txt");
    const std::string offers = dir.file("offers.txt");
    // 150 PLUs in reverse order, one twice, one refused (department 0).
    std::string plus;
    for (int n = 150; n >= 1; --n) plus += Plu(std::to_string(n), 1 + n % 9, "Item " + std::to_string(n));
    plus += Plu("7", 2, "Item 7 again") + Plu("999", 0, "Refused");
    Write("articles.txt", plus);
    Write("offers.txt", Plu("999999990002", 1, "Offer 2").replace(59, 5, "00003").replace(77, 1, "9") +
                            Plu("999999990001", 1, "Offer 1").replace(59, 5, "00003").replace(77, 1, "9"));
    Prepare({0, 1}, "r1=*G|" + import + "\r\nr2=#z|" + import + "\r\nr3=*L|" + offers + "\r\n", 600,
            "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n");

    // Each station has a bulk receiver ahead of its register.
    CreateEmulator({0, 1}, 30);
    std::vector<std::shared_ptr<emu::BulkReceiver>> bulk;
    for (int s : {0, 1}) {
        bulk.push_back(std::make_shared<emu::BulkReceiver>(s));
        emulator->AddHandler(bulk.back());
    }
    for (int s : {0, 1}) AddRegister(s)->SetRecords("plu options", {"0:13:30:"});
    StartEmulator();

    const std::string before = testsupport::ReadAll(import);
    auto r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/s:1", "/w:2"}, 180);
    // The refused PLU is a failure of the run (import error list, code 9).
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string log = ErrLog();
    EXPECT_NE(log.find("[009]"), std::string::npos) << log;
    EXPECT_EQ(log.find("[011]"), std::string::npos) << log;
    EXPECT_EQ(testsupport::ReadAll(import), before);
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        const auto sent = registers[static_cast<size_t>(s)]->Received("plu");
        ASSERT_EQ(sent.size(), 150u);
        EXPECT_EQ(sent[0], "1:250:2:Item 1:0:0:0:1:0");  // sorted; type 3 sends G and H
        EXPECT_EQ(sent[6], "7:250:2:Item 7 again:0:0:0:1:0");  // the later of the two
        EXPECT_EQ(bulk[static_cast<size_t>(s)]->Rows().size(), 150u);
        EXPECT_TRUE(bulk[static_cast<size_t>(s)]->Ended());
        EXPECT_EQ(registers[static_cast<size_t>(s)]->Received("offers").size(), 2u);
        EXPECT_EQ(Cash("PLU.txt", s).size(), 150u * 89);
        EXPECT_NE(Cash("PLUErr.txt", s).find("E <06> "), std::string::npos);
    }
}

// A request that imports a file, run over registers of which the first
// fails its first turn (it refuses, or the port cannot be opened): the
// register's extra turn sends what its first turn imported, so the import
// runs once for each register that got as far as its request.
struct ImportOnceCase {
    const char* name;
    const char* code;      // "*G" or "*M"
    bool noPort;           // the port cannot be opened (one register)
    const char* imported;  // the message-log line of one import
};

void PrintTo(const ImportOnceCase& c, std::ostream* os) { *os << c.name; }

class ImportOnceTest : public PLUBatchTest, public ::testing::WithParamInterface<ImportOnceCase> {
protected:
    // A customer import line of the 90-character records: code, name, VAT 1.
    static std::string Customer(const std::string& code, const std::string& name) {
        return tables::PadLeft(code, 12) + tables::PadRight(name, 30) + std::string(30, ' ') +
               "010  100     0  \r\n";
    }
};

TEST_P(ImportOnceTest, AFailedRegistersExtraTurnSendsWhatItsFirstTurnImported) {
    const ImportOnceCase& c = GetParam();
    const bool plu = std::string(c.code) == "*G";
    Write("import.txt", plu ? Plu("2", 1, "Item 2") + Plu("1", 1, "Item 1")
                            : Customer("20", "CUST 20") + Customer("12", "CUST 12"));
    const std::vector<int> stations = c.noPort ? std::vector<int>{0} : std::vector<int>{0, 1};
    Prepare(stations, std::string("r1=") + c.code + "|" + dir.file("import.txt") + "\r\n", 600,
            "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n");
    CreateEmulator(stations);
    for (int s : stations) {
        emu::RegisterConfig config;
        if (!plu) config.model = "DRAVO57";
        if (s == 0) config.refusingHellos = 2;  // the greeting and the hello before the command
        AddRegister(s, config)->SetRecords("plu options", {"0:13:30:"});
    }
    StartEmulator();
    if (c.noPort) platform::SaveSetting("Ports", "COM1", "/dev/no-such-serial-device");

    auto r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/s:1", "/w:2"}, 120);
    // A refusal that the extra turn makes good is no failure of the run.
    EXPECT_EQ(r.status, c.noPort ? 1 : 0) << r.err;
    const std::string msg = Read("base/msg.log");
    EXPECT_EQ(testsupport::CountOf(msg, c.imported), static_cast<int>(stations.size())) << msg;
    if (c.noPort) {
        EXPECT_EQ(ErrorLines("005"), 2) << ErrLog();  // its turn and its extra turn
        return;
    }
    EXPECT_EQ(ErrorLines("002"), 1) << ErrLog();  // the refusal, logged and made good
    for (const auto& reg : registers) {
        if (plu) {
            EXPECT_EQ(reg->Received("plu"), (std::vector<std::string>{"1:250:1:Item 1:0:0:0:1:0",
                                                                       "2:250:1:Item 2:0:0:0:1:0"}));
        } else {
            EXPECT_EQ(reg->Received("customers").size(), 2u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ImportOnceTest,
    ::testing::Values(ImportOnceCase{"PLUsToARegisterThatRefusesOnce", "*G", false, "Importing the PLU file"},
                      ImportOnceCase{"CustomersToARegisterThatRefusesOnce", "*M", false, "Loading archive"},
                      ImportOnceCase{"PLUsOverAPortThatCannotBeOpened", "*G", true, "Importing the PLU file"}),
    [](const ::testing::TestParamInfo<ImportOnceCase>& info) { return std::string(info.param.name); });

}  // namespace
