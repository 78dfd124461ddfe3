#pragma once
// Price/weight codes, PrezPeso.txt: eleven 8-digit barcode codes (record n =
// slot n).
#include <cstdint>

#include "core/record.h"

struct PrzPesoRec {
    tables::Fixed<2> number;  // slot, "00"
    tables::Fixed<8> code;    // "00000000"
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(PrzPesoRec) == 12);

inline constexpr const char* kPrezPesoFile = "PrezPeso.txt";
inline constexpr int kPrzPesoSlots = 11;

// Slot n; a file error shows "GetPrzPeso - " or "SavePrzPeso - " with the
// description (interactive runs) and gives false.
bool GetPrzPeso(int16_t n, PrzPesoRec& rec);
bool SavePrzPeso(int16_t n, PrzPesoRec& rec);
// Default-file writer (also declared in store/create_tables.h).
bool CreatePrzPeso();
