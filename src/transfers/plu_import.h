#pragma once
// The import of a PLU or offer file prepared outside the program: every
// record is checked, refused, cleaned and duplicate records are listed in
// an error file of the register folder (PLUErr.txt, OfferErr.txt), the good
// records are sorted by code and written as the destination, which replaces
// the old file in one step. The source file is never changed; a source of
// the older 78-character layout is converted in memory first.
#include <string>

inline constexpr const char* kPLUErrFile = "PLUErr.txt";
inline constexpr const char* kOfferErrFile = "OfferErr.txt";

// The outcome is the destination, the error file and PLUFiles.nPLUNum /
// nOffNum (the records written). False when the import was refused: a
// source that cannot be read or is not whole records, one that leaves no
// record (empty, or every record refused: the destination keeps what it
// held), or a file that cannot be written.
bool SortPLU(const std::string& source, const std::string& destination);
bool SortOffer(const std::string& source, const std::string& destination);
