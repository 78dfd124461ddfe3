#include "ui/app_main.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>

#include "core/work_record.h"
#include "core/globals.h"
#include "core/main_timer_state.h"
#include "core/texts.h"
#include "link/dispatch.h"
#include "ui/frmSplash.h"
#include "engine/batch.h"
#include "engine/cycle.h"
#include "engine/main_timer.h"
#include "engine/startup.h"
#include "platform/files.h"
#include "platform/signals.h"
#include "ui/frmMain.h"
#include "ui/qt_shell.h"
#include "transfers/table_procs.h"

namespace {

// Without a display the windows are drawn offscreen, so that a batch run
// works on a machine that has none.
void ChoosePlatform() {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The offscreen platform of a run without a display warns about window
// size hints it cannot pass on; the note means nothing to a user.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains("propagateSizeHints")) return;
    // Cron gives no session folder; the toolkit's note about it would be
    // mailed after every night's run.
    if (text.contains("XDG_RUNTIME_DIR")) return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << std::endl;
}

std::string CurrentFolder() {
    std::error_code ec;
    std::string dir = std::filesystem::current_path(ec).string();
    return ec ? std::string(".") : dir;
}

int RunBatch(int argc, char** argv) {
    Core.strCashDir = Core.strStartDir;
    if (!ParseCmdLine()) {
        // The error log's path isn't known yet: the line goes nowhere, the
        // caller learns it from the exit status and the line that names the
        // option not understood.
        LogErr(4, OpenTurnSubject());
        std::cerr << CmdLineErrorLine() << std::endl;
        return 2;
    }
    Core.bInteractive = false;
    if (!InitBatch()) {
        // A /l against the customer folder's model: refused as a command
        // line that does not parse, before anything is written.
        LogErr(4, OpenTurnSubject());
        std::cerr << CmdLineErrorLine() << std::endl;
        return 2;
    }
    // One run at a time on a customer folder: a second one is refused before
    // it writes anything there (its logs, its semaphore or a table).
    platform::FolderLock folderLock;
    bool busy = false;
    const std::string held = HoldCustomerFolder(folderLock, Core.strRootDir, &busy);
    if (!held.empty()) {
        // A bad command line stays one whoever holds the folder: trying
        // again later would not mend it.
        if (!CommandLineCodeKnown()) {
            std::cerr << CmdLineErrorLine() << std::endl;
            return 2;
        }
        std::cerr << "ecrprog: " << TerminalText(held) << std::endl;
        // A base folder that is a file holds no other run: a caller waiting
        // for the semaphore file is told that this one ended, or standard
        // error says the file cannot be written (under that path or of it).
        // Such a folder, or one whose lock cannot be taken, is the job's to
        // fix; a folder held by another run is free later.
        if (platform::FileExists(Core.strRootDir)) {
            Core.strSemFile = SemFileSetting();
            WriteSemFile();
            for (const std::string& note : Batch.endNotes) std::cerr << "ecrprog: " << TerminalText(note) << std::endl;
        }
        std::cerr << "ecrprog: " << TerminalText(TroubleText(busy ? RunTrouble::Held : RunTrouble::Setup)) << std::endl;
        return 1;
    }
    LoadConfig();
    for (const std::string& note : Batch.settingNotes) std::cerr << "ecrprog: " << TerminalText(note) << std::endl;
    if (!CommandLineRequestKnown()) {
        std::cerr << CmdLineErrorLine() << std::endl;
        WriteSemFile();
        for (const std::string& note : Batch.endNotes) std::cerr << "ecrprog: " << TerminalText(note) << std::endl;
        return 2;
    }
    const std::string nothing = BatchNothingToDo();
    if (!nothing.empty()) {
        std::cerr << "ecrprog: " << TerminalText(nothing) << std::endl;
        WriteSemFile();
        for (const std::string& note : Batch.endNotes) std::cerr << "ecrprog: " << TerminalText(note) << std::endl;
        std::cerr << "ecrprog: " << TerminalText(TroubleText(RunTrouble::Setup)) << std::endl;
        return 1;
    }

    // A second signal from here on leaves the semaphore file, and the record
    // of a stop is written as soon as it is noted.
    platform::CatchStopSignals(Core.strSemFile);
    // A second signal before the run's end is said ends it with nothing done.
    platform::SetStopWords("ecrprog: " + TerminalText(TroubleText(RunTrouble::Requests)) + "\n");
    TakeStopRecord();
    ChoosePlatform();
    qInstallMessageHandler(QuietOffscreenNotes);
    QApplication app(argc, argv);
    SetShell(&TheQtShell());
    auto main = std::make_unique<frmMain>();
    // The stop noted since the start ends the run through its close, at the
    // first tick; its record is written before.
    main->Load();
    TakeStopRecord();
    if (Core.nWindowMode == 1)
        main->showMinimized();
    else if (Core.nWindowMode != 2)
        main->show();
    app.exec();
    main.reset();
    SetShell(nullptr);
    // What a caller acts on comes last: the registers that did not do their
    // list, and the kind of trouble. They are the record of a signal that
    // comes now; a second signal waits until they are written whole, and
    // then says nothing more.
    {
        platform::StopSignalsHeld held;
        platform::StopRecorded();
        std::cerr << RunEndLines() << std::flush;
        platform::SetStopWords("");
    }
    // A run the system stopped says so, as a run ended by the signal would.
    if (MainTimer.nStopSignal != 0) return 128 + MainTimer.nStopSignal;
    // Every failure of the run counts, whether or not an error log took it.
    return Work.standing > 0 ? 1 : 0;
}

int RunInteractive(int argc, char** argv) {
    // Windows drawn offscreen would wait for a user who cannot see them.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::cerr << "ecrprog: no display to show the windows on (DISPLAY is not set); start it "
                     "with a display, or unattended with a request (/r:CODE)"
                  << std::endl;
        return 1;
    }
    Core.bInteractive = true;
    SetInteractivePaths();
    // Until a customer folder is chosen, notes go to the start folder's log.
    Core.strRootDir = Core.strStartDir;

