#include "link/port.h"

#include <algorithm>
#include <cerrno>
#include <map>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/modem.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/settings.h"

CommGlobals Comm;

namespace {

std::function<std::unique_ptr<platform::SerialPort>(int)> portFactory;
std::map<int, std::unique_ptr<platform::SerialPort>> ports;
platform::SerialPort* currentPort = nullptr;
ModemDialer* modemDialer = nullptr;

bool ModemBit() { return (CassaConf.P911 & kP911Modem) != 0; }

std::string ConfigIni() { return platform::JoinPath(Core.strRootDir, "config.ini"); }

// The port as the settings store names it, with its device: "COM7
// (/dev/ttyS6)". The device is the one in use, else the one the number names.
std::string PortName(int n, const std::string& device) {
    std::string name = "COM" + std::to_string(n);
    const std::string path = device.empty() ? platform::PortDevice(n) : device;
    if (!path.empty() && n <= 16) name += " (" + path + ")";
    return name;
}

// Why the port could not be opened, as the user reads it: the port and its
// device, the system's reason and, when the system refused the permission
// and a group gives access to the device, that group and how to join it.
std::string OpenFailureText(const platform::SerialPort* port) {
    std::string line = GetText("Log", "noport") + " " + PortName(Core.nCommPort, "");
    const std::string reason = port ? port->LastReason() : GetText("Log", "noportnum");
    if (!reason.empty()) line += ": " + reason;
    if (!port || port->LastErrorNumber() != EACCES) return line;
    const std::string group = platform::DeviceGroup(platform::PortDevice(Core.nCommPort));
    if (group.empty()) return line;
    return line + ". " + GetText("Log", "portgroup") + " " + group + ", " + GetText("Log", "portjoin") +
           " sudo usermod -aG " + group + " $USER";
}

// The loss of the line cuts short an exchange whose request is not done: a
// command under way with answers awaited (or its frame going out), or a bulk
// transfer. Not the closing frame, nor the pause between commands: the
// request before was done, and the next command says whether it can go out.
bool CutsExchangeShort() {
    if (LinkState.bReleasing) return false;
    return (LinkState.nState == 1 && (LinkState.bNoCmd || LinkState.nPendingAns > 0)) ||
           LinkState.nState == 4;
}

// The device of the current port went away while open: the port is closed
// (the next command opens it again), the registers greet again when the
// line is back, and the loss is reported here, once; in the error log only
// when it fails the request in progress.
void CloseLostPort() {
    platform::SerialPort* port = currentPort;
    const std::string reason = port->LastReason();
    const std::string name = PortName(port->CommPort(), port->Device());
    port->SetPortOpen(false);
    Comm.bPortOpen = false;
    Comm.bPortLost = true;
    Comm.strRxKeep.clear();
    for (CashRec& entry : CassaList) entry.bConnected = False;
    // The progress window's line, with the system's reason, is the message
    // log's too.
    std::string line = GetText("Log", "portlost") + " " + name;
    if (!reason.empty()) line += ": " + reason;
    CurrentShell().AddError(line, true);
    if (!CutsExchangeShort()) return;
    // No closing frame goes out after the exchange cut short (the failure
    // said here is the register's); after a done one, the closing that cannot
    // go out says that the register was not released.
    LinkState.strCmdSent.clear();
    LogErr(5, OpenTurnSubject());
}

}  // namespace

platform::SerialPort* CommList(int n) {
    if (n < 1 || n > 16) return nullptr;
    auto& slot = ports[n];
    if (!slot)
        slot = portFactory ? portFactory(n) : std::make_unique<platform::TermiosSerialPort>(n);
    return slot.get();
}

platform::SerialPort* CurrentPort() { return currentPort; }

void SetPortFactory(std::function<std::unique_ptr<platform::SerialPort>(int n)> factory) {
    currentPort = nullptr;
    ports.clear();
    Comm.strRxKeep.clear();
    portFactory = std::move(factory);
}

void SetModemDialer(ModemDialer* dialer) { modemDialer = dialer; }

