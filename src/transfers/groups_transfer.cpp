#include "transfers/groups_transfer.h"

#include "store/groups.h"

namespace {

const std::vector<WireField> kWire = {{"number", WireKind::Number}, {"name", WireKind::Text}};

// A group the register sends beyond the table's size counter is stored: the
// file grows to hold it.

}  // namespace

const TableDesc& GrpRepTable() {
    static const TableDesc t{.fileName = kGrpRepFile,
                             .layout = &NameRec::Layout,
                             .size = &TableSizes::nMaxGrpRep,
                             .wire = kWire,
                             .txWord = &ReqStateRec::nTxGrpRep,
                             .txIdx = &TxCountersRec::nTxGrpRepIdx,
                             .sendStatusKey = "sgruprep",
                             .rdFlag = &ReqStateRec::bRdGrpRep,
                             .storesPastSize = true};
    return t;
}

const TableDesc& GrpStaTable() {
    static const TableDesc t{.fileName = kGrpStaFile,
                             .layout = &NameRec::Layout,
                             .size = &TableSizes::nMaxGrpSta,
                             .wire = kWire,
                             .txWord = &ReqStateRec::nTxGrpSta,
                             .txIdx = &TxCountersRec::nTxGrpStaIdx,
                             .sendStatusKey = "sgrupsta",
                             .rdFlag = &ReqStateRec::bRdGrpSta,
                             .storesPastSize = true};
    return t;
}

std::string AnsGrpRep() { return AnswerTable(GrpRepTable()); }
std::string AnsGrpSta() { return AnswerTable(GrpStaTable()); }
int16_t DataGrpRep() { return DataTable(GrpRepTable()); }
int16_t DataGrpSta() { return DataTable(GrpStaTable()); }
