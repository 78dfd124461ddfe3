#pragma once
// The frame of every option editor: a group of the register's options,
// shown from and taken into the working copy of the options record
// (udtCassaConf), saved into the register's Cassa.txt with the question
// whether to keep a change (the saved copy udtCassaConfSaved is the
// comparison copy), and the Load and Send buttons through the request
// builders. A refused field leaves the working copy and Cassa.txt as they
// were, with the status text "Msg" 9 - "Msg1" 3.
//
// An editor says only what is its own: its controls, how its fields go into
// them and back (with each field's range), its texts, its model gating and
// its requests.
#include <QWidget>
#include <optional>
#include <string>

#include "core/cassa_conf.h"

#include "ui/editor_window.h"

class QHBoxLayout;
class QPushButton;

class OptionEditor : public EditorWindow {
public:
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSend = nullptr;

    // Saves the options shown, asking whether to keep a change when ask is
    // true. NotSaved when a field was refused or Cassa.txt could not be
    // written.
    virtual SaveResult SaveConf(bool ask);

    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdSend_Click();

protected:
    OptionEditor();

    // The controls into the working copy, field by field, each tested
    // against its range; false when a field was refused.
    virtual bool SetConf() = 0;
    // The read builders of Load and the send builders of Send.
    virtual void Request() = 0;
    virtual void Send() = 0;

    QHBoxLayout* ButtonRow();
    bool ShowsOpenRegister() const override { return true; }
    // An operation may open other registers' folders, whose options then
    // fill the working copy: the editor's own are kept for telling a change.
    // A change shown is asked about first, as leaving does: the operation
    // sends from Cassa.txt. False keeps it from starting (the question
    // closed, or Cassa.txt not written).
    bool BeforeOperation() override;
    SaveResult UnloadSave() override;
    bool ChangeShown() override;
    // After a read: the options as read, with the controls that the user
    // changed while the read ran set again over them (asked about when
    // leaving).
    void RefreshAfterRead() override;
    // The options as read, shown by the read's refresh (ShowConf; an editor
    // that shows one part of the options at a time shows that part again).
    virtual void ShowRead() { ShowConf(); }
    // The controls were just filled from the options: while the editor's
    // read runs, a change is told from what they show now.
    void Filled();

private:
    // The controls into the working copy; a field refused puts the copy
    // back as it was, is noted and said, and gives false.
    bool TakeConf();
    // The options of the register chosen: the working copy while its folder
    // is open (kept then), else the copy kept last (nullptr when none).
    const CassaConfRec* OwnOptions();
    // The controls taken over base as a save would take them, into a copy
    // (nothing is written): whether every field was taken, the field
    // refused, and whether the options taken differ from base.
    struct Taken {
        bool ok = false, changed = false;
        std::string field;
    };
    Taken TakeShown(const CassaConfRec& base);
    std::optional<CassaConfRec> own_;
    // A value just read that the editor's fields refuse is named in the
    // status text now, not only by every later save.
    void SayRefusedRead();
    // While the editor's read runs, what the controls showed when they were
    // last filled: the read fills the working copy line by line, so a change
    // is told from these, never from the options record.
    std::optional<ControlValues> filled_;
};
