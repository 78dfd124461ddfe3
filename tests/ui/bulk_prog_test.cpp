// The bulk-programming window: the choices kept in config.ini, and one send
// of several tables queued as one operation with the PLU options read once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <functional>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "common/fake_shell.h"
#include "core/cash_list.h"
#include "engine/builders_fixture.h"
#include "link/cmd_queue.h"
#include "platform/profile.h"
#include "engine/bulk_prog.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/shell_state.h"
#include "ui/frmMain.h"
#include "ui/frmProg.h"
#include "ui/shell_fixture.h"

namespace {

using builderstest::Texts;  // the pending commands

class BulkProgTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strLangFile = dir.file("Testi.eng");
        ConfigLevel.InitOffLine(3, "R023000");
        platform::WritePrivateProfileStringA("Casse", "C0", "1||||1|0|0|1", ConfigIniPath().c_str());
        LoadCasseConf();
        platform::MakeDir(dir.file("Cassa1"));
    }
    testsupport::ScopedFakeShell fake;
};

TEST_F(BulkProgTest, ChosenTablesGoOutInOneOperation) {
    frmProg form;
    ASSERT_EQ(form.chkEna.size(), ProgItems().size());
    EXPECT_EQ(form.chkEna[0]->objectName().toStdString(), "chkEna00");
    form.chkEna[0]->setChecked(true);   // departments
    form.chkEna[1]->setChecked(true);   // PLUs
    form.chkEna[2]->setChecked(true);   // offers
    ReqState.bRdReparto = True;         // a read left pending: reset before the run
    form.cmdSend->click();

    EXPECT_TRUE(ShellState.GlobProgBusy);
    EXPECT_EQ(ReqState.bRdReparto, False);
    // The PLU options read goes ahead once for both PLUs and offers.
    EXPECT_EQ(Texts(), (std::vector<std::string>{"*2;+4;*F;*3;", "*2;+4;&z;#H;*3;",
                                                  "*2;+4;*G;*3;", "*2;+4;*L;*3;"}));
    EXPECT_FALSE(form.cmdSend->isEnabled());
    EXPECT_EQ(platform::GetPrivateProfileIntA("GlobProg", "chkEna01", 0, ConfigIniPath().c_str()), 1);
    EXPECT_EQ(platform::GetPrivateProfileIntA("GlobProg", "chkEna03", 9, ConfigIniPath().c_str()), 0);

    // The operation is over once the queue is empty and the link idle.
    ClearCmdQueue();
    form.tmrProg_Timer();
    EXPECT_FALSE(ShellState.GlobProgBusy);
    EXPECT_TRUE(form.cmdSend->isEnabled());
    frmProg again;
    EXPECT_TRUE(again.chkEna[2]->isChecked());
}

TEST_F(BulkProgTest, ChoicesThatCannotBeKeptAreSaidAndTheSendGoesAhead) {
    frmProg form;
    platform::RemoveFile(ConfigIniPath());
    platform::MakeDir(ConfigIniPath());  // a folder where config.ini should be
    form.chkEna[0]->setChecked(true);
    form.cmdSend->click();
    // The unreadable register list is said too, once.
    ASSERT_EQ(fake->msgBoxes.size(), 2u);
    EXPECT_EQ(fake->msgBoxes[0].text, "SaveProgChoices - File access error");
    EXPECT_EQ(Texts(), std::vector<std::string>{"*2;+4;*F;*3;"});
}

// The bar starts empty and stays so until records move it; the whole queue
// built for the run never shows as done.
TEST_F(BulkProgTest, TheBarStartsEmptyAndIsNotFullDuringTheSend) {
    frmProg form;
    EXPECT_EQ(form.pgbProg->value(), form.pgbProg->minimum());
    form.chkEna[0]->setChecked(true);
    form.chkEna[3]->setChecked(true);
    form.cmdSend->click();
    ASSERT_TRUE(ShellState.GlobProgBusy);
    // Another window's start is refused in the status text; the window's
    // own status line keeps naming its step.
    OperationTick();
    EXPECT_FALSE(MayStartOperation());
    form.tmrProg_Timer();
    EXPECT_EQ(form.lblStatus->text().toStdString(), "Write departments");
    EXPECT_EQ(form.pgbProg->value(), form.pgbProg->minimum());
    EXPECT_LT(form.pgbProg->value(), form.pgbProg->maximum());
    shelltest::Picture(&form, "bulk_sending");
    ClearCmdQueue();
    form.tmrProg_Timer();
    EXPECT_FALSE(ShellState.GlobProgBusy);
}

