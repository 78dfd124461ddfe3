#include "transfers/plu_import.h"

#include <cerrno>
#include <map>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/main_timer_state.h"
#include "core/shell.h"
#include "core/texts.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "store/sort_buffer.h"
#include "store/plu.h"
#include "store/plu_checks.h"
#include "store/table_file.h"
#include "transfers/transfer.h"
#include "core/record.h"

using namespace tables;

namespace {

constexpr size_t kRec = kPLURecLen;
constexpr size_t kDescrAt = 13 + 9 + 3;  // P220C
constexpr size_t kDescrWidth = 30;
constexpr size_t kGAt = kDescrAt + 30 + 4 + 5 + 9;  // P220G
constexpr size_t kErrorFlush = 4096;             // error lines written together

struct Kind {
    const char* proc;       // "SortPLU"
    const char* errFile;
    const char* msgKey;     // section "Msg": "89" PLUs, "20" offers
    const char* askKey;     // section "Msg1" of the question
    bool offers;
};

const Kind kPLUs{"SortPLU", kPLUErrFile, "89", "25", false};
const Kind kOffers{"SortOffer", kOfferErrFile, "20", "offloaderr", true};


// The source's bytes, mapped read-only (or held, after a conversion).
class Source {
public:
    bool Open(const std::string& path) {
        if (!map_.Open(path)) return false;
        view_ = map_.Bytes();
        return true;
    }
    void Hold(std::string bytes) {
        held_ = std::move(bytes);
        view_ = held_;
    }
    std::string_view Bytes() const { return view_; }

private:
    platform::MappedFile map_;
    std::string held_;
    std::string_view view_;
};


// Error lines, written in blocks through WriteTxtFile: the first line of
// the run replaces the old list.
class ErrorList {
public:
    explicit ErrorList(const char* file) : file_(file) { Texts.bNewTxtFile = true; }
    // The line's control bytes become blanks, so that one record stays on
    // one line of the list whatever its source held.
    bool Add(const std::string& line) {
        ++kinds_[line.empty() ? ' ' : line[0]];
        if (!block_.empty()) block_ += "\r\n";
        block_ += BlankControls(line);
        any_ = true;
        return ++lines_ % kErrorFlush != 0 || Flush();
    }
    bool Flush() {
        if (block_.empty()) return true;
        const bool ok = WriteTxtFile(file_, block_);
        Texts.bNewTxtFile = false;
        block_.clear();
        return ok;
    }
    bool Any() const { return any_; }
    // How many lines of each kind: "(E 1, D 2, W 0)".
    std::string Counts() {
        return "(E " + std::to_string(kinds_['E']) + ", D " + std::to_string(kinds_['D']) + ", W " +
               std::to_string(kinds_['W']) + ")";
    }

private:
    std::map<char, size_t> kinds_;
    const char* file_;
    std::string block_;
    size_t lines_ = 0;
    bool any_ = false;
};

std::string LineEnd(int32_t n) { return " line " + std::to_string(n); }

// True when the bytes are whole records, each ended by CR LF.
bool WholeRecords(std::string_view src) {
    if (src.size() % kRec != 0) return false;
    for (size_t at = kRec - 2; at < src.size(); at += kRec)
        if (src[at] != '\r' || src[at + 1] != '\n') return false;
    return true;
}

// Separators and control characters of a description become blanks.
bool CleanDescription(char* d) {
    bool changed = false;
    for (size_t i = 0; i < kDescrWidth; ++i) {
        const unsigned char c = static_cast<unsigned char>(d[i]);
        if (c == ':' || c == ';' || c < 32) {
            d[i] = ' ';
            changed = true;
        }
    }
    return changed;
}

// A command-line run says why in the message log and logs code 8.
bool Fail(const Kind& kind, const std::string& description) {
    if (kind.offers)
        PLUFiles.nCurOff = 1;
    else
        PLUFiles.nCurPLU = 1;
    if (Core.bInteractive) {
        CurrentShell().MsgBox(std::string(kind.proc) + " - " + description, "");
    } else {
        CurrentShell().AddError(std::string(kind.proc) + " - " + description, true);
        LogErr(8, OpenTurnSubject());
    }
    CurrentShell().SetPGBValue(-1);
    return false;
}

// An import that leaves no record: the destination keeps what it held, and
// the import is refused (an empty source, or one whose every record was
// refused: the first of them is named).
bool NothingImported(const std::string& sourcePath, const std::string& firstRefused) {
    const std::string text = GetText("Log", "importnone") + " " + sourcePath +
                             (firstRefused.empty() ? "" : " (" + firstRefused + ")");
    CurrentShell().AddError(text, true);
    if (!Core.bInteractive) LogErr(8, OpenTurnSubject());
    CurrentShell().SetPGBValue(-1);
    return false;
}

void SetCount(const Kind& kind, int32_t n) {
    (kind.offers ? PLUFiles.nOffNum : PLUFiles.nPLUNum) = n;
}

// The source as whole records: opened, an older layout converted, lines
// ended otherwise made into records. False when it cannot be taken (said).
bool LoadSource(const Kind& kind, const std::string& sourcePath, Source& source) {
    errno = 0;
    if (!source.Open(sourcePath))
        return Fail(kind, GetText("Log", "noimport") + " " + sourcePath + " (" +
                              platform::FileErrorText(errno, sourcePath) + ")");
    if (source.Bytes().size() >= kOldPLURecLen && TestPLUFile(sourcePath) == kOldPLURecLen &&
        source.Bytes().size() % kOldPLURecLen == 0)
        source.Hold(ConvertOldPLURecords(source.Bytes()));
    if (WholeRecords(source.Bytes())) return true;
    // Lines ended by LF or CR alone, or an end-of-file byte after the last
    // line, give the same records; a file of whole records that are not
    // lines is read as records, each then checked.
    std::string records, why;
    size_t count = 0;
    bool canonical = false;
    if (SplitImportRecords(source.Bytes(), kRec - 2, records, count, canonical, why)) {
        if (!canonical) source.Hold(std::move(records));
        return true;
    }
    if (why.empty()) return NothingImported(sourcePath, {});
    if (source.Bytes().size() % kRec == 0) return true;
    if (Core.bInteractive) {
        CurrentShell().MsgBox(GetText("Msg", kind.msgKey) + "-" + GetText("Msg1", "24"), "");
    } else {
        CurrentShell().AddError(GetText("Log", "importline") + " " + sourcePath + " (" + why + ")", true);
        LogErr(8, OpenTurnSubject());
    }
    return false;
}

// First pass, in file order: each record checked; the codes of those taken
// go into the sort buffer, the others into the error list. False when the
// list cannot be written (said).
bool CheckRecords(const Kind& kind, std::string_view src, int32_t total, ErrorList& errors,
                  std::string& firstRefused) {
    Shell& shell = CurrentShell();
    int32_t& current = kind.offers ? PLUFiles.nCurOff : PLUFiles.nCurPLU;
    current = 1;
    SortBuffer& buffer = fxgPLU;
    const bool trimmedKey = !kind.offers && (CassaConf.P210 & 1);
    const PLUCheckModel model = CurrentPLUCheckModel();
    for (int32_t n = 1; n <= total; ++n) {
        IncCntRec();
        shell.IncPGBValue();
        if ((n & 1023) == 0) shell.DoEvents();
        if (MainTimer.StopRequest) break;
        current = n;
        PLURec rec;
        SetRecordBytes(rec, src.substr(static_cast<size_t>(n - 1) * kRec, kRec));
        const int16_t code = kind.offers ? TestOff(rec) : TestPLU(rec, model);
        if (code == 0) {
            const std::string_view stored(rec.code.c, 13);
            if (trimmedKey)
                buffer.Add(TrimBlanks(stored), n);
            else
                buffer.Add(stored, n);
            continue;
        }
        if (firstRefused.empty())
            firstRefused = ImportLineText(n, GetText("Log", "imprefused") + " E <" + FormatNum(code, 2) + ">");
        if (!errors.Add("E <" + FormatNum(code, 2) + "> " + PLURecordText(rec) + LineEnd(n)))
            return Fail(kind, platform::FileErrorText(errno, {}));
    }
    return true;
}

// Second pass, in code order: of several records with one code the last one
// stays. The records go into the destination's replacement a block at a
// time; one that keeps no record leaves the destination as it was. False on
// a failure (said).
bool WriteSorted(const Kind& kind, std::string_view src, const std::string& destination,
                 ErrorList& errors, int32_t& kept) {
    Shell& shell = CurrentShell();
    SortBuffer& buffer = fxgPLU;
    errno = 0;
    platform::FileReplacement file(destination);
    constexpr size_t kBlock = 1 << 20;
    std::string out;
    out.reserve(kBlock + kRec);
    kept = 0;
    const size_t rows = buffer.Rows();
    for (size_t i = 0; i < rows; ++i) {
        if ((i & 1023) == 0) shell.IncPGBValue();
        if (i + kFetchAhead < rows)
            FetchAhead(src, static_cast<size_t>(buffer.Number(i + kFetchAhead) - 1) * kRec, kRec);
        const int32_t n = buffer.Number(i);
        const std::string_view record = src.substr(static_cast<size_t>(n - 1) * kRec, kRec);
        if (i + 1 < rows && buffer.SameKey(i, i + 1)) {
            if (!errors.Add("D -    " + std::string(record.substr(0, kRec - 2)) + LineEnd(n)))
                return Fail(kind, platform::FileErrorText(errno, {}));
            continue;
        }
        const size_t at = out.size();
        out.append(record);
        if (CleanDescription(out.data() + at + kDescrAt) &&
            !errors.Add("W -    " + std::string(record.substr(0, kRec - 2)) + LineEnd(n)))
            return Fail(kind, platform::FileErrorText(errno, {}));
        if (kind.offers) out[at + kGAt] = '9';  // the check's correction is kept
        ++kept;
        if (out.size() >= kBlock) {
            file.Write(out);  // a failure is kept and told at the last write
            out.clear();
        }
    }
    errno = 0;
    if (!errors.Flush()) return Fail(kind, platform::FileErrorText(errno, {}));
    if (kept > 0 && (!file.Write(out) || !file.Commit()))
        return Fail(kind, platform::FileErrorText(errno, {}));
    return true;
}

// An error list written: the user is asked whether to open it; a
// command-line run says where it is and logs code 9.
void OfferErrorList(const Kind& kind, ErrorList& errors) {
    if (!errors.Any()) return;
    Shell& shell = CurrentShell();
    if (!Core.bInteractive) {
        WriteMsgLog(GetText("Log", "importlist") + " " + TablePath(kind.errFile) + " " + errors.Counts());
        LogErr(9, OpenTurnSubject());
        return;
    }
    if (!shell.AskYesNo(GetText("Msg", kind.msgKey) + "-" + GetText("Msg1", kind.askKey), "")) return;
    std::string why;
    if (!platform::OpenInTextEditor(TablePath(kind.errFile), why)) shell.MsgBox(why, "");
}

bool Sort(const Kind& kind, const std::string& sourcePath, const std::string& destination) {
    Shell& shell = CurrentShell();
    Source source;
    if (!LoadSource(kind, sourcePath, source)) return false;
    const std::string_view src = source.Bytes();
    const int32_t total = static_cast<int32_t>(src.size() / kRec);
    if (total == 0) return NothingImported(sourcePath, {});
    if (!kind.offers && !Core.bSortImport) {
        // Taken as it is.
        if (!WriteWholeFile(kind.proc, destination, std::string(src), Report::MsgBox)) {
            if (!Core.bInteractive) LogErr(8, OpenTurnSubject());
            return false;
        }
        SetCount(kind, total);
        return true;
    }

    SortBuffer& buffer = fxgPLU;
    buffer.Clear();
    buffer.Reserve(static_cast<size_t>(total), static_cast<size_t>(total) * 13);
    shell.SetPGBRange(1, 100);
    ShowMsg(kind.offers ? "20" : "88", "2");
    SetCntRec(0);
    ErrorList errors(kind.errFile);
    std::string firstRefused;
    if (!CheckRecords(kind, src, total, errors, firstRefused)) return false;
    buffer.Sort();
    int32_t kept = 0;
    if (!WriteSorted(kind, src, destination, errors, kept)) return false;
    buffer.Clear();
    if (kept > 0) SetCount(kind, kept);
    OfferErrorList(kind, errors);
    if (kept == 0) return NothingImported(sourcePath, firstRefused);
    shell.SetPGBValue(-1);
    return true;
}

}  // namespace

bool SortPLU(const std::string& source, const std::string& destination) {
    return Sort(kPLUs, source, destination);
}

bool SortOffer(const std::string& source, const std::string& destination) {
    return Sort(kOffers, source, destination);
}
