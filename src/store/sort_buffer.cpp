#include "store/sort_buffer.h"

#include <algorithm>

SortBuffer fxgPLU;

void SortBuffer::Clear() {
    std::string().swap(keys_);
    std::vector<Row>().swap(rows_);
}

void SortBuffer::Reserve(size_t rows, size_t keyBytes) {
    rows_.reserve(rows);
    keys_.reserve(keyBytes);
}

void SortBuffer::Add(std::string_view key, int32_t number) {
    rows_.push_back({static_cast<uint32_t>(keys_.size()), static_cast<uint32_t>(key.size()), number});
    keys_.append(key);
}

std::string_view SortBuffer::Key(size_t row) const {
    const Row& r = rows_[row];
    return std::string_view(keys_).substr(r.offset, r.length);
}

void SortBuffer::Sort() {
    const std::string_view keys(keys_);
    // std::string_view compares by unsigned character code.
    std::sort(rows_.begin(), rows_.end(), [keys](const Row& a, const Row& b) {
        const int c = keys.substr(a.offset, a.length).compare(keys.substr(b.offset, b.length));
        return c != 0 ? c < 0 : a.number < b.number;
    });
}
