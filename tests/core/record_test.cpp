#include "core/record.h"

#include <gtest/gtest.h>

#include <string>

#include "store/client_record.h"
#include "store/customer_files.h"
#include "store/currencies.h"
#include "store/departments.h"
#include "store/discounts.h"
#include "store/groups.h"
#include "store/icon_texts.h"
#include "store/loyalty.h"
#include "store/multiple_functions.h"
#include "store/operators.h"
#include "store/payments.h"
#include "store/plu.h"
#include "store/plu_directory.h"
#include "store/price_weight.h"

namespace {

using namespace tables;

TEST(RecordValues, NumValueReadsTheTrimmedNumberRoundedHalfToEven) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},       {"   ", 0},      {"  3", 3},     {"007 ", 7},     {"-005", -5},
        {"+7", 7},     {"12abc", 12},   {"abc", 0},     {"2.5", 2},      {"3.5", 4},
        {"-2.5", -2},  {"1.49", 1},     {"1.51", 2},    {"2.50001", 3},  {"0.5", 0},
        {"99999999999", INT32_MAX},     {"-99999999999", INT32_MIN},     {"1 2", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(NumValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(RecordValues, FormatsAndPadsToTheWidth) {
    EXPECT_EQ(FormatNum(7, 4), "0007");
    EXPECT_EQ(FormatNum(0, 1), "0");
    EXPECT_EQ(FormatNum(-5, 4), "-005");
    EXPECT_EQ(FormatNum(12345, 3), "345");
    EXPECT_EQ(PadRight("ab", 4), "ab  ");
    EXPECT_EQ(PadRight("abcdef", 4), "abcd");
    EXPECT_EQ(PadLeft("12", 5), "   12");
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");

    Fixed<5> f;
    EXPECT_EQ(f.str(), "     ");
    f = "toolongtext";
    EXPECT_EQ(f.str(), "toolo");
    f.PutRight("  42 ");
    EXPECT_EQ(f.str(), "   42");
    EXPECT_EQ(f.Num(), 42);
    f.PutLeftNum(31);
    EXPECT_EQ(f.str(), "31   ");
    f.PutNum(31);
    EXPECT_EQ(f.str(), "00031");
}

// Every record type: its layout covers the struct byte for byte, ends with
// CR LF and has the record length of its file.
TEST(RecordLayouts, CoverEveryRecordExactly) {
    struct Case {
        const char* name;
        const RecordLayout& layout;
        int length;
    } cases[] = {
        {"Reparti", RepartoRec::Layout(), 89},     {"RepFid", RepFidRec::Layout(), 156},
        {"SubFid", SubFidRec::Layout(), 152},      {"CirCli", CirCliRec::Layout(), 12},
        {"PLU", PLURec::Layout(), 89},             {"DirPLU", DirPLURec::Layout(), 18},
        {"Operatori", OpeRec::Layout(), 58},       {"old Operatori", OldOpeRec::Layout(), 57},
        {"groups", NameRec::Layout(), 34},         {"FunMul", FunMulRec::Layout(), 320},
        {"ModPag", ModPagRec::Layout(), 57},       {"TicketAmount", TicketAmountRec::Layout(), 15},
        {"IconText", IconTextRec::Layout(), 106},  {"Valute", ValutaRec::Layout(), 27},
        {"RResto", RRestoRec::Layout(), 6},        {"ScoMag", ScoMagRec::Layout(), 53},
        {"Bollini", BollinoRec::Layout(), 40},     {"PrezPeso", PrzPesoRec::Layout(), 12},
        {"ClientG", ClientGroupRec::Layout(), 26}, {"Clienti 1", Cliente1Rec::Layout(), 90},
        {"Clienti 3", Cliente3Rec::Layout(), 169}, {"Clienti 4", Cliente4Rec::Layout(), 175},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.layout.Length(), c.length) << c.name;
        EXPECT_TRUE(c.layout.Covers()) << c.name;
        std::string bytes = DefaultRecordBytes(c.layout, 1);
        ASSERT_EQ(static_cast<int>(bytes.size()), c.length) << c.name;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << c.name;
    }
}

TEST(RecordLayouts, SplitsARecordIntoItsFieldsInFileOrder) {
    FunMulRec rec = DefaultRecord<FunMulRec>(7);
    rec.description = "Menu";
    rec.Item[2].step.PutNum(3);
    rec.Item[2].code.PutNum(110);
    std::vector<std::string> fields = SplitRecord(FunMulRec::Layout(), RecordBytes(rec));
    ASSERT_EQ(fields.size(), 3u + 2 * 60 + 1);
    EXPECT_EQ(fields[0], "007");
    EXPECT_EQ(fields[1], "Menu        ");
    EXPECT_EQ(fields[2], "000");
    EXPECT_EQ(fields[3 + 2 * 2], "03");
    EXPECT_EQ(fields[3 + 2 * 2 + 1], "110");
    EXPECT_EQ(fields.back(), "\r\n");
}

TEST(RecordLayouts, PlacesAValueByTheFieldKind) {
    const RecordLayout& layout = DirPLURec::Layout();
    std::string bytes = DefaultRecordBytes(layout, 12);
    EXPECT_EQ(bytes, std::string(13, ' ') + "12 \r\n");
    PutField(*layout.Find("code"), bytes, "4006381333931");
    PutField(*layout.Find("number"), bytes, " 7 ");
    EXPECT_EQ(bytes, "40063813339317  \r\n");

    const RecordLayout& plu = PLURec::Layout();
    std::string rec = DefaultRecordBytes(plu, 1);
    PutField(*plu.Find("code"), rec, " 25 ");
    PutField(*plu.Find("P220B"), rec, "4.5");
    EXPECT_EQ(rec.substr(0, 25), std::string(11, ' ') + "25" + "000000000" + "004");
    EXPECT_EQ(FieldText(*plu.Find("P220B"), rec), "004");

    const RecordLayout& ope = OpeRec::Layout();
    std::string o = DefaultRecordBytes(ope, 3);
    PutField(*ope.Find("P322"), o, "255", 5);
    EXPECT_EQ(FieldText(*ope.Find("P322"), o, 5), "255");
    EXPECT_EQ(o.substr(38, 18), "000000000000000255");
    EXPECT_EQ(FieldText(*ope.Find("P322"), o, 6), "");  // no seventh rights byte
}

}  // namespace