void LoadCommConf() {
    int baud = platform::ProfileInt("Communication", "baud", -1, ConfigIni());
    if (baud == -1) baud = platform::ProfileInt("Communication", "baud", 2, Core.strSetupIni);
    Comm.nBaud = static_cast<int16_t>(baud);
    Comm.nDTRDelay = platform::ProfileInt("Communication", "DTRDelay", 0, Core.strSetupIni);
}

void SaveBaud() {
    platform::WriteProfileString("Communication", "baud", std::to_string(Comm.nBaud), ConfigIni());
}

std::string PortSettingsText(int16_t baud) {
    const char* rate = baud == 1 ? "9600" : baud == 3 ? "38400" : "19200";
    return std::string(rate) + ",n,8,1";
}

double WaitLimit(double start, double own) {
    return start + std::max(own, 0.0) + std::max(static_cast<double>(LinkState.sngAnsTimeout), 0.0);
}

void OpenPort() {
    const std::string settings = PortSettingsText(Comm.nBaud);
    const bool modem = ModemBit();
    platform::SerialPort* port = CommList(Core.nCommPort);
    currentPort = port;
    if (!port) {
        Comm.bPortOpen = false;
        return;
    }

    // The settings store now names another device for the port (a register
    // emulator restarted on a new pseudo-terminal, an adapter moved): the
    // open one is closed and the named one opened, the old one's end being
    // no loss to report. Else a device that went away since the last
    // command is closed (and reported) first; then it is opened again like a
    // closed port.
    const bool moved = port->PortOpen() && port->Device() != platform::PortDevice(port->CommPort());
    if (port->PortOpen() && !moved && port->DeviceLost()) CloseLostPort();
    bool reopen = moved || !port->PortOpen() || port->Settings() != settings ||
                  port->CommPort() != Core.nCommPort;
    if (!reopen && modem) {
        // Another phone-book entry, or the carrier lost (on a device without
        // a carrier line, as the modem's words said).
        reopen = port->Tag() != CassaConf.nPhoneBookIndex || !ModemCarrier(port);
    }
    if (!reopen) {
        // The current port is open as asked: whatever the previous port's
        // outcome was, this one is usable.
        Comm.bPortOpen = true;
        Comm.bPortLost = false;
        return;
    }

    if (Core.nOpenCash >= 0 && Core.nOpenCash <= kMaxCash)
        CassaList[Core.nOpenCash].bConnected = False;
    if (port->PortOpen()) {
        if (modem && modemDialer && modemDialer->ModemConnected()) modemDialer->ModemDisconnect();
        port->SetPortOpen(false);
    }
    Comm.bPortOpen = false;
    Comm.strRxKeep.clear();
    // DTR is raised at every opening: a hang-up may have dropped it, and a
    // modem ignores a terminal that is not ready.
    port->SetDTREnable(true);
    if (!port->SetSettings(settings) || !port->SetCommPort(Core.nCommPort) ||
        !port->SetHandshaking(modem ? 2 : 0) || !port->SetPortOpen(true))
        return;
    ModemForget(port);
    Comm.bPortLost = false;

    DTRWait();

    if (!modem) {
        Comm.bPortOpen = true;
        return;
    }
    if (modemDialer && modemDialer->ShowModemConnection(CassaConf.nPhoneBookIndex)) {
        port->SetTag(CassaConf.nPhoneBookIndex);
        Comm.bPortOpen = true;
    }
}

std::string PortWithDevice(int n) { return PortName(n, ""); }

