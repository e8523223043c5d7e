#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "filelist/list_store.h"
#include "fileops/batch_plan.h"
#include "platform/result.h"

namespace tagwright::cli {

/// One list row as a JSON object with the six column names. A FileName, NewName or Path that
/// is not valid UTF-8 (names on Linux are bytes) is written with U+FFFD and, beside it, its
/// exact bytes in base64 under the column name + "Bytes", so that a script can still find
/// the file. A refused row carries "error" (the text) and "errorCode" (a short stable name).
nlohmann::ordered_json RowJson(const ListStore::Row& row, const Error* error = nullptr);

/// The table's header line (nothing for JSON).
void PrintHeader(std::ostream& out, bool json);

/// One row: a JSON object a line, or a tab-separated line with the refusal in brackets.
void PrintRow(std::ostream& out, const ListStore::Row& row, bool json,
              const Error* error = nullptr);

/// One line of a preview: the row as the batch would leave it, as PrintRow prints it, and, when
/// other files of the batch want the same place (equal but for letter case or composed
/// characters), their paths: "collision" (a list) in JSON, "[collides with: a; b]" as text.
/// JSON also tells "clash" (the number the name would get, -1 for none) and "asksFolder".
void PrintPlanLine(std::ostream& out, const BatchPlan& plan, std::size_t line, bool json);

/// The header and every file row of the list.
void PrintRows(std::ostream& out, const ListStore& store, bool json);

/// The bytes in base64 (RFC 4648, with padding).
std::string Base64(const std::string& bytes);

/// True when the text is well-formed UTF-8.
bool IsUtf8(const std::string& text);

}  // namespace tagwright::cli
