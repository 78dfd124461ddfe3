// PLUs and offers over the line: the record-by-record sends and the dump
// read against the register emulator, and the bulk PLU send to two
// registers of which one falls behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/cassa_conf.h"
#include "core/texts.h"
#include "transfers/logo.h"
#include "emulator/bulk_receiver.h"
#include "engine/builders_tables.h"
#include "transfers/table_link_fixture.h"
#include "common/logo_bitmap.h"
#include "transfers/bulk_transfer.h"
#include "store/plu.h"
#include "transfers/plu_transfer.h"
#include "engine/builders_bulk.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// A PLU or offer record with values of its own in every field the model's
// wire carries.
std::string Article(const std::string& code, int n, bool lx4100, bool offer) {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(code);
    r.P220A.PutNum(offer ? 0 : 1000 + n);
    r.P220B.PutNum(1 + n % 9);
    r.P220C = "Article " + std::to_string(n);
    r.P220D.PutNum(lx4100 && !offer && n % 2 ? -(n % 7) : 0);
    r.P220E.PutNum(offer ? 3 : 0);
    r.P220F.PutNum(offer ? 0 : 7 * n);
    r.P220G = "9";
    r.P220H.PutNum(lx4100 ? 0 : n % 5);  // LX4100 does not send it
    r.end.Set();
    return tables::RecordBytes(r);
}

class PLULinkTest : public timertest::TableLinkTest {
protected:
    void StopLine() {
        TableLinkTest::StopLine();
        receivers.clear();
    }
    // An emulator whose stations each have a bulk receiver ahead of the
    // register (the number frames are the receiver's).
    void StartBulkLine(bool addressed, std::vector<int> stations, const emu::RegisterConfig& config) {
        const std::vector<emu::RegisterConfig> configs(stations.size(), config);
        StartLine(addressed, stations, configs, 2, [this](int station) {
            receivers.push_back(std::make_shared<emu::BulkReceiver>(station));
            emulator->AddHandler(receivers.back());
        });
    }
    std::vector<std::shared_ptr<emu::BulkReceiver>> receivers;
};

