// Discounts, surcharges and stamps: record layouts, accessors and default
// files.
#include "store/discounts.h"

#include "core/config_level.h"
#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {

// Option flags of the default discounts and surcharges: the first entries
// differ by model, the rest repeat the last value.
int DefaultP421(int32_t n) {
    static const int kLX4100[] = {0, 32, 128, 160, 224, 160};
    static const int kOthers[] = {16, 48, 144, 176, 0};
    if (ConfigLevel.CashType() == "LX4100") return kLX4100[n < 6 ? n - 1 : 5];
    return kOthers[n < 5 ? n - 1 : 4];
}

constexpr Table<ScoMagRec> kScoMag{"ScoMag", kScoMagFile, Report::MsgBox};
constexpr Table<BollinoRec> kBollino{"Bollino", kBolliniFile, Report::MsgBox};

}  // namespace

const RecordLayout& ScoMagRec::Layout() {
    static const RecordLayout layout(sizeof(ScoMagRec), 0, {
        TABLE_FIELD(ScoMagRec, number, Number), TABLE_FIELD(ScoMagRec, P421, Number),
        TABLE_FIELD(ScoMagRec, P423, Number),   TABLE_FIELD(ScoMagRec, P422, Number),
        TABLE_FIELD(ScoMagRec, P420, Text),     TABLE_FIELD(ScoMagRec, end, End),
    });
    return layout;
}

const RecordLayout& BollinoRec::Layout() {
    // The four P431 and P432 values are named one by one ("P431_1" ...
    // "P432_4"): they travel in pairs, P431 and P432 of each step in turn.
    static const RecordLayout layout = [] {
        std::vector<FieldDef> fields = {TABLE_FIELD(BollinoRec, number, Number),
                                        TABLE_FIELD(BollinoRec, P430, Number)};
        static const char* const kNames[2][4] = {{"P431_1", "P431_2", "P431_3", "P431_4"},
                                                 {"P432_1", "P432_2", "P432_3", "P432_4"}};
        for (int k = 0; k < 4; ++k) {
            fields.push_back(MakeField<Fixed<6>>(kNames[0][k], offsetof(BollinoRec, P431) + 6 * k,
                                                 FieldKind::Number));
            fields.push_back(MakeField<Fixed<3>>(kNames[1][k], offsetof(BollinoRec, P432) + 3 * k,
                                                 FieldKind::Number));
        }
        fields.push_back(TABLE_FIELD(BollinoRec, end, End));
        return RecordLayout(sizeof(BollinoRec), 0, fields);
    }();
    return layout;
}

bool GetScoMag(int16_t n, ScoMagRec& rec) { return kScoMag.Get(n, rec); }
bool SaveScoMag(int16_t n, ScoMagRec& rec) { return kScoMag.Save(n, rec); }
bool GetBollino(int16_t n, BollinoRec& rec) { return kBollino.Get(n, rec); }
bool SaveBollino(int16_t n, BollinoRec& rec) { return kBollino.Save(n, rec); }

bool CreateScoMag() {
    return kScoMag.Create(Sizes.nMaxScoMag, [](int32_t n) {
        ScoMagRec rec = DefaultRecord<ScoMagRec>(n);
        rec.P421.PutNum(DefaultP421(n));
        return rec;
    });
}

bool CreateBollino() { return kBollino.Create(Sizes.nMaxBollini); }
