#pragma once
// What every table transfer shares: the send counters kept beside the request
// state, the file numbers that the request-state words hold while a table,
// report or dump is open, the procedures that reset and close those words,
// the copy of a received file for a command-line run, the field codec of the
// wire records, and the answer and data procedures driven by a table
// description, so that a table's own code is mostly its description.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/table_sizes.h"
#include "core/req_state.h"
#include "core/record.h"
#include "store/file_numbers.h"

struct LogSubject;

// ---------------------------------------------------------------------------
// Send counters kept outside the request state. The send builders set them,
// the answer procedures advance them. A snapshot is taken when a send is
// committed to the queue and put back at the start of every register's turn
// (TxTurnStart), so that a send abandoned on one register never leaves the
// next register a partial table.
struct TxCountersRec {
    // Departments: the range of the send (From is also the record counter)
    // and its start copies.
    int16_t nTxRepartoFrom = 0, nTxRepartoTo = 0, nTxRepartoFrom0 = 0, nTxRepartoTo0 = 0;
    // True once the department send has answered "*", until the next send.
    int16_t bTxRepartoEnded = 0;
    // Loyalty by department: range, start copies, line index and its start value.
    int16_t nTxRepFidFrom = 0, nTxRepFidTo = 0, nTxRepFidFrom0 = 0, nTxRepFidTo0 = 0;
    int16_t nTxRepFidA = 0, nTxRepFidB = 0;
    // PLUs, offers and customers: 32-bit so that files past 32767 records send
    // whole. nTxCliTo = -1 means the whole customer file.
    int32_t nTxPLUFrom = 0, nTxPLUTo = 0, nTxPLUFrom0 = 0, nTxPLUTo0 = 0;
    int32_t nTxOffFrom = 0, nTxOffTo = 0, nTxOffFrom0 = 0, nTxOffTo0 = 0;
    int32_t nTxCliFrom = 0, nTxCliTo = 0, nTxCliFrom0 = 0, nTxCliTo0 = 0;
    // Multiple functions: range and start copies.
    int16_t nTxFMultFrom = 0, nTxFMultTo = 0, nTxFMultFrom0 = 0, nTxFMultTo0 = 0;
    // Receipt header line and its start copy; icon period.
    int16_t nTxIntScontrinoIdx = 0, nTxIntScontrinoIdx0 = 0, nTxIconePeriodoIdx = 0;
    // Record, line and slot counters of the other sends.
    int16_t nTxSubFidIdx = 0, nTxCirCliIdx = 0, nTxPrzPesoIdx = 0, nTxModPagIdx = 0,
            nTxScoMagIdx = 0, nTxTicketAmountIdx = 0, nTxGrpRepIdx = 0, nTxGrpStaIdx = 0,
            nTxOpeIdx = 0, nTxCamIdx = 0, nTxValutaIdx = 0, nTxRRestoIdx = 0,
            nTxBollinoIdx = 0, nTxDirPLUIdx = 0, nTxTestoIconeMsg = 0, nTxTestoIconeLine = 0;
    int16_t bTxDirPLUClean = 0;
    // State of a multiple-functions read (set by its read builder).
    int16_t nRdFMultState = 0;

    bool operator==(const TxCountersRec&) const = default;
};
extern TxCountersRec Tx;

// A table read under way (Table reads, below).
struct TableReadRec {
    int16_t ReqStateRec::*flag = nullptr;  // its pending-read flag
    std::string path;     // the table file, whose copy the records update
    bool failed = false;  // nothing more is stored; the file keeps its old records
    int32_t stored = 0;   // records written into the copy
    int32_t lines = 0;    // lines received, the closing line left out
    int32_t refused = 0;  // of them, lines not stored (unreadable, beyond the table, refused)
    bool copied = false;  // the copy of the table is made (at the first line to store)
};

struct TransferGlobals {
    int16_t nC08Pending = 0;  // PLU and offer dump reads still outstanding
    TxCountersRec txSaved{};  // the counters as the last committed send left them
    std::vector<TableReadRec> reads;  // table reads under way
};
extern TransferGlobals Transfer;

