#pragma once
// The register list: up to 16 registers on one line, read from config.ini
// [Casse]. Index 16 is a spare slot.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct CashInfoRec {
    std::string number;     // the register's number as text
    std::string name;       // name from the hello answer
    std::string identity;   // identity text of the hello answer
    std::string release;    // firmware release, such as "R013000"
    std::string port;       // serial port number as text
    std::string addressed;  // "1" addressed mode, "0" direct
    std::string station;    // station address as text, from 0
};

struct CashRec : CashInfoRec {
    int16_t bDefined = 0;    // the entry exists in config.ini
    int16_t bEnabled = 0;    // selected for work
    int16_t bDone = 0;       // served in the current cycle
    int16_t bConnected = 0;  // link open
    int16_t bFailed = 0;     // handshake failed in the current cycle
};

constexpr int kMaxCash = 16;
extern std::array<CashRec, kMaxCash + 1> CassaList;

struct CashListGlobals {
    // Register entries, and settings files, already reported as unusable in
    // this run.
    std::vector<std::string> reported;
    // A command-line run has chosen the registers it works on: a later
    // reading of the list keeps their enabled flags.
    bool bEnabledChosen = false;
};
extern CashListGlobals CashListState;

// --- The register list in config.ini [Casse] ---
// One key per register, "C0" to "C15": number|name|identity|release|port|
// addressed|station|enabled. A value of seven fields (no enabled flag) is
// accepted and leaves the enabled flag as it was.

// Path of config.ini in the base folder.
std::string ConfigIniPath();
// A name, identity or release as stored in the list: "|" and control
// characters become blanks, so that the stored line keeps its fields.
std::string CleanCasseField(const std::string& text);

// Interactive mode: writes the key of every defined register (config.ini is
// created when missing); keys of undefined registers stay as they are.
// Batch mode writes nothing. False when a key cannot be written.
bool SaveCasse();
// Interactive mode, after a hello answer: name, identity and release of the
// answer into the open register's entry, its key written, and the release
// passed to the capability object.
void SaveCassaEntry();
// Reads "C0" to "C15" in order, over missing keys and entries that
// LoadCasseConf leaves out, up to the first value of fewer than seven
// fields, and takes the first entry whose station is LinkState.nAddress: its
// port into Core.nCommPort and its seven text fields into the list at that
// key's index.
bool LoadCassaList();
// Reads the entry of every register 0 to 15 (fields, release into the
// capability object, defined flag; the enabled flag from the eighth field
// unless a register mask was given on the command line or the run has chosen
// its registers). An absent key
// empties its entry. A value of fewer than seven fields ends the reading
// there; one of more than eight fields, or whose port is not a number from 1
// to 32767, or whose station address is not a number from 0 to 31 (what the
// link can address), is left out as if absent. Either is noted in the
// message log and, in a command-line run, in the error log (code
// kErrCashEntry, a failure of the run), once per run.
void LoadCasseConf();
// The defined entry other than `except` whose station address is `station`
// (the same folder), or -1.
int EntryOfStation(int station, int except);
// The folder name of a station address: "Cassa" and the address plus one.
std::string CashDirName(int station);
// Fills the entry of a register whose options file was just created.
void NewCashRec(int16_t index);
// Makes the entry i the open register: its serial port, station address
// and folder (Core.nCommPort, LinkState.nAddress, Core.strCashDir,
// Core.nOpenCash). Opening the folder itself is the caller's.
void SetOpenCashEntry(int16_t i);
// True when exactly one of the registers 0 to 15 is enabled.
bool OneCashSelected();
// True when the chosen register is enabled; otherwise says so in a message
// box and gives false.
bool TestCashEnabled();
// No register is connected (start-up).
void ClearCashDone();
