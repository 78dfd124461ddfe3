#pragma once
// The change loading editor: for each of the register's denominations the
// number of pieces loaded into its change (RResto.txt). The table is only
// sent: there is no Load button. Its texts come from the section named
// after the window, one key per control.
#include "ui/table_editor.h"
#include "store/currencies.h"

class FieldBox;
class QGroupBox;
class QLabel;

class frmCaricaResto : public RecordEditor<RRestoRec> {
public:
    frmCaricaResto();

    QComboBox* cbxTaglioCoin = nullptr;  // the item list: the denominations' names
    QLabel* lblTaglioCoin = nullptr;
    FieldBox* txtNumPezzi = nullptr;
    QLabel* lblNumPezzi = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdResetAll = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;

    // The count of the denomination shown becomes 0 on screen.
    void cmdReset_Click();
    // Every count of the file becomes 0 at once; no denomination is shown.
    void cmdResetAll_Click();

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    bool ItemText(int16_t n, std::string& text) override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    std::string RefusalText(int16_t n) const override;
    void Send() override;
};
