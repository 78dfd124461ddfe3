#pragma once
// The register options record: the option parameters of the register whose
// folder is open, mirrored key by key in that folder's Cassa.txt.
//
// A field is named after the register's own numbering: section P0 key 19 is
// P019, section P9 key 22N is P922N. The working copy `udtCassaConf` (also
// reached as `CassaConf`) is what editors, the communication window and the
// option transfers read and fill; `udtCassaConfSaved` holds the state last
// saved or loaded, so that an editor can tell whether anything changed.
// Four further values live in Cassa.txt outside the record (`CassaFile`).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/shell.h"

struct CassaConfRec {
    int16_t P019 = 0;                  // [P0] 19   general option bits
    int16_t P019_1 = 0;                // [P0] 19_1 second word; 64 enables the loyalty transfers
    int16_t PX2 = 0;                   // [P2] X2
    int16_t P012 = 0;                  // [P0] 12
    int16_t P013 = 0;                  // [P0] 13   register number
    int16_t P015 = 0;                  // [P0] 15
    std::array<int16_t, 6> P016{};     // [P0] 160.. VAT rate per code, 0 .. GetMaxTabIva-1
    int16_t P017 = 0;                  // [P0] 17   signed
    int16_t P020A = 0, P020B = 0, P020C = 0;  // [P0] 20A 20B 20C receipt option bytes
    std::array<std::string, 7> P021{}; // [P0] 211..216 receipt-header texts (1-based)
    int16_t P022 = 0;                  // [P0] 22
    std::array<std::string, 3> P023{}; // [P0] 231, 232 (1-based)
    std::array<int16_t, 11> P024{};    // [P0] 24n icon of period n (1-based)
    std::array<std::string, 11> P025{};// [P0] 25n start date "dd/mm/yy", "__/__/__" unset
    std::array<std::string, 11> P026{};// [P0] 26n end date
    int16_t P030 = 0, P031 = 0, P032 = 0, P033 = 0;  // [P0] 30..33
    int16_t P040 = 0, P041 = 0, P042 = 0;            // [P0] 40..42; P041 bit 0 alphanumeric PLU codes
    int16_t P050 = 0;                  // [P0] 50   operator/waiter/customer option bits
    std::string P050C;                 // [P0] 50C  five characters, zero-filled on the left
    std::string P050P;                 // [P0] 50P  three characters, zero-filled on the left
    int16_t P110 = 0;                  // [P1] 10
    int16_t P210 = 0;                  // [P2] 10   PLU options
    int16_t P211 = 0;                  // [P2] 11   PLU code length
    int16_t P212 = 0, P213 = 0, P216 = 0;            // [P2] 12 13 16
    int16_t P310 = 0, P311 = 0, P312 = 0;            // [P3] 10 11 12
    std::string P4101A;                // [P4] 101A amount (not on LX4100)
    int16_t P4101B = 0;                // [P4] 101B (not on LX4100)
    std::array<int16_t, 7> P4111{};    // [P4] 1111..1116 (1-based; not on LX4100)
    std::string P4102;                 // [P4] 102  LX4100 only
    std::string P4112;                 // [P4] 112  LX4100 only
    int16_t P4122 = 0;                 // [P4] 122  LX4100 only
    int16_t P510 = 0;                  // [P5] 10   register-wide option bits
    std::string P511, P512;            // [P5] 11 12
    int16_t P513 = 0;                  // [P5] 13
    std::string P514, P515, P516;      // [P5] 14 15 16
    int16_t P517 = 0;                  // [P5] 17   option bits A .. G
    std::string P518, P519;            // [P5] 18 19
    int16_t P601G = 0, P601M = 0, P601A = 0;         // [P6] 01G 01M 01A
    int16_t P681S = 0, P681C = 0, P681F = 0;         // [P6] 81S 81C 81F serial-line parameters
    int16_t P910 = 0;                  // [P9] 10
    int16_t P911 = 0;                  // [P9] 11   link option bits (1 modem, 2 addressed, 8 protocol level, 128 no DTR wait)
    int16_t P911_2 = 0;                // [P9] 11_2
    int16_t P9Addr = 0;                // [P9] 13   station address + 1; written, never read
    int16_t P914 = 0, P915 = 0, P920 = 0, P921 = 0;  // [P9] 14 15 20 21
    int16_t P922N = 0, P922F = 0, P922S = 0;         // [P9] 22N 22F 22S
    int16_t P923 = 0, P930 = 0;        // [P9] 23 30
    std::string P346;                  // [P3] 46   LX4100 only
    int16_t nHelloType = 0;            // [Communication] hellotype: 1 polling with DLE/DC1, 0 plain
    int16_t nPhoneBookIndex = 0;       // [Communication] PhoneBookIndex

