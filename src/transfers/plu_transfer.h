#pragma once
// PLUs, offers and the PLU options between the local files and the register:
// the answer procedures that send them record by record (each record checked
// before it leaves, the refused ones listed in an error file), the PLU
// options both ways, and the dump of PLUs and offers read back into C08.txt
// and split into PLU.txt and Offerte.txt.
#include <cstdint>
#include <string>

#include "store/plu.h"

inline constexpr const char* kC08File = "C08.txt";
inline constexpr const char* kPLUTxErrFile = "PLUTxErr.txt";
inline constexpr const char* kOffTxErrFile = "OfferTxErr.txt";

// "B81" and "B84": the next accepted record as its wire text, or "*".
std::string AnsPLU();
std::string AnsOff();
// "B78": the PLU options P210, P211 and P212 joined by ":"; counts the
// answer done at once.
std::string AnsConfPLU();
// "C78": the PLU options read back.
int16_t DataConfPLU();
// "C08": one line of a PLU or offer dump; the closing line imports the dump.
int16_t DataC08();
// Rebuilds PLU.txt and Offerte.txt of the register folder from C08.txt.
// Each file is replaced in one step, and only when the dump held records
// of it.
void ImportC08();

// Records of a send that the checks refused (listed in the list file): a
// failure of the run, one message-log line naming the list and, in a
// command-line run, one error-log line.
void CountRefusedRecords(const char* listFile);

// The wire text of a PLU or an offer by the open register's PLU type.
std::string PLUWireText(const PLURec& rec);
// The error-list line of a refused record: "E <nn> " and the fields.
std::string RefusedLine(int16_t code, const std::string& recordText);
