#pragma once
// The loyalty tables of DRAVO57, ZANDORE and MERIDOTAN: RepFid.txt (three
// loyalty lines per department), SubFid.txt (three loyalty lines on the
// subtotal, one record) and CirCli.txt (ten customer-circularity slots).
#include <cstdint>
#include <string>

#include "core/record.h"

// One loyalty line, 50 digits.
struct LineaFidRec {
    tables::Fixed<1> Tipo;
    tables::Fixed<1> Calcolo;
    tables::Fixed<8> Step1;
    tables::Fixed<8> Step2;
    tables::Fixed<8> Soglia1;
    tables::Fixed<8> Soglia2;
    tables::Fixed<8> Valore1;
    tables::Fixed<8> Valore2;
};
static_assert(sizeof(LineaFidRec) == 50);

// Lines 0, 1 and 2.
struct LineeFidRec {
    LineaFidRec Linea[3];
};
static_assert(sizeof(LineeFidRec) == 150);

struct RepFidRec {
    tables::Fixed<4> number;  // department number, "0000"
    LineeFidRec Linee;
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(RepFidRec) == 156);

struct SubFidRec {
    LineeFidRec Linee;
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(SubFidRec) == 152);

struct CirCliRec {
    tables::Fixed<2> number;       // slot, "00"
    tables::Fixed<7> Circolarita;  // circularity, "0000000"
    tables::Fixed<1> LineaFid;     // loyalty line 0 to 2
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(CirCliRec) == 12);

inline constexpr const char* kRepFidFile = "RepFid.txt";
inline constexpr const char* kSubFidFile = "SubFid.txt";
inline constexpr const char* kCirCliFile = "CirCli.txt";
inline constexpr int kCirCliSlots = 10;

// Department `number` (as text); Save sets the record's department field to
// that number. Both false on a file error, without a message.
bool GetRepFid(const std::string& number, RepFidRec& rec);
bool SaveRepFid(const std::string& number, RepFidRec& rec);
// The single record of SubFid.txt; false on a file error, without a message.
bool GetSubFid(SubFidRec& rec);
bool SaveSubFid(SubFidRec& rec);
// Slot 1 to 10 of CirCli.txt; a file error shows "GetCirCli - " or
// "SaveCirCli - " and the description (interactive runs).
bool GetCirCli(int16_t slot, CirCliRec& rec);
bool SaveCirCli(int16_t slot, CirCliRec& rec);

// Default-file writers (also declared in store/create_tables.h).
bool CreateRepFid();
bool CreateSubFid();
bool CreateCirCli();