bool OpenCommPort() {
    OpenPort();
    FlushInput();
    if (Comm.bPortOpen) return true;
    // Opening was given up for an abort or a stop (a modem's dial cut short):
    // whoever aborted says what was not done.
    if (LinkAborted()) return false;
    platform::SerialPort* port = CommList(Core.nCommPort);
    bool fromSetup = false;
    if (port && port->PortOpen()) {
        // The port opened but its modem did not reach the register (the
        // modem's own line said why): not a port that cannot be opened.
        CurrentShell().AddError(
            GetText("Log", "modemnolink") + " " + PortName(port->CommPort(), port->Device()), true);
    } else if (PortHeld()) {
        // Another run of the program, the program's windows or another
        // program has the device: the user is told which one. Running the
        // job again at once does not mend it either: with a port the setup
        // must fix on another register, the run's last line says to fix that
        // first, not to try again.
        CurrentShell().AddError(PortHeldText(), true);
        fromSetup = true;
    } else {
        // Which port could not be opened and why: no such port number, or
        // the system's reason (a device that does not exist, a permission
        // denied). The message log gets the same line.
        CurrentShell().AddError(OpenFailureText(port), true);
        // A port number without a port, a permission refused, a device that
        // is no serial port: running the job again does not mend them, the
        // machine's setup does, as it does a device that is unknown because
        // the settings file cannot be read. A device missing may be plugged
        // in again.
        const int error = port ? port->LastErrorNumber() : 0;
        fromSetup = !port || error == EACCES || error == EPERM || error == ENOTTY ||
                    platform::PortDevice(Core.nCommPort).empty();
    }
    LogErr(5, OpenTurnSubject(), fromSetup);
    return false;
}

bool PortHeld() {
    platform::SerialPort* port = CommList(Core.nCommPort);
    return port && !port->PortOpen() && port->Held();
}

std::string PortHeldText() {
    platform::SerialPort* port = CommList(Core.nCommPort);
    std::string text = GetText("Msg", "69") + " " + GetText("Log", "portheld") + " " +
                       PortName(Core.nCommPort, "");
    if (port && !port->Holder().empty()) text += " (" + port->Holder() + ")";
    return text;
}

std::string PortFailureText() {
    platform::SerialPort* port = CommList(Core.nCommPort);
    if ((port && port->PortOpen()) || PortHeld()) return "";
    return OpenFailureText(port);
}

bool LineOpen() {
    if (!currentPort || !currentPort->PortOpen()) return false;
    if (!currentPort->DeviceLost()) return true;
    CloseLostPort();
    return false;
}

void DTRWait() {
    if (CassaConf.P911 & kP911NoDTRWait) return;
    ShowMsg("86", "2");
    // In short steps: an abort or a stop is not held up by a long delay.
    constexpr int32_t kStep = 50;
    for (int32_t left = Comm.nDTRDelay; left > 0 && !LinkAborted(); left -= kStep)
        platform::WaitMs(std::min(left, kStep));
}

void FlushInput() {
    Comm.strRxKeep.clear();
    if (LineOpen()) currentPort->SetInBufferCount(0);
}

bool InputPending() {
    if (!Comm.strRxKeep.empty()) return true;
    return LineOpen() && currentPort->InBufferCount() != 0;
}

std::string ReadInput() {
    std::string bytes;
    bytes.swap(Comm.strRxKeep);
    if (LineOpen()) {
        std::string fresh = currentPort->Input();
        // A modem line: the modem's words may say the carrier came or went.
        if (CassaConf.P911 & kP911Modem) ModemWatch(currentPort, fresh);
        bytes += fresh;
    }
    return bytes;
}

void WaitInput(int ms) {
    if (!Comm.strRxKeep.empty()) return;
    if (LineOpen()) {
        currentPort->WaitInput(ms);
        // A device that hung up ends the wait at once: its port is closed
        // here, and the pause is made up below.
        if (LineOpen()) return;
    }
    platform::WaitMs(ms);
}

bool WriteOutput() {
    platform::SerialPort* port = currentPort;
    if (!LineOpen() || !port->Output(LinkState.TxFrame)) {
        LineOpen();  // a write that found the device gone closes the port
        return false;
    }
    platform::SerialSettings s;
    if (!platform::ParseSerialSettings(port->Settings(), s)) s.baud = 9600;
    // Ten bits a character on the line, and two seconds for the other side's
    // flow control; a line that never lets the bytes go is given up.
    const double deadline =
        platform::Timer() + static_cast<double>(LinkState.TxFrame.size()) * 10.0 / s.baud + 2.0;
    while (port->OutBufferCount() > 0) {
        CurrentShell().DoEvents();
        if (!LineOpen()) return false;
        if (LinkAborted() || platform::Timer() > deadline) {
            port->SetOutBufferCount(0);
            return false;
        }
        platform::WaitMs(1);
    }
    return true;
}
