#include "engine/wait_display.h"

#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"

std::string FormatTenths(double seconds) {
    long tenths = std::lround(std::max(seconds, 0.0) * 10.0);
    return std::to_string(tenths / 10) + Numbers.strDecSep + std::to_string(tenths % 10);
}

WaitTexts MakeWaitTexts(double elapsedSeconds) {
    WaitTexts t;
    t.cassa = GetText("Progress", "cassa") + " " + std::to_string(LinkState.nAddress + 1);
    t.comando = GetText("Progress", "comando") + " " + std::to_string(CmdQueue.nCmdCur) + "/" +
                std::to_string(CmdQueue.nCmdNum);
    int cur = CmdQueue.nCmdCur;
    if (cur >= 1 && cur <= kQueueSize) t.description = CmdQueue.entries[cur].description;
    t.elapsed = GetText("Progress", "tempo") + " " + FormatTenths(elapsedSeconds);
    return t;
}
