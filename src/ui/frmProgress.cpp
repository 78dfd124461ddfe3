#include "ui/frmProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "core/globals.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "link/cmd_queue.h"
#include "link/hello.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "engine/operation.h"
#include "ui/frmMain.h"

namespace {

QPointer<frmProgress> instance;

// A command is under way when it has a place in the queue.
bool CommandUnderWay() {
    return CmdQueue.nCmdCur >= 1 && CmdQueue.nCmdCur <= CmdQueue.nCmdNum;
}

}  // namespace

frmProgress* frmProgress::Instance() {
    if (!instance) instance = new frmProgress(fMainForm);
    return instance;
}

bool frmProgress::Exists() { return !instance.isNull(); }

void frmProgress::Unload() {
    if (instance) delete instance.data();
}

frmProgress::frmProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("frmProgress");
    setModal(false);
    setAttribute(Qt::WA_ShowWithoutActivating);

    lblCassa = new QLabel(this);
    lblCassa->setObjectName("lblCassa");
    lblComando = new QLabel(this);
    lblComando->setObjectName("lblComando");
    lblDescr = new QLabel(this);
    lblDescr->setObjectName("lblDescr");
    lblDescr->setWordWrap(true);
    lblTempo = new QLabel(this);
    lblTempo->setObjectName("lblTempo");
    lblTempo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    sstPages = new QTabWidget(this);
    sstPages->setObjectName("sstPages");
    lstMessages = new QListWidget(sstPages);
    lstMessages->setObjectName("lstMessages");
    lstMessages->setWordWrap(true);
    lstErrors = new QListWidget(sstPages);
    lstErrors->setObjectName("lstErrors");
    lstErrors->setWordWrap(true);
    sstPages->addTab(lstMessages, QString());
    sstPages->addTab(lstErrors, QString());

    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* top = new QGridLayout;
    top->addWidget(lblCassa, 0, 0);
    top->addWidget(lblComando, 0, 1);
    top->addWidget(lblTempo, 0, 2);
    top->addWidget(lblDescr, 1, 0, 1, 3);
    top->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sstPages, 1);
    layout->addLayout(RightAlignedRow({cmdCancel}));

    frmMain::SetAppearance(this);
    SetTexts();
    resize(440, 260);
}

void frmProgress::SetTexts() {
    std::string caption = GetText("Progress", "caption");
    setWindowTitle(ToQt(caption));
    sstPages->setTabText(0, ToQt(GetText("Progress", "messages")));
    sstPages->setTabText(1, ToQt(GetText("Progress", "errors")));
    SetCtlCaption(cmdCancel, GetText("Progress", over_ ? "close" : "cancel"));
}

void frmProgress::OperationOver() {
    over_ = true;
    SetCtlCaption(cmdCancel, GetText("Progress", "close"));
    cmdCancel->setEnabled(true);
}

void frmProgress::TakeNewOperation() {
    // The first line of an operation that started after the last one ended:
    // the lists are its own from here, and Cancel stops it again.
    if (!over_ || !OperationRunning()) return;
    over_ = false;
    ClearLists();
    SetCtlCaption(cmdCancel, GetText("Progress", "cancel"));
    cmdCancel->setEnabled(true);
}

void frmProgress::AddLine(QListWidget* list, const std::string& text, bool prefix, bool beep) {
    TakeNewOperation();
    std::string line = text;
    if (prefix) {
        WaitTexts now = MakeWaitTexts(0);
        std::string head = now.cassa;
        if (CommandUnderWay()) head += " - " + now.comando;
        line = head + ": " + text;
    }
    if (beep && Core.bInteractive) QApplication::beep();
    list->addItem(ToQt(line));
    list->scrollToBottom();
}

void frmProgress::AddMessage(const std::string& text, bool prefix) {
    AddLine(lstMessages, text, prefix);
    ShowWindow();
}

void frmProgress::AddError(const std::string& text, bool prefix) {
    AddLine(lstErrors, text, prefix);
    sstPages->setCurrentWidget(lstErrors);
    ShowWindow();
}

bool frmProgress::HasErrors() const { return lstErrors->count() > 0; }

void frmProgress::Hide_Request() {
    if (!HasErrors()) hide();
}

void frmProgress::SetWaitTexts(const WaitTexts& texts) {
    const bool underWay = CommandUnderWay();
    lblCassa->setText(ToQt(texts.cassa));
    lblComando->setText(underWay ? ToQt(texts.comando) : QString());
    lblDescr->setText(underWay ? ToQt(texts.description) : QString());
    lblTempo->setText(ToQt(texts.elapsed));
    if (!underWay) return;
    TakeNewOperation();
    std::string line = texts.cassa + " - " + texts.comando;
    if (!texts.description.empty()) line += ": " + texts.description;
    if (line != lastNoted_) {
        lastNoted_ = line;
        AddLine(lstMessages, line, false, false);
    }
}

