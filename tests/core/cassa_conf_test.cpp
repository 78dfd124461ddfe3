#include "core/cassa_conf.h"

#include <string>
#include <vector>

#include <sys/inotify.h>
#include <unistd.h>

#include "common/fake_shell.h"
#include "core/cash_list.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/core_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// Every Integer and Text field of the record.
#define F(x) &CassaConfRec::x
const std::vector<int16_t CassaConfRec::*> kInts = {
    F(P019),  F(P019_1), F(PX2),   F(P012),   F(P013),   F(P015),   F(P017),  F(P020A), F(P020B),
    F(P020C), F(P022),   F(P030),  F(P031),   F(P032),   F(P033),   F(P040),  F(P041),  F(P042),
    F(P050),  F(P110),   F(P210),  F(P211),   F(P212),   F(P213),   F(P216),  F(P310),  F(P311),
    F(P312),  F(P4101B), F(P4122), F(P510),   F(P513),   F(P517),   F(P601G), F(P601M), F(P601A),
    F(P681S), F(P681C),  F(P681F), F(P910),   F(P911),   F(P911_2), F(P9Addr), F(P914), F(P915),
    F(P920),  F(P921),   F(P922N), F(P922F),  F(P922S),  F(P923),   F(P930),  F(nHelloType),
    F(nPhoneBookIndex)};
const std::vector<std::string CassaConfRec::*> kTexts = {
    F(P050C), F(P050P), F(P4101A), F(P4102), F(P4112), F(P511), F(P512),
    F(P514),  F(P515),  F(P516),   F(P518),  F(P519),  F(P346)};
#undef F

class CassaConfTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Core.strSetupIni = dir.file("setup.ini");
        Open(1);
    }
    // Makes register folder CassaN the open one.
    void Open(int n) {
        Core.strCashDir = dir.file("Cassa" + std::to_string(n));
        platform::MakeDir(Core.strCashDir);
    }
    void WriteCassa(const std::string& text) { WriteAll(CassaTxtPath(), text); }
};

// --- Reading: defaults of an empty Cassa.txt per model ---

TEST_F(CassaConfTest, EmptyFileGivesTheModelDefaults) {
    // P019 P020A P020B P020C P210 P510 P911 P915 P312 hello-type addressed
    // protocol-level, then the number of period icons.
    const struct {
        int16_t model;
        std::vector<int> values;
        int periods;
    } rows[] = {
        {3, {32, 16, 192, 32, 254, 128, 136, 224, 0, 1, 0, 1}, 10},    // DRAVO57
        {1, {0, 35, 196, 0, 60, 0, 130, 192, 0, 0, 1, 0}, 6},          // LX4100
        {6, {0, 16, 192, 32, 126, 128, 128, 224, 124, 0, 0, 0}, 6},    // QUENTARO
        {9, {32, 16, 192, 32, 126, 128, 128, 224, 0, 1, 0, 0}, 10},    // TIMBREL
        {11, {32, 16, 192, 32, 254, 128, 136, 224, 0, 1, 0, 1}, 10},   // ZANDORE
    };
    WriteAll(Core.strSetupIni, "[Locale]\r\nVAT0=22\r\nVAT1=10\r\n");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.model);
        Model(r.model);
        LinkState.nAddress = 4;
        LinkState.bAddressed = !r.values[10];
        udtCassaConf.P4101A = "stale";  // left by another register
        WriteCassa("");
        EXPECT_TRUE(ReadCassaTipo());
        EXPECT_TRUE(ReadCassaConf());
        const CassaConfRec& c = udtCassaConf;
        EXPECT_EQ((std::vector<int>{c.P019, c.P020A, c.P020B, c.P020C, c.P210, c.P510, c.P911,
                                    c.P915, c.P312, c.nHelloType, LinkState.bAddressed,
                                    ConfigLevel.GetProtoLevel(Core.nOpenCash)}),
                  r.values);
        // Values of another register never survive; the VAT rates come from
        // setup.ini; the station address is the register's plus one. The
        // defaults every model shares are in the exact bytes of the writing.
        EXPECT_EQ(c.P4101A, "0");
        EXPECT_EQ(c.P016[0], 22);
        EXPECT_EQ(c.P016[1], 10);
        EXPECT_EQ(c.P9Addr, 5);
        for (int n = 1; n <= r.periods; ++n) {
            EXPECT_EQ(c.P025[n], "__/__/__");
            EXPECT_EQ(c.P026[n], "__/__/__");
        }
        EXPECT_EQ(CassaFile.nTipoTastiera, 0);
    }
}

