#include "ui/frmHello.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/globals.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "core/hello_rec.h"
#include "ui/frmMain.h"

namespace {


QPointer<frmHello> instance;

const char* const kCaptionKeys[5] = {"mode", "name", "info", "release", "dataora"};

}  // namespace

frmHello* frmHello::Instance() {
    if (!instance) instance = new frmHello(fMainForm);
    return instance;
}

bool frmHello::Exists() { return !instance.isNull(); }

void frmHello::Unload() {
    if (instance) delete instance.data();
}

frmHello::frmHello(QWidget* parent) : QDialog(parent) {
    setObjectName("frmHello");
    setModal(false);

    auto* fields = new QGridLayout;
    std::array<QLabel**, 5> values = {&lblMode, &lblName, &lblInfo, &lblVersion, &lblDataOra};
    const char* names[5] = {"lblMode", "lblName", "lblInfo", "lblVersion", "lblDataOra"};
    for (int i = 0; i < 5; ++i) {
        captions_[i] = new QLabel(this);
        captions_[i]->setObjectName(QString("lblCaption_") + kCaptionKeys[i]);
        *values[i] = new QLabel(this);
        (*values[i])->setObjectName(names[i]);
        (*values[i])->setTextInteractionFlags(Qt::TextSelectableByMouse);
        fields->addWidget(captions_[i], i, 0);
        fields->addWidget(*values[i], i, 1);
    }
    fields->setColumnStretch(1, 1);

    // The status words, most significant bit on the left.
    auto* bits = new QGridLayout;
    for (int b = 0; b < kBits; ++b) {
        auto* head = new QLabel(QString::number(1 << (kBits - 1 - b)), this);
        head->setAlignment(Qt::AlignCenter);
        bits->addWidget(head, 0, b + 1);
    }
    for (int w = 0; w < kWords; ++w) {
        lblWord[w] = new QLabel(this);
        lblWord[w]->setObjectName(QString("lblWord_%1").arg(w));
        bits->addWidget(lblWord[w], w + 1, 0);
        for (int b = 0; b < kBits; ++b) {
            QCheckBox* box = new QCheckBox(this);
            box->setObjectName(QString("chkBit_%1").arg(w * kBits + b));
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            box->setFocusPolicy(Qt::NoFocus);
            chkBit[w * kBits + b] = box;
            bits->addWidget(box, w + 1, kBits - b, Qt::AlignCenter);
        }
    }

    cmdOk = new QPushButton(this);
    cmdOk->setObjectName("cmdOk");
    connect(cmdOk, &QPushButton::clicked, this, [this] { close(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(bits);
    layout->addLayout(RightAlignedRow({cmdOk}));
    frmMain::SetAppearance(this);
}

void frmHello::InitForm() {
    setWindowTitle(ToQt(GetText("Hello", "caption")));
    for (int i = 0; i < 5; ++i) SetCtlCaption(captions_[i], GetText("Hello", kCaptionKeys[i]));
    SetCtlCaption(cmdOk, GetText("Comandi", "13"));

    lblMode->setText(QString::number(HelloRec.HelloStatus[0] & 7));
    lblName->setText(ToQt(HelloRec.strHelloName));
    lblInfo->setText(ToQt(HelloRec.strHelloInfo));
    lblVersion->setText(ToQt(HelloRec.strHelloVersion));
    lblDataOra->setText(ToQt(HelloRec.strDataOra));
    for (int w = 0; w < kWords; ++w) {
        const int word = HelloRec.HelloStatus[w];
        std::string caption = GetText("Hello", "word" + std::to_string(w));
        lblWord[w]->setText(ToQt(caption) + QString(" (%1)").arg(word));
        for (int b = 0; b < kBits; ++b) chkBit[w * kBits + b]->setChecked((word >> b) & 1);
    }
    adjustSize();
}

void frmHello::closeEvent(QCloseEvent* event) {
    // Closed by the user: the next hello shows it anew.
    Core.bHelloShown = false;
    QDialog::closeEvent(event);
}
