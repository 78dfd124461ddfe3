#pragma once
// Language texts, status messages and logs.
//
// Every text the user sees comes from the language file (Core.strLangFile),
// an INI file read by section and key. Status texts go to panel 1 of the main
// window and to msg.log in the base folder; batch errors go to the error log
// (Core.strLogErrFile) as fixed-column lines.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/cash_list.h"
#include "core/shell.h"

// What an error-log line is about: the register (its fields as the register
// list gives them; all empty for none) and the request (its code and its
// argument as the request list gave it).
struct LogSubject {
    CashInfoRec cash;
    std::string code;
    std::string arg;
    int reg = -1;  // its index in the register list, -1 for none
};
// Register reg of the list (blank fields outside it) and the request.
LogSubject AboutRegister(int reg, const std::string& code, const std::string& arg);
// The request in progress (Core.strReqCode; its argument as the list gave it
// in a command-line run, the working one in the windows), about register reg.
LogSubject RequestFor(int reg);
// The open turn: the register whose folder is open (Core.nOpenCash) and the
// request in progress.
LogSubject OpenTurnSubject();

struct TextsGlobals {
    int16_t nMsgLogFile = -1;  // -1 until the first message of the run (msg.log is then replaced)
    bool bNewTxtFile = false;  // the next WriteTxtFile line starts a new file
    int32_t nCntRec = 0;       // record counter (tree window, panel 7)
    int16_t nCntPend = 0;      // pending-command counter (tree window, panel 8)
    // The last success of the operation in progress ("Sent to register 1"),
    // shown again when the operation ends; an error listed drops it.
    std::string strResult;
    // While a reply to the register is built and sent: the success it would
    // name, said only once the register acknowledged that reply.
    bool bResultHeld = false;
    std::string strHeldResult;
    // A refusal of what the user answered Yes to: the status text keeps it
    // over the operation's later lines until the user acts.
    std::string strKeptStatus;
    // What the program said under a kept refusal, shown when it gives way.
    std::string strStatusUnder;
    bool bStatusUnder = false;
    // The last line written to the message log in this run.
    std::string strLastLogged;
    // The error log, the message log could not be written in this run (said once).
    bool bErrLogFailed = false;
    bool bMsgLogFailed = false;
    // The language file looked at in this run (what is wrong with it said once).
    std::string strLangReported;
    // The keys of the language file found without text in this run (each said once).
    std::set<std::string> textlessKeys;
};
extern TextsGlobals Texts;

// The text of the key in the section of the language file, at most 127
// characters. When the key is absent or empty, key + "_" + the model number
// is tried. Empty when neither gives a text; never fails. A command-line run
// says once that its language file is missing, cannot be read or holds no
// texts (standard error and message log), and names in the message log each
// key it found without text, once; neither is a failure of the run.
std::string GetText(const std::string& section, const std::string& key);
// The same without a word on a missing text: for what is said before a run
// may write in its folder (one held by another run).
std::string GetTextUnnoted(const std::string& section, const std::string& key);
// Makes the language file the source of the words of file errors
// (platform::SetFileErrorWords). Called once at start-up by every program
// (the program's Main, the test programs' main).
void InstallTextHooks();
// The name of a protocol command: section "Protocol_" + model key, key = the
// first two characters of the code, a lower-case second letter doubled
// ("*a" -> "*aa", "*A" -> "*A").
std::string GetProtocolText(const std::string& code);

// Status text from the language file: "Msg"[k1], and " - " + "Msg1"[k2] when
// k2 is not empty. Both empty clears the panel and logs nothing.
void ShowMsg(const std::string& k1, const std::string& k2);
// The same with literal texts, joined by "-" without blanks.
void ShowMsgText(const std::string& t1, const std::string& t2);
// A save refused: the "Msg" text of what (9 for the options) - the field's
// name - "badfield" in the status text, or what - "3" when no field was named.
void ShowSaveRefused(const std::string& field, const std::string& what = "9");
// A send refused for a field that only the send takes: "Comandi" "4" - the
// field's name - "badsend".
void ShowSendRefused(const std::string& field);
// A file the register sent was stored whole in the folder of the register
// open now (the record of what each register did counts it).
void NoteFileStored();
// A transfer's success ("Sent to register 1"): shown now, and kept for the
// end of the operation, which would otherwise clear the status text. The
// message log takes it once when it comes again with nothing logged between
// (the two options records of one register).
void ShowResult(const std::string& text);
// The end of an operation: the status text becomes its kept success, or
// empty; nothing is kept after.
void ShowOperationEnd();
// The program's reply to a register's request is built and sent between
// these two: a success that the reply names (the "*" that ends a send) is
// held, and said only when the register acknowledged the reply; else the
// exchange was not done and nothing names it done.
void HoldResult();
void ReleaseResult(bool acknowledged);

