// The offer file's default: empty, or fifty sample offers.
#include "tables/plu.h"
#include "tables/table_file.h"

using namespace tables;

namespace {
constexpr int kSampleOffers = 50;
}

bool CreateOff() {
    int count = PLUFiles.bPredef ? kSampleOffers : 0;
    return CreateTableFile<PLURec>(
        "CreateOff", TablePath(kOffFile), count,
        [](int32_t n) {
            // An offer's code is eight nines and the offer number in four digits.
            PLURec rec = DefaultRecord<PLURec>(n);
            rec.code.PutRight("99999999" + FormatNum(n, 4));
            rec.P220B.PutNum(1);
            rec.P220C = "Offerta " + std::to_string(n);
            rec.P220E.PutNum(3);
            rec.P220G.PutNum(9);
            return rec;
        },
        Report::Silent);
}
