// Price/weight codes: record layout, accessors and default file.
#include "tables/price_weight.h"

#include "tables/table_file.h"

using namespace tables;

const RecordLayout& PrzPesoRec::Layout() {
    static const RecordLayout layout(sizeof(PrzPesoRec), 0, {
        TABLE_FIELD(PrzPesoRec, number, Number),
        TABLE_FIELD(PrzPesoRec, code, Number),
        TABLE_FIELD(PrzPesoRec, end, End),
    });
    return layout;
}

bool GetPrzPeso(int16_t n, PrzPesoRec& rec) {
    return GetRecord("GetPrzPeso", TablePath(kPrezPesoFile), n, rec, Report::MsgBox);
}

bool SavePrzPeso(int16_t n, PrzPesoRec& rec) {
    return SaveRecord("SavePrzPeso", TablePath(kPrezPesoFile), n, rec, Report::MsgBox);
}

bool CreatePrzPeso() {
    return CreateTableFile<PrzPesoRec>("CreatePrzPeso", TablePath(kPrezPesoFile), kPrzPesoSlots,
                                       DefaultRecord<PrzPesoRec>, Report::MsgBox);
}
