#include "platform/fake_serial.h"

#include <cctype>

#include "platform/clock.h"
#include "platform/settings.h"

namespace platform {

std::string FakeSerialPort::Written() const {
    std::string all;
    for (const auto& w : writes_) all += w;
    return all;
}

std::string FakeSerialPort::Device() const { return open_ ? PortDevice(commPort_) : ""; }

bool FakeSerialPort::SetCommPort(int n) {
    if (open_) return Fail("the port number cannot change while the port is open");
    if (n < 1 || n > 16) return Fail("port number " + std::to_string(n) + " is not 1 to 16");
    commPort_ = n;
    return true;
}

bool FakeSerialPort::SetSettings(const std::string& settings) {
    SerialSettings parsed;
    if (!ParseSerialSettings(settings, parsed))
        return Fail("invalid port settings \"" + settings + "\"");
    settings_ = settings;
    return true;
}

bool FakeSerialPort::SetPortOpen(bool open) {
    if (open == open_) return open ? Fail("the port is already open") : true;
    if (open) {
        if (failOpen_) return Fail("cannot open the device: " + failReason_, failReason_, failNumber_);
        open_ = true;
        lost_ = false;
        ++opens_;
        input_.clear();
        stuckBytes_ = 0;
        if (!dtr_) dtrHistory_.push_back(false);
        return true;
    }
    open_ = false;
    lost_ = false;
    ++closes_;
    return true;
}

bool FakeSerialPort::SetHandshaking(int mode) {
    if (mode != 0 && mode != 2) return Fail("handshaking not supported");
    handshaking_ = mode;
    return true;
}

std::string FakeSerialPort::Input() {
    std::string out;
    if (!lost_) out.swap(input_);
    return out;
}

bool FakeSerialPort::Output(const std::string& bytes) {
    if (!open_) return Fail("the port is not open");
    if (lost_) return false;
    writes_.push_back(bytes);
    if (stuck_) stuckBytes_ += bytes.size();
    if (responder_) input_ += responder_(bytes);
    return true;
}

bool FakeSerialPort::CDHolding(bool& holding) {
    if (!open_) return Fail("the port is not open");
    if (noModemLines_) return Fail("the device has no carrier line");
    holding = carrier_;
    return true;
}

bool FakeSerialPort::SetDTREnable(bool enable) {
    if (open_) {
        if (noModemLines_) return Fail("the device has no DTR line");
        dtrHistory_.push_back(enable);
    }
    dtr_ = enable;
    return true;
}

FakeModem::FakeModem(int commPort, Script s) : FakeSerialPort(commPort), script(std::move(s)) {
    SetNoModemLines(!script.carrierLine);
    SetResponder([this](const std::string& bytes) { return Respond(bytes); });
}

void FakeModem::HangUp() {
    online_ = false;
    answerAt_ = -1;
    pluses_ = 0;
    SetCarrier(false);
}

void FakeModem::DropCarrier() {
    HangUp();
    Feed("\r\nNO CARRIER\r\n");
}

bool FakeModem::SetPortOpen(bool open) {
    if (!open) HangUp();
    line_.clear();
    return FakeSerialPort::SetPortOpen(open);
}

bool FakeModem::SetDTREnable(bool enable) {
    const bool ok = FakeSerialPort::SetDTREnable(enable);
    if (ok && !enable && PortOpen()) HangUp();
    return ok;
}

bool FakeModem::WaitInput(int ms) {
    if (FakeSerialPort::WaitInput(ms)) return true;
    WaitMs(ms);
    if (answerAt_ >= 0 && Timer() >= answerAt_) {
        answerAt_ = -1;
        Feed(Answer());
    }
    return FakeSerialPort::WaitInput(ms);
}

std::string FakeModem::Answer() {
    if (script.dialAnswer.rfind("CONNECT", 0) == 0) {
        online_ = true;
        SetCarrier(true);
    }
    return "\r\n" + script.dialAnswer + "\r\n";
}

std::string FakeModem::Respond(const std::string& bytes) {
    // A modem does not listen to a terminal that is not ready.
    if (!DTREnable()) return "";
    if (online_) {
        if (bytes == "+") {
            if (++pluses_ < 3) return "";
            pluses_ = 0;
            online_ = false;
            ++escapes_;
            return "\r\nOK\r\n";
        }
        pluses_ = 0;
        return online ? online(bytes) : "";
    }
    std::string out;
    for (char c : bytes) {
        if (c != '\r') {
            line_ += c;
            continue;
        }
        std::string line;
        line.swap(line_);
        // A command starts with "AT"; what comes before it is not one.
        std::string upper = line;
        for (char& u : upper) u = static_cast<char>(std::toupper(static_cast<unsigned char>(u)));
        const size_t at = upper.find("AT");
        if (at == std::string::npos) continue;
        out += Command(line.substr(at));
    }
    return out;
}

std::string FakeModem::Command(const std::string& line) {
    commands_.push_back(line);
    std::string upper = line;
    for (char& u : upper) u = static_cast<char>(std::toupper(static_cast<unsigned char>(u)));
    if (upper.rfind("ATD", 0) == 0) {
        if (script.dialAnswer.empty()) return "";
        if (script.dialSeconds <= 0) return Answer();
        answerAt_ = Timer() + script.dialSeconds;
        return "";
    }
    if (upper.rfind("ATH", 0) == 0) HangUp();
    auto it = script.answers.find(line);
    return "\r\n" + (it != script.answers.end() ? it->second : std::string("OK")) + "\r\n";
}

}  // namespace platform
