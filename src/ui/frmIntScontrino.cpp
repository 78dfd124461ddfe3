#include "ui/frmIntScontrino.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "core/field_rules.h"
#include "engine/builders_tables.h"
#include "link/cmd_queue.h"
#include "engine/cycle.h"

frmIntScontrino::frmIntScontrino() {
    setObjectName("frmIntScontrino");
    Frame3 = NewFrame(this, "Frame3");
    Frame4 = NewFrame(this, "Frame4");
    auto* header = new QGridLayout(Frame3);
    for (int i = 0; i < 6; ++i) {
        P021[i] = NewLine(Frame3, "Label2", "txtP021", "optP021", i);
        header->addWidget(P021[i].label, i, 0);
        header->addWidget(P021[i].text, i, 1, Qt::AlignLeft);
        header->addWidget(P021[i].optN->parentWidget(), i, 2, Qt::AlignLeft);
        connect(P021[i].optN, &QRadioButton::toggled, this, [this, i](bool on) { if (on) optP021N_Click(i); });
        connect(P021[i].optA, &QRadioButton::toggled, this, [this, i](bool on) { if (on) optP021A_Click(i); });
        connect(P021[i].optI, &QRadioButton::toggled, this, [this, i](bool on) { if (on) optP021I_Click(i); });
    }
    header->setColumnStretch(3, 1);
    auto* further = new QGridLayout(Frame4);
    for (int i = 0; i < 2; ++i) {
        P023[i] = NewLine(Frame4, "Label1", "txtP023", "optP023", i);
        further->addWidget(P023[i].label, i, 0);
        further->addWidget(P023[i].text, i, 1, Qt::AlignLeft);
        further->addWidget(P023[i].optN->parentWidget(), i, 2, Qt::AlignLeft);
    }
    further->setColumnStretch(3, 1);

    chkTxIntest = NewCheck(this, "chkTxIntest");
    chkP022 = NewCheck(this, "chkP022");
    chkP022->hide();  // P022 is kept, never shown
    cmdEnaInte = NewButton(this, "cmdEnaInte");
    connect(cmdEnaInte, &QPushButton::clicked, this, [this] { cmdEnaInte_Click(); });

    auto* enable = new QHBoxLayout;
    enable->addWidget(cmdEnaInte);
    enable->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame3);
    layout->addWidget(Frame4);
    layout->addWidget(chkTxIntest);
    layout->addLayout(enable);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
}

frmIntScontrino::Line frmIntScontrino::NewLine(QGroupBox* frame, const char* label, const char* text,
                                               const char* opt, int i) {
    Line line;
    line.label = NewLabel(frame, ArrayName(label, i));
    line.text = new FieldBox(frame, ArrayName(text, i), 30);
    // The three mode buttons of a line stand in a box of their own, which
    // makes them one exclusive group.
    auto* modes = new QWidget(frame);
    auto* row = new QHBoxLayout(modes);
    row->setContentsMargins(0, 0, 0, 0);
    line.optN = new QRadioButton(modes);
    line.optA = new QRadioButton(modes);
    line.optI = new QRadioButton(modes);
    line.optN->setObjectName(ArrayName((std::string(opt) + "N").c_str(), i));
    line.optA->setObjectName(ArrayName((std::string(opt) + "A").c_str(), i));
    line.optI->setObjectName(ArrayName((std::string(opt) + "I").c_str(), i));
    for (QRadioButton* b : {line.optN, line.optA, line.optI}) row->addWidget(b);
    return line;
}