// --- Reading: values that are taken, and values that are refused ---

TEST_F(CassaConfTest, PaddedAndOutOfRangeValues) {
    struct Row {
        const char* p0;
        bool ok;
        const char* p050c;
        const char* p050p;
        int16_t p019;
    };
    const Row rows[] = {
        {"50C=12\r\n", true, "00012", "000", 0},
        {"50P=\r\n", true, "00000", "000", 0},
        {"50P=7\r\n50C=\r\n", true, "00000", "007", 0},
        {"50C=1234567\r\n", false, "00000", "000", 0},
        {"50P=1234\r\n", false, "00000", "000", 0},
        {"19=40000\r\n", false, "00000", "000", 0},
        {"19=-32768\r\n", true, "00000", "000", -32768},
        {"19=  12abc\r\n", true, "00000", "000", 12},
    };
    Model(5);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.p0);
        LinkState.bAddressed = false;
        // A refused value must not stop the reading of the keys after it.
        WriteCassa(std::string("[P0]\r\n") + r.p0 + "[P9]\r\n11=2\r\n15=7\r\n");
        EXPECT_EQ(ReadCassaConf(), r.ok);
        EXPECT_EQ(udtCassaConf.P050C, r.p050c);
        EXPECT_EQ(udtCassaConf.P050P, r.p050p);
        EXPECT_EQ(udtCassaConf.P019, r.p019);
        EXPECT_EQ(udtCassaConf.P911, 2);
        EXPECT_TRUE(LinkState.bAddressed);
        EXPECT_EQ(udtCassaConf.P915, 7);
    }
    EXPECT_NE(MsgLog().find("[P0] 50C"), std::string::npos);
    EXPECT_NE(MsgLog().find("[P0] 19"), std::string::npos);
}

// A file that holds what no options file holds is kept as Cassa.txt.bak
// and the message log says what was not taken; a clean file makes no copy.
TEST_F(CassaConfTest, GarbageIsKeptAsABackupAndSaid) {
    const char* const kValues = "Values not taken, defaults kept: ";
    const char* const kJunk = "Lines that are no options, dropped at the next save, in: ";
    const struct {
        const char* name;
        std::string bytes;
        const char* said;  // empty: a clean file
        const char* begins;  // the message's words before the file
    } rows[] = {
        {"clean", "[P0]\r\n; a comment\r\n\r\n19=12\r\n[P9]\r\n11=2\r\n", "", ""},
        {"byte-order mark", "\xEF\xBB\xBF[P0]\r\n19=12\r\n", "", ""},
        {"random bytes", "[P0]\r\n19=12\r\n\x8f\x03zq\xff\r\n", "Cassa.txt (1)", kJunk},
        {"NULs, blanks as they stand for", std::string("[P0]\r\n19=1\0\0\r\n\0\r\n", 17), "", ""},
        {"a 2 MB line", "[P0]\r\n19=" + std::string(2 << 20, '7') + "\r\n", "[P0] 19", kValues},
        {"number beyond range", "[P0]\r\n19=99999999\n[P9]\n11=2\n", "[P0] 19", kValues},
        {"a link bit word outside its byte", "[P9]\r\n11=-5\r\n15=256\r\n", "[P9] 11, [P9] 15", kValues},
        {"no key", "[P0]\r\n=5\r\njunk\r", "Cassa.txt (2)", kJunk},
        {"both", "[P0]\r\n19=99999999\r\njunk\r\n", "[P0] 19; lines that are no options, dropped at the next save: 1", kValues},
    };
    Model(5);
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Texts.nMsgLogFile = -1;  // each read starts a new message log
        CassaFile.backedUp.clear();  // and a new run
        platform::RemoveFile(platform::JoinPath(Core.strRootDir, "msg.log"));
        platform::RemoveFile(CassaTxtPath() + ".bak");
        WriteCassa(r.bytes);
        ReadCassaConf();
        if (*r.said == 0) {
            EXPECT_FALSE(platform::FileExists(CassaTxtPath() + ".bak"));
            EXPECT_EQ(MsgLog().find("Values not taken"), std::string::npos) << MsgLog();
            continue;
        }
        EXPECT_TRUE(ReadAll(CassaTxtPath() + ".bak") == r.bytes);
        const std::string log = MsgLog();
        EXPECT_NE(log.find(r.begins + CassaTxtPath()), std::string::npos) << log;
        if (r.begins == kJunk) {
            EXPECT_EQ(log.find("Values not taken"), std::string::npos) << log;
        }
        EXPECT_NE(log.find(r.said), std::string::npos) << log;
        EXPECT_NE(log.find("kept as " + CassaTxtPath() + ".bak"), std::string::npos) << log;
    }
}

