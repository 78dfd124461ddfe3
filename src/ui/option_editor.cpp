#include "ui/option_editor.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "core/globals.h"
#include "core/link_state.h"
#include "ui/controls/editor_controls.h"
#include "engine/operation.h"

OptionEditor::OptionEditor() {
    cmdLoad = NewButton(this, "cmdLoad");
    cmdSave = NewButton(this, "cmdSave");
    cmdSend = NewButton(this, "cmdSend");
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
}

QHBoxLayout* OptionEditor::ButtonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : {cmdLoad, cmdSave, cmdSend}) row->addWidget(b);
    return row;
}

SaveResult OptionEditor::SaveConf(bool ask) {
    // Shown nothing yet, or another register's folder is open: nothing to write.
    if (!MayWriteFolder()) return SaveResult::NotSaved;
    // The editor's read writes the options when it ends: a save before
    // would be written over.
    if (ReadRunning()) {
        ShowMsg("readrunning", "");
        return SaveResult::NotSaved;
    }
    udtCassaConfSaved = udtCassaConf;
    if (!TakeConf()) return SaveResult::NotSaved;
    if (ask && TestGlbDiff()) {
        const CassaConfRec taken = udtCassaConf;
        const ControlValues edited = ShownValues();
        // Until the answer the options in memory stay as they were: a read
        // that writes Cassa.txt meanwhile writes nothing the user is asked
        // about.
        udtCassaConf = udtCassaConfSaved;
        const Reply answer = AskConfirm();
        // An operation may have put other options in memory while the
        // question was open: another register's are never touched.
        const bool replaced = udtCassaConf != udtCassaConfSaved;
        // No drops the change and writes nothing; the question closed keeps
        // it on screen, unsaved.
        if (answer != Reply::Yes) return answer == Reply::No ? SaveResult::Saved : SaveResult::Closed;
        // Yes once the folder is no longer this editor's to write (or its
        // read is under way): nothing written, the change stays on screen.
        if (!MayWriteAfterAnswer(false)) return SaveResult::NotSaved;
        if (!replaced) {
            udtCassaConf = taken;
        } else {
            // This register's options as read under the question: the
            // controls show them with only the user's changes laid over, and
            // are taken anew.
            const CassaConfRec read = udtCassaConf;
            udtCassaConf = udtCassaConfSaved;
            ShowConf();
            const ControlValues filled = ShownValues();
            udtCassaConf = read;
            ShowConf();
            LayOver(filled, edited);
            udtCassaConfSaved = udtCassaConf;
            if (!TakeConf()) return SaveResult::NotSaved;
        }
    }
    const bool changed = TestGlbDiff();
    if (!SaveCassa()) return SaveResult::NotSaved;
    // Options written back untouched are no news.
    if (changed) ShowMsg("saved", "");
    return SaveResult::Saved;
}

bool OptionEditor::TakeConf() {
    TakeRefused();
    if (SetConf()) return true;
    // The fields taken before the refusal go back too: no other editor's
    // save may write them later without the question.
    udtCassaConf = udtCassaConfSaved;
    const Refusal refused = TakeRefusal();
    NoteRefusal(refused.name, refused.control);
    ShowSaveRefused(refused.name);
    return false;
}

bool OptionEditor::ChangeShown() {
    if (WaitingForOwnFolder()) return false;
    if (!ReadRunning()) filled_.reset();
    if (filled_) return ShownValues() != *filled_;
    // Told against the editor's own register's options, never against
    // another register's that an operation has open.
    const CassaConfRec* own = OwnOptions();
    if (!own) return false;
    const Taken taken = TakeShown(*own);
    return !taken.ok || taken.changed;
}

OptionEditor::Taken OptionEditor::TakeShown(const CassaConfRec& base) {
    const CassaConfRec conf = udtCassaConf, saved = udtCassaConfSaved;
    udtCassaConf = udtCassaConfSaved = base;
    TakeRefused();
    Taken taken;
    taken.ok = SetConf();
    taken.field = TakeRefused();
    taken.changed = TestGlbDiff();
    udtCassaConf = conf;
    udtCassaConfSaved = saved;
    return taken;
}

const CassaConfRec* OptionEditor::OwnOptions() {
    if (Core.nOpenCash == LinkState.nCurCash) own_ = udtCassaConf;
    return own_ ? &*own_ : nullptr;
}

bool OptionEditor::BeforeOperation() {
    // One that cannot be saved (a value refused) stays on screen, and the
    // operation sends the file.
    const CassaConfRec* own = OwnOptions();
    if (!own || WaitingForOwnFolder() || ReadRunning()) return true;
    const Taken taken = TakeShown(*own);
    if (!taken.ok || !taken.changed) return true;
    if (SaveConf(true) != SaveResult::Saved) return false;
    ShowConf();  // the options as kept: a change dropped shows no more
    return true;
}

void OptionEditor::cmdLoad_Click() {
    // A start that is refused asks nothing; then a change shown is asked
    // about, as leaving does, before the read replaces the options.
    if (!TestCashEnabled() || !MayStartOperation()) return;
    if (ChangeShown()) {
        if (SaveConf(true) != SaveResult::Saved) return;
        ShowConf();  // the options as kept: a change dropped shows no more
    }
    const bool wasRunning = OperationRunning();
    Request();
    ReadAsked(wasRunning);
    if (ReadRunning())
        filled_ = ShownValues();
    else
        filled_.reset();
}

void OptionEditor::Filled() {
    if (filled_) filled_ = ShownValues();
}

void OptionEditor::RefreshAfterRead() {
    if (WaitingForOwnFolder()) return;
    RefreshOverEdits(filled_, [this] { ShowRead(); });
    // A value just read that the fields refuse is said now; a change kept
    // over the read is asked about when leaving instead.
    if (!ChangeShown()) SayRefusedRead();
}

void OptionEditor::SayRefusedRead() {
    const Taken taken = TakeShown(udtCassaConf);
    // The operation's result: it stays when the operation ends.
    if (!taken.ok)
        ShowResult((taken.field.empty() ? std::string() : taken.field + ": ") + GetText("Msg1", "readbad"));
}

void OptionEditor::cmdSave_Click() { SaveConf(false); }

void OptionEditor::cmdSend_Click() {
    // The send takes the options from Cassa.txt (the register is opened
    // again): they are saved first.
    if (TestCashEnabled() && SaveConf(true) == SaveResult::Saved) Send();
}

SaveResult OptionEditor::UnloadSave() {
    // Nothing shown, nothing to save or to say.
    return WaitingForOwnFolder() ? SaveResult::Saved : SaveConf(true);
}