// Called by the builders right before SaveCmdQueue: keeps a copy of the send
// counters and marks the request state so that the first answer or data
// procedure of each register's turn puts the copy back.
void CommitTxCounters();
// Called on entry of every answer and data procedure: at the start of a
// register's turn (the mark that CommitTxCounters left in the request state,
// which the queue's replay brings back) the counters are put back and the
// mark is cleared. nC08Pending is left alone.
void TxTurnStart();
// The usual entry of an answer or data procedure: TxTurnStart, then the
// line is taken as alive (the answer time-out counts from now).
void TxLineArrived();

// ---------------------------------------------------------------------------
// Request-state words.

// Every pending-read flag False, nC08Pending 0, every file word from
// nFileStorico to nFileChiusura 65534. nTxClientGroup and the index words
// after it are left as they are.
void InitFlags();
// Closes the file that the word holds when it holds one (a value from 1 to
// 32767), then stores the new value (-1 is 65535, -2 is 65534).
void CloseFileNum(uint16_t& word, int16_t newValue);
// Closes the file of every report, dump and send word (nFileStorico to
// nTxPrzPeso) that holds one and sets that word to 65534. Words waiting to be
// opened (65535) stay so; nTxFMult2, a step index, is not a file word and is
// left alone; nFileChiusura and nTxClientGroup are outside the range.
// A table read under way is abandoned (AbandonTableReads).
void CloseAllFiles();

// ---------------------------------------------------------------------------
// Table reads. The records of a table read go into a copy of the table file,
// made when the read's first line arrives (so records the register does not
// send keep their old values); the closing line puts the copy in the file's
// place in one step. A read that fails (the copy cannot be made, a record
// cannot be written, the copy cannot take the file's place) or is abandoned
// leaves the old file whole and removes the copy; the failure goes to the
// progress window's error list and the message log, with the file and the
// reason, and to the error log (LogErr(kErrFile)), so it counts for the run.

// Ends every table read under way without storing it: each is reported as
// above (unless it had failed already) and its pending-read flag is cleared,
// so that late lines of it are acknowledged and dropped. Under an abort or a
// stop (LinkAborted) every pending-read flag is cleared, also that of a read
// whose first line has not come. Called when a command is abandoned
// (CloseAllFiles) and by InitFlags.
void AbandonTableReads();
// What a read keeps in memory until its closing line (records gathered, edits
// of records) is dropped by the function given here, called by
// AbandonTableReads. Returns true, for use in a static initialiser.
bool AddReadDropper(void (*drop)());

// In a command-line run with a copy destination (Core.strReqArg), copies the
// register folder's file (name with a leading "\") over the destination.
// Nothing happens interactively or without a destination. A copy that fails
// is reported in the progress window's error list, the message log and the
// error log (a failure of the run); returns false then.
bool CopyRecvFile(const std::string& name);

// The whole code range, every PLU or customer code: what a PLU dump, a PLU
// report or a customer read asks for when it asks for every code.
inline constexpr std::string_view kWholeCodeRange = "1:999999999999";
inline constexpr std::string_view kFirstCode = kWholeCodeRange.substr(0, 1);
inline constexpr std::string_view kLastCode = kWholeCodeRange.substr(2);

// The code range of the read command sent last for the token ("&M3:5;"
// gives "3" and "5"); false for a read of every code (no range, or the
// whole code range) and for a command without the token.
bool SentCodeRange(const std::string& token, std::string& first, std::string& last);
// True when the code (blanks around it allowed) is a whole number from first
// to last (digit texts, compared as numbers); for a range of alphanumeric
// PLU codes, when the code without its blanks lies from first to last in
// byte order, the order of the PLU file.
bool CodeInRange(std::string_view code, const std::string& first, const std::string& last);
// A record of a file sorted by a key, with that key.
struct KeyedRecord {
    std::string key;
    std::string bytes;
};
// A file's records after a read of a range of codes: the records kept (those
// outside the range, in the file's order) and the records received, sorted by
// key, each placed before the first kept record of a higher key; the bytes
// joined.
std::string MergeRangeRecords(const std::vector<KeyedRecord>& kept,
                              std::vector<KeyedRecord> received);

