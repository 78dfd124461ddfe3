// The PLU directory: record layout, accessors and default file.
#include "store/plu_directory.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<DirPLURec> kDirPLU{"DirPLU", kDirPLUFile, Report::Silent};
}

const RecordLayout& DirPLURec::Layout() {
    static const RecordLayout layout(sizeof(DirPLURec), 1, {
        TABLE_FIELD(DirPLURec, code, Text),
        TABLE_FIELD(DirPLURec, number, LeftNumber),
        TABLE_FIELD(DirPLURec, end, End),
    });
    return layout;
}

bool GetDirPLU(const std::string& slot, DirPLURec& rec) { return kDirPLU.Get(NumValue(slot), rec); }

bool SaveDirPLU(int16_t slot, const std::string& code) {
    std::string trimmed = TrimBlanks(code);
    if (slot < 1 || slot > Sizes.nMaxDirPLU || static_cast<int>(trimmed.size()) > decltype(DirPLURec::code)::kWidth) return false;
    DirPLURec rec;
    if (!kDirPLU.Get(slot, rec)) return false;
    rec.code = trimmed;
    return kDirPLU.Save(slot, rec);
}

bool CreateDirPLU() { return kDirPLU.Create(Sizes.nMaxDirPLU); }
