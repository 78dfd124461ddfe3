// Operators and waiters: record layouts, accessors, default files and the
// conversion of an older operator file.
#include "store/operators.h"

#include "core/table_sizes.h"
#include "platform/files.h"
#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<OpeRec> kOpe{"Ope", kOpeFile, Report::MsgBox};
constexpr Table<NameRec> kCam{"Cam", kCamFile, Report::MsgBox};
}  // namespace

namespace {

// The current and the older operator record have the same fields; only the
// operator code's width differs.
template <class Rec>
RecordLayout OperatorLayout() {
    return RecordLayout(sizeof(Rec), 0, {
        TABLE_FIELD(Rec, number, Number), TABLE_FIELD(Rec, P320C, Number),
        TABLE_FIELD(Rec, P320S, Number),  TABLE_FIELD(Rec, P321, Text),
        TABLE_FIELD(Rec, P322, Number),   TABLE_FIELD(Rec, end, End),
    });
}

}  // namespace

const RecordLayout& OpeRec::Layout() {
    static const RecordLayout layout = OperatorLayout<OpeRec>();
    return layout;
}

const RecordLayout& OldOpeRec::Layout() {
    static const RecordLayout layout = OperatorLayout<OldOpeRec>();
    return layout;
}

bool GetOpe(int16_t n, OpeRec& rec) { return kOpe.Get(n, rec); }
bool SaveOpe(int16_t n, OpeRec& rec) { return kOpe.Save(n, rec); }
bool GetCam(int16_t n, NameRec& rec) { return kCam.Get(n, rec); }
bool SaveCam(int16_t n, NameRec& rec) { return kCam.Save(n, rec); }

bool CreateOpe() {
    // Operator n has code n and the rights 15 and 255 in its first two bytes.
    return kOpe.Create(Sizes.nMaxOpe, [](int32_t n) {
        OpeRec rec = DefaultRecord<OpeRec>(n);
        rec.P320C.PutNum(n);
        rec.P322[0].PutNum(15);
        rec.P322[1].PutNum(255);
        return rec;
    });
}

bool CreateCam() { return kCam.Create(Sizes.nMaxCam); }

bool ConvOpeFile() {
    const std::string path = TablePath(kOpeFile);
    std::string old;
    if (!platform::ReadFile(path, old)) {
        ReportFileError("ConvOpeFile", "File not found", Report::MsgBox);
        return false;
    }
    // Only a file whose first line is one older record long is converted; a
    // file in the current layout, or in no layout known here, is left alone.
    const std::size_t oldLen = sizeof(OldOpeRec);
    if (old.size() < oldLen || old.compare(oldLen - 2, 2, "\r\n") != 0 ||
        old.find('\r') != oldLen - 2)
        return true;

    // The whole old records, each brought to the current layout: the
    // operator code gets its third digit.
    std::string converted;
    const std::size_t count = old.size() / oldLen;
    converted.reserve(count * sizeof(OpeRec));
    for (std::size_t i = 0; i < count; ++i) {
        OldOpeRec o;
        SetRecordBytes(o, std::string_view(old).substr(i * oldLen, oldLen));
        OpeRec rec;
        rec.number = o.number.str();
        rec.P320C.PutNum(o.P320C.Num());
        rec.P320S = o.P320S.str();
        rec.P321 = o.P321.str();
        for (int k = 0; k < 6; ++k) rec.P322[k] = o.P322[k].str();
        rec.end.Set();
        converted += RecordBytes(rec);
    }
    // The old file stays beside the new one as OpeTmp.txt; the new file
    // replaces Operatori.txt in one step, so a failure leaves it as it was.
    if (!WriteWholeFile("ConvOpeFile", TablePath(kOpeTmpFile), old, Report::MsgBox)) return false;
    return WriteWholeFile("ConvOpeFile", path, converted, Report::MsgBox);
}
