#include "transfers/loyalty_transfer.h"

#include <vector>

#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "store/loyalty.h"
#include "store/table_file.h"
#include "transfers/read_edits.h"
#include "transfers/slot_send.h"

using tables::FormatNum;
using tables::NumValue;

namespace {

// The line index of a send that has answered "*": a request after the end
// is answered "*" again without counting the end twice. The next send, and
// the next register's turn, put the counters back.
constexpr int16_t kEnded = -1;

ReadEdits RepFidEdits(kRepFidFile, &RepFidRec::Layout);
ReadEdits SubFidEdits(kSubFidFile, &SubFidRec::Layout);

// A loyalty line on the wire: Tipo and Calcolo as plain numbers, the six
// values as eight digits.
std::string LineAnswer(const LineaFidRec& l) {
    std::string a = std::to_string(l.Tipo.Num()) + ":" + std::to_string(l.Calcolo.Num());
    for (const auto* v : {&l.Step1, &l.Step2, &l.Soglia1, &l.Soglia2, &l.Valore1, &l.Valore2})
        a += ":" + FormatNum(v->Num(), 8);
    return a;
}

// Fields f[first] .. f[first + 7] of a received line into a loyalty line:
// Tipo and Calcolo keep the first character of their value, the six values
// are zero-padded to eight digits. False (the line unchanged) when a value
// does not fit eight digits.
bool PutLine(LineaFidRec& l, const std::vector<std::string>& f, size_t first) {
    std::string values[6];
    for (size_t k = 0; k < 6; ++k)
        if (!FormatNumberField(NumValue(f[first + 2 + k]), 8, values[k])) return false;
    l.Tipo = std::to_string(NumValue(f[first])).substr(0, 1);
    l.Calcolo = std::to_string(NumValue(f[first + 1])).substr(0, 1);
    tables::Fixed<8>* fields[] = {&l.Step1, &l.Step2, &l.Soglia1, &l.Soglia2, &l.Valore1, &l.Valore2};
    for (size_t k = 0; k < 6; ++k) *fields[k] = values[k];
    return true;
}

// The first line of a read shows its status and starts the progress bar and
// the record counter; every line advances both.
void ReadLine(const char* statusKey) {
    Shell& shell = CurrentShell();
    if (!shell.PGBBusy()) {
        shell.SetPGBRange(1, 100);
        ShowMsg(statusKey, "2");
        SetCntRec(0);
    }
    shell.IncPGBValue();
    IncCntRec();
}

// ---- Customer circularity

std::string CirCliAnswer(int16_t slot, const std::string& record) {
    CirCliRec rec;
    tables::SetRecordBytes(rec, record);
    return FormatNum(slot, 2) + ":" + FormatNum(rec.Circolarita.Num(), 7) + ":" +
           std::to_string(rec.LineaFid.Num());
}

const SlotSendDesc kCirCliSend{kCirCliFile,
                               sizeof(CirCliRec),
                               kCirCliSlots,
                               &ReqStateRec::nTxCirCli,
                               &TxCountersRec::nTxCirCliIdx,
                               "circlisend",
                               CirCliAnswer};

bool FirstCharacter(std::string& field) {
    field = std::to_string(NumValue(field)).substr(0, 1);
    return true;
}

// Slots 1 to 10 only; the loyalty line keeps the first character of its
// value.
bool CirCliReceived(std::string& line) {
    const int32_t slot = NumValue(line.substr(0, line.find(':')));
    return slot >= 1 && slot <= kCirCliSlots && ChangeLineField(line, 2, FirstCharacter);
}

}  // namespace

// ---- Loyalty by department

