#pragma once
// The frame of every table editor: one table file of the open register, one
// record shown at a time, chosen in the item list. The frame keeps the record
// shown (nCurItem), saves it when the user leaves it (another choice, Send,
// the editor's unload) with the question whether to keep a change, saves it
// without the question on Save, refuses a record with a field out of range
// (the status text names the record; nothing is written, Send queues
// nothing), and runs the Load and Send buttons through the request builders.
//
// An editor says only what is its own: its controls, how a record goes into
// them and back (with each field's range), its texts, its model gating and
// its requests. With its record type, RecordEditor below does the rest.
//
// A choice in the item list, made by the user or by the program, runs the
// list's Click (ItemClick) at once; the program's clearing and filling of the
// list does not.
#include <QWidget>
#include <cstdint>
#include <string>

#include "ui/editor_window.h"
#include "core/record.h"
#include "store/table_file.h"

class QComboBox;
class QHBoxLayout;
class QPushButton;

class TableEditor : public EditorWindow {
public:
    // The item list (its objectName the editor's, such as "cbxBollino") and
    // the buttons; a send-only editor has no Load button.
    QComboBox* itemList = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSend = nullptr;

    // Refills the item list from the table file and shows no record.
    void ShowConf() override;
    bool ShowsOpenRegister() const override { return true; }
    // After a read: ShowConf, but when the user changed the record shown
    // while the read ran, the record stays shown as read with the controls
    // the user changed set again over it (the list filled again), to be
    // asked about when the record is left.
    void RefreshAfterRead() override;
    // n >= 1 shows record n (when it cannot be read, no record is shown);
    // 0 empties the controls and the choice: no record is shown.
    void ShowX(int16_t n);
    // Saves record n from the controls, asking whether to keep a change when
    // ask is true (No puts the record back as it was and writes nothing).
    // n = 0 saves nothing and gives Saved. NotSaved when a field was refused
    // or the record could not be written. When a read wrote record n anew
    // while the question was open, Yes writes only the fields the user
    // changed over the record as read.
    SaveResult SaveConf(bool ask, int16_t n);
    // The record shown (0: none).
    int16_t CurItem() const { return nCurItem; }

    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdSend_Click();

protected:
    TableEditor(const char* listName, bool hasLoad);

    // --- What each editor says of its table ---
    // The number of records the list shows.
    virtual int16_t ItemCount() const = 0;
    // The list's text of record n, read from the file without a message; false
    // ends the filling.
    virtual bool ItemText(int16_t n, std::string& text) = 0;
    // Record n of the file into the edited record (false when it cannot be
    // read; the accessor has said why).
    virtual bool ReadRecord(int16_t n) = 0;
    // The edited record, record n, into the controls.
    virtual void FillControls(int16_t n) = 0;
    // The controls emptied.
    virtual void ClearControls() = 0;
    // The controls into the edited record of record n, field by field, each
    // tested against its range; false when a field was refused.
    virtual bool TakeControls(int16_t n) = 0;
    // The comparison copy: taken from the edited record, given back to it, and
    // whether the two differ.
    virtual void KeepRecord() = 0;
    virtual void DropChanges() = 0;
    virtual bool RecordChanged() const = 0;
    // Whether the two differ in the record's own fields only (nothing the
    // editor keeps beside the record, such as another file's value).
    virtual bool FieldsChanged() const { return RecordChanged(); }
    // The edited record into record n of the file (false when it cannot be
    // written; the accessor has said why).
    virtual bool WriteRecord(int16_t n) = 0;
    // The first part of the status text of a refused record n ("Stamp 3").
    virtual std::string RefusalText(int16_t n) const = 0;
    // The name of the table file in the register's folder ("" when the
    // editor's table has none).
    virtual std::string TableFile() const { return {}; }
    // The read builders of Load (true when queued) and the send builders of
    // Send.
    virtual bool Request() { return false; }
    virtual void Send() = 0;

    // Load empties the editor (no record shown, so that nothing is saved over
    // the table being read) never, when the read was queued, or always.
    enum class LoadClears { Never, WhenQueued, Always };
    LoadClears loadClears = LoadClears::WhenQueued;
    // The item list's Click.
    void ItemClick();
    // The buttons in a row on the right.
    QHBoxLayout* ButtonRow();
    // A control filled from the file after the record was (a part shown on
    // a choice of its own): only what the user changes in it from here on
    // is laid over a read.
    void NoteFilled(const QWidget* control);

    SaveResult UnloadSave() override;
    // Before an operation: a change of the record shown that can be saved is
    // asked about; false keeps the operation from starting.
    bool BeforeOperation() override;
    bool SaveBlocked() override;
    bool ChangeShown() override;
    bool HoldsData(const QWidget* control) const override;

    int16_t nCurItem = 0;

private:
    // The item list filled again from the table file; no choice.
    void FillItems();
    // The controls into the edited record of record n; a field refused drops
    // what was taken, is noted and said, and gives false.
    bool TakeRecord(int16_t n);
    // After Yes: when record n of the file is no longer the one the controls
    // were filled from (a read wrote it under the question), the controls
    // show it with the user's changes laid over, and the edited record is
    // taken from them anew. False when a field is refused then.
    bool TakeOverRead(int16_t n);
    bool inShowX_ = false;
    // What the controls showed when the record shown was filled in, last
    // saved, or when its Load began: a read's refresh lays over the rest.
    ControlValues filled_;
};

// A table editor over the records of one type: the record shown and edited
// (udtEdit), its comparison copy (udtOrig), the table's accessors, and the
// list's text of a record (its number field, trimmed).
template <class Rec>
class RecordEditor : public TableEditor {
protected:
    using Accessor = bool (*)(int16_t, Rec&);
    RecordEditor(const char* listName, bool hasLoad, const char* file, Accessor get, Accessor save)
        : TableEditor(listName, hasLoad), file_(file), get_(get), save_(save) {}

    std::string TableFile() const override { return file_; }
    bool ReadRecord(int16_t n) override { return get_(n, udtEdit); }
    bool WriteRecord(int16_t n) override { return save_(n, udtEdit); }
    void KeepRecord() override { udtOrig = udtEdit; }
    void DropChanges() override { udtEdit = udtOrig; }
    // Every field compared as text.
    bool RecordChanged() const override { return FieldsChanged(); }
    bool FieldsChanged() const override {
        return tables::RecordBytes(udtEdit) != tables::RecordBytes(udtOrig);
    }
    bool ItemText(int16_t n, std::string& text) override {
        Rec rec;
        if (!ReadQuietly(n, rec)) return false;
        text = rec.number.Trim();
        return true;
    }
    // Record n of the table file, without a message when it cannot be read.
    bool ReadQuietly(int16_t n, Rec& rec) const {
        return tables::GetRecord("", tables::TablePath(file_), n, rec, tables::Report::Silent);
    }

    Rec udtEdit{};
    Rec udtOrig{};

private:
    const char* file_;
    Accessor get_;
    Accessor save_;
};
