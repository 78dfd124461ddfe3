// Price/weight codes: record layout, accessors and default file.
#include "store/price_weight.h"

#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<PrzPesoRec> kPrzPeso{"PrzPeso", kPrezPesoFile, Report::MsgBox};
}

const RecordLayout& PrzPesoRec::Layout() {
    static const RecordLayout layout(sizeof(PrzPesoRec), 0, {
        TABLE_FIELD(PrzPesoRec, number, Number),
        TABLE_FIELD(PrzPesoRec, code, Number),
        TABLE_FIELD(PrzPesoRec, end, End),
    });
    return layout;
}

bool GetPrzPeso(int16_t n, PrzPesoRec& rec) { return kPrzPeso.Get(n, rec); }
bool SavePrzPeso(int16_t n, PrzPesoRec& rec) { return kPrzPeso.Save(n, rec); }
bool CreatePrzPeso() { return kPrzPeso.Create(kPrzPesoSlots); }
