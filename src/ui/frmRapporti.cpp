#include "ui/frmRapporti.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "link/cmd_queue.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "engine/operation.h"
#include "engine/reports_window.h"
#include "ui/frmMain.h"

namespace {

frmRapporti* instance = nullptr;

constexpr const char* kSection = "frmRapporti";
constexpr int kMaxLimitUnits = 2000;  // 2,048,000,000 bytes

std::string Text(const std::string& key) { return GetText(kSection, key); }

template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

}  // namespace

frmRapporti::frmRapporti(QWidget* parent) : QDialog(parent) {
    setObjectName("frmRapporti");
    setModal(false);

    fraReports = Named(new QGroupBox(this), "fraReports");
    lstReports = Named(new QListWidget(fraReports), "lstReports");
    lblCliFrom = Named(new QLabel(fraReports), "lblCliFrom");
    txtCliFrom = Named(new QLineEdit(fraReports), "txtCliFrom");
    lblCliTo = Named(new QLabel(fraReports), "lblCliTo");
    txtCliTo = Named(new QLineEdit(fraReports), "txtCliTo");
    for (QLineEdit* code : {txtCliFrom, txtCliTo}) {
        code->setMaxLength(kCustomerCodeWidth);
        code->setMinimumWidth(code->fontMetrics().horizontalAdvance(QString(kCustomerCodeWidth + 2, '9')));
    }
    cmdRequest = Named(new QPushButton(fraReports), "cmdRequest");
    cmdShow = Named(new QPushButton(fraReports), "cmdShow");
    cmdEditor = Named(new QPushButton(fraReports), "cmdEditor");
    lblReach = Named(new QLabel(fraReports), "lblReach");
    lblReach->setWordWrap(true);

    auto* range = new QHBoxLayout;
    range->addWidget(lblCliFrom);
    range->addWidget(txtCliFrom, 1);
    range->addWidget(lblCliTo);
    range->addWidget(txtCliTo, 1);
    auto* reportButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdRequest, cmdShow, cmdEditor}) reportButtons->addWidget(b);
    auto* reports = new QVBoxLayout(fraReports);
    reports->addWidget(lstReports, 1);
    reports->addLayout(range);
    reports->addLayout(reportButtons);
    reports->addWidget(lblReach);

    fraStorico = Named(new QGroupBox(this), "fraStorico");
    lblHistoryLimit = Named(new QLabel(fraStorico), "lblHistoryLimit");
    lblHistoryLimit->setWordWrap(true);
    txtHistoryLimit = Named(new QSpinBox(fraStorico), "txtHistoryLimit");
    txtHistoryLimit->setRange(0, kMaxLimitUnits);
    auto* history = new QGridLayout(fraStorico);
    history->addWidget(lblHistoryLimit, 0, 0);
    history->addWidget(txtHistoryLimit, 0, 1);
    for (int i = 0; i < 3; ++i) {
        optB90Type[i] = new QRadioButton(fraStorico);
        optB90Type[i]->setObjectName(QString("optB90Type%1").arg(i));
        history->addWidget(optB90Type[i], i + 1, 0, 1, 2);
        connect(optB90Type[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) HistoryModeChosen(i);
        });
    }
    cmdStorico = Named(new QPushButton(fraStorico), "cmdStorico");
    history->addWidget(cmdStorico, 4, 0, 1, 2, Qt::AlignRight);

    fraChiusura = Named(new QGroupBox(this), "fraChiusura");
    cmdChiusura = Named(new QPushButton(fraChiusura), "cmdChiusura");
    auto* closure = new QHBoxLayout(fraChiusura);
    closure->addWidget(cmdChiusura);
    closure->addStretch(1);

    lblReportFile = Named(new QLabel(this), "lblReportFile");
    lblReportFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path wraps within the viewer's width instead of widening the window.
    lblReportFile->setWordWrap(true);
    lblReportFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    txtReport = Named(new QPlainTextEdit(this), "txtReport");
    txtReport->setReadOnly(true);
    txtReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtReport->setMinimumWidth(420);
    cmdClose = Named(new QPushButton(this), "cmdClose");

    auto* left = new QVBoxLayout;
    left->addWidget(fraReports, 1);
    left->addWidget(fraStorico);
    left->addWidget(fraChiusura);
    auto* right = new QVBoxLayout;
    right->addWidget(lblReportFile);
    right->addWidget(txtReport, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);

    tmrWatch_ = new QTimer(this);
    tmrWatch_->setObjectName("tmrWatch");
    tmrWatch_->setInterval(200);
    connect(tmrWatch_, &QTimer::timeout, this, [this] { WatchOperation(); });
    connect(cmdRequest, &QPushButton::clicked, this, [this] { cmdRequest_Click(); });
    connect(cmdShow, &QPushButton::clicked, this, [this] { cmdShow_Click(); });
    connect(cmdEditor, &QPushButton::clicked, this, [this] { cmdEditor_Click(); });
    connect(cmdStorico, &QPushButton::clicked, this, [this] { cmdStorico_Click(); });
    connect(cmdChiusura, &QPushButton::clicked, this, [this] { cmdChiusura_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(lstReports, &QListWidget::itemDoubleClicked, this, [this] { cmdShow_Click(); });
    // The customer range belongs to the customer-group report.
    connect(lstReports, &QListWidget::currentRowChanged, this, [this](int row) {
        const bool customers =
            row >= 0 && row < static_cast<int>(ReportEntries().size()) &&
            std::string(ReportEntries()[static_cast<size_t>(row)].token) == "*c";
        for (QWidget* c : std::initializer_list<QWidget*>{lblCliFrom, txtCliFrom, lblCliTo, txtCliTo})
            c->setEnabled(customers);
    });
    // The current row is the report Request starts: it stays selected, also
    // after a click on the list's empty space, which clears the selection
    // and leaves only a focus frame on the current row.
    connect(lstReports, &QListWidget::itemSelectionChanged, this, [this] {
        if (lstReports->selectedItems().isEmpty() && lstReports->currentItem())
            lstReports->currentItem()->setSelected(true);
    });
    connect(txtHistoryLimit, &QSpinBox::valueChanged, this,
            [this](int units) { HistoryLimitChanged(units); });

    frmMain::SetAppearance(this);
    txtReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(920, 680);  // room for every report and the longer texts of each language
}

frmRapporti::~frmRapporti() {
    if (instance == this) instance = nullptr;
}

frmRapporti* frmRapporti::Instance() {
    if (!instance) instance = new frmRapporti(fMainForm);
    return instance;
}

bool frmRapporti::Exists() { return instance != nullptr; }

void frmRapporti::ShowWindow() {
    frmRapporti* w = Instance();
    w->InitForm();
    w->show();
    w->raise();
    w->activateWindow();
}

void frmRapporti::Unload() { delete instance; }

void frmRapporti::InitForm() {
    filling_ = true;
    // Each caption is the text of the control's own name.
    for (QWidget* w : std::initializer_list<QWidget*>{
             this, fraReports, lblCliFrom, lblCliTo, cmdRequest, cmdShow, cmdEditor, fraStorico,
             lblHistoryLimit, optB90Type[0], optB90Type[1], optB90Type[2], cmdStorico, fraChiusura,
             cmdChiusura, cmdClose})
        SetCtlCaption(w, Text(FromQt(w->objectName())));

    const int row = lstReports->currentRow();
    lstReports->clear();
    bool groups = false;
    for (const ReportEntry& e : ReportEntries()) {
        lstReports->addItem(ToQt(Text(e.key)));
        groups = groups || std::string(e.token) == "*c";
    }
    // The customer range belongs to the customer-group report: no range where
    // the model keeps no customer groups.
    if (!groups)
        for (QWidget* c : std::initializer_list<QWidget*>{lblCliFrom, txtCliFrom, lblCliTo, txtCliTo})
            c->hide();
    // Every report in sight, in every language: the list as tall as its rows.
    if (lstReports->count() > 0)
        lstReports->setMinimumHeight(lstReports->sizeHintForRow(0) * lstReports->count() +
                                     2 * lstReports->frameWidth());
    lstReports->setCurrentRow(row < 0 ? 0 : row);
    if (txtCliFrom->text().isEmpty()) txtCliFrom->setText("1");
    if (txtCliTo->text().isEmpty()) txtCliTo->setText(ToQt(AllCustomersUpTo()));

    txtHistoryLimit->setValue(std::min<int32_t>(LoadHistoryLimit(), kMaxLimitUnits));
    const int mode = CassaFile.nB90Type;
    optB90Type[mode >= 0 && mode <= 2 ? mode : 0]->setChecked(true);
    ShowReach();
    filling_ = false;
}

void frmRapporti::ShowReach() {
    const std::string names = OperationReachNames();
    lblReach->setText(ToQt(names.empty() ? Text("reachnone") : Text("lblReach") + " " + names));
}

void frmRapporti::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) ShowReach();
}

