#pragma once
// The main window: menus, the status bar with the status text and the
// clock, the 10 ms timer that drives the link (GestMainTimer), the wait
// display, the configuration tree docked at the left and the area where the
// editor on screen stands beside it.
#include <QMainWindow>
#include <QEvent>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class DrawPacer;
class QLabel;
class QMdiArea;
class QMenu;
class QAction;
class QTimer;
class QToolButton;
class frmDocument;
class TickInputHold;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step, run once before the window is first shown: appearance,
    // serial trace, number and currency settings, link settings, the timer
    // flags, caption, menus and the tree window; then the timer starts.
    void Load();
    bool IsLoaded() const { return loaded_; }

    // Applies the user-interface font to a window and its controls.
    static void SetAppearance(QWidget* window);

    // Refreshes the clock panels, and once a second the modem panel.
    void ShowTime();
    // The wait display: started with SetShowWait (its start time noted),
    // refreshed by ShowWait, stopped by ClearShowWait (which with hide also
    // hides the progress window unless it lists errors, and clears the
    // status text). Drawn a few times a second, and at once when it starts
    // or shows another register, command or description.
    void SetShowWait(float timeoutSeconds);
    void ShowWait();
    void ClearShowWait(bool hide);
    bool WaitShown() const { return waitOn_; }

    // Panel 1 of the status bar (Windows-1252 text).
    void SetStatusText(const std::string& text);
    std::string StatusText() const;

    // Where editors stand, and the tree window.
    QMdiArea* EditorArea() const { return mdiArea_; }
    frmDocument* Document() const { return document_; }
    QTimer* tmrMain() const { return tmrMain_; }

    // The menu commands.
    void mnuSerLog_Click();
    void mnuConnTest_Click();
    void mnuService_Click();
    void mnuGlobProg_Click();
    void mnuExit_Click();
    void mnuRapporti_Click();
    // The status-bar panel "Modem": opens the modem connection window.
    void pnlModem_Click();
    void ShowModemPanel();

protected:
    // A click or a key anywhere in the program: a refusal kept in the status
    // text gives way (ReleaseStatusText).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The close request: the first one becomes an exit request that the
    // timer takes when the link is idle; the window unloads only after the
    // run's windows have been closed (CloseOpForms).
    void closeEvent(QCloseEvent* event) override;

private:
    void tmrMain_Timer();
    void BuildMenus();
    void SetTexts();
    void UnloadOtherWindows();

    bool loaded_ = false;
    bool inTick_ = false;
    std::unique_ptr<TickInputHold> inputHold_;  // the user's input during a tick
    bool waitOn_ = false;
    double waitStart_ = 0;
    std::string waitShown_;  // register, command and description last drawn
    std::unique_ptr<DrawPacer> waitPacer_;
    QTimer* tmrMain_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    frmDocument* document_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblDate_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QToolButton* pnlModem_ = nullptr;
    int modemShown_ = -1;  // the carrier state the modem panel shows
    QMenu* mnuFile_ = nullptr;
    QMenu* mnuLink_ = nullptr;
    QAction* mnuService_ = nullptr;
    QAction* mnuGlobProg_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction* mnuSerLog_ = nullptr;
    QAction* mnuConnTest_ = nullptr;
    QMenu* mnuCassa_ = nullptr;
    QAction* mnuRapporti_ = nullptr;
    QAction* mnuPhoneBook_ = nullptr;
};

// The main window of the run (nullptr before it is created).
extern frmMain* fMainForm;

// Shows the serial-trace window (the link's window) from the main menu.
void ShowSerialTraceWindow();

// While the main timer's tick runs (the link waits inside it, letting the
// windows run), the user's clicks, keys and closes for windows other than the
// link's own (progress, bulk programming, serial trace, hello) wait for the
// tick's end: what they start (a question, a modal window) then opens
// between two ticks, never inside the link's wait, and the link keeps its
// pace under it. Once input is held the cursor is the wait cursor until the
// tick ends. The progress window's Cancel acts at once.
//
// Held input goes on after the tick, in its order, and before any input that
// came later (which waits behind it). Each click and key goes to the control
// it was aimed at when it came: when that control is gone, disabled, under a
// window opened since, or no longer the one at the click's place or with the
// focus, it and all input after it are refused, and the status text says so.
// A question opened by held input refuses the rest too: it was given before
// the user saw the question.
class TickInputHold : public QObject {
public:
    TickInputHold();
    ~TickInputHold() override;
    TickInputHold(const TickInputHold&) = delete;
    TickInputHold& operator=(const TickInputHold&) = delete;

    // A tick begins: input is held from now.
    void BeginTick();
    // The tick is over: the input held goes on as soon as the events run.
    void EndTick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        QPointer<QObject> window;  // the window the system gave it to
        QEvent::Type type = QEvent::None;
        QPoint at;                 // a click's place in the window
        // Makes the event anew when it goes on. A click is kept as its
        // values, not as the event: the toolkit's mouse events share their
        // point with every later one, so a copy kept would move with the mouse.
        std::function<std::unique_ptr<QEvent>()> make;
        // The control it was aimed at when it came. A key that follows other
        // input held with it goes where that input put the focus (none here).
        QPointer<QWidget> aim;
        bool aimed = false;  // a click or a key whose control is checked
    };
    // The input held, handed on in its order.
    void Replay();
    // Whether the held input still reaches the control it was aimed at.
    static bool StillAimed(const Held& h);

    std::vector<Held> held_;
    bool inTick_ = false;
    bool replayAsked_ = false;
    int replaying_ = 0;      // input is being handed on (a question may open inside)
    int modalsShown_ = 0;    // modal windows shown while input was handed on
    const QEvent* handing_ = nullptr;  // the held event being handed on now
    // A modal window open when the tick began: the question the user is
    // answering while the link goes on.
    QPointer<QWidget> modalAtStart_;
    bool waitCursor_ = false;  // the wait cursor is shown for held input
};