// A save drops what the log says, the backup keeps the file as found, no save passes the bound.
TEST_F(CassaConfTest, ASaveDropsWhatTheLogSaysAndNeverPassesTheBound) {
    Model(5);
    Core.bInteractive = true;
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    const std::string bak = CassaTxtPath() + ".bak";
    auto filled = [](std::string bytes, const std::string& line, size_t size) {
        while (bytes.size() + line.size() <= size) bytes += line;
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
        bool saved;
    } rows[] = {
        {"4 KB of noise", filled("[P0]\r\n19=12\r\n", "#noise!\r\n", 4096), true},
        {"noise up to the bound", filled("[P0]\r\n19=12\r\n", "noise\r\n", platform::kProfileMaxBytes - 1), true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        testsupport::ScopedFakeShell shell;
        CassaFile.backedUp.clear();  // a new run
        Texts.nMsgLogFile = -1;
        WriteCassa(r.bytes);
        ReadCassaConf();
        EXPECT_EQ(udtCassaConf.P019, 12);
        EXPECT_EQ(SaveCassa(), r.saved);
        const std::string after = ReadAll(CassaTxtPath());
        if (!r.saved) {
            EXPECT_TRUE(after == r.bytes);
            EXPECT_NE(MsgLog().find("Cannot write " + CassaTxtPath() + ": "), std::string::npos);
            continue;
        }
        EXPECT_LT(after.size(), 2048u);
        EXPECT_EQ(after.find("noise"), std::string::npos);
        // Opened again: nothing said; a later change by hand leaves the backup as the run found the file.
        platform::RemoveFile(platform::JoinPath(Core.strRootDir, "msg.log"));
        EXPECT_TRUE(ReadCassaConf());
        EXPECT_EQ(MsgLog().find("no options"), std::string::npos) << MsgLog();
        WriteCassa("[P0]\r\nmore noise\r\n");
        ReadCassaConf();
        EXPECT_TRUE(ReadAll(bak) == r.bytes);
    }
}

// A NUL byte in a value is the blank it stands for, and the line no foreign line.
TEST_F(CassaConfTest, ANulInAValueIsABlank) {
    Model(5);
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    WriteCassa(std::string("[P0]\r\n13=\0" "7\r\n50C=\0" "12\r\n[P5]\r\n14=A\0B\r\n", 35));
    EXPECT_TRUE(ReadCassaConf());
    EXPECT_EQ(udtCassaConf.P013, 7);
    EXPECT_EQ(udtCassaConf.P050C, "00012");
    EXPECT_EQ(udtCassaConf.P514, "A B");
    EXPECT_EQ(MsgLog().find("no options"), std::string::npos) << MsgLog();
}

TEST_F(CassaConfTest, NoValueOfThePreviousRegisterSurvives) {
    Model(5);
    WriteCassa("[P5]\r\n14=HELLO\r\n[P0]\r\n211=Header\r\n251=01/02/03\r\n");
    ASSERT_TRUE(ReadCassaConf());
    ASSERT_EQ(udtCassaConf.P514, "HELLO");
    ASSERT_EQ(udtCassaConf.P025[1], "01/02/03");

    // The next register: one with the keys present but empty, one without them.
    for (const char* text : {"[P5]\r\n14=\r\n[P0]\r\n211=\r\n251=\r\n", ""}) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(ReadCassaConf());
        udtCassaConf.P514 = "HELLO", udtCassaConf.P021[1] = "Header";
        udtCassaConf.P025[1] = "01/02/03";
        Open(2);
        WriteCassa(text);
        EXPECT_TRUE(ReadCassaConf());
        EXPECT_EQ(udtCassaConf.P514, "");
        EXPECT_EQ(udtCassaConf.P021[1], "");
        EXPECT_EQ(udtCassaConf.P025[1], "__/__/__");
    }
}

