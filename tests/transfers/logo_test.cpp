#include "transfers/logo.h"

#include <gtest/gtest.h>

#include <string>

#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"
#include "common/logo_bitmap.h"
#include "transfers/bulk_transfer.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class LogoTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strCashDir = dir.file("Cassa1");
        platform::MakeDir(Core.strCashDir);
        Core.bInteractive = false;
    }
    bool Convert(int16_t model, const std::string& bmp) {
        ConfigLevel.InitOffLine(model, "V014057");
        InitBitmap();
        Logo.strIconBmp = dir.file("logo.bmp");
        WriteAll(Logo.strIconBmp, bmp);
        return ConvBitmap();
    }
    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
};

TEST_F(LogoTest, RowsAreFlippedInvertedAndMirroredPerModel) {
    // ZANDORE, 432 x 187: a dot at the left edge of the top row, the bottom
    // row all black.
    auto pattern = [](int x, int y) { return (x == 0 && y == 0) || y == 186; };
    ASSERT_TRUE(Convert(11, logotest::Bitmap(432, 187, pattern)));
    const std::string bin = ReadAll(dir.file("Cassa1/Bitmap.bin"));
    const std::string bxx = ReadAll(dir.file("Cassa1/Bitmap.bxx"));
    ASSERT_EQ(bin.size(), 10098u);
    ASSERT_EQ(bxx.size(), 10098u);
    EXPECT_EQ(bin[0], '\x01');  // bit 0 is the leftmost dot
    EXPECT_EQ(bin.substr(1, 53), std::string(53, '\0'));
    EXPECT_EQ(bin.substr(186 * 54), std::string(54, '\xFF'));
    for (int r = 0; r < 187; ++r)
        ASSERT_EQ(bxx.substr(static_cast<size_t>(r) * 54, 54), bin.substr(static_cast<size_t>(186 - r) * 54, 54));
    EXPECT_EQ(Bulk.strBitmapFile, dir.file("Cassa1/Bitmap.bin"));

    // 384 wide: 48 bytes of picture and 6 blank ones a row.
    ASSERT_TRUE(Convert(11, logotest::Bitmap(384, 187, [](int, int) { return true; })));
    EXPECT_EQ(ReadAll(dir.file("Cassa1/Bitmap.bin")).substr(0, 54), std::string(48, '\xFF') + std::string(6, '\0'));

    // DRAVO57, 288 x 200: the 56 bottom rows are dropped.
    ASSERT_TRUE(Convert(3, logotest::Bitmap(288, 200, [](int, int y) { return y >= 144; })));
    EXPECT_EQ(ReadAll(dir.file("Cassa1/Bitmap.bin")), std::string(144 * 36, '\0'));

    // LX4100, all black: 7-dot bytes of 127; the file takes the first 54
    // bytes (378 dots) of each 62-byte row, so that every row starts at the
    // left edge of the paper.
    ASSERT_TRUE(Convert(1, logotest::Bitmap(432, 187, [](int, int) { return true; })));
    const std::string seven = ReadAll(dir.file("Cassa1/Bitmap.bin"));
    ASSERT_EQ(seven.size(), 187u * 54);
    EXPECT_EQ(seven, std::string(187 * 54, '\x7F'));
    // A dot at the left edge of every row: the first byte of each record.
    ASSERT_TRUE(Convert(1, logotest::Bitmap(432, 187, [](int x, int) { return x == 0; })));
    std::string edge;
    for (int r = 0; r < 187; ++r) edge += std::string(1, '\x01') + std::string(53, '\0');
    EXPECT_EQ(ReadAll(dir.file("Cassa1/Bitmap.bin")), edge);
}

TEST_F(LogoTest, ABadFileLeavesTheOldLogo) {
    ASSERT_TRUE(Convert(11, logotest::Bitmap(432, 187, [](int, int) { return false; })));
    const std::string before = ReadAll(dir.file("Cassa1/Bitmap.bin"));
    const std::string good = logotest::Bitmap(432, 187, [](int, int) { return true; });
    std::string eightBit = good;
    eightBit[28] = 8;
    for (const std::string& bad : {good.substr(0, good.size() - 1), std::string("GIF89a"),
                                    std::string(), eightBit}) {
        EXPECT_FALSE(Convert(11, bad));
        EXPECT_FALSE(Logo.strLastError.empty());
        EXPECT_EQ(ReadAll(dir.file("Cassa1/Bitmap.bin")), before);
    }
    Core.bInteractive = true;
    EXPECT_FALSE(Convert(11, "BM"));
    ASSERT_EQ(shell->msgBoxes.size(), 1u);
    EXPECT_EQ(shell->msgBoxes[0].text.substr(0, 13), "ConvBitmap - ");
}

}  // namespace