TEST_F(PLULinkTest, EachPLUTypeSentAndReadBackByteExact) {
    struct Model {
        int16_t number;
        const char* release;
        int16_t type;
        size_t fields;
    };
    for (const Model m : {Model{1, "R013000", 2, 8}, Model{2, "R013000", 3, 9},
                          Model{3, "R022002", 0, 9}, Model{3, "R023000", 1, 11}}) {
        SCOPED_TRACE(std::to_string(m.number) + " " + m.release);
        ConfigLevel.InitOffLine(m.number, m.release);
        emu::RegisterConfig config;
        config.release = m.release;
        StartLine(false, {0}, {config}, 2);
        registers[0]->SetRecords("plu options", {"0:13:30:"});
        // The register of PLU type 1 speaks the protocol level that carries
        // P220Ea and P220Eb (option P911 value 8).
        queuetest::DefineCash(0, 0, true, m.type == 1 ? 136 : 128, 1);
        LinkState.nCurCash = 0;
        ASSERT_TRUE(NextCash(true));
        const bool lx = m.number == 1;
        std::string plus, offers;
        for (int n = 1; n <= 12; ++n) plus += Article(std::to_string(n * 37), n, lx, false);
        for (int n = 1; n <= 3; ++n) offers += Article("99999999000" + std::to_string(n), n, lx, true);
        WriteAll(PLUFilePath(), plus);
        WriteAll(OffFilePath(), offers);

        ASSERT_TRUE(SendPLU(1, 12));
        ASSERT_TRUE(RunToIdle(60));
        ASSERT_TRUE(SendOff(1, 3));
        ASSERT_TRUE(RunToIdle(60));
        EXPECT_EQ(ConfigLevel.GetPLUType(0), m.type);
        const auto got = registers[0]->Received("plu");
        ASSERT_EQ(got.size(), 12u);
        for (const auto& r : got)
            EXPECT_EQ(static_cast<size_t>(std::count(r.begin(), r.end(), ':')) + 1, m.fields) << r;
        EXPECT_EQ(registers[0]->Received("offers").size(), 3u);
        EXPECT_EQ(registers[0]->Articles().size(), 15u);

        // Both files are lost; one dump of every code brings both back.
        WriteAll(PLUFilePath(), "");
        WriteAll(OffFilePath(), "");
        ASSERT_TRUE(ReqPLU("&M1:999999999999"));
        ASSERT_TRUE(RunToIdle(60));
        const std::string readPlus = ReadAll(PLUFilePath());
        EXPECT_TRUE(readPlus == plus);
        for (size_t at = 0; at < plus.size() && readPlus != plus; at += 89)
            if (readPlus.substr(at, 89) != plus.substr(at, 89)) {
                ADD_FAILURE() << "[" << readPlus.substr(at, 89) << "] != [" << plus.substr(at, 89) << "]";
                break;
            }
        std::string back = ReadAll(OffFilePath());
        if (m.type == 1) {
            // Offers keep P220Eb without leading zeros on these registers.
            ASSERT_EQ(back.substr(82, 5), "0    ");
            for (size_t at = 82; at < back.size(); at += 89) back.replace(at, 5, "00000");
        }
        EXPECT_TRUE(back == offers);
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(ts.status, GetText("Msg", "readfrom") + " 1");  // not the rebuild's text

        // The register changes PLU 74 and offer 2, drops PLU 111, gains PLU 80; a whole read gives that.
        std::vector<std::string> held;
        for (std::string a : registers[0]->Articles()) {
            if (a.rfind("111:", 0) == 0) continue;
            if (a.rfind("74:", 0) == 0 || a.rfind("999999990002:", 0) == 0)
                a.replace(a.find("Article"), 7, "Changed");
            if (a.rfind("74:", 0) == 0) held.push_back("80" + a.substr(2));
            held.push_back(a);
        }
        registers[0]->SetArticles(held);
        ASSERT_TRUE(ReqPLU("&M1:999999999999"));
        ASSERT_TRUE(RunToIdle(60));
        const std::string wholePlus = ReadAll(PLUFilePath()), wholeOffers = ReadAll(OffFilePath());
        ASSERT_EQ(wholePlus.size(), 12u * 89);
        // Local edits outside the ranges read next stay; only the records of each range change.
        auto edited = [](std::string file) {
            for (size_t at : {size_t{0}, file.size() - 89}) file.replace(at + 25, 5, "LOCAL");
            return file;
        };
        WriteAll(PLUFilePath(), edited(plus));
        std::string localOffers = edited(wholeOffers);
        localOffers.replace(89 + 25, 7, "Older  ");
        WriteAll(OffFilePath(), localOffers);
        ASSERT_TRUE(ReqPLU("&M70:120"));
        ASSERT_TRUE(RunToIdle(60));
        EXPECT_EQ(ReadAll(PLUFilePath()), edited(plus).substr(0, 89) +
                                              wholePlus.substr(89, wholePlus.size() - 178) +
                                              edited(plus).substr(plus.size() - 89));
        EXPECT_EQ(ReadAll(OffFilePath()), localOffers);
        ASSERT_TRUE(ReqPLU("&M999999990002:999999990002"));
        ASSERT_TRUE(RunToIdle(60));
        EXPECT_EQ(ReadAll(OffFilePath()), edited(wholeOffers));
        EXPECT_EQ(ErrorLog(), "");
        StopLine();
    }
}

