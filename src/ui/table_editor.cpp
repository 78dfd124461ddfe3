#include "ui/table_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <utility>

#include "core/cash_list.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/operation.h"
#include "link/cmd_queue.h"

TableEditor::TableEditor(const char* listName, bool hasLoad) {
    itemList = NewList(this, listName);
    if (hasLoad) cmdLoad = NewButton(this, "cmdLoad");
    cmdSave = NewButton(this, "cmdSave");
    cmdSend = NewButton(this, "cmdSend");
    connect(itemList, &QComboBox::currentIndexChanged, this, [this] { ItemClick(); });
    if (cmdLoad) connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
}

QHBoxLayout* TableEditor::ButtonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : {cmdLoad, cmdSave, cmdSend})
        if (b) row->addWidget(b);
    return row;
}

void TableEditor::ShowConf() {
    // Nothing is shown any more before the list changes: a refresh after a
    // read never writes the record shown before it over the one just read.
    nCurItem = 0;
    FillItems();
    ShowX(0);
}

void TableEditor::FillItems() {
    std::vector<std::string> items;
    if (fields::EditorFolderReady()) {
        std::string text;
        for (int16_t n = 1; n <= ItemCount() && ItemText(n, text); ++n) items.push_back(text);
    }
    FillList(itemList, items);
}

void TableEditor::RefreshAfterRead() {
    const int16_t kept = nCurItem;
    if (kept == 0 || !ChangeShown()) {
        ShowConf();
        return;
    }
    const ControlValues edited = ShownValues(), filled = filled_;
    FillItems();
    if (kept > itemList->count() || !ReadRecord(kept)) {
        ShowConf();
        return;
    }
    {
        const QSignalBlocker quiet(itemList);
        itemList->setCurrentIndex(kept - 1);
    }
    nCurItem = kept;
    FillControls(kept);
    filled_ = ShownValues();
    LayOver(filled, edited);
    // Said once, after the register's last command: a read of several tables
    // refreshes after each.
    if (ChangeShown() && !CmdQueuePending()) ShowMsg("readkept", "");
}

void TableEditor::NoteFilled(const QWidget* control) {
    for (const auto& [w, v] : ShownValues()) {
        if (w != control) continue;
        for (auto& entry : filled_)
            if (entry.first == control) {
                entry.second = v;
                return;
            }
        filled_.emplace_back(w, v);
        return;
    }
}

bool TableEditor::HoldsData(const QWidget* control) const {
    return control != static_cast<const QWidget*>(itemList);
}

void TableEditor::ShowX(int16_t n) {
    if (inShowX_) return;
    inShowX_ = true;
    if (n >= 1 && fields::EditorFolderReady() && ReadRecord(n)) {
        FillControls(n);
        filled_ = ShownValues();
    } else {
        // No record (or one that cannot be read): nothing is shown, so that
        // nothing of another record can be saved under its number.
        nCurItem = 0;
        if (itemList->currentIndex() != -1) {
            QSignalBlocker quiet(itemList);
            itemList->setCurrentIndex(-1);
        }
        ClearControls();
        filled_.clear();
    }
    inShowX_ = false;
}

void TableEditor::ItemClick() {
    // The record being left is saved (with the question). A change that
    // cannot be saved (a field refused, a read of the table running) is asked
    // about: the user keeps it and the record stays shown, or drops it.
    if (nCurItem != 0 && !LeaveShown([this] { return SaveConf(true, nCurItem); }, itemList, nCurItem)) return;
    const int16_t n = ListChoice(itemList);
    if (n != 0) {
        nCurItem = n;
        ShowX(n);
    } else {
        ShowX(0);
    }
}

bool TableEditor::TakeRecord(int16_t n) {
    TakeRefused();
    if (TakeControls(n)) return true;
    // Nothing of a refused record stays: the fields taken before the
    // refusal go back too, so that no later save writes them unasked.
    DropChanges();
    const Refusal refused = TakeRefusal();
    const std::string& field = refused.name;
    NoteRefusal(RefusalText(n) + (field.empty() ? "" : ", " + field), refused.control);
    ShowMsgText(RefusalText(n), (field.empty() ? "" : field + ": ") + GetText("Errori", "8"));
    return false;
}

