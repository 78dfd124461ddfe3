// The main window: its load step, the close request and unload protocol,
// the timer's close-down, the wait display, and how it looks at its default
// size (a screenshot is written when ECR_SCREENSHOT_DIR names a folder).
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QDockWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "core/main_timer_state.h"
#include "engine/main_timer.h"
#include "engine/operation.h"
#include "link/cmd_queue.h"
#include "link/port.h"
#include "link/serial_log.h"
#include "ui/editor_fixture.h"
#include "ui/frmSerLog.h"
#include "platform/settings.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/qt_shell.h"
#include "ui/shell_fixture.h"
#include "transfers/table_procs.h"

// A key as the window system hands it over: its shortcut, if it is one, is
// tried before the window has the key (the toolkit's own entry, which its
// test library uses too).
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                                    const QString& text = QString(), bool autorep = false, ushort count = 1);

namespace {

class MainWindowTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        SetShell(&TheQtShell());
        Write("setup.ini", "[Locale]\r\nCurrencyDecimals=2\r\n");
        Write("TIMBREL/Demo/config.ini", "[Casse]\r\nC0=1|Front|||1|0|0|1\r\nC1=2|Back|||1|0|1|0\r\n");
        Core.bInteractive = true;
        Core.strCashDir = dir.file("TIMBREL/Demo");
        Core.strCustDir = dir.file("Shop/Demo");
        Core.strLangFile = dir.file("Testi.eng");
        Core.bAskOnExit = true;
    }
    void TearDown() override {
        SetPortFactory({});
        emulator.Stop();
        frmProgress::Unload();
        SetShell(nullptr);
        ShellTest::TearDown();
    }
    // The main window loaded, its timer standing still.
    static void LoadStill(frmMain& main) {
        main.Load();
        main.tmrMain()->stop();
    }
    // Lets the timer run until the condition holds or the seconds have passed.
    bool RunUntil(const std::function<bool()>& done, int seconds = 1) {
        shelltest::EventsUntil(done, seconds * 1000);
        return done();
    }
    // A register of the config on the emulator, as port 1; the first
    // register folder says hello type 1.
    void StartRegister(const emu::RegisterConfig& config = {}) {
        Write("TIMBREL/Demo/Cassa1/Cassa.txt", "[P9]\r\n11=0\r\n[Communication]\r\nhellotype=1\r\n");
        reg = std::make_shared<emu::CashRegister>(0, config);
        emulator.AddHandler(reg);
        std::string error;
        ASSERT_TRUE(emulator.Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator.SlavePath()));
    }

    emu::Emulator emulator;
    std::shared_ptr<emu::CashRegister> reg;
};

TEST_F(MainWindowTest, LoadSetsTheRunUpFromTheChosenCustomerFolder) {
    frmMain main;
    main.Load();
    EXPECT_EQ(Core.strRootDir, dir.file("TIMBREL/Demo"));
    EXPECT_EQ(ShellState.nMainWidth, 12000);
    EXPECT_EQ(main.windowTitle().toStdString(), "ECR Programmer - " + dir.file("Shop/Demo"));
    EXPECT_TRUE(MainTimer.bFirstTick);
    EXPECT_TRUE(main.tmrMain()->isActive());
    EXPECT_EQ(main.tmrMain()->interval(), 10);
    // The first register of the list is open.
    EXPECT_EQ(LinkState.nCurCash, 0);
    EXPECT_EQ(Core.strCashDir, dir.file("TIMBREL/Demo/Cassa1"));
    EXPECT_TRUE(platform::DirExists(dir.file("TIMBREL/Demo/Cassa1")));

    std::vector<std::string> menus;
    for (QAction* a : main.menuBar()->actions()) {
        menus.push_back(a->text().toStdString());
        for (QAction* item : a->menu()->actions())
            if (!item->isSeparator()) menus.push_back(item->text().toStdString());
    }
    EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Service mode...", "&Bulk programming...",
                                               "E&xit", "&Link", "Serial &trace...",
                                               "&Connection test", "&Phone book...", "&Register",
                                               "&Reports, history and closure..."}));
    main.tmrMain()->stop();
}

