#pragma once
// The range controls of an editor that deletes or reads a range of its
// records (customers, customer groups): the box "all" (chkAll), the limits
// txtFrom and txtTo, and the buttons cmdFrom and cmdTo that put the record
// shown into a limit. Ticking "all" switches the limits and their buttons
// off. The editor lays them out, gives their texts and says which record is
// shown; fields::TestLimiti checks the limits against its bounds.
#include <functional>
#include <string>

class FieldBox;
class QCheckBox;
class QPushButton;
class QWidget;

struct RangeControls {
    // Makes the five controls in the parent; shown() gives the shown
    // record's number or code (Windows-1252) for cmdFrom and cmdTo.
    RangeControls(QWidget* parent, int limitLength, std::function<std::string()> shown);
    RangeControls(const RangeControls&) = delete;
    RangeControls& operator=(const RangeControls&) = delete;

    QCheckBox* chkAll;
    FieldBox* txtFrom;
    FieldBox* txtTo;
    QPushButton* cmdFrom;
    QPushButton* cmdTo;

    void chkAll_Click();
};
