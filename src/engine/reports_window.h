#pragma once
// What the reports window does that is logic: the reports it offers, each
// started as an operation of its own that runs on every register enabled for
// work in turn (each register's files land in its own folder), the receipt
// history with its size limit and start mode, and the daily closure.
#include <cstdint>
#include <string>
#include <vector>

// One report of the window: its caption's key in section "frmRapporti", the
// request token and the file its lines land in. The reports the installation's
// model keeps, in the window's order.
struct ReportEntry {
    const char* key;
    const char* token;
    const char* file;
};
std::vector<ReportEntry> ReportEntries();

// The width of a customer code: the upper limit of the customer range is
// that many 9s.
inline constexpr int kCustomerCodeWidth = 12;
std::string AllCustomersUpTo();

// Starts report `index` (the register chosen in the user interface must be
// enabled for work); the
// customer-group report takes the customer code range, the PLU reports the
// code range (proposed to the range window, updated with the choice). False
// when nothing was queued (the register not enabled, the report not kept by
// the register, the range window cancelled).
bool StartReport(size_t index, const std::string& cliFrom, const std::string& cliTo,
                 std::string& pluRange);
// The receipt history and the daily closure, likewise.
bool StartHistory();
bool StartClosure();
// The path of a report's file, or of Storico.txt or Chiusura.txt, in the
// folder of the register open now.
std::string RegisterFilePath(const std::string& name);

// The history limit in units of 1,024,000 bytes (0: none): config.ini
// [Generiche] "hstlimit", into ShellState.HistoryLimit.
int32_t LoadHistoryLimit();
// Sets it for the run and writes it to config.ini; false when it cannot be
// written (the limit still holds for the run).
bool SetHistoryLimit(int32_t units);
// How the next history read of the open register starts (0 after the last
// line received, 1 from the start, 2 the "****:**" form), written to its
// Cassa.txt; false when it cannot be written.
bool SetHistoryMode(int16_t mode);
