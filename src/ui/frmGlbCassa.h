#pragma once
// The register-wide options editor: the open register's options P510 to
// P519 (two flags, four amounts, a choice among five values, three texts and
// seven option bits, of which bit D switches the meal-ticket transfers on).
// LX4100 has only the first flag, the first two amounts and the choice.
#include <vector>

#include "ui/controls/editor_controls.h"
#include "ui/option_editor.h"

class QGroupBox;
class QLabel;

class frmGlbCassa : public OptionEditor {
public:
    frmGlbCassa();

    QGroupBox* Frame50 = nullptr;  // the options
    QGroupBox* Frame2 = nullptr;   // the buttons
    QCheckBox* chkP510A = nullptr;
    QCheckBox* chkP510B = nullptr;
    FieldBox* txtP511 = nullptr;
    FieldBox* txtP512 = nullptr;
    QComboBox* cbxP513 = nullptr;
    FieldBox* txtP514 = nullptr;
    FieldBox* txtP515 = nullptr;
    FieldBox* txtP516 = nullptr;
    QCheckBox* chkP517[7] = {};  // chkP517A to chkP517G
    FieldBox* txtP518 = nullptr;
    FieldBox* txtP519 = nullptr;
    QLabel* Label1[8] = {};

    void ShowConf() override;

protected:
    void InitForm() override;
    bool SetConf() override;
    void Request() override;
    void Send() override;

private:
    static bool IsLX4100();
    std::vector<FlagBox> p517_;
};
