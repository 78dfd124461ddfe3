// The PLU and offer store, the record checks and the import sort: exact
// bytes of files and error lists.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "engine/main_timer.h"
#include <algorithm>
#include "common/child_process.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/table_sizes.h"
#include "platform/files.h"
#include "store/sort_buffer.h"
#include "store/plu.h"
#include "store/plu_checks.h"
#include "transfers/plu_import.h"
#include "transfers/plu_transfer.h"
#include "store/transfer_fixture.h"

using namespace transfertest;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// A PLU record as a file holds it: code right-aligned, the given fields.
std::string Plu(const std::string& code, const std::string& descr = "ITEM", int dept = 1,
                const std::string& price = "000000100", const std::string& e = "00000",
                const std::string& g = "1") {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(code);
    r.P220A = price;
    r.P220B.PutNum(dept);
    r.P220C = descr;
    r.P220E = e;
    r.P220G = g;
    r.end.Set();
    return tables::RecordBytes(r);
}

class PLUStoreTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        Sizes.nMaxReparti = 250;
        Sizes.nMaxScoMag = 20;
        Sizes.nMaxFunMul = 250;
        CassaConf.P211 = 13;
        Core.bInteractive = false;
        Core.strLogErrFile = dir.file("err.log");
    }
    std::string Codes(const std::string& file) {
        std::string all = ReadAll(CashFile(file)), out;
        for (size_t at = 0; at + 89 <= all.size(); at += 89)
            out += tables::TrimBlanks(all.substr(at, 13)) + ",";
        return out;
    }
    std::vector<std::string> Lines(const std::string& file) {
        std::vector<std::string> out;
        std::string all = ReadAll(CashFile(file));
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find("\r\n", start);
            out.push_back(all.substr(start, end - start));
            start = end + 2;
        }
        return out;
    }
};

TEST_F(PLUStoreTest, SearchInsertDeleteKeepTheCodeOrder) {
    PLURec rec;
    EXPECT_FALSE(GetPLU("20", rec));  // no file
    EXPECT_EQ(PLUFiles.nCurPLU, 1);
    for (const char* code : {"10", "30", "20", "5"}) {
        ASSERT_FALSE(GetPLU(code, rec));
        tables::SetRecordBytes(rec, Plu(code));
        ASSERT_TRUE(AddPLU(rec));
    }
    EXPECT_EQ(Codes("PLU.txt"), "5,10,20,30,");
    EXPECT_EQ(PLUFiles.nPLUNum, 4);
    EXPECT_FALSE(GetPLU("25", rec));
    EXPECT_EQ(PLUFiles.nCurPLU, 4);  // before 30
    EXPECT_FALSE(GetPLU("99", rec));
    EXPECT_EQ(PLUFiles.nCurPLU, 5);
    ASSERT_TRUE(GetPLU("20", rec));
    EXPECT_EQ(PLUFiles.nCurPLU, 3);
    rec.P220C = "CHANGED";
    ASSERT_TRUE(ModPLU(rec));
    ASSERT_TRUE(GetPLU("30", rec));
    ASSERT_TRUE(DelPLU());
    EXPECT_EQ(Codes("PLU.txt"), "5,10,20,");
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")).substr(2 * 89, 89), [] {
        std::string r = Plu("20");
        return r.replace(25, 30, tables::PadRight("CHANGED", 30));
    }());
    EXPECT_FALSE(GetPLU("12345678901234", rec));  // longer than a code

    // Offers compare trimmed codes; the number has at most four digits.
    tables::SetRecordBytes(rec, Plu("999999990007"));
    ASSERT_FALSE(GetOff("7", rec));
    ASSERT_TRUE(AddOfferta(rec));
    ASSERT_TRUE(GetOff("7", rec));
    EXPECT_EQ(rec.code.str(), " 999999990007");
    EXPECT_FALSE(GetOff("12345", rec));
    EXPECT_EQ(shell->msgBoxes.size(), 0u);  // batch mode: no box

    // Alphanumeric codes compare without their blanks.
    CassaConf.P210 = 1;
    platform::RemoveFile(CashFile("PLU.txt"));
    tables::SetRecordBytes(rec, Plu("ABC"));
    ASSERT_FALSE(GetPLU("ABC", rec));
    ASSERT_TRUE(AddPLU(rec));
    EXPECT_TRUE(GetPLU("  ABC", rec));
}

