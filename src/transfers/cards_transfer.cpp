#include "transfers/cards_transfer.h"

#include <algorithm>
#include <vector>

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
#include "platform/clock.h"
#include "store/cards.h"
#include "core/record.h"
#include "transfers/transfer.h"

using tables::NumValue;

namespace {

constexpr size_t kCardFields = 9;

// At least three digits ("005"); a longer number whole.
std::string Digits3(int32_t value) {
    std::string digits = std::to_string(value < 0 ? -int64_t(value) : int64_t(value));
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return (value < 0 ? "-" : "") + digits;
}

// One card answer: the card's fields on LX4100, nothing on the other models.
// The register asks once; the write is done with the answer.
std::string CardAnswer(int16_t& writeFlag, std::string (*fields)()) {
    LinkState.sngLastRx = platform::Timer();
    const bool writes = ConfigLevel.CashType() == "LX4100";
    std::string answer = writes ? fields() : std::string();
    writeFlag = False;
    DecPending();
    if (writes)
        ShowSentStatus();
    else
        ShowMsg("", "");
    return answer;
}

std::string OpeCardFields() {
    std::string answer = Digits3(NumValue(OpeCard.strCodice)) + ":" +
                         Digits3(NumValue(OpeCard.strCodice2));
    for (int k = 1; k <= 6; ++k) answer += ":" + std::to_string(OpeCard.aP322[k]);
    return answer + ":" + WireText(OpeCard.strData);
}

std::string CamCardFields() {
    std::string answer = Digits3(NumValue(CamCard.strNumero)) + ":" +
                         Digits3(NumValue(CamCard.strChiave)) + ":" +
                         std::to_string(CamCard.nClienti) + ":" +
                         std::to_string(CamCard.nArticoli) + ":" +
                         std::to_string(CamCard.nVendite);
    for (int k = 1; k <= 3; ++k) answer += ":" + std::to_string(CamCard.aExtra[k]);
    return answer + ":" + WireText(CamCard.strData);
}

// One card read: its line fills the card record and marks it valid for the
// editor (the read builder cleared the mark), the closing line ends the read.
// A line that does not hold the card's nine ended fields changes nothing and
// is listed; a read that brought no card leaves the mark cleared, so the
// editor never shows an older card as the one read.
int16_t CardData(int16_t& pending, int16_t& valid, const char* what,
                 void (*fill)(const std::vector<std::string>&)) {
    LinkState.sngLastRx = platform::Timer();
    const std::string& line = AnswerRec.strAnsData;
    if (pending == False) {
        SendAck();
        return -1;
    }
    if (!line.empty() && line[0] == '*') {
        pending = False;
        return EndTableRead();
    }
    std::vector<std::string> fields;
    if (CutLineFields(line, kCardFields, fields)) {
        fill(fields);
        valid = True;
    } else {
        ReportTransferProblem(GetText("Log", "notstored") + " " + what + ": " + line);
    }
    SendAck();
    return -1;
}

}  // namespace

std::string AnsOpeCard() { return CardAnswer(ReqState.bWrOpeCard, OpeCardFields); }
std::string AnsCamCard() { return CardAnswer(ReqState.bWrCamCard, CamCardFields); }

int16_t DataOpeCard() {
    return CardData(ReqState.bRdOpeCard, OpeCard.bValid, "OpeCard",
                    [](const std::vector<std::string>& f) {
                        OpeCard.strCodice = WireText(f[0]);
                        OpeCard.strCodice2 = WireText(f[1]);
                        for (int k = 1; k <= 6; ++k) OpeCard.aP322[k] = ClampInt16(NumValue(f[1 + k]));
                        OpeCard.strData = WireText(f[8]);
                        OpeCard.strNome.clear();
                    });
}

int16_t DataCamCard() {
    return CardData(ReqState.bRdCamCard, CamCard.bValid, "CamCard",
                    [](const std::vector<std::string>& f) {
                        CamCard.strNumero = WireText(f[0]);
                        CamCard.strChiave = WireText(f[1]);
                        CamCard.nClienti = NumValue(f[2]);
                        CamCard.nArticoli = NumValue(f[3]);
                        CamCard.nVendite = NumValue(f[4]);
                        for (int k = 1; k <= 3; ++k)
                            CamCard.aExtra[k] = ClampInt16(NumValue(f[4 + k]));
                        CamCard.strData = WireText(f[8]);
                    });
}
