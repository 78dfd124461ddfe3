// Department and statistic groups: record layout, accessors and default files.
#include "tables/groups.h"

#include "core/table_sizes.h"
#include "tables/table_file.h"

using namespace tables;

const RecordLayout& NameRec::Layout() {
    static const RecordLayout layout(sizeof(NameRec), 0, {
        TABLE_FIELD(NameRec, number, Number),
        TABLE_FIELD(NameRec, name, Text),
        TABLE_FIELD(NameRec, end, End),
    });
    return layout;
}

bool GetGrpRep(int16_t n, NameRec& rec) {
    return GetRecord("GetGrpRep", TablePath(kGrpRepFile), n, rec, Report::MsgBox);
}

bool SaveGrpRep(int16_t n, NameRec& rec) {
    return SaveRecord("SaveGrpRep", TablePath(kGrpRepFile), n, rec, Report::MsgBox);
}

bool GetGrpSta(int16_t n, NameRec& rec) {
    return GetRecord("GetGrpSta", TablePath(kGrpStaFile), n, rec, Report::MsgBox);
}

bool SaveGrpSta(int16_t n, NameRec& rec) {
    return SaveRecord("SaveGrpSta", TablePath(kGrpStaFile), n, rec, Report::MsgBox);
}

bool CreateGrpRep() {
    return CreateTableFile<NameRec>("CreateGrpRep", TablePath(kGrpRepFile), Sizes.nMaxGrpRep,
                                    DefaultRecord<NameRec>, Report::Silent);
}

bool CreateGrpSta() {
    return CreateTableFile<NameRec>("CreateGrpSta", TablePath(kGrpStaFile), Sizes.nMaxGrpSta,
                                    DefaultRecord<NameRec>, Report::Silent);
}
