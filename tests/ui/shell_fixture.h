#pragma once
// Common ground of the shell tests: the Qt application (offscreen), every
// global the shell touches back to its start-up value, and a temporary start
// folder with setup.ini, the language files and a customer folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <string>

#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"
#include "engine/registry.h"

namespace shelltest {

// The one application object of the test program. It is never destroyed:
// at the program's exit Qt's own objects may already be gone.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Lets Qt work until done() or the time is up; whether done() came.
inline bool EventsUntil(const std::function<bool()>& done, int ms = 5000, int slice = 20) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, slice);
    return done();
}

// A click on the control (at the point, in its own coordinates; its middle
// when none) as the window system delivers one: posted to the control's
// window, it reaches the control only when the program lets events run, and
// passes the program's event filters on its way. With now, the window has it
// at once, as from the window system between two steps of the link.
inline void PostClick(QWidget* target, bool now = false, QPoint point = {-1, -1}) {
    QWindow* window = target->window()->windowHandle();
    if (!window) return;
    if (point.x() < 0) point = target->rect().center();
    const QPointF at = target->mapTo(target->window(), point);
    const QPointF global = target->mapToGlobal(point);
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        auto* click = new QMouseEvent(type, at, global, Qt::LeftButton,
                                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                      Qt::NoModifier);
        if (now) {
            QApplication::sendEvent(window, click);
            delete click;
        } else {
            QCoreApplication::postEvent(window, click);
        }
    }
}

// A key typed (a press and its release) as the window system delivers one,
// posted to the window.
inline void PostKey(QWidget* window, Qt::Key key, const QString& text) {
    for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(window->windowHandle(), new QKeyEvent(type, key, Qt::NoModifier, text));
}

// The shipped language files.
inline std::string LangFile(const char* name) {
    return std::string(ECR_SOURCE_DIR) + "/lang/" + name;
}

// When ECR_SCREENSHOT_DIR names a folder, the window is shown and written
// there as name.png.
inline void Picture(QWidget* window, const char* name) {
    if (const char* out = std::getenv("ECR_SCREENSHOT_DIR")) {
        window->show();
        QCoreApplication::processEvents();
        window->grab().save(QString("%1/%2.png").arg(out, name));
    }
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        testsupport::ResetGlobals();
        ClearEditorRegistry();
        Core.strStartDir = dir.path();
        Core.strSetupIni = dir.file("setup.ini");
        Core.strRootDir = dir.path();
        ConfigLevel.InitOffLine(9, kProgramRelease);
        platform::CopyFileTo(LangFile("Testi.eng"), dir.file("Testi.eng"));
        platform::CopyFileTo(LangFile("Testi.ita"), dir.file("Testi.ita"));
    }
    void TearDown() override { ClearEditorRegistry(); }

    void Write(const std::string& name, const std::string& text) {
        std::string path = dir.file(name);
        size_t slash = path.find_last_of('/');
        platform::MakeDir(path.substr(0, slash));
        testsupport::WriteAll(path, text);
    }
    std::string Read(const std::string& name) const { return testsupport::ReadAll(dir.file(name)); }

    testsupport::TempDir dir;
};

}  // namespace shelltest
