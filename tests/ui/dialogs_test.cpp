// The small windows: progress, hello, range, list and the service prompt;
// and the shell's message boxes in batch mode. When ECR_SCREENSHOT_DIR names
// a folder, each window is written there as a picture.
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdlib>
#include <functional>

#include "ui/frmSplash.h"
#include "core/cash_list.h"
#include "core/hello_rec.h"
#include "engine/conn_test.h"
#include "engine/cycle.h"
#include "link/cmd_queue.h"
#include "link/port.h"
#include "engine/service.h"
#include "ui/frmHello.h"
#include "ui/frmList.h"
#include "ui/frmProgress.h"
#include "ui/frmRange.h"
#include "ui/frmService.h"
#include "ui/qt_shell.h"
#include "ui/shell_fixture.h"

namespace {

class DialogTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strLangFile = dir.file("Testi.eng");
        SetShell(&TheQtShell());
    }
    void TearDown() override {
        frmProgress::Unload();
        frmHello::Unload();
        SetShell(nullptr);
        ShellTest::TearDown();
    }
    static void Picture(QWidget* window, const char* name) { shelltest::Picture(window, name); }
};

TEST_F(DialogTest, ProgressListsErrorsAndCancelAbortsTheOperation) {
    Core.strLogErrFile = dir.file("err.log");
    frmProgress* p = frmProgress::Instance();
    EXPECT_EQ(p->windowTitle().toStdString(), "Progress");
    EXPECT_EQ(p->cmdCancel->text().toStdString(), "Cancel");
    p->AddMessage("first", false);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->sstPages->currentWidget(), p->lstMessages);
    p->Hide_Request();
    EXPECT_FALSE(p->isVisible());

    p->AddError("broken", false);
    EXPECT_EQ(p->sstPages->currentWidget(), p->lstErrors);
    p->Hide_Request();
    EXPECT_TRUE(p->isVisible());
    Picture(p, "progress");

    // Cancel aborts an operation only while it has work left: a command
    // under way or queued, or a register still to come. Once the last
    // register's last command is answered, a Cancel stops nothing.
    const struct {
        const char* name;
        int16_t state, answers;
        bool queued, secondLeft, aborts;
    } cases[] = {
        {"answer awaited", 1, 1, false, false, true},
        {"command queued", 3, 0, true, false, true},
        {"second register to come", 3, 0, false, true, true},
        {"last answer in", 1, 0, false, false, false},
        {"closing frame", 2, 0, false, false, false},
        {"pause before the end", 3, 0, false, false, false},
    };
    for (int i : {0, 1}) CassaList[i].bDefined = CassaList[i].bEnabled = True;
    Core.nOpenCash = 0;
    int aborts = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkState.nState = c.state;
        LinkState.nPendingAns = c.answers;
        LinkState.AbortRequest = false;
        ClearCmdQueue();
        if (std::string text = "*2;"; c.queued) AddCmd(text, 1, 1, "");
        CassaList[1].bDone = c.secondLeft ? False : True;
        p->cmdCancel->click();
        EXPECT_EQ(LinkState.AbortRequest, c.aborts);
        aborts += c.aborts;
        EXPECT_EQ(testsupport::CountOf(Read("err.log"), "[006]"), aborts);
        EXPECT_TRUE(p->isVisible());
        // A Cancel taken greys the button until the operation ends.
        EXPECT_EQ(p->cmdCancel->isEnabled(), !c.aborts);
        p->OperationOver();
        EXPECT_TRUE(p->cmdCancel->isEnabled());
    }
    ClearCmdQueue();
    LinkState.nState = 0;

    // Closed by the user: hidden, its lists emptied.
    p->close();
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(p->lstErrors->count(), 0);
    EXPECT_EQ(p->lstMessages->count(), 0);
}

// An operation's lines stay after it ends, with Close on the button; the
// first line of the next operation starts the lists afresh.
TEST_F(DialogTest, ProgressListsHoldOneOperationAndSayCloseOnceItIsOver) {
    frmProgress* p = frmProgress::Instance();
    LinkState.nState = 1;
    p->AddMessage("first operation", false);
    p->AddError("its error", false);
    p->OperationOver();
    LinkState.nState = 0;
    EXPECT_EQ(p->cmdCancel->text().toStdString(), "Close");
    p->AddMessage("said after its end", false);
    EXPECT_EQ(p->lstMessages->count(), 2);
    EXPECT_EQ(p->lstErrors->count(), 1);
    LinkState.nState = 1;
    p->AddMessage("second operation", false);
    ASSERT_EQ(p->lstMessages->count(), 1);
    EXPECT_EQ(p->lstMessages->item(0)->text().toStdString(), "second operation");
    EXPECT_EQ(p->lstErrors->count(), 0);
    EXPECT_EQ(p->sstPages->currentWidget(), p->lstMessages);  // the page that has its lines
    EXPECT_EQ(p->cmdCancel->text().toStdString(), "Cancel");
    LinkState.nState = 0;
}

