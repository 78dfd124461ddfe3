#pragma once
// The application shell's own globals: the editor on screen, the main
// window's fixed width that editors size themselves by, and the values of the
// bulk programming and the reports window that the transfers read.
#include <cstdint>
#include <string>

struct ShellGlobals {
    std::string strCurFrmKey;     // key of the editor on screen ("K_FRMCOMM"); "" when none
    bool bSaveOnUnload = false;   // set by every editor's load: unloading saves what it shows
    bool bMainCanUnload = false;  // CloseOpForms has run: the main window may unload
    int32_t nMainWidth = 12000;   // the main window's width in twips, set once at its load
    bool GlobProgBusy = false;    // the bulk programming runs
    int32_t HistoryLimit = 0;     // receipt history limit in units of 1,024,000 bytes; 0 none
};
extern ShellGlobals ShellState;

// Window geometry is kept in twips, as the editors compute it; the screen
// has 15 twips to a pixel at the usual 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
inline int TwipsToPixels(int32_t twips) { return static_cast<int>(twips / kTwipsPerPixel); }
inline int32_t PixelsToTwips(int pixels) { return static_cast<int32_t>(pixels) * kTwipsPerPixel; }
