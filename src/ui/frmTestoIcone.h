#pragma once
// The icon texts editor: the short messages the register shows with an icon
// (IconText.txt), each an icon number and up to five lines. The number of
// messages and the characters of a line are the open register's.
#include "ui/table_editor.h"
#include "store/icon_texts.h"

class FieldBox;
class QLabel;

class frmTestoIcone : public RecordEditor<IconTextRec> {
public:
    frmTestoIcone();

    QComboBox* cbxNMessaggio = nullptr;  // the item list
    QLabel* lblNMessaggio = nullptr;
    QLabel* lblNIcona = nullptr;
    FieldBox* txtNIcona = nullptr;
    QLabel* lblLinea[IconTextRec::kLines] = {};
    FieldBox* txtLinea[IconTextRec::kLines] = {};

protected:
    void InitForm() override;
    int16_t ItemCount() const override;
    bool ItemText(int16_t n, std::string& text) override;
    bool ReadRecord(int16_t n) override;
    bool WriteRecord(int16_t n) override;
    void FillControls(int16_t n) override;
    void ClearControls() override;
    bool TakeControls(int16_t n) override;
    bool RecordChanged() const override;
    std::string RefusalText(int16_t n) const override;
    bool Request() override;
    void Send() override;

private:
    int Lines() const;
    // The whole records IconText.txt holds.
    int32_t RecordsInFile() const;
};