// The status text just shown, a refusal of what the user answered Yes to
// during an operation, stays over the operation's later lines (its progress,
// its successes, its end: those still go to the message log) until the user
// acts; the progress window lists it too.
void KeepStatusText();
// The user acted (a click, a key): the status text follows the program again,
// showing the last text it set meanwhile (an operation's end).
void ReleaseStatusText();
// The status text set directly, unless a refusal is kept there.
void ShowStatusText(const std::string& text);

// "Save the changes?" before a change is kept or dropped. Closed leaves the
// change as it is, unsaved: the caller stays where it was.
Reply AskConfirm();
// After an answer time-out: reports in the progress window which kind of
// exchange was left incomplete, and clears the card/group flags concerned.
void ShowRxResult();

// Appends "dd/mm/yyyy - hh:mm:ss : text" to msg.log in the base folder; the
// first line of a run replaces the file. False when it cannot be written.
bool WriteMsgLog(const std::string& text);
// Appends the fixed-column line for the code, about its register and
// request, to the error log at once.
// False when there is no error log or it cannot be written; a line that
// cannot be written goes to standard error, and the message log says why. Every call
// counts as a failure of the run and of the register it is about (the record
// of what each register did, core/work_record.h), whether or not the line
// could be written: the exit status of a command-line run follows that
// count. Nothing in the release of a register after a stop: the stop's
// lines say what it left. fromSetup: running the job again at once does not
// mend the failure: it comes from the machine's setup (a serial port the run
// may not open), or from a port another run holds.
bool LogErr(int16_t code, const LogSubject& about, bool fromSetup = false);
// The same line, but no failure: it says what became of a request that an
// earlier line named (left after a failure, made good).
bool LogNote(int16_t code, const LogSubject& about);

// The error-log codes of this program beyond the register's and the link's.
inline constexpr int16_t kErrFile = 12;       // a file of the run could not be read, written or copied
inline constexpr int16_t kErrCashEntry = 13;  // a register entry cannot be used, or none can
// The register was not released after the exchange of the request named in
// the line (its closing frame got no answer); the request itself was done.
inline constexpr int16_t kErrNotReleased = 14;
// The request was not done: the register's work ended before it, after the
// failure named by an earlier line.
inline constexpr int16_t kErrLeft = 15;
// A request that is never sent twice (a closure, a reset, a deletion) went
// out without acknowledgement: it may or may not have been done.
inline constexpr int16_t kErrMaybeDone = 16;
// The closure was made (the register acknowledged it) but its data were not
// received or could not be stored: never send it again.
inline constexpr int16_t kErrClosureNoData = 17;
// The failures named by earlier lines of the same register and request were
// made good by the register's extra turn: the request was done.
inline constexpr int16_t kErrMadeGood = 18;

// The error-log line for the code as LogErr writes it (without line end).
std::string FormatLogErrLine(int16_t code, const LogSubject& about);
// Writes the text as one line of Core.strCashDir/name: a new file when
// Texts.bNewTxtFile is set, else appended. False on a file error.
bool WriteTxtFile(const std::string& name, const std::string& text);

// A text of the program (Windows-1252, as the language files and config.ini
// hold it) as standard error takes it, in UTF-8: a terminal or cron's mail
// shows its accents. A text that already reads as UTF-8 (a path the system
// gave) is left as it is.
std::string TerminalText(const std::string& text);

// "Register N", as the progress window and the message log name register
// reg of the list (N: its station address + 1).
std::string RegisterName(int reg);

// The record and pending-command counters; shown in the tree window's status
// bar in batch mode, kept only in interactive mode.
void SetCntRec(int32_t value);
void IncCntRec();
void SetCntPend(int16_t value);
void IncCntPend();