std::string frmRapporti::SelectedFile() const {
    const int row = lstReports->currentRow();
    if (row < 0 || row >= static_cast<int>(ReportEntries().size())) return std::string();
    return ReportEntries()[static_cast<size_t>(row)].file;
}

void frmRapporti::cmdRequest_Click() {
    const int row = lstReports->currentRow();
    if (row < 0) return;
    ShowReach();
    if (!StartReport(static_cast<size_t>(row), FromQt(txtCliFrom->text().trimmed()),
                     FromQt(txtCliTo->text().trimmed()), pluRange_))
        return;
    awaited_ = SelectedFile();
    tmrWatch_->start();
}

void frmRapporti::cmdShow_Click() {
    const std::string file = SelectedFile();
    if (!file.empty()) ShowFile(file);
}

void frmRapporti::cmdEditor_Click() {
    const std::string path = RegisterFilePath(SelectedFile());
    if (!platform::FileExists(path)) {
        ShowFile(SelectedFile());
        return;
    }
    std::string error;
    // The system's reason follows the program's own words.
    if (!platform::OpenInTextEditor(path, error))
        QMessageBox::warning(this, windowTitle(), ToQt(Text("noeditor") + " " + error));
}

void frmRapporti::cmdStorico_Click() {
    ShowReach();
    if (!StartHistory()) return;
    awaited_ = "Storico.txt";
    tmrWatch_->start();
}