void frmIntScontrino::InitForm() {
    NumberedTexts(this, "7");
    const std::string word = GetText("7", "3");
    const std::string modes[3] = {GetText("7", "4"), GetText("7", "5"), GetText("7", "6")};
    SetCaption(Frame3, "7", "1");
    SetCaption(Frame4, "7", "2");
    const int16_t length = ConfigLevel.GetMaxDescrLen();
    for (Line& l : P021) l.text->SetLimit(length);
    for (Line& l : P023) l.text->SetLimit(length);
    auto texts = [&](Line& l, int i) {
        SetCtlCaption(l.label, word + " " + std::to_string(i + 1));
        SetCtlCaption(l.optN, modes[0]);
        SetCtlCaption(l.optA, modes[1]);
        SetCtlCaption(l.optI, modes[2]);
    };
    for (int i = 0; i < 6; ++i) texts(P021[i], i);
    for (int i = 0; i < 2; ++i) texts(P023[i], i);
    SetCaption(chkTxIntest, "7", "7");
    SetCaption(chkP022, "7", "8");
    SetCaption(cmdEnaInte, "7", "9");
}

// The mode from the marker in front of the text: A (0x83), then I (0x82),
// each only in a line of two characters or more; the markers found are taken
// off. Choosing a mode raises its Click, so a line in mode I ends with its box
// locked, holding the stored text.
void frmIntScontrino::ShowLine(Line& line, std::string s) {
    line.stored = s;
    line.optN->setChecked(true);
    if (s.size() >= 2 && s[0] == kModeA) {
        line.optA->setChecked(true);
        s.erase(0, 1);
    }
    if (s.size() >= 2 && s[0] == kModeI) {
        line.optI->setChecked(true);
        s.erase(0, 1);
    }
    line.text->Show(s);
    line.shownText = line.text->Text();
    line.shownMode = CheckedMode(line);
}

const QRadioButton* frmIntScontrino::CheckedMode(const Line& line) {
    for (const QRadioButton* b : {line.optA, line.optI})
        if (b->isChecked()) return b;
    return line.optN;
}

void frmIntScontrino::ShowConf() {
    CassaConfRec& c = udtCassaConf;
    for (int n = 1; n <= 6; ++n) ShowLine(P021[n - 1], c.P021[n]);
    chkP022->setChecked(c.P022 != 0);
    for (int n = 1; n <= 2; ++n) ShowLine(P023[n - 1], c.P023[n]);
}

void frmIntScontrino::optP021N_Click(int i) { P021[i].text->setEnabled(true); }

void frmIntScontrino::optP021A_Click(int i) { P021[i].text->setEnabled(true); }

void frmIntScontrino::optP021I_Click(int i) {
    P021[i].text->Show("21");
    P021[i].text->setEnabled(false);
}

// The marker of the mode chosen, then the text as it stands (blanks kept, as
// they place the text on the receipt); the field separators become blanks,
// so that a line never shifts the lines after it on the way to the register.
// A line the user left as it was shown is the stored text as it came (two
// markers, a separator, a text longer than the box takes): a Save with
// nothing changed rewrites nothing and says nothing.
std::string frmIntScontrino::TakeLine(const Line& line) {
    if (line.shownMode && CheckedMode(line) == line.shownMode && line.text->Text() == line.shownText)
        return line.stored;
    std::string marker;
    if (line.optA->isChecked()) marker = std::string(1, kModeA);
    if (line.optI->isChecked()) marker = std::string(1, kModeI);
    return marker + fields::WireSafe(line.text->Text());
}

bool frmIntScontrino::SetConf() {
    CassaConfRec& c = udtCassaConf;
    for (int n = 1; n <= 6; ++n) c.P021[n] = TakeLine(P021[n - 1]);
    // P022 has no place on screen: whatever its value, it stays as loaded.
    for (int n = 1; n <= 2; ++n) c.P023[n] = TakeLine(P023[n - 1]);
    return true;
}

void frmIntScontrino::Request() { ReqIntScontrino(); }

void frmIntScontrino::Send() { SendIntScontrino(chkTxIntest->isChecked() ? 0 : 2); }

void frmIntScontrino::cmdEnaInte_Click() {
    // A request of its own: a new cycle over the chosen registers.
    if (!NextCash(true)) return;
    std::string command = "*2;+4;#a;*3;";
    AddCmd(command, 0, 0.5f, GetProtocolText("#a"));
    SaveCmdQueue();
}
