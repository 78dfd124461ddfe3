#include "transfers/logo.h"

#include <algorithm>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "platform/files.h"
#include "transfers/bulk_transfer.h"
#include "store/table_file.h"

LogoGlobals Logo;

namespace {

constexpr size_t kPixelOffset = 62;  // 14 + 40 header bytes and two colours
constexpr int k7DotRow = 62;         // ceil(432 / 7)
constexpr size_t k7FileRow = 54;     // bytes of a 7-dot row the logo transfer sends

bool EightDotModel() {
    const std::string& m = ConfigLevel.CashType();
    return m == "DRAVO57" || m == "TIMBREL" || m == "NAVOSK" || m == "ZANDORE" || m == "MERIDOTAN";
}

uint8_t Reverse(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1 << i)) r = static_cast<uint8_t>(r | (0x80 >> i));
    return r;
}

bool Refuse(const std::string& why) {
    Logo.strLastError = why;
    if (Core.bInteractive) CurrentShell().MsgBox("ConvBitmap - " + why, "");
    CurrentShell().SetPGBValue(-1);
    return false;
}

}  // namespace

int32_t CharsToLong(const std::string& text, int n) {
    uint32_t v = 0;
    for (int i = std::min<int>(n, static_cast<int>(text.size())) - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(text[static_cast<size_t>(i)]);
    return static_cast<int32_t>(v);
}

void InitBitmap() {
    const std::string& m = ConfigLevel.CashType();
    const bool small = m == "DRAVO57" || m == "TIMBREL";
    Logo.nLogoWidth = small ? 288 : 432;
    Logo.nLogoHeight = small ? 144 : 187;
    Logo.nLogoBytes = small ? 36 : 54;
    Logo.strBitmapBin = tables::TablePath("Bitmap.bin");
    Logo.strBitmapBxx = tables::TablePath("Bitmap.bxx");
    Bulk.strBitmapFile = Logo.strBitmapBin;
}

std::string ConvBitmapRows(const std::string& image, int rows, int bytesPerRow) {
    std::string out(static_cast<size_t>(rows) * k7DotRow, '\0');
    for (int r = 0; r < rows; ++r) {
        int bit = 0;
        for (int c = 0; c < bytesPerRow; ++c) {
            const uint8_t b = static_cast<uint8_t>(image[static_cast<size_t>(r * bytesPerRow + c)]);
            for (int k = 0; k < 8 && bit / 7 < k7DotRow; ++k, ++bit) {
                char& o = out[static_cast<size_t>(r * k7DotRow + bit / 7)];
                if (b & (1 << k))
                    o = static_cast<char>(o | (1 << (bit % 7)));
                else
                    o = static_cast<char>(o & ~(1 << (bit % 7)));
            }
        }
    }
    return out;
}

bool ConvertLogo(const std::string& file, std::string& bxx, std::string& bin, std::string& why, bool progress) {
    bxx.clear();
    bin.clear();
    std::string bmp;
    auto refuse = [&why](const std::string& text) {
        why = text;
        return false;
    };
    if (file.empty() || !platform::ReadFile(file, bmp)) return refuse("File not found: " + file);
    // A 1-bit, uncompressed, bottom-up Windows bitmap, whole.
    if (bmp.size() < kPixelOffset || bmp.compare(0, 2, "BM") != 0) return refuse("Not a bitmap: " + file);
    const int32_t W = CharsToLong(bmp.substr(18), 4);
    const int32_t H = CharsToLong(bmp.substr(22), 4);
    if (CharsToLong(bmp.substr(28), 2) != 1 || CharsToLong(bmp.substr(30), 4) != 0)
        return refuse("Not a black-and-white bitmap: " + file);
    if (W <= 0 || H <= 0 || W > 65535 || H > 65535) return refuse("Bad picture size: " + file);
    const int32_t offset = std::max<int32_t>(CharsToLong(bmp.substr(10), 4), kPixelOffset);
    // Rows of ceil(W / 8) bytes padded to a multiple of 4; dots past the
    // width in the last byte are blank.
    const size_t rowBytes = static_cast<size_t>((W + 7) / 8);
    const size_t L = (rowBytes + 3) / 4 * 4;
    if (bmp.size() < static_cast<size_t>(offset) + L * static_cast<size_t>(H))
        return refuse("The bitmap is cut short: " + file);

    const int B = Logo.nLogoBytes;
    const int R = std::min<int32_t>(H, Logo.nLogoHeight);
    if (progress) CurrentShell().SetPGBRange(1, static_cast<int16_t>(R));
    const size_t start = static_cast<size_t>(offset) + L * static_cast<size_t>(H - R);
    std::string image(static_cast<size_t>(R) * B, '\0');
    bxx.reserve(image.size());
    const uint8_t lastMask = W % 8 ? static_cast<uint8_t>(0xFF << (8 - W % 8)) : 0xFF;
    for (int r = 1; r <= R; ++r) {
        if (progress) CurrentShell().SetPGBValue(static_cast<int16_t>(r));
        const size_t row = start + static_cast<size_t>(r - 1) * L;
        for (int c = 0; c < B; ++c) {
            uint8_t v = 0;
            if (static_cast<size_t>(c) < rowBytes) {
                uint8_t px = static_cast<uint8_t>(~static_cast<uint8_t>(bmp[row + static_cast<size_t>(c)]));
                if (static_cast<size_t>(c) == rowBytes - 1) px &= lastMask;
                v = Reverse(px);
            }
            bxx += static_cast<char>(v);
            image[static_cast<size_t>(R - r) * B + static_cast<size_t>(c)] = static_cast<char>(v);
        }
    }
    bin = image;
    if (!EightDotModel()) {
        // 7-dot rows of 62 bytes; the logo transfer sends rows of 54 bytes
        // (378 dots): each row's first 54 bytes, so that every row starts
        // at the paper's left edge.
        const std::string rows = ConvBitmapRows(image, R, B);
        bin.clear();
        for (int r = 0; r < R; ++r) bin += rows.substr(static_cast<size_t>(r) * k7DotRow, k7FileRow);
    }
    return true;
}

int LogoDotsPerByte() { return EightDotModel() ? 8 : 7; }

bool ConvBitmap() {
    Logo.strLastError.clear();
    std::string bxx, bin, why;
    if (!ConvertLogo(Logo.strIconBmp, bxx, bin, why, true)) return Refuse(why);
    const bool ok = tables::WriteWholeFile("ConvBitmap", Logo.strBitmapBxx, bxx, tables::Report::MsgBox) &&
                    tables::WriteWholeFile("ConvBitmap", Logo.strBitmapBin, bin, tables::Report::MsgBox);
    CurrentShell().SetPGBValue(-1);
    if (!ok) Logo.strLastError = "The logo files cannot be written";
    return ok;
}
