#pragma once
// The communication settings window's logic (editor key "K_FRMCOMM",
// language section "2"): which register is the one the user works with, its
// port and line speed, the commands time-out, the registers enabled for
// work, the keep-locked option and the hello type on the PC side; on the
// register side the link parameters of the options record (P013, the P9
// group and the service page's memory pages), saved into Cassa.txt and
// exchanged with the register by Load and Send.
//
// The window holds what it shows in a CommShown; saving checks every value
// first and applies nothing when one is refused.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/cassa_conf.h"

// A check box of a register-side option: the field, the bit it stands for
// (a box of a whole 0/1 field has bit 1), its caption key in section "2",
// and the capability that shows it (gate 0 always; 1 or 2 the word of
// GetP911Enable; 15 GetP915Enable) with its letter.
struct CommCheck {
    const char* name;
    int16_t CassaConfRec::*field;
    int16_t bit;
    const char* key;
    int gate;
    const char* letter;
};
const std::vector<CommCheck>& CommChecks();

// A number box of a register-side option: the field and its range.
struct CommNumber {
    const char* name;
    int16_t CassaConfRec::*field;
    int32_t low, high;
};
const std::vector<CommNumber>& CommNumbers();

// The register-side values as the window shows them.
struct CommShown {
    // By box name: the text typed. A box the window does not show (or does
    // not let the user change) is left out and its value stays as stored.
    std::map<std::string, std::string> numbers;
    std::map<std::string, std::string> captions;  // by box name: its name for a status text
    std::map<std::string, bool> checks;          // by box name: ticked
    int16_t phoneBookKey = 0;                    // the phone-book entry chosen, 0 none
};

// The values of the options record, as the window shows them.
CommShown CommShowConf();
// The word that the ticked boxes of one field make (P911 from its boxes).
int16_t CommShownWord(const CommShown& shown, int16_t CassaConfRec::*field);
// Whether the window shows the check box (the model's and register's
// capabilities).
bool CommCheckShown(const CommCheck& check);

// The number a box holds: its trimmed text as a decimal number (a sign, digits,
// a fraction after "." or ","), rounded to the nearest (halves to even). False for a
// text that is not such a number or whose value lies outside low..high.
bool CommTextValue(const std::string& text, int32_t low, int32_t high, int16_t& value);

// The shown values into the options record: every number checked first; on
// a refusal nothing is applied and the box refused is named in badBox.
// Otherwise P911, P911_2 and P915 are rebuilt from their boxes alone (bits
// without a box become 0), P9Addr is the station address + 1 and the
// phone-book entry is the key chosen.
bool CommSaveData(const CommShown& shown, std::string* badBox = nullptr);
// The same into the record given, leaving the options record as it is.
bool CommShownRecord(const CommShown& shown, CassaConfRec& rec, std::string* badBox = nullptr);
// What follows from the options record for the link: the protocol level of
// the register (P911 value 8), the addressed mode, and the register-list
// entry of the station (station, number P013, port, addressed).
void CommApplyLinkSettings();
// The save: the saved copy taken, the values checked and stored; with ask
// the question whether to keep the changes; Cassa.txt written, the link's
// time-outs set for the line type; the status text "Saved" once Cassa.txt
// is written. A refused value writes nothing and says so in the status text
// ("9" - the box's caption - "badfield"). A station address that another
// entry of the register list has is refused too (a message box names that
// entry): both would work on one folder. The question closed unanswered
// writes nothing either (Closed). Saved when the values were written;
// changed (when given) then tells whether they differ from the stored ones.
SaveResult CommCheckSave(const CommShown& shown, bool ask, bool* changed = nullptr);

// Opens the folder of register i (0 to 15) as the one the user works with.
void CommOpenRegister(int16_t i);

// The list position of the port of register i's entry (0 for "com1"); -1
// when its port field is not a number from 1 to 16.
int CommRegisterPortIndex(int i);
// The list position of Comm.nBaud; a value outside 1..3 shows as 19200, the
// speed the port opens at.
int CommBaudIndex();

// Port list position chosen: Core.nCommPort, config.ini, and the port field
// of the register's entry.
void CommSetPort(int listIndex);
// Speed list position chosen: Comm.nBaud, config.ini.
void CommSetBaud(int listIndex);
// Register i enabled for work or not; the register list written.
void CommSetEnabled(int i, bool enabled);

// config.ini [Generiche] "commandstimeout" (default 1800) into
// Core.sngCmdTimeout, and written back.
void CommLoadTimeout();
// The same without writing it back: the windows take the saved setting when
// the customer folder is opened, as a command-line run does.
void CommReadTimeout();
// A time-out typed: a positive whole number of seconds is taken and written
// to config.ini; anything else is refused (false) and the time-out stays.
bool CommSetTimeout(const std::string& text);
// The time-out as the box shows it.
std::string CommTimeoutText();

// The keep-locked box ticked or not: locks or releases when that changes
// Core.bKeyLock.
void CommKeyLock(bool ticked);
// The hello-type box changed: asks whether to change it; true when
// nHelloType took the box's value, false when it stays (the box goes back).
// mayWrite is asked after the answer: the operation may have opened another
// register's options under the question.
bool CommSetHelloType(bool ticked, const std::function<bool()>& mayWrite);