// The toolkit's own buttons (a question's Yes and No) speak the language
// chosen; one it has no texts for keeps English.
TEST_F(DialogTest, TheToolkitsButtonsSpeakTheLanguageChosen) {
    const struct {
        const char* ext;
        const char* yes;
    } cases[] = {{".ita", "&S\xc3\xac"}, {".eng", "&Yes"}, {".xyz", "&Yes"}, {".ita", "&S\xc3\xac"}, {"", "&Yes"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        UseToolkitLanguage(c.ext);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(), c.yes);
    }
}

TEST_F(DialogTest, CancelWithNothingRunningOnlyClosesTheWindow) {
    Core.strLogErrFile = dir.file("err.log");
    frmProgress* p = frmProgress::Instance();
    p->AddError("broken", false);
    for (int press = 0; press < 2; ++press) {
        p->cmdCancel->click();
        EXPECT_FALSE(p->isVisible());
    }
    EXPECT_FALSE(LinkState.AbortRequest);
    EXPECT_EQ(p->lstErrors->count(), 0);
    EXPECT_FALSE(platform::FileExists(dir.file("err.log")));
}

// Every error line the progress window lists is in the message log, once,
// whoever reported it.
TEST_F(DialogTest, EveryErrorOfTheProgressWindowIsInTheMessageLogOnce) {
    const struct {
        const char* name;
        std::function<void()> fault;
        std::string text;  // the line without the register in front
    } cases[] = {
        {"connection test without registers", [] { ConnTest(); },
         GetText("Msg", "nocash") + " " + ConfigIniPath()},
        {"port that does not open", [] { Core.nCommPort = 20, OpenCommPort(); },
         GetText("Log", "noport") + " COM20: " + GetText("Log", "noportnum")},
        {"the user's cancel", [] { LinkState.AbortRequest = true, NextCash(false); },
         GetText("Msg1", "usercancel")},
    };
    frmProgress* p = frmProgress::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int listed = p->lstErrors->count();
        c.fault();
        ASSERT_EQ(p->lstErrors->count(), listed + 1);
        const std::string line = p->lstErrors->item(listed)->text().toStdString();
        EXPECT_EQ(line.substr(line.size() - std::min(line.size(), c.text.size())), c.text);
        // Kept as listed, with its register (no command is under way here).
        EXPECT_EQ(testsupport::CountOf(Read("msg.log"), " : " + line + "\r\n"), 1) << Read("msg.log");
    }
}

TEST_F(DialogTest, HelloWindowShowsTheStatusWordsBitByBit) {
    HelloRec.HelloStatus = {11, 68, 64, 0};
    HelloRec.strHelloName = "FRONT";
    HelloRec.strHelloVersion = "R022002";
    TheQtShell().ShowHelloForm(true);
    ASSERT_TRUE(frmHello::Exists());
    frmHello* h = frmHello::Instance();
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(h->windowTitle().toStdString(), "Register status");
    EXPECT_EQ(h->lblMode->text().toStdString(), "3");
    EXPECT_EQ(h->lblName->text().toStdString(), "FRONT");
    const int word1[8] = {0, 0, 1, 0, 0, 0, 1, 0};  // 68 = 4 + 64
    for (int b = 0; b < 8; ++b) EXPECT_EQ(h->chkBit[8 + b]->isChecked(), word1[b] == 1) << b;
    Picture(h, "hello");

    HelloRec.strHelloName = "BACK";
    TheQtShell().ShowHelloForm(false);
    EXPECT_EQ(h->lblName->text().toStdString(), "BACK");

    Core.bHelloShown = true;
    h->close();  // closed by the user: the next hello shows it again
    EXPECT_FALSE(Core.bHelloShown);
}

