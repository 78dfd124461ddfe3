#pragma once
// Common ground of the editor tests: the main window loaded on a customer
// folder with two registers (the first enabled and opened), the program's
// shell with its questions and message boxes answered from a script, and
// helpers to open an editor and read what it left behind: the register
// folder's files, the queued command texts, the status text. For the editors
// on the line, the register emulator on a pseudo-terminal as port 1.
#include <functional>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QTabWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/editor_controls.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "link/cmd_queue.h"
#include "link/port.h"
#include "platform/settings.h"
#include "ui/editor_window.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/qt_shell.h"
#include "transfers/table_procs.h"
#include "ui/shell_fixture.h"

namespace editortest {

// The status text of an option editor's save refused for a value not valid
// in the field named (an editor that names no field: the general text).
inline std::string Refused(const std::string& field) {
    if (field.empty()) return "Save settings - some values are not valid: nothing was saved";
    return "Save settings - " + field + ": not a valid value: nothing was saved";
}

// The program's shell, but its Yes/No questions are answered from a script
// (Yes when it runs out) and its message boxes only noted; with real set, the
// questions are the program's own message boxes, only counted.
class ScriptedShell : public QtShell {
public:
    Reply Ask(const std::string& text, const std::string& title) override {
        questions.push_back(title + ": " + text);
        if (underQuestion) std::exchange(underQuestion, nullptr)();
        if (real) return QtShell::Ask(text, title);
        if (answers.empty()) return Reply::Yes;
        const int answer = answers.front();
        answers.pop_front();
        return answer == kClose ? Reply::Closed : answer ? Reply::Yes : Reply::No;
    }
    void MsgBox(const std::string& text, const std::string& title) override {
        boxes.push_back(title + ": " + text);
    }
    bool real = false;
    // Run once, while the next question is open (an operation moving on).
    std::function<void()> underQuestion;
    // Yes (true), No (false) or kClose: the question closed unanswered.
    static constexpr int kClose = 2;
    std::deque<int> answers;
    std::vector<std::string> questions;
    std::vector<std::string> boxes;
};

class EditorTest : public shelltest::ShellTest {
protected:
    // The editor of the class come on screen anew in place of the old one and
    // taking input; nullptr when none came.
    template <class Editor>
    static Editor* ShownAnew(const Editor* old) {
        shelltest::EventsUntil([old] { return CurrentEditor() != old; });
        auto* e = dynamic_cast<Editor*>(CurrentEditor());
        return e && e->isEnabled() ? e : nullptr;
    }
    void SetUp() override {
        ShellTest::SetUp();
        SetShell(&shell);
        Write("setup.ini", "[Locale]\r\nCurrencyDecimals=2\r\n");
        Write("Shop/config.ini", "[Casse]\r\nC0=1|Front|||1|0|0|1\r\nC1=2|Back|||1|0|1|0\r\n");
        Core.bInteractive = true;
        Core.strCustDir = dir.file("Shop");
        Core.bAskOnExit = false;
    }
    void TearDown() override {
        CloseCurrentEditor();
        main_.reset();
        frmProgress::Unload();
        SetShell(nullptr);
        ShellTest::TearDown();
    }

    // The main window on the customer folder, for the model (its number), in
    // the language; its timer stands still unless a test runs it.
    frmMain& Main(int16_t model = 9, const char* lang = "Testi.eng") {
        ConfigLevel.InitOffLine(model, "V014057");
        Core.strCashDir = dir.file("Shop");
        Core.strLangFile = dir.file(lang);
        main_ = std::make_unique<frmMain>();
        main_->Load();
        main_->tmrMain()->stop();
        main_->show();
        return *main_;
    }
    // Opens the editor of the key (the main window loaded first if need be).
    template <class Window>
    Window* Open(const char* key) {
        if (!main_) Main();
        EXPECT_TRUE(ShowForm(key)) << key;
        return dynamic_cast<Window*>(CurrentEditor());
    }

    // The register folder's file.
    std::string File(const std::string& name) const { return Read("Shop/Cassa1/" + name); }
    // Record n of a file of records of the length.
    std::string Record(const std::string& name, int n, size_t length) const {
        return File(name).substr((n - 1) * length, length);
    }
    // The value of a key in the register's Cassa.txt, in the section,, as the file holds it.
    std::string Key(const std::string& section, const std::string& key) const {
        const std::string text = File("Cassa.txt");
        size_t at = text.find("[" + section + "]\r\n");
        if (at == std::string::npos) return "<no section>";
        const size_t end = text.find("\r\n[", at);
        at = text.find("\r\n" + key + "=", at);
        if (at == std::string::npos || at > end) return "<no key>";
        at += key.size() + 3;
        return text.substr(at, text.find("\r\n", at) - at);
    }
    // The command texts waiting in the queue, in order.
    static std::vector<std::string> Queued() {
        std::vector<std::string> out;
        for (int i = 1; i <= kQueueSize; ++i)
            if (CmdQueue.entries[i].state != 0) out.push_back(CmdQueue.entries[i].command);
        return out;
    }
    static std::string Status() { return CurrentShell().StatusText(); }
    // An option editor's Save or Send refused for the field: said in the
    // status text, Cassa.txt as it was before, nothing queued.
    void ExpectRefused(const std::string& before, const std::string& field = "") const {
        EXPECT_EQ(Status(), Refused(field));
        EXPECT_EQ(File("Cassa.txt"), before);
        EXPECT_TRUE(Queued().empty());
    }

