// The loyalty tables: record layouts, accessors and default files.
#include "tables/loyalty.h"

#include "core/table_sizes.h"
#include "tables/table_file.h"

using namespace tables;

namespace {

// The eight fields of the three loyalty lines that start at `base`.
void AddLines(std::vector<FieldDef>& fields, std::size_t base) {
#define LINE_FIELD(member) \
    MakeSubField<LineaFidRec, decltype(LineaFidRec::member)>( \
        #member, base, offsetof(LineaFidRec, member), 3, FieldKind::Number)
    fields.push_back(LINE_FIELD(Tipo));
    fields.push_back(LINE_FIELD(Calcolo));
    fields.push_back(LINE_FIELD(Step1));
    fields.push_back(LINE_FIELD(Step2));
    fields.push_back(LINE_FIELD(Soglia1));
    fields.push_back(LINE_FIELD(Soglia2));
    fields.push_back(LINE_FIELD(Valore1));
    fields.push_back(LINE_FIELD(Valore2));
#undef LINE_FIELD
}

RecordLayout MakeRepFidLayout() {
    std::vector<FieldDef> fields{TABLE_FIELD(RepFidRec, number, Number)};
    AddLines(fields, offsetof(RepFidRec, Linee));
    fields.push_back(TABLE_FIELD(RepFidRec, end, End));
    return RecordLayout(sizeof(RepFidRec), 0, fields);
}

RecordLayout MakeSubFidLayout() {
    std::vector<FieldDef> fields;
    AddLines(fields, offsetof(SubFidRec, Linee));
    fields.push_back(TABLE_FIELD(SubFidRec, end, End));
    return RecordLayout(sizeof(SubFidRec), -1, fields);
}

}  // namespace

const RecordLayout& RepFidRec::Layout() {
    static const RecordLayout layout = MakeRepFidLayout();
    return layout;
}

const RecordLayout& SubFidRec::Layout() {
    static const RecordLayout layout = MakeSubFidLayout();
    return layout;
}

const RecordLayout& CirCliRec::Layout() {
    static const RecordLayout layout(sizeof(CirCliRec), 0, {
        TABLE_FIELD(CirCliRec, number, Number), TABLE_FIELD(CirCliRec, Circolarita, Number),
        TABLE_FIELD(CirCliRec, LineaFid, Number), TABLE_FIELD(CirCliRec, end, End),
    });
    return layout;
}

bool GetRepFid(const std::string& number, RepFidRec& rec) {
    return GetRecord("GetRepFid", TablePath(kRepFidFile), NumValue(number), rec, Report::Silent);
}

bool SaveRepFid(const std::string& number, RepFidRec& rec) {
    int32_t n = NumValue(number);
    rec.number.PutNum(n);
    return SaveRecord("SaveRepFid", TablePath(kRepFidFile), n, rec, Report::Silent);
}

bool GetSubFid(SubFidRec& rec) {
    return GetRecord("GetSubFid", TablePath(kSubFidFile), 1, rec, Report::Silent);
}

bool SaveSubFid(SubFidRec& rec) {
    return SaveRecord("SaveSubFid", TablePath(kSubFidFile), 1, rec, Report::Silent);
}

bool GetCirCli(int16_t slot, CirCliRec& rec) {
    return GetRecord("GetCirCli", TablePath(kCirCliFile), slot, rec, Report::MsgBox);
}

bool SaveCirCli(int16_t slot, CirCliRec& rec) {
    return SaveRecord("SaveCirCli", TablePath(kCirCliFile), slot, rec, Report::MsgBox);
}

bool CreateRepFid() {
    return CreateTableFile<RepFidRec>("CreateRepFid", TablePath(kRepFidFile), Sizes.nMaxReparti,
                                      DefaultRecord<RepFidRec>, Report::MsgBox);
}

bool CreateSubFid() {
    return CreateTableFile<SubFidRec>("CreateSubFid", TablePath(kSubFidFile), 1,
                                      DefaultRecord<SubFidRec>, Report::MsgBox);
}

bool CreateCirCli() {
    return CreateTableFile<CirCliRec>("CreateCirCli", TablePath(kCirCliFile), kCirCliSlots,
                                      DefaultRecord<CirCliRec>, Report::MsgBox);
}
