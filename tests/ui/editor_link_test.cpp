// The editors on the line: the main window's timer drives the link against
// the register emulator on a pseudo-terminal. An editor's Send reaches the
// register with what was typed, and its Load brings the register's table
// into the editor on screen through the refresh at the end of the read.
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWindow>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/numbers.h"
#include "engine/operation.h"
#include "platform/clock.h"
#include "ui/editor_fixture.h"
#include "ui/frmIconePeriodo.h"
#include "ui/frmOpGen.h"
#include "ui/frmOpeCamCli.h"
#include "ui/frmOperatori.h"
#include "ui/frmTestoIcone.h"
#include "ui/frmValute.h"
#include "store/cards.h"
#include "store/create_tables.h"

namespace {

class EditorLinkTest : public editortest::LinkEditorTest {
protected:
    void SetUp() override {
        LinkEditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartLine(9, "TIMBREL"));
        // Rates written and shown with a decimal point, whatever the locale.
        Numbers.strDecSep = ".";
        CreateValuta();
    }
};

TEST_F(EditorLinkTest, CurrenciesTypedReachTheRegisterAndItsTableComesBackOnScreen) {
    frmValute* w = Open<frmValute>("K_FRMVALUTE");
    Choose(w->cbxValute, 2);
    Type(w->txtP530, "1.5");
    Type(w->txtP531, "USD");
    Choose(w->cbxP532, 2);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    // The newer models take the currencies from the second on.
    EXPECT_EQ(reg->Received("currencies"),
              (std::vector<std::string>{"2:00001,50000000:2:USD", "3:00000,00000000:0:", "4:00000,00000000:0:"}));

    reg->SetRecords("currencies", {"1:00000,00000000:0:EUR:", "2:00002,25000000:0:GBP:"});
    Choose(w->cbxValute, 3);
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    // The refresh showed the table again: nothing chosen until the user picks.
    EXPECT_EQ(w->CurItem(), 0);
    EXPECT_EQ(w->cbxValute->currentIndex(), -1);
    EXPECT_EQ(w->cbxValute->count(), 4);
    Choose(w->cbxValute, 2);
    EXPECT_EQ(Shown(w->txtP531), "GBP");
    EXPECT_EQ(Shown(w->txtP530), "000002.25000000");
    EXPECT_EQ(w->cbxP532->currentIndex(), 0);
    EXPECT_EQ(File("Valute.txt").substr(27, 27), "2000002.250000000GBP     \r\n");
    EXPECT_EQ(shell.questions.size(), 1u);  // Send's, after the edit
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(EditorLinkTest, IconTextsTypedReachTheRegisterAndItsTextsComeBackOnScreen) {
    frmTestoIcone* w = Open<frmTestoIcone>("K_FRMTESTOICONE");
    Choose(w->cbxNMessaggio, 2);
    Type(w->txtNIcona, "7");
    Type(w->txtLinea[0], "HELLO");
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    // The register's release (R022002, learnt at the hello) gives it six
    // messages: every line of each goes out.
    const std::vector<std::string> got = reg->Received("icon texts");
    ASSERT_EQ(got.size(), 6u * 5);
    EXPECT_EQ(got[5], "2:1:HELLO:7");
    EXPECT_EQ(got[6], "2:2::7");
    // The operation's end leaves its success on show.
    EXPECT_EQ(Status(), "Sent to register 1");

    reg->SetRecords("icon texts", {"3:2:WORLD:4:"});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(w->cbxNMessaggio->count(), 6);
    EXPECT_EQ(Status(), "Read from register 1");
    Choose(w->cbxNMessaggio, 3);
    EXPECT_EQ(Shown(w->txtLinea[1]), "WORLD");
    EXPECT_EQ(Shown(w->txtNIcona), "4");
    Choose(w->cbxNMessaggio, 2);
    EXPECT_EQ(Shown(w->txtLinea[0]), "HELLO");
    EXPECT_EQ(shell.questions.size(), 1u);  // Send's, after the edit
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

// A question that stays open while an exchange is under way never makes the
// register wait: the exchange keeps its pace under it and ends as it would
// without it. The user's click that asks it comes while the link waits for
// the register; the user answers once the exchange is over (or long after
// its time-out).
TEST_F(EditorLinkTest, AQuestionOpenDuringAnExchangeLeavesItsPace) {
    frmTestoIcone* w = Open<frmTestoIcone>("K_FRMTESTOICONE");
    shell.real = true;
    QPushButton asker("Ask");
    asker.show();
    bool askedInTick = true;
    QObject::connect(&asker, &QPushButton::clicked, [&] {
        askedInTick = MainTimer.bTickRunning;
        EXPECT_EQ(CurrentShell().Ask("Leave?", "Question"), Reply::No);
    });
    const double limit = platform::Timer() + 15;
    bool clicked = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!clicked && MainTimer.bTickRunning && LinkState.nState == 1) {
            clicked = true;
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, QPointF(5, 5), asker.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(asker.windowHandle(), &event);
            }
        }
    });
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && (!OperationRunning() || platform::Timer() > limit)) box->button(QMessageBox::No)->click();
    });
    user.start(1);
    answer.start(20);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    ASSERT_TRUE(shelltest::EventsUntil([&] { return !QApplication::activeModalWidget(); }));
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(askedInTick);
    EXPECT_EQ(shell.questions, std::vector<std::string>{"Question: Leave?"});
    EXPECT_EQ(reg->Received("icon texts").size(), 6u * 5);
    EXPECT_EQ(Status(), "Sent to register 1");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(EditorLinkTest, GeneralOptionsAndVatRatesGoAndComeBackOnScreen) {
    frmOpGen* w = Open<frmOpGen>("K_FRMOPGEN");
    Type(w->txtP016[1], "22");
    Type(w->txtP216, "12");
    w->chkEnaIVATab->setChecked(true);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(reg->Received("general options"),
              std::vector<std::string>{"0:3:32:0:1:0:0:0:0:0:" + std::to_string(udtCassaConf.P915) + ":12:0:010110:0"});
    EXPECT_EQ(reg->Received("vat table"), std::vector<std::string>{"0:22:0:0:0"});

    reg->SetRecords("general options", {"0:3:32:0:1:0:0:3:0:0:224:7:0:050624:0:"});
    reg->SetRecords("vat table", {"10:20:30:40:50:"});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(w->lblP017->text(), "3");
    EXPECT_EQ(Shown(w->txtP216), "7");
    EXPECT_EQ(Shown(w->txtP016[2]), "30");
    EXPECT_EQ(w->mskP601->MaskText(), "05/06/24");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

// The emulator's own rates are ones the editor takes; a rate read that the
// editor refuses is named when the read ends.
TEST_F(EditorLinkTest, AVatRateReadThatTheEditorRefusesIsNamedWhenTheReadEnds) {
    reg->SeedOptions("TIMBREL");  // the options the emulator's program plays
    frmOpGen* w = Open<frmOpGen>("K_FRMOPGEN");
    const struct {
        const char* rates;  // as the register sends them; none: the emulator's own
        const char* status;
    } cases[] = {{nullptr, "Saved"},
                 {"10:120:30:40:50:", "VAT rates 1: the value read from the register is not valid here: correct "
                                      "it, or the options cannot be saved"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        if (c.rates) reg->SetRecords("vat table", {c.rates});
        w->cmdLoad->click();
        ASSERT_TRUE(RunToIdle());
        if (c.rates) {
            EXPECT_EQ(Status(), c.status);
        }
        Type(w->txtP216, c.rates ? "2" : "1");
        w->cmdSave->click();
        if (!c.rates) {
            EXPECT_EQ(Status(), c.status);
            EXPECT_EQ(Key("P0", "160"), "22");
            EXPECT_EQ(Key("P0", "164"), "5");
        }
    }
}

TEST_F(EditorLinkTest, APeriodTypedReachesTheRegisterAndItsPeriodsComeBack) {
    frmIconePeriodo* w = Open<frmIconePeriodo>("K_FRMICONEPERIODO");
    Choose(w->cbxNPeriodo, 2);
    Type(w->txtNIcona, "7");
    w->medDataInizio->setText("010224");
    w->medDataFine->setText("311224");
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> got = reg->Received("icon periods");
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], "1:0:000000:000000");
    EXPECT_EQ(got[1], "2:7:010224:311224");

    reg->SetRecords("icon periods", {"3:4:050524:060624:"});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    Choose(w->cbxNPeriodo, 3);
    EXPECT_EQ(Shown(w->txtNIcona), "4");
    EXPECT_EQ(w->medDataInizio->MaskText(), "05/05/24");
    EXPECT_EQ(w->medDataFine->MaskText(), "06/06/24");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(EditorLinkTest, OperatorOptionsGoAndComeBackOnScreen) {
    frmOpeCamCli* w = Open<frmOpeCamCli>("K_FRMOPECAMCLI");
    Type(w->txtP050P, "5");
    Type(w->txtP050C, "12");
    w->chkP050A->setChecked(true);
    w->chkP050C->setChecked(true);
    w->chkP311F->setChecked(false);
    w->chkP311G->setChecked(true);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(reg->Received("operator options"), std::vector<std::string>{"0:2"});
    EXPECT_EQ(reg->Received("operator options 2"), std::vector<std::string>{"005:160:00012"});

    reg->SetRecords("operator options", {"1:5:"});
    reg->SetRecords("operator options 2", {"007:64:00099:"});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_TRUE(w->chkP310->isChecked());
    EXPECT_TRUE(w->chkP311F->isChecked() && !w->chkP311G->isChecked() && w->chkP311H->isChecked());
    EXPECT_EQ(Shown(w->txtP050P), "007");
    EXPECT_EQ(Shown(w->txtP050C), "00099");
    EXPECT_TRUE(w->chkP050B->isChecked() && !w->chkP050A->isChecked());
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(EditorLinkTest, OperatorsAndAnOperatorCardReachTheRegisterAndACardReadShowsInTheEditor) {
    // The register and the program both play LX4100, the model with a card reader.
    main_->tmrMain()->stop();
    emu::RegisterConfig config = reg->Config();
    config.model = "LX4100";
    reg->SetConfig(config);
    Main(1);
    main_->tmrMain()->start();
    frmOperatori* w = Open<frmOperatori>("K_FRMOPERATORI");
    Choose(w->cbxOpe, 2);
    Type(w->txtP320C, "7");
    Type(w->txtP320S, "12");
    Type(w->txtP321, "ANNA");
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> sent = reg->Received("operators");
    ASSERT_EQ(sent.size(), 20u);
    EXPECT_EQ(sent[1], "2:7:12:ANNA:15:247:0:0:0:0");

    w->mskData->setText("05/03/24");
    w->cmdWrite->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(reg->Received("operator card"), std::vector<std::string>{"007:012:15:247:0:0:0:0:050324"});

    reg->SetRecords("operator card", {"005:321:16:64:128:0:0:0:241231:"});
    w->cmdRead->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(Shown(w->txtP320C), "005");
    EXPECT_EQ(Shown(w->txtP320S), "321");
    EXPECT_EQ(Shown(w->mskData), "24/12/31");
    EXPECT_TRUE(w->Check("chkP322AD")->isChecked());
    EXPECT_FALSE(w->Check("chkP322AE")->isChecked());
    EXPECT_EQ(Shown(w->txtP321), "ANNA");
    EXPECT_EQ(w->CurItem(), 2);
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

}  // namespace