    ChoosePlatform();
    QApplication app(argc, argv);
    SetShell(&TheQtShell());
    auto main = std::make_unique<frmMain>();
    // A customer folder that a command-line run (or another program's
    // windows) holds is not opened a second time: said, and the chooser
    // comes back for another choice.
    platform::FolderLock folderLock;
    for (;;) {
        {
            frmSplash splash;
            splash.exec();
        }
        UseToolkitLanguage(Core.strLangExt);
        if (!Startup.bSplashOK) {
            main.reset();
            SetShell(nullptr);
            return 0;
        }
        const std::string held = HoldCustomerFolder(folderLock, Core.strCashDir);
        if (held.empty()) break;
        CurrentShell().MsgBox(held, GetText("Caption", "main"));
    }
    StoreLanguageChoice();
    platform::CatchStopSignals();
    main->Load();
    main->show();
    app.exec();
    main.reset();
    SetShell(nullptr);
    return MainTimer.nStopSignal != 0 ? 128 + MainTimer.nStopSignal : 0;
}

}  // namespace

int Main(int argc, char** argv) {
    // Help is printed before anything else: no display, no folder touched.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << UsageText();
            return std::cout.flush() ? 0 : 1;
        }
    }
    // A command-line run (one with arguments) notes a stop asked from its
    // first moment, and takes it as any other; no file is named yet for a
    // second one to create. The windows take their signals once shown.
    if (argc > 1) platform::CatchStopSignals();
    Core.strStartDir = CurrentFolder();
    StartupDefaults();
    platform::GiveBackLargeBlocks();
    InstallTextHooks();
    InstallAnswerParser();
    RegisterTableProcs();

    Batch.args.clear();
    for (int i = 1; i < argc; ++i) Batch.args.emplace_back(argv[i]);
    Core.strCmdLine.clear();
    for (const std::string& a : Batch.args) Core.strCmdLine += (Core.strCmdLine.empty() ? "" : " ") + a;

    if (!Batch.args.empty()) return RunBatch(argc, argv);
    return RunInteractive(argc, argv);
}
