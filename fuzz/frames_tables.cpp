// Lines of a register's answers to every kind of read and send: each line
// ("07 0001:00:...", the code of its table first) arrives as a whole frame
// and goes to the data procedure of its table, the departments as much as
// the PLUs, the customers, the options, the reports and the history.
//
// Input: one byte of settings (bit 0 every read, dump and report awaited
// and every send's file about to open, as after the commands were queued;
// bit 1 a record-by-record send of every table under way; bits 6-7 the
// model), then the lines (LF between them), each without "C".
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/cassa_conf.h"
#include "engine/open_register.h"
#include "frame_lines.h"
#include "fuzz_support.h"
#include "core/req_state.h"
#include "transfers/table_procs.h"
#include "transfers/transfer.h"
#include "core/link_state.h"
#include "link/dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const bool once = [] {
        InstallAnswerParser();
        RegisterTableProcs();
        fuzzsupport::UseProgramClock();
        return true;
    }();
    (void)once;
    fuzzsupport::FreshStart();
    const uint8_t settings = data[0];
    static const int16_t models[] = {1, 3, 6, 9};
    ConfigLevel.InitOffLine(models[settings >> 6], "V014057");
    SetTableSizes();
    CassaConf.P911 = kP911NoDTRWait;
    SetDefTimeouts(0, LinkState);
    LinkState.sngTOPoll = 0.05f;
    if (settings & 1) {
        // Every flag -1 (awaited) and every file word 65535 (open at the
        // next line): both are all bits set, up to the send counters.
        std::memset(&ReqState, 0xFF, offsetof(ReqStateRec, nRdDirPLUIdx));
    }
    if (settings & 2) {
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = 1;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = 3;
        Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = Tx.nTxCliFrom = Tx.nTxCliFrom0 = 1;
        Tx.nTxPLUTo = Tx.nTxPLUTo0 = Tx.nTxCliTo = Tx.nTxCliTo0 = -1;
    }
    fuzzsupport::Receive(fuzzsupport::FramesOfLines(
        std::string(reinterpret_cast<const char*>(data) + 1, size - 1)));
    return 0;
}