TEST_F(MainWindowTest, TheMenuOpensTheSerialTraceAndRunsTheConnectionTest) {
    ASSERT_NO_FATAL_FAILURE(StartRegister());

    frmMain main;
    main.Load();
    main.show();
    main.findChild<QAction*>("mnuSerLog")->trigger();
    frmSerLog* trace = frmSerLog::Instance();
    EXPECT_TRUE(trace->isVisible());
    shelltest::Picture(trace, "serial_trace");
    // Started: one button stops the trace, the boxes and "show" wait.
    trace->chkSerialLog[0]->setChecked(true);
    trace->chkSerialLog[1]->setChecked(true);
    trace->cmdSerLogStart->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(trace->RunningState(), 1);
    std::vector<std::string> shown;
    for (QPushButton* b : trace->findChildren<QPushButton*>())
        if (b->isVisible())
            shown.push_back(b->text().toStdString() + (b->isEnabled() ? "" : " (off)"));
    EXPECT_EQ(shown, (std::vector<std::string>{"Stop", "Show trace (off)", "OK"}));
    EXPECT_FALSE(trace->chkSerialLog[0]->isEnabled());
    shelltest::Picture(trace, "serial_trace_started");
    trace->close();

    main.findChild<QAction*>("mnuConnTest")->trigger();
    // The trace took the test's frames.
    EXPECT_NE(Read("serial.log").find(" Tx  (01-"), std::string::npos) << Read("serial.log");
    trace->cmdSerLogStart->click();
    EXPECT_EQ(trace->RunningState(), 0);
    EXPECT_EQ(trace->cmdSerLogStart->text().toStdString(), "Start");
    EXPECT_GE(reg->Hellos(), 1);
    EXPECT_EQ(LinkState.nState, 0);
    ASSERT_TRUE(frmProgress::Exists());
    QListWidget* messages = frmProgress::Instance()->lstMessages;
    ASSERT_GE(messages->count(), 1);
    EXPECT_NE(messages->item(messages->count() - 1)->text().toStdString().find("Connection test finished"),
              std::string::npos);
    EXPECT_EQ(frmProgress::Instance()->lstErrors->count(), 0);
    // A direct line: the status bar says nothing of a modem, even with the
    // line's carrier up after the test.
    main.ShowModemPanel();
    auto* modemPanel = main.findChild<QToolButton*>("pnlModem");
    ASSERT_NE(modemPanel, nullptr);
    EXPECT_EQ(modemPanel->text().toStdString(), "");
    main.tmrMain()->stop();
}

// The text of the message box the action opens, which is then closed.
std::string MessageBoxText(const std::function<void()>& action) {
    std::string text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text().toStdString();
            box->close();
        }
    });
    action();
    return text;
}

