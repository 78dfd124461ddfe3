#pragma once
// Sorting and checking of a customer import file: the source, in the record
// layout of the open register's customer generation, becomes the destination
// archive sorted by customer code, one record per code, the refused records
// and the duplicate codes listed in ClientErr.txt.
#include <cstdint>
#include <string>

inline constexpr const char* kClientErrFile = "ClientErr.txt";

// Reads the source (never changing it), checks every record, sorts the
// accepted ones by code (of several with one code the one latest in the
// source is kept) and replaces the destination with them in one step, their
// separators ":" and ";" turned into blanks. Error lines:
//   "E <nn> <record> line <n>"  a record refused by the check (nn its code)
//   "D -    <record> line <n>"  a record whose code a later one repeats
// The source's lines may end in CR LF, LF or CR; every line must be one
// record of the generation's width. Returns the number of records written,
// or -1 when nothing was written (a missing or empty source, a line of
// another width, every record refused, or a destination that could not be
// written; the destination then stays as it was).
int32_t SortCli(const std::string& source, const std::string& destination);
