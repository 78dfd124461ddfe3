#include "ui/frmSplash.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "platform/files.h"
#include "engine/startup.h"
#include "ui/frmMain.h"
#include "store/plu.h"

namespace {

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Caption from the language file; a control hidden by a missing text in
// one language shows again when the next language has the text.
void Caption(QWidget* ctl, const std::string& text) {
    if (!text.empty()) ctl->setVisible(true);
    SetCtlCaption(ctl, text);
}

// A start folder without language files has no texts to give: these stand
// in for the chooser's own, so that the window still says what is missing
// and the buttons keep their captions.
const std::pair<const char*, const char*> kStandIn[] = {
    {"installation", "Installation"},
    {"customer", "Customer"},
    {"language", "Language"},
    {"nosetup", "There is no setup.ini, the list of installations and languages, in the folder "
                "the program was started in:"},
    {"nocasse", "setup.ini lists no installation (section [Casse], keys c1, c2 ...):"},
    {"nolingue", "setup.ini lists no language (section [Lingue], keys l1, l2 ...):"},
    {"nolangfile", "The language file is missing:"},
    {"nocustomer", "Choose a customer folder or type the name of a new one."},
    {"13", "OK"},
    {"14", "Cancel"},
};

std::string StandIn(const std::string& key) {
    for (const auto& [k, text] : kStandIn)
        if (key == k) return text;
    return std::string();
}

// A text of the chooser's section, or its stand-in.
std::string SplashText(const std::string& key) {
    std::string text = GetText("Splash", key);
    return text.empty() ? StandIn(key) : text;
}

}  // namespace

// ---------------------------------------------------------------- window

frmSplash::frmSplash(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSplash");
    setWindowTitle(kCompanyName);
    setModal(true);

    lblProductName = new QLabel(this);
    lblProductName->setObjectName("lblProductName");
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblProductName->setFont(big);
    lblCompany = new QLabel(this);
    lblCompany->setObjectName("lblCompany");
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* fraChoice = new QGroupBox(this);
    fraChoice->setObjectName("fraChoice");
    lbxCasse = new QListWidget(fraChoice);
    lbxCasse->setObjectName("lbxCasse");
    cbClienti = new QComboBox(fraChoice);
    cbClienti->setObjectName("cbClienti");
    cbClienti->setEditable(true);
    cbClienti->setInsertPolicy(QComboBox::NoInsert);
    lbxLingue = new QListWidget(fraChoice);
    lbxLingue->setObjectName("lbxLingue");
    lbxLingue->setMaximumHeight(72);
    chkSet = new QCheckBox(fraChoice);
    chkSet->setObjectName("chkSet");
    // Without its text from a language file the box stays hidden.
    chkSet->setVisible(false);

    lblCasse = new QLabel(fraChoice);
    lblCasse->setObjectName("lblCasse");
    lblClienti = new QLabel(fraChoice);
    lblClienti->setObjectName("lblClienti");
    lblLingue = new QLabel(fraChoice);
    lblLingue->setObjectName("lblLingue");
    auto* form = new QFormLayout(fraChoice);
    form->addRow(lblCasse, lbxCasse);
    form->addRow(lblClienti, cbClienti);
    form->addRow(lblLingue, lbxLingue);
    form->addRow(QString(), chkSet);

    lblMsg = new QLabel(this);
    lblMsg->setObjectName("lblMsg");
    lblMsg->setStyleSheet("color: #b00000;");
    lblMsg->setWordWrap(true);
    // The paths it names can be copied.
    lblMsg->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMsg->setVisible(false);

    QHBoxLayout* buttons = AddOkCancel(this, cmdOk, cmdCancel);

    auto* heading = new QHBoxLayout;
    heading->addWidget(lblCompany);
    heading->addStretch();
    heading->addWidget(lblVersion);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProductName);
    layout->addLayout(heading);
    layout->addWidget(fraChoice, 1);
    layout->addWidget(lblMsg);
    layout->addLayout(buttons);
    resize(460, 400);

    frmSplashCodeClass& code = frmSplashCode();
    code.Attach(this);
    connect(cmdOk, &QPushButton::clicked, this, [] { frmSplashCode().cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [] { frmSplashCode().cmdCancel_Click(); });
    connect(lbxCasse, &QListWidget::currentRowChanged, this,
            [] { frmSplashCode().lbxCasse_Click(); });
    connect(lbxLingue, &QListWidget::currentRowChanged, this,
            [] { frmSplashCode().lbxLingue_Click(); });
    code.Form_Load();
}