    // The user's acts: a choice in a list, a text typed over a box's text.
    static void Choose(QComboBox* list, int n) { list->setCurrentIndex(n - 1); }
    static void Type(QLineEdit* box, const std::string& text) { box->setText(QString::fromLatin1(text.c_str())); }
    static std::string Shown(const QLineEdit* box) { return box->text().toLatin1().toStdString(); }

    ScriptedShell shell;
    std::unique_ptr<frmMain> main_;
};

// The editors on the line: the main window's timer drives the link against
// a register of the emulator on a pseudo-terminal.
class LinkEditorTest : public EditorTest {
protected:
    void TearDown() override {
        if (main_) main_->tmrMain()->stop();
        SetPortFactory({});
        emulator.Stop();
        EditorTest::TearDown();
    }
    // The register (its model and release in the config) after the handlers
    // already added, the emulator started as port 1, the first register
    // folder saying hello type 1, and the main window for the model (its
    // number) with its timer running.
    void StartLine(int16_t number, const emu::RegisterConfig& config) {
        Write("Shop/Cassa1/Cassa.txt", "[P9]\r\n11=0\r\n[Communication]\r\nhellotype=1\r\n");
        RegisterTableProcs();
        reg = std::make_shared<emu::CashRegister>(0, config);
        emulator.AddHandler(reg);
        std::string error;
        ASSERT_TRUE(emulator.Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator.SlavePath()));
        Main(number);
        main_->tmrMain()->start();
    }
    void StartLine(int16_t number, const char* model) {
        emu::RegisterConfig config;
        config.model = model;
        StartLine(number, config);
    }
    // Lets the timer work until the queue is done and the link idle.
    bool RunToIdle(int seconds = 60) {
        return shelltest::EventsUntil([] { return LinkState.nState == 0 && !CmdQueuePending(); }, seconds * 1000);
    }

    emu::Emulator emulator;
    std::shared_ptr<emu::CashRegister> reg;
};

// Runs the act on the dialog of the class once it is shown modally; a dialog
// the act leaves open is cancelled.
template <class Dialog>
void WhenShown(std::function<void(Dialog*)> act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(d);
        if (d->isVisible()) d->reject();
    });
}

// Every visible label, button and frame of the editor lies inside it and
// shows its whole text (a label showing a picture has none), and no two of
// them cover each other.
inline void ExpectWholeAndApart(QWidget* editor) {
    std::vector<QWidget*> shown;
    for (QWidget* w : editor->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        const std::string name = w->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->pixmap().isNull()) {
                EXPECT_FALSE(label->text().isEmpty()) << name;
                if (!label->wordWrap()) {
                    EXPECT_GE(label->width(), label->sizeHint().width()) << name;
                }
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_FALSE(button->text().isEmpty()) << name;
            EXPECT_GE(button->width(), button->sizeHint().width()) << name;
        }
        const QRect r(w->mapTo(editor, QPoint(0, 0)), w->size());
        EXPECT_TRUE(editor->rect().contains(r)) << name;
        if (!qobject_cast<QGroupBox*>(w) && !qobject_cast<QTabWidget*>(w)) shown.push_back(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            QRect a(shown[i]->mapTo(editor, QPoint(0, 0)), shown[i]->size());
            QRect b(shown[j]->mapTo(editor, QPoint(0, 0)), shown[j]->size());
            EXPECT_FALSE(a.intersects(b)) << shown[i]->objectName().toStdString() << " and "
                                          << shown[j]->objectName().toStdString();
        }
}

// The editor beside the tree in the main window, once the events are done:
// its frame titled, the room its controls need, every control whole and
// apart. When ECR_SCREENSHOT_DIR names a folder, the main window is written
// there as editor_<name>_<language>.png.
inline void ExpectFitsBesideTheTree(frmMain& main, QWidget* editor, const QString& name, const char* langFile) {
    QCoreApplication::processEvents();
    EXPECT_FALSE(main.EditorArea()->subWindowList().front()->windowTitle().isEmpty());
    EXPECT_GE(editor->width(), editor->minimumSizeHint().width());
    EXPECT_GE(editor->height(), editor->minimumSizeHint().height());
    ExpectWholeAndApart(editor);
    if (const char* out = std::getenv("ECR_SCREENSHOT_DIR"))
        main.grab().save(QString("%1/editor_%2_%3.png").arg(out, name, QString(langFile).mid(6)));
}

}  // namespace editortest
