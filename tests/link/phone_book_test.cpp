// The phone book in PhoneBook.ini: finding entries by name and key, deleted
// entries and entries edited by hand.
#include <gtest/gtest.h>

#include "common/tempdir.h"
#include "core/globals.h"
#include "link/phone_book.h"

namespace {

class PhoneBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Core;
        Core.strPhoneBookIni = dir.file("PhoneBook.ini");
    }
    void TearDown() override { Core = saved; }
    void Book(const std::string& entries) {
        testsupport::WriteAll(Core.strPhoneBookIni, "[PhoneBook]\r\n" + entries);
    }
    testsupport::TempDir dir;
    CoreGlobals saved;
};

TEST_F(PhoneBookTest, EntriesAreFoundByNameAndByKey) {
    Book("1=A|111\r\n2=|\r\n3=A|333\r\n4=B| 444 \"\r\n5=Counter\r\n7=Lost|777\r\n");
    const struct {
        const char* name;
        const char* number;
        int16_t index;
    } byName[] = {
        {"A", "111", 1},      // the first of two of that name
        {"", "", 2},          // the first deleted entry
        {"B", "444 \"", 4},   // trimmed
        {"Counter", "", 5},   // edited by hand without "|": a name, no number
        {"Z", "", 6},         // none: where a new entry would go (the list ends at 6)
        {"Lost", "", 6},      // beyond the first missing key
    };
    for (const auto& c : byName) {
        int16_t index = -1;
        EXPECT_EQ(GetConnection(c.name, index), c.number) << c.name;
        EXPECT_EQ(index, c.index) << c.name;
    }
    EXPECT_EQ(GetNumber(4), " 444 \"");  // as stored
    EXPECT_EQ(GetNumber(9), "");
    EXPECT_EQ(GetNumber(0), "");
    EXPECT_EQ(GetEntryName(3), "A");
    EXPECT_EQ(GetEntryName(5), "Counter");
    EXPECT_EQ(ReadPhoneBook().size(), 5u);
}

}  // namespace
