#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "filelist/list_store.h"

namespace tagwright::cli {

/// One list row as a JSON object with the six column names; "error" is added when given.
nlohmann::ordered_json RowJson(const ListStore::Row& row, const std::string& error = {});

/// Prints the list's rows: one JSON object a line, or a tab-separated table under a header.
/// `errors` gives the refusal text of a row (store row index), when there is one.
void PrintRows(std::ostream& out, const ListStore& store, bool json,
               const std::function<std::string(int)>& errorOfRow = {});

}  // namespace tagwright::cli
