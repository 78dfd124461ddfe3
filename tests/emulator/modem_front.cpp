#include "emulator/modem_front.h"

#include <cctype>

namespace emu {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Words(const std::string& text) { return "\r\n" + text + "\r\n"; }

}  // namespace

std::string ModemFront::FromProgram(const std::string& bytes, double now, std::string& reply) {
    std::lock_guard<std::mutex> lock(mu_);
    if (bytes.empty()) return "";
    if (online_) {
        // "+" alone may be the escape: held back until that is clear.
        if (bytes.find_first_not_of('+') == std::string::npos && pluses_.size() + bytes.size() <= 3) {
            pluses_ += bytes;
            escapeAt_ = pluses_.size() == 3 ? now + script_.guardSeconds : -1;
            return "";
        }
        std::string data = pluses_ + bytes;
        pluses_.clear();
        escapeAt_ = -1;
        return data;
    }
    for (char c : bytes) {
        if (c != '\r') {
            line_ += c;
            continue;
        }
        std::string line;
        line.swap(line_);
        // A command starts with "AT"; what stands before it is not one.
        const size_t at = Upper(line).find("AT");
        if (at != std::string::npos) reply += Command(line.substr(at), now);
    }
    return "";
}

std::string ModemFront::Command(const std::string& line, double now) {
    commands_.push_back(line);
    const std::string upper = Upper(line);
    if (upper.rfind("ATD", 0) == 0) {
        dialAt_ = now + script_.dialSeconds;
        return "";
    }
    return Words("OK");
}

std::string ModemFront::Tick(double now) {
    std::lock_guard<std::mutex> lock(mu_);
    if (dropped_) {
        dropped_ = false;
        online_ = false;
        pluses_.clear();
        escapeAt_ = -1;
        return Words("NO CARRIER");
    }
    if (online_ && escapeAt_ >= 0 && now >= escapeAt_) {
        pluses_.clear();
        escapeAt_ = -1;
        online_ = false;
        ++escapes_;
        return Words("OK");
    }
    if (dialAt_ >= 0 && now >= dialAt_) {
        dialAt_ = -1;
        if (script_.dialAnswer.empty()) return "";
        if (Upper(script_.dialAnswer).rfind("CONNECT", 0) == 0) {
            online_ = true;
            ++calls_;
        }
        return Words(script_.dialAnswer);
    }
    return "";
}

void ModemFront::DropCarrier() {
    std::lock_guard<std::mutex> lock(mu_);
    if (online_) dropped_ = true;
}

bool ModemFront::Online() const {
    std::lock_guard<std::mutex> lock(mu_);
    return online_;
}

std::vector<std::string> ModemFront::Commands() const {
    std::lock_guard<std::mutex> lock(mu_);
    return commands_;
}

int ModemFront::Escapes() const {
    std::lock_guard<std::mutex> lock(mu_);
    return escapes_;
}

int ModemFront::Calls() const {
    std::lock_guard<std::mutex> lock(mu_);
    return calls_;
}

}  // namespace emu
