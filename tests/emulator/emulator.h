#pragma once
// The register emulator: plays one register, or up to 16 in addressed mode,
// on the master side of a pseudo-terminal, in a thread of its own.
//
// It checks the length and checksum characters of every frame the program
// sends, acknowledges good frames with ACK and bad ones with NAK, sends the
// register's answer frames one at a time (stop-and-wait, resending after a
// NAK), sends SYN when asked, and records everything it receives. In
// addressed mode a station speaks only when the program has polled it or
// sent it an enquiry (ENQ and its address) since it last spoke, as registers
// sharing one line do. What a register answers is decided by handlers
// (hello, tables, reports and history plug in here); faults can be switched
// on at any time.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/modem_front.h"
#include "emulator/pty.h"
#include "emulator/wire.h"

namespace emu {

// Faults to inject. Counters: 0 off, N the next N times, -1 always.
struct Faults {
    int silentFrames = 0;      // frames from the program get no answer at all
    int nakFrames = 0;         // frames from the program get NAK instead of ACK (a NAK storm)
    int badChecksum = 0;       // answer frames go out with a wrong checksum
    int truncate = 0;          // answer frames go out without STX, checksum and ETX
    bool ackWithNext = false;  // the ACK of a frame goes out in one write with the next answer
    bool strayAck = false;     // every answer frame is followed, in the same write, by an ACK
                               // that nothing waits for (the late ACK of a frame sent twice)
    // The ACK of every Nth new frame from the program goes out lateAckMs
    // milliseconds late (past the program's wait for it): 0 off.
    int lateAckEvery = 0;
    int lateAckMs = 300;
    // Every enquiry (ENQ and an address) is answered at once with these bytes,
    // as a peer in the other link mode does; enqReplies counts them.
    std::string enqReply;
    int enqReplies = 0;
    // The line delivers a noise byte every noiseMs milliseconds, bytes that
    // never make a frame, a SYN or an acknowledgement; noiseBytes counts them.
    int noiseBytes = 0;
    int noiseMs = 5;
};

class Emulator;

// One station, as a handler sees it during its call.
class Register {
public:
    Register(Emulator& owner, int station) : owner_(owner), station_(station) {}
    int Station() const { return station_; }
    bool Addressed() const;
    // Queues an answer frame with this payload (class letter, code, fields);
    // garbled: it goes out first with a wrong checksum, whole when repeated.
    void Send(const std::string& payload, bool garbled = false);
    // The same, sent no sooner than the given seconds from now (a register
    // that takes its time between lines).
    void SendAfter(const std::string& payload, double seconds);
    // Takes back an answer with this payload that has not gone out yet; false
    // when there is none.
    bool Withdraw(const std::string& payload);
    // Sends SYN (the register is busy) when the line is free.
    void SendSyn();
    Emulator& Owner() { return owner_; }

private:
    Emulator& owner_;
    int station_;
};

// What a register does with what it receives. Handlers are asked in the order
// they were added; one that returns true ends the round.
class Handler {
public:
    virtual ~Handler() = default;
    // A good command or data frame for the station, already acknowledged
    // (unless a fault withheld the ACK).
    virtual bool OnFrame(Register&, const PcUnit&) { return false; }
    // A good frame for the station that it lets go by, as if the line had
    // lost it: no ACK, not taken (asked before OnFrame, for every copy).
    virtual bool Loses(Register&, const PcUnit&) { return false; }
    // A poll (DLE or DC1) for the station.
    virtual bool OnPoll(Register&, const PcUnit&) { return false; }
    // An enquiry for the station, or the broadcast one (station 32).
    virtual bool OnEnq(Register&, const PcUnit&) { return false; }
    // A raw frame of a bulk transfer (never acknowledged).
    virtual bool OnRawFrame(Register&, const PcUnit&) { return false; }
    // The program acknowledged the station's last answer frame.
    virtual bool OnAck(Register&) { return false; }
};

struct Options {
    bool addressed = false;
    std::vector<int> stations{0};  // station addresses played (direct mode: the first)
    int gapMs = 30;                // quiet time after each write before the next answer
    double replyWait = 1.0;        // how long an answer frame waits for the program's reply
    int maxResends = 10;           // resends of one answer after NAKs
    // The line's speed in baud (10 bits a character): the register takes in
    // what the program writes no faster than the line carries it (raw
    // frames of a bulk transfer arrive at line speed). 0: at once.
    int lineBaud = 0;
    std::function<void(const std::string&)> log;  // one line per event, when set
    // A modem in front of the registers (a register reached by phone): the
    // registers hear and speak only while it is on line.
    std::shared_ptr<ModemFront> modem;
};

class Emulator {
public:
    explicit Emulator(Options options = {});
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Opens the pseudo-terminal and starts the thread.
    bool Start(std::string* error = nullptr);
    void Stop();
    std::string SlavePath() const;
    const Options& GetOptions() const { return options_; }

