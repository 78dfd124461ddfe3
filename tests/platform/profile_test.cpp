#include "platform/profile.h"

#include "common/child_process.h"
#include "common/tempdir.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

using namespace platform;
using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

// A double-NUL list as the items it holds.
std::vector<std::string> Items(const char* buf) {
    std::vector<std::string> out;
    for (const char* p = buf; *p; p += std::strlen(p) + 1) out.emplace_back(p);
    return out;
}

const char* kSample =
    "; leading comment\r\n"
    "orphan=outside\r\n"
    "[Main]\r\n"
    "Name = Alpha \r\n"
    "  Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "Semi=a;b\r\n"
    ";Hidden=1\r\n"
    "   ; Hidden2=1\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Num=  -42abc\r\n"
    "Plus=+7\r\n"
    "Junk=abc\r\n"
    "QNum=\" 12\"\r\n"
    "\r\n"
    "[ Other ]\r\n"
    "k=other\r\n"
    "[main]\r\n"
    "Late=hidden\r\n";

}  // namespace

TEST(Profile, ReadsValuesWithWindowsRules) {
    TempDir dir;
    std::string f = dir.file("a.ini");
    WriteAll(f, kSample);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Main", "Name", "Alpha"},        // trimmed
        {"MAIN", "name", "Alpha"},        // case-insensitive
        {" main ", " NAME ", "Alpha"},    // the arguments are trimmed too
        {"Main", "Quoted", "  spaced  "}, // one pair of quotes stripped after trimming
        {"Main", "Single", "x"},
        {"Main", "Mixed", "\"x'"},        // quotes that do not match stay
        {"Main", "Semi", "a;b"},          // ';' inside a value is not a comment
        {"Main", ";Hidden", "def"},       // comment lines are not keys
        {"Main", "Dup", "first"},         // first of repeated keys
        {"Main", "Empty", ""},
        {"Main", "NoEquals", "def"},      // a line without '=' has no value
        {"Main", "Late", "def"},          // first of repeated sections
        {"Other", "K", "other"},
        {"Main", "orphan", "def"},        // lines outside a section are ignored
        {"Missing", "Name", "def"},
        {"Main", "Missing", "def"},
    };
    for (const Case& c : cases) {
        char buf[128];
        std::memset(buf, 'X', sizeof buf);
        uint32_t n = GetPrivateProfileStringA(c.section, c.key, "def", buf, sizeof buf, f.c_str());
        EXPECT_STREQ(buf, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(n, std::strlen(c.expected)) << c.section << "/" << c.key;
        EXPECT_EQ(ProfileString(c.section, c.key, "def", f), c.expected);
    }
    EXPECT_TRUE(ProfileHasKey("main", "EMPTY", f));
    EXPECT_FALSE(ProfileHasKey("Main", "NoEquals", f));
    EXPECT_FALSE(ProfileHasKey("Main", "Late", f));
}

TEST(Profile, MissingFileGivesDefaultWithTrailingBlanksRemoved) {
    TempDir dir;
    char buf[16];
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "dflt  ", buf, sizeof buf, dir.file("no.ini").c_str()), 4u);
    EXPECT_STREQ(buf, "dflt");
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", nullptr, buf, sizeof buf, dir.file("no.ini").c_str()), 0u);
    EXPECT_STREQ(buf, "");
}

TEST(Profile, ValueTruncationReturnsSizeMinusOne) {
    TempDir dir;
    std::string f = dir.file("t.ini");
    WriteAll(f, "[S]\r\nK=" + std::string(200, 'v') + "\r\nE=12345\r\n");
    char buf[128];
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buf, 128, f.c_str()), 127u);
    EXPECT_EQ(std::string(buf), std::string(127, 'v'));
    struct Case {
        uint32_t size;
        uint32_t result;
        const char* text;
    } cases[] = {{6, 5, "12345"}, {5, 4, "1234"}, {2, 1, "1"}, {1, 0, ""}};
    for (const Case& c : cases) {
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(GetPrivateProfileStringA("S", "E", "", buf, c.size, f.c_str()), c.result) << c.size;
        EXPECT_STREQ(buf, c.text);
    }
    EXPECT_EQ(GetPrivateProfileStringA("S", "E", "", buf, 0, f.c_str()), 0u);
    EXPECT_EQ(ProfileString("S", "K", "", f).size(), 200u);  // the convenience has no limit
}

