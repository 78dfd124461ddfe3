#pragma once
// A table read whose lines each change part of a record (one line of an icon
// text, one loyalty line of a department): the changed records are kept in
// memory while the read runs, and the closing line puts them into the table
// file in one replacement of the file. A read cut short changes nothing; the
// other records keep what the file holds when the read ends, so a record
// saved meanwhile by an editor is not undone.
//
// The changes belong to one read of one register's folder: changes left by a
// read of another folder, or by a read that fell silent for longer than the
// command's answer time-out (it was abandoned), are dropped when the next
// line arrives.
#include <cstdint>
#include <map>
#include <string>

#include "core/record.h"

class ReadEdits {
public:
    // Every instance is dropped when a read is abandoned (AbandonTableReads).
    ReadEdits(const char* fileName, const tables::RecordLayout& (*layout)());
    ~ReadEdits();
    ReadEdits(const ReadEdits&) = delete;
    ReadEdits& operator=(const ReadEdits&) = delete;

    // Record n as this read has it: the changed record, else the file's
    // record, else (a file too short or missing) the table's default record
    // n. Starts a new read when the changes kept belong to another one.
    std::string Get(int32_t n);
    // Keeps the changed record n for the closing line.
    void Put(int32_t n, const std::string& record);
    // The closing line (the changes kept belong to this read only when they
    // were made in the folder open now): the file's records with the changes (a file shorter
    // than a changed record is extended with default records), written in
    // one step. True when nothing had changed or the file was replaced; false
    // with the reason in error when it could not be read or written (the file
    // is then as it was). The changes are gone either way.
    bool Commit(std::string& error);
    // Drops the changes.
    void Drop();
    // How many records this read changed.
    size_t Changed() const { return records_.size(); }
    const char* FileName() const { return fileName_; }

private:
    void Touch();

    const char* fileName_;
    const tables::RecordLayout& (*layout_)();
    std::string path_;                        // the file of the read under way
    double lastLine_ = 0;                     // time of its last line
    std::map<int32_t, std::string> records_;  // changed records by number
};

// The closing line of a read kept in edits: the pending-read flag cleared,
// the changes put in place and the file copied to the copy destination of a
// command-line run (a file that cannot be written is reported and counts as
// a failure of the run), status and progress ended, one answer less
// awaited, the line acknowledged. Returns 0.
int16_t CloseEditedRead(int16_t& pending, ReadEdits& edits);
// A line of the read that cannot be stored: listed among the errors with the
// table's file name, acknowledged. Returns -1.
int16_t RefuseEditedLine(const ReadEdits& edits);
