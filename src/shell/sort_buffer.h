#pragma once
// The sort buffer of the import sorts: a two-column table of texts whose
// rows are all data rows, used the way the tree window's hidden grid was
// (Rows, Clear, TextMatrix, AddItem, Row/Col/ColSel and Sort).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SortGrid {
public:
    static constexpr int kCols = 2;
    // Sort setting: ascending by the texts of the columns Col to ColSel,
    // comparing character codes (upper case before lower case).
    static constexpr int kSortStringAscending = 7;

    // Number of rows. Setting it cuts rows off the end or adds empty ones.
    int32_t Rows() const { return static_cast<int32_t>(rows_.size()); }
    void SetRows(int32_t rows);
    // Empties every cell; the rows stay.
    void Clear();
    // The text of a cell; "" for a cell outside the table (a write outside
    // it is ignored).
    std::string TextMatrix(int32_t row, int col) const;
    void SetTextMatrix(int32_t row, int col, const std::string& text);
    // Appends a row; the text goes to column 0.
    void AddItem(const std::string& text);
    // Sorts every row by the setting; other settings change nothing.
    void Sort(int setting);

    // The current cell and the last column of the selection.
    int32_t Row = 0;
    int Col = 0;
    int ColSel = 0;

private:
    std::vector<std::array<std::string, kCols>> rows_;
};

// The tree window's sort buffer (frmDocument.fxgPLU).
extern SortGrid fxgPLU;