TEST(Profile, ListsOfSectionsAndKeysWithTruncation) {
    TempDir dir;
    std::string f = dir.file("l.ini");
    WriteAll(f, "[One]\na=1\nNoEq\n;c=2\nb=2\n[Two]\n[Three]\nx=\"q\"\n");
    char buf[64];
    uint32_t n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, f.c_str());
    EXPECT_EQ(n, 14u);  // "One\0Two\0Three\0"
    EXPECT_EQ(Items(buf), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(buf[14], '\0');

    n = GetPrivateProfileStringA("one", nullptr, "", buf, sizeof buf, f.c_str());
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(Items(buf), (std::vector<std::string>{"a", "b"}));

    n = GetPrivateProfileSectionA("ONE", buf, sizeof buf, f.c_str());
    EXPECT_EQ(n, 13u);  // "a=1\0NoEq\0b=2\0"
    EXPECT_EQ(Items(buf), (std::vector<std::string>{"a=1", "NoEq", "b=2"}));
    n = GetPrivateProfileSectionA("Three", buf, sizeof buf, f.c_str());
    EXPECT_EQ(Items(buf), (std::vector<std::string>{"x=\"q\""}));  // quotes kept in a section

    EXPECT_EQ(GetPrivateProfileSectionA("Two", buf, sizeof buf, f.c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(GetPrivateProfileSectionA("None", buf, sizeof buf, f.c_str()), 0u);

    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSectionA("One", buf, 7, f.c_str()), 5u);
    EXPECT_EQ(std::string(buf, 7), std::string("a=1\0N\0\0", 7));

    // NUL bytes after the last line (an editor's filler) are no entry.
    WriteAll(f, std::string("[One]\r\na=1\r\n\0\0\0", 15));
    EXPECT_EQ(GetPrivateProfileSectionA("One", buf, sizeof buf, f.c_str()), 4u);
    EXPECT_EQ(Items(buf), (std::vector<std::string>{"a=1"}));
    EXPECT_EQ(ProfileSection("One", f).size(), 1u);
}

// A file far larger than any profile file is not read, reads as empty and
// is not written over; one at the bound is a profile file, and no write takes
// it past the bound (the save closes the last line with CR LF).
TEST(Profile, AFileFarLargerThanAnyProfileIsNeitherReadNorWrittenOver) {
    TempDir dir;
    const std::string f = dir.file("big.ini");
    struct Row {
        int64_t size;
        bool readable, writable;
    } rows[] = {{kProfileMaxBytes - 2, true, true},
                {kProfileMaxBytes - 1, true, false},
                {kProfileMaxBytes, true, false},
                {kProfileMaxBytes + 1, false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        WriteAll(f, "[S]\r\nk=1\r\n");
        ASSERT_EQ(truncate(f.c_str(), row.size), 0);  // NULs after the last line
        EXPECT_EQ(ProfileUnreadable(f), !row.readable);
        EXPECT_EQ(ProfileString("S", "k", "none", f), row.readable ? "1" : "none");
        errno = 0;
        EXPECT_EQ(WriteProfileString("S", "k", "2", f), row.writable);
        if (row.readable && !row.writable) {
            EXPECT_EQ(errno, EFBIG);
        }
        EXPECT_EQ(FileSize(f), row.writable ? kProfileMaxBytes : row.size);
    }
}

// Any profile file is read and written in memory of three times its size.
TEST(Profile, AProfileFileIsHeldInMemoryOfAFewTimesItsSize) {
    if (childtest::kAddressSanitizer) GTEST_SKIP() << "address space capped: not under AddressSanitizer";
    TempDir dir;
    const std::string f = dir.file("big.ini");
    struct Shape {
        const char* name;
        const char* format;  // of the n-th line
        int64_t size;
    } shapes[] = {
        {"blank lines", "\r\n", kProfileMaxBytes - 1},
        {"bare keys", "x\n", kProfileMaxBytes / 4},
        {"distinct keys", "d%zu=1\n", kProfileMaxBytes / 4},
        {"distinct sections", "[s%zu]\n", kProfileMaxBytes / 4},
        {"distinct sections, largest file", "[s%zu]\r\n", kProfileMaxBytes - 1},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        std::string bytes = "[S]\r\nk=1\r\n";
        bytes.reserve(static_cast<size_t>(shape.size) + 32);
        char line[32];
        for (size_t n = 0; bytes.size() < static_cast<size_t>(shape.size);)
            bytes.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, shape.format, n++)));
        bytes.resize(static_cast<size_t>(shape.size), '\n');
        WriteAll(f, bytes);
        bytes = std::string();
        EXPECT_EQ(childtest::RunInRoom(3 * shape.size + (16 << 20), [&] {
                      GiveBackLargeBlocks();  // as the program does at start-up
                      if (ProfileString("S", "k", "", f) != "1") return 1;
                      if (ProfileString("S", "k2", "none", f) != "none") return 2;
                      if (ProfileString("absent", "k", "none", f) != "none") return 3;
                      ProfileBatch batch(f);
                      if (!WriteProfileString("S", "k", "2", f) || !batch.Commit()) return 4;
                      return ProfileString("S", "k", "", f) != "2" ? 5 : 0;
                  }),
                  0);
    }
}