// PLUs sent record by record and read back by the dump with a stray ACK
// behind every register frame, or the register's ACK of every tenth frame
// late: every record arrives and comes back, nothing in the error log.
TEST_F(PLULinkTest, StrayAndLateAcksLoseNoPLU) {
    const struct {
        const char* name;
        bool stray;
        int lateEvery;
        int count;
    } cases[] = {{"stray ACK", true, 0, 1000}, {"late ACK every tenth", false, 10, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigLevel.InitOffLine(3, "R022002");
        emu::RegisterConfig config;
        config.release = "R022002";
        StartLine(false, {0}, {config}, 2);
        emu::Faults f;
        f.strayAck = c.stray;
        f.lateAckEvery = c.lateEvery;
        emulator->SetFaults(f);
        registers[0]->SetRecords("plu options", {"0:13:30:"});
        queuetest::DefineCash(0, 0, true, 128, 1);
        LinkState.nCurCash = 0;
        ASSERT_TRUE(NextCash(true));
        std::string plus;
        for (int n = 1; n <= c.count; ++n) plus += Article(std::to_string(1000 + n), n, false, false);
        WriteAll(PLUFilePath(), plus);
        WriteAll(OffFilePath(), "");
        ASSERT_TRUE(SendPLU(1, c.count));
        ASSERT_TRUE(RunToIdle(240));
        EXPECT_EQ(registers[0]->Received("plu").size(), static_cast<size_t>(c.count));
        WriteAll(PLUFilePath(), "");
        ASSERT_TRUE(ReqPLU("&M1:999999999999"));
        ASSERT_TRUE(RunToIdle(240));
        EXPECT_TRUE(ReadAll(PLUFilePath()) == plus);
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_EQ(LinkState.nPendingAns, 0);
        StopLine();
    }
}

TEST_F(PLULinkTest, BulkSendReachesTwoRegistersWhenOneFallsBehind) {
    ConfigLevel.InitOffLine(11, "R023000");  // ZANDORE
    emu::RegisterConfig config;
    config.release = "R023000";
    StartBulkLine(true, {0, 1}, config);
    receivers[1]->FallBehind(50, 120);

    Define(0, 0, true);
    Define(1, 1, true);
    ASSERT_TRUE(NextCash(true));
    CassaConf.P211 = 13;
    ConfigLevel.SetCashVersion(0, "R023000");  // as the hello will tell
    constexpr int kCount = 10000;
    std::string plus;
    std::vector<std::string> expected;
    for (int n = 1; n <= kCount; ++n) {
        plus += Article(std::to_string(n), n, false, false);
        if (n == 5000) {
            plus += Article("77", 0, false, false).replace(22, 3, "000");  // department 0: refused
        }
    }
    WriteAll(PLUFilePath(), plus);
    const int32_t total = static_cast<int32_t>(plus.size() / 89);
    for (int32_t i = 0; i < total; ++i) {
        PLURec rec;
        tables::SetRecordBytes(rec, plus.substr(static_cast<size_t>(i) * 89, 89));
        if (TestFastPLU(rec) == 0) expected.push_back(FormatPLURec(rec));
    }
    ASSERT_EQ(expected.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(expected[0].size(), 13u + 4 + 1 + 30 + 1 + 2 + 2 + 2 + 4 + 1 + 1);  // type 1, L 13

    ASSERT_TRUE(SendFastPLU(1, -1));
    ASSERT_TRUE(RunToIdle(240));
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        EXPECT_TRUE(receivers[static_cast<size_t>(s)]->Ended());
        const auto rows = receivers[static_cast<size_t>(s)]->Rows();
        EXPECT_EQ(rows.size(), expected.size());
        for (size_t i = 0; i < std::min(rows.size(), expected.size()); ++i)
            if (rows[i] != expected[i]) {
                ADD_FAILURE() << "row " << i;
                break;
            }
        const auto commands = registers[static_cast<size_t>(s)]->Commands();
        EXPECT_NE(std::find(commands.begin(), commands.end(), "*2;+4;#z;"), commands.end());
    }
    // The register behind held 150 of 200: both were taken back to 100.
    const auto numbers = receivers[1]->NumberFrames();
    ASSERT_GE(numbers.size(), 3u);
    EXPECT_EQ(numbers[0], 100);
    EXPECT_EQ(numbers[1], 100);
    EXPECT_EQ(numbers[2], 100);
    EXPECT_EQ(receivers[0]->NumberFrames()[2], 100);  // after its own 200
    EXPECT_FALSE(LinkState.bSendPLU);
    EXPECT_EQ(Tx.nTxPLUFrom, 1);
    EXPECT_EQ(Tx.nTxPLUTo, total);
    const std::string errors = ReadAll(dir.file("Cassa1/PLUTxErr.txt"));
    EXPECT_EQ(errors.substr(0, 7), "E <06> ");
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_TRUE(ErrorTexts().size() == 1) << (ErrorTexts().empty() ? "" : ErrorTexts()[0]);
    EXPECT_EQ(ts.status, GetText("Msg", "sentto") + " 1, 2");
}

// A register dropped after the announcement (it never catches up) still gets
// the closing pass: its keyboard is released.
TEST_F(PLULinkTest, ARegisterDroppedAfterTheAnnouncementIsReleased) {
    ConfigLevel.InitOffLine(11, "R023000");  // ZANDORE
    emu::RegisterConfig config;
    config.release = "R023000";
    StartBulkLine(true, {0, 1}, config);
    receivers[1]->FallBehind(1000000, 50);  // loses every record after the 50th

    Define(0, 0, true);
    Define(1, 1, true);
    ASSERT_TRUE(NextCash(true));
    CassaConf.P211 = 13;
    ConfigLevel.SetCashVersion(0, "R023000");
    std::string plus;
    for (int n = 1; n <= 400; ++n) plus += Article(std::to_string(n), n, false, false);
    WriteAll(PLUFilePath(), plus);

    ASSERT_TRUE(SendFastPLU(1, -1));
    ASSERT_TRUE(RunToIdle(120));
    EXPECT_EQ(receivers[0]->Rows().size(), 400u);
    EXPECT_LT(receivers[1]->Rows().size(), 400u);
    EXPECT_FALSE(ErrorTexts().empty());  // the register dropped is listed
    EXPECT_EQ(ts.status, GetText("Msg", "sentto") + " 1");
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        const auto commands = registers[static_cast<size_t>(s)]->Commands();
        const auto announced = std::find(commands.begin(), commands.end(), "*2;+4;#z;");
        ASSERT_NE(announced, commands.end());
        // After the announcement, a command that releases the keyboard.
        EXPECT_NE(std::find_if(announced, commands.end(),
                               [](const std::string& c) {
                                   return c.size() >= 3 && c.compare(c.size() - 3, 3, "*3;") == 0;
                               }),
                  commands.end());
    }
}

