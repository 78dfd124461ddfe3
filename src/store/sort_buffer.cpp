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

namespace {

// Up to eight bytes of the key from the position, as a big-endian number
// (missing bytes 0): numbers compare as the bytes do.
uint64_t Part(std::string_view key, size_t from) {
    uint64_t v = 0;
    for (size_t i = 0; i < 8; ++i) {
        v <<= 8;
        if (from + i < key.size()) v |= static_cast<unsigned char>(key[from + i]);
    }
    return v;
}

}  // namespace

void SortBuffer::Add(std::string_view key, int32_t number) {
    rows_.push_back({Part(key, 0), Part(key, 8), static_cast<uint32_t>(keys_.size()),
                     static_cast<uint32_t>(key.size()), number});
    keys_.append(key);
}

std::string_view SortBuffer::Key(size_t row) const {
    const Row& r = rows_[row];
    return std::string_view(keys_).substr(r.offset, r.length);
}

bool SortBuffer::SameKey(size_t a, size_t b) const {
    const Row& x = rows_[a];
    const Row& y = rows_[b];
    if (x.head != y.head || x.next != y.next || x.length != y.length) return false;
    return x.length <= 16 || Key(a) == Key(b);
}

void SortBuffer::Sort() {
    const std::string_view keys(keys_);
    // By unsigned character code: the first sixteen bytes decide most
    // comparisons; past them, or between a key and a longer one that
    // starts with it and NUL bytes, the keys themselves.
    std::sort(rows_.begin(), rows_.end(), [keys](const Row& a, const Row& b) {
        if (a.head != b.head) return a.head < b.head;
        if (a.next != b.next) return a.next < b.next;
        if (a.length > 16 || b.length > 16) {
            const int c = keys.substr(a.offset, a.length).compare(keys.substr(b.offset, b.length));
            if (c != 0) return c < 0;
        } else if (a.length != b.length) {
            return a.length < b.length;
        }
        return a.number < b.number;
    });
}
