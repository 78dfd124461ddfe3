#pragma once
// Sending the currencies ("B" 53) and the change loading ("B" 66) to the
// register, and storing the currencies read back ("C" 53). The rate travels
// with "," as its decimal separator whatever the system's, and with five
// integer digits; the file keeps the system's separator and six. The newer
// family's first currency is the register's own and is never sent. The
// change loading is only sent, its pieces as three digits.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

const TableDesc& ValutaTable();
const TableDesc& RRestoTable();

std::string AnsValuta();
int16_t DataValuta();
std::string AnsRResto();