// Every list at the buffer sizes around its length: the whole buffer as
// written (bytes left alone stay 'X'), and the result. A list needs a byte to
// spare; one that only just fits comes back whole but reported as cut.
TEST(Profile, ListsAtTheSizesAroundTheirLength) {
    TempDir dir;
    std::string f = dir.file("l.ini");
    WriteAll(f, "[One]\r\na=1\r\nbb=2\r\n[Two]\r\n[Three]\r\n");
    using S = std::string;
    struct Case {
        const char* what;
        const char* section;  // "*" for the list of sections
        bool keys;            // the key list rather than the section read
        uint32_t size;
        uint32_t result;
        S bytes;  // the first size bytes of the buffer
    } cases[] = {
        // "One\0Two\0Three\0": 14 bytes
        {"sections", "*", false, 0, 0, S("")},
        {"sections", "*", false, 1, 0, S("\0", 1)},
        {"sections", "*", false, 2, 0, S("\0\0", 2)},
        {"sections", "*", false, 3, 1, S("O\0\0", 3)},
        {"sections", "*", false, 6, 4, S("One\0\0\0", 6)},
        {"sections", "*", false, 9, 7, S("One\0Two\0\0", 9)},
        {"sections", "*", false, 14, 12, S("One\0Two\0Thre\0\0", 14)},
        {"sections", "*", false, 15, 13, S("One\0Two\0Three\0\0", 15)},
        {"sections", "*", false, 16, 14, S("One\0Two\0Three\0\0X", 16)},
        {"sections", "*", false, 17, 14, S("One\0Two\0Three\0\0XX", 17)},
        // "a\0bb\0": 5 bytes
        {"keys", "One", true, 1, 0, S("\0", 1)},
        {"keys", "One", true, 2, 0, S("\0\0", 2)},
        {"keys", "One", true, 5, 3, S("a\0b\0\0", 5)},
        {"keys", "One", true, 6, 4, S("a\0bb\0\0", 6)},
        {"keys", "One", true, 7, 5, S("a\0bb\0\0X", 7)},
        {"no keys: the default as a value", "Two", true, 3, 2, S("df\0", 3)},
        // "a=1\0bb=2\0": 9 bytes
        {"section", "One", false, 1, 0, S("\0", 1)},
        {"section", "One", false, 2, 0, S("\0\0", 2)},
        {"section", "One", false, 9, 7, S("a=1\0bb=\0\0", 9)},
        {"section", "One", false, 10, 8, S("a=1\0bb=2\0\0", 10)},
        {"section", "One", false, 11, 9, S("a=1\0bb=2\0\0X", 11)},
        {"empty section", "Two", false, 1, 0, S("\0", 1)},
        {"empty section", "Two", false, 3, 0, S("\0\0X", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " in " + std::to_string(c.size));
        char buf[32];
        std::memset(buf, 'X', sizeof buf);
        uint32_t n = std::string(c.section) == "*"
                         ? GetPrivateProfileStringA(nullptr, nullptr, "df", buf, c.size, f.c_str())
                     : c.keys ? GetPrivateProfileStringA(c.section, nullptr, "df", buf, c.size, f.c_str())
                              : GetPrivateProfileSectionA(c.section, buf, c.size, f.c_str());
        EXPECT_EQ(n, c.result);
        EXPECT_EQ(std::string(buf, c.size), c.bytes);
        EXPECT_EQ(buf[c.size], 'X');  // nothing written past the buffer
    }
}

TEST(Profile, IntegerReading) {
    TempDir dir;
    std::string f = dir.file("i.ini");
    WriteAll(f, kSample);
    struct Case {
        const char* key;
        int def;
        int expected;
    } cases[] = {
        {"Num", 5, -42},  // leading sign and digits only
        {"Plus", 5, 7},
        {"Junk", 5, 0},   // present but not a number
        {"QNum", 5, 12},  // quotes stripped, blanks before the digits skipped
        {"Empty", 5, 5},  // empty counts as absent
        {"Missing", -3, -3},
        {"Name", 9, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("Main", c.key, c.def, f.c_str())), c.expected)
            << c.key;
        EXPECT_EQ(ProfileInt("main", c.key, c.def, f), c.expected) << c.key;
    }
}