frmSplash::~frmSplash() { frmSplashCode().Attach(nullptr); }

void frmSplash::InitForm() { frmSplashCode().InitForm(); }

void frmSplash::Unload(bool ok) {
    if (ok)
        QDialog::accept();
    else
        QDialog::reject();
}

void frmSplash::closeEvent(QCloseEvent* event) {
    Startup.bSplashOK = false;
    QDialog::closeEvent(event);
}

void frmSplash::reject() {
    // Escape or the window's close box: the same as Cancel.
    Startup.bSplashOK = false;
    QDialog::reject();
}

// ---------------------------------------------------------------- code

frmSplashCodeClass& frmSplashCode() {
    static frmSplashCodeClass code;
    return code;
}

void frmSplashCodeClass::Form_Load() {
    if (!form_) return;
    frmMain::SetAppearance(form_);
    form_->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        form_->move(area.left() + (area.width() - form_->width()) / 2,
                    area.top() + (area.height() - form_->height()) / 2);
    }
    InitForm();
}

void frmSplashCodeClass::InitForm() {
    if (!form_) return;
    form_->lblCompany->setText(kCompanyName);
    form_->lblVersion->setText(kProgramRelease);

    std::vector<std::string> leftOut;
    casse_ = ReadSetupList("Casse", "c", leftOut);
    lingue_ = ReadSetupList("Lingue", "l", leftOut);
    if (lingue_.empty()) {
        // No language to choose: the texts come from the English file when
        // the start folder has one.
        Core.strLangExt = ".eng";
        Core.strLangFile = platform::JoinPath(Core.strStartDir, "Testi" + Core.strLangExt);
    }
    SetTexts();

    form_->lbxCasse->clear();
    for (const SetupListEntry& e : casse_) form_->lbxCasse->addItem(ToQt(e.name));
    if (!casse_.empty()) form_->lbxCasse->setCurrentRow(0);
    form_->lbxLingue->clear();
    for (const SetupListEntry& e : lingue_) form_->lbxLingue->addItem(ToQt(e.name));
    if (!lingue_.empty()) form_->lbxLingue->setCurrentRow(0);
    // Noted now that the first language is chosen.
    LogLeftOutEntries(leftOut);
    ShowMissing();
}

void frmSplashCodeClass::lbxCasse_Click() {
    if (!form_) return;
    form_->cbClienti->clear();
    ShowMissing();
    const int row = form_->lbxCasse->currentRow();
    if (row < 0 || row >= static_cast<int>(casse_.size())) return;
    SetupListEntry entry;
    if (!ReadSetupEntry("Casse", "c", casse_[row].keyNumber, entry)) return;

    Core.strCustDir = platform::JoinPath(Core.strStartDir, entry.name) + "/";
    ConfigLevel.InitOffLine(ModelNumber(entry.value), kProgramRelease);
    Core.strCashDir = platform::JoinPath(Core.strStartDir, ConfigLevel.CashType());
    if (!platform::DirExists(Core.strCashDir)) return;
    for (const std::string& name : ListSubfolders(Core.strCashDir))
        form_->cbClienti->addItem(ToQt(name));
    if (form_->cbClienti->count() > 0) form_->cbClienti->setCurrentIndex(0);
}

void frmSplashCodeClass::lbxLingue_Click() {
    if (!form_) return;
    const int row = form_->lbxLingue->currentRow();
    if (row < 0 || row >= static_cast<int>(lingue_.size())) return;
    SetupListEntry entry;
    if (!ReadSetupEntry("Lingue", "l", lingue_[row].keyNumber, entry)) return;
    Core.strLangExt = "." + entry.value;
    Core.strLangFile = platform::JoinPath(Core.strStartDir, "Testi" + Core.strLangExt);
    SetTexts();
    ShowMissing();
}

