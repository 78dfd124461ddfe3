#pragma once
// The bulk raw transfers: the fast PLU send and the logo send. Both greet
// every selected register on the current line, announce the transfer, stream
// raw frames (one PLU record or one logo row each, never acknowledged) to
// all of them at once, and ask with a "?" query how many records each holds,
// rewinding when one fell behind. The main timer runs them whole inside one
// tick of its state 4.
#include <array>
#include <cstdint>
#include <string>

#include "store/plu.h"

// One register of the line, for one transfer.
struct BroadRec {
    int16_t defined = 0;
    int16_t selected = 0;  // enabled and on the current port (batch: the open register)
    int16_t ok = 0;        // answered the hello and still takes part
    int16_t announced = 0; // took the announcement: its keyboard is locked until the closing pass
    int16_t address = 0;   // station address
    int16_t state = 0;     // LinkState.nState when the transfer started
    int16_t status = 0;    // hello status word 0
};

struct BulkGlobals {
    std::array<BroadRec, 16> BroadList{};
    std::string strFastPLUFile;  // the copy of the PLU file that is sent (FastPLU.txt)
    std::string strBitmapFile;   // Bitmap.bin of the logo conversion
};
extern BulkGlobals Bulk;

inline constexpr const char* kFastPLUFile = "FastPLU.txt";
// The announcement of the fast PLU send, and of the logo send (with the
// number of rows behind it).
inline constexpr const char* kFastPLUToken = "#z";
inline constexpr const char* kIconToken = "#u";
// The most records one bulk send can carry: a register answers the
// transfer's query with the count of records it took in five digits.
inline constexpr int32_t kBulkMaxRecords = 99999;
// Times the logo is sent whole to a register that keeps falling behind
// before that register is dropped.
inline constexpr int kIconRepeats = 3;

// True when at least one register took part.
bool GestSendPLU();
bool GestSendIco();
// The raw payload of one PLU for the open register; false (payload empty)
// when a field does not fit its bytes: the code is longer than the
// register's code length, or (LX4100) a number is outside one byte.
std::string FormatPLURec(const PLURec& rec);
// The check of a record for the bulk send: TestPLU, then the raw encoding's
// limits (2 code too long, 7 discount outside one byte, 11 multiple
// function outside one byte). 0 when it can go.
int16_t TestFastPLU(const PLURec& rec);

// Prepares the fast PLU send of records from..to (to -1: to the end) of the
// open register's PLU file: the copy FastPLU.txt in the register folder,
// the range and LinkState.bSendPLU. False when the copy cannot be made.
bool PrepareFastPLU(int32_t from, int32_t to);
// Bytes of one row of the logo bitmap (Bitmap.bin) for the model.
int IconRowLength();
