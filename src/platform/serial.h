#pragma once
// Serial ports. The link drives a port through the properties of a classic
// serial control: CommPort, Settings ("19200,n,8,1"), PortOpen, Handshaking,
// InBufferCount, OutBufferCount, Input, Output, CDHolding, DTREnable and Tag.
// `SerialPort` is the interface the link uses; `TermiosSerialPort` reaches a
// real device (or a pseudo-terminal) in raw mode; the fake port of
// fake_serial.h serves the modem tests.
//
// Operations that can fail return false and leave the reason in LastError(),
// the system's own words for it in LastReason(). A modem line that the device
// cannot report (a pseudo-terminal has none) is such a failure, never a
// made-up value.
#include <cstdint>
#include <string>

namespace platform {

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Port number (1 to 16); the device is PortDevice(n) of settings.h.
    // Cannot change while the port is open.
    virtual int CommPort() const = 0;
    virtual bool SetCommPort(int n) = 0;
    // The device path in use (empty while closed).
    virtual std::string Device() const = 0;

    // "baud,parity,data bits,stop bits", such as "19200,n,8,1". Applied at
    // once when the port is open; a text that does not parse is refused.
    virtual std::string Settings() const = 0;
    virtual bool SetSettings(const std::string& settings) = 0;

    // Opens (true) or closes (false) the port.
    virtual bool PortOpen() const = 0;
    virtual bool SetPortOpen(bool open) = 0;

    // 0 none, 2 request-to-send/clear-to-send.
    virtual int Handshaking() const = 0;
    virtual bool SetHandshaking(int mode) = 0;

    // Bytes received and not yet read; setting 0 discards them.
    virtual int InBufferCount() = 0;
    virtual void SetInBufferCount(int count) = 0;
    // Bytes handed to Output and not yet sent; setting 0 discards them.
    virtual int OutBufferCount() = 0;
    virtual void SetOutBufferCount(int count) = 0;

    // Every byte received so far (empty when none); never waits.
    virtual std::string Input() = 0;
    // Queues the bytes for sending; never waits for them to go out.
    virtual bool Output(const std::string& bytes) = 0;

    // Carrier detect; false with a reason when the device cannot report it.
    virtual bool CDHolding(bool& holding) = 0;
    // The data-terminal-ready line; kept while closed and applied at open.
    virtual bool DTREnable() const = 0;
    virtual bool SetDTREnable(bool enable) = 0;

    // Free for the caller (the link keeps a phone-book index in it); -1 at start.
    virtual int Tag() const = 0;
    virtual void SetTag(int tag) = 0;

    // Waits up to ms milliseconds for received bytes; true when some are there.
    virtual bool WaitInput(int ms) = 0;

    // The device hung up or failed while open (an adapter pulled, the other
    // side of a pseudo-terminal closed, an input or output error): nothing
    // passes through it any more until it is closed and opened again. The
    // reads, writes and waits notice it; this call also looks at the device.
    // LastError() and LastReason() say why.
    virtual bool DeviceLost() = 0;

    // The last opening failed because another program (another run of this
    // one included) holds the device.
    virtual bool Held() const { return false; }
    // Who holds it when Held(): "pid N: program arguments" when it is a run
    // of this program; empty when that cannot be told.
    virtual std::string Holder() const { return ""; }

    virtual std::string LastError() const = 0;
    // The system's description of the last failure ("No such file or
    // directory"); empty when the failure was not the system's (a setting
    // refused, a port number out of range).
    virtual std::string LastReason() const = 0;
    // The system's error number of the last failure (EACCES); 0 when the
    // failure was not the system's.
    virtual int LastErrorNumber() const = 0;
};

// The group that owns the device, when membership in it is what gives
// access: the group may read and write the device and is not the
// administrator's (group 0). Empty otherwise, or when the device cannot be
// looked at.
std::string DeviceGroup(const std::string& device);

// Another process of this program (the same program file) that has the
// character device open: "pid N: program arguments", its program by file
// name. Empty when there is none, or none that this process may look at.
std::string DeviceHolder(const std::string& device);

// The parts of a settings text.
struct SerialSettings {
    int baud = 19200;
    char parity = 'n';  // n, e, o (m and s are refused)
    int dataBits = 8;   // 5 to 8
    int stopBits = 1;   // 1 or 2
};
// Parses "19200,n,8,1"; false when a part is missing or not supported.
bool ParseSerialSettings(const std::string& text, SerialSettings& out);

// A serial device in raw mode through termios: 8-bit clean, no echo, no line
// editing, no flow control unless Handshaking is 2. The device is held for
// this port alone while open: an exclusive flock that every run of this
// program asks for, and the terminal's exclusive mode for other programs;
// the system lets both go when the port closes or the process ends.
class TermiosSerialPort : public SerialPort {
public:
    explicit TermiosSerialPort(int commPort = 1);
    ~TermiosSerialPort() override;
    TermiosSerialPort(const TermiosSerialPort&) = delete;
    TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;

    int CommPort() const override { return commPort_; }
    bool SetCommPort(int n) override;
    std::string Settings() const override { return settings_; }
    bool SetSettings(const std::string& settings) override;
    bool PortOpen() const override { return fd_ >= 0; }
    bool SetPortOpen(bool open) override;
    int Handshaking() const override { return handshaking_; }
    bool SetHandshaking(int mode) override;
    int InBufferCount() override;
    void SetInBufferCount(int count) override;
    int OutBufferCount() override;
    void SetOutBufferCount(int count) override;
    std::string Input() override;
    bool Output(const std::string& bytes) override;
    bool CDHolding(bool& holding) override;
    bool DTREnable() const override { return dtr_; }
    bool SetDTREnable(bool enable) override;
    int Tag() const override { return tag_; }
    void SetTag(int tag) override { tag_ = tag; }
    bool WaitInput(int ms) override;
    bool DeviceLost() override;
    bool Held() const override { return held_; }
    std::string Holder() const override { return holder_; }
    std::string LastError() const override { return error_; }
    std::string LastReason() const override { return reason_; }
    int LastErrorNumber() const override { return errorNumber_; }
    std::string Device() const override { return device_; }

private:
    bool Apply();           // settings and handshaking into termios
    bool SetDtrLine(bool on);
    void Drain();           // pushes queued output into the device
    bool Fail(const std::string& what);  // records what + errno text, returns false
    void Lost(int err);                  // the device is gone: err is the system's reason

    int fd_ = -1;
    int commPort_ = 1;
    std::string settings_ = "19200,n,8,1";
    int handshaking_ = 0;
    bool dtr_ = true;
    int tag_ = -1;
    std::string device_;
    std::string pendingOut_;  // bytes the device did not take yet
    bool lost_ = false;
    bool held_ = false;  // the last opening found the device held elsewhere
    bool exclusive_ = false;  // this port put the terminal in exclusive mode
    std::string holder_;      // who holds it, when held_ and it can be told
    std::string error_;
    std::string reason_;
    int errorNumber_ = 0;
};

}  // namespace platform
