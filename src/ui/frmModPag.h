#pragma once
// The payment types editor: the register's payment types (ModPag.txt), each
// a description, six flags and three values; on the models with meal tickets
// also the amounts of the 15 ticket denominations of each meal-ticket payment
// type, 6 to 39 (TicketAmount.txt), and the request that clears the
// register's meal-ticket data. A denomination is shown only while its payment
// type is shown; leaving it saves the payment type and the amount together.
#include <vector>

#include "ui/controls/editor_controls.h"
#include "ui/table_editor.h"
#include "store/payments.h"

class QGroupBox;
class QLabel;

class frmModPag : public RecordEditor<ModPagRec> {
public:
    frmModPag();

    QComboBox* cbxModPag = nullptr;  // the item list
    QLabel* Label1[7] = {};
    FieldBox* txtP520 = nullptr;     // description
    FieldBox* txtP522 = nullptr;     // amounts
    FieldBox* txtP523 = nullptr;
    FieldBox* txtP524 = nullptr;     // a whole number
    QCheckBox* chkP521A = nullptr;   // flags 128, 16, 8, 4, 2, 1
    QCheckBox* chkP521D = nullptr;
    QCheckBox* chkP521E = nullptr;
    QCheckBox* chkP521F = nullptr;
    QCheckBox* chkP521G = nullptr;
    QCheckBox* chkP521H = nullptr;
    QGroupBox* frameTicket = nullptr;
    QComboBox* cbxTagliTicket = nullptr;  // the denominations 1 to 15
    FieldBox* txtTicketAmount = nullptr;
    QPushButton* cmdDelTicketData = nullptr;

    void cbxTagliTicket_Click();
    void cmdDelTicketData_Click();
    // The denomination shown (0: none).
    int16_t CurTicket() const { return nCurTicket; }

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    void KeepRecord() override;
    void DropChanges() override;
    bool RecordChanged() const override;
    bool WriteRecord(int16_t n) override;
    std::string RefusalText(int16_t n) const override;
    bool Request() override;
    void Send() override;

private:
    static bool IsTicketType(int16_t n) { return n >= 6 && n <= 39; }
    // The meal-ticket amounts travel with the payment types: option P517 D
    // set, on a model that has meal tickets.
    static bool TicketsTravel();
    void EnableTicket(bool on);
    void ForgetTicket();

    std::vector<FlagBox> flags_;
    int16_t nCurTicket = 0;          // the denomination shown, 0 when none
    TicketAmountRec udtTicket{};     // its record
    std::string strTicketShown;      // the amount as last shown or saved
    bool ticketDropped_ = false;     // the question's No dropped the amount's change
};
