#pragma once
// Dispatch of the register's answers by class and code to the table
// procedures. The table code fills the tables with RegisterTableProcs();
// tests may register stand-ins.
#include <cstdint>
#include <string>

// An answer procedure ("B" request): returns the text to send back: record
// fields joined by ":", "*" when the table is exhausted, or "0;".
using AnsProc = std::string (*)();
// A data procedure ("C" line): reads the answer record, acknowledges the line
// itself and returns -1 while lines keep coming, 0 when it has ended its
// table, 1 when the receipt history has ended.
using DataProc = int16_t (*)();

void RegisterAnsProc(const std::string& code, AnsProc proc);
void RegisterDataProc(const std::string& code, DataProc proc);
// Forgets every registered procedure (tests).
void ClearDispatchProcs();
