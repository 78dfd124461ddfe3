#pragma once
// The PLU and offer files, PLU.txt and Offerte.txt: one 89-character record
// per article or offer, sorted by code. PLU.txt lies in the folder of the
// first register (Cassa1) for every register when the "globplu" setting is on,
// otherwise in the register's own folder; Offerte.txt always in the
// register's folder.
#include <string>

#include "tables/record.h"

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

struct PLUFilesGlobals {
    // The start-up chooser's "predef" box: new PLU and offer files are filled
    // with sample records.
    bool bPredef = false;
};
extern PLUFilesGlobals PLUFiles;

inline constexpr const char* kPLUFile = "PLU.txt";
inline constexpr const char* kOffFile = "Offerte.txt";

// The folder shared by every register for PLU.txt: the base folder's Cassa1.
std::string GlobPLUDir();
// Where PLU.txt of the open register lies.
std::string PLUFilePath();

// Default-file writers (also declared in tables/create_tables.h). Both write
// an empty file, or the sample records when PLUFiles.bPredef is set.
// CreatePLU leaves a shared PLU.txt that exists alone.
bool CreatePLU();
bool CreateOff();
