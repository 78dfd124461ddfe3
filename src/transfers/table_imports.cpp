#include "transfers/table_imports.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "platform/files.h"
#include "store/departments.h"
#include "store/discounts.h"
#include "store/loyalty.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

using tables::NumValue;

namespace {

// One line of the progress window's errors and the message log: the
// reason, the file and, when there is one, the record and what is wrong.
bool Refuse(const std::string& key, const std::string& file, const std::string& detail = {}) {
    const std::string text = GetText("Log", key) + " " + file + (detail.empty() ? "" : " (" + detail + ")");
    ReportTransferProblem(text);
    return false;
}

std::string RecordText(int32_t n) { return "record " + std::to_string(n); }

// The import file's whole records of `length` characters, each ended by
// CR LF; what follows the last whole record (a cut record, the end-of-file
// byte of an old editor) is left out and named in the message log.
bool ReadSourceBytes(const std::string& file, size_t length, std::string& bytes) {
    errno = 0;
    if (!platform::FileExists(file) || !platform::ReadFile(file, bytes))
        return Refuse("noimport", file, errno ? std::strerror(errno) : "");
    if (bytes.size() < length)
        return Refuse("importempty", file, std::to_string(length) + " characters a record");
    const size_t leftOver = bytes.size() % length;
    bytes.resize(bytes.size() - leftOver);
    for (size_t at = 0; at < bytes.size(); at += length)
        if (bytes.compare(at + length - 2, 2, "\r\n") != 0)
            return Refuse("importlength", file, RecordText(static_cast<int32_t>(at / length + 1)));
    NoteLeftOver(file, leftOver);
    SetCntRec(0);
    return true;
}

// The import file as records of `length` characters, each ended by CR LF.
bool ReadSource(const std::string& file, size_t length, std::vector<std::string>& records) {
    std::string bytes;
    if (!ReadSourceBytes(file, length, bytes)) return false;
    records.clear();
    for (size_t at = 0; at < bytes.size(); at += length) records.push_back(bytes.substr(at, length));
    return true;
}

// A number field: digits, an optional "-" first, blanks around.
bool IsNumber(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (!t.empty() && t[0] == '-') t.remove_prefix(1);
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Every number field of the record is a number; else the refusal, naming
// the field.
bool NumbersOk(const tables::RecordLayout& layout, std::string_view record, const std::string& file,
               int32_t n) {
    for (const tables::FieldDef& f : layout.Fields()) {
        if (f.kind != tables::FieldKind::Number && f.kind != tables::FieldKind::LeftNumber) continue;
        for (int e = 0; e < f.count; ++e) {
            const std::string text = tables::FieldText(f, record, e);
            if (!IsNumber(text))
                return Refuse("importfield", file, RecordText(n) + ", " + f.name + " \"" + text + "\"");
        }
    }
    return true;
}

// The records, by number, go into the register's table file in one
// replacement of the file; a file shorter than a record number is extended
// with default records.
bool Store(const char* table, const tables::RecordLayout& layout,
           const std::map<int32_t, std::string>& records) {
    const std::string path = tables::TablePath(table);
    std::string error;
    return tables::StoreRecords(path, layout, records, error) || Refuse("nowrite", path, error);
}

// The import of a table whose records carry their own number.
struct RecordTable {
    const char* file;
    const tables::RecordLayout& (*layout)();
    int16_t TableSizes::*size;
    bool renumber = false;  // the number field written zero-padded, as the table's Save does
};

bool ImportRecords(const std::string& source, const RecordTable& t, int32_t& count, int32_t& low,
                   int32_t& high) {
    count = 0;
    const tables::RecordLayout& layout = t.layout();
    const size_t length = static_cast<size_t>(layout.Length());
    std::string bytes;
    if (!ReadSourceBytes(source, length, bytes)) return false;
    count = static_cast<int32_t>(bytes.size() / length);
    const tables::FieldDef* number = layout.Find("number");
    std::map<int32_t, std::string> byNumber;
    low = Sizes.*t.size;
    high = 1;
    for (int32_t n = 1; n <= count; ++n) {
        IncCntRec();
        const std::string_view r(bytes.data() + static_cast<size_t>(n - 1) * length, length);
        if (!NumbersOk(layout, r, source, n)) return false;
        const int32_t entry = NumValue(tables::FieldText(*number, r));
        if (entry < 1 || entry > Sizes.*t.size)
            return Refuse("importrange", source, RecordText(n) + ": " + std::to_string(entry));
        low = std::min(low, entry);
        high = std::max(high, entry);
        std::string& stored = byNumber[entry];
        stored.assign(r);
        if (t.renumber)
            stored.replace(number->offset, number->width, tables::FormatNum(entry, number->width));
    }
    return Store(t.file, layout, byNumber);
}

bool ImportRecords(const std::string& source, const RecordTable& t, int32_t& count) {
    int32_t low = 0, high = 0;
    return ImportRecords(source, t, count, low, high);
}

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

// The options record with the import's values goes to Cassa.txt; when it
// cannot be written the record gets its old values back.
bool SaveOptions(const CassaConfRec& before) {
    if (SaveCassa()) return true;
    CassaConf = before;
    return Refuse("nowrite", tables::TablePath("Cassa.txt"));
}

}  // namespace

bool ImportConfScoMag2(const std::string& file, int32_t& count) {
    count = 0;
    if (IsLX4100()) return Refuse("importmodel", file);
    std::vector<std::string> records;
    if (!ReadSource(file, 6, records)) return false;
    count = static_cast<int32_t>(records.size());
    std::array<int16_t, 7> values = CassaConf.P4111;
    for (int32_t n = 1; n <= count; ++n) {
        IncCntRec();
        const std::string& r = records[static_cast<size_t>(n - 1)];
        const std::string entry = r.substr(0, 2), value = r.substr(2, 2);
        if (!IsNumber(entry) || !IsNumber(value))
            return Refuse("importfield", file, RecordText(n) + " \"" + r.substr(0, 4) + "\"");
        if (NumValue(entry) < 1 || NumValue(entry) > 6)
            return Refuse("importrange", file, RecordText(n) + ": " + std::to_string(NumValue(entry)));
        if (NumValue(value) < 0 || NumValue(value) > 20)
            return Refuse("importvalue", file, RecordText(n) + ": " + std::to_string(NumValue(value)));
        values[static_cast<size_t>(NumValue(entry))] = static_cast<int16_t>(NumValue(value));
    }
    const CassaConfRec before = CassaConf;
    CassaConf.P4111 = values;
    return SaveOptions(before);
}

bool ImportConfScoMag(const std::string& file) {
    if (IsLX4100()) return Refuse("importmodel", file);
    std::vector<std::string> records;
    if (!ReadSource(file, 12, records)) return false;
    // Only the first record is taken; every record must be whole and of numbers.
    for (size_t n = 0; n < records.size(); ++n)
        if (!IsNumber(records[n].substr(0, 8)) || !IsNumber(records[n].substr(8, 2)))
            return Refuse("importfield", file,
                          RecordText(static_cast<int32_t>(n + 1)) + " \"" + records[n].substr(0, 10) + "\"");
    IncCntRec();
    const std::string amount = records[0].substr(0, 8), value = records[0].substr(8, 2);
    if (NumValue(amount) < 0 || NumValue(amount) > 99999999)
        return Refuse("importvalue", file, RecordText(1) + ": " + tables::TrimBlanks(amount));
    if (NumValue(value) < 0 || NumValue(value) > 20)
        return Refuse("importvalue", file, RecordText(1) + ": " + tables::TrimBlanks(value));
    const CassaConfRec before = CassaConf;
    CassaConf.P4101A = std::to_string(NumValue(amount));
    CassaConf.P4101B = static_cast<int16_t>(NumValue(value));
    return SaveOptions(before);
}

bool ImportScoMag(const std::string& file, int32_t& count) {
    return ImportRecords(file, {kScoMagFile, &ScoMagRec::Layout, &TableSizes::nMaxScoMag}, count);
}

bool ImportReparto(const std::string& file, int32_t& count) {
    int32_t low = 0, high = 0;
    if (!ImportRecords(file, {kRepartiFile, &RepartoRec::Layout, &TableSizes::nMaxReparti}, count, low,
                       high))
        return false;
    Tx.nTxRepartoFrom = static_cast<int16_t>(low);
    Tx.nTxRepartoTo = static_cast<int16_t>(high);
    return true;
}

bool ImportRepFid(const std::string& file, int32_t& count) {
    int32_t low = 0, high = 0;
    if (!ImportRecords(file, {kRepFidFile, &RepFidRec::Layout, &TableSizes::nMaxReparti, true}, count, low,
                       high))
        return false;
    Tx.nTxRepFidFrom = static_cast<int16_t>(low);
    Tx.nTxRepFidTo = static_cast<int16_t>(high);
    return true;
}

bool ImportSubFid(const std::string& file) {
    std::vector<std::string> records;
    if (!ReadSource(file, sizeof(SubFidRec), records)) return false;
    // Only the first record is taken; every record must be whole and of numbers.
    for (int32_t n = 1; n <= static_cast<int32_t>(records.size()); ++n)
        if (!NumbersOk(SubFidRec::Layout(), records[static_cast<size_t>(n - 1)], file, n)) return false;
    IncCntRec();
    return Store(kSubFidFile, SubFidRec::Layout(), {{1, records[0]}});
}

bool ImportCirCli(const std::string& file, int32_t& count) {
    return ImportRecords(file, {kCirCliFile, &CirCliRec::Layout, &TableSizes::nMaxCirCli}, count);
}