bool TableEditor::TakeOverRead(int16_t n) {
    // The edited record as the controls were filled (or last saved), then
    // the file's record n now: the same, and the controls are taken as they
    // were.
    DropChanges();
    const bool readOver = ReadRecord(n) && FieldsChanged();
    KeepRecord();
    if (!readOver) return TakeRecord(n);
    const ControlValues edited = ShownValues();
    FillControls(n);
    // What the controls show as read from here on, before the user's
    // changes go back over it (a part shown again on the way notes itself).
    const ControlValues before = std::exchange(filled_, ShownValues());
    LayOver(before, edited);
    return TakeRecord(n);
}

SaveResult TableEditor::SaveConf(bool ask, int16_t n) {
    if (n == 0) return SaveResult::Saved;
    if (!MayWriteFolder()) return SaveResult::NotSaved;
    // While a read of the table runs (asked by this editor, or under way
    // with its records going into the read's copy of the file), a save would
    // be written over by the read, or lost with a read abandoned.
    if (SaveBlocked()) {
        ShowMsg("readrunning", "");
        return SaveResult::NotSaved;
    }
    KeepRecord();
    if (!TakeRecord(n)) return SaveResult::NotSaved;
    if (ask && RecordChanged()) {
        const Reply answer = AskConfirm();
        // No puts the record back: there is nothing to write. The question
        // closed: nothing written, the change stays on screen.
        if (answer != Reply::Yes) {
            DropChanges();
            return answer == Reply::No ? SaveResult::Saved : SaveResult::Closed;
        }
        // Yes once the operation has another register's folder open (or a
        // read of the table under way): nothing written, the change stays
        // on screen.
        if (!MayWriteAfterAnswer()) {
            DropChanges();
            return SaveResult::NotSaved;
        }
        // A read that ended under the question is not written back over:
        // only what the user changed goes over it.
        if (!TakeOverRead(n)) return SaveResult::NotSaved;
    }
    const bool changed = RecordChanged();
    if (!WriteRecord(n)) return SaveResult::NotSaved;
    // What is saved is no longer the user's change: a read's refresh lays
    // over only what is changed from here on.
    if (n == nCurItem && !ChangeShown()) filled_ = ShownValues();
    // An untouched record written back is no news.
    if (changed) ShowMsg("saved", "");
    return SaveResult::Saved;
}

bool TableEditor::SaveBlocked() {
    return ReadRunning() || (!TableFile().empty() && tables::TableBeingRead(TableFile()));
}

bool TableEditor::ChangeShown() {
    if (nCurItem == 0) return false;
    KeepRecord();
    TakeRefused();
    const bool changed = !TakeControls(nCurItem) || RecordChanged();
    TakeRefused();
    DropChanges();
    return changed;
}

void TableEditor::cmdLoad_Click() {
    // A start that is refused asks nothing; then a change of the record
    // shown is asked about, as leaving it does, before the read replaces it.
    if (!TestCashEnabled() || !MayStartOperation()) return;
    if (ChangeShown()) {
        if (SaveConf(true, nCurItem) != SaveResult::Saved) return;
        ShowX(nCurItem);  // the record as kept: a change dropped shows no more
    }
    // The record shown is as the file keeps it: what the user changes from
    // here on is laid over the read.
    if (nCurItem != 0) filled_ = ShownValues();
    const bool wasRunning = OperationRunning();
    const bool queued = Request();
    ReadAsked(wasRunning);
    if (loadClears == LoadClears::Always || (loadClears == LoadClears::WhenQueued && queued))
        ShowX(0);
}

void TableEditor::cmdSave_Click() { SaveConf(false, ListChoice(itemList)); }

void TableEditor::cmdSend_Click() {
    if (!TestCashEnabled()) return;
    if (SaveConf(true, ListChoice(itemList)) == SaveResult::Saved) Send();
}

bool TableEditor::BeforeOperation() {
    // The operation sends from the table file: a change of the record shown
    // is asked about first, as leaving it does. One that cannot be saved (a
    // value refused) stays on screen, and the operation sends the file.
    if (nCurItem == 0) return true;
    KeepRecord();
    TakeRefused();
    const bool changed = TakeControls(nCurItem) && RecordChanged();
    TakeRefused();
    DropChanges();
    if (!changed) return true;
    if (SaveConf(true, nCurItem) != SaveResult::Saved) return false;
    ShowX(nCurItem);
    return true;
}

SaveResult TableEditor::UnloadSave() { return SaveConf(true, ListChoice(itemList)); }
