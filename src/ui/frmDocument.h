#pragma once
// The configuration tree window, docked at the left of the main window: the
// registers of config.ini (choosing one opens its folder) and a node per
// editor; below them the shared progress bar and the status panels of the
// record counter (7) and the pending-command counter (8).
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/progress_range.h"

class DrawPacer;
class QLabel;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

class frmDocument : public QWidget {
    Q_OBJECT
public:
    // The tree window's width at load, in twips.
    static constexpr int32_t kWidthTwips = 3000;

    explicit frmDocument(QWidget* parent = nullptr);
    ~frmDocument() override;

    // The load step: appearance, texts, the register list and the nodes;
    // in interactive mode the first register of the list is opened.
    void Load();
    // Builds the tree again (after the register list changed).
    void FillTree();
    // The register nodes follow the register list as it stands (a register
    // defined since, a new name) and the register the user works on is the
    // one marked.
    void FollowRegisters();

    // The progress bar. Its value is kept exact at every call; the bar is
    // drawn a few times a second, and at once when it starts, ends or comes
    // to its maximum.
    void SetPGBRange(int32_t minimum, int32_t maximum);
    void SetPGBValue(int32_t value);
    void IncPGBValue();
    bool PGBBusy() const { return range_.Busy(); }
    // The shared progress bar, as it stands.
    const QProgressBar* RecordsBar() const { return pgbStatus; }
    const ProgressRange& Range() const { return range_; }

    // Panels 7 (record counter) and 8 (pending-command counter), drawn like
    // the progress bar; PanelText is the latest text set.
    void SetPanelText(int panel, const std::string& text);
    std::string PanelText(int panel) const;

    // The window's place in the main window, in twips (editors stand to
    // its right with its top and height).
    int32_t LeftTwips() const;
    int32_t TopTwips() const;
    int32_t WidthTwips() const;
    int32_t HeightTwips() const;

    QTreeWidget* Tree() const { return tvwConfig; }
    // The width in pixels at which every node's caption shows whole.
    int ContentWidth() const;

private:
    // The counters' captions and tooltips from the language file.
    void SetTexts();
    void ItemChosen(QTreeWidgetItem* item);
    // Bolds the node of the register chosen; with highlight it becomes the
    // tree's current node too.
    void MarkCurrentRegister(bool highlight = false);
    // Marks the node of the editor on screen.
    void MarkCurrentEditor();
    void FillRegisters(QTreeWidgetItem* registers);

    QTreeWidget* tvwConfig = nullptr;
    QProgressBar* pgbStatus = nullptr;
    QLabel* lblPanel7 = nullptr;
    QLabel* lblPanel8 = nullptr;
    QLabel* lblCntRec = nullptr;   // caption of panel 7
    QLabel* lblCntPend = nullptr;  // caption of panel 8
    ProgressRange range_;
    std::string panel7_, panel8_;
    std::unique_ptr<DrawPacer> barPacer_;
    std::unique_ptr<DrawPacer> panelPacer_;
};

// The tree window of the run (nullptr before the main window loads).
extern frmDocument* fDocForm;
