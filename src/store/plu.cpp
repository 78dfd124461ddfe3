// The PLU and offer files: record layout, folders, default files, the count
// with the conversion of the older layout, and the sorted store (search,
// insertion, deletion, rewrite).
#include "store/plu.h"

#include <cerrno>
#include <cstring>

#include "core/globals.h"
#include "platform/files.h"
#include "store/plu_checks.h"
#include "store/table_file.h"

using namespace tables;

PLUFilesGlobals PLUFiles;

namespace {
constexpr int kSamplePLUs = 2000;
constexpr int kSampleOffers = 50;
constexpr int kCodeWidth = 13;

// One of the two sorted files, as the store's procedures see it.
struct Store {
    std::string (*path)();
    int32_t PLUFilesGlobals::*num;
    int32_t PLUFilesGlobals::*cur;
    bool trimmed;               // codes compare without their blanks
};

bool AlphaCodes() { return AlphanumericPLUCodes(); }

Store PLUStore() {
    return {&PLUFilePath, &PLUFilesGlobals::nPLUNum, &PLUFilesGlobals::nCurPLU, AlphaCodes()};
}
Store OffStore() {
    return {&OffFilePath, &PLUFilesGlobals::nOffNum, &PLUFilesGlobals::nCurOff, true};
}

std::string ErrorText() { return platform::FileErrorText(errno, {}); }

int Compare(const std::string& a, const std::string& b) { return a.compare(b); }

// The code of a record as the search compares it.
std::string SearchCode(const std::string& record, bool trimmed) {
    std::string code = record.substr(0, kCodeWidth);
    return trimmed ? TrimBlanks(code) : code;
}

// A file whose last record lacks only its line end (edited by hand, written
// elsewhere) counts that record as whole: the line end is added in memory.
void MendLastLineEnd(std::string& bytes) {
    if (bytes.size() % kPLURecLen == static_cast<size_t>(kPLURecLen - 2)) bytes += "\r\n";
}

// The same on the file, written back whole, so that every later read sees
// whole records. False (reported) when the file cannot be mended.
bool MendFile(const std::string& path, const std::string& proc) {
    const int64_t size = platform::FileSize(path);
    if (size <= 0 || size % kPLURecLen != kPLURecLen - 2) return true;
    // Only a file of this layout (an older one is converted as it stands).
    if (size > kPLURecLen && TestPLUFile(path) != kPLURecLen) return true;
    std::string bytes;
    errno = 0;
    if (!platform::ReadFile(path, bytes)) {
        ReportFileError(proc, ErrorText(), Report::MsgBox);
        return false;
    }
    MendLastLineEnd(bytes);
    return WriteWholeFile(proc, path, bytes, Report::MsgBox);
}

bool Search(const Store& s, const std::string& code, PLURec& rec, const std::string& proc) {
    int32_t& cur = PLUFiles.*s.cur;
    std::string trimmedCode = TrimBlanks(code);
    if (trimmedCode.size() > static_cast<size_t>(kCodeWidth)) return false;
    std::string key = PadLeft(trimmedCode, kCodeWidth);
    if (s.trimmed) key = trimmedCode;
    cur = 1;
    rec.end.Set();
    const std::string path = s.path();
    if (!platform::FileExists(path)) return false;
    if (!MendFile(path, proc)) return false;
    platform::RecordFile file;
    errno = 0;
    if (!file.Open(path, kPLURecLen, false)) {
        ReportFileError(proc, ErrorText(), Report::MsgBox);
        return false;
    }
    const int32_t n = file.Count();
    if (n == 0) return false;
    std::string record;
    auto read = [&](int32_t i) {
        if (!file.Read(i, record)) return false;
        SetRecordBytes(rec, record);
        return true;
    };
    auto fail = [&] {
        ReportFileError(proc, ErrorText(), Report::MsgBox);
        return false;
    };
    if (!read(1)) return fail();
    if (Compare(key, SearchCode(record, s.trimmed)) < 0) return false;
    if (!read(n)) return fail();
    if (Compare(key, SearchCode(record, s.trimmed)) > 0) {
        cur = n + 1;
        return false;
    }
    // 32-bit bounds: files of any size.
    int32_t lo = 1, hi = n;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (!read(mid)) return fail();
        int c = Compare(SearchCode(record, s.trimmed), key);
        if (c == 0) {
            cur = mid;
            return true;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (!read(lo)) return fail();
    cur = lo;
    return Compare(SearchCode(record, s.trimmed), key) == 0;
}

// The whole file with the record inserted before, or removed at, the current
// position; written in one step. (A record changed in place is written where
// it stands: ModPLU, ModOfferta.)
enum class Edit { Insert, Remove };

bool Rewrite(const Store& s, const char* proc, Edit edit, PLURec* rec) {
    int32_t& cur = PLUFiles.*s.cur;
    int32_t& num = PLUFiles.*s.num;
    const std::string path = s.path();
    std::string bytes;
    errno = 0;
    if (platform::FileExists(path) && !platform::ReadFile(path, bytes)) {
        ReportFileError(proc, ErrorText(), Report::MsgBox);
        return false;
    }
    MendLastLineEnd(bytes);
    bytes.resize(bytes.size() - bytes.size() % kPLURecLen);  // whole records only
    const int64_t count = static_cast<int64_t>(bytes.size() / kPLURecLen);
    const int64_t at = cur;
    const int64_t last = edit == Edit::Insert ? count + 1 : count;  // an insert may append
    if (at < 1 || at > last) {
        ReportFileError(proc, "Bad record number", Report::MsgBox);
        return false;
    }
    const size_t offset = static_cast<size_t>(at - 1) * kPLURecLen;
    if (edit == Edit::Insert) {
        rec->end.Set();
        bytes.insert(offset, RecordBytes(*rec));
    } else {
        bytes.erase(offset, kPLURecLen);
    }
    if (!WriteWholeFile(proc, path, bytes, Report::MsgBox)) return false;
    num = static_cast<int32_t>(bytes.size() / kPLURecLen);
    return true;
}

bool Count(const Store& s, const std::string& proc) {
    int32_t& num = PLUFiles.*s.num;
    const std::string path = s.path();
    if (!MendFile(path, proc)) {
        num = 0;
        return false;
    }
    const int32_t first = TestPLUFile(path);
    if (first == kOldPLURecLen) {
        if (!ConvPLUFile(path)) {
            ReportFileError(proc, "Bad file layout", Report::MsgBox);
            return false;
        }
    } else if (first >= 1 && first < kPLURecLen) {
        // Not the older layout either: the file is left as it is.
        ReportFileError(proc, "Bad file layout", Report::MsgBox);
        num = 0;
        return false;
    }
    int64_t size = platform::FileSize(path);
    num = size > 0 ? static_cast<int32_t>(size / kPLURecLen) : 0;
    return true;
}

}  // namespace

const RecordLayout& PLURec::Layout() {
    static const RecordLayout layout(sizeof(PLURec), -1, {
        TABLE_FIELD(PLURec, code, RightText), TABLE_FIELD(PLURec, P220A, Number),
        TABLE_FIELD(PLURec, P220B, Number),   TABLE_FIELD(PLURec, P220C, Text),
        TABLE_FIELD(PLURec, P220D, Number),   TABLE_FIELD(PLURec, P220E, Number),
        TABLE_FIELD(PLURec, P220F, Number),   TABLE_FIELD(PLURec, P220G, Number),
        TABLE_FIELD(PLURec, P220H, Number),   TABLE_FIELD(PLURec, P220Ea, Number),
        TABLE_FIELD(PLURec, P220Eb, Number),  TABLE_FIELD(PLURec, end, End),
    });
    return layout;
}

std::string GlobPLUDir() { return platform::JoinPath(Core.strRootDir, "Cassa1"); }

std::string PLUFilePath() {
    return platform::JoinPath(Core.bGlobPLU ? GlobPLUDir() : Core.strCashDir, kPLUFile);
}

std::string OffFilePath() { return TablePath(kOffFile); }

bool CreatePLU() {
    std::string path = PLUFilePath();
    // The folder opening looks for PLU.txt in the register's own folder; a
    // shared file that every register uses is never replaced from here.
    if (Core.bGlobPLU && platform::FileExists(path)) return true;
    int count = PLUFiles.bPredef ? kSamplePLUs : 0;
    return CreateTableFile<PLURec>(
        "CreatePLU", path, count,
        [](int32_t n) {
            PLURec rec = DefaultRecord<PLURec>(n);
            rec.code.PutRight(std::to_string(n));
            rec.P220A.PutNum(NumValue("1" + std::to_string(10 * n)));
            rec.P220B.PutNum(1);
            rec.P220C = "Desc. " + std::to_string(n);
            rec.P220G.PutNum(9);
            return rec;
        },
        Report::MsgBox);
}

bool CreateOff() {
    int count = PLUFiles.bPredef ? kSampleOffers : 0;
    return CreateTableFile<PLURec>(
        "CreateOff", OffFilePath(), count,
        [](int32_t n) {
            // An offer's code is eight nines and the offer number in four digits.
            PLURec rec = DefaultRecord<PLURec>(n);
            rec.code.PutRight(kOfferPrefix + FormatNum(n, 4));
            rec.P220B.PutNum(1);
            rec.P220C = "Offerta " + std::to_string(n);
            rec.P220E.PutNum(3);
            rec.P220G.PutNum(9);
            return rec;
        },
        Report::Silent);
}

int32_t TestPLUFile(const std::string& path) {
    int64_t size = platform::FileSize(path);
    if (size <= 0) return 0;
    platform::RecordFile file;
    // The first line is at most a few records long; 256 bytes cover it.
    const int probe = size < 256 ? static_cast<int>(size) : 256;
    std::string head;
    if (!file.Open(path, probe, false) || !file.Read(1, head)) return 0;
    size_t cr = head.find('\r');
    if (cr == std::string::npos) return static_cast<int32_t>(size < probe ? size : probe) + 1;
    return static_cast<int32_t>(cr) + 2;
}

std::string ConvertOldPLURecords(std::string_view old) {
    std::string out;
    out.reserve(old.size() / kOldPLURecLen * kPLURecLen);
    for (size_t at = 0; at + kOldPLURecLen <= old.size(); at += kOldPLURecLen) {
        OldPLURec o;
        SetRecordBytes(o, old.substr(at, kOldPLURecLen));
        PLURec n = DefaultRecord<PLURec>(0);
        n.code = o.code.str();
        n.P220A = o.P220A.str();
        n.P220B = o.P220B.str();
        n.P220C = o.P220C.str();
        n.P220D = o.P220D.str();
        n.P220E.PutNum(o.P220E.Num());
        n.P220F = o.P220F.str();
        n.P220G = o.P220G.str();
        n.P220H = o.P220H.str();
        std::memcpy(n.end.c, o.end.c, 2);
        out += RecordBytes(n);
    }
    return out;
}

bool ConvPLUFile(const std::string& path) {
    std::string old;
    if (!platform::ReadFile(path, old) || old.size() % kOldPLURecLen != 0) return false;
    const std::string out = ConvertOldPLURecords(old);
    // The old file is kept beside the new one; the new one replaces it in
    // one step.
    if (!platform::WriteFile(path + ".bak", old)) return false;
    return platform::WriteFile(path, out);
}

bool GetPLUNum() { return Count(PLUStore(), "GetPLUNum"); }
bool GetOffNum() { return Count(OffStore(), "GetOffNum"); }

bool GetPLU(const std::string& code, PLURec& rec) { return Search(PLUStore(), code, rec, "GetPLU"); }

bool GetOff(const std::string& number, PLURec& rec) {
    std::string n = TrimBlanks(number);
    if (n.size() > 4) {
        PLUFiles.nCurOff = 1;
        ReportFileError("GetOff", "Invalid offer number", Report::MsgBox);
        return false;
    }
    return Search(OffStore(), kOfferPrefix + FormatNum(NumValue(n), 4), rec, "GetOff");
}

bool AddPLU(PLURec& rec) { return Rewrite(PLUStore(), "AddPLU", Edit::Insert, &rec); }
bool AddOfferta(PLURec& rec) { return Rewrite(OffStore(), "AddOfferta", Edit::Insert, &rec); }
bool DelPLU() { return Rewrite(PLUStore(), "DelPLU", Edit::Remove, nullptr); }
bool DelOfferta() { return Rewrite(OffStore(), "DelOfferta", Edit::Remove, nullptr); }

bool ModPLU(PLURec& rec) {
    rec.end.Set();
    return WriteRecordAt("ModPLU", PLUFilePath(), PLUFiles.nCurPLU, RecordBytes(rec), Report::MsgBox);
}

bool ModOfferta(PLURec& rec) {
    rec.end.Set();
    return WriteRecordAt("ModOfferta", OffFilePath(), PLUFiles.nCurOff, RecordBytes(rec),
                         Report::MsgBox);
}

std::string PLURecordText(const PLURec& rec) { return RecordBytes(rec).substr(0, kPLURecLen - 2); }

std::string ArticleSortKey(std::string_view record, bool offer) {
    return SearchCode(std::string(record.substr(0, kCodeWidth)), offer || AlphaCodes());
}
