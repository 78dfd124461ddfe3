#pragma once
// The receipt header editor: the six header lines the register prints on its
// receipts (P021) and two further lines (P023), each with its print mode N,
// A or I. The mode is kept as a marker byte in front of the line's text
// (0x83 for A, 0x82 for I, none for N) in Cassa.txt and on the line; the
// window shows it as the line's mode, never as part of the text. Send
// transmits the header lines only when asked to, and a button asks the
// register to print the header.
#include "ui/controls/editor_controls.h"
#include "ui/option_editor.h"

class QGroupBox;
class QLabel;
class QRadioButton;

class frmIntScontrino : public OptionEditor {
public:
    frmIntScontrino();

    // One line: its label, text and the three mode buttons.
    struct Line {
        QLabel* label = nullptr;
        FieldBox* text = nullptr;
        QRadioButton* optN = nullptr;
        QRadioButton* optA = nullptr;
        QRadioButton* optI = nullptr;
        // The stored text as it came, and how it was shown: taken back
        // unchanged while the line on screen is still shown so.
        std::string stored;
        std::string shownText;
        const QRadioButton* shownMode = nullptr;
    };
    QGroupBox* Frame3 = nullptr;  // the header lines
    QGroupBox* Frame4 = nullptr;  // the two further lines
    Line P021[6];                 // Label2, txtP021, optP021N/A/I (0 to 5)
    Line P023[2];                 // Label1, txtP023, optP023N/A/I (0 and 1)
    QCheckBox* chkTxIntest = nullptr;
    QCheckBox* chkP022 = nullptr;
    QPushButton* cmdEnaInte = nullptr;

    void ShowConf() override;
    // A mode chosen for header line i (also when the program chooses it).
    void optP021N_Click(int i);
    void optP021A_Click(int i);
    void optP021I_Click(int i);
    void cmdEnaInte_Click();

    // The marker bytes of the modes A and I.
    static constexpr char kModeA = '\x83';
    static constexpr char kModeI = '\x82';

protected:
    void InitForm() override;
    bool SetConf() override;
    void Request() override;
    void Send() override;

private:
    Line NewLine(QGroupBox* frame, const char* label, const char* text, const char* opt, int i);
    static void ShowLine(Line& line, std::string s);
    static std::string TakeLine(const Line& line);
    static const QRadioButton* CheckedMode(const Line& line);
};
