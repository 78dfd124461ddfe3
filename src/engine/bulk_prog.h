#pragma once
// The bulk programming: the chosen tables of the register(s), sent or loaded
// in one operation. The choices are kept in config.ini [GlobProg] as
// "chkEnaNN" (1 chosen, 0 not). While the operation runs GlobProgBusy is
// set, so that the shared options reads go into the queue once.
#include <string>
#include <vector>

struct ProgItem {
    const char* sendCode;  // the request code of its send ("*F")
    const char* loadCode;  // of its load ("&L"); nullptr when it cannot be loaded
    const char* loadArg;   // the load's argument ("" the whole table)
};
// The tables the window offers, in the order of the chkEnaNN keys.
const std::vector<ProgItem>& ProgItems();
// Its label: the name of its send command in the language file, or of its
// load command when send is false (the send's name for a table that cannot
// be loaded).
std::string ProgItemText(size_t index, bool send = true);

std::vector<bool> LoadProgChoices();
// Stores the choices in config.ini [GlobProg] in one replacement of the
// file; false, with errno set, when it cannot be written.
bool SaveProgChoices(const std::vector<bool>& chosen);

// Resets the transfer state (InitFlags), sets GlobProgBusy and queues every
// chosen table's send (or load). True when anything was queued; otherwise
// GlobProgBusy is cleared again.
bool StartGlobProg(bool send, const std::vector<bool>& chosen);
// While the operation runs: true. Once the link is idle with nothing
// queued, GlobProgBusy is cleared and the result is false.
bool GlobProgRunning();

// How the last bulk programming ended: every table went through, a failure
// was met on the way (listed in the progress window), or it was stopped
// before its end (the user's Cancel or the global time-out).
enum class ProgOutcome { Done, Failed, Stopped };
ProgOutcome GlobProgOutcome();
// Its text for the window's status line (section "frmProg").
std::string ProgOutcomeText(ProgOutcome outcome);
