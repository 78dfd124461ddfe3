#include "ui/qt_shell.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <QPushButton>
#include <QMessageBox>
#include <QTimer>

#include "core/globals.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "engine/registry.h"
#include "core/shell_state.h"
#include "ui/frmDocument.h"
#include "ui/frmHello.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/frmRange.h"

namespace {


// A message box of batch mode: nobody is there to answer it.
void LogBox(const std::string& text, const std::string& title) {
    WriteMsgLog(title.empty() ? text : title + " - " + text);
}

}  // namespace

class QtShell::QuestionOpen {
public:
    explicit QuestionOpen(QtShell& shell) : shell_(shell) { ++shell_.questionsOpen_; }
    ~QuestionOpen() {
        if (--shell_.questionsOpen_ > 0 || !shell_.refreshHeld_) return;
        shell_.refreshHeld_ = false;
        // After the code that asked has acted on its answer: it never acts on
        // values re-read under its own question. Through the shell, so that a
        // question opened meanwhile holds it again.
        QTimer::singleShot(0, qApp, [] {
            if (Core.nOpenCash == LinkState.nCurCash) CurrentShell().RefreshForm();
        });
    }
    QuestionOpen(const QuestionOpen&) = delete;
    QuestionOpen& operator=(const QuestionOpen&) = delete;

private:
    QtShell& shell_;
};

QtShell& TheQtShell() {
    static QtShell shell;
    return shell;
}

void QtShell::SetStatusText(const std::string& text) {
    status_ = text;
    if (fMainForm) fMainForm->SetStatusText(text);
}

std::string QtShell::StatusText() const {
    return fMainForm && fMainForm->IsLoaded() ? fMainForm->StatusText() : status_;
}

void QtShell::SetCounterPanel(int panel, const std::string& text) {
    if (fDocForm) fDocForm->SetPanelText(panel, text);
}

void QtShell::AddMessage(const std::string& text, bool registerPrefix) {
    frmProgress::Instance()->AddMessage(text, registerPrefix);
}

void QtShell::ListError(const std::string& text, bool registerPrefix) {
    frmProgress::Instance()->AddError(text, registerPrefix);
}

void QtShell::HideProgressRequest() {
    if (frmProgress::Exists()) frmProgress::Instance()->Hide_Request();
}

void QtShell::SetShowWait(float timeoutSeconds) {
    if (fMainForm) fMainForm->SetShowWait(timeoutSeconds);
}

void QtShell::ShowWait() {
    if (fMainForm) fMainForm->ShowWait();
}

void QtShell::ClearShowWait(bool hideProgress) {
    if (fMainForm)
        fMainForm->ClearShowWait(hideProgress);
    else if (hideProgress)
        ShowOperationEnd();
}

void QtShell::SetPGBRange(int16_t minimum, int16_t maximum) {
    range_.SetRange(minimum, maximum);
    if (fDocForm) fDocForm->SetPGBRange(minimum, maximum);
}

void QtShell::SetPGBValue(int16_t value) {
    range_.SetValue(value);
    if (fDocForm) fDocForm->SetPGBValue(value);
}

void QtShell::IncPGBValue() {
    range_.Inc();
    if (fDocForm) fDocForm->IncPGBValue();
}

bool QtShell::PGBBusy() const { return fDocForm ? fDocForm->PGBBusy() : range_.Busy(); }

void QtShell::MsgBox(const std::string& text, const std::string& title) {
    if (!Core.bInteractive) {
        LogBox(text, title);
        return;
    }
    if (MainTimer.bTickRunning) {
        // Said from inside the main timer's tick: the box stays on screen
        // and the tick goes on, so that the link never waits on it (a box
        // that waited there would stop the timer, and the link with it, until
        // it is closed). What is said so is a fault already acted on: nothing
        // after it waits for the user's reading, and input held during the
        // tick is refused under it rather than given to the window below.
        auto* box = new QMessageBox(QMessageBox::Information, ToQt(title), ToQt(text), QMessageBox::Ok, fMainForm);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    QuestionOpen open(*this);
    QMessageBox::information(fMainForm, ToQt(title), ToQt(text));
}

bool QtShell::AskYesNo(const std::string& text, const std::string& title) { return Ask(text, title) == Reply::Yes; }

Reply QtShell::Ask(const std::string& text, const std::string& title) {
    if (!Core.bInteractive) {
        LogBox(text, title);
        return Reply::Yes;
    }
    QuestionOpen open(*this);
    QMessageBox box(QMessageBox::Question, ToQt(title), ToQt(text), QMessageBox::Yes | QMessageBox::No, fMainForm);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the close box answer neither Yes nor No: they press this
    // button, which is never shown.
    QPushButton* none = box.addButton(QMessageBox::Cancel);
    none->hide();
    box.setEscapeButton(none);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes)) return Reply::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No)) return Reply::No;
    return Reply::Closed;
}

void QtShell::RefreshForm() {
    // The editor on screen may be the one asking: it is shown again when
    // the question is answered (the same register still open then).
    if (questionsOpen_ > 0) {
        refreshHeld_ = refreshHeld_ || Core.nOpenCash == LinkState.nCurCash;
        return;
    }
    ::RefreshForm();
}

void QtShell::DoEvents() {
    // The main timer's ticks wait while the link waits inside one: every
    // wait of the link moves the clock and the wait display's time.
    ShowTime();
    ShowWait();
    QCoreApplication::processEvents();
}

void QtShell::ShowTime() {
    if (fMainForm) fMainForm->ShowTime();
}

void QtShell::UnloadMainWindow() {
    if (fMainForm) fMainForm->close();
}

void QtShell::CloseOpForms() {
    ShellState.bMainCanUnload = true;
    CloseCurrentEditor();
    if (Core.bHelloShown) {
        frmHello::Unload();
        Core.bHelloShown = false;
    }
    if (frmProgress::Exists() && frmProgress::Instance()->isVisible()) frmProgress::Unload();
}

void QtShell::ShowHelloForm(bool first) {
    if (!first && !frmHello::Exists()) return;
    frmHello* hello = frmHello::Instance();
    hello->InitForm();
    if (first) hello->show();
    hello->update();
}

void QtShell::ShowCommData() {
    if (ShellState.strCurFrmKey == "K_FRMCOMM" && CurrentEditor()) CurrentEditor()->ShowData();
}

bool QtShell::AskRange(const std::string& subject, std::string& lower, std::string& upper,
                       const RangeCheck& check) {
    // Batch mode: the limits of the request stand as proposed.
    if (!Core.bInteractive) return true;
    frmRange range;
    range.strSubject = subject;
    range.strFrom = lower;
    range.strTo = upper;
    range.fnCheck = check;
    if (!range.ShowModal()) return false;
    lower = range.strFrom;
    upper = range.strTo;
    return true;
}

void UseToolkitLanguage(const std::string& langExt) {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QString code = ToQt(langExt.size() > 1 && langExt[0] == '.' ? langExt.substr(1) : langExt);
    const QLocale::Language language = QLocale::codeToLanguage(code);
    if (language == QLocale::AnyLanguage || language == QLocale::English) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(language), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
}