// The closing line of a code-range read (token "&M" or "&I") that brought no
// line: when the command asked for part of the codes (any range but
// the whole code range), the register holds nothing there and the local file
// (path) keeps what it holds. Says so in the message log and returns true;
// false for a read of every code or a command without the token.
bool NothingInRange(const std::string& token, const std::string& path);

// ---------------------------------------------------------------------------
// Field codec (the numeric reading and the padding are those of
// core/record.h).

// The value zero-padded to the width; a negative value as "-" and its
// absolute value zero-padded to width - 1 (-5 in 4 is "-005"). False when the
// value does not fit the width.
bool FormatNumberField(int64_t value, int width, std::string& out);
// A text as it goes on the wire, and as a received one is stored: the field
// separator ":", the token end ";" and every control byte (codes below 32,
// and 127) become blanks, so that no text can shift the fields after it or
// end a frame.
std::string WireText(std::string_view text);
// The numeric value of a received field (as tables::NumValue reads it) when
// it fits 16 bits; false, with out unchanged, when it does not.
bool NumberField16(std::string_view field, int16_t& out);
// Cuts a received line into count fields, each ended by ":" (the last one
// included). False when the line holds fewer than count ended fields;
// anything after the count-th ":" is ignored.
bool CutLineFields(const std::string& line, size_t count, std::vector<std::string>& fields);
// Rewrites field k (from 0) of a received line, as CutLineFields cuts it,
// with change; false when the line has no such field ended by ":" or change
// refuses the field's text.
bool ChangeLineField(std::string& line, size_t k, bool (*change)(std::string& field));

// ---------------------------------------------------------------------------
// Table descriptions and the procedures they drive.

enum class WireKind : uint8_t {
    Number,  // sent as its numeric value ("0"), stored zero-padded to its width
    Text,    // sent cleaned (WireText) and trimmed, stored cleaned, blank-padded or cut
    Descr,   // a description: sent as Text and cut by CutDescr, stored as Text
};

// One field of a wire record: the record field of that name, and how it
// travels. The first wire field is the entry number.
struct WireField {
    const char* name;
    WireKind kind;
};

struct TableDesc {
    const char* fileName = nullptr;                      // "GrpRep.txt"
    const tables::RecordLayout& (*layout)() = nullptr;   // the record type's layout
    int16_t TableSizes::*size = nullptr;                 // number of entries
    std::vector<WireField> wire;                         // wire order
    // Sending (answer procedure)
    uint16_t ReqStateRec::*txWord = nullptr;             // file word of the send
    int16_t TxCountersRec::*txIdx = nullptr;             // record counter of the send
    const char* sendStatusKey = nullptr;                 // section "Msg" key of the send
    // Reading (data procedure)
    int16_t ReqStateRec::*rdFlag = nullptr;              // pending-read flag
    // Section "Msg" key shown, with the record counter started, when a line
    // arrives while the progress bar is free; nullptr: nothing of its own.
    const char* readStatusKey = nullptr;
    // Writes a record at an entry; nullptr writes the table file directly.
    bool (*save)(int32_t entry, const std::string& record) = nullptr;
    // The entry a send starts with.
    int16_t firstEntry = 1;
    // Puts a received line into the form its wire fields store, for a table
    // whose fields travel in a form of their own; false when the line cannot
    // be stored (it is refused as a line cut short is). nullptr: the line as
    // it comes.
    bool (*received)(std::string& line) = nullptr;
    // True: a line whose entry lies past the size counter is stored, and the
    // file grows to hold it; only an entry the record's number field cannot
    // hold is refused. False: such a line is refused as out of range.
    bool storesPastSize = false;
};

// The wire text of a file record: the fields in wire order joined by ":",
// without ":" after the last. Texts go through WireText.
std::string BuildAnswer(const tables::RecordLayout& layout, const std::vector<WireField>& wire,
                        const std::string& record);
// A file record from a received line, built into the empty record (numbers
// 0, texts blank, CR LF), so that a field the line doesn't carry is 0 or
// blank; texts go through WireText. False when the line is cut short or a
// number does not fit its field. entry = the first field's value.
bool BuildRecord(const tables::RecordLayout& layout, const std::vector<WireField>& wire,
                 const std::string& line, std::string& record, int32_t& entry);

