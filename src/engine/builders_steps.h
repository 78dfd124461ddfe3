#pragma once
// The steps every request builder shares (used by the builder files only).
#include <cstdint>
#include <string>

namespace builders {

constexpr float kDefaultTime = 2.5f;

// The request token of a command text: the token after the mode token
// ("+4;"), else the first token after "*2;", else the first token.
std::string RequestToken(const std::string& text);
// Queues the text with its answer count and time-out; the description is the
// command's name from the language file (GetProtocolText of the request
// token). The result of AddCmd.
bool Queue(std::string text, float time = kDefaultTime, int16_t answers = 1);
// "*2;+4;" token ";#H;*3;": a read that the register answers with data.
std::string ReadText(const std::string& token);
// "*2;+4;" token ";*3;": a table send.
std::string SendText(const std::string& token);
// The status text: section "Msg" key and section "Msg1" key "2".
void Status(const std::string& key);
// The same for a read, kept with the operation being built, so that each
// further register's turn says it again (SayReadStatuses).
void ReadStatus(const std::string& key);
// The tree window's progress range, clamped to what the bar can show.
void Range(int64_t minimum, int64_t maximum);
// Commits the queue (and the send counters) for the replay on further
// registers.
void Commit();
// An argument that holds ":" is a range; any other names a file: the source
// of a batch import for a send, the copy destination for a read.
bool IsRangeArg(const std::string& arg);
// A range is not a copy destination: when the argument is a range and
// Core.strReqArg holds it, Core.strReqArg is cleared, so that the read does
// not copy over a file of that name.
void RangeIsNoDestination(const std::string& arg);
// The readers of a request's range argument "first:last". A number is
// digits only, with blanks around it allowed (a NUL byte counts as the blank
// it stands for): one with anything else in it, or past its limit, is
// refused (never cut or wrapped). The range goes to the register as it was
// written, each end without the blanks around it, leading zeros kept.
struct ArgRange {
    int64_t first = 0;      // the values of numbers; 0 for an alphanumeric code
    int64_t last = 0;
    std::string firstText;  // each end as written, without its blanks
    std::string lastText;
    std::string text;       // firstText ":" lastText
};
// One number: its value at most high, written without its blanks.
bool ReadArgNumber(const std::string& arg, int64_t high, int64_t& value, std::string& written);
// A range of numbers: first from 1 and not above last, last at most high.
bool ReadRange(const std::string& arg, int64_t high, ArgRange& out);
// A range of codes: numbers of at most as many digits as a code holds,
// first from 1 and not above last; with pluCodes, where the register's PLU
// options allow alphanumeric PLU codes, each end may also be such a code
// (the characters the PLU check takes, no blank or control byte, at most as
// long as a code), and the two are then ordered as the PLU file sorts them.
bool ReadCodeRange(const std::string& arg, bool pluCodes, ArgRange& out);
// The argument without the blanks and NUL bytes around it.
std::string TrimArg(const std::string& arg);
// An argument the builder cannot take: said in the progress window and the
// message log with the request and its argument, and an error-log line of
// the request interpreter (code 3). Nothing runs. Returns true (the request
// code was known). With letters, the words say that the register's PLU
// options allow no letters in PLU codes.
bool RefuseArgument(const std::string& arg, bool letters = false);
// A range of PLU codes with letters (pluCodes) that ReadCodeRange refuses
// only because the register's PLU options allow none.
bool LettersRefused(const std::string& arg, bool pluCodes);
// The installation's model is LX4100.
bool IsLX4100();
// The PLU directory read ("&l"); selected tells whether a register was
// selected. The result of its AddCmd.
bool ReqDirPLUSelected(bool& selected);
// The PLU options read ("&z") that goes ahead of every PLU or offer send and
// dump; during a bulk run it is queued once, while its answer is pending.
void QueueConfPLU();

}  // namespace builders
