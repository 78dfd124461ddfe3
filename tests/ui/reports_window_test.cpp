// The reports window in English and Italian: its texts, a received report
// shown in the window, and its controls driving the requests: a report, the
// history with its limit and start mode, the closure after its question.
// When ECR_SCREENSHOT_DIR names a folder, the window is written there as a
// picture in each language.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>

#include "core/work_record.h"
#include "common/fake_shell.h"
#include "engine/builders_fixture.h"
#include "link/cmd_queue.h"
#include "platform/profile.h"
#include "engine/operation.h"
#include "engine/reports_window.h"
#include "ui/frmRapporti.h"
#include "ui/shell_fixture.h"

namespace {

using builderstest::Texts;  // the pending commands
using shelltest::Picture;

class ReportsWindowTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        SetShell(&fake);
        ConfigLevel.InitOffLine(3, kProgramRelease);
        Write("config.ini", "[Generiche]\r\nhstlimit=3\r\n[Casse]\r\nC0=1|Front|ID|R022002|1|0|0|1\r\n");
        LoadCasseConf();
        LinkState.nCurCash = 0;
        ASSERT_TRUE(NextCash(true));
        CmdQueue = CmdQueueState{};
    }
    void TearDown() override {
        frmRapporti::Unload();
        SetShell(nullptr);
        ShellTest::TearDown();
    }
    void Language(const char* file) { Core.strLangFile = dir.file(file); }

    testsupport::FakeShell fake;
};

TEST_F(ReportsWindowTest, ShowsAReceivedReportInEachLanguage) {
    Write("Cassa1/Reparti.rpt",
          "DEPARTMENT REPORT      28/02/24\r\n 1 BREAD          12    18,00\r\n"
          " 2 MILK            7     9,10\r\n---------------------------------\r\n"
          "TOTAL            19    27,10\r\n");
    struct Lang {
        const char* file;
        const char* title;
        const char* first;
        const char* request;
        const char* picture;
    };
    // DRAVO57 keeps customer groups and meal tickets; LX4100 has neither
    // report, and so no customer range.
    for (const int16_t model : {3, 1})
    for (const Lang l : {Lang{"Testi.eng", "Reports, receipt history and closure", "Departments",
                              "Request", "reports"},
                         Lang{"Testi.ita", "Rapporti, storico scontrini e chiusura", "Reparti",
                              "Richiedi", "reports_ita"}}) {
        SCOPED_TRACE(std::string(l.file) + " " + std::to_string(model));
        Language(l.file);
        ConfigLevel.InitOffLine(model, kProgramRelease);
        frmRapporti::ShowWindow();
        frmRapporti* w = frmRapporti::Instance();
        EXPECT_EQ(w->windowTitle().toStdString(), l.title);
        ASSERT_EQ(w->lstReports->count(), model == 3 ? 15 : 13);
        EXPECT_EQ(w->txtCliFrom->isVisibleTo(w), model == 3);
        EXPECT_EQ(w->lstReports->item(0)->text().toStdString(), l.first);
        EXPECT_EQ(w->cmdRequest->text().toStdString(), l.request);
        for (int i = 0; i < w->lstReports->count(); ++i)
            EXPECT_FALSE(w->lstReports->item(i)->text().isEmpty()) << i;
        for (QRadioButton* o : w->optB90Type) EXPECT_FALSE(o->text().isEmpty());
        EXPECT_EQ(w->txtHistoryLimit->value(), 3);
        EXPECT_EQ(w->txtCliTo->text().toStdString(), "999999999999");
        EXPECT_TRUE(w->optB90Type[0]->isChecked());

        w->lstReports->setCurrentRow(0);
        w->cmdShow->click();
        const std::string shown = w->txtReport->toPlainText().toStdString();
        EXPECT_EQ(shown.substr(0, 31), "DEPARTMENT REPORT      28/02/24");
        EXPECT_NE(shown.find("TOTAL            19    27,10"), std::string::npos);
        EXPECT_EQ(shown.find('\r'), std::string::npos);
        // Every item of the list in sight, the last one whole.
        w->show();
        QCoreApplication::processEvents();
        QListWidget* list = w->lstReports;
        const QRect last = list->visualItemRect(list->item(list->count() - 1));
        EXPECT_TRUE(list->viewport()->rect().contains(last)) << last.bottom() << " " << list->viewport()->height();
        EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
        Picture(w, (l.picture + std::string(model == 3 ? "" : "_lx4100")).c_str());
        frmRapporti::Unload();
    }
}

