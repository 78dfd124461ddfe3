#include "ui/editor_window.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <map>

#include "core/field_rules.h"
#include "core/globals.h"
#include "core/link_state.h"
#include "core/shell.h"
#include "core/shell_state.h"
#include "core/texts.h"
#include "engine/operation.h"
#include "link/cmd_queue.h"
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
    if (WaitsAtLoad())
        WaitForOwnFolder();
    else
        ShowConf();
}

bool EditorWindow::WaitsAtLoad() const {
    return ShowsOpenRegister() && Core.nOpenCash != LinkState.nCurCash;
}

bool EditorWindow::MayWriteFolder() const {
    if (!waitingFolder_) return fields::EditorFolderReady();
    ShowMsg(WaitTextKey(), "");
    return false;
}

bool EditorWindow::MayWriteAfterAnswer(bool replaced) {
    ReleaseStatusText();  // the answer is the user's act
    if (!MayWriteFolder()) {
    } else if (replaced) {
        ShowMsg("otherfolder", "");
    } else if (SaveBlocked()) {
        ShowMsg("readrunning", "");
    } else {
        return true;
    }
    // Said after the user's Yes: it stays until the user acts.
    KeepStatusText();
    keptAfterAnswer_ = true;
    return false;
}

void EditorWindow::WaitForOwnFolder() {
    waitingFolder_ = true;
    setEnabled(false);
    ShowMsg(WaitTextKey(), "");
    // Loaded anew when the operation is over and the register chosen is open
    // again: its lists and gating follow that register's model.
    auto* timer = new QTimer(this);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        // Not under a question that is open: the editor goes from under
        // nothing the user is answering.
        if (QApplication::activeModalWidget()) return;
        if (OperationRunning() || Core.nOpenCash != LinkState.nCurCash) return;
        timer->stop();
        if (CurrentEditor() != this) return;
        // Copies: the unload of this editor empties the key on screen, and
        // the editor's return empties the status text, where the operation's
        // end has said how it went.
        const std::string key = ShellState.strCurFrmKey, said = CurrentShell().StatusText();
        ShowForm(key);
        CurrentShell().SetStatusText(said == GetText("Msg", WaitTextKey()) ? std::string() : said);
    });
    timer->start();
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

void EditorWindow::NoteRefusal(const std::string& field, QWidget* control) {
    refusedField_ = field;
    refusedControl_ = control;
}

namespace {

// Puts the control on screen (the tab page that holds it chosen) and gives it
// the focus, its text selected.
void GoTo(QWidget* control) {
    for (QWidget* w = control; w && w->parentWidget(); w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
            tabs && tabs->indexOf(w) >= 0)
            tabs->setCurrentWidget(w);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(control)) box->selectAll();
}

}  // namespace

bool EditorWindow::LeaveShown(const std::function<SaveResult()>& save, QComboBox* list, int shown) {
    // Nothing to keep while an operation has another register's folder
    // open: leaving writes nothing and says nothing (the status text keeps
    // what it says, the end of the program for one).
    if (EditorWindow::WaitsAtLoad() && !ChangeShown()) return true;
    std::string question;
    if (!SaveBlocked()) {
        NoteRefusal({}, nullptr);
        keptAfterAnswer_ = false;
        const SaveResult saved = save();
        if (saved == SaveResult::Saved) return true;
        // The save's question was closed unanswered, or answered once the
        // folder could no longer be written: the user stays at the change,
        // asked nothing more.
        if (saved == SaveResult::Closed || keptAfterAnswer_) {
            StayAt(list, shown);
            return false;
        }
        if (!ChangeShown()) return true;
        // Nothing was saved: leaving now would lose the change unasked.
        question = refusedField_.empty() ? GetText("Msg", "leavenosave")
                                         : refusedField_ + " - " + GetText("Msg", "leavedrop");
    } else {
        if (!ChangeShown()) return true;
        question = GetText("Msg", "readdrop");
    }
    const bool drop = CurrentShell().AskYesNo(question, GetText("Msg", "81"));
    // The read ended while its question was open: the change may be saved
    // now, and is asked about again as things now stand.
    if (drop && question == GetText("Msg", "readdrop") && !SaveBlocked()) return LeaveShown(save, list, shown);
    if (drop) return true;
    StayAt(list, shown);
    if (refusedControl_ && refusedControl_->isEnabled()) GoTo(refusedControl_);
    return false;
}