// The answer procedure of a table sent from its file (one call per "B"
// request): the next record's wire text, or "*".
std::string AnswerTable(const TableDesc& table);
// The data procedure of a table read back (one call per "C" line): -1 while
// lines come, 0 when the closing line ended the table. The records go
// through a copy of the table file (Table reads, above); a line whose entry
// number lies outside 1 to the table's size, or that cannot be read whole,
// is acknowledged, listed as an error and not stored. Only a read that
// stored records and put them in place is copied to the copy destination of
// a command-line run; a read there that stored nothing is a failure.
int16_t DataTable(const TableDesc& table);

// For a table whose own data procedure finds a line it cannot hold (a slot or
// an entry outside the table that the line's first field does not give): the
// line is acknowledged, listed in the progress window's errors and the
// message log with the table's file name, and not stored. Returns -1, as for
// a line taken.
int16_t RefuseTableLine(const TableDesc& table);
// The closing line of a read that stores nothing (its table is not kept):
// its lines refused make it a failure, said with how many of how many.
void EndRefusedLines(const TableDesc& table);
// Lines of a read (a table, a dump) that could not be stored: a failure,
// said with how many of how many lines, and the file.
void ReportLinesNotStored(const std::string& path, int32_t refused, int32_t lines);
// The end of a read at its closing line: status and progress cleared, one
// answer less awaited, the line acknowledged. Returns 0, the data
// procedure's result for a read that has ended.
int16_t EndTableRead();
// The end of a complete send whose file the request-state word holds: status
// and progress cleared, the file closed and the word 65534, one answer less
// awaited; returns "*".
std::string EndSend(uint16_t& word);
// A send whose table file (at path) is missing or cannot be read: the
// failure, naming the file, is reported and counts; the send ends with "*" at
// once, one answer less awaited (never by the answer time-out), and nothing
// more is sent. The second form also closes the file the word holds and
// sets the word to 65534.
std::string RefuseSend(const std::string& path);
std::string RefuseSendFile(uint16_t& word, const char* fileName);
// Record n of the send's open file; past the end of a file shorter than the
// table, the table's default record n. False when the file cannot be read.
bool ReadSendRecord(uint16_t word, int32_t n, const tables::RecordLayout& layout,
                    std::string& record);
// The same for a send that holds no file (it counts in a word of its own);
// AbandonSend only clears the status and progress.
std::string AbandonSend();
std::string EndSend();
// The status text of a complete send: "Sent to register" and its number;
// nothing when a failure was reported since the send's command went out.
void ShowSentStatus();
// Likewise "Read from register" for a read whose records are stored only
// after its last line (the PLU and customer dumps, rebuilt into their files).
// True when it was said: nothing failed since the command went out.
bool ShowReadStatus();
// "Daily closure done on register n", likewise.
void ShowClosedStatus();
// Lists a problem of a table transfer in the progress window's errors (with
// the register) and in the message log.
void ReportTransferProblem(const std::string& text);
// The same for a problem that fails the run: also counted in the error log
// (LogErr(kErrFile)), about the open turn or about the subject given.
void ReportTransferFailure(const std::string& text);
void ReportTransferFailure(const std::string& text, const LogSubject& about);
// A record import takes the whole records of its file: the bytes after the
// last one (a cut record, an end-of-file byte 0x1A), if any, are named in the
// message log.
void NoteLeftOver(const std::string& file, size_t bytes);
// The records of an import file of lines of `width` characters, each ended
// by CR LF, LF or CR (the last may have no end); line ends and end-of-file
// bytes (0x1A) after the last line are no lines. False when a line is of
// another width (named in why), or there is none (why left empty). A source
// that is already its records each ended by CR LF serves as it is
// (canonical, records left empty); any other gets its records, each ended by
// CR LF, in records; count is the number of records.
bool SplitImportRecords(std::string_view bytes, size_t width, std::string& records, size_t& count,
                        bool& canonical, std::string& why);
// Why line n of an import file is not one record of `width` characters:
// "line n" and what is wrong with that line of an import file.
std::string ImportLineText(size_t n, const std::string& what);
// "line n too short (length characters, width a record)", or too long.
std::string LineLengthText(size_t n, size_t length, size_t width);
