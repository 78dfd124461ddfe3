#pragma once
// The customer groups editor: one description per group of the open
// register (ClientG.txt, through ClientGroupsM); Load reads the groups from
// the register, Send writes them all, and Delete asks the register to delete
// all its groups or a range of them (the local file stays as it is).
#include <memory>

#include "store/client_groups.h"
#include "ui/table_editor.h"

class FieldBox;
class QGroupBox;
class QLabel;
struct RangeControls;

class frmGClienti : public TableEditor {
public:
    frmGClienti();
    ~frmGClienti() override;

    QComboBox* cbxClientGroup = nullptr;  // the item list
    QLabel* lblGroupCode = nullptr;
    QLabel* lblGroupDesc1 = nullptr;
    FieldBox* txtGroupDesc1 = nullptr;
    std::unique_ptr<RangeControls> range;
    QPushButton* cmdDel = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;

    // Both limits digits only, each a group 1 to nMaxClientG; else the
    // status text "Msg" 8 with "Msg1" 6 and false.
    bool TestLimiti(const std::string& from, const std::string& to);
    void cmdDel_Click();

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    bool ItemText(int16_t n, std::string& text) override;
    bool ReadRecord(int16_t n) override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    void KeepRecord() override { udtOrig = udtEdit; }
    void DropChanges() override { udtEdit = udtOrig; }
    bool RecordChanged() const override;
    bool WriteRecord(int16_t n) override;
    std::string RefusalText(int16_t n) const override;
    std::string TableFile() const override;
    bool Request() override;
    void Send() override;

private:
    void BindFile();

    ClientGroupsM objGroups;
    ClientGroupsM quietGroups_;  // the list's filling, without message boxes
    ClientGroupRec udtEdit{};
    ClientGroupRec udtOrig{};
};
