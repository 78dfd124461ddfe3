#pragma once
// The wait display of the main window: while a command is in progress the
// progress window shows the register, the command's place in the queue, its
// description and the seconds since the wait began.
#include <string>

struct WaitTexts {
    std::string cassa;        // "Progress" "cassa", the folder number (station + 1)
    std::string comando;      // "Progress" "comando", nCmdCur "/" nCmdNum
    std::string description;  // the queue entry's description
    std::string elapsed;      // "Progress" "tempo", the seconds in the form "0.0"
};

// The texts of the wait display for the command in progress, elapsed
// seconds after the wait began.
WaitTexts MakeWaitTexts(double elapsedSeconds);

// Seconds with one decimal, with the system's decimal separator ("12,3").
std::string FormatTenths(double seconds);