// A write changes its own line and keeps every other byte: each line's own
// ending, new lines and a last line that had no ending ended in CR LF; what
// it wrote reads back.
TEST(Profile, WritesKeepEveryOtherByte) {
    TempDir dir;
    std::string f = dir.file("w.ini");
    const std::string original =
        "; header comment\r\n"
        "[A]\r\n"
        "  Key1 = old \r\n"
        "; inside\r\n"
        "Key2=two\r\n"
        "\r\n"
        "[B]\n"
        "x=1\n"
        "\n"
        "[C]\r\n"
        "y=1";
    const std::string head = "; header comment\r\n[A]\r\n  Key1 = old \r\n; inside\r\n";
    const std::string tail = "\r\n\r\n[B]\nx=1\n\n[C]\r\ny=1\r\n";
    struct Case {
        const char* name;
        std::string original;
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    } cases[] = {
        {"replace", original, "a", "KEY1", "new",
         "; header comment\r\n[A]\r\nKey1=new\r\n; inside\r\nKey2=two" + tail},
        {"add key after the last key", original, "A", "Key3", "3", head + "Key2=two\r\nKey3=3" + tail},
        {"add key to an LF section", original, "B", "z", "2",
         head + "Key2=two\r\n\r\n[B]\nx=1\nz=2\r\n\n[C]\r\ny=1\r\n"},
        {"add key after a last line without ending", original, "C", "z", "2",
         head + "Key2=two" + tail + "z=2\r\n"},
        {"new section", original, "New", "k", "v", head + "Key2=two" + tail + "[New]\r\nk=v\r\n"},
        {"delete key", original, "A", "key2", nullptr, head + "\r\n[B]\nx=1\n\n[C]\r\ny=1\r\n"},
        {"delete section", original, "b", nullptr, nullptr, head + "Key2=two\r\n\r\n[C]\r\ny=1\r\n"},
        {"delete missing key", original, "A", "nope", nullptr, original},
        {"unchanged value", original, "A", "Key2", "two", original},
        {"line breaks in a value become blanks", original, "A", "Key2", "a\r\nb", head + "Key2=a  b" + tail},
        {"new section after a lone CR", "[A]\r\nk=1\r", "B", "x", "1", "[A]\r\nk=1\r[B]\r\nx=1\r\n"},
        {"new key after a lone CR", "[A]\rk=1\r", "A", "j", "2", "[A]\rk=1\rj=2\r\n"},
        {"replace the last line", "[A]\nk=1", "A", "k", "2", "[A]\nk=2\r\n"},
        {"replace before a last line", "[A]\rk=1\r[B]\rx=1", "a", "K", "2", "[A]\rk=2\r[B]\rx=1\r\n"},
        {"delete before a last line", "[A]\r\nk=1\r\n[B]\nx=1", "A", "k", nullptr, "[A]\r\n[B]\nx=1\r\n"},
        {"delete a section before a last line", "[A]\rk=1\r[B]\rx=1", "A", nullptr, nullptr,
         "[B]\rx=1\r\n"},
        {"unchanged: the file is not touched", "[A]\rk=1", "A", "k", "1", "[A]\rk=1"},
        {"header without ']'", "[A\rk=1", "A", "j", "2", "[A\rk=1\r\nj=2\r\n"},
        {"header ends at its first ']'", "[A]x]\nk=1\n", "A", "j", "2", "[A]x]\nk=1\nj=2\r\n"},
        {"a byte-order mark before the first header stays", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "a", "k", "2",
         "\xEF\xBB\xBF[A]\r\nk=2\r\n"},
        {"the first section deleted after a byte-order mark", "\xEF\xBB\xBF[A]\r\nk=1\r\n[B]\r\nx=1\r\n",
         "A", nullptr, nullptr, "\xEF\xBB\xBF[B]\r\nx=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(f, c.original);
        EXPECT_NE(WritePrivateProfileStringA(c.section, c.key, c.value, f.c_str()), 0);
        EXPECT_EQ(ReadAll(f), c.expected);
        if (c.key && c.value) {
            EXPECT_EQ(ProfileString(c.section, c.key, "<absent>", f),
                      std::string(c.value) == "a\r\nb" ? "a  b" : c.value);
        }
    }
    WriteAll(f, "[A]\rk=1\r[B]\nb=1");
    EXPECT_NE(WritePrivateProfileSectionA("A", "x=1\0y=2\0", f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), "[A]\rx=1\r\ny=2\r\n[B]\nb=1\r\n");
}

TEST(Profile, WriteCreatesFileAndSection) {
    TempDir dir;
    std::string f = dir.file("new.ini");
    EXPECT_TRUE(WriteProfileString("Sec", "Key", "Value", f));
    EXPECT_TRUE(WriteProfileString("Sec", "Two", "2", f));
    EXPECT_TRUE(WriteProfileString("Next", "K", "", f));
    EXPECT_EQ(ReadAll(f), "[Sec]\r\nKey=Value\r\nTwo=2\r\n[Next]\r\nK=\r\n");
    EXPECT_TRUE(DeleteProfileKey("Sec", "Key", f));
    EXPECT_TRUE(DeleteProfileKey("Gone", "Key", f));
    EXPECT_EQ(ReadAll(f), "[Sec]\r\nTwo=2\r\n[Next]\r\nK=\r\n");
    // A missing folder is not created.
    EXPECT_FALSE(WriteProfileString("S", "K", "V", dir.file("no/such.ini")));
}

TEST(Profile, FileNameResolvedWithoutCase) {
    TempDir dir;
    WriteAll(dir.file("Cassa.txt"), "[P0]\r\nA=1\r\n");
    EXPECT_EQ(ProfileString("P0", "A", "", dir.file("CASSA.TXT")), "1");
    EXPECT_TRUE(WriteProfileString("P0", "B", "2", dir.file("cassa.txt")));
    EXPECT_EQ(ReadAll(dir.file("Cassa.txt")), "[P0]\r\nA=1\r\nB=2\r\n");
    EXPECT_FALSE(testsupport::Exists(dir.file("cassa.txt")));
}

TEST(Profile, WriteSectionReplacesBody) {
    TempDir dir;
    std::string f = dir.file("s.ini");
    WriteAll(f, "[A]\r\nold=1\r\n;note\r\nold2=2\r\n\r\n[B]\r\nb=1\r\n");
    const char data[] = "k1 = v1\0k2=v2\0";
    EXPECT_NE(WritePrivateProfileSectionA("a", data, f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), "[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[B]\r\nb=1\r\n");
    EXPECT_NE(WritePrivateProfileSectionA("C", "c=3\0", f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), "[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[B]\r\nb=1\r\n[C]\r\nc=3\r\n");
    EXPECT_NE(WritePrivateProfileSectionA("B", nullptr, f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), "[A]\r\nk1=v1\r\nk2=v2\r\n\r\n[C]\r\nc=3\r\n");
    auto pairs = ProfileSection("a", f);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"k1", "v1"}));
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"k2", "v2"}));
}