// A file whose last record lacks only its line end keeps that record: it is
// counted, found, written back whole, and survives an insertion and a deletion.
TEST_F(PLUStoreTest, ALastRecordWithoutItsLineEndIsAWholeRecord) {
    const struct {
        const char* name;
        std::vector<std::string> codes;
    } cases[] = {{"one record", {"10"}}, {"three records", {"5", "10", "20"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string whole;
        for (const auto& code : c.codes) whole += Plu(code);
        WriteAll(CashFile("PLU.txt"), whole.substr(0, whole.size() - 2));
        ASSERT_TRUE(GetPLUNum());
        EXPECT_EQ(PLUFiles.nPLUNum, static_cast<int32_t>(c.codes.size()));
        EXPECT_EQ(ReadAll(CashFile("PLU.txt")), whole);

        WriteAll(CashFile("PLU.txt"), whole.substr(0, whole.size() - 2));
        PLURec rec;
        ASSERT_TRUE(GetPLU(c.codes.back(), rec));
        EXPECT_EQ(tables::RecordBytes(rec), Plu(c.codes.back()));

        WriteAll(CashFile("PLU.txt"), whole.substr(0, whole.size() - 2));
        PLUFiles.nCurPLU = 1;
        tables::SetRecordBytes(rec, Plu("1"));
        ASSERT_TRUE(AddPLU(rec));
        EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1") + whole);
        ASSERT_TRUE(DelPLU());
        EXPECT_EQ(ReadAll(CashFile("PLU.txt")), whole);
    }
    EXPECT_EQ(shell->msgBoxes.size(), 0u);
}

TEST_F(PLUStoreTest, OnlyWholeOlderRecordsAreConverted) {
    std::string old;
    for (int n = 1; n <= 10; ++n)
        old += tables::PadLeft(std::to_string(n), 13) + "000000100" + "001" +
               tables::PadRight("OLD", 30) + "0000" + "0012" + "000000000" + "9" + "000\r\n";
    ASSERT_EQ(old.size(), 780u);
    WriteAll(CashFile("PLU.txt"), old);
    ASSERT_TRUE(GetPLUNum());
    EXPECT_EQ(PLUFiles.nPLUNum, 10);
    std::string now = ReadAll(CashFile("PLU.txt"));
    ASSERT_EQ(now.size(), 890u);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt.bak")), old);
    EXPECT_EQ(now.substr(0, 89), old.substr(0, 59) + "00012" + "000000000" + "9" + "000" +
                                     "00000" + "00000" + "\r\n");

    // A first line of another length is left alone and reported.
    const std::string odd = "SHORT LINE\r\n" + std::string(100, 'x');
    WriteAll(CashFile("Offerte.txt"), odd);
    EXPECT_FALSE(GetOffNum());
    EXPECT_EQ(ReadAll(CashFile("Offerte.txt")), odd);
    EXPECT_FALSE(platform::FileExists(CashFile("Offerte.txt.bak")));
}

TEST_F(PLUStoreTest, RecordChecks) {
    struct Case {
        const char* model;
        std::string record;
        int16_t code;
    };
    std::string noEnd = Plu("1");
    noEnd[88] = ' ';
    std::string d5 = Plu("1");
    d5.replace(55, 4, "-005");
    const Case cases[] = {
        {"DRAVO57", Plu("1"), 0},
        {"DRAVO57", noEnd, 1},
        {"DRAVO57", Plu("12345678901234"), 0},  // 13 digits kept: P211 is 13
        {"KEYLEN4", Plu("12345"), 2},
        {"DRAVO57", Plu("12A"), 4},
        {"DRAVO57", Plu("1", "X", 1, "00000001X"), 5},
        {"DRAVO57", Plu("1", "X", 0), 6},
        {"DRAVO57", d5, 7},
        {"LX4100", d5, 0},
        {"DRAVO57", Plu("1", "X", 1, "000000100", "00003", "1"), 9},
        {"DRAVO57", Plu("1", "X", 1, "000000100", "00003", "9"), 0},
        {"DRAVO57", Plu("1", "X", 1, "000000100", "00000", "7"), 9},
    };
    for (const Case& c : cases) {
        ConfigLevel.InitOffLine(std::string(c.model) == "LX4100" ? 1 : 3, "V014057");
        CassaConf.P211 = std::string(c.model) == "KEYLEN4" ? 4 : 13;
        PLURec rec;
        tables::SetRecordBytes(rec, c.record);
        EXPECT_EQ(TestPLU(rec), c.code) << c.model << " " << c.record;
    }
    // An offer: P220G becomes 9; P220F must be all zeros.
    PLURec off;
    tables::SetRecordBytes(off, Plu("999999990005", "OFF", 1, "000000000", "00003", "0"));
    EXPECT_EQ(TestOff(off), 0);
    EXPECT_EQ(off.P220G.str(), "9");
    off.P220F = "000000001";
    EXPECT_EQ(TestOff(off), 10);
    tables::SetRecordBytes(off, Plu("12345"));
    EXPECT_EQ(TestOff(off), 4);
    std::string text = "A:B;C";
    EXPECT_TRUE(ClearSep(text));
    EXPECT_EQ(text, "A B C");
}

TEST_F(PLUStoreTest, ImportSortsChecksAndListsExactly) {
    // Records 2, 5 and 9 share a code; 4 is refused (department 0) and shares
    // code 7 with the good record 6; 3 holds separators and a NUL byte.
    const std::string src = dir.file("import.txt");
    std::vector<std::string> recs = {Plu("30"), Plu("20", "FIRST"), Plu("40", "A:B;C\x01"),
                                     Plu("7", "BAD", 0), Plu("20", "SECOND"), Plu("7", "GOOD"),
                                     Plu("100"), Plu("12X"), Plu("20", "LAST")};
    std::string bytes;
    for (const auto& r : recs) bytes += r;
    WriteAll(src, bytes);
    WriteAll(CashFile("PLU.txt"), Plu("1"));
    Core.bSortImport = true;
    SortPLU(src, CashFile("PLU.txt"));

    EXPECT_EQ(ReadAll(src), bytes);  // the user's file is never changed
    EXPECT_EQ(Codes("PLU.txt"), "7,20,30,40,100,");
    EXPECT_EQ(PLUFiles.nPLUNum, 5);
    std::string cleaned = recs[2];
    cleaned.replace(25, 6, "A B C ");
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")).substr(3 * 89, 89), cleaned);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")).substr(89, 89), recs[8]);
    auto text = [&](int n) { return recs[static_cast<size_t>(n - 1)].substr(0, 87); };
    EXPECT_EQ(Lines("PLUErr.txt"), (std::vector<std::string>{
                                       "E <06> " + text(4) + " line 4",
                                       "E <04> " + text(8) + " line 8",
                                       "D -    " + text(2) + " line 2",
                                       "D -    " + text(5) + " line 5",
                                       // its control byte listed as a blank
                                       "W -    " + text(3).replace(30, 1, " ") + " line 3",
                                   }));
    EXPECT_NE(ReadAll(Core.strLogErrFile).find(" [009]"), std::string::npos);
    const std::string said = "the list is in: " + CashFile("PLUErr.txt");
    EXPECT_NE(ReadAll(dir.file("msg.log")).find(said + " (E 2, D 2, W 1)"), std::string::npos)
        << ReadAll(dir.file("msg.log"));
    // Descriptions with NUL bytes alone: imported, and the list said.
    WriteAll(src, Plu("5", std::string("N\0L", 3)) + Plu("6", std::string(3, '\0')));
    SortPLU(src, CashFile("PLU.txt"));
    EXPECT_EQ(Codes("PLU.txt"), "5,6,");
    EXPECT_NE(ReadAll(dir.file("msg.log")).find(said + " (E 0, D 0, W 2)"), std::string::npos)
        << ReadAll(dir.file("msg.log"));
}