TEST_F(DialogTest, RangeWindowGivesTheChosenLimitsOnlyOnOk) {
    frmRange r;
    r.strSubject = "PLU";
    r.strFrom = "5";
    r.strTo = "80";
    r.InitForm();
    EXPECT_EQ(r.txtFrom->text().toStdString(), "5");
    EXPECT_EQ(r.lblFrom->text().toStdString(), "From");
    EXPECT_EQ(r.windowTitle().toStdString(), "Range");
    Picture(&r, "range");
    r.txtTo->setText(" 90 ");
    r.cmdCancel_Click();
    EXPECT_FALSE(r.bConfirmed);
    EXPECT_EQ(r.strTo, "80");
    // Limits the caller's check refuses: the window stays with them and says
    // why, in room kept for it, so the OK button stays where it was.
    const std::string refused = "From is greater than To: the range is not taken";
    r.fnCheck = [&](const std::string& from, const std::string& to) { return from > to ? refused : ""; };
    r.show();
    QCoreApplication::processEvents();
    const QPoint ok = r.cmdOk->mapTo(&r, QPoint());
    r.txtTo->setText(" 10 ");
    r.cmdOk_Click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(r.bConfirmed || r.strTo != "80" || r.txtTo->text() != " 10 ");
    EXPECT_EQ(r.lblRefusal->text().toStdString(), refused);
    EXPECT_EQ(r.cmdOk->mapTo(&r, QPoint()), ok);
    Picture(&r, "range_refused");
    r.txtTo->setText(" 90 ");
    r.cmdOk_Click();
    EXPECT_TRUE(r.bConfirmed);
    EXPECT_EQ(r.strTo, "90");

    // Batch mode opens no window: the proposed limits stand.
    Core.bInteractive = false;
    std::string low = "1", high = "999999999999";
    EXPECT_TRUE(TheQtShell().AskRange("PLU", low, high, {}));
    EXPECT_EQ(high, "999999999999");
}

TEST_F(DialogTest, ListWindowColumnsCellsAndThePickedRow) {
    frmList* l = frmList::Instance();
    l->ClearList();
    l->SetCaption("Customers");
    l->AddColumn("Code", 0.5f);
    l->AddColumn("Name", 0.5f);
    const int listTwips = PixelsToTwips(l->lvwList->width() - 2 * l->lvwList->frameWidth());
    EXPECT_GT(listTwips, PixelsToTwips(400));  // as laid out in the window
    EXPECT_EQ(l->lvwList->columnWidth(0), TwipsToPixels(listTwips / 2 - 450));
    l->SetList(2, 1, "Rossi");  // rows are added as needed
    EXPECT_EQ(l->Rows(), 3);
    EXPECT_EQ(l->List(2, 1), "Rossi");
    EXPECT_EQ(l->List(0, 0), "");
    EXPECT_EQ(l->List(7, 0), "");
    Picture(l, "list");

    l->lvwList->setCurrentItem(l->lvwList->topLevelItem(2));
    l->cmdOk_Click();
    EXPECT_EQ(l->Selected(), 2);
    l->cmdCancel_Click();
    EXPECT_EQ(l->Selected(), -1);
    l->ClearList();
    EXPECT_EQ(l->Rows(), 0);
    EXPECT_EQ(l->lvwList->columnCount(), 0);
}

TEST_F(DialogTest, ServiceCodeSwitchesServiceModeOn) {
    ConfigLevel.ServiceMode(false);
    Write("setup.ini", "[Casse]\r\nc1=x|1\r\n");
    EXPECT_FALSE(CheckServiceCode(""));  // an installation without a code
    Write("setup.ini", "[Service]\r\ncode=2468\r\n");
    EXPECT_FALSE(CheckServiceCode("2469"));
    EXPECT_FALSE(CheckServiceCode(""));
    EXPECT_FALSE(ConfigLevel.ServiceMode());

    frmService prompt;
    EXPECT_EQ(prompt.lblPrompt->text().toStdString(), "Service code:");
    prompt.txtCode->setText("1111");
    prompt.cmdOk_Click();
    EXPECT_FALSE(prompt.lblWrong->isHidden());
    EXPECT_TRUE(prompt.txtCode->text().isEmpty());
    Picture(&prompt, "service");
    prompt.txtCode->setText("2468");
    prompt.cmdOk_Click();
    EXPECT_TRUE(ConfigLevel.ServiceMode());
    EXPECT_EQ(prompt.result(), QDialog::Accepted);
    ConfigLevel.ServiceMode(false);
}

TEST_F(DialogTest, BatchModeMessageBoxesGoToTheMessageLog) {
    Core.bInteractive = false;
    TheQtShell().MsgBox("SortPLU - file not found", "");
    EXPECT_TRUE(TheQtShell().AskYesNo("Keep the changes?", "Departments"));
    std::string log = Read("msg.log");
    EXPECT_NE(log.find(" : SortPLU - file not found\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" : Departments - Keep the changes?\r\n"), std::string::npos) << log;
}

TEST_F(DialogTest, ChooserPicture) {
    Write("setup.ini",
          "[Casse]\r\nc1=LX4100|1\r\nc2=TIMBREL|9\r\n[Lingue]\r\nl1=English|eng\r\nl2=Italiano|ita\r\n");
    platform::MakeDir(dir.file("LX4100/Demo"));
    frmSplash f;
    EXPECT_EQ(f.lblProductName->text().toStdString(), "ECR Programmer");
    f.show();
    QCoreApplication::processEvents();
    for (QWidget* w : std::initializer_list<QWidget*>{f.chkSet, f.cmdOk, f.cmdCancel, f.lblProductName})
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    Picture(&f, "chooser");
}

}  // namespace