void frmRapporti::cmdChiusura_Click() {
    // The closure ends the day of every register it reaches: asked first,
    // naming them (none: the start is refused and says why).
    ShowReach();
    // While another operation runs the start is refused before anything is asked.
    if (OperationRunning() && !MayStartOperation()) return;
    const std::string names = OperationReachNames();
    if (!names.empty() && !CurrentShell().AskYesNo(Text("askclosure") + " " + names, Text("fraChiusura"))) return;
    if (!StartClosure()) return;
    awaited_ = "Chiusura.txt";
    tmrWatch_->start();
}

void frmRapporti::ShowFile(const std::string& name) {
    const std::string path = RegisterFilePath(name);
    std::string bytes;
    if (!platform::FileExists(path) || !platform::ReadFile(path, bytes)) {
        txtReport->clear();
        lblReportFile->setText(ToQt(Text("nofile") + " " + path));
        return;
    }
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        if (c != '\r') text += c;
    // A report without lines is said, not shown as a blank pane.
    const bool empty = text.find_first_not_of(" \n") == std::string::npos;
    lblReportFile->setText(ToQt(empty ? Text("nolines") + " " + path : path));
    txtReport->setPlainText(ToQt(text));
}

void frmRapporti::WatchOperation() {
    // The operation's end is followed at the main timer's next tick.
    if (ExchangeRunning() || Operation.bSeen) return;
    tmrWatch_->stop();
    ShowReach();
    if (awaited_.empty()) return;
    const std::string name = awaited_;
    awaited_.clear();
    // Only a file the register shown sent in this operation: an earlier one
    // is never shown as its result.
    if (OperationStoredFile(Core.nOpenCash)) {
        ShowFile(name);
        return;
    }
    txtReport->clear();
    lblReportFile->setText(ToQt(Text("notreceived") + " " + RegisterFilePath(name)));
}

void frmRapporti::HistoryLimitChanged(int units) {
    if (filling_) return;
    if (!SetHistoryLimit(units))
        QMessageBox::warning(this, windowTitle(), ToQt(GetText("Log", "nowrite")));
}

void frmRapporti::HistoryModeChosen(int mode) {
    if (filling_) return;
    if (!SetHistoryMode(static_cast<int16_t>(mode)))
        QMessageBox::warning(this, windowTitle(), ToQt(GetText("Log", "nowrite")));
}
