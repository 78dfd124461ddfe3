#pragma once
// The receipt history, the closure data and the plain acknowledgement.
//
// Storico.txt (register folder) only grows: each history line the register
// sends is appended whole, as the payload of its "C" frame ("C00:0001:01:..."),
// or not at all. The register's position of the last line stored
// (CassaFile.strB90Indi and strB90Pg, kept in Cassa.txt [B90]) tells the
// register where the next read continues. Once a line of a read is refused
// (a file already over the size limit, a file that cannot be written, a line
// that cannot be read) no later line of that read is stored, and the position
// stays at the last line stored, so that the next read sends the rest again
// and the file never has a hole.
//
// Chiusura.txt (register folder) holds the data of the last daily closure:
// one line, replaced at every closure.
#include <cstdint>
#include <map>
#include <string>

struct HistoryGlobals {
    bool bRefusing = false;       // a line of this read was refused: the rest is too
    bool bPositionKnown = false;  // strLastIndi/strLastPg hold the position of the last line stored
    std::string strLastIndi;
    std::string strLastPg;
    // A command-line run's copy of the history: the register folder of each
    // register the copy takes the history of, by register.
    std::map<int, std::string> copyFolders;
};
extern HistoryGlobals History;

inline constexpr int64_t kHistoryUnit = 1024000;  // bytes per unit of the history limit
// The request code of the history read; its argument names the copy.
inline constexpr const char* kHistoryRequest = "#P";

// The request code of the daily closure.
inline constexpr const char* kClosureRequest = "#Z";

// B 01: any exchange in which the register asks for a plain acknowledgement.
std::string AnsAck();
// B 45: the closure data (the request's payload from its fifth character),
// stored at the first request of a closure, which ends the closure's wait;
// "0;". Data missing from the request or that cannot be stored are a
// failure of the closure (kErrClosureNoData).
std::string AnsChiusura();
// The answer time-out of the exchange in progress: when it is the closure
// (its command acknowledged) and its data never came, says so in the
// progress window's errors, the message log, the status bar (until the
// operation ends) and the error log (kErrClosureNoData), and takes no data
// for it after this. False, saying nothing, for any other exchange.
bool ClosureDataMissed();
// The exchange in progress is the closure and its data are still awaited.
bool ClosureDataAwaited();
// B 90: where the history read starts: "XXXX:XX;" (from the start, or
// nothing stored yet), the stored position "iiii:pp;" (mode 0) or "****:**;"
// (mode 2); then "#H;".
std::string AnsStoricoStart();
// C 00 and C 01: one history line. True (-1) for a line stored or refused,
// 1 after the closing line of the read.
int16_t DataStorico();

// A command-line run asked for a copy of the history ("#P" with a file): the
// history of register cash, whose folder is given, goes into it.
void NoteHistoryCopy(int cash, const std::string& folder);
// At the end of that run: the history file of every register noted, one
// after the other in register order, replaces the file dest in one step. A
// register without a history file (its read failed, which was said) is left
// out. When none has one nothing more is said; when none can be read, or
// dest cannot be written, the failure is said and counts (error log: the
// history request with dest, and the register whose file could not be read,
// or none). Either way dest is left as it was, and the result is false.
bool CopyHistories(const std::string& dest);
