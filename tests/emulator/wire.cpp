#include "emulator/wire.h"

#include <cctype>

namespace emu {

namespace {

int Code(char c) { return static_cast<unsigned char>(c); }
char Chr(int code) { return static_cast<char>(static_cast<unsigned char>(code)); }

bool StartsUnit(unsigned char c) {
    return c == kEot || c == kDle || c == kDc1 || c == kEnq || c == kAck || c == kNak;
}

}  // namespace

int ChkXor(const std::string& bytes, size_t count) {
    int x = 0;
    for (size_t i = 0; i < count && i < bytes.size(); ++i) x ^= Code(bytes[i]);
    return (x & 127) + 40;
}

int ChkSum(const std::string& bytes, size_t count) {
    unsigned s = 0;
    for (size_t i = 0; i < count && i < bytes.size(); ++i) s += Code(bytes[i]);
    return static_cast<int>(s & 127) + 40;
}

std::string BuildAnswer(const std::string& payload, bool addressed, int station, int q1, int q2,
                        bool badChecksum) {
    std::string f;
    f += Chr(kEot);
    if (addressed) f += Chr(kAddr0 + station);
    const size_t total = f.size() + 1 + 2 + payload.size() + 3;
    f += Chr(static_cast<int>(total) + 40);
    f += Chr(q1 + 32);
    f += Chr(q2 + 32);
    f += payload;
    f += Chr(kStx);
    int k = ChkXor(f, f.size());
    if (badChecksum) k = k == 167 ? 40 : k + 1;
    f += Chr(k);
    f += Chr(kEtx);
    return f;
}

std::string ControlChars(unsigned char c, bool addressed, int station) {
    std::string s(1, Chr(c));
    if (addressed) s += std::string(2, Chr(kAddr0 + station));
    return s;
}

std::string Readable(const std::string& bytes) {
    std::string out;
    for (char ch : bytes) {
        int c = Code(ch);
        if (c < 32 || c > 126 || ch == '[') {
            out += '[';
            out += std::to_string(c);
            out += ']';
        } else {
            out += ch;
        }
    }
    return out;
}

void PcStream::Add(const std::string& bytes, double now) {
    if (bytes.empty()) return;
    if (buf_.empty()) since_ = now;
    buf_ += bytes;
}

bool PcStream::DecodeFrame(const std::string& bytes, PcUnit& u) const {
    const size_t a = addressed_ ? 1 : 0;
    const size_t n = bytes.size();
    u.bytes = bytes;
    u.kind = PcUnit::BadFrame;
    if (a && n > 1) u.station = Code(bytes[1]) - kAddr0;
    const bool raw = a && n > 1 && Code(bytes[1]) == kBroadcast;
    if (n < 5 + a) {
        u.problem = "frame too short";
        return true;
    }
    const bool lengthOk = Code(bytes[1 + a]) == static_cast<int>(n) + 40;
    const bool stxOk = Code(bytes[n - 3]) == kStx && Code(bytes[n - 1]) == kEtx;
    const bool xorOk = Code(bytes[n - 2]) == ChkXor(bytes, n - 2);
    const bool sumOk = Code(bytes[n - 2]) == ChkSum(bytes, n - 2);
    if (!lengthOk || !stxOk) {
        u.problem = !lengthOk ? "wrong length character" : "no STX before the checksum";
        return true;
    }
    bool numberFrame = false;
    if (n >= 9 + a && Code(bytes[n - 4]) == ';') {
        numberFrame = true;
        for (size_t i = 4 + a; i + 4 < n; ++i) numberFrame = numberFrame && std::isdigit(Code(bytes[i]));
    }
    const bool rawPreferred = preferRaw_ && !a && sumOk && !numberFrame;
    if (!raw && xorOk && n >= 7 + a && !rawPreferred) {
        u.kind = PcUnit::Frame;
        u.seq2 = Code(bytes[2 + a]) - 32;
        u.seq1 = Code(bytes[3 + a]) - 32;
        u.payload = bytes.substr(4 + a, n - 3 - (4 + a));
    } else if ((raw || !a) && sumOk) {
        u.kind = PcUnit::RawFrame;
        u.payload = bytes.substr(2 + a, n - 3 - (2 + a));
    } else {
        u.problem = n < 7 + a ? "frame too short" : "wrong checksum character";
    }
    return true;
}

bool PcStream::Next(PcUnit& u, double now, double stale) {
    if (buf_.empty()) return false;
    u = PcUnit{};
    u.time = now;
    const bool old = now - since_ > stale;
    const unsigned char c = static_cast<unsigned char>(buf_[0]);
    const size_t a = addressed_ ? 1 : 0;
    size_t take = 0;

    if (c == kEot) {
        if (buf_.size() < 2 + a && !old) return false;
        const int length = buf_.size() >= 2 + a ? Code(buf_[1 + a]) : 0;
        const size_t n = length >= 40 ? static_cast<size_t>(length - 40) : 0;
        if (n >= 5 + a && buf_.size() >= n && Code(buf_[n - 1]) == kEtx) {
            take = n;
        } else if (n >= 5 + a && buf_.size() < n && !old) {
            return false;  // the rest of the frame is on its way
        } else {
            size_t etx = buf_.find(static_cast<char>(kEtx), 1);
            if (etx != std::string::npos) {
                take = etx + 1;
            } else if (old || buf_.size() > 600) {
                u.kind = PcUnit::BadFrame;
                u.bytes = buf_;
                u.problem = "frame without ETX";
                buf_.clear();
                return true;
            } else {
                return false;
            }
        }
        DecodeFrame(buf_.substr(0, take), u);
    } else if (c == kDle || c == kDc1 || c == kEnq || c == kAck || c == kNak) {
        const size_t need = (c == kEnq || addressed_) ? 3 : 1;
        if (buf_.size() < need) {
            if (!old) return false;
            u.kind = PcUnit::Junk;
            u.bytes = buf_;
            u.problem = "control character without its address";
            buf_.clear();
            return true;
        }
        take = need;
        u.bytes = buf_.substr(0, need);
        u.kind = c == kEnq ? PcUnit::Enq
                 : c == kAck ? PcUnit::Ack
                 : c == kNak ? PcUnit::Nak
                             : PcUnit::Poll;
        u.control = c;
        if (need == 3) {
            u.station = Code(buf_[1]) - kAddr0;
            if (buf_[1] != buf_[2]) u.problem = "the two address characters differ";
        }
    } else {
        take = 1;
        while (take < buf_.size() && !StartsUnit(static_cast<unsigned char>(buf_[take]))) ++take;
        u.kind = PcUnit::Junk;
        u.bytes = buf_.substr(0, take);
        u.problem = "bytes outside any frame";
    }
    buf_.erase(0, take);
    since_ = now;
    return true;
}

}  // namespace emu
