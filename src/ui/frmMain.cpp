#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QWindow>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFont>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPointer>
#include <QStatusBar>
#include <QToolButton>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/cash_list.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "engine/builders_reports.h"
#include "engine/operation.h"
#include "link/cmd_queue.h"
#include "engine/comm_settings.h"
#include "link/hello.h"
#include "engine/conn_test.h"
#include "core/link_state.h"
#include "link/modem.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "ui/frmComm.h"
#include "ui/frmModemConnection.h"
#include "ui/frmPhoneBook.h"
#include "ui/frmSerLog.h"
#include "platform/clock.h"
#include "engine/appearance.h"
#include "engine/batch.h"
#include "engine/cycle.h"
#include "engine/registry.h"
#include "core/shell_state.h"
#include "ui/frmDocument.h"
#include "ui/frmHello.h"
#include "ui/frmProgress.h"
#include "ui/frmProg.h"
#include "ui/frmRapporti.h"
#include "ui/frmService.h"
#include "engine/wait_display.h"
#include "ui/draw_pacer.h"

frmMain* fMainForm = nullptr;

namespace {


// The text of a menu item, or the item hidden when the language file has
// none.
void MenuCaption(QAction* action, const std::string& text) {
    if (text.empty()) {
        action->setVisible(false);
        return;
    }
    action->setText(ToQt(text));
    action->setVisible(true);
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

// ---------------------------------------------------------------- input hold

namespace {

// The windows of the link, which take the user's input while it waits.
bool LinkWindow(const QWidget* w) {
    for (const char* name : {"frmProgress", "frmProg", "frmSerLog", "frmHello"})
        if (w->objectName() == QLatin1String(name)) return true;
    return false;
}

bool UserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// The control a click or key given to the window goes to as the window
// stands now: the one at the click's place, the one with the focus.
QWidget* AimOf(QWidget* window, QEvent::Type type, QPoint at) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: {
        QWidget* child = window->childAt(at);
        return child ? child : window;
    }
    case QEvent::KeyPress:
        return window->focusWidget() ? window->focusWidget() : window;
    case QEvent::Close:
        return window;
    default:
        return nullptr;  // a release (of a button or a key) goes where its press went
    }
}

// How the event is made again when it goes on: a click or a turn of the
// wheel from its values, anything else from a copy.
std::function<std::unique_ptr<QEvent>()> Maker(const QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* w = static_cast<const QWheelEvent*>(event);
        return [pos = w->position(), global = w->globalPosition(), pixels = w->pixelDelta(),
                angle = w->angleDelta(), buttons = w->buttons(), modifiers = w->modifiers(), phase = w->phase(),
                inverted = w->inverted(), source = w->source(), device = w->pointingDevice()] {
            return std::unique_ptr<QEvent>(
                new QWheelEvent(pos, global, pixels, angle, buttons, modifiers, phase, inverted, source, device));
        };
    }
    if (const auto* m = dynamic_cast<const QMouseEvent*>(event)) {
        return [type = m->type(), pos = m->position(), scene = m->scenePosition(), global = m->globalPosition(),
                button = m->button(), buttons = m->buttons(), modifiers = m->modifiers(), time = m->timestamp(),
                device = m->pointingDevice()] {
            auto* made = new QMouseEvent(type, pos, scene, global, button, buttons, modifiers, device);
            made->setTimestamp(time);
            return std::unique_ptr<QEvent>(made);
        };
    }
    std::shared_ptr<const QEvent> copy(event->clone());
    return [copy] { return std::unique_ptr<QEvent>(copy->clone()); };
}

// The widget of a top-level window (nullptr for a window of none).
QWidget* WidgetOf(const QObject* window) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle() == window) return w;
    return nullptr;
}

bool IsKey(QEvent::Type type) { return type == QEvent::KeyPress || type == QEvent::KeyRelease; }

}  // namespace

TickInputHold::TickInputHold() { qApp->installEventFilter(this); }

