#pragma once
// The sort buffer of the import sorts: rows of a key text and a record
// number, sorted by key (character codes, upper case before lower case) and,
// among equal keys, by record number. Keys live side by side in one block
// and a row takes twelve bytes, so an import of hundreds of thousands of
// records sorts in little memory.
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
    int32_t Number(size_t row) const { return rows_[row].number; }

private:
    struct Row {
        uint32_t offset;
        uint32_t length;
        int32_t number;
    };
    std::string keys_;
    std::vector<Row> rows_;
};

// The tree window's sort buffer (frmDocument.fxgPLU), used by the PLU,
// offer and customer import sorts.
extern SortBuffer fxgPLU;
