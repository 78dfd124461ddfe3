// The modem connection window, shown by the opening of a modem line as in an
// interactive run, against a scripted modem on a fake port; and the phone
// book window, edited as a user does.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "common/fake_shell.h"
#include "link/modem.h"
#include "link/port.h"
#include "ui/frmModemConnection.h"
#include "ui/frmPhoneBook.h"
#include "platform/clock.h"
#include "platform/fake_serial.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "ui/editor_fixture.h"
#include "ui/shell_fixture.h"

namespace {

using shelltest::ShellTest;

// The user at the screen: looks at the modem window while it dials and,
// when asked to, closes it after a while.
class User : public testsupport::FakeShell {
public:
    void DoEvents() override {
        QCoreApplication::processEvents();
        auto* w = QApplication::activeModalWidget()
                      ? qobject_cast<frmModemConnection*>(QApplication::activeModalWidget())
                      : nullptr;
        if (!w) return;
        seen.insert(w->lblStatus->text().toStdString());
        boxes = {w->txtIndCassa->text().toStdString(), w->txtConnection->text().toStdString(),
                 w->txtConnNumber->text().toStdString()};
        if (closeAt > 0 && platform::Timer() > closeAt && !closed) {
            closed = true;
            w->close();
            closedStatus = w->lblStatus->text().toStdString();
        }
    }
    std::set<std::string> seen;
    std::vector<std::string> boxes;
    double closeAt = 0;
    bool closed = false;
    std::string closedStatus;
};

class ModemWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strLangFile = dir.file("Testi.eng");
        Core.strModemIni = dir.file("modem.ini");
        Core.strPhoneBookIni = dir.file("PhoneBook.ini");
        Core.strCashDir = dir.file("Cassa1");
        Write("modem.ini", "[Init1]\r\nCmd1=ATZ\r\n[Connect1]\r\nDial=ATDT\r\n"
                           "[Disconnect1]\r\nDisconnect=ATH\r\n");
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=Office|999\r\n2=Shop|0123\r\n");
        Write("Cassa1/Cassa.txt", "[Communication]\r\nPhoneBookIndex=2\r\n");
        CassaConf.P911 = kP911Modem | kP911NoDTRWait;
        Core.nCommPort = 1;
        SetPortFactory([this](int n) {
            auto port = std::make_unique<platform::FakeModem>(n, script);
            modem = port.get();
            return port;
        });
        platform::SetTestTimer([this] { return now; });
        platform::SetTestSleep([this](int32_t ms) { now += ms / 1000.0; });
        SetShell(&user);
        InstallModemConnection();
    }
    void TearDown() override {
        SetShell(nullptr);
        SetModemDialer(nullptr);
        SetPortFactory({});
        platform::SetTestTimer({});
        platform::SetTestSleep({});
        ShellTest::TearDown();
    }
    double now = 1000.0;
    platform::FakeModemScript script;
    platform::FakeModem* modem = nullptr;
    User user;
};

TEST_F(ModemWindowTest, TheWindowDialsTheRegistersEntryAndSaysItIsConnected) {
    // The entry is read from the register's Cassa.txt when the window loads.
    CassaConf.nPhoneBookIndex = 1;
    script.dialSeconds = 1.5;
    EXPECT_TRUE(OpenCommPort());
    EXPECT_EQ(modem->Commands(), (std::vector<std::string>{"ATZ", "ATDT0123"}));
    EXPECT_EQ(modem->Tag(), 2);
    EXPECT_EQ(user.boxes, (std::vector<std::string>{"1", "Shop", "0123"}));
    EXPECT_TRUE(user.seen.count("Dialling the register..."));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ModemWindowTest, ClosingTheWindowWhileItDialsAbortsTheDialAndHangsUp) {
    script.dialAnswer.clear();
    user.closeAt = now + 2.0;
    EXPECT_FALSE(OpenCommPort());
    EXPECT_TRUE(user.closed);
    EXPECT_EQ(user.closedStatus, "Abort");
    // Well before the carrier's thirty seconds, and the hang-up's pauses
    // only: after the Abort it does not wait for the modem's answers.
    EXPECT_LT(now - 1000.0, 2.0 + 1.0);
    EXPECT_EQ(modem->Commands().back(), "ATH");
    EXPECT_EQ(user.errors.front().text, "Modem: dialling stopped by the user: 0123");
    EXPECT_FALSE(Comm.bPortOpen);
}