TickInputHold::~TickInputHold() {
    qApp->removeEventFilter(this);
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

void TickInputHold::BeginTick() {
    inTick_ = true;
    modalAtStart_ = QApplication::activeModalWidget();
}

void TickInputHold::EndTick() {
    inTick_ = false;
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
    // Not from inside the tick's own call: a question that held input opens
    // must let the next ticks run under it.
    if (!held_.empty() && !replayAsked_) {
        replayAsked_ = true;
        QTimer::singleShot(0, this, [this] { Replay(); });
    }
}

bool TickInputHold::StillAimed(const Held& h) {
    if (!h.aimed) return true;
    QWidget* window = WidgetOf(h.window);
    if (!h.aim || !window || !h.aim->isEnabled()) return false;
    // A window opened since (a question) stands over it.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window) return false;
    return AimOf(window, h.type, h.at) == h.aim;
}

void TickInputHold::Replay() {
    replayAsked_ = false;
    if (inTick_) return;  // asked again at the tick's end
    // Input that comes while this goes on (under a question it opens) is
    // held and handed on by itself.
    std::vector<Held> batch;
    batch.swap(held_);
    ++replaying_;
    bool refused = false, lost = false;
    for (Held& h : batch) {
        if (!refused && (!h.window || !StillAimed(h))) refused = true;
        if (refused) {
            lost = lost || h.aimed;
            continue;
        }
        const int shown = modalsShown_;
        const std::unique_ptr<QEvent> event = h.make();
        const QEvent* outer = std::exchange(handing_, event.get());
        QCoreApplication::sendEvent(h.window, event.get());
        handing_ = outer;
        // The rest was given before the user saw what this opened.
        if (modalsShown_ != shown) refused = true;
    }
    --replaying_;
    if (lost) ShowMsg("inputlost", "");
}

bool TickInputHold::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && replaying_ > 0) {
        const auto* w = qobject_cast<const QWidget*>(watched);
        if (w && w->isWindow() && w->isModal()) ++modalsShown_;
        return false;
    }
    if (event == handing_ || (!inTick_ && held_.empty())) return false;
    const bool shortcut = event->type() == QEvent::ShortcutOverride;
    // The shortcut check of a key being handed on belongs to that key.
    if (shortcut && handing_) return false;
    if (!watched->isWindowType() || !(shortcut || UserInput(event->type()))) return false;
    QWidget* window = WidgetOf(watched);
    if (!window || LinkWindow(window)) return false;
    // A window that the tick itself opened (the modem's dial) is answered
    // inside it.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal == window && modal != modalAtStart_) return false;
    // A key that would work a shortcut (a menu's Alt+letter) is not taken as
    // one now: it comes as a plain key, waits with the rest, and works its
    // shortcut when it is handed on.
    if (shortcut) {
        event->accept();
        return true;
    }
    Held h;
    h.window = watched;
    h.type = event->type();
    if (const auto* point = dynamic_cast<const QSinglePointEvent*>(event)) h.at = point->position().toPoint();
    h.make = Maker(event);
    // A key after other input that waits here goes where that input puts
    // the focus (a click, a Tab); the first is checked against the focus.
    if (!IsKey(h.type) || held_.empty()) {
        h.aim = AimOf(window, h.type, h.at);
        h.aimed = h.aim != nullptr;
    }
    held_.push_back(std::move(h));
    // The input waits: the cursor says so until the step ends.
    if (inTick_ && !waitCursor_) {
        waitCursor_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    return true;
}

// ---------------------------------------------------------------- window

namespace {

// The bulk programming window: one, created on first use and unloaded with
// the main window. The main window owns it, so that it stays above it while
// a run goes on.
QPointer<frmProg> globProgForm;

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    fMainForm = this;
    inputHold_ = std::make_unique<TickInputHold>();
    tmrMain_ = new QTimer(this);
    tmrMain_->setObjectName("tmrMain");
    tmrMain_->setInterval(10);
    connect(tmrMain_, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    waitPacer_ = std::make_unique<DrawPacer>([this] {
        if (!waitOn_) return;
        frmProgress* progress = frmProgress::Instance();
        progress->SetWaitTexts(MakeWaitTexts(platform::Timer() - waitStart_));
        progress->ShowWindow();
    });
    qApp->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) ReleaseStatusText();
    return QMainWindow::eventFilter(watched, event);
}

frmMain::~frmMain() {
    // The editor on screen stands in this window: it unloads first, so that
    // the registry never keeps a window that is gone.
    CloseCurrentEditor();
    delete globProgForm.data();
    if (fMainForm == this) fMainForm = nullptr;
}

