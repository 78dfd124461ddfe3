#pragma once
// The customer editor: the customer archive of the open register
// (Clienti.txt, through ClientM, in the register's record generation). The
// user types or picks a code, sees the customer, adds, changes or deletes
// it (each change goes at once into the file, which stays sorted by code),
// browses the archive in the list window, reads a range of customers from
// the register, sends a range of records, and deletes all or a range of
// customers in the register's own archive.
//
// The edit state decides what the window offers:
//   0 nothing shown, 1 a code being typed, 2 a stored customer shown,
//   3 that customer changed, 4 a new code shown with defaults, 5 that new
//   customer changed; -1 only while the fields are being filled.
#include <array>
#include <memory>

#include "store/client_file.h"
#include "ui/editor_window.h"

class FieldBox;
class MaskBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct RangeControls;

// The customer chip card of an LX4100 register, as the customer editor's
// offline card panel edits it. One record for the whole run, shared by every
// register; only the customer editor writes it.
struct CliCardRec {
    int16_t bValid = 0;               // while True the refresh shows the card
    std::string strCodice;            // card code
    int16_t nTipo = 0;                // card type, 20 to 23
    int32_t nImporto = 0;             // amount, minor currency units
    int32_t nValore = 0;              // value, minor currency units
    int32_t nRicariche = 0;           // number of recharges
    std::array<int16_t, 5> aBollini{};  // stamp counters in elements 1 to 4
    int16_t bP312 = 0;                // 128 when the card's P312 flag is set
    std::string strData;              // card date, ddmmyy
};
extern CliCardRec CliCard;

class frmClienti : public EditorWindow {
public:
    frmClienti();
    ~frmClienti() override;

    QComboBox* cbxCli = nullptr;
    QLabel* lblCodice = nullptr;
    QLabel* lblDesc[4] = {};
    FieldBox* txtDesc[4] = {};
    QLabel* lblListino = nullptr;
    FieldBox* txtListino = nullptr;
    QLabel* lblIVA = nullptr;
    FieldBox* txtIVA = nullptr;
    QLabel* lblFMult = nullptr;
    FieldBox* txtFMult = nullptr;
    QLabel* lblCredito = nullptr;
    FieldBox* txtCredito = nullptr;
    QCheckBox* chkCliFlag[3] = {};
    QLabel* lblClientGroup = nullptr;
    FieldBox* txtClientG = nullptr;
    QLabel* lblCF_PIVA = nullptr;
    FieldBox* txtCF_PIVA = nullptr;
    QLabel* lblLineaFid = nullptr;
    FieldBox* txtLineaFid = nullptr;
    QLabel* lblSaldoPunti = nullptr;
    FieldBox* txtSaldoPunti = nullptr;
    std::unique_ptr<RangeControls> range;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdMod = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdDelArc = nullptr;
    QPushButton* cmdList = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;  // hidden, no action
    QPushButton* cmdSend = nullptr;
    // The card-view panel (generations 3 and 4): read the card in the
    // register's reader into ClientChipCard.rpt, and show that file.
    QGroupBox* fraChipCard = nullptr;
    QPushButton* cmdChipCardLoad = nullptr;
    QPushButton* cmdChipCardDisplay = nullptr;
    // The offline card panel (LX4100): the card record edited by hand. The
    // card type decides which fields it shows.
    QGroupBox* fraCliCard = nullptr;
    QRadioButton* optTipo[4] = {};
    QLabel* Label1[16] = {};  // 7 to 15 used
    FieldBox* txtCodice = nullptr;
    MaskBox* mskData = nullptr;
    QCheckBox* chkP312 = nullptr;
    FieldBox* txtValore = nullptr;
    FieldBox* txtImporto = nullptr;
    FieldBox* txtRicariche = nullptr;  // display only
    FieldBox* txtBollini[4] = {};
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdRead = nullptr;
    QPushButton* cmdWrite = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;

    int16_t EditState() const { return nEditState; }
    const ClientM& Archive() const { return objCli; }

    // A change being added or modified: asks whether to save it (a field
    // refused is said and gives NotSaved, as does a save the archive
    // refused). Closed when the question was closed unanswered (nothing
    // changes).
    SaveResult TestChange(bool beforeOperation = false);
    void SetFieldsState();
    void SetModState();
    // 0: the code box and the list window rebuilt from the file, nothing
    // shown; 1: the current record's code put into the code box at its place.
    void ShowConf(int16_t mode);
    void ShowConf() override { ShowConf(0); }
    void ShowCli(const std::string& code);
    void GestAddCli();
    void GestModCli();
    void GestDelCli();
    bool SetDati();
    // Both limits a customer code: digits only, not beginning with 0, at
    // most 12; else the status text "Msg" 8 with "Msg1" 6 and false.
    bool TestLimiti(const std::string& from, const std::string& to);

    // The code box: typing, Enter, a code picked.
    void cbxCli_Change();
    void cbxCli_Enter();
    void cbxCli_Click();
    void cmdList_Click();
    void cmdLoad_Click();
    void cmdSend_Click();
    void cmdDelArc_Click();
    void cmdChipCardLoad_Click();
    void cmdChipCardDisplay_Click();

    // The offline card panel into CliCard. False, with the status text and
    // the card unchanged, when a number does not fit its field.
    bool SetCard();
    // Empties the card's data; its type and valid mark stay.
    void ClearCard();
    // CliCard into the offline card panel, when the panel shows its type.
    void ShowCard() override;
    bool CardValid() const override;
    // A card type chosen (0 to 3): the panel emptied, the type's fields shown.
    void optTipo_Click(int index);
    void cmdClear_Click();
    void cmdRead_Click();
    void cmdWrite_Click();

protected:
    void InitForm() override;
    bool ShowsOpenRegister() const override { return true; }
    // Leaving asks the change test; a change it cannot keep (a field
    // refused) is asked about before it is dropped.
    SaveResult UnloadSave() override;
    bool ChangeShown() override { return nEditState == 3 || nEditState == 5; }
    // Before an operation: a change shown is asked about (the customers are
    // sent from the file); false keeps the operation from starting.
    bool BeforeOperation() override;

private:
    int FindCliIndex(const std::string& code) const;
    void ResetCliFields();
    // Before the record shown is left (for another, a list, a transfer or a
    // card button): its change saved or dropped as the user answers. False
    // when the user keeps it (the question closed, or a value refused and
    // not dropped): the record stays on screen with the change.
    bool LeaveRecord();
    // What every card button does first: the record left as above, the
    // fields emptied; false when the user stays on the record.
    bool CardButton();
    // Hides the controls the record generation lacks.
    void GateByType();
    // The register's customer generation as the last hello tells it: when it
    // changed since the window opened, the window and the archive follow.
    void TakeGeneration();

    // The option selected (0 to 3), -1 when none.
    int SelectedTipo() const;

    ClientM objCli;
    int16_t nEditState = 0;
    std::string strCurCode;
    int16_t type_ = 0;
    bool showFMult_ = false;  // types 1, 3, 4
    bool notEnabledSaid_ = false;  // the "not enabled" box was shown in this opening
    bool showExt_ = false;    // types 3, 4: descriptions 3 and 4, group, tax code
    bool showFid_ = false;    // type 4: loyalty line and points
};
