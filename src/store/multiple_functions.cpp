// The multiple functions: record layout, accessors and default file.
#include "store/multiple_functions.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<FunMulRec> kFMult{"FMult", kFunMulFile, Report::MsgBox};
}

const RecordLayout& FunMulRec::Layout() {
    static const RecordLayout layout(sizeof(FunMulRec), 0, {
        TABLE_FIELD(FunMulRec, number, Number),
        TABLE_FIELD(FunMulRec, description, Text),
        TABLE_FIELD(FunMulRec, flags, Number),
        TABLE_SUBFIELD(FunMulRec, Item, FunMulItem, step, Number),
        TABLE_SUBFIELD(FunMulRec, Item, FunMulItem, code, Number),
        TABLE_FIELD(FunMulRec, end, End),
    });
    return layout;
}

bool GetFMult(int16_t n, FunMulRec& rec) { return kFMult.Get(n, rec); }
bool SaveFMult(int16_t n, FunMulRec& rec) { return kFMult.Save(n, rec); }

bool CreateFMult() {
    // Multiple function n is described as "100" and n in three digits; its
    // steps are numbered 01 to 60, all empty.
    return kFMult.Create(Sizes.nMaxFunMul, [](int32_t n) {
        FunMulRec rec = DefaultRecord<FunMulRec>(n);
        rec.description = "100" + FormatNum(n, 3);
        for (int k = 0; k < FunMulRec::kSteps; ++k) rec.Item[k].step.PutNum(k + 1);
        return rec;
    });
}
