#include "emulator/emulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <unistd.h>

namespace emu {

namespace {

// The emulator keeps its own clock: tests may replace the program's one.
double Now() { return Emulator::Clock(); }

constexpr double kNever = std::numeric_limits<double>::infinity();

const char* KindName(PcUnit::Kind k) {
    switch (k) {
        case PcUnit::Frame: return "frame";
        case PcUnit::RawFrame: return "raw frame";
        case PcUnit::Poll: return "poll";
        case PcUnit::Enq: return "ENQ";
        case PcUnit::Ack: return "ACK";
        case PcUnit::Nak: return "NAK";
        case PcUnit::BadFrame: return "bad frame";
        case PcUnit::Junk: return "junk";
    }
    return "?";
}

}  // namespace

bool Register::Addressed() const { return owner_.options_.addressed; }

void Register::Send(const std::string& payload, bool garbled) {
    owner_.Queue({true, station_, payload, 0, garbled});
}

void Register::SendAfter(const std::string& payload, double seconds) {
    owner_.Queue({true, station_, payload, Now() + seconds});
}

bool Register::Withdraw(const std::string& payload) { return owner_.Withdraw(station_, payload); }

void Register::SendSyn() { owner_.Queue({false, station_, ControlChars(kSyn, Addressed(), station_)}); }

double Emulator::Clock() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Emulator::Emulator(Options options)
    : options_(std::move(options)), stream_(options_.addressed), nextWriteAt_(kNever) {
    if (options_.stations.empty()) options_.stations.push_back(0);
    if (!options_.addressed) options_.stations.resize(1);
    for (int a : options_.stations) {
        Station st;
        st.address = a;
        stations_.push_back(st);
    }
}

Emulator::~Emulator() { Stop(); }

bool Emulator::Start(std::string* error) {
    if (thread_.joinable()) return true;
    if (!pty_.Open(error)) return false;
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error) *error = "pipe failed";
        pty_.Close();
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void Emulator::Stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::recursive_mutex> lock(mu_);
            stop_ = true;
        }
        Wake();
        thread_.join();
        nextWriteAt_ = kNever;
    }
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    pty_.Close();
}

std::string Emulator::SlavePath() const { return pty_.SlavePath(); }

void Emulator::AddHandler(std::shared_ptr<Handler> handler) {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    handlers_.push_back(std::move(handler));
}

void Emulator::ExpectRawFrames(bool on) {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    stream_.PreferRaw(on);
}

void Emulator::SetFaults(const Faults& faults) {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    faults_ = faults;
}

Faults Emulator::GetFaults() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return faults_;
}

void Emulator::Send(int station, const std::string& payload) { Queue({true, station, payload}); }

void Emulator::SendSyn(int station) {
    Queue({false, station, ControlChars(kSyn, options_.addressed, station)});
}

void Emulator::SendBytes(const std::string& bytes) { Queue({false, -1, bytes}); }

void Emulator::ReplyToNextFrame(int station, const std::string& payload) {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    if (Station* st = Find(station)) st->afterNextFrame.push_back(payload);
}

std::vector<PcUnit> Emulator::Received() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return received_;
}

std::vector<PcUnit> Emulator::Frames() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    std::vector<PcUnit> out;
    for (const auto& u : received_)
        if (u.kind == PcUnit::Frame) out.push_back(u);
    return out;
}

int Emulator::Count(PcUnit::Kind kind) const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return static_cast<int>(std::count_if(received_.begin(), received_.end(),
                                          [&](const PcUnit& u) { return u.kind == kind; }));
}

std::vector<std::string> Emulator::Written() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return written_;
}

std::vector<std::string> Emulator::Problems() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return problems_;
}

void Emulator::ClearRecords() {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    received_.clear();
    written_.clear();
    problems_.clear();
}

bool Emulator::Idle() const {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    return outbox_.empty() && awaiting_ < 0;
}

bool Emulator::WaitFor(const std::function<bool()>& condition, double seconds) const {
    const double end = Now() + seconds;
    for (;;) {
        if (condition()) return true;
        if (Now() > end) return false;
        usleep(2000);
    }
}

void Emulator::Queue(Outgoing out) {
    {
        std::lock_guard<std::recursive_mutex> lock(mu_);
        outbox_.push_back(std::move(out));
    }
    Wake();
}

