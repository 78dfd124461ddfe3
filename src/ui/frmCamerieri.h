#pragma once
// The waiters editor: the open register's waiters (Camerieri.txt), one name
// each. On LX4100 its card frame also reads, writes and erases the waiter
// chip card in the register's reader, shown in controls of its own.
#include "ui/controls/editor_controls.h"
#include "ui/table_editor.h"
#include "store/operators.h"

class QGroupBox;
class QLabel;

class frmCamerieri : public RecordEditor<NameRec> {
public:
    frmCamerieri();

    QComboBox* cbxCam = nullptr;  // the item list
    FieldBox* txtP330 = nullptr;
    QLabel* Label1[8] = {};
    QGroupBox* Frame50 = nullptr;
    // The card frame.
    QGroupBox* Frame3 = nullptr;
    FieldBox* txtNumero = nullptr;
    FieldBox* txtChiave = nullptr;
    FieldBox* txtClienti = nullptr;
    FieldBox* txtArticoli = nullptr;
    FieldBox* txtVendite = nullptr;
    QLineEdit* mskData = nullptr;
    QPushButton* cmdRead = nullptr;
    QPushButton* cmdWrite = nullptr;
    QPushButton* cmdClear = nullptr;
    QGroupBox* Frame2 = nullptr;  // the frame's buttons

    // The card controls into the card record; always true.
    bool SetCard();
    // The card record into the card controls.
    void ShowCard() override;
    bool CardValid() const override;

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
    std::string RefusalText(int16_t n) const override;
    bool Request() override;
    void Send() override;
};
