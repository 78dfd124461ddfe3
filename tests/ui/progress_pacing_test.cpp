// The progress bar, the record counter and the wait display are drawn a few
// times a second however fast the records come, and show exact values when
// drawn.
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <string>

#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "ui/draw_pacer.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/qt_shell.h"
#include "shell_fixture.h"

namespace {

class ProgressPacingTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strLangFile = dir.file("Testi.eng");
    }
    void TearDown() override {
        frmProgress::Unload();
        SetShell(nullptr);
        ShellTest::TearDown();
    }
    // Lets the event loop run until a drawing still to come has been made.
    static void LetPendingDrawingsRun() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < DrawPacer::kIntervalMs + 100)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // The most drawings a display paced at the interval may make in the time.
    static int MostDrawings(qint64 elapsedMs) { return 2 + static_cast<int>(elapsedMs / DrawPacer::kIntervalMs); }
};

TEST_F(ProgressPacingTest, TheBarAndTheCounterAreDrawnAFewTimesASecondWithExactValues) {
    frmDocument doc;
    auto* bar = doc.findChild<QProgressBar*>("pgbStatus");
    auto* panel = doc.findChild<QLabel*>("lblPanel7");
    ASSERT_TRUE(bar && panel);
    int barDrawings = 0, panelDrawings = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&] { ++barDrawings; });

    doc.SetPGBRange(1, 30000);  // a start is drawn at once
    EXPECT_EQ(bar->maximum(), 30000);
    EXPECT_EQ(bar->value(), 1);
    QElapsedTimer clock;
    clock.start();
    std::string lastShown;
    for (int n = 1; n <= 20000; ++n) {
        doc.IncPGBValue();
        doc.SetPanelText(7, std::to_string(n));
        const std::string shown = panel->text().toStdString();
        if (shown != lastShown) ++panelDrawings, lastShown = shown;
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(barDrawings, MostDrawings(elapsed));
    EXPECT_LE(panelDrawings, MostDrawings(elapsed));
    EXPECT_EQ(doc.Range().Value(), 20001);  // the value itself is kept at every step
    EXPECT_EQ(doc.PanelText(7), "20000");

    // What is still to be drawn is drawn from the event loop, exactly.
    LetPendingDrawingsRun();
    EXPECT_EQ(bar->value(), 20001);
    EXPECT_EQ(panel->text().toStdString(), "20000");

    // The last step and the end are drawn at once.
    doc.SetPGBValue(29999);
    doc.IncPGBValue();
    EXPECT_EQ(bar->value(), 30000);
    doc.SetPGBValue(-1);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_FALSE(doc.PGBBusy());
}

TEST_F(ProgressPacingTest, TheWaitDisplayDrawsEveryCommandAtOnceAndItsTimeAFewTimesASecond) {
    SetShell(&TheQtShell());
    Core.bInteractive = true;
    frmMain main;
    LinkState.nAddress = 0;
    CmdQueue.nCmdNum = 3;
    CmdQueue.nCmdCur = 1;
    CmdQueue.entries[1].description = "Send departments";
    CmdQueue.entries[2].description = "Read departments";
    CmdQueue.entries[3].description = "Send PLUs";
    TheQtShell().SetShowWait(2.5f);
    frmProgress* progress = frmProgress::Instance();
    // For a second, as fast as the frame reader's passes: the running time
    // (in tenths) would change ten times, it is drawn at most every interval.
    int timeDrawings = 0;
    std::string lastTime = progress->lblTempo->text().toStdString();
    QElapsedTimer clock;
    clock.start();
    for (int pass = 0; clock.elapsed() < 1000; ++pass) {
        // Each command takes a turn of passes; every one is drawn at once.
        CmdQueue.nCmdCur = static_cast<int16_t>(clock.elapsed() < 300 ? 1 : clock.elapsed() < 600 ? 2 : 3);
        TheQtShell().ShowWait();
        ASSERT_EQ(progress->lblComando->text().toStdString(),
                  "Command " + std::to_string(CmdQueue.nCmdCur) + "/3");
        const std::string shown = progress->lblTempo->text().toStdString();
        if (shown != lastTime) ++timeDrawings, lastTime = shown;
    }
    EXPECT_LE(timeDrawings, MostDrawings(clock.elapsed()) + 2);  // + the two command changes
    std::vector<std::string> noted;
    for (int i = 0; i < progress->lstMessages->count(); ++i)
        noted.push_back(progress->lstMessages->item(i)->text().toStdString());
    EXPECT_EQ(noted, (std::vector<std::string>{"Register 1 - Command 1/3: Send departments",
                                               "Register 1 - Command 2/3: Read departments",
                                               "Register 1 - Command 3/3: Send PLUs"}));

    // After the end nothing comes back on the labels.
    TheQtShell().ClearShowWait(false);
    LetPendingDrawingsRun();
    EXPECT_TRUE(progress->lblTempo->text().isEmpty());
    // The same command waiting again (for its answers) is no second line.
    TheQtShell().SetShowWait(2.5f);
    TheQtShell().ShowWait();
    LetPendingDrawingsRun();
    EXPECT_EQ(progress->lstMessages->count(), 3);
}

}  // namespace
