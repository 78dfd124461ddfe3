#pragma once
// Sending the departments to the register and storing them when they are
// read back. The send reads one department per "B" 80 request through
// GetReparto; its state is the range Tx.nTxRepartoFrom..Tx.nTxRepartoTo set by
// SendReparto. A read stores each "C" 07 line with SaveReparto.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

// The department fields on the wire, in wire order: 11 for LX4100, 14 for the
// other models (the installation's model, ConfigLevel.CashType()).
const std::vector<WireField>& RepartoWire();
// The departments table as the shared data procedure sees it.
const TableDesc& RepartoTable();

// Answer procedure of "B" request 80: the next department of the range, or
// "*" when the range is exhausted.
std::string AnsReparto();
// Data procedure of "C" data code 07: -1 while lines come, 0 on the closing
// line.
int16_t DataReparto();
