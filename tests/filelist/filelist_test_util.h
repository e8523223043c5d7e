#pragma once

#include <string>
#include <vector>

#include "filelist/list_store.h"
#include "platform/file_system.h"

namespace tagwright::test {

/// One column of the file rows, top to bottom.
inline std::vector<std::string> ColumnOf(const ListStore& store, int column) {
    std::vector<std::string> out;
    for (int r = 1; r < store.RowCount(); ++r)
        out.push_back(store.Cell(r, column));
    return out;
}

}  // namespace tagwright::test