TEST_F(PLUStoreTest, OlderImportConvertedOffersCorrectedStopKeepsWhatWasAccepted) {
    // An offer file of the older layout, the user's file untouched; P220G
    // "0" is written as 9.
    std::string old;
    for (int n : {3, 1, 2})
        old += tables::PadLeft("99999999000" + std::to_string(n), 13) + "000000000" + "001" +
               tables::PadRight("OFF", 30) + "0000" + "0003" + "000000000" + "0" + "000\r\n";
    const std::string src = dir.file("offers78.txt");
    WriteAll(src, old);
    SortOffer(src, CashFile("Offerte.txt"));
    EXPECT_EQ(ReadAll(src), old);
    EXPECT_FALSE(platform::FileExists(src + ".bak"));
    const std::string out = ReadAll(CashFile("Offerte.txt"));
    ASSERT_EQ(out.size(), 3u * 89);
    EXPECT_EQ(out.substr(0, 89), old.substr(78, 59) + "00003" + "000000000" + "9" + "000" +
                                     "00000" + "00000" + "\r\n");
    EXPECT_FALSE(platform::FileExists(CashFile("OfferErr.txt")));

    // A stop during the first pass: the records read so far are written.
    struct StopShell : testsupport::FakeShell {
        void IncPGBValue() override {
            if (++incs == 3) MainTimer.StopRequest = true;
        }
        int incs = 0;
    } stopper;
    SetShell(&stopper);
    std::string five;
    for (int n : {5, 4, 3, 2, 1}) five += Plu(std::to_string(n));
    WriteAll(src, five);
    Core.bSortImport = true;
    SortPLU(src, CashFile("PLU.txt"));
    SetShell(&shell.shell);
    EXPECT_EQ(Codes("PLU.txt"), "4,5,");
}

