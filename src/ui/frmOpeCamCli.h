#pragma once
// The operator, waiter and customer options: option bits and two codes of
// parameter 50, the options of parameters 310 and 311 and, on LX4100, the
// text of parameter 346. Saving never refuses and never clears the status
// text.
#include <cstdint>

#include "ui/option_editor.h"

class FieldBox;
class QCheckBox;
class QLabel;

class frmOpeCamCli : public OptionEditor {
public:
    frmOpeCamCli();

    void ShowConf() override;

    QLabel* Label1[3] = {};
    QLabel* lblWarning = nullptr;
    FieldBox *txtP050C = nullptr, *txtP050P = nullptr, *txtP346 = nullptr;
    QCheckBox* chkP310 = nullptr;
    QCheckBox *chkP311F = nullptr, *chkP311G = nullptr, *chkP311H = nullptr;
    QCheckBox *chkP050A = nullptr, *chkP050B = nullptr, *chkP050C = nullptr;

protected:
    void InitForm() override;
    bool SetConf() override;
    void Request() override;
    void Send() override;

private:
    // P310 as shown: a value a box cannot hold (2 and more) is written back
    // as it was unless the user changes the box.
    int16_t nShownP310 = 0;
};
