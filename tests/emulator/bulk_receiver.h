#pragma once
// A register's side of the bulk raw transfers (PLUs and logo rows): after a
// command that announces one ("#z" for PLUs, "#u" for the logo), it keeps
// every raw frame as the next record, answers the raw "?" with "B99:" and
// the count of records it holds in five digits (in addressed mode when the
// program's enquiry for it comes), and takes the number frame
// that follows ("k;") as the count the program goes on from: records past k
// are dropped, so that the program's rewind sends them again. The raw "*"
// ends the transfer.
//
// Add it before the station's CashRegister: the number frame is its own.
// Fault: fall behind by N records (they are lost, as on a line overrun)
// after a given number of records.
#include <mutex>
#include <string>
#include <vector>

#include "emulator/emulator.h"

namespace emu {

class BulkReceiver : public Handler {
public:
    explicit BulkReceiver(int station = 0) : station_(station) {}

    // Loses the next `count` records after `after` records of this
    // transfer have arrived (0 count: never).
    void FallBehind(int count, int after);

    std::vector<std::string> Rows() const;  // the records held, in order
    bool Ended() const;                     // the raw "*" arrived
    int Queries() const;                    // "?" answered
    std::vector<int> NumberFrames() const;  // the counts the program sent
    std::string Announcement() const;       // the announcing token ("#z", "#u")

    bool OnFrame(Register& reg, const PcUnit& unit) override;
    bool OnRawFrame(Register& reg, const PcUnit& unit) override;
    bool OnEnq(Register& reg, const PcUnit& unit) override;

private:
    void Answer(Register& reg);
    const int station_;
    mutable std::mutex mu_;
    bool active_ = false;
    bool ended_ = false;
    std::string announcement_;
    std::vector<std::string> rows_;
    int arrived_ = 0;
    int queries_ = 0;
    bool queryPending_ = false;
    bool awaitingNumber_ = false;  // a query was answered, its number frame not yet  // addressed mode: "?" came, the enquiry not yet
    std::vector<int> numbers_;
    int loseCount_ = 0, loseAfter_ = 0, lost_ = 0;
};

}  // namespace emu
