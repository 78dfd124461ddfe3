// Receipt-history lines as a register sends them during a history read
// ("C00 position:data"), into Storico.txt and the position kept in
// Cassa.txt: however the lines look, the history file only grows by whole
// lines.
//
// Input: one byte of settings (bits 0-1 the history size limit in its
// units: none, 1, 2, 8; bit 2 a position kept from an earlier read; bits
// 6-7 the model), then the lines (LF between them), each without "C".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/cassa_conf.h"
#include "engine/open_register.h"
#include "frame_lines.h"
#include "fuzz_support.h"
#include "core/req_state.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "core/shell_state.h"
#include "transfers/history.h"
#include "transfers/table_procs.h"
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
    const std::string cash = fuzzsupport::FreshStart();
    const uint8_t settings = data[0];
    static const int16_t models[] = {1, 3, 6, 9};
    static const int32_t limits[] = {0, 1, 2, 8};
    ConfigLevel.InitOffLine(models[settings >> 6], "V014057");
    SetTableSizes();
    CassaConf.P911 = kP911NoDTRWait;
    SetDefTimeouts(0, LinkState);
    LinkState.sngTOPoll = 0.05f;
    ShellState.HistoryLimit = limits[settings & 3];
    if (settings & 4) {
        platform::WriteProfileString("B90", "indi", "0012", CassaTxtPath());
        platform::WriteProfileString("B90", "pg", "03", CassaTxtPath());
        CassaFile.strB90Indi = "0012";
        CassaFile.strB90Pg = "03";
    }
    History = HistoryGlobals{};
    ReqState.bRdStorico = True;
    ReqState.nFileStorico = kFileOpenNext;

    std::string lines;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines += "00 " + text.substr(at, end - at) + "\n";
        at = end + 1;
    }
    fuzzsupport::Receive(fuzzsupport::FramesOfLines(lines));

    std::string stored;
    platform::ReadFile(cash + "/Storico.txt", stored);
    if (!stored.empty() && (stored.size() < 2 || stored.compare(stored.size() - 2, 2, "\r\n") != 0))
        abort();  // a line stored in part
    return 0;
}
