#pragma once
// ClientM: the one way into a register's customer archive (Clienti.txt):
// records of the register's customer generation, numbered from 1, sorted by
// the stored 12-character code, codes unique. It holds one record object of
// the generation chosen with CliType and passes every record-level operation
// to it, so one code path serves all four generations. It finds a customer
// by binary search, inserts and deletes customers and overwrites or appends
// single records.
//
// An insertion or a deletion builds the whole new archive and replaces the
// file with it in one step: a failure at any point leaves the old archive
// whole. Counts and record numbers are 32-bit.
//
// Failures return false (or -1) and, when SetFile was given true, show a
// message box with the operation's name, " - " and the description.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/client_record.h"

class ClientM {
public:
    int32_t nCliNum() const { return nCliNum_; }
    int32_t nCurrentRec() const { return nCurrentRec_; }

    // The record object's OpenFile (which may bring an older file to the
    // generation); -1 without a record object or on failure.
    int16_t OpenFile(const std::string& path);
    // Closes the file when the number is not -1 and sets it to -1.
    void CloseFile(int16_t& fileNo);
    // Selects the file and counts its whole records (after bringing an older
    // file to the generation); nCurrentRec 1. Opens nothing.
    void SetFile(const std::string& path, bool showErrors);
    const std::string& GetFile() const { return strFile_; }

    // Pass-through members: they never fail loudly; without a record object
    // a Let does nothing, a Get gives "", ReadRec and WriteRec false.
    void SetRecord(std::string_view raw);
    void SetFormattedRecord(const std::string& text, const std::string& sep, int level);
    std::string GetRecord() const;
    // The same bytes without a copy, valid until the record next changes.
    std::string_view RecordView() const;
    std::string GetFormattedRecord(const std::string& sep, int level) const;
    bool ReadRec(int16_t fileNo, std::string& record, int32_t recNo = -1) const;
    bool WriteRec(int16_t fileNo, const std::string& record, int32_t recNo = -1);
    void Let(CliField field, const std::string& text);
    std::string Get(CliField field) const;
    std::string strCodice() const { return Get(CliField::strCodice); }
    std::string strTerm() const { return "\r\n"; }
    // The record object's check; 1 without a record object.
    int16_t CheckCli();
    void CleanTexts();
    // 1 to 4: a new, empty record object of that generation; any other value:
    // none.
    void CliType(int16_t type);
    // The record length of the chosen generation; 0 without one.
    int GetLen() const { return objRec_ ? objRec_->GetLen() : 0; }

    // Inserts the current record at nCurrentRec: the records from there on
    // move one place up.
    bool AddCli();
    // Deletes record nCurrentRec.
    bool DelCli();
    // Finds the code (trimmed and right-aligned as stored). Found: true,
    // nCurrentRec its record and the record object holds it. Not found:
    // nCurrentRec the insertion point (1 before the first record, count + 1
    // after the last, else the first record with a higher code).
    bool GetCli(const std::string& code);
    // Writes the current record as record nCurrentRec.
    bool ModCli();
    // The same, then nCurrentRec and nCliNum grow by one (an append when
    // nCurrentRec is nCliNum + 1).
    bool QueCli();

    // The description of the last failure.
    const std::string& LastError() const { return lastError_; }
    // What the conversions of the archive to shorter records dropped since
    // the last call (see ClientRecord::UpgradeFile), for the caller to say.
    std::vector<CliDropped> TakeDropped();

private:
    void Fail(const char* proc, const std::string& description);
    // Reads the whole file after bringing it to the generation; a missing
    // file gives no bytes. False with the failure reported under proc.
    bool LoadWhole(const char* proc, std::string& bytes);
    bool WriteCurrent(const char* proc);
    // The archive brought to the generation, what it dropped noted.
    bool Upgrade(std::string* why);
    int16_t Open();

    std::string strFile_;
    bool bShowErr_ = false;
    int32_t nCurrentRec_ = 1;
    int32_t nCliNum_ = 0;
    std::unique_ptr<ClientRecord> objRec_;
    std::string lastError_;
    std::vector<CliDropped> dropped_;
};
