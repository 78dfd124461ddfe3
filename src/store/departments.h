#pragma once
// The departments table, Reparti.txt: one 89-character record per department
// (record n = department n, nMaxReparti records). The field names are the
// register's parameter numbers.
#include <string>

#include "core/record.h"

struct RepartoRec {
    tables::Fixed<4> number;  // department number, "0000"
    tables::Fixed<30> P120;   // description
    tables::Fixed<3> P121A;   // first flag set (bits A to H)
    tables::Fixed<3> P121B;   // second flag set (bits A and B)
    tables::Fixed<8> P123;
    tables::Fixed<8> P122;
    tables::Fixed<8> P124;
    tables::Fixed<1> P125;    // VAT code
    tables::Fixed<2> P130;
    tables::Fixed<4> P126;    // LX4100: sign and three digits ("-005", "0005")
    tables::Fixed<2> P132;
    tables::Fixed<3> P127;    // third flag set (bits E to H)
    tables::Fixed<3> P128;
    tables::Fixed<8> P129;
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(RepartoRec) == 89);

inline constexpr const char* kRepartiFile = "Reparti.txt";

// Department `number` (its number as text) of Reparti.txt; false on a file
// error, without a message.
bool GetReparto(const std::string& number, RepartoRec& rec);
// Stores CR LF in the record's end and writes it as department `number`;
// false on a file error, without a message.
bool SaveReparto(const std::string& number, RepartoRec& rec);
// Default-file writer (also declared in store/create_tables.h).
bool CreateReparto();
