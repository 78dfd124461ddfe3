#pragma once
// The receipt options editor: the open register's receipt option bytes
// P020A, P020B and P020C (one box per bit, the bits a model lacks hidden but
// carried through; the two bits without a box written 0), the flag byte P030
// (two of its bits as two-way choices) and the numbers P031, P032 and P033.
#include <vector>

#include "ui/controls/editor_controls.h"
#include "ui/option_editor.h"

class QLabel;

class frmScontrino : public OptionEditor {
public:
    frmScontrino();

    // The receipt option boxes: byte A without the bit of 64, byte B, byte C
    // without the bit of 16.
    QCheckBox* chkP020AA = nullptr;
    QCheckBox* chkP020AC = nullptr;
    QCheckBox* chkP020AD = nullptr;
    QCheckBox* chkP020AE = nullptr;
    QCheckBox* chkP020AF = nullptr;
    QCheckBox* chkP020AG = nullptr;
    QCheckBox* chkP020AH = nullptr;
    QCheckBox* chkP020BA = nullptr;
    QCheckBox* chkP020BB = nullptr;
    QCheckBox* chkP020BC = nullptr;
    QCheckBox* chkP020BD = nullptr;
    QCheckBox* chkP020BE = nullptr;
    QCheckBox* chkP020BF = nullptr;
    QCheckBox* chkP020BG = nullptr;
    QCheckBox* chkP020BH = nullptr;
    QCheckBox* chkP020CA = nullptr;
    QCheckBox* chkP020CB = nullptr;
    QCheckBox* chkP020CC = nullptr;
    QCheckBox* chkP020CE = nullptr;
    QCheckBox* chkP020CF = nullptr;
    QCheckBox* chkP020CG = nullptr;
    QCheckBox* chkP020CH = nullptr;
    // P030: a box for each of five bits, a list for each of two.
    QCheckBox* chkP030A = nullptr;
    QComboBox* cbxP030B = nullptr;
    QComboBox* cbxP030C = nullptr;
    QCheckBox* chkP030D = nullptr;
    QCheckBox* chkP030E = nullptr;
    QCheckBox* chkP030F = nullptr;
    QCheckBox* chkP030G = nullptr;
    QCheckBox* chkP030H = nullptr;
    FieldBox* txtP031 = nullptr;
    FieldBox* txtP032 = nullptr;
    FieldBox* txtP033 = nullptr;
    QLabel* Label1[5] = {};

    void ShowConf() override;

protected:
    void InitForm() override;
    bool SetConf() override;
    void Request() override;
    void Send() override;

private:
    // A receipt option box: its byte (1 to 3), its letter and text key.
    struct ReceiptBox {
        QCheckBox* box;
        int byte;
        char letter;
        const char* key;
    };
    std::vector<ReceiptBox> receipt_;
    std::vector<FlagBox> bytes_[3];  // the boxes of P020A, P020B, P020C
    std::vector<FlagBox> p030_;      // the five boxes of P030
    // P033 exists on the model.
    static bool HasP033();
};