void EditorWindow::StayAt(QComboBox* list, int shown) {
    if (!list) return;
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(shown - 1);
}

bool EditorWindow::HoldsData(const QWidget*) const { return true; }

namespace {

// The value a data control shows; an invalid value for a widget that is no
// data control (a label, a button, the line inside a list or number box).
QVariant ControlValue(const QWidget* w) {
    if (auto* list = qobject_cast<const QComboBox*>(w))
        return list->isEditable() ? QVariant(list->currentText()) : QVariant(list->currentIndex());
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->isCheckable() ? QVariant(button->isChecked()) : QVariant();
    if (auto* box = qobject_cast<const QLineEdit*>(w)) {
        const QObject* owner = box->parent();
        if (qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner)) return {};
        return box->text();
    }
    if (auto* number = qobject_cast<const QSpinBox*>(w)) return number->value();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(w)) return text->toPlainText();
    return {};
}

void SetControlValue(QWidget* w, const QVariant& v) {
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        if (list->isEditable())
            list->setCurrentText(v.toString());
        else
            list->setCurrentIndex(v.toInt());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setChecked(v.toBool());
    } else if (auto* box = qobject_cast<QLineEdit*>(w)) {
        box->setText(v.toString());
    } else if (auto* number = qobject_cast<QSpinBox*>(w)) {
        number->setValue(v.toInt());
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        text->setPlainText(v.toString());
    }
}

// The order in which changed controls are set again: a list may decide the
// ranges of the boxes after it; an option button ticked unticks its group.
int LayOrder(const QWidget* w, const QVariant& v) {
    if (qobject_cast<const QComboBox*>(w)) return 0;
    if (qobject_cast<const QAbstractButton*>(w)) return v.toBool() ? 2 : 1;
    return 3;
}

}  // namespace

EditorWindow::ControlValues EditorWindow::ShownValues() const {
    ControlValues values;
    for (QWidget* w : findChildren<QWidget*>()) {
        QVariant v = ControlValue(w);
        if (v.isValid() && HoldsData(w)) values.emplace_back(w, std::move(v));
    }
    return values;
}

void EditorWindow::LayOver(const ControlValues& filled, const ControlValues& edited) {
    std::map<const QWidget*, QVariant> before;
    for (const auto& [w, v] : filled)
        if (w) before[w.data()] = v;
    for (int order = 0; order <= 3; ++order)
        for (const auto& [w, v] : edited) {
            if (!w || LayOrder(w, v) != order) continue;
            auto it = before.find(w.data());
            if (it != before.end() && it->second != v) SetControlValue(w, v);
        }
}

void EditorWindow::RefreshOverEdits(std::optional<ControlValues>& filled,
                                    const std::function<void()>& showRead) {
    if (!ReadRunning()) filled.reset();
    if (!ChangeShown()) {
        ShowConf();
        if (filled) filled = ShownValues();
        return;
    }
    if (filled) {
        const ControlValues edited = ShownValues();
        showRead();
        // A further table of the same read is told from what is filled now.
        const ControlValues read = ShownValues();
        LayOver(*filled, edited);
        filled = read;
        if (!ChangeShown()) return;
    }
    // Said (and logged) once, when the register's last command has had its
    // answer: a read of several tables refreshes after each.
    if (!CmdQueuePending()) ShowMsg("readkept", "");
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!bCanUnload_) {
        event->ignore();
        return;
    }
    if (ShellState.bSaveOnUnload && !LeaveShown([this] { return UnloadSave(); })) {
        // The change could not be saved and the user keeps it: the editor stays.
        event->ignore();
        return;
    }
    event->accept();
}