TEST_F(ModemWindowTest, TheStatusBarPanelDialsAndItsWindowHangsUpAConnectedLine) {
    // A register on a direct line: the panel does nothing.
    CassaConf.P911 = kP911NoDTRWait;
    EXPECT_FALSE(ModemPanelEnabled());
    ModemPanelClick();
    EXPECT_EQ(modem, nullptr);

    CassaConf.P911 = kP911Modem | kP911NoDTRWait;
    EXPECT_TRUE(ModemPanelEnabled());
    EXPECT_EQ(ModemPanelText(false), "Modem connection: Not connected");
    ModemPanelClick();
    ASSERT_NE(modem, nullptr);
    EXPECT_TRUE(ModemConnected());
    EXPECT_EQ(user.status, "");
    EXPECT_EQ(modem->Commands(), (std::vector<std::string>{"ATZ", "ATDT0123"}));

    // With the carrier up the window stays and says so; Abort hangs up,
    // says so and ends the window.
    std::string shown;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmModemConnection*>(QApplication::activeModalWidget());
        if (!w) return;
        shown = w->lblStatus->text().toStdString();
        w->cmdAbort->click();
        shown += " > " + w->lblStatus->text().toStdString() + (w->isVisible() ? " (open)" : "");
        if (w->isVisible()) w->close();
    });
    ModemPanelClick();
    EXPECT_EQ(shown, "Connected > Not connected");
    EXPECT_EQ(modem->Commands().back(), "ATH");
    EXPECT_FALSE(ModemConnected());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class PhoneBookWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strLangFile = dir.file("Testi.eng");
        Core.strPhoneBookIni = dir.file("PhoneBook.ini");
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=A|111\r\n2=B|222\r\n3=C|333\r\n");
    }
    std::string Entry(const char* key) {
        return platform::ProfileString("PhoneBook", key, "?", Core.strPhoneBookIni);
    }
    static void TypeName(frmPhoneBook& w, const char* name) {
        w.cbxConnection->setEditText(name);
        emit w.cbxConnection->lineEdit()->textEdited(name);
    }
    // The key pressed in the field, as the user's keyboard gives it.
    static void Press(QWidget* field, Qt::Key key) {
        field->setFocus();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
    testsupport::ScopedFakeShell shell;
};

TEST_F(PhoneBookWindowTest, ADeletedEntryKeepsItsKeyForTheNextNameAdded) {
    frmPhoneBook w;
    EXPECT_EQ(w.windowTitle().toStdString(), "Phone book");
    ASSERT_EQ(w.cbxConnection->count(), 3);
    for (QWidget* b : std::initializer_list<QWidget*>{w.cmdAdd, w.cmdModify, w.cmdDelete,
                                                      w.txtPhoneNumber})
        EXPECT_FALSE(b->isEnabled());

    // B chosen from the list and deleted: its key stays, empty; C is chosen.
    w.cbxConnection->setCurrentIndex(1);
    emit w.cbxConnection->activated(1);
    EXPECT_EQ(w.txtPhoneNumber->text().toStdString(), "222");
    w.cmdDelete->click();
    EXPECT_EQ(Entry("2"), "|");
    EXPECT_EQ(w.cbxConnection->count(), 2);
    EXPECT_EQ(w.cbxConnection->currentText().toStdString(), "C");
    EXPECT_EQ(w.txtPhoneNumber->text().toStdString(), "333");

    // A new name goes into the deleted entry's key; key 3 stays as it was.
    TypeName(w, "D");
    EXPECT_TRUE(w.cmdAdd->isEnabled());
    EXPECT_TRUE(w.txtPhoneNumber->text().isEmpty());
    w.txtPhoneNumber->setText("444");
    w.cmdAdd->click();
    EXPECT_EQ(Entry("2"), "D|444");
    EXPECT_EQ(Entry("3"), "C|333");
    EXPECT_FALSE(w.cmdAdd->isEnabled());

    // A typed name that exists shows its number.
    TypeName(w, "A");
    EXPECT_EQ(w.txtPhoneNumber->text().toStdString(), "111");
    EXPECT_FALSE(w.cmdAdd->isEnabled());
    EXPECT_TRUE(w.cmdDelete->isEnabled());

    // The separator is refused in a name and in a number: nothing is written.
    const std::string before = testsupport::ReadAll(Core.strPhoneBookIni);
    TypeName(w, "E|F");
    w.txtPhoneNumber->setText("555");
    w.cmdAdd->click();
    shell->answers = {false};  // choosing A: the refused new name's number is dropped
    w.cbxConnection->setCurrentIndex(0);
    emit w.cbxConnection->activated(0);
    w.txtPhoneNumber->setText("1|1");
    w.cmdModify->click();
    EXPECT_EQ(testsupport::ReadAll(Core.strPhoneBookIni), before);
    ASSERT_EQ(shell->msgBoxes.size(), 2u);
    EXPECT_EQ(shell->msgBoxes[0].text, "A name or a phone number cannot contain the character \"|\"");

    w.txtPhoneNumber->setText("112");
    w.cmdModify->click();
    EXPECT_EQ(Entry("1"), "A|112");
}

TEST_F(PhoneBookWindowTest, EnterInAFieldKeepsTheEntryAndTheWindowStays) {
    frmPhoneBook w;
    w.show();
    QCoreApplication::processEvents();
    // A new name and its number, Enter in the number: added.
    TypeName(w, "D");
    w.txtPhoneNumber->setText("444");
    Press(w.txtPhoneNumber, Qt::Key_Return);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.result(), 0);
    EXPECT_EQ(Entry("4"), "D|444");
    // A number changed, Enter: modified.
    w.txtPhoneNumber->setText("445");
    Press(w.txtPhoneNumber, Qt::Key_Enter);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Entry("4"), "D|445");
    // Enter in the name with nothing to keep: nothing happens.
    const std::string before = testsupport::ReadAll(Core.strPhoneBookIni);
    Press(w.cbxConnection->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(testsupport::ReadAll(Core.strPhoneBookIni), before);
}

