#pragma once
// The stamps import of a command-line run: a file of Bollini.txt records
// stored into the open register's Bollini.txt before the stamps are sent.
#include <cstdint>
#include <string>

// Reads the file's whole 40-character records (their count goes into count)
// and saves each at its own number. Every numeric field must hold digits
// only (blanks around them allowed) and the number must lie from 1 to
// nMaxBollini; the first record that fails, or a file that cannot be read,
// ends the import with false and one line in the progress window's error
// list and the message log. The records before it stay saved. A file
// without a whole record is refused the same way; the bytes after the last
// whole record are left out and named in the message log.
bool ImportBollino(const std::string& file, int32_t& count);
