#include "transfers/stamps_import.h"

#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "platform/files.h"
#include "store/discounts.h"
#include "transfers/transfer.h"

namespace {

// Digits only, blanks around them allowed; a field of blanks is 0 when
// blankIsZero, else refused.
template <std::size_t N>
bool Digits(const tables::Fixed<N>& field, bool blankIsZero = true) {
    std::string text = field.Trim();
    if (text.empty()) return blankIsZero;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The record checked and its values zero-padded; false when it cannot be
// imported.
bool Checked(BollinoRec& rec) {
    bool ok = Digits(rec.number, false) && Digits(rec.P430);
    for (const auto& v : rec.P431) ok = ok && Digits(v);
    for (const auto& v : rec.P432) ok = ok && Digits(v);
    if (!ok || rec.number.Num() < 1 || rec.number.Num() > Sizes.nMaxBollini) return false;
    rec.P430.PutNum(rec.P430.Num());
    for (auto& v : rec.P431) v.PutNum(v.Num());
    for (auto& v : rec.P432) v.PutNum(v.Num());
    return true;
}

}  // namespace

bool ImportBollino(const std::string& file, int32_t& count) {
    count = 0;
    std::string bytes;
    if (!platform::FileExists(file) || !platform::ReadFile(file, bytes)) {
        ReportTransferProblem(GetText("Log", "noimport") + " " + file);
        return false;
    }
    count = static_cast<int32_t>(bytes.size() / sizeof(BollinoRec));
    if (count == 0) {
        ReportTransferProblem(GetText("Log", "importempty") + " " + file);
        return false;
    }
    NoteLeftOver(file, bytes.size() % sizeof(BollinoRec));
    SetCntRec(0);
    for (int32_t n = 1; n <= count; ++n) {
        IncCntRec();
        BollinoRec rec;
        tables::SetRecordBytes(rec, std::string_view(bytes).substr((n - 1) * sizeof(BollinoRec),
                                                                   sizeof(BollinoRec)));
        if (!Checked(rec)) {
            ReportTransferProblem(GetText("Log", "badimport") + " " + file + " (" + std::to_string(n) + ")");
            return false;
        }
        if (!SaveBollino(static_cast<int16_t>(rec.number.Num()), rec)) {
            ReportTransferProblem(GetText("Log", "norecord") + " " + kBolliniFile + " (" +
                    std::to_string(rec.number.Num()) + ")");
            return false;
        }
    }
    return true;
}
