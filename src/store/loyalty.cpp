// The loyalty tables: record layouts, accessors and default files.
#include "store/loyalty.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {

// The department and subtotal files say nothing on a file error.
constexpr Table<RepFidRec> kRepFid{"RepFid", kRepFidFile, Report::Silent};
constexpr Table<SubFidRec> kSubFid{"SubFid", kSubFidFile, Report::Silent};
constexpr Table<CirCliRec> kCirCli{"CirCli", kCirCliFile, Report::MsgBox};

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
    return kRepFid.Get(NumValue(number), rec);
}

bool SaveRepFid(const std::string& number, RepFidRec& rec) {
    int32_t n = NumValue(number);
    rec.number.PutNum(n);
    return kRepFid.Save(n, rec);
}

bool GetSubFid(SubFidRec& rec) { return kSubFid.Get(1, rec); }
bool SaveSubFid(SubFidRec& rec) { return kSubFid.Save(1, rec); }
bool GetCirCli(int16_t slot, CirCliRec& rec) { return kCirCli.Get(slot, rec); }
bool SaveCirCli(int16_t slot, CirCliRec& rec) { return kCirCli.Save(slot, rec); }

bool CreateRepFid() { return kRepFid.Create(Sizes.nMaxReparti); }
bool CreateSubFid() { return kSubFid.Create(1); }
bool CreateCirCli() { return kCirCli.Create(kCirCliSlots); }
