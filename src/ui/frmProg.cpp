#include "ui/frmProg.h"

#include <algorithm>
#include <cerrno>

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "link/cmd_queue.h"
#include "platform/files.h"
#include "engine/bulk_prog.h"
#include "engine/operation.h"
#include "ui/frmMain.h"
#include "ui/frmDocument.h"

frmProg::frmProg(QWidget* parent) : QDialog(parent) {
    setObjectName("frmProg");
    // No minimise button of its own: owned by the main window (above it
    // during a run), it is minimised and restored with the program.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* grid = new QGridLayout;
    // Three columns: a low window, so that the progress window of its run
    // finds room below it.
    const size_t n = ProgItems().size();
    const size_t rows = (n + 2) / 3;
    for (size_t i = 0; i < n; ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString("chkEna%1").arg(static_cast<int>(i), 2, 10, QChar('0')));
        chkEna.push_back(box);
        grid->addWidget(box, static_cast<int>(i % rows), static_cast<int>(i / rows));
    }
    pgbProg = new QProgressBar(this);
    pgbProg->setObjectName("pgbProg");
    // Empty until a run moves it.
    pgbProg->setRange(0, 1);
    pgbProg->setValue(0);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName("lblStatus");
    // The status text it follows may be long: cut, never widening the window.
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdSend = new QPushButton(this);
    cmdSend->setObjectName("cmdSend");
    cmdLoad = new QPushButton(this);
    cmdLoad->setObjectName("cmdLoad");
    cmdClose = new QPushButton(this);
    cmdClose->setObjectName("cmdClose");
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    tmrProg_ = new QTimer(this);
    tmrProg_->setInterval(200);
    connect(tmrProg_, &QTimer::timeout, this, [this] { tmrProg_Timer(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdLoad);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(pgbProg);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);
    InitForm();
}

void frmProg::InitForm() {
    std::string title = GetText("Menu", "globprog");
    // The menu's text without its shortcut mark and its trailing dots.
    title.erase(std::remove(title.begin(), title.end(), '&'), title.end());
    while (!title.empty() && (title.back() == '.' || title.back() == ' ')) title.pop_back();
    setWindowTitle(ToQt(title));
    const std::vector<bool> chosen = LoadProgChoices();
    for (size_t i = 0; i < chkEna.size(); ++i) chkEna[i]->setChecked(i < chosen.size() && chosen[i]);
    SetCtlCaption(cmdSend, GetText("Comandi", "4"));
    SetCtlCaption(cmdLoad, GetText("Comandi", "2"));
    const bool idle = !GlobProgRunning();
    if (idle) {
        // Opened again after a run: the last run's outcome is not this one's.
        SetItemTexts(true);
        pgbProg->setRange(0, 1);
        pgbProg->setValue(0);
        lblStatus->clear();
    }
    Enable(idle);
}

void frmProg::ShowAtHand() {
    InitForm();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmProg::SetItemTexts(bool send) {
    // A label is at most a third of the screen wide (cut short, whole in its
    // tip): the three columns never push the buttons off the screen.
    const QScreen* room = screen() ? screen() : QGuiApplication::primaryScreen();
    const int column = room ? room->availableGeometry().width() / 3 - 60 : 300;
    for (size_t i = 0; i < chkEna.size(); ++i) {
        const QString text = ToQt(ProgItemText(i, send));
        chkEna[i]->setText(chkEna[i]->fontMetrics().elidedText(text, Qt::ElideRight, column));
        chkEna[i]->setToolTip(text);
    }
    KeepOnScreen();
}

void frmProg::KeepOnScreen() {
    if (!isVisible() || !screen()) return;
    layout()->activate();
    const QRect room = screen()->availableGeometry();
    QRect frame = frameGeometry();
    if (frame.right() > room.right()) frame.moveRight(room.right());
    if (frame.bottom() > room.bottom()) frame.moveBottom(room.bottom());
    if (frame.left() < room.left()) frame.moveLeft(room.left());
    if (frame.top() < room.top()) frame.moveTop(room.top());
    move(frame.topLeft());
}

void frmProg::cmdClose_Click() {
    if (!GlobProgRunning()) {
        close();
        return;
    }
    // Once the last register's commands are over only the closing pause is
    // left, and the run's success stands.
    if (!OperationWorkLeft()) {
        ShowMsg("runending", "");
        return;
    }
    // A Cancel already taken (Escape or the close box after the button) is
    // said once.
    if (LinkState.AbortRequest || MainTimer.bCancelAfterClosing) return;
    LinkState.AbortRequest = true;
    LogErr(6, OpenTurnSubject());
}

void frmProg::reject() {
    // Escape: Cancel during a run (the run stops), Close otherwise.
    if (GlobProgRunning())
        cmdClose_Click();
    else
        QDialog::reject();
}

void frmProg::closeEvent(QCloseEvent* event) {
    // The title bar's close box, the same.
    if (!GlobProgRunning()) return QDialog::closeEvent(event);
    event->ignore();
    cmdClose_Click();
}

void frmProg::Enable(bool idle) {
    // Cancel while a run goes on, Close when there is none.
    SetCtlCaption(cmdClose, GetText("Progress", idle ? "close" : "cancel"));
    cmdSend->setEnabled(idle);
    cmdLoad->setEnabled(idle);
    for (QCheckBox* box : chkEna) box->setEnabled(idle);
}

void frmProg::Start(bool send) {
    std::vector<bool> chosen;
    for (QCheckBox* box : chkEna) chosen.push_back(box->isChecked());
    // Choices that cannot be kept are said; the programming goes ahead.
    if (!SaveProgChoices(chosen))
        CurrentShell().MsgBox("SaveProgChoices - " + platform::FileErrorText(errno, ConfigIniPath()), "");
    // The last run's outcome is not shown while this start asks its questions.
    lblStatus->clear();
    if (!StartGlobProg(send, chosen)) return;
    // The tables are named as the run moves them: written or read.
    SetItemTexts(send);
    pgbProg->setRange(0, 1);
    pgbProg->setValue(0);
    Enable(false);
    tmrProg_->start();
}

void frmProg::cmdSend_Click() { Start(true); }
void frmProg::cmdLoad_Click() { Start(false); }

void frmProg::tmrProg_Timer() {
    if (GlobProgRunning()) {
        // The bar follows the records of the table under way, as the tree
        // window's bar counts them; empty until the first table starts.
        const QProgressBar* records = fDocForm ? fDocForm->RecordsBar() : nullptr;
        if (records && records->maximum() > records->minimum()) {
            pgbProg->setRange(records->minimum(), records->maximum());
            pgbProg->setValue(records->value());
        } else {
            pgbProg->setRange(0, 1);
            pgbProg->setValue(0);
        }
        // Its own step, not the status text: a refusal of another window's
        // start is said there, where it was asked.
        lblStatus->setText(ToQt(CommandUnderWayName()));
        return;
    }
    tmrProg_->stop();
    // The outcome: a full bar only when every table went through.
    const ProgOutcome outcome = GlobProgOutcome();
    if (outcome == ProgOutcome::Done)
        pgbProg->setValue(pgbProg->maximum());
    else
        pgbProg->setValue(pgbProg->minimum());
    lblStatus->setText(ToQt(ProgOutcomeText(outcome)));
    Enable(true);
}
