#pragma once
// The program's one serial line: the port objects (one per port number, as
// the main window's CommList), the current port that every link operation
// uses, the link settings (baud index and DTR delay), the five link
// time-outs, and the small byte operations the frame layer builds on.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/link_state.h"
#include "platform/serial.h"

struct CommGlobals {
    int16_t nBaud = 0;         // 1 = 9600, 2 = 19200, 3 = 38400 baud; other values open at 19200
    int32_t nDTRDelay = 0;     // wait after opening the port (ms)
    bool bPortOpen = false;    // result of the last OpenPort
    // Bytes that arrived after an acknowledgement, kept for the frame reader
    // (a register may send its ACK and its next frame in one burst).
    std::string strRxKeep;
    // The device of the open port went away and the port was closed; the
    // command under way ends at once. Cleared when a port opens.
    bool bPortLost = false;
};
extern CommGlobals Comm;

// Link option bits of CassaConf.P911.
constexpr int16_t kP911Modem = 1;       // modem connection
constexpr int16_t kP911Addressed = 2;   // addressed mode
constexpr int16_t kP911NoDTRWait = 128; // no DTR wait after opening the port

// --- port objects ---

// The port object of port number n (1 to 16), created on first use by the
// port factory. Numbers outside 1..16 give nullptr.
platform::SerialPort* CommList(int n);
// The port selected by the last OpenPort (nullptr before the first one).
platform::SerialPort* CurrentPort();
// Replaces the way port objects are made (tests and the modem tests use
// fake ports); an empty function restores the real termios ports. Forgets
// every port object made so far (closing them).
void SetPortFactory(std::function<std::unique_ptr<platform::SerialPort>(int n)> factory);

// The modem connection window, as OpenPort needs it. The modem code installs
// one; without it a port with the modem bit cannot be connected.
class ModemDialer {
public:
    virtual ~ModemDialer() = default;
    // The modem connection is up.
    virtual bool ModemConnected() = 0;
    // Hangs up.
    virtual void ModemDisconnect() = 0;
    // Shows the modem connection window modally; it dials the phone-book
    // entry on the current port. True when it reports a connection.
    virtual bool ShowModemConnection(int16_t phoneBookIndex) = 0;
};
void SetModemDialer(ModemDialer* dialer);

// --- settings and time-outs ---

// Comm.nBaud from config.ini [Communication] "baud", else setup.ini (default
// 2); Comm.nDTRDelay from setup.ini [Communication] "DTRDelay" (default 0).
void LoadCommConf();
// Writes Comm.nBaud to config.ini [Communication] "baud".
void SaveBaud();
// "9600,n,8,1", "19200,n,8,1" or "38400,n,8,1" for a baud index.
std::string PortSettingsText(int16_t baud);
// The latest end of a link wait that began at `start` with its own time-out
// `own`: a wait that what arrives keeps going (or restarts) still ends once
// its own time-out and the command's answer time-out have passed since it
// began, whatever the line sends.
double WaitLimit(double start, double own);

// --- opening ---

// The port as the communication window lists it, with the device the
// settings store gives it: "COM7 (/dev/ttyS6)"; "COM7" alone when the device
// is unknown (the settings file cannot be read).
std::string PortWithDevice(int n);

// Opens or re-opens the port Core.nCommPort for the current register when
// it is closed, its settings or number changed, or (modem) the carrier or
// the phone-book entry changed. Sets Comm.bPortOpen.
void OpenPort();
// OpenPort, then FlushInput; returns Comm.bPortOpen. A port that cannot be
// opened is reported in the progress window's error list and the message
// log (the port, its device, the system's reason and, for a permission
// refused, the group to join) and in the error log (connection failure).
bool OpenCommPort();
// True when the port Core.nCommPort is closed because its last opening
// found the device held by another run of the program, the program's
// windows or another program.
bool PortHeld();
// What the refusal of a held port says: the port, its device and, when it
// is a run of this program, the process that holds it and its command line.
std::string PortHeldText();
// Why the port Core.nCommPort could not be opened, as OpenCommPort said it;
// empty when it is open or held (PortHeldText says that).
std::string PortFailureText();
// True when the current port is open and its device still there. A device
// that hung up or failed while open (an adapter pulled) is found here and
// by every byte operation below: its port is closed, every register must
// greet again, no closing frame goes out on the line, the loss is reported
// once (progress window, error log, message log) and the next command opens
// the port again.
bool LineOpen();
// The wait after opening (unless P911 has bit 128): status text and
// Comm.nDTRDelay milliseconds.
void DTRWait();

// --- bytes ---

// Discards every byte received and not yet read.
void FlushInput();
// True when received bytes are waiting.
bool InputPending();
// Every byte received so far (kept bytes first).
std::string ReadInput();
// Waits up to ms milliseconds for input (the loops' pause between passes).
void WaitInput(int ms);
// Sends LinkState.TxFrame and waits, letting the user interface run, until
// the port has sent it. Bounded: false when the port is not open, refuses
// the bytes, has not sent them within their transmission time plus two
// seconds, or the abort check (LinkAborted) says so.
bool WriteOutput();
