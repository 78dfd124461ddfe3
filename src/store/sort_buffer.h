#pragma once
// The sort buffer of the import sorts: rows of a key text and a record
// number, sorted by key (character codes, upper case before lower case) and,
// among equal keys, by record number. Keys live side by side in one block;
// a row holds the key's first sixteen bytes beside its place in the block,
// so that most comparisons need not look into the block.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SortBuffer {
public:
    // Empties the buffer and gives its memory back.
    void Clear();
    void Reserve(size_t rows, size_t keyBytes);
    void Add(std::string_view key, int32_t number);
    // Ascending by key, then by record number.
    void Sort();

    size_t Rows() const { return rows_.size(); }
    std::string_view Key(size_t row) const;
    // Key(a) == Key(b), mostly without looking into the block of keys.
    bool SameKey(size_t a, size_t b) const;
    int32_t Number(size_t row) const { return rows_[row].number; }

private:
    struct Row {
        uint64_t head;  // key bytes 1-8 as a big-endian number, blanks past the end as 0
        uint64_t next;  // key bytes 9-16 alike
        uint32_t offset;
        uint32_t length;
        int32_t number;
    };
    std::string keys_;
    std::vector<Row> rows_;
};

// The imports write their records in key order, taking them from all over
// the source: the record of the row kFetchAhead rows on is brought into the
// processor's cache (bytes [at, at + length) of the source) while the
// current one is worked on.
inline constexpr size_t kFetchAhead = 16;
inline void FetchAhead(std::string_view bytes, size_t at, size_t length) {
    for (size_t b = 0; b < length; b += 64) __builtin_prefetch(bytes.data() + at + b);
    __builtin_prefetch(bytes.data() + at + length - 1);
}

// The tree window's sort buffer (frmDocument.fxgPLU), used by the PLU,
// offer and customer import sorts.
extern SortBuffer fxgPLU;