TEST_F(PLULinkTest, ALogoConvertedFromABitmapArrivesRowForRow) {
    ConfigLevel.InitOffLine(3, "R023000");  // DRAVO57: 288 x 144, rows of 36 bytes
    emu::RegisterConfig config;
    config.release = "R023000";
    StartBulkLine(false, {0}, config);
    receivers[0]->FallBehind(5, 100);  // the whole logo goes again
    Define(0, 0, false);
    ASSERT_TRUE(NextCash(true));
    // A bitmap of 288 x 144 whose every row differs: row y has dots 0..y.
    const std::string bmp = logotest::Bitmap(288, 144, [](int x, int y) { return x <= y; });
    Logo.strIconBmp = dir.file("logo.bmp");
    WriteAll(Logo.strIconBmp, bmp);
    InitBitmap();
    ASSERT_TRUE(ConvBitmap());
    const std::string bin = ReadAll(Bulk.strBitmapFile);
    ASSERT_EQ(bin.size(), 144u * 36);

    ASSERT_TRUE(Run(SendIcons));
    const auto rows = receivers[0]->Rows();
    ASSERT_EQ(rows.size(), 144u) << receivers[0]->NumberFrames().size() << " " << receivers[0]->Queries() << " " << (ErrorTexts().empty() ? "" : ErrorTexts()[0]);
    for (size_t r = 0; r < rows.size(); ++r) ASSERT_EQ(rows[r], bin.substr(r * 36, 36)) << r << " " << ::testing::PrintToString(receivers[0]->NumberFrames()) << receivers[0]->Queries();
    EXPECT_EQ(rows[0], std::string(1, '\x01') + std::string(35, '\0'));
    EXPECT_EQ(receivers[0]->NumberFrames(), (std::vector<int>{0, 144}));  // behind once, then whole
    const auto commands = registers[0]->Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "*2;+4;#u144;"), commands.end());
    EXPECT_FALSE(LinkState.bSendIco);
    EXPECT_TRUE(ErrorTexts().empty());
}

}  // namespace
