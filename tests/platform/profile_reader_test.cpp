#include "platform/profile.h"

#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <optional>

using platform::ProfileReader;

namespace {

// The reader must give what a single read of the key gives, key by key.
TEST(ProfileReader, AgreesWithTheSingleRead) {
    testsupport::TempDir dir;
    const std::string file = dir.file("p.ini");
    testsupport::WriteAll(file,
                          "[Main]\r\nName = Alpha \r\nQuoted=\"  spaced  \"\r\nDup=first\r\n"
                          "dup=second\r\nEmpty=\r\nNoEquals\r\nnoequals=later\r\n"
                          "\xC9t\xE9=accent\r\n;Hidden=1\r\nTab\t=tab\r=empty name\r"
                          "[ Other ]\r\nk=other\r\n"
                          "[main]\r\nLate=hidden\r\n[Odd]x]\rk=odd\r[Open\nk=open\nlast=no end");
    ProfileReader reader(file);
    const std::pair<const char*, const char*> keys[] = {
        {"Main", "Name"},   {"MAIN", "quoted"},   {"Main", "DUP"},    {"Main", "Empty"},
        {"Main", "NoEquals"}, {"Main", "\xE9T\xC9"}, {"Main", "Hidden"}, {"Main", "Late"},
        {"other", "K"},     {"Missing", "k"},     {"Main", "absent"},
        {"Main", "Tab\t"}, {"Main", "Tab"},      {"Main", ""},       {"Main", "Name\r"},
        {"Main", "Name\t"}, {"Odd", "k"},        {"Odd]x", "k"},     {"Open", "k"},
        {"Open", "last"},
    };
    for (const auto& [section, key] : keys) {
        SCOPED_TRACE(testing::PrintToString(std::string(section) + " " + key));
        std::string value = "unchanged";
        const bool found = reader.Get(section, key, value);
        EXPECT_EQ(found, platform::ProfileHasKey(section, key, file));
        if (found) EXPECT_EQ(value, platform::ProfileString(section, key, "", file));
        else EXPECT_EQ(value, "unchanged");
    }
}

TEST(ProfileReader, ReadsTheFileOnceAndCutsLongValues) {
    testsupport::TempDir dir;
    const std::string file = dir.file("p.ini");
    testsupport::WriteAll(file, "[A]\r\nlong=" + std::string(200, 'x') + "\r\n[B]\r\nk=old\r\n");
    ProfileReader reader(file);
    std::string value;
    ASSERT_TRUE(reader.Get("A", "long", value));
    EXPECT_EQ(value, std::string(127, 'x'));
    ASSERT_TRUE(reader.Get("A", "long", value, 5));
    EXPECT_EQ(value, "xxxxx");
    // A change made while the reader lives is not seen, in any section.
    platform::WriteProfileString("B", "k", "new", file);
    ASSERT_TRUE(reader.Get("B", "k", value));
    EXPECT_EQ(value, "old");

    ProfileReader none(dir.file("missing.ini"));
    EXPECT_FALSE(none.Get("A", "long", value));
    ProfileReader unnamed("");
    EXPECT_FALSE(unnamed.Get("A", "long", value));
}

}  // namespace
