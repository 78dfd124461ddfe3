#pragma once
// The editor registry: one editor on screen at a time, named by its key
// ("K_FRMREPARTI", "K_FRMCOMM" ...). Showing an editor unloads the one on
// screen first (its unload saves what it shows); "K_FRMNULL" only closes the
// current one. The user cannot close an editor: only the registry (and the
// end of the run) lets one unload.
#include <functional>
#include <string>

// What the registry needs of an editor window.
class EditorForm {
public:
    virtual ~EditorForm() = default;

    // The closable property: the editor sets it false at its load; the
    // registry sets it true just before it unloads the editor. While it is
    // false the editor's unload is cancelled.
    virtual bool CanUnload() const = 0;
    virtual void SetCanUnload(bool value) = 0;

    // Shows the data of the open register again (after a read).
    virtual void ShowConf() = 0;
    // After a read from the register has ended; ShowConf unless the editor
    // keeps something of its own on screen.
    virtual void RefreshAfterRead() { ShowConf(); }
    // Editors with a chip-card view (operators, waiters, customers): true
    // while their card record is valid; the refresh then shows the card.
    virtual bool CardValid() const { return false; }
    virtual void ShowCard() {}
    // The communication settings window: shows the register's identity
    // again after a hello answer. Other editors do nothing.
    virtual void ShowData() {}
    // An operation over the registers is about to start. An editor whose
    // change the operation would not see (it sends from the files) asks
    // about it; the others do nothing. False when the operation may not
    // start (the question closed unanswered, or the change could not be
    // saved): the change stays as it was.
    virtual bool BeforeOperation() { return true; }

    // Unloads the editor: its unload step runs (saving what it shows) and
    // the window goes away. False when the unload was cancelled; the editor
    // then stays on screen.
    virtual bool Unload() = 0;
};

// Makes a new editor window of a key and loads it onto the screen; nullptr
// when it cannot.
using EditorFactory = std::function<EditorForm*()>;

inline constexpr const char* kNullFormKey = "K_FRMNULL";

// Registers the editor of a key (a later registration replaces an earlier
// one); an empty factory removes it.
void RegisterEditor(const std::string& key, EditorFactory factory);
// True when an editor is registered under the key.
bool EditorRegistered(const std::string& key);
// Forgets every registration and the editor on screen (tests).
void ClearEditorRegistry();

// Empties the status text, unloads the editor on screen and shows the
// editor of the key (created anew, so its load runs; the key already on
// screen is unloaded and loaded again). ShellState.strCurFrmKey becomes the
// key of the editor now on screen ("" when none: "K_FRMNULL", or a key
// without an editor). False when no editor of the key came on screen.
bool ShowForm(const std::string& key);

// After a read from the register has ended: empties the status text and,
// when the register just served is the one chosen in the user interface,
// asks the editor on screen to show its data again (its card view instead
// while its card record is valid). Nothing when no editor is on screen.
void RefreshForm();

// The editor on screen (nullptr when none).
EditorForm* CurrentEditor();
// An editor window is destroyed: when it is the one on screen, the registry
// forgets it (an editor that stayed when the run's windows went away).
void EditorDestroyed(const EditorForm* form);
// Lets the editor on screen unload (end of the run); true when none is left
// on screen.
bool CloseCurrentEditor();
