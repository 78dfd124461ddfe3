#pragma once
// The window every editor is made of: a child window of the main window that
// stands to the right of the tree window, with the tree window's top and
// height, and as wide as the main window's fixed width less the tree's width
// and 200 twips. The user cannot close it: only the editor registry (and the
// end of the run) lets it unload.
//
// An editor derives from EditorWindow, builds its controls, and shows itself
// with Show(new MyEditor) from the factory it registers:
//   RegisterEditor("K_FRMBOLLINI", [] { return EditorWindow::Show(new frmBollini); });
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/shell.h"
#include "engine/registry.h"

class QComboBox;
class QMdiSubWindow;

class EditorWindow : public QWidget, public EditorForm {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Places the editor in the main window and runs its load step; the
    // editor then is on screen. Returns the editor (nullptr without a main
    // window, the editor then deleted).
    static EditorForm* Show(EditorWindow* editor);

    // EditorForm
    bool CanUnload() const override { return bCanUnload_; }
    void SetCanUnload(bool value) override { bCanUnload_ = value; }
    void ShowConf() override {}
    bool Unload() override;

    // The placement rule, in twips: left, top, width and height in the main
    // window's client area, from the tree window's place and nMainWidth.
    struct Placement {
        int32_t left = 0, top = 0, width = 0, height = 0;
    };
    static Placement EditorPlacement(int32_t treeLeft, int32_t treeTop, int32_t treeWidth,
                                     int32_t treeHeight, int32_t mainWidth);

protected:
    // The load step of every editor: appearance, placement, the closable
    // property false and bSaveOnUnload true; then InitForm and ShowConf.
    void Form_Load();
    // The editor's texts and lists.
    virtual void InitForm() {}
    // The editor shows the open register's data (its options record, its
    // keys, its table files, its model's lists), which an operation replaces
    // with those of each register it opens. Opened while another register's
    // folder is open, such an editor shows nothing, takes no input and comes
    // on screen anew once the operation has ended.
    virtual bool ShowsOpenRegister() const { return false; }
    // Whether the editor, opened now, waits as above: by default an editor
    // that shows the open register's data, while another register's folder
    // is open.
    virtual bool WaitsAtLoad() const;
    // The status text (language section "Msg") of the wait.
    virtual const char* WaitTextKey() const { return "otherfolder"; }
    // It waits so: nothing it shows may be saved or told a change.
    bool WaitingForOwnFolder() const { return waitingFolder_; }
    // The one guard of every window that writes a register's files: false,
    // with the status text saying why, while the editor waits for its
    // register's folder or an operation has another register's folder open.
    bool MayWriteFolder() const;
    // The guard asked again once a question about a save is answered: the
    // operation may have opened another register's folder, or begun a read,
    // under the question. False (the status saying why) keeps the change:
    // not saved, not dropped, and leaving stays at it. `replaced`: what the
    // save took was replaced under the question (a folder opened anew).
    bool MayWriteAfterAnswer(bool replaced = false);
    // The editor's own unload step (saving what it shows); runs only when
    // the unload is allowed.
    virtual void Form_Unload() {}
    // The save of the unload step: NotSaved when what is shown could not be
    // saved (a value refused), so that leaving asks first; Closed when its
    // question was closed unanswered, so that the editor stays.
    virtual SaveResult UnloadSave() {
        Form_Unload();
        return SaveResult::Saved;
    }

    void closeEvent(QCloseEvent* event) override;

    // After the Load button's request, with whether an operation ran before
    // it: an operation that runs now is the editor's read.
    void ReadAsked(bool wasRunning);
    // The editor's read runs (from the moment it was asked until its
    // operation ends): a save now would be written over by the read, or lost
    // with it.
    bool ReadRunning();
    // A save now would go into a running read (the editor's own, or for a
    // table editor any read of its table).
    virtual bool SaveBlocked() { return ReadRunning(); }
    // The controls show something that a save would write (a value refused
    // counts too). Nothing is written or asked.
    virtual bool ChangeShown() { return false; }
    // Before the editor leaves what it shows: save saves it when a save can
    // be made. A change that cannot be saved (a read runs, or save refused a
    // value) is asked about; a save whose question was closed unanswered
    // asks nothing more. True when the editor may leave (saved, nothing to
    // lose, or the user drops the change); false keeps the user where the
    // change is: list (when given) shows item `shown` (numbered from 1)
    // again, and the field refused gets the focus.
    bool LeaveShown(const std::function<SaveResult()>& save, QComboBox* list = nullptr, int shown = 0);
    // The list shows item `shown` again, without a choice made.
    static void StayAt(QComboBox* list, int shown);
    // A save refused the field (its name and box): noted for the question
    // on leaving. Each save forgets the one before.
    void NoteRefusal(const std::string& field, QWidget* control);

    // What the editor's data controls show, control by control: the text of
    // a text box, the tick of a check box or option button, the choice of a
    // list, the value of a number box. A read that ends is laid under the
    // user's edits with it: the values the controls were filled with are
    // kept, and the controls the user changed since are set again over what
    // the read filled in.
    using ControlValues = std::vector<std::pair<QPointer<QWidget>, QVariant>>;
    ControlValues ShownValues() const;
    // Sets every control whose value in edited differs from its value in
    // filled to its value in edited (lists first, then the boxes to tick,
    // then the texts).
    static void LayOver(const ControlValues& filled, const ControlValues& edited);
    // The control holds a value of the editor's record (not a choice of
    // what to show, nor a setting that applies at once).
    virtual bool HoldsData(const QWidget* control) const;
    // The read's refresh of an editor that keeps, while its own read runs,
    // what its controls were filled with (filled; empty when the read is
    // not its own). Without a change the editor shows its data again
    // (ShowConf). With a change shown: during its own read, showRead fills
    // the controls with what was read and the user's changed controls are
    // laid over it; after another read, the change stays whole on screen.
    // Either way a change left on screen is said in the status text.
    void RefreshOverEdits(std::optional<ControlValues>& filled, const std::function<void()>& showRead);

private:
    void WaitForOwnFolder();

    bool bCanUnload_ = false;
    std::string refusedField_;         // the field the last save refused
    QPointer<QWidget> refusedControl_;  // and its box
    bool readRunning_ = false;
    bool keptAfterAnswer_ = false;
    bool waitingFolder_ = false;
    QMdiSubWindow* frame_ = nullptr;
};