TEST_F(MainWindowTest, ShowTraceNamesTheTraceFileItCannotShow) {
    frmMain main;
    LoadStill(main);
    frmSerLog* trace = frmSerLog::Instance();
    const std::string file = dir.file("serial.log");
    std::filesystem::remove(file);
    EXPECT_EQ(MessageBoxText([&] { trace->cmdShowSerialLog->click(); }),
              "No trace has been written yet; the trace file will be: " + file);
    // Pressed during the main timer's tick: the box opens no loop of its own.
    bool heldTheTick = false;
    QTimer::singleShot(0, [&] {
        heldTheTick = true;
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    MainTimer.bTickRunning = true;
    trace->cmdShowSerialLog->click();
    MainTimer.bTickRunning = false;
    EXPECT_FALSE(heldTheTick);
    QApplication::processEvents();

    Write("serial.log", "");
    setenv("VISUAL", "/nonexistent/editor", 1);
    const std::string said = MessageBoxText([&] { trace->cmdShowSerialLog->click(); });
    unsetenv("VISUAL");
    EXPECT_EQ(said, "The trace file cannot be opened in the text editor: " + file +
                        "\nThe text editor \"/nonexistent/editor\" cannot be found.");
}

TEST_F(MainWindowTest, AConnectionTestWithoutRegistersSaysThatNoneIsDefined) {
    Write("TIMBREL/Demo/config.ini", "[Generiche]\r\ncommandstimeout=60\r\n");
    frmMain main;
    LoadStill(main);
    main.findChild<QAction*>("mnuConnTest")->trigger();
    frmProgress* progress = frmProgress::Instance();
    ASSERT_EQ(progress->lstErrors->count(), 1);
    EXPECT_EQ(progress->lstErrors->item(0)->text().toStdString(),
              "No register is defined: the customer folder's config.ini lists none (section "
              "[Casse], keys C0 to C15): " + dir.file("TIMBREL/Demo/config.ini"));
    EXPECT_EQ(progress->sstPages->currentWidget(), progress->lstErrors);
}

TEST_F(MainWindowTest, TheProgressWindowFollowsASendAndKeepsNoStaleTexts) {
    RegisterTableProcs();
    emu::RegisterConfig slow;
    slow.lineDelay = 0.02;  // time to look at the window during the send
    ASSERT_NO_FATAL_FAILURE(StartRegister(slow));

    frmMain main;
    main.Load();
    main.show();
    ASSERT_TRUE(SendReparto(1, 40));
    frmProgress* progress = frmProgress::Instance();
    // The send runs inside the link's waiting loop, which lets timers run:
    // the window is looked at from one when the send is under way.
    std::vector<std::string> during;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!during.empty() || fDocForm->Range().Value() < 15) return;
        for (QLabel* label : {progress->lblCassa, progress->lblComando, progress->lblDescr})
            during.push_back(label->text().toStdString());
        during.push_back(progress->lblTempo->text().toStdString().substr(0, 9));
        for (int i = 0; i < progress->lstMessages->count(); ++i)
            during.push_back(progress->lstMessages->item(i)->text().toStdString());
        during.push_back(progress->isVisible() ? "visible" : "hidden");
        shelltest::Picture(progress, "progress_sending");
    });
    look.start(10);
    ASSERT_TRUE(RunUntil(
        [&] { return !during.empty() && LinkState.nState == 0 && !CmdQueuePending(); }, 30));
    look.stop();
    EXPECT_EQ(during, (std::vector<std::string>{
                          "Register 1", "Command 1/1", "Write departments", "Time (s) ",
                          "Register 1 - Command 1/1: Write departments", "visible"}));
    EXPECT_EQ(reg->Received("departments").size(), 40u);
    // The send is over: no command or time is left on show.
    for (QLabel* label : {progress->lblComando, progress->lblDescr, progress->lblTempo})
        EXPECT_EQ(label->text().toStdString(), "") << label->objectName().toStdString();
    main.tmrMain()->stop();
}

