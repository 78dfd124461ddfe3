#include "transfers/payments_transfer.h"

#include <vector>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "store/payments.h"
#include "transfers/transfer.h"

using tables::NumValue;

namespace {

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

// ---- Payment types

// P522 and P523 are sent as the file holds them and stored by their numeric
// values; P524 travels last, on every model but LX4100.
const std::vector<WireField> kModPagSend = {
    {"number", WireKind::Number}, {"P521", WireKind::Number}, {"P522", WireKind::Text},
    {"P523", WireKind::Text},     {"P520", WireKind::Text},   {"P524", WireKind::Text},
};
const std::vector<WireField> kModPagRead = {
    {"number", WireKind::Number}, {"P521", WireKind::Number}, {"P522", WireKind::Number},
    {"P523", WireKind::Number},   {"P520", WireKind::Text},   {"P524", WireKind::Number},
};

// A payment type read back: P522 and P523 as plain digits, left-aligned, and
// P524 as four digits (also on LX4100, whose lines do not carry it).
bool SaveModPagBytes(int32_t entry, const std::string& bytes) {
    if (entry > Sizes.nMaxModPag) return false;  // beyond the model's table
    ModPagRec rec;
    tables::SetRecordBytes(rec, bytes);
    rec.P522.PutLeftNum(rec.P522.Num());
    rec.P523.PutLeftNum(rec.P523.Num());
    rec.P524.PutNum(rec.P524.Num());
    return SaveModPag(static_cast<int16_t>(entry), rec);
}

TableDesc MakeModPagTable(const std::vector<WireField>& wire, bool lx4100) {
    TableDesc t{};
    t.fileName = kModPagFile;
    t.layout = &ModPagRec::Layout;
    t.size = &TableSizes::nMaxModPag;
    t.wire.assign(wire.begin(), wire.end() - (lx4100 ? 1 : 0));
    t.txWord = &ReqStateRec::nTxModPag;
    t.txIdx = &TxCountersRec::nTxModPagIdx;
    t.sendStatusKey = "28";
    t.rdFlag = &ReqStateRec::bRdModPag;
    t.readStatusKey = nullptr;  // the read builder shows the status
    t.save = &SaveModPagBytes;
    return t;
}

const TableDesc& ModPagTable(bool send) {
    static const TableDesc tables[2][2] = {
        {MakeModPagTable(kModPagRead, false), MakeModPagTable(kModPagRead, true)},
        {MakeModPagTable(kModPagSend, false), MakeModPagTable(kModPagSend, true)},
    };
    return tables[send ? 1 : 0][IsLX4100() ? 1 : 0];
}

// ---- Meal-ticket amounts

// Meal ticket 1 is payment type 6.
constexpr int32_t kTicketPaymentOffset = 5;

// The denomination and the amount go out exactly as the file holds them;
// the first field becomes the payment type (TicketAnswer).
TableDesc MakeTicketTable(bool send) {
    TableDesc t{};
    t.fileName = kTicketAmountFile;
    t.layout = &TicketAmountRec::Layout;
    t.size = &TableSizes::nMaxTicketAmount;
    const WireKind kept = send ? WireKind::Text : WireKind::Number;
    t.wire = {{"ticket", WireKind::Number}, {"denomination", kept}, {"amount", kept}};
    t.txWord = &ReqStateRec::nTxTicketAmount;
    t.txIdx = &TxCountersRec::nTxTicketAmountIdx;
    t.sendStatusKey = "stickamount";
    t.rdFlag = &ReqStateRec::bRdTicketAmount;
    t.readStatusKey = nullptr;  // each line only advances the bar
    // A line gives the payment type of its ticket first: the record keeps the
    // ticket's number and is stored at its ticket and denomination.
    t.save = [](int32_t paymentType, const std::string& bytes) {
        TicketAmountRec rec;
        tables::SetRecordBytes(rec, bytes);
        const int32_t ticket = paymentType - kTicketPaymentOffset;
        rec.ticket.PutNum(ticket);
        return SaveTicketAmount(static_cast<int16_t>(ticket),
                                static_cast<int16_t>(rec.denomination.Num()), rec);
    };
    return t;
}

const TableDesc& TicketTable(bool send) {
    static const TableDesc read = MakeTicketTable(false), sent = MakeTicketTable(true);
    return send ? sent : read;
}

bool HasTicketFile() {
    return platform::FileExists(platform::JoinPath(Core.strCashDir, kTicketAmountFile));
}

void ReportNoTickets() {
    ReportTransferFailure(GetText("Log", "noticket") + " " +
                          platform::JoinPath(Core.strCashDir, kTicketAmountFile));
}

// A send to a register folder without meal tickets: "*" at once, the
// transfer counted done once, nothing opened or created.
std::string EndWithoutTickets() {
    TxLineArrived();
    uint16_t& word = ReqState.nTxTicketAmount;
    if (word == kFileDone) return "*";
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    ReportNoTickets();
    DecPending();
    return "*";
}

bool IsMealTicketLine(const std::string& line) {
    std::vector<std::string> fields;
    if (!CutLineFields(line, 2, fields)) return true;  // the shared procedure refuses it
    const int32_t type = NumValue(fields[0]);
    const int32_t denomination = NumValue(fields[1]);
    return type > kTicketPaymentOffset && type <= kTicketPaymentOffset + kMealTickets &&
           denomination >= 1 && denomination <= kTicketDenominations;
}

}  // namespace

std::string AnsModPag() { return AnswerTable(ModPagTable(true)); }

int16_t DataModPag() { return DataTable(ModPagTable(false)); }

std::string AnsTicketAmount() {
    if (!HasTicketFile()) return EndWithoutTickets();
    std::string answer = AnswerTable(TicketTable(true));
    if (answer == "*") return answer;
    const size_t colon = answer.find(':');
    return std::to_string(NumValue(answer.substr(0, colon)) + kTicketPaymentOffset) +
           answer.substr(colon);
}

int16_t DataTicketAmount() {
    const TableDesc& table = TicketTable(false);
    const std::string& line = AnswerRec.strAnsData;
    if (ReqState.bRdTicketAmount == False) return DataTable(table);
    const bool closing = !line.empty() && line[0] == '*';
    if (!HasTicketFile()) {
        if (closing) {
            ReportNoTickets();
            return DataTable(table);
        }
        TxLineArrived();
        SendAck();
        return -1;
    }
    if (!closing && !IsMealTicketLine(line)) return RefuseTableLine(table);
    return DataTable(table);
}
