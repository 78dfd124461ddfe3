#pragma once
// Department groups (GrpRep.txt, nMaxGrpRep records) and statistic groups
// (GrpSta.txt, nMaxGrpSta records): a number and a name per group. The same
// record serves the waiters' file (store/operators.h).
#include <cstdint>

#include "core/record.h"

struct NameRec {
    tables::Fixed<2> number;  // "00"
    tables::Fixed<30> name;   // P131 (department groups), P133 (statistic groups), P330 (waiters)
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(NameRec) == 34);

inline constexpr const char* kGrpRepFile = "GrpRep.txt";
inline constexpr const char* kGrpStaFile = "GrpSta.txt";

// Group n; a file error shows "GetGrpRep - " (and so on) with the
// description (interactive runs) and gives false.
bool GetGrpRep(int16_t n, NameRec& rec);
bool SaveGrpRep(int16_t n, NameRec& rec);
bool GetGrpSta(int16_t n, NameRec& rec);
bool SaveGrpSta(int16_t n, NameRec& rec);

// Default-file writers (also declared in store/create_tables.h): numbered
// groups with blank names; a failure shows no message.
bool CreateGrpRep();
bool CreateGrpSta();