// --- Writing ---

TEST_F(CassaConfTest, WritesEveryKeyInOrder) {
    Model(5);  // TAV3800: five VAT rates, six periods
    ASSERT_FALSE(platform::FileExists(CassaTxtPath()));
    WriteCassa("");
    ASSERT_TRUE(ReadCassaConf());
    CassaFile.strB90Indi = "0012";
    ASSERT_TRUE(SaveCassa());
    std::string p0 = "19=0\r\n19_1=0\r\n12=0\r\n13=0\r\n15=1\r\n160=0\r\n161=0\r\n162=0\r\n163=0\r\n"
                     "164=0\r\n17=0\r\n211=\r\n212=\r\n213=\r\n214=\r\n215=\r\n216=\r\n22=0\r\n"
                     "231=\r\n232=\r\n";
    for (int n = 1; n <= 6; ++n) {
        const std::string s = std::to_string(n);
        p0 += "24" + s + "=0\r\n25" + s + "=__/__/__\r\n26" + s + "=__/__/__\r\n";
    }
    p0 += "30=52\r\n31=20\r\n32=2\r\n40=0\r\n41=0\r\n42=0\r\n50=0\r\n50C=00000\r\n50P=000\r\n"
          "20A=16\r\n20B=192\r\n20C=32\r\n33=10\r\n";
    const std::string expected =
        "[Tastiera]\r\ntipo=0\r\n"
        "[B90]\r\nindi=0012\r\npg=\r\ntype=0\r\n"
        "[P0]\r\n" + p0 +
        "[P1]\r\n10=3\r\n"
        "[P2]\r\n10=126\r\n11=12\r\n12=28\r\n13=0\r\nX2=0\r\n16=0\r\n"
        "[P3]\r\n10=0\r\n11=4\r\n12=0\r\n"
        "[P4]\r\n101A=0\r\n101B=0\r\n1111=0\r\n1112=0\r\n1113=0\r\n1114=0\r\n1115=0\r\n1116=0\r\n"
        "[P5]\r\n10=128\r\n11=0\r\n12=0\r\n13=0\r\n14=\r\n15=\r\n16=\r\n17=224\r\n18=0\r\n19=0\r\n"
        "[P6]\r\n01A=10\r\n01G=1\r\n01M=1\r\n81S=1\r\n81C=2\r\n81F=1\r\n"
        "[P9]\r\n10=3\r\n11=128\r\n11_2=0\r\n13=1\r\n14=0\r\n15=224\r\n20=0\r\n21=10\r\n"
        "22N=999\r\n22F=999\r\n22S=999\r\n23=3\r\n30=1\r\n"
        "[Communication]\r\nhellotype=0\r\nPhoneBookIndex=0\r\n";
    EXPECT_EQ(ReadAll(CassaTxtPath()), expected);
}

TEST_F(CassaConfTest, ModelBranchesOfTheWriting) {
    Model(1);  // LX4100: four VAT rates, its own receipt keys
    WriteCassa("");
    ASSERT_TRUE(ReadCassaConf());
    ASSERT_TRUE(SaveCassa());
    const struct {
        const char *section, *key;
        bool present;
    } keys[] = {{"P4", "102", true},  {"P4", "122", true}, {"P4", "101A", false},
                {"P4", "1111", false}, {"P3", "46", true},  {"P0", "20C", true},
                {"P0", "33", false},   {"P0", "165", false}};
    for (const auto& k : keys)
        EXPECT_EQ(platform::ProfileHasKey(k.section, k.key, CassaTxtPath()), k.present) << k.key;
}