TEST(Profile, RepeatedSectionsAndKeys) {
    TempDir dir;
    std::string f = dir.file("r.ini");
    WriteAll(f, "[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nz=4\r\n");
    EXPECT_TRUE(WriteProfileString("S", "k", "9", f));
    EXPECT_EQ(ReadAll(f), "[S]\r\nk=9\r\nK=2\r\n[s]\r\nk=3\r\nz=4\r\n");
    auto pairs = ProfileSection("S", f);  // every line of the first section
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].second, "2");
    // Deleting a key removes every copy of it in the section, so that an
    // older copy does not come back.
    EXPECT_TRUE(DeleteProfileKey("S", "K", f));
    EXPECT_FALSE(ProfileHasKey("S", "k", f));
    // Deleting a section removes every copy of it.
    EXPECT_NE(WritePrivateProfileStringA("S", nullptr, nullptr, f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), "");
}

TEST(Profile, Cp1252BytesAndCaseOfAccentedNames) {
    TempDir dir;
    std::string f = dir.file("c.ini");
    EXPECT_TRUE(WriteProfileString("Caf\xE9", "Pr\xC9", "\x80 1,50", f));
    EXPECT_EQ(ProfileString("CAF\xC9", "pr\xE9", "", f), "\x80 1,50");
    EXPECT_EQ(ReadAll(f), "[Caf\xE9]\r\nPr\xC9=\x80 1,50\r\n");
}

