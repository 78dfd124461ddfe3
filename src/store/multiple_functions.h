#pragma once
// The multiple functions, FunMul.txt: numbered sequences of up to 60 key
// functions run as one (record n = multiple function n, nMaxFunMul records).
#include <cstdint>

#include "core/record.h"

struct FunMulItem {
    tables::Fixed<2> step;  // step number 01 to 60, "00"
    tables::Fixed<3> code;  // function code, "000"; 0 is an empty step
};
static_assert(sizeof(FunMulItem) == 5);

struct FunMulRec {
    static constexpr int kSteps = 60;
    tables::Fixed<3> number;       // "000"
    tables::Fixed<12> description;
    tables::Fixed<3> flags;        // bits A and B
    FunMulItem Item[kSteps];
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(FunMulRec) == 320);

inline constexpr const char* kFunMulFile = "FunMul.txt";

// Multiple function n; a file error shows "GetFMult - " or "SaveFMult - "
// with the description (interactive runs) and gives false.
bool GetFMult(int16_t n, FunMulRec& rec);
bool SaveFMult(int16_t n, FunMulRec& rec);
// Default-file writer (also declared in store/create_tables.h).
bool CreateFMult();
