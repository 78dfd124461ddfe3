#include "shell/sort_buffer.h"

#include <algorithm>

SortGrid fxgPLU;

void SortGrid::SetRows(int32_t rows) { rows_.resize(static_cast<size_t>(std::max(rows, 0))); }

void SortGrid::Clear() {
    for (auto& row : rows_)
        for (auto& cell : row) cell.clear();
}

std::string SortGrid::TextMatrix(int32_t row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= kCols) return std::string();
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void SortGrid::SetTextMatrix(int32_t row, int col, const std::string& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= kCols) return;
    rows_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
}

void SortGrid::AddItem(const std::string& text) {
    rows_.push_back({});
    rows_.back()[0] = text;
}

void SortGrid::Sort(int setting) {
    if (setting != kSortStringAscending) return;
    int first = std::clamp(std::min(Col, ColSel), 0, kCols - 1);
    int last = std::clamp(std::max(Col, ColSel), 0, kCols - 1);
    // std::string compares by unsigned character code.
    std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
        for (int c = first; c <= last; ++c) {
            int cmp = a[static_cast<size_t>(c)].compare(b[static_cast<size_t>(c)]);
            if (cmp != 0) return cmp < 0;
        }
        return false;
    });
}
