#pragma once
// The PLU directory over the line.
//
// A read ("C" 23, PLU code and slot each ended by ":") builds the register's
// directory on a directory of free slots; at its closing line the local
// directory is set aside as DirPLU.txt.bak and the register's takes its
// place, each file written in one step. A read cut short changes neither.
//
// A send replaces the register's whole directory in three commands: the
// register's directory is read first, then sent back with empty slot
// numbers so that the register frees those entries (first pass), then the
// local directory is sent (second pass). The register's directory read by a
// send is kept in memory for the first pass only: DirPLU.txt holds the
// user's directory throughout, so a send abandoned at any point leaves it as
// it was, and the second pass sends it as it is.
//
// State: ReqState.bRdDirPLU and ReqState.nRdDirPLUIdx (1 at a read's first
// line) for the read; ReqState.nTxDirPLU (65535 first pass, 65533 second pass
// to begin, the open file's number while the second pass runs, 65534 done),
// Tx.nTxDirPLUIdx (the slot counter, 0 before a pass begins) and
// Tx.bTxDirPLUClean (True from the send's builder to the end of the first
// pass: the read under way belongs to a send) for the send.
//
// A line whose slot lies outside 1 to nMaxDirPLU, whose code is longer than
// 13 characters, or that is cut short is acknowledged, listed among the
// errors and not stored.
#include <cstdint>
#include <string>

inline constexpr uint16_t kDirPLUSecondPass = 65533;

std::string AnsDirPLU();
int16_t DataDirPLU();
