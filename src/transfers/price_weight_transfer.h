#pragma once
// Sending the price/weight codes ("B" 68, every slot "01:00000000" to
// "11:..." and "*") and storing them when they are read back ("C" 68, slot
// and code each ended by ":"). A line whose slot lies outside 1 to 11 is
// acknowledged, listed among the errors and not stored.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

const TableDesc& PrzPesoTable();

std::string AnsPrzPeso();
int16_t DataPrzPeso();
