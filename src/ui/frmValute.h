#pragma once
// The currencies editor: the open register's four currencies (Valute.txt),
// each an exchange rate, a name and the setting P532 ("0" or "2"); and the
// program's own number of currency decimals, which every amount of every
// editor follows from the moment it is typed.
#include "ui/table_editor.h"
#include "store/currencies.h"

class FieldBox;
class QGroupBox;
class QLabel;

class frmValute : public RecordEditor<ValutaRec> {
public:
    frmValute();

    QComboBox* cbxValute = nullptr;  // the item list
    FieldBox* txtP531 = nullptr;     // name
    FieldBox* txtP530 = nullptr;     // exchange rate
    QComboBox* cbxP532 = nullptr;
    QLabel* Label1[4] = {};
    QLabel* lblCurrencyDecimals = nullptr;
    FieldBox* txtCurrencyDecimals = nullptr;
    QLabel* lblWarningCurrDec = nullptr;
    QGroupBox* Frame50 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;

    // The decimals box changed (also when the program sets it).
    void txtCurrencyDecimals_Change();

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
