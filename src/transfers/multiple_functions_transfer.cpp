#include "transfers/multiple_functions_transfer.h"

#include <map>
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
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

using tables::FormatNum;
using tables::NumValue;

namespace {

constexpr int kSteps = FunMulRec::kSteps;
// Tx.nRdFMultState while a record is being assembled (65535).
constexpr int16_t kAssembling = -1;

// The header's fields after its line kind, in wire order.
const std::vector<WireField> kHeaderWire = {
    {"number", WireKind::Number}, {"description", WireKind::Text}, {"flags", WireKind::Number}};

FunMulRec udtTxFMult;  // the record being sent

// A read under way: the record being assembled and the records complete.
struct FMultRead {
    std::string path;  // the table file of the register read
    FunMulRec rec;
    bool refused = false;                   // its header could not be stored
    std::map<int32_t, std::string> records;  // by number, written at the closing line
};
FMultRead Rd;

// A read that ends without its closing line leaves nothing behind.
void DropRead() {
    Rd = FMultRead{};
    Tx.nRdFMultState = 0;
}
const bool dropperAdded = AddReadDropper(&DropRead);


void Refuse(const std::string& line) {
    ReportTransferProblem(GetText("Log", "notstored") + " " + kFunMulFile + ": " + line);
}

std::string HeaderLine(const FunMulRec& rec) {
    return "1:" + BuildAnswer(FunMulRec::Layout(), kHeaderWire, tables::RecordBytes(rec));
}

std::string StepLine(const FunMulRec& rec, int i) {
    return "2:" + std::to_string(rec.number.Num()) + ":" + std::to_string(rec.Item[i].step.Num()) +
           ":" + std::to_string(rec.Item[i].code.Num());
}

// The record assembled so far joins the records to write.
void KeepRecord() {
    if (!Rd.refused) Rd.records[Rd.rec.number.Num()] = tables::RecordBytes(Rd.rec);
}

// A header starts a new record: its number, description and flags, every
// step empty. False when the header cannot be stored.
bool StartRecord(const std::string& line) {
    size_t colon = line.find(':');
    std::string bytes;
    int32_t number = 0;
    if (colon == std::string::npos ||
        !BuildRecord(FunMulRec::Layout(), kHeaderWire, line.substr(colon + 1), bytes, number) ||
        number < 1 || number > Sizes.nMaxFunMul)
        return false;
    tables::SetRecordBytes(Rd.rec, bytes);
    for (int k = 0; k < kSteps; ++k) {
        Rd.rec.Item[k].step.PutNum(k + 1);
        Rd.rec.Item[k].code.PutNum(0);
    }
    Rd.rec.end.Set();
    return true;
}

// A step line sets step s (1 to 60) of the record; false when it cannot.
bool SetStep(const std::string& line) {
    std::vector<std::string> f;
    std::string code;
    if (!CutLineFields(line, 4, f)) return false;
    int32_t s = NumValue(f[2]);
    if (s < 1 || s > kSteps || !FormatNumberField(NumValue(f[3]), 3, code)) return false;
    Rd.rec.Item[s - 1].step.PutNum(s);
    Rd.rec.Item[s - 1].code = code;
    return true;
}

// The records read go into FunMul.txt in one replacement of the file; false
// with the reason in error when it cannot be read or written.
bool WriteRecords(std::string& error) {
    std::map<int32_t, std::string> records;
    records.swap(Rd.records);
    if (records.empty()) return true;
    return tables::StoreRecords(Rd.path, FunMulRec::Layout(), records, error);
}

}  // namespace

bool FindNextFMult(const FunMulRec& rec) {
    for (int i = ReqState.nTxFMult2; i < kSteps; ++i)
        if (rec.Item[i].code.Num() != 0) {
            ReqState.nTxFMult2 = static_cast<uint16_t>(i);
            return true;
        }
    return false;
}

std::string AnsFMult() {
    TxLineArrived();
    uint16_t& word = ReqState.nTxFMult;
    uint16_t& step = ReqState.nTxFMult2;
    if (word == kFileDone) return "*";
    Shell& shell = CurrentShell();
    if (word == kFileOpenNext) {
        ShowMsg("11", "2");
        shell.SetPGBRange(Tx.nTxFMultFrom, ClampInt16(int32_t(Tx.nTxFMultTo) + 1));
        step = kFileOpenNext;
        const std::string path = tables::TablePath(kFunMulFile);
        int16_t number = platform::FileExists(path) ? OpenRandomFileNum(path, sizeof(FunMulRec)) : 0;
        if (number == 0) return RefuseSendFile(word, kFunMulFile);
        word = static_cast<uint16_t>(number);
    }
    for (;;) {
        if (Tx.nTxFMultFrom > Tx.nTxFMultTo) {
            // The range of the send again, for the next register.
            Tx.nTxFMultFrom = Tx.nTxFMultFrom0;
            Tx.nTxFMultTo = Tx.nTxFMultTo0;
            return EndSend(word);
        }
        if (step >= kSteps) {
            // The start of a record.
            shell.IncPGBValue();
            std::string bytes;
            if (!ReadSendRecord(word, Tx.nTxFMultFrom, FunMulRec::Layout(), bytes))
                return RefuseSendFile(word, kFunMulFile);
            tables::SetRecordBytes(udtTxFMult, bytes);
            step = 0;
            if (FindNextFMult(udtTxFMult)) return HeaderLine(udtTxFMult);
            // A multiple function without a step is not announced.
            step = kFileOpenNext;
            ++Tx.nTxFMultFrom;
            continue;
        }
        std::string answer = StepLine(udtTxFMult, step);
        ++step;
        if (!FindNextFMult(udtTxFMult)) {
            step = kFileOpenNext;
            ++Tx.nTxFMultFrom;
        }
        return answer;
    }
}

int16_t DataFMult() {
    TxLineArrived();
    if (ReqState.bRdFMult == False) {
        SendAck();
        return -1;
    }
    const std::string& line = AnswerRec.strAnsData;
    Shell& shell = CurrentShell();
    if (!line.empty() && line[0] == '*') {
        ReqState.bRdFMult = False;
        // Records gathered before this read's first line belong to another.
        if (Tx.nRdFMultState == kAssembling)
            KeepRecord();
        else
            Rd.records.clear();
        Tx.nRdFMultState = 0;
        std::string error;
        if (WriteRecords(error)) {
            CopyRecvFile(std::string("\\") + kFunMulFile);
        } else {
            ReportTransferFailure(GetText("Log", "nowrite") + " " + tables::TablePath(kFunMulFile) +
                                  ": " + error);
        }
        return EndTableRead();
    }
    switch (NumValue(line.substr(0, line.find(':')))) {
    case 1:  // header
        SetCntRec(0);
        if (Tx.nRdFMultState == kAssembling) {
            shell.IncPGBValue();
            KeepRecord();
        } else {
            // The first header of this read.
            Tx.nRdFMultState = kAssembling;
            Rd.records.clear();
            Rd.path = tables::TablePath(kFunMulFile);
        }
        Rd.refused = !StartRecord(line);
        if (Rd.refused) Refuse(line);
        break;
    case 2:  // step
        IncCntRec();
        // The steps of a refused header go with it.
        if (Tx.nRdFMultState != kAssembling || (!Rd.refused && !SetStep(line))) Refuse(line);
        break;
    default:
        Refuse(line);
    }
    SendAck();
    return -1;
}
