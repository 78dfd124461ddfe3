#pragma once
// The keyboard tables and files. A register's keyboard is programmed as two
// levels of key assignments; both levels live in memory as two key tables,
// are kept per register in a key configuration file, and name their
// functions through the key-function list of the start folder. A keyboard
// layout file per layout and type gives each key's row and column.
//
// Files (INI, read and written key by key):
// - key-function list: start folder/Cod<model number><language extension>,
//   [Funzioni] C1, C2, ... = code|count|key text|description[|first number];
// - keyboard layout: start folder/klay<layout base>_<type>.txt,
//   [Pos] K0, K1, ... = row|column;
// - key configuration: register folder/Keyb<model number>_<type>.txt,
//   [Livello0] and [Livello1] T0 .. T<nNumKeys> = flag|position code|function
//   code; templates of the same names lie in the start folder.
#include <array>
#include <cstdint>
#include <string>

// One key assignment of one level.
struct KeyConf {
    int16_t nKey = 0;       // key index, 0-based
    int16_t bProg = 0;      // True (-1): programmable, selectable and sent
    int16_t nFunIdx = 0;    // index of the function in FunCodes, -1 when not listed
    int16_t nPosCode = 0;   // the register's position code of the key
    int16_t nFunCode = 0;   // function code assigned to the key
    int16_t bRead = 0;      // True: the last keyboard read supplied this key
    bool operator==(const KeyConf&) const = default;
};

// One entry of the key-function list.
struct FunCode {
    int16_t nCode = 0;
    std::string strKeyText;  // short text shown on a key
    std::string strDescr;    // description shown in the function list
};

constexpr int kKeyEntries = 257;    // entries 0 to 256 per level
constexpr int kMaxFunCodes = 2001;  // entries 0 to 2000
constexpr int16_t kDefaultFunCode = 110;  // given to programmable keys a read did not supply

struct KeyboardGlobals {
    std::array<KeyConf, kKeyEntries> KeyConf0{};      // level 0
    std::array<KeyConf, kKeyEntries> KeyConf1{};      // level 1
    int16_t nNumKeys = 0;          // keys of the current layout
    std::string strKeybConfFile;   // the open register's key configuration file
    std::array<FunCode, kMaxFunCodes> FunCodes{};
    int16_t nFunCodes = 0;         // valid entries: 0 to nFunCodes - 1
    std::string strFunCodeFile;    // the key-function file; empty until an editor names it
    bool bEditorShown = false;     // the keyboard editor is on screen (it sets this itself)
};
extern KeyboardGlobals Keyb;

// The key-function file of the installation and the chosen language
// (start folder/Cod<model number><language extension>).
std::string FunCodeFileName();
// The layout file of a keyboard type (start folder/klay<base>_<type>.txt).
std::string KeybLayoutFile(int16_t type);
// Name of the key configuration file of a type (Keyb<model number>_<type>.txt).
std::string KeybConfFileName(int16_t type);
// Row and column of key `key` in the layout file of `type`; false when the
// layout does not show the key (no value, or no "|").
bool GetKeyLayoutPos(int16_t type, int key, int16_t& row, int16_t& column);

// Names the open register's key configuration file (Keyb.strKeybConfFile) and
// sets the number of keys of its keyboard type; a type the model does not
// have leaves the number of keys as it was.
void SetKeybInfos();
// Loads the key-function list from Keyb.strFunCodeFile; no file, no entries.
void LoadFunzioni();
// Loads both key tables from the key configuration file. Entries 0 to
// nNumKeys start from a blank state (not programmable, no code) so that no
// assignment of another register or type survives; bRead is kept.
void LoadKeyConf();
// Writes both key tables to the key configuration file in one replacement;
// the programmable flag already in the file wins over the one in memory.
// False, with the system's reason in error ("Disk full"), when the file
// cannot be written: it is then as it was.
bool SaveKeyConf(std::string& error);
// Index 0 to nNumKeys of the first level-0 entry with the position code; -1
// when none.
int16_t FindKeyPos(int16_t position);
// Index 0 to nFunCodes - 1 of the first function with the code; -1 when none.
int16_t FindFunCode(int16_t code);
// Entries 0 to 255 of both tables that a read did not supply get function
// code 110, but for the keys the register does not program (fixed keys,
// not programmable in the file): they keep what they have.
void FillKeybDefaults();
// Clears the read flag of entries 0 to 255 of both tables.
void ResetKeybTables();
