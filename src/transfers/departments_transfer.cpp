#include "transfers/departments_transfer.h"

#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "store/departments.h"
#include "store/table_file.h"

namespace {

// Wire order: number, description, first flag set, P123, P122, P124, VAT
// code, P130, P126, P132, third flag set; then, except on LX4100, P128, P129
// and the second flag set.
const std::vector<WireField> kWireAll = {
    {"number", WireKind::Number}, {"P120", WireKind::Descr},  {"P121A", WireKind::Number},
    {"P123", WireKind::Number},   {"P122", WireKind::Number}, {"P124", WireKind::Number},
    {"P125", WireKind::Number},   {"P130", WireKind::Number}, {"P126", WireKind::Number},
    {"P132", WireKind::Number},   {"P127", WireKind::Number}, {"P128", WireKind::Number},
    {"P129", WireKind::Number},   {"P121B", WireKind::Number},
};
const std::vector<WireField> kWireLX4100(kWireAll.begin(), kWireAll.begin() + 11);

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

bool SaveRepartoBytes(int32_t entry, const std::string& bytes) {
    RepartoRec rec;
    tables::SetRecordBytes(rec, bytes);
    return SaveReparto(std::to_string(entry), rec);
}

TableDesc MakeTable(const std::vector<WireField>& wire) {
    TableDesc t{};
    t.fileName = kRepartiFile;
    t.layout = &RepartoRec::Layout;
    t.size = &TableSizes::nMaxReparti;
    t.wire = wire;
    t.txWord = nullptr;  // sent by range through the accessor, see AnsReparto
    t.txIdx = nullptr;
    t.sendStatusKey = "45";
    t.rdFlag = &ReqStateRec::bRdReparto;
    t.readStatusKey = "44";
    t.save = &SaveRepartoBytes;
    return t;
}

}  // namespace

const std::vector<WireField>& RepartoWire() { return IsLX4100() ? kWireLX4100 : kWireAll; }

const TableDesc& RepartoTable() {
    static const TableDesc lx = MakeTable(kWireLX4100);
    static const TableDesc other = MakeTable(kWireAll);
    return IsLX4100() ? lx : other;
}

std::string AnsReparto() {
    TxLineArrived();
    Shell& shell = CurrentShell();
    if (Tx.nTxRepartoFrom > Tx.nTxRepartoTo || Tx.bTxRepartoEnded) {
        // A request after the end is answered "*" again without counting the
        // end twice.
        if (Tx.bTxRepartoEnded) return "*";
        ShowSentStatus();
        shell.SetPGBValue(-1);
        // Both words hold the range of the send again, for the next register.
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0;
        Tx.bTxRepartoEnded = True;
        DecPending();
        return "*";
    }
    if (Tx.nTxRepartoFrom == Tx.nTxRepartoFrom0) {
        ShowMsg("45", "2");
        shell.SetPGBRange(Tx.nTxRepartoFrom, ClampInt16(int32_t(Tx.nTxRepartoTo) + 1));
        SetCntRec(0);
    }
    RepartoRec rec;
    if (!GetReparto(std::to_string(Tx.nTxRepartoFrom), rec)) {
        // The send stops where it is, the file named; the next register
        // starts the range again.
        Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0;
        Tx.nTxRepartoTo = Tx.nTxRepartoTo0;
        Tx.bTxRepartoEnded = True;
        return RefuseSend(tables::TablePath(kRepartiFile));
    }
    shell.IncPGBValue();
    IncCntRec();
    // The first field is the department being sent.
    std::string answer = BuildAnswer(RepartoRec::Layout(), RepartoWire(), tables::RecordBytes(rec));
    answer = std::to_string(Tx.nTxRepartoFrom) + answer.substr(answer.find(':'));
    ++Tx.nTxRepartoFrom;
    return answer;
}

int16_t DataReparto() { return DataTable(RepartoTable()); }