    bool operator==(const CassaConfRec&) const = default;
};

// The working copy and the comparison copy. `CassaConf` is the working copy
// under the name the transfers and editors use (CassaConf.P911).
extern CassaConfRec udtCassaConf;
extern CassaConfRec udtCassaConfSaved;
inline CassaConfRec& CassaConf = udtCassaConf;

// Values kept in Cassa.txt outside the record, and the state of the options.
struct CassaFileValues {
    int16_t nTipoTastiera = 0;     // [Tastiera] tipo: keyboard type, 0-based
    std::string strB90Indi;        // [B90] indi: history position (4 characters)
    std::string strB90Pg;          // [B90] pg: its second part (2 characters)
    int16_t nB90Type = 0;          // [B90] type: how the next history read continues
    bool bConfPLUDefault = true;   // the PLU options are defaults until the register's own arrive
    // Cassa.txt is there but cannot be read (far too large, not a file), or
    // keeps so much that a save of the options would pass the bound of the
    // profile reader: the options are the defaults, and a command-line run does no work on the
    // register.
    bool bUnreadable = false;
    // The backups (Cassa.txt.bak) written in this run: each keeps the file
    // as the run first found it.
    std::vector<std::string> backedUp;
};
extern CassaFileValues CassaFile;

// The options record with every field at the installation model's default
// (the values an empty Cassa.txt gives).
CassaConfRec CassaConfDefaults();

// Reads [Tastiera] tipo of the open register's Cassa.txt into
// CassaFile.nTipoTastiera (default 0). False when the value is not a 16-bit
// number (the type is then 0).
bool ReadCassaTipo();
// Reads the rest of Cassa.txt: starts from the model defaults (P9Addr is the
// station address + 1), reads every key, then makes the link settings that
// follow from P911 (addressed mode, time-outs, protocol level). A value that
// cannot be taken (a number that does not fit 16 bits, a 50C longer than
// five characters, a 50P longer than three) keeps its default, is noted in
// the message log and makes the result false; the reading goes on, so no
// field ever keeps the value of another register. A Cassa.txt that is there
// but cannot be read (platform::ProfileUnreadable), or whose lines a save
// keeps leave too little room below platform::kProfileMaxBytes for the
// options (every save would fail), leaves every default, sets
// CassaFile.bUnreadable, is reported as ReportUnreadableProfile does, with
// the reason, and makes the result false.
bool ReadCassaConf();
// Says that a profile file of the run (Cassa.txt, config.ini) is there but
// cannot be read, naming it: a message box in an interactive run, the
// progress window's errors and the error log (kErrFile) in a command-line
// run, and the message log; once while the file stays so. False when the
// file can be read.
bool ReportUnreadableProfile(const std::string& file);
// The text of that report, without the file's name.
std::string UnreadableProfileText();
// Writes the working copy and the outside values into the open register's
// Cassa.txt (created when missing) in one replacement of the file, without
// the lines that are no options (ReadCassaConf names them), then
// rewrites the register list in config.ini (SaveCasse). False when a key
// cannot be written: a Cassa.txt that cannot be written is reported with the
// reason (a message box "SaveCassa - reason" in an interactive run, the
// progress window's error list and the error log in a command-line run, and
// the message log) and stays as it was; so is one refused at the read for
// want of room ("File too large").
bool SaveCassa();
// True when some field of the working copy differs from the saved copy.
bool TestGlbDiff();
// When TestGlbDiff, asks whether to keep the changes: on No puts the saved
// copy back (and the addressed mode that goes with it). Yes also when there
// is nothing to ask. Closed: the question was closed unanswered, the working
// copy is the saved one again and the caller saves nothing (the change stays
// only on screen).
Reply AskGlbDiff();

// Path of the open register's Cassa.txt; empty while no folder is open.
std::string CassaTxtPath();

// The addressed-mode flag that goes with the link option bits P911: bit 1
// (value 2). Every place that derives the link's addressed mode from the
// options uses this rule.
bool GetAddressedMode(int16_t p911);