TEST_F(CassaConfTest, TextsNeverBreakTheFileAndKeepTheirBlanks) {
    Model(5);
    WriteCassa("");
    ASSERT_TRUE(ReadCassaConf());
    udtCassaConf.P021[1] = "AB\r\nCD";
    udtCassaConf.P021[2] = "  centred  ";
    udtCassaConf.P021[3] = "\"quoted\"";
    udtCassaConf.P514 = "x=y;z";
    ASSERT_TRUE(SaveCassa());
    const std::string text = ReadAll(CassaTxtPath());
    EXPECT_NE(text.find("\r\n211=AB  CD\r\n"), std::string::npos);
    EXPECT_EQ(text.find("CD\r\n212=  centred"), std::string::npos);
    ASSERT_TRUE(ReadCassaConf());
    EXPECT_EQ(udtCassaConf.P021[1], "AB  CD");
    EXPECT_EQ(udtCassaConf.P021[2], "  centred  ");
    EXPECT_EQ(udtCassaConf.P021[3], "\"quoted\"");
    EXPECT_EQ(udtCassaConf.P514, "x=y;z");
}

TEST_F(CassaConfTest, WriteThenReadGivesTheSameRecord) {
    for (int16_t model : {1, 5, 3}) {  // LX4100, TAV3800, DRAVO57
        SCOPED_TRACE(model);
        Model(model);
        LinkState.nAddress = 2;
        const bool lx = model == 1;
        const CassaConfRec defaults = CassaConfDefaults();
        CassaConfRec r = defaults;
        int16_t v = 100;
        for (auto m : kInts) r.*m = v++;
        int t = 0;
        for (auto m : kTexts) r.*m = "Text " + std::to_string(t++);
        r.P017 = -3;
        r.P050C = "12345";
        r.P050P = "678";
        r.P9Addr = 3;  // always the station address + 1
        for (int n = 0; n < ConfigLevel.GetMaxTabIva(); ++n) r.P016[n] = static_cast<int16_t>(n + 1);
        for (int n = 1; n <= 6; ++n) r.P021[n] = " header " + std::to_string(n);
        for (int n = 1; n <= 2; ++n) r.P023[n] = "footer" + std::to_string(n);
        for (int n = 1; n <= 6; ++n) r.P4111[n] = static_cast<int16_t>(-n);
        for (int n = 1; n <= ConfigLevel.GetNIconePeriodo(0); ++n) {
            r.P024[n] = static_cast<int16_t>(n);
            r.P025[n] = "0" + std::to_string(n) + "/01/24";
            r.P026[n] = "0" + std::to_string(n) + "/12/24";
        }
        // The keys the model's branch does not write come back as defaults.
        if (lx) {
            r.P033 = defaults.P033;
            r.P4101A = defaults.P4101A;
            r.P4101B = defaults.P4101B;
            r.P4111 = defaults.P4111;
        } else {
            r.P4102 = defaults.P4102;
            r.P4112 = defaults.P4112;
            r.P4122 = defaults.P4122;
            r.P346 = defaults.P346;
        }
        Open(model);
        udtCassaConf = r;
        CassaFile.nTipoTastiera = 1;
        CassaFile.strB90Indi = "0123";
        CassaFile.strB90Pg = "45";
        CassaFile.nB90Type = 2;
        ASSERT_TRUE(SaveCassa());

        udtCassaConf = CassaConfRec{};
        CassaFile = CassaFileValues{};
        EXPECT_TRUE(ReadCassaTipo());
        EXPECT_TRUE(ReadCassaConf());
        EXPECT_TRUE(udtCassaConf == r);
        // Written again, the record gives the same bytes: a key that reads
        // back wrong shows by name.
        const std::string first = ReadAll(CassaTxtPath());
        ASSERT_TRUE(SaveCassa());
        EXPECT_EQ(ReadAll(CassaTxtPath()), first);
        EXPECT_EQ(CassaFile.nTipoTastiera, 1);
        EXPECT_EQ(CassaFile.strB90Indi, "0123");
        EXPECT_EQ(CassaFile.strB90Pg, "45");
        EXPECT_EQ(CassaFile.nB90Type, 2);
    }
}

