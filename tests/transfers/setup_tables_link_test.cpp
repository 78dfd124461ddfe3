// Payment types, meal-ticket amounts, operators, waiters and the chip cards
// over the line: the builders, the main timer, the link and the table
// procedures against the register emulator on a pseudo-terminal, on LX4100
// and on a model of the newer family. The emulator plays the model: it
// refuses a record with another number of fields than the model's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "transfers/table_link_fixture.h"
#include "store/cards.h"
#include "store/operators.h"
#include "store/payments.h"

namespace {

std::string Name(const char* what, int n) { return what + std::string(" ") + std::to_string(n); }

// Each table filled with values of its own in every field, in the form a
// read stores them, so that a send and a read back give the same bytes.
void FillPayments(bool lx4100) {
    for (int16_t n = 1; n <= Sizes.nMaxModPag; ++n) {
        ModPagRec rec = tables::DefaultRecord<ModPagRec>(n);
        rec.P520 = Name("Pay", n);
        rec.P521.PutNum(n * 7 % 256);
        rec.P522.PutLeftNum(1000 * n);
        rec.P523.PutLeftNum(n);
        rec.P524.PutNum(lx4100 ? 0 : 10 * n);
        EXPECT_TRUE(SaveModPag(n, rec));
    }
}

void FillTickets(bool) {
    for (int16_t t = 1; t <= kMealTickets; ++t)
        for (int16_t d = 1; d <= kTicketDenominations; ++d) {
            TicketAmountRec rec;
            rec.ticket.PutNum(t);
            rec.denomination.PutNum(d);
            rec.amount.PutNum(100000 * t + d);
            EXPECT_TRUE(SaveTicketAmount(t, d, rec));
        }
}

void FillOperators(bool) {
    for (int16_t n = 1; n <= Sizes.nMaxOpe; ++n) {
        OpeRec rec = tables::DefaultRecord<OpeRec>(n);
        rec.P320C.PutNum(100 + n);
        rec.P320S.PutNum(n * 37 % 1000);
        rec.P321 = Name("Operator", n);
        for (int k = 0; k < 6; ++k) rec.P322[k].PutNum((n * (k + 3)) % 256);
        EXPECT_TRUE(SaveOpe(n, rec));
    }
}

void FillWaiters(bool) {
    for (int16_t n = 1; n <= Sizes.nMaxCam; ++n) {
        NameRec rec = tables::DefaultRecord<NameRec>(n);
        rec.name = Name("Waiter", n);
        EXPECT_TRUE(SaveCam(n, rec));
    }
}

struct SetupTable {
    const char* table;  // the emulator's name
    const char* file;
    bool (*send)();
    bool (*read)();
    bool (*create)();                     // the default file, in place of the local one
    void (*fill)(bool lx4100);
    int16_t TableSizes::*count;
    size_t sample;                        // a record whose wire text is checked
    const char* wire;                     // ... on the newer model
    const char* wireLX4100;               // ... on LX4100 (nullptr: the model has no such table)
};

const SetupTable kTables[] = {
    {"payment types", "ModPag.txt", SendModPag, ReqModPag, CreateModPag, FillPayments,
     &TableSizes::nMaxModPag, 3, "3:21:3000:3:Pay 3:0030", "3:21:3000:3:Pay 3"},
    {"meal tickets", "TicketAmount.txt", SendTicketAmount, ReqTicketAmount, CreateTicketAmount,
     FillTickets, &TableSizes::nMaxTicketAmount, 16, "7:01:000200001", nullptr},
    {"operators", "Operatori.txt", SendOpe, ReqOpe, CreateOpe, FillOperators,
     &TableSizes::nMaxOpe, 2, "2:102:74:Operator 2:6:8:10:12:14:16",
     "2:102:74:Operator 2:6:8:10:12:14:16"},
    {"waiters", "Camerieri.txt", SendCam, ReqCam, CreateCam, FillWaiters, &TableSizes::nMaxCam,
     20, "20:Waiter 20", "20:Waiter 20"},
};

struct Model {
    int16_t number;
    const char* key;
};
const Model kModels[] = {{3, "DRAVO57"}, {1, "LX4100"}};

class SetupTablesLinkTest : public timertest::TableLinkTest {
protected:
    void SetUp() override {
        TableLinkTest::SetUp();
        OpeCard = OpeCardRec{};
        CamCard = CamCardRec{};
    }
    // The registers on the line playing the model, their folders made afresh
    // for the model, the first one opened.
    void OpenRegister(const Model& m, bool addressed = false, std::vector<int> stations = {0},
                      std::vector<emu::RegisterConfig> configs = {}) {
        configs.resize(stations.size());
        for (auto& c : configs) c.model = m.key;
        OpenModel(m.number, addressed, stations, configs);
    }
    // The line goes; the next case starts with no errors and no refresh.
    void StopLine() {
        TableLinkTest::StopLine();
        ts.errors.clear();
        ts.refreshCalls = 0;
        testsupport::WriteAll(Core.strLogErrFile, "");
    }
};

TEST_F(SetupTablesLinkTest, EachTableSentAndReadBackOnEachModel) {
    for (const Model& m : kModels) {
        for (const SetupTable& t : kTables) {
            SCOPED_TRACE(std::string(m.key) + " " + t.table);
            const bool lx = m.number == 1;
            if (lx && !t.wireLX4100) continue;  // no meal tickets on LX4100: SetupTablesTest
            OpenRegister(m);
            t.fill(lx);
            const std::string sent = File(t.file);
            const size_t count = static_cast<size_t>(Sizes.*t.count);
            ASSERT_EQ(sent.size() % count, 0u);

            ASSERT_TRUE(Run(t.send));
            std::vector<std::string> got = registers[0]->Received(t.table);
            EXPECT_TRUE(registers[0]->Refused(t.table).empty());
            ASSERT_EQ(got.size(), count);
            EXPECT_EQ(got[t.sample - 1], lx ? t.wireLX4100 : t.wire);
            EXPECT_EQ(LinkState.nPendingAns, 0);

            // The local file goes back to its defaults; the read brings the
            // register's records back, byte for byte.
            ASSERT_TRUE(t.create());
            ASSERT_TRUE(Run(t.read));
            EXPECT_TRUE(File(t.file) == sent);
            EXPECT_EQ(ts.refreshCalls, 1);
            EXPECT_EQ(ErrorLog(), "");
            EXPECT_TRUE(ts.errors.empty());
            StopLine();
        }
    }
}

// The chip cards of LX4100: written from the card record, read back into it.
TEST_F(SetupTablesLinkTest, ChipCardsWrittenAndReadBack) {
    OpenRegister({1, "LX4100"});
    OpeCard.strCodice = "5";
    OpeCard.strCodice2 = "12";
    OpeCard.aP322 = {0, 1, 2, 3, 0, 0, 0};
    OpeCard.strData = "010124";
    OpeCard.strNome = "ANNA";
    CamCard.strNumero = "3";
    CamCard.strChiave = "45";
    CamCard.nClienti = 12;
    CamCard.nArticoli = 340;
    CamCard.nVendite = 56000;
    CamCard.strData = "311224";

    struct Card {
        const char* table;
        bool (*write)();
        bool (*read)();
        const char* wire;
    };
    const Card cards[] = {
        {"operator card", WriteOpeCard, ReadOpeCard, "005:012:1:2:3:0:0:0:010124"},
        {"waiter card", WriteCamCard, ReadCamCard, "003:045:12:340:56000:0:0:0:311224"},
    };
    for (const Card& c : cards) {
        SCOPED_TRACE(c.table);
        ASSERT_TRUE(c.write());
        ASSERT_TRUE(RunToIdle(30));
        EXPECT_EQ(registers[0]->Received(c.table), std::vector<std::string>{c.wire});
        EXPECT_EQ(LinkState.nPendingAns, 0);
    }
    EXPECT_EQ(ReqState.bWrOpeCard, False);
    EXPECT_EQ(ReqState.bWrCamCard, False);

    OpeCard = OpeCardRec{};
    CamCard = CamCardRec{};
    for (const Card& c : cards) {
        SCOPED_TRACE(c.table);
        ASSERT_TRUE(c.read());
        ASSERT_TRUE(RunToIdle(30));
    }
    EXPECT_EQ(OpeCard.bValid, True);
    EXPECT_EQ(OpeCard.strCodice, "005");
    EXPECT_EQ(OpeCard.strCodice2, "012");
    EXPECT_EQ(OpeCard.aP322, (std::array<int16_t, 7>{0, 1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(OpeCard.strData, "010124");
    EXPECT_EQ(OpeCard.strNome, "");
    EXPECT_EQ(CamCard.bValid, True);
    EXPECT_EQ(CamCard.strNumero, "003");
    EXPECT_EQ(CamCard.strChiave, "045");
    EXPECT_EQ(CamCard.nClienti, 12);
    EXPECT_EQ(CamCard.nArticoli, 340);
    EXPECT_EQ(CamCard.nVendite, 56000);
    EXPECT_EQ(CamCard.strData, "311224");
    EXPECT_EQ(ts.refreshCalls, 2);
    EXPECT_EQ(ErrorLog(), "");
}

// A register that falls silent halfway through a send: the next register of
// the addressed-mode run still gets the whole table.
TEST_F(SetupTablesLinkTest, ASendCutShortOnOneRegisterReachesTheNextWhole) {
    const SetupTable* cases[] = {&kTables[0], &kTables[2]};  // payment types, operators
    for (const SetupTable* t : cases) {
        SCOPED_TRACE(t->table);
        emu::RegisterConfig stalls;
        stalls.stallAfter = 5;
        OpenRegister({3, "DRAVO57"}, true, {0, 1}, {stalls, {}});
        t->fill(false);
        const size_t count = static_cast<size_t>(Sizes.*t->count);

        ASSERT_TRUE(Run(t->send));
        EXPECT_TRUE(registers[0]->Received(t->table).empty());  // never finished
        std::vector<std::string> got = registers[1]->Received(t->table);
        ASSERT_EQ(got.size(), count);
        for (size_t n = 1; n <= count; ++n)
            EXPECT_EQ(got[n - 1].substr(0, got[n - 1].find(':')), std::to_string(n));
        EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);
        EXPECT_EQ(LinkState.nPendingAns, 0);
        StopLine();
    }
}

}  // namespace
