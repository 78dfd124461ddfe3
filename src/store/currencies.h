#pragma once
// Currencies, Valute.txt (record n = currency n, nMaxValute records), and
// change loading, RResto.txt (record n = denomination n, nMaxRResto records).
#include <cstdint>

#include "core/record.h"

struct ValutaRec {
    tables::Fixed<1> number;  // "0"
    tables::Fixed<15> P530;   // exchange rate "000000.00000000", the system's decimal separator
    tables::Fixed<1> P532;
    tables::Fixed<8> P531;    // name
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(ValutaRec) == 27);

struct RRestoRec {
    tables::Fixed<1> number;  // denomination index, "0"
    tables::Fixed<3> pieces;  // "000"
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(RRestoRec) == 6);

inline constexpr const char* kValuteFile = "Valute.txt";
inline constexpr const char* kRRestoFile = "RResto.txt";

// Currency or denomination n; a file error shows "GetValuta - " (and so on)
// with the description (interactive runs) and gives false.
bool GetValuta(int16_t n, ValutaRec& rec);
bool SaveValuta(int16_t n, ValutaRec& rec);
bool GetRResto(int16_t n, RRestoRec& rec);
bool SaveRResto(int16_t n, RRestoRec& rec);

// Default-file writers (also declared in store/create_tables.h).
bool CreateValuta();
bool CreateRResto();