// An options file written before, with a comment, a section named in other
// letters, blanks around a value, a line ended by LF alone, keys of its own
// and a last line without a line end: every byte as the key-by-key writes of
// the profile functions leave it, and the file replaced once.
TEST_F(CassaConfTest, SaveKeepsTheFileAsKeyByKeyWritesAndReplacesItOnce) {
    Model(3);
    WriteCassa("; options of the register\r\n[p0]\r\n19 = 32\r\n30=99\nOwn=kept\r\n\r\n"
               "[Extra]\r\nmine=1\r\n[P9]\r\n11=136\r\n22n=5");
    ASSERT_TRUE(ReadCassaConf());
    udtCassaConf.P021[1] = "Header one";
    udtCassaConf.P030 = 60;
    CassaFile.strB90Indi = "0012";

    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, Core.strCashDir.c_str(), IN_MOVED_TO | IN_MODIFY), 0);
    ASSERT_TRUE(SaveCassa());
    int replaced = 0, modified = 0;
    alignas(inotify_event) char buffer[65536];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + n;) {
            auto* e = reinterpret_cast<inotify_event*>(p);
            if (e->len && std::string(e->name) == "Cassa.txt") {
                replaced += (e->mask & IN_MOVED_TO) != 0;
                modified += (e->mask & IN_MODIFY) != 0;
            }
            p += sizeof(inotify_event) + e->len;
        }
    close(watch);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(modified, 0);

    EXPECT_EQ(ReadAll(CassaTxtPath()),
              "; options of the register\r\n[p0]\r\n19=32\r\n30=60\nOwn=kept\r\n19_1=0\r\n12=0\r\n"
              "13=0\r\n15=1\r\n160=0\r\n161=0\r\n162=0\r\n163=0\r\n164=0\r\n17=0\r\n211=Header one\r\n"
              "212=\r\n213=\r\n214=\r\n215=\r\n216=\r\n22=0\r\n231=\r\n232=\r\n241=0\r\n"
              "251=__/__/__\r\n261=__/__/__\r\n242=0\r\n252=__/__/__\r\n262=__/__/__\r\n243=0\r\n"
              "253=__/__/__\r\n263=__/__/__\r\n244=0\r\n254=__/__/__\r\n264=__/__/__\r\n245=0\r\n"
              "255=__/__/__\r\n265=__/__/__\r\n246=0\r\n256=__/__/__\r\n266=__/__/__\r\n247=0\r\n"
              "257=__/__/__\r\n267=__/__/__\r\n248=0\r\n258=__/__/__\r\n268=__/__/__\r\n249=0\r\n"
              "259=__/__/__\r\n269=__/__/__\r\n2410=0\r\n2510=__/__/__\r\n2610=__/__/__\r\n31=20\r\n"
              "32=2\r\n40=0\r\n41=0\r\n42=0\r\n50=0\r\n50C=00000\r\n50P=000\r\n20A=16\r\n20B=192\r\n"
              "20C=32\r\n33=10\r\n\r\n[Extra]\r\nmine=1\r\n[P9]\r\n11=136\r\n22n=5\r\n10=3\r\n"
              "11_2=0\r\n13=1\r\n14=0\r\n15=224\r\n20=0\r\n21=10\r\n22F=999\r\n22S=999\r\n23=3\r\n"
              "30=1\r\n[Tastiera]\r\ntipo=0\r\n[B90]\r\nindi=0012\r\npg=\r\ntype=0\r\n[P1]\r\n10=3\r\n"
              "[P2]\r\n10=254\r\n11=12\r\n12=28\r\n13=0\r\nX2=0\r\n16=0\r\n[P3]\r\n10=0\r\n11=4\r\n"
              "12=0\r\n[P4]\r\n101A=0\r\n101B=0\r\n1111=0\r\n1112=0\r\n1113=0\r\n1114=0\r\n1115=0\r\n"
              "1116=0\r\n[P5]\r\n10=128\r\n11=0\r\n12=0\r\n13=0\r\n14=\r\n15=\r\n16=\r\n17=224\r\n"
              "18=0\r\n19=0\r\n[P6]\r\n01A=10\r\n01G=1\r\n01M=1\r\n81S=1\r\n81C=2\r\n81F=1\r\n"
              "[Communication]\r\nhellotype=1\r\nPhoneBookIndex=0\r\n");
}

