#pragma once
// A serial port in memory, for tests of the modem and of the link without a
// device: it records what is opened, closed and written, delivers the bytes a
// test feeds it, and plays the modem lines as the test sets them.
#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/serial.h"

namespace platform {

class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(int commPort = 1) : commPort_(commPort) {}

    // --- what the test sets ---
    void Feed(const std::string& bytes) { input_ += bytes; }
    // Called with every Output; its result is fed back as received bytes
    // (a scripted peer, such as one that acknowledges every frame).
    void SetResponder(std::function<std::string(const std::string&)> responder) {
        responder_ = std::move(responder);
    }
    // Opening fails, with the system's reason and error number given.
    void SetFailOpen(bool fail, const std::string& reason = "No such file or directory",
                     int errorNumber = ENOENT) {
        failOpen_ = fail;
        failReason_ = reason;
        failNumber_ = errorNumber;
    }
    // The device goes away while open (an adapter pulled): nothing passes any
    // more until the port is closed; opening it again brings it back.
    void SetLost(const std::string& reason = "Input/output error") {
        if (!open_) return;
        lost_ = true;
        Fail("the device does not answer any more", reason);
    }
    void SetCarrier(bool cd) { carrier_ = cd; }
    // The device has no modem lines: CDHolding and SetDTREnable fail while open.
    void SetNoModemLines(bool none) { noModemLines_ = none; }
    // Output never drains (a clear-to-send that never comes).
    void SetOutputStuck(bool stuck) { stuck_ = stuck; }

    // --- what the test reads ---
    int Opens() const { return opens_; }
    int Closes() const { return closes_; }
    const std::vector<std::string>& Writes() const { return writes_; }
    std::string Written() const;  // every write joined
    const std::vector<bool>& DtrHistory() const { return dtrHistory_; }
    void ClearWrites() { writes_.clear(); }

    // --- SerialPort ---
    int CommPort() const override { return commPort_; }
    bool SetCommPort(int n) override;
    std::string Device() const override;  // PortDevice(n) while open
    std::string Settings() const override { return settings_; }
    bool SetSettings(const std::string& settings) override;
    bool PortOpen() const override { return open_; }
    bool SetPortOpen(bool open) override;
    int Handshaking() const override { return handshaking_; }
    bool SetHandshaking(int mode) override;
    int InBufferCount() override { return lost_ ? 0 : static_cast<int>(input_.size()); }
    void SetInBufferCount(int count) override {
        if (count == 0) input_.clear();
    }
    int OutBufferCount() override { return stuck_ ? static_cast<int>(stuckBytes_) : 0; }
    void SetOutBufferCount(int count) override {
        if (count == 0) stuckBytes_ = 0;
    }
    std::string Input() override;
    bool Output(const std::string& bytes) override;
    bool CDHolding(bool& holding) override;
    bool DTREnable() const override { return dtr_; }
    bool SetDTREnable(bool enable) override;
    int Tag() const override { return tag_; }
    void SetTag(int tag) override { tag_ = tag; }
    bool WaitInput(int) override { return !lost_ && !input_.empty(); }
    bool DeviceLost() override { return lost_; }
    std::string LastError() const override { return error_; }
    std::string LastReason() const override { return reason_; }
    int LastErrorNumber() const override { return errorNumber_; }

private:
    bool Fail(const std::string& what, const std::string& reason = "", int errorNumber = 0) {
        error_ = what;
        reason_ = reason;
        errorNumber_ = errorNumber;
        return false;
    }

    int commPort_;
    std::string settings_ = "19200,n,8,1";
    bool open_ = false;
    int handshaking_ = 0;
    bool dtr_ = true;
    int tag_ = -1;
    bool carrier_ = false;
    bool noModemLines_ = false;
    bool failOpen_ = false;
    bool lost_ = false;
    std::string failReason_;
    int failNumber_ = 0;
    bool stuck_ = false;
    size_t stuckBytes_ = 0;
    std::string input_;
    std::function<std::string(const std::string&)> responder_;
    int opens_ = 0;
    int closes_ = 0;
    std::vector<std::string> writes_;
    std::vector<bool> dtrHistory_;
    std::string error_;
    std::string reason_;
    int errorNumber_ = 0;
};

// A modem on a fake port, as a modem test scripts it: in command mode it
// answers each command line (ended by CR) with "OK", or with the script's
// answer for that command; a dial command ("ATD...") is answered with the
// script's dial answer, and "CONNECT..." raises the carrier and puts the
// modem on line. On line, "+" written three times alone brings it back to
// command mode ("OK"); what else is written goes to the party called
// (`online`), whose answer is received. "ATH", DTR dropped or the port
// closed hang up: the carrier goes down. While DTR is down the modem does
// not listen.
struct FakeModemScript {
    std::string dialAnswer = "CONNECT 19200";  // empty: the modem says nothing, ever
    std::map<std::string, std::string> answers;  // command line -> answer (instead of "OK")
    bool carrierLine = true;  // the device reports the carrier (false: a pseudo-terminal)
    double dialSeconds = 0;   // from the dial to its answer, on the program's clock
};

class FakeModem : public FakeSerialPort {
public:
    using Script = FakeModemScript;

    explicit FakeModem(int commPort = 1, Script script = {});

    Script script;
    // The party called: gets what is written on line, its result is received.
    std::function<std::string(const std::string&)> online;

    // The line breaks down: carrier down, "NO CARRIER" said.
    void DropCarrier();
    bool Online() const { return online_; }
    // Command lines received, in order ("ATZ", "ATDT0123", "ATH").
    const std::vector<std::string>& Commands() const { return commands_; }
    // Times the escape brought the modem back to command mode.
    int Escapes() const { return escapes_; }

    bool SetPortOpen(bool open) override;
    bool SetDTREnable(bool enable) override;
    // Waits on the program's clock when nothing has arrived.
    bool WaitInput(int ms) override;

private:
    std::string Respond(const std::string& bytes);
    std::string Command(const std::string& line);
    std::string Answer();  // the dial's answer, which brings the carrier
    void HangUp();

    bool online_ = false;
    int pluses_ = 0;
    int escapes_ = 0;
    std::string line_;
    std::vector<std::string> commands_;
    double answerAt_ = -1;  // a dial waiting for its answer
};

}  // namespace platform