void frmProgress::EndWait() {
    // The command noted stays noted: a command waits more than once (its
    // frame, then its answers), and is one line in the list.
    for (QLabel* label : {lblCassa, lblComando, lblDescr, lblTempo}) label->clear();
}

void frmProgress::ShowWindow() {
    if (isVisible()) return;
    // Placed once, before it shows; where the window system then puts it is
    // left to the window system.
    PlaceClear();
    show();
    // In front of the window that started the operation (bulk programming),
    // so that its messages and errors are seen; once, when it opens, so that
    // it takes the focus from no one during the run. A platform without
    // windows (a command-line run) has no front to bring it to.
    if (QGuiApplication::platformName() == "offscreen") return;
    raise();
    activateWindow();
}

namespace {

// The frames of the program's other windows on screen.
std::vector<QRect> OtherWindows(const QWidget* self) {
    std::vector<QRect> others;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != self && w != self->parentWidget() && w->isVisible() && w->windowType() != Qt::Popup)
            others.push_back(w->frameGeometry());
    return others;
}

}  // namespace

void frmProgress::PlaceClear() {
    // Where it opened last, or at first over the middle of the main window.
    if (!testAttribute(Qt::WA_Moved)) adjustPosition(parentWidget());
    const std::vector<QRect> others = OtherWindows(this);
    if (others.empty()) return;
    // Its frame: once shown, as the window system drew it; before, taken to
    // be the main window's.
    QMargins frame;
    if (const QWidget* main = isVisible() ? this : parentWidget()) {
        const QRect in = main->geometry(), out = main->frameGeometry();
        frame = QMargins(in.left() - out.left(), in.top() - out.top(), out.right() - in.right(),
                         out.bottom() - in.bottom());
    }
    const QSize size = this->size().grownBy(frame);
    const QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
    const QRect room = where ? where->availableGeometry() : QRect();
    auto clear = [&](const QPoint& at) {
        const QRect r(at, size);
        if (room.isValid() && !room.contains(r)) return false;
        for (const QRect& o : others)
            if (o.intersects(r)) return false;
        return true;
    };
    if (clear(pos())) return;
    // Below, above, right or left of one of them.
    for (const QRect& o : others) {
        const int leftEdge = o.left(), rightEdge = o.right() - size.width() + 1;
        const int below = o.bottom() + 1, above = o.top() - size.height();
        for (const QPoint& at : {QPoint(leftEdge, below), QPoint(rightEdge, below), QPoint(leftEdge, above),
                                 QPoint(rightEdge, above), QPoint(o.right() + 1, o.top()),
                                 QPoint(o.left() - size.width(), o.top())})
            if (clear(at)) {
                move(at);
                return;
            }
    }
}

void frmProgress::cmdCancel_Click() {
    // With nothing running there is nothing to stop: the window closes.
    if (!ExchangeRunning()) {
        close();
        return;
    }
    // A Cancel already taken is said once.
    if (LinkState.AbortRequest || MainTimer.bCancelAfterClosing) return;
    // Every register has had its commands: only the pause before the end is
    // left, and the operation's success stands. A register that does not
    // answer its release is tried again only until Cancel, which ends the
    // retries and leaves the register's work done.
    if (!OperationWorkLeft()) {
        if (!ReleaseRetrying()) return;
        LinkState.AbortRequest = true;
        cmdCancel->setEnabled(false);
        return;
    }
    // The operation in progress stops: every waiting loop of the link ends
    // on the abort flag, and the main timer drops what is still queued.
    LinkState.AbortRequest = true;
    LogErr(6, OpenTurnSubject());
    // Taken: the button says so at once, though the register's release and
    // the pause after it may still run a moment before the operation ends.
    cmdCancel->setEnabled(false);
}

void frmProgress::ClearLists() {
    lstMessages->clear();
    lstErrors->clear();
    lastNoted_.clear();
    // The errors page comes to the front with an error of its own; until
    // then the messages are in front.
    sstPages->setCurrentWidget(lstMessages);
}

void frmProgress::closeEvent(QCloseEvent* event) {
    ClearLists();
    hide();
    event->ignore();
}

void frmProgress::reject() {
    // Escape closes the window like its close box; it never aborts.
    close();
}
