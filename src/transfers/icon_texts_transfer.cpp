#include "transfers/icon_texts_transfer.h"

#include <vector>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "store/icon_texts.h"
#include "transfers/read_edits.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

namespace {

ReadEdits Edits(kIconTextFile, &IconTextRec::Layout);

int16_t Messages() { return ConfigLevel.GetNMessaggiIcone(Core.nOpenCash); }

int16_t LinesPerMessage() {
    const int16_t n = ConfigLevel.GetNLineeMessaggioIcone(Core.nOpenCash);
    return n < 1 ? 1 : (n > IconTextRec::kLines ? IconTextRec::kLines : n);
}

std::string Wire(std::string_view text) { return tables::TrimBlanks(WireText(text)); }

}  // namespace

std::string AnsTestoIcone() {
    TxLineArrived();
    uint16_t& word = ReqState.nTxTestoIcone;
    if (word == kFileDone) return "*";
    Shell& shell = CurrentShell();
    const int16_t messages = Messages();
    if (word == kFileOpenNext) {
        ShowMsg("50", "2");
        shell.SetPGBRange(1, messages);
        Tx.nTxTestoIconeMsg = 1;
        Tx.nTxTestoIconeLine = 0;
        const std::string path = tables::TablePath(kIconTextFile);
        int16_t number = platform::FileExists(path) ? OpenRandomFileNum(path, sizeof(IconTextRec)) : 0;
        if (number == 0) return RefuseSendFile(word, kIconTextFile);
        word = static_cast<uint16_t>(number);
    }
    int16_t& msg = Tx.nTxTestoIconeMsg;
    int16_t& line = Tx.nTxTestoIconeLine;
    if (msg >= 1 && msg <= messages && line >= 0 && line < IconTextRec::kLines) {
        shell.IncPGBValue();
        std::string bytes;
        // A file written for fewer messages (before a firmware upgrade)
        // sends the default texts for the rest.
        if (!ReadSendRecord(word, msg, IconTextRec::Layout(), bytes))
            return RefuseSendFile(word, kIconTextFile);
        IconTextRec rec;
        tables::SetRecordBytes(rec, bytes);
        const std::string answer = Wire(rec.number.str()) + ":" + std::to_string(line + 1) + ":" +
                                   Wire(rec.Line[line].str()) + ":" + Wire(rec.icon.str());
        if (++line >= LinesPerMessage()) {
            line = 0;
            ++msg;
        }
        return answer;
    }
    return EndSend(word);
}

int16_t DataTestoIcone() {
    TxLineArrived();
    if (ReqState.bRdTestoIcone == False) {
        SendAck();
        return -1;
    }
    const std::string& data = AnswerRec.strAnsData;
    if (!data.empty() && data[0] == '*') return CloseEditedRead(ReqState.bRdTestoIcone, Edits);
    CurrentShell().IncPGBValue();
    std::vector<std::string> f;
    if (!CutLineFields(data, 4, f)) return RefuseEditedLine(Edits);
    const int32_t msg = tables::NumValue(f[0]);
    const int32_t line = tables::NumValue(f[1]);
    if (msg < 1 || msg > Messages() || line < 1 || line > IconTextRec::kLines)
        return RefuseEditedLine(Edits);
    IconTextRec rec;
    tables::SetRecordBytes(rec, Edits.Get(msg));
    rec.Line[line - 1] = WireText(f[2]);
    rec.icon = WireText(f[3]);
    rec.number.PutLeftNum(msg);
    rec.end.Set();
    Edits.Put(msg, tables::RecordBytes(rec));
    SendAck();
    return -1;
}
