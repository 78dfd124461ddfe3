#include "transfers/slot_send.h"

#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/table_file.h"

std::string AnswerSlots(const SlotSendDesc& table) {
    TxTurnStart();
    uint16_t& word = ReqState.*table.txWord;
    // A request after the end: "*" again, without restarting the time-out.
    if (word == kFileDone) return "*";
    LinkState.sngLastRx = platform::Timer();
    int16_t& idx = Tx.*table.txIdx;
    Shell& shell = CurrentShell();
    if (word == kFileOpenNext) {
        ShowMsg(table.statusKey, "2");
        shell.SetPGBRange(1, table.slots);
        idx = 1;
        const std::string path = tables::TablePath(table.fileName);
        int16_t number = platform::FileExists(path) ? OpenRandomFileNum(path, table.recordLength) : 0;
        if (number == 0) return RefuseSendFile(word, table.fileName);
        word = static_cast<uint16_t>(number);
    }
    if (idx >= 1 && idx <= table.slots) {
        shell.IncPGBValue();
        platform::RecordFile* file = RandomFileNum(static_cast<int16_t>(word));
        std::string record;
        if (!file || !file->Read(idx, record)) {
            idx = 1;
            return RefuseSendFile(word, table.fileName);
        }
        return table.answer(idx++, record);
    }
    idx = 1;
    return EndSend(word);
}
