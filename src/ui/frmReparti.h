#pragma once
// The departments window: the departments of the open register (Reparti.txt)
// to choose from, and the loyalty button that opens the loyalty lines of the
// chosen department (RepFid.txt). It edits nothing else of a department.
#include "ui/editor_window.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class frmReparti : public EditorWindow {
public:
    frmReparti();

    QGroupBox* Frame1 = nullptr;
    QLabel* lblReparto = nullptr;
    QComboBox* cbxReparto = nullptr;  // item k - 1: department k
    QPushButton* cmdRepFid = nullptr;

    // Refills the department list from the file; no department chosen.
    void ShowConf() override;
    // With a department chosen: its loyalty lines in the loyalty lines
    // dialog, written back to RepFid.txt when the dialog has closed (a
    // record that cannot be read starts from zeros). Without one: nothing.
    void cmdRepFid_Click();

protected:
    void InitForm() override;
    bool ShowsOpenRegister() const override { return true; }
};
