#pragma once

// Constant lookup tables of the normalizer: arrays in static read-only storage,
// sorted byte-wise by their key, searched by binary search. Nothing here
// allocates or builds anything at run time.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace Veltra::Penwork::Recognizer {

// A read-only view of a constant table. The table outlives every view of it.
template <class Row>
class TableView {
public:
    constexpr TableView(const Row* rows, std::size_t count) noexcept : rows_(rows), count_(count) {}
    template <std::size_t N>
    constexpr TableView(const Row (&rows)[N]) noexcept : rows_(rows), count_(N) {}

    constexpr const Row* begin() const noexcept { return rows_; }
    constexpr const Row* end() const noexcept { return rows_ + count_; }
    constexpr std::size_t size() const noexcept { return count_; }
    constexpr const Row& operator[](std::size_t i) const noexcept { return rows_[i]; }

private:
    const Row* rows_;
    std::size_t count_;
};

// The key of a row: the row itself for a table of names, its `name` member otherwise.
constexpr std::string_view RowKey(std::string_view row) noexcept { return row; }
template <class Row>
constexpr std::string_view RowKey(const Row& row) noexcept { return row.name; }

// True when the keys ascend strictly (byte-wise, no duplicates). Usable in
// static_assert next to a table's definition.
template <class Row, std::size_t N>
constexpr bool IsStrictlyAscending(const Row (&rows)[N]) noexcept {
    for (std::size_t i = 1; i < N; ++i) {
        if (!(RowKey(rows[i - 1]) < RowKey(rows[i]))) return false;
    }
    return true;
}

// a < b, byte-wise. Most steps of a binary search over names are decided by
// the first byte, which is compared without calling memcmp.
constexpr bool KeyLess(std::string_view a, std::string_view b) noexcept {
    if (!a.empty() && !b.empty() && a.front() != b.front())
        return static_cast<unsigned char>(a.front()) < static_cast<unsigned char>(b.front());
    return a < b;
}

// The row whose key equals `key` exactly, or null. The table must be strictly
// ascending by key; std::string_view compares bytes as unsigned values.
template <class Row>
const Row* FindRow(TableView<Row> table, std::string_view key) noexcept {
    // A key outside the table's range (a number where names are looked up:
    // digits sort before letters) is turned away without the search.
    if (table.size() == 0 || key < RowKey(table[0]) || RowKey(table[table.size() - 1]) < key) return nullptr;
    const Row* it = std::lower_bound(table.begin(), table.end(), key,
                                     [](const Row& row, std::string_view k) { return KeyLess(RowKey(row), k); });
    return (it != table.end() && RowKey(*it) == key) ? it : nullptr;
}

}  // namespace Veltra::Penwork::Recognizer
