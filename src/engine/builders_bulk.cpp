#include "engine/builders_bulk.h"

#include <algorithm>
#include <string>

#include "core/link_state.h"
#include "core/texts.h"
#include "engine/cycle.h"
#include "link/cmd_queue.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/bulk_transfer.h"

namespace {

bool QueueBulk(const std::string& token) {
    std::string text = "*2;+4;" + token + ";";
    const bool queued = AddCmd(text, 0, 10.0f, GetProtocolText(token));
    SaveCmdQueue();
    return queued;
}

}  // namespace

bool SendFastPLU(int32_t from, int32_t to) {
    if (!NextCash(true)) return false;
    // More records than the register's count can hold would leave every
    // register behind the stream at the first query past the limit.
    if (GetPLUNum()) {
        const int64_t last = to < 0 ? PLUFiles.nPLUNum : std::min(to, PLUFiles.nPLUNum);
        const int64_t count = last - std::max<int32_t>(from, 1) + 1;
        if (count > kBulkMaxRecords) {
            ShowMsgText(GetText("Log", "bulklimit") + " " + std::to_string(kBulkMaxRecords) + " (" +
                            std::to_string(count) + ")",
                        "");
            return false;
        }
    }
    if (!PrepareFastPLU(from, to)) return false;
    if (QueueBulk(kFastPLUToken)) return true;
    LinkState.bSendPLU = false;
    return false;
}

bool SendIcons() {
    if (!NextCash(true)) return false;
    Bulk.strBitmapFile = tables::TablePath("Bitmap.bin");
    const int64_t size = platform::FileSize(Bulk.strBitmapFile);
    if (size <= 0) return false;
    const int64_t rows = size / IconRowLength();
    if (!QueueBulk(kIconToken + std::to_string(rows))) return false;
    LinkState.bSendIco = true;
    return true;
}
