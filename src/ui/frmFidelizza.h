#pragma once
// The loyalty settings: the ten customer circularity slots of the open
// register (CirCli.txt: a code of digits and "*", and a loyalty line 0 to 2)
// and, behind a button, the loyalty lines of the receipt subtotal
// (SubFid.txt). Load and Send move both tables, on the models that have them
// and only when the register's option P019_1 has the bit 64.
#include "ui/table_editor.h"
#include "store/loyalty.h"

class FieldBox;
class QGroupBox;
class QLabel;

class frmFidelizza : public RecordEditor<CirCliRec> {
public:
    frmFidelizza();

    QGroupBox* fmeCircolarita = nullptr;
    QGroupBox* fmeFidelizzaSbt = nullptr;
    QGroupBox* Frame3 = nullptr;
    QComboBox* cbxSlot = nullptr;  // the item list
    QLabel* lblSlot = nullptr;
    QLabel* lblCircolarita = nullptr;
    QLabel* lblLineaFid = nullptr;
    FieldBox* txtCircolarita = nullptr;
    FieldBox* txtLineaFid = nullptr;
    QPushButton* cmdAzzera = nullptr;
    QPushButton* cmdFidSbt = nullptr;

    // True for an empty code or one of digits and "*" only.
    static bool CheckCirc(const std::string& text);

    void cmdAzzera_Click();
    void cmdFidSbt_Click();
    // Saves the slot shown first; then queues the subtotal's lines always
    // and the circularity table when the slot was saved.
    void cmdSend_Click();

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

private:
    // The register has the loyalty tables and the option to move them.
    static bool LoyaltyTransfers();
};
