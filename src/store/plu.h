#pragma once
// The PLU and offer files, PLU.txt and Offerte.txt: one 89-character record
// per article or offer, sorted by code. PLU.txt lies in the folder of the
// first register (Cassa1) for every register when the "globplu" setting is on,
// otherwise in the register's own folder; Offerte.txt always in the
// register's folder.
//
// A record is found by a binary search on its code, inserted at its place in
// code order and deleted by rewriting the file. Every rewrite replaces the
// file in one step, so a failure never leaves a half-written file.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/record.h"

struct PLURec {
    tables::Fixed<13> code;   // right-aligned, blank-padded on the left
    tables::Fixed<9> P220A;
    tables::Fixed<3> P220B;
    tables::Fixed<30> P220C;  // description
    tables::Fixed<4> P220D;
    tables::Fixed<5> P220E;
    tables::Fixed<9> P220F;
    tables::Fixed<1> P220G;
    tables::Fixed<3> P220H;   // multiple-function number
    tables::Fixed<5> P220Ea;
    tables::Fixed<5> P220Eb;
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(PLURec) == 89);

// The older layout: P220E four digits wide, no P220Ea and P220Eb.
struct OldPLURec {
    tables::Fixed<13> code;
    tables::Fixed<9> P220A;
    tables::Fixed<3> P220B;
    tables::Fixed<30> P220C;
    tables::Fixed<4> P220D;
    tables::Fixed<4> P220E;
    tables::Fixed<9> P220F;
    tables::Fixed<1> P220G;
    tables::Fixed<3> P220H;
    tables::CrLf end;
};
static_assert(sizeof(OldPLURec) == 78);

struct PLUFilesGlobals {
    // The start-up chooser's "predef" box: new PLU and offer files are filled
    // with sample records.
    bool bPredef = false;
    // Records of the files (set by the counts, kept up to date by insertion,
    // deletion and the import sorts).
    int32_t nPLUNum = 0;
    int32_t nOffNum = 0;
    // The record found by the last search, which is also where the next
    // insertion, rewrite or deletion happens.
    int32_t nCurPLU = 1;
    int32_t nCurOff = 1;
};
extern PLUFilesGlobals PLUFiles;

inline constexpr const char* kPLUFile = "PLU.txt";
inline constexpr const char* kOffFile = "Offerte.txt";
inline constexpr int kPLURecLen = static_cast<int>(sizeof(PLURec));
inline constexpr int kOldPLURecLen = static_cast<int>(sizeof(OldPLURec));
// Offers carry this prefix and their number in four digits as their code.
inline constexpr const char* kOfferPrefix = "99999999";

// The folder shared by every register for PLU.txt: the base folder's Cassa1.
std::string GlobPLUDir();
// Where PLU.txt of the open register lies.
std::string PLUFilePath();
// Offerte.txt of the open register.
std::string OffFilePath();

// Default-file writers (also declared in store/create_tables.h). Both write
// an empty file, or the sample records when PLUFiles.bPredef is set.
// CreatePLU leaves a shared PLU.txt that exists alone.
bool CreatePLU();
bool CreateOff();

// 0 when the file is missing or empty; otherwise the length of its first
// record with its line end: the position of the first CR (from 1) plus one
// (89 for the current layout, 78 for the older one). A file without CR gives
// its length plus one.
int32_t TestPLUFile(const std::string& path);
// Converts a file of whole 78-character records into the 89-character
// layout; the old file stays beside it with ".bak" appended. False (the
// file untouched) when it is not such a file or cannot be rewritten.
bool ConvPLUFile(const std::string& path);
// Records of 78 characters converted to the record of 89 (a cut record at
// the end is left out).
std::string ConvertOldPLURecords(std::string_view old);

// Bring the file to the current layout and count it into nPLUNum / nOffNum.
// Only a file of whole 78-character records is converted; a file of any
// other broken layout is left as it is and reported (result false).
bool GetPLUNum();
bool GetOffNum();

// The search: true when the code is found (the record, its number in
// nCurPLU); false otherwise with the insertion point in nCurPLU. GetOff
// takes the offer number (at most four digits).
bool GetPLU(const std::string& code, PLURec& rec);
bool GetOff(const std::string& number, PLURec& rec);
// Insert the record at nCurPLU / nCurOff (after a failed search).
bool AddPLU(PLURec& rec);
bool AddOfferta(PLURec& rec);
// Delete the record at nCurPLU / nCurOff.
bool DelPLU();
bool DelOfferta();
// Rewrite the record at nCurPLU / nCurOff.
bool ModPLU(PLURec& rec);
bool ModOfferta(PLURec& rec);

// The key that orders a record (its bytes) in its file, as the search
// compares it: the code as stored, or trimmed for offers and for
// alphanumeric PLU codes (P210 bit 0).
std::string ArticleSortKey(std::string_view record, bool offer);

// The record's fields as stored, in file order, without the CR LF (87
// characters): the record text of the error lists.
std::string PLURecordText(const PLURec& rec);
