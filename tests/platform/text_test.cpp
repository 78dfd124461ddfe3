#include "platform/text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    // Each byte on its own too, so that one table entry cannot hide another.
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    }
}

TEST(Text, KnownMappings) {
    struct Case {
        std::string cp1252;
        std::string utf8;
    } cases[] = {
        {"\x80", "\xE2\x82\xAC"},       // euro sign
        {"\xE0", "\xC3\xA0"},           // a grave
        {"\x81", "\xC2\x81"},           // unassigned: the C1 control of that number
        {"\x9D", "\xC2\x9D"},
        {"\x8A", "\xC5\xA0"},           // S caron
        {"\x99", "\xE2\x84\xA2"},       // trade mark
        {"\x9F", "\xC5\xB8"},           // Y diaeresis
        {"\xA0", "\xC2\xA0"},
        {"Abc", "Abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
    }
}

TEST(Text, OutsideCharactersAndBadUtf8BecomeQuestionMarks) {
    struct Case {
        std::string utf8;
        std::string cp1252;
    } cases[] = {
        {"\xE2\x82\xBD", "?"},           // rouble sign: not in the set
        {"\xC2\x80", "?"},               // U+0080: 0x80 is the euro
        {"\xF0\x9F\x98\x80x", "?x"},     // outside the basic plane
        {"a\xFF" "b", "a?b"},            // stray byte
        {"\xE2\x82" "A", "?A"},          // cut sequence
        {"\xC0\xAF", "??"},              // overlong form
        {"\xED\xA0\x80", "?"},           // surrogate
        {"\xE2", "?"},                   // cut at the end
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
}
