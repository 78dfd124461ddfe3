#pragma once
// The loyalty lines dialog: the three loyalty lines (0, 1, 2) of one
// department or of the receipt subtotal. The caller puts the record's lines
// into LineeFid and the text naming the record into strLineeFidCaption,
// shows the dialog modally and, when it has closed, writes back whatever
// LineeFid holds. The dialog touches no file: an edit reaches LineeFid only
// through OK and a Yes to the question whether to keep it.
#include <QDialog>
#include <cstdint>
#include <string>

#include "store/loyalty.h"

class FieldBox;
class QComboBox;
class QLabel;
class QPushButton;

// The record under edit and the text that names it.
extern LineeFidRec LineeFid;
extern std::string strLineeFidCaption;

class frmLineeFid : public QDialog {
    Q_OBJECT
public:
    explicit frmLineeFid(QWidget* parent = nullptr);

    QLabel* lblSourceDesc = nullptr;
    QLabel* lblLineaFid = nullptr;
    QComboBox* cbxLineaFid = nullptr;
    QLabel* lblTipo = nullptr;
    FieldBox* txtTipo = nullptr;
    QLabel* lblCalcolo = nullptr;
    FieldBox* txtCalcolo = nullptr;
    QLabel* lblStep1 = nullptr;
    FieldBox* txtStep1 = nullptr;
    QLabel* lblStep2 = nullptr;
    FieldBox* txtStep2 = nullptr;
    QLabel* lblSoglia1 = nullptr;
    FieldBox* txtSoglia1 = nullptr;
    QLabel* lblSoglia2 = nullptr;
    FieldBox* txtSoglia2 = nullptr;
    QLabel* lblValore1 = nullptr;
    FieldBox* txtValore1 = nullptr;
    QLabel* lblValore2 = nullptr;
    FieldBox* txtValore2 = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdAnnulla = nullptr;

    void InitForm();
    void ShowConf();
    void SetFieldsState();
    // The shown fields into line `line` of the working copy, each field
    // tested by itself (a refused one keeps its value); false when one was
    // refused, the status text then naming the line. A line outside 0..2:
    // true.
    bool SaveTmpSlot(int16_t line);
    // Shows line `line` of the working copy; false outside 0..2.
    bool LoadTmpSlot(int16_t line);
    // When the working copy differs from LineeFid, asks whether to keep it;
    // Yes copies it into LineeFid. False when the question was closed
    // unanswered.
    bool TestChange();

    void cbxLineaFid_Click();
    void cmdClear_Click();
    void cmdOk_Click();
    void cmdAnnulla_Click();

    const LineeFidRec& Edited() const { return udtEdit; }
    int16_t CurLine() const { return nCurLine; }

private:
    LineeFidRec udtEdit{};
    int16_t nCurLine = -1;
};

// What a caller does: the lines into LineeFid, the caption from section
// "frmLineeFid" key `captionKey`, the dialog shown modally, and LineeFid
// back into the lines (after OK and after Cancel alike).
void EditLoyaltyLines(LineeFidRec& lines, const std::string& captionKey);

// A record's loyalty lines with every field zero ("0", "0", "00000000" x 6),
// the lines of a record that could not be read.
LineeFidRec ZeroLoyaltyLines();