TEST_F(CassaConfTest, WithoutAFolderOpenNothingIsReadOrWritten) {
    Model(5);
    Core.strCashDir.clear();  // no folder open: nothing is read or written anywhere
    EXPECT_FALSE(SaveCassa());
    EXPECT_TRUE(ReadCassaConf());
    EXPECT_EQ(udtCassaConf.P030, 52);
}

// A Cassa.txt that cannot be written is said, with the reason: in a message
// box in an interactive run, in the progress window and the error log in a
// command-line run, and in the message log either way.
TEST_F(CassaConfTest, AFileThatCannotBeWrittenIsReported) {
    Model(5);
    struct Row {
        bool interactive;
        std::string folder;
        const char* reason;
    } rows[] = {
        {true, "absent/Cassa9", "Path not found"},
        {false, "absent/Cassa9", "Path not found"},
        {false, "Cassa8", "File access error"},  // Cassa.txt is a folder there
    };
    platform::MakeDir(dir.file("Cassa8/Cassa.txt"));
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    for (const Row& r : rows) {
        SCOPED_TRACE(r.folder);
        testsupport::ScopedFakeShell shell;
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        Core.bInteractive = r.interactive;
        Core.strCashDir = dir.file(r.folder);
        EXPECT_FALSE(SaveCassa());
        EXPECT_FALSE(platform::FileExists(CassaTxtPath()));
        const std::string note = GetText("Log", "nowrite") + " " + CassaTxtPath() + ": " + r.reason;
        EXPECT_NE(MsgLog().find(note), std::string::npos) << MsgLog();
        if (r.interactive) {
            ASSERT_EQ(shell->msgBoxes.size(), 1u);
            EXPECT_EQ(shell->msgBoxes[0].text, std::string("SaveCassa - ") + r.reason);
            EXPECT_EQ(Work.standing, 0);
        } else {
            EXPECT_TRUE(shell->msgBoxes.empty());
            ASSERT_EQ(shell->errors.size(), 1u);
            EXPECT_EQ(shell->errors[0].text, note);
            EXPECT_EQ(Work.standing, 1);
        }
    }
}

