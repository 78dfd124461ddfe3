#pragma once
// The request builders of everything that is not a plain table transfer: the
// register's reports and its receipt history (answered with "C" lines that
// the report writers and the history procedure store in files), the daily
// closure, the resets, the deletions of archive ranges, the chip-card
// commands, the keyboard lock and the bare key command. Each follows the
// steps of the table builders (builders_tables.h): the register, the status
// text and progress range, the request-state words, the texts with their
// answer counts and time-outs, the commit for the further registers.
#include <cstdint>
#include <string>

// ---- Reports: "*2;+2;" token ";#H;*3;", inside the current operation -------
bool ReqRptReparti();                       // departments "*A"
bool ReqRptOperatori();                     // operators "*C"
bool ReqRptCamerieri();                     // waiters "*D"
bool ReqRptIVA();                           // VAT "*E"
bool ReqRptFinanziario();                   // financial "*f"
bool ReqRptBollini();                       // stamps "*g"
bool ReqRptClienti();                       // customers "*R"
bool ReqRptFatture();                       // invoices "*S"
bool ReqRptOraria();                        // hourly "*h"
bool ReqRptTavoli();                        // tables "*u"
bool ReqRptValute();                        // currencies "*w"
bool ReqRptTicketAmount();                  // meal tickets "*b"
bool ReqRptClientG(const std::string& token);   // customer groups, the caller's token
bool ReqRptPLUParam(const std::string& token);  // PLUs by the caller's token (daily file)
// The daily ("*B") or period ("*K") PLU report over a code range. Asks the
// range window with the range proposed (the text before and after the first
// ":" of range, else the whole code range); on OK range becomes the chosen
// "lower:upper". Nothing is queued when the register's PLU options do not
// offer the report (status Msg 71 / Msg1 15) or the window is cancelled.
bool ReqRptPLU(const std::string& token, std::string& range);

// The customer-group report's token: its letter and the customer code range.
std::string ClientGReportToken(const std::string& from, const std::string& to);

// ---- Receipt history and closure ---------------------------------------------
bool ReqStorico();                          // "*2;#P;#H;*3;"
bool SendChiusuraZ();                       // "*2;+3;#Z;*3;", its data awaited

// ---- Resets and deletions (no answer awaited) -----------------------------
// "#F", "#i" and "#d" tokens go in programming mode ("+4;"), the others in
// the closure mode ("+3;").
bool SendAzzera(const std::string& token);
// PLU or offer deletion; in a command-line run whose argument names a PLU
// file, one deletion per record of that file (SendDelRange).
bool SendDelPLUOff(const std::string& token);
// One deletion per record of the PLU file named by Core.strReqArg (1 to 127
// records of 89 characters), each of the range code:code. A file that cannot
// be read or holds no such number of records deletes nothing: it is said in
// the progress window's errors and the message log, and is a failure of the
// run (error log, kErrFile).
bool SendDelRange(const std::string& token);
bool SendDelCli(const std::string& token);
bool SendDelClientGroup(const std::string& token);
bool SendDelFMult(const std::string& token);  // a new operation

// ---- Chip cards ---------------------------------------------------------------
// The operator and waiter card commands and the card clear go to the register
// chosen in the user interface, once: a new operation in which every other
// register counts as done.
bool WriteOpeCard();    // "*a" with "#H;"
bool ReadOpeCard();     // "&a"
bool WriteCamCard();    // "*b" with "#H;"
bool ReadCamCard();     // "&b"
bool ReadCliCard();     // "&c", into ClientChipCard.rpt
bool ClearChipCard();   // "#F": the card in the register's reader is cleared
bool CliCardNop();      // the customer editor's card buttons: nothing, false

// ---- Keyboard ---------------------------------------------------------------------
// "*2;" (lock) or "*3;" (release) alone; first starts a new operation.
bool SendKeyLock(bool lock, bool first);
// "+4;" token ";" without opening or closing token.
bool SendKeyCmd(const std::string& token);

// ---- Batch requests -------------------------------------------------------------
// The builder of a request code that takes no argument: a report token
// ("*A" ... "*b", not "*B", "*K" or "*c"), "#P", "#Z" or "&c"; nullptr for
// any other code.
using ReportBuilderFn = bool (*)();
ReportBuilderFn ReportBuilder(const std::string& code);
// Runs the builder whose request code is code: a report token ("*A" ...;
// "*B", "*K" and the customer-group report "*c" take a code range
// "first:last" as argument), "#P" (the
// argument, when given, receives a copy of the history at the end of the
// run), "#Z", a reset ("#q", "#i", "#d") or a deletion ("#C", "#L", "#M",
// "#N", "#F", "#l") with its range as argument ("#C" and "#L" with a PLU file
// instead delete the codes of that file), "&c", and the keyboard lock "*2"
// and release "*3". An argument that is a range is no copy destination
// (Core.strReqArg is cleared; the argument is taken as a copy, as it is
// often that string). A range of a report or deletion that is not one of
// codes (digits, first from 1 and not above last) runs nothing and is an
// error-log line of code 3. False when the code is not one of these.
// queued is the builder's result.
bool RunReportBuilder(const std::string& code, std::string arg, bool& queued);
// Whether RunReportBuilder takes the code.
bool IsReportBuilderCode(const std::string& code);
// The request of the code does what cannot be undone (the closure, a reset,
// a deletion): it is never sent to a register twice.
bool RequestCannotBeUndone(const std::string& code);
// The request code is the daily closure's.
bool RequestIsClosure(const std::string& code);
