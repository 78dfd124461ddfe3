// The customer archive through ClientM and the groups file through
// ClientGroupsM; every rewrite of the archive cut off at each byte it writes
// (a file-size limit standing for a full disk) leaves the old or the new
// archive whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/child_process.h"
#include "store/client_file.h"
#include "store/client_groups.h"
#include "store/customers_fixture.h"
#include "transfers/customers_import.h"
#include "transfers/customers_transfer.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "customers_fixture.h"

namespace {

using namespace customerstest;
using testsupport::ReadAll;
using testsupport::WriteAll;

class ClientFileTest : public CustomersTest {
protected:
    // Type 1 records of the codes, in that order, each described "C<code>".
    static std::string Archive(std::initializer_list<const char*> codes) {
        std::string out;
        for (const char* code : codes) {
            ClientM cli;
            cli.CliType(1);
            cli.SetFormattedRecord(std::string(code) + ":C" + code + "::0:1:0:100:0:", ":", 0);
            out += cli.GetRecord();
        }
        return out;
    }
    static std::vector<std::string> Codes(const std::string& file) {
        std::vector<std::string> out;
        for (size_t i = 0; i + 90 <= file.size(); i += 90) out.push_back(tables::TrimBlanks(file.substr(i, 12)));
        return out;
    }
};

TEST_F(ClientFileTest, FindsInsertsAndDeletesByCode) {
    const std::string path = CashFile("Clienti.txt");
    WriteAll(path, Archive({"5", "12", "40"}));
    ClientM cli;
    cli.CliType(1);
    cli.SetFile(path, true);
    EXPECT_EQ(cli.nCliNum(), 3);
    struct Look {
        const char* code;
        bool found;
        int32_t rec;
    };
    for (const Look l : {Look{"12", true, 2}, Look{"7", false, 2}, Look{"1", false, 1},
                         Look{"41", false, 4}, Look{" 40 ", true, 3}, Look{"5", true, 1}}) {
        SCOPED_TRACE(l.code);
        EXPECT_EQ(cli.GetCli(l.code), l.found);
        EXPECT_EQ(cli.nCurrentRec(), l.rec);
    }
    ASSERT_FALSE(cli.GetCli("7"));
    cli.Let(CliField::strCodice, "7");
    cli.Let(CliField::strDesc1, "SEVEN");
    ASSERT_TRUE(cli.AddCli());
    EXPECT_EQ(cli.nCliNum(), 4);
    std::string file = ReadAll(path);
    EXPECT_EQ(Codes(file), (std::vector<std::string>{"5", "7", "12", "40"}));
    EXPECT_EQ(file.substr(90, 17), "           7SEVEN");
    EXPECT_FALSE(platform::FileExists(path + ".tmp"));

    ASSERT_TRUE(cli.GetCli("12"));
    ASSERT_TRUE(cli.DelCli());
    EXPECT_EQ(cli.nCliNum(), 3);
    EXPECT_EQ(ReadAll(path), Archive({"5"}) + file.substr(90, 90) + Archive({"40"}));
    ASSERT_TRUE(cli.GetCli("40"));
    cli.Let(CliField::strCredito, "999");
    ASSERT_TRUE(cli.ModCli());
    EXPECT_EQ(ReadAll(path).substr(180 + 77, 8), "999     ");

    // Appends after a missing file; a search of a missing file creates
    // nothing and says so.
    platform::RemoveFile(path);
    cli.SetFile(path, true);
    EXPECT_FALSE(cli.GetCli("1"));
    EXPECT_EQ(cli.nCurrentRec(), 1);
    EXPECT_FALSE(platform::FileExists(path));
    EXPECT_EQ(shell->msgBoxes.back().text, "GetCli - File not found");
    for (const char* code : {"1", "2", "3"}) {
        cli.Let(CliField::strCodice, code);
        ASSERT_TRUE(cli.QueCli());
    }
    EXPECT_EQ(cli.nCliNum(), 3);
    EXPECT_EQ(cli.nCurrentRec(), 4);
    EXPECT_EQ(Codes(ReadAll(path)), (std::vector<std::string>{"1", "2", "3"}));
    // A record number outside the archive is refused.
    ASSERT_TRUE(cli.GetCli("3"));
    ASSERT_TRUE(cli.DelCli());
    EXPECT_FALSE(cli.DelCli());
    EXPECT_EQ(shell->msgBoxes.back().text, "DelCli - Bad record number");
}

TEST_F(ClientFileTest, GroupsAreKeptByNumberWithinTheTable) {
    const std::string path = CashFile("ClientG.txt");
    ClientGroupsM groups;
    groups.SetFile(path, true);
    ClientGroupRec rec;
    rec.Code = "12";
    rec.GroupDesc1 = "VIP";
    ASSERT_TRUE(groups.SetGroup(rec));
    EXPECT_EQ(rec.Code.str(), "12 ");  // the caller's record is not changed
    const std::string file = ReadAll(path);
    ASSERT_EQ(file.size(), 12u * 26);
    EXPECT_EQ(file.substr(11 * 26), "012VIP" + Blanks(18) + "\r\n");
    ClientGroupRec got;
    ASSERT_TRUE(groups.GetGroup(12, got));
    EXPECT_EQ(got.Code.str(), "12 ");
    EXPECT_EQ(got.GroupDesc1.Trim(), "VIP");
    for (const char* bad : {"0", "256", "x", ""}) {
        SCOPED_TRACE(bad);
        rec.Code = bad;
        EXPECT_FALSE(groups.SetGroup(rec));
        EXPECT_EQ(shell->msgBoxes.back().text, "SetGroup - Bad record number");
    }
    EXPECT_EQ(ReadAll(path), file);
    EXPECT_FALSE(groups.GetGroup(0, got));
    EXPECT_EQ(got.Code.str(), Blanks(3));
    EXPECT_FALSE(groups.GetGroup(13, got));  // past the end of the file
}

// The register's dump in any order becomes an archive sorted by code with
// each code once (the later record wins, the earlier one named in the
// message log); a line without a usable code is listed and counts.
TEST_F(ClientFileTest, TheImportedDumpIsSortedByCodeWithEachCodeOnce) {
    Core.strRootDir = dir.path();
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    Core.bInteractive = false;
    ConfigLevel.SetCashVersion(Core.nOpenCash, "R022002");
    WriteAll(CashFile("C16.txt"),
             "40:C40::0:1:0:100:0:\r\n5:OLD::0:1:0:100:0:\r\n12:C12::0:1:0:100:0:\r\n"
             "X:BAD::0:1:0:100:0:\r\n5:C5::0:1:0:100:0:\r\n");
    EXPECT_TRUE(ImportC16());
    const std::string archive = ReadAll(CashFile("Clienti.txt"));
    EXPECT_EQ(Codes(archive), (std::vector<std::string>{"5", "12", "40"}));
    EXPECT_EQ(archive.substr(12, 2), "C5");  // the later record of code 5
    ClientM cli;
    cli.CliType(1);
    cli.SetFile(CashFile("Clienti.txt"), true);
    EXPECT_TRUE(cli.GetCli("12"));
    EXPECT_EQ(cli.nCurrentRec(), 2);
    const std::string log = ReadAll(dir.file("msg.log"));
    EXPECT_NE(log.find(GetText("Log", "dupcode") + " " + CashFile("Clienti.txt") + ": 5"),
              std::string::npos) << log;
    ASSERT_EQ(shell->errors.size(), 2u);  // the line without a code, and how many of how many
    EXPECT_EQ(shell->errors[1].text, GetText("Log", "readrefused") + " " + CashFile("C16.txt") + " (1/5)");
    EXPECT_EQ(Work.standing, 1);
}

// Every whole-file rewrite of the archive, cut off at each byte.
using RewriteFaultTest = ClientFileTest;

TEST_F(RewriteFaultTest, ACutOffRewriteLeavesTheOldOrTheNewArchiveWhole) {
    const std::string path = CashFile("Clienti.txt");
    const std::string old1 = Archive({"5", "12", "40", "41"});
    // type 3 of the same customers, for the upgrade to type 4
    std::string old3;
    for (size_t i = 0; i < old1.size(); i += 90) old3 += old1.substr(i, 88) + "3  " + Blanks(76) + "\r\n";
    struct Op {
        const char* name;
        int16_t type;
        std::string before;
        std::function<bool()> run;
    };
    const std::vector<Op> ops = {
        {"AddCli", 1, old1,
         [&] {
             ClientM cli;
             cli.CliType(1);
             cli.SetFile(path, false);
             cli.GetCli("7");
             cli.Let(CliField::strCodice, "7");
             return cli.AddCli();
         }},
        {"DelCli", 1, old1,
         [&] {
             ClientM cli;
             cli.CliType(1);
             cli.SetFile(path, false);
             return cli.GetCli("5") && cli.DelCli();
         }},
        {"upgrade", 4, old3,
         [&] {
             ClientM cli;
             cli.CliType(4);
             cli.SetFile(path, false);
             return cli.nCliNum() == 4;
         }},
        {"ImportC16", 1, old1,
         [&] { return ImportC16(); }},
        {"SortCli", 1, old1,
         [&] { return SortCli(CashFile("import.txt"), path) == 3; }},
    };
    WriteAll(CashFile("import.txt"), Archive({"9", "3", "8"}));
    WriteAll(CashFile("C16.txt"), "1:ONE::0:1:0:5:0:\r\n2:TWO::0:1:0:5:0:\r\n");
    Core.bInteractive = false;
    for (const Op& op : ops) {
        SCOPED_TRACE(op.name);
        ConfigLevel.SetCashVersion(Core.nOpenCash, op.type == 4 ? "" : "R022002");
        // The archive the operation makes when nothing stops it.
        WriteAll(path, op.before);
        ASSERT_TRUE(op.run());
        const std::string after = ReadAll(path);
        ASSERT_NE(after, op.before);
        for (rlim_t limit = 0; limit <= after.size(); ++limit) {
            WriteAll(path, op.before);
            platform::RemoveFile(path + ".bak");
            bool ok = false;
            childtest::WithFileLimit(limit, [&] { ok = op.run(); });
            const std::string now = ReadAll(path);
            ASSERT_TRUE(now == op.before || now == after) << "cut at " << limit << ": " << now.size();
            ASSERT_EQ(ok, now == after) << "cut at " << limit;
            // A conversion keeps the whole archive as it was before replacing it.
            if (std::string(op.name) == "upgrade" && (ok || platform::FileExists(path + ".bak"))) {
                EXPECT_TRUE(ReadAll(path + ".bak") == op.before) << "cut at " << limit;
            }
        }
        // Nothing of a temporary file is left behind.
        for (const auto& e : std::filesystem::directory_iterator(Core.strCashDir))
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

}  // namespace
