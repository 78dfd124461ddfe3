#pragma once
// The general options editor: the register's general operating parameters
// of the options record (flags, the VAT rates, the P019 option words, a
// date) and the register's date and time, on two tabs. Send gives the
// options to the register, optionally with the date and time in front and
// the VAT rates after them; Load reads the options and the VAT rates.
#include <cstdint>

#include "ui/option_editor.h"

class FieldBox;
class MaskBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

class frmOpGen : public OptionEditor {
public:
    frmOpGen();

    void ShowConf() override;
    // The value of the P019 boxes (which 0) or of the P019_1 boxes.
    int16_t GetConfP019(int which) const;
    // Shows the value when it lies in -6..+6; any other value changes nothing.
    void SetP017(int value);
    // The register's date and time into their boxes (nothing while unknown).
    void SetDataOra();

    QTabWidget* sstOpGen = nullptr;
    QGroupBox *Frame3 = nullptr, *Frame4 = nullptr, *Frame5 = nullptr, *Frame6 = nullptr, *Frame7 = nullptr,
              *Frame8 = nullptr, *fraDataOra = nullptr, *fraFlagGen = nullptr;
    QLabel* Label1[7] = {};
    QLabel* Label2[5] = {};
    QLabel* Label3 = nullptr;
    FieldBox* txtP016[5] = {};
    QCheckBox* chkEnaIVATab = nullptr;
    QCheckBox* chkP312[6] = {};
    QCheckBox *chkP042D = nullptr, *chkP042E = nullptr, *chkP042F = nullptr, *chkP042G = nullptr,
              *chkP042H = nullptr;
    QCheckBox *chkP040 = nullptr, *chkP041 = nullptr, *chkP012 = nullptr, *chkP015 = nullptr;
    MaskBox *mskData = nullptr, *mskOra = nullptr, *mskP601 = nullptr;
    QCheckBox* chkTxDataOra = nullptr;
    QCheckBox *chkP110D = nullptr, *chkP110E = nullptr, *chkP110G = nullptr, *chkP110H = nullptr;
    QComboBox* cbxP110F = nullptr;
    QComboBox* cbxP213 = nullptr;
    FieldBox* txtP216 = nullptr;
    QCheckBox *chkPX2A = nullptr, *chkPX2H = nullptr;
    QLabel* lblP017 = nullptr;
    QPushButton *cmdDecP017 = nullptr, *cmdIncP017 = nullptr;
    QCheckBox* chkP019[8] = {};
    QCheckBox* chkP019_1[8] = {};

protected:
    void InitForm() override;
    bool SetConf() override;
    void Request() override;
    void Send() override;

private:
    int Rates() const;
    // True when the date and time boxes hold a real date and time.
    bool DataOraValid() const;
    // The name of VAT row n in a refusal.
    std::string VatRow(int n) const;
};