// At the end the bar and the status line say how the run went: full only when all went through.
TEST_F(BulkProgTest, TheEndShowsTheOutcome) {
    frmProg form;
    const struct {
        const char* what;
        std::function<void()> during;
        bool full;
        const char* status;
    } rows[] = {
        {"done", [] {}, true, "Bulk programming done"},
        {"failed", [] { LogErr(11, OpenTurnSubject()); }, false, "Bulk programming ended with errors: see the progress window"},
        {"cancelled", [&] { form.cmdClose->click(), Cycle.bAborted = LinkState.AbortRequest; }, false,
         "Bulk programming stopped before its end"},
        {"Escape", [&] { QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&form, &esc), Cycle.bAborted = LinkState.AbortRequest; }, false,
         "Bulk programming stopped before its end"},
        {"Cancel, then the close box", [&] {
             const int32_t asked = ::Work.failures;  // the stop is said once
             form.cmdClose->click(), form.close(), Cycle.bAborted = LinkState.AbortRequest;
             EXPECT_EQ(::Work.failures, asked + 1);
         }, false, "Bulk programming stopped before its end"},
        {"closing pause", [&] {
             ClearCmdQueue(), LinkState.nState = 2, form.cmdClose->click(), LinkState.nState = 0;
             EXPECT_EQ(fake->status, GetText("Msg", "runending"));
         }, true, "Bulk programming done"},
    };
    // Owned by the main window, it has no minimise button of its own.
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    form.chkEna[0]->setChecked(true);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        LinkState.AbortRequest = Cycle.bAborted = false;
        form.cmdSend->click();
        ASSERT_TRUE(ShellState.GlobProgBusy);
        EXPECT_TRUE(form.lblStatus->text().isEmpty());  // the last run's outcome is gone at the start
        row.during();
        ClearCmdQueue();
        form.tmrProg_Timer();
        EXPECT_EQ(form.pgbProg->value(), row.full ? form.pgbProg->maximum() : form.pgbProg->minimum());
        EXPECT_EQ(form.lblStatus->text().toStdString(), row.status);
        if (std::string(row.what) == "failed") shelltest::Picture(&form, "bulk_failed");
    }
    // Opened again, it shows no earlier run's outcome.
    form.InitForm();
    EXPECT_EQ(form.pgbProg->value(), form.pgbProg->minimum());
    EXPECT_TRUE(form.lblStatus->text().isEmpty());
}

// The tables are named as the run moves them: read by a Load, written by a Send.
TEST_F(BulkProgTest, TheTablesAreNamedAsTheRunMovesThem) {
    frmMain main;  // opened from its menu: above the main window, within the screen, back when minimised
    main.mnuGlobProg_Click();
    ASSERT_TRUE(main.findChild<frmProg*>());
    frmProg& form = *main.findChild<frmProg*>();
    form.move(form.screen()->availableGeometry().right() - form.frameGeometry().width(), 0);
    EXPECT_EQ(form.chkEna[0]->text().toStdString(), "Write departments");
    form.chkEna[0]->setChecked(true);
    form.cmdLoad->click();
    ASSERT_TRUE(ShellState.GlobProgBusy);
    EXPECT_EQ(form.chkEna[0]->text().toStdString(), "Read departments");
    EXPECT_EQ(form.chkEna[2]->text().toStdString(), "Read offers");
    QCoreApplication::processEvents();
    EXPECT_LE(form.frameGeometry().right(), form.screen()->availableGeometry().right());
    ClearCmdQueue();
    form.tmrProg_Timer();
    form.cmdSend->click();
    EXPECT_EQ(form.chkEna[0]->text().toStdString(), "Write departments");
    ClearCmdQueue();
    form.tmrProg_Timer();
    form.showMinimized();
    main.mnuGlobProg_Click();
    EXPECT_FALSE(form.isMinimized());
}

}  // namespace