TEST_F(ReportsWindowTest, ItsControlsDriveTheRequests) {
    Language("Testi.eng");
    frmRapporti::ShowWindow();
    frmRapporti* w = frmRapporti::Instance();
    EXPECT_EQ(w->lblReach->text().toStdString(), "A request goes to: Register 1 - Front");

    // A report: queued, and shown once its operation is over, when the
    // register got it in that operation.
    w->lstReports->setCurrentRow(1);  // VAT
    w->lstReports->clearSelection();  // as a click on the list's empty space does
    EXPECT_TRUE(w->lstReports->item(1)->isSelected());  // what Request starts is shown selected
    w->cmdRequest->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"*2;+2;*E;#H;*3;"});
    EXPECT_EQ(ReqState.nRptIVA, kFileOpenNext);
    EXPECT_EQ(w->AwaitedFile(), "IVA.rpt");
    w->WatchOperation();  // still queued: nothing shown yet
    EXPECT_EQ(w->AwaitedFile(), "IVA.rpt");
    CmdQueue = CmdQueueState{};
    Write("Cassa1/IVA.rpt", "VAT 22%  100,00\r\n");
    NoteFileStored();  // as the report's writer does at its end line
    w->WatchOperation();
    EXPECT_EQ(w->txtReport->toPlainText().toStdString(), "VAT 22%  100,00\n");
    EXPECT_EQ(w->lblReportFile->text().toStdString(), dir.file("Cassa1/IVA.rpt"));
    // A report without lines is said so, not shown as a blank pane.
    w->cmdRequest->click();
    CmdQueue = CmdQueueState{};
    Write("Cassa1/IVA.rpt", "");
    NoteFileStored();
    w->WatchOperation();
    EXPECT_EQ(w->lblReportFile->text().toStdString(), "The register sent no lines: " + dir.file("Cassa1/IVA.rpt"));
    shelltest::Picture(w, "reports_no_lines");

    // The customer-group report takes the customer range.
    w->lstReports->setCurrentRow(14);
    w->txtCliFrom->setText("100");
    w->txtCliTo->setText("250");
    w->cmdRequest->click();
    EXPECT_EQ(Texts().back(), "*2;+2;*c100:250;#H;*3;");
    CmdQueue = CmdQueueState{};

    // The history limit and start mode are kept where the next run finds them.
    w->txtHistoryLimit->setValue(1);
    EXPECT_EQ(ShellState.HistoryLimit, 1);
    EXPECT_EQ(platform::ProfileString("Generiche", "hstlimit", "", dir.file("config.ini")), "1");
    w->optB90Type[2]->click();
    EXPECT_EQ(CassaFile.nB90Type, 2);
    EXPECT_EQ(platform::ProfileString("B90", "type", "", dir.file("Cassa1/Cassa.txt")), "2");
    w->cmdStorico->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"*2;#P;#H;*3;"});
    EXPECT_EQ(ReqState.bRdStorico, True);
    EXPECT_EQ(w->AwaitedFile(), "Storico.txt");
    CmdQueue = CmdQueueState{};

    // The closure only after Yes.
    fake.QueueAnswer(false);
    w->cmdChiusura->click();
    EXPECT_TRUE(Texts().empty());
    ASSERT_EQ(fake.questions.size(), 1u);
    EXPECT_EQ(fake.questions[0].title, "Daily closure");
    fake.QueueAnswer(true);
    w->cmdChiusura->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"*2;+3;#Z;*3;"});
    EXPECT_EQ(ReqState.nFileChiusura, kFileOpenNext);
    CmdQueue = CmdQueueState{};
    Write("Cassa1/Chiusura.txt", "Z 0012:TOTAL 5,00\r\n");
    WorkOf(0).outcome = RegisterOutcome::Failed;  // its reply lost: the file came all the same
    NoteFileStored();
    w->WatchOperation();
    EXPECT_EQ(w->txtReport->toPlainText().toStdString(), "Z 0012:TOTAL 5,00\n");
    // Acknowledged, but its closure data never came: the earlier file is not shown as its result.
    w->cmdChiusura->click();
    CmdQueue = CmdQueueState{};
    StartWork(0);  // as the operation's start does
    WorkOf(0).outcome = RegisterOutcome::Done;
    w->WatchOperation();
    EXPECT_TRUE(w->txtReport->toPlainText().isEmpty());
    EXPECT_EQ(w->lblReportFile->text().toStdString().rfind("Not received by the last request", 0), 0u);
    // What the end of a closure says of the register, as the link noted its frames: a closure
    // whose frame or reply went unacknowledged may or may not have been made (said once in the
    // message log); one acknowledged whole is closed, with its data or without.
    const struct {
        void (*link)();
        const char* said;
    } ends[] = {
        {[] { NoteFrameOut(0); }, "may or may not"},
        {[] { NoteFrameOut(0), NoteFrameAcked(0), NoteReplyLost(0); }, "may or may not"},
        {[] { NoteFrameOut(0), NoteFrameAcked(0); }, "closure data were not received"},
        {[] { NoteFrameOut(0), NoteFrameAcked(0), NoteStored(0); }, "Register 1: closed"},
    };
    for (const auto& e : ends) {
        SCOPED_TRACE(e.said);
        StartWork(0);
        Operation.bSeen = Operation.bClosure = true;
        WorkOf(0).outcome = RegisterOutcome::Underway;
        e.link();
        const std::string before = testsupport::ReadAll(dir.file("msg.log"));
        OperationTick();
        const std::string added = testsupport::ReadAll(dir.file("msg.log")).substr(before.size());
        EXPECT_EQ(testsupport::CountOf(added, e.said), 1) << added;
        EXPECT_EQ(testsupport::CountOf(added, "\n"), 1) << added;
    }

    // A register not enabled for work: nothing goes out.
    CassaList[0].bEnabled = False;
    w->cmdStorico->click();
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(fake.msgBoxes.size(), 1u);
    EXPECT_EQ(w->lblReach->text().toStdString().rfind("A request goes to no register", 0), 0u);

    // A report never received.
    w->lstReports->setCurrentRow(5);
    w->cmdShow->click();
    EXPECT_TRUE(w->txtReport->toPlainText().isEmpty());
    EXPECT_EQ(w->lblReportFile->text().toStdString().rfind("No report received yet:", 0), 0u);
}

}  // namespace
