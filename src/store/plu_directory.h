#pragma once
// The PLU directory, DirPLU.txt: the register's short list of PLU codes
// reachable by slot number (record n = slot n, nMaxDirPLU records).
#include <cstdint>
#include <string>

#include "core/record.h"

struct DirPLURec {
    tables::Fixed<13> code;    // PLU code, left-aligned; all blanks = free slot
    tables::Fixed<3> number;   // slot number, plain digits left-aligned ("1  ")
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(DirPLURec) == 18);

inline constexpr const char* kDirPLUFile = "DirPLU.txt";

// Slot `slot` (as text); false on a file error, without a message.
bool GetDirPLU(const std::string& slot, DirPLURec& rec);
// Puts the code, blanks trimmed, in slot `slot`; the slot's number field
// keeps what the file holds. A slot outside 1..nMaxDirPLU or a code longer
// than 13 characters is refused (false); file errors give false, without a
// message.
bool SaveDirPLU(int16_t slot, const std::string& code);
// Default-file writer (also declared in store/create_tables.h): every slot
// free, with its number.
bool CreateDirPLU();