// In the file, spaces, tabs and vertical tabs are trimmed around keys, values
// and section names, before a header and before a comment; the arguments lose
// their spaces only. The reader of many keys gives the same answers, and so
// do the lines of an open batch, and a section of many keys.
TEST(Profile, BlanksInTheFileSpacesInTheArguments) {
    TempDir dir;
    std::string f = dir.file("t.ini");
    for (int pass = 0; pass < 4; ++pass) {
        SCOPED_TRACE(pass);
        std::string many;
        for (int n = 0; pass >= 2 && n < 20; ++n) many += "x" + std::to_string(n) + "=\r\n";
        WriteAll(f,
                 "[S]\r\n"
                 "K\t=tab\r\n"
                 "K=space\r\n"
                 "\tL = tabbed\r\n"
                 "V=\tx\t\r\n"
                 "\vW\v=\v\"q\"\v\r\n"
                 "F\f=ff\r\n"
                 "\t;C=comment\r\n"
                 "\v ;D=comment\r\n" + many +
                 "\t [\tT\v]\r\n"
                 "k=tab section\r\n"
                 "[ U ]\r\n"
                 "k=u\r\n"
                 "\v[\vV ; \t\r\n"
                 "k=open\r\n");
        std::optional<ProfileBatch> batch;
        if (pass % 2) batch.emplace(f);
        struct Case {
            const char* section;
            const char* key;
            const char* expected;
        } cases[] = {
            {"S", "K", "tab"},         {"  S  ", "  K  ", "tab"},    {"S", "K\t", "def"},
            {"S", "L", "tabbed"},      {"S", "\tL", "def"},          {"S\t", "K", "def"},
            {"\tS", "K", "def"},       {"S", "K\v", "def"},          {"S", "K\f", "def"},
            {"S", "K\r", "def"},       {"S", "K\n", "def"},          {"S", "\nK", "def"},
            {"S", "V", "x"},           {"S", "W", "q"},              {"S", "F\f", "ff"},
            {"S", "F", "def"},         {"S", ";C", "def"},           {"S", "C", "def"},
            {"S", ";D", "def"},        {"T", "k", "tab section"},    {"\tT\t", "k", "def"},
            {" U ", "K", "u"},         {"V ;", "k", "open"},
        };
        ProfileReader reader(f);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::PrintToString(std::string(c.section) + "/" + c.key));
            char buf[32];
            EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, "def", buf, sizeof buf, f.c_str()),
                      std::strlen(c.expected));
            EXPECT_STREQ(buf, c.expected);
            std::string value;
            EXPECT_EQ(reader.Get(c.section, c.key, value), std::string(c.expected) != "def");
            if (std::string(c.expected) != "def") {
                EXPECT_EQ(value, c.expected);
            }
        }
    }
    // Only trailing spaces leave the default.
    char buf[32];
    EXPECT_EQ(GetPrivateProfileStringA("S", "none", " d \t  ", buf, sizeof buf, f.c_str()), 4u);
    EXPECT_STREQ(buf, " d \t");
}

// A line ends at CR LF, CR or LF, whichever the file uses, also mixed.
TEST(Profile, LinesEndInCrLfCrOrLf) {
    TempDir dir;
    std::string f = dir.file("e.ini");
    const char* files[] = {
        "[A]\r\nk=1\r\n[B]\r\nk=2\r\n",
        "[A]\rk=1\r[B]\rk=2\r",
        "[A]\nk=1\n[B]\nk=2\n",
        "[A]\rk=1\n\n[B]\r\n\rk=2",
    };
    for (const char* content : files) {
        SCOPED_TRACE(testing::PrintToString(std::string(content)));
        WriteAll(f, content);
        EXPECT_EQ(ProfileString("A", "k", "", f), "1");
        EXPECT_EQ(ProfileString("B", "k", "", f), "2");
        char buf[32];
        EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, f.c_str()), 4u);
        EXPECT_EQ(std::string(buf, 5), std::string("A\0B\0\0", 5));
        EXPECT_EQ(GetPrivateProfileSectionA("A", buf, sizeof buf, f.c_str()), 4u);
        EXPECT_EQ(std::string(buf, 5), std::string("k=1\0\0", 5));
    }
}