TEST_F(PLUStoreTest, BadSourcesAreRefusedWithTheFileLeftAsItWas) {
    WriteAll(CashFile("PLU.txt"), Plu("1"));
    Core.bSortImport = true;
    // Over-long lines (not a whole number of records), a 50 MB file one byte
    // too long, a missing file: refused, PLU.txt as it was.
    const std::string longLines = dir.file("long.txt");
    WriteAll(longLines, std::string(200, 'A') + "\r\n" + std::string(300, '1') + "\r\n");
    const std::string huge = dir.file("huge.txt");
    WriteAll(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), 50 * 1024 * 1024 + 1), 0);
    const std::pair<std::string, std::string> cases[] = {
        {longLines, longLines + " (line 1 too long (200 characters, a record has 87))"},
        {huge, huge + " (line 1 too long (52428801 characters, a record has 87))"},
        {dir.file("missing.txt"), "cannot be read: " + dir.file("missing.txt") + " (File not found)"},
    };
    for (const auto& [src, why] : cases) {
        std::string err = ReadAll(Core.strLogErrFile);
        EXPECT_FALSE(SortPLU(src, CashFile("PLU.txt")));
        EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1")) << src;
        EXPECT_GT(ReadAll(Core.strLogErrFile).size(), err.size()) << src;  // code 8
        // The reason in the message log.
        EXPECT_NE(ReadAll(dir.file("msg.log")).find(why), std::string::npos) << ReadAll(dir.file("msg.log"));
    }
    // Whole records of garbage: each refused with its line; an import that
    // takes no record leaves the file as it was, and so does an empty one.
    const std::string garbage = dir.file("garbage.txt");
    WriteAll(garbage, std::string(40, '\0') + "\r\n" + std::string(47, '\x1b') + std::string(89, 'Z'));
    std::string err = ReadAll(Core.strLogErrFile);
    EXPECT_FALSE(SortPLU(garbage, CashFile("PLU.txt")));
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1"));
    EXPECT_NE(ReadAll(Core.strLogErrFile).find("[008]", err.size()), std::string::npos);
    EXPECT_NE(ReadAll(dir.file("msg.log")).find(garbage + " (line 1 refused, E <01>)"), std::string::npos);
    WriteAll(dir.file("empty.txt"), "");
    EXPECT_FALSE(SortPLU(dir.file("empty.txt"), CashFile("PLU.txt")));
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1"));
    // One line a record: its control bytes listed as blanks.
    const auto lines = Lines("PLUErr.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].find_first_of(std::string("\0\r\n\x1b", 4)), std::string::npos);
    EXPECT_EQ(lines[0].substr(0, 7), "E <01> ");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 7), " line 2");
}

