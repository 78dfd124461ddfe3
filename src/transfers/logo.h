#pragma once
// The logo conversion: a black-and-white Windows bitmap (1 bit a pixel)
// becomes the byte image the register's printer takes, in two files of the
// open register's folder: Bitmap.bxx (the converted rows in the order of the
// bitmap file, bottom row first) and Bitmap.bin (the image that is sent,
// top row first; on the older models repacked into 7-dot bytes).
//
// The bitmap is checked before anything is written; a file that is not
// such a bitmap, or is shorter than its header says, leaves both files as
// they were.
#include <cstdint>
#include <string>

struct LogoGlobals {
    int16_t nLogoWidth = 432;    // dots
    int16_t nLogoHeight = 187;   // dots
    int16_t nLogoBytes = 54;     // bytes of a converted row
    std::string strIconBmp;      // the bitmap chosen by the logo editor
    std::string strBitmapBxx;
    std::string strBitmapBin;
    std::string strLastError;    // why the last conversion failed
};
extern LogoGlobals Logo;

// The geometry by model and the names of Bitmap.bin (also
// Bulk.strBitmapFile, which the logo send reads) and Bitmap.bxx.
void InitBitmap();
// Converts Logo.strIconBmp; false when the file is missing, not a 1-bit
// uncompressed bitmap, or cut short (Logo.strLastError says why; shown as
// "ConvBitmap - " and the reason in an interactive run).
bool ConvBitmap();
// The bytes ConvBitmap writes into Bitmap.bxx and Bitmap.bin for the bitmap
// file, without writing them (InitBitmap first); false, with the reason in
// why, when the file is not such a bitmap. progress: the rows on the
// progress bar.
bool ConvertLogo(const std::string& file, std::string& bxx, std::string& bin, std::string& why, bool progress);
// Dots a byte of Bitmap.bin carries on the model: 8, or 7 on the older models.
int LogoDotsPerByte();
// The number whose little-endian bytes are the first n characters.
int32_t CharsToLong(const std::string& text, int n);
// The 8-dot image (rows of bytesPerRow) repacked into 7-dot rows of 62 bytes.
std::string ConvBitmapRows(const std::string& image, int rows, int bytesPerRow);
