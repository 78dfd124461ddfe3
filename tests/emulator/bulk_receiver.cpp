#include "emulator/bulk_receiver.h"

#include <cstdio>

namespace emu {

void BulkReceiver::FallBehind(int count, int after) {
    std::lock_guard<std::mutex> lock(mu_);
    loseCount_ = count;
    loseAfter_ = after;
    lost_ = 0;
}

std::vector<std::string> BulkReceiver::Rows() const {
    std::lock_guard<std::mutex> lock(mu_);
    return rows_;
}

bool BulkReceiver::Ended() const {
    std::lock_guard<std::mutex> lock(mu_);
    return ended_;
}

int BulkReceiver::Queries() const {
    std::lock_guard<std::mutex> lock(mu_);
    return queries_;
}

std::vector<int> BulkReceiver::NumberFrames() const {
    std::lock_guard<std::mutex> lock(mu_);
    return numbers_;
}

std::string BulkReceiver::Announcement() const {
    std::lock_guard<std::mutex> lock(mu_);
    return announcement_;
}

bool BulkReceiver::OnFrame(Register& reg, const PcUnit& unit) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    const std::string& p = unit.payload;
    // After a query the number frame comes ("0;" too, which is not a command
    // then).
    const bool number = active_ && awaitingNumber_ && p.size() >= 2 && p.back() == ';' &&
                        p.find_first_not_of("0123456789") == p.size() - 1;
    if (!number && p.compare(0, 2, "0;") == 0) {
        // A command: it announces a bulk transfer when it carries "#z" or "#u".
        for (const char* token : {"#z", "#u"}) {
            const size_t at = p.find(std::string(";") + token);
            if (at != std::string::npos) {
                active_ = true;
                ended_ = false;
                announcement_ = token;
                rows_.clear();
                arrived_ = 0;
                queries_ = 0;
                numbers_.clear();
                lost_ = 0;
                reg.Owner().ExpectRawFrames(true);
            }
        }
        return false;  // the register's own handler records the command
    }
    if (!number) return false;
    awaitingNumber_ = false;
    const size_t k = std::stoul(p.substr(0, p.size() - 1));
    numbers_.push_back(static_cast<int>(k));
    if (rows_.size() > k) rows_.resize(k);
    return true;
}

void BulkReceiver::Answer(Register& reg) {
    queryPending_ = false;
    char count[16];
    std::snprintf(count, sizeof count, "%05d", static_cast<int>(rows_.size()) % 100000);
    Register mine(reg.Owner(), station_);
    mine.Send(std::string("B99:") + count);
}

bool BulkReceiver::OnEnq(Register& reg, const PcUnit&) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    if (queryPending_) Answer(reg);
    return false;
}

bool BulkReceiver::OnRawFrame(Register& reg, const PcUnit& unit) {
    // Raw frames go to every register on the line at once.
    std::lock_guard<std::mutex> lock(mu_);
    if (!active_) return false;
    const std::string& p = unit.payload;
    if (p == "*") {
        active_ = false;
        ended_ = true;
        reg.Owner().ExpectRawFrames(false);
        return false;
    }
    if (p == "?") {
        ++queries_;
        queryPending_ = true;
        awaitingNumber_ = true;
        if (!reg.Addressed()) Answer(reg);
        return false;
    }
    ++arrived_;
    if (loseCount_ > 0 && arrived_ > loseAfter_ && lost_ < loseCount_) {
        ++lost_;
        return false;
    }
    rows_.push_back(p);
    return false;
}

}  // namespace emu