bool Emulator::Withdraw(int station, const std::string& payload) {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    const auto it = std::find_if(outbox_.begin(), outbox_.end(), [&](const Outgoing& o) {
        return o.answer && o.station == station && o.data == payload;
    });
    if (it == outbox_.end()) return false;
    outbox_.erase(it);
    return true;
}

void Emulator::Wake() {
    if (wake_[1] >= 0) {
        char c = 1;
        (void)!::write(wake_[1], &c, 1);
    }
}

void Emulator::Log(const std::string& line) {
    if (options_.log) options_.log(line);
}

void Emulator::HangUp() {
    std::lock_guard<std::recursive_mutex> lock(mu_);
    Log("hang-up");
    pty_.Close();
}

Emulator::Station* Emulator::Find(int station) {
    for (auto& st : stations_)
        if (st.address == station) return &st;
    return nullptr;
}

// The station a unit from the program is meant for; nullptr when it is for
// a register this emulator does not play.
Emulator::Station* Emulator::Target(const PcUnit& unit) {
    if (!options_.addressed) return &stations_.front();
    return Find(unit.station);
}

bool Emulator::Take(int& counter) {
    if (counter == 0) return false;
    if (counter > 0) --counter;
    return true;
}

void Emulator::Write(const std::string& bytes, double now) {
    bytesOut_ += bytes.size();  // counted before the program can read them
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(pty_.MasterFd(), p, left);
        if (n > 0) {
            p += n;
            left -= static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            usleep(500);
        } else {
            break;
        }
    }
    written_.push_back(bytes);
    nextSendAt_ = now + options_.gapMs / 1000.0;
    Log("-> " + Readable(bytes));
}

// Noise goes out between the register's own writes and does not hold them up.
void Emulator::WriteNoise(double now) {
    // None of them is EOT, ETX, STX, ENQ, ACK, NAK or SYN.
    static const unsigned char kNoise[] = {0x55, 0xAA, 0x00, 0xFF, 0x7E, 0x81, 0x20, 0x3F, 0xC3, 0x18};
    const char byte = static_cast<char>(kNoise[noiseIndex_++ % sizeof kNoise]);
    bytesOut_ += 1;  // counted before the program can read it
    if (::write(pty_.MasterFd(), &byte, 1) != 1) {
        bytesOut_ -= 1;
        return;
    }
    nextNoiseAt_ = now + faults_.noiseMs / 1000.0;
}

void Emulator::WriteAnswer(Station& st, bool resend, double now, const std::string& prefix,
                           bool garbled) {
    if (!resend) {
        st.lastQ1 = st.seq % 95;
        st.lastQ2 = (st.seq + 1) % 95;
        st.seq = (st.seq + 2) % 95;
        st.hasLast = true;
        st.resends = 0;
    }
    std::string frame = BuildAnswer(st.lastPayload, options_.addressed, st.address, st.lastQ1,
                                    st.lastQ2, Take(faults_.badChecksum) || garbled);
    if (Take(faults_.truncate)) frame.resize(frame.size() - 3);
    if (faults_.strayAck) frame += ControlChars(kAck, options_.addressed, st.address);
    Write(prefix + frame, now);
    awaiting_ = static_cast<int>(&st - stations_.data());
    awaitUntil_ = now + options_.replyWait;
}

// In addressed mode a register shares the line with others and speaks only
// when the program asks it to: its answer frames and SYN wait until the
// program has polled it or sent it an enquiry since it last spoke. Each
// station's messages keep their order; another station's may pass them.
bool Emulator::MaySpeak(const Outgoing& out, double now) {
    if (now < out.notBefore) return false;
    if (!options_.addressed || out.station < 0) return true;
    const Station* st = Find(out.station);
    return !st || st->asked;
}