void frmMain::SetAppearance(QWidget* window) {
    if (!window) return;
    FontChoice choice = ParseFontText(AppearanceFontText());
    QFont font = QApplication::font();
    if (choice.family.empty()) {
        font.setFamily("Sans Serif");
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamily(ToQt(choice.family));
    }
    if (choice.pointSize > 0) font.setPointSize(choice.pointSize);
    window->setFont(font);
}

void frmMain::Load() {
    if (loaded_) return;
    loaded_ = true;

    SetAppearance(this);
    // The short pause lets the window settle on screen; a command-line run
    // has nobody watching it and goes on at once.
    if (Core.bInteractive) platform::WaitMs(10);
    InitSerialLog();
    InitDecSep();
    if (Core.bInteractive) {
        if (Core.strRootDir != Core.strCashDir) {
            // The message log of the run starts afresh in the base folder.
            Texts.nMsgLogFile = -1;
        }
        Core.strRootDir = Core.strCashDir;
        ShellState.nMainWidth = 12000;
    }
    InitCurrency();
    LoadCommConf();
    // An explicit line speed of the command line wins over the settings.
    if (!Core.bInteractive && Batch.nBaud > 0) Comm.nBaud = Batch.nBaud;
    LinkState.nState = 0;
    MainTimer.StopRequest = false;
    MainTimer.ExitRequest = false;
    MainTimer.bFirstTick = true;
    MainTimer.bTimePeriod = false;

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("mdiArea");
    setCentralWidget(mdiArea_);

    auto* status = new QStatusBar(this);
    status->setObjectName("sbStatusBar");
    lblStatus_ = new QLabel(status);
    lblStatus_->setObjectName("lblStatus");
    // A long status text is cut at the window's edge (the whole text is in
    // msg.log and the tip): it never widens the window.
    lblStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblDate_ = new QLabel(status);
    lblDate_->setObjectName("lblDate");
    lblTime_ = new QLabel(status);
    lblTime_->setObjectName("lblTime");
    pnlModem_ = new QToolButton(status);
    pnlModem_->setObjectName("pnlModem");
    pnlModem_->setAutoRaise(true);
    connect(pnlModem_, &QToolButton::clicked, this, [this] { pnlModem_Click(); });
    status->addWidget(lblStatus_, 1);
    status->addPermanentWidget(pnlModem_);
    status->addPermanentWidget(lblDate_);
    status->addPermanentWidget(lblTime_);
    setStatusBar(status);

    BuildMenus();

    auto* dock = new QDockWidget(this);
    dock->setObjectName("dockDocument");
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    document_ = new frmDocument(dock);
    dock->setWidget(document_);
    dock->setTitleBarWidget(new QWidget(dock));
    addDockWidget(Qt::LeftDockWidgetArea, dock);

    SetTexts();
    // The link's windows: the modem connection of the port opening, and the
    // communication settings among the editors of the tree.
    InstallModemConnection();
    frmComm::Register();
    document_->Load();
    // The tree window is as wide as its captions need, within bounds that
    // leave the editors their room.
    const int mainWidth = TwipsToPixels(ShellState.nMainWidth);
    const int treeWidth = std::clamp(document_->ContentWidth(),
                                     TwipsToPixels(frmDocument::kWidthTwips), mainWidth * 2 / 5);
    resize(mainWidth, 560);
    resizeDocks({dock}, {treeWidth}, Qt::Horizontal);
    ShowTime();
    tmrMain_->start();
}

void frmMain::BuildMenus() {
    mnuFile_ = menuBar()->addMenu(QString());
    mnuFile_->setObjectName("mnuFile");
    mnuService_ = mnuFile_->addAction(QString(), this, [this] { mnuService_Click(); });
    mnuService_->setObjectName("mnuService");
    mnuGlobProg_ = mnuFile_->addAction(QString(), this, [this] { mnuGlobProg_Click(); });
    mnuGlobProg_->setObjectName("mnuGlobProg");
    mnuFile_->addSeparator();
    mnuExit_ = mnuFile_->addAction(QString(), this, [this] { mnuExit_Click(); });
    mnuExit_->setObjectName("mnuExit");

    mnuLink_ = menuBar()->addMenu(QString());
    mnuLink_->setObjectName("mnuLink");
    mnuSerLog_ = mnuLink_->addAction(QString(), this, [this] { mnuSerLog_Click(); });
    mnuSerLog_->setObjectName("mnuSerLog");
    mnuConnTest_ = mnuLink_->addAction(QString(), this, [this] { mnuConnTest_Click(); });
    mnuConnTest_->setObjectName("mnuConnTest");
    mnuPhoneBook_ = mnuLink_->addAction(QString(), this, [] { frmPhoneBook::ShowModal(); });
    mnuPhoneBook_->setObjectName("mnuPhoneBook");

    mnuCassa_ = menuBar()->addMenu(QString());
    mnuCassa_->setObjectName("mnuCassa");
    mnuRapporti_ = mnuCassa_->addAction(QString(), this, [this] { mnuRapporti_Click(); });
    mnuRapporti_->setObjectName("mnuRapporti");
}