// A header ends at its first "]"; one without "]" still opens its section.
TEST(Profile, SectionHeaders) {
    TempDir dir;
    std::string f = dir.file("h.ini");
    WriteAll(f,
             "[A]B]\r\na=1\r\n"
             "[C\r\nc=1\r\n"
             "  [ D ; x \r\nd=1\r\n"
             "[E]]\r\ne=1\r\n"
             "[]\r\nz=1\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"A", "a", "1"}, {"A]B", "a", "def"}, {"C", "c", "1"},   {"C", "d", "def"},
        {"D ; x", "d", "1"}, {"E", "e", "1"}, {"E]", "e", "def"}, {"", "z", "1"},
    };
    for (bool batched : {false, true}) {
        std::optional<ProfileBatch> batch;
        if (batched) batch.emplace(f);
        for (const Case& c : cases)
            EXPECT_EQ(ProfileString(c.section, c.key, "def", f), c.expected) << c.section << "/" << c.key << batched;
    }
    char buf[64];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, f.c_str()), 12u);
    EXPECT_EQ(std::string(buf, 13), std::string("A\0C\0D ; x\0E\0\0", 13));  // empty name left out
}

// A line with an empty key name comes back from the section read as "=value";
// the key list leaves it out, as an empty item would end the list there.
TEST(Profile, EmptyKeyNames) {
    TempDir dir;
    std::string f = dir.file("k.ini");
    WriteAll(f, "[S]\r\n=value\r\n \t=  spaced \v\r\nk=v\r\n==x\r\n\tbare \r\n");
    char buf[64];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSectionA("S", buf, sizeof buf, f.c_str()), 28u);
    EXPECT_EQ(std::string(buf, 30), std::string("=value\0=spaced\0k=v\0==x\0bare\0\0X", 30));
    EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "", buf, sizeof buf, f.c_str()), 2u);
    EXPECT_EQ(std::string(buf, 3), std::string("k\0\0", 3));
    EXPECT_EQ(ProfileString("S", "", "def", f), "value");
}

// Writes that must give FALSE leave the file as it was; deletes of what is
// not there succeed and create nothing.
TEST(Profile, WritesThatFailAndDeletesThatNeedNothing) {
    TempDir dir;
    std::string f = dir.file("n.ini");
    const std::string original = "[S]\r\nk=1";
    struct Refused {
        const char* section;
        const char* key;
        const char* value;
    } refused[] = {
        {nullptr, nullptr, nullptr},  // all three null
        {nullptr, "k", "v"},
        {"A]B", "k", "v"},   {"A\rB", "k", "v"}, {"A\nB", "k", "v"}, {"S", "k=x", "v"},
        {"S", "[k", "v"},    {"S", ";k", "v"},   {"S", "k\r", "v"},  {"S", "k\nx", "v"},
        // names whose edges the file trims away
        {"a\t", "k", "v"},   {"\vA", "k", "v"}, {"S", "k\t", "v"},  {"S", "\v", "v"},
        {"S", "\t;k", "v"},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.section ? c.section : "(null)") + "/" +
                                            (c.key ? c.key : "(null)")));
        WriteAll(f, original);
        EXPECT_EQ(WritePrivateProfileStringA(c.section, c.key, c.value, f.c_str()), 0);
        EXPECT_EQ(ReadAll(f), original);
        EXPECT_EQ(WritePrivateProfileStringA(c.section, c.key, c.value, dir.file("none.ini").c_str()), 0);
        EXPECT_FALSE(testsupport::Exists(dir.file("none.ini")));
    }
    EXPECT_EQ(WritePrivateProfileSectionA("S", "a=1\0[X]=2\0", f.c_str()), 0);
    EXPECT_EQ(WritePrivateProfileSectionA("S", "a=1\0\t[X]=2\0", f.c_str()), 0);
    EXPECT_EQ(WritePrivateProfileSectionA("S]", "a=1\0", f.c_str()), 0);
    EXPECT_EQ(ReadAll(f), original);

    EXPECT_EQ(WritePrivateProfileSectionA(nullptr, "a=1\0", dir.file("none.ini").c_str()), 0);
    EXPECT_FALSE(testsupport::Exists(dir.file("none.ini")));
}

// A deletion from a missing file succeeds and leaves an empty file there; in
// a missing folder it cannot, and fails.
TEST(Profile, DeletionFromAMissingFileLeavesAnEmptyFile) {
    TempDir dir;
    const std::string missing = dir.file("gone.ini"), nowhere = dir.file("no/such/gone.ini");
    const std::function<int(const char*)> deletions[] = {
        [](const char* f) { return WritePrivateProfileStringA("S", "k", nullptr, f); },
        [](const char* f) { return WritePrivateProfileStringA("S", nullptr, nullptr, f); },
        [](const char* f) { return WritePrivateProfileStringA("S", nullptr, "v", f); },
        [](const char* f) { return WritePrivateProfileSectionA("S", nullptr, f); },
        [](const char* f) { return DeleteProfileKey("S", "k", f) ? 1 : 0; },
    };
    int n = 0;
    for (const auto& deletion : deletions) {
        SCOPED_TRACE(n++);
        std::filesystem::remove(missing);
        EXPECT_NE(deletion(missing.c_str()), 0);
        EXPECT_TRUE(testsupport::Exists(missing));
        EXPECT_EQ(ReadAll(missing), "");
        EXPECT_NE(deletion(missing.c_str()), 0);  // from the empty file: nothing to write
        EXPECT_EQ(ReadAll(missing), "");
        EXPECT_EQ(deletion(nowhere.c_str()), 0);
        EXPECT_FALSE(testsupport::Exists(dir.file("no")));
    }
}

