#pragma once
// The serial trace: serial.log in the start folder, one line per frame sent
// (Tx), received (Rx) and per link error (Err):
//   hh:mm:ss,mmm Tx  (pp-aa-rrr)-> text
// with a time stamp from the system tick count, the port number, the station
// parameter and the register number, and control characters written as
// "[code]". The file is truncated by the first line after start-up or after
// a stop, and flushed after every line.
#include <cstdint>
#include <string>

struct SerLogGlobals {
    std::string strSerLogFile;   // path of serial.log
    int16_t nSerLogFile = -1;    // -1 while the file is not open
    bool bSerLogData = false;    // write Tx and Rx lines
    bool bSerLogErr = false;     // write Err lines
};
extern SerLogGlobals SerLog;

constexpr int16_t kLogTx = 1;
constexpr int16_t kLogRx = 2;
constexpr int16_t kLogErr = 3;

// Sets the trace file (start folder, else the current folder) and closes it.
void InitSerialLog();
// Writes one line: kind 1 LinkState.TxFrame, 2 LinkState.RxFrame, 3 the text.
// Tx and Rx only with bSerLogData; Err with bSerLogErr or during a connection
// test, when the line also goes to the progress window's error list.
void LogSerial(int16_t kind, const std::string& text = "");
// Characters below 32 or above 126 as "[" + decimal code + "]".
std::string FmtCtrlChars(const std::string& text);
// "hh:mm:ss,mmm" of a tick count in milliseconds (hours wrap at 24).
std::string SerialTimeStamp(uint32_t tick);

// The trace window's start: a fresh file with the chosen lines. False (and
// nothing changes) when neither kind is chosen.
bool StartSerialLog(bool data, bool errors);
// Closes the file and clears both flags.
void StopSerialLog();
