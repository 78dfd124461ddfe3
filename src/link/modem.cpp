#include "link/modem.h"

#include "platform/files.h"

#include <algorithm>
#include <map>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "link/phone_book.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/serial.h"

ModemGlobals Modem;

namespace {

// What the modem's words said of the carrier, per port, for a device that
// cannot report the line; and the end of the text last seen, so that a word
// split over two reads is found.
struct WordCarrier {
    bool up = false;  // "CONNECT" was the last word, not "NO CARRIER"
    std::string tail;
};
std::map<const platform::SerialPort*, WordCarrier> words;

constexpr const char* kConnect = "CONNECT";
constexpr const char* kNoCarrier = "NO CARRIER";

// The modem's answers to a dial that say the call failed, each with the
// message-log text that says so: the dial ends at once on any of them.
struct DialRefusal {
    const char* word;
    const char* key;
};
constexpr DialRefusal kDialRefusals[] = {
    {kNoCarrier, "modemnocarrierword"}, {"BUSY", "modembusy"},
    {"NO DIALTONE", "modemnodialtone"}, {"NO ANSWER", "modemnoanswer"},
    {"ERROR", "modemdialerror"},
};

// A value of modem.ini as a 128-character buffer takes it.
std::string ModemValue(const std::string& section, const std::string& key) {
    char buffer[128] = {};
    platform::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer,
                                       Core.strModemIni.c_str());
    return buffer;
}

// The modem's dialogue goes into the serial trace like the frames.
void Trace(int16_t kind, const std::string& text) {
    std::string& slot = kind == kLogTx ? LinkState.TxFrame : LinkState.RxFrame;
    std::string kept;
    kept.swap(slot);
    slot = text;
    LogSerial(kind);
    slot.swap(kept);
}

bool Write(const std::string& bytes) {
    if (!LineOpen() || !CurrentPort()->Output(bytes)) return false;
    Trace(kLogTx, bytes);
    return true;
}

// Everything received since the last call, watched for the modem's words.
std::string Receive() {
    if (!InputPending()) return "";
    // ReadInput watches the modem's words on a modem line.
    std::string text = ReadInput();
    if (!text.empty()) Trace(kLogRx, text);
    return text;
}

void Fail(const std::string& key, const std::string& what) {
    Modem.strFailure = GetText("Log", key) + " " + what;
}

// The device of the port has no carrier line to report.
bool NoCarrierLine(platform::SerialPort* port) {
    bool cd = false;
    return port && port->PortOpen() && !port->CDHolding(cd);
}

// The refusal that the modem's answer to the dial holds, if any.
const DialRefusal* DialRefused(const std::string& said) {
    for (const DialRefusal& r : kDialRefusals)
        if (said.find(r.word) != std::string::npos) return &r;
    return nullptr;
}

// The start of the last occurrence of the word that ends after the first
// `from` characters of the text (npos when none does).
size_t LastEndingAfter(const std::string& text, const std::string& word, size_t from) {
    const size_t at = text.rfind(word);
    return at != std::string::npos && at + word.size() > from ? at : std::string::npos;
}

// A pause of the modem dialogue, its whole length, with the windows running
// (so that what the user does meanwhile is seen and drawn at once).
void Pause(int32_t ms) {
    constexpr int32_t kStep = 10;
    for (int32_t left = ms; left > 0; left -= kStep) {
        CurrentShell().DoEvents();
        platform::WaitMs(std::min(left, kStep));
    }
}

// The hang-up steps after the modem-bit check.
void HangUp() {
    platform::SerialPort* port = CurrentPort();
    ModemEscape();
    ModemCmd("");
    const std::string hangup = ModemValue("Disconnect1", "Disconnect");
    if (!hangup.empty()) {
        // A device without a carrier line cannot say otherwise: the modem
        // that took the hang-up command has hung up.
        if (ModemCmd(hangup) && NoCarrierLine(port)) words[port] = WordCarrier{};
        Pause(200);
    }
    if (ModemCarrier(port)) {
        port->SetDTREnable(false);
        Pause(500);
    }
    for (const std::string& cmd : ModemList("Disconnect1")) ModemCmd(cmd);
    FlushInput();
}

}  // namespace

std::vector<std::string> ModemList(const std::string& section, const std::string& suffix) {
    std::vector<std::string> list;
    for (int k = 1;; ++k) {
        std::string value = ModemValue(section, "Cmd" + std::to_string(k) + suffix);
        if (value.empty()) break;
        list.push_back(value);
    }
    return list;
}

bool ModemCmd(const std::string& command) {
    if (!command.empty() && !Write(command + "\r")) {
        Fail("modemnook", command);
        return false;
    }
    std::string answer;
    const double start = platform::Timer();
    for (;;) {
        answer += Receive();
        if (answer.find("OK") != std::string::npos) return true;
        if (platform::Timer() - start > kModemCmdTimeout || !LineOpen()) break;
        // A stop, or the user's Abort of the dial (the hang-up after it
        // included): no fault of the modem's, and whoever stopped says it.
        if (LinkAborted() || Modem.bAbortDial) return false;
        CurrentShell().DoEvents();
        WaitInput(10);
    }
    Fail("modemnook", command.empty() ? std::string("+++") : command);
    return false;
}

