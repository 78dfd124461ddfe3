#pragma once
// The loyalty tables over the line.
//
// Loyalty by department ("B" 67 / "C" 67): one loyalty line per record, ten
// fields (department, line index 0 to 2, Tipo, Calcolo, the six 8-digit
// values), three records per department. The send reads the range
// Tx.nTxRepFidFrom..Tx.nTxRepFidTo through GetRepFid, line Tx.nTxRepFidA of
// each department.
// Loyalty on the subtotal ("B" 64 / "C" 64): the same without the
// department, three records.
// Customer circularity ("B" 63 / "C" 71): slot, circularity, loyalty line;
// ten slots, sent as "01:0000000:0".
//
// A line read changes one loyalty line of its record; the records changed
// go into the file in one step at the closing line (ReadEdits). A line whose
// department, line index or slot lies outside the table, or that is cut
// short, is acknowledged, listed among the errors and not stored.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

const TableDesc& CirCliTable();

std::string AnsRepFid();
int16_t DataRepFid();
std::string AnsSubFid();
int16_t DataSubFid();
std::string AnsCirCli();
int16_t DataCirCli();
