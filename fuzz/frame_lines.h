#pragma once
// Lines of a register's answers, each made into a whole data frame of direct
// mode ("C" and the line between the frame's marks, its length and check
// characters right), and a port that hands the frames to the program in
// pieces. The targets that use it fuzz what the data procedures do with the
// lines, not the frame reader (the frames target does that).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "core/globals.h"
#include "link/dispatch.h"
#include "link/port.h"
#include "platform/fake_serial.h"

namespace fuzzsupport {

// One answer frame of direct mode around the payload ("C07 0001:00:...").
inline std::string AnswerFrame(const std::string& payload) {
    std::string frame = "\x04";
    frame += static_cast<char>(payload.size() + 2 + 7 + 40);
    frame += "!\"" + payload + "\x02";
    unsigned x = 0;
    for (unsigned char c : frame) x ^= c;
    frame += static_cast<char>((x & 127) + 40);
    frame += '\x03';
    return frame;
}

// The lines of the text (ended by LF), each "C" and the line as a frame; at
// most 200 lines, of at most 200 characters each (a frame's length is one
// character).
inline std::string FramesOfLines(const std::string& text) {
    std::string out;
    size_t at = 0;
    for (int n = 0; n < 200 && at < text.size(); ++n) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        out += AnswerFrame("C" + text.substr(at, std::min<size_t>(end - at, 200)));
        at = end + 1;
    }
    return out;
}

// A port whose received bytes come 1 to 64 at a time.
class PiecesPort : public platform::FakeSerialPort {
public:
    explicit PiecesPort(std::string bytes) : bytes_(std::move(bytes)) {}
    int InBufferCount() override { return static_cast<int>(std::min<size_t>(Left(), 64)); }
    void SetInBufferCount(int count) override {
        if (count == 0) pos_ += std::min<size_t>(Left(), 64);
    }
    std::string Input() override {
        std::string piece = bytes_.substr(pos_, std::min<size_t>(Left(), 1 + pos_ % 64));
        pos_ += piece.size();
        return piece;
    }
    bool WaitInput(int) override { return Left() > 0; }

private:
    size_t Left() const { return bytes_.size() - pos_; }
    std::string bytes_;
    size_t pos_ = 0;
};

// The frames through the link as answers to a command: the dispatcher runs
// the data procedure of each line's code.
inline void Receive(const std::string& frames) {
    SetPortFactory([&](int) { return std::make_unique<PiecesPort>(frames); });
    Core.nCommPort = 1;
    if (OpenCommPort())
        for (int i = 0; i < 4 && InputPending(); ++i) PollAnswers();
    SetPortFactory({});
}

}  // namespace fuzzsupport