std::string AnsRepFid() {
    TxLineArrived();
    if (Tx.nTxRepFidA == kEnded) return "*";
    if (Tx.nTxRepFidFrom > Tx.nTxRepFidTo) {
        // The range of the send again, for the next register of the operation.
        Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0;
        Tx.nTxRepFidTo = Tx.nTxRepFidTo0;
        Tx.nTxRepFidA = kEnded;
        return EndSend();
    }
    Shell& shell = CurrentShell();
    if (Tx.nTxRepFidFrom == Tx.nTxRepFidFrom0 && Tx.nTxRepFidA == Tx.nTxRepFidB) {
        ShowMsg("45", "2");
        shell.SetPGBRange(Tx.nTxRepFidFrom, ClampInt16(int32_t(Tx.nTxRepFidTo) + 1));
        SetCntRec(0);
    }
    RepFidRec rec;
    if (Tx.nTxRepFidA < 0 || Tx.nTxRepFidA > 2 || !GetRepFid(std::to_string(Tx.nTxRepFidFrom), rec)) {
        Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0;
        Tx.nTxRepFidTo = Tx.nTxRepFidTo0;
        Tx.nTxRepFidA = kEnded;
        return RefuseSend(tables::TablePath(kRepFidFile));
    }
    shell.IncPGBValue();
    IncCntRec();
    const std::string answer = std::to_string(Tx.nTxRepFidFrom) + ":" +
                               std::to_string(Tx.nTxRepFidA) + ":" +
                               LineAnswer(rec.Linee.Linea[Tx.nTxRepFidA]);
    if (++Tx.nTxRepFidA == 3) {
        Tx.nTxRepFidA = 0;
        ++Tx.nTxRepFidFrom;
    }
    return answer;
}

int16_t DataRepFid() {
    TxLineArrived();
    if (ReqState.bRdRepFid == False) {
        SendAck();
        return -1;
    }
    const std::string& line = AnswerRec.strAnsData;
    if (!line.empty() && line[0] == '*') return CloseEditedRead(ReqState.bRdRepFid, RepFidEdits);
    ReadLine("fidrep");
    std::vector<std::string> f;
    if (!CutLineFields(line, 10, f)) return RefuseEditedLine(RepFidEdits);
    const int32_t dept = NumValue(f[0]);
    const int32_t index = NumValue(f[1]);
    if (dept < 1 || dept > Sizes.nMaxReparti || index < 0 || index > 2)
        return RefuseEditedLine(RepFidEdits);
    RepFidRec rec;
    tables::SetRecordBytes(rec, RepFidEdits.Get(dept));
    if (!PutLine(rec.Linee.Linea[index], f, 2)) return RefuseEditedLine(RepFidEdits);
    rec.number.PutNum(dept);
    rec.end.Set();
    RepFidEdits.Put(dept, tables::RecordBytes(rec));
    SendAck();
    return -1;
}

// ---- Loyalty on the subtotal

std::string AnsSubFid() {
    TxLineArrived();
    int16_t& idx = Tx.nTxSubFidIdx;
    if (idx == kEnded) return "*";
    if (idx < 0 || idx >= 3) {
        idx = kEnded;
        return EndSend();
    }
    SubFidRec rec;
    if (!GetSubFid(rec)) {
        idx = kEnded;
        return RefuseSend(tables::TablePath(kSubFidFile));
    }
    CurrentShell().IncPGBValue();
    IncCntRec();
    const std::string answer = std::to_string(idx) + ":" + LineAnswer(rec.Linee.Linea[idx]);
    ++idx;
    return answer;
}

int16_t DataSubFid() {
    TxLineArrived();
    if (ReqState.bRdSubFid == False) {
        SendAck();
        return -1;
    }
    const std::string& line = AnswerRec.strAnsData;
    if (!line.empty() && line[0] == '*') return CloseEditedRead(ReqState.bRdSubFid, SubFidEdits);
    ReadLine("fidsub");
    std::vector<std::string> f;
    if (!CutLineFields(line, 9, f)) return RefuseEditedLine(SubFidEdits);
    const int32_t index = NumValue(f[0]);
    if (index < 0 || index > 2) return RefuseEditedLine(SubFidEdits);
    SubFidRec rec;
    tables::SetRecordBytes(rec, SubFidEdits.Get(1));
    if (!PutLine(rec.Linee.Linea[index], f, 1)) return RefuseEditedLine(SubFidEdits);
    rec.end.Set();
    SubFidEdits.Put(1, tables::RecordBytes(rec));
    SendAck();
    return -1;
}

// ---- Customer circularity

const TableDesc& CirCliTable() {
    static const TableDesc t{.fileName = kCirCliFile,
                             .layout = &CirCliRec::Layout,
                             .size = &TableSizes::nMaxCirCli,
                             .wire = {{"number", WireKind::Number},
                                      {"Circolarita", WireKind::Number},
                                      {"LineaFid", WireKind::Number}},
                             .rdFlag = &ReqStateRec::bRdCirCli,
                             .readStatusKey = "circli",
                             .received = CirCliReceived};
    return t;
}

std::string AnsCirCli() { return AnswerSlots(kCirCliSend); }
int16_t DataCirCli() { return DataTable(CirCliTable()); }
