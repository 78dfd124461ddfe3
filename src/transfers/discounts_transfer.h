#pragma once
// Sending the discounts and surcharges ("B" 88), their options ("B" 69 and,
// except on LX4100, the option array "B" 57) and the stamps ("B" 52) to the
// register, and storing them when they are read back ("C" 13, 69, 70, 52).
//
// The discounts' P423 and P422 go out as they stand in the file and are
// stored as their numeric values, left-aligned. The options live in the
// register options record (Cassa.txt, written back by the dispatcher when
// their read ends): each travels as one answer without a closing "*", and
// is read as one line and a closing line. The stamps' four P431 and P432
// values travel in pairs.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

const TableDesc& ScoMagTable();
const TableDesc& BollinoTable();

std::string AnsScoMag();
int16_t DataScoMag();
std::string AnsConfScoMag();
std::string AnsConfScoMag2();
int16_t DataConfScoMag();
int16_t DataConfScoMag2();
std::string AnsBollino();
int16_t DataBollino();