TEST_F(PLUStoreTest, DumpSplitsByCodeAndADumpWithoutLinesImportsNothing) {
    ConfigLevel.InitOffLine(1, "V014057");  // LX4100: P220D in sign form
    WriteAll(CashFile("PLU.txt"), Plu("1"));
    WriteAll(CashFile("C08.txt"), "5:100:1:STALE:0:0:0:9:\r\n");  // an earlier dump's
    // Two dumps awaited: PLUs, then offers.
    Transfer.nC08Pending = 2;
    ReqState.nFileC08 = kFileOpenNext;
    Line("*");  // the PLU dump brought nothing: the old C08.txt is not imported
    EXPECT_EQ(DataC08(), 0);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1"));
    EXPECT_EQ(ReqState.nFileC08, kFileOpenNext);  // the offer dump starts a new file
    for (const char* l : {"999999990005:0:1:OFFER 5:0:3:0:9:", "42:1500:3:ART:-7:0:12:9:"}) {
        Line(l);
        EXPECT_EQ(DataC08(), -1);
        // While the dump is written, its mark says it is not whole.
        EXPECT_TRUE(platform::FileExists(CashFile("C08.txt.part")));
    }
    Line("*");
    EXPECT_EQ(DataC08(), 0);
    EXPECT_FALSE(platform::FileExists(CashFile("C08.txt.part")));
    EXPECT_EQ(Transfer.nC08Pending, 0);
    EXPECT_EQ(ReqState.nFileC08, kFileDone);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")),
              "           42000001500003ART" + Blanks(27) + "-007000000000000129000" + "00000" + "00000\r\n");
    EXPECT_EQ(ReadAll(CashFile("Offerte.txt")).substr(0, 13), " 999999990005");
    EXPECT_EQ(Acks(), 4);
    // Lines after the last dump are only acknowledged.
    Line("7:1:1:X:0:0:0:9:");
    EXPECT_EQ(DataC08(), -1);
    EXPECT_EQ(Acks(), 5);
    // A dump cut short (its command abandoned) leaves neither its lines nor its mark.
    ReqState.nFileC08 = kFileOpenNext;
    Line("8:1:1:X:0:0:0:9:"), DataC08(), CloseAllFiles();
    EXPECT_FALSE(platform::FileExists(CashFile("C08.txt")));
    EXPECT_FALSE(platform::FileExists(CashFile("C08.txt.part")));
    // A file that cannot be replaced fails the read: listed, and no success.
    shell->status.clear();
    platform::RemoveFile(CashFile("Offerte.txt"));
    std::filesystem::create_directory(CashFile("Offerte.txt"));
    Transfer.nC08Pending = 1;
    ReqState.nFileC08 = kFileOpenNext;
    for (const char* l : {"999999990006:0:1:OFFER 6:0:3:0:9:", "*"}) Line(l), DataC08();
    ASSERT_EQ(shell->errors.size(), 1u);
    EXPECT_EQ(shell->errors[0].text.rfind(GetText("Log", "nowrite") + " " + CashFile("Offerte.txt"), 0), 0u);
    EXPECT_EQ(shell->status, "");
    // A dump line that is no record fails the read, said with how many of how many.
    std::filesystem::remove(CashFile("Offerte.txt"));
    shell->errors.clear();
    const int32_t failures = Work.standing;
    Transfer.nC08Pending = 1;
    ReqState.nFileC08 = kFileOpenNext;
    for (const char* l : {"43:1500:3:ART:-7:0:12:9:", "junk", "*"}) Line(l), DataC08();
    ASSERT_EQ(shell->errors.size(), 2u);
    EXPECT_EQ(shell->errors[1].text, GetText("Log", "readrefused") + " " + CashFile("C08.txt") + " (1/2)");
    EXPECT_EQ(Work.standing, failures + 1);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")).substr(0, 13), "           43");
}

