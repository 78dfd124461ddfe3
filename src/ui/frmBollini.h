#pragma once
// The stamps editor: the open register's four stamps (Bollini.txt), each a
// type and two rows of four numbers: the thresholds P431, amounts of money
// for type 0 and plain numbers otherwise, and the values P432.
#include "ui/table_editor.h"
#include "store/discounts.h"

class FieldBox;
class QGroupBox;
class QLabel;

class frmBollini : public RecordEditor<BollinoRec> {
public:
    frmBollini();

    QComboBox* cbxBollino = nullptr;  // the item list
    QComboBox* cbxP430 = nullptr;     // type: amounts (0) or numbers (1)
    FieldBox* txtP431[4] = {};
    FieldBox* txtP432[4] = {};
    QLabel* Label1[4] = {};
    QGroupBox* Frame50 = nullptr;
    QGroupBox* Frame2 = nullptr;

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    std::string RefusalText(int16_t n) const override;
    bool Request() override;
    void Send() override;
};