// The section names of a missing file: one NUL, the rest of the buffer as it
// was; an existing file without sections gives the empty list's two NULs.
TEST(Profile, SectionNamesOfAMissingFile) {
    TempDir dir;
    WriteAll(dir.file("empty.ini"), "k=1\r\n");
    for (const auto& [file, want] : {std::pair{"none.ini", "\0XX"}, std::pair{"empty.ini", "\0\0X"}}) {
        SCOPED_TRACE(file);
        char buf[8];
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "def", buf, sizeof buf, dir.file(file).c_str()), 0u);
        EXPECT_EQ(std::string(buf, 3), std::string(want, 3));
    }
}

// Whatever a write accepts reads back by the names it was given, whatever
// the file's line ends, headers and case.
TEST(Profile, EveryAcceptedWriteReadsBack) {
    TempDir dir;
    std::string f = dir.file("r.ini");
    const char* files[] = {"", "[A]\r\nk=1\r", "[A]\rk=1", "[a]\nK=1\n", "x=1\r[A", ";c\r\n[A]]\r\n[A]\nk=9"};
    struct Write {
        const char* section;
        const char* key;
        const char* value;
        const char* readsBack;
    } writes[] = {
        {"A", "k", "2", "2"},           {"B", "k", "v", "v"},          {"A", "new", "n", "n"},
        {"a\tb", "k\vl", "t", "t"},     {" A ", " K ", " s ", "s"},    {"[A", "k]", "b", "b"},
        {"A", "a;b", "\"q\"", "q"},     {"", "k", "e", "e"},           {"A", "", "e", "e"},
        {"A", "\f", "v", "v"},          {"A", "k", "x\r\ny", "x  y"},
    };
    for (const char* content : files) {
        for (const Write& w : writes) {
            SCOPED_TRACE(testing::PrintToString(std::string(content) + " | " + w.section + "/" + w.key));
            WriteAll(f, content);
            ASSERT_NE(WritePrivateProfileStringA(w.section, w.key, w.value, f.c_str()), 0);
            EXPECT_EQ(ProfileString(w.section, w.key, "<absent>", f), w.readsBack);
        }
    }
}

// A write that cannot be completed (a disk that fills up, a folder that takes
// no file) gives FALSE and leaves the old file whole, with no leftover.
TEST(Profile, FailedWriteLeavesTheOldFile) {
    TempDir dir;
    std::string f = dir.file("full.ini");
    const std::string original = "[S]\r\nk=1\r\n";
    WriteAll(f, original);
    // The disk is full after 64 bytes: the new file cannot be written.
    int written = -1, section = -1;
    childtest::WithFileLimit(64, [&] {
        written = WritePrivateProfileStringA("S", "k", std::string(100, 'v').c_str(), f.c_str());
        std::string data = std::string(100, 'x') + "=1";
        data += '\0';  // c_str() adds the list's closing NUL
        section = WritePrivateProfileSectionA("T", data.c_str(), f.c_str());
    });
    EXPECT_EQ(written, 0);
    EXPECT_EQ(section, 0);
    EXPECT_EQ(ReadAll(f), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left beside it

    // A file that is a folder is never written over.
    std::filesystem::create_directory(dir.file("folder.ini"));
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", dir.file("folder.ini").c_str()), 0);
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", nullptr, dir.file("folder.ini").c_str()), 0);

    if (::geteuid() != 0) {  // root writes into a read-only folder anyway
        std::filesystem::create_directory(dir.file("ro"));
        const std::string ro = dir.file("ro/p.ini");
        WriteAll(ro, original);
        ::chmod(dir.file("ro").c_str(), 0555);
        EXPECT_EQ(WritePrivateProfileStringA("S", "k", "2", ro.c_str()), 0);
        ::chmod(dir.file("ro").c_str(), 0755);
        EXPECT_EQ(ReadAll(ro), original);
    }
}
