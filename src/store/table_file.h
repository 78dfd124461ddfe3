#pragma once
// Table files of the open register's folder: the record accessors and the
// default-file writer, written once for every table. A table's own file gives
// its file name, its record type and the few steps that are its own.
//
// Errors: nothing throws. A failing procedure returns false and, when its
// table asks for it and the run is interactive, shows a message box with the
// procedure's name, " - " and the error's description ("SaveGrpRep - ...").
#include <cstdint>
#include <map>
#include <string>

#include "core/record.h"

namespace tables {

enum class Report { MsgBox, Silent };

// The file of that name in the open register's folder (Core.strCashDir);
// while the table is rewritten through a copy (BeginTableCopy), the copy, so
// that the table's accessors read and write the copy.
std::string TablePath(const std::string& name);

// --- A table rewritten through a copy ---
// A table that many steps rewrite (a read from the register, record by
// record) is rewritten in a copy beside its file, and the copy takes the
// file's place in one step at the end: whatever happens before, the file is
// the old table or the new one, whole.

// The copy's name: the file's name and this.
inline constexpr const char* kCopySuffix = ".part";
// The mark beside a dump file of a read (C08.txt, C16.txt) while its lines
// are written: the dump is whole only when the mark is gone.
inline std::string DumpMark(const std::string& dump) { return TablePath(dump) + kCopySuffix; }
struct TableCopyRec {
    std::string file;  // the table file as a write reaches it
    std::string copy;  // the copy beside it
};
struct TableFileGlobals {
    // The copies being updated, by the table file's path as TablePath gives
    // it without a copy.
    std::map<std::string, TableCopyRec> copies;
};
extern TableFileGlobals TableFiles;
// Makes the copy of the table file `name` of the open folder (an empty copy
// when the file is missing); from then on TablePath(name) is the copy. path:
// the file's path as TablePath gave it before, which names the copy in the
// two calls below. False, with the reason in error, when the copy cannot be
// made.
bool BeginTableCopy(const std::string& name, std::string& path, std::string& error);
// Puts the copy in the file's place in one step (a rename). False, with the
// reason in error, when it cannot: the file stays as it was and the copy is
// removed. Either way TablePath gives the file again.
bool CommitTableCopy(const std::string& path, std::string& error);
// Removes the copy; the file stays as it was and TablePath gives it again.
void DiscardTableCopy(const std::string& path);
// True while the table file `name` of the open folder is rewritten through
// its copy (a read of the table is storing its records).
bool TableBeingRead(const std::string& name);

// Shows "<proc> - <description>" when report is MsgBox and the run is
// interactive.
void ReportFileError(const std::string& proc, const std::string& description, Report report);

// Record n (from 1) of a file of records of bytes.size() characters: read
// into bytes, or written from them. Reading a missing file, a record number
// below 1 or a record past the end fails; writing past the end extends the
// file (a missing file is created).
bool ReadRecordAt(const std::string& proc, const std::string& path, int32_t n, std::string& bytes,
                  Report report);
bool WriteRecordAt(const std::string& proc, const std::string& path, int32_t n,
                   const std::string& bytes, Report report);
// Replaces the file with the bytes in one step: on failure no partial file is
// left behind and a file that was there stays as it was.
bool WriteWholeFile(const std::string& proc, const std::string& path, const std::string& bytes,
                    Report report);

// Writes records (by number, from 1) into the table file at path in one
// replacement; the records between the file's end and a new one are the
// table's defaults. False with the system's reason when the file cannot be
// read or written; the file is then as it was.
bool StoreRecords(const std::string& path, const RecordLayout& layout,
                  const std::map<int32_t, std::string>& records, std::string& error);

// Get and Save accessors of a table: record n of the file into or from the
// record struct; Save stores CR LF in the record's end first.
template <class Rec>
bool GetRecord(const std::string& proc, const std::string& path, int32_t n, Rec& rec,
               Report report) {
    std::string bytes(sizeof(Rec), ' ');
    if (!ReadRecordAt(proc, path, n, bytes, report)) return false;
    SetRecordBytes(rec, bytes);
    return true;
}
template <class Rec>
bool SaveRecord(const std::string& proc, const std::string& path, int32_t n, Rec& rec,
                Report report) {
    rec.end.Set();
    return WriteRecordAt(proc, path, n, RecordBytes(rec), report);
}

// Default-file writer: the records make(1) .. make(count), in order, as the
// whole new file.
template <class Rec, class Make>
bool CreateTableFile(const std::string& proc, const std::string& path, int count, Make make,
                     Report report) {
    std::string bytes;
    if (count > 0) bytes.reserve(static_cast<std::size_t>(count) * sizeof(Rec));
    for (int32_t n = 1; n <= count; ++n) {
        Rec rec = make(n);
        rec.end.Set();
        bytes += RecordBytes(rec);
    }
    return WriteWholeFile(proc, path, bytes, report);
}

// A table file described by data: the stem of its procedures' names ("Ope"
// for GetOpe, SaveOpe and CreateOpe), its file in the register folder, how its
// accessors report a file error and how its default-file writer does. A
// table's Get, Save and Create procedures are this description applied.
template <class Rec>
struct Table {
    const char* stem;
    const char* file;
    Report access;                     // Get and Save
    Report create = Report::MsgBox;    // Create

    bool Get(int32_t n, Rec& rec) const {
        return GetRecord(Proc("Get"), TablePath(file), n, rec, access);
    }
    bool Save(int32_t n, Rec& rec) const {
        return SaveRecord(Proc("Save"), TablePath(file), n, rec, access);
    }
    // The default file: count records, make(n) each.
    template <class Make>
    bool Create(int count, Make make) const {
        return CreateTableFile<Rec>(Proc("Create"), TablePath(file), count, make, create);
    }
    // The default file: count default records.
    bool Create(int count) const { return Create(count, DefaultRecord<Rec>); }

private:
    std::string Proc(const char* verb) const { return verb + std::string(stem); }
};

}  // namespace tables