    void AddHandler(std::shared_ptr<Handler> handler);
    // A bulk transfer is under way: see PcStream::PreferRaw.
    void ExpectRawFrames(bool on);
    void SetFaults(const Faults& faults);
    Faults GetFaults() const;

    // Actions from outside the handlers.
    void Send(int station, const std::string& payload);
    void SendSyn(int station);
    // Any bytes, as they stand, when the line is free (short or broken frames).
    void SendBytes(const std::string& bytes);
    // An answer queued as soon as the station's next frame has arrived.
    void ReplyToNextFrame(int station, const std::string& payload);
    // The line drops: the emulator's side of the pseudo-terminal closes, and
    // the program's port reports a hang-up.
    void HangUp();

    // What happened.
    std::vector<PcUnit> Received() const;
    std::vector<PcUnit> Frames() const;  // the good frames only
    int Count(PcUnit::Kind kind) const;
    std::vector<std::string> Written() const;   // one entry per write to the program
    std::vector<std::string> Problems() const;  // bad frames and stray bytes
    void ClearRecords();
    // Nothing queued and no answer waiting for the program's reply.
    bool Idle() const;
    // For a test clock that stands still while the emulator is behind: the
    // bytes received from the program and handled, the bytes written to it,
    // and when (on Clock()) the emulator next writes on its own (infinity
    // while it waits for the program).
    uint64_t BytesIn() const { return bytesIn_.load(); }
    uint64_t BytesOut() const { return bytesOut_.load(); }
    double NextWriteAt() const { return nextWriteAt_.load(); }
    // The emulator's clock: monotonic seconds, whatever clock the program uses.
    static double Clock();
    // Polls the condition every few milliseconds; false when time runs out.
    bool WaitFor(const std::function<bool()>& condition, double seconds) const;

private:
    friend class Register;
    struct Outgoing {
        bool answer;       // an answer frame (else bytes as they stand)
        int station;
        std::string data;  // payload or bytes
        double notBefore = 0;  // emulator clock: not sent before this time
        bool garbled = false;  // an answer first sent with a wrong checksum
    };
    struct Station {
        int address = 0;
        int seq = 1;  // sequence value of the next answer
        std::deque<std::string> afterNextFrame;
        std::string lastPayload;
        int lastQ1 = 0, lastQ2 = 0;
        bool hasLast = false;
        int resends = 0;
        bool asked = false;  // addressed mode: polled or asked since it last spoke
        std::string lastFrame;  // the last frame taken, to know a retransmission
    };

    void Run();
    void Handle(const PcUnit& unit, double now);
    bool MaySpeak(const Outgoing& out, double now);
    void Pump(double now);
    double NextWrite() const;
    void WriteAnswer(Station& st, bool resend, double now, const std::string& prefix = "",
                     bool garbled = false);
    void Write(const std::string& bytes, double now);
    void WriteNoise(double now);
    void Queue(Outgoing out);
    bool Withdraw(int station, const std::string& payload);
    Station* Find(int station);
    Station* Target(const PcUnit& unit);
    bool Take(int& counter);  // consumes one count of a fault
    void Log(const std::string& line);
    void Wake();

    Options options_;
    Pty pty_;
    std::thread thread_;
    int wake_[2] = {-1, -1};
    bool stop_ = false;

    mutable std::recursive_mutex mu_;
    std::vector<Station> stations_;
    std::vector<std::shared_ptr<Handler>> handlers_;
    Faults faults_;
    PcStream stream_;
    std::string paced_;      // read from the program, not yet carried by the line
    double lineAt_ = 0;      // when the line has carried what was taken so far
    std::deque<Outgoing> outbox_;
    int awaiting_ = -1;          // index of the station whose answer waits for a reply
    double awaitUntil_ = 0;
    double nextSendAt_ = 0;
    std::vector<PcUnit> received_;
    std::vector<std::string> written_;
    std::vector<std::string> problems_;
    double nextNoiseAt_ = 0;
    size_t noiseIndex_ = 0;
    int framesTaken_ = 0;  // new frames from the program, for lateAckEvery
    std::atomic<uint64_t> bytesIn_{0};
    std::atomic<uint64_t> bytesOut_{0};
    std::atomic<double> nextWriteAt_;
};

}  // namespace emu
