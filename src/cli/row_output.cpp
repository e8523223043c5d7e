#include "cli/row_output.h"

namespace tagwright::cli {

namespace {

// Paths may hold bytes that are not UTF-8 (names on Linux are bytes); JSON output replaces
// them instead of failing.
constexpr auto kReplaceInvalid = nlohmann::ordered_json::error_handler_t::replace;

}  // namespace

nlohmann::ordered_json RowJson(const ListStore::Row& row, const std::string& error) {
    nlohmann::ordered_json j;
    const ListStore::Row& header = ListStore::HeaderTexts();
    for (int c = 0; c < ListStore::kColumnCount; ++c) {
        j[header[static_cast<std::size_t>(c)]] = row[static_cast<std::size_t>(c)];
    }
    if (!error.empty())
        j["error"] = error;
    return j;
}

void PrintRows(std::ostream& out, const ListStore& store, bool json,
               const std::function<std::string(int)>& errorOfRow) {
    if (!json) {
        const ListStore::Row& header = ListStore::HeaderTexts();
        for (int c = 0; c < ListStore::kColumnCount; ++c) {
            out << (c ? "\t" : "") << header[static_cast<std::size_t>(c)];
        }
        out << '\n';
    }
    for (int r = 1; r < store.RowCount(); ++r) {
        const ListStore::Row& row = store.RowAt(r);
        if (row[ListStore::kPath].empty())
            continue;  // the placeholder row stands for no file
        const std::string error = errorOfRow ? errorOfRow(r) : std::string();
        if (json) {
            out << RowJson(row, error).dump(-1, ' ', false, kReplaceInvalid) << '\n';
            continue;
        }
        for (int c = 0; c < ListStore::kColumnCount; ++c) {
            std::string cell = row[static_cast<std::size_t>(c)];
            // A name with a tab or line break must not break the table's lines.
            for (char& ch : cell) {
                if (ch == '\t' || ch == '\n' || ch == '\r')
                    ch = ' ';
            }
            out << (c ? "\t" : "") << cell;
        }
        if (!error.empty())
            out << "\t(" << error << ")";
        out << '\n';
    }
}

}  // namespace tagwright::cli
