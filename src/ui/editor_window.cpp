#include "ui/editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalBlocker>
#include <algorithm>

#include "core/shell.h"
#include "core/shell_state.h"
#include "core/texts.h"
#include "engine/operation.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"

EditorWindow::EditorWindow(QWidget* parent) : QWidget(parent) {}

EditorWindow::~EditorWindow() { EditorDestroyed(this); }

EditorWindow::Placement EditorWindow::EditorPlacement(int32_t treeLeft, int32_t treeTop,
                                                      int32_t treeWidth, int32_t treeHeight,
                                                      int32_t mainWidth) {
    Placement p;
    p.left = treeLeft + treeWidth;
    p.top = treeTop;
    p.height = treeHeight;
    p.width = mainWidth - treeWidth - 200;
    return p;
}

EditorForm* EditorWindow::Show(EditorWindow* editor) {
    if (!editor) return nullptr;
    if (!fMainForm || !fMainForm->EditorArea()) {
        delete editor;
        return nullptr;
    }
    QMdiArea* area = fMainForm->EditorArea();
    // A child window without a close box or system menu: the title only.
    editor->frame_ = area->addSubWindow(editor, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                    Qt::WindowTitleHint);
    editor->frame_->setAttribute(Qt::WA_DeleteOnClose);
    editor->Form_Load();
    editor->frame_->show();
    return editor;
}

void EditorWindow::Form_Load() {
    frmMain::SetAppearance(this);
    if (fDocForm && frame_ && fMainForm) {
        Placement p = EditorPlacement(fDocForm->LeftTwips(), fDocForm->TopTwips(),
                                      fDocForm->WidthTwips(), fDocForm->HeightTwips(),
                                      ShellState.nMainWidth);
        // From the main window's client area into the editor area.
        QWidget* viewport = fMainForm->EditorArea()->viewport();
        QPoint origin = viewport->mapFrom(fMainForm, QPoint(TwipsToPixels(p.left), TwipsToPixels(p.top)));
        frame_->setGeometry(std::max(origin.x(), 0), std::max(origin.y(), 0),
                            std::max(TwipsToPixels(p.width), 100), std::max(TwipsToPixels(p.height), 100));
    }
    bCanUnload_ = false;
    ShellState.bSaveOnUnload = true;
    InitForm();
    ShowConf();
}

bool EditorWindow::Unload() {
    QPointer<EditorWindow> self(this);
    QWidget* target = frame_ ? static_cast<QWidget*>(frame_) : this;
    const bool closed = target->close();
    return closed || !self;
}

void EditorWindow::ReadAsked(bool wasRunning) { readRunning_ = !wasRunning && OperationRunning(); }

bool EditorWindow::ReadRunning() {
    readRunning_ = readRunning_ && OperationRunning();
    return readRunning_;
}

bool EditorWindow::LeaveShown(const std::function<void()>& save, QComboBox* list, int shown) {
    if (!SaveBlocked()) {
        save();
        return true;
    }
    if (!ChangeShown() || CurrentShell().AskYesNo(GetText("Msg", "readdrop"), GetText("Msg", "81")))
        return true;
    if (list) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(shown - 1);
    }
    return false;
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!bCanUnload_) {
        event->ignore();
        return;
    }
    if (ShellState.bSaveOnUnload && !LeaveShown([this] { Form_Unload(); })) {
        // The read runs and the user keeps the change: the editor stays.
        event->ignore();
        return;
    }
    event->accept();
}
