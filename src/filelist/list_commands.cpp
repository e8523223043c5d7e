#include "filelist/list_commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tagwright {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One sort key cell, parsed once: parsing inside the comparison would repeat it
// ~17 times per row on a large list.
struct KeyCell {
    const std::string* text;
    double number;
    bool isNumber;
};

int CompareKeys(const KeyCell& a, const KeyCell& b) {
    if (a.isNumber && b.isNumber)
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    const int c = a.text->compare(*b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A bottom-up merge sort of row indexes. Mixing numeric and text comparison is not a strict
// weak order ("2" < "10" < "1a" < "2"), which std::stable_sort may not be given; this sort is
// sound for any comparison and stays stable.
template <class Before>
std::vector<int> StableOrder(int count, Before before) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::vector<int> buffer(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, order.size());
            const std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t i = lo, j = mid, out = lo;
            while (i < mid && j < hi) {
                // Take from the right run only when strictly before: equal rows keep order.
                buffer[out++] = before(order[j], order[i]) ? order[j++] : order[i++];
            }
            while (i < mid)
                buffer[out++] = order[i++];
            while (j < hi)
                buffer[out++] = order[j++];
        }
        order.swap(buffer);
    }
    return order;
}

// Whether a number too large or too small for a double is too large: its first significant
// digit's decimal place plus the exponent is positive. `number` is digits with at most one
// point, then optionally "e", a sign and digits; the first `mantissaLength` bytes are the
// mantissa.
bool Overflows(std::string_view number, std::size_t mantissaLength) {
    const std::string_view mantissa = number.substr(0, mantissaLength);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = std::min(mantissa.find_first_not_of("0."), mantissa.size());
    // The decimal place of the first significant digit: 0 for units, -1 for tenths.
    const auto place = static_cast<std::int64_t>(point) - static_cast<std::int64_t>(first) -
                       (first < point ? 1 : 0);
    std::int64_t exponent = 0;
    if (mantissaLength < number.size()) {
        std::size_t k = mantissaLength + 1;
        const bool negative = number[k] == '-';
        if (number[k] == '+' || number[k] == '-')
            ++k;
        for (; k < number.size(); ++k)
            exponent = std::min<std::int64_t>(exponent * 10 + (number[k] - '0'), 1'000'000'000);
        if (negative)
            exponent = -exponent;
    }
    return place + exponent > 0;
}

}  // namespace