void frmMain::SetTexts() {
    std::string title = GetText("Caption", "main");
    std::string place = Core.bInteractive ? Core.strCustDir : Core.strRootDir;
    if (!place.empty()) title += (title.empty() ? "" : " - ") + place;
    setWindowTitle(ToQt(title));

    MenuCaption(mnuFile_->menuAction(), GetText("Menu", "file"));
    MenuCaption(mnuService_, GetText("Menu", "service"));
    MenuCaption(mnuGlobProg_, GetText("Menu", "globprog"));
    MenuCaption(mnuExit_, GetText("Menu", "exit"));
    MenuCaption(mnuLink_->menuAction(), GetText("Menu", "link"));
    MenuCaption(mnuSerLog_, GetText("Menu", "serlog"));
    MenuCaption(mnuConnTest_, GetText("Menu", "conntest"));
    MenuCaption(mnuPhoneBook_, GetText("Menu", "phonebook"));
    MenuCaption(mnuCassa_->menuAction(), GetText("Menu", "cassa"));
    MenuCaption(mnuRapporti_, GetText("Menu", "rapporti"));
}

void frmMain::ShowTime() {
    if (!lblDate_) return;
    platform::LocalDateTime t = platform::Now();
    std::string date = TwoDigits(t.day) + "/" + TwoDigits(t.month) + "/" + std::to_string(t.year);
    std::string time = TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
    QString qdate = QString::fromStdString(date), qtime = QString::fromStdString(time);
    if (lblDate_->text() != qdate) lblDate_->setText(qdate);
    if (lblTime_->text() != qtime) {
        lblTime_->setText(qtime);
        ShowModemPanel();
    }
}

void frmMain::ShowModemPanel() {
    if (!pnlModem_) return;
    // A direct line has no modem to speak of: the panel shows nothing.
    if (!ModemPanelEnabled()) {
        pnlModem_->setEnabled(false);
        pnlModem_->setText(QString());
        modemShown_ = -1;
        return;
    }
    pnlModem_->setEnabled(true);
    // The texts are read again only when the state changes.
    const int up = ModemConnected() ? 1 : 0;
    if (up != modemShown_) pnlModem_->setText(ToQt(ModemPanelText(up)));
    modemShown_ = up;
}

void frmMain::pnlModem_Click() {
    ModemPanelClick();
    ShowModemPanel();
}

void frmMain::SetStatusText(const std::string& text) {
    if (!lblStatus_) return;
    lblStatus_->setText(ToQt(text));
    lblStatus_->setToolTip(lblStatus_->text());
}

std::string frmMain::StatusText() const {
    return lblStatus_ ? FromQt(lblStatus_->text()) : std::string();
}

void frmMain::SetShowWait(float timeoutSeconds) {
    (void)timeoutSeconds;
    if (!waitOn_) {
        waitOn_ = true;
        waitStart_ = platform::Timer();
        waitShown_.clear();
    }
    ShowWait();
}

void frmMain::ShowWait() {
    if (!waitOn_) return;
    // Another register, command or description is drawn at once, so that the
    // progress window notes every command; the running time only a few
    // times a second.
    std::string shown = std::to_string(LinkState.nAddress) + "|" + std::to_string(CmdQueue.nCmdCur) +
                        "|" + std::to_string(CmdQueue.nCmdNum);
    const int cur = CmdQueue.nCmdCur;
    if (cur >= 1 && cur <= kQueueSize) shown += "|" + CmdQueue.entries[cur].description;
    if (shown != waitShown_) {
        waitShown_ = shown;
        waitPacer_->DrawNow();
    } else {
        waitPacer_->Changed();
    }
}