// A dump whose file cannot be written whole (the disk full for a moment)
// fails the read: the PLU file stays as it was, the failure is listed with
// the file and counts, and the lines after it are only acknowledged.
TEST_F(PLUStoreTest, ADumpThatCannotBeWrittenWholeLeavesThePLUFile) {
    WriteAll(CashFile("PLU.txt"), Plu("1"));
    const int result = childtest::Run(
        [&] {
            Transfer.nC08Pending = 1;
            ReqState.nFileC08 = kFileOpenNext;
            for (const char* l : {"10:100:1:ONE:0:0:0:9:", "20:100:1:TWO:0:0:0:9:",
                                  "30:100:1:THREE:0:0:0:9:", "40:100:1:FOUR:0:0:0:9:"}) {
                Line(l);
                if (DataC08() != -1) return 1;
            }
            Line("*");
            if (DataC08() != 0) return 2;
            int bad = 0;
            if (Work.standing != 1) bad |= 4;
            const std::string want = GetText("Log", "nowrite") + " " + CashFile("C08.txt");
            if (shell->errors.size() != 1 || shell->errors[0].text.find(want) == std::string::npos)
                bad |= 8;
            if (Acks() != 5) bad |= 16;
            if (ReqState.nFileC08 != kFileDone || OpenFileCount() != 0) bad |= 32;
            for (const auto& e : shell->errors) std::fprintf(stderr, "%s\n", e.text.c_str());
            return bad;
        },
        50);  // two lines fit
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(CashFile("PLU.txt")), Plu("1"));
}

// A record the checks refuse at a send is a failure of a command-line run:
// one error-log line for the table, and the message log names the list.
TEST_F(PLUStoreTest, RefusedRecordsOfASendFailTheRunOnce) {
    Core.strRootDir = dir.path();
    WriteAll(CashFile("PLU.txt"), Plu("10") + Plu("20", "NO DEPT", 0) + Plu("30", "NO DEPT", 0));
    ReqState.nTxPLU = kFileOpenNext;
    Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = 1;
    Tx.nTxPLUTo = Tx.nTxPLUTo0 = 65535;
    LinkState.nPendingAns = 1;
    std::vector<std::string> answers;
    for (int i = 0; i < 5 && ReqState.nTxPLU != kFileDone; ++i) answers.push_back(AnsPLU());
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers.back(), "*");
    EXPECT_EQ(Lines("PLUTxErr.txt").size(), 2u);
    EXPECT_EQ(Work.standing, 1);
    const std::string errLog = ReadAll(dir.file("err.log"));
    EXPECT_EQ(std::count(errLog.begin(), errLog.end(), '\n'), 1) << errLog;
    const std::string msgLog = ReadAll(dir.file("msg.log"));
    EXPECT_NE(msgLog.find(GetText("Log", "refusedlist") + " " + CashFile("PLUTxErr.txt")),
              std::string::npos) << msgLog;
}

}  // namespace

