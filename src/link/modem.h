#pragma once
// The modem dialogue over the current serial port: the command lists of
// modem.ini (Core.strModemIni), dialling a phone-book entry, the carrier,
// and the hang-up. The modem connection window drives it; a command-line
// run dials through it without a window.
//
// modem.ini: [Init1] Cmd1(n), Cmd2(n), ... the initialisation of phone-book
// entry n, or Cmd1, Cmd2, ... when the entry has none of its own;
// [Connect1] Cmd1, ... sent before dialling, and "Dial", the dial prefix;
// [Disconnect1] "Disconnect", the hang-up command, and Cmd1, ... after it.
// A missing or empty key ends a list.
//
// The carrier is the port's carrier-detect line. A device that cannot report
// its modem lines (a pseudo-terminal) has only the modem's words for it:
// "CONNECT" stands for the carrier coming up and "NO CARRIER" for its loss.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {
class SerialPort;
}

struct ModemGlobals {
    bool bAbortDial = false;  // the Abort button asked the dial wait to stop
    bool bDialing = false;    // a dial is in progress
    // Why the last dial or command failed, for the logs (a language text and
    // what it concerns); empty after a success.
    std::string strFailure;
};
extern ModemGlobals Modem;

inline constexpr double kModemCmdTimeout = 5.0;   // wait for "OK" (s)
inline constexpr double kCarrierTimeout = 30.0;   // wait for the carrier after dialling (s)

// The values of a list of modem.ini: section, keys "Cmd1", "Cmd2", ... each
// followed by suffix, up to the first missing or empty one.
std::vector<std::string> ModemList(const std::string& section, const std::string& suffix = "");

// Writes the command and CR (unless it is empty), then collects what the
// modem answers: true as soon as it holds "OK", false after 5 seconds, or at
// once on a stop or on the user's Abort of a dial (Modem.bAbortDial).
bool ModemCmd(const std::string& command);
// The initialisation list of phone-book entry n; false when a command got
// no "OK".
bool ModemInit(int16_t n);
// The current port is open and the carrier is up.
bool ModemConnected();
// Dials the number for phone-book entry n: nothing when the carrier is
// already up; else the initialisation, the connect list and the dial
// command, then waits up to 30 seconds for the carrier (a device without a
// carrier line: until "CONNECT"), stopping on Modem.bAbortDial and at once
// on the modem's refusals "NO CARRIER", "BUSY", "NO DIALTONE", "NO ANSWER"
// and "ERROR". A dial that fails hangs up; after the user's Abort the
// hang-up writes what it always writes without waiting for the modem's
// answers. Modem.bAbortDial is cleared at the end. True when connected.
bool ModemDial(const std::string& number, int16_t n);
// "+" three times, 200 ms after each (the windows run meanwhile).
void ModemEscape();
// Hangs up (only with the modem bit of CassaConf.P911 and the port open):
// the escape, the wait for "OK", the hang-up command, DTR dropped when the
// carrier is still up, the closing list.
void ModemDisconnect();

// One dial attempt of the modem connection window for the phone-book entry:
// status "Dialing", the number from the phone book, ModemDial, then status
// "Connected" or "NotConnected" (the keys of section "frmModemConnection").
// A failure is said in the message log and the progress window's error
// list. True when connected.
bool ModemDoConnect(int16_t index, const std::function<void(const std::string& key)>& status);

// The carrier of the port (see above).
bool ModemCarrier(platform::SerialPort* port);
// Text received from the modem on that port: its "CONNECT" and "NO CARRIER"
// move the carrier of a device without a carrier line.
void ModemWatch(platform::SerialPort* port, const std::string& received);
// The port was opened afresh: no carrier is known from the modem's words.
void ModemForget(platform::SerialPort* port);

// Hangs up at the end of the run when the modem of the current port is
// connected.
void ModemHangUpAtExit();