bool ModemInit(int16_t n) {
    const std::string suffix = "(" + std::to_string(n) + ")";
    const bool own = !ModemValue("Init1", "Cmd1" + suffix).empty();
    for (const std::string& cmd : ModemList("Init1", own ? suffix : ""))
        if (!ModemCmd(cmd)) return false;
    return true;
}

bool ModemConnected() { return ModemCarrier(CurrentPort()); }

bool ModemDial(const std::string& number, int16_t n) {
    Modem.strFailure.clear();
    platform::SerialPort* port = CurrentPort();
    if (!port || !LineOpen()) {
        Fail("modemnoport", "COM" + std::to_string(Core.nCommPort));
        return false;
    }
    if (ModemCarrier(port)) return true;
    // Without modem.ini, or without its dial command, no call can be made:
    // said at once, before any wait for the modem.
    if (!platform::FileExists(Core.strModemIni)) {
        Fail("modemnoini", Core.strModemIni);
        return false;
    }
    if (ModemValue("Connect1", "Dial").empty()) {
        Fail("modemnodial", Core.strModemIni);
        return false;
    }
    ShowMsg("86", "2");

    bool connected = false;
    bool listsDone = ModemInit(n);
    if (listsDone) {
        for (const std::string& cmd : ModemList("Connect1")) {
            if (!ModemCmd(cmd)) {
                listsDone = false;
                break;
            }
        }
    }
    // The user's Abort during the modem's commands.
    if (!listsDone && Modem.bAbortDial) Fail("modemabort", number);
    if (listsDone) {
        FlushInput();
        const std::string dial = ModemValue("Connect1", "Dial");
        if (!dial.empty()) Write(dial + number + "\r");
        words[port] = WordCarrier{};
        // The end of what the modem said since the dial, enough to find a
        // word split over two reads.
        std::string said;
        const double start = platform::Timer();
        for (;;) {
            said += Receive();
            if (ModemCarrier(port)) {
                connected = true;
                break;
            }
            // A stop: the run's end says it, the dial has no failure of its own.
            if (LinkAborted()) break;
            // The user's Abort: it stays set through the hang-up below, whose
            // waits for the modem's "OK" then end at once, as after a stop.
            if (Modem.bAbortDial) {
                Fail("modemabort", number);
                break;
            }
            if (const DialRefusal* refusal = DialRefused(said)) {
                Fail(refusal->key, number);
                break;
            }
            constexpr size_t kKeep = 16;
            if (said.size() > kKeep) said.erase(0, said.size() - kKeep);
            if (platform::Timer() - start > kCarrierTimeout || !LineOpen()) {
                Fail("modemnocarrier", number);
                break;
            }
            CurrentShell().DoEvents();
            WaitInput(10);
        }
    }
    if (!connected) {
        const std::string why = Modem.strFailure;
        ModemDisconnect();
        Modem.strFailure = why;
    }
    Modem.bAbortDial = false;
    FlushInput();
    return connected;
}

void ModemEscape() {
    for (int i = 0; i < 3; ++i) {
        Write("+");
        Pause(200);
    }
}

void ModemDisconnect() {
    if (!(CassaConf.P911 & kP911Modem) || !LineOpen()) return;
    HangUp();
}

bool ModemDoConnect(int16_t index, const std::function<void(const std::string& key)>& status) {
    Modem.bAbortDial = false;
    Modem.bDialing = true;
    status("Dialing");
    const std::string number = GetNumber(index);
    const bool connected = ModemDial(number, index);
    Modem.bDialing = false;
    status(connected ? "Connected" : "NotConnected");
    if (!connected && !Modem.strFailure.empty()) CurrentShell().AddError(Modem.strFailure, true);
    return connected;
}

bool ModemCarrier(platform::SerialPort* port) {
    if (!port || !port->PortOpen()) return false;
    bool cd = false;
    if (port->CDHolding(cd)) return cd;
    auto it = words.find(port);
    return it != words.end() && it->second.up;
}

void ModemWatch(platform::SerialPort* port, const std::string& received) {
    if (!port || received.empty()) return;
    WordCarrier& w = words[port];
    const std::string text = w.tail + received;
    // Only a word that this text completes counts: the tail was looked at.
    const size_t connect = LastEndingAfter(text, kConnect, w.tail.size());
    const size_t lost = LastEndingAfter(text, kNoCarrier, w.tail.size());
    if (connect != std::string::npos && (lost == std::string::npos || connect > lost)) {
        w.up = true;
    } else if (lost != std::string::npos) {
        w.up = false;
    }
    // Enough of the end to find a word that the next read completes.
    constexpr size_t kKeep = 16;
    w.tail = text.size() > kKeep ? text.substr(text.size() - kKeep) : text;
}

void ModemForget(platform::SerialPort* port) { words.erase(port); }

void ModemHangUpAtExit() {
    if (ModemConnected()) HangUp();
}
