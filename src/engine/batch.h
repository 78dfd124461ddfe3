#pragma once
// Batch mode: the program started with options runs the request list of
// config.ini [Richieste] against the chosen registers and ends.
//
// Command line: each option is a slash, a letter, one separator character
// and a value ("/r:**", "/f=setup.ini"), options separated by blanks:
//   /r request code ("**" runs the request list)   /f batch setup file
//   /e register mask ("1"/"0" per register)        /s sort imports (0 or 1)
//   /l model number   /p serial port number   /b baud-rate index
//   /t link type (0 direct, 1 addressed)      /a station address
//   /c hello copy file ("file" or "file|mode")    /w window mode
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One entry of the request list: "code|argument".
struct BatchRequest {
    std::string code;
    std::string arg;
    // The registers (bit n: register list entry n) for which the request's
    // import has run in this run, and those for which it succeeded: a
    // register's extra turn sends what its first turn imported.
    uint32_t imported = 0;
    uint32_t importedOk = 0;
    // The record range that each register's import left (departments and
    // their loyalty lines send that range), by register.
    std::array<std::pair<int16_t, int16_t>, 32> importedRange{};
};

struct BatchGlobals {
    std::vector<std::string> args;  // the command-line arguments, one option each
    std::string strSetupFile;       // /f: the batch setup file
    int16_t nModel = 0;             // /l (0: not given)
    int16_t nPort = 0;              // /p (0: not given)
    int16_t nBaud = 0;              // /b (0: not given)
    int16_t nLinkType = 0;          // /t: 0 direct, 1 addressed
    int16_t nStation = 0;           // /a
    std::string strHelloCopy;       // /c
    std::string strBadOption;       // the option ParseCmdLine could not take
    std::string strBadWhy;          // why an option that parsed is refused (empty: it did not parse)
    std::string strReqOption;       // the /r option as given
    std::string strModelOption;     // the /l option as given
    bool bListLoaded = false;       // LoadConfig has read [Richieste]
    std::vector<BatchRequest> Richieste;  // the request list, in file order
    // Settings of the configuration that could not be used as they stand,
    // one line each (LoadConfig; also in msg.log), for standard error.
    std::vector<std::string> settingNotes;
    // Enabled entries left out of the run because they name one folder.
    int nSharedLeftOut = 0;
    // Failures at the run's end (the semaphore file), for standard error.
    std::vector<std::string> endNotes;
    // The run's end: a line for each register that did not do its list, and
    // the last line, naming the kind of trouble (empty: none), for standard
    // error.
    std::vector<std::string> notDone;
    std::string trouble;
    // The registers (bit n: list entry n) whose port another program held.
    uint32_t heldPorts = 0;
    bool bEndSaid = false;  // said once: at a stop when it is taken, else at the run's end
};
extern BatchGlobals Batch;

// The request code that runs the request list of config.ini.
inline constexpr const char* kRequestList = "**";
// The request code of the connection test (poll and hello only).
inline constexpr const char* kConnTestRequest = "HELLO";

// One line on how to start the program in batch mode.
std::string UsageLine();
// The usage line, then a line on each option (what it does, its default)
// and the exit statuses: what --help prints.
std::string UsageText();
// The line a command line that does not parse ends with: the option that was
// not understood or refused and why (or the missing request code), then the
// usage line.
std::string CmdLineErrorLine();

// The kind of trouble a failed run ends with, for a caller that acts on it:
// the last line on standard error.
enum class RunTrouble {
    Requests,  // a register or a request failed: try again what the error log names
    Setup,     // the setup file, config.ini or the register list cannot be used: fix the job
    Held,      // the customer folder or a serial port is held elsewhere: try later
};
// The fixed text of the kind (the language file's, else English).
std::string TroubleText(RunTrouble kind);
// The run's last lines on standard error, in UTF-8: the notes of its end,
// the registers that did not do their list, then the kind of trouble.
std::string RunEndLines();

// Parses Batch.args into the options (request code into Core.strReqCode,
// the /f argument into Core.strReqArg, /s into Core.bSortImport, /e into
// Core.strCashMask ...). Sets both serial-trace flags first: a batch run
// always writes the serial trace. False when an option is not a known
// letter, its value doesn't fit it (that option is kept in
// Batch.strBadOption), or the request code is missing.
bool ParseCmdLine();

// The paths of the run from the batch setup file (setup.ini of the start
// folder when /f is absent): setup.ini is that file, modem.ini and
// PhoneBook.ini stand beside it, and its [Casse] "path" names the base
// folder (the start folder when absent). Then the station address, the link
// type and the model. The model is /l; a base folder that lies in a folder
// of the start folder named after a model key (<start>/LX4100/Demo, the
// windows' layout) is of that model: without /l the run takes it (the
// number an installation of the setup file gives that key, else the key's
// first number), and a /l of another model is refused: false, with the
// option and why in Batch.strBadOption and Batch.strBadWhy. Elsewhere
// without /l the default model (5).
bool InitBatch();

// A request code of the command line (not "**") that is no request's:
// false, with the option in Batch.strBadOption and Batch.strBadWhy. Nothing
// is written: it serves where the customer folder is not this run's.
bool CommandLineCodeKnown();

// After LoadConfig: a request of the command line (not "**") whose code is
// no request's is refused before any register is opened: said in the
// message log, an error-log line of code 3, and false with the option in
// Batch.strBadOption and Batch.strBadWhy.
bool CommandLineRequestKnown();

// The semaphore file setup.ini names ([Casse] "sem", from the start
// folder); empty when it names none.
std::string SemFileSetting();

// Reads the batch configuration: setup.ini [Casse] "logerr" and "sem";
// config.ini [Globali] "globplu", [Generiche] "langfile",
// "commandstimeout" (default 1800 s) and "hstlimit"; the register list with
// the register mask; the request list: with the request code "**" the
// [Richieste] of config.ini (whole, in file order, whatever the key names;
// "code|argument"), with any other the command line's request alone
// ("/r:&L|1:99" as a list of that one line); the list position to its start.
// A commandstimeout that is not whole seconds from 1 to 86400 is said and
// 1800 taken; an error log that names a folder, or a file in a missing
// folder, is said (Batch.settingNotes and msg.log).
void LoadConfig();

// After LoadConfig: whether the run has anything to do. A missing
// config.ini, an empty request list or no register defined and enabled is
// a failure of the run, written to msg.log and the error log; the result is
// then that text, for standard error. Empty when the run can start.
std::string BatchNothingToDo();

// One step of the request list: runs the entries after the current
// position until one queues its commands (true). False at the end of the
// list, without a list, when the open register's handshake failed in this
// cycle, or (forgetting the list) after an abort or an exit request.
bool ExecRequests();

// The end of a run with a request list: the message log says for each
// register of the run whether it did its list, else the requests it did not
// do and those it may or may not have done; those registers and the kind of
// trouble are kept for standard error (Batch.notDone, Batch.trouble).
void SayRunEnd();

// Runs one request; true when it queued commands. An unknown code is an
// error-log line (code 3). Code and argument are taken as copies: the
// builders clear Core.strReqArg, which a caller may have passed.
bool ExecRequest(std::string code, std::string arg);
// Whether the code is a request's (the request list's "**" is not).
bool IsRequestCode(const std::string& code);