std::optional<double> GenericNumber(const std::string& cell) {
    std::size_t b = 0, e = cell.size();
    while (b < e && cell[b] == ' ')
        ++b;
    while (e > b && cell[e - 1] == ' ')
        --e;
    std::size_t i = b;
    if (i < e && (cell[i] == '+' || cell[i] == '-'))
        ++i;
    const std::size_t mantissa = i;
    bool digits = false, dot = false;
    for (; i < e && (IsDigit(cell[i]) || (cell[i] == '.' && !dot)); ++i) {
        if (cell[i] == '.')
            dot = true;
        else
            digits = true;
    }
    if (!digits)
        return std::nullopt;
    const std::size_t mantissaEnd = i;
    if (i < e && (cell[i] == 'e' || cell[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < e && (cell[k] == '+' || cell[k] == '-'))
            ++k;
        if (k == e || !IsDigit(cell[k]))
            return std::nullopt;
        while (k < e && IsDigit(cell[k]))
            ++k;
        i = k;
    }
    if (i != e)
        return std::nullopt;
    double value = 0;
    // from_chars takes no '+'; the sign is applied by hand.
    const auto [end, ec] = std::from_chars(cell.data() + mantissa, cell.data() + e, value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone then: "1e999" is larger than any double and sorts
        // as the largest, "1e-999" as 0.
        value =
            Overflows(std::string_view(cell).substr(mantissa, e - mantissa), mantissaEnd - mantissa)
                ? HUGE_VAL
                : 0.0;
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    (void)end;
    return cell[b] == '-' ? -value : value;
}

int GenericCompare(const std::string& a, const std::string& b) {
    const auto na = GenericNumber(a);
    const auto nb = GenericNumber(b);
    return CompareKeys(KeyCell{&a, na.value_or(0), na.has_value()},
                       KeyCell{&b, nb.value_or(0), nb.has_value()});
}

void SortList(ListStore& store, GridState& grid, bool descending) {
    grid.Clamp(store.RowCount());
    const int fileRows = store.RowCount() - 1;
    if (fileRows < 2)
        return;
    int first = grid.CurrentRow();
    int last = grid.SelectionEndRow();
    if (first > last)
        std::swap(first, last);
    if (first == last || first < 1) {
        first = 1;
        last = fileRows;
    }
    const int leftColumn = std::min(grid.CurrentColumn(), grid.SelectionEndColumn());
    const int rightColumn = std::max(grid.CurrentColumn(), grid.SelectionEndColumn());
    const int keyCount = rightColumn - leftColumn + 1;
    const int count = last - first + 1;

    std::vector<KeyCell> keys;
    keys.reserve(static_cast<std::size_t>(count * keyCount));
    for (int r = first; r <= last; ++r) {
        for (int c = leftColumn; c <= rightColumn; ++c) {
            const std::string& text = store.Cell(r, c);
            const auto n = GenericNumber(text);
            keys.push_back(KeyCell{&text, n.value_or(0), n.has_value()});
        }
    }
    const auto key = [&](int row, int k) -> const KeyCell& {
        return keys[static_cast<std::size_t>(row * keyCount + k)];
    };
    const int sign = descending ? -1 : 1;
    const auto before = [&](int a, int b) {
        for (int k = 0; k < keyCount; ++k) {
            if (const int c = CompareKeys(key(a, k), key(b, k)); c != 0)
                return sign * c < 0;
        }
        return false;
    };
    store.ReorderRows(first, StableOrder(count, before));
}

PruneCommand RenamePruneCommand(int index) {
    return index == 0 ? PruneCommand::kRenameFailed : PruneCommand::kRenameDone;
}

PruneCommand MovePruneCommand(int index) {
    return index == 0 ? PruneCommand::kMoveFailed : PruneCommand::kMoveDone;
}

PruneCommand TagPruneCommand(int index) {
    return index == 0   ? PruneCommand::kNoTag
           : index == 1 ? PruneCommand::kTagV1
                        : PruneCommand::kTagV2;
}

bool PruneMatches(PruneCommand command, const ListStore::Row& row) {
    const std::string& tag = row[ListStore::kTagType];
    switch (command) {
        case PruneCommand::kRenameFailed:
            return row[ListStore::kR] == ListStore::kRefused;
        case PruneCommand::kRenameDone:
            return row[ListStore::kR] == ListStore::kDone;
        case PruneCommand::kMoveFailed:
            return row[ListStore::kM] == ListStore::kRefused;
        case PruneCommand::kMoveDone:
            return row[ListStore::kM] == ListStore::kDone;
        case PruneCommand::kNoTag:
            return tag.empty();
        case PruneCommand::kTagV1:
            return tag == "v1.0" || tag == "v1.1";
        case PruneCommand::kTagV2:
            return tag == "v2";
    }
    return false;
}

int PruneList(ListStore& store, GridState& grid, PruneCommand command) {
    const auto matches = [command](const ListStore::Row& row) {
        return PruneMatches(command, row);
    };
    const int fileRows = store.RowCount() - 1;
    int matched = 0;
    for (int r = 1; r <= fileRows; ++r)
        matched += matches(store.RowAt(r)) ? 1 : 0;
    if (matched > 0 && matched == fileRows) {
        // The last file row goes: the list is emptied the way "すべてのファイル" empties it.
        DeleteAllFiles(store, grid);
        return matched;
    }
    if (matched > 0)
        store.RemoveRowsIf(matches);
    grid.Clamp(store.RowCount());
    store.UpdateFileCount();
    return matched;
}

void DeleteAllFiles(ListStore& store, GridState& grid) {
    // The grid first: a view told of the reset reads the widths it is to show.
    grid.ResetForEmptyList();
    store.ResetFileList();
}

void DeleteCurrentRow(ListStore& store, GridState& grid) {
    grid.Clamp(store.RowCount());
    if (store.RowCount() <= 1)
        return;
    const int row = grid.CurrentRow();
    if (row >= 1 && !store.RemoveRow(row)) {
        // The grid keeps its only file row; emptied, it stands for an empty list.
        for (int c = 0; c < ListStore::kColumnCount; ++c)
            store.SetCell(row, c, std::string());
    }
    grid.Clamp(store.RowCount());
    store.UpdateFileCount();
}

void DeleteSelectedRows(ListStore& store, GridState& grid) {
    grid.Clamp(store.RowCount());
    const int first = std::min(grid.CurrentRow(), grid.SelectionEndRow());
    const int last = std::max(grid.CurrentRow(), grid.SelectionEndRow());
    if (store.RowCount() <= 1 || first < 1 || first == last) {
        DeleteCurrentRow(store, grid);
        return;
    }
    const int fileRows = store.RowCount() - 1;
    // One row stays when the block is the whole list: it becomes the placeholder below.
    const int keepFirst = first == 1 && last == fileRows ? 1 : 0;
    const int gone = last - first + 1 - keepFirst;
    // The block goes to the end and is cut off there: two notifications for the view however
    // many rows go, where removing them one at a time would cost one each.
    if (keepFirst == 0) {
        std::vector<int> order;
        order.reserve(static_cast<std::size_t>(fileRows - first + 1));
        for (int r = first + gone; r <= fileRows; ++r)
            order.push_back(r - first);
        for (int r = first; r < first + gone; ++r)
            order.push_back(r - first);
        store.ReorderRows(first, order);
    }
    store.SetRowCount(store.RowCount() - gone);
    grid.SetCurrentRow(std::min(first, store.RowCount() - 1));
    if (keepFirst != 0) {
        for (int c = 0; c < ListStore::kColumnCount; ++c)
            store.SetCell(1, c, std::string());
    }
    store.UpdateFileCount();
}

}  // namespace tagwright
