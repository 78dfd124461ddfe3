#pragma once
// The logo editor: a black-and-white bitmap chosen by the user becomes the
// logo the registers print at the head of their receipts. The window shows
// the picture as the register will print it, converts it into the register
// folder's Bitmap.bin and queues the announcement of the logo transfer,
// which the main timer then runs to every selected register. A second
// button deletes the logos in the register.
#include <functional>
#include <string>

#include "ui/editor_window.h"

class FieldBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The logo number chosen, less 20 (1 to 6).
extern int16_t nIconNum;

class frmGestIcone : public EditorWindow {
public:
    frmGestIcone();

    FieldBox* txtNumIco = nullptr;
    QLineEdit* txtFileIco = nullptr;
    QPushButton* cmdFileIco = nullptr;
    QLabel* imgReceiptHead = nullptr;
    QLabel* lblBmpFormat = nullptr;
    QLabel* lblBmpFormat1 = nullptr;
    QLabel* lblBmpFormat2 = nullptr;
    QLabel* Label1[1] = {};
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdConfForm = nullptr;

    // The open-file dialog: the file chosen, or an empty text on Cancel.
    // Tests put their own chooser here.
    static std::function<std::string(QWidget* parent, const std::string& filter)> ChooseFile;

    // Takes the logo number and, with convert, the bitmap's name and converts
    // it. False when the number is not 21 to 26, no file is named, or the
    // conversion failed.
    bool SetConf(bool convert);

    void cmdFileIco_Click();
    void cmdSend_Click();
    void cmdDel_Click();
    void cmdConfForm_Click();

protected:
    void InitForm() override;

private:
    // The preview: the picture as the register prints it, from the bitmap
    // file; an empty name clears it, a file that is not such a bitmap leaves
    // it as it was.
    void ShowPreview(const std::string& file);

    std::string lastChosen_;  // the file chosen in the dialog the last time
};
