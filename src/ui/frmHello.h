#pragma once
// The hello-result window: what the register said in its last hello answer,
// its mode, name, identity, release, date and time, and the four status
// words bit by bit. Shown modeless by the link's ShowHello.
#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

class frmHello : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWords = 4;
    static constexpr int kBits = 8;

    // The one hello window, created on first use.
    static frmHello* Instance();
    static bool Exists();
    // Unloads the window when it exists.
    static void Unload();

    // Fills the window from the hello record.
    void InitForm();

    QLabel* lblMode = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDataOra = nullptr;
    std::array<QLabel*, kWords> lblWord{};
    // Bit b of word w is chkBit[w * kBits + b].
    std::array<QCheckBox*, kWords * kBits> chkBit{};
    QPushButton* cmdOk = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmHello(QWidget* parent = nullptr);
    std::array<QLabel*, 5> captions_{};
};
