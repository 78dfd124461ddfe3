#include "transfers/operators_transfer.h"

#include <vector>

#include "core/table_sizes.h"
#include "store/operators.h"
#include "transfers/transfer.h"

using namespace tables;

namespace {

// The operator record with each of its six rights bytes as a field of its
// own, as the wire carries them.
const RecordLayout& OpeWireLayout() {
    static const RecordLayout layout = [] {
        static const char* const rights[] = {"P322_1", "P322_2", "P322_3",
                                             "P322_4", "P322_5", "P322_6"};
        std::vector<FieldDef> fields;
        for (const FieldDef& f : OpeRec::Layout().Fields()) {
            if (f.count == 1) {
                fields.push_back(f);
                continue;
            }
            for (int k = 0; k < f.count; ++k)
                fields.push_back({rights[k], f.offset + k * f.stride, f.width, 1, f.width, f.kind});
        }
        return RecordLayout(OpeRec::Layout().Length(), OpeRec::Layout().NumberField(), fields);
    }();
    return layout;
}

// A record read back, written through the table's accessor; an entry beyond
// the model's table is not written.
template <class Rec, bool (*Save)(int16_t, Rec&), int16_t TableSizes::*Size>
bool SaveEntry(int32_t entry, const std::string& bytes) {
    if (entry > Sizes.*Size) return false;
    Rec rec;
    SetRecordBytes(rec, bytes);
    return Save(static_cast<int16_t>(entry), rec);
}

const TableDesc& OpeTable() {
    static const TableDesc t{
        kOpeFile, &OpeWireLayout, &TableSizes::nMaxOpe,
        {{"number", WireKind::Number}, {"P320C", WireKind::Number}, {"P320S", WireKind::Number},
         {"P321", WireKind::Text},     {"P322_1", WireKind::Number}, {"P322_2", WireKind::Number},
         {"P322_3", WireKind::Number}, {"P322_4", WireKind::Number}, {"P322_5", WireKind::Number},
         {"P322_6", WireKind::Number}},
        &ReqStateRec::nTxOpe, &TxCountersRec::nTxOpeIdx, "30",
        &ReqStateRec::bRdOpe, nullptr, &SaveEntry<OpeRec, SaveOpe, &TableSizes::nMaxOpe>};
    return t;
}

const TableDesc& CamTable() {
    static const TableDesc t{
        kCamFile, &NameRec::Layout, &TableSizes::nMaxCam,
        {{"number", WireKind::Number}, {"name", WireKind::Text}},
        &ReqStateRec::nTxCam, &TxCountersRec::nTxCamIdx, "78",
        &ReqStateRec::bRdCam, "79", &SaveEntry<NameRec, SaveCam, &TableSizes::nMaxCam>};
    return t;
}

}  // namespace

std::string AnsOpe() { return AnswerTable(OpeTable()); }
int16_t DataOpe() { return DataTable(OpeTable()); }
std::string AnsCam() { return AnswerTable(CamTable()); }
int16_t DataCam() { return DataTable(CamTable()); }