void Emulator::Pump(double now) {
    if (options_.modem && !options_.modem->Online()) {
        // No line to the program: what the registers would say is lost.
        outbox_.clear();
        awaiting_ = -1;
        return;
    }
    if (awaiting_ >= 0 && now > awaitUntil_) awaiting_ = -1;  // no reply: go on
    while (awaiting_ < 0 && now >= nextSendAt_) {
        std::vector<int> held;  // stations with a message that must wait
        auto next = outbox_.begin();
        for (; next != outbox_.end(); ++next) {
            if (std::find(held.begin(), held.end(), next->station) != held.end()) continue;
            if (MaySpeak(*next, now)) break;
            held.push_back(next->station);
        }
        if (next == outbox_.end()) return;
        Outgoing out = std::move(*next);
        outbox_.erase(next);
        Station* st = Find(out.station);
        if (st) st->asked = false;
        if (!out.answer) {
            Write(out.data, now);
            continue;
        }
        if (!st) continue;
        st->lastPayload = out.data;
        WriteAnswer(*st, false, now, "", out.garbled);
    }
}

// When the next message will go out unless the program sends something
// first: the earliest time a station allowed to speak may send its next one.
double Emulator::NextWrite() const {
    if (awaiting_ >= 0) return kNever;
    double next = kNever;
    std::vector<int> seen;
    for (const Outgoing& out : outbox_) {
        if (std::find(seen.begin(), seen.end(), out.station) != seen.end()) continue;
        seen.push_back(out.station);
        const bool asked = !options_.addressed || out.station < 0 ||
                           std::any_of(stations_.begin(), stations_.end(), [&](const Station& st) {
                               return st.address == out.station && st.asked;
                           });
        if (asked) next = std::min(next, std::max(out.notBefore, nextSendAt_));
    }
    return next;
}

void Emulator::Handle(const PcUnit& unit, double now) {
    received_.push_back(unit);
    Log(std::string("<- ") + KindName(unit.kind) + " " + Readable(unit.bytes) +
        (unit.problem.empty() ? "" : " (" + unit.problem + ")"));
    if (!unit.problem.empty()) problems_.push_back(unit.problem + ": " + Readable(unit.bytes));

    const bool broadcast = unit.station == kBroadcast - kAddr0;
    Station* st = Target(unit);
    if (!st && !(broadcast && unit.kind != PcUnit::Frame)) return;  // another register's
    if (!st) st = &stations_.front();
    Register reg(*this, st->address);
    const int index = static_cast<int>(st - stations_.data());
    // Whatever the program sends ends the wait for its reply to our answer,
    // except a NAK, which asks for the answer again, and an enquiry, which
    // the program repeats until the answer has reached it.
    if (unit.kind != PcUnit::Nak && unit.kind != PcUnit::Enq && awaiting_ == index)
        awaiting_ = -1;
    // A poll or an enquiry gives the station the line; anything else the
    // program sends it takes the line back.
    if (!broadcast) st->asked = unit.kind == PcUnit::Poll || unit.kind == PcUnit::Enq;

    auto ask = [&](auto call) {
        for (auto& h : handlers_)
            if (call(*h)) break;
    };

    switch (unit.kind) {
        case PcUnit::Frame: {
            if (Take(faults_.silentFrames)) return;
            for (auto& h : handlers_)
                if (h->Loses(reg, unit)) return;
            if (Take(faults_.nakFrames)) {
                Write(ControlChars(kNak, options_.addressed, st->address), now);
                return;
            }
            const std::string ack = ControlChars(kAck, options_.addressed, st->address);
            if (unit.bytes == st->lastFrame) {
                // The same frame again, with the same sequence characters:
                // the program did not see the ACK in time and sent it once
                // more. A register acknowledges it and takes it only once.
                Write(ack, now);
                return;
            }
            st->lastFrame = unit.bytes;
            ++framesTaken_;
            // Late: the program sends the frame again meanwhile and gets the
            // ACK of the copy as well; the answer to the frame follows the
            // late ACK, as a register answers only after acknowledging.
            const bool late = faults_.lateAckEvery > 0 && framesTaken_ % faults_.lateAckEvery == 0;
            const double lateAt = now + faults_.lateAckMs / 1000.0;
            const size_t queued = outbox_.size();
            if (late) {
                Outgoing delayed{false, -1, ack};
                delayed.notBefore = lateAt;
                outbox_.push_back(delayed);
            } else if (!faults_.ackWithNext) {
                Write(ack, now);
            }
            for (auto& p : st->afterNextFrame) outbox_.push_back({true, st->address, p});
            st->afterNextFrame.clear();
            ask([&](Handler& h) { return h.OnFrame(reg, unit); });
            if (late)
                for (size_t i = queued + 1; i < outbox_.size(); ++i)
                    if (outbox_[i].station == st->address)
                        outbox_[i].notBefore = std::max(outbox_[i].notBefore, lateAt + 0.001);
            if (faults_.ackWithNext) {
                // The ACK and the next answer in one write, as a hasty register does.
                auto next = std::find_if(outbox_.begin(), outbox_.end(), [&](const Outgoing& o) {
                    return o.answer && o.station == st->address;
                });
                if (next != outbox_.end()) {
                    st->lastPayload = next->data;
                    outbox_.erase(next);
                    WriteAnswer(*st, false, now, ack);
                } else {
                    Write(ack, now);
                }
            }
            break;
        }
        case PcUnit::RawFrame:
            ask([&](Handler& h) { return h.OnRawFrame(reg, unit); });
            break;
        case PcUnit::Poll:
            ask([&](Handler& h) { return h.OnPoll(reg, unit); });
            break;
        case PcUnit::Enq:
            if (!faults_.enqReply.empty() && Take(faults_.enqReplies)) {
                Write(faults_.enqReply, now);
                break;
            }
            ask([&](Handler& h) { return h.OnEnq(reg, unit); });
            break;
        case PcUnit::Ack:
            if (st->hasLast) ask([&](Handler& h) { return h.OnAck(reg); });
            break;
        case PcUnit::Nak:
            if (st->hasLast && st->resends < options_.maxResends) {
                ++st->resends;
                WriteAnswer(*st, true, now);
            }
            break;
        case PcUnit::BadFrame:
            if (!Take(faults_.silentFrames))
                Write(ControlChars(kNak, options_.addressed, st->address), now);
            break;
        case PcUnit::Junk:
            break;
    }
}

