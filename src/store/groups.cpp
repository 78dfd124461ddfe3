// Department and statistic groups: record layout, accessors and default files.
#include "store/groups.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {
// A failure of the default-file writers shows no message.
constexpr Table<NameRec> kGrpRep{"GrpRep", kGrpRepFile, Report::MsgBox, Report::Silent};
constexpr Table<NameRec> kGrpSta{"GrpSta", kGrpStaFile, Report::MsgBox, Report::Silent};
}  // namespace

const RecordLayout& NameRec::Layout() {
    static const RecordLayout layout(sizeof(NameRec), 0, {
        TABLE_FIELD(NameRec, number, Number),
        TABLE_FIELD(NameRec, name, Text),
        TABLE_FIELD(NameRec, end, End),
    });
    return layout;
}

bool GetGrpRep(int16_t n, NameRec& rec) { return kGrpRep.Get(n, rec); }
bool SaveGrpRep(int16_t n, NameRec& rec) { return kGrpRep.Save(n, rec); }
bool GetGrpSta(int16_t n, NameRec& rec) { return kGrpSta.Get(n, rec); }
bool SaveGrpSta(int16_t n, NameRec& rec) { return kGrpSta.Save(n, rec); }

bool CreateGrpRep() { return kGrpRep.Create(Sizes.nMaxGrpRep); }
bool CreateGrpSta() { return kGrpSta.Create(Sizes.nMaxGrpSta); }
