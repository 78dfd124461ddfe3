// Bytes from the register into the link: the frame reader, the answer parser
// and the procedures it dispatches to (a departments read and send).
//
// Input: one byte of settings, one byte that picks how the bytes arrive, then
// the register's bytes. Settings: bit 0 addressed mode, bits 1-3 the station,
// bit 4 a departments read pending, bit 5 departments 1 to 3 being sent,
// bits 6-7 the model.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "engine/open_register.h"
#include "fuzz_support.h"
#include "link/dispatch.h"
#include "link/port.h"
#include "platform/fake_serial.h"
#include "store/departments.h"
#include "transfers/table_procs.h"
#include "core/link_state.h"

namespace {

// A port whose received bytes come in pieces of 1 to 16 bytes: a piece has
// arrived when the program looks for input, and the next only after it was
// read (or flushed).
class PiecewisePort : public platform::FakeSerialPort {
public:
    PiecewisePort(std::string bytes, uint32_t seed) : bytes_(std::move(bytes)), seed_(seed) {}
    int InBufferCount() override { return static_cast<int>(Piece().size()); }
    void SetInBufferCount(int count) override {
        if (count == 0) Take();
    }
    std::string Input() override { return Take(); }
    bool WaitInput(int) override { return !Piece().empty(); }

private:
    const std::string& Piece() {
        if (piece_.empty() && pos_ < bytes_.size()) {
            seed_ = seed_ * 1103515245u + 12345u;
            piece_ = bytes_.substr(pos_, 1 + (seed_ >> 16) % 16);
            pos_ += piece_.size();
        }
        return piece_;
    }
    std::string Take() {
        Piece();
        return std::exchange(piece_, std::string());
    }
    std::string bytes_;
    size_t pos_ = 0;
    std::string piece_;
    uint32_t seed_;
};

const int16_t kModels[] = {1, 3, 6, 9};  // LX4100 and three of the other family

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const bool once = [] {
        InstallAnswerParser();
        RegisterTableProcs();
        fuzzsupport::UseProgramClock();
        return true;
    }();
    (void)once;
    fuzzsupport::FreshStart();
    const uint8_t settings = data[0];
    ConfigLevel.InitOffLine(kModels[settings >> 6], "V014057");
    SetTableSizes();
    CassaConf.P911 = kP911NoDTRWait;
    SetDefTimeouts(0, LinkState);
    LinkState.sngTOPoll = 0.05f;
    LinkState.bAddressed = settings & 1;
    LinkState.nAddress = static_cast<int16_t>((settings >> 1) & 7);
    if (settings & 16) ReqState.bRdReparto = True;
    if (settings & 32) {
        for (int32_t n = 1; n <= 3; ++n) {
            RepartoRec rec = tables::DefaultRecord<RepartoRec>(n);
            SaveReparto(std::to_string(n), rec);
        }
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = 1;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = 3;
    }

    std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    SetPortFactory([&](int) { return std::make_unique<PiecewisePort>(bytes, data[1]); });
    Core.nCommPort = 1;
    if (OpenCommPort()) PollAnswers();
    SetPortFactory({});
    return 0;
}
