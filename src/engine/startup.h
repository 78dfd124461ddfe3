#pragma once
// The start-up steps that are logic: the defaults of a run, the lists of
// installations and languages of setup.ini, the customer folders of a model,
// the check of a typed customer name, and what OK in the start-up chooser
// leaves behind (the language file in config.ini).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class FolderLock;
}

// The program's own release, shown in the chooser and used as the off-line
// release of the capability object.
inline constexpr const char* kProgramRelease = "V014057";
inline constexpr const char* kCompanyName = "Veltrana";

struct StartupGlobals {
    bool bSplashOK = false;  // the chooser was closed with OK
};
extern StartupGlobals Startup;

// Puts the global flags and defaults in their start-up state: the link state
// record, the exit and time-out settings, the request flags of the tables,
// the register list's connection marks and the message log.
void StartupDefaults();

// Interactive mode: setup.ini, modem.ini and PhoneBook.ini of the start
// folder.
void SetInteractivePaths();

// One entry of a setup.ini list ([Casse] "c1", "c2" ... or [Lingue] "l1",
// "l2" ...): the text before the first "|" and the text after it, with the
// number of the key it came from.
struct SetupListEntry {
    int keyNumber = 0;
    std::string name;   // installation folder, or language name
    std::string value;  // model number text, or language-file extension
};

// Reads the entry of key prefix + n of the section of setup.ini (a
// 128-character buffer, as the chooser reads it). False when the key yields
// no text or its value has no "|".
bool ReadSetupEntry(const std::string& section, const std::string& prefix, int n,
                    SetupListEntry& entry);

// Reads prefix + "1", prefix + "2" ... until the first key that yields no
// text. A value without "|" is left out and added to leftOut as the file,
// key and value (setup.ini [Casse] c1 = "Broken"); the entries after it keep
// their key numbers, so a list position still leads to its own key.
std::vector<SetupListEntry> ReadSetupList(const std::string& section, const std::string& prefix,
                                          std::vector<std::string>& leftOut);
// Notes the entries left out of the lists in the message log, each after the
// language file's text. The lists are read before a language is chosen, so
// the chooser calls this once it has one.
void LogLeftOutEntries(const std::vector<std::string>& leftOut);

// The model number of an installation: the leading numeric value of the
// text, blanks around it ignored, rounded to a whole number (halves to even);
// 0 when the text does not start with a number.
int16_t ModelNumber(const std::string& text);

// A customer name typed in the chooser must be one folder name: not empty,
// not "." or "..", no "/" or "\", no control characters.
bool IsValidCustomerName(const std::string& name);

// The sub-folders of a folder (files are left out), sorted without regard to
// case as the folder listings of the older installations were. Empty when the
// folder cannot be listed.
std::vector<std::string> ListSubfolders(const std::string& dir);

// After the chooser: with OK, writes the language file's path into
// config.ini of the chosen customer folder ([Generiche] "langfile"; the file
// is created when missing) and returns true. After Cancel writes nothing and
// returns false.
bool StoreLanguageChoice();

// Holds the customer folder (the base folder, with config.ini and the
// register folders) for this run of the program, through the caller's lock,
// which keeps it for the run's life. Empty when held, and when the folder
// is missing (the run's own checks say so). Else the text that says why the
// run may not work there, naming the folder: another run of the program or
// the program's windows hold it (and what holds it, when known), or no lock
// can be taken on it (and the system's reason); nothing has been written.
// busy, when given, tells whether another holds it (a refusal that ends
// when that one does).
std::string HoldCustomerFolder(platform::FolderLock& lock, const std::string& folder, bool* busy = nullptr);
