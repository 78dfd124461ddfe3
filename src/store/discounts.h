#pragma once
// Discounts and surcharges, ScoMag.txt (record n = entry n, nMaxScoMag
// records), and stamps, Bollini.txt (record n = stamp n, nMaxBollini records).
#include <cstdint>

#include "core/record.h"

struct ScoMagRec {
    tables::Fixed<2> number;  // "00"
    tables::Fixed<3> P421;    // option flags, "000"
    tables::Fixed<8> P423;
    tables::Fixed<8> P422;
    tables::Fixed<30> P420;   // description
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(ScoMagRec) == 53);

struct BollinoRec {
    tables::Fixed<1> number;   // "0"
    tables::Fixed<1> P430;
    tables::Fixed<6> P431[4];  // 0 to 999999, "000000" each
    tables::Fixed<3> P432[4];  // 0 to 999, "000" each
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(BollinoRec) == 40);

inline constexpr const char* kScoMagFile = "ScoMag.txt";
inline constexpr const char* kBolliniFile = "Bollini.txt";

// Entry or stamp n; a file error shows "GetScoMag - " (and so on) with the
// description (interactive runs) and gives false.
bool GetScoMag(int16_t n, ScoMagRec& rec);
bool SaveScoMag(int16_t n, ScoMagRec& rec);
bool GetBollino(int16_t n, BollinoRec& rec);
bool SaveBollino(int16_t n, BollinoRec& rec);

// Default-file writers (also declared in store/create_tables.h).
bool CreateScoMag();
bool CreateBollino();
