// The departments table: record layout, accessors and default file.
#include "store/departments.h"

#include "core/config_level.h"
#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {
// The accessors say nothing on a file error; the default-file writer does.
constexpr Table<RepartoRec> kReparto{"Reparto", kRepartiFile, Report::Silent};
}

const RecordLayout& RepartoRec::Layout() {
    static const RecordLayout layout(sizeof(RepartoRec), 0, {
        TABLE_FIELD(RepartoRec, number, Number), TABLE_FIELD(RepartoRec, P120, Text),
        TABLE_FIELD(RepartoRec, P121A, Number),  TABLE_FIELD(RepartoRec, P121B, Number),
        TABLE_FIELD(RepartoRec, P123, Number),   TABLE_FIELD(RepartoRec, P122, Number),
        TABLE_FIELD(RepartoRec, P124, Number),   TABLE_FIELD(RepartoRec, P125, Number),
        TABLE_FIELD(RepartoRec, P130, Number),   TABLE_FIELD(RepartoRec, P126, Number),
        TABLE_FIELD(RepartoRec, P132, Number),   TABLE_FIELD(RepartoRec, P127, Number),
        TABLE_FIELD(RepartoRec, P128, Number),   TABLE_FIELD(RepartoRec, P129, Number),
        TABLE_FIELD(RepartoRec, end, End),
    });
    return layout;
}

bool GetReparto(const std::string& number, RepartoRec& rec) {
    return kReparto.Get(NumValue(number), rec);
}

bool SaveReparto(const std::string& number, RepartoRec& rec) {
    return kReparto.Save(NumValue(number), rec);
}

bool CreateReparto() {
    // The first flag set and the second are written as plain numbers
    // left-aligned; the VAT code is the model's default for a new department.
    std::string vat = std::to_string(ConfigLevel.GetDeptVATDefault()).substr(0, 1);
    return kReparto.Create(Sizes.nMaxReparti, [&](int32_t n) {
        RepartoRec rec = DefaultRecord<RepartoRec>(n);
        rec.P121A.PutLeftNum(31);
        rec.P121B.PutLeftNum(0);
        rec.P125 = vat;
        rec.P127.PutNum(1);
        return rec;
    });
}
