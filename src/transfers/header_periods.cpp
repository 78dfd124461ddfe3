#include "transfers/header_periods.h"

#include <algorithm>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "transfers/options_transfer.h"
#include "core/record.h"
#include "transfers/transfer.h"

namespace {

// The common end of a read: the flag cleared, the status and progress bar
// back, the answer counted.
int16_t EndRead(int16_t& flag) {
    flag = False;
    return EndTableRead();
}

int16_t Periods() {
    return static_cast<int16_t>(std::clamp<int>(ConfigLevel.GetNIconePeriodo(Core.nOpenCash), 0, 10));
}

// "dd/mm/yy" as six digits, an unset digit ("_") as "0".
std::string SixDigits(const std::string& date) {
    std::string d = ReplaceChr(date, "_", "0");
    d.resize(std::max<size_t>(d.size(), 8), '0');
    return d.substr(0, 2) + d.substr(3, 2) + d.substr(6, 2);
}

}  // namespace

std::string AnsIntScontrino() {
    TxLineArrived();
    int16_t& idx = Tx.nTxIntScontrinoIdx;
    if (idx < 0 || idx > 2) {
        idx = Tx.nTxIntScontrinoIdx0;
        return EndSend();
    }
    CurrentShell().IncPGBValue();
    const CassaConfRec& c = udtCassaConf;
    std::string record;
    switch (idx) {
    case 0: record = "A:" + WireText(c.P021[1]) + ":" + WireText(c.P021[2]) + ":" +
                     WireText(c.P021[3]);
        break;
    case 1: record = "B:" + WireText(c.P021[4]) + ":" + WireText(c.P021[5]) + ":" +
                     WireText(c.P021[6]);
        break;
    default: record = "F:" + WireText(c.P023[1]) + ":" + WireText(c.P023[2]); break;
    }
    ++idx;
    return record;
}

int16_t DataIntScontrino() {
    TxLineArrived();
    if (ReqState.bRdIntScontrino == False) {
        SendAck();
        return True;
    }
    const std::string& data = AnswerRec.strAnsData;
    if (!data.empty() && data[0] == '*') return EndRead(ReqState.bRdIntScontrino);
    CurrentShell().IncPGBValue();
    std::vector<std::string> f;
    const std::string letter = data.substr(0, data.find(':'));
    CassaConfRec& c = udtCassaConf;
    std::string* first = letter == "A" ? &c.P021[1] : letter == "B" ? &c.P021[4]
                       : letter == "F" ? &c.P023[1] : nullptr;
    const size_t count = letter == "F" ? 2 : 3;
    if (first && !CutLineFields(data, count + 1, f)) {
        ReportTransferProblem(GetText("Log", "notstored") + " " + data);
    } else if (first) {
        for (size_t i = 0; i < count; ++i) first[i] = WireText(f[i + 1]);
    }
    SendAck();
    return True;
}

std::string AnsIconePeriodo() {
    TxLineArrived();
    int16_t& idx = Tx.nTxIconePeriodoIdx;
    if (idx < 1 || idx > Periods()) {
        idx = 1;
        return EndSend();
    }
    CurrentShell().IncPGBValue();
    const CassaConfRec& c = udtCassaConf;
    const size_t n = static_cast<size_t>(idx);
    std::string record = std::to_string(idx) + ":" + std::to_string(c.P024[n]) + ":" +
                         SixDigits(c.P025[n]) + ":" + SixDigits(c.P026[n]);
    ++idx;
    return record;
}

int16_t DataIconePeriodo() {
    TxLineArrived();
    if (ReqState.bRdIconePeriodo == False) {
        SendAck();
        return True;
    }
    const std::string& data = AnswerRec.strAnsData;
    if (!data.empty() && data[0] == '*') return EndRead(ReqState.bRdIconePeriodo);
    CurrentShell().IncPGBValue();
    std::vector<std::string> f;
    const bool whole = CutLineFields(data, 4, f);
    const int32_t n = whole ? tables::NumValue(f[0]) : 0;
    const int32_t icon = whole ? tables::NumValue(f[1]) : 0;
    if (!whole || n < 1 || n > Periods() || icon < INT16_MIN || icon > INT16_MAX ||
        f[2].size() != 6 || f[3].size() != 6) {
        ReportTransferProblem(GetText("Log", "notstored") + " " + data);
        SendAck();
        return True;
    }
    auto date = [](const std::string& d) {
        return WireText(d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4, 2));
    };
    CassaConfRec& c = udtCassaConf;
    c.P024[static_cast<size_t>(n)] = static_cast<int16_t>(icon);
    c.P025[static_cast<size_t>(n)] = date(f[2]);
    c.P026[static_cast<size_t>(n)] = date(f[3]);
    SendAck();
    return True;
}
