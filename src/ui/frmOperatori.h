#pragma once
// The operators editor: the open register's operators (Operatori.txt), each a
// code, a second code, a name and three rights values edited bit by bit. On
// LX4100 its card frame also reads, writes and erases the operator chip card
// in the register's reader; a card read is shown in the operator's controls.
#include "ui/controls/editor_controls.h"
#include "ui/table_editor.h"
#include "store/operators.h"

class QGroupBox;
class QLabel;
class QRadioButton;

class frmOperatori : public RecordEditor<OpeRec> {
public:
    frmOperatori();

    QComboBox* cbxOpe = nullptr;  // the item list
    FieldBox* txtP320C = nullptr;
    FieldBox* txtP320S = nullptr;
    FieldBox* txtP321 = nullptr;
    QLabel* Label1[5] = {};
    QGroupBox* Frame5 = nullptr;  // rights value 1
    QGroupBox* Frame4 = nullptr;  // rights value 2
    QGroupBox* Frame3 = nullptr;  // rights value 3
    // The rights boxes by name ("chkP322AD"), in the order of their texts.
    QCheckBox* Check(const char* name) const;
    // The card frame.
    QGroupBox* Frame6 = nullptr;
    QLineEdit* mskData = nullptr;
    QRadioButton* optCard[2] = {};
    QPushButton* cmdRead = nullptr;
    QPushButton* cmdWrite = nullptr;
    QPushButton* cmdClear = nullptr;
    QGroupBox* Frame2 = nullptr;  // the frame's buttons

    // The operator shown into the card record; always true.
    bool SetCard();
    // The card record into the operator's controls.
    void ShowCard() override;
    bool CardValid() const override;
    // The list filled again; the operator shown before is shown again, as
    // the file now holds it (after a read from the register).
    void ShowConf() override;

    void cmdRead_Click();
    void cmdWrite_Click();
    void cmdClear_Click();

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    bool ItemText(int16_t n, std::string& text) override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    bool RecordChanged() const override;
    std::string RefusalText(int16_t n) const override;
    bool Request() override;
    void Send() override;

private:
    // The boxes of rights value k (1 to 3).
    std::vector<FlagBox> rights_[3];
    std::vector<std::pair<const char*, QCheckBox*>> named_;
    void CardButtons(bool enabled);
};
