#include "transfers/price_weight_transfer.h"

#include "store/price_weight.h"
#include "transfers/slot_send.h"

namespace {

std::string Answer(int16_t slot, const std::string& record) {
    PrzPesoRec rec;
    tables::SetRecordBytes(rec, record);
    return tables::FormatNum(slot, 2) + ":" + tables::FormatNum(rec.code.Num(), 8);
}

const SlotSendDesc kSend{kPrezPesoFile,          sizeof(PrzPesoRec),
                         kPrzPesoSlots,          &ReqStateRec::nTxPrzPeso,
                         &TxCountersRec::nTxPrzPesoIdx, "przpesosend",
                         Answer};

// Only slots 1 to 11 can be stored.
bool InTable(std::string& line) {
    const int32_t slot = tables::NumValue(line.substr(0, line.find(':')));
    return slot >= 1 && slot <= kPrzPesoSlots;
}

}  // namespace

const TableDesc& PrzPesoTable() {
    static const TableDesc t{.fileName = kPrezPesoFile,
                             .layout = &PrzPesoRec::Layout,
                             .size = &TableSizes::nMaxPrzPeso,
                             .wire = {{"number", WireKind::Number}, {"code", WireKind::Number}},
                             .rdFlag = &ReqStateRec::bRdPrzPeso,
                             .readStatusKey = "przpeso",
                             .received = InTable};
    return t;
}

std::string AnsPrzPeso() { return AnswerSlots(kSend); }
int16_t DataPrzPeso() { return DataTable(PrzPesoTable()); }