void frmMain::ClearShowWait(bool hide) {
    waitOn_ = false;
    waitPacer_->Cancel();
    if (frmProgress::Exists()) frmProgress::Instance()->EndWait();
    if (hide) {
        if (frmProgress::Exists()) {
            frmProgress::Instance()->OperationOver();
            frmProgress::Instance()->Hide_Request();
        }
        ShowOperationEnd();
    }
}

void frmMain::tmrMain_Timer() {
    // The link lets the user interface run while it waits, so a tick can
    // come round while one is still running: it is skipped.
    if (inTick_) return;
    inTick_ = true;
    inputHold_->BeginTick();
    GestMainTimer();
    inputHold_->EndTick();
    inTick_ = false;
    if (MainTimer.MainClosing) {
        tmrMain_->stop();
        close();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    // An exit waits for the operation in progress: say so, at every try.
    if (Core.bInteractive && !ShellState.bMainCanUnload && LinkState.nState != 0)
        ShowMsg("exitwait", "");
    if (Core.bAskOnExit) {
        // The keyboard's release is asked first: closed unanswered, it is no
        // answer to the exit either, and nothing has changed yet; the program
        // stays open and asks again at the next try (unless a stop signal
        // came meanwhile: nobody is there to ask).
        Reply release = Reply::No;
        if (Core.bKeyLock) {
            release = CurrentShell().Ask(GetText("Msg", "keylockunlock"), GetText("Msg", "85"));
            if (release == Reply::Closed) {
                Core.bAskOnExit = !MainTimer.ExitRequest;
                event->ignore();
                return;
            }
        }
        // Then the editor on screen is left: a change it cannot save is
        // asked about, and No keeps the program open at it.
        if (!CloseCurrentEditor()) {
            event->ignore();
            return;
        }
        Core.bAskOnExit = false;
        if (Core.bKeyLock) {
            if (release == Reply::Yes) {
                Core.bKeyLock = false;
                // The bare close, as a new operation over the registers: the
                // last operation may have ended long ago, every register done.
                // One still running would refuse it: it goes out when that
                // one is over.
                if (OperationRunning())
                    MainTimer.bReleaseAtExit = true;
                else
                    SendKeyLock(false, true);
            }
        }
        MainTimer.ExitRequest = true;
        event->ignore();
        return;
    }
    if (!ShellState.bMainCanUnload) {
        event->ignore();
        return;
    }
    MainTimer.MainClosing = true;
    MainTimer.ExitRequest = true;
    tmrMain_->stop();
    // A modem line is not left off the hook.
    ModemHangUpAtExit();
    UnloadOtherWindows();
    const std::string font = AppearanceFontText();
    if (!font.empty()) SaveAppearanceFont(FontText(ParseFontText(font)));
    event->accept();
    QCoreApplication::quit();
}

void frmMain::UnloadOtherWindows() {
    CloseCurrentEditor();
    frmHello::Unload();
    Core.bHelloShown = false;
    frmProgress::Unload();
    frmRapporti::Unload();
    delete globProgForm.data();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
}

// ---------------------------------------------------------------- menus

void frmMain::mnuSerLog_Click() { ShowSerialTraceWindow(); }

void ShowSerialTraceWindow() { frmSerLog::ShowWindow(); }

void frmMain::mnuConnTest_Click() {
    // The test runs while the timer drives the link; only from idle.
    if (LinkState.nState != 0) return;
    mnuConnTest_->setEnabled(false);
    ConnTest();
    if (mnuConnTest_) mnuConnTest_->setEnabled(true);
}

void frmMain::mnuService_Click() { CheckServicePsw(); }

void frmMain::mnuGlobProg_Click() {
    if (!globProgForm) {
        // Owned by the main window, so that it stays above it.
        globProgForm = new frmProg(this);
        // At the top of the main window, the room below it left to the
        // progress window of its run.
        globProgForm->adjustSize();
        globProgForm->move(geometry().center().x() - globProgForm->width() / 2, geometry().top());
    }
    globProgForm->ShowAtHand();
}

void frmMain::mnuExit_Click() { close(); }

void frmMain::mnuRapporti_Click() { frmRapporti::ShowWindow(); }