void frmSplashCodeClass::SetTexts() {
    Caption(form_->lblProductName, GetText("Info", "title"));
    Caption(form_->chkSet, GetText("Splash", "predef"));
    // The buttons are never hidden: without them only the window's close
    // box would end the chooser.
    for (auto [button, key] : {std::pair{form_->cmdOk, "13"}, std::pair{form_->cmdCancel, "14"}}) {
        std::string text = GetText("Comandi", key);
        button->setText(ToQt(text.empty() ? StandIn(key) : text));
    }
    form_->lblCasse->setText(ToQt(SplashText("installation")));
    form_->lblClienti->setText(ToQt(SplashText("customer")));
    form_->lblLingue->setText(ToQt(SplashText("language")));
    std::string title = GetText("Info", "title");
    form_->setWindowTitle(ToQt(title.empty() ? std::string(kCompanyName) : title));
}

void frmSplashCodeClass::ShowProblem(const std::string& key) {
    form_->lblMsg->setText(ToQt(SplashText(key)));
    form_->lblMsg->setVisible(true);
}

bool frmSplashCodeClass::ShowMissing() {
    std::vector<std::string> lines;
    if (!platform::FileExists(Core.strSetupIni)) {
        lines.push_back(SplashText("nosetup") + " " + Core.strStartDir);
    } else {
        if (casse_.empty()) lines.push_back(SplashText("nocasse") + " " + Core.strSetupIni);
        if (lingue_.empty()) lines.push_back(SplashText("nolingue") + " " + Core.strSetupIni);
    }
    if (!lingue_.empty() && !platform::FileExists(Core.strLangFile))
        lines.push_back(SplashText("nolangfile") + " " + Core.strLangFile);
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    form_->lblMsg->setText(ToQt(text));
    form_->lblMsg->setVisible(!lines.empty());
    return !lines.empty();
}

void frmSplashCodeClass::cmdOK_Click() {
    if (!form_) return;
    PLUFiles.bPredef = form_->chkSet->isChecked();
    // An installation, a customer name and a language must be there; the
    // window says which is missing.
    if (ShowMissing()) return;
    const int casseRow = form_->lbxCasse->currentRow();
    SetupListEntry installation;
    if (casseRow < 0 || casseRow >= static_cast<int>(casse_.size()) ||
        !ReadSetupEntry("Casse", "c", casse_[casseRow].keyNumber, installation))
        return;
    const std::string customer = Trim(FromQt(form_->cbClienti->currentText()));
    if (customer.empty()) {
        ShowProblem("nocustomer");
        return;
    }
    const int langRow = form_->lbxLingue->currentRow();
    SetupListEntry language;
    if (langRow < 0 || langRow >= static_cast<int>(lingue_.size()) ||
        !ReadSetupEntry("Lingue", "l", lingue_[langRow].keyNumber, language))
        return;

    // The name becomes one folder inside the model folder, nothing else.
    if (!IsValidCustomerName(customer)) {
        ShowProblem("badname");
        return;
    }
    const std::string modelDir = Core.strCashDir;
    const std::string customerDir = platform::ResolvePath(platform::JoinPath(modelDir, customer));
    if (!platform::MakeDir(customerDir)) {
        ShowProblem("nofolder");
        return;
    }
    Core.strCashDir = customerDir;
    Core.strCustDir += customerDir.substr(customerDir.find_last_of('/') + 1);

    Core.strLangExt = "." + language.value;
    Core.strLangFile = platform::JoinPath(Core.strStartDir, "Testi" + Core.strLangExt);

    Startup.bSplashOK = true;
    form_->Unload(true);
}

void frmSplashCodeClass::cmdCancel_Click() {
    Startup.bSplashOK = false;
    if (form_) form_->Unload(false);
}
