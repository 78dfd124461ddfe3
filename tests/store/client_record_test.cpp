// The four customer record generations: records and wire forms byte for
// byte, the record check, and an older archive brought to the register's
// generation, with a backup when a value is dropped.
#include <gtest/gtest.h>

#include "store/client_file.h"
#include "store/client_record.h"
#include "store/customers_fixture.h"
#include <algorithm>
#include "core/texts.h"
#include "core/work_record.h"
#include "transfers/customers_transfer.h"
#include "customers_fixture.h"

namespace {

using namespace customerstest;
using testsupport::ReadAll;
using testsupport::WriteAll;

class ClientRecordTest : public CustomersTest {};

struct Generation {
    int16_t type;
    const char* sent;      // the form a read gives (every field ended)
    std::string record;    // the file record
    const char* level0;    // the send form at level 0
    const char* level1;    // and at level 1
};

TEST_F(ClientRecordTest, EachGenerationStoresAndSendsItsLayoutByteForByte) {
    const Generation gens[] = {
        {1, "123:STORE 1::0:1:0:1250:0:", SampleBase() + "\r\n", "123:STORE 1::0:1:0:1250:0:",
         "123:STORE 1::0:1:0:1250:0:"},
        // Type 2 has no multiple function and no flag: their places stay blank.
        {2, "123:STORE 1::0:1:1250:",
         "         123" "STORE 1" + Blanks(53) + "01" "   " "1250    " "   " "\r\n",
         "123:STORE 1::0:1:1250:", "123:STORE 1::0:1:1250:"},
        {3, "123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I:",
         SampleBase() + "5  " + Blanks(60) + "ABCDEF12G34H567I" "\r\n", "123:STORE 1::0:1:0:1250:0",
         "123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I"},
        {4, "123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I:1:00150:",
         SampleBase() + "5  " + Blanks(60) + "ABCDEF12G34H567I" "1" "00150" "\r\n",
         "123:STORE 1::0:1:0:1250:0",
         "123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I:1:00150"},
    };
    for (const Generation& g : gens) {
        SCOPED_TRACE(g.type);
        ClientM cli;
        cli.CliType(g.type);
        ASSERT_EQ(cli.GetLen(), static_cast<int>(g.record.size()));
        // A new record is blank (its code width readable), never NUL bytes.
        EXPECT_EQ(cli.strCodice(), Blanks(12));
        cli.SetFormattedRecord(g.sent, ":", 1);
        EXPECT_EQ(cli.GetRecord(), g.record);
        EXPECT_EQ(cli.GetFormattedRecord(":", 0), g.level0);
        EXPECT_EQ(cli.GetFormattedRecord(":", 1), g.level1);

        // Through the file, record by record, and back unchanged.
        const std::string path = CashFile("Clienti.txt");
        platform::RemoveFile(path);
        int16_t file = cli.OpenFile(path);
        ASSERT_NE(file, -1);
        EXPECT_TRUE(cli.WriteRec(file, g.record));
        EXPECT_TRUE(cli.WriteRec(file, g.record.substr(0, g.record.size() - 2)));  // end restored
        std::string back;
        EXPECT_TRUE(cli.ReadRec(file, back, 2));
        EXPECT_FALSE(cli.ReadRec(file, back));  // past the end
        cli.CloseFile(file);
        EXPECT_EQ(file, -1);
        EXPECT_EQ(back, g.record);
        EXPECT_EQ(ReadAll(path), g.record + g.record);

        // A read line cut short: what it lacks is blank, never the fields of
        // the customer before (on types 3 and 4 the added fields take their
        // defaults as soon as one separator is missing).
        cli.SetFormattedRecord("77:SHORT:", ":", 1);
        std::string shortRec = cli.GetRecord();
        EXPECT_EQ(shortRec.substr(0, 42), "          77SHORT" + Blanks(25));
        EXPECT_EQ(shortRec.substr(42, 46), Blanks(46));
        if (g.type >= 3) {
            EXPECT_EQ(shortRec.substr(88, 3), "0  ");
        }
        // A code too long to store leaves no code: the check refuses it.
        cli.SetFormattedRecord(std::string("1234567890123") + (g.sent + 3), ":", 1);
        EXPECT_EQ(cli.strCodice(), Blanks(12));
        EXPECT_EQ(cli.CheckCli(), 1);
    }
}

TEST_F(ClientRecordTest, LevelZeroAndMissingSeparatorsGiveTheAddedFieldsTheirDefaults) {
    ClientM cli;
    cli.CliType(3);
    cli.SetFormattedRecord("123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I", ":", 1);  // last ":" missing
    EXPECT_EQ(cli.GetRecord().substr(0, 88), SampleBase());
    EXPECT_EQ(cli.GetRecord().substr(88), "0  " + Blanks(76) + "\r\n");
    cli.SetFormattedRecord("123:STORE 1::0:1:0:1250:0:5:::ABCDEF12G34H567I:", ":", 0);
    EXPECT_EQ(cli.GetRecord().substr(88), "0  " + Blanks(76) + "\r\n");
    // Fields a generation lacks: a Let does nothing, a Get gives "".
    cli.CliType(2);
    cli.Let(CliField::strGroup, "7");
    EXPECT_EQ(cli.Get(CliField::strGroup), "");
    cli.Let(CliField::strCodice, " 42 ");
    EXPECT_EQ(cli.strCodice(), Blanks(10) + "42");
    cli.CliType(0);
    EXPECT_EQ(cli.CheckCli(), 1);
}

TEST_F(ClientRecordTest, CheckGivesTheFirstFailingTest) {
    struct Case {
        int16_t model;  // InitOffLine number
        int16_t type;
        CliField field;
        const char* value;
        int16_t result;
    };
    const Case cases[] = {
        {3, 4, CliField::strIVA, "9", 0},        {3, 4, CliField::strIVA, "5", 0},
        {6, 1, CliField::strIVA, "5", 3},        {6, 1, CliField::strIVA, "9", 0},
        {3, 4, CliField::strCodice, "12a", 1},   {3, 4, CliField::strCodice, "-12", 1},
        {3, 1, CliField::strListino, "2", 2},    {3, 1, CliField::strFMUlt, "251", 4},
        {1, 2, CliField::strFMUlt, "999", 0},    {3, 1, CliField::strCredito, "-5", 5},
        {1, 2, CliField::strCredito, "-5", 0},   {3, 1, CliField::strCredito, "99999999", 0},
        {3, 1, CliField::strCredito, "x", 5},    {3, 1, CliField::strFlag, "", 6},
        {9, 3, CliField::strGroup, "256", 7},    {9, 3, CliField::strGroup, "255", 0},
        {3, 4, CliField::strLineaFid, "A", 0},   {3, 4, CliField::strLineaFid, "3", 8},
        {3, 4, CliField::strSaldoPunti, "30001", 9},
        {3, 4, CliField::strSaldoPunti, "30000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + "/" + std::to_string(c.type) + " " + c.value);
        ConfigLevel.InitOffLine(c.model, "V014057");
        ClientM cli;
        cli.CliType(c.type);
        cli.SetFormattedRecord("123:STORE 1::0:1:0:1250:0:5:::CF:1:150:", ":", 1);
        if (c.type == 2) cli.SetFormattedRecord("123:STORE 1::0:1:1250:", ":", 1);
        cli.Let(c.field, c.value);
        EXPECT_EQ(cli.CheckCli(), c.result);
    }
    // With two currency decimals a credit of 10,000.00 (1000000 minor units)
    // is still a credit the field holds.
    Numbers.nCurrScale = 100;
    ClientM cli;
    cli.CliType(1);
    cli.SetFormattedRecord("1:A::0:1:0:1000000:0:", ":", 0);
    EXPECT_EQ(cli.CheckCli(), 0);
    // A passing check turns the separators of the texts into blanks.
    cli.CliType(4);
    cli.SetFormattedRecord("1:a::0:1:0:5:0:1:x;y::CF:1:2:", ":", 1);
    cli.Let(CliField::strDesc1, "a:b;c");
    cli.Let(CliField::strCF_PIVA, "AB:CD");
    EXPECT_EQ(cli.CheckCli(), 0);
    EXPECT_EQ(cli.Get(CliField::strDesc1), "a b c" + Blanks(25));
    EXPECT_EQ(cli.Get(CliField::strDesc3), "x y" + Blanks(27));
    EXPECT_EQ(cli.Get(CliField::strCF_PIVA), "AB CD" + Blanks(11));

    // The cleaning alone gives an accepted record the same bytes, on every
    // generation, separators in every text field.
    for (int16_t type = 1; type <= 4; ++type) {
        SCOPED_TRACE(type);
        ClientM checked;
        checked.CliType(type);
        checked.SetFormattedRecord("1:a;b::0:1:0:5:0:1:x;y:z::C;F:1:2:", ":", 1);
        if (type == 2) checked.SetFormattedRecord("1:a;b:c;d:0:1:5:", ":", 1);
        for (CliField f : {CliField::strDesc2, CliField::strDesc4}) checked.Let(f, "p:q;r");
        ClientM cleaned;
        cleaned.CliType(type);
        cleaned.SetRecord(checked.GetRecord());
        ASSERT_EQ(checked.CheckCli(), 0);
        cleaned.CleanTexts();
        EXPECT_EQ(cleaned.GetRecord(), checked.GetRecord());
        EXPECT_EQ(checked.GetRecord().find_first_of(":;"), std::string::npos);
    }
}

TEST_F(ClientRecordTest, EveryConversionKeepsABackupAndOneThatDropsValuesSaysSo) {
    const std::string path = CashFile("Clienti.txt");
    Core.strRootDir = dir.path();
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    // Two type-3 records, the first with its code left-aligned.
    const std::string tail3 = "0  1250    0  7  " + Blanks(30) + "NOTE" + Blanks(26) + "ABCDEF12G34H567I";
    const std::string r1 = "5           " "FIRST" + Blanks(25) + Blanks(30) + "01" + tail3.substr(0, 14) +
                           tail3.substr(14) + "\r\n";
    const std::string r2 = "          12" "SECOND" + Blanks(24) + Blanks(30) + "01" + tail3 + "\r\n";
    ASSERT_EQ(r1.size(), 169u);
    ASSERT_EQ(r2.size(), 169u);
    WriteAll(path, r1 + r2);

    // Upwards every value is kept: nothing said, the old archive in the backup.
    ClientM cli;
    cli.CliType(4);
    cli.SetFile(path, true);
    EXPECT_EQ(cli.nCliNum(), 2);
    const std::string up = ReadAll(path);
    ASSERT_EQ(up.size(), 350u);
    EXPECT_EQ(up.substr(0, 12), Blanks(11) + "5");  // right-aligned again
    EXPECT_EQ(up.substr(12, 155), r1.substr(12, 155));
    // The added loyalty line and points as a new customer has them: 0.
    EXPECT_EQ(up.substr(167, 8), "00" + Blanks(4) + "\r\n");
    EXPECT_EQ(up.substr(175), r2.substr(0, 167) + "00" + Blanks(4) + "\r\n");
    EXPECT_EQ(ReadAll(path + ".bak"), r1 + r2);
    // A second opening changes nothing.
    cli.SetFile(path, true);
    int16_t file = cli.OpenFile(path);
    cli.CloseFile(file);
    EXPECT_EQ(ReadAll(path), up);
    EXPECT_FALSE(platform::FileExists(path + ".bak2"));
    WriteAll(path, SampleBase() + "\r\n");
    cli.CliType(3);
    cli.SetFile(path, true);
    EXPECT_EQ(ReadAll(path), SampleBase() + "0  " + Blanks(76) + "\r\n");
    EXPECT_EQ(ReadAll(path + ".bak"), r1 + r2);  // never replaced
    EXPECT_EQ(ReadAll(path + ".bak2"), SampleBase() + "\r\n");
    EXPECT_TRUE(shell->errors.empty());
    EXPECT_EQ(testsupport::ReadAll(dir.file("msg.log")), "");

    // Downwards (a register older than assumed): every field the shorter
    // record holds kept; when a value is dropped, the old archive in a backup
    // (never one identical to a backup already there, never replacing
    // another), the message log says what and where, and so does the screen.
    WriteAll(path + ".bak", "kept");
    // Loyalty line 2 and 15000 points for both customers.
    const std::string loyal = up.substr(0, 167) + "215000\r\n" + up.substr(175, 167) + "215000\r\n";
    const struct {
        int16_t type;
        size_t length;
        const std::string& from;
        const char* bak;   // the backup that holds the archive as it was
        const char* lost;  // for customer 5, in the message log; nullptr: nothing dropped
    } downs[] = {
        {1, 90, up, ".bak3", "5: description 4 \"NOTE\", group \"7\", tax identification \"ABCDEF12G34H567I\""},
        {3, 169, up, ".bak3", nullptr},  // the backup already there
        {3, 169, loyal, ".bak4", "5: loyalty line \"2\", points \"15000\""},
        {3, 169, loyal, ".bak4", "5: loyalty line \"2\", points \"15000\""},  // the same again
        {1, 90, up, ".bak3", "5: description 4 \"NOTE\", group \"7\", tax identification \"ABCDEF12G34H567I\""},
    };
    for (const auto& d : downs) {
        SCOPED_TRACE(std::string(d.bak) + (d.lost ? " dropped" : ""));
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        platform::RemoveFile(dir.file("msg.log"));
        shell->errors.clear();
        WriteAll(path, d.from);
        cli.CliType(d.type);
        cli.SetFile(path, true);
        EXPECT_EQ(cli.nCliNum(), 2);
        // The store says nothing itself: what was dropped is its caller's to say.
        EXPECT_EQ(testsupport::ReadAll(dir.file("msg.log")), "");
        EXPECT_TRUE(shell->errors.empty());
        SayCliDropped(cli);
        EXPECT_TRUE(cli.TakeDropped().empty());
        const std::string down = ReadAll(path);
        ASSERT_EQ(down.size(), 2 * d.length);
        EXPECT_EQ(down.substr(0, 88), up.substr(0, 88));
        EXPECT_EQ(down.substr(d.length, 88), up.substr(175, 88));
        ASSERT_TRUE(cli.GetCli("12"));
        EXPECT_EQ(cli.Get(CliField::strDesc1), "SECOND" + Blanks(24));
        const std::string log = testsupport::ReadAll(dir.file("msg.log"));
        EXPECT_EQ(ReadAll(path + d.bak), d.from);
        if (!d.lost) {
            EXPECT_EQ(log, "");  // type 3 holds every value
            EXPECT_TRUE(shell->errors.empty());
            continue;
        }
        const std::string kept = GetText("Log", "custkept") + " " + path + d.bak;
        EXPECT_NE(log.find(GetText("Log", "custlost") + " " + path + ": " + d.lost + " - " + kept + "\r\n"),
                  std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;  // both customers, and the screen's line
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(shell->errors[0].text,
                  "Customer archive converted to the register's shorter records; some values could not be kept "
                  "(see msg.log): " + path + " - " + kept);
    }
    EXPECT_EQ(ReadAll(path + ".bak"), "kept");
    EXPECT_FALSE(platform::FileExists(path + ".bak5"));
}

}  // namespace