// A Cassa.txt far larger than any options file is not read, nor one whose
// lines a save keeps leave no room below that bound for the option lines a
// save writes (every save of it would fail): the defaults, said with the
// reason and the file's name (a message box when interactive, the error log
// in a command-line run, once), and the file is not written over.
TEST_F(CassaConfTest, AFileTooLargeIsSaidAndKept) {
    Model(5);
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    const int64_t bound = platform::kProfileMaxBytes;
    auto comments = [](int64_t size) {
        std::string bytes = "[P0]\r\n19=12\r\n";
        while (static_cast<int64_t>(bytes.size()) + 11 <= size) bytes += "; comment\r\n";
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
        int64_t size;       // made this large (sparse) when larger than the bytes
        const char* said;   // nullptr: read and saved
    } rows[] = {
        {"over the bound", "[P0]\r\n19=12\r\n", bound + 1, "not a readable file); not used: "},
        {"comments up to the bound", comments(bound), 0, "would pass 16 MB; not used: "},
        {"comments 8 KB short of the bound", comments(bound - 8192), 0, "would pass 16 MB; not used: "},
        {"comments 1 MB short of the bound", comments(bound - 1024 * 1024), 0, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        WriteCassa(r.bytes);
        if (r.size > 0) {
            ASSERT_EQ(truncate(CassaTxtPath().c_str(), r.size), 0);
        }
        const int64_t size = platform::FileSize(CassaTxtPath());
        Texts = TextsGlobals{};
        Work = WorkRecord{};
        platform::RemoveFile(platform::JoinPath(Core.strRootDir, "msg.log"));
        CashListState.reported.clear();
        size_t boxes = 0;
        for (const bool interactive : {true, true, false, false}) {
            testsupport::ScopedFakeShell shell;
            if (Core.bInteractive != interactive) CashListState.reported.clear();  // a new run
            Core.bInteractive = interactive;
            EXPECT_EQ(ReadCassaConf(), !r.said);
            EXPECT_EQ(CassaFile.bUnreadable, !!r.said);
            EXPECT_EQ(udtCassaConf.P019, r.said ? CassaConfDefaults().P019 : 12);
            boxes += shell->msgBoxes.size();
        }
        if (!r.said) {
            EXPECT_TRUE(SaveCassa());
            EXPECT_GT(platform::FileSize(CassaTxtPath()), size);
            continue;
        }
        EXPECT_EQ(boxes, 1u);
        EXPECT_EQ(Work.standing, 1);  // said once in each run
        EXPECT_EQ(testsupport::CountOf(MsgLog(), r.said + CassaTxtPath()), 2) << MsgLog();
        EXPECT_FALSE(SaveCassa());
        EXPECT_EQ(platform::FileSize(CassaTxtPath()), size);
        if (r.size == 0) {
            EXPECT_TRUE(ReadAll(CassaTxtPath()) == r.bytes);
        }
    }
}

// --- Comparing and asking ---

TEST_F(CassaConfTest, TestGlbDiffComparesTheFieldsInUse) {
    struct Row {
        int16_t model;
        void (*change)(CassaConfRec&);
        bool differs;
    };
    const Row rows[] = {
        {5, [](CassaConfRec&) {}, false},
        {5, [](CassaConfRec& c) { c.P514 = "x"; }, true},
        {5, [](CassaConfRec& c) { c.P911 = 2; }, true},
        {5, [](CassaConfRec& c) { c.P016[4] = 1; }, true},
        {6, [](CassaConfRec& c) { c.P016[4] = 1; }, false},  // QUENTARO has four rates
        {5, [](CassaConfRec& c) { c.P026[6] = "x"; }, true},
        {5, [](CassaConfRec& c) { c.P024[7] = 1; }, false},  // six periods
        {5, [](CassaConfRec& c) { c.P4111[6] = 1; }, true},
        {5, [](CassaConfRec& c) { c.P021[0] = "x"; }, false},  // element 0 is not used
    };
    for (const auto& r : rows) {
        Model(r.model);
        udtCassaConfSaved = CassaConfDefaults();
        udtCassaConf = udtCassaConfSaved;
        r.change(udtCassaConf);
        EXPECT_EQ(TestGlbDiff(), r.differs) << r.model;
    }
}

TEST_F(CassaConfTest, AskGlbDiffRestoresOnNoAndOnAClose) {
    testsupport::ScopedFakeShell shell;
    Model(5);
    udtCassaConfSaved = CassaConfDefaults();
    udtCassaConf = udtCassaConfSaved;
    EXPECT_EQ(AskGlbDiff(), Reply::Yes);
    EXPECT_TRUE(shell->questions.empty());

    struct Row {
        int16_t savedP911;
        bool addressed;
    };
    for (const Row& r : {Row{0, false}, Row{128, false}, Row{130, true}, Row{2, true}}) {
        SCOPED_TRACE(r.savedP911);
        udtCassaConfSaved.P911 = r.savedP911;
        udtCassaConf = udtCassaConfSaved;
        udtCassaConf.P911 = 131;
        udtCassaConf.P514 = "changed";
        LinkState.bAddressed = !r.addressed;
        shell->QueueAnswer(false);
        EXPECT_EQ(AskGlbDiff(), Reply::No);
        EXPECT_TRUE(udtCassaConf == udtCassaConfSaved);
        EXPECT_EQ(LinkState.bAddressed, r.addressed);
    }
    udtCassaConf.P514 = "kept";
    shell->QueueAnswer(true);
    EXPECT_EQ(AskGlbDiff(), Reply::Yes);
    EXPECT_EQ(udtCassaConf.P514, "kept");
    // Closed unanswered: the caller saves nothing, the saved copy is back.
    udtCassaConfSaved = CassaConfDefaults();
    shell->closes = 1;
    EXPECT_EQ(AskGlbDiff(), Reply::Closed);
    EXPECT_TRUE(udtCassaConf == udtCassaConfSaved);
    EXPECT_EQ(shell->questions.size(), 6u);
}

}  // namespace