// Each register of the operation is tried and named: the port fails for all
// three. The operation that follows one over has its lists to itself, from
// its first line on: the first register's reason, said while the port opens
// for the first command, is one of them.
TEST_F(MainWindowTest, AfterAPortThatCannotBeOpenedTheErrorStandsWithoutAStaleCommand) {
    Write("TIMBREL/Demo/config.ini",
          "[Casse]\r\nC0=1|Front|||1|1|0|1\r\nC1=2|Back|||1|1|1|1\r\nC2=3|Side|||1|1|2|1\r\n");
    RegisterTableProcs();
    SetPortFactory({});
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", dir.file("no-such-device")));
    frmMain main;
    main.Load();
    main.show();
    frmProgress* progress = frmProgress::Instance();
    std::vector<std::string> reasons, ends, logged;
    for (int i = 1; i <= 3; ++i) {
        const std::string number = "Register " + std::to_string(i) + ": ";
        reasons.push_back(number + "Serial port cannot be opened: COM1 (" + dir.file("no-such-device") +
                          "): No such file or directory");
        ends.push_back(number + "failed");
    }
    std::vector<std::string> expected = reasons;
    expected.insert(expected.end(), ends.begin(), ends.end());
    for (int send = 1; send <= 2; ++send) {
        SCOPED_TRACE(send);
        ASSERT_TRUE(SendReparto(1, 40));
        // The end names each register of the operation with its outcome.
        ASSERT_TRUE(RunUntil([&] { return !ExchangeRunning() && !Operation.bSeen; }, 10));
        std::vector<std::string> listed;
        for (int i = 0; i < progress->lstErrors->count(); ++i)
            listed.push_back(progress->lstErrors->item(i)->text().toStdString());
        EXPECT_EQ(listed, expected);
        EXPECT_TRUE(progress->isVisible());
        // The message log names each reason's register too, once a send.
        logged.insert(logged.end(), reasons.begin(), reasons.end());
        std::vector<std::string> inLog;
        std::istringstream log(Read("TIMBREL/Demo/msg.log"));
        for (std::string line; std::getline(log, line);)
            if (line.find(": Serial port cannot be opened:") != std::string::npos)
                inLog.push_back(line.substr(line.find(" : ") + 3, line.size() - line.find(" : ") - 4));
        EXPECT_EQ(inLog, logged);
    }
    main.tmrMain()->stop();
    for (QLabel* label : {progress->lblComando, progress->lblDescr, progress->lblTempo})
        EXPECT_EQ(label->text().toStdString(), "") << label->objectName().toStdString();
    const std::string line = progress->lstErrors->item(0)->text().toStdString();
    EXPECT_EQ(line.find("Command 0"), std::string::npos) << line;
    shelltest::Picture(progress, "progress_port_error");
}

TEST_F(MainWindowTest, CloseRequestBecomesAnExitRequestAndUnloadWaitsForTheRun) {
    frmMain main;
    LoadStill(main);
    main.show();
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(MainTimer.ExitRequest);
    EXPECT_FALSE(Core.bAskOnExit);
    EXPECT_FALSE(main.close());  // refused until the run's windows are closed
    EXPECT_TRUE(main.isVisible());

    TheQtShell().CloseOpForms();
    EXPECT_TRUE(ShellState.bMainCanUnload);
    EXPECT_TRUE(main.close());
    EXPECT_TRUE(MainTimer.MainClosing);
}

TEST_F(MainWindowTest, AnExitDuringAnOperationSaysItWaitsAtEveryTry) {
    frmMain main;
    LoadStill(main);
    main.show();
    // An editor opened before the operation, which has register 2's folder
    // open: leaving it at the exit says nothing over the exit's text.
    ASSERT_TRUE(ShowForm("K_FRMGLBCASSA"));
    LinkState.nState = 1;
    Core.nOpenCash = 1;
    for (int press = 0; press < 2; ++press) {
        main.SetStatusText("");
        EXPECT_FALSE(main.close());
        EXPECT_NE(main.StatusText().find("when the operation in progress is over"), std::string::npos)
            << main.StatusText();
    }
    EXPECT_TRUE(MainTimer.ExitRequest);
    EXPECT_EQ(CurrentEditor(), nullptr);
    LinkState.nState = 0;
    Core.nOpenCash = LinkState.nCurCash;
}

