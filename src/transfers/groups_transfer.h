#pragma once
// Sending the department groups ("B" 51) and statistic groups ("B" 62) to
// the register and storing them when they are read back ("C" 51 and 62):
// twin tables of a number and a name that follow the shared answer and data
// procedures without a step of their own.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

const TableDesc& GrpRepTable();
const TableDesc& GrpStaTable();

std::string AnsGrpRep();
std::string AnsGrpSta();
int16_t DataGrpRep();
int16_t DataGrpSta();
