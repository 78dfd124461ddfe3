#pragma once
// The table imports of a command-line run: before a request sends a table,
// the file that its argument names is read in the table's own record format
// and stored into the open register's table file, or, for the two discount
// option groups, into the options record and Cassa.txt.
//
// An import takes the whole records of its file (its length divided by the
// record length); the bytes after the last one are left out and named in
// the message log. It takes them all or none: a file that cannot be read,
// holds no whole record, has a record not ended by CR LF, has a
// number field that is not a number (digits, an optional "-" first, blanks
// around), a record number outside the table or a value outside its range is
// refused: one line in the progress window's error list and the message log
// names the file, the record and the reason, and nothing is stored (the
// table file, the options record and Cassa.txt stay as they were). A file
// that is taken replaces the table file, or is written to Cassa.txt, in one
// step; a write that fails is refused the same way.
//
// Each returns true when the file was taken; count is the number of records
// the file holds.
#include <cstdint>
#include <string>

// "*m": records of 6 characters, entry 1 to 6 and value 0 to 20, into P4111.
// Not on LX4100, which has no such options.
bool ImportConfScoMag2(const std::string& file, int32_t& count);
// "*W": the first record of 12 characters, amount 0 to 99,999,999 and value
// 0 to 20, into P4101A and P4101B. Not on LX4100, whose options differ.
bool ImportConfScoMag(const std::string& file);
// "*Y": ScoMag.txt records, each at its number (1 to nMaxScoMag).
bool ImportScoMag(const std::string& file, int32_t& count);
// "*F": Reparti.txt records, each at its department (1 to nMaxReparti);
// Tx.nTxRepartoFrom and Tx.nTxRepartoTo become the lowest and highest
// department imported, the range the request then sends.
bool ImportReparto(const std::string& file, int32_t& count);
// "^e": RepFid.txt records, the same with Tx.nTxRepFidFrom and
// Tx.nTxRepFidTo.
bool ImportRepFid(const std::string& file, int32_t& count);
// "^d": the first SubFid.txt record of the file.
bool ImportSubFid(const std::string& file);
// "^f": CirCli.txt records, each at its slot (1 to 10).
bool ImportCirCli(const std::string& file, int32_t& count);
