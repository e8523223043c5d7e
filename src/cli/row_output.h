#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

#include "filelist/list_store.h"
#include "fileops/batch_plan.h"
#include "platform/json_line.h"
#include "platform/result.h"

namespace tagwright::cli {

/// Where rows go. On a terminal each row is flushed as it is written, for the person watching;
/// into a pipe or a file they are written in larger pieces: the first row at once (a reader
/// sees that the work has begun), then at most every 50 ms, and the rest when the process
/// ends, which a caught stop signal lets it do.
class RowStream {
  public:
    RowStream(std::ostream& out, bool flushEachRow);
    std::ostream& Out() { return m_out; }
    /// Writes one finished line.
    void Line(std::string_view line);
    /// Called after each row written through Out().
    void RowDone();

  private:
    std::ostream& m_out;
    bool m_flushEachRow;
    bool m_flushedOnce = false;
    std::chrono::steady_clock::time_point m_lastFlush;
};

/// Rows of the list as JSON lines or as tab-separated lines, through one stream.
class RowPrinter {
  public:
    RowPrinter(RowStream& stream, bool json) : m_stream(stream), m_json(json) {}

    /// The table's header line (nothing for JSON).
    void Header();
    /// One row: a JSON object a line with the six column names, or a tab-separated line with
    /// the refusal in brackets. A FileName, NewName or Path that is not valid UTF-8 (names on
    /// Linux are bytes) is written with U+FFFD and, beside it, its exact bytes in base64 under
    /// the column name + "Bytes", so that a script can still find the file. A refused row
    /// carries "error" (the text) and "errorCode" (a short stable name).
    void Row(const ListStore::Row& row, const Error* error = nullptr);
    /// The header and every file row of the list.
    void Rows(const ListStore& store);
    /// One line of a preview: the row as the batch would leave it, as Row prints it, and, when
    /// other files of the batch want the same place (equal but for letter case or composed
    /// characters), their paths: "collision" (a list) in JSON, "[collides with: a; b]" as
    /// text. JSON also tells "clash" (the number the name would get, -1 for none) and
    /// "asksFolder".
    void PlanLine(const BatchPlan& plan, std::size_t line);

  private:
    // The row's fields: a JSON line begun and not ended, or the text cells without the break.
    void RowJson(const ListStore::Row& row, const Error* error);
    void RowText(const ListStore::Row& row, const Error* error);

    RowStream& m_stream;
    bool m_json;
    JsonLine m_line;
    std::string m_text;  // a text row, its buffer kept from row to row
};

/// The bytes in base64 (RFC 4648, with padding).
std::string Base64(const std::string& bytes);

/// True when the text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace tagwright::cli
