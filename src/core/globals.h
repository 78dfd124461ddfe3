#pragma once
// The application core's global state: folders and configuration files of the
// run, the mode of the run and the options the command line set. One struct,
// so that a test can put everything back with `Core = CoreGlobals{}`.
// Other owners keep their globals in their own headers (register list,
// options record, link state, command queue).
#include <cstdint>
#include <string>

constexpr int16_t True = -1;
constexpr int16_t False = 0;

struct CoreGlobals {
    // Folders and files
    std::string strStartDir;       // the folder current at start-up (setup.ini, language files)
    std::string strRootDir;        // base folder: config.ini, msg.log, the register folders
    std::string strCashDir;        // folder of the open register: strRootDir/CassaN
    std::string strCustDir;        // customer folder chosen at start-up
    std::string strSetupIni;       // setup.ini in the start folder
    std::string strModemIni;       // modem.ini
    std::string strPhoneBookIni;   // PhoneBook.ini
    std::string strLangFile;       // language file: start folder/Testi.<ext>
    std::string strLangExt;        // extension of the chosen language
    std::string strLogErrFile;     // error log (batch mode only)
    std::string strSemFile;        // semaphore file written at the end of a batch run

    // Mode of the run
    bool bInteractive = true;      // false in batch mode
    std::string strCmdLine;        // the command line as one text (batch mode)
    int nWindowMode = 0;           // /w
    bool bSortImport = false;      // /s
    std::string strCashMask;       // /e: one "1"/"0" per register, empty when not given
    std::string strReqCode;        // current batch request code
    std::string strReqArg;         // current batch request argument
    std::string strReqArgGiven;    // the same as the request list gave it (the error log's)

    // The open register
    int16_t nOpenCash = 0;         // index of the register whose folder is open
    int16_t nCommPort = 1;         // serial port of the open register

    // Time-outs (seconds)
    float sngCmdTimeout = 60.0f;       // global time-out of a cycle over the registers
    float sngConnTestTimeout = 0.0f;
    double sngTimerBase = 0.0;         // start of the current cycle (monotonic seconds)

    // Flags
    bool bAskOnExit = true;
    bool bKeyLock = false;
    bool bFirstCash = false;
    bool bHelloShown = false;
    bool bStoricoCopy = false;
    bool bGlobPLU = false;         // config.ini [Globali] "globplu"
};

extern CoreGlobals Core;
