// Currencies and change loading: record layouts, accessors and default files.
#include "store/currencies.h"

#include "core/numbers.h"
#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<ValutaRec> kValuta{"Valuta", kValuteFile, Report::MsgBox};
constexpr Table<RRestoRec> kRResto{"RResto", kRRestoFile, Report::MsgBox};
}  // namespace

const RecordLayout& ValutaRec::Layout() {
    static const RecordLayout layout(sizeof(ValutaRec), 0, {
        TABLE_FIELD(ValutaRec, number, Number), TABLE_FIELD(ValutaRec, P530, Text),
        TABLE_FIELD(ValutaRec, P532, Number),   TABLE_FIELD(ValutaRec, P531, Text),
        TABLE_FIELD(ValutaRec, end, End),
    });
    return layout;
}

const RecordLayout& RRestoRec::Layout() {
    static const RecordLayout layout(sizeof(RRestoRec), 0, {
        TABLE_FIELD(RRestoRec, number, Number),
        TABLE_FIELD(RRestoRec, pieces, Number),
        TABLE_FIELD(RRestoRec, end, End),
    });
    return layout;
}

bool GetValuta(int16_t n, ValutaRec& rec) { return kValuta.Get(n, rec); }
bool SaveValuta(int16_t n, ValutaRec& rec) { return kValuta.Save(n, rec); }
bool GetRResto(int16_t n, RRestoRec& rec) { return kRResto.Get(n, rec); }
bool SaveRResto(int16_t n, RRestoRec& rec) { return kRResto.Save(n, rec); }

bool CreateValuta() {
    // A zero rate with six integer digits and eight decimals, written with
    // the system's decimal separator like every rate in the file.
    std::string rate = "000000" + Numbers.strDecSep.substr(0, 1) + "00000000";
    return kValuta.Create(Sizes.nMaxValute, [&](int32_t n) {
        ValutaRec rec = DefaultRecord<ValutaRec>(n);
        rec.P530 = rate;
        return rec;
    });
}

bool CreateRResto() { return kRResto.Create(Sizes.nMaxRResto); }
