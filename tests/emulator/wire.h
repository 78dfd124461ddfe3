#pragma once
// The wire format as the register sees it: cutting the program's byte stream
// into units (frames, raw frames, polls, enquiries, acknowledgements),
// checking their length and checksum characters, and building the
// register's own frames.
#include <string>

namespace emu {

constexpr unsigned char kStx = 2, kEtx = 3, kEot = 4, kEnq = 5, kAck = 6, kDle = 16, kDc1 = 17,
                        kNak = 21, kSyn = 22, kAddr0 = 160, kBroadcast = 192;

// XOR (or sum, for raw frames) of the codes, then (x And 127) + 40.
int ChkXor(const std::string& bytes, size_t count);
int ChkSum(const std::string& bytes, size_t count);

// One thing the program sent.
struct PcUnit {
    enum Kind { Frame, RawFrame, Poll, Enq, Ack, Nak, BadFrame, Junk } kind = Junk;
    std::string bytes;    // exactly as received
    int station = -1;     // address character - 160 (32 = broadcast); -1 in direct mode
    int control = 0;      // Poll: DLE or DC1
    int seq2 = -1;        // Frame: first sequence value (the program's nSeq2)
    int seq1 = -1;        // Frame: second sequence value (nSeq1)
    std::string payload;  // Frame: after the sequence characters up to STX; RawFrame: after L
    std::string problem;  // BadFrame/Junk: what is wrong
    double time = 0;      // monotonic seconds when it was complete
};

// Builds the register's answer frame: EOT, [160 + station], length, q1, q2,
// payload, STX, checksum, ETX (q1, q2 as values; the characters are + 32).
// A wrong checksum when badChecksum.
std::string BuildAnswer(const std::string& payload, bool addressed, int station, int q1, int q2,
                        bool badChecksum = false);
// ACK / NAK / SYN of the register: the character, and twice the address
// character in addressed mode.
std::string ControlChars(unsigned char c, bool addressed, int station);

// Cuts the program's bytes into units. In addressed mode the control
// characters carry two address characters.
class PcStream {
public:
    explicit PcStream(bool addressed) : addressed_(addressed) {}
    void Add(const std::string& bytes, double now);
    // The next complete unit; false when more bytes are needed. A frame that
    // stays incomplete for `stale` seconds is given up as a bad frame.
    bool Next(PcUnit& unit, double now, double stale = 0.5);
    bool Empty() const { return buf_.empty(); }
    // During a bulk transfer in direct mode a frame whose additive checksum
    // holds is a raw frame, unless it is a number frame ("k;"): a raw
    // payload may match both checksums by chance.
    void PreferRaw(bool on) { preferRaw_ = on; }

private:
    bool DecodeFrame(const std::string& bytes, PcUnit& unit) const;
    bool addressed_;
    bool preferRaw_ = false;
    std::string buf_;
    double since_ = 0;  // when the first byte now in buf_ arrived
};

// The bytes with control characters, and "[" itself, as "[n]" (for logs and
// messages), so that a "[" always starts a code.
std::string Readable(const std::string& bytes);

}  // namespace emu