// While a step of the link runs, input to another window waits under the wait
// cursor and goes on when the step ends: a click reaches its button, a menu's
// key (Alt+F) opens its menu only then, and a key let go whose press came
// before the step goes on whatever changed meanwhile, no input said lost. A
// click on a window of the link (the progress window) goes through at once.
TEST_F(MainWindowTest, InputHeldDuringAStepWaitsUnderTheWaitCursorAndGoesOnAfterIt) {
    frmMain main;
    LoadStill(main);
    main.show();
    QWidget other;  // another window of the program
    auto* button = new QPushButton("Go", &other);
    auto* box = new QLineEdit(&other);
    auto* layout = new QVBoxLayout(&other);
    layout->addWidget(button);
    layout->addWidget(box);
    other.show();
    frmProgress* progress = frmProgress::Instance();
    progress->ShowWindow();
    QCoreApplication::processEvents();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QObject::connect(progress->cmdCancel, &QPushButton::pressed, [&] { ++clicks; });
    QMenu* file = main.findChild<QMenu*>("mnuFile");
    const auto menuKey = [&] {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease})
            qt_handleKeyEvent(main.windowHandle(), type, Qt::Key_F, Qt::AltModifier, "f");
    };
    const auto keyLetGo = [&] {
        QCoreApplication::postEvent(other.windowHandle(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_7, Qt::NoModifier, "7"));
        QCoreApplication::processEvents();
        box->setEnabled(false);  // the window changed meanwhile
    };
    const struct {
        const char* name;
        QWidget* active;  // the window the user works in
        std::function<void()> input;
        bool held;
        std::function<bool()> done;  // the input had its effect
    } cases[] = {
        {"a click on another window", &other, [&] { shelltest::PostClick(button); }, true, [&] { return clicks == 1; }},
        {"a click on the progress window", progress, [&] { shelltest::PostClick(progress->cmdCancel); }, false,
         [&] { return clicks == 1; }},
        {"a menu key", &main, menuKey, true, [&] { return QApplication::activePopupWidget() == file; }},
        {"a key let go", &other, keyLetGo, true, [&] { return main.StatusText().empty(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clicks = 0;
        box->setEnabled(true);
        box->setFocus();
        main.SetStatusText("");
        c.active->activateWindow();
        ASSERT_TRUE(shelltest::EventsUntil([&] { return QGuiApplication::focusWindow() == c.active->windowHandle(); }));
        TickInputHold step;
        step.BeginTick();
        c.input();
        QCoreApplication::processEvents();
        EXPECT_EQ(clicks, c.held ? 0 : 1);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        const QCursor* cursor = QApplication::overrideCursor();
        EXPECT_EQ(cursor ? cursor->shape() : Qt::ArrowCursor, c.held ? Qt::WaitCursor : Qt::ArrowCursor);
        step.EndTick();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        QCoreApplication::processEvents();
        EXPECT_TRUE(shelltest::EventsUntil(c.done, 1000));
        if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    }
}

TEST_F(MainWindowTest, TheTimerTakesTheExitWhenIdleAndTheWindowUnloads) {
    frmMain main;
    main.Load();
    main.show();
    frmProgress::Instance()->AddMessage("working", false);
    main.close();
    ASSERT_TRUE(RunUntil([&] { return !main.isVisible(); }));
    EXPECT_TRUE(MainTimer.MainClosing);
    EXPECT_FALSE(main.tmrMain()->isActive());
    EXPECT_FALSE(frmProgress::Exists());
}

TEST_F(MainWindowTest, BatchModeAsksNothingAndReleasesTheKeyboard) {
    Core.bInteractive = false;
    Core.strRootDir = dir.file("TIMBREL/Demo");
    LoadCasseConf();
    CassaList[0].bEnabled = True;
    ResetTimer();
    frmMain main;
    LoadStill(main);
    Core.bKeyLock = true;
    EXPECT_FALSE(main.close());
    EXPECT_FALSE(Core.bKeyLock);
    EXPECT_EQ(CmdQueue.entries[1].state, -1);
    EXPECT_EQ(CmdQueue.entries[1].command, "*3;");
    std::string log = testsupport::ReadAll(dir.file("TIMBREL/Demo/msg.log"));
    EXPECT_NE(log.find("keyboard is still locked"), std::string::npos) << log;
}

// The release after an operation that ended long ago (every register done,
// the cycle's time-out long past) is an operation of its own.
TEST_F(MainWindowTest, TheReleaseOnCloseAfterAFinishedOperationIsQueued) {
    Core.bInteractive = false;
    Core.strRootDir = dir.file("TIMBREL/Demo");
    LoadCasseConf();
    CassaList[0].bEnabled = True;
    ResetTimer();
    frmMain main;
    LoadStill(main);
    for (auto& e : CassaList) e.bDone = True;
    Core.sngTimerBase -= Core.sngCmdTimeout + 10;
    Core.bKeyLock = true;
    EXPECT_FALSE(main.close());
    EXPECT_FALSE(Core.bKeyLock);
    EXPECT_EQ(CmdQueue.entries[1].state, -1);
    EXPECT_EQ(CmdQueue.entries[1].command, "*3;");
    EXPECT_FALSE(LinkState.AbortRequest);
}

// The release asked for at the close while an operation runs is not mixed
// into it: it goes out as an operation of its own once that one is over.
TEST_F(MainWindowTest, TheReleaseOnCloseWaitsForTheRunningOperation) {
    Core.strRootDir = dir.file("TIMBREL/Demo");
    LoadCasseConf();
    CassaList[0].bEnabled = True;
    frmMain main;
    LoadStill(main);
    ASSERT_TRUE(SendKeyLock(true, true));  // the running operation
    OperationTick();
    Core.bKeyLock = true;
    // The question closed (Escape): the program stays, nothing released, the editor still open.
    ASSERT_TRUE(ShowForm("K_FRMVALUTE"));
    editortest::WhenShown<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(Core.bKeyLock && Core.bAskOnExit && !MainTimer.ExitRequest && !MainTimer.bReleaseAtExit);
    EXPECT_NE(CurrentEditor(), nullptr);
    editortest::WhenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_FALSE(main.close());
    EXPECT_FALSE(Core.bKeyLock);
    EXPECT_EQ(CmdQueue.entries[1].command, "*2;");
    EXPECT_EQ(CmdQueue.entries[2].command, "");
    ClearCmdQueue();  // the operation is over
    GestMainTimer();
    EXPECT_EQ(CmdQueue.entries[1].command, "*3;");
    EXPECT_FALSE(MainTimer.bReleaseAtExit);
}

TEST_F(MainWindowTest, TheWaitDisplayShowsTheCommandInTheProgressWindow) {
    frmMain main;
    LoadStill(main);
    LinkState.nAddress = 2;
    CmdQueue.nCmdCur = 1;
    CmdQueue.nCmdNum = 2;
    CmdQueue.entries[1].description = "Send departments";
    TheQtShell().SetShowWait(2.5f);
    frmProgress* progress = frmProgress::Instance();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->lblCassa->text().toStdString(), "Register 3");
    EXPECT_EQ(progress->lblComando->text().toStdString(), "Command 1/2");
    EXPECT_EQ(progress->lblDescr->text().toStdString(), "Send departments");
    EXPECT_EQ(progress->lblTempo->text().toStdString().rfind("Time (s) 0", 0), 0u);

    TheQtShell().ClearShowWait(true);
    EXPECT_FALSE(progress->isVisible());
    TheQtShell().AddError("no answer", true);
    TheQtShell().ClearShowWait(true);
    EXPECT_TRUE(progress->isVisible());  // errors keep it on screen
    EXPECT_EQ(progress->lstErrors->item(0)->text().toStdString(), "Register 3 - Command 1/2: no answer");
}

// Every visible label, button and menu shows its whole text.
void ExpectNothingCut(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->wordWrap() || label->text().isEmpty()) continue;
        EXPECT_GE(label->width(), label->sizeHint().width())
            << window->objectName().toStdString() << " " << label->objectName().toStdString();
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
    }
}