void Emulator::Run() {
    char buf[1024];
    int waitMs = 5;
    for (;;) {
        pollfd fds[2] = {{pty_.MasterFd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        ::poll(fds, 2, waitMs);
        if (fds[1].revents & POLLIN)
            while (::read(wake_[0], buf, sizeof buf) > 0) {
            }
        std::string in;
        if (fds[0].revents & POLLIN) {
            ssize_t n;
            while ((n = ::read(pty_.MasterFd(), buf, sizeof buf)) > 0)
                in.append(buf, static_cast<size_t>(n));
        }
        std::lock_guard<std::recursive_mutex> lock(mu_);
        if (stop_) return;
        const double now = Now();
        if (options_.lineBaud > 0) {
            // The line carries lineBaud / 10 characters a second: what has
            // not arrived yet waits.
            const double perSecond = options_.lineBaud / 10.0;
            if (paced_.empty()) lineAt_ = std::max(lineAt_, now - 0.001);
            paced_ += in;
            const double due = std::floor((now - lineAt_) * perSecond);
            const size_t take = due <= 0 ? 0 : std::min(paced_.size(), static_cast<size_t>(due));
            in = paced_.substr(0, take);
            paced_.erase(0, take);
            lineAt_ += take / perSecond;
        }
        const size_t received = in.size();
        if (options_.modem) {
            // The modem answers its commands; on line the bytes pass.
            std::string said;
            in = options_.modem->FromProgram(in, now, said);
            said += options_.modem->Tick(now);
            if (!said.empty()) Write(said, now);
        }
        stream_.Add(in, now);
        PcUnit unit;
        while (stream_.Next(unit, now)) Handle(unit, now);
        Pump(now);
        if (faults_.noiseBytes != 0 && now >= nextNoiseAt_ && Take(faults_.noiseBytes))
            WriteNoise(now);
        bytesIn_ += received;
        // Awake again when the next message is due (at the latest in 5 ms:
        // frames the program leaves incomplete are given up on time).
        const double next = NextWrite();
        nextWriteAt_ = next;
        waitMs = next == kNever
                     ? 5
                     : static_cast<int>(std::clamp(std::ceil((next - now) * 1000), 0.0, 5.0));
        if (faults_.noiseBytes != 0)
            waitMs = std::min(waitMs, static_cast<int>(std::clamp(
                                          std::ceil((nextNoiseAt_ - now) * 1000), 0.0, 5.0)));
        if (!paced_.empty()) waitMs = std::min(waitMs, 1);
    }
}

}  // namespace emu
