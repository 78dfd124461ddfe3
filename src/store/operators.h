#pragma once
// Operators, Operatori.txt (record n = operator n, nMaxOpe records), and
// waiters, Camerieri.txt (record n = waiter n, nMaxCam records, the NameRec
// of store/groups.h).
#include <cstdint>

#include "store/groups.h"
#include "core/record.h"

struct OpeRec {
    tables::Fixed<2> number;   // "00"
    tables::Fixed<3> P320C;    // operator code, "000"
    tables::Fixed<3> P320S;    // secret code, "000"
    tables::Fixed<30> P321;    // name
    tables::Fixed<3> P322[6];  // rights bytes, "000" each
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(OpeRec) == 58);

// The older record of Operatori.txt, one character shorter: the operator
// code had two digits. Read only by ConvOpeFile.
struct OldOpeRec {
    tables::Fixed<2> number;
    tables::Fixed<2> P320C;
    tables::Fixed<3> P320S;
    tables::Fixed<30> P321;
    tables::Fixed<3> P322[6];
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(OldOpeRec) == 57);

inline constexpr const char* kOpeFile = "Operatori.txt";
inline constexpr const char* kOpeTmpFile = "OpeTmp.txt";
inline constexpr const char* kCamFile = "Camerieri.txt";

// Operator or waiter n; a file error shows "GetOpe - " (and so on) with the
// description (interactive runs) and gives false.
bool GetOpe(int16_t n, OpeRec& rec);
bool SaveOpe(int16_t n, OpeRec& rec);
bool GetCam(int16_t n, NameRec& rec);
bool SaveCam(int16_t n, NameRec& rec);

// Default-file writers and the conversion of an older operator file (also
// declared in store/create_tables.h).
bool CreateOpe();
bool CreateCam();
bool ConvOpeFile();
