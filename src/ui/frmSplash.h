#pragma once
// The start-up chooser: the installation (a model of register), the customer
// folder and the language of the run. The window only forwards its events to
// the code object frmSplashCodeClass, which works on the window's controls.
#include <QDialog>
#include <string>
#include <vector>

#include "engine/startup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // Fills the window again from setup.ini (the code object's InitForm).
    void InitForm();
    // Closes the chooser; ok tells how (the code object sets bSplashOK).
    void Unload(bool ok);

    QListWidget* lbxCasse = nullptr;
    QListWidget* lbxLingue = nullptr;
    QComboBox* cbClienti = nullptr;
    QCheckBox* chkSet = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblVersion = nullptr;
    // The captions of the three lists.
    QLabel* lblCasse = nullptr;
    QLabel* lblClienti = nullptr;
    QLabel* lblLingue = nullptr;
    // Says what is missing (setup.ini, its lists, the language file) and
    // why OK did not close the window (no customer name, a name that cannot
    // be a folder name, a folder that cannot be created).
    QLabel* lblMsg = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

class frmSplashCodeClass {
public:
    void cmdCancel_Click();
    void cmdOK_Click();
    void Form_Load();
    void InitForm();
    void lbxCasse_Click();
    void lbxLingue_Click();

    // The window the procedures work on.
    void Attach(frmSplash* form) { form_ = form; }

private:
    // Shows a text of the chosen language below the lists; the window stays.
    void ShowProblem(const std::string& key);
    // Says below the lists what the start folder lacks and where the program
    // looked; hides the line when nothing is missing. True when something is.
    bool ShowMissing();
    // The captions of the window from the language file in use.
    void SetTexts();

    frmSplash* form_ = nullptr;
    // The listed entries with the key numbers they came from.
    std::vector<SetupListEntry> casse_;
    std::vector<SetupListEntry> lingue_;
};

// The one code object of the chooser, created on first use.
frmSplashCodeClass& frmSplashCode();
