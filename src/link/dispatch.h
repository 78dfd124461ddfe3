#pragma once
// Dispatch of the register's answers by class and code to the table
// procedures. The table code fills the tables with RegisterTableProcs();
// tests may register stand-ins.
//
// An answer frame: EOT, [station address], length, two sequence characters,
// the payload, STX, checksum, ETX. The payload starts with the class letter
// ("A" status, "B" the register asks for the next record of a table being
// sent, "C" one line of a table, report or history being read) and a
// two-digit code.
#include <cstdint>
#include <string>

// An answer procedure ("B" request): returns the text to send back: record
// fields joined by ":", "*" when the table is exhausted, or "0;".
using AnsProc = std::string (*)();
// A data procedure ("C" line): reads the answer record, acknowledges the line
// itself and returns -1 while lines keep coming, 0 when it has ended its
// table, 1 when the receipt history has ended.
using DataProc = int16_t (*)();

// Registers the procedure of a "B" or "C" code of the dispatch tables; a code
// that the tables don't have is ignored (false). nullptr forgets the code's
// procedure.
bool RegisterAnsProc(const std::string& code, AnsProc proc);
bool RegisterDataProc(const std::string& code, DataProc proc);
// The procedure registered for a "B" code; nullptr when there is none.
AnsProc AnsProcOf(const std::string& code);
// Forgets every registered procedure (tests).
void ClearDispatchProcs();
// Makes ParseAnswer the frame layer's reader of unasked frames
// (SetAnswerParser). Called once at start-up by every program that runs the
// link (the program's Main, the test programs' main, the benchmarks and
// fuzz targets of the link).
void InstallAnswerParser();

// The parts of the last answer frame (one global instance).
struct AnswerRecT {
    int32_t nRxLen = 0;          // length of the received frame
    int16_t nChkCalc = 0;        // CalcChkXor of the frame's first N-2 characters - 40
    std::string strClass;        // "A", "B" or "C"
    std::string strCode;         // the two-digit code
    int16_t nStation = 0;        // address character - 160 in addressed mode, else 0
    int16_t nLength = 0;         // length character - 40 (not checked)
    int16_t nSeqFirst = 0;       // first sequence character - 32
    int16_t nSeqSecond = 0;      // second sequence character - 32
    std::string strAnsFrame;     // the payload
    int16_t nChkFrame = 0;       // checksum character - 40
    // "C" answers: the history position, the data and the record part.
    std::string strHeader1;      // from payload position 5 to the next ":"
    std::string strHeader2;      // up to the next ":"
    std::string strAnsData;      // everything after the second ":"; "*..." ends a transfer
    std::string strAnsRec;       // strAnsData up to and including its second-to-last ":"
};
extern AnswerRecT AnswerRec;

// Checks and dispatches the frame in LinkState.RxFrame. A bad checksum or a
// frame too short to hold a payload is refused with NAK (the register repeats
// it). Returns the dispatcher's result, or the NAK's.
int16_t ParseAnswer();
// True when LinkState.RxFrame is an answer the dispatcher acts on: long
// enough, its checksum right and its class "A", "B" or "C". Traces nothing.
bool IsAnswerFrame();
// Reads and dispatches answers until no answer has come for
// LinkState.sngTOPoll seconds (in addressed mode the register is asked with
// ENQ meanwhile): noise and refused frames are read but keep nothing going.
// Never longer than WaitLimit. While the main timer awaits a command's
// answers (state 1 after the command frame) or pauses between commands
// (state 3) it returns after about one tick: the timer's next tick polls
// again. Nothing when the port is closed. Returns 0.
int16_t PollAnswers();
// The program's reply to a register's "B" request that the register did not
// acknowledge (nothing after every retry, or a refusal), unless a stop or an
// abort cut the wait short: the reply may or may not have reached it, so the
// exchange is not done. The reply goes to the progress window's errors and the
// error log (code 5) as it is lost; TakeLostReply gives it once (empty: none
// since the last call). PollAnswers returns as soon as one is lost.
std::string TakeLostReply();
// The dispatchers of the three classes, working on AnswerRec.
int16_t GestAnsA();
int16_t GestAnsB();
int16_t GestAnsC();