// Every visible control of the window lies on the screen, clear of the
// other window.
void ExpectInSightAndUncovered(QWidget* window, QWidget* other) {
    const QRect screen = window->screen()->availableGeometry();
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->isVisible() || c->objectName().isEmpty() || c->objectName().startsWith("qt_")) continue;
        const QRect r(c->mapToGlobal(QPoint(0, 0)), c->size());
        EXPECT_TRUE(screen.contains(r)) << c->objectName().toStdString();
        EXPECT_FALSE(r.intersects(other->frameGeometry()))
            << c->objectName().toStdString() << " under " << other->objectName().toStdString();
    }
}

// With bulk programming open, as its run shows the progress window.
TEST_F(MainWindowTest, AtItsDefaultSizeNothingIsCutOrOverlapping) {
    for (const char* lang : {"Testi.eng", "Testi.ita"}) {
        SCOPED_TRACE(lang);
        Core = CoreGlobals{};
        Core.strStartDir = dir.path();
        Core.strSetupIni = dir.file("setup.ini");
        Core.bInteractive = true;
        Core.strCashDir = dir.file("TIMBREL/Demo");
        Core.strCustDir = dir.file("Shop/Demo");
        Core.strLangFile = dir.file(lang);
        frmMain main;
        LoadStill(main);
        main.show();
        main.mnuGlobProg_Click();
        QWidget* bulk = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmProg") bulk = w;
        ASSERT_NE(bulk, nullptr);
        ShowMsg("44", "2");
        LinkState.nAddress = 0;
        CmdQueue.nCmdCur = 1;
        CmdQueue.nCmdNum = 1;
        CmdQueue.entries[1].description = GetProtocolText("&L");
        TheQtShell().SetShowWait(2.5f);
        TheQtShell().AddMessage(GetText("Msg", "conntestend"), true);
        TheQtShell().AddError(GetText("Msg", "60") + " " + GetText("Msg1", "12"), true);
        frmProgress* progress = frmProgress::Instance();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

        ExpectNothingCut(&main);
        ExpectNothingCut(progress);
        ExpectNothingCut(bulk);
        ExpectInSightAndUncovered(bulk, progress);
        ExpectInSightAndUncovered(progress, bulk);
        EXPECT_GE(main.menuBar()->width(), main.menuBar()->sizeHint().width());
        // The tree shows every caption whole.
        QTreeWidget* tree = fDocForm->Tree();
        std::function<void(QTreeWidgetItem*, int)> fits = [&](QTreeWidgetItem* item, int level) {
            int need = (level + 1) * tree->indentation() +
                       QFontMetrics(item->font(0)).horizontalAdvance(item->text(0)) + 6;
            EXPECT_LE(need, tree->columnWidth(0)) << item->text(0).toStdString();
            for (int i = 0; i < item->childCount(); ++i) fits(item->child(i), level + 1);
        };
        for (int i = 0; i < tree->topLevelItemCount(); ++i) fits(tree->topLevelItem(i), 0);
        // The tree window and the editor area do not overlap.
        QDockWidget* dock = main.findChild<QDockWidget*>("dockDocument");
        EXPECT_LE(dock->geometry().right(), main.centralWidget()->geometry().left());
        // A status text too long for the bar widens neither window.
        const int mainWidth = main.width(), bulkWidth = bulk->width();
        ShowMsgText(std::string(200, 'x'), "");
        QCoreApplication::processEvents();
        auto* bulkStatus = bulk->findChild<QLabel*>("lblStatus");
        bulkStatus->setText(QString(200, 'x'));
        QCoreApplication::processEvents();
        EXPECT_EQ(main.width(), mainWidth);
        EXPECT_LE(main.minimumSizeHint().width(), mainWidth);
        EXPECT_LE(bulk->minimumSizeHint().width(), bulkWidth);

        if (const char* out = std::getenv("ECR_SCREENSHOT_DIR")) {
            QPixmap shot = main.grab();
            QPainter paint(&shot);
            paint.drawPixmap(bulk->pos() - main.pos(), bulk->grab());
            paint.drawPixmap(progress->pos() - main.pos(), progress->grab());
            paint.end();
            shot.save(QString("%1/main_window_%2.png").arg(out, QString(lang).mid(6)));
        }
        frmProgress::Unload();
        bulk->close();
        ShellState.bMainCanUnload = true;
        Core.bAskOnExit = false;
        main.close();
    }
}

}  // namespace
