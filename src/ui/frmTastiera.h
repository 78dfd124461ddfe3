#pragma once
// The keyboard editor: the open register's keyboard as a grid of keys placed
// by the layout file of its keyboard type, one level at a time. A
// programmable key is chosen with a click and given a function from the
// key-function list; the key tables (store/keyboard.h) are edited in
// place, saved into the register's key configuration file, read from the
// register and sent to it. The keyboard simulation records a sequence of key
// functions by clicking keys and sends it to the register as if typed.
#include <array>
#include <cstdint>

#include "store/keyboard.h"
#include "ui/editor_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// The level the keyboard editor shows (0 or 1), kept between openings.
extern int16_t nKeybLevel;

class frmTastiera : public EditorWindow {
public:
    static constexpr int kKeyLabels = 144;

    frmTastiera();
    ~frmTastiera() override;

    QComboBox* cbxTipo = nullptr;
    QComboBox* cbxLivello = nullptr;
    QComboBox* cbxFunzione = nullptr;
    QLabel* lblKey[kKeyLabels] = {};
    QLabel* lblCodPos = nullptr;
    QLabel* lblCodFun = nullptr;
    QLabel* lblTipo = nullptr;
    QLabel* Label1[4] = {};
    QGroupBox* frmKeySym = nullptr;
    QListWidget* lstKeyMacro = nullptr;
    QCheckBox* chkRecording = nullptr;
    QPushButton* cmdClearMacro = nullptr;
    QPushButton* cmdSendMacro = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSend = nullptr;

    // A function of some key of either level differs from the copy taken at
    // the last load or save: asks whether to keep it (Yes saves, No drops).
    // Closed when the question was closed unanswered (nothing changes),
    // NotSaved when the save was refused; Saved with no change.
    SaveResult KeepOrDrop();
    // A key's function as the editor shows it (level 0 or 1).
    int16_t ShownCode(int level, int key) const;
    // An operation over the registers is about to start: a change not saved
    // yet is asked about (Yes saves it into the register's file, which the
    // operation sends from). False keeps the operation from starting.
    bool BeforeOperation() override;
    // Saves the key tables into the open register's file; while another
    // register's folder is open for an operation, saves nothing (said in the
    // status text) and gives false.
    bool SaveKeys();
    // Before anything reloads the key tables from the file: a change is
    // saved when the user wants it kept. False when the save was refused.
    bool KeepBeforeReload();
    // Before an operation of the editor's buttons: false when another
    // operation runs (said in the status text; nothing asked), else
    // KeepBeforeReload's result.
    bool MayStart();
    // Places the key labels of the keyboard type by its layout file.
    void SetKeyPos();
    void ShowConf() override;

    void lblKey_Click(int i);
    void cbxFunzione_Click();
    void cbxLivello_Click();
    void cbxTipo_Click();
    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdSend_Click();
    void cmdClearMacro_Click();
    void cmdSendMacro_Click();

    int16_t CurKey() const { return nCurKey; }

    // Key colours: programmable, not programmable, chosen.
    static constexpr unsigned kProgColour = 0x00FF00;
    static constexpr unsigned kFixedColour = 0xC0C0C0;
    static constexpr unsigned kChosenColour = 0xFF0000;

protected:
    void InitForm() override;
    // Opened while another register's folder is open, it comes on screen
    // anew with its own register's keys once the operation has ended.
    bool ShowsOpenRegister() const override { return true; }
    // A key's function differs from the register's file.
    bool ChangeShown() override { return Changed(); }
    SaveResult UnloadSave() override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    using KeyTable = std::array<KeyConf, kKeyEntries>;
    // A function of some key differs from the register's file.
    bool Changed() const;
    // The key tables of the register the editor shows, taken from those
    // loaded from its files (when its folder is the open one); a change of
    // the user's is laid over the keys taken.
    void TakeTables();
    // The change is dropped: the keys as last taken.
    void DropChange();
    // The editor leaves the screen: the flag it set is cleared, unless a new
    // keyboard editor has set it since.
    void LeaveScreen();
    KeyConf& Shown(int i);
    void PaintKey(int i, unsigned rgb);
    void PaintKeyByKind(int i);
    void SetKeyText(int i, const std::string& text);
    // A new level or type: the choice saved when wanted, then the tables of
    // the level or type shown.
    void LevelOrTypeChosen(bool type);

    // The editor's own key tables, per level: what it shows and the user
    // edits, and the register's file as last loaded or saved. An operation
    // that opens other registers' folders loads their keys into the shared
    // tables, never into these.
    KeyTable keys_[2]{};
    KeyTable base_[2]{};
    int16_t numKeys_ = 0;   // keys of the type shown
    int16_t type_ = 0;      // the keyboard type shown
    bool bKeybReady = false;  // the type and level lists act only when true
    bool busy_ = false;       // a list's handler is at work
    int16_t nCurKey = 0;
    int16_t nCurFunIdx = -1;
    int16_t nCurPosCode = 0;
    int16_t nCurFunCode = 0;
    QWidget* gridRoom_ = nullptr;  // the room the key grid takes in the layout
};
