#pragma once
// The period icons editor: the register's date periods, each a start date,
// an end date and the icon the register shows during it, kept in the options
// record. One period is shown at a time, chosen in a list; leaving it saves
// it. Send gives all periods to the register, Load reads them.
#include <cstdint>

#include "ui/option_editor.h"

class FieldBox;
class MaskBox;
class QComboBox;
class QLabel;

class frmIconePeriodo : public OptionEditor {
public:
    frmIconePeriodo();
    ~frmIconePeriodo() override;

    void ShowConf() override;
    // Shows period n (1 to 10); 0 clears the window and the choice.
    void ShowPeriodo(int16_t n);
    // Saves period n (nothing for 0, nor for a period other than the one
    // shown), asking about a change when ask is true.
    SaveResult SaveConf(bool ask, int16_t n);
    // Save, Send and closing save the period chosen in the list.
    SaveResult SaveConf(bool ask) override;
    void cbxNPeriodo_Click();
    int16_t CurPeriodo() const { return nCurPeriodo; }

    QComboBox* cbxNPeriodo = nullptr;
    QLabel *lblNPeriodo = nullptr, *lblNIcona = nullptr, *lblInizio = nullptr, *lblFine = nullptr;
    FieldBox* txtNIcona = nullptr;
    MaskBox *medDataInizio = nullptr, *medDataFine = nullptr;

protected:
    void InitForm() override;
    bool SetConf() override;
    bool ChangeShown() override;
    bool HoldsData(const QWidget* control) const override;
    void ShowRead() override { ShowPeriodo(nCurPeriodo); }
    void Request() override;
    void Send() override;

private:
    int16_t nCurPeriodo = 0;
    bool bClearing = false;    // ShowPeriodo(0) is deselecting the list
};