TEST_F(PhoneBookWindowTest, LeavingWithANumberNotWrittenAsksWhetherToKeepIt) {
    // Reply 0 Yes, 1 No (after Escape), 2 the question closed: the window stays.
    // With number and kept: that number typed and written by Modify first, so nothing is asked.
    const struct { const char* name; int reply; const char* key; const char* entry; const char* number = "9"; bool kept = false; } rows[] = {
        {"B", 0, "2", "B|9"}, {"B", 1, "2", "B|222"}, {"B", 2, "2", "B|222"}, {"D", 0, "4", "D|9"},
        {"B", 0, "2", "B|9", "9 ", true}};
    for (const auto& r : rows) {
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=A|111\r\n2=B|222\r\n3=C|333\r\n");
        shell->closes = r.reply == 2;
        shell->defaultAnswer = r.reply == 0;
        frmPhoneBook w;
        w.show();
        TypeName(w, r.name);
        if (r.kept) emit w.cbxConnection->activated(w.cbxConnection->findText(r.name));
        w.txtPhoneNumber->setText(r.number);
        if (r.kept) w.cmdModify->click(), shell->closes = true;  // a question now keeps the window
        if (r.reply == 1) Press(w.txtPhoneNumber, Qt::Key_Escape); else w.cmdOk->click();
        EXPECT_EQ(Entry(r.key), r.entry) << r.reply;
        EXPECT_EQ(w.isVisible(), r.reply == 2) << r.reply << r.number;
    }
}

// Another name chosen with a number typed and not written: asked first. Yes writes it, No drops
// it, a closed question keeps the name and the number typed; the name chosen shows its own.
TEST_F(PhoneBookWindowTest, ChoosingAnotherNameWithANumberNotWrittenAsksFirst) {
    const struct { const char* typed; int reply; const char* entryB; const char* shown; const char* number; } rows[] = {
        {"B", 0, "B|9", "C", "333"}, {"B", 1, "B|222", "C", "333"}, {"B", 2, "B|222", "B", "9"},
        {"D", 0, "B|222", "C", "333"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.typed) + std::to_string(r.reply));
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=A|111\r\n2=B|222\r\n3=C|333\r\n");
        shell->closes = r.reply == 2;
        shell->defaultAnswer = r.reply == 0;
        const size_t asked = shell->questions.size();
        frmPhoneBook w;
        if (std::string(r.typed) == "B") {
            w.cbxConnection->setCurrentIndex(1);
            emit w.cbxConnection->activated(1);
        } else {
            TypeName(w, r.typed);  // a new name, its number typed, not added yet
        }
        w.txtPhoneNumber->setText("9");
        const int c = w.cbxConnection->findText("C");
        w.cbxConnection->setCurrentIndex(c);
        emit w.cbxConnection->activated(c);
        EXPECT_EQ(shell->questions.size(), asked + 1);
        EXPECT_EQ(Entry("2"), r.entryB);
        if (std::string(r.typed) == "D") {
            EXPECT_EQ(Entry("4"), "D|9");
        }
        EXPECT_EQ(w.cbxConnection->currentText().toStdString(), r.shown);
        EXPECT_EQ(w.txtPhoneNumber->text().toStdString(), r.number);
    }
}

TEST_F(PhoneBookWindowTest, APhoneBookThatCannotBeWrittenIsSaidAndNothingIsListed) {
    // The phone book lies in a folder that does not exist: it cannot be written.
    Core.strPhoneBookIni = dir.file("missing/PhoneBook.ini");
    frmPhoneBook w;
    ASSERT_EQ(w.cbxConnection->count(), 0);
    TypeName(w, "D");
    w.txtPhoneNumber->setText("444");
    w.cmdAdd->click();
    ASSERT_EQ(shell->msgBoxes.size(), 1u);
    EXPECT_EQ(shell->msgBoxes[0].text, "Cannot write " + Core.strPhoneBookIni);
    EXPECT_EQ(w.cbxConnection->count(), 0);
    EXPECT_TRUE(w.cmdAdd->isEnabled());
    EXPECT_FALSE(platform::FileExists(Core.strPhoneBookIni));
}

// Both windows in each language: every text whole, nothing covering another.
TEST_F(PhoneBookWindowTest, TheModemAndPhoneBookWindowsInBothLanguages) {
    for (const char* lang : {"Testi.eng", "Testi.ita"}) {
        SCOPED_TRACE(lang);
        Core.strLangFile = dir.file(lang);
        frmPhoneBook book;
        frmModemConnection modem;
        for (QWidget* w : {static_cast<QWidget*>(&book), static_cast<QWidget*>(&modem)}) {
            w->show();
            QCoreApplication::processEvents();
            EXPECT_FALSE(w->windowTitle().isEmpty());
            editortest::ExpectWholeAndApart(w);
            shelltest::Picture(w, (w->objectName() + "_" + QString(lang).mid(6)).toUtf8().constData());
            w->hide();
        }
    }
}

}  // namespace
